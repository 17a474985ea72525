// The erase list: what erasing and restoring record, the region they leave, and the record bytes.

#include "document/EraseList.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {
QByteArray Store(const CEraseList& list, int page) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    const_cast<CEraseList&>(list).Serialize(ar, page);
    ar.Flush();
    return buffer.data();
}

QByteArray Ints(std::initializer_list<std::int32_t> values) {
    QByteArray b;
    for (std::int32_t v : values)
        for (int i = 0; i < 4; ++i)
            b.append(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
    return b;
}

// Loads the part after L and the page index; `message` receives the refusal's text.
bool Load(CEraseList& list, const QByteArray& bytes, QString* message = nullptr) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    try {
        list.Serialize(ar, 0);
        return true;
    } catch (const CArchiveException& e) {
        if (message)
            *message = e.Describe();
        return false;
    }
}
} // namespace

TEST(EraseList, ErasingInsideTheErasedAreaAddsNoRecord) {
    CEraseList list;
    EXPECT_TRUE(list.AddErased(RECT{10, 10, 50, 50}));
    EXPECT_FALSE(list.AddErased(RECT{20, 20, 30, 30}));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.AddErased(RECT{40, 40, 60, 60})) << "partly outside widens the area";
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_TRUE(list.GetRegion().contains(QPoint(55, 55)));
    // Inside the union of two records, though in neither alone.
    EXPECT_FALSE(list.AddErased(RECT{30, 45, 55, 50}));
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(EraseList, FirstRecordIsKeptEvenWhenItAddsNothing) {
    CEraseList list;
    EXPECT_TRUE(list.AddErased(RECT{5, 5, 5, 9})) << "an empty rectangle as the first record";
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.GetRegion().isEmpty());
}

TEST(EraseList, RestoringOutsideAddsNothingAndRestoringAllEmptiesTheList) {
    CEraseList list;
    list.AddErased(RECT{0, 0, 100, 100});
    EXPECT_FALSE(list.AddUnerased(RECT{200, 200, 300, 300}));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.AddUnerased(RECT{40, 40, 60, 60}));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_FALSE(list.GetRegion().contains(QPoint(50, 50)));
    EXPECT_TRUE(list.GetRegion().contains(QPoint(30, 50)));
    // Erasing inside the restored hole widens the area again.
    EXPECT_TRUE(list.AddErased(RECT{45, 45, 55, 55}));
    EXPECT_TRUE(list.AddUnerased(RECT{-10, -10, 110, 110}));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(list.GetRegion().isEmpty());
    EXPECT_FALSE(list.AddUnerased(RECT{0, 0, 10, 10}));
}

TEST(EraseList, InvertedAndHugeRectanglesAreSafe) {
    CEraseList list;
    EXPECT_TRUE(list.AddErased(RECT{50, 50, 10, 10}));
    EXPECT_TRUE(list.GetRegion().contains(QPoint(20, 20))) << "taken as normalised";
    EXPECT_EQ(list.GetRects()[0], (_ERASERECT{50, 50, 10, 10, 0})) << "stored as given";
    EXPECT_TRUE(list.AddErased(RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
    EXPECT_TRUE(list.GetRegion().contains(QPoint(1000000, -1000000)));
}

TEST(EraseList, RecordBytesAndReplayRebuildTheRegion) {
    CEraseList list;
    list.AddErased(RECT{0, 0, 100, 100});
    list.AddUnerased(RECT{10, 20, 30, 40});
    const QByteArray bytes = Store(list, 2);
    EXPECT_EQ(bytes, Ints({48, 2, 2, 0, 0, 100, 100, 0, 10, 20, 30, 40, 1}));

    CEraseList read;
    read.AddErased(RECT{500, 500, 600, 600});
    ASSERT_TRUE(Load(read, bytes.mid(8)));
    EXPECT_EQ(read.GetRects(), list.GetRects());
    EXPECT_EQ(read.GetRegion(), list.GetRegion());
    EXPECT_FALSE(read.GetRegion().contains(QPoint(550, 550))) << "the old list is replaced";

    // Restored areas over an empty region stay in the list as they were stored.
    ASSERT_TRUE(Load(read, Ints({1, 0, 0, 5, 5, 1})));
    EXPECT_EQ(read.GetCount(), 1);
    EXPECT_TRUE(read.GetRegion().isEmpty());
}

TEST(EraseList, CountsTheBytesCannotHoldAreRefusedBeforeReading) {
    CEraseList list;
    list.AddErased(RECT{1, 2, 3, 4});
    EXPECT_FALSE(Load(list, Ints({3, 0, 0, 1, 1, 0})));
    EXPECT_FALSE(Load(list, Ints({-1})));
    EXPECT_FALSE(Load(list, Ints({0x7FFFFFFF, 1, 2})));
    EXPECT_EQ(list.GetCount(), 1) << "a refused record leaves the list as it was";
    ASSERT_TRUE(Load(list, Ints({0})));
    EXPECT_TRUE(list.IsEmpty());
}

TEST(EraseList, ListTooCostlyToRebuildIsRefusedAndTheOldOneKept) {
    CEraseList list;
    list.AddErased(RECT{1, 2, 3, 4});
    // Scattered squares, erased and restored in turn: every record reshapes a large region.
    std::vector<std::int32_t> v{20000};
    for (int i = 0; i < 20000; ++i) {
        const int x = (i * 37) % 2400, y = (i * 53) % 3400;
        v.insert(v.end(), {x, y, x + 30, y + 30, i % 2});
    }
    QByteArray bytes;
    for (std::int32_t x : v)
        bytes += Ints({x});
    QString message;
    EXPECT_FALSE(Load(list, bytes, &message));
    EXPECT_FALSE(message.isEmpty());
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.GetRegion().contains(QPoint(1, 2)));
}
