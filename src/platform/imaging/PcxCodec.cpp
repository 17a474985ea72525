// PCX, read and written by the layer itself: 1 bit (one plane), 4 bits (four one-bit planes, read
// only), 8 bits with the 256-colour palette at the end, 24 bits as three 8-bit planes; run-length
// encoded.

#include "platform/imaging/Codecs.h"

#include <cstring>

namespace brellin::imaging {
namespace {

struct PCXHEADER {
    BYTE Manufacturer = 0x0A;
    BYTE Version = 5;
    BYTE Encoding = 1;
    BYTE BitsPerPixel = 0; // per plane
    WORD XMin = 0;
    WORD YMin = 0;
    WORD XMax = 0;
    WORD YMax = 0;
    WORD HDpi = 0;
    WORD VDpi = 0;
    BYTE ColorMap[48] = {};
    BYTE Reserved = 0;
    BYTE NPlanes = 0;
    WORD BytesPerLine = 0;
    WORD PaletteInfo = 1;
    WORD HScreenSize = 0;
    WORD VScreenSize = 0;
    BYTE Filler[54] = {};
};
static_assert(sizeof(PCXHEADER) == 128);
static_assert(offsetof(PCXHEADER, XMin) == 4 && offsetof(PCXHEADER, HDpi) == 12 &&
              offsetof(PCXHEADER, ColorMap) == 16 && offsetof(PCXHEADER, NPlanes) == 65 &&
              offsetof(PCXHEADER, BytesPerLine) == 66 && offsetof(PCXHEADER, PaletteInfo) == 68 &&
              offsetof(PCXHEADER, Filler) == 74);
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteTail = 769; // 0x0C and 256 RGB triples

void ReadHeader(const uchar* d, PCXHEADER& h) {
    h.Manufacturer = d[0];
    h.Version = d[1];
    h.Encoding = d[2];
    h.BitsPerPixel = d[3];
    h.XMin = Le16(d + 4);
    h.YMin = Le16(d + 6);
    h.XMax = Le16(d + 8);
    h.YMax = Le16(d + 10);
    h.HDpi = Le16(d + 12);
    h.VDpi = Le16(d + 14);
    std::memcpy(h.ColorMap, d + 16, sizeof h.ColorMap);
    h.Reserved = d[64];
    h.NPlanes = d[65];
    h.BytesPerLine = Le16(d + 66);
    h.PaletteInfo = Le16(d + 68);
    h.HScreenSize = Le16(d + 70);
    h.VScreenSize = Le16(d + 72);
}

void WriteHeader(QByteArray& b, const PCXHEADER& h) {
    b.append(char(h.Manufacturer));
    b.append(char(h.Version));
    b.append(char(h.Encoding));
    b.append(char(h.BitsPerPixel));
    PutLe16(b, h.XMin);
    PutLe16(b, h.YMin);
    PutLe16(b, h.XMax);
    PutLe16(b, h.YMax);
    PutLe16(b, h.HDpi);
    PutLe16(b, h.VDpi);
    b.append(reinterpret_cast<const char*>(h.ColorMap), sizeof h.ColorMap);
    b.append(char(h.Reserved));
    b.append(char(h.NPlanes));
    PutLe16(b, h.BytesPerLine);
    PutLe16(b, h.PaletteInfo);
    PutLe16(b, h.HScreenSize);
    PutLe16(b, h.VScreenSize);
    b.append(QByteArray(sizeof h.Filler, '\0'));
}

struct Layout {
    int width = 0;
    int height = 0;
    int bpp = 0; // of the bitmap made
};

int CheckHeader(const uchar* data, std::size_t size, PCXHEADER& h, Layout& l) {
    if (size < kHeaderSize)
        return ERROR_CORRUPT;
    ReadHeader(data, h);
    if (h.Manufacturer != 0x0A || h.Encoding > 1)
        return ERROR_FILE_FORMAT;
    if (h.XMax < h.XMin || h.YMax < h.YMin)
        return ERROR_CORRUPT;
    l.width = h.XMax - h.XMin + 1;
    l.height = h.YMax - h.YMin + 1;
    if (h.BitsPerPixel == 1 && h.NPlanes == 1)
        l.bpp = 1;
    else if (h.BitsPerPixel == 1 && h.NPlanes == 4)
        l.bpp = 4;
    else if (h.BitsPerPixel == 8 && h.NPlanes == 1)
        l.bpp = 8;
    else if (h.BitsPerPixel == 8 && h.NPlanes == 3)
        l.bpp = 24;
    else
        return ERROR_UNSUPPORTED;
    const std::size_t need = (std::size_t(l.width) * h.BitsPerPixel + 7) / 8;
    if (h.BytesPerLine < need)
        return ERROR_CORRUPT;
    return SUCCESS;
}

} // namespace

int PcxInfo(const uchar* data, std::size_t size, FILEINFO& info) {
    PCXHEADER h;
    Layout l;
    const int rc = CheckHeader(data, size, h, l);
    if (rc != SUCCESS)
        return rc;
    info.Width = l.width;
    info.Height = l.height;
    info.BitsPerPixel = l.bpp;
    info.XResolution = h.HDpi;
    info.YResolution = h.VDpi;
    info.TotalPages = 1;
    return SUCCESS;
}

int DecodePcx(const uchar* data, std::size_t size, LBitmapBase& out,
              const ImagingProgress& progress) {
    PCXHEADER h;
    Layout l;
    int rc = CheckHeader(data, size, h, l);
    if (rc != SUCCESS)
        return rc;
    if (!FitsLimit(l.width, l.height, l.bpp))
        return ERROR_IMAGE_TOO_LARGE;
    const std::size_t lineBytes = std::size_t(h.BytesPerLine) * h.NPlanes;
    // Even a fully run-length encoded line needs 2 bytes per 63: a file far shorter than that
    // cannot hold the image it claims.
    if ((lineBytes * std::size_t(l.height)) / 63 * 2 > size)
        return ERROR_CORRUPT;
    QImage img = AllocateImage(l.width, l.height, l.bpp == 4 ? 8 : l.bpp);
    if (img.isNull())
        return ERROR_NO_MEMORY;

    std::vector<uchar> line(lineBytes);
    std::size_t pos = kHeaderSize;
    int runLeft = 0; // runs may cross line ends in files of some writers
    uchar runValue = 0;
    for (int y = 0; y < l.height; ++y) {
        std::size_t i = 0;
        while (i < lineBytes) {
            if (runLeft > 0) {
                line[i++] = runValue;
                --runLeft;
                continue;
            }
            if (pos >= size)
                return ERROR_CORRUPT;
            const uchar c = data[pos++];
            if (h.Encoding == 1 && (c & 0xC0) == 0xC0) {
                if (pos >= size)
                    return ERROR_CORRUPT;
                runLeft = c & 0x3F;
                runValue = data[pos++];
            } else {
                line[i++] = c;
            }
        }
        uchar* d = img.scanLine(y);
        const std::size_t bpl = h.BytesPerLine;
        switch (l.bpp) {
        case 1: std::memcpy(d, line.data(), (std::size_t(l.width) + 7) / 8); break;
        case 4:
            for (int x = 0; x < l.width; ++x) {
                int v = 0;
                for (int p = 0; p < 4; ++p)
                    v |= ((line[std::size_t(p) * bpl + std::size_t(x / 8)] >> (7 - x % 8)) & 1) << p;
                d[x] = uchar(v);
            }
            break;
        case 8: std::memcpy(d, line.data(), std::size_t(l.width)); break;
        case 24:
            for (int x = 0; x < l.width; ++x) {
                d[3 * x] = line[std::size_t(x)];
                d[3 * x + 1] = line[bpl + std::size_t(x)];
                d[3 * x + 2] = line[2 * bpl + std::size_t(x)];
            }
            break;
        }
        rc = ReportRows(progress, y + 1, l.height);
        if (rc != SUCCESS)
            return rc;
    }
    if (l.bpp == 1) {
        img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    } else if (l.bpp == 4) {
        QList<QRgb> pal;
        for (int i = 0; i < 16; ++i)
            pal.append(qRgb(h.ColorMap[3 * i], h.ColorMap[3 * i + 1], h.ColorMap[3 * i + 2]));
        img.setColorTable(pal);
    } else if (l.bpp == 8) {
        QList<QRgb> pal;
        if (size >= kHeaderSize + kPaletteTail && data[size - kPaletteTail] == 0x0C) {
            const uchar* p = data + size - kPaletteTail + 1;
            for (int i = 0; i < 256; ++i)
                pal.append(qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]));
        } else {
            pal = GreyPalette(256);
        }
        img.setColorTable(pal);
    }
    rc = out.SetImage(std::move(img), l.bpp);
    if (rc != SUCCESS)
        return rc;
    out.SetXResolution(h.HDpi);
    out.SetYResolution(h.VDpi);
    return SUCCESS;
}

namespace {
void EncodeLine(const uchar* s, std::size_t n, QByteArray& out) {
    std::size_t i = 0;
    while (i < n) {
        const uchar v = s[i];
        std::size_t run = 1;
        while (i + run < n && run < 63 && s[i + run] == v)
            ++run;
        if (run > 1 || (v & 0xC0) == 0xC0)
            out.append(char(0xC0 | run));
        out.append(char(v));
        i += run;
    }
}
} // namespace

int EncodePcx(const LBitmapBase& bitmap, QByteArray& out, const ImagingProgress& progress) {
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    const QImage& img = bitmap.GetImage();
    const int bpp = bitmap.GetBitsPerPixel();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
        return ERROR_BAD_DEPTH;
    const int w = img.width();
    const int hgt = img.height();
    if (w > 65535 || hgt > 65535)
        return ERROR_IMAGE_TOO_LARGE;
    PCXHEADER h;
    h.BitsPerPixel = bpp == 1 ? 1 : 8;
    h.NPlanes = bpp == 24 ? 3 : 1;
    h.XMax = WORD(w - 1);
    h.YMax = WORD(hgt - 1);
    h.HDpi = WORD(std::clamp(bitmap.GetXResolution(), 0, 65535));
    h.VDpi = WORD(std::clamp(bitmap.GetYResolution(), 0, 65535));
    std::size_t bpl = bpp == 1 ? (std::size_t(w) + 7) / 8 : std::size_t(w);
    bpl += bpl & 1; // lines are an even number of bytes
    h.BytesPerLine = WORD(bpl);
    h.PaletteInfo = bitmap.IsGrey() ? 2 : 1;
    const QList<QRgb> pal = bitmap.GetPalette();
    // One-bit PCX pixels are 1 for white: a palette with the darker colour second is written
    // with its bits reversed.
    const bool flip = bpp == 1 && pal.size() == 2 && qGray(pal[0]) > qGray(pal[1]);
    for (int i = 0; i < 16 && i < pal.size(); ++i) {
        h.ColorMap[3 * i] = BYTE(qRed(pal[i]));
        h.ColorMap[3 * i + 1] = BYTE(qGreen(pal[i]));
        h.ColorMap[3 * i + 2] = BYTE(qBlue(pal[i]));
    }
    out.clear();
    WriteHeader(out, h);
    std::vector<uchar> line(bpl * h.NPlanes, 0);
    for (int y = 0; y < hgt; ++y) {
        const uchar* s = img.constScanLine(y);
        switch (bpp) {
        case 1: {
            const std::size_t n = (std::size_t(w) + 7) / 8;
            for (std::size_t i = 0; i < n; ++i)
                line[i] = flip ? uchar(~s[i]) : s[i];
            break;
        }
        case 4:
        case 8: std::memcpy(line.data(), s, std::size_t(w)); break;
        case 24:
            for (int x = 0; x < w; ++x) {
                line[std::size_t(x)] = s[3 * x];
                line[bpl + std::size_t(x)] = s[3 * x + 1];
                line[2 * bpl + std::size_t(x)] = s[3 * x + 2];
            }
            break;
        }
        // Each plane is its own run-length line.
        for (int p = 0; p < h.NPlanes; ++p)
            EncodeLine(line.data() + std::size_t(p) * bpl, bpl, out);
        const int rc = ReportRows(progress, y + 1, hgt);
        if (rc != SUCCESS)
            return rc;
    }
    if (bpp == 4 || bpp == 8) {
        out.append(char(0x0C));
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < pal.size() ? pal[i] : qRgb(0, 0, 0);
            out.append(char(qRed(c)));
            out.append(char(qGreen(c)));
            out.append(char(qBlue(c)));
        }
    }
    return SUCCESS;
}

} // namespace brellin::imaging
