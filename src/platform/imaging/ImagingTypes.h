#pragma once
// Result codes, file format codes, raster operations and the device-independent bitmap layouts of
// the imaging layer. Every imaging operation answers with one of the result codes: SUCCESS, the
// silent user abort, or an error whose short English text the caller shows.

#include "platform/RasterOps.h"
#include "platform/WinTypes.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

// Result codes.
enum : int {
    SUCCESS = 1,
    FAILURE = 0,
    ERROR_NO_MEMORY = -1,         // the memory for the bitmap could not be had
    ERROR_NULL_MEMORY = -2,       // no memory block was given
    ERROR_NOT_ALLOCATED = -3,     // the bitmap holds no image
    ERROR_FILE_WRITE = -5,        // the file could not be written
    ERROR_FILE_READ = -7,         // the file could not be read to its end
    ERROR_FILE_OPEN = -9,         // the file cannot be opened
    ERROR_INV_PARAMETER = -13,    // a parameter is out of its range
    ERROR_FILE_FORMAT = -20,      // the content is of no known format
    ERROR_CORRUPT = -21,          // the content is damaged or truncated
    ERROR_IMAGE_TOO_LARGE = -22,  // the image claims more memory than a page can have
    ERROR_UNSUPPORTED = -23,      // a variant of the format (compression, depth) that is not read
    ERROR_PAGE_NOT_FOUND = -24,   // the file has fewer pages than asked for
    ERROR_BAD_DEPTH = -25,        // a colour depth the format cannot hold
    ERROR_CLIPBOARD = -26,        // the clipboard could not be set
    ERROR_INTERNAL = -27,         // an unexpected fault, written to the error log
    ERROR_USER_ABORT = -29,       // the user cancelled through the progress display (silent)
    ERROR_NOTHING_TO_TRIM = -144, // automatic trim: the whole image is one uniform colour
};

// Short English text for a result code, for the message the program shows.
QString GetImagingErrorText(int code);
// The system's own words for why the last file of this thread could not be read or written
// ("No space left on device"), to go with ERROR_FILE_WRITE, ERROR_FILE_READ or ERROR_FILE_OPEN;
// empty when that file operation succeeded.
QString GetLastImagingIoError();

// File format codes.
enum : int {
    FILE_UNKNOWN = 0,
    FILE_PCX = 1,
    FILE_TIF = 3,             // TIFF, uncompressed
    FILE_BMP = 6,
    FILE_JPEG = 10,
    FILE_CCITT_GROUP4 = 29,   // TIFF, one-bit fax compression
    FILE_PNG = 75,
    FILE_TIF_PACKBITS = 87,   // TIFF, PackBits
    FILE_TIF_LZW = 88,        // TIFF, LZW (8-bit grey and colour samples with a predictor)
    FILE_TIF_ZIP = 89,        // TIFF, Deflate (likewise)
    FILE_EMF = 200,           // enhanced metafile (detected, read by LMyBitmap::LoadEMF)
};

// Flags of rotation.
enum : unsigned { ROTATE_RESIZE = 0x0001 };

// Flags of saving: append the page to an existing multi-page file.
enum : unsigned { SAVEFILE_MULTIPAGE = 0x0001 };

// Flags of the clipboard copy.
enum : unsigned { COPY_EMPTY = 0x0001, COPY_DIB = 0x0002, COPY_IMAGE = 0x0004 };

// The progress callback of loading, saving and image operations: percent 0..100; any answer
// other than SUCCESS (normally ERROR_USER_ABORT) ends the operation with that answer.
using ImagingProgress = std::function<int(int percent)>;

// The most memory one decoded bitmap may take, checked before anything is allocated, so that a
// header claiming a huge image fails cleanly. Adjustable (the fuzz targets lower it).
std::int64_t GetMaxBitmapBytes();
void SetMaxBitmapBytes(std::int64_t bytes);
constexpr int kMaxBitmapDimension = 65500;
// The most memory all pages decoded from one image file may take together, checked from the
// pages' headers before the first page is decoded: a file of a few kilobytes can describe
// hundreds of huge blank pages. Unless set, half the machine's memory and half the address
// space that a process limit still leaves, and never more than sixteen of the largest bitmaps;
// setting 0 goes back to that.
std::int64_t GetMaxTotalBitmapBytes();
void SetMaxTotalBitmapBytes(std::int64_t bytes);

// Device-independent bitmap layouts, as Windows lays them out (little-endian in outside bytes).
struct BITMAPFILEHEADER {
    WORD bfType = 0x4D42; // "BM"
    DWORD bfSize = 0;
    WORD bfReserved1 = 0;
    WORD bfReserved2 = 0;
    DWORD bfOffBits = 0;
};
// Packed in the file: 14 bytes; the struct itself is only a value holder.
constexpr int kBitmapFileHeaderSize = 14;

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biWidth) == 4 && offsetof(BITMAPINFOHEADER, biHeight) == 8 &&
              offsetof(BITMAPINFOHEADER, biPlanes) == 12 &&
              offsetof(BITMAPINFOHEADER, biBitCount) == 14 &&
              offsetof(BITMAPINFOHEADER, biCompression) == 16 &&
              offsetof(BITMAPINFOHEADER, biSizeImage) == 20 &&
              offsetof(BITMAPINFOHEADER, biXPelsPerMeter) == 24 &&
              offsetof(BITMAPINFOHEADER, biYPelsPerMeter) == 28 &&
              offsetof(BITMAPINFOHEADER, biClrUsed) == 32 &&
              offsetof(BITMAPINFOHEADER, biClrImportant) == 36);

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4 && offsetof(RGBQUAD, rgbRed) == 2);

enum : DWORD { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

// Resolution conversions between dots per inch and the pixels per metre of outside headers.
constexpr int DpiFromPelsPerMeter(std::int64_t ppm) {
    return ppm <= 0 ? 0 : int((ppm * 254 + 5000) / 10000);
}
constexpr LONG PelsPerMeterFromDpi(int dpi) {
    return dpi <= 0 ? 0 : LONG((std::int64_t(dpi) * 10000 + 127) / 254);
}
