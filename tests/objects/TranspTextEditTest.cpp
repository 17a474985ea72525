// Typing, keys, undo grouping, the text clipboard and style changes of text objects.

#include "TextTestHost.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

const TEXTSTYLE kStyle = TestTextStyle();

struct Editor {
    CTextTestHost host;
    CTranspText text;
    explicit Editor(const char* initial = nullptr)
        : text(&host, 100, 200, &kStyle, initial, 0, TRUE) {
        text.AddUndo(); // what the first screen draw records
    }
    POINT caret() const { return POINT{text.m_nCaretChar, text.m_nCaretLine}; }
    void setCaret(int ch, int line) {
        text.m_nCaretChar = ch;
        text.m_nCaretLine = line;
        text.StartSelection();
    }
};

TEST(TranspTextEditTest, PlaceholderGoesWithTheFirstCharacterAndComesBack) {
    Editor e;
    EXPECT_TRUE(e.text.IsEmpty());
    EXPECT_EQ(e.text.m_lines, QList<QByteArray>{"\xB6"});
    EXPECT_EQ(e.text.GetText(), "");
    TypeText(e.text, "ab");
    EXPECT_EQ(e.text.m_lines, QList<QByteArray>{"ab"});
    EXPECT_FALSE(e.text.IsEmpty());
    EXPECT_GT(e.host.modifiedCount, 0);
    TypeText(e.text, "\b\b");
    EXPECT_EQ(e.text.m_lines, QList<QByteArray>{"\xB6"});
    EXPECT_EQ(e.caret(), (POINT{0, 0}));
    // Keys on the placeholder leave it as it is.
    PressKey(e.text, VK_RIGHT);
    PressKey(e.text, VK_DELETE);
    EXPECT_EQ(e.text.m_lines, QList<QByteArray>{"\xB6"});
}

TEST(TranspTextEditTest, EnterSplitsAndBackspaceJoins) {
    Editor e("hello");
    e.setCaret(2, 0);
    TypeText(e.text, "\r");
    EXPECT_EQ(e.text.m_lines, (QList<QByteArray>{"he", "llo"}));
    EXPECT_EQ(e.caret(), (POINT{0, 1}));
    EXPECT_EQ(e.text.GetText(), "he\r\nllo");
    TypeText(e.text, "\b");
    EXPECT_EQ(e.text.m_lines, QList<QByteArray>{"hello"});
    EXPECT_EQ(e.caret(), (POINT{2, 0}));
    // Delete at a line end joins the next line.
    e.text.SetText("ab\r\ncd", FALSE);
    e.setCaret(2, 0);
    PressKey(e.text, VK_DELETE);
    EXPECT_EQ(e.text.m_lines, QList<QByteArray>{"abcd"});
}

TEST(TranspTextEditTest, WordsAreUndoneWhole) {
    Editor e;
    TypeText(e.text, "one two");
    EXPECT_EQ(e.text.GetText(), "one two");
    e.text.Undo();
    EXPECT_EQ(e.text.GetText(), "one");
    e.text.Undo();
    EXPECT_EQ(e.text.GetText(), "");
    EXPECT_FALSE(e.text.CanUndo());
    // Typing after a redo keeps the redone state as its own step.
    e.text.Redo();
    e.text.Redo();
    EXPECT_EQ(e.text.GetText(), "one two");
    TypeText(e.text, "x");
    e.text.Undo();
    EXPECT_EQ(e.text.GetText(), "one two");
    // So does typing after the caret was moved.
    PressKey(e.text, VK_HOME);
    TypeText(e.text, "A");
    EXPECT_EQ(e.text.GetText(), "Aone two");
    e.text.Undo();
    EXPECT_EQ(e.text.GetText(), "one two");
}

TEST(TranspTextEditTest, CaretMovesAcrossLinesAndWords) {
    Editor e("ab  cd\r\nxyz");
    e.setCaret(0, 1);
    PressKey(e.text, VK_LEFT);
    EXPECT_EQ(e.caret(), (POINT{6, 0}));
    PressKey(e.text, VK_RIGHT);
    EXPECT_EQ(e.caret(), (POINT{0, 1}));
    e.setCaret(0, 0);
    PressKey(e.text, VK_RIGHT, MK_CONTROL);
    EXPECT_EQ(e.caret(), (POINT{4, 0}));
    PressKey(e.text, VK_LEFT, MK_CONTROL);
    EXPECT_EQ(e.caret(), (POINT{0, 0}));
    PressKey(e.text, VK_END);
    PressKey(e.text, VK_DOWN);
    EXPECT_EQ(e.text.GetCaretPos(), (POINT{3, 1})); // index kept, clamped to the shorter line
    PressKey(e.text, VK_HOME);
    EXPECT_EQ(e.caret(), (POINT{0, 1}));
    // Moving changes nothing stored.
    EXPECT_EQ(e.host.modifiedCount, 0);
}

TEST(TranspTextEditTest, ShiftSelectsAndTypingReplacesTheSelection) {
    Editor e("one\r\ntwo");
    e.setCaret(1, 0);
    PressKey(e.text, VK_DOWN, MK_SHIFT);
    PressKey(e.text, VK_RIGHT, MK_SHIFT);
    EXPECT_EQ(e.text.GetSelectedText(), "ne\r\ntw");
    TypeText(e.text, "X");
    EXPECT_EQ(e.text.GetText(), "oXo");
    EXPECT_EQ(e.caret(), (POINT{2, 0}));
    // A selection made backwards deletes the same way.
    e.setCaret(3, 0);
    PressKey(e.text, VK_LEFT, MK_SHIFT);
    PressKey(e.text, VK_LEFT, MK_SHIFT);
    TypeText(e.text, "\b");
    EXPECT_EQ(e.text.GetText(), "o");
}

TEST(TranspTextEditTest, OverwriteReplacesUnderTheCaretExceptAtTheEnd) {
    Editor e("abc");
    e.text.m_bInsert = FALSE;
    e.setCaret(1, 0);
    TypeText(e.text, "XYZ");
    EXPECT_EQ(e.text.GetText(), "aXYZ");
}

TEST(TranspTextEditTest, CharactersTheCodePageCannotHoldAreRefused) {
    Editor e("ab");
    e.setCaret(2, 0);
    TypeText(e.text, QString::fromUtf8("\xE4\xB8\xAD")); // a CJK ideograph
    EXPECT_EQ(e.text.GetText(), "ab");
    EXPECT_EQ(e.host.beeps, 1);
    EXPECT_EQ(e.host.modifiedCount, 0);
    TypeText(e.text, QString::fromUtf8("\xC3\xA9")); // é is in the ANSI code page
    EXPECT_EQ(e.text.GetText(), "ab\xE9");
    // Control characters and Escape are no text.
    TypeText(e.text, "\x1b\t\x01");
    EXPECT_EQ(e.text.GetText(), "ab\xE9");
}

TEST(TranspTextEditTest, DoubleByteCharactersAreOneCharacter) {
    CTextTestHost host;
    const TEXTSTYLE style = TestTextStyle(12, GB2312_CHARSET);
    CTranspText text(&host, 0, 100, &style, "a", 0, TRUE);
    text.m_nCaretChar = 1;
    TypeText(text, QString::fromUtf8("\xE4\xB8\xAD"
                                     "b")); // 中 is D6 D0 in GB2312
    EXPECT_EQ(text.GetText(), "a\xD6\xD0"
                              "b");
    EXPECT_EQ(text.m_nCaretChar, 3);
    PressKey(text, VK_LEFT);
    TypeText(text, "\b");
    EXPECT_EQ(text.GetText(), "ab");
    EXPECT_EQ(host.beeps, 0);
}

TEST(TranspTextEditTest, TabOrderDisplayTakesNoKeys) {
    Editor e("ab");
    e.text.m_bTabOrderDisplay = TRUE;
    TypeText(e.text, "x\b");
    EXPECT_EQ(e.text.GetText(), "ab");
}

TEST(TranspTextEditTest, PastePutsTheCaretAfterTheInsertedLines) {
    Editor e("head tail");
    e.setCaret(5, 0);
    e.text.Paste("one\r\ntwo ", FALSE);
    EXPECT_EQ(e.text.m_lines, (QList<QByteArray>{"head one", "two tail"}));
    EXPECT_EQ(e.caret(), (POINT{4, 1}));
    EXPECT_EQ(e.text.GetCharIndexFromCaretPos(4, 1, TRUE), 14);
    EXPECT_EQ(e.text.GetCaretPosFromCharIndex(14, TRUE), (POINT{4, 1}));
    EXPECT_EQ(e.text.GetCaretPosFromCharIndex(12, FALSE), (POINT{4, 1}));
    EXPECT_EQ(e.text.GetCaretPosFromCharIndex(9, TRUE), (POINT{8, 0})); // inside the break
    EXPECT_EQ(e.text.GetCaretPosFromCharIndex(999, TRUE), (POINT{8, 1}));
    e.text.FindAndSelect("two", 10, 13);
    EXPECT_EQ(e.text.GetSelectedText(), "two");
    e.text.Paste("2", TRUE);
    EXPECT_EQ(e.text.GetText(), "head one\r\n2 tail");
}

TEST(TranspTextEditTest, TextClipboardConvertsLineBreaksAndCodePage) {
    Editor e("caf\xE9\r\nbar");
    e.text.FindAndSelect(nullptr, 2, 7);
    ASSERT_TRUE(e.text.CanCopy());
    e.text.CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("f\xC3\xA9\nb"));
    e.text.CutToClipboard();
    EXPECT_EQ(e.text.GetText(), "caar");
    QGuiApplication::clipboard()->setText(QString::fromUtf8("x\xC3\xA9\r\ny\nz"));
    e.text.PasteFromClipboard();
    EXPECT_EQ(e.text.GetText(), "cax\xE9\r\ny\r\nzar");
    e.text.Undo();
    EXPECT_EQ(e.text.GetText(), "caar");
    // Shift+Delete cuts.
    e.text.FindAndSelect(nullptr, 0, 2);
    PressKey(e.text, VK_DELETE, MK_SHIFT);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ca");
    EXPECT_EQ(e.text.GetText(), "ar");
    // Clipboard text the code page cannot hold is refused whole.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("ok \xE4\xB8\xAD"));
    e.text.PasteFromClipboard();
    EXPECT_EQ(e.text.GetText(), "ar");
    EXPECT_EQ(e.host.beeps, 1);
}

struct StyleCase {
    int code;
    bool fontChanges, colorChanges, sizeChanges;
};

TEST(TranspTextEditTest, StyleChangeCodesCopyOnlyTheirProperty) {
    const StyleCase cases[] = {
        {8, false, true, false}, {7, false, false, true}, {1, true, false, false},
        {3, true, false, false}, {0, true, true, true},   {99, true, true, true},
    };
    TEXTSTYLE other = TestTextStyle(20);
    std::strcpy(other.lf.lfFaceName, "DejaVu Serif");
    other.crText = RGB(255, 0, 0);
    for (const StyleCase& c : cases) {
        Editor e("x");
        e.host.changeCode = c.code;
        e.text.SetTextStyle(&other, TRUE);
        const TEXTSTYLE& s = e.text.m_style;
        EXPECT_EQ(std::strcmp(s.lf.lfFaceName, "DejaVu Serif") == 0, c.fontChanges) << c.code;
        EXPECT_EQ(s.crText == other.crText, c.colorChanges) << c.code;
        EXPECT_EQ(s.nSize, c.sizeChanges ? 20 : 12) << c.code;
        EXPECT_EQ(s.lf.lfHeight, -10 * s.nSize) << c.code;
        EXPECT_EQ(e.host.modifiedCount, 1);
        EXPECT_TRUE(e.text.CanUndo());
    }
    // The rotation sets escapement and orientation.
    Editor e("x");
    e.host.changeCode = 12;
    other.nRotation = 2;
    e.text.SetTextStyle(&other, FALSE);
    EXPECT_EQ(e.text.m_style.lf.lfEscapement, -900);
    EXPECT_EQ(e.text.m_style.lf.lfOrientation, -900);
    EXPECT_FALSE(e.text.CanUndo());
    e.text.m_style.crText = RGB(1, 2, 3);
    e.text.SetAnnotationMode(1);
    EXPECT_EQ(e.text.GetAnnotationMode(), 1);
    EXPECT_EQ(e.text.m_style.crRule, RGB(1, 2, 3));
}

} // namespace
