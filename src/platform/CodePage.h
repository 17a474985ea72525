#pragma once
// Text of annotation objects is kept in the code page of its font's character set. These convert at
// the edges (keyboard, display, clipboard) through iconv; a character that the code page cannot
// hold is refused, never stored wrong.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

// Windows code page numbers; CP_SYMBOL keeps the bytes as they are; CP_MACROMAN is Mac Roman.
constexpr UINT CP_ACP_DEFAULT = 1252;
constexpr UINT CP_SYMBOL = 42;
constexpr UINT CP_MACROMAN = 10000;

// ANSI 0 and DEFAULT 1 -> 1252; EASTEUROPE 238 -> 1250; RUSSIAN 204 -> 1251; GREEK 161 -> 1253;
// TURKISH 162 -> 1254; HEBREW 177 -> 1255; ARABIC 178 -> 1256; BALTIC 186 -> 1257; THAI 222 -> 874;
// SHIFTJIS 128 -> 932; GB2312 134 -> 936; HANGUL 129 -> 949; CHINESEBIG5 136 -> 950;
// JOHAB 130 -> 1361; MAC 77 -> Mac Roman; OEM 255 -> 437; SYMBOL 2 -> bytes kept as they are.
// Any other character set -> 1252.
UINT CodePageFromCharSet(BYTE charSet);

// True for the code pages whose characters may take two bytes (932, 936, 949, 950, 1361).
bool IsDoubleByteCodePage(UINT codePage);
// True when `byte` begins a two-byte character in `codePage`.
bool IsLeadByte(UINT codePage, BYTE byte);

// Bytes in a code page to Unicode. False (and `out` empty) when the bytes are not valid text of
// that code page (a lead byte without its trail byte, a byte with no character).
bool CodePageToUnicode(const QByteArray& bytes, UINT codePage, QString& out);
// Unicode to a code page. False (and `out` empty) when a character cannot be held.
bool UnicodeToCodePage(const QString& text, UINT codePage, QByteArray& out);

// Number of characters (not bytes) in `bytes`; a two-byte character counts once. A lead byte at
// the very end counts as one character.
int CharLength(const QByteArray& bytes, UINT codePage);
// Byte offset of the character at `charPos` (clamped to 0 .. CharLength).
int CharToByteOffset(const QByteArray& bytes, int charPos, UINT codePage);
