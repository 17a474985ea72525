#pragma once
// The page-image tools of a view and the polygon: reference points for straightening, the crop
// and cut rectangles with their grab handles, the base point's cross lines, the polygon outline
// and the eraser square. Like the rubber bands (view/DrawTools.h) they show their feedback as the
// last layer of the view's repaint, inverted, and a step repaints only what the old and the new
// feedback cover. What stays between gestures (reference points, the two rectangles, the cross
// lines) is kept by the view's CViewMarks.

#include "platform/WinTypes.h"

#include <Qt>
#include <vector>

class CDC;
class CViewMarks;
class IObjectHost;

// Moves one reference point's marker with the mouse.
class CRefPointTool {
public:
    virtual ~CRefPointTool() = default;
    void SetView(IObjectHost* view, CViewMarks* marks);

    // Starts moving reference point `index` of the marks, pressed at `point` (client).
    void StartMove(int index, POINT point);
    void MoveTo(POINT point);
    void StopMove();
    bool IsMoving() const { return m_nIndex >= 0; }
    // The client position of the moving marker.
    POINT GetMarkerPos() const { return m_ptMarker; }
    POINT GetPagePos() const { return m_ptPage; }

private:
    // The marker position for a page point: its client position, at scales above 1 moved to the
    // middle of the magnified page pixel.
    POINT Offset() const;

    POINT m_ptMarker{};
    POINT m_ptLast{};
    IObjectHost* m_pView = nullptr;
    CViewMarks* m_pMarks = nullptr;
    POINT m_ptPage{};
    int m_nIndex = -1;
};

// A rectangle with grab handles, kept in page pixels between gestures.
class CCropTool {
public:
    virtual ~CCropTool() = default;
    void SetView(IObjectHost* view, CViewMarks* marks);

    // The kept rectangle (page pixels), empty when none.
    virtual RECT GetRect() const;
    // Removes the rectangle from the screen and empties it.
    void Kill();
    // The grab code of a client point: 6 to 9 the corners, 2 to 5 the edges, 1 inside, else 0.
    int GetCapture(POINT point) const;
    void MouseDown(POINT point);
    void MouseMove(POINT point);
    void MouseUp();
    void Cancel();
    bool IsDragging() const { return m_bDragging; }
    // The cursor for a grab code while the mouse hovers.
    virtual Qt::CursorShape CursorFor(int code) const;
    // Paints the rectangle being dragged into the view's repaint (client pixels).
    void Paint(CDC* pDC) const;
    virtual void Draw(CDC* pDC, const RECT& rc) const;

protected:
    virtual void StoreRect(const RECT& rcPage);
    void InvalidateOutline(const RECT& rcClient) const;

    RECT m_rcDrag{}; // client pixels, while dragging
    int m_nCapture = 0;
    POINT m_ptLast{};
    bool m_bDragging = false;
    IObjectHost* m_pView = nullptr;
    CViewMarks* m_pMarks = nullptr;
};

// The cut-out rectangle: a crop tool drawn dotted, whose inside offers the cut-out for dragging.
class CCutTool : public CCropTool {
public:
    RECT GetRect() const override;
    Qt::CursorShape CursorFor(int code) const override;
    void Draw(CDC* pDC, const RECT& rc) const override;

protected:
    void StoreRect(const RECT& rcPage) override;
};

// Full-width and full-height lines through the mouse point (base-point mode).
class CCrossLineTool {
public:
    virtual ~CCrossLineTool() = default;
    void SetView(CViewMarks* marks) { m_pMarks = marks; }
    void Draw(POINT point) { MoveTo(point); }
    void MoveTo(POINT point);
    void Kill();
    POINT GetLastPoint() const;

private:
    CViewMarks* m_pMarks = nullptr;
};

// The polygon being drawn: fixed edges in the line colour and width, a rubber segment to the
// mouse. The vertices are kept in page pixels, so that a scroll while drawing moves none.
class CDrawPolygon {
public:
    virtual ~CDrawPolygon() = default;
    void SetView(IObjectHost* view) { m_pView = view; }

    // The committed edges' pen: width in client pixels and colour.
    void SetPen(int width, COLORREF color);
    void Start(POINT point);
    void Stop();
    void MouseDown(POINT point);
    void MouseMove(POINT point);
    void MouseDblClick();
    bool IsStarted() const { return m_bStarted; }
    void AddPoint(POINT ptPage) { m_points.push_back(ptPage); }
    void RemovePoints();
    // The vertices in page pixels.
    const std::vector<POINT>& GetPoints() const { return m_points; }
    void Paint(CDC* pDC) const;

private:
    POINT ToClient(POINT ptPage) const;
    POINT ToPage(POINT ptClient) const;
    void InvalidateSegment(POINT a, POINT b, int width) const;

    int m_nWidth = 1;
    COLORREF m_crColor = 0;
    IObjectHost* m_pView = nullptr;
    POINT m_ptLast{}; // page pixels
    POINT m_ptCurrent{}; // client pixels
    bool m_bStarted = false;
    std::vector<POINT> m_points;
};

// A rectangle of fixed size that follows the mouse (the eraser square).
class CConstRectTool {
public:
    virtual ~CConstRectTool() = default;
    void SetView(IObjectHost* view) { m_pView = view; }

    void SetSize(int w, int h);
    SIZE GetSize() const { return SIZE{m_nWidth, m_nHeight}; }
    RECT GetCurRect() const;
    void Draw(POINT point) { MoveTo(point); }
    void MoveTo(POINT point);
    void Show();
    void Hide();
    bool IsShown() const { return m_bShown; }
    void Paint(CDC* pDC) const;

private:
    void Invalidate() const;

    IObjectHost* m_pView = nullptr;
    POINT m_ptCentre{-1, -1};
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bShown = true;
};
