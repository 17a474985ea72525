#include "platform/RecordIO.h"

#include <QBuffer>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Hand-built little-endian bytes.
class ByteBuilder {
public:
    ByteBuilder& I32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            m_bytes += char((v >> (8 * i)) & 0xFF);
        return *this;
    }
    ByteBuilder& U8(int v) {
        m_bytes += char(v);
        return *this;
    }
    ByteBuilder& Raw(const QByteArray& b) {
        m_bytes += b;
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

LOGFONTA SampleFont() {
    LOGFONTA lf;
    lf.lfHeight = -120;
    lf.lfWidth = 7;
    lf.lfEscapement = 900;
    lf.lfOrientation = 450;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfUnderline = 2;
    lf.lfStrikeOut = 3;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfOutPrecision = 4;
    lf.lfClipPrecision = 5;
    lf.lfQuality = 6;
    lf.lfPitchAndFamily = 0x22;
    std::strcpy(lf.lfFaceName, "Arial");
    return lf;
}

QByteArray SampleFontBytes() {
    QByteArray face("Arial");
    face.resize(LF_FACESIZE, '\0');
    return ByteBuilder()
        .I32(std::uint32_t(-120))
        .I32(7)
        .I32(900)
        .I32(450)
        .I32(700)
        .U8(1)
        .U8(2)
        .U8(3)
        .U8(128)
        .U8(4)
        .U8(5)
        .U8(6)
        .U8(0x22)
        .Raw(face)
        .bytes();
}

TEXTSTYLE SampleStyle() {
    TEXTSTYLE s;
    s.lf = SampleFont();
    s.nSize = 12;
    s.crText = RGB(0x11, 0x22, 0x33);
    s.bStepped = TRUE;
    s.nPitch = 25000;
    s.nAlign = 2;
    s.nRotation = 1;
    s.crRule = RGB(0xAA, 0xBB, 0xCC);
    s.nRuleWidth = 1000;
    s.nAnnotation = 1;
    return s;
}

QByteArray SampleStyleBytes() {
    return ByteBuilder()
        .Raw(SampleFontBytes())
        .I32(12)
        .I32(0x332211)
        .I32(1)
        .I32(25000)
        .I32(2)
        .I32(1)
        .I32(0xCCBBAA)
        .I32(1000)
        .I32(1)
        .bytes();
}

bool SameFont(const LOGFONTA& a, const LOGFONTA& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::memcmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

bool SameStyle(const TEXTSTYLE& a, const TEXTSTYLE& b) {
    return SameFont(a.lf, b.lf) && a.nSize == b.nSize && a.crText == b.crText &&
           a.bStepped == b.bStepped && a.nPitch == b.nPitch && a.nAlign == b.nAlign &&
           a.nRotation == b.nRotation && a.crRule == b.crRule && a.nRuleWidth == b.nRuleWidth &&
           a.nAnnotation == b.nAnnotation;
}

TEST(RecordIOTest, LogFontIsWrittenFieldByField) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive out(&buf, CArchive::store);
    WriteLogFont(out, SampleFont());
    ASSERT_EQ(bytes.size(), 60);
    EXPECT_EQ(bytes, SampleFontBytes());

    QByteArray copy = bytes;
    QBuffer rbuf(&copy);
    rbuf.open(QIODevice::ReadOnly);
    CArchive in(&rbuf, CArchive::load);
    LOGFONTA lf;
    ReadLogFont(in, lf);
    EXPECT_TRUE(SameFont(lf, SampleFont()));
    EXPECT_EQ(in.GetRemaining(), 0);
}

TEST(RecordIOTest, TextStyleRecord) {
    const QByteArray bytes = TextStyleToBytes(SampleStyle());
    ASSERT_EQ(bytes.size(), 96);
    EXPECT_EQ(bytes, SampleStyleBytes());

    TEXTSTYLE s;
    ASSERT_TRUE(TextStyleFromBytes(SampleStyleBytes(), s));
    EXPECT_TRUE(SameStyle(s, SampleStyle()));
}

TEST(RecordIOTest, WrongSizesAreRefusedAndLeaveTheTarget) {
    const TEXTSTYLE before = SampleStyle();
    for (int size : {0, 60, 95, 97, 192}) {
        QByteArray bytes = SampleStyleBytes();
        bytes.resize(size, '\x7F');
        TEXTSTYLE s = before;
        EXPECT_FALSE(TextStyleFromBytes(bytes, s)) << "size " << size;
        EXPECT_TRUE(SameStyle(s, before)) << "size " << size;
    }

    const LONG values[3] = {1, -2, 0x01020304};
    const QByteArray ints = IntsToBytes(values, 3);
    EXPECT_EQ(ints, ByteBuilder().I32(1).I32(std::uint32_t(-2)).I32(0x01020304).bytes());
    LONG back[3] = {9, 9, 9};
    EXPECT_FALSE(IntsFromBytes(ints, back, 4));
    EXPECT_FALSE(IntsFromBytes(ints.left(11), back, 3));
    EXPECT_EQ(back[0], 9);
    EXPECT_EQ(back[2], 9);
    ASSERT_TRUE(IntsFromBytes(ints, back, 3));
    EXPECT_EQ(back[1], -2);
    EXPECT_EQ(back[2], 0x01020304);
}

TEST(RecordIOTest, FaceNameFromOutsideIsTerminated) {
    QByteArray bytes = SampleStyleBytes();
    for (int i = 28; i < 28 + LF_FACESIZE; ++i)
        bytes[i] = 'W';
    TEXTSTYLE s;
    ASSERT_TRUE(TextStyleFromBytes(bytes, s));
    EXPECT_EQ(s.lf.lfFaceName[LF_FACESIZE - 1], '\0');
    EXPECT_EQ(std::strlen(s.lf.lfFaceName), size_t(LF_FACESIZE - 1));
    // The fields after the name are still read from their own places.
    EXPECT_EQ(s.nSize, 12);
    EXPECT_EQ(s.nAnnotation, 1);
}

TEST(RecordIOTest, ShortRecordRaisesEndOfFile) {
    QByteArray bytes = SampleStyleBytes().left(70);
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive in(&buf, CArchive::load);
    TEXTSTYLE s;
    try {
        ReadTextStyle(in, s);
        ADD_FAILURE() << "a cut record was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

TEST(RecordIOTest, PointAndRect) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive out(&buf, CArchive::store);
    WritePoint(out, POINT{-1, 2});
    WriteRect(out, RECT{1, 2, 3, -4});
    EXPECT_EQ(bytes, ByteBuilder()
                         .I32(std::uint32_t(-1))
                         .I32(2)
                         .I32(1)
                         .I32(2)
                         .I32(3)
                         .I32(std::uint32_t(-4))
                         .bytes());

    QBuffer rbuf(&bytes);
    rbuf.open(QIODevice::ReadOnly);
    CArchive in(&rbuf, CArchive::load);
    POINT p;
    RECT r;
    ReadPoint(in, p);
    ReadRect(in, r);
    EXPECT_EQ(p, (POINT{-1, 2}));
    EXPECT_EQ(r, (RECT{1, 2, 3, -4}));
}

} // namespace
