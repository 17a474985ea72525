#include "objects/TranspArrow.h"

#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cmath>

namespace {
constexpr double PI = 3.14159265358979323846;
} // namespace

std::unique_ptr<CTranspArrow> CTranspArrow::FromBlock(IObjectHost* pView, const QByteArray& block,
                                                      POINT pt, int nPage) {
    return PlacedFromBlock<CTranspArrow>(pView, block, pt, nPage);
}

void CTranspArrow::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    CTranspGraphClass::GetRepaintRect(pRect);
    POINT margin{ARROW_BARB_LENGTH, 0};
    UnitToPage(margin);
    PageToView(margin);
    InflateRect(*pRect, margin.x, margin.x);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspArrow::GetBarbEnds(POINT p1, POINT p2, int nBarb, POINT& barb1, POINT& barb2) {
    DEF_TRY
    const double theta = std::atan2(double(p2.y) - p1.y, double(p2.x) - p1.x);
    const double a1 = theta + PI - ARROW_BARB_ANGLE;
    const double a2 = theta + PI + ARROW_BARB_ANGLE;
    barb1 = POINT{AddCoord(p2.x, TruncCoord(nBarb * std::cos(a1))),
                  AddCoord(p2.y, TruncCoord(nBarb * std::sin(a1)))};
    barb2 = POINT{AddCoord(p2.x, TruncCoord(nBarb * std::cos(a2))),
                  AddCoord(p2.y, TruncCoord(nBarb * std::sin(a2)))};
    return;
    DEF_CATCH
    barb1 = barb2 = p2;
}

void CTranspArrow::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    POINT p1{m_x1, m_y1};
    POINT p2{m_x2, m_y2};
    UnitToDevice(p1, pDC, bPrinting, pDpi);
    UnitToDevice(p2, pDC, bPrinting, pDpi);
    POINT barb1;
    POINT barb2;
    GetBarbEnds(p1, p2, UnitLengthToDeviceX(*this, ARROW_BARB_LENGTH, pDC, bPrinting, pDpi), barb1,
                barb2);
    {
        CSaveDC saved(pDC);
        // An arrow keeps its own colour during tab-order display.
        pDC->SelectPen(LOGPEN{PS_SOLID, DevicePenWidth(*this, pDC, bPrinting, pDpi), m_crColor});
        pDC->MoveTo(p1.x, p1.y);
        pDC->LineTo(p2.x, p2.y);
        pDC->MoveTo(p2.x, p2.y);
        pDC->LineTo(barb1.x, barb1.y);
        pDC->MoveTo(p2.x, p2.y);
        pDC->LineTo(barb2.x, barb2.y);
    }
    if (!bPrinting) DrawEndMarks(pDC, p1, p2);
    DEF_CATCH
}
