#include "objects/TranspEllipse.h"

#include "objects/ShapeDraw.h"
#include "platform/DC.h"
#include "platform/Guard.h"

std::unique_ptr<CTranspEllipse>
CTranspEllipse::FromBlock(IObjectHost* pView, const QByteArray& block, POINT pt, int nPage) {
    return PlacedFromBlock<CTranspEllipse>(pView, block, pt, nPage);
}

void CTranspEllipse::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    RECT rc = m_rect;
    NormalizeRect(rc);
    UnitToDevice(rc, pDC, bPrinting, pDpi);
    NormalizeRect(rc);
    {
        CSaveDC saved(pDC);
        pDC->SelectPen(LOGPEN{PS_SOLID, DevicePenWidth(*this, pDC, bPrinting, pDpi),
                              GetOutlineColor(m_crColor)});
        pDC->SelectBrush(LOGBRUSH{BS_HOLLOW, 0});
        pDC->Ellipse(rc);
    }
    if (!bPrinting) DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

QByteArray CTranspEllipse::GetObData() const {
    DEF_TRY
    return MakeRectBlock(ELLIPSE_BLOCK_SIZE, CLIPKIND_ELLIPSE, 1);
    DEF_CATCH
    return {};
}

BOOL CTranspEllipse::SetObData(const QByteArray& block) {
    DEF_TRY
    return SetRectBlock(block, {CLIPKIND_ELLIPSE}, ELLIPSE_BLOCK_SIZE);
    DEF_CATCH
    return FALSE;
}
