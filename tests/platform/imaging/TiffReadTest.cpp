// TIFF files read from disk: uncompressed rows go straight from the file into the page, strip
// runs at a time, and must come out as the same pages as the same bytes read from memory,
// whatever the order and spacing of the strips; strips the file does not hold fail the load.

#include "ImagingTestUtil.h"
#include "TestSupport.h"

#include <QFile>

namespace {

void Le16(QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void Le32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// A 24-bit w x h TIFF in strips of `rowsPerStrip` rows, each strip's pixel (x, y) (x, y, x + y)
// and the strips stored in `order`, `gap` bytes apart; `claim` bytes more than each strip holds
// in its byte count, and the file cut `cut` bytes short.
QByteArray StripTiff(int w, int h, int rowsPerStrip, const std::vector<int>& order, int gap = 0,
                     int cut = 0) {
    const int strips = (h + rowsPerStrip - 1) / rowsPerStrip;
    const int entries = 10;
    const quint32 arrays = 8 + 2 + entries * 12 + 4; // offsets then byte counts
    quint32 data = arrays + 8 * quint32(strips);
    std::vector<quint32> offsets(static_cast<std::size_t>(strips)), counts(offsets.size());
    QByteArray pixels;
    for (int s : order) {
        const int rows = std::min(rowsPerStrip, h - s * rowsPerStrip);
        pixels.append(QByteArray(gap, char(0xEE)));
        offsets[std::size_t(s)] = data + quint32(pixels.size());
        counts[std::size_t(s)] = quint32(rows * w * 3);
        for (int y = s * rowsPerStrip; y < s * rowsPerStrip + rows; ++y)
            for (int x = 0; x < w; ++x)
                pixels.append(char(x)).append(char(y)).append(char(x + y));
    }
    QByteArray b("II*\0", 4);
    Le32(b, 8);
    Le16(b, entries);
    auto entry = [&b](quint16 tag, quint16 type, quint32 count, quint32 value) {
        Le16(b, tag);
        Le16(b, type);
        Le32(b, count);
        if (type == 3 && count == 1) {
            Le16(b, quint16(value));
            Le16(b, 0);
        } else {
            Le32(b, value);
        }
    };
    entry(256, 4, 1, quint32(w));
    entry(257, 4, 1, quint32(h));
    entry(258, 3, 1, 8);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 2);
    entry(273, 4, quint32(strips), strips == 1 ? offsets[0] : arrays);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, quint32(rowsPerStrip));
    entry(279, 4, quint32(strips), strips == 1 ? counts[0] : arrays + 4 * quint32(strips));
    entry(284, 3, 1, 1);
    Le32(b, 0);
    for (quint32 o : offsets)
        Le32(b, o);
    for (quint32 c : counts)
        Le32(b, c);
    b.append(pixels);
    b.chop(cut);
    return b;
}

QString WriteTemp(const QByteArray& bytes, const char* name) {
    const QString path = TestTempDir() + QLatin1Char('/') + QLatin1String(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

int LoadFromDisk(const QByteArray& bytes, LBitmapBase& out) {
    LFile file(&out);
    file.SetFileName(WriteTemp(bytes, "strips.tif"));
    return file.LoadFile();
}

TEST(TiffFromDisk, StripsInAnyOrderAndSpacingGiveTheSamePage) {
    LBitmapBase inOrder;
    ASSERT_EQ(LoadFromDisk(StripTiff(40, 50, 7, {0, 1, 2, 3, 4, 5, 6, 7}), inOrder), SUCCESS);
    for (int y : {0, 6, 7, 49})
        for (int x : {0, 39})
            EXPECT_EQ(inOrder.GetPixelColor(x, y), RGB(x, y, x + y)) << x << "," << y;
    const std::vector<int> shuffled = {3, 0, 7, 1, 6, 2, 5, 4};
    for (int gap : {0, 5}) {
        const QByteArray bytes = StripTiff(40, 50, 7, shuffled, gap);
        LBitmapBase fromDisk, fromMemory;
        ASSERT_EQ(LoadFromDisk(bytes, fromDisk), SUCCESS) << gap;
        LMemoryFile memory(&fromMemory);
        ASSERT_EQ(memory.LoadMemory(LBuffer(bytes)), SUCCESS);
        ExpectSamePixels(inOrder, fromDisk);
        ExpectSamePixels(inOrder, fromMemory);
    }
}

TEST(TiffFromDisk, StripsTheFileDoesNotHoldFailTheLoad) {
    LBitmapBase out;
    // The last strip cut short, and cut off entirely.
    EXPECT_EQ(LoadFromDisk(StripTiff(40, 50, 7, {0, 1, 2, 3, 4, 5, 6, 7}, 0, 10), out),
              ERROR_CORRUPT);
    EXPECT_EQ(LoadFromDisk(StripTiff(40, 50, 7, {7, 0, 1, 2, 3, 4, 5, 6}, 0, 40 * 21 * 3), out),
              ERROR_CORRUPT);
    EXPECT_FALSE(out.IsAllocated());
}

TEST(TiffFromDisk, PagesReadFromDiskEqualThoseReadFromMemory) {
    // Widths whose rows are not whole 32-bit words at 1 and 8 bits take libtiff's own row
    // reader; colour and wide grey rows are read straight from the file.
    LBitmapList pages;
    pages.InsertItem(MakePattern(517, 333, 24, 300));
    pages.InsertItem(MakePattern(101, 90, 1, 200));
    pages.InsertItem(MakePattern(203, 77, 8, 150));
    pages.InsertItem(MakePattern(256, 40, 8, 150));
    pages.InsertItem(MakePattern(66, 31, 4, 100));
    QByteArray bytes;
    ASSERT_EQ(brellin::imaging::EncodeAllPages(pages, FILE_TIF, 0, 0, bytes, {}), SUCCESS);
    LFile file;
    file.SetFileName(WriteTemp(bytes, "pages.tif"));
    LBitmapList fromDisk, fromMemory;
    std::vector<int> percents;
    ASSERT_EQ(file.LoadBitmapList(fromDisk, [&](int p) { return percents.push_back(p), SUCCESS; }),
              SUCCESS);
    ASSERT_EQ(LMemoryFile().LoadBitmapList(LBuffer(bytes), fromMemory), SUCCESS);
    ASSERT_EQ(fromDisk.GetItemsCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(fromDisk.Item(i)->GetBitsPerPixel(), pages.Item(i)->GetBitsPerPixel());
        EXPECT_EQ(fromDisk.Item(i)->GetXResolution(), pages.Item(i)->GetXResolution());
        ExpectSamePixels(*pages.Item(i), *fromDisk.Item(i));
        ExpectSamePixels(*fromMemory.Item(i), *fromDisk.Item(i));
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    FILEINFO info;
    ASSERT_EQ(file.GetInfo(info), SUCCESS);
    EXPECT_EQ(info.Format, FILE_TIF);
    EXPECT_EQ(info.TotalPages, 5);
    EXPECT_EQ(info.Width, 517);

    // The user's cancel stops the load in the first page's rows, and no page is kept.
    LBitmapList cancelled;
    int calls = 0;
    const ImagingProgress cancelOnThird = [&](int) {
        return ++calls < 3 ? SUCCESS : ERROR_USER_ABORT;
    };
    EXPECT_EQ(file.LoadBitmapList(cancelled, cancelOnThird), ERROR_USER_ABORT);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(cancelled.GetItemsCount(), 0);
}

} // namespace
