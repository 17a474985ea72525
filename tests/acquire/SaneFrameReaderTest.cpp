// The frames of a scanned page read from made-up devices: announcements that must be refused
// before anything is read, frames that end short or run long, the three passes of a three-pass
// scanner, black and white, 16-bit samples, a page of unknown height, the SANE statuses, and
// the batch command's arguments.

#include "acquire/SaneFrameReader.h"
#include "acquire/SaneScanner.h"
#include "acquire/ScanBatch.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

SANE_Parameters Params(SANE_Frame format, int depth, int pixels, int lines, int bytesPerLine = -1,
                       bool last = true) {
    const int samples = format == SANE_FRAME_RGB ? 3 : 1;
    SANE_Parameters p{};
    p.format = format;
    p.depth = depth;
    p.pixels_per_line = pixels;
    p.lines = lines;
    p.bytes_per_line = bytesPerLine >= 0 ? bytesPerLine : (pixels * samples * depth + 7) / 8;
    p.last_frame = last ? SANE_TRUE : SANE_FALSE;
    return p;
}

struct FakeFrame {
    SANE_Parameters params;
    QByteArray data;
    SANE_Status end = SANE_STATUS_EOF; // what sane_read answers once the data is out
    SANE_Status start = SANE_STATUS_GOOD;
};

// A device that sends its frames in reads of at most `chunk` bytes.
class CFakeDevice {
public:
    explicit CFakeDevice(std::vector<FakeFrame> frames, int chunk = 1 << 20)
        : m_frames(std::move(frames)), m_chunk(chunk) {}

    int Read(LBitmapBase& page, const CSaneFrameReader::Progress& progress = {}) {
        CSaneFrameReader reader(
            [this](SANE_Parameters& p) {
                if (m_next >= m_frames.size()) return SANE_STATUS_NO_DOCS;
                const FakeFrame& f = m_frames[m_next++];
                m_pos = 0;
                p = f.params;
                return f.start;
            },
            [this](SANE_Byte* data, SANE_Int max, SANE_Int* length) {
                ++reads;
                const FakeFrame& f = m_frames[m_next - 1];
                *length = 0;
                if (m_pos >= f.data.size()) return f.end;
                const int n = int(std::min<qsizetype>({qsizetype(m_chunk), qsizetype(max), f.data.size() - m_pos}));
                std::memcpy(data, f.data.constData() + m_pos, std::size_t(n));
                m_pos += n;
                *length = n;
                return SANE_STATUS_GOOD;
            });
        const int rc = reader.ReadPage(page, 150, 300, progress);
        error = reader.ErrorText();
        status = reader.Status();
        return rc;
    }

    int reads = 0;
    QString error;
    SANE_Status status = SANE_STATUS_GOOD;

private:
    std::vector<FakeFrame> m_frames;
    std::size_t m_next = 0;
    qsizetype m_pos = 0;
    int m_chunk;
};

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b.append(char(v));
    return b;
}

// The messages are the resource module's texts.
class SaneFrameReader : public testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") + QStringLiteral("/Brellin.eng"));
    }
    void SetUp() override { ASSERT_TRUE(IsResourceModuleLoaded()); }
};

struct BadAnnouncement {
    const char* what;
    SANE_Parameters params;
    int rc;
};

TEST_F(SaneFrameReader, AnnouncementsThatCannotBeReadAreRefusedBeforeAnyData) {
    const BadAnnouncement cases[] = {
        {"no pixels", Params(SANE_FRAME_GRAY, 8, 0, 10), ERROR_INV_PARAMETER},
        {"negative pixels", Params(SANE_FRAME_GRAY, 8, -5, 10, 10), ERROR_INV_PARAMETER},
        {"no lines", Params(SANE_FRAME_GRAY, 8, 10, 0), ERROR_INV_PARAMETER},
        {"lines below unknown", Params(SANE_FRAME_GRAY, 8, 10, -2), ERROR_INV_PARAMETER},
        {"too wide", Params(SANE_FRAME_GRAY, 8, 100001, 10), ERROR_IMAGE_TOO_LARGE},
        {"too long", Params(SANE_FRAME_GRAY, 1, 100, 100001), ERROR_IMAGE_TOO_LARGE},
        {"line too short", Params(SANE_FRAME_GRAY, 8, 100, 10, 99), ERROR_INV_PARAMETER},
        {"colour line of grey length", Params(SANE_FRAME_RGB, 8, 100, 10, 100), ERROR_INV_PARAMETER},
        {"16-bit line of 8-bit length", Params(SANE_FRAME_GRAY, 16, 100, 10, 100), ERROR_INV_PARAMETER},
        {"line far too long", Params(SANE_FRAME_GRAY, 8, 100, 10, 5000), ERROR_INV_PARAMETER},
        {"more than 2^31 bytes", Params(SANE_FRAME_RGB, 16, 100000, 4000), ERROR_IMAGE_TOO_LARGE},
        {"4-bit samples", Params(SANE_FRAME_GRAY, 4, 100, 10), ERROR_UNSUPPORTED},
        {"24-bit samples", Params(SANE_FRAME_GRAY, 24, 100, 10), ERROR_UNSUPPORTED},
        {"unknown frame", Params(SANE_Frame(11), 8, 100, 10), ERROR_UNSUPPORTED},
    };
    for (const BadAnnouncement& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeDevice device({{c.params, QByteArray(64, '\0')}});
        LBitmapBase page;
        page.Create(4, 4, 24);
        EXPECT_EQ(device.Read(page), c.rc);
        EXPECT_FALSE(page.IsAllocated());
        EXPECT_EQ(device.reads, 0);
        EXPECT_FALSE(device.error.isEmpty());
    }
}

TEST_F(SaneFrameReader, FramesThatEndShortOrRunLongLeaveNoPage) {
    const QByteArray five(50, '\x40');
    struct Case {
        const char* what;
        QByteArray data;
        const char* says;
    } cases[] = {
        {"four of five lines", five.left(40), "after 4 of its 5 lines"},
        {"half a line short", five.left(45), "after 4 of its 5 lines"},
        {"nothing at all", QByteArray(), "after 0 of its 5 lines"},
        {"a line too many", five + QByteArray(10, '\0'), "more lines than the 5"},
        {"half a line too many", five + QByteArray(3, '\0'), "more lines than the 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeDevice device({{Params(SANE_FRAME_GRAY, 8, 10, 5), c.data}}, 7);
        LBitmapBase page;
        EXPECT_EQ(device.Read(page), ERROR_CORRUPT);
        EXPECT_FALSE(page.IsAllocated());
        EXPECT_TRUE(device.error.contains(QLatin1String(c.says))) << qPrintable(device.error);
    }
}

TEST_F(SaneFrameReader, ThreePassesMakeOneColourPage) {
    // 2 x 2 pixels; the passes arrive green, blue, red.
    const QByteArray red = Bytes({10, 11, 12, 13}), green = Bytes({20, 21, 22, 23}),
                     blue = Bytes({30, 31, 32, 33});
    CFakeDevice device({{Params(SANE_FRAME_GREEN, 8, 2, 2, -1, false), green},
                        {Params(SANE_FRAME_BLUE, 8, 2, 2, -1, false), blue},
                        {Params(SANE_FRAME_RED, 8, 2, 2, -1, true), red}},
                       3);
    LBitmapBase page;
    std::vector<int> seen;
    ASSERT_EQ(device.Read(page, [&](int percent) { seen.push_back(percent); return true; }), SUCCESS);
    EXPECT_EQ(page.GetBitsPerPixel(), 24);
    EXPECT_EQ(page.GetXResolution(), 150);
    EXPECT_EQ(page.GetYResolution(), 300);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(page.GetPixelColor(i % 2, i / 2), RGB(10 + i, 20 + i, 30 + i)) << i;
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);

    // Passes that are not the three colours of one page.
    struct Case {
        const char* what;
        std::vector<FakeFrame> frames;
    } bad[] = {
        {"a colour twice",
         {{Params(SANE_FRAME_RED, 8, 2, 2, -1, false), red}, {Params(SANE_FRAME_RED, 8, 2, 2), red}}},
        {"a colour missing",
         {{Params(SANE_FRAME_RED, 8, 2, 2, -1, false), red}, {Params(SANE_FRAME_BLUE, 8, 2, 2), blue}}},
        {"another width",
         {{Params(SANE_FRAME_RED, 8, 2, 2, -1, false), red},
          {Params(SANE_FRAME_GREEN, 8, 4, 1, -1, false), green}}},
        {"another height",
         {{Params(SANE_FRAME_RED, 8, 2, 2, -1, false), red},
          {Params(SANE_FRAME_GREEN, 8, 2, 1, -1, false), green.left(2)}}},
        {"grey after a colour",
         {{Params(SANE_FRAME_RED, 8, 2, 2, -1, false), red}, {Params(SANE_FRAME_GRAY, 8, 2, 2), red}}},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.what);
        CFakeDevice wrong(c.frames);
        LBitmapBase out;
        EXPECT_EQ(wrong.Read(out), ERROR_CORRUPT);
        EXPECT_FALSE(out.IsAllocated());
    }
    // A grey frame that says more frames follow is no page the reader knows.
    CFakeDevice more({{Params(SANE_FRAME_GRAY, 8, 2, 2, -1, false), red}});
    LBitmapBase out;
    EXPECT_EQ(more.Read(out), ERROR_UNSUPPORTED);
}

TEST_F(SaneFrameReader, BlackAndWhiteStaysOneBitWithSetBitsBlack) {
    // 10 pixels a line in 2 bytes, and 3 wasted bytes at each line's end.
    const QByteArray lines = Bytes({0b10000000, 0b01000000, 0xAA, 0xAA, 0xAA,  //
                                    0b01111111, 0b10000000, 0xAA, 0xAA, 0xAA});
    CFakeDevice device({{Params(SANE_FRAME_GRAY, 1, 10, 2, 5), lines}}, 4);
    LBitmapBase page;
    ASSERT_EQ(device.Read(page), SUCCESS);
    EXPECT_EQ(page.GetBitsPerPixel(), 1);
    EXPECT_EQ(page.GetWidth(), 10);
    EXPECT_EQ(page.GetHeight(), 2);
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    const char* expected[2] = {"#........#", ".########."};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(page.GetPixelColor(x, y), expected[y][x] == '#' ? black : white) << x << "," << y;

    // Colour at one bit: a set bit is the whole of its colour.
    CFakeDevice colour({{Params(SANE_FRAME_RGB, 1, 2, 1), Bytes({0b10001100})}});
    ASSERT_EQ(colour.Read(page), SUCCESS);
    EXPECT_EQ(page.GetBitsPerPixel(), 24);
    EXPECT_EQ(page.GetPixelColor(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(page.GetPixelColor(1, 0), RGB(0, 255, 255));
}

TEST_F(SaneFrameReader, SixteenBitSamplesAreCutToEight) {
    const auto samples = [](std::initializer_list<std::uint16_t> values) {
        QByteArray b;
        for (std::uint16_t v : values) b.append(reinterpret_cast<const char*>(&v), 2);
        return b;
    };
    CFakeDevice grey({{Params(SANE_FRAME_GRAY, 16, 3, 1), samples({0x0000, 0x12ff, 0xffff})}}, 3);
    LBitmapBase page;
    ASSERT_EQ(grey.Read(page), SUCCESS);
    EXPECT_EQ(page.GetBitsPerPixel(), 8);
    EXPECT_TRUE(page.IsGrey());
    EXPECT_EQ(page.GetPixelColor(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(page.GetPixelColor(1, 0), RGB(0x12, 0x12, 0x12));
    EXPECT_EQ(page.GetPixelColor(2, 0), RGB(255, 255, 255));

    CFakeDevice colour({{Params(SANE_FRAME_RGB, 16, 1, 2), samples({0x1000, 0x2000, 0x3000, 0xa0ff, 0xb000, 0xc000})}});
    ASSERT_EQ(colour.Read(page), SUCCESS);
    EXPECT_EQ(page.GetPixelColor(0, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(page.GetPixelColor(0, 1), RGB(0xa0, 0xb0, 0xc0));
}

TEST_F(SaneFrameReader, UnknownHeightGrowsWithTheLinesThatCome) {
    // 1000 lines of 3 colour pixels, in reads that split lines anywhere.
    QByteArray data;
    for (int y = 0; y < 1000; ++y)
        for (int i = 0; i < 9; ++i) data.append(char((y + i) & 0xff));
    CFakeDevice device({{Params(SANE_FRAME_RGB, 8, 3, -1), data}}, 5);
    LBitmapBase page;
    std::vector<int> seen;
    ASSERT_EQ(device.Read(page, [&](int percent) { seen.push_back(percent); return true; }), SUCCESS);
    EXPECT_EQ(page.GetWidth(), 3);
    EXPECT_EQ(page.GetHeight(), 1000);
    for (int y : {0, 1, 511, 999})
        EXPECT_EQ(page.GetPixelColor(2, y), RGB((y + 6) & 0xff, (y + 7) & 0xff, (y + 8) & 0xff)) << y;
    // Without a height there is nothing to count towards until the end.
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    // The page stays the layer's own after the reader is gone: it can be changed and copied.
    LBitmapBase copy;
    EXPECT_EQ(copy.Copy(page), SUCCESS);
    EXPECT_EQ(page.Invert(), SUCCESS);
    EXPECT_EQ(copy.GetPixelColor(2, 999), RGB(237, 238, 239));

    // Grey of unknown height: lines that end in the middle, and a page of no lines at all.
    CFakeDevice half({{Params(SANE_FRAME_GRAY, 8, 4, -1), QByteArray(10, '\0')}});
    EXPECT_EQ(half.Read(page), ERROR_CORRUPT);
    EXPECT_FALSE(page.IsAllocated());
    CFakeDevice none({{Params(SANE_FRAME_GRAY, 8, 4, -1), QByteArray()}});
    EXPECT_EQ(none.Read(page), ERROR_CORRUPT);
}

TEST_F(SaneFrameReader, TheNextPageTakesTheLastOnesMemoryUnlessItIsStillInUse) {
    const auto grey = [](char value) {
        return std::vector<FakeFrame>{{Params(SANE_FRAME_GRAY, 8, 40, 30), QByteArray(1200, value)}};
    };
    LBitmapBase page;
    CFakeDevice first(grey('\x10'));
    ASSERT_EQ(first.Read(page), SUCCESS);
    const uchar* memory = page.GetImage().constBits();
    CFakeDevice second(grey('\x20'));
    ASSERT_EQ(second.Read(page), SUCCESS);
    EXPECT_EQ(page.GetImage().constBits(), memory);
    EXPECT_EQ(page.GetPixelColor(39, 29), RGB(0x20, 0x20, 0x20));

    // A page someone else still holds is never written over.
    const LBitmapBase kept(page);
    CFakeDevice third(grey('\x30'));
    ASSERT_EQ(third.Read(page), SUCCESS);
    EXPECT_EQ(kept.GetPixelColor(39, 29), RGB(0x20, 0x20, 0x20));
    EXPECT_EQ(page.GetPixelColor(39, 29), RGB(0x30, 0x30, 0x30));
}

TEST_F(SaneFrameReader, UnknownHeightStopsAtWhatAPageMayHold) {
    const std::int64_t limit = GetMaxBitmapBytes();
    SetMaxBitmapBytes(64 * 1024); // 64 KiB: 1024 lines of 64 grey pixels
    CFakeDevice device({{Params(SANE_FRAME_GRAY, 8, 64, -1), QByteArray(64 * 2000, '\x7f')}});
    LBitmapBase page;
    const int rc = device.Read(page);
    SetMaxBitmapBytes(limit);
    EXPECT_EQ(rc, ERROR_IMAGE_TOO_LARGE);
    EXPECT_FALSE(page.IsAllocated());
    EXPECT_TRUE(device.error.contains(QLatin1String("longer than a page"))) << qPrintable(device.error);
}

TEST_F(SaneFrameReader, StatusesOfTheDeviceAndTheUsersCancel) {
    const SANE_Parameters grey = Params(SANE_FRAME_GRAY, 8, 10, 4);
    LBitmapBase page;

    CFakeDevice empty({{grey, {}, SANE_STATUS_EOF, SANE_STATUS_NO_DOCS}});
    EXPECT_EQ(empty.Read(page), CSaneScanner::SCAN_NO_MORE_PAGES);

    CFakeDevice jammed({{grey, {}, SANE_STATUS_EOF, SANE_STATUS_JAMMED}});
    EXPECT_NE(jammed.Read(page), SUCCESS);
    EXPECT_EQ(jammed.status, SANE_STATUS_JAMMED);
    EXPECT_TRUE(jammed.error.startsWith(QLatin1String("The scan could not start: "))) << qPrintable(jammed.error);

    CFakeDevice broken({{grey, QByteArray(20, '\0'), SANE_STATUS_IO_ERROR}});
    EXPECT_NE(broken.Read(page), SUCCESS);
    EXPECT_EQ(broken.status, SANE_STATUS_IO_ERROR);
    EXPECT_EQ(broken.error, QStringLiteral("The scanner stopped in the middle of a page: %1")
                                .arg(QString::fromLocal8Bit(sane_strstatus(SANE_STATUS_IO_ERROR))));
    EXPECT_FALSE(page.IsAllocated());

    CFakeDevice cancelled({{grey, QByteArray(20, '\0'), SANE_STATUS_CANCELLED}});
    EXPECT_EQ(cancelled.Read(page), ERROR_USER_ABORT);

    // The user's false stops the reading at once.
    CFakeDevice answered({{grey, QByteArray(40, '\0')}}, 10);
    EXPECT_EQ(answered.Read(page, [](int percent) { return percent < 50; }), ERROR_USER_ABORT);
    EXPECT_EQ(answered.reads, 2);
    EXPECT_FALSE(page.IsAllocated());
}

TEST(ScanBatch, Arguments) {
    struct Case {
        QStringList args;
        bool ok;
        int pages;
    } cases[] = {
        {{"out.brf"}, true, 1},
        {{"--device", "test:1", "--source", "adf", "--mode", "lineart", "--resolution", "300",
          "--pages", "all", "out.tif"},
         true, 0},
        {{"--pages", "3", "out.tif", "--mode", "gray"}, true, 3},
        {{}, false, 0},
        {{"a.tif", "b.tif"}, false, 0},
        {{"--mode", "purple", "out.tif"}, false, 0},
        {{"--mode", "Color", "out.tif"}, false, 0},
        {{"--resolution", "0", "out.tif"}, false, 0},
        {{"--resolution", "300dpi", "out.tif"}, false, 0},
        {{"--pages", "0", "out.tif"}, false, 0},
        {{"--pages", "-2", "out.tif"}, false, 0},
        {{"--source", "", "out.tif"}, false, 0},
        {{"out.tif", "--pages"}, false, 0},
        {{"--colour", "x", "out.tif"}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(QLatin1Char(' '))));
        ScanBatchRequest request;
        ScanSettings settings;
        ASSERT_EQ(ParseScanArguments(c.args, request, settings), c.ok);
        if (c.ok) {
            EXPECT_EQ(request.pages, c.pages);
        }
    }
    ScanBatchRequest request;
    ScanSettings settings;
    ASSERT_TRUE(ParseScanArguments({"--device", "test:1", "--source", "adf", "--mode", "lineart",
                                    "--resolution", "300", "out.tif"},
                                   request, settings));
    EXPECT_EQ(request.device, QStringLiteral("test:1"));
    EXPECT_EQ(request.out, QStringLiteral("out.tif"));
    EXPECT_EQ(settings.source, QStringLiteral("adf"));
    EXPECT_EQ(settings.mode, ScanMode::Lineart);
    EXPECT_EQ(settings.resolution, 300);
}

} // namespace
