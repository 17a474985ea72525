#include "objects/TranspLine.h"

#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

std::unique_ptr<CTranspLine> CTranspLine::FromBlock(IObjectHost* pView, const QByteArray& block,
                                                    POINT pt, int nPage) {
    return PlacedFromBlock<CTranspLine>(pView, block, pt, nPage);
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
    if (!bPrinting) DrawEndMarks(pDC, p1, p2);
    DEF_CATCH
}
