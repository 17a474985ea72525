#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <thread>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b += char(v);
    return b;
}

struct CharSetCase {
    int charSet;
    UINT codePage;
};

const CharSetCase kCharSets[] = {
    {ANSI_CHARSET, 1252},
    {DEFAULT_CHARSET, 1252},
    {SYMBOL_CHARSET, CP_SYMBOL},
    {MAC_CHARSET, CP_MACROMAN},
    {SHIFTJIS_CHARSET, 932},
    {HANGUL_CHARSET, 949},
    {JOHAB_CHARSET, 1361},
    {GB2312_CHARSET, 936},
    {CHINESEBIG5_CHARSET, 950},
    {GREEK_CHARSET, 1253},
    {TURKISH_CHARSET, 1254},
    {HEBREW_CHARSET, 1255},
    {ARABIC_CHARSET, 1256},
    {BALTIC_CHARSET, 1257},
    {RUSSIAN_CHARSET, 1251},
    {THAI_CHARSET, 874},
    {EASTEUROPE_CHARSET, 1250},
    {OEM_CHARSET, 437},
    // Character sets with no code page of their own fall back to Western.
    {3, 1252},
    {163, 1252},
    {254, 1252},
};

TEST(CodePageTest, CharSetMapsToItsCodePage) {
    for (const CharSetCase& c : kCharSets)
        EXPECT_EQ(CodePageFromCharSet(BYTE(c.charSet)), c.codePage) << "charset " << c.charSet;
}

struct RoundTripCase {
    UINT codePage;
    const char16_t* text;
    std::initializer_list<int> bytes;
};

// A typical character of each code page with its bytes, mixed with plain ASCII.
const RoundTripCase kRoundTrips[] = {
    {1252, u"A\u20AC", {'A', 0x80}},
    {1250, u"A\u0105", {'A', 0xB9}},
    {1251, u"A\u0416", {'A', 0xC6}},
    {1253, u"A\u03A9", {'A', 0xD9}},
    {1254, u"A\u011F", {'A', 0xF0}},
    {1255, u"A\u05E9", {'A', 0xF9}},
    {1256, u"A\u0639", {'A', 0xDA}},
    {1257, u"A\u0161", {'A', 0xF0}},
    {874, u"A\u0E01", {'A', 0xA1}},
    {932, u"A\u65E5", {'A', 0x93, 0xFA}},
    {936, u"A\u4E2D", {'A', 0xD6, 0xD0}},
    {949, u"A\uAC00", {'A', 0xB0, 0xA1}},
    {950, u"A\u4E2D", {'A', 0xA4, 0xA4}},
    {1361, u"A\uAC00", {'A', 0x88, 0x61}},
    {CP_MACROMAN, u"A\u00E9", {'A', 0x8E}},
    {437, u"A\u00E9", {'A', 0x82}},
    {CP_SYMBOL, u"A\u00B7\u00FF", {'A', 0xB7, 0xFF}},
};

TEST(CodePageTest, RoundTripInEachCodePage) {
    for (const RoundTripCase& c : kRoundTrips) {
        const QString text = QString::fromUtf16(c.text);
        const QByteArray expected = Bytes(c.bytes);
        QByteArray bytes;
        ASSERT_TRUE(UnicodeToCodePage(text, c.codePage, bytes)) << "cp " << c.codePage;
        EXPECT_EQ(bytes, expected) << "cp " << c.codePage;
        QString back;
        ASSERT_TRUE(CodePageToUnicode(bytes, c.codePage, back)) << "cp " << c.codePage;
        EXPECT_EQ(back, text) << "cp " << c.codePage;
    }
}

TEST(CodePageTest, ConversionsAreRepeatable) {
    // The cached converter must start from a clean state after a refusal.
    QByteArray bytes;
    EXPECT_FALSE(UnicodeToCodePage(QStringLiteral("\u4E2D"), 1252, bytes));
    QString text;
    EXPECT_FALSE(CodePageToUnicode(Bytes({0x93}), 932, text));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(UnicodeToCodePage(QStringLiteral("x\u65E5"), 932, bytes));
        EXPECT_EQ(bytes, Bytes({'x', 0x93, 0xFA}));
        ASSERT_TRUE(CodePageToUnicode(Bytes({0x93, 0xFA}), 932, text));
        EXPECT_EQ(text, QStringLiteral("\u65E5"));
    }
}

TEST(CodePageTest, LongTextConverts) {
    // Longer than any first guess of the output size.
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("\u05E9\u05B8a");
    QByteArray bytes;
    ASSERT_TRUE(UnicodeToCodePage(text, 1255, bytes));
    EXPECT_EQ(bytes.size(), 15000);
    QString back;
    ASSERT_TRUE(CodePageToUnicode(bytes, 1255, back));
    EXPECT_EQ(back, text);
}

TEST(CodePageTest, UnrepresentableCharacterIsRefused) {
    struct Case {
        UINT codePage;
        const char16_t* text;
    };
    const Case cases[] = {
        {1252, u"ab\u0416"},     // Cyrillic in Western
        {1251, u"\u20AC\u00E9"}, // é has no place in Cyrillic
        {932, u"\uAC00"},        // Hangul in Shift-JIS
        {437, u"\u20AC"},        {CP_SYMBOL, u"a\u0100"},
        {1252, u"\U0001F600"}, // outside the basic plane
        {949, u"a\xD800"},     // a lone surrogate is no character at all
    };
    for (const Case& c : cases) {
        QByteArray out = "stale";
        EXPECT_FALSE(UnicodeToCodePage(QString::fromUtf16(c.text), c.codePage, out))
            << "cp " << c.codePage;
        EXPECT_TRUE(out.isEmpty()) << "cp " << c.codePage;
    }
}

TEST(CodePageTest, InvalidOrTruncatedInputIsRefused) {
    struct Case {
        UINT codePage;
        std::initializer_list<int> bytes;
    };
    const Case cases[] = {
        {932, {'a', 0x93}},  // lead byte without its trail byte
        {932, {0x93, 0x20}}, // trail byte out of range
        {936, {0xD6}},       {949, {'x', 0xB0}}, {950, {0xA4, 0x0A}},
        {1361, {0x88}},      {1252, {0x81}}, // no character at this byte
        {1255, {0xFF}},
    };
    for (const Case& c : cases) {
        QString out = QStringLiteral("stale");
        EXPECT_FALSE(CodePageToUnicode(Bytes(c.bytes), c.codePage, out)) << "cp " << c.codePage;
        EXPECT_TRUE(out.isEmpty()) << "cp " << c.codePage;
    }
}

TEST(CodePageTest, UnknownCodePageIsRefused) {
    QString text;
    QByteArray bytes;
    EXPECT_FALSE(CodePageToUnicode(QByteArray("a"), 12345, text));
    EXPECT_FALSE(UnicodeToCodePage(QStringLiteral("a"), 12345, bytes));
    EXPECT_FALSE(CodePageToUnicode(QByteArray(), 12345, text));
    EXPECT_TRUE(CodePageToUnicode(QByteArray(), 932, text));
    EXPECT_TRUE(text.isEmpty());
}

TEST(CodePageTest, SymbolKeepsEveryByte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QString text;
    ASSERT_TRUE(CodePageToUnicode(all, CP_SYMBOL, text));
    ASSERT_EQ(text.size(), 256);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(text[b].unicode(), b);
    QByteArray back;
    ASSERT_TRUE(UnicodeToCodePage(text, CP_SYMBOL, back));
    EXPECT_EQ(back, all);
}

TEST(CodePageTest, LeadBytes) {
    EXPECT_TRUE(IsDoubleByteCodePage(932));
    EXPECT_TRUE(IsDoubleByteCodePage(936));
    EXPECT_TRUE(IsDoubleByteCodePage(949));
    EXPECT_TRUE(IsDoubleByteCodePage(950));
    EXPECT_TRUE(IsDoubleByteCodePage(1361));
    EXPECT_FALSE(IsDoubleByteCodePage(1252));
    EXPECT_FALSE(IsDoubleByteCodePage(CP_SYMBOL));

    // The edges of each lead-byte range, both sides.
    struct Case {
        UINT codePage;
        int byte;
        bool lead;
    };
    const Case cases[] = {
        {932, 0x80, false},       {932, 0x81, true},  {932, 0x9F, true},   {932, 0xA0, false},
        {932, 0xDF, false},       {932, 0xE0, true},  {932, 0xFC, true},   {932, 0xFD, false},
        {936, 0x80, false},       {936, 0x81, true},  {936, 0xFE, true},   {936, 0xFF, false},
        {949, 0x81, true},        {949, 0xFF, false}, {950, 0x81, true},   {950, 0x40, false},
        {1361, 0x83, false},      {1361, 0x84, true}, {1361, 0xD3, true},  {1361, 0xD4, false},
        {1361, 0xD7, false},      {1361, 0xD8, true}, {1361, 0xDE, true},  {1361, 0xDF, false},
        {1361, 0xE0, true},       {1361, 0xF9, true}, {1361, 0xFA, false}, {1252, 0x81, false},
        {CP_SYMBOL, 0x81, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsLeadByte(c.codePage, BYTE(c.byte)), c.lead)
            << "cp " << c.codePage << " byte " << c.byte;
}

TEST(CodePageTest, CharLengthAndOffsetsInMixedText) {
    // "a" 日 "b" 本 "c": single, double, single, double, single.
    const QByteArray mixed = Bytes({'a', 0x93, 0xFA, 'b', 0x96, 0x7B, 'c'});
    EXPECT_EQ(CharLength(mixed, 932), 5);
    const int offsets[] = {0, 1, 3, 4, 6, 7};
    for (int pos = 0; pos <= 5; ++pos)
        EXPECT_EQ(CharToByteOffset(mixed, pos, 932), offsets[pos]) << "pos " << pos;
    // Positions outside the text are clamped.
    EXPECT_EQ(CharToByteOffset(mixed, -3, 932), 0);
    EXPECT_EQ(CharToByteOffset(mixed, 99, 932), 7);

    // A trail byte that looks like a lead byte does not start a character of its own.
    const QByteArray trailLooksLead = Bytes({0x88, 0x9F, 'x'}); // 亜 in Shift-JIS, then x
    EXPECT_EQ(CharLength(trailLooksLead, 932), 2);
    EXPECT_EQ(CharToByteOffset(trailLooksLead, 1, 932), 2);

    // A lead byte at the very end counts as one character.
    const QByteArray cut = Bytes({'a', 0xB0});
    EXPECT_EQ(CharLength(cut, 949), 2);
    EXPECT_EQ(CharToByteOffset(cut, 2, 949), 2);

    // In a single-byte code page every byte is a character.
    EXPECT_EQ(CharLength(mixed, 1252), 7);
    EXPECT_EQ(CharToByteOffset(mixed, 3, 1252), 3);
    EXPECT_EQ(CharLength(QByteArray(), 932), 0);
    EXPECT_EQ(CharToByteOffset(QByteArray(), 4, 932), 0);
}

TEST(CodePageTest, ConcurrentConversionsStayCorrect) {
    // The converters are shared between threads; each thread must see only its own text.
    auto work = [](UINT codePage, QString text, bool* ok) {
        for (int i = 0; i < 2000 && *ok; ++i) {
            QByteArray bytes;
            QString back;
            *ok = UnicodeToCodePage(text, codePage, bytes) &&
                  CodePageToUnicode(bytes, codePage, back) && back == text;
        }
    };
    bool ok1 = true, ok2 = true;
    std::thread t1(work, 932u, QStringLiteral("a\u65E5\u672Cb"), &ok1);
    std::thread t2(work, 932u, QStringLiteral("\u4E2D\u6587xyz"), &ok2);
    t1.join();
    t2.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
}

} // namespace
