// The erase list: what erasing and restoring record, the region they leave, and the record bytes.

#include "document/EraseList.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <cmath>
#include <random>

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

QByteArray Records(const std::vector<_ERASERECT>& list) {
    QByteArray b = Ints({std::int32_t(list.size())});
    for (const _ERASERECT& e : list)
        b += Ints({e.left, e.top, e.right, e.bottom, e.nRestore});
    return b;
}

// The region as the list's rules give it: one region operation per record, in list order.
QRegion ReplayByRegion(const std::vector<_ERASERECT>& list) {
    QRegion region;
    for (const _ERASERECT& e : list) {
        const QRect r = CEraseList::ToQRect(RECT{e.left, e.top, e.right, e.bottom});
        region = e.nRestore ? region.subtracted(r) : region.united(r);
    }
    return region;
}

bool SameArea(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

// Rectangles over a small area so that they overlap a lot; some inverted, empty or huge.
std::vector<_ERASERECT> RandomList(std::mt19937& rng, int count) {
    std::uniform_int_distribution<int> pos(-20, 80), size(-12, 40), pct(0, 99);
    std::vector<_ERASERECT> list;
    bool restore = false;
    for (int i = 0; i < count; ++i) {
        if (pct(rng) < 40)
            restore = !restore;
        const int x = pos(rng), y = pos(rng);
        _ERASERECT e{x, y, x + size(rng), y + size(rng), restore ? 1 : 0};
        const int odd = pct(rng);
        if (odd < 4)
            e.right = e.left;
        else if (odd < 6)
            e = _ERASERECT{INT32_MIN, y, INT32_MAX, y + 3, e.nRestore};
        list.push_back(e);
    }
    return list;
}

// An eraser stroke of 20-pixel squares stepping a few pixels along a curve, erased and restored
// in turn, within 0..2400 x 0..3400.
std::vector<_ERASERECT> AlternatingStroke(int count) {
    std::vector<_ERASERECT> list;
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.0007;
        const int x = int(1190 + 1100 * std::sin(t * 7.3)), y = int(1690 + 1650 * std::sin(t * 1.1));
        list.push_back(_ERASERECT{x, y, x + 20, y + 20, i % 2});
    }
    return list;
}

// Which pixels of the area are erased, painted record after record: a point ends as the last
// record over it left it.
std::vector<char> Painted(const std::vector<_ERASERECT>& list, int w, int h) {
    std::vector<char> px(size_t(w) * size_t(h), 0);
    for (const _ERASERECT& e : list)
        for (int y = e.top; y < e.bottom; ++y)
            std::fill_n(px.begin() + std::ptrdiff_t(y) * w + e.left, e.right - e.left,
                        char(e.nRestore == 0));
    return px;
}

std::vector<char> Painted(const QRegion& region, int w, int h) {
    std::vector<char> px(size_t(w) * size_t(h), 0);
    for (const QRect& r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill_n(px.begin() + std::ptrdiff_t(y) * w + r.left(), r.width(), char(1));
    return px;
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

TEST(EraseList, ReplayGivesTheRecordsAppliedInOrder) {
    std::mt19937 rng(7);
    for (int n = 0; n < 400; ++n) {
        const std::vector<_ERASERECT> list = RandomList(rng, 1 + n % 150);
        CEraseList read;
        ASSERT_TRUE(Load(read, Records(list)));
        ASSERT_EQ(read.GetRects(), list);
        ASSERT_TRUE(SameArea(read.GetRegion(), ReplayByRegion(list))) << "list " << n;
    }
}

TEST(EraseList, StepsFollowTheRulesAndReadBackTheSame) {
    std::mt19937 rng(11);
    for (int n = 0; n < 60; ++n) {
        CEraseList list;
        QRegion model;
        int count = 0;
        for (const _ERASERECT& e : RandomList(rng, 200)) {
            const RECT rc{e.left, e.top, e.right, e.bottom};
            const QRect r = CEraseList::ToQRect(rc);
            if (e.nRestore == 0) {
                const bool covered = !r.isEmpty() && (QRegion(r) - model).isEmpty();
                if (!covered)
                    model += r;
                const bool added = !covered || count == 0;
                ASSERT_EQ(bool(list.AddErased(rc)), added);
                count += added ? 1 : 0;
            } else {
                const bool touched = !r.isEmpty() && model.intersects(r);
                ASSERT_EQ(bool(list.AddUnerased(rc)), touched);
                model -= r;
                count = !touched ? count : model.isEmpty() ? 0 : count + 1;
            }
            ASSERT_EQ(list.GetCount(), count);
            ASSERT_TRUE(SameArea(list.GetRegion(), model));
        }
        // Replaying what was recorded gives the very same region.
        CEraseList read;
        ASSERT_TRUE(Load(read, Store(list, 0).mid(8)));
        EXPECT_EQ(read.GetRegion(), list.GetRegion());
    }
}

TEST(EraseList, LongAlternatingStrokeIsReadAndStepsGoOn) {
    std::vector<_ERASERECT> stroke = AlternatingStroke(30000);
    CEraseList list;
    ASSERT_TRUE(Load(list, Records(stroke)));
    EXPECT_EQ(list.GetCount(), 30000);
    const int w = 2400, h = 3400;
    EXPECT_TRUE(Painted(list.GetRegion(), w, h) == Painted(stroke, w, h));
    // The eraser goes on from where the stroke ended.
    const _ERASERECT last = stroke.back();
    EXPECT_TRUE(list.AddErased(RECT{last.left, last.top, last.right, last.bottom}));
    EXPECT_TRUE(list.AddUnerased(RECT{last.left + 5, last.top + 5, last.right, last.bottom}));
    stroke.push_back(_ERASERECT{last.left, last.top, last.right, last.bottom, 0});
    stroke.push_back(_ERASERECT{last.left + 5, last.top + 5, last.right, last.bottom, 1});
    EXPECT_TRUE(Painted(list.GetRegion(), w, h) == Painted(stroke, w, h));
}

TEST(EraseList, ListFarBeyondAnyEraserIsRefusedAndTheOldOneKept) {
    CEraseList list;
    list.AddErased(RECT{1, 2, 3, 4});
    // Thin rows, then page-high columns across all of them: a region of rows times columns.
    std::vector<_ERASERECT> v;
    for (int i = 0; i < 30000; ++i)
        v.push_back(_ERASERECT{0, 2 * i, 100000, 2 * i + 1, 0});
    for (int i = 0; i < 3000; ++i)
        v.push_back(_ERASERECT{3 * i, 0, 3 * i + 1, 60000, 1});
    QString message;
    EXPECT_FALSE(Load(list, Records(v), &message));
    EXPECT_FALSE(message.isEmpty());
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.GetRegion().contains(QPoint(1, 2)));
}
