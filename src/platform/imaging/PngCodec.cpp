// PNG through libpng: rows go straight between libpng and the bitmap's own scan lines at the
// image's depth, and the encoder's compression level and filters are ours to choose (the page
// record of a document is written at a fast level).
//
// libpng reports errors by longjmp. The functions that call setjmp keep every object with a
// destructor in the context record owned by their caller, so a jump skips no destructor.

#include "platform/imaging/Codecs.h"
#include "platform/imaging/PngRows.h"

#include "platform/Guard.h"

#include <QtEndian>
#include <csetjmp>
#include <cstring>
#include <png.h>
#include <zlib.h>

namespace brellin::imaging {
namespace {

struct PngReadCtx {
    const uchar* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    const ImagingProgress* progress = nullptr;
    bool infoOnly = false;
    QImage img;
    QList<QRgb> palette;
    int bpp = 0;
    int xres = 0;
    int yres = 0;
    int width = 0;
    int height = 0;
    int result = SUCCESS;
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* ctx = static_cast<PngReadCtx*>(png_get_io_ptr(png));
    if (n > ctx->size - ctx->pos)
        png_error(png, "truncated");
    std::memcpy(out, ctx->data + ctx->pos, n);
    ctx->pos += n;
}

[[noreturn]] void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Every chunk up to the end (or, for the header alone, up to the first image data) must lie
// inside the bytes. libpng allocates a text chunk's claimed length before it reads any of it, so
// a file of 80 bytes whose chunk claims 2 GB would otherwise cost 2 GB before it is refused. A
// file that ends between chunks is left to libpng, which says what is missing.
int CheckChunkLengths(const uchar* d, std::size_t size, bool headerOnly) {
    std::size_t p = 8;
    while (size - p >= 8) {
        const std::uint64_t length = qFromBigEndian<quint32>(d + p);
        if (length + 12 > size - p)
            return ERROR_CORRUPT;
        const uchar* type = d + p + 4;
        if (std::memcmp(type, "IEND", 4) == 0 || (headerOnly && std::memcmp(type, "IDAT", 4) == 0))
            break;
        p += 12 + std::size_t(length);
    }
    return SUCCESS;
}

// The ancillary chunks whose content the layer never uses are skipped unread, so that none of
// them is held in memory, however long: text, colour profiles, suggested palettes, Exif, and
// every chunk libpng does not know.
void SkipUnusedChunks(png_structp png) {
    static const png_byte unused[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0hIST\0pCAL\0sCAL";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unused, int(sizeof unused / 5));
}
void PngWarning(png_structp, png_const_charp) {}

// Reads header and rows; only trivially destructible locals live here.
int PngReadBody(png_structp png, png_infop info, PngReadCtx* ctx) {
    if (setjmp(png_jmpbuf(png)))
        return ctx->result != SUCCESS ? ctx->result : ERROR_CORRUPT;
    png_set_user_limits(png, kMaxBitmapDimension, kMaxBitmapDimension);
    png_set_chunk_malloc_max(png, 8 * 1024 * 1024);
    SkipUnusedChunks(png);
    png_read_info(png, info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
    ctx->width = int(w);
    ctx->height = int(h);

    int bpp = 0;
    bool grey = false;
    // The file's samples go to the bitmap unchanged at these depths, so its rows can be inflated
    // in one go.
    const bool direct = (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE)
                            ? depth == 1 || depth == 8
                            : colorType == PNG_COLOR_TYPE_RGB && depth == 8;
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        grey = true;
        if (depth == 16)
            png_set_strip_16(png);
        if (depth == 2)
            png_set_expand_gray_1_2_4_to_8(png);
        else if (depth == 4)
            png_set_packing(png);
        bpp = depth == 1 ? 1 : depth == 4 ? 4 : 8;
        break;
    case PNG_COLOR_TYPE_PALETTE:
        if (depth == 2 || depth == 4)
            png_set_packing(png);
        bpp = depth == 1 ? 1 : depth == 4 ? 4 : 8;
        break;
    case PNG_COLOR_TYPE_RGB:
        if (depth == 16)
            png_set_strip_16(png);
        bpp = 24;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        png_set_gray_to_rgb(png);
        [[fallthrough]];
    case PNG_COLOR_TYPE_RGB_ALPHA:
        if (depth == 16)
            png_set_strip_16(png);
        png_set_bgr(png); // B G R A in memory is QImage's ARGB32 on a little-endian machine
        bpp = 32;
        break;
    default: return ERROR_UNSUPPORTED;
    }
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
        ctx->xres = DpiFromPelsPerMeter(resX);
        ctx->yres = DpiFromPelsPerMeter(resY);
    }
    ctx->bpp = bpp;
    if (ctx->infoOnly)
        return SUCCESS;
    if (!FitsLimit(w, h, bpp))
        return ERROR_IMAGE_TOO_LARGE;
    const int passes = interlace != PNG_INTERLACE_NONE ? png_set_interlace_handling(png) : 1;
    png_read_update_info(png, info);

    if (grey) {
        ctx->palette = bpp == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                : GreyPalette(bpp == 4 ? 16 : 256);
    } else if (bpp <= 8) {
        png_colorp entries = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &entries, &count) || count <= 0)
            return ERROR_CORRUPT;
        for (int i = 0; i < count && i < (1 << bpp); ++i)
            ctx->palette.append(qRgb(entries[i].red, entries[i].green, entries[i].blue));
    }
    // libpng has read up to the first image-data chunk's data; where the fast path declines,
    // libpng reads on from there as if it had not been tried.
    if (direct && passes == 1 && ctx->pos >= 8) {
        bool taken = false;
        const int rc = InflatePngRows(ctx->data, ctx->size, ctx->pos - 8, int(w), int(h), bpp,
                                      ctx->palette, *ctx->progress, ctx->img, taken);
        if (taken)
            return ctx->result = rc;
    }

    ctx->img = bpp == 32 ? NewImage(int(w), int(h), QImage::Format_ARGB32)
                         : AllocateImage(int(w), int(h), bpp);
    if (ctx->img.isNull())
        return ERROR_NO_MEMORY;
    if (bpp <= 8)
        ctx->img.setColorTable(ctx->palette);
    if (passes > 1)
        ctx->img.fill(0);
    const int total = int(h) * passes;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < int(h); ++y) {
            png_read_row(png, ctx->img.scanLine(y), nullptr);
            const int rc = ReportRows(*ctx->progress, pass * int(h) + y + 1, total);
            if (rc != SUCCESS)
                return ctx->result = rc;
        }
    }
    png_read_end(png, nullptr);
    return SUCCESS;
}

int RunPngRead(PngReadCtx& ctx) {
    if (ctx.size < 8 || png_sig_cmp(ctx.data, 0, 8) != 0)
        return ERROR_FILE_FORMAT;
    const int rc = CheckChunkLengths(ctx.data, ctx.size, ctx.infoOnly);
    if (rc != SUCCESS)
        return rc;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, PngError, PngWarning);
    if (!png)
        return ERROR_NO_MEMORY;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ERROR_NO_MEMORY;
    }
    png_set_read_fn(png, &ctx, PngRead);
    const int result = PngReadBody(png, info, &ctx);
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

struct PngWriteCtx {
    QByteArray* out = nullptr;
    const QImage* img = nullptr;
    const ImagingProgress* progress = nullptr;
    std::vector<png_color> plte;
    int bpp = 0;
    int colorType = 0;
    int depth = 0;
    int level = 1;
    int filter = PNG_FILTER_NONE;
    int xres = 0;
    int yres = 0;
    bool transparent = false;
    png_color_16 transColor{};
    std::vector<png_byte> transAlpha;
    int result = SUCCESS;
};

// The row filter for an image of whole samples (8-bit grey, colour), by trial on a sample of its
// rows: a few bands are filtered each candidate way and compressed at the image's level, and
// the smallest wins, at about 2 % of the encoding's time. Scanned pages are noisy, and there the
// average of the left and upper neighbours predicts best (on an A4 colour scan at the fast level
// 6 % smaller than no filter, and no slower; the left neighbour alone is worse than no filter);
// grey scans do best against the row above; pages of flat colour compress smallest and fastest
// without a filter.
int ChooseFilter(const QImage& img, int bytesPerPixel, int level) {
    const int h = img.height();
    const std::size_t rowBytes = std::size_t(img.width()) * std::size_t(bytesPerPixel);
    if (h < 2 || level == 0)
        return PNG_FILTER_NONE;
    constexpr int kBands = 12, kRowsPerBand = 2;
    struct Candidate {
        int flag;
        int type; // the filter type byte of each row
    };
    static const Candidate candidates[] = {{PNG_FILTER_NONE, PNG_FILTER_VALUE_NONE},
                                           {PNG_FILTER_UP, PNG_FILTER_VALUE_UP},
                                           {PNG_FILTER_AVG, PNG_FILTER_VALUE_AVG}};
    std::vector<uchar> sample;
    std::vector<uchar> packed;
    int best = PNG_FILTER_NONE;
    uLong bestSize = ~uLong(0);
    for (const Candidate& c : candidates) {
        sample.clear();
        for (int band = 0; band < kBands; ++band) {
            const int first =
                1 + int(std::int64_t(band) * std::max(0, h - 1 - kRowsPerBand) / (kBands - 1));
            for (int y = first; y < first + kRowsPerBand && y < h; ++y) {
                const uchar* row = img.constScanLine(y);
                const uchar* prior = img.constScanLine(y - 1);
                sample.push_back(uchar(c.type));
                for (std::size_t i = 0; i < rowBytes; ++i) {
                    const std::size_t bpp = std::size_t(bytesPerPixel);
                    const int left = i >= bpp ? row[i - bpp] : 0;
                    const int predicted = c.type == PNG_FILTER_VALUE_UP    ? prior[i]
                                          : c.type == PNG_FILTER_VALUE_AVG ? (left + prior[i]) / 2
                                                                            : 0;
                    sample.push_back(uchar(row[i] - predicted));
                }
            }
        }
        // libpng's own choice of strategy for filtered and unfiltered rows.
        z_stream z{};
        if (deflateInit2(&z, level, Z_DEFLATED, 15, 8,
                         c.flag == PNG_FILTER_NONE ? Z_DEFAULT_STRATEGY : Z_FILTERED) != Z_OK)
            return PNG_FILTER_NONE;
        packed.resize(deflateBound(&z, uLong(sample.size())));
        z.next_in = sample.data();
        z.avail_in = uInt(sample.size());
        z.next_out = packed.data();
        z.avail_out = uInt(packed.size());
        const int rc = deflate(&z, Z_FINISH);
        const uLong size = z.total_out;
        deflateEnd(&z);
        if (rc == Z_STREAM_END && size < bestSize) {
            bestSize = size;
            best = c.flag;
        }
    }
    return best;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* ctx = static_cast<PngWriteCtx*>(png_get_io_ptr(png));
    ctx->out->append(reinterpret_cast<const char*>(data), qsizetype(n));
}
void PngFlush(png_structp) {}

int PngWriteBody(png_structp png, png_infop info, PngWriteCtx* ctx) {
    if (setjmp(png_jmpbuf(png)))
        return ctx->result != SUCCESS ? ctx->result : ERROR_FILE_WRITE;
    const QImage& img = *ctx->img;
    png_set_write_fn(png, ctx, PngWrite, PngFlush);
    png_set_compression_level(png, ctx->level);
    // Packed pixels and palette indices are no samples to predict.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, ctx->filter);
    png_set_IHDR(png, info, png_uint_32(img.width()), png_uint_32(img.height()), ctx->depth,
                 ctx->colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (ctx->colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, ctx->plte.data(), int(ctx->plte.size()));
    if (ctx->transparent) {
        if (ctx->colorType == PNG_COLOR_TYPE_PALETTE)
            png_set_tRNS(png, info, ctx->transAlpha.data(), int(ctx->transAlpha.size()), nullptr);
        else if (ctx->colorType != PNG_COLOR_TYPE_RGB_ALPHA)
            png_set_tRNS(png, info, nullptr, 0, &ctx->transColor);
    }
    if (ctx->xres > 0 && ctx->yres > 0)
        png_set_pHYs(png, info, png_uint_32(PelsPerMeterFromDpi(ctx->xres)),
                     png_uint_32(PelsPerMeterFromDpi(ctx->yres)), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    if (ctx->bpp == 4)
        png_set_packing(png);
    if (ctx->bpp == 32)
        png_set_bgr(png);
    const int h = img.height();
    for (int y = 0; y < h; ++y) {
        png_write_row(png, const_cast<png_bytep>(img.constScanLine(y)));
        const int rc = ReportRows(*ctx->progress, y + 1, h);
        if (rc != SUCCESS)
            return ctx->result = rc;
    }
    png_write_end(png, info);
    return SUCCESS;
}

} // namespace

int DecodePng(const uchar* data, std::size_t size, LBitmapBase& out,
              const ImagingProgress& progress) {
    PngReadCtx ctx;
    ctx.data = data;
    ctx.size = size;
    ctx.progress = &progress;
    int rc = RunPngRead(ctx);
    if (rc != SUCCESS)
        return rc;
    rc = out.SetImage(std::move(ctx.img), ctx.bpp);
    if (rc != SUCCESS)
        return rc;
    out.SetXResolution(ctx.xres);
    out.SetYResolution(ctx.yres);
    return SUCCESS;
}

int PngInfo(const uchar* data, std::size_t size, FILEINFO& info) {
    PngReadCtx ctx;
    ctx.data = data;
    ctx.size = size;
    ctx.infoOnly = true;
    const ImagingProgress none;
    ctx.progress = &none;
    const int rc = RunPngRead(ctx);
    if (rc != SUCCESS)
        return rc;
    info.Width = ctx.width;
    info.Height = ctx.height;
    info.BitsPerPixel = ctx.bpp;
    info.XResolution = ctx.xres;
    info.YResolution = ctx.yres;
    info.TotalPages = 1;
    return SUCCESS;
}

int EncodePng(const LBitmapBase& bitmap, int level, QByteArray& out,
              const ImagingProgress& progress) {
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    const QImage& img = bitmap.GetImage();
    PngWriteCtx ctx;
    ctx.out = &out;
    ctx.img = &img;
    ctx.progress = &progress;
    ctx.bpp = bitmap.GetBitsPerPixel();
    ctx.level = std::clamp(level, 0, 9);
    ctx.xres = bitmap.GetXResolution();
    ctx.yres = bitmap.GetYResolution();
    switch (ctx.bpp) {
    case 1:
    case 4:
    case 8: {
        ctx.depth = ctx.bpp;
        QList<QRgb> pal = bitmap.GetPalette();
        const bool grey =
            ctx.bpp == 1 ? pal == QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                         : pal == GreyPalette(1 << ctx.bpp);
        if (grey) {
            ctx.colorType = PNG_COLOR_TYPE_GRAY;
            break;
        }
        ctx.colorType = PNG_COLOR_TYPE_PALETTE;
        // A palette must name every index the pixels use.
        int maxIndex = 0;
        if (ctx.bpp == 1) {
            maxIndex = 1;
        } else {
            for (int y = 0; y < img.height() && maxIndex < 255; ++y) {
                const uchar* s = img.constScanLine(y);
                for (int x = 0; x < img.width(); ++x)
                    maxIndex = std::max<int>(maxIndex, s[x]);
            }
            maxIndex = std::min(maxIndex, (1 << ctx.bpp) - 1);
        }
        while (pal.size() <= maxIndex)
            pal.append(qRgb(0, 0, 0));
        for (QRgb c : pal)
            ctx.plte.push_back(png_color{png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
        break;
    }
    case 24:
        ctx.depth = 8;
        ctx.colorType = PNG_COLOR_TYPE_RGB;
        break;
    case 32:
        ctx.depth = 8;
        // Written with its fourth byte so that a 32-bit bitmap reads back at 32 bits.
        ctx.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        break;
    default: return ERROR_BAD_DEPTH;
    }
    if (ctx.depth == 8 && ctx.colorType != PNG_COLOR_TYPE_PALETTE)
        ctx.filter = ChooseFilter(img, ctx.bpp / 8, ctx.level);
    COLORREF trans = 0;
    if (bitmap.GetTransparentColor(trans)) {
        const QRgb t = qRgb(GetRValue(trans), GetGValue(trans), GetBValue(trans));
        if (ctx.colorType == PNG_COLOR_TYPE_PALETTE) {
            for (const png_color& c : ctx.plte)
                ctx.transAlpha.push_back(qRgb(c.red, c.green, c.blue) == t ? 0 : 255);
            while (!ctx.transAlpha.empty() && ctx.transAlpha.back() == 255)
                ctx.transAlpha.pop_back();
            ctx.transparent = !ctx.transAlpha.empty();
        } else if (ctx.colorType == PNG_COLOR_TYPE_GRAY) {
            // A grey image marks the grey level (or the 1-bit value) of the colour.
            const QList<QRgb> pal = bitmap.GetPalette();
            const int index = int(pal.indexOf(t));
            ctx.transparent = index >= 0;
            ctx.transColor.gray = png_uint_16(std::max(index, 0));
        } else if (ctx.colorType == PNG_COLOR_TYPE_RGB) {
            ctx.transparent = true;
            ctx.transColor.red = GetRValue(trans);
            ctx.transColor.green = GetGValue(trans);
            ctx.transColor.blue = GetBValue(trans);
        }
    }
    out.clear();
    // Noisy scans compress little at the fast level: reserving about half the raw size saves
    // repeated growth of the output.
    out.reserve(qsizetype(std::min<std::int64_t>(img.sizeInBytes() / 2 + 1024, 256 << 20)));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, PngError, PngWarning);
    if (!png)
        return ERROR_NO_MEMORY;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return ERROR_NO_MEMORY;
    }
    const int rc = PngWriteBody(png, info, &ctx);
    png_destroy_write_struct(&png, &info);
    if (rc != SUCCESS)
        out.clear();
    return rc;
}

} // namespace brellin::imaging
