#include "document/PdfMonoRender.h"

#include "platform/Guard.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImagingTypes.h"

#include <QImage>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// The most pixels of a page the colour drawing draws at once: a letter, A4 or legal page at
// 300 dpi is drawn whole (48 MB at four bytes a pixel, one page a worker). A band is the page's
// content drawn again, its fonts' glyphs rasterised anew, so a page in one band is drawn
// fastest; only pages larger than these are drawn in bands.
constexpr std::int64_t kBandPixels = 12 << 20;

// Messages of the PDF library are not the user's: damaged files are reported by the program.
void QuietPoppler(const std::string&, void*) {}

} // namespace

PdfRasterPlan PlanPdfRaster(const QSizeF& sizePt, double dpi) {
    PdfRasterPlan plan;
    plan.nWidth = int(std::floor(sizePt.width() / 72.0 * dpi + 0.5));
    plan.nHeight = int(std::floor(sizePt.height() / 72.0 * dpi + 0.5));
    if (plan.nWidth < 1 || plan.nHeight < 1)
        return plan;
    plan.nBandRows = std::max(64, int(kBandPixels / plan.nWidth));
    plan.bBanded = plan.nBandRows < plan.nHeight;
    // A page drawn whole takes the size poppler computes: dpi / 72 times its size, rounded.
    const double k = dpi / 72.0;
    plan.nWholeWidth = std::max(1, int(k * sizePt.width() + 0.5));
    plan.nWholeHeight = std::max(1, int(k * sizePt.height() + 0.5));
    return plan;
}

std::unique_ptr<poppler::document> LoadMonoPdf(const QByteArray& bytes, const QByteArray& password) {
    static const bool quiet = [] {
        poppler::set_debug_error_function(QuietPoppler, nullptr);
        return true;
    }();
    (void)quiet;
    if (bytes.size() > INT_MAX)
        return nullptr;
    const std::string pw(password.constData(), std::size_t(password.size()));
    std::unique_ptr<poppler::document> doc(
        poppler::document::load_from_raw_data(bytes.constData(), int(bytes.size()), pw, pw));
    if (doc && doc->is_locked())
        doc.reset();
    return doc;
}

int RenderPdfPageMono(const poppler::document& doc, int nPage, const QSizeF& sizePt, double dpi,
                      LBitmapBase& out) {
    DEF_TRY
    const PdfRasterPlan plan = PlanPdfRaster(sizePt, dpi);
    if (plan.nWidth < 1 || plan.nHeight < 1)
        return ERROR_INV_PARAMETER;
    const int w = plan.bBanded ? plan.nWidth : plan.nWholeWidth;
    const int h = plan.bBanded ? plan.nHeight : plan.nWholeHeight;
    const int rows = plan.bBanded ? plan.nBandRows : h;
    const std::unique_ptr<poppler::page> page(doc.create_page(nPage));
    if (!page)
        return ERROR_FILE_READ;
    QImage image(w, h, QImage::Format_Mono);
    if (image.isNull())
        return ERROR_NO_MEMORY;
    // Index 0 black, 1 white, as the reduction keeps a black and white page; so does the
    // drawing, whose set bits are paper.
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    poppler::page_renderer renderer;
    renderer.set_render_hints(0);
    renderer.set_image_format(poppler::image::format_mono);
    const int wide = (w + 31) / 32 * 32;
    const int line = image.bytesPerLine();
    const int used = (w + 7) / 8;
    for (int y = 0; y < h; y += rows) {
        const int n = std::min(rows, h - y);
        // Drawn from the page's left edge, so the band sits on the page as the colour drawing's
        // band does: only the band's top enters its placement.
        const poppler::image band = renderer.render_page(page.get(), dpi, dpi, 0, y, wide, n);
        if (!band.is_valid() || band.format() != poppler::image::format_mono ||
            band.width() != wide || band.height() != n || band.bytes_per_row() != line)
            return ERROR_NO_MEMORY;
        const char* src = band.const_data();
        for (int r = 0; r < n; ++r) {
            uchar* dst = image.scanLine(y + r);
            std::memcpy(dst, src + std::size_t(r) * std::size_t(line), std::size_t(used));
            // Past the page's last pixel the row is white, as the reduction leaves it.
            if (w & 7)
                dst[used - 1] |= uchar(0xFF >> (w & 7));
            std::memset(dst + used, 0xFF, std::size_t(line - used));
        }
    }
    int rc = out.SetImage(std::move(image), 1);
    if (rc == SUCCESS) rc = out.SetXResolution(int(dpi));
    if (rc == SUCCESS) rc = out.SetYResolution(int(dpi));
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}
