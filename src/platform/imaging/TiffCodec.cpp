// TIFF through libtiff, over bytes held in memory (a mapped file or a buffer). Each page is read at
// its own depth straight into the bitmap's scan lines; variants the layer does not hold natively
// (16-bit samples, CMYK, YCbCr, tiles, separate planes) go through libtiff's RGBA reader.

#include "platform/imaging/Codecs.h"

#include "platform/Guard.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

namespace brellin::imaging {
namespace {

struct TiffMem {
    const uchar* data = nullptr; // read side
    QByteArray* buf = nullptr;   // write side (data then points into it)
    std::size_t size = 0;
    std::size_t pos = 0;
};

tmsize_t MemRead(thandle_t h, void* out, tmsize_t n) {
    auto* m = static_cast<TiffMem*>(h);
    if (n <= 0 || m->pos >= m->size)
        return 0;
    const std::size_t k = std::min<std::size_t>(std::size_t(n), m->size - m->pos);
    std::memcpy(out, m->data + m->pos, k);
    m->pos += k;
    return tmsize_t(k);
}

tmsize_t MemWrite(thandle_t h, void* in, tmsize_t n) {
    auto* m = static_cast<TiffMem*>(h);
    if (!m->buf || n < 0)
        return -1;
    const std::size_t end = m->pos + std::size_t(n);
    if (end > std::size_t(m->buf->size())) {
        if (end > std::size_t(1) << 31)
            return -1;
        m->buf->resize(qsizetype(end));
    }
    std::memcpy(m->buf->data() + m->pos, in, std::size_t(n));
    m->pos = end;
    m->size = std::max(m->size, end);
    m->data = reinterpret_cast<const uchar*>(m->buf->constData());
    return n;
}

toff_t MemSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<TiffMem*>(h);
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = std::int64_t(m->pos);
    else if (whence == SEEK_END)
        base = std::int64_t(m->size);
    const std::int64_t p = base + std::int64_t(off);
    if (p < 0 || (!m->buf && std::uint64_t(p) > m->size))
        return toff_t(-1);
    m->pos = std::size_t(p);
    return toff_t(p);
}

int MemClose(thandle_t) { return 0; } // the bytes or the descriptor belong to the caller
toff_t MemSize(thandle_t h) { return static_cast<TiffMem*>(h)->size; }

int MemMap(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<TiffMem*>(h);
    if (m->buf)
        return 0;
    *base = const_cast<uchar*>(m->data);
    *size = m->size;
    return 1;
}
void MemUnmap(thandle_t, void*, toff_t) {}

// A file descriptor as libtiff's client: strips are read and written where they lie in the
// file, and the cause of a failed call is kept for the message.
struct TiffFile {
    int fd = -1;
    int error = 0;   // errno of the first call that failed
    QString message; // libtiff's own complaint, for failures that are not the system's
    QString Cause() const { return error ? qt_error_string(error) : message; }
};

// All n bytes, going on after interrupted and short transfers; fewer only at the end of the file.
template <typename Call> tmsize_t Transfer(TiffFile* f, tmsize_t n, Call call) {
    tmsize_t done = 0;
    while (done < n) {
        const ssize_t k = call(done);
        if (k < 0 && errno == EINTR)
            continue;
        if (k < 0) {
            f->error = f->error ? f->error : errno;
            return -1;
        }
        if (k == 0)
            break;
        done += k;
    }
    return done;
}

tmsize_t FileRead(thandle_t h, void* out, tmsize_t n) {
    auto* f = static_cast<TiffFile*>(h);
    return Transfer(f, n, [&](tmsize_t done) {
        return ::read(f->fd, static_cast<char*>(out) + done, std::size_t(n - done));
    });
}

tmsize_t FileWrite(thandle_t h, void* in, tmsize_t n) {
    auto* f = static_cast<TiffFile*>(h);
    return Transfer(f, n, [&](tmsize_t done) {
        return ::write(f->fd, static_cast<const char*>(in) + done, std::size_t(n - done));
    });
}

toff_t FileSeek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<TiffFile*>(h);
    const off_t p = ::lseek(f->fd, off_t(off), whence);
    if (p < 0) {
        f->error = f->error ? f->error : errno;
        return toff_t(-1);
    }
    return toff_t(p);
}

toff_t FileSize(thandle_t h) {
    struct stat st {};
    return ::fstat(static_cast<TiffFile*>(h)->fd, &st) == 0 ? toff_t(st.st_size) : 0;
}

int FileMap(thandle_t, void**, toff_t*) { return 0; }

int QuietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

int KeepMessage(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* file = static_cast<TiffFile*>(user);
    if (file->message.isEmpty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, fmt, ap);
        file->message = QString::fromLocal8Bit(module ? module : "") + QStringLiteral(": ") +
                        QString::fromLocal8Bit(text);
    }
    return 1;
}

struct TiffHandle {
    TIFF* tif = nullptr;
    ~TiffHandle() {
        if (tif)
            TIFFClose(tif);
    }
};

TIFF* OpenWithOptions(const char* name, const char* mode, thandle_t handle, TiffFile* errors,
                      TIFFReadWriteProc read, TIFFReadWriteProc write, TIFFSeekProc seek,
                      TIFFSizeProc size, TIFFMapFileProc map) {
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t(GetMaxBitmapBytes()));
    if (errors)
        TIFFOpenOptionsSetErrorHandlerExtR(opts, KeepMessage, errors);
    else
        TIFFOpenOptionsSetErrorHandlerExtR(opts, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, QuietHandler, nullptr);
    TIFF* tif = TIFFClientOpenExt(name, mode, handle, read, write, seek, MemClose, size, map,
                                  MemUnmap, opts);
    TIFFOpenOptionsFree(opts);
    return tif;
}

TIFF* OpenMem(TiffMem& mem, const char* mode) {
    return OpenWithOptions("memory", mode, &mem, nullptr, MemRead, MemWrite, MemSeek, MemSize,
                           MemMap);
}

TIFF* OpenFile(TiffFile& file, const char* mode) {
    return OpenWithOptions("file", mode, &file, &file, FileRead, FileWrite, FileSeek, FileSize,
                           FileMap);
}

int ResolutionOf(TIFF* tif, ttag_t tag) {
    float res = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, tag, &res) || !(res > 0) || res > 1e6f)
        return 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER)
        res *= 2.54f;
    else if (unit != RESUNIT_INCH)
        return 0;
    return int(std::floor(double(res) + 0.5));
}

QList<QRgb> ColorMap(TIFF* tif, int bps) {
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    QList<QRgb> pal;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
        return pal;
    const int n = 1 << bps;
    // Some writers store 8-bit values in the 16-bit map.
    bool eight = true;
    for (int i = 0; i < n && eight; ++i)
        eight = r[i] < 256 && g[i] < 256 && b[i] < 256;
    const int shift = eight ? 0 : 8;
    for (int i = 0; i < n; ++i)
        pal.append(qRgb(r[i] >> shift, g[i] >> shift, b[i] >> shift));
    return pal;
}

// What the current directory's header says about its page, and the depth it is read at.
struct PageLayout {
    std::uint32_t w = 0, h = 0;
    std::uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE,
                  planar = PLANARCONFIG_CONTIG;
    bool native = false; // read straight into the bitmap's rows at its own depth
    int bpp = 0;
};

int ReadLayout(TIFF* tif, PageLayout& l) {
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.w) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.h))
        return ERROR_CORRUPT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    if (l.w == 0 || l.h == 0)
        return ERROR_CORRUPT;
    const bool indexedKind = l.spp == 1 && (l.photometric == PHOTOMETRIC_MINISWHITE ||
                                            l.photometric == PHOTOMETRIC_MINISBLACK ||
                                            l.photometric == PHOTOMETRIC_PALETTE);
    l.native = !TIFFIsTiled(tif) && l.planar == PLANARCONFIG_CONTIG &&
               ((indexedKind && (l.bps == 1 || l.bps == 4 || l.bps == 8)) ||
                (l.photometric == PHOTOMETRIC_RGB && l.bps == 8 && l.spp == 3));
    l.bpp = l.native ? (l.spp == 3 ? 24 : l.bps) : 32;
    return FitsLimit(l.w, l.h, l.bpp) ? SUCCESS : ERROR_IMAGE_TOO_LARGE;
}

// The rows of an uncompressed page read straight from the file into the image, a run of
// consecutive strips at a time, instead of one strip at a time through libtiff's own buffer: the
// rows must lie in the image exactly as in the file (`lineBytes` each, no gaps). Every strip's
// place is checked against the file's size before anything is read. Runs end where the
// progress is reported, so that the user can still cancel.
int ReadRawRows(TIFF* tif, TiffFile& file, QImage& img, std::size_t lineBytes,
                const ImagingProgress& progress, int pageIndex, int pageCount) {
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        return ERROR_FILE_READ;
    const std::uint64_t fileSize = std::uint64_t(st.st_size);
    const std::uint32_t h = std::uint32_t(img.height());
    std::uint32_t rps = h;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
    rps = std::clamp<std::uint32_t>(rps, 1, h);
    if (TIFFNumberOfStrips(tif) < (h - 1) / rps + 1)
        return ERROR_CORRUPT;
    // Where row `row` lies in the file; 0 when its strip is not all there.
    auto rowOffset = [&](std::uint32_t row) -> std::uint64_t {
        const std::uint32_t strip = row / rps;
        const std::uint64_t rows = std::min(rps, h - strip * rps);
        const std::uint64_t offset = TIFFGetStrileOffset(tif, strip);
        if (TIFFGetStrileByteCount(tif, strip) < rows * lineBytes || offset == 0 ||
            offset > fileSize || rows * lineBytes > fileSize - offset)
            return 0;
        return offset + std::uint64_t(row - strip * rps) * lineBytes;
    };
    const std::uint32_t step = h / 32 + 1; // as often as ReportRows reports
    std::uint32_t row = 0;
    while (row < h) {
        const std::uint64_t offset = rowOffset(row);
        if (offset == 0)
            return ERROR_CORRUPT;
        const std::uint32_t stop = std::min(h, (row / step + 1) * step);
        std::uint32_t end = std::min(stop, (row / rps + 1) * rps);
        while (end < stop && rowOffset(end) == offset + std::uint64_t(end - row) * lineBytes)
            end = std::min(stop, (end / rps + 1) * rps);
        const std::size_t bytes = std::size_t(end - row) * lineBytes;
        uchar* target = img.scanLine(int(row));
        std::size_t done = 0;
        while (done < bytes) {
            const ssize_t k = ::pread(file.fd, target + done, bytes - done, off_t(offset + done));
            if (k < 0 && errno == EINTR)
                continue;
            if (k < 0) {
                file.error = file.error ? file.error : errno;
                return ERROR_FILE_READ;
            }
            if (k == 0)
                return ERROR_CORRUPT; // the file ends inside its strips
            done += std::size_t(k);
        }
        row = end;
        const int rc = ReportRows(progress, int(row), int(h), pageIndex, pageCount);
        if (rc != SUCCESS)
            return rc;
    }
    return SUCCESS;
}

// One page at the current directory; `file` when the page is read from one, not from memory.
int ReadPage(TIFF* tif, TiffFile* file, LBitmapBase& out, const ImagingProgress& progress,
             int pageIndex, int pageCount) {
    PageLayout layout;
    const int layoutRc = ReadLayout(tif, layout);
    if (layoutRc != SUCCESS)
        return layoutRc;
    const std::uint32_t w = layout.w, h = layout.h;
    const std::uint16_t bps = layout.bps, photometric = layout.photometric;
    const bool native = layout.native;
    const int bpp = layout.bpp;
    const int rows = int(h);

    if (native) {
        const std::size_t expect =
            bpp == 24 ? std::size_t(w) * 3 : (std::size_t(w) * bps + 7) / 8;
        if (std::size_t(TIFFScanlineSize64(tif)) != expect)
            return ERROR_CORRUPT;
        QImage img = AllocateImage(int(w), int(h), bpp == 4 ? 8 : bpp);
        if (img.isNull())
            return ERROR_NO_MEMORY;
        if (bpp <= 8) {
            QList<QRgb> pal;
            if (photometric == PHOTOMETRIC_PALETTE) {
                pal = ColorMap(tif, bps);
                if (pal.isEmpty())
                    return ERROR_CORRUPT;
            } else {
                pal = bps == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                               : GreyPalette(1 << bps);
                // White-is-zero pages keep their bits: the palette is reversed instead.
                if (photometric == PHOTOMETRIC_MINISWHITE)
                    std::reverse(pal.begin(), pal.end());
            }
            img.setColorTable(pal);
        }
        std::uint16_t compression = COMPRESSION_NONE, fillOrder = FILLORDER_MSB2LSB;
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
        TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder);
        const bool raw = file && compression == COMPRESSION_NONE &&
                         fillOrder == FILLORDER_MSB2LSB && bpp != 4 &&
                         std::size_t(img.bytesPerLine()) == expect;
        std::vector<uchar> packed(bpp == 4 ? expect : 0);
        for (int y = 0; y < rows && !raw; ++y) {
            uchar* line = img.scanLine(y);
            if (bpp == 4) {
                if (TIFFReadScanline(tif, packed.data(), std::uint32_t(y), 0) < 0)
                    return ERROR_CORRUPT;
                for (std::uint32_t x = 0; x < w; ++x)
                    line[x] = (x & 1) ? (packed[x / 2] & 0x0F) : (packed[x / 2] >> 4);
            } else if (TIFFReadScanline(tif, line, std::uint32_t(y), 0) < 0) {
                return ERROR_CORRUPT;
            }
            const int rc = ReportRows(progress, y + 1, rows, pageIndex, pageCount);
            if (rc != SUCCESS)
                return rc;
        }
        if (raw) {
            const int rc = ReadRawRows(tif, *file, img, expect, progress, pageIndex, pageCount);
            if (rc != SUCCESS)
                return rc;
        }
        int rc = out.SetImage(std::move(img), bpp);
        if (rc != SUCCESS)
            return rc;
    } else {
        char message[1024] = {};
        if (!TIFFRGBAImageOK(tif, message))
            return ERROR_UNSUPPORTED;
        QImage img = NewImage(int(w), int(h), QImage::Format_ARGB32);
        if (img.isNull())
            return ERROR_NO_MEMORY;
        img.fill(0xFFFFFFFF);
        // Rows of ABGR words, top row first; the image's rows are contiguous when its line
        // length is exactly 4 x width, which it is for 32-bit images.
        if (img.bytesPerLine() != qsizetype(w) * 4)
            return ERROR_INTERNAL;
        auto* raster = reinterpret_cast<std::uint32_t*>(img.bits());
        if (!TIFFReadRGBAImageOriented(tif, w, h, raster, ORIENTATION_TOPLEFT, 0))
            return ERROR_CORRUPT;
        bool alpha = false;
        for (int y = 0; y < rows; ++y) {
            auto* p = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint32_t v = p[x];
                const std::uint32_t a = TIFFGetA(v);
                alpha = alpha || a != 255;
                p[x] = qRgba(int(TIFFGetR(v)), int(TIFFGetG(v)), int(TIFFGetB(v)), int(a));
            }
        }
        if (!alpha) {
            img.convertTo(QImage::Format_RGB888);
            if (img.isNull())
                return ERROR_NO_MEMORY;
        }
        const int rc = out.SetImage(std::move(img));
        if (rc != SUCCESS)
            return rc;
        ReportRows(progress, rows, rows, pageIndex, pageCount);
    }
    out.SetXResolution(ResolutionOf(tif, TIFFTAG_XRESOLUTION));
    out.SetYResolution(ResolutionOf(tif, TIFFTAG_YRESOLUTION));
    return SUCCESS;
}

constexpr int kMaxPages = 10000;

// Every page's header from the first: how many pages there are and what all of them take once
// decoded. The file is left at its first page.
struct FileDemand {
    int pages = 0;
    std::int64_t bytes = 0;
    int refusal = SUCCESS; // the first page header that cannot be decoded says why
};
FileDemand MeasurePages(TIFF* tif) {
    FileDemand d;
    do {
        PageLayout l;
        const int rc = ReadLayout(tif, l);
        if (rc == SUCCESS)
            d.bytes += BitmapBytes(l.w, l.h, l.bpp);
        else if (d.refusal == SUCCESS)
            d.refusal = rc;
        ++d.pages;
    } while (d.pages < kMaxPages && TIFFReadDirectory(tif));
    TIFFSetDirectory(tif, 0);
    return d;
}

int DecodeOpenTiff(TIFF* tif, TiffFile* file, int page, LBitmapBase* one, LBitmapList* all,
                   const ImagingProgress& progress) {
    if (all) {
        // Every page is held at once: what they take together is known from their headers
        // before the first is decoded.
        const FileDemand demand = MeasurePages(tif);
        if (demand.refusal != SUCCESS)
            return demand.refusal;
        if (demand.bytes > GetMaxTotalBitmapBytes())
            return ERROR_IMAGE_TOO_LARGE;
        LBitmapList pages;
        int index = 0;
        do {
            LBitmapBase bitmap;
            int rc =
                ReadPage(tif, file, bitmap, progress, index, std::max(demand.pages, index + 1));
            if (rc == SUCCESS)
                rc = pages.InsertItem(std::move(bitmap));
            if (rc != SUCCESS)
                return rc;
            ++index;
        } while (index < kMaxPages && TIFFReadDirectory(tif));
        for (int i = 0; i < pages.GetItemsCount(); ++i)
            if (all->InsertItem(std::move(*pages.Item(i))) != SUCCESS)
                return ERROR_NO_MEMORY;
        return SUCCESS;
    }
    if (page < 1 || page > kMaxPages)
        return ERROR_PAGE_NOT_FOUND;
    if (page > 1 && !TIFFSetDirectory(tif, tdir_t(page - 1)))
        return ERROR_PAGE_NOT_FOUND;
    return ReadPage(tif, file, *one, progress, 0, 1);
}

int InfoOfOpenTiff(TIFF* tif, FILEINFO& info) {
    std::uint32_t w = 0, hgt = 0;
    std::uint16_t bps = 1, spp = 1;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &hgt);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    info.Width = int(std::min<std::uint32_t>(w, 0x7FFFFFFF));
    info.Height = int(std::min<std::uint32_t>(hgt, 0x7FFFFFFF));
    info.BitsPerPixel = spp == 1 && (bps == 1 || bps == 4 || bps == 8) ? bps : spp == 3 && bps == 8 ? 24 : 32;
    info.XResolution = ResolutionOf(tif, TIFFTAG_XRESOLUTION);
    info.YResolution = ResolutionOf(tif, TIFFTAG_YRESOLUTION);
    info.TotalPages = MeasurePages(tif).pages;
    return SUCCESS;
}

} // namespace

int DecodeTiff(const uchar* data, std::size_t size, int page, LBitmapBase* one, LBitmapList* all,
               const ImagingProgress& progress) {
    TiffMem mem;
    mem.data = data;
    mem.size = size;
    TiffHandle h;
    h.tif = OpenMem(mem, "r"); // strips are read in place through the mapping of the bytes
    if (!h.tif)
        return ERROR_CORRUPT;
    return DecodeOpenTiff(h.tif, nullptr, page, one, all, progress);
}

int DecodeTiffFile(int fd, int page, LBitmapBase* one, LBitmapList* all,
                   const ImagingProgress& progress) {
    TiffFile file;
    file.fd = fd;
    TiffHandle h;
    h.tif = OpenFile(file, "rm"); // never mapped: a page's strips are read where they lie
    int rc = h.tif ? DecodeOpenTiff(h.tif, &file, page, one, all, progress) : ERROR_CORRUPT;
    if (rc != SUCCESS && file.error) {
        rc = ERROR_FILE_READ;
        SetLastIoError(file.Cause());
    }
    return rc;
}

int TiffFileInfo(int fd, FILEINFO& info) {
    TiffFile file;
    file.fd = fd;
    TiffHandle h;
    h.tif = OpenFile(file, "rm");
    if (!h.tif)
        return file.error ? ERROR_FILE_READ : ERROR_CORRUPT;
    return InfoOfOpenTiff(h.tif, info);
}

int TiffInfo(const uchar* data, std::size_t size, FILEINFO& info) {
    TiffMem mem;
    mem.data = data;
    mem.size = size;
    TiffHandle h;
    h.tif = OpenMem(mem, "r");
    if (!h.tif)
        return ERROR_CORRUPT;
    return InfoOfOpenTiff(h.tif, info);
}

namespace {

std::uint16_t CompressionFor(int format) {
    switch (format) {
    case FILE_TIF_PACKBITS: return COMPRESSION_PACKBITS;
    case FILE_CCITT_GROUP4: return COMPRESSION_CCITTFAX4;
    case FILE_TIF_LZW: return COMPRESSION_LZW;
    case FILE_TIF_ZIP: return COMPRESSION_ADOBE_DEFLATE;
    default: return COMPRESSION_NONE;
    }
}

// Page `pageNo` (1-based) of `pageCount`; a count of 0 is not yet known (a file written page by
// page), and the page is then marked as one of several with a total of 0 until it is patched.
int WritePage(TIFF* tif, const LBitmapBase& bmp, int format, int pageNo, int pageCount,
              const ImagingProgress& progress, int pageIndex, int pagesWritten) {
    const QImage& img = bmp.GetImage();
    const int bpp = bmp.GetBitsPerPixel();
    const std::uint32_t w = std::uint32_t(img.width());
    const std::uint32_t h = std::uint32_t(img.height());
    const std::uint16_t compression = CompressionFor(format);
    if (compression == COMPRESSION_CCITTFAX4 && bpp != 1)
        return ERROR_BAD_DEPTH;
    const bool severalPages = pageCount != 1;

    const QList<QRgb> pal = bmp.GetPalette();
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    std::uint16_t bps = 8, spp = 1;
    bool alpha = false;
    if (bpp <= 8) {
        bps = std::uint16_t(bpp);
        const QList<QRgb> grey = bpp == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                          : GreyPalette(1 << bpp);
        QList<QRgb> reversed = grey;
        std::reverse(reversed.begin(), reversed.end());
        if (pal == grey)
            photometric = PHOTOMETRIC_MINISBLACK;
        else if (pal == reversed)
            photometric = PHOTOMETRIC_MINISWHITE;
        else
            photometric = PHOTOMETRIC_PALETTE;
    } else {
        alpha = bpp == 32 && img.hasAlphaChannel();
        spp = alpha ? 4 : 3;
    }
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, severalPages ? FILETYPE_PAGE : 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bps);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (alpha) {
        const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (severalPages)
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, std::uint16_t(pageNo - 1), std::uint16_t(pageCount));
    if (bmp.GetXResolution() > 0 && bmp.GetYResolution() > 0) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(bmp.GetXResolution()));
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(bmp.GetYResolution()));
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    std::vector<std::uint16_t> mapR, mapG, mapB;
    if (photometric == PHOTOMETRIC_PALETTE) {
        const int n = 1 << bpp;
        mapR.assign(std::size_t(n), 0);
        mapG.assign(std::size_t(n), 0);
        mapB.assign(std::size_t(n), 0);
        for (int i = 0; i < n && i < pal.size(); ++i) {
            mapR[std::size_t(i)] = std::uint16_t(qRed(pal[i]) * 257);
            mapG[std::size_t(i)] = std::uint16_t(qGreen(pal[i]) * 257);
            mapB[std::size_t(i)] = std::uint16_t(qBlue(pal[i]) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, mapR.data(), mapG.data(), mapB.data());
    }
    // A fax page is one strip, as fax readers expect; dictionary coders get strips of about
    // 64 KB, so that each strip's dictionary has rows to learn from; uncompressed rows go in
    // strips of about 1 MB, so that a large scan is written in few calls; others take libtiff's
    // strip size.
    const bool dictionary =
        compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE;
    const auto rowsFor = [tif](std::uint64_t bytes) {
        return std::uint32_t(std::max<std::uint64_t>(1, bytes / std::max<std::uint64_t>(1, TIFFScanlineSize64(tif))));
    };
    std::uint32_t rowsPerStrip = TIFFDefaultStripSize(tif, 0);
    if (compression == COMPRESSION_CCITTFAX4)
        rowsPerStrip = h;
    else if (dictionary)
        rowsPerStrip = rowsFor(65536);
    else if (compression == COMPRESSION_NONE)
        rowsPerStrip = std::min(std::max<std::uint32_t>(1, h), rowsFor(1 << 20));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (compression == COMPRESSION_CCITTFAX4)
        TIFFSetField(tif, TIFFTAG_T6OPTIONS, 0);
    // Differences to the left neighbour make smooth samples small numbers for the coder; palette
    // indices and packed pixels are no samples to subtract.
    if (dictionary && bps == 8 && photometric != PHOTOMETRIC_PALETTE)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);

    const std::size_t lineBytes = std::size_t(TIFFScanlineSize64(tif));
    std::vector<uchar> row(lineBytes + 4);
    const int rows = int(h);
    for (int y = 0; y < rows; ++y) {
        const uchar* s = img.constScanLine(y);
        switch (bpp) {
        case 1:
        case 8:
        case 24: std::memcpy(row.data(), s, lineBytes); break;
        case 4:
            std::fill(row.begin(), row.end(), 0);
            for (std::uint32_t x = 0; x < w; ++x)
                row[x / 2] |= uchar((x & 1) ? (s[x] & 0x0F) : ((s[x] & 0x0F) << 4));
            break;
        case 32: {
            const auto* q = reinterpret_cast<const QRgb*>(s);
            uchar* d = row.data();
            for (std::uint32_t x = 0; x < w; ++x) {
                *d++ = uchar(qRed(q[x]));
                *d++ = uchar(qGreen(q[x]));
                *d++ = uchar(qBlue(q[x]));
                if (alpha)
                    *d++ = uchar(qAlpha(q[x]));
            }
            break;
        }
        default: return ERROR_BAD_DEPTH;
        }
        if (TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) < 0)
            return ERROR_FILE_WRITE;
        const int rc = ReportRows(progress, y + 1, rows, pageIndex, pagesWritten);
        if (rc != SUCCESS)
            return rc;
    }
    if (!TIFFWriteDirectory(tif))
        return ERROR_FILE_WRITE;
    return SUCCESS;
}

} // namespace

int EncodeTiff(const std::vector<const LBitmapBase*>& pages, int format, QByteArray& out,
               const QByteArray* existing, const ImagingProgress& progress) {
    if (pages.empty())
        return ERROR_NOT_ALLOCATED;
    QByteArray buf;
    int firstPage = 1;
    if (existing && !existing->isEmpty()) {
        buf = *existing;
        FILEINFO info;
        if (TiffInfo(reinterpret_cast<const uchar*>(existing->constData()),
                     std::size_t(existing->size()), info) != SUCCESS)
            return ERROR_CORRUPT;
        firstPage = info.TotalPages + 1;
    }
    TiffMem mem;
    mem.buf = &buf;
    mem.data = reinterpret_cast<const uchar*>(buf.constData());
    mem.size = std::size_t(buf.size());
    {
        TiffHandle h;
        h.tif = OpenMem(mem, buf.isEmpty() ? "w" : "a");
        if (!h.tif)
            return ERROR_FILE_WRITE;
        const int total = firstPage - 1 + int(pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (!pages[i] || !pages[i]->IsAllocated())
                return ERROR_NOT_ALLOCATED;
            const int rc = WritePage(h.tif, *pages[i], format, firstPage + int(i), total, progress,
                                     int(i), int(pages.size()));
            if (rc != SUCCESS)
                return rc;
        }
    } // TIFFClose flushes into buf
    buf.resize(qsizetype(mem.size));
    out = std::move(buf);
    return SUCCESS;
}

int EncodeG4Strip(const LBitmapBase& bitmap, QByteArray& out) {
    out.clear();
    if (bitmap.GetBitsPerPixel() != 1)
        return ERROR_BAD_DEPTH;
    QByteArray file;
    int rc = EncodeTiff({&bitmap}, FILE_CCITT_GROUP4, file, nullptr, {});
    if (rc != SUCCESS)
        return rc;
    // The page is one strip of the file just made: its coded bytes are the whole fax image.
    TiffMem mem;
    mem.data = reinterpret_cast<const uchar*>(file.constData());
    mem.size = std::size_t(file.size());
    TiffHandle h;
    h.tif = OpenMem(mem, "r");
    if (!h.tif || TIFFNumberOfStrips(h.tif) != 1)
        return ERROR_FILE_READ;
    const tmsize_t size = TIFFRawStripSize(h.tif, 0);
    if (size <= 0 || size > tmsize_t(file.size()))
        return ERROR_FILE_READ;
    out.resize(qsizetype(size));
    if (TIFFReadRawStrip(h.tif, 0, out.data(), size) != size) {
        out.clear();
        return ERROR_FILE_READ;
    }
    return SUCCESS;
}

} // namespace brellin::imaging

// ---- Writing page by page --------------------------------------------------------------------

namespace {

using namespace brellin::imaging;

// The page totals of a file written page by page, known only once its last page is written:
// each directory's PAGENUMBER entry (two shorts in place) gets the count. The file is our own,
// classic TIFF in either byte order.
bool PatchPageTotals(TiffFile& file, int pages) {
    auto fail = [&file] {
        file.error = file.error ? file.error : (errno ? errno : EIO);
        return false;
    };
    uchar head[8];
    if (::pread(file.fd, head, 8, 0) != 8)
        return fail();
    const bool motorola = head[0] == 'M';
    auto u16 = [motorola](const uchar* p) {
        return std::uint16_t(motorola ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    };
    auto u32 = [motorola](const uchar* p) {
        return motorola ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                              std::uint32_t(p[2]) << 8 | p[3]
                        : Le32(p);
    };
    const uchar total[2] = {uchar(motorola ? pages >> 8 : pages & 0xFF),
                            uchar(motorola ? pages & 0xFF : pages >> 8)};
    off_t ifd = off_t(u32(head + 4));
    for (int i = 0; i < pages && ifd != 0; ++i) {
        uchar countBytes[2];
        if (::pread(file.fd, countBytes, 2, ifd) != 2)
            return fail();
        const int count = u16(countBytes);
        std::vector<uchar> entries(std::size_t(count) * 12 + 4);
        if (::pread(file.fd, entries.data(), entries.size(), ifd + 2) != ssize_t(entries.size()))
            return fail();
        for (int k = 0; k < count; ++k) {
            const uchar* e = entries.data() + std::size_t(k) * 12;
            if (u16(e) == TIFFTAG_PAGENUMBER && u16(e + 2) == TIFF_SHORT && u32(e + 4) == 2 &&
                ::pwrite(file.fd, total, 2, ifd + 2 + off_t(k) * 12 + 10) != 2)
                return fail();
        }
        ifd = off_t(u32(entries.data() + std::size_t(count) * 12));
    }
    return true;
}

} // namespace

struct LTiffPageWriter::Impl {
    QString target;
    QByteArray tempName; // beside the target, in the file system's encoding
    TiffFile file;
    TIFF* tif = nullptr;
    int pages = 0;
    bool broken = false; // a page failed halfway; the file can only be given up
    QString error;

    // Closes and removes the temporary file; the target is untouched.
    void Discard() {
        if (tif)
            TIFFClose(tif);
        tif = nullptr;
        if (file.fd >= 0)
            ::close(file.fd);
        file.fd = -1;
        if (!tempName.isEmpty())
            ::unlink(tempName.constData());
        tempName.clear();
        pages = 0;
        broken = false;
    }
    int Fail(int code) {
        error = file.Cause();
        if (error.isEmpty())
            error = GetImagingErrorText(code);
        SetLastIoError(error);
        return code;
    }
};

LTiffPageWriter::LTiffPageWriter() : m_pImpl(std::make_unique<Impl>()) {}

LTiffPageWriter::~LTiffPageWriter() { m_pImpl->Discard(); }

int LTiffPageWriter::Open(const QString& path) {
    DEF_TRY
    Impl& d = *m_pImpl;
    d.Discard();
    d.file = TiffFile{};
    d.error.clear();
    SetLastIoError({});
    if (path.isEmpty())
        return ERROR_FILE_OPEN;
    d.target = path;
    const QByteArray target = QFile::encodeName(path);
    // A name of our own beside the target, so that the final rename stays in its file system.
    for (int attempt = 0; attempt < 100 && d.file.fd < 0; ++attempt) {
        const QByteArray name =
            target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        d.file.fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (d.file.fd >= 0)
            d.tempName = name;
        else if (errno != EEXIST)
            break;
    }
    if (d.file.fd < 0) {
        d.file.error = errno;
        return d.Fail(ERROR_FILE_WRITE);
    }
    // A replaced file keeps its permissions.
    struct stat st {};
    if (::stat(target.constData(), &st) == 0)
        ::fchmod(d.file.fd, st.st_mode & 07777);
    d.tif = OpenFile(d.file, "w");
    if (!d.tif) {
        const int rc = d.Fail(ERROR_FILE_WRITE);
        d.Discard();
        return rc;
    }
    return SUCCESS;
    DEF_CATCH
    m_pImpl->Discard();
    return ERROR_INTERNAL;
}

int LTiffPageWriter::AddPage(const LBitmapBase& bitmap, int format, int bitsPerPixel,
                             const ImagingProgress& progress) {
    DEF_TRY
    Impl& d = *m_pImpl;
    if (!d.tif)
        return ERROR_INV_PARAMETER;
    if (d.broken)
        return ERROR_FILE_WRITE;
    if (!IsTiffFormat(format))
        return ERROR_FILE_FORMAT;
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    // PAGENUMBER counts in 16 bits.
    if (d.pages >= 65535)
        return ERROR_INV_PARAMETER;
    LBitmapBase converted;
    const LBitmapBase* use = nullptr;
    int rc = PrepareDepth(bitmap, format, bitsPerPixel, converted, use);
    if (rc != SUCCESS)
        return rc;
    rc = WritePage(d.tif, *use, format, d.pages + 1, 0, progress, 0, 1);
    if (rc != SUCCESS) {
        d.broken = true;
        return rc == ERROR_FILE_WRITE ? d.Fail(rc) : rc;
    }
    ++d.pages;
    return SUCCESS;
    DEF_CATCH
    m_pImpl->broken = true;
    return ERROR_INTERNAL;
}

int LTiffPageWriter::Commit() {
    DEF_TRY
    Impl& d = *m_pImpl;
    if (!d.tif)
        return ERROR_INV_PARAMETER;
    int rc = SUCCESS;
    if (d.broken)
        rc = d.Fail(ERROR_FILE_WRITE);
    else if (d.pages == 0)
        rc = ERROR_NOT_ALLOCATED;
    else if (!TIFFFlush(d.tif))
        rc = d.Fail(ERROR_FILE_WRITE);
    if (rc == SUCCESS) {
        TIFFClose(d.tif);
        d.tif = nullptr;
        if (!PatchPageTotals(d.file, d.pages) || ::fsync(d.file.fd) != 0)
            rc = d.Fail(ERROR_FILE_WRITE);
    }
    if (rc == SUCCESS) {
        const int fd = d.file.fd;
        d.file.fd = -1;
        if (::close(fd) != 0 ||
            ::rename(d.tempName.constData(), QFile::encodeName(d.target).constData()) != 0) {
            d.file.error = errno;
            rc = d.Fail(ERROR_FILE_WRITE);
        }
    }
    if (rc == SUCCESS)
        d.tempName.clear(); // it is the target now
    d.Discard();
    return rc;
    DEF_CATCH
    m_pImpl->Discard();
    return ERROR_INTERNAL;
}

void LTiffPageWriter::Cancel() { m_pImpl->Discard(); }

QString LTiffPageWriter::ErrorText() const { return m_pImpl->error; }

int LTiffPageWriter::GetPageCount() const { return m_pImpl->pages; }
