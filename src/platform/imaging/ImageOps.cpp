// Image operations of LBitmapBase, each at the bitmap's own depth: trim, automatic trim, rotation,
// flip, reverse, invert, fill and colour-depth conversion.

#include "platform/imaging/BitmapBase.h"

#include "platform/Guard.h"
#include "platform/imaging/Codecs.h"

#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace brellin::imaging {
namespace {

int Luma(QRgb c) { return (qRed(c) * 77 + qGreen(c) * 150 + qBlue(c) * 29) >> 8; }

// 256 entries, so that any index byte names a colour (missing entries are black).
std::array<QRgb, 256> FullTable(const QImage& img) {
    std::array<QRgb, 256> t;
    t.fill(qRgb(0, 0, 0));
    const QList<QRgb> pal = img.colorTable();
    for (qsizetype i = 0; i < pal.size() && i < 256; ++i)
        t[std::size_t(i)] = pal[i];
    return t;
}

// The palette index for a colour: an exact entry, a new entry (appended to `pal`) while there
// is room, else the nearest one.
int IndexFor(QList<QRgb>& pal, int bpp, COLORREF color) {
    const QRgb want = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
    for (qsizetype i = 0; i < pal.size(); ++i)
        if ((pal[i] & 0xFFFFFF) == (want & 0xFFFFFF))
            return int(i);
    if (pal.size() < (1 << bpp)) {
        pal.append(want);
        return int(pal.size() - 1);
    }
    int best = 0;
    int bestDist = INT32_MAX;
    for (qsizetype i = 0; i < pal.size(); ++i) {
        const int dr = qRed(pal[i]) - qRed(want), dg = qGreen(pal[i]) - qGreen(want),
                  db = qBlue(pal[i]) - qBlue(want);
        const int dist = dr * dr + dg * dg + db * db;
        if (dist < bestDist) {
            bestDist = dist;
            best = int(i);
        }
    }
    return best;
}

inline bool MonoBit(const uchar* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
inline void SetMonoBit(uchar* row, int x, bool on) {
    if (on)
        row[x >> 3] |= uchar(0x80 >> (x & 7));
    else
        row[x >> 3] &= uchar(~(0x80 >> (x & 7)));
}

int BytesPerPixel(int bpp) { return bpp == 24 ? 3 : bpp == 32 ? 4 : 1; }

// Raw value of a pixel: index, packed RGB or 32-bit word.
std::uint32_t RawPixel(const QImage& img, int bpp, int x, int y) {
    const uchar* row = img.constScanLine(y);
    switch (bpp) {
    case 1: return MonoBit(row, x);
    case 24: return std::uint32_t(row[3 * x]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2];
    case 32: return reinterpret_cast<const std::uint32_t*>(row)[x];
    default: return row[x];
    }
}

// The bytes of a row filled with one raw value, for comparing rows at memory speed.
std::vector<uchar> PatternRow(int bpp, std::uint32_t v, int width) {
    std::vector<uchar> p;
    if (bpp == 1) {
        p.assign(std::size_t(width + 7) / 8, v ? 0xFF : 0x00);
    } else if (bpp == 24) {
        p.resize(std::size_t(width) * 3);
        for (int x = 0; x < width; ++x) {
            p[3 * std::size_t(x)] = uchar(v >> 16);
            p[3 * std::size_t(x) + 1] = uchar(v >> 8);
            p[3 * std::size_t(x) + 2] = uchar(v);
        }
    } else if (bpp == 32) {
        p.resize(std::size_t(width) * 4);
        for (int x = 0; x < width; ++x)
            std::memcpy(&p[4 * std::size_t(x)], &v, 4);
    } else {
        p.assign(std::size_t(width), uchar(v));
    }
    return p;
}

// First pixel of the row differing from the pattern (width when none).
int FirstDiff(const uchar* row, const std::vector<uchar>& pat, int bpp, int width) {
    const std::size_t n = pat.size();
    std::size_t i = 0;
    while (i < n && row[i] == pat[i])
        ++i;
    if (i == n)
        return width;
    if (bpp == 1) {
        const uchar diff = row[i] ^ pat[i];
        int bit = 0;
        while (!(diff & (0x80 >> bit)))
            ++bit;
        return std::min(width, int(i) * 8 + bit);
    }
    return int(i) / BytesPerPixel(bpp);
}

// Last pixel differing from the pattern (-1 when none).
int LastDiff(const uchar* row, const std::vector<uchar>& pat, int bpp, int width) {
    std::size_t n = pat.size();
    if (bpp == 1 && (width & 7)) {
        // The unused bits of the last byte never count.
        const uchar mask = uchar(0xFF00 >> (width & 7));
        const uchar diff = uchar((row[n - 1] ^ pat[n - 1]) & mask);
        if (diff) {
            int bit = 7;
            while (!(diff & (0x80 >> bit)))
                --bit;
            return int(n - 1) * 8 + bit;
        }
        --n;
    }
    while (n > 0 && row[n - 1] == pat[n - 1])
        --n;
    if (n == 0)
        return -1;
    if (bpp == 1) {
        const uchar diff = row[n - 1] ^ pat[n - 1];
        int bit = 7;
        while (!(diff & (0x80 >> bit)))
            --bit;
        return int(n - 1) * 8 + bit;
    }
    return int(n - 1) / BytesPerPixel(bpp);
}

bool Near(std::uint32_t a, std::uint32_t b, int bpp, int threshold) {
    if (threshold <= 0 || bpp <= 8)
        return a == b;
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > threshold)
            return false;
    return true;
}

// The colour at a fractional position, blended from the four pixels around it; pixels outside
// the image count as `fill`. Raw values as RawPixel gives them (24 bits: R << 16 | G << 8 | B).
std::uint32_t Bilinear(const QImage& img, int bpp, double x, double y, std::uint32_t fill) {
    const int w = img.width(), h = img.height();
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    if (x0 < -1 || y0 < -1 || x0 >= w || y0 >= h)
        return fill;
    const double ax = x - x0, ay = y - y0;
    auto at = [&](int px, int py) -> std::uint32_t {
        return px < 0 || py < 0 || px >= w || py >= h ? fill : RawPixel(img, bpp, px, py);
    };
    const std::uint32_t p00 = at(x0, y0), p10 = at(x0 + 1, y0), p01 = at(x0, y0 + 1),
                        p11 = at(x0 + 1, y0 + 1);
    std::uint32_t out = bpp == 32 ? (p00 & 0xFF000000u) : 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double top = ((p00 >> shift) & 0xFF) * (1 - ax) + ((p10 >> shift) & 0xFF) * ax;
        const double bottom = ((p01 >> shift) & 0xFF) * (1 - ax) + ((p11 >> shift) & 0xFF) * ax;
        out |= std::uint32_t(std::lround(top * (1 - ay) + bottom * ay)) << shift;
    }
    return out;
}

std::array<uchar, 256> ReverseBitsTable() {
    std::array<uchar, 256> t{};
    for (int i = 0; i < 256; ++i) {
        int r = 0;
        for (int b = 0; b < 8; ++b)
            if (i & (1 << b))
                r |= 0x80 >> b;
        t[std::size_t(i)] = uchar(r);
    }
    return t;
}

void ReverseMonoRow(uchar* row, int width, std::vector<uchar>& tmp) {
    static const std::array<uchar, 256> rev = ReverseBitsTable();
    const int nb = (width + 7) / 8;
    const int pad = nb * 8 - width;
    tmp.assign(std::size_t(nb) + 1, 0);
    for (int i = 0; i < nb; ++i)
        tmp[std::size_t(i)] = rev[row[nb - 1 - i]];
    for (int i = 0; i < nb; ++i)
        row[i] = pad ? uchar((tmp[std::size_t(i)] << pad) | (tmp[std::size_t(i) + 1] >> (8 - pad)))
                     : tmp[std::size_t(i)];
}

// Transposes an 8 x 8 bit block (rows a[0..7], most significant bit first).
void Transpose8(const uchar a[8], uchar b[8]) {
    std::uint64_t x = 0;
    for (int i = 0; i < 8; ++i)
        x = (x << 8) | a[i];
    std::uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    x = x ^ t ^ (t << 28);
    for (int i = 7; i >= 0; --i) {
        b[i] = uchar(x & 0xFF);
        x >>= 8;
    }
}

// A quarter turn of a 1-bit image through 8 x 8 block transposes.
QImage RotateMono90(const QImage& src, bool clockwise) {
    const int w = src.width(), h = src.height();
    QImage dst(h, w, QImage::Format_Mono);
    if (dst.isNull())
        return dst;
    dst.setColorTable(src.colorTable());
    const int blocksY = (h + 7) / 8, blocksX = (w + 7) / 8;
    uchar a[8], b[8];
    for (int bY = 0; bY < blocksY; ++bY) {
        const uchar* rows[8];
        for (int j = 0; j < 8; ++j) {
            const int X = 8 * bY + j; // destination column
            const int y = clockwise ? h - 1 - X : X;
            rows[j] = X < h ? src.constScanLine(y) : nullptr;
        }
        for (int bx = 0; bx < blocksX; ++bx) {
            for (int j = 0; j < 8; ++j)
                a[j] = rows[j] ? rows[j][bx] : 0;
            Transpose8(a, b);
            for (int i = 0; i < 8; ++i) {
                const int x = 8 * bx + i;
                if (x >= w)
                    break;
                const int Y = clockwise ? x : w - 1 - x;
                dst.scanLine(Y)[bY] = b[i];
            }
        }
    }
    return dst;
}

template <int B>
void RotateBytes90(const QImage& src, QImage& dst, bool clockwise) {
    const int w = src.width(), h = src.height();
    constexpr int tile = 64;
    for (int ty = 0; ty < h; ty += tile)
        for (int tx = 0; tx < w; tx += tile)
            for (int y = ty; y < std::min(h, ty + tile); ++y) {
                const uchar* s = src.constScanLine(y);
                const int X = clockwise ? h - 1 - y : y;
                for (int x = tx; x < std::min(w, tx + tile); ++x) {
                    const int Y = clockwise ? x : w - 1 - x;
                    std::memcpy(dst.scanLine(Y) + std::size_t(X) * B, s + std::size_t(x) * B, B);
                }
            }
}

} // namespace

int ConvertDepth(const LBitmapBase& in, int bpp, LBitmapBase& out) {
    if (!in.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    const int from = in.GetBitsPerPixel();
    const QImage& src = in.GetImage();
    const int w = src.width(), h = src.height();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return ERROR_BAD_DEPTH;
    if (!FitsLimit(w, h, bpp))
        return ERROR_IMAGE_TOO_LARGE;
    auto finish = [&](QImage img, int depth) {
        const int rc = out.SetImage(std::move(img), depth);
        if (rc == SUCCESS) {
            out.SetXResolution(in.GetXResolution());
            out.SetYResolution(in.GetYResolution());
        }
        return rc;
    };
    if (bpp == from) {
        LBitmapBase copy;
        const int rc = copy.Copy(in);
        if (rc == SUCCESS)
            out.TakePixels(copy);
        return rc;
    }
    // Colour of every pixel as QRgb, row by row, through a safe palette lookup.
    const std::array<QRgb, 256> table = from <= 8 ? FullTable(src) : std::array<QRgb, 256>{};
    auto pixelAt = [&](const uchar* row, int x) -> QRgb {
        switch (from) {
        case 1: return table[MonoBit(row, x)];
        case 4:
        case 8: return table[row[x]];
        case 24: return qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        default: return reinterpret_cast<const QRgb*>(row)[x];
        }
    };

    if (bpp == 24 || bpp == 32) {
        QImage dst = AllocateImage(w, h, bpp);
        if (dst.isNull())
            return ERROR_NO_MEMORY;
        for (int y = 0; y < h; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = dst.scanLine(y);
            for (int x = 0; x < w; ++x) {
                const QRgb c = pixelAt(s, x);
                if (bpp == 24) {
                    d[3 * x] = uchar(qRed(c));
                    d[3 * x + 1] = uchar(qGreen(c));
                    d[3 * x + 2] = uchar(qBlue(c));
                } else {
                    reinterpret_cast<QRgb*>(d)[x] = c | 0xFF000000;
                }
            }
        }
        return finish(dst, bpp);
    }

    if (bpp == 1) {
        // A fixed threshold keeps scanned text sharp where dithering would fray it.
        QImage dst = AllocateImage(w, h, 1);
        if (dst.isNull())
            return ERROR_NO_MEMORY;
        dst.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        dst.fill(0);
        for (int y = 0; y < h; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = dst.scanLine(y);
            for (int x = 0; x < w; ++x)
                if (Luma(pixelAt(s, x)) >= 128)
                    SetMonoBit(d, x, true);
        }
        return finish(dst, 1);
    }

    const int maxColors = 1 << bpp;
    QImage dst = AllocateImage(w, h, 8);
    if (dst.isNull())
        return ERROR_NO_MEMORY;
    // An indexed source that fits keeps its indices and palette.
    if (from <= 8 && src.colorCount() <= maxColors) {
        bool fits = true;
        for (int y = 0; y < h && fits; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = dst.scanLine(y);
            for (int x = 0; x < w; ++x) {
                const int v = from == 1 ? MonoBit(s, x) : s[x];
                if (v >= maxColors) {
                    fits = false;
                    break;
                }
                d[x] = uchar(v);
            }
        }
        if (fits) {
            dst.setColorTable(src.colorTable());
            return finish(dst, bpp);
        }
    }
    // Exact palette when the image has few enough colours.
    {
        std::unordered_map<QRgb, int> index;
        QList<QRgb> pal;
        bool exact = true;
        for (int y = 0; y < h && exact; ++y) {
            const uchar* s = src.constScanLine(y);
            uchar* d = dst.scanLine(y);
            QRgb last = 0;
            int lastIndex = -1;
            for (int x = 0; x < w; ++x) {
                const QRgb c = pixelAt(s, x) | 0xFF000000;
                if (lastIndex < 0 || c != last) {
                    auto it = index.find(c);
                    if (it == index.end()) {
                        if (pal.size() >= maxColors) {
                            exact = false;
                            break;
                        }
                        it = index.emplace(c, int(pal.size())).first;
                        pal.append(c);
                    }
                    last = c;
                    lastIndex = it->second;
                }
                d[x] = uchar(lastIndex);
            }
        }
        if (exact) {
            dst.setColorTable(pal);
            return finish(dst, bpp);
        }
    }
    // Fixed palettes: greys for grey images, otherwise a colour cube with a grey ramp (8 bits)
    // or the 16 standard colours (4 bits); nearest colour, no dithering.
    bool grey = true;
    for (int y = 0; y < h && grey; ++y) {
        const uchar* s = src.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const QRgb c = pixelAt(s, x);
            if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) {
                grey = false;
                break;
            }
        }
    }
    QList<QRgb> pal;
    if (grey) {
        pal = GreyPalette(maxColors);
    } else if (bpp == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    pal.append(qRgb(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i) {
            const int v = (i + 1) * 255 / 41;
            pal.append(qRgb(v, v, v));
        }
    } else {
        static const QRgb vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                     0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                     0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        for (QRgb c : vga)
            pal.append(c | 0xFF000000);
    }
    std::unordered_map<QRgb, uchar> cache;
    auto nearest = [&](QRgb c) -> uchar {
        if (grey)
            return uchar((qRed(c) * (maxColors - 1) + 127) / 255);
        auto it = cache.find(c);
        if (it != cache.end())
            return it->second;
        int best = 0, bestDist = INT32_MAX;
        for (qsizetype i = 0; i < pal.size(); ++i) {
            const int dr = qRed(pal[i]) - qRed(c), dg = qGreen(pal[i]) - qGreen(c),
                      db = qBlue(pal[i]) - qBlue(c);
            const int dist = 3 * dr * dr + 6 * dg * dg + db * db;
            if (dist < bestDist) {
                bestDist = dist;
                best = int(i);
            }
        }
        if (cache.size() < 65536)
            cache.emplace(c, uchar(best));
        return uchar(best);
    };
    for (int y = 0; y < h; ++y) {
        const uchar* s = src.constScanLine(y);
        uchar* d = dst.scanLine(y);
        for (int x = 0; x < w; ++x)
            d[x] = nearest(pixelAt(s, x) | 0xFF000000);
    }
    dst.setColorTable(pal);
    return finish(dst, bpp);
}

} // namespace brellin::imaging

using namespace brellin::imaging;

int LBitmapBase::Trim(int left, int top, int width, int height) {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    if (width <= 0 || height <= 0 || left < 0 || top < 0 ||
        std::int64_t(left) + width > GetWidth() || std::int64_t(top) + height > GetHeight())
        return ERROR_INV_PARAMETER;
    if (left == 0 && top == 0 && width == GetWidth() && height == GetHeight())
        return SUCCESS;
    QImage part;
    if (m_nBitsPerPixel == 1 && (left & 7)) {
        // A 1-bit cut that starts inside a byte: shift whole bytes rather than single pixels.
        part = QImage(width, height, QImage::Format_Mono);
        if (part.isNull())
            return ERROR_NO_MEMORY;
        part.setColorTable(m_image.colorTable());
        const int shift = left & 7;
        const int first = left >> 3;
        const int outBytes = (width + 7) / 8;
        const int inBytes = (GetWidth() + 7) / 8;
        for (int y = 0; y < height; ++y) {
            const uchar* s = m_image.constScanLine(top + y) + first;
            uchar* d = part.scanLine(y);
            const int avail = inBytes - first;
            for (int i = 0; i < outBytes; ++i) {
                const uchar next = i + 1 < avail ? s[i + 1] : 0;
                d[i] = uchar((s[i] << shift) | (next >> (8 - shift)));
            }
        }
    } else {
        part = m_image.copy(left, top, width, height);
    }
    if (part.isNull())
        return ERROR_NO_MEMORY;
    m_image = std::move(part);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::AutoTrim(int threshold) {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    const int w = GetWidth(), h = GetHeight(), bpp = m_nBitsPerPixel;
    const ImagingProgress progress = Progress();
    auto rowUniform = [&](int y, std::uint32_t c, const std::vector<uchar>& pat) {
        if (threshold <= 0 || bpp <= 8)
            return FirstDiff(m_image.constScanLine(y), pat, bpp, w) >= w &&
                   LastDiff(m_image.constScanLine(y), pat, bpp, w) < 0;
        for (int x = 0; x < w; ++x)
            if (!Near(RawPixel(m_image, bpp, x, y), c, bpp, threshold))
                return false;
        return true;
    };
    // Each side trims lines that are entirely the colour of its first corner.
    int top = 0;
    {
        const std::uint32_t c = RawPixel(m_image, bpp, 0, 0);
        const auto pat = PatternRow(bpp, c, w);
        while (top < h && rowUniform(top, c, pat))
            ++top;
    }
    if (top == h)
        return ERROR_NOTHING_TO_TRIM;
    int bottom = h - 1;
    {
        const std::uint32_t c = RawPixel(m_image, bpp, w - 1, h - 1);
        const auto pat = PatternRow(bpp, c, w);
        while (bottom > top && rowUniform(bottom, c, pat))
            --bottom;
    }
    int rc = ReportPercent(progress, 50);
    if (rc != SUCCESS)
        return rc;
    int left = w, right = -1;
    {
        const std::uint32_t cl = RawPixel(m_image, bpp, 0, top);
        const std::uint32_t cr = RawPixel(m_image, bpp, w - 1, top);
        const auto patL = PatternRow(bpp, cl, w);
        const auto patR = PatternRow(bpp, cr, w);
        for (int y = top; y <= bottom; ++y) {
            const uchar* row = m_image.constScanLine(y);
            if (threshold <= 0 || bpp <= 8) {
                if (left > 0)
                    left = std::min(left, FirstDiff(row, patL, bpp, w));
                if (right < w - 1)
                    right = std::max(right, LastDiff(row, patR, bpp, w));
            } else {
                int x = 0;
                while (x < left && Near(RawPixel(m_image, bpp, x, y), cl, bpp, threshold))
                    ++x;
                left = std::min(left, x);
                x = w - 1;
                while (x > right && Near(RawPixel(m_image, bpp, x, y), cr, bpp, threshold))
                    --x;
                right = std::max(right, x);
            }
        }
    }
    if (left > right) // rows between differ only in colour between the two side colours
        return ERROR_NOTHING_TO_TRIM;
    rc = Trim(left, top, right - left + 1, bottom - top + 1);
    if (rc != SUCCESS)
        return rc;
    return ReportPercent(progress, 100);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::Flip() {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    if (DetachPixels() != SUCCESS)
        return ERROR_NO_MEMORY;
    const int h = GetHeight();
    const qsizetype bpl = m_image.bytesPerLine();
    std::vector<uchar> tmp(static_cast<std::size_t>(bpl));
    for (int y = 0; y < h / 2; ++y) {
        uchar* a = m_image.scanLine(y);
        uchar* b = m_image.scanLine(h - 1 - y);
        std::memcpy(tmp.data(), a, std::size_t(bpl));
        std::memcpy(a, b, std::size_t(bpl));
        std::memcpy(b, tmp.data(), std::size_t(bpl));
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::Reverse() {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    if (DetachPixels() != SUCCESS)
        return ERROR_NO_MEMORY;
    const int w = GetWidth(), h = GetHeight();
    std::vector<uchar> tmp;
    for (int y = 0; y < h; ++y) {
        uchar* row = m_image.scanLine(y);
        switch (m_nBitsPerPixel) {
        case 1: ReverseMonoRow(row, w, tmp); break;
        case 24:
            for (int a = 0, b = w - 1; a < b; ++a, --b)
                for (int k = 0; k < 3; ++k)
                    std::swap(row[3 * a + k], row[3 * b + k]);
            break;
        case 32: {
            auto* q = reinterpret_cast<std::uint32_t*>(row);
            std::reverse(q, q + w);
            break;
        }
        default: std::reverse(row, row + w); break;
        }
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::Invert() {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    if (DetachPixels() != SUCCESS)
        return ERROR_NO_MEMORY;
    if (m_nBitsPerPixel <= 8) {
        // Inverting the palette inverts every colour and keeps the indices.
        QList<QRgb> pal = m_image.colorTable();
        for (QRgb& c : pal)
            c = qRgba(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c), qAlpha(c));
        m_image.setColorTable(pal);
        return SUCCESS;
    }
    if (m_nBitsPerPixel == 32) {
        m_image.invertPixels(QImage::InvertRgb);
        return SUCCESS;
    }
    const std::size_t n = std::size_t(GetWidth()) * 3;
    for (int y = 0; y < GetHeight(); ++y) {
        uchar* row = m_image.scanLine(y);
        for (std::size_t i = 0; i < n; ++i)
            row[i] = uchar(~row[i]);
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::Fill(COLORREF color) {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    if (DetachPixels() != SUCCESS)
        return ERROR_NO_MEMORY;
    const QRgb c = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
    switch (m_nBitsPerPixel) {
    case 1:
    case 4:
    case 8: {
        QList<QRgb> pal = m_image.colorTable();
        const int index = IndexFor(pal, m_nBitsPerPixel, color);
        if (pal.size() != m_image.colorCount())
            m_image.setColorTable(pal);
        m_image.fill(uint(index)); // a 1-bit image takes the lowest bit
        break;
    }
    case 24: {
        const auto pat = PatternRow(24, std::uint32_t(qRed(c)) << 16 | std::uint32_t(qGreen(c)) << 8 | std::uint32_t(qBlue(c)), GetWidth());
        for (int y = 0; y < GetHeight(); ++y)
            std::memcpy(m_image.scanLine(y), pat.data(), pat.size());
        break;
    }
    default: m_image.fill(c); break;
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::ChangeBitsPerPixel(int bitsPerPixel) {
    DEF_TRY
    LBitmapBase converted;
    const int rc = ConvertDepth(*this, bitsPerPixel, converted);
    if (rc != SUCCESS)
        return rc;
    TakePixels(converted);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::Rotate(int angleHundredths, unsigned flags, COLORREF fill) {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    int a = angleHundredths % 36000;
    if (a < 0)
        a += 36000;
    if (a == 0)
        return SUCCESS;
    const int w = GetWidth(), h = GetHeight(), bpp = m_nBitsPerPixel;
    const ImagingProgress progress = Progress();
    int rc = ReportPercent(progress, 0);
    if (rc != SUCCESS)
        return rc;

    // Quarter turns move pixels without resampling. Positive angles turn clockwise.
    if (a == 18000) {
        QImage keep = m_image;
        rc = Flip();
        if (rc == SUCCESS)
            rc = Reverse();
        if (rc != SUCCESS)
            m_image = keep;
        return rc == SUCCESS ? ReportPercent(progress, 100) : rc;
    }
    if ((a == 9000 || a == 27000) && (flags & ROTATE_RESIZE)) {
        const bool cw = a == 9000;
        if (!FitsLimit(h, w, bpp))
            return ERROR_IMAGE_TOO_LARGE;
        QImage dst;
        if (bpp == 1) {
            dst = RotateMono90(m_image, cw);
        } else {
            dst = QImage(h, w, m_image.format());
            if (!dst.isNull()) {
                if (bpp <= 8)
                    dst.setColorTable(m_image.colorTable());
                if (bpp == 24)
                    RotateBytes90<3>(m_image, dst, cw);
                else if (bpp == 32)
                    RotateBytes90<4>(m_image, dst, cw);
                else
                    RotateBytes90<1>(m_image, dst, cw);
            }
        }
        if (dst.isNull())
            return ERROR_NO_MEMORY;
        m_image = std::move(dst);
        std::swap(m_nXRes, m_nYRes);
        return ReportPercent(progress, 100);
    }

    // Any other angle: indexed bitmaps take the nearest source pixel, so that the depth and
    // palette stay; colour bitmaps blend the four nearest (bilinear), which keeps edges and
    // lettering smooth. Uncovered area takes the fill colour.
    const double rad = a / 100.0 * M_PI / 180.0;
    const double cs = std::cos(rad), sn = std::sin(rad);
    int nw = w, nh = h;
    if (flags & ROTATE_RESIZE) {
        nw = int(std::ceil(std::abs(w * cs) + std::abs(h * sn) - 1e-6));
        nh = int(std::ceil(std::abs(w * sn) + std::abs(h * cs) - 1e-6));
    }
    if (!FitsLimit(nw, nh, bpp))
        return ERROR_IMAGE_TOO_LARGE;
    QImage dst(nw, nh, m_image.format());
    if (dst.isNull())
        return ERROR_NO_MEMORY;
    std::uint32_t fillRaw = 0;
    if (bpp <= 8) {
        QList<QRgb> pal = m_image.colorTable(); // the fill colour may add an entry
        fillRaw = std::uint32_t(IndexFor(pal, bpp, fill));
        dst.setColorTable(pal);
    } else if (bpp == 24) {
        fillRaw = std::uint32_t(GetRValue(fill)) << 16 | std::uint32_t(GetGValue(fill)) << 8 | GetBValue(fill);
    } else {
        fillRaw = qRgb(GetRValue(fill), GetGValue(fill), GetBValue(fill));
    }
    const double cx = nw / 2.0, cy = nh / 2.0, sx0 = w / 2.0, sy0 = h / 2.0;
    for (int Y = 0; Y < nh; ++Y) {
        uchar* d = dst.scanLine(Y);
        const double dy = Y + 0.5 - cy;
        for (int X = 0; X < nw; ++X) {
            const double dx = X + 0.5 - cx;
            const double fx = dx * cs + dy * sn + sx0;
            const double fy = -dx * sn + dy * cs + sy0;
            std::uint32_t v = fillRaw;
            if (bpp >= 24) {
                v = Bilinear(m_image, bpp, fx - 0.5, fy - 0.5, fillRaw);
            } else if (fx >= 0 && fy >= 0 && fx < w && fy < h) {
                v = RawPixel(m_image, bpp, int(fx), int(fy));
            }
            switch (bpp) {
            case 1: SetMonoBit(d, X, v != 0); break;
            case 24:
                d[3 * X] = uchar(v >> 16);
                d[3 * X + 1] = uchar(v >> 8);
                d[3 * X + 2] = uchar(v);
                break;
            case 32: reinterpret_cast<std::uint32_t*>(d)[X] = v; break;
            default: d[X] = uchar(v); break;
            }
        }
        rc = ReportRows(progress, Y + 1, nh);
        if (rc != SUCCESS)
            return rc;
    }
    m_image = std::move(dst);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}
