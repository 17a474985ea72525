#pragma once
// CViewMouse: what the mouse does in a view, by the program mode the main frame holds. It owns
// one instance of every tool and the state of the gesture running: new shapes drawn with a rubber
// band and created when the button goes up, the zoom rectangle, the crop, cut and colour-correction
// rectangles, reference points, the base point, the hand, the eraser and uneraser, the canvas
// edges, and the page or a cut-out dragged out of the program as a file. All points are client
// pixels of the view.

#include "platform/WinTypes.h"
#include "view/DrawTools.h"
#include "view/ImageTools.h"

#include <QCursor>

class CDC;
class CLumidorView;
class CTranspBaseClass;

class CViewMouse {
public:
    explicit CViewMouse(CLumidorView& view);

    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnLButtonDblClk(UINT flags, POINT point);
    void OnRButtonDown(UINT flags, POINT point);
    // The mouse left the window: the cross lines and the eraser square go.
    void OnMouseLeave();
    // The program mode changed: a gesture still running ends without a result.
    void ProgramModeChanged();
    // Ends every gesture without a result (the window lost the mouse, the page changed); a
    // polygon being drawn survives when asked, since its button is up between its presses.
    void CancelGestures(bool keepPolygon = false);

    void OnLButtonDownObject(UINT flags, POINT point);
    void OnMouseMoveObject(UINT flags, POINT point);
    void OnLButtonUpObject(UINT flags, POINT point);
    // Select mode: a click selects, Ctrl+click flips one object, a drag on nothing selects by a
    // rubber band, a drag on a selected object moves the selection.
    void OnLButtonDownSelect(UINT flags, POINT point);
    void OnMouseMoveSelect(UINT flags, POINT point);
    void OnLButtonUpSelect(UINT flags, POINT point);

    // The feedback of the running gesture and of the tools that follow the mouse, drawn last in
    // every repaint (client pixels).
    void Paint(CDC* pDC) const;

    // The page point under a client point, and back: the point moved onto the page pixel grid.
    POINT Quantise(POINT point) const;

    CCropTool& GetCropTool() { return m_cropTool; }
    CCutTool& GetCutTool() { return m_cutTool; }
    const CDrawPolygon& GetPolygon() const { return m_polygon; }
    CConstRectTool& GetEraser() { return m_eraser; }
    bool IsButtonDown() const { return m_bButtonDown; }
    // A gesture is under way: a button held on the page, or a polygon being drawn.
    bool IsGestureRunning() const {
        return m_bButtonDown || m_bHandDrag || m_bCanvasDrag || m_bGroupMove || m_polygon.IsStarted();
    }
    CTranspBaseClass* GetCapturedObject() const { return m_pCaptured; }
    // Forgets the captured object (it is being deleted).
    void ReleaseCapturedObject() { m_pCaptured = nullptr; }

private:
    // The rubber band of a shape mode, or null.
    CDrawTool* ShapeTool(int mode);
    void StartCanvasDrag(int code, POINT point);
    void EraseUnder(bool erase);
    // The eraser square's side in client pixels: the image bar's size in page pixels.
    int EraserSide() const;
    void SetCursor(const QCursor& cursor) const;
    void ReleaseMouse();
    // A client point in view pixels (plus the scroll position).
    POINT ToView(POINT point) const;
    // The warning of a release outside the printable area, when the settings ask for it.
    void WarnOutsidePrintable(POINT point) const;

    CLumidorView& m_view;
    CDrawRect m_rectTool;
    CDrawEllipse m_ellipseTool;
    CDrawCircle m_circleTool;
    CDrawLine m_lineTool;
    CDrawFreehand m_freehandTool;
    CDrawCanvasRect m_canvasTool;
    CDrawRect m_zoomTool;
    CDrawRect m_selectTool;
    CRefPointTool m_refPointTool;
    CCropTool m_cropTool;
    CCutTool m_cutTool;
    CCrossLineTool m_crossLines;
    CDrawPolygon m_polygon;
    CConstRectTool m_eraser;

    bool m_bButtonDown = false;
    CTranspBaseClass* m_pCaptured = nullptr;
    bool m_bHandDrag = false;
    POINT m_ptHandLast{}; // page pixels
    bool m_bCanvasDrag = false;
    int m_nCanvasCode = 0;
    POINT m_ptCanvasPress{}; // page pixels
    POINT m_ptCanvasDelta{};
    bool m_bEraserCaptured = false;
    bool m_bGroupMove = false;
    POINT m_ptGroupLast{}; // view pixels
};
