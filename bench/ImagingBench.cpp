// Imaging layer benchmarks on A4 pages at 300 dpi (2480 x 3508): decode and encode at 1 and 24
// bits as PNG, TIFF G4 and JPEG, a 20-page fax TIFF, a 20-page colour TIFF opened from disk,
// quarter turns, automatic trim, metafile write and read. The *_LibraryAlone cases run libpng and
// libtiff directly on the same pages, as the yard stick the layer is held to (within 1.2 x; the
// colour file within 1.5 x of libtiff reading its strips into one buffer, as `tiffinfo -D` does,
// and within 1.1 x of its pixels in memory at the peak).
//
//   cmake --build build --target brellin_bench_imaging
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_imaging

#include "BenchMain.h"
#include "BenchPages.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/EmfPaintDevice.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/MyBitmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <png.h>
#include <tiffio.h>

namespace {

using namespace brellin::imaging;

// Each page is made once: every case codes the same pixels.
const LBitmapBase& NoisyColourPage() {
    static const LBitmapBase page = MakeColourScan(42);
    return page;
}

const LBitmapBase& FaxPage() {
    static const LBitmapBase page = MakeFaxForm([](int line) {
        return QStringLiteral("%1. Name, address and reference of the sender, line %2: 0123456789")
            .arg(line)
            .arg(line * 37);
    });
    return page;
}

// A colour page as a scanner delivers it: a letter with a coloured letterhead, a stamp and a
// photograph drawn at 600 dpi, blurred by the optics, averaged down to 300 dpi, on paper whose
// tone drifts from line to line, with sensor noise that neighbouring pixels and the three
// channels share in part.
LBitmapBase MakeRealisticScan(std::uint64_t seed) {
    QImage hi(2 * kW, 2 * kH, QImage::Format_RGB32);
    hi.fill(qRgb(246, 244, 238));
    {
        QPainter p(&hi);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.fillRect(QRect(0, 0, 2 * kW, 420), QColor(28, 62, 120)); // letterhead band
        QFont head(QStringLiteral("DejaVu Sans"));
        head.setPixelSize(150);
        head.setBold(true);
        p.setFont(head);
        p.setPen(QColor(250, 250, 250));
        p.drawText(QPointF(300, 280), QStringLiteral("Quillmere Insurance"));
        // A photograph: smooth shading with some detail.
        QLinearGradient sky(0, 700, 0, 2100);
        sky.setColorAt(0, QColor(120, 160, 210));
        sky.setColorAt(1, QColor(210, 190, 150));
        p.fillRect(QRect(3100, 700, 1500, 1400), sky);
        p.setBrush(QColor(70, 110, 60));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(3000, 1500, 1800, 900));
        QFont body(QStringLiteral("DejaVu Serif"));
        body.setPixelSize(84); // 10 pt at 600 dpi
        p.setFont(body);
        p.setPen(QColor(24, 24, 32));
        std::uint64_t words = seed;
        for (int line = 0; line < 58; ++line) {
            QString text;
            while (text.size() < (line < 14 ? 38 : 80)) {
                static const char* const vocabulary[] = {
                    "claim", "reference", "policy", "the", "of", "damage", "insured", "date",
                    "amount", "and", "payment", "customer", "account", "signed", "received",
                    "number", "to", "for", "office", "letter"};
                text += QString::fromLatin1(vocabulary[BenchRand(words) % 20]) + QLatin1Char(' ');
            }
            p.drawText(QPointF(300, 800 + line * 108 + (line < 14 ? 0 : 200)), text);
        }
        p.setPen(QPen(QColor(170, 30, 40), 14)); // a red stamp
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(3300, 6000, 1100, 700));
        p.setFont(head);
        p.setPen(QColor(170, 30, 40));
        p.drawText(QPointF(3480, 6420), QStringLiteral("PAID"));
    }
    // The optics: [1 4 6 4 1] / 16 across and down, then 2 x 2 pixels averaged into one. Rows
    // blurred across are kept in a ring of eight, enough for the six that two rows down need.
    constexpr int W2 = 2 * kW, H2 = 2 * kH;
    static const int k5[5] = {1, 4, 6, 4, 1};
    std::vector<int> ring(std::size_t(8) * W2 * 3);
    auto ringRow = [&ring](int yy) { return &ring[std::size_t((yy + 8) & 7) * W2 * 3]; };
    auto blurAcross = [&](int yy) {
        const auto* src =
            reinterpret_cast<const QRgb*>(hi.constScanLine(std::clamp(yy, 0, H2 - 1)));
        int* out = ringRow(yy);
        for (int x = 0; x < W2; ++x) {
            int r = 0, g = 0, bl = 0;
            for (int i = -2; i <= 2; ++i) {
                const QRgb v = src[std::clamp(x + i, 0, W2 - 1)];
                r += k5[i + 2] * qRed(v);
                g += k5[i + 2] * qGreen(v);
                bl += k5[i + 2] * qBlue(v);
            }
            out[3 * x] = r;
            out[3 * x + 1] = g;
            out[3 * x + 2] = bl;
        }
    };
    // Noise: white noise smoothed by [1 2 1] / 4 both ways, mostly shared by the channels, and a
    // drift of the paper tone from line to line.
    std::uint64_t s = seed * 7919 + 1;
    std::vector<int> white(std::size_t(kW + 2) * (kH + 2) * 2);
    for (int& v : white)
        v = int(BenchRand(s) % 13) - 6;
    auto noise = [&](int x, int y, int plane) {
        static const int k3[3] = {1, 2, 1};
        int sum = 0;
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i)
                sum += k3[i] * k3[j] *
                       white[(std::size_t(y + j) * (kW + 2) + std::size_t(x + i)) * 2 +
                             std::size_t(plane)];
        return sum; // x 16
    };
    LBitmapBase b;
    b.Create(kW, kH, 24);
    QImage img = b.GetImage();
    b.Free();
    int drift = 0;
    int blurredTo = -3;
    std::vector<int> down(std::size_t(W2) * 3);
    for (int y = 0; y < kH; ++y) {
        while (blurredTo < 2 * y + 3)
            blurAcross(++blurredTo);
        // Down the two source rows of this row, each from its five neighbours, summed.
        std::fill(down.begin(), down.end(), 0);
        for (int yy = 2 * y; yy <= 2 * y + 1; ++yy)
            for (int j = -2; j <= 2; ++j) {
                const int* r = ringRow(yy + j);
                for (std::size_t i = 0; i < down.size(); ++i)
                    down[i] += k5[j + 2] * r[i];
            }
        uchar* row = img.scanLine(y);
        drift = std::clamp(drift + int(BenchRand(s) % 3) - 1, -3, 3);
        for (int x = 0; x < kW; ++x) {
            const int shared = noise(x, y, 0);
            for (int c = 0; c < 3; ++c) {
                // The two blurred source pixels of each row, x 1024 in all.
                const int v = down[std::size_t(6 * x + c)] + down[std::size_t(6 * x + 3 + c)];
                const int own = c == 1 ? noise(x, y, 1) : -noise(x, y, 1) / 2;
                const int level = (v + 512) / 1024 + drift + (3 * shared + own) / 32;
                row[3 * x + c] = uchar(std::clamp(level, 0, 255));
            }
        }
    }
    b.SetImage(std::move(img), 24);
    b.SetXResolution(300);
    b.SetYResolution(300);
    return b;
}

const LBitmapBase& RealisticScan() {
    static const LBitmapBase page = MakeRealisticScan(11);
    return page;
}

QByteArray Encoded(const LBitmapBase& b, int format, int quality = 0) {
    QByteArray out;
    EncodeImage(b, format, 0, quality, out, {});
    return out;
}

void Encode(benchmark::State& state, const LBitmapBase& page, int format, int quality) {
    QByteArray out;
    for (auto _ : state) {
        EncodeImage(page, format, 0, quality, out, {});
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = double(out.size());
}

void Decode(benchmark::State& state, const QByteArray& file) {
    LBitmapBase b;
    for (auto _ : state) {
        DecodeImage(reinterpret_cast<const uchar*>(file.constData()), std::size_t(file.size()), 1,
                    b, {});
        benchmark::DoNotOptimize(b.GetImage().constBits());
    }
    state.counters["bitmap_bytes"] = double(b.GetMemorySize());
    state.counters["bpp"] = b.GetBitsPerPixel();
}

void BM_PngEncode24(benchmark::State& s) { Encode(s, NoisyColourPage(), FILE_PNG, 0); }
void BM_PngDecode24(benchmark::State& s) { Decode(s, Encoded(NoisyColourPage(), FILE_PNG)); }
void BM_PngEncode1(benchmark::State& s) { Encode(s, FaxPage(), FILE_PNG, 0); }
void BM_PngDecode1(benchmark::State& s) { Decode(s, Encoded(FaxPage(), FILE_PNG)); }
void BM_TiffG4Encode1(benchmark::State& s) { Encode(s, FaxPage(), FILE_CCITT_GROUP4, 0); }
void BM_TiffG4Decode1(benchmark::State& s) { Decode(s, Encoded(FaxPage(), FILE_CCITT_GROUP4)); }
void BM_TiffPackBitsEncode24(benchmark::State& s) {
    Encode(s, NoisyColourPage(), FILE_TIF_PACKBITS, 0);
}
void BM_JpegEncode24(benchmark::State& s) { Encode(s, NoisyColourPage(), FILE_JPEG, 178); }
void BM_JpegDecode24(benchmark::State& s) { Decode(s, Encoded(NoisyColourPage(), FILE_JPEG, 178)); }

// libpng alone, same settings, rows straight from memory.
struct PngSink {
    std::vector<uchar> out;
};
void PngSinkWrite(png_structp png, png_bytep d, png_size_t n) {
    auto* s = static_cast<PngSink*>(png_get_io_ptr(png));
    s->out.insert(s->out.end(), d, d + n);
}
void PngSinkFlush(png_structp) {}

void PngAlone(benchmark::State& state, const LBitmapBase& page, int filter) {
    const QImage& img = page.GetImage();
    const bool mono = page.GetBitsPerPixel() == 1;
    PngSink sink;
    for (auto _ : state) {
        sink.out.clear();
        sink.out.reserve(std::size_t(img.sizeInBytes() / 2));
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png)) == 0) {
            png_set_write_fn(png, &sink, PngSinkWrite, PngSinkFlush);
            png_set_compression_level(png, 1);
            png_set_filter(png, 0, filter);
            png_set_IHDR(png, info, kW, kH, mono ? 1 : 8,
                         mono ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, 0, 0, 0);
            png_write_info(png, info);
            for (int y = 0; y < kH; ++y)
                png_write_row(png, const_cast<png_bytep>(img.constScanLine(y)));
            png_write_end(png, info);
        }
        png_destroy_write_struct(&png, &info);
        benchmark::DoNotOptimize(sink.out.data());
    }
    state.counters["bytes"] = double(sink.out.size());
}
void BM_PngEncode24_LibraryAlone(benchmark::State& s) {
    PngAlone(s, NoisyColourPage(), PNG_FILTER_NONE);
}
void BM_PngEncode1_LibraryAlone(benchmark::State& s) { PngAlone(s, FaxPage(), PNG_FILTER_NONE); }

// The fax form drawn at 24 bits, as a page of flat colour.
const LBitmapBase& DrawnColourPage() {
    static const LBitmapBase page = [] {
        LBitmapBase b(FaxPage());
        b.ChangeBitsPerPixel(24);
        return b;
    }();
    return page;
}

const LBitmapBase& ColourPage(std::int64_t kind) {
    return kind == 0 ? NoisyColourPage() : kind == 1 ? RealisticScan() : DrawnColourPage();
}

// Each 24-bit filter at the page record's level on the synthetic page, the realistic scan and
// the drawn page, for the choice EncodePng makes; the layer's own encode of each beside them.
constexpr int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                            PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
void BM_PngFilter24(benchmark::State& s) {
    PngAlone(s, ColourPage(s.range(1)), kFilters[s.range(0)]);
}
void BM_PngEncode24Page(benchmark::State& s) { Encode(s, ColourPage(s.range(0)), FILE_PNG, 0); }

struct PngSource {
    const uchar* d;
    std::size_t n, pos;
};
void PngSourceRead(png_structp png, png_bytep out, png_size_t n) {
    auto* s = static_cast<PngSource*>(png_get_io_ptr(png));
    std::memcpy(out, s->d + s->pos, n);
    s->pos += n;
}

// One decode into `pixels`; setjmp lives in a frame of its own with nothing to clobber.
void PngDecodeOnce(PngSource* src, uchar* pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, src, PngSourceRead);
        png_read_info(png, info);
        const std::size_t stride = png_get_rowbytes(png, info);
        for (int y = 0; y < kH; ++y)
            png_read_row(png, pixels + std::size_t(y) * stride, nullptr);
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
}

void PngDecodeAlone(benchmark::State& state, const LBitmapBase& page) {
    const QByteArray file = Encoded(page, FILE_PNG);
    const int bpp = page.GetBitsPerPixel();
    const std::size_t bytes = std::size_t(kH) * std::size_t(bpp == 1 ? (kW + 7) / 8 : kW * 3);
    for (auto _ : state) {
        // A fresh buffer for every page, as a decoder that hands out bitmaps needs.
        std::unique_ptr<uchar[]> pixels(new uchar[bytes]);
        PngSource src{reinterpret_cast<const uchar*>(file.constData()), std::size_t(file.size()), 0};
        PngDecodeOnce(&src, pixels.get());
        benchmark::DoNotOptimize(pixels.get());
    }
}
void BM_PngDecode24_LibraryAlone(benchmark::State& s) { PngDecodeAlone(s, NoisyColourPage()); }
void BM_PngDecode1_LibraryAlone(benchmark::State& s) { PngDecodeAlone(s, FaxPage()); }

QByteArray TwentyPageFax() {
    LBitmapList pages;
    for (int i = 0; i < 20; ++i)
        pages.InsertItem(FaxPage());
    QByteArray out;
    EncodeAllPages(pages, FILE_CCITT_GROUP4, 1, 0, out, {});
    return out;
}

void BM_Tiff20PagesRead(benchmark::State& state) {
    const QByteArray file = TwentyPageFax();
    for (auto _ : state) {
        LBitmapList pages;
        DecodeAllPages(reinterpret_cast<const uchar*>(file.constData()), std::size_t(file.size()),
                       pages, {});
        benchmark::DoNotOptimize(pages.GetItemsCount());
    }
}

void BM_Tiff20PagesRead_LibraryAlone(benchmark::State& state) {
    const QString path = QDir::tempPath() + QStringLiteral("/brellin-bench-20.tif");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(TwentyPageFax());
    }
    const std::size_t stride = (kW + 7) / 8;
    for (auto _ : state) {
        // A fresh buffer for every page, as a decoder that hands out bitmaps needs.
        std::vector<std::unique_ptr<uchar[]>> pages;
        TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
        do {
            pages.emplace_back(new uchar[stride * kH]);
            for (int y = 0; y < kH; ++y)
                TIFFReadScanline(tif, pages.back().get() + std::size_t(y) * stride,
                                 std::uint32_t(y), 0);
        } while (pages.size() < 20 && TIFFReadDirectory(tif));
        TIFFClose(tif);
        benchmark::DoNotOptimize(pages[0].get());
    }
    QFile::remove(path);
}

// 20 colour pages, uncompressed: 522 MB on disk, as a scanner's multi-page output is. Written once
// a page at a time and kept in the temporary folder for the runs that follow.
QString TwentyColourPagesFile() {
    const QString path = QDir::tempPath() + QStringLiteral("/brellin-bench-a4x20-rgb.tif");
    const std::int64_t pageBytes = std::int64_t(kW) * kH * 3;
    if (QFileInfo(path).size() < 20 * pageBytes) {
        LTiffPageWriter writer;
        writer.Open(path);
        for (int i = 0; i < 20; ++i)
            writer.AddPage(NoisyColourPage(), FILE_TIF);
        writer.Commit();
    }
    return path;
}

// The resident memory of the process now and at its peak since the peak was last reset.
std::int64_t StatusBytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).simplified().split(' ')[0].toLongLong() *
                   1024;
    return 0;
}
void ResetPeakResident() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

void BM_Tiff20ColourPagesOpen(benchmark::State& state) {
    const QString path = TwentyColourPagesFile();
    const double pixelBytes = 20.0 * kW * kH * 3;
    double peakOverPixels = 0;
    for (auto _ : state) {
        LBitmapList pages;
        const std::int64_t before = StatusBytes("VmRSS:");
        ResetPeakResident();
        LFile file;
        file.SetFileName(path);
        file.LoadBitmapList(pages);
        // What the open held at its peak beyond what the process held before, over the pixels.
        peakOverPixels =
            std::max(peakOverPixels, double(StatusBytes("VmHWM:") - before) / pixelBytes);
        benchmark::DoNotOptimize(pages.GetItemsCount());
    }
    state.counters["peak_over_pixels"] = peakOverPixels;
}

// What `tiffinfo -D` does: every strip of every page read into one reused buffer.
void BM_Tiff20ColourPagesOpen_LibraryAlone(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(TwentyColourPagesFile());
    for (auto _ : state) {
        TIFF* tif = TIFFOpen(path.constData(), "r");
        std::vector<uchar> strip(std::size_t(TIFFStripSize(tif)));
        do {
            for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s)
                TIFFReadEncodedStrip(tif, s, strip.data(), tmsize_t(strip.size()));
        } while (TIFFReadDirectory(tif));
        TIFFClose(tif);
        benchmark::DoNotOptimize(strip.data());
    }
}

void BM_Rotate90(benchmark::State& state) {
    const LBitmapBase& page = state.range(0) == 1 ? FaxPage() : NoisyColourPage();
    for (auto _ : state) {
        LBitmapBase b(page);
        b.Rotate(9000, ROTATE_RESIZE, 0);
        benchmark::DoNotOptimize(b.GetImage().constBits());
    }
}

// The colour scan with white margins of 120 pixels, as a trim finds them.
const LBitmapBase& MarginedColourPage() {
    static LBitmapBase page = [] {
        LBitmapBase b(NoisyColourPage());
        QImage img = b.GetImage();
        img.detach();
        for (int y = 0; y < kH; ++y) {
            uchar* row = img.scanLine(y);
            if (y < 120 || y >= kH - 120) {
                std::memset(row, 255, std::size_t(kW) * 3);
            } else {
                std::memset(row, 255, 120 * 3);
                std::memset(row + (kW - 120) * 3, 255, 120 * 3);
            }
        }
        b.SetImage(img, 24);
        return b;
    }();
    return page;
}

void BM_AutoTrim(benchmark::State& state) {
    const LBitmapBase& page = state.range(0) == 1 ? FaxPage() : MarginedColourPage();
    for (auto _ : state) {
        LBitmapBase b(page); // shares the pixels until the trim copies the kept part
        b.AutoTrim(0);
        benchmark::DoNotOptimize(b.GetWidth());
    }
}

void DrawForm(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(36);
    p.setFont(font);
    for (int i = 0; i < 200; ++i) {
        const int y = 100 + (i % 50) * 60;
        const int x = 100 + (i / 50) * 580;
        p.drawRect(QRect(x, y, 540, 50));
        p.drawText(QPointF(x + 10, y + 40), QStringLiteral("Field %1").arg(i));
    }
    p.setBrush(Qt::red);
    p.drawEllipse(QRect(1000, 1000, 400, 300));
}

void BM_EmfWrite(benchmark::State& state) {
    QByteArray bytes;
    for (auto _ : state) {
        CEmfPaintDevice emf(QSize(kW, kH), 300, 300);
        QPainter p(&emf);
        DrawForm(p);
        p.end();
        bytes = emf.GetBytes();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["bytes"] = double(bytes.size());
}

void BM_EmfRead(benchmark::State& state) {
    CEmfPaintDevice emf(QSize(kW, kH), 300, 300);
    {
        QPainter p(&emf);
        DrawForm(p);
    }
    const QByteArray bytes = emf.GetBytes();
    for (auto _ : state) {
        LMyBitmap b;
        LMyBitmap::LoadEMFMemory(b, bytes);
        benchmark::DoNotOptimize(b.GetImage().constBits());
    }
}

BENCHMARK(BM_PngEncode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode24_LibraryAlone)->Unit(benchmark::kMillisecond);
// filter: 0 none, 1 sub, 2 up, 3 average, 4 Paeth, 5 libpng's choice per row among all;
// page: 0 synthetic, 1 realistic scan, 2 drawn.
BENCHMARK(BM_PngFilter24)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1, 2}})
    ->ArgNames({"filter", "page"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode24Page)->DenseRange(0, 2)->ArgName("page")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode24_LibraryAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode1_LibraryAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode1_LibraryAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffG4Encode1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffG4Decode1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffPackBitsEncode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegEncode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tiff20PagesRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tiff20PagesRead_LibraryAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tiff20ColourPagesOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tiff20ColourPagesOpen_LibraryAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate90)->Arg(1)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoTrim)->Arg(1)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
