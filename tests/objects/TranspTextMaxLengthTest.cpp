// A text with a maximum length (a field of a PDF form): typing and pasting stop there, and a
// selection replaced makes room again.

#include "TextTestHost.h"

#include <gtest/gtest.h>

TEST(TranspTextMaxLengthTest, TypingAndPastingStopAtTheMaximumLength) {
    const TEXTSTYLE style = TestTextStyle();
    CTextTestHost host;
    CTranspText text(&host, 100, 200, &style, nullptr, 0, TRUE);
    text.m_nMaxLength = 4;
    TypeText(text, "abcdef");
    EXPECT_EQ(text.GetText(), "abcd");
    TypeText(text, "\b");
    text.Paste("xyz", TRUE);
    EXPECT_EQ(text.GetText(), "abcx");
    // A selection typed over leaves room for the character that replaces it.
    text.m_nCaretChar = 0;
    text.StartSelection();
    text.m_nSelEndChar = 2;
    TypeText(text, "Q");
    EXPECT_EQ(text.GetText(), "Qcx");
    text.m_nMaxLength = 0;
    TypeText(text, "123456");
    EXPECT_EQ(text.GetText().size(), 9);
}
