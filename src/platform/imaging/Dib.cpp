// Packed device-independent bitmaps and BMP files: read field by field from distrusted bytes,
// written exactly as Windows lays them out.

#include "platform/imaging/Codecs.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace brellin::imaging {
namespace {

constexpr int kCoreHeaderSize = 12;
constexpr int kInfoHeaderSize = 40;

struct DibHeader {
    BITMAPINFOHEADER bih;
    bool core = false;      // BITMAPCOREHEADER: 16-bit sizes, 3-byte colour entries
    bool topDown = false;
    int height = 0;         // absolute
    DWORD masks[3] = {0, 0, 0};
    std::size_t tableOffset = 0;
    std::size_t tableCount = 0; // entries stored
    int tableEntrySize = 4;
    std::size_t bitsOffset = 0;
};

int ParseHeader(const uchar* data, std::size_t size, DibHeader& h) {
    if (size < 4)
        return ERROR_CORRUPT;
    const DWORD biSize = Le32(data);
    BITMAPINFOHEADER& b = h.bih;
    if (biSize == kCoreHeaderSize) {
        if (size < kCoreHeaderSize)
            return ERROR_CORRUPT;
        h.core = true;
        b.biSize = biSize;
        b.biWidth = Le16(data + 4);
        b.biHeight = Le16(data + 6);
        b.biPlanes = Le16(data + 8);
        b.biBitCount = Le16(data + 10);
        h.tableEntrySize = 3;
    } else {
        if (biSize < kInfoHeaderSize || biSize > 1024 || biSize > size)
            return ERROR_CORRUPT;
        b.biSize = biSize;
        b.biWidth = LONG(Le32(data + 4));
        b.biHeight = LONG(Le32(data + 8));
        b.biPlanes = Le16(data + 12);
        b.biBitCount = Le16(data + 14);
        b.biCompression = Le32(data + 16);
        b.biSizeImage = Le32(data + 20);
        b.biXPelsPerMeter = LONG(Le32(data + 24));
        b.biYPelsPerMeter = LONG(Le32(data + 28));
        b.biClrUsed = Le32(data + 32);
        b.biClrImportant = Le32(data + 36);
    }
    if (b.biWidth <= 0 || b.biHeight == 0 || b.biHeight == LONG(0x80000000) || b.biPlanes != 1)
        return ERROR_CORRUPT;
    h.topDown = b.biHeight < 0;
    h.height = b.biHeight < 0 ? -b.biHeight : b.biHeight;
    const int bpp = b.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return ERROR_UNSUPPORTED;
    switch (b.biCompression) {
    case BI_RGB: break;
    case BI_RLE8:
        if (bpp != 8 || h.topDown)
            return ERROR_CORRUPT;
        break;
    case BI_RLE4:
        if (bpp != 4 || h.topDown)
            return ERROR_CORRUPT;
        break;
    case BI_BITFIELDS:
        if (bpp != 16 && bpp != 32)
            return ERROR_CORRUPT;
        break;
    default: return ERROR_UNSUPPORTED;
    }
    std::size_t pos = biSize;
    if (b.biCompression == BI_BITFIELDS) {
        if (biSize >= 52) {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = Le32(data + 40 + 4 * i);
        } else {
            // The three masks follow a 40-byte header, ahead of any colour table.
            if (size - pos < 12)
                return ERROR_CORRUPT;
            for (int i = 0; i < 3; ++i)
                h.masks[i] = Le32(data + pos + 4 * i);
            pos += 12;
        }
    } else if (bpp == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else if (bpp == 32) {
        h.masks[0] = 0x00FF0000;
        h.masks[1] = 0x0000FF00;
        h.masks[2] = 0x000000FF;
    }
    // The colour table holds the used-colour count, or 2^bits when that is 0 and bits <= 8.
    std::size_t count = b.biClrUsed;
    if (count == 0 && bpp <= 8)
        count = std::size_t(1) << bpp;
    if (count > (std::size_t(1) << 16))
        return ERROR_CORRUPT;
    const std::size_t tableBytes = count * std::size_t(h.tableEntrySize);
    if (tableBytes > size - pos)
        return ERROR_CORRUPT;
    h.tableOffset = pos;
    h.tableCount = count;
    h.bitsOffset = pos + tableBytes;
    return SUCCESS;
}

QList<QRgb> ReadTable(const uchar* data, const DibHeader& h, int bpp) {
    QList<QRgb> pal;
    const std::size_t n = std::min<std::size_t>(h.tableCount, std::size_t(1) << bpp);
    pal.reserve(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i) {
        const uchar* e = data + h.tableOffset + i * std::size_t(h.tableEntrySize);
        pal.append(qRgb(e[2], e[1], e[0]));
    }
    if (pal.isEmpty())
        pal = GreyPalette(1 << bpp);
    return pal;
}

// Position of the lowest set bit and the width of a colour mask, to widen any field to 8 bits.
struct MaskField {
    int shift = 0;
    int bits = 0;
    explicit MaskField(DWORD m) {
        if (!m)
            return;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        while (m & 1) {
            m >>= 1;
            ++bits;
        }
    }
    int Expand(DWORD v) const {
        if (bits == 0)
            return 0;
        const DWORD f = (v >> shift) & ((bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1));
        if (bits >= 8)
            return int(f >> (bits - 8));
        return int((f * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
    }
};

int DecodeRle(const uchar* src, std::size_t size, int bpp, QImage& img) {
    // Run-length rows run bottom-up; indices land in an Indexed8 image.
    const int w = img.width();
    const int h = img.height();
    int x = 0;
    int y = h - 1;
    std::size_t p = 0;
    // The column stops at the row's end: indices past it are dropped, and a file of many runs
    // and deltas cannot carry it round past INT_MAX to a place before the row.
    auto put = [&](int index) {
        if (x < w && y >= 0)
            img.scanLine(y)[x++] = uchar(index);
    };
    while (p + 1 < size) {
        const int count = src[p];
        const int value = src[p + 1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < w; ++i)
                put(bpp == 8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4)));
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            --y;
            if (y < 0)
                return SUCCESS;
        } else if (value == 1) { // end of bitmap
            return SUCCESS;
        } else if (value == 2) { // delta
            if (p + 1 >= size)
                return ERROR_CORRUPT;
            x = std::min(w, x + src[p]);
            y -= src[p + 1];
            p += 2;
            if (y < 0)
                return SUCCESS;
        } else { // absolute run of `value` indices, padded to a 16-bit boundary
            const std::size_t bytes = bpp == 8 ? std::size_t(value) : std::size_t(value + 1) / 2;
            if (bytes > size - p)
                return ERROR_CORRUPT;
            for (int i = 0; i < value; ++i) {
                const uchar b = src[p + (bpp == 8 ? std::size_t(i) : std::size_t(i / 2))];
                put(bpp == 8 ? b : ((i & 1) ? (b & 0x0F) : (b >> 4)));
            }
            p += (bytes + 1) & ~std::size_t(1);
        }
    }
    return SUCCESS;
}

} // namespace

int DecodeDib(const uchar* data, std::size_t size, LBitmapBase& out, int bfOffBits) {
    if (!data)
        return ERROR_NULL_MEMORY;
    DibHeader h;
    int rc = ParseHeader(data, size, h);
    if (rc != SUCCESS)
        return rc;
    const BITMAPINFOHEADER& b = h.bih;
    const int bpp = b.biBitCount;
    std::size_t bitsOffset = h.bitsOffset;
    if (bfOffBits >= 0) {
        // A BMP file names where its bits start; it must lie after the header.
        if (std::size_t(bfOffBits) < h.tableOffset || std::size_t(bfOffBits) > size)
            return ERROR_CORRUPT;
        bitsOffset = std::size_t(bfOffBits);
    }
    const int w = b.biWidth;
    const int hgt = h.height;
    const int outBpp = bpp == 16 ? 24 : bpp;
    if (!FitsLimit(w, hgt, outBpp))
        return ERROR_IMAGE_TOO_LARGE;
    const std::size_t remain = size - bitsOffset;
    const uchar* bits = data + bitsOffset;
    const std::size_t rowBytes = ((std::size_t(w) * std::size_t(bpp) + 31) / 32) * 4;
    const bool rle = b.biCompression == BI_RLE8 || b.biCompression == BI_RLE4;
    if (!rle && rowBytes * std::size_t(hgt) > remain)
        return ERROR_CORRUPT;

    QImage img = AllocateImage(w, hgt, outBpp == 4 ? 8 : outBpp);
    if (img.isNull())
        return ERROR_NO_MEMORY;
    if (bpp <= 8)
        img.setColorTable(ReadTable(data, h, bpp));

    if (rle) {
        img.fill(0);
        const std::size_t rleSize =
            b.biSizeImage && b.biSizeImage <= remain ? std::size_t(b.biSizeImage) : remain;
        rc = DecodeRle(bits, rleSize, bpp, img);
        if (rc != SUCCESS)
            return rc;
    } else {
        const MaskField mr(h.masks[0]), mg(h.masks[1]), mb(h.masks[2]);
        for (int y = 0; y < hgt; ++y) {
            const uchar* s = bits + std::size_t(h.topDown ? y : hgt - 1 - y) * rowBytes;
            uchar* d = img.scanLine(y);
            switch (bpp) {
            case 1: std::memcpy(d, s, (std::size_t(w) + 7) / 8); break;
            case 4:
                for (int x = 0; x < w; ++x)
                    d[x] = (x & 1) ? (s[x / 2] & 0x0F) : (s[x / 2] >> 4);
                break;
            case 8: std::memcpy(d, s, std::size_t(w)); break;
            case 16:
                for (int x = 0; x < w; ++x) {
                    const DWORD v = Le16(s + 2 * x);
                    d[3 * x] = uchar(mr.Expand(v));
                    d[3 * x + 1] = uchar(mg.Expand(v));
                    d[3 * x + 2] = uchar(mb.Expand(v));
                }
                break;
            case 24:
                for (int x = 0; x < w; ++x) {
                    d[3 * x] = s[3 * x + 2];
                    d[3 * x + 1] = s[3 * x + 1];
                    d[3 * x + 2] = s[3 * x];
                }
                break;
            case 32: {
                auto* q = reinterpret_cast<QRgb*>(d);
                for (int x = 0; x < w; ++x) {
                    const DWORD v = Le32(s + 4 * x);
                    q[x] = qRgb(mr.Expand(v), mg.Expand(v), mb.Expand(v));
                }
                break;
            }
            }
        }
    }
    rc = out.SetImage(std::move(img), outBpp);
    if (rc != SUCCESS)
        return rc;
    out.SetXResolution(DpiFromPelsPerMeter(b.biXPelsPerMeter));
    out.SetYResolution(DpiFromPelsPerMeter(b.biYPelsPerMeter));
    return SUCCESS;
}

int DibInfo(const uchar* data, std::size_t size, FILEINFO& info) {
    DibHeader h;
    const int rc = ParseHeader(data, size, h);
    if (rc != SUCCESS)
        return rc;
    info.Width = h.bih.biWidth;
    info.Height = h.height;
    info.BitsPerPixel = h.bih.biBitCount == 16 ? 24 : h.bih.biBitCount;
    info.XResolution = DpiFromPelsPerMeter(h.bih.biXPelsPerMeter);
    info.YResolution = DpiFromPelsPerMeter(h.bih.biYPelsPerMeter);
    info.TotalPages = 1;
    return SUCCESS;
}

int EncodeDib(const LBitmapBase& bitmap, QByteArray& out) {
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    const QImage& img = bitmap.GetImage();
    const int bpp = bitmap.GetBitsPerPixel();
    const int w = img.width();
    const int h = img.height();
    const std::size_t rowBytes = ((std::size_t(w) * std::size_t(bpp) + 31) / 32) * 4;
    const QList<QRgb> pal = bitmap.GetPalette();
    const int maxColors = bpp <= 8 ? (1 << bpp) : 0;
    const int colors = bpp <= 8 ? int(std::min<qsizetype>(pal.size(), maxColors)) : 0;

    out.clear();
    out.reserve(qsizetype(kInfoHeaderSize + 4 * colors + rowBytes * std::size_t(h)));
    PutLe32(out, kInfoHeaderSize);
    PutLe32(out, DWORD(w));
    PutLe32(out, DWORD(h));
    PutLe16(out, 1);
    PutLe16(out, WORD(bpp));
    PutLe32(out, BI_RGB);
    PutLe32(out, DWORD(rowBytes * std::size_t(h)));
    PutLe32(out, DWORD(PelsPerMeterFromDpi(bitmap.GetXResolution())));
    PutLe32(out, DWORD(PelsPerMeterFromDpi(bitmap.GetYResolution())));
    PutLe32(out, DWORD(colors == maxColors ? 0 : colors)); // 0: the full table of 2^bits
    PutLe32(out, 0);
    for (int i = 0; i < colors; ++i) {
        out.append(char(qBlue(pal[i])));
        out.append(char(qGreen(pal[i])));
        out.append(char(qRed(pal[i])));
        out.append(char(0));
    }
    const qsizetype bitsStart = out.size();
    out.resize(bitsStart + qsizetype(rowBytes * std::size_t(h)));
    auto* dst = reinterpret_cast<uchar*>(out.data()) + bitsStart;
    std::memset(dst, 0, rowBytes * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const uchar* s = img.constScanLine(y);
        uchar* d = dst + std::size_t(h - 1 - y) * rowBytes;
        switch (bpp) {
        case 1: {
            const int full = w / 8;
            std::memcpy(d, s, std::size_t(full));
            if (w % 8)
                d[full] = uchar(s[full] & (0xFF00 >> (w % 8)));
            break;
        }
        case 4:
            for (int x = 0; x < w; ++x)
                d[x / 2] |= uchar((x & 1) ? (s[x] & 0x0F) : ((s[x] & 0x0F) << 4));
            break;
        case 8: std::memcpy(d, s, std::size_t(w)); break;
        case 24:
            for (int x = 0; x < w; ++x) {
                d[3 * x] = s[3 * x + 2];
                d[3 * x + 1] = s[3 * x + 1];
                d[3 * x + 2] = s[3 * x];
            }
            break;
        case 32: {
            const auto* q = reinterpret_cast<const QRgb*>(s);
            const bool alpha = img.hasAlphaChannel();
            for (int x = 0; x < w; ++x) {
                d[4 * x] = uchar(qBlue(q[x]));
                d[4 * x + 1] = uchar(qGreen(q[x]));
                d[4 * x + 2] = uchar(qRed(q[x]));
                d[4 * x + 3] = alpha ? uchar(qAlpha(q[x])) : 0;
            }
            break;
        }
        default: return ERROR_BAD_DEPTH;
        }
    }
    return SUCCESS;
}

int DecodeBmp(const uchar* data, std::size_t size, LBitmapBase& out) {
    if (size < std::size_t(kBitmapFileHeaderSize) + 4 || data[0] != 'B' || data[1] != 'M')
        return ERROR_CORRUPT;
    const DWORD offBits = Le32(data + 10);
    const std::size_t rest = size - kBitmapFileHeaderSize;
    int off = -1;
    if (offBits >= DWORD(kBitmapFileHeaderSize) && offBits - kBitmapFileHeaderSize <= rest)
        off = int(offBits - kBitmapFileHeaderSize);
    return DecodeDib(data + kBitmapFileHeaderSize, rest, out, off);
}

QByteArray BmpFromDib(const LBitmapBase& bitmap, const QByteArray& dib) {
    const int bpp = bitmap.GetBitsPerPixel();
    const DWORD colors = bpp <= 8 ? DWORD(std::min<qsizetype>(bitmap.GetPalette().size(), 1 << bpp)) : 0;
    QByteArray out;
    out.reserve(dib.size() + kBitmapFileHeaderSize);
    out.append("BM", 2);
    PutLe32(out, DWORD(dib.size() + kBitmapFileHeaderSize));
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe32(out, DWORD(kBitmapFileHeaderSize + kInfoHeaderSize) + 4 * colors);
    out.append(dib);
    return out;
}

int EncodeBmp(const LBitmapBase& bitmap, QByteArray& out) {
    QByteArray dib;
    const int rc = EncodeDib(bitmap, dib);
    if (rc != SUCCESS)
        return rc;
    out = BmpFromDib(bitmap, dib);
    return SUCCESS;
}

} // namespace brellin::imaging
