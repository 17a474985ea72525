// The stored record and the clipboard blocks of text objects, byte for byte, and their reading of
// hostile input.

#include "TextTestHost.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {

// Little-endian bytes built by hand.
struct Bytes {
    QByteArray b;
    Bytes& i32(std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& f64(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        for (int i = 0; i < 8; ++i)
            b.append(char((u >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& raw(const QByteArray& r) {
        b.append(r);
        return *this;
    }
    Bytes& zeros(int n) {
        b.append(n, '\0');
        return *this;
    }
    // A LOGFONTA: heights and weight, then the eight byte fields, then the face.
    Bytes& font(std::int32_t height, std::int32_t orientation = 0, BYTE charSet = 0) {
        i32(height).i32(0).i32(orientation).i32(orientation).i32(400);
        raw(QByteArray("\0\0\0", 3)).raw(QByteArray(1, char(charSet))).zeros(4);
        QByteArray face("Liberation Sans");
        face.append(32 - face.size(), '\0');
        return raw(face);
    }
};

// The fixed structure of a text record up to the text count, with the values given.
Bytes TextStruct(std::int32_t s, std::int32_t x, std::int32_t y, std::int32_t lfHeight,
                 std::int32_t nSize, std::int32_t orientation = 0, std::int32_t formField = 0) {
    Bytes r;
    r.i32(s).i32(2).f64(0.00001).i32(x).i32(y).font(lfHeight, orientation);
    r.i32(nSize).i32(0x112233).i32(1).i32(50).i32(3).i32(2).i32(formField).zeros(24);
    r.i32(0x445566).i32(7).i32(1).zeros(4);
    return r;
}

// A record: L, S (the structure's own first field), the structure, the text count and the text.
QByteArray Record(const Bytes& structure, const QByteArray& text) {
    Bytes out;
    out.i32(std::int32_t(4 + structure.b.size() + 4 + text.size()));
    out.raw(structure.b.left(4)).raw(structure.b).i32(std::int32_t(text.size())).raw(text);
    return out.b;
}

TEXTSTYLE RecordStyle() {
    TEXTSTYLE s = TestTextStyle();
    s.crText = 0x112233;
    s.bStepped = TRUE;
    s.nPitch = 50;
    s.nAlign = 2;
    s.crRule = 0x445566;
    s.nRuleWidth = 7;
    s.nAnnotation = 1;
    return s;
}

QByteArray Store(CTranspText& text) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    text.Serialize(ar);
    return bytes;
}

void Load(CTranspText& text, QByteArray bytes) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    text.Serialize(ar);
}

class TranspTextRecordTest : public ::testing::Test {
protected:
    void TearDown() override {
        qputenv("BRELLIN_SCREEN_DPI", "96");
        g_dUnitScale = 0.00001;
    }
    CTextTestHost host;
    TEXTSTYLE style = RecordStyle();
};

TEST_F(TranspTextRecordTest, RecordBytes) {
    CTranspText text(&host, 100, 200, &style, "ab\r\nc", 3, TRUE);
    const QByteArray expected = Record(TextStruct(152, 100, 200, -120, 12), "ab\r\nc");
    ASSERT_EQ(expected.size(), 4 + 4 + 152 + 4 + 5);
    EXPECT_EQ(Store(text).toHex().toStdString(), expected.toHex().toStdString());

    CTranspText loaded(nullptr, 0);
    Load(loaded, expected);
    EXPECT_EQ(loaded.m_lines, (QList<QByteArray>{"ab", "c"}));
    EXPECT_EQ((POINT{loaded.m_x, loaded.m_y}), (POINT{100, 200}));
    EXPECT_EQ(loaded.m_nPage, 3);
    EXPECT_EQ(std::memcmp(&loaded.m_style, &text.m_style, sizeof(TEXTSTYLE)), 0);
}

TEST_F(TranspTextRecordTest, SaveFieldsRules) {
    struct Case {
        BOOL saveFields, selected, formField;
        const char* text;
        std::int32_t storedFlag, n;
    };
    const Case cases[] = {
        {TRUE, TRUE, FALSE, "x", 0, 1},  {TRUE, FALSE, FALSE, "x", 1, 0},
        {FALSE, FALSE, TRUE, "x", 0, 1}, {FALSE, FALSE, TRUE, nullptr, 1, 0},
        {FALSE, TRUE, FALSE, "x", 0, 1},
    };
    for (const Case& c : cases) {
        CTranspText text(&host, 0, 0, &style, c.text, 0, TRUE);
        text.m_bSaveFields = c.saveFields;
        text.m_bSelected = c.selected;
        text.m_bFormField = c.formField;
        const QByteArray bytes = Store(text);
        Bytes flag, n;
        flag.i32(c.storedFlag);
        n.i32(c.n);
        EXPECT_EQ(bytes.mid(8 + 108, 4), flag.b) << c.text << c.saveFields;
        EXPECT_EQ(bytes.mid(8 + 152, 4), n.b) << c.text << c.saveFields;
        EXPECT_EQ(bytes.size(), 8 + 152 + 4 + c.n);
        EXPECT_FALSE(text.m_bSaveFields);
    }
}

TEST_F(TranspTextRecordTest, CoordinatesFollowTheScreenResolution) {
    qputenv("BRELLIN_SCREEN_DPI", "120");
    CTranspText text(&host, 100, 200, &style, "x", 3, TRUE);
    const QByteArray stored = Store(text);
    EXPECT_EQ(stored.toHex().toStdString(),
              Record(TextStruct(152, 125, 250, -150, 15), "x").toHex().toStdString());
    CTranspText same(nullptr, 0);
    Load(same, stored);
    EXPECT_EQ((POINT{same.m_x, same.m_y}), (POINT{100, 200}));
    EXPECT_EQ(same.m_style.lf.lfHeight, -120);
    EXPECT_EQ(same.m_style.nSize, 12);
    qputenv("BRELLIN_SCREEN_DPI", "96");
    CTranspText other(nullptr, 0);
    Load(other, stored);
    EXPECT_EQ((POINT{other.m_x, other.m_y}), (POINT{125, 250}));
    EXPECT_EQ(other.m_style.nSize, 15);
}

TEST_F(TranspTextRecordTest, SizeZeroRotationAndOlderStructures) {
    CTranspText text(nullptr, 0);
    Load(text, Record(TextStruct(152, 1, 2, -145, 0, 900), "x"));
    EXPECT_EQ(text.m_style.nSize, 14);
    EXPECT_EQ(text.m_style.nRotation, 1);
    Load(text, Record(TextStruct(152, 1, 2, -120, 12, -900), "x"));
    EXPECT_EQ(text.m_style.nRotation, 2);
    Load(text, Record(TextStruct(152, 1, 2, -120, 12, 450), "x"));
    EXPECT_EQ(text.m_style.nRotation, 0);

    // A structure that ends after the pitch: the later fields keep what the object had.
    CTranspText older(nullptr, 7);
    Bytes s = TextStruct(100, 5, 6, -120, 12);
    s.b.truncate(100);
    Load(older, Record(s, "old"));
    EXPECT_EQ(older.GetText(), "old");
    EXPECT_EQ(older.m_nPage, 7);
    EXPECT_EQ(older.m_style.nPitch, 50);
    EXPECT_EQ(older.m_style.nAnnotation, 0);
    // A larger one: the known part is read, the rest skipped.
    Bytes larger = TextStruct(200, 5, 6, -120, 12);
    larger.zeros(48);
    CTranspText newer(nullptr, 0);
    Load(newer, Record(larger, "new"));
    EXPECT_EQ(newer.GetText(), "new");
    EXPECT_EQ(newer.m_nPage, 3);
}

TEST_F(TranspTextRecordTest, HostileRecordsFailCleanly) {
    const QByteArray good = Record(TextStruct(152, 1, 2, -120, 12), "abc");
    auto patched = [&](int offset, std::int32_t v) {
        QByteArray b = good;
        Bytes p;
        p.i32(v);
        b.replace(offset, 4, p.b);
        return b;
    };
    QByteArray nanScale = good;
    nanScale.replace(16, 8, Bytes().f64(std::numeric_limits<double>::quiet_NaN()).b);
    const QByteArray cases[] = {
        patched(0, -1),               // L negative
        patched(0, 0x7FFFFFFF),       // L beyond the file
        patched(4, -5),               // S negative
        patched(4, 8),                // S smaller than the frame
        patched(4, 2000),             // S beyond L
        patched(8 + 152, -1),         // n negative
        patched(8 + 152, 0x7FFFFFF0), // n absurd
        patched(8 + 152, 4),          // text longer than the record
        good.left(good.size() - 1),   // cut short
        good.left(8 + 152),           // no text count
        nanScale,
    };
    for (const QByteArray& bytes : cases) {
        CTranspText text(&host, 9, 9, &style, "kept", 0, TRUE);
        QByteArray withMore = bytes + QByteArray(16, 'z'); // what follows belongs to others
        if (bytes.size() == good.size() - 1) withMore = bytes;
        EXPECT_THROW(Load(text, withMore), CArchiveException) << bytes.toHex().left(40).data();
        EXPECT_EQ(text.GetText(), "kept");
        EXPECT_EQ(text.m_x, 9);
    }
}

TEST_F(TranspTextRecordTest, ClipboardBlockBytesAndBothLayouts) {
    CTranspText text(&host, 100, 200, &style, "ab\r\nc", 0, TRUE);
    const QByteArray block = text.GetObData();
    Bytes expected;
    expected.i32(5 + 129).i32(6).i32(2).i32(0).f64(0.00001).i32(0);
    expected.font(-120).i32(12).i32(0x112233).i32(1).i32(50).i32(2).i32(0).i32(0x445566).i32(7).i32(
        1);
    expected.raw("ab\r\nc").zeros(5);
    EXPECT_EQ(block.toHex().toStdString(), expected.b.toHex().toStdString());

    CTranspText copy(&host, block, 300, 400, 1);
    EXPECT_EQ(copy.GetText(), "ab\r\nc");
    EXPECT_EQ((POINT{copy.m_x, copy.m_y}), (POINT{300, 400}));
    EXPECT_EQ(std::memcmp(&copy.m_style, &text.m_style, sizeof(TEXTSTYLE)), 0);

    // The earlier layout: version 1 with something at offset 108, the text from 112.
    Bytes old;
    old.i32(112 + 3 + 1).i32(6).i32(1).i32(0).f64(0.001).font(-100, 900);
    old.i32(10).i32(0xFF).i32(0).i32(0).i32(1).i32(1).i32(77).raw("old").zeros(1);
    CTranspText fromOld(&host, old.b, 0, 0, 0);
    EXPECT_EQ(fromOld.GetText(), "old");
    EXPECT_EQ(fromOld.m_style.nSize, 10);
    EXPECT_EQ(fromOld.m_style.crText, 0xFFu);
    EXPECT_EQ(fromOld.m_style.nAlign, 1);
    EXPECT_EQ(fromOld.m_style.nRotation, 1);
    EXPECT_EQ(g_dUnitScale, 0.001);
    // Version 1 with zero at 108 is the current layout.
    QByteArray v1 = block;
    v1.replace(8, 4, Bytes().i32(1).b);
    CTranspText fromV1(&host, v1, 0, 0, 0);
    EXPECT_EQ(fromV1.GetText(), "ab\r\nc");
}

TEST_F(TranspTextRecordTest, HostileBlocksLeaveTheTextEmpty) {
    CTranspText text(&host, 0, 0, &style, "abc", 0, TRUE);
    const QByteArray good = text.GetObData();
    auto patched = [&](int offset, std::int32_t v) {
        QByteArray b = good;
        b.replace(offset, 4, Bytes().i32(v).b);
        return b;
    };
    QByteArray nanScale = good;
    nanScale.replace(16, 8, Bytes().f64(std::numeric_limits<double>::infinity()).b);
    const QByteArray cases[] = {
        QByteArray(),   good.left(11),   patched(0, good.size() + 1),
        patched(0, -3), patched(0, 100), patched(4, 1),
        patched(8, 3),  good.left(120),  nanScale,
    };
    g_dUnitScale = 0.00001;
    for (const QByteArray& block : cases) {
        CTranspText bad(&host, block, 0, 0, 0);
        EXPECT_TRUE(bad.IsEmpty()) << block.toHex().left(40).data();
        EXPECT_EQ(g_dUnitScale, 0.00001);
    }
    // A block whose text runs to its end without a terminator ends there.
    QByteArray open = good.left(124 + 3);
    open.replace(0, 4, Bytes().i32(124 + 3).b);
    CTranspText cut(&host, open, 0, 0, 0);
    EXPECT_EQ(cut.GetText(), "abc");
}

} // namespace
