// Every codec keeps pixels, depth and resolution through a save and a load; the format is found
// from the content; multi-page TIFF files keep every page at its own depth.

#include "ImagingTestUtil.h"
#include "TestSupport.h"

#include "platform/imaging/Codecs.h"

#include <QFile>
#include <QImageReader>
#include <set>
#include <tuple>
#include <cmath>
#include <png.h>
#include <zlib.h>

namespace {

struct CodecCase {
    int format;
    int bpp;
};

class RoundTrip : public testing::TestWithParam<CodecCase> {};

TEST_P(RoundTrip, KeepsPixelsDepthAndResolution) {
    const CodecCase c = GetParam();
    const LBitmapBase original = MakePattern(37, 23, c.bpp, 200);
    LBitmapBase copy(original);
    LMemoryFile mem(&copy);
    LBuffer buffer;
    ASSERT_EQ(mem.SaveMemory(buffer, c.format, 0, 0), SUCCESS);

    LBitmapBase loaded;
    LMemoryFile reader(&loaded);
    ASSERT_EQ(reader.LoadMemory(buffer), SUCCESS);
    // PCX keeps 4-bit images as 8-bit ones with the same colours.
    const int expectBpp = c.format == FILE_PCX && c.bpp == 4 ? 8 : c.bpp;
    EXPECT_EQ(loaded.GetBitsPerPixel(), expectBpp);
    EXPECT_EQ(loaded.GetXResolution(), 200);
    EXPECT_EQ(loaded.GetYResolution(), 200);
    ExpectSamePixels(original, loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, RoundTrip,
    testing::Values(CodecCase{FILE_PNG, 1}, CodecCase{FILE_PNG, 4}, CodecCase{FILE_PNG, 8},
                    CodecCase{FILE_PNG, 24}, CodecCase{FILE_PNG, 32}, CodecCase{FILE_TIF, 1},
                    CodecCase{FILE_TIF, 4}, CodecCase{FILE_TIF, 8}, CodecCase{FILE_TIF, 24},
                    CodecCase{FILE_TIF_PACKBITS, 1}, CodecCase{FILE_TIF_PACKBITS, 8},
                    CodecCase{FILE_TIF_PACKBITS, 24}, CodecCase{FILE_CCITT_GROUP4, 1},
                    CodecCase{FILE_TIF_LZW, 1}, CodecCase{FILE_TIF_LZW, 4},
                    CodecCase{FILE_TIF_LZW, 8}, CodecCase{FILE_TIF_LZW, 24},
                    CodecCase{FILE_TIF_ZIP, 1}, CodecCase{FILE_TIF_ZIP, 4},
                    CodecCase{FILE_TIF_ZIP, 8}, CodecCase{FILE_TIF_ZIP, 24},
                    CodecCase{FILE_BMP, 1}, CodecCase{FILE_BMP, 4}, CodecCase{FILE_BMP, 8},
                    CodecCase{FILE_BMP, 24}, CodecCase{FILE_BMP, 32}, CodecCase{FILE_PCX, 1},
                    CodecCase{FILE_PCX, 4}, CodecCase{FILE_PCX, 8}, CodecCase{FILE_PCX, 24}),
    [](const testing::TestParamInfo<CodecCase>& info) {
        return "format" + std::to_string(info.param.format) + "_bpp" +
               std::to_string(info.param.bpp);
    });

TEST(Codec, GreyAndWhiteIsZeroPagesKeepTheirMeaning) {
    // A grey 8-bit image and a 1-bit page whose palette starts with white.
    LBitmapBase grey;
    ASSERT_EQ(grey.Create(16, 4, 8), SUCCESS); // grey ramp
    QImage img = grey.GetImage();
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y)
            img.setPixel(x, y, uint(x * 16));
    grey.SetImage(img, 8);
    LBitmapBase fax;
    ASSERT_EQ(fax.Create(20, 3, 1, {qRgb(255, 255, 255), qRgb(0, 0, 0)}), SUCCESS);
    QImage f = fax.GetImage();
    f.setPixel(3, 1, 1); // one black pixel
    fax.SetImage(f, 1);
    for (int format : {FILE_PNG, FILE_TIF, FILE_TIF_PACKBITS, FILE_BMP, FILE_PCX}) {
        for (const LBitmapBase* src : {&grey, &fax}) {
            QByteArray out;
            ASSERT_EQ(brellin::imaging::EncodeImage(*src, format, 0, 0, out, {}), SUCCESS);
            LBitmapBase back;
            ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(out), std::size_t(out.size()), 1, back,
                                                    {}),
                      SUCCESS)
                << format;
            EXPECT_EQ(back.GetBitsPerPixel(), src->GetBitsPerPixel()) << format;
            ExpectSamePixels(*src, back);
        }
    }
}

TEST(Codec, JpegOfAWhiteFirstGreyPageKeepsItsGreys) {
    // An 8-bit grey page whose palette runs from white to black, as white-is-zero scans load:
    // the JPEG holds the greys the indices name, not the indices.
    QList<QRgb> whiteFirst = brellin::imaging::GreyPalette(256);
    std::reverse(whiteFirst.begin(), whiteFirst.end());
    LBitmapBase page;
    ASSERT_EQ(page.Create(32, 16, 8, whiteFirst), SUCCESS);
    QImage img = page.GetImage();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            img.setPixel(x, y, uint(x / 8 * 64)); // four bands, 8 pixels wide
    ASSERT_EQ(page.SetImage(std::move(img), 8), SUCCESS);
    QByteArray out;
    ASSERT_EQ(brellin::imaging::EncodeImage(page, FILE_JPEG, 0, 0, out, {}), SUCCESS);
    LBitmapBase back;
    ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(out), std::size_t(out.size()), 1, back, {}),
              SUCCESS);
    EXPECT_EQ(back.GetBitsPerPixel(), 8);
    for (int x = 4; x < 32; x += 8)
        EXPECT_NEAR(GetRValue(back.GetPixelColor(x, 8)), GetRValue(page.GetPixelColor(x, 8)), 8)
            << x;
}

// The filter type byte of every row of a PNG that EncodePng wrote (`rows` of `rowBytes`).
std::set<int> PngRowFilters(const QByteArray& png, std::size_t rowBytes, std::size_t rows) {
    QByteArray idat;
    for (qsizetype p = 8; p + 12 <= png.size();) {
        const quint32 n = quint32(uchar(png[p])) << 24 | quint32(uchar(png[p + 1])) << 16 |
                          quint32(uchar(png[p + 2])) << 8 | uchar(png[p + 3]);
        if (png.mid(p + 4, 4) == "IDAT")
            idat += png.mid(p + 8, qsizetype(n));
        p += 12 + qsizetype(n);
    }
    std::vector<uchar> raw((rowBytes + 1) * rows);
    uLongf size = uLongf(raw.size());
    std::set<int> filters;
    if (uncompress(raw.data(), &size, Bytes(idat), uLong(idat.size())) != Z_OK)
        return filters;
    for (std::size_t at = 0; at < size; at += rowBytes + 1)
        filters.insert(raw[at]);
    return filters;
}

TEST(Codec, PngRowsArePredictedTheWayThatSuitsThePage) {
    // Smooth shading with sensor noise on every sample, as a scan has: the average of the left
    // and upper neighbours predicts it best. Columns that repeat down the page: the row above.
    // Palette indices: never predicted.
    LBitmapBase scan, columns;
    ASSERT_EQ(scan.Create(300, 120, 24), SUCCESS);
    ASSERT_EQ(columns.Create(300, 120, 24), SUCCESS);
    QImage s = scan.GetImage(), c = columns.GetImage();
    std::uint32_t seed = 5;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 300; ++x)
            for (int k = 0; k < 3; ++k) {
                seed = seed * 1103515245u + 12345u;
                const int noise = int((seed >> 16) % 7) - 3;
                const double shade = 128 + 60 * std::sin(x / 23.0 + k) * std::cos(y / 17.0);
                s.scanLine(y)[3 * x + k] = uchar(std::clamp(int(shade) + noise, 0, 255));
                c.scanLine(y)[3 * x + k] = uchar(x * 37 * (k + 1) % 256);
            }
    ASSERT_EQ(scan.SetImage(std::move(s), 24), SUCCESS);
    ASSERT_EQ(columns.SetImage(std::move(c), 24), SUCCESS);
    QByteArray out;
    ASSERT_EQ(brellin::imaging::EncodePng(scan, 1, out, {}), SUCCESS);
    EXPECT_EQ(PngRowFilters(out, 300 * 3, 120), std::set<int>{PNG_FILTER_VALUE_AVG});
    LBitmapBase back;
    ASSERT_EQ(brellin::imaging::DecodePng(Bytes(out), std::size_t(out.size()), back, {}), SUCCESS);
    ExpectSamePixels(scan, back);
    ASSERT_EQ(brellin::imaging::EncodePng(columns, 1, out, {}), SUCCESS);
    EXPECT_EQ(PngRowFilters(out, 300 * 3, 120), std::set<int>{PNG_FILTER_VALUE_UP});

    const LBitmapBase indexed = MakePattern(300, 120, 8);
    ASSERT_EQ(brellin::imaging::EncodePng(indexed, 1, out, {}), SUCCESS);
    EXPECT_EQ(PngRowFilters(out, 300, 120), std::set<int>{PNG_FILTER_VALUE_NONE});
}

// A PNG of `image` written by libpng itself with one row filter for every row and image data
// chunks of `chunkBytes`: the files other programs write, whose filters EncodePng never picks.
QByteArray PngByLibpng(const QImage& image, int colourType, int depth, int filter,
                       std::size_t chunkBytes) {
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, png_size_t n) {
            static_cast<QByteArray*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(d), qsizetype(n));
        },
        [](png_structp) {});
    png_set_compression_buffer_size(png, chunkBytes);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filter);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), depth,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> plte;
    for (QRgb c : image.colorTable())
        plte.push_back(png_color{png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))});
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, plte.data(), int(plte.size()));
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y)
        png_write_row(png, const_cast<png_bytep>(image.constScanLine(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(Codec, PngOfEveryFilterDepthAndPaddingDecodes) {
    // Widths that leave each amount of row padding; rows of every filter, each predicting from
    // the row above and the pixel on the left; the data in one chunk and in many.
    struct Kind {
        int bpp, colourType, depth;
    };
    const Kind kinds[] = {{1, PNG_COLOR_TYPE_GRAY, 1}, {1, PNG_COLOR_TYPE_PALETTE, 1},
                          {8, PNG_COLOR_TYPE_GRAY, 8}, {8, PNG_COLOR_TYPE_PALETTE, 8},
                          {24, PNG_COLOR_TYPE_RGB, 8}};
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                           PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    for (const Kind& k : kinds)
        for (int width : {1, 5, 6, 7, 33, 301})
            for (int filter : filters)
                for (std::size_t chunk : {std::size_t(1) << 20, std::size_t(64)}) {
                    LBitmapBase page = MakePattern(width, 19, k.bpp);
                    QImage image = page.GetImage();
                    if (k.colourType == PNG_COLOR_TYPE_GRAY) {
                        image.setColorTable(k.bpp == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                                       : brellin::imaging::GreyPalette(256));
                        ASSERT_EQ(page.SetImage(image, k.bpp), SUCCESS);
                    }
                    const QByteArray png = PngByLibpng(image, k.colourType, k.depth, filter, chunk);
                    LBitmapBase back;
                    ASSERT_EQ(brellin::imaging::DecodePng(Bytes(png), std::size_t(png.size()), back, {}),
                              SUCCESS)
                        << k.bpp << " bpp, width " << width << ", filter " << filter;
                    EXPECT_EQ(back.GetBitsPerPixel(), k.bpp);
                    ExpectSamePixels(page, back);
                    // The padding of every row is clear, as a new bitmap's is.
                    const QImage& got = back.GetImage();
                    const int used = (width * k.bpp + 7) / 8;
                    for (int y = 0; y < got.height(); ++y)
                        for (qsizetype i = used; i < got.bytesPerLine(); ++i)
                            ASSERT_EQ(got.constScanLine(y)[i], 0) << width << " " << y;
                }

    // Damage is still found: a data chunk's checksum, a row filter PNG does not have, the data cut
    // short.
    const QByteArray good =
        PngByLibpng(MakePattern(40, 30, 24).GetImage(), PNG_COLOR_TYPE_RGB, 8, PNG_FILTER_AVG, 256);
    const qsizetype data = good.indexOf("IDAT") + 4;
    QByteArray badCrc = good;
    badCrc[data + 10] = char(badCrc[data + 10] ^ 0x40);
    LBitmapBase out;
    EXPECT_EQ(brellin::imaging::DecodePng(Bytes(badCrc), std::size_t(badCrc.size()), out, {}),
              ERROR_CORRUPT);
    const QByteArray cut = good.left(data + 100);
    EXPECT_EQ(brellin::imaging::DecodePng(Bytes(cut), std::size_t(cut.size()), out, {}),
              ERROR_CORRUPT);
}

TEST(Codec, JpegKeepsSizeResolutionAndQualityOrder) {
    const LBitmapBase page = MakePattern(64, 48, 24, 150);
    QByteArray best, worst;
    ASSERT_EQ(brellin::imaging::EncodeImage(page, FILE_JPEG, 24, 0, best, {}), SUCCESS);
    ASSERT_EQ(brellin::imaging::EncodeImage(page, FILE_JPEG, 24, 255, worst, {}), SUCCESS);
    // 0 is the best quality, 255 the smallest file.
    EXPECT_GT(best.size(), worst.size());
    LBitmapBase back;
    ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(best), std::size_t(best.size()), 1, back, {}),
              SUCCESS);
    EXPECT_EQ(back.GetWidth(), 64);
    EXPECT_EQ(back.GetHeight(), 48);
    EXPECT_EQ(back.GetBitsPerPixel(), 24);
    EXPECT_EQ(back.GetXResolution(), 150);
    // Near-lossless at the best quality.
    const COLORREF a = page.GetPixelColor(10, 10), b = back.GetPixelColor(10, 10);
    EXPECT_NEAR(GetRValue(a), GetRValue(b), 24);

    // Grey pages stay 8-bit grey; an image without resolution reads 0.
    LBitmapBase grey;
    ASSERT_EQ(grey.Create(32, 32, 8), SUCCESS);
    QByteArray g;
    ASSERT_EQ(brellin::imaging::EncodeImage(grey, FILE_JPEG, 0, 0, g, {}), SUCCESS);
    ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(g), std::size_t(g.size()), 1, back, {}),
              SUCCESS);
    EXPECT_EQ(back.GetBitsPerPixel(), 8);
    EXPECT_TRUE(back.IsGrey());
    EXPECT_EQ(back.GetXResolution(), 0);
}

TEST(Codec, JpegBeyondQtsOwnAllocationLimitIsRead) {
    // Qt's image reader has a far lower limit of its own than the layer's (128 MB, less than an A4
    // colour page at 600 dpi); the layer's limit is the one that counts. Qt's is lowered here to
    // 1 MB so that small pages stand for large ones.
    struct Limit {
        int saved = QImageReader::allocationLimit();
        Limit() { QImageReader::setAllocationLimit(1); }
        ~Limit() { QImageReader::setAllocationLimit(saved); }
    } limit;
    LBitmapBase grey;
    ASSERT_EQ(grey.Create(1200, 1000, 8), SUCCESS);
    const LBitmapBase colour = MakePattern(600, 600, 24);
    const LBitmapBase* const pages[] = {&grey, &colour};
    for (const LBitmapBase* page : pages) {
        QByteArray jpeg;
        ASSERT_EQ(brellin::imaging::EncodeImage(*page, FILE_JPEG, 0, 0, jpeg, {}), SUCCESS);
        LBitmapBase back;
        EXPECT_EQ(brellin::imaging::DecodeImage(Bytes(jpeg), std::size_t(jpeg.size()), 1, back, {}),
                  SUCCESS);
        EXPECT_EQ(back.GetWidth(), page->GetWidth());
        EXPECT_EQ(back.GetBitsPerPixel(), page->GetBitsPerPixel());
    }
}

TEST(Codec, SavingAtAnotherDepthConverts) {
    // A scan in colour saved as 1 bit: dark text stays black, paper white.
    LBitmapBase scan;
    ASSERT_EQ(scan.Create(40, 10, 24), SUCCESS);
    scan.Fill(RGB(250, 248, 240));
    QImage img = scan.GetImage();
    for (int x = 5; x < 30; ++x)
        img.setPixel(x, 5, qRgb(40, 30, 90));
    scan.SetImage(img, 24);
    QByteArray out;
    ASSERT_EQ(brellin::imaging::EncodeImage(scan, FILE_PNG, 1, 0, out, {}), SUCCESS);
    LBitmapBase back;
    ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(out), std::size_t(out.size()), 1, back, {}),
              SUCCESS);
    EXPECT_EQ(back.GetBitsPerPixel(), 1);
    EXPECT_EQ(back.GetPixelColor(10, 5), RGB(0, 0, 0));
    EXPECT_EQ(back.GetPixelColor(10, 4), RGB(255, 255, 255));

    // 8 and 4 bits: few colours are kept exactly.
    for (int bpp : {4, 8}) {
        ASSERT_EQ(brellin::imaging::EncodeImage(scan, FILE_BMP, bpp, 0, out, {}), SUCCESS);
        ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(out), std::size_t(out.size()), 1, back, {}),
                  SUCCESS);
        EXPECT_EQ(back.GetBitsPerPixel(), bpp);
        ExpectSamePixels(scan, back);
    }
    // A fax file is always 1 bit.
    ASSERT_EQ(brellin::imaging::EncodeImage(scan, FILE_CCITT_GROUP4, 24, 0, out, {}), SUCCESS);
    ASSERT_EQ(brellin::imaging::DecodeImage(Bytes(out), std::size_t(out.size()), 1, back, {}),
              SUCCESS);
    EXPECT_EQ(back.GetBitsPerPixel(), 1);
}

TEST(Codec, MultiPageTiffInEachCompression) {
    for (int format :
         {FILE_TIF, FILE_TIF_PACKBITS, FILE_CCITT_GROUP4, FILE_TIF_LZW, FILE_TIF_ZIP}) {
        LBitmapList pages;
        const int depths[3] = {1, format == FILE_CCITT_GROUP4 ? 1 : 8,
                               format == FILE_CCITT_GROUP4 ? 1 : 24};
        for (int i = 0; i < 3; ++i)
            pages.InsertItem(MakePattern(30 + i, 20 + i, depths[i], 100 + i));
        const QString path = TestTempDir() + QStringLiteral("/pages.tif");
        LFile file;
        file.SetFileName(path);
        ASSERT_EQ(file.SaveBitmapList(pages, format, 0, 0), SUCCESS) << format;

        LBitmapList back;
        ASSERT_EQ(file.LoadBitmapList(back), SUCCESS);
        ASSERT_EQ(back.GetItemsCount(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(back.Item(i)->GetBitsPerPixel(), depths[i]);
            EXPECT_EQ(back.Item(i)->GetXResolution(), 100 + i);
            ExpectSamePixels(*pages.Item(i), *back.Item(i));
        }
        FILEINFO info;
        ASSERT_EQ(file.GetInfo(info), SUCCESS);
        EXPECT_EQ(info.TotalPages, 3);
        // A single page by number.
        LBitmapBase second;
        ASSERT_EQ(second.Load(path, 0, 2), SUCCESS);
        ExpectSamePixels(*pages.Item(1), second);
        EXPECT_EQ(second.Load(path, 0, 4), ERROR_PAGE_NOT_FOUND);
    }
}

TEST(Codec, PagesAppendToAMultiPageFile) {
    const QString path = TestTempDir() + QStringLiteral("/append.tif");
    for (int i = 1; i <= 3; ++i) {
        const LBitmapBase page = MakePattern(20, 10 * i, 1);
        ASSERT_EQ(page.Save(path, FILE_CCITT_GROUP4, 1, 0, SAVEFILE_MULTIPAGE), SUCCESS);
    }
    LFile file;
    file.SetFileName(path);
    LBitmapList back;
    ASSERT_EQ(file.LoadBitmapList(back), SUCCESS);
    ASSERT_EQ(back.GetItemsCount(), 3);
    EXPECT_EQ(back.Item(2)->GetHeight(), 30);
    EXPECT_EQ(back.Item(2)->GetBitsPerPixel(), 1);
}

TEST(Codec, FormatComesFromTheContentNotTheName) {
    const LBitmapBase page = MakePattern(10, 10, 8);
    const QString path = TestTempDir() + QStringLiteral("/really-a-png.bmp");
    ASSERT_EQ(page.Save(path, FILE_PNG, 0, 0), SUCCESS);
    LBitmapBase back;
    ASSERT_EQ(back.Load(path), SUCCESS);
    ExpectSamePixels(page, back);
    LFile file;
    file.SetFileName(path);
    FILEINFO info;
    ASSERT_EQ(file.GetInfo(info), SUCCESS);
    EXPECT_EQ(info.Format, FILE_PNG);
    EXPECT_EQ(back.Load(TestTempDir() + QStringLiteral("/missing.png")), ERROR_FILE_OPEN);
}

TEST(Codec, LoadingAtARequestedDepthConverts) {
    const LBitmapBase page = MakePattern(12, 12, 24);
    const QString path = TestTempDir() + QStringLiteral("/c.png");
    ASSERT_EQ(page.Save(path, FILE_PNG, 0, 0), SUCCESS);
    LBitmapBase back;
    ASSERT_EQ(back.Load(path, 32), SUCCESS);
    EXPECT_EQ(back.GetBitsPerPixel(), 32);
    ExpectSamePixels(page, back);
}

class AbortingBitmap : public LBitmapBase {
public:
    int calls = 0;
    int StatusCallBack(int) override { return ++calls > 2 ? ERROR_USER_ABORT : SUCCESS; }
};

TEST(Codec, ProgressCallbackCanAbortLoadAndSave) {
    AbortingBitmap bmp;
    bmp.Copy(MakePattern(50, 400, 24));
    bmp.EnableCallBack(true);
    const QString path = TestTempDir() + QStringLiteral("/abort.tif");
    EXPECT_EQ(bmp.Save(path, FILE_TIF, 0, 0), ERROR_USER_ABORT);
    EXPECT_FALSE(QFile::exists(path)); // nothing half-written is left behind
    bmp.EnableCallBack(false);
    ASSERT_EQ(bmp.Save(path, FILE_TIF, 0, 0), SUCCESS);
    bmp.EnableCallBack(true);
    bmp.calls = 0;
    EXPECT_EQ(bmp.Load(path), ERROR_USER_ABORT);
    EXPECT_EQ(bmp.GetWidth(), 50); // the bitmap is unchanged by the cancelled load
}

} // namespace

namespace {

TEST(Codec, PngMarksTheTransparentColour) {
    LBitmapBase page = MakePattern(8, 8, 24);
    page.SetTransparentColor(true, RGB(255, 255, 255));
    QByteArray out;
    ASSERT_EQ(brellin::imaging::EncodeImage(page, FILE_PNG, 0, 0, out, {}), SUCCESS);
    EXPECT_TRUE(out.contains("tRNS"));
    // White of an 8-bit palette image becomes the one transparent entry.
    LBitmapBase pal;
    ASSERT_EQ(pal.Create(4, 4, 8, {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(9, 9, 9)}), SUCCESS);
    pal.SetTransparentColor(true, RGB(255, 255, 255));
    ASSERT_EQ(brellin::imaging::EncodeImage(pal, FILE_PNG, 0, 0, out, {}), SUCCESS);
    const qsizetype at = out.indexOf("tRNS");
    ASSERT_GT(at, 4);
    EXPECT_EQ(out.mid(at - 4, 10).toHex(), QByteArray("00000002" "74524e53" "ff00"));
    page.SetTransparentColor(false);
    ASSERT_EQ(brellin::imaging::EncodeImage(page, FILE_PNG, 0, 0, out, {}), SUCCESS);
    EXPECT_FALSE(out.contains("tRNS"));
}

} // namespace
