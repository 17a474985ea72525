#include "view/ViewMarks.h"

#include "objects/ObjectHost.h"
#include "objects/ObjectTypes.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "view/ViewGeometry.h"

#include <algorithm>

namespace {
// A rectangle with its corners in order, or empty when it covers nothing.
RECT Normalized(RECT r) {
    NormalizeRect(r);
    return r.IsRectEmpty() ? RECT{} : r;
}

// Inverted one-pixel black outlines without filling, the state every tool shape is drawn in.
class CInvertState {
public:
    CInvertState(CDC* pDC, int penStyle) : m_pDC(pDC), m_saved(pDC->SaveDC()) {
        pDC->SelectPen(LOGPEN{penStyle, 1, 0});
        pDC->SelectBrush(LOGBRUSH{BS_NULL, 0});
        pDC->SetROP2(R2_NOT);
        pDC->SetBkMode(TRANSPARENT);
    }
    ~CInvertState() { m_pDC->RestoreDC(m_saved); }
    CInvertState(const CInvertState&) = delete;
    CInvertState& operator=(const CInvertState&) = delete;

private:
    CDC* m_pDC;
    int m_saved;
};
} // namespace

CViewMarks::CViewMarks(const CViewGeometry& geometry, IObjectHost& host)
    : m_geometry(geometry), m_host(host) {}

bool CViewMarks::AddRefPoint(POINT ptPage) {
    DEF_TRY
    if (int(m_refPoints.size()) >= kMaxRefPoints) return false;
    m_refPoints.push_back(ptPage);
    RepaintRefPoint(int(m_refPoints.size()) - 1);
    return true;
    DEF_CATCH
    return false;
}

void CViewMarks::MoveRefPoint(int index, POINT ptPage) {
    DEF_TRY
    if (index < 0 || index >= int(m_refPoints.size())) return;
    RepaintRefPoint(index);
    m_refPoints[std::size_t(index)] = ptPage;
    RepaintRefPoint(index);
    DEF_CATCH
}

void CViewMarks::DeleteRefPoints() {
    DEF_TRY
    for (int i = 0; i < int(m_refPoints.size()); ++i)
        RepaintRefPoint(i);
    m_refPoints.clear();
    DEF_CATCH
}

POINT CViewMarks::RefPointViewPos(int index) const {
    if (index < 0 || index >= int(m_refPoints.size())) return POINT{};
    POINT pt = m_refPoints[std::size_t(index)];
    m_geometry.PageToView(pt);
    const double s = m_geometry.GetScale();
    if (s > 1) {
        const LONG half = LONG(s * 0.5);
        pt.x += half;
        pt.y += half;
    }
    return pt;
}

void CViewMarks::RepaintRefPoint(int index) const {
    DEF_TRY
    if (index < 0 || index >= int(m_refPoints.size())) return;
    RECT rc = RefPointMarkerRect(RefPointViewPos(index));
    m_geometry.ViewToClient(rc);
    m_host.InvalidateRect(rc);
    DEF_CATCH
}

void CViewMarks::InvalidatePageRect(const RECT& rcPage) const {
    RECT rc = Normalized(rcPage);
    if (rc.IsRectEmpty()) return;
    m_geometry.PageToClient(rc);
    // The outline is drawn on the rectangle's last column and row as well.
    rc.right += 1;
    rc.bottom += 1;
    m_host.InvalidateRect(rc);
}

void CViewMarks::SetCropRect(const RECT& rcPage) {
    DEF_TRY
    InvalidatePageRect(m_rcCrop);
    m_rcCrop = Normalized(rcPage);
    InvalidatePageRect(m_rcCrop);
    DEF_CATCH
}

void CViewMarks::SetCutRect(const RECT& rcPage) {
    DEF_TRY
    InvalidatePageRect(m_rcCut);
    m_rcCut = Normalized(rcPage);
    InvalidatePageRect(m_rcCut);
    DEF_CATCH
}

void CViewMarks::InvalidateCrossLines(POINT pt) const {
    if (pt == kNoCrossLines) return;
    const RECT client = m_host.GetClientRect();
    m_host.InvalidateRect(RECT{client.left, pt.y, client.right, pt.y + 1});
    m_host.InvalidateRect(RECT{pt.x, client.top, pt.x + 1, client.bottom});
}

void CViewMarks::SetCrossLinePos(POINT ptClient) {
    DEF_TRY
    InvalidateCrossLines(m_ptCrossLine);
    m_ptCrossLine = ptClient;
    InvalidateCrossLines(m_ptCrossLine);
    DEF_CATCH
}

void CViewMarks::DrawPageMarks(CDC* pDC, const RECT& rcImageView) const {
    DEF_TRY
    for (int i = 0; i < int(m_refPoints.size()); ++i) {
        const POINT pt = RefPointViewPos(i);
        RECT meet;
        if (IntersectRect(meet, RefPointMarkerRect(pt), rcImageView)) DrawRefPointMarker(pDC, pt);
    }
    if (!m_rcCrop.IsRectEmpty()) {
        RECT rc = m_rcCrop;
        m_geometry.PageToView(rc);
        DrawCropRect(pDC, rc);
    }
    if (!m_rcCut.IsRectEmpty()) {
        RECT rc = m_rcCut;
        m_geometry.PageToView(rc);
        DrawCutRect(pDC, rc);
    }
    DEF_CATCH
}

void CViewMarks::DrawCrossLines(CDC* pDC) const {
    DEF_TRY
    if (m_ptCrossLine == kNoCrossLines) return;
    DrawCrossLines(pDC, m_ptCrossLine, m_host.GetClientRect());
    DEF_CATCH
}

RECT CViewMarks::RefPointMarkerRect(POINT pt) {
    return RECT{pt.x - 7, pt.y - 7, pt.x + 8, pt.y + 8};
}

void CViewMarks::DrawRefPointMarker(CDC* pDC, POINT pt) {
    const CInvertState state(pDC, PS_SOLID);
    pDC->MoveTo(pt.x - 5, pt.y);
    pDC->LineTo(pt.x + 6, pt.y);
    pDC->MoveTo(pt.x, pt.y - 5);
    pDC->LineTo(pt.x, pt.y + 6);
    pDC->Ellipse(RefPointMarkerRect(pt));
}

void CViewMarks::DrawCropRect(CDC* pDC, const RECT& rc) {
    const CInvertState state(pDC, PS_SOLID);
    pDC->Rectangle(rc);
}

void CViewMarks::DrawCutRect(CDC* pDC, const RECT& rc) {
    const CInvertState state(pDC, PS_DOT);
    pDC->Rectangle(rc);
}

void CViewMarks::DrawCrossLines(CDC* pDC, POINT pt, const RECT& rcClient) {
    const CInvertState state(pDC, PS_SOLID);
    pDC->MoveTo(rcClient.left, pt.y);
    pDC->LineTo(rcClient.right, pt.y);
    pDC->MoveTo(pt.x, rcClient.top);
    pDC->LineTo(pt.x, rcClient.bottom);
}
