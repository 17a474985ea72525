// The shelf file byte for byte: what is written against hand-built bytes, read back, and every
// damaged or foreign file refused with a reason and without a crash.

#include "ShelfTestSupport.h"
#include "TestSupport.h"

#include "frame/ShelfFile.h"
#include "objects/TranspImage.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray Le32(std::int32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = char((std::uint32_t(v) >> (8 * i)) & 0xFF);
    return b;
}
QByteArray Head(std::int32_t version = 1) { return QByteArray("TKCOL\0\0\0", 8) + Le32(version); }
QByteArray Item(const QByteArray& block, const QByteArray& label) {
    return Le32(std::int32_t(block.size())) + block + Le32(std::int32_t(label.size() + 1)) + label +
           QByteArray(1, '\0');
}

std::vector<SHELFITEM> TwoItems() {
    return {SHELFITEM{shelftest::PictureBlock(32, 48), {}},
            SHELFITEM{shelftest::PictureBlock(32, 32), QByteArray("arrow")}};
}
QByteArray TwoItemsBytes() {
    return Head() + Item(shelftest::PictureBlock(32, 48), {}) +
           Item(shelftest::PictureBlock(32, 32), "arrow") + Le32(0);
}

bool SameItems(const std::vector<SHELFITEM>& a, const std::vector<SHELFITEM>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].block != b[i].block || a[i].label != b[i].label) return false;
    return true;
}
} // namespace

TEST(ShelfFileTest, PictureBlockOfABitmapHasTheShelfLayout) {
    const QByteArray dib = shelftest::Dib(32, 48);
    const QByteArray expected = Le32(48 + std::int32_t(dib.size())) + Le32(8) +
                                QByteArray("\x01\x00", 2) + QByteArray(6, '\0') +
                                QByteArray("\xF1\x68\xE3\x88\xB5\xF8\xE4\x3E", 8) +
                                QByteArray(16, '\0') + Le32(std::int32_t(dib.size())) + dib +
                                QByteArray(4, '\0');
    EXPECT_EQ(DibToPictureBlock(dib).toHex(), expected.toHex());
}

TEST(ShelfFileTest, WritesAndReadsTheFileByteForByte) {
    EXPECT_EQ(WriteShelfBytes(TwoItems()).toHex(), TwoItemsBytes().toHex());
    EXPECT_EQ(WriteShelfBytes({}).toHex(), (Head() + Le32(0)).toHex());

    const QString path = TestTempDir() + QStringLiteral("/tkshelf.dat");
    QString reason;
    ASSERT_TRUE(WriteShelfFile(path, TwoItems(), reason)) << reason.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), TwoItemsBytes());
    std::vector<SHELFITEM> read;
    EXPECT_EQ(ReadShelfFile(path, read, reason), ShelfReadResult::Read);
    EXPECT_TRUE(SameItems(read, TwoItems()));
}

TEST(ShelfFileTest, EmptyMissingAndPaddedFiles) {
    std::vector<SHELFITEM> read;
    QString reason;
    EXPECT_TRUE(ReadShelfBytes(Head() + Le32(0), read, reason));
    EXPECT_TRUE(read.empty());
    // The two bytes after the magic's zero are padding, whatever they hold.
    QByteArray padded = TwoItemsBytes();
    padded[6] = '\xAB';
    padded[7] = '\xCD';
    EXPECT_TRUE(ReadShelfBytes(padded, read, reason));
    EXPECT_EQ(read.size(), 2u);
    read.clear();
    EXPECT_EQ(ReadShelfFile(TestTempDir() + QStringLiteral("/none.dat"), read, reason),
              ShelfReadResult::Missing);
}

TEST(ShelfFileTest, RefusesDamagedAndForeignFiles) {
    const QByteArray good = TwoItemsBytes();
    const qsizetype firstItem = 12 + 4 + shelftest::PictureBlock(32, 48).size() + 4 + 1;
    struct Case {
        const char* what;
        QByteArray bytes;
        std::size_t itemsBefore;
    };
    QByteArray lyingSize = good;
    lyingSize.replace(12, 4, Le32(0x7FFFFFFF));
    QByteArray otherSize = good;
    otherSize.replace(16, 4, Le32(12)); // the block's own size differs from the item's
    QByteArray zeroLabel = good;
    zeroLabel.replace(firstItem - 5, 4, Le32(0));
    QByteArray longLabel = good;
    longLabel.replace(firstItem - 5, 4, Le32(1 << 30));
    QByteArray tiny = Head() + Le32(4) + Le32(4) + Le32(1) + QByteArray(1, '\0') + Le32(0);
    QByteArray negative = good;
    negative.replace(firstItem, 4, Le32(-48));
    const Case cases[] = {
        {"wrong magic", QByteArray("TKCOM\0\0\0", 8) + Le32(1) + Le32(0), 0},
        {"wrong version", Head(2) + Le32(0), 0},
        {"version 0", Head(0) + Le32(0), 0},
        {"header cut", good.left(11), 0},
        {"no end", good.left(good.size() - 4), 2},
        {"second item cut", good.left(firstItem + 30), 1},
        {"lying item size", lyingSize, 0},
        {"block size differs", otherSize, 0},
        {"zero label length", zeroLabel, 0},
        {"label past the end", longLabel, 0},
        {"item smaller than a block head", tiny, 0},
        {"negative item size", negative, 1},
    };
    for (const Case& c : cases) {
        std::vector<SHELFITEM> read;
        QString reason;
        EXPECT_FALSE(ReadShelfBytes(c.bytes, read, reason)) << c.what;
        EXPECT_FALSE(reason.isEmpty()) << c.what;
        EXPECT_EQ(read.size(), c.itemsBefore) << c.what;
    }
    // Every cut of a good file is refused.
    for (qsizetype n = 0; n < good.size(); ++n) {
        std::vector<SHELFITEM> read;
        QString reason;
        EXPECT_FALSE(ReadShelfBytes(good.left(n), read, reason)) << n;
    }
}

TEST(ShelfFileTest, AFailedWriteLeavesThePreviousShelf) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not hold for root";
    const QString dir = TestTempDir() + QStringLiteral("/ro");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/tkshelf.dat");
    QString reason;
    ASSERT_TRUE(WriteShelfFile(path, TwoItems(), reason));
    chmod(QFile::encodeName(dir).constData(), 0500);
    EXPECT_FALSE(WriteShelfFile(path, {}, reason));
    EXPECT_FALSE(reason.isEmpty());
    chmod(QFile::encodeName(dir).constData(), 0700);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), TwoItemsBytes());
}

TEST(ShelfFileTest, OnlyPicturesOfCursorSizeGoOnTheShelf) {
    struct Case {
        int w, h;
        bool kept;
    };
    for (const Case c : {Case{32, 32, true}, Case{32, 48, true}, Case{48, 32, true},
                         Case{48, 48, false}, Case{31, 33, false}}) {
        EXPECT_EQ(IsShelfPicture(shelftest::PictureBlock(c.w, c.h)), c.kept) << c.w << "x" << c.h;
        EXPECT_TRUE(IsShelfPicture(shelftest::PictureBlock(c.w, c.h), true)) << "a cursor";
    }
    // A top-down bitmap counts its height without the sign.
    SIZE size;
    ASSERT_TRUE(GetPictureBlockSize(shelftest::PictureBlock(48, -32), size));
    EXPECT_EQ(size, (SIZE{48, 32}));
    // Not a picture, or a picture whose bitmap does not fit its block.
    QByteArray text = shelftest::PictureBlock(32, 32);
    text.replace(4, 4, Le32(6));
    EXPECT_FALSE(IsShelfPicture(text, true));
    QByteArray lying = shelftest::PictureBlock(32, 32);
    lying.replace(40, 4, Le32(lying.size()));
    EXPECT_FALSE(IsShelfPicture(lying, true));
    EXPECT_FALSE(IsShelfPicture(QByteArray(), true));
}
