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
    if (pDC) DrawHollowEllipse(*this, pDC, bPrinting, pDpi);
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
