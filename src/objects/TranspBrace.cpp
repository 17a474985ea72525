#include "objects/TranspBrace.h"

#include "objects/MidpointCircle.h"
#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <algorithm>
#include <cstdint>

CTranspBrace::CTranspBrace(IObjectHost* pView, int nPage) : CTranspRectShape(pView, nPage) {}

CTranspBrace::CTranspBrace(IObjectHost* pView, const RECT& rect, COLORREF crColor, int nLineWidth,
                           int nPage, int nBraceStyle)
    : CTranspRectShape(pView, rect, crColor, nLineWidth, nPage), m_nBraceStyle(nBraceStyle) {}

std::unique_ptr<CTranspBrace> CTranspBrace::FromBlock(IObjectHost* pView, const QByteArray& block,
                                                      POINT pt, int nPage) {
    return PlacedFromBlock<CTranspBrace>(pView, block, pt, nPage);
}

void CTranspBrace::Serialize(CArchive& ar) {
    DEF_TRY
    LONG extra[] = {m_nBraceStyle};
    SerializeRect(ar, RECORD_SIZE_BRACE, RECORD_VERSION_BRACE, true, extra, 1);
    if (ar.IsLoading()) m_nBraceStyle = extra[0];
    DEF_CATCH_RECORD
}

void CTranspBrace::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    CTranspGraphClass::GetRepaintRect(pRect);
    const int g = PageLengthToView(*this, BRACE_CORNER_RADIUS);
    InflateRect(*pRect, g, g);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspBrace::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    const RECT rc = DeviceRect(*this, pDC, bPrinting, pDpi);
    const int g = PageLengthToView(*this, BRACE_CORNER_RADIUS);

    // The bracket is drawn in the frame of its spine: `along` runs along the spine, `across`
    // away from it; the spine lies at across = spine and the point sticks out on the side
    // `out` (-1 or +1); the arms end at across = far.
    const bool vertical = m_nBraceStyle == BRACESTYLE_LEFT || m_nBraceStyle == BRACESTYLE_RIGHT;
    const LONG a0 = vertical ? rc.top : rc.left;
    const LONG a1 = vertical ? rc.bottom : rc.right;
    LONG spine = 0;
    LONG far = 0;
    int out = -1;
    switch (m_nBraceStyle) {
    case BRACESTYLE_LEFT:
        spine = rc.left;
        far = rc.right;
        out = -1;
        break;
    case BRACESTYLE_RIGHT:
        spine = rc.right;
        far = rc.left;
        out = +1;
        break;
    case BRACESTYLE_BOTTOM:
        spine = rc.bottom;
        far = rc.top;
        out = +1;
        break;
    default:
        spine = rc.top;
        far = rc.bottom;
        out = -1;
        break;
    }
    const LONG mid = LONG((std::int64_t(a0) + a1) / 2);
    const auto at = [vertical](LONG along, LONG across) {
        return vertical ? POINT{across, along} : POINT{along, across};
    };
    const auto line = [&](LONG along1, LONG across1, LONG along2, LONG across2) {
        const POINT p = at(along1, across1);
        const POINT q = at(along2, across2);
        pDC->MoveTo(p.x, p.y);
        pDC->LineTo(q.x, q.y);
    };
    // A quarter circle about (along, across) on the side (sAlong, sAcross) of its centre.
    const auto bend = [&](LONG along, LONG across, int sAlong, int sAcross) {
        const POINT c = at(along, across);
        DrawQuarterCircle(pDC, c.x, c.y, g, vertical ? sAcross : sAlong,
                          vertical ? sAlong : sAcross);
    };

    {
        CSaveDC saved(pDC);
        // A bracket keeps its own colour during tab-order display.
        SelectOutlineTools(*this, pDC, bPrinting, pDpi, m_crColor);
        const LONG armStart = SubCoord(spine, out * g); // g inside the spine
        // The spine, in two halves either side of the point.
        line(AddCoord(a0, g), spine, SubCoord(mid, g), spine);
        line(AddCoord(mid, g), spine, SubCoord(a1, g), spine);
        // The arms along the two neighbouring edges, each drawn from its smaller end.
        const LONG armLow = std::min(armStart, far);
        const LONG armHigh = std::max(armStart, far);
        line(a0, armLow, a0, armHigh);
        line(a1, armLow, a1, armHigh);
        // The bends at the spine's ends, centred g inside them.
        bend(AddCoord(a0, g), armStart, -1, out);
        bend(SubCoord(a1, g), armStart, +1, out);
        // The point's bends, centred g + 1 outside the spine, meet at (mid, spine + out (g + 1)).
        const LONG tip = AddCoord(spine, out * (g + 1));
        bend(SubCoord(mid, g), tip, +1, -out);
        bend(AddCoord(mid, g), tip, -1, -out);
    }
    if (!bPrinting) DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

QByteArray CTranspBrace::GetObData() const {
    DEF_TRY
    const LONG extra[] = {m_nBraceStyle};
    return MakeRectBlock(BRACE_BLOCK_SIZE, CLIPKIND_BRACE, 1, extra, 1);
    DEF_CATCH
    return {};
}

BOOL CTranspBrace::SetObData(const QByteArray& block) {
    DEF_TRY
    if (!SetRectBlock(block, {CLIPKIND_BRACE}, BRACE_BLOCK_SIZE)) return FALSE;
    m_nBraceStyle = GetBlockLong(block, 48);
    return TRUE;
    DEF_CATCH
    return FALSE;
}
