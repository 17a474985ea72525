#include "objects/TranspCircle.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cstring>
#include <cstdint>

namespace {
// |r| held to a coordinate.
LONG AbsRadius(LONG r) {
    return r == INT_MIN ? INT_MAX : r < 0 ? -r : r;
}
} // namespace

CTranspCircle::CTranspCircle(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {
    RecalcRect();
}

CTranspCircle::CTranspCircle(IObjectHost* pView, int cx, int cy, int r, COLORREF crColor,
                             int nLineWidth, int nPage)
    : CTranspGraphClass(pView, RECT{}, crColor, nLineWidth, nPage), m_cx(cx), m_cy(cy),
      m_nRadius(AbsRadius(r)) {
    RecalcRect();
}

std::unique_ptr<CTranspCircle> CTranspCircle::FromBlock(IObjectHost* pView, const QByteArray& block,
                                                        POINT pt, int nPage) {
    return PlacedFromBlock<CTranspCircle>(pView, block, pt, nPage);
}

void CTranspCircle::RecalcRect() {
    m_rect = RECT{SubCoord(m_cx, m_nRadius), SubCoord(m_cy, m_nRadius), AddCoord(m_cx, m_nRadius),
                  AddCoord(m_cy, m_nRadius)};
}

void CTranspCircle::Serialize(CArchive& ar) {
    DEF_TRY
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        CRecordFrameWriter writer(RECORD_SIZE_SHAPE, RECORD_VERSION_SHAPE);
        // The radius is scaled as a horizontal length.
        writer.Fixed() << std::int32_t(dpi.StoreX(m_cx)) << std::int32_t(dpi.StoreY(m_cy))
                       << std::int32_t(dpi.StoreX(m_nRadius)) << std::uint32_t(m_crColor)
                       << std::int32_t(m_nLineWidth) << std::int32_t(m_nPage);
        writer.WriteTo(ar);
        return;
    }
    CRecordFrameReader reader(ar, RECORD_SIZE_SHAPE);
    LONG f[6] = {};
    const int n = reader.ReadLongs(f, 6);
    reader.End();
    if (n > 0) m_cx = dpi.LoadX(f[0]);
    if (n > 1) m_cy = dpi.LoadY(f[1]);
    if (n > 2) m_nRadius = AbsRadius(dpi.LoadX(f[2]));
    if (n > 3) m_crColor = COLORREF(f[3]);
    if (n > 4) m_nLineWidth = f[4];
    if (n > 5) m_nPage = f[5];
    RecalcRect();
    DEF_CATCH_RECORD
}

void CTranspCircle::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    // The rectangle is always normalised, as the centre and the radius give it.
    if (pDC) DrawHollowEllipse(*this, pDC, bPrinting, pDpi);
    DEF_CATCH
}

void CTranspCircle::MoveBy(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    m_cx = AddCoord(m_cx, dx);
    m_cy = AddCoord(m_cy, dy);
    RecalcRect();
    Repaint(&rcOld);
    if (dx != 0 || dy != 0) SetModified();
    DEF_CATCH
}

int CTranspCircle::GetCapture(POINT point) const {
    DEF_TRY
    const int code = CTranspGraphClass::GetCapture(point);
    return code >= HIT_TOPLEFT && code <= HIT_BOTTOMLEFT ? HIT_BODY : code;
    DEF_CATCH
    return HIT_NONE;
}

void CTranspCircle::Resize(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    // An edge dragged across the centre hands the rest of the drag to the opposite edge.
    switch (m_nCapture) {
    case HIT_BODY:
        m_cx = AddCoord(m_cx, dx);
        m_cy = AddCoord(m_cy, dy);
        break;
    case HIT_LEFT:
        m_nRadius = SubCoord(m_nRadius, dx);
        if (m_nRadius < 0) m_nCapture = HIT_RIGHT;
        break;
    case HIT_TOP:
        m_nRadius = SubCoord(m_nRadius, dy);
        if (m_nRadius < 0) m_nCapture = HIT_BOTTOM;
        break;
    case HIT_RIGHT:
        m_nRadius = AddCoord(m_nRadius, dx);
        if (m_nRadius < 0) m_nCapture = HIT_LEFT;
        break;
    case HIT_BOTTOM:
        m_nRadius = AddCoord(m_nRadius, dy);
        if (m_nRadius < 0) m_nCapture = HIT_TOP;
        break;
    default:
        break;
    }
    m_nRadius = AbsRadius(m_nRadius);
    RecalcRect();
    Repaint(&rcOld);
    if (dx != 0 || dy != 0) SetModified();
    DEF_CATCH
}

QByteArray CTranspCircle::GetObData() const {
    DEF_TRY
    QByteArray block = MakeObjectBlock(CIRCLE_BLOCK_SIZE, CLIPKIND_CIRCLE, 1);
    PutBlockLong(block, 24, m_nRadius);
    PutBlockLong(block, 28, m_nLineWidth);
    PutBlockLong(block, 32, LONG(m_crColor));
    return block;
    DEF_CATCH
    return {};
}

BOOL CTranspCircle::SetObData(const QByteArray& block) {
    DEF_TRY
    OBJECTBLOCKHEAD head;
    if (!ReadObjectBlockHead(block, {CLIPKIND_CIRCLE}, CIRCLE_BLOCK_SIZE, head)) return FALSE;
    g_dUnitScale = head.dUnitScale;
    m_nRadius = AbsRadius(GetBlockLong(block, 24));
    m_nLineWidth = GetBlockLong(block, 28);
    m_crColor = COLORREF(GetBlockLong(block, 32));
    RecalcRect();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspCircle::PlaceAt(int x, int y) {
    DEF_TRY
    m_cx = x;
    m_cy = y;
    RecalcRect();
    DEF_CATCH
}

void CTranspCircle::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    const auto* s = static_cast<const CIRCLEUNDOSTATE*>(pState);
    m_crColor = s->crColor;
    m_nLineWidth = s->nLineWidth;
    m_cx = s->cx;
    m_cy = s->cy;
    m_nRadius = s->nRadius;
    RecalcRect();
    DEF_CATCH
}

UndoState CTranspCircle::GetUndoState() const {
    DEF_TRY
    auto s = std::make_shared<CIRCLEUNDOSTATE>();
    s->crColor = m_crColor;
    s->nLineWidth = m_nLineWidth;
    s->cx = m_cx;
    s->cy = m_cy;
    s->nRadius = m_nRadius;
    return s;
    DEF_CATCH
    return nullptr;
}

BOOL CTranspCircle::IsSameHistoryState(const void* pA, const void* pB) const {
    if (!pA || !pB) return pA == pB;
    return std::memcmp(pA, pB, sizeof(CIRCLEUNDOSTATE)) == 0;
}
