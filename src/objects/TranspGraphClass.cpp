#include "objects/TranspGraphClass.h"

#include "platform/Guard.h"

namespace {
constexpr int HALF_HANDLE = HANDLE_SIZE / 2;
} // namespace

CTranspGraphClass::CTranspGraphClass(IObjectHost* pView, int nPage)
    : CTranspBaseClass(pView, nPage) {}

CTranspGraphClass::CTranspGraphClass(IObjectHost* pView, const RECT& rect, COLORREF crColor,
                                     int nLineWidth, int nPage)
    : CTranspBaseClass(pView, nPage), m_crColor(crColor), m_nLineWidth(nLineWidth),
      m_rect(rect) {}

void CTranspGraphClass::GetAlignRect(RECT* pRect) const { *pRect = m_rect; }

void CTranspGraphClass::GetBoundsRect(RECT* pRect) const {
    DEF_TRY
    if (!m_pView) {
        *pRect = RECT{};
        return;
    }
    RECT rc = m_rect;
    NormalizeRect(rc);
    UnitToPage(rc);
    PageToClient(rc);
    InflateRect(rc, HALF_HANDLE, HALF_HANDLE);
    *pRect = rc;
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspGraphClass::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    GetBoundsRect(pRect);
    // A wide line reaches beyond the handles.
    const int half = GetPixelLineWidth() / 2;
    if (half > HALF_HANDLE)
        InflateRect(*pRect, half - HALF_HANDLE, half - HALF_HANDLE);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

int CTranspGraphClass::GetCapture(POINT point) const {
    DEF_TRY
    RECT rc;
    GetBoundsRect(&rc);
    if (rc.IsRectEmpty())
        return HIT_NONE;
    // Bands of a handle's width along each side, inside the bounds; what lies inside all four is
    // the body (nothing, when the bounds are 14 pixels or less across).
    RECT band;
    IntersectRect(band, rc, RECT{rc.left, rc.top, AddCoord(rc.left, HANDLE_SIZE), rc.bottom});
    const bool inLeft = PtInRect(band, point);
    IntersectRect(band, rc, RECT{rc.left, rc.top, rc.right, AddCoord(rc.top, HANDLE_SIZE)});
    const bool inTop = PtInRect(band, point);
    IntersectRect(band, rc, RECT{SubCoord(rc.right, HANDLE_SIZE), rc.top, rc.right, rc.bottom});
    const bool inRight = PtInRect(band, point);
    IntersectRect(band, rc, RECT{rc.left, SubCoord(rc.bottom, HANDLE_SIZE), rc.right, rc.bottom});
    const bool inBottom = PtInRect(band, point);

    if (inLeft && inTop)
        return HIT_TOPLEFT;
    if (inTop && inRight)
        return HIT_TOPRIGHT;
    if (inRight && inBottom)
        return HIT_BOTTOMRIGHT;
    if (inBottom && inLeft)
        return HIT_BOTTOMLEFT;
    if (inLeft)
        return HIT_LEFT;
    if (inTop)
        return HIT_TOP;
    if (inRight)
        return HIT_RIGHT;
    if (inBottom)
        return HIT_BOTTOM;
    RECT inner = rc;
    InflateRect(inner, -HANDLE_SIZE, -HANDLE_SIZE);
    if (PtInRect(inner, point))
        return HIT_BODY;
    return HIT_NONE;
    DEF_CATCH
    return HIT_NONE;
}

bool CTranspGraphClass::GetCaptureCursor(int nCode, QCursor& cursor) const {
    DEF_TRY
    switch (nCode) {
    case HIT_TOPLEFT:
    case HIT_BOTTOMRIGHT:
        cursor = QCursor(Qt::SizeFDiagCursor);
        return true;
    case HIT_TOPRIGHT:
    case HIT_BOTTOMLEFT:
        cursor = QCursor(Qt::SizeBDiagCursor);
        return true;
    case HIT_LEFT:
    case HIT_RIGHT:
        cursor = QCursor(Qt::SizeHorCursor);
        return true;
    case HIT_TOP:
    case HIT_BOTTOM:
        cursor = QCursor(Qt::SizeVerCursor);
        return true;
    case HIT_BODY:
        cursor = m_pView ? m_pView->GetMoveCursor() : QCursor(Qt::SizeAllCursor);
        return true;
    default:
        return false;
    }
    DEF_CATCH
    return false;
}

void CTranspGraphClass::Resize(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    RECT& r = m_rect;
    switch (m_nCapture) {
    case HIT_BODY:
        OffsetRect(r, dx, dy);
        break;
    case HIT_LEFT:
        r.left = AddCoord(r.left, dx);
        break;
    case HIT_TOP:
        r.top = AddCoord(r.top, dy);
        break;
    case HIT_RIGHT:
        r.right = AddCoord(r.right, dx);
        break;
    case HIT_BOTTOM:
        r.bottom = AddCoord(r.bottom, dy);
        break;
    case HIT_TOPLEFT:
        r.top = AddCoord(r.top, dy);
        r.left = AddCoord(r.left, dx);
        break;
    case HIT_TOPRIGHT:
        r.top = AddCoord(r.top, dy);
        r.right = AddCoord(r.right, dx);
        break;
    case HIT_BOTTOMRIGHT:
        r.bottom = AddCoord(r.bottom, dy);
        r.right = AddCoord(r.right, dx);
        break;
    case HIT_BOTTOMLEFT:
        r.bottom = AddCoord(r.bottom, dy);
        r.left = AddCoord(r.left, dx);
        break;
    default:
        break;
    }
    Repaint(&rcOld);
    if (dx != 0 || dy != 0)
        SetModified();
    DEF_CATCH
}

void CTranspGraphClass::MoveBy(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    OffsetRect(m_rect, dx, dy);
    Repaint(&rcOld);
    if (dx != 0 || dy != 0)
        SetModified();
    DEF_CATCH
}

BOOL CTranspGraphClass::OnLButtonDown(UINT nFlags, POINT point) {
    DEF_TRY
    SavePosition();
    // Ctrl+drag copies the object by drag-and-drop instead of moving it.
    if (nFlags & MK_CONTROL) {
        BeginDrag();
        return FALSE;
    }
    m_bTracking = TRUE;
    m_nCapture = GetCapture(point);
    m_ptLast = point;
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspGraphClass::OnMouseMove(UINT nFlags, POINT point) {
    DEF_TRY
    if (m_nCapture == HIT_BODY && !CTranspBaseClass::OnMouseMove(nFlags, point))
        return FALSE;
    if (m_bTracking) {
        POINT ptNew = point;
        POINT ptOld = m_ptLast;
        ClientToPage(ptNew);
        PageToUnit(ptNew);
        ClientToPage(ptOld);
        PageToUnit(ptOld);
        Resize(SubCoord(ptNew.x, ptOld.x), SubCoord(ptNew.y, ptOld.y));
        m_ptLast = point;
        return TRUE;
    }
    if (!m_pView || m_pView->IsFormMode())
        return FALSE;
    QCursor cursor;
    if (GetCaptureCursor(GetCapture(point), cursor))
        m_pView->SetCursor(cursor);
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspGraphClass::OnLButtonUp(UINT /*nFlags*/, POINT /*point*/) {
    DEF_TRY
    NormalizeRect(m_rect);
    if (m_bTracking)
        AddUndo();
    m_bTracking = FALSE;
    m_nCapture = HIT_NONE;
    DEF_CATCH
}

void CTranspGraphClass::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState)
        return;
    const auto* s = static_cast<const GRAPHUNDOSTATE*>(pState);
    m_rect = RECT{s->left, s->top, s->right, s->bottom};
    m_crColor = s->crColor;
    m_nLineWidth = s->nLineWidth;
    DEF_CATCH
}

UndoState CTranspGraphClass::GetUndoState() const {
    DEF_TRY
    auto s = std::make_shared<GRAPHUNDOSTATE>();
    s->left = m_rect.left;
    s->top = m_rect.top;
    s->right = m_rect.right;
    s->bottom = m_rect.bottom;
    s->crColor = m_crColor;
    s->nLineWidth = m_nLineWidth;
    return s;
    DEF_CATCH
    return nullptr;
}

void CTranspGraphClass::SetColor(COLORREF crColor) {
    DEF_TRY
    if (crColor != m_crColor)
        SetModified();
    m_crColor = crColor;
    Repaint();
    AddUndo();
    DEF_CATCH
}

void CTranspGraphClass::SetLineWidth(int nLineWidth) {
    DEF_TRY
    if (nLineWidth != m_nLineWidth)
        SetModified();
    RECT rcOld;
    GetRepaintRect(&rcOld);
    m_nLineWidth = nLineWidth;
    Repaint(&rcOld);
    AddUndo();
    DEF_CATCH
}

int CTranspGraphClass::GetPixelLineWidth() const {
    DEF_TRY
    POINT pt{m_nLineWidth, m_nLineWidth};
    UnitToPage(pt);
    PageToView(pt);
    return pt.x;
    DEF_CATCH
    return 0;
}

BOOL CTranspGraphClass::IsSameHistoryState(const void* pA, const void* pB) const {
    if (!pA || !pB) return pA == pB;
    return std::memcmp(pA, pB, sizeof(GRAPHUNDOSTATE)) == 0;
}
