// JPEG through Qt's reader and writer. The layer itself reads the frame header (so an absurd size
// is refused before Qt allocates) and the JFIF density (so that a file without a resolution reads
// as 0, not as the screen's), and writes the density into the JFIF header of what Qt produced.

#include "platform/imaging/Codecs.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <cstring>

namespace brellin::imaging {
namespace {

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    int xres = 0;
    int yres = 0;
};

int ParseJpeg(const uchar* d, std::size_t size, JpegHeader& h) {
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return ERROR_FILE_FORMAT;
    std::size_t p = 2;
    while (p + 4 <= size) {
        if (d[p] != 0xFF)
            return ERROR_CORRUPT;
        const uchar marker = d[p + 1];
        if (marker == 0xFF) { // fill byte
            ++p;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            p += 2;
            continue;
        }
        const std::size_t len = (std::size_t(d[p + 2]) << 8) | d[p + 3];
        if (len < 2 || len > size - p - 2)
            return ERROR_CORRUPT;
        const uchar* seg = d + p + 4;
        const std::size_t segLen = len - 2;
        if (marker == 0xE0 && segLen >= 12 && std::memcmp(seg, "JFIF\0", 5) == 0) {
            const int units = seg[7];
            const int xd = (seg[8] << 8) | seg[9];
            const int yd = (seg[10] << 8) | seg[11];
            if (units == 1) {
                h.xres = xd;
                h.yres = yd;
            } else if (units == 2) {
                h.xres = int(xd * 2.54 + 0.5);
                h.yres = int(yd * 2.54 + 0.5);
            }
        }
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                         marker != 0xCC;
        if (sof) {
            if (segLen < 6)
                return ERROR_CORRUPT;
            h.height = (seg[1] << 8) | seg[2];
            h.width = (seg[3] << 8) | seg[4];
            h.components = seg[5];
            if (h.width == 0 || h.height == 0)
                return ERROR_CORRUPT;
            return SUCCESS;
        }
        if (marker == 0xDA || marker == 0xD9)
            break;
        p += 2 + len;
    }
    return ERROR_CORRUPT;
}

} // namespace

int JpegInfo(const uchar* data, std::size_t size, FILEINFO& info) {
    JpegHeader h;
    const int rc = ParseJpeg(data, size, h);
    if (rc != SUCCESS)
        return rc;
    info.Width = h.width;
    info.Height = h.height;
    info.BitsPerPixel = h.components == 1 ? 8 : 24;
    info.XResolution = h.xres;
    info.YResolution = h.yres;
    info.TotalPages = 1;
    return SUCCESS;
}

int DecodeJpeg(const uchar* data, std::size_t size, LBitmapBase& out,
               const ImagingProgress& progress) {
    JpegHeader h;
    int rc = ParseJpeg(data, size, h);
    if (rc != SUCCESS)
        return rc;
    if (h.components != 1 && h.components != 3 && h.components != 4)
        return ERROR_UNSUPPORTED;
    // Qt decodes colour into 32 bits before the layer packs it into 24.
    if (!FitsLimit(h.width, h.height, h.components == 1 ? 8 : 32))
        return ERROR_IMAGE_TOO_LARGE;
    rc = ReportPercent(progress, 0);
    if (rc != SUCCESS)
        return rc;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    // Qt's reader refuses an image beyond an allocation limit of its own, far below the layer's
    // (less than an A4 colour page at 600 dpi), unless it is handed a target of the size and
    // format it decodes into. The size was checked against the layer's limit above.
    QImage img(h.width, h.height,
               h.components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (img.isNull())
        return ERROR_NO_MEMORY;
    if (!reader.read(&img) || img.isNull())
        return reader.error() == QImageReader::UnsupportedFormatError ? ERROR_UNSUPPORTED
                                                                      : ERROR_CORRUPT;
    if (img.width() != h.width || img.height() != h.height)
        return ERROR_CORRUPT;
    if (img.format() != QImage::Format_Grayscale8) {
        img.convertTo(QImage::Format_RGB888);
        if (img.isNull())
            return ERROR_NO_MEMORY;
    }
    rc = out.SetImage(std::move(img));
    if (rc != SUCCESS)
        return rc;
    out.SetXResolution(h.xres);
    out.SetYResolution(h.yres);
    return ReportPercent(progress, 100);
}

int EncodeJpeg(const LBitmapBase& bitmap, int quality, QByteArray& out) {
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    // Qt's writer looks an 8-bit image's indices up in its palette (grey when every entry is
    // grey), so a page with a full palette is written without a copy, whatever order its greys
    // are in. A shorter palette goes through Qt's conversion, which reads missing entries as
    // black instead of past the table's end.
    QImage img = bitmap.GetImage();
    if (bitmap.GetBitsPerPixel() < 8 || img.colorCount() < 256) {
        img = img.convertToFormat(bitmap.IsGrey() ? QImage::Format_Grayscale8
                                                  : QImage::Format_RGB888);
        if (img.isNull())
            return ERROR_NO_MEMORY;
    }
    // 0 is the best quality and 255 the smallest file; Qt counts 100 (best) down to 1.
    const int q = std::clamp(quality, 0, 255);
    const int qtQuality = 100 - (q * 99 + 127) / 255;
    out.clear();
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(qtQuality);
    if (!writer.write(img))
        return ERROR_FILE_WRITE;
    buffer.close();
    // The JFIF header Qt writes right after the start marker carries the density.
    if (out.size() > 20 && uchar(out[2]) == 0xFF && uchar(out[3]) == 0xE0 &&
        std::memcmp(out.constData() + 6, "JFIF\0", 5) == 0) {
        const int xr = std::clamp(bitmap.GetXResolution(), 0, 65535);
        const int yr = std::clamp(bitmap.GetYResolution(), 0, 65535);
        const bool known = xr > 0 && yr > 0;
        out[13] = char(known ? 1 : 0);
        out[14] = char(known ? xr >> 8 : 0);
        out[15] = char(known ? xr & 0xFF : 1);
        out[16] = char(known ? yr >> 8 : 0);
        out[17] = char(known ? yr & 0xFF : 1);
    }
    return SUCCESS;
}

} // namespace brellin::imaging
