#include "objects/TranspSizeArrow.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "objects/ShapeDraw.h"
#include "objects/TranspArrow.h"
#include "platform/DC.h"
#include "platform/Guard.h"

CTranspSizeArrow::CTranspSizeArrow(IObjectHost* pView, int nPage)
    : CTranspRectShape(pView, nPage) {}

CTranspSizeArrow::CTranspSizeArrow(IObjectHost* pView, const RECT& rect, COLORREF crColor,
                                   int nLineWidth, int nPage, int nOffset, BOOL bHorizontal)
    : CTranspRectShape(pView, rect, crColor, nLineWidth, nPage), m_nOffset(nOffset),
      m_bHorizontal(bHorizontal) {}

std::unique_ptr<CTranspSizeArrow>
CTranspSizeArrow::FromBlock(IObjectHost* pView, const QByteArray& block, POINT pt, int nPage) {
    return PlacedFromBlock<CTranspSizeArrow>(pView, block, pt, nPage);
}

void CTranspSizeArrow::Serialize(CArchive& ar) {
    DEF_TRY
    LONG extra[] = {m_nOffset, m_bHorizontal ? 1 : 0};
    SerializeRect(ar, RECORD_SIZE_SIZEARROW, RECORD_VERSION_SIZEARROW, true, extra, 2);
    if (ar.IsLoading()) {
        m_nOffset = extra[0];
        m_bHorizontal = extra[1] != 0;
    }
    DEF_CATCH_RECORD
}

void CTranspSizeArrow::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    CTranspGraphClass::GetRepaintRect(pRect);
    if (!m_pView) return;
    RECT rc = m_rect;
    NormalizeRect(rc);
    // The band reaches past the barbs' half-width and half the pen either side of the line.
    const LONG reach = AddCoord(m_nLineWidth < 0 ? 0 : m_nLineWidth, SIZEARROW_REPAINT_BAND);
    RECT band;
    if (m_bHorizontal) {
        const LONG y = AddCoord(rc.top, m_nOffset);
        band = RECT{rc.left, SubCoord(y, reach), rc.right, AddCoord(y, reach)};
    } else {
        const LONG x = AddCoord(rc.left, m_nOffset);
        band = RECT{SubCoord(x, reach), rc.top, AddCoord(x, reach), rc.bottom};
    }
    NormalizeRect(band);
    UnitToPage(band);
    PageToClient(band);
    *pRect = UnionRect(*pRect, band);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspSizeArrow::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    const RECT rc = DeviceRect(*this, pDC, bPrinting, pDpi);
    const int d = m_bHorizontal ? UnitLengthToDeviceY(*this, m_nOffset, pDC, bPrinting, pDpi)
                                : UnitLengthToDeviceX(*this, m_nOffset, pDC, bPrinting, pDpi);
    const int e = UnitLengthToDeviceX(*this, ARROW_BARB_LENGTH, pDC, bPrinting, pDpi);
    const int f = UnitLengthToDeviceX(*this, SIZEARROW_HEAD_HALF_WIDTH, pDC, bPrinting, pDpi);
    const auto line = [pDC](LONG x1, LONG y1, LONG x2, LONG y2) {
        pDC->MoveTo(x1, y1);
        pDC->LineTo(x2, y2);
    };
    {
        CSaveDC saved(pDC);
        // A size arrow keeps its own colour during tab-order display.
        SelectOutlineTools(*this, pDC, bPrinting, pDpi, m_crColor);
        const LONG l = rc.left;
        const LONG t = rc.top;
        const LONG r = rc.right;
        const LONG b = rc.bottom;
        if (m_bHorizontal) {
            const LONG y = AddCoord(t, d);
            line(l, t, l, b);
            line(r, t, r, b);
            line(l, y, r, y);
            line(l, y, AddCoord(l, e), SubCoord(y, f));
            line(l, y, AddCoord(l, e), AddCoord(y, f));
            line(r, y, SubCoord(r, e), SubCoord(y, f));
            line(r, y, SubCoord(r, e), AddCoord(y, f));
        } else {
            const LONG x = AddCoord(l, d);
            line(l, t, r, t);
            line(l, b, r, b);
            line(x, t, x, b);
            line(x, t, SubCoord(x, f), AddCoord(t, e));
            line(x, t, AddCoord(x, f), AddCoord(t, e));
            line(x, b, SubCoord(x, f), SubCoord(b, e));
            line(x, b, AddCoord(x, f), SubCoord(b, e));
        }
    }
    if (!bPrinting) DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

void CTranspSizeArrow::Resize(int dx, int dy) {
    DEF_TRY
    CTranspGraphClass::Resize(dx, dy);
    const int before = m_nOffset;
    switch (m_nCapture) {
    case HIT_LEFT:
    case HIT_BOTTOMLEFT:
        if (!m_bHorizontal) m_nOffset = SubCoord(m_nOffset, dx);
        break;
    case HIT_TOP:
    case HIT_TOPRIGHT:
        if (m_bHorizontal) m_nOffset = SubCoord(m_nOffset, dy);
        break;
    case HIT_TOPLEFT:
        m_nOffset = SubCoord(m_nOffset, m_bHorizontal ? dy : dx);
        break;
    default:
        break;
    }
    // The graphic resize repainted the band at the old offset; the band moves with it.
    if (m_nOffset != before) Repaint();
    DEF_CATCH
}

QByteArray CTranspSizeArrow::GetObData() const {
    DEF_TRY
    const LONG extra[] = {m_nOffset, m_bHorizontal ? 1 : 0};
    return MakeRectBlock(SIZEARROW_BLOCK_SIZE, CLIPKIND_SIZEARROW, 1, extra, 2);
    DEF_CATCH
    return {};
}

BOOL CTranspSizeArrow::SetObData(const QByteArray& block) {
    DEF_TRY
    if (!SetRectBlock(block, {CLIPKIND_SIZEARROW, CLIPKIND_SIZEARROW2}, SIZEARROW_BLOCK_SIZE))
        return FALSE;
    m_nOffset = GetBlockLong(block, 48);
    m_bHorizontal = GetBlockLong(block, 52) != 0;
    return TRUE;
    DEF_CATCH
    return FALSE;
}
