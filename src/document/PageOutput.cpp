#include "document/PageOutput.h"

#include "document/LumidorDoc.h"
#include "objects/TranspBaseClass.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ExactDepth.h"

#include <QPainter>
#include <algorithm>

void DrawOnImagePage(CDC* pDC, const CLumidorDoc& doc, int nPage) {
    DEF_TRY
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    if (!pDC || !pDC->IsValid() || !p)
        return;
    const int saved = pDC->SaveDC();
    const SIZE canvas = doc.GetCanvasSize(nPage);
    const RECT rcPage{0, 0, canvas.cx, canvas.cy};
    pDC->FillSolidRect(rcPage, RGB(255, 255, 255));
    if (p->m_Bitmap.IsAllocated()) {
        // The image position in page pixels; a negative position cuts the image's left or top
        // part off instead of placing it outside the page.
        const POINT pos = doc.UnitToPagePixels(nPage, p->m_ptImagePos);
        const LONG w = p->m_Bitmap.GetWidth(), h = p->m_Bitmap.GetHeight();
        const RECT src{std::max(0, -pos.x), std::max(0, -pos.y), w, h};
        const RECT dst{std::max(0, pos.x), std::max(0, pos.y),
                       std::max(0, pos.x) + (src.right - src.left),
                       std::max(0, pos.y) + (src.bottom - src.top)};
        if (!src.IsRectEmpty()) {
            pDC->SetStretchBltMode(COLORONCOLOR);
            pDC->StretchBlt(dst, p->m_Bitmap.GetImage(), src, SRCCOPY);
        }
    }
    DrawPageOverImage(pDC, doc, nPage);
    pDC->RestoreDC(saved);
    DEF_CATCH
}

void DrawPageOverImage(CDC* pDC, const CLumidorDoc& doc, int nPage) {
    DEF_TRY
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    if (!pDC || !pDC->IsValid() || !p)
        return;
    if (p->m_Bitmap.IsAllocated())
        for (const QRect& r : p->m_EraseList.GetRegion())
            pDC->FillSolidRect(RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                               RGB(255, 255, 255));
    const POINT res = doc.GetPageResolution(nPage);
    for (const auto& o : p->m_ObjectsList)
        o->Draw(pDC, TRUE, &res);
    DEF_CATCH
}

namespace {

int RenderPage(const CLumidorDoc& doc, int nPage, LBitmapBase& out, bool bPlainText) {
    const SIZE canvas = doc.GetCanvasSize(nPage);
    if (!doc.GetPageInfo(nPage) || canvas.cx <= 0 || canvas.cy <= 0)
        return ERROR_INV_PARAMETER;
    QImage image = brellin::imaging::AllocateImage(canvas.cx, canvas.cy, 24);
    if (image.isNull())
        return brellin::imaging::FitsLimit(canvas.cx, canvas.cy, 24) ? ERROR_NO_MEMORY
                                                                     : ERROR_IMAGE_TOO_LARGE;
    const POINT res = doc.GetPageResolution(nPage);
    {
        CDC dc(&image);
        dc.SetLogPixelsOverride(res.x, res.y);
        dc.SetPlainText(bPlainText);
        DrawOnImagePage(&dc, doc, nPage);
    }
    LBitmapBase bitmap;
    const int rc = bitmap.SetImage(std::move(image), 24);
    if (rc != SUCCESS)
        return rc;
    bitmap.SetXResolution(res.x);
    bitmap.SetYResolution(res.y);
    out.TakePixels(bitmap);
    return SUCCESS;
}

} // namespace

int GetPageAsBitmap(const CLumidorDoc& doc, int nPage, LBitmapBase& out) {
    DEF_TRY
    return RenderPage(doc, nPage, out, false);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int GetPageAsLeastDepthBitmap(const CLumidorDoc& doc, int nPage, LBitmapBase& out) {
    DEF_TRY
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    if (!p)
        return ERROR_INV_PARAMETER;
    const bool bBlackAndWhite =
        !p->m_Bitmap.IsAllocated() || p->m_Bitmap.GetBitsPerPixel() == 1;
    LBitmapBase page;
    int rc = RenderPage(doc, nPage, page, bBlackAndWhite);
    if (rc != SUCCESS)
        return rc;
    rc = brellin::imaging::ReduceToLeastDepth(page);
    if (rc != SUCCESS)
        return rc;
    out.TakePixels(page);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}
