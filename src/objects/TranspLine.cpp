#include "objects/TranspLine.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cstdint>

namespace {
constexpr int HALF_HANDLE = HANDLE_SIZE / 2;

bool NearPoint(POINT a, POINT b) {
    return std::llabs(std::int64_t(a.x) - b.x) <= HALF_HANDLE &&
           std::llabs(std::int64_t(a.y) - b.y) <= HALF_HANDLE;
}
} // namespace

// ---- What the line and the arrow share --------------------------------------------------------

RECT LineEnds::BoundingRect(LONG x1, LONG y1, LONG x2, LONG y2) {
    RECT rc{x1, y1, x2, y2};
    NormalizeRect(rc);
    return rc;
}

int LineEnds::GetCapture(const CTranspGraphClass& obj, POINT ptUnit1, POINT ptUnit2, POINT point) {
    DEF_TRY
    if (!obj.m_pView) return HIT_NONE;
    obj.UnitToPage(ptUnit1);
    obj.PageToClient(ptUnit1);
    obj.UnitToPage(ptUnit2);
    obj.PageToClient(ptUnit2);
    if (NearPoint(point, ptUnit1)) return HIT_TOPLEFT;
    if (NearPoint(point, ptUnit2)) return HIT_BOTTOMRIGHT;
    RECT rc;
    obj.GetBoundsRect(&rc);
    return PtInRect(rc, point) ? HIT_BODY : HIT_NONE;
    DEF_CATCH
    return HIT_NONE;
}

bool LineEnds::MoveEnds(int nCapture, BOOL bCreating, LONG& x1, LONG& y1, LONG& x2, LONG& y2,
                        int dx, int dy) {
    switch (nCapture) {
    case HIT_TOPLEFT:
        x1 = AddCoord(x1, dx);
        y1 = AddCoord(y1, dy);
        return true;
    case HIT_BOTTOMRIGHT:
        x2 = AddCoord(x2, dx);
        y2 = AddCoord(y2, dy);
        return true;
    case HIT_BODY:
        // A line still being drawn out by its tool follows only its end point.
        if (bCreating) return false;
        x1 = AddCoord(x1, dx);
        y1 = AddCoord(y1, dy);
        x2 = AddCoord(x2, dx);
        y2 = AddCoord(y2, dy);
        return true;
    default:
        return false;
    }
}

void LineEnds::DrawMarks(const CTranspBaseClass& obj, CDC* pDC, POINT p1, POINT p2) {
    DEF_TRY
    const bool spans = std::llabs(std::int64_t(p2.x) - p1.x) > HANDLE_SIZE &&
                       std::llabs(std::int64_t(p2.y) - p1.y) > HANDLE_SIZE;
    const POINT mid{LONG((std::int64_t(p1.x) + p2.x) / 2), LONG((std::int64_t(p1.y) + p2.y) / 2)};
    const auto squares = [&](void (*square)(CDC*, int, int)) {
        square(pDC, p1.x, p1.y);
        square(pDC, p2.x, p2.y);
        square(pDC, mid.x, mid.y);
    };
    if (obj.m_bSelected) {
        if (spans)
            CTranspBaseClass::DrawSelectFrame(pDC, RECT{p1.x, p1.y, p2.x, p2.y}, TRUE);
        else
            squares(&CTranspBaseClass::DrawSelectSquare);
    } else if (obj.m_bDisabled) {
        CTranspBaseClass::DrawFreezeMark(pDC, p1.x, p1.y);
        CTranspBaseClass::DrawFreezeMark(pDC, p2.x, p2.y);
    } else if (obj.m_bFocused) {
        if (spans)
            CTranspBaseClass::DrawFocusFrame(pDC, RECT{p1.x, p1.y, p2.x, p2.y}, TRUE);
        else
            squares(&CTranspBaseClass::DrawFocusSquare);
    }
    DEF_CATCH
}

void LineEnds::Serialize(CTranspGraphClass& obj, CArchive& ar, LONG& x1, LONG& y1, LONG& x2,
                         LONG& y2) {
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        CRecordFrameWriter writer(RECORD_SIZE_SHAPE, RECORD_VERSION_SHAPE);
        writer.Fixed() << std::int32_t(dpi.StoreX(x1)) << std::int32_t(dpi.StoreY(y1))
                       << std::int32_t(dpi.StoreX(x2)) << std::int32_t(dpi.StoreY(y2))
                       << std::uint32_t(obj.m_crColor) << std::int32_t(obj.m_nLineWidth)
                       << std::int32_t(obj.m_nPage);
        writer.WriteTo(ar);
        return;
    }
    CRecordFrameReader reader(ar, RECORD_SIZE_SHAPE);
    LONG f[7] = {};
    const int n = reader.ReadLongs(f, 7);
    reader.End();
    // Only a record read whole changes the object.
    if (n > 0) x1 = dpi.LoadX(f[0]);
    if (n > 1) y1 = dpi.LoadY(f[1]);
    if (n > 2) x2 = dpi.LoadX(f[2]);
    if (n > 3) y2 = dpi.LoadY(f[3]);
    if (n > 4) obj.m_crColor = COLORREF(f[4]);
    if (n > 5) obj.m_nLineWidth = f[5];
    if (n > 6) obj.m_nPage = f[6];
}

QByteArray LineEnds::MakeBlock(const CTranspGraphClass& obj, LONG nKind, LONG x1, LONG y1, LONG x2,
                               LONG y2) {
    DEF_TRY
    QByteArray block = MakeObjectBlock(LINE_BLOCK_SIZE, nKind, 1);
    PutBlockLong(block, 24, x1);
    PutBlockLong(block, 28, y1);
    PutBlockLong(block, 32, x2);
    PutBlockLong(block, 36, y2);
    PutBlockLong(block, 40, obj.m_nLineWidth);
    PutBlockLong(block, 44, LONG(obj.m_crColor));
    return block;
    DEF_CATCH
    return {};
}

bool LineEnds::ReadBlock(CTranspGraphClass& obj, const QByteArray& block, LONG nKind, LONG& x1,
                         LONG& y1, LONG& x2, LONG& y2) {
    DEF_TRY
    OBJECTBLOCKHEAD head;
    if (!ReadObjectBlockHead(block, {nKind}, LINE_BLOCK_SIZE, head)) return false;
    g_dUnitScale = head.dUnitScale;
    x1 = GetBlockLong(block, 24);
    y1 = GetBlockLong(block, 28);
    x2 = GetBlockLong(block, 32);
    y2 = GetBlockLong(block, 36);
    obj.m_nLineWidth = GetBlockLong(block, 40);
    obj.m_crColor = COLORREF(GetBlockLong(block, 44));
    return true;
    DEF_CATCH
    return false;
}

UndoState LineEnds::GetUndoState(const CTranspGraphClass& obj, LONG x1, LONG y1, LONG x2, LONG y2) {
    DEF_TRY
    auto s = std::make_shared<LINEUNDOSTATE>();
    s->crColor = obj.m_crColor;
    s->nLineWidth = obj.m_nLineWidth;
    s->x1 = x1;
    s->y1 = y1;
    s->x2 = x2;
    s->y2 = y2;
    return s;
    DEF_CATCH
    return nullptr;
}

bool LineEnds::SetUndoState(CTranspGraphClass& obj, const void* pState, LONG& x1, LONG& y1,
                            LONG& x2, LONG& y2) {
    DEF_TRY
    if (!pState) return false;
    const auto* s = static_cast<const LINEUNDOSTATE*>(pState);
    obj.m_crColor = s->crColor;
    obj.m_nLineWidth = s->nLineWidth;
    x1 = s->x1;
    y1 = s->y1;
    x2 = s->x2;
    y2 = s->y2;
    return true;
    DEF_CATCH
    return false;
}

// ---- CTranspLine --------------------------------------------------------------------------

CTranspLine::CTranspLine(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {
    RecalcRect();
}

CTranspLine::CTranspLine(IObjectHost* pView, int x1, int y1, int x2, int y2, COLORREF crColor,
                         int nLineWidth, int nPage)
    : CTranspGraphClass(pView, RECT{}, crColor, nLineWidth, nPage), m_x1(x1), m_y1(y1), m_x2(x2),
      m_y2(y2) {
    RecalcRect();
}

std::unique_ptr<CTranspLine> CTranspLine::FromBlock(IObjectHost* pView, const QByteArray& block,
                                                    POINT pt, int nPage) {
    DEF_TRY
    auto line = std::make_unique<CTranspLine>(pView, nPage);
    if (!line->SetObData(block)) return nullptr;
    line->PlaceAt(pt.x, pt.y);
    return line;
    DEF_CATCH
    return nullptr;
}

void CTranspLine::RecalcRect() {
    m_rect = LineEnds::BoundingRect(m_x1, m_y1, m_x2, m_y2);
}

void CTranspLine::Serialize(CArchive& ar) {
    DEF_TRY
    LineEnds::Serialize(*this, ar, m_x1, m_y1, m_x2, m_y2);
    RecalcRect();
    DEF_CATCH_RECORD
}

void CTranspLine::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    CTranspGraphClass::GetRepaintRect(pRect);
    InflateRect(*pRect, 1, 1);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspLine::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    POINT p1{m_x1, m_y1};
    POINT p2{m_x2, m_y2};
    UnitToDevice(p1, pDC, bPrinting, pDpi);
    UnitToDevice(p2, pDC, bPrinting, pDpi);
    {
        CSaveDC saved(pDC);
        pDC->SelectPen(LOGPEN{PS_SOLID, DevicePenWidth(*this, pDC, bPrinting, pDpi),
                              GetOutlineColor(m_crColor)});
        pDC->MoveTo(p1.x, p1.y);
        pDC->LineTo(p2.x, p2.y);
    }
    if (!bPrinting) LineEnds::DrawMarks(*this, pDC, p1, p2);
    DEF_CATCH
}

void CTranspLine::MoveBy(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    LineEnds::MoveEnds(HIT_BODY, FALSE, m_x1, m_y1, m_x2, m_y2, dx, dy);
    RecalcRect();
    Repaint(&rcOld);
    if (dx != 0 || dy != 0) SetModified();
    DEF_CATCH
}

void CTranspLine::Resize(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    LineEnds::MoveEnds(m_nCapture, m_bCreating, m_x1, m_y1, m_x2, m_y2, dx, dy);
    RecalcRect();
    Repaint(&rcOld);
    if (dx != 0 || dy != 0) SetModified();
    DEF_CATCH
}

int CTranspLine::GetCapture(POINT point) const {
    DEF_TRY
    return LineEnds::GetCapture(*this, POINT{m_x1, m_y1}, POINT{m_x2, m_y2}, point);
    DEF_CATCH
    return HIT_NONE;
}

QByteArray CTranspLine::GetObData() const {
    DEF_TRY
    return LineEnds::MakeBlock(*this, CLIPKIND_LINE, m_x1, m_y1, m_x2, m_y2);
    DEF_CATCH
    return {};
}

BOOL CTranspLine::SetObData(const QByteArray& block) {
    DEF_TRY
    if (!LineEnds::ReadBlock(*this, block, CLIPKIND_LINE, m_x1, m_y1, m_x2, m_y2)) return FALSE;
    RecalcRect();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspLine::PlaceAt(int x, int y) {
    DEF_TRY
    LineEnds::MoveEnds(HIT_BODY, FALSE, m_x1, m_y1, m_x2, m_y2, SubCoord(x, m_rect.left),
                       SubCoord(y, m_rect.top));
    RecalcRect();
    DEF_CATCH
}

void CTranspLine::SetUndoState(const void* pState) {
    DEF_TRY
    if (LineEnds::SetUndoState(*this, pState, m_x1, m_y1, m_x2, m_y2)) RecalcRect();
    DEF_CATCH
}

UndoState CTranspLine::GetUndoState() const {
    DEF_TRY
    return LineEnds::GetUndoState(*this, m_x1, m_y1, m_x2, m_y2);
    DEF_CATCH
    return nullptr;
}
