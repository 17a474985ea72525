#include "view/ImageTools.h"

#include "objects/ObjectHost.h"
#include "objects/ObjectTypes.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "view/DrawTools.h"
#include "view/ViewMarks.h"

#include <algorithm>

namespace {
// The band on each side of an edge of the crop rectangle that grabs it.
constexpr LONG kGrabBand = 3;

bool Near(LONG v, LONG edge) { return v >= edge - kGrabBand && v <= edge + kGrabBand; }

void InvalidateAll(IObjectHost* view, const std::vector<RECT>& strips) {
    if (!view) return;
    for (const RECT& rc : strips)
        view->InvalidateRect(rc);
}
} // namespace

// ---- Reference points -------------------------------------------------------------------------

void CRefPointTool::SetView(IObjectHost* view, CViewMarks* marks) {
    m_pView = view;
    m_pMarks = marks;
}

POINT CRefPointTool::Offset() const {
    // The marks draw a point at the middle of its magnified page pixel; the marker starts there.
    POINT a{0, 0}, b{1, 1};
    m_pView->PageToClient(a);
    m_pView->PageToClient(b);
    const LONG scale = b.x - a.x;
    return scale > 1 ? POINT{scale / 2, scale / 2} : POINT{0, 0};
}

void CRefPointTool::StartMove(int index, POINT point) {
    DEF_TRY
    if (!m_pView || !m_pMarks || index < 0 || index >= int(m_pMarks->GetRefPoints().size())) return;
    m_nIndex = index;
    m_ptPage = m_pMarks->GetRefPoints()[std::size_t(index)];
    m_ptMarker = m_ptPage;
    m_pView->PageToClient(m_ptMarker);
    const POINT off = Offset();
    m_ptMarker.x += off.x;
    m_ptMarker.y += off.y;
    m_ptLast = point;
    DEF_CATCH
}

void CRefPointTool::MoveTo(POINT point) {
    DEF_TRY
    if (m_nIndex < 0) return;
    m_ptMarker.x += point.x - m_ptLast.x;
    m_ptMarker.y += point.y - m_ptLast.y;
    m_ptLast = point;
    const POINT off = Offset();
    POINT pt{m_ptMarker.x - off.x, m_ptMarker.y - off.y};
    m_pView->ClientToPage(pt);
    if (pt != m_ptPage) {
        m_ptPage = pt;
        m_pMarks->MoveRefPoint(m_nIndex, pt);
    }
    DEF_CATCH
}

void CRefPointTool::StopMove() {
    m_nIndex = -1;
}

// ---- Crop and cut rectangles ------------------------------------------------------------------

void CCropTool::SetView(IObjectHost* view, CViewMarks* marks) {
    m_pView = view;
    m_pMarks = marks;
}

RECT CCropTool::GetRect() const {
    return m_pMarks ? m_pMarks->GetCropRect() : RECT{};
}

void CCropTool::StoreRect(const RECT& rcPage) {
    if (m_pMarks) m_pMarks->SetCropRect(rcPage);
}

RECT CCutTool::GetRect() const {
    return m_pMarks ? m_pMarks->GetCutRect() : RECT{};
}

void CCutTool::StoreRect(const RECT& rcPage) {
    if (m_pMarks) m_pMarks->SetCutRect(rcPage);
}

void CCropTool::Kill() {
    DEF_TRY
    StoreRect(RECT{});
    DEF_CATCH
}

int CCropTool::GetCapture(POINT pt) const {
    DEF_TRY
    RECT rc = GetRect();
    if (rc.IsRectEmpty() || !m_pView) return 0;
    m_pView->PageToClient(rc);
    NormalizeRect(rc);
    const bool l = Near(pt.x, rc.left), r = Near(pt.x, rc.right);
    const bool t = Near(pt.y, rc.top), b = Near(pt.y, rc.bottom);
    const bool inX = pt.x >= rc.left - kGrabBand && pt.x <= rc.right + kGrabBand;
    const bool inY = pt.y >= rc.top - kGrabBand && pt.y <= rc.bottom + kGrabBand;
    if (l && t) return HIT_TOPLEFT;
    if (r && t) return HIT_TOPRIGHT;
    if (r && b) return HIT_BOTTOMRIGHT;
    if (l && b) return HIT_BOTTOMLEFT;
    if (l && inY) return HIT_LEFT;
    if (t && inX) return HIT_TOP;
    if (r && inY) return HIT_RIGHT;
    if (b && inX) return HIT_BOTTOM;
    if (pt.x > rc.left + kGrabBand && pt.x < rc.right - kGrabBand && pt.y > rc.top + kGrabBand &&
        pt.y < rc.bottom - kGrabBand)
        return HIT_BODY;
    return 0;
    DEF_CATCH
    return 0;
}

Qt::CursorShape CCropTool::CursorFor(int code) const {
    switch (code) {
    case HIT_BODY: return Qt::SizeAllCursor;
    case HIT_LEFT:
    case HIT_RIGHT: return Qt::SizeHorCursor;
    case HIT_TOP:
    case HIT_BOTTOM: return Qt::SizeVerCursor;
    case HIT_TOPLEFT:
    case HIT_BOTTOMRIGHT: return Qt::SizeFDiagCursor;
    case HIT_TOPRIGHT:
    case HIT_BOTTOMLEFT: return Qt::SizeBDiagCursor;
    default: return Qt::BitmapCursor; // the view's class cursor
    }
}

Qt::CursorShape CCutTool::CursorFor(int code) const {
    // Inside, the cut-out is picked up and dragged out of the program.
    return code == HIT_BODY ? Qt::OpenHandCursor : CCropTool::CursorFor(code);
}

void CCropTool::InvalidateOutline(const RECT& rc) const {
    std::vector<RECT> strips;
    ToolStrips::AddRectangle(strips, rc, 1);
    InvalidateAll(m_pView, strips);
}

void CCropTool::MouseDown(POINT point) {
    DEF_TRY
    if (!m_pView) return;
    m_nCapture = GetCapture(point);
    if (m_nCapture == 0) {
        m_rcDrag = RECT{point.x, point.y, point.x, point.y};
    } else {
        m_rcDrag = GetRect();
        m_pView->PageToClient(m_rcDrag);
        NormalizeRect(m_rcDrag);
    }
    // While it is dragged, the rectangle is drawn by the gesture, not by the marks.
    Kill();
    InvalidateOutline(m_rcDrag);
    m_ptLast = point;
    m_bDragging = true;
    DEF_CATCH
}

void CCropTool::MouseMove(POINT point) {
    DEF_TRY
    if (!m_bDragging) return;
    InvalidateOutline(m_rcDrag);
    const LONG dx = point.x - m_ptLast.x, dy = point.y - m_ptLast.y;
    RECT& r = m_rcDrag;
    switch (m_nCapture) {
    case 0: r.right = point.x + 1; r.bottom = point.y + 1; break;
    case HIT_BODY: r.left += dx; r.right += dx; r.top += dy; r.bottom += dy; break;
    case HIT_LEFT: r.left += dx; break;
    case HIT_TOP: r.top += dy; break;
    case HIT_RIGHT: r.right += dx; break;
    case HIT_BOTTOM: r.bottom += dy; break;
    case HIT_TOPLEFT: r.top += dy; r.left += dx; break;
    case HIT_TOPRIGHT: r.top += dy; r.right += dx; break;
    case HIT_BOTTOMRIGHT: r.bottom += dy; r.right += dx; break;
    case HIT_BOTTOMLEFT: r.bottom += dy; r.left += dx; break;
    default: break;
    }
    m_ptLast = point;
    InvalidateOutline(m_rcDrag);
    DEF_CATCH
}

void CCropTool::MouseUp() {
    DEF_TRY
    if (!m_bDragging) return;
    m_bDragging = false;
    InvalidateOutline(m_rcDrag);
    RECT rc = m_rcDrag;
    NormalizeRect(rc);
    m_pView->ClientToPage(rc);
    // A rectangle of less than two page pixels each way is a click, not a choice.
    if (rc.right - rc.left < 2 && rc.bottom - rc.top < 2) rc = RECT{};
    StoreRect(rc);
    DEF_CATCH
}

void CCropTool::Cancel() {
    if (!m_bDragging) return;
    m_bDragging = false;
    InvalidateOutline(m_rcDrag);
}

void CCropTool::Paint(CDC* pDC) const {
    DEF_TRY
    if (!m_bDragging || !pDC) return;
    RECT rc = m_rcDrag;
    NormalizeRect(rc);
    Draw(pDC, rc);
    DEF_CATCH
}

void CCropTool::Draw(CDC* pDC, const RECT& rc) const {
    CViewMarks::DrawCropRect(pDC, rc);
}

void CCutTool::Draw(CDC* pDC, const RECT& rc) const {
    CViewMarks::DrawCutRect(pDC, rc);
}

// ---- Cross lines ------------------------------------------------------------------------------

void CCrossLineTool::MoveTo(POINT point) {
    if (m_pMarks) m_pMarks->SetCrossLinePos(point);
}

void CCrossLineTool::Kill() {
    if (m_pMarks && m_pMarks->GetCrossLinePos() != CViewMarks::kNoCrossLines)
        m_pMarks->KillCrossLines();
}

POINT CCrossLineTool::GetLastPoint() const {
    return m_pMarks ? m_pMarks->GetCrossLinePos() : CViewMarks::kNoCrossLines;
}

// ---- Polygon ----------------------------------------------------------------------------------

void CDrawPolygon::SetPen(int width, COLORREF color) {
    m_nWidth = std::max(1, width);
    m_crColor = color;
}

POINT CDrawPolygon::ToClient(POINT pt) const {
    if (m_pView) m_pView->PageToClient(pt);
    return pt;
}

POINT CDrawPolygon::ToPage(POINT pt) const {
    if (m_pView) m_pView->ClientToPage(pt);
    return pt;
}

void CDrawPolygon::InvalidateSegment(POINT a, POINT b, int width) const {
    std::vector<RECT> strips;
    ToolStrips::AddSegment(strips, a, b, width);
    InvalidateAll(m_pView, strips);
}

void CDrawPolygon::Start(POINT point) {
    m_bStarted = true;
    m_ptCurrent = point;
    m_ptLast = ToPage(point);
}

void CDrawPolygon::Stop() {
    if (m_bStarted) InvalidateSegment(ToClient(m_ptLast), m_ptCurrent, 1);
    m_bStarted = false;
}

void CDrawPolygon::MouseDown(POINT point) {
    DEF_TRY
    if (m_points.empty()) {
        Start(point);
    } else {
        // The rubber segment becomes a fixed edge.
        InvalidateSegment(ToClient(m_ptLast), m_ptCurrent, 1);
        InvalidateSegment(ToClient(m_ptLast), point, m_nWidth);
    }
    m_ptLast = ToPage(point);
    m_ptCurrent = point;
    AddPoint(m_ptLast);
    DEF_CATCH
}

void CDrawPolygon::MouseMove(POINT point) {
    DEF_TRY
    if (!m_bStarted) return;
    const POINT last = ToClient(m_ptLast);
    InvalidateSegment(last, m_ptCurrent, 1);
    m_ptCurrent = point;
    InvalidateSegment(last, m_ptCurrent, 1);
    DEF_CATCH
}

void CDrawPolygon::MouseDblClick() {
    DEF_TRY
    if (!m_bStarted) return;
    Stop();
    if (!m_points.empty()) AddPoint(m_points.front());
    DEF_CATCH
}

void CDrawPolygon::RemovePoints() {
    DEF_TRY
    for (std::size_t i = 0; i + 1 < m_points.size(); ++i)
        InvalidateSegment(ToClient(m_points[i]), ToClient(m_points[i + 1]), m_nWidth);
    m_points.clear();
    DEF_CATCH
}

void CDrawPolygon::Paint(CDC* pDC) const {
    DEF_TRY
    if (!pDC || m_points.empty()) return;
    const int saved = pDC->SaveDC();
    if (m_points.size() > 1) {
        std::vector<POINT> client(m_points.size());
        std::transform(m_points.begin(), m_points.end(), client.begin(),
                       [this](POINT p) { return ToClient(p); });
        pDC->SelectPen(LOGPEN{PS_SOLID, m_nWidth, m_crColor});
        pDC->Polyline(client.data(), int(client.size()));
    }
    if (m_bStarted) {
        pDC->SelectPen(LOGPEN{PS_SOLID, 1, RGB(0, 0, 0)});
        pDC->SetROP2(R2_NOT);
        const POINT last = ToClient(m_ptLast);
        pDC->MoveTo(last.x, last.y);
        pDC->LineTo(m_ptCurrent.x, m_ptCurrent.y);
    }
    pDC->RestoreDC(saved);
    DEF_CATCH
}

// ---- Eraser square ----------------------------------------------------------------------------

RECT CConstRectTool::GetCurRect() const {
    const LONG left = m_ptCentre.x - m_nWidth / 2, top = m_ptCentre.y - m_nHeight / 2;
    return RECT{left, top, left + m_nWidth, top + m_nHeight};
}

void CConstRectTool::Invalidate() const {
    if (!m_pView || m_ptCentre == POINT{-1, -1} || !m_bShown) return;
    RECT rc = GetCurRect();
    InflateRect(rc, 1, 1);
    std::vector<RECT> strips;
    ToolStrips::AddRectangle(strips, rc, 1);
    InvalidateAll(m_pView, strips);
}

void CConstRectTool::SetSize(int w, int h) {
    Hide();
    m_nWidth = std::max(0, w);
    m_nHeight = std::max(0, h);
    Show();
}

void CConstRectTool::MoveTo(POINT point) {
    Invalidate();
    m_ptCentre = point;
    Invalidate();
}

void CConstRectTool::Show() {
    if (m_bShown) return;
    m_bShown = true;
    Invalidate();
}

void CConstRectTool::Hide() {
    if (!m_bShown) return;
    Invalidate();
    m_bShown = false;
}

void CConstRectTool::Paint(CDC* pDC) const {
    DEF_TRY
    if (!pDC || !m_bShown || m_ptCentre == POINT{-1, -1}) return;
    RECT rc = GetCurRect();
    InflateRect(rc, 1, 1);
    CViewMarks::DrawCropRect(pDC, rc);
    DEF_CATCH
}
