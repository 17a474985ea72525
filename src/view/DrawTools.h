#pragma once
// The rubber-band tools a view draws new shapes, the zoom rectangle and the canvas edges with.
// A gesture runs from MouseDown to MouseUp in client pixels. The shape of the running gesture is
// drawn inverted, outline only, as the last layer of the view's repaint (on this platform nothing
// is drawn on a window outside its paint event); a step repaints only the thin strips the old and
// the new shape cover, so a drag costs what those strips cost, not a whole window.

#include "platform/WinTypes.h"

#include <vector>

class CDC;
class IObjectHost;

// Splits the outline of a shape into small rectangles (client pixels) that together cover every
// pixel a pen of `penWidth` draws on it.
namespace ToolStrips {
void AddSegment(std::vector<RECT>& out, POINT a, POINT b, int penWidth);
void AddRectangle(std::vector<RECT>& out, const RECT& rc, int penWidth);
void AddEllipse(std::vector<RECT>& out, const RECT& rc, int penWidth);
} // namespace ToolStrips

class CDrawTool {
public:
    virtual ~CDrawTool();
    virtual void DrawBegin(POINT point) = 0;
    virtual void DrawTo(POINT point) = 0;
    virtual void DrawEnd() = 0;

    // Starts a gesture at `point` in the view `window`.
    void MouseDown(IObjectHost* window, POINT point);
    // Only while a gesture runs: the shape follows the point.
    void MouseMove(POINT point);
    // Ends the gesture and removes its shape; rc gets (start, end), not normalised.
    void MouseUp(RECT& rc);
    // Ends a gesture without a result (the window lost the mouse).
    void Cancel();

    // Paints the running gesture's shape into the view's repaint (client pixels).
    void Paint(CDC* pDC) const;
    bool IsActive() const { return m_bActive; }
    POINT GetStart() const { return m_ptStart; }
    POINT GetEnd() const { return m_ptEnd; }

    int m_nPenWidth = 1;
    // Used by CDrawCanvasRect only: the canvas's bottom-right, its top-left and the edge dragged
    // (4 right, 5 bottom, 8 corner), all client pixels.
    LONG m_nCanvasX = 0;
    LONG m_nCanvasY = 0;
    POINT m_ptCanvasOrigin{};
    int m_nCanvasCode = 0;
    // A dotted pen on a transparent background instead of a solid one.
    bool m_bCanvasMode = false;

protected:
    // The strips covered by the shape of this tool from a to b.
    virtual void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const = 0;
    // Draws the shape from a to b with the pen already selected.
    virtual void DrawShape(CDC* pDC, POINT a, POINT b) const = 0;
    // Repaints the strips of the shape from a to b.
    void InvalidateShape(POINT a, POINT b) const;
    void InvalidateStrips(const std::vector<RECT>& strips) const;
    // The step of the tools whose shape spans start..end: the old shape goes, the one to
    // `point` comes; and the end of the gesture, which takes the shape away.
    void MoveShape(POINT point) const;
    void RemoveShape() const { InvalidateShape(m_ptStart, m_ptEnd); }

    IObjectHost* m_pWindow = nullptr; // the window of the running gesture
    POINT m_ptStart{};
    POINT m_ptEnd{};
    bool m_bActive = false;
};

// The tools whose shape spans the gesture's start and end: a step replaces the old shape by the
// new one, the end takes it away.
class CDrawSpanTool : public CDrawTool {
public:
    void DrawBegin(POINT) override {}
    void DrawTo(POINT point) override { MoveShape(point); }
    void DrawEnd() override { RemoveShape(); }
};

class CDrawRect : public CDrawSpanTool {
protected:
    void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const override;
    void DrawShape(CDC* pDC, POINT a, POINT b) const override;
};

class CDrawEllipse : public CDrawSpanTool {
protected:
    void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const override;
    void DrawShape(CDC* pDC, POINT a, POINT b) const override;
};

class CDrawCircle : public CDrawSpanTool {
public:
    // The distance from the start to pt, rounded half up.
    int CalcRadius(POINT pt) const;
    // The square around centre c with radius r.
    static RECT CalcRect(POINT c, int r);

protected:
    void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const override;
    void DrawShape(CDC* pDC, POINT a, POINT b) const override;
};

class CDrawLine : public CDrawSpanTool {
protected:
    void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const override;
    void DrawShape(CDC* pDC, POINT a, POINT b) const override;
};

class CDrawFreehand : public CDrawTool {
public:
    void DrawBegin(POINT point) override;
    void DrawTo(POINT point) override;
    void DrawEnd() override;

    const std::vector<POINT>& GetPoints() const { return m_points; }
    void AddPoint(POINT pt) { m_points.push_back(pt); }
    void RemovePoints() { m_points.clear(); }

protected:
    void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const override;
    void DrawShape(CDC* pDC, POINT a, POINT b) const override;

private:
    std::vector<POINT> m_points;
};

class CDrawCanvasRect : public CDrawTool {
public:
    void DrawBegin(POINT point) override;
    void DrawTo(POINT point) override { MoveShape(point); }
    void DrawEnd() override { RemoveShape(); }

protected:
    void ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const override;
    void DrawShape(CDC* pDC, POINT a, POINT b) const override;

private:
    // The rectangle shown for a mouse point by the edge being dragged.
    RECT ExtentFor(POINT pt) const;
};
