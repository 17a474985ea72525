// Painting a bitmap into a QPainter with a source and a destination rectangle, the colour-on-colour
// stretch (nearest neighbour: destination pixel d of an extent D takes source pixel
// floor(d * S / D), so that a magnification by s repeats each source row s times) and the raster
// operations SRCCOPY and SRCAND.
//
// On raster devices only the visible part of the destination is built, at device resolution, so a
// repaint costs what it shows, not what the page holds; other devices (printers, PDF) get the
// source rectangle at its own depth and scale it themselves.

#include "platform/imaging/BitmapBase.h"

#include "platform/Guard.h"

#include <QPaintEngine>
#include <QPainter>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace brellin::imaging {
namespace {

constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCINVERT = 0x00660046;

bool ModeFor(DWORD rop, bool rasterOps, QPainter::CompositionMode& mode) {
    switch (rop) {
    case SRCCOPY: mode = QPainter::CompositionMode_Source; return true;
    case SRCAND:
        // White parts of the picture leave the page as it is; multiplying does the same on
        // devices without raster operations.
        mode = rasterOps ? QPainter::RasterOp_SourceAndDestination
                         : QPainter::CompositionMode_Multiply;
        return true;
    case SRCPAINT:
        mode = rasterOps ? QPainter::RasterOp_SourceOrDestination : QPainter::CompositionMode_Screen;
        return true;
    case SRCINVERT:
        mode = rasterOps ? QPainter::RasterOp_SourceXorDestination
                         : QPainter::CompositionMode_Difference;
        return true;
    default: return false;
    }
}

} // namespace

int PaintBitmap(QPainter& painter, const LBitmapBase& bitmap, const RECT& srcIn, const RECT& dstIn,
                DWORD rop) {
    DEF_TRY
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    if (!painter.isActive())
        return ERROR_INV_PARAMETER;
    RECT src = srcIn;
    if (src.left > src.right)
        std::swap(src.left, src.right);
    if (src.top > src.bottom)
        std::swap(src.top, src.bottom);
    RECT dst = dstIn;
    if (dst.left > dst.right)
        std::swap(dst.left, dst.right);
    if (dst.top > dst.bottom)
        std::swap(dst.top, dst.bottom);
    const QImage& img = bitmap.GetImage();
    // The parts of the source rectangle outside the bitmap map to nothing.
    const QRect srcRect = QRect(src.left, src.top, src.right - src.left, src.bottom - src.top)
                              .intersected(img.rect());
    if (srcRect.isEmpty() || dst.right == dst.left || dst.bottom == dst.top)
        return SUCCESS;
    // Shrink the destination in proportion to what the source lost at the bitmap's edges.
    const double sx = double(dst.right - dst.left) / (src.right - src.left);
    const double sy = double(dst.bottom - dst.top) / (src.bottom - src.top);
    const QRectF dstRect(dst.left + (srcRect.left() - src.left) * sx,
                         dst.top + (srcRect.top() - src.top) * sy, srcRect.width() * sx,
                         srcRect.height() * sy);

    QPaintEngine* engine = painter.paintEngine();
    const bool rasterOps = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
    QPainter::CompositionMode mode;
    if (!ModeFor(rop, rasterOps, mode))
        return ERROR_INV_PARAMETER;
    const QTransform t = painter.combinedTransform();
    const bool raster = engine && engine->type() == QPaintEngine::Raster &&
                        t.type() <= QTransform::TxScale && t.m11() > 0 && t.m22() > 0;

    painter.save();
    if (!raster) {
        QImage part = img.copy(srcRect);
        if (part.isNull()) {
            painter.restore();
            return ERROR_NO_MEMORY;
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setCompositionMode(mode);
        painter.drawImage(dstRect, part);
        painter.restore();
        return SUCCESS;
    }

    // Destination in device pixels, cut to the device and the clip.
    const QRectF devF = t.mapRect(dstRect);
    const QRect dev(QPoint(int(std::floor(devF.left() + 0.5)), int(std::floor(devF.top() + 0.5))),
                    QPoint(int(std::floor(devF.right() + 0.5)) - 1,
                           int(std::floor(devF.bottom() + 0.5)) - 1));
    QRect visible = dev;
    if (QPaintDevice* device = painter.device())
        visible &= QRect(0, 0, device->width(), device->height());
    if (painter.hasClipping())
        visible &= t.mapRect(painter.clipBoundingRect()).toAlignedRect();
    if (visible.isEmpty() || dev.width() <= 0 || dev.height() <= 0) {
        painter.restore();
        return SUCCESS;
    }
    const std::int64_t dw = dev.width(), dh = dev.height();
    std::vector<int> col(std::size_t(visible.width()));
    for (int i = 0; i < visible.width(); ++i)
        col[std::size_t(i)] =
            srcRect.left() + int(std::int64_t(visible.left() - dev.left() + i) * srcRect.width() / dw);
    QImage tile(visible.size(), QImage::Format_RGB32);
    if (tile.isNull()) {
        painter.restore();
        return ERROR_NO_MEMORY;
    }
    const int bpp = bitmap.GetBitsPerPixel();
    std::array<QRgb, 256> table;
    table.fill(qRgb(0, 0, 0));
    if (bpp <= 8) {
        const QList<QRgb> pal = img.colorTable();
        for (qsizetype i = 0; i < pal.size() && i < 256; ++i)
            table[std::size_t(i)] = pal[i] | 0xFF000000;
    }
    int lastSrcRow = -1;
    for (int j = 0; j < visible.height(); ++j) {
        const int sy0 = srcRect.top() +
                        int(std::int64_t(visible.top() - dev.top() + j) * srcRect.height() / dh);
        auto* d = reinterpret_cast<QRgb*>(tile.scanLine(j));
        if (sy0 == lastSrcRow) { // magnified rows repeat the row above
            std::memcpy(d, tile.constScanLine(j - 1), std::size_t(visible.width()) * 4);
            continue;
        }
        lastSrcRow = sy0;
        const uchar* s = img.constScanLine(sy0);
        const int n = visible.width();
        switch (bpp) {
        case 1:
            for (int i = 0; i < n; ++i) {
                const int x = col[std::size_t(i)];
                d[i] = table[(s[x >> 3] >> (7 - (x & 7))) & 1];
            }
            break;
        case 4:
        case 8:
            for (int i = 0; i < n; ++i)
                d[i] = table[s[col[std::size_t(i)]]];
            break;
        case 24:
            for (int i = 0; i < n; ++i) {
                const uchar* p = s + 3 * col[std::size_t(i)];
                d[i] = qRgb(p[0], p[1], p[2]);
            }
            break;
        default:
            for (int i = 0; i < n; ++i)
                d[i] = reinterpret_cast<const QRgb*>(s)[col[std::size_t(i)]] | 0xFF000000;
            break;
        }
    }
    painter.resetTransform();
    painter.setCompositionMode(mode);
    painter.drawImage(visible.topLeft(), tile);
    painter.restore();
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

} // namespace brellin::imaging
