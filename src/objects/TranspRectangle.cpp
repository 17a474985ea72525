#include "objects/TranspRectangle.h"

#include "objects/MidpointCircle.h"
#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cstdint>

std::unique_ptr<CTranspRectangle>
CTranspRectangle::FromBlock(IObjectHost* pView, const QByteArray& block, POINT pt, int nPage) {
    return PlacedFromBlock<CTranspRectangle>(pView, block, pt, nPage);
}

void CTranspRectangle::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    const RECT rc = DeviceRect(*this, pDC, bPrinting, pDpi);
    const LONG q = PageLengthToView(*this, RECTANGLE_CORNER_RADIUS);
    {
        CSaveDC saved(pDC);
        SelectOutlineTools(*this, pDC, bPrinting, pDpi, GetOutlineColor(m_crColor));
        const std::int64_t w = std::int64_t(rc.right) - rc.left;
        const std::int64_t h = std::int64_t(rc.bottom) - rc.top;
        if (q >= 0 && 2 * std::int64_t(q) < w && 2 * std::int64_t(q) < h) {
            const LONG l = rc.left;
            const LONG t = rc.top;
            const LONG r = rc.right;
            const LONG b = rc.bottom;
            const auto line = [pDC](LONG x1, LONG y1, LONG x2, LONG y2) {
                pDC->MoveTo(x1, y1);
                pDC->LineTo(x2, y2);
            };
            line(l + q, t, r - q, t);
            line(l + q, b, r - q, b);
            line(l, t + q, l, b - q);
            line(r, t + q, r, b - q);
            DrawQuarterCircle(pDC, r - q - 1, t + q, q, +1, -1);
            DrawQuarterCircle(pDC, r - q - 1, b - q - 1, q, +1, +1);
            DrawQuarterCircle(pDC, l + q, b - q - 1, q, -1, +1);
            DrawQuarterCircle(pDC, l + q, t + q, q, -1, -1);
        } else {
            pDC->Rectangle(rc);
        }
    }
    if (!bPrinting) DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

QByteArray CTranspRectangle::GetObData() const {
    DEF_TRY
    return MakeRectBlock(RECTANGLE_BLOCK_SIZE, CLIPKIND_RECTANGLE, 1);
    DEF_CATCH
    return {};
}

BOOL CTranspRectangle::SetObData(const QByteArray& block) {
    DEF_TRY
    return SetRectBlock(block, {CLIPKIND_RECTANGLE}, RECTANGLE_BLOCK_SIZE);
    DEF_CATCH
    return FALSE;
}
