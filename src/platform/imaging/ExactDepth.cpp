#include "platform/imaging/ExactDepth.h"

#include "platform/Guard.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace brellin::imaging {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

bool IsGreyColour(QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c); }

// Every pixel's colour as opaque QRgb, row by row, whatever the bitmap's depth.
template <typename F> void ForEachRow(const LBitmapBase& bitmap, F&& row) {
    const QImage& img = bitmap.GetImage();
    const int w = img.width(), h = img.height();
    const int bpp = bitmap.GetBitsPerPixel();
    std::vector<QRgb> table(256, kBlack);
    if (bpp <= 8) {
        const QList<QRgb> pal = img.colorTable();
        for (int i = 0; i < pal.size() && i < 256; ++i)
            table[std::size_t(i)] = pal[i] | 0xFF000000u;
    }
    std::vector<QRgb> line(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        const uchar* s = img.constScanLine(y);
        switch (bpp) {
        case 1:
            for (int x = 0; x < w; ++x)
                line[std::size_t(x)] = table[(s[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
        case 8:
            for (int x = 0; x < w; ++x)
                line[std::size_t(x)] = table[s[x]];
            break;
        case 24:
            for (int x = 0; x < w; ++x)
                line[std::size_t(x)] = qRgb(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
            break;
        default: {
            const auto* q = reinterpret_cast<const QRgb*>(s);
            for (int x = 0; x < w; ++x)
                line[std::size_t(x)] = q[x] | 0xFF000000u;
            break;
        }
        }
        if (!row(y, line.data(), w))
            return;
    }
}

// The colours of a bitmap, counted as far as they decide the depth: past 256 colours nothing
// below the bitmap's own depth holds it, so counting stops there.
struct Census {
    bool bitonal = true;
    bool grey = true;
    std::vector<QRgb> colours;
    std::vector<std::uint64_t> seen = std::vector<std::uint64_t>((1u << 24) / 64, 0);

    bool Add(QRgb c) {
        const std::uint32_t rgb = c & 0xFFFFFFu;
        std::uint64_t& word = seen[rgb >> 6];
        const std::uint64_t bit = std::uint64_t(1) << (rgb & 63);
        if (word & bit)
            return true;
        word |= bit;
        colours.push_back(c);
        bitonal = bitonal && (c == kBlack || c == kWhite);
        grey = grey && IsGreyColour(c);
        return colours.size() <= 256;
    }
};

bool TakeCensus(const LBitmapBase& bitmap, Census& census) {
    bool fits = true;
    ForEachRow(bitmap, [&](int, const QRgb* line, int w) {
        QRgb last = line[0] + 1; // differs from the first pixel
        for (int x = 0; x < w && fits; ++x) {
            if (line[x] == last)
                continue;
            last = line[x];
            fits = census.Add(last);
        }
        return fits;
    });
    return fits;
}

bool HasTransparency(const LBitmapBase& bitmap) {
    const QImage& img = bitmap.GetImage();
    if (bitmap.GetBitsPerPixel() != 32 || !img.hasAlphaChannel())
        return false;
    for (int y = 0; y < img.height(); ++y) {
        const auto* q = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(q[x]) != 255)
                return true;
    }
    return false;
}

int DepthOf(const LBitmapBase& bitmap, Census& census) {
    if (!bitmap.IsAllocated())
        return 0;
    const int own = bitmap.GetBitsPerPixel();
    if (own == 1 || HasTransparency(bitmap))
        return own;
    if (!TakeCensus(bitmap, census))
        return own;
    if (census.bitonal)
        return 1;
    return std::min(own, 8);
}

} // namespace

int LeastExactDepth(const LBitmapBase& bitmap) {
    DEF_TRY
    Census census;
    return DepthOf(bitmap, census);
    DEF_CATCH
    return bitmap.GetBitsPerPixel();
}

int ReduceToLeastDepth(LBitmapBase& bitmap) {
    DEF_TRY
    Census census;
    const int depth = DepthOf(bitmap, census);
    if (depth == 0)
        return ERROR_NOT_ALLOCATED;
    const bool sameTable = depth == 8 && bitmap.GetBitsPerPixel() <= 8 && !census.grey;
    if (depth == bitmap.GetBitsPerPixel() && (depth != 8 || sameTable || bitmap.IsGrey()))
        return SUCCESS;
    const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
    QImage out = AllocateImage(w, h, depth);
    if (out.isNull())
        return FitsLimit(w, h, depth) ? ERROR_NO_MEMORY : ERROR_IMAGE_TOO_LARGE;
    if (depth == 1) {
        out.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        ForEachRow(bitmap, [&](int y, const QRgb* line, int width) {
            uchar* d = out.scanLine(y);
            std::fill(d, d + out.bytesPerLine(), uchar(0));
            for (int x = 0; x < width; ++x)
                if (line[x] == kWhite)
                    d[x >> 3] |= uchar(0x80 >> (x & 7));
            return true;
        });
    } else if (census.grey) {
        out.setColorTable(GreyPalette(256));
        ForEachRow(bitmap, [&](int y, const QRgb* line, int width) {
            uchar* d = out.scanLine(y);
            for (int x = 0; x < width; ++x)
                d[x] = uchar(qRed(line[x]));
            return true;
        });
    } else {
        QList<QRgb> table;
        std::unordered_map<QRgb, uchar> index;
        for (std::size_t i = 0; i < census.colours.size(); ++i) {
            table.append(census.colours[i]);
            index.emplace(census.colours[i], uchar(i));
        }
        out.setColorTable(table);
        ForEachRow(bitmap, [&](int y, const QRgb* line, int width) {
            uchar* d = out.scanLine(y);
            QRgb last = line[0] + 1;
            uchar value = 0;
            for (int x = 0; x < width; ++x) {
                if (line[x] != last) {
                    last = line[x];
                    value = index.at(last);
                }
                d[x] = value;
            }
            return true;
        });
    }
    if (out.isNull())
        return ERROR_NO_MEMORY;
    const int xres = bitmap.GetXResolution(), yres = bitmap.GetYResolution();
    LBitmapBase reduced;
    const int rc = reduced.SetImage(std::move(out), depth);
    if (rc != SUCCESS)
        return rc;
    bitmap.TakePixels(reduced);
    bitmap.SetXResolution(xres);
    bitmap.SetYResolution(yres);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

} // namespace brellin::imaging
