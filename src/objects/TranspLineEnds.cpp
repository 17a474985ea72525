#include "objects/TranspLineEnds.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cstring>
#include <cstdint>

namespace {
constexpr int HALF_HANDLE = HANDLE_SIZE / 2;

bool NearPoint(POINT a, POINT b) {
    return std::llabs(std::int64_t(a.x) - b.x) <= HALF_HANDLE &&
           std::llabs(std::int64_t(a.y) - b.y) <= HALF_HANDLE;
}
} // namespace

CTranspLineEnds::CTranspLineEnds(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {
    RecalcRect();
}

CTranspLineEnds::CTranspLineEnds(IObjectHost* pView, int x1, int y1, int x2, int y2,
                                 COLORREF crColor, int nLineWidth, int nPage)
    : CTranspGraphClass(pView, RECT{}, crColor, nLineWidth, nPage), m_x1(x1), m_y1(y1), m_x2(x2),
      m_y2(y2) {
    RecalcRect();
}

void CTranspLineEnds::RecalcRect() {
    m_rect = RECT{m_x1, m_y1, m_x2, m_y2};
    NormalizeRect(m_rect);
}

void CTranspLineEnds::MoveEnds(int nCapture, BOOL bCreating, int dx, int dy) {
    switch (nCapture) {
    case HIT_TOPLEFT:
        m_x1 = AddCoord(m_x1, dx);
        m_y1 = AddCoord(m_y1, dy);
        break;
    case HIT_BOTTOMRIGHT:
        m_x2 = AddCoord(m_x2, dx);
        m_y2 = AddCoord(m_y2, dy);
        break;
    case HIT_BODY:
        // An object still being drawn out by its tool follows only its end point.
        if (bCreating) break;
        m_x1 = AddCoord(m_x1, dx);
        m_y1 = AddCoord(m_y1, dy);
        m_x2 = AddCoord(m_x2, dx);
        m_y2 = AddCoord(m_y2, dy);
        break;
    default:
        break;
    }
}

void CTranspLineEnds::Serialize(CArchive& ar) {
    DEF_TRY
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        CRecordFrameWriter writer(RECORD_SIZE_SHAPE, RECORD_VERSION_SHAPE);
        writer.Fixed() << std::int32_t(dpi.StoreX(m_x1)) << std::int32_t(dpi.StoreY(m_y1))
                       << std::int32_t(dpi.StoreX(m_x2)) << std::int32_t(dpi.StoreY(m_y2))
                       << std::uint32_t(m_crColor) << std::int32_t(m_nLineWidth)
                       << std::int32_t(m_nPage);
        writer.WriteTo(ar);
    } else {
        CRecordFrameReader reader(ar, RECORD_SIZE_SHAPE);
        LONG f[7] = {};
        const int n = reader.ReadLongs(f, 7);
        reader.End();
        // Only a record read whole changes the object.
        if (n > 0) m_x1 = dpi.LoadX(f[0]);
        if (n > 1) m_y1 = dpi.LoadY(f[1]);
        if (n > 2) m_x2 = dpi.LoadX(f[2]);
        if (n > 3) m_y2 = dpi.LoadY(f[3]);
        if (n > 4) m_crColor = COLORREF(f[4]);
        if (n > 5) m_nLineWidth = f[5];
        if (n > 6) m_nPage = f[6];
    }
    RecalcRect();
    DEF_CATCH_RECORD
}

void CTranspLineEnds::DrawEndMarks(CDC* pDC, POINT p1, POINT p2) const {
    DEF_TRY
    const bool spans = std::llabs(std::int64_t(p2.x) - p1.x) > HANDLE_SIZE &&
                       std::llabs(std::int64_t(p2.y) - p1.y) > HANDLE_SIZE;
    const POINT mid{LONG((std::int64_t(p1.x) + p2.x) / 2), LONG((std::int64_t(p1.y) + p2.y) / 2)};
    const auto squares = [&](void (*square)(CDC*, int, int)) {
        square(pDC, p1.x, p1.y);
        square(pDC, p2.x, p2.y);
        square(pDC, mid.x, mid.y);
    };
    if (m_bSelected) {
        if (spans)
            DrawSelectFrame(pDC, RECT{p1.x, p1.y, p2.x, p2.y}, TRUE);
        else
            squares(&CTranspBaseClass::DrawSelectSquare);
    } else if (m_bDisabled) {
        DrawFreezeMark(pDC, p1.x, p1.y);
        DrawFreezeMark(pDC, p2.x, p2.y);
    } else if (m_bFocused) {
        if (spans)
            DrawFocusFrame(pDC, RECT{p1.x, p1.y, p2.x, p2.y}, TRUE);
        else
            squares(&CTranspBaseClass::DrawFocusSquare);
    }
    DEF_CATCH
}

void CTranspLineEnds::DragEnds(int nCapture, BOOL bCreating, int dx, int dy) {
    RECT rcOld;
    GetRepaintRect(&rcOld);
    MoveEnds(nCapture, bCreating, dx, dy);
    RecalcRect();
    Repaint(&rcOld);
    if (dx != 0 || dy != 0) SetModified();
}

void CTranspLineEnds::MoveBy(int dx, int dy) {
    DEF_TRY
    DragEnds(HIT_BODY, FALSE, dx, dy);
    DEF_CATCH
}

void CTranspLineEnds::Resize(int dx, int dy) {
    DEF_TRY
    DragEnds(m_nCapture, m_bCreating, dx, dy);
    DEF_CATCH
}

int CTranspLineEnds::GetCapture(POINT point) const {
    DEF_TRY
    if (!m_pView) return HIT_NONE;
    POINT p1{m_x1, m_y1};
    POINT p2{m_x2, m_y2};
    UnitToPage(p1);
    PageToClient(p1);
    UnitToPage(p2);
    PageToClient(p2);
    if (NearPoint(point, p1)) return HIT_TOPLEFT;
    if (NearPoint(point, p2)) return HIT_BOTTOMRIGHT;
    RECT rc;
    GetBoundsRect(&rc);
    return PtInRect(rc, point) ? HIT_BODY : HIT_NONE;
    DEF_CATCH
    return HIT_NONE;
}

QByteArray CTranspLineEnds::GetObData() const {
    DEF_TRY
    QByteArray block = MakeObjectBlock(LINE_BLOCK_SIZE, GetClipKind(), 1);
    PutBlockLong(block, 24, m_x1);
    PutBlockLong(block, 28, m_y1);
    PutBlockLong(block, 32, m_x2);
    PutBlockLong(block, 36, m_y2);
    PutBlockLong(block, 40, m_nLineWidth);
    PutBlockLong(block, 44, LONG(m_crColor));
    return block;
    DEF_CATCH
    return {};
}

BOOL CTranspLineEnds::SetObData(const QByteArray& block) {
    DEF_TRY
    OBJECTBLOCKHEAD head;
    if (!ReadObjectBlockHead(block, {GetClipKind()}, LINE_BLOCK_SIZE, head)) return FALSE;
    g_dUnitScale = head.dUnitScale;
    m_x1 = GetBlockLong(block, 24);
    m_y1 = GetBlockLong(block, 28);
    m_x2 = GetBlockLong(block, 32);
    m_y2 = GetBlockLong(block, 36);
    m_nLineWidth = GetBlockLong(block, 40);
    m_crColor = COLORREF(GetBlockLong(block, 44));
    RecalcRect();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspLineEnds::PlaceAt(int x, int y) {
    DEF_TRY
    MoveEnds(HIT_BODY, FALSE, SubCoord(x, m_rect.left), SubCoord(y, m_rect.top));
    RecalcRect();
    DEF_CATCH
}

void CTranspLineEnds::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    const auto* s = static_cast<const LINEUNDOSTATE*>(pState);
    m_crColor = s->crColor;
    m_nLineWidth = s->nLineWidth;
    m_x1 = s->x1;
    m_y1 = s->y1;
    m_x2 = s->x2;
    m_y2 = s->y2;
    RecalcRect();
    DEF_CATCH
}

UndoState CTranspLineEnds::GetUndoState() const {
    DEF_TRY
    auto s = std::make_shared<LINEUNDOSTATE>();
    s->crColor = m_crColor;
    s->nLineWidth = m_nLineWidth;
    s->x1 = m_x1;
    s->y1 = m_y1;
    s->x2 = m_x2;
    s->y2 = m_y2;
    return s;
    DEF_CATCH
    return nullptr;
}

BOOL CTranspLineEnds::IsSameHistoryState(const void* pA, const void* pB) const {
    if (!pA || !pB) return pA == pB;
    return std::memcmp(pA, pB, sizeof(LINEUNDOSTATE)) == 0;
}
