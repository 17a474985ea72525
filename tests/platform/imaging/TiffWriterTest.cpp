// TIFF output for export: the lossless LZW and Deflate compressions, and the writer that puts a
// multi-page file on disk page by page, where the target appears only once the file is whole
// and the cause of a failed write reaches the caller.

#include "ImagingTestUtil.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>
#include <tiffio.h>

namespace {

struct PageTags {
    std::uint16_t compression = 0;
    std::uint16_t predictor = 0;
    std::uint32_t subfileType = 0;
    std::uint16_t page = 0xFFFF;
    std::uint16_t total = 0xFFFF;
};

// The tags of every page of a TIFF file, read by libtiff itself.
std::vector<PageTags> ReadTags(const QString& path) {
    std::vector<PageTags> tags;
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif)
        return tags;
    do {
        PageTags t;
        TIFFGetField(tif, TIFFTAG_COMPRESSION, &t.compression);
        TIFFGetFieldDefaulted(tif, TIFFTAG_PREDICTOR, &t.predictor);
        TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &t.subfileType);
        TIFFGetField(tif, TIFFTAG_PAGENUMBER, &t.page, &t.total);
        tags.push_back(t);
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return tags;
}

int LoadPages(const QString& path, LBitmapList& pages) {
    LFile file;
    file.SetFileName(path);
    return file.LoadBitmapList(pages);
}

QStringList FilesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files); }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Files of this process may not grow past `bytes` while it lives; a write beyond fails with
// EFBIG ("File too large") as a full disk fails with ENOSPC.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = m_old;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
};

TEST(TiffCompression, LzwAndDeflatePredictOnlyWholeSamples) {
    // The predictor is used where neighbouring values are samples: 8-bit grey and colour. Palette
    // indices and packed 1- and 4-bit pixels go without.
    LBitmapBase grey;
    ASSERT_EQ(grey.Create(40, 30, 8), SUCCESS);
    struct Case {
        LBitmapBase bitmap;
        std::uint16_t predictor;
    };
    const Case cases[] = {{MakePattern(40, 30, 1), PREDICTOR_NONE},
                          {MakePattern(40, 30, 4), PREDICTOR_NONE},
                          {MakePattern(40, 30, 8), PREDICTOR_NONE}, // a palette of colours
                          {grey, PREDICTOR_HORIZONTAL},
                          {MakePattern(40, 30, 24), PREDICTOR_HORIZONTAL},
                          {MakePattern(40, 30, 32), PREDICTOR_HORIZONTAL}};
    const QString path = TestTempDir() + QStringLiteral("/c.tif");
    for (const auto& [format, compression] : {std::pair{FILE_TIF_LZW, COMPRESSION_LZW},
                                              std::pair{FILE_TIF_ZIP, COMPRESSION_ADOBE_DEFLATE}}) {
        for (const Case& c : cases) {
            ASSERT_EQ(c.bitmap.Save(path, format, 0, 0), SUCCESS);
            const std::vector<PageTags> tags = ReadTags(path);
            ASSERT_EQ(tags.size(), 1u);
            EXPECT_EQ(tags[0].compression, compression);
            EXPECT_EQ(tags[0].predictor, c.predictor) << c.bitmap.GetBitsPerPixel();
            LBitmapBase back;
            ASSERT_EQ(back.Load(path), SUCCESS);
            ExpectSamePixels(c.bitmap, back);
        }
    }
}

TEST(TiffPageWriter, WritesPagesAsTheyComeAndNamesTheTotalOnEveryPage) {
    const QString dir = TestTempDir();
    const QString path = dir + QStringLiteral("/export.tif");
    const LBitmapBase pages[] = {MakePattern(64, 40, 1, 200), MakePattern(50, 30, 24, 300),
                                 MakePattern(33, 21, 8, 150)};
    const int formats[] = {FILE_CCITT_GROUP4, FILE_TIF_ZIP, FILE_TIF_LZW};
    {
        LTiffPageWriter writer;
        ASSERT_EQ(writer.Open(path), SUCCESS);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(writer.AddPage(pages[i], formats[i]), SUCCESS);
            // Nothing is under the target's name until the file is whole.
            EXPECT_FALSE(QFile::exists(path));
        }
        EXPECT_EQ(writer.GetPageCount(), 3);
        ASSERT_EQ(writer.Commit(), SUCCESS);
        EXPECT_TRUE(writer.ErrorText().isEmpty());
    }
    EXPECT_EQ(FilesIn(dir), QStringList{QStringLiteral("export.tif")});

    const std::vector<PageTags> tags = ReadTags(path);
    ASSERT_EQ(tags.size(), 3u);
    for (std::uint16_t i = 0; i < 3; ++i) {
        EXPECT_EQ(tags[i].subfileType, std::uint32_t(FILETYPE_PAGE));
        EXPECT_EQ(tags[i].page, i);
        EXPECT_EQ(tags[i].total, 3);
    }
    LBitmapList back;
    ASSERT_EQ(LoadPages(path, back), SUCCESS);
    ASSERT_EQ(back.GetItemsCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.Item(i)->GetBitsPerPixel(), pages[i].GetBitsPerPixel());
        EXPECT_EQ(back.Item(i)->GetXResolution(), pages[i].GetXResolution());
        ExpectSamePixels(pages[i], *back.Item(i));
    }
}

TEST(TiffPageWriter, ConvertsToTheDepthAskedAndRefusesWhatItCannotWrite) {
    const QString path = TestTempDir() + QStringLiteral("/depth.tif");
    LTiffPageWriter writer;
    const LBitmapBase colour = MakePattern(20, 10, 24);
    EXPECT_EQ(writer.AddPage(colour, FILE_TIF), ERROR_INV_PARAMETER); // not open
    ASSERT_EQ(writer.Open(path), SUCCESS);
    EXPECT_EQ(writer.Commit(), ERROR_NOT_ALLOCATED); // no page: nothing to keep
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_EQ(writer.Open(path), SUCCESS);
    EXPECT_EQ(writer.AddPage(colour, FILE_PNG), ERROR_FILE_FORMAT);
    EXPECT_EQ(writer.AddPage(LBitmapBase(), FILE_TIF), ERROR_NOT_ALLOCATED);
    // Refused pages leave the file as it was: the next pages go on.
    ASSERT_EQ(writer.AddPage(colour, FILE_CCITT_GROUP4), SUCCESS); // a fax page is 1 bit
    ASSERT_EQ(writer.AddPage(colour, FILE_TIF_LZW, 8), SUCCESS);
    ASSERT_EQ(writer.Commit(), SUCCESS);
    LBitmapList back;
    ASSERT_EQ(LoadPages(path, back), SUCCESS);
    ASSERT_EQ(back.GetItemsCount(), 2);
    EXPECT_EQ(back.Item(0)->GetBitsPerPixel(), 1);
    EXPECT_EQ(back.Item(1)->GetBitsPerPixel(), 8);
}

TEST(TiffPageWriter, AnUnfinishedFileLeavesThePreviousOneInPlace) {
    const QString dir = TestTempDir();
    const QString path = dir + QStringLiteral("/kept.tif");
    const LBitmapBase page = MakePattern(40, 20, 1);
    ASSERT_EQ(page.Save(path, FILE_TIF, 0, 0), SUCCESS);
    const QByteArray before = ReadAll(path);
    {
        LTiffPageWriter dropped; // never committed
        ASSERT_EQ(dropped.Open(path), SUCCESS);
        ASSERT_EQ(dropped.AddPage(MakePattern(10, 10, 24), FILE_TIF_ZIP), SUCCESS);
        EXPECT_EQ(FilesIn(dir).size(), 2); // the target and the file being written
    }
    LTiffPageWriter cancelled;
    ASSERT_EQ(cancelled.Open(path), SUCCESS);
    ASSERT_EQ(cancelled.AddPage(page, FILE_TIF), SUCCESS);
    cancelled.Cancel();
    EXPECT_EQ(cancelled.Commit(), ERROR_INV_PARAMETER);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(FilesIn(dir), QStringList{QStringLiteral("kept.tif")});
}

TEST(TiffPageWriter, AFailedWriteSaysWhyAndKeepsThePreviousFile) {
    const QString dir = TestTempDir();
    const QString path = dir + QStringLiteral("/full.tif");
    ASSERT_EQ(MakePattern(16, 16, 1).Save(path, FILE_TIF, 0, 0), SUCCESS);
    const QByteArray before = ReadAll(path);
    const QString tooLarge = qt_error_string(EFBIG);
    {
        FileSizeLimit limit(64 * 1024);
        LTiffPageWriter writer;
        ASSERT_EQ(writer.Open(path), SUCCESS);
        const LBitmapBase big = MakePattern(300, 200, 24); // 180 KB uncompressed
        int rc = writer.AddPage(big, FILE_TIF);
        if (rc == SUCCESS)
            rc = writer.Commit();
        EXPECT_EQ(rc, ERROR_FILE_WRITE);
        EXPECT_EQ(writer.ErrorText(), tooLarge);
        EXPECT_EQ(GetLastImagingIoError(), tooLarge);
        // A file that failed halfway is never completed.
        EXPECT_EQ(writer.AddPage(MakePattern(4, 4, 1), FILE_TIF), ERROR_FILE_WRITE);
        EXPECT_EQ(writer.Commit(), ERROR_FILE_WRITE);

        // The whole-file writer says the same.
        QString cause;
        const QByteArray bytes(100 * 1024, 'x');
        EXPECT_EQ(brellin::imaging::WriteFileSafely(path, bytes, &cause), ERROR_FILE_WRITE);
        EXPECT_EQ(cause, tooLarge);
        EXPECT_EQ(GetLastImagingIoError(), tooLarge);
    }
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(FilesIn(dir), QStringList{QStringLiteral("full.tif")});

    LTiffPageWriter nowhere;
    EXPECT_EQ(nowhere.Open(dir + QStringLiteral("/no/such/folder/x.tif")), ERROR_FILE_WRITE);
    EXPECT_EQ(nowhere.ErrorText(), qt_error_string(ENOENT));
}

} // namespace
