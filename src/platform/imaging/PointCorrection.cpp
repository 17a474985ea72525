#include "platform/imaging/PointCorrection.h"

#include <algorithm>
#include <array>

namespace {
using Lut = std::array<std::array<uchar, 256>, 3>;

Lut MakeLut(const int mean[3], bool black) {
    Lut lut{};
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            int out = v;
            if (!black && mean[c] > 0) out = std::min(255, v * 255 / mean[c]);
            if (black && mean[c] < 255) out = v <= mean[c] ? 0 : (v - mean[c]) * 255 / (255 - mean[c]);
            lut[std::size_t(c)][std::size_t(v)] = uchar(out);
        }
    return lut;
}

QRgb Map(const Lut& lut, QRgb c) {
    return qRgba(lut[0][std::size_t(qRed(c))], lut[1][std::size_t(qGreen(c))],
                 lut[2][std::size_t(qBlue(c))], qAlpha(c));
}
} // namespace

bool MeanColour(const QImage& image, const QRect& area, int mean[3]) {
    const QRect r = area.intersected(image.rect());
    if (r.isEmpty()) return false;
    std::uint64_t sum[3] = {0, 0, 0};
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            sum[0] += std::uint64_t(qRed(c));
            sum[1] += std::uint64_t(qGreen(c));
            sum[2] += std::uint64_t(qBlue(c));
        }
    const std::uint64_t n = std::uint64_t(r.width()) * std::uint64_t(r.height());
    for (int c = 0; c < 3; ++c)
        mean[c] = int(sum[c] / n);
    return true;
}

int CorrectToPoint(LBitmapBase& bitmap, const QRect& area, bool black) {
    if (!bitmap.IsAllocated()) return ERROR_INV_PARAMETER;
    int mean[3];
    if (!MeanColour(bitmap.GetImage(), area, mean)) return ERROR_INV_PARAMETER;
    const Lut lut = MakeLut(mean, black);
    QImage image = bitmap.GetImage();
    if (image.colorCount() > 0) {
        QList<QRgb> table = image.colorTable();
        for (QRgb& c : table)
            c = Map(lut, c);
        image.setColorTable(table);
    } else if (image.format() == QImage::Format_RGB888) {
        for (int y = 0; y < image.height(); ++y) {
            uchar* p = image.scanLine(y);
            if (!p) return ERROR_NO_MEMORY;
            for (int x = 0; x < image.width(); ++x, p += 3) {
                p[0] = lut[0][p[0]];
                p[1] = lut[1][p[1]];
                p[2] = lut[2][p[2]];
            }
        }
    } else if (image.depth() == 32) {
        for (int y = 0; y < image.height(); ++y) {
            auto* p = reinterpret_cast<QRgb*>(image.scanLine(y));
            if (!p) return ERROR_NO_MEMORY;
            for (int x = 0; x < image.width(); ++x)
                p[x] = Map(lut, p[x]);
        }
    } else {
        return ERROR_INV_PARAMETER;
    }
    return bitmap.SetImage(std::move(image), bitmap.GetBitsPerPixel());
}
