// Memory that cannot be had: a bitmap never ends up without its image while its operation
// reports success, a multi-page load holds all its pages or none, and what an image file's pages
// take together is held to a budget before the first page is decoded.

#include "ImagingTestUtil.h"
#include "TestSupport.h"

#include "platform/imaging/Codecs.h"

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::int64_t AddressSpaceInUse() {
    long long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    return pages * sysconf(_SC_PAGESIZE);
}

// While it lives, the process may take only `room` more bytes of address space, as under
// `ulimit -v`.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(std::int64_t room) {
        getrlimit(RLIMIT_AS, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = rlim_t(AddressSpaceInUse() + room);
        setrlimit(RLIMIT_AS, &lower);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_old); }

private:
    rlimit m_old{};
};

class BudgetSetting {
public:
    explicit BudgetSetting(std::int64_t bytes) { SetMaxTotalBitmapBytes(bytes); }
    ~BudgetSetting() { SetMaxTotalBitmapBytes(0); }
};

// A fax file of `count` blank pages of w x h: a few hundred bytes a page.
QByteArray BlankFax(int w, int h, int count) {
    LBitmapBase blank;
    EXPECT_EQ(blank.Create(w, h, 1, {qRgb(255, 255, 255), qRgb(0, 0, 0)}), SUCCESS);
    const std::vector<const LBitmapBase*> pages(std::size_t(count), &blank);
    QByteArray out;
    EXPECT_EQ(brellin::imaging::EncodeTiff(pages, FILE_CCITT_GROUP4, out, nullptr, {}), SUCCESS);
    return out;
}

TEST(Memory, SetImageFailsCleanlyAndCopiesOnlyWhatMustChange) {
    // 64 MB of indexed pixels without a colour table, still held by the caller: the bitmap must
    // give it the default table, which on a shared image means a copy.
    QImage bare(8192, 8192, QImage::Format_Indexed8);
    ASSERT_FALSE(bare.isNull());
    bare.setColorTable({});
    QImage grey(8192, 8192, QImage::Format_Indexed8);
    ASSERT_FALSE(grey.isNull());
    grey.setColorTable(brellin::imaging::GreyPalette(256));
    LBitmapBase bitmap;
    ASSERT_EQ(bitmap.Create(4, 3, 8), SUCCESS);
    {
        AddressSpaceLimit limit(16 << 20);
        EXPECT_EQ(bitmap.SetImage(bare), ERROR_NO_MEMORY);
        EXPECT_EQ(bitmap.GetWidth(), 4); // unchanged
        EXPECT_EQ(bitmap.GetBitsPerPixel(), 8);

        // A table that stays as it is costs nothing: the pixels are shared, not copied.
        ASSERT_EQ(bitmap.SetImage(grey), SUCCESS);
        EXPECT_EQ(bitmap.GetImage().constBits(), grey.constBits());
        // An image handed over is taken as it is, even where its table must be set.
        const uchar* bits = bare.constBits();
        ASSERT_EQ(bitmap.SetImage(std::move(bare)), SUCCESS);
        EXPECT_EQ(bitmap.GetImage().constBits(), bits);
        EXPECT_EQ(bitmap.GetPalette(), brellin::imaging::GreyPalette(256));

        // Changing shared pixels in place needs a copy of them: refused, the copy kept whole.
        LBitmapBase shared(bitmap);
        EXPECT_EQ(shared.Flip(), ERROR_NO_MEMORY);
        EXPECT_EQ(shared.Invert(), ERROR_NO_MEMORY);
        EXPECT_EQ(shared.Fill(RGB(0, 0, 0)), ERROR_NO_MEMORY);
        EXPECT_EQ(shared.Rotate(18000, 0, 0), ERROR_NO_MEMORY);
        EXPECT_EQ(shared.GetImage().constBits(), bits);
        LBitmapBase copy;
        EXPECT_EQ(copy.Copy(bitmap), ERROR_NO_MEMORY);
        EXPECT_FALSE(copy.IsAllocated());
    }
}

TEST(Memory, AMultiPageLoadHoldsEveryPageOrFails) {
    // 40 blank pages of 8 MB each where only about 64 MB can be had. Every page is allocated
    // before it is decoded, so the load fails at the first page that does not fit, and nothing
    // of it stays.
    const QByteArray file = BlankFax(8192, 8192, 40);
    const LBuffer buffer(file);
    LMemoryFile memory;
    LBitmapList pages;
    {
        BudgetSetting unlimited(std::int64_t(1) << 40);
        AddressSpaceLimit limit(64 << 20);
        EXPECT_EQ(memory.LoadBitmapList(buffer, pages), ERROR_NO_MEMORY);
    }
    EXPECT_EQ(pages.GetItemsCount(), 0);
    {
        // The budget that the limit leaves refuses the file before any page is decoded.
        AddressSpaceLimit limit(64 << 20);
        int calls = 0;
        EXPECT_EQ(memory.LoadBitmapList(buffer, pages, [&](int) { return ++calls, SUCCESS; }),
                  ERROR_IMAGE_TOO_LARGE);
        EXPECT_EQ(calls, 0);
    }
    EXPECT_EQ(pages.GetItemsCount(), 0);
}

TEST(Memory, AllPagesOfAFileAreHeldToOneBudget) {
    // 40 pages of 2000 x 2000 at 1 bit take about 500 KB each once decoded: 20 MB for a file of
    // a few kilobytes.
    const QByteArray file = BlankFax(2000, 2000, 40);
    ASSERT_LT(file.size(), 40 * 1024);
    const std::int64_t need = 40 * brellin::imaging::BitmapBytes(2000, 2000, 1);
    const LBuffer buffer(file);
    LMemoryFile memory;
    LBitmapList pages;
    {
        BudgetSetting budget(need - 1);
        EXPECT_EQ(memory.LoadBitmapList(buffer, pages), ERROR_IMAGE_TOO_LARGE);
        EXPECT_EQ(pages.GetItemsCount(), 0);
        // One page at a time is no multi-page load.
        LBitmapBase one;
        LMemoryFile single(&one);
        EXPECT_EQ(single.LoadMemory(buffer, 0, 40), SUCCESS);
    }
    BudgetSetting budget(need);
    ASSERT_EQ(memory.LoadBitmapList(buffer, pages), SUCCESS);
    EXPECT_EQ(pages.GetItemsCount(), 40);
    EXPECT_EQ(GetMaxTotalBitmapBytes(), need);
    SetMaxTotalBitmapBytes(0);
    // Unless set, never more than sixteen of the largest bitmaps.
    EXPECT_LE(GetMaxTotalBitmapBytes(), 16 * GetMaxBitmapBytes());
    EXPECT_GT(GetMaxTotalBitmapBytes(), 0);
}

} // namespace
