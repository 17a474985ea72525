#include "view/DrawTools.h"

#include "objects/ObjectHost.h"
#include "objects/ObjectTypes.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <algorithm>
#include <cmath>

namespace {
// The longest piece of an outline one strip covers: short enough that a diagonal's strips stay
// thin, long enough that a long edge needs few of them. A curve bends away from its chord only
// a little over a longer piece, and every strip costs a repaint of the objects it meets, so an
// ellipse takes longer ones.
constexpr LONG kStripLength = 24;
constexpr LONG kCurveStripLength = 64;

RECT Around(POINT a, POINT b, int penWidth) {
    const LONG m = std::max(1, penWidth / 2 + 2);
    return RECT{std::min(a.x, b.x) - m, std::min(a.y, b.y) - m, std::max(a.x, b.x) + m + 1,
                std::max(a.y, b.y) + m + 1};
}
} // namespace

namespace ToolStrips {

void AddSegment(std::vector<RECT>& out, POINT a, POINT b, int penWidth) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double length = std::max(std::fabs(dx), std::fabs(dy));
    // A segment as long as the mouse can make it (far outside the window) still gets a bounded
    // number of strips; beyond that they grow longer.
    const int pieces = int(std::clamp(length / kStripLength, 1.0, 4096.0));
    POINT from = a;
    for (int i = 1; i <= pieces; ++i) {
        const POINT to = i == pieces ? b
                                     : POINT{LONG(std::lround(a.x + dx * i / pieces)),
                                             LONG(std::lround(a.y + dy * i / pieces))};
        out.push_back(Around(from, to, penWidth));
        from = to;
    }
}

void AddRectangle(std::vector<RECT>& out, const RECT& r, int penWidth) {
    RECT rc = r;
    NormalizeRect(rc);
    // The outline lies on the first and last column and row the rectangle covers.
    const LONG right = std::max(rc.left, rc.right - 1), bottom = std::max(rc.top, rc.bottom - 1);
    AddSegment(out, POINT{rc.left, rc.top}, POINT{right, rc.top}, penWidth);
    AddSegment(out, POINT{rc.left, bottom}, POINT{right, bottom}, penWidth);
    AddSegment(out, POINT{rc.left, rc.top}, POINT{rc.left, bottom}, penWidth);
    AddSegment(out, POINT{right, rc.top}, POINT{right, bottom}, penWidth);
}

void AddEllipse(std::vector<RECT>& out, const RECT& r, int penWidth) {
    RECT rc = r;
    NormalizeRect(rc);
    const double cx = (rc.left + rc.right) / 2.0, cy = (rc.top + rc.bottom) / 2.0;
    const double rx = (rc.right - rc.left) / 2.0, ry = (rc.bottom - rc.top) / 2.0;
    const double perimeter = 2 * M_PI * std::max(rx, ry);
    // Whole quarters: within a quarter the curve runs one way on both axes, so the box of a
    // piece's ends holds all of it.
    const int pieces = 4 * int(std::clamp(perimeter / kCurveStripLength / 4, 2.0, 1024.0));
    POINT from{LONG(std::lround(cx + rx)), LONG(std::lround(cy))};
    for (int i = 1; i <= pieces; ++i) {
        const double t = 2 * M_PI * i / pieces;
        const POINT to{LONG(std::lround(cx + rx * std::cos(t))),
                       LONG(std::lround(cy + ry * std::sin(t)))};
        out.push_back(Around(from, to, penWidth));
        from = to;
    }
}

} // namespace ToolStrips

// ---- CDrawTool ------------------------------------------------------------------------------

CDrawTool::~CDrawTool() = default;

void CDrawTool::MouseDown(IObjectHost* window, POINT point) {
    DEF_TRY
    if (m_bActive) Cancel();
    m_pWindow = window;
    m_ptStart = m_ptEnd = point;
    DrawBegin(point);
    m_bActive = true;
    DEF_CATCH
}

void CDrawTool::MouseMove(POINT point) {
    DEF_TRY
    if (!m_bActive) return;
    DrawTo(point);
    m_ptEnd = point;
    DEF_CATCH
}

void CDrawTool::MouseUp(RECT& rc) {
    DEF_TRY
    rc = RECT{m_ptStart.x, m_ptStart.y, m_ptEnd.x, m_ptEnd.y};
    if (m_bActive) DrawEnd();
    m_bActive = false;
    m_pWindow = nullptr;
    DEF_CATCH
}

void CDrawTool::Cancel() {
    RECT ignored;
    MouseUp(ignored);
}

void CDrawTool::Paint(CDC* pDC) const {
    DEF_TRY
    if (!m_bActive || !pDC) return;
    const int saved = pDC->SaveDC();
    if (m_bCanvasMode) {
        pDC->SelectPen(LOGPEN{PS_DOT, 1, RGB(0, 0, 0)});
        pDC->SetBkMode(TRANSPARENT);
    } else {
        pDC->SelectPen(LOGPEN{PS_SOLID, std::max(1, m_nPenWidth), RGB(0, 0, 0)});
    }
    pDC->SelectBrush(LOGBRUSH{BS_NULL, 0});
    pDC->SetROP2(R2_NOT);
    DrawShape(pDC, m_ptStart, m_ptEnd);
    pDC->RestoreDC(saved);
    DEF_CATCH
}

void CDrawTool::InvalidateShape(POINT a, POINT b) const {
    std::vector<RECT> strips;
    ShapeStrips(strips, a, b);
    InvalidateStrips(strips);
}

void CDrawTool::InvalidateStrips(const std::vector<RECT>& strips) const {
    if (!m_pWindow) return;
    for (const RECT& rc : strips)
        m_pWindow->InvalidateRect(rc);
}

void CDrawTool::MoveShape(POINT point) const {
    InvalidateShape(m_ptStart, m_ptEnd);
    InvalidateShape(m_ptStart, point);
}

// ---- Rectangle, ellipse, circle, line -------------------------------------------------------

void CDrawRect::ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const {
    ToolStrips::AddRectangle(out, RECT{a.x, a.y, b.x, b.y}, m_nPenWidth);
}

void CDrawRect::DrawShape(CDC* pDC, POINT a, POINT b) const {
    RECT rc{a.x, a.y, b.x, b.y};
    NormalizeRect(rc);
    pDC->Rectangle(rc);
}

void CDrawEllipse::ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const {
    ToolStrips::AddEllipse(out, RECT{a.x, a.y, b.x, b.y}, m_nPenWidth);
}

void CDrawEllipse::DrawShape(CDC* pDC, POINT a, POINT b) const {
    RECT rc{a.x, a.y, b.x, b.y};
    NormalizeRect(rc);
    pDC->Ellipse(rc);
}

namespace {
// The distance between two points, rounded half up.
int Distance(POINT a, POINT b) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    return int(std::min<double>(std::floor(std::sqrt(dx * dx + dy * dy) + 0.5), INT_MAX / 4));
}
} // namespace

int CDrawCircle::CalcRadius(POINT pt) const {
    return Distance(m_ptStart, pt);
}

RECT CDrawCircle::CalcRect(POINT c, int r) {
    return RECT{c.x - r, c.y - r, c.x + r, c.y + r};
}

void CDrawCircle::ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const {
    ToolStrips::AddEllipse(out, CalcRect(a, Distance(a, b)), m_nPenWidth);
}

void CDrawCircle::DrawShape(CDC* pDC, POINT a, POINT b) const {
    pDC->Ellipse(CalcRect(a, Distance(a, b)));
}

void CDrawLine::ShapeStrips(std::vector<RECT>& out, POINT a, POINT b) const {
    ToolStrips::AddSegment(out, a, b, m_nPenWidth);
}

void CDrawLine::DrawShape(CDC* pDC, POINT a, POINT b) const {
    pDC->MoveTo(a.x, a.y);
    pDC->LineTo(b.x, b.y);
}

// ---- Freehand -------------------------------------------------------------------------------

void CDrawFreehand::DrawBegin(POINT point) {
    m_points.clear();
    AddPoint(point);
}

void CDrawFreehand::DrawTo(POINT point) {
    // A mouse that moves within one page pixel adds no point: the stroke would only repeat it.
    if (!m_points.empty() && m_points.back() == point) return;
    const POINT last = m_points.empty() ? point : m_points.back();
    AddPoint(point);
    std::vector<RECT> strips;
    ToolStrips::AddSegment(strips, last, point, m_nPenWidth);
    InvalidateStrips(strips);
}

void CDrawFreehand::DrawEnd() {
    if (m_points.empty() || !m_pWindow) return;
    // The whole stroke goes at once: one rectangle round it rather than a strip per segment.
    RECT box{m_points[0].x, m_points[0].y, m_points[0].x, m_points[0].y};
    for (const POINT& p : m_points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    m_pWindow->InvalidateRect(Around(POINT{box.left, box.top}, POINT{box.right, box.bottom},
                                     m_nPenWidth));
}

void CDrawFreehand::ShapeStrips(std::vector<RECT>&, POINT, POINT) const {}

void CDrawFreehand::DrawShape(CDC* pDC, POINT, POINT) const {
    if (m_points.size() < 2) return;
    // Only the runs of segments that meet the repainted area are drawn: a long stroke costs a
    // step what its new segment covers.
    const RECT clip = pDC->GetClipBox();
    std::size_t runStart = std::size_t(-1);
    const auto flush = [&](std::size_t end) {
        if (runStart != std::size_t(-1) && end > runStart)
            pDC->Polyline(&m_points[runStart], int(end - runStart + 1));
        runStart = std::size_t(-1);
    };
    for (std::size_t i = 0; i + 1 < m_points.size(); ++i) {
        RECT meet;
        const bool visible = IntersectRect(meet, Around(m_points[i], m_points[i + 1], m_nPenWidth), clip);
        if (visible && runStart == std::size_t(-1)) runStart = i;
        if (!visible) flush(i);
    }
    flush(m_points.size() - 1);
}

// ---- Canvas edges -----------------------------------------------------------------------------

void CDrawCanvasRect::DrawBegin(POINT point) {
    // The canvas itself shows first: the press lies on its edge.
    m_ptStart = m_ptCanvasOrigin;
    m_ptEnd = point;
}

RECT CDrawCanvasRect::ExtentFor(POINT pt) const {
    switch (m_nCanvasCode) {
    case 4:
        return RECT{m_ptCanvasOrigin.x, m_ptCanvasOrigin.y, pt.x, m_nCanvasY};
    case 5:
        return RECT{m_ptCanvasOrigin.x, m_ptCanvasOrigin.y, m_nCanvasX, pt.y};
    default:
        return RECT{m_ptCanvasOrigin.x, m_ptCanvasOrigin.y, pt.x, pt.y};
    }
}

void CDrawCanvasRect::ShapeStrips(std::vector<RECT>& out, POINT, POINT b) const {
    ToolStrips::AddRectangle(out, ExtentFor(b), 1);
}

void CDrawCanvasRect::DrawShape(CDC* pDC, POINT, POINT b) const {
    RECT rc = ExtentFor(b);
    NormalizeRect(rc);
    pDC->Rectangle(rc);
}
