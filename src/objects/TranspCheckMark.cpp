#include "objects/TranspCheckMark.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cstring>
#include <algorithm>
#include <cstdint>

double g_dCheckMarkWidth = 0.1;
double g_dCheckMarkHeight = 0.1;
BOOL g_bCheckMarkClicked = FALSE;

namespace {
constexpr int HALF_HANDLE = HANDLE_SIZE / 2;
// The box outline in form mode.
constexpr COLORREF FORM_OUTLINE_COLOR = 0xFF0000;
constexpr UINT CHAR_SPACE = 32;
constexpr UINT CHAR_ENTER = 13;
} // namespace

CTranspCheckMark::CTranspCheckMark(IObjectHost* pView, int x, int y, COLORREF crColor,
                                   int nLineWidth, int nPage)
    : CTranspRectShape(pView, RECT{}, crColor, nLineWidth, nPage) {
    DEF_TRY
    LONG side = InchToUnit(g_dCheckMarkWidth);
    POINT onPage{side, side};
    UnitToPage(onPage);
    if (onPage.x < CHECKMARK_MIN_SIDE) {
        POINT least{CHECKMARK_MIN_SIDE, CHECKMARK_MIN_SIDE};
        PageToUnit(least);
        side = least.x;
    }
    m_rect = RECT{x, y, AddCoord(x, side), AddCoord(y, side)};
    DEF_CATCH
}

std::unique_ptr<CTranspCheckMark>
CTranspCheckMark::FromBlock(IObjectHost* pView, const QByteArray& block, POINT pt, int nPage) {
    return PlacedFromBlock<CTranspCheckMark>(pView, block, pt, nPage);
}

void CTranspCheckMark::Serialize(CArchive& ar) {
    DEF_TRY
    // After the page index: 12 zero bytes, the tick flag, 4 zero bytes.
    LONG extra[] = {0, 0, 0, m_bChecked};
    LONG version = 0;
    const int n = SerializeRect(ar, RECORD_SIZE_CHECKMARK, RECORD_VERSION_CHECKMARK, false, extra,
                                4, &version);
    // A record of version 1 has no tick state: the check mark stays ticked.
    if (ar.IsLoading()) m_bChecked = version >= 2 && n >= 4 ? extra[3] : TRUE;
    DEF_CATCH_RECORD
}

void CTranspCheckMark::GetTickPolygons(const RECT& rc, POINT shortLeg[4], POINT longLeg[4]) {
    DEF_TRY
    const std::int64_t w = std::int64_t(rc.right) - rc.left;
    const std::int64_t h = std::int64_t(rc.bottom) - rc.top;
    const std::int64_t m = std::min(w, h);
    // The tick sits in an m × m square centred in the rectangle, its vertex a third of the way
    // along the square's bottom.
    const std::int64_t left = rc.left + (w - m) / 2;
    const std::int64_t bottom = rc.bottom - (h - m) / 2;
    const std::int64_t e = m / 3;
    const std::int64_t x = left + e;
    const std::int64_t s = (3 * e) / 5;
    const std::int64_t k = (2 * m) / 3;
    const auto pt = [](std::int64_t px, std::int64_t py) {
        return POINT{ClampCoord(px), ClampCoord(py)};
    };
    shortLeg[0] = pt(x, bottom);
    shortLeg[1] = pt(x, bottom - 1);
    shortLeg[2] = pt(x - s, bottom - 1 - e);
    shortLeg[3] = pt(x - s, bottom - e);
    longLeg[0] = pt(x, bottom);
    longLeg[1] = pt(x, bottom - 1);
    longLeg[2] = pt(x + k, bottom - 1 - k);
    longLeg[3] = pt(x + k, bottom - k);
    DEF_CATCH
}

void CTranspCheckMark::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    const RECT rc = DeviceRect(*this, pDC, bPrinting, pDpi);

    // The tick goes inside the box, half a handle in from its sides, when there is room left.
    const std::int64_t w = std::int64_t(rc.right) - rc.left;
    const std::int64_t h = std::int64_t(rc.bottom) - rc.top;
    if (m_bChecked && w > 2 * HALF_HANDLE && h > 2 * HALF_HANDLE) {
        RECT inner = rc;
        InflateRect(inner, -HALF_HANDLE, -HALF_HANDLE);
        POINT shortLeg[4];
        POINT longLeg[4];
        GetTickPolygons(inner, shortLeg, longLeg);
        const COLORREF color = GetOutlineColor(m_crColor);
        CSaveDC saved(pDC);
        pDC->SelectPen(LOGPEN{PS_SOLID, DevicePenWidth(*this, pDC, bPrinting, pDpi), color});
        pDC->SelectBrush(LOGBRUSH{BS_SOLID, color});
        pDC->Polygon(shortLeg, 4);
        pDC->Polygon(longLeg, 4);
    }
    // The box outline is a screen aid only.
    if (bPrinting) return;
    const bool form = m_pView && m_pView->IsFormMode();
    {
        CSaveDC saved(pDC);
        if (form)
            pDC->SelectPen(LOGPEN{PS_SOLID, m_bFocused ? 2 : 1, FORM_OUTLINE_COLOR});
        else
            pDC->SelectPen(
                LOGPEN{PS_DOT, 1, m_bFocused || m_bSelected ? m_crTabOrderFocused : m_crTabOrder});
        pDC->SelectBrush(LOGBRUSH{BS_HOLLOW, 0});
        pDC->Rectangle(rc);
    }
    if (m_bSelected && !form)
        DrawSelectFrame(pDC, rc, FALSE);
    else if (m_bDisabled)
        DrawFreezeFrame(pDC, rc);
    else if (m_bFocused)
        DrawFocusFrame(pDC, rc, FALSE);
    // The next check mark a tool creates takes the size of the last one focused.
    if (m_bFocused) {
        RECT units = m_rect;
        NormalizeRect(units);
        g_dCheckMarkWidth = (double(units.right) - units.left) * g_dUnitScale;
        g_dCheckMarkHeight = (double(units.bottom) - units.top) * g_dUnitScale;
    }
    DEF_CATCH
}

QByteArray CTranspCheckMark::GetObData() const {
    DEF_TRY
    const LONG extra[] = {m_bChecked};
    return MakeRectBlock(CHECKMARK_BLOCK_SIZE, CLIPKIND_CHECKMARK, CHECKMARK_BLOCK_VERSION, extra,
                         1);
    DEF_CATCH
    return {};
}

BOOL CTranspCheckMark::SetObData(const QByteArray& block) {
    DEF_TRY
    // Blocks after the first version carry the tick state, and must hold it.
    const bool hasState = GetBlockLong(block, 8) > 1;
    if (!SetRectBlock(block, {CLIPKIND_CHECKMARK}, hasState ? 52 : 48)) return FALSE;
    m_bChecked = hasState ? GetBlockLong(block, 48) : TRUE;
    return TRUE;
    DEF_CATCH
    return FALSE;
}

int CTranspCheckMark::GetCapture(POINT point) const {
    DEF_TRY
    const int code = CTranspGraphClass::GetCapture(point);
    return code >= HIT_LEFT && code <= HIT_BOTTOM ? HIT_BODY : code;
    DEF_CATCH
    return HIT_NONE;
}

BOOL CTranspCheckMark::OnLButtonDown(UINT nFlags, POINT point) {
    DEF_TRY
    g_bCheckMarkClicked = TRUE;
    return CTranspGraphClass::OnLButtonDown(nFlags, point);
    DEF_CATCH
    return FALSE;
}

BOOL CTranspCheckMark::OnMouseMove(UINT nFlags, POINT point) {
    DEF_TRY
    g_bCheckMarkClicked = FALSE;
    // A form being filled in keeps its check boxes where they are.
    if (m_pView && m_pView->IsFormMode()) return FALSE;
    return CTranspGraphClass::OnMouseMove(nFlags, point);
    DEF_CATCH
    return FALSE;
}

void CTranspCheckMark::OnLButtonUp(UINT nFlags, POINT point) {
    DEF_TRY
    // A click without a drag toggles; during tab-order display a click only picks the box.
    if (g_bCheckMarkClicked && !m_bTabOrderDisplay) InvertState();
    g_bCheckMarkClicked = FALSE;
    CTranspGraphClass::OnLButtonUp(nFlags, point);
    DEF_CATCH
}

void CTranspCheckMark::OnChar(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    DEF_TRY
    if (nChar != CHAR_SPACE && nChar != CHAR_ENTER) return;
    InvertState();
    // A key has no button-up to record the new state for undo.
    AddUndo();
    DEF_CATCH
}

void CTranspCheckMark::InvertState() {
    DEF_TRY
    m_bChecked = !m_bChecked;
    SetModified();
    Repaint();
    DEF_CATCH
}

void CTranspCheckMark::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    m_bChecked = *static_cast<const BOOL*>(pState);
    DEF_CATCH
}

UndoState CTranspCheckMark::GetUndoState() const {
    DEF_TRY
    return std::make_shared<BOOL>(m_bChecked);
    DEF_CATCH
    return nullptr;
}

namespace {
struct CHECKHISTORYSTATE {
    GRAPHUNDOSTATE graph;
    BOOL bChecked = FALSE;
};
} // namespace

UndoState CTranspCheckMark::GetHistoryState() const {
    DEF_TRY
    auto s = std::make_shared<CHECKHISTORYSTATE>();
    if (UndoState graph = CTranspGraphClass::GetUndoState())
        s->graph = *static_cast<const GRAPHUNDOSTATE*>(graph.get());
    s->bChecked = m_bChecked;
    return s;
    DEF_CATCH
    return nullptr;
}

void CTranspCheckMark::SetHistoryState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    const auto* s = static_cast<const CHECKHISTORYSTATE*>(pState);
    CTranspGraphClass::SetUndoState(&s->graph);
    m_bChecked = s->bChecked;
    DEF_CATCH
}

BOOL CTranspCheckMark::IsSameHistoryState(const void* pA, const void* pB) const {
    if (!pA || !pB) return pA == pB;
    const auto* a = static_cast<const CHECKHISTORYSTATE*>(pA);
    const auto* b = static_cast<const CHECKHISTORYSTATE*>(pB);
    return a->bChecked == b->bChecked &&
           std::memcmp(&a->graph, &b->graph, sizeof(GRAPHUNDOSTATE)) == 0;
}
