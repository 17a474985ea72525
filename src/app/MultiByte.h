#pragma once
// Character-position editing of text kept in a code page. Positions and counts are characters,
// not bytes: a two-byte character of a double-byte code page counts once. Positions outside the
// text are clamped to it.

#include "platform/CodePage.h"
#include "platform/WinTypes.h"

#include <QByteArray>

// Substrings by character position; `first` is clamped to 0 .. character length, a negative
// count gives the empty text.
QByteArray ExtractMidChar(const QByteArray& text, int first, int count,
                          UINT codePage = CP_ACP_DEFAULT);
QByteArray ExtractLeftChar(const QByteArray& text, int count, UINT codePage = CP_ACP_DEFAULT);
QByteArray ExtractRightChar(const QByteArray& text, int count, UINT codePage = CP_ACP_DEFAULT);

// Removes `count` characters from `position`; returns the new character length.
int DeleteChar(QByteArray& text, int position, int count, UINT codePage = CP_ACP_DEFAULT);

// The byte at a character position (the lead byte of a two-byte character); 0 past the end.
BYTE GetCharAt(const QByteArray& text, int position, UINT codePage = CP_ACP_DEFAULT);

// Inserts `first` at the character position and then, when `second` is not 0, `second` at the
// same byte position, so that `second` ends up in front of `first` (a two-byte character is
// therefore passed trail byte first). Returns the new character length.
int InsertChar(QByteArray& text, int position, BYTE first, BYTE second,
               UINT codePage = CP_ACP_DEFAULT);
// Inserts a whole text at the character position; returns the new character length.
int InsertChar(QByteArray& text, int position, const QByteArray& insert,
               UINT codePage = CP_ACP_DEFAULT);

// The next start of a word (a character other than a space that follows a space) after
// `position`, or before it when `backwards`; 0 or the character length when there is none.
int FindNextWord(const QByteArray& text, int position, bool backwards,
                 UINT codePage = CP_ACP_DEFAULT);
