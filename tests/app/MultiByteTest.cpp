#include "app/MultiByte.h"

#include <gtest/gtest.h>

namespace {
constexpr UINT kShiftJis = 932;
// "a", HIRAGANA A (82 A0), "b", SO (83 5C: its trail byte is a backslash), "c".
const QByteArray kJis("a\x82\xa0"
                      "b\x83\x5c"
                      "c");
} // namespace

TEST(MultiByte, SubstringsBySingleBytePositions) {
    const QByteArray t("hello");
    EXPECT_EQ(ExtractMidChar(t, 1, 3), QByteArray("ell"));
    EXPECT_EQ(ExtractMidChar(t, 3, 10), QByteArray("lo"));
    EXPECT_EQ(ExtractMidChar(t, 9, 2), QByteArray());   // first clamped to the end
    EXPECT_EQ(ExtractMidChar(t, -2, 2), QByteArray("he"));
    EXPECT_EQ(ExtractMidChar(t, 1, -1), QByteArray());
    EXPECT_EQ(ExtractLeftChar(t, 2), QByteArray("he"));
    EXPECT_EQ(ExtractLeftChar(t, 9), t);
    EXPECT_EQ(ExtractRightChar(t, 2), QByteArray("lo"));
    EXPECT_EQ(ExtractRightChar(t, 9), t);
    EXPECT_EQ(ExtractRightChar(t, 0), QByteArray());
}

TEST(MultiByte, DoubleByteCharactersCountOnce) {
    EXPECT_EQ(ExtractMidChar(kJis, 1, 2, kShiftJis), QByteArray("\x82\xa0"
                                                                "b"));
    EXPECT_EQ(ExtractLeftChar(kJis, 2, kShiftJis), QByteArray("a\x82\xa0"));
    EXPECT_EQ(ExtractRightChar(kJis, 2, kShiftJis), QByteArray("\x83\x5c"
                                                               "c"));
    EXPECT_EQ(GetCharAt(kJis, 1, kShiftJis), 0x82);
    EXPECT_EQ(GetCharAt(kJis, 2, kShiftJis), 'b');
    EXPECT_EQ(GetCharAt(kJis, 4, kShiftJis), 'c');
    EXPECT_EQ(GetCharAt(kJis, 5, kShiftJis), 0);
    // The same bytes in a single-byte code page are seven characters.
    EXPECT_EQ(GetCharAt(kJis, 5, CP_ACP_DEFAULT), 0x5c);
}

TEST(MultiByte, DeleteChar) {
    QByteArray t = kJis;
    EXPECT_EQ(DeleteChar(t, 1, 2, kShiftJis), 3);
    EXPECT_EQ(t, QByteArray("a\x83\x5c"
                            "c"));
    EXPECT_EQ(DeleteChar(t, 1, 99, kShiftJis), 1);
    EXPECT_EQ(t, QByteArray("a"));
    EXPECT_EQ(DeleteChar(t, 5, 1, kShiftJis), 1); // past the end: nothing
    EXPECT_EQ(DeleteChar(t, 0, 0, kShiftJis), 1);
}

TEST(MultiByte, InsertChar) {
    QByteArray t = kJis;
    // The second byte goes in front of the first: a two-byte character is passed trail first.
    EXPECT_EQ(InsertChar(t, 2, BYTE(0xa2), BYTE(0x82), kShiftJis), 6);
    EXPECT_EQ(t, QByteArray("a\x82\xa0\x82\xa2"
                            "b\x83\x5c"
                            "c"));
    EXPECT_EQ(InsertChar(t, 0, BYTE('x'), BYTE(0), kShiftJis), 7);
    EXPECT_EQ(t.left(2), QByteArray("xa"));
    EXPECT_EQ(InsertChar(t, 99, QByteArray("\x83\x5c"), kShiftJis), 8); // appended
    EXPECT_TRUE(t.endsWith("c\x83\x5c"));
    EXPECT_EQ(InsertChar(t, 1, QByteArray("yz"), kShiftJis), 10);
    EXPECT_TRUE(t.startsWith("xyza"));
}

TEST(MultiByte, FindNextWord) {
    struct Case {
        int from;
        bool backwards;
        int expected;
    };
    const QByteArray t("ab  cd ef");
    const Case cases[] = {
        {0, false, 4}, {4, true, 0},  {4, false, 7}, {7, false, 9}, {9, false, 9},
        {8, true, 7},  {0, true, 0},  {99, false, 9}, {-5, true, 0}, {5, true, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindNextWord(t, c.from, c.backwards), c.expected)
            << c.from << (c.backwards ? " backwards" : " forwards");

    // "A A A" in double-byte characters: words start at characters 2 and 4.
    const QByteArray jis("\x82\xa0 \x82\xa0 \x82\xa0");
    EXPECT_EQ(FindNextWord(jis, 0, false, kShiftJis), 2);
    EXPECT_EQ(FindNextWord(jis, 2, false, kShiftJis), 4);
    EXPECT_EQ(FindNextWord(jis, 4, true, kShiftJis), 2);
    EXPECT_EQ(FindNextWord(jis, 4, false, kShiftJis), 5);
}
