#pragma once
// The fixed-size value types that the program's records are made of. Their layouts are part of the
// document file, the clipboard blocks and the settings records, so every size and offset is pinned.

#include <climits>
#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using COLORREF = std::uint32_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

// Coordinates computed in wider arithmetic are held at the 32-bit limits instead of wrapping:
// coordinates of loaded records and extreme scales are not trusted to stay small.
inline LONG ClampCoord(std::int64_t v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : LONG(v);
}
// Truncation toward zero, held at the limits; a value that is not a number gives 0.
inline LONG TruncCoord(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return LONG(v);
}

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};
static_assert(sizeof(POINT) == 8 && offsetof(POINT, y) == 4);

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZE&, const SIZE&) = default;
};
static_assert(sizeof(SIZE) == 8 && offsetof(SIZE, cy) == 4);

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const RECT&, const RECT&) = default;
};
static_assert(sizeof(RECT) == 16 && offsetof(RECT, top) == 4 && offsetof(RECT, right) == 8 &&
              offsetof(RECT, bottom) == 12);

constexpr int LF_FACESIZE = 32;

// Character sets of a font; each names the code page its text is kept in.
enum : BYTE {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    MAC_CHARSET = 77,
    SHIFTJIS_CHARSET = 128,
    HANGUL_CHARSET = 129,
    JOHAB_CHARSET = 130,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    OEM_CHARSET = 255,
};

enum : LONG { FW_NORMAL = 400, FW_BOLD = 700 };

struct LOGFONTA {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTA) == 60);
static_assert(offsetof(LOGFONTA, lfWeight) == 16 && offsetof(LOGFONTA, lfItalic) == 20 &&
              offsetof(LOGFONTA, lfCharSet) == 23 && offsetof(LOGFONTA, lfPitchAndFamily) == 27 &&
              offsetof(LOGFONTA, lfFaceName) == 28);

// The text style shared by text objects and the text style bar (96 bytes).
struct TEXTSTYLE {
    LOGFONTA lf;
    LONG nSize = 0;       // points; lf.lfHeight is always -10 * nSize
    COLORREF crText = 0;
    BOOL bStepped = 0;    // characters placed at a fixed pitch
    LONG nPitch = 0;      // text units
    LONG nAlign = 0;      // 0 left, 1 centre, 2 right
    LONG nRotation = 0;   // 0 horizontal, 1 quarter turn counter-clockwise, 2 clockwise
    COLORREF crRule = 0;
    LONG nRuleWidth = 0;  // text units
    BOOL nAnnotation = 0; // 1: the text is an annotation and draws its rule
};
static_assert(sizeof(TEXTSTYLE) == 96);
static_assert(offsetof(TEXTSTYLE, nSize) == 60 && offsetof(TEXTSTYLE, crText) == 64 &&
              offsetof(TEXTSTYLE, bStepped) == 68 && offsetof(TEXTSTYLE, nPitch) == 72 &&
              offsetof(TEXTSTYLE, nAlign) == 76 && offsetof(TEXTSTYLE, nRotation) == 80 &&
              offsetof(TEXTSTYLE, crRule) == 84 && offsetof(TEXTSTYLE, nRuleWidth) == 88 &&
              offsetof(TEXTSTYLE, nAnnotation) == 92);

// Message box answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
