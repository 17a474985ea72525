#pragma once
// The object test host with what text objects ask of their view besides the conversions: the
// window's focus and caret, the warning sound, the style change code, and a hook that runs while a
// drag-and-drop is under way (where a real drop would reach the objects).

#include "TestObjectHost.h"
#include "objects/TranspText.h"

#include <QString>
#include <cstring>
#include <functional>

class CTextTestHost : public CTestObjectHost {
public:
    // Screen and page resolution alike: the font scale factor is 1.
    CTextTestHost() { geometry.SetScreenResolution(100, 100); }

    bool HasFocus() const override { return focus; }
    void CreateSolidCaret(int width, int height) override { caretSize = SIZE{width, height}; }
    void SetCaretPos(POINT pt) override { caretPos = pt; }
    void ShowCaret() override { caretShown = true; }
    void HideCaret() override { caretShown = false; }
    void MessageBeep() override { ++beeps; }
    int GetTextStyleChangeCode() const override { return changeCode; }
    DWORD DoDragDrop(std::unique_ptr<QMimeData> data, DWORD allowedEffects) override {
        if (duringDrag) duringDrag(*data);
        return CTestObjectHost::DoDragDrop(std::move(data), allowedEffects);
    }

    bool focus = true;
    SIZE caretSize;
    POINT caretPos;
    bool caretShown = false;
    int beeps = 0;
    int changeCode = 0;
    std::function<void(const QMimeData&)> duringDrag;
};

// A 12-point Liberation Sans style in the ANSI character set (16 pixels at 96 dpi).
inline TEXTSTYLE TestTextStyle(LONG nSize = 12, BYTE charSet = ANSI_CHARSET) {
    TEXTSTYLE s;
    std::strcpy(s.lf.lfFaceName, "Liberation Sans");
    s.lf.lfWeight = FW_NORMAL;
    s.lf.lfCharSet = charSet;
    s.lf.lfHeight = -10 * nSize;
    s.nSize = nSize;
    return s;
}

// Typed characters (Unicode) and keys, as the view hands them on.
inline void TypeText(CTranspText& text, const QString& chars, UINT flags = 0) {
    for (char32_t c : chars.toUcs4())
        text.OnChar(UINT(c), 1, flags);
}
inline void PressKey(CTranspText& text, UINT key, UINT flags = 0) {
    text.OnChar(key, 1, flags | CHAR_VIRTUALKEY);
}
