#include "document/PdfPageDepth.h"

#include "platform/Guard.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImagingTypes.h"

#include <cstring>

namespace {

// Pixels of an opaque drawn page as 0xAARRGGBB words, whatever their premultiplication.
inline bool IsGrey(QRgb p) {
    const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return r == g && g == b;
}

} // namespace

int PdfPageDepth(const QImage& page) {
    DEF_TRY
    const int w = page.width(), h = page.height();
    bool bGrey = false;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = row[x] & 0x00FFFFFFu;
            // Black and white are by far the most common: one comparison each.
            if (p == 0x00FFFFFFu || p == 0)
                continue;
            if (!IsGrey(p))
                return 24;
            bGrey = true;
        }
    }
    return bGrey ? 8 : 1;
    DEF_CATCH
    return 24;
}

int ReducePdfPage(const QImage& drawn, int nDpiX, int nDpiY, LBitmapBase& out) {
    DEF_TRY
    if (drawn.isNull())
        return ERROR_NOT_ALLOCATED;
    QImage page = drawn;
    if (page.format() != QImage::Format_RGB32 && page.format() != QImage::Format_ARGB32 &&
        page.format() != QImage::Format_ARGB32_Premultiplied)
        page = drawn.convertToFormat(QImage::Format_RGB32);
    if (page.isNull())
        return ERROR_NO_MEMORY;
    const int w = page.width(), h = page.height();
    const int depth = PdfPageDepth(page);
    QImage result;
    if (depth == 1) {
        // Index 0 black, 1 white: the imaging layer's grey ramp of two entries.
        result = QImage(w, h, QImage::Format_Mono);
        if (result.isNull())
            return ERROR_NO_MEMORY;
        result.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < h; ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(page.constScanLine(y));
            uchar* d = result.scanLine(y);
            std::memset(d, 0xFF, std::size_t(result.bytesPerLine()));
            for (int x = 0; x < w; ++x)
                if ((s[x] & 0x00FFFFFFu) == 0)
                    d[x >> 3] &= uchar(~(0x80 >> (x & 7)));
        }
    } else if (depth == 8) {
        result = QImage(w, h, QImage::Format_Grayscale8);
        if (result.isNull())
            return ERROR_NO_MEMORY;
        for (int y = 0; y < h; ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(page.constScanLine(y));
            uchar* d = result.scanLine(y);
            for (int x = 0; x < w; ++x)
                d[x] = uchar(s[x] & 0xFF);
        }
    } else {
        result = QImage(w, h, QImage::Format_RGB888);
        if (result.isNull())
            return ERROR_NO_MEMORY;
        for (int y = 0; y < h; ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(page.constScanLine(y));
            uchar* d = result.scanLine(y);
            for (int x = 0; x < w; ++x) {
                d[3 * x] = uchar(s[x] >> 16);
                d[3 * x + 1] = uchar(s[x] >> 8);
                d[3 * x + 2] = uchar(s[x]);
            }
        }
    }
    page = QImage();
    int rc = out.SetImage(std::move(result), depth);
    if (rc == SUCCESS) rc = out.SetXResolution(nDpiX);
    if (rc == SUCCESS) rc = out.SetYResolution(nDpiY);
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}
