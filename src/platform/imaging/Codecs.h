#pragma once
// The codecs of the imaging layer, one per format. Each decoder takes distrusted bytes and checks
// every size against what remains and against the bitmap memory limit before it allocates; each
// answers a result code. Encoders take a bitmap already at a depth their format can hold.

#include "platform/imaging/ImageFile.h"

#include <QByteArray>
#include <vector>

namespace brellin::imaging {

// Calls the progress callback (when there is one) for row `row` of `rows`, about 32 times per
// image; a non-SUCCESS answer is handed back so that the caller stops. Of a file of `pages`
// pages, image `page` (0-based) covers its share of the percentage.
int ReportRows(const ImagingProgress& progress, int row, int rows, int page = 0, int pages = 1);
int ReportPercent(const ImagingProgress& progress, int percent);

// Packed device-independent bitmaps (also the body of BMP files).
int DecodeDib(const uchar* data, std::size_t size, LBitmapBase& out, int bfOffBits = -1);
int EncodeDib(const LBitmapBase& bitmap, QByteArray& out);
int DibInfo(const uchar* data, std::size_t size, FILEINFO& info);
int DecodeBmp(const uchar* data, std::size_t size, LBitmapBase& out);
int EncodeBmp(const LBitmapBase& bitmap, QByteArray& out);
// The BMP file of a packed bitmap that EncodeDib made of `bitmap`.
QByteArray BmpFromDib(const LBitmapBase& bitmap, const QByteArray& dib);

int DecodePng(const uchar* data, std::size_t size, LBitmapBase& out,
              const ImagingProgress& progress);
// level: zlib level 0..9.
int EncodePng(const LBitmapBase& bitmap, int level, QByteArray& out,
              const ImagingProgress& progress);
int PngInfo(const uchar* data, std::size_t size, FILEINFO& info);

// page 1-based; with `all` set every page goes to it and `page` is ignored.
int DecodeTiff(const uchar* data, std::size_t size, int page, LBitmapBase* one, LBitmapList* all,
               const ImagingProgress& progress);
// format: FILE_TIF, FILE_TIF_PACKBITS, FILE_TIF_LZW, FILE_TIF_ZIP or FILE_CCITT_GROUP4 (pages
// must then be 1 bit).
int EncodeTiff(const std::vector<const LBitmapBase*>& pages, int format, QByteArray& out,
               const QByteArray* existing, const ImagingProgress& progress);
int TiffInfo(const uchar* data, std::size_t size, FILEINFO& info);
// The CCITT Group 4 code of a 1-bit bitmap, as one strip without a file round it (K = -1,
// EncodedByteAlign off, bit 0 coded as white): what a PDF's CCITTFaxDecode filter reads.
int EncodeG4Strip(const LBitmapBase& bitmap, QByteArray& out);
// The same from an open file (descriptor `fd`), whose pages are read where they lie instead of
// the whole file being held in memory.
int DecodeTiffFile(int fd, int page, LBitmapBase* one, LBitmapList* all,
                   const ImagingProgress& progress);
int TiffFileInfo(int fd, FILEINFO& info);

int DecodePcx(const uchar* data, std::size_t size, LBitmapBase& out,
              const ImagingProgress& progress);
int EncodePcx(const LBitmapBase& bitmap, QByteArray& out, const ImagingProgress& progress);
int PcxInfo(const uchar* data, std::size_t size, FILEINFO& info);

int DecodeJpeg(const uchar* data, std::size_t size, LBitmapBase& out,
               const ImagingProgress& progress);
// quality: 0 best ... 255 smallest.
int EncodeJpeg(const LBitmapBase& bitmap, int quality, QByteArray& out);
int JpegInfo(const uchar* data, std::size_t size, FILEINFO& info);

// A copy of the bitmap at another depth, converted so that scanned text stays legible.
int ConvertDepth(const LBitmapBase& in, int bitsPerPixel, LBitmapBase& out);

bool IsTiffFormat(int format);
// The bitmap to encode in `format` at `bitsPerPixel` (0: its own depth): `in` itself when it
// already has the depth the format stores, else a converted copy made in `tmp`.
int PrepareDepth(const LBitmapBase& in, int format, int bitsPerPixel, LBitmapBase& tmp,
                 const LBitmapBase*& use);

// Sets what GetLastImagingIoError answers on this thread.
void SetLastIoError(const QString& text);

// Little-endian field access over distrusted bytes; the caller has checked the bounds.
inline std::uint16_t Le16(const uchar* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const uchar* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline void PutLe16(QByteArray& b, std::uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
inline void PutLe32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace brellin::imaging
