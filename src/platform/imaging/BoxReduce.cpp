#include "platform/imaging/BoxReduce.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdint>
#include <vector>

namespace brellin::imaging {

namespace {

// The result pixel each source column (or row) of a span of `from` falls into, for `to` results.
std::vector<int> BinsOf(int from, int to) {
    std::vector<int> bins(static_cast<std::size_t>(from));
    for (int i = 0; i < from; ++i)
        bins[std::size_t(i)] = int(std::int64_t(i) * to / from);
    return bins;
}

// One source row as 8-bit samples: grey (1 a pixel) or R, G, B (3 a pixel).
using MonoTable = std::array<std::array<std::uint8_t, 8>, 256>;

// The grey samples of the eight pixels of each byte of a 1-bit row (most significant bit first).
MonoTable MonoGreyTable(const std::vector<QRgb>& palette) {
    MonoTable table{};
    for (int v = 0; v < 256; ++v)
        for (int bit = 0; bit < 8; ++bit)
            table[std::size_t(v)][std::size_t(bit)] =
                std::uint8_t(qRed(palette[std::size_t((v >> (7 - bit)) & 1)]));
    return table;
}

void ReadRow(const QImage& image, int y, int x0, int width, bool grey, const std::vector<QRgb>& palette,
             const MonoTable& monoGrey, std::vector<std::uint8_t>& row) {
    const uchar* line = image.constScanLine(y);
    std::uint8_t* out = row.data();
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: {
        const bool msb = image.format() == QImage::Format_Mono;
        if (msb && grey && x0 % 8 == 0) {
            // Eight samples a byte from the table: a fax page has millions of pixels.
            const int whole = width / 8;
            for (int b = 0; b < whole; ++b, out += 8)
                std::memcpy(out, monoGrey[line[(x0 >> 3) + b]].data(), 8);
            for (int i = whole * 8; i < width; ++i) {
                const int x = x0 + i;
                *out++ = std::uint8_t(qRed(palette[std::size_t((line[x >> 3] >> (7 - (x & 7))) & 1)]));
            }
            break;
        }
        for (int i = 0; i < width; ++i) {
            const int x = x0 + i;
            const int bit = msb ? (line[x >> 3] >> (7 - (x & 7))) & 1 : (line[x >> 3] >> (x & 7)) & 1;
            const QRgb c = palette[std::size_t(bit)];
            if (grey) {
                *out++ = std::uint8_t(qRed(c));
            } else {
                *out++ = std::uint8_t(qRed(c));
                *out++ = std::uint8_t(qGreen(c));
                *out++ = std::uint8_t(qBlue(c));
            }
        }
        break;
    }
    case QImage::Format_Indexed8:
        for (int i = 0; i < width; ++i) {
            const std::size_t index = line[x0 + i];
            const QRgb c = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
            if (grey) {
                *out++ = std::uint8_t(qRed(c));
            } else {
                *out++ = std::uint8_t(qRed(c));
                *out++ = std::uint8_t(qGreen(c));
                *out++ = std::uint8_t(qBlue(c));
            }
        }
        break;
    case QImage::Format_Grayscale8:
        std::copy_n(line + x0, width, out);
        break;
    case QImage::Format_RGB888:
        std::copy_n(line + 3 * x0, 3 * width, out);
        break;
    default: { // RGB32, ARGB32 and the rest as 32-bit pixels
        const auto* px = reinterpret_cast<const QRgb*>(line) + x0;
        for (int i = 0; i < width; ++i) {
            *out++ = std::uint8_t(qRed(px[i]));
            *out++ = std::uint8_t(qGreen(px[i]));
            *out++ = std::uint8_t(qBlue(px[i]));
        }
        break;
    }
    }
}

} // namespace

QImage BoxReduce(const QImage& input, const QRect& source, int width, int height) {
    const QRect part = source.intersected(input.rect());
    if (part.isEmpty() || width <= 0 || height <= 0 || width > part.width() || height > part.height())
        return {};
    QImage image = input;
    const QImage::Format f = image.format();
    const bool direct = f == QImage::Format_Mono || f == QImage::Format_MonoLSB ||
                        f == QImage::Format_Indexed8 || f == QImage::Format_Grayscale8 ||
                        f == QImage::Format_RGB888 || f == QImage::Format_RGB32 ||
                        f == QImage::Format_ARGB32;
    if (!direct) {
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.isNull())
            return {};
    }
    const QList<QRgb> table = image.colorTable();
    std::vector<QRgb> palette(table.begin(), table.end());
    if ((f == QImage::Format_Mono || f == QImage::Format_MonoLSB) && palette.size() < 2)
        palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    bool grey = f == QImage::Format_Grayscale8;
    if (!palette.empty())
        grey = std::all_of(palette.begin(), palette.end(), [](QRgb c) { return qIsGray(c); });
    const int channels = grey ? 1 : 3;

    QImage out(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    const std::vector<int> xBins = BinsOf(part.width(), width);
    const std::vector<int> yBins = BinsOf(part.height(), height);
    std::vector<std::uint64_t> columns(std::size_t(width), 0); // source columns of each result
    for (const int b : xBins)
        ++columns[std::size_t(b)];
    std::vector<std::uint8_t> row(std::size_t(part.width() * channels));
    const MonoTable monoGrey = grey && palette.size() >= 2 ? MonoGreyTable(palette) : MonoTable{};
    std::vector<std::uint64_t> sums(std::size_t(width * channels), 0);
    std::uint64_t rows = 0;
    for (int sy = 0; sy < part.height(); ++sy) {
        ReadRow(image, part.top() + sy, part.left(), part.width(), grey, palette, monoGrey, row);
        const std::uint8_t* in = row.data();
        // Each result column sums its run of source columns.
        for (int ox = 0, sx = 0; ox < width; ++ox) {
            const int end = sx + int(columns[std::size_t(ox)]);
            if (grey) {
                std::uint32_t s = 0;
                for (; sx < end; ++sx)
                    s += in[sx];
                sums[std::size_t(ox)] += s;
            } else {
                std::uint32_t r = 0, g = 0, b = 0;
                for (; sx < end; ++sx) {
                    r += in[3 * sx];
                    g += in[3 * sx + 1];
                    b += in[3 * sx + 2];
                }
                std::uint64_t* s = &sums[std::size_t(ox) * 3];
                s[0] += r;
                s[1] += g;
                s[2] += b;
            }
        }
        ++rows;
        const int oy = yBins[std::size_t(sy)];
        if (sy + 1 < part.height() && yBins[std::size_t(sy + 1)] == oy)
            continue;
        // The last source row of result row oy: its means are written and the sums begun anew.
        uchar* line = out.scanLine(oy);
        for (int ox = 0; ox < width; ++ox) {
            const std::uint64_t n = columns[std::size_t(ox)] * rows;
            const std::uint64_t* s = &sums[std::size_t(ox * channels)];
            if (grey) {
                line[ox] = uchar((s[0] + n / 2) / n);
            } else {
                reinterpret_cast<QRgb*>(line)[ox] =
                    qRgb(int((s[0] + n / 2) / n), int((s[1] + n / 2) / n), int((s[2] + n / 2) / n));
            }
        }
        std::fill(sums.begin(), sums.end(), 0);
        rows = 0;
    }
    return out;
}

} // namespace brellin::imaging
