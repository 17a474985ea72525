#pragma once
// Field-by-field reading and writing of the fixed value types, in little-endian order.

#include "platform/Archive.h"
#include "platform/WinTypes.h"

#include <QByteArray>

void WritePoint(CArchive& ar, const POINT& p);
void ReadPoint(CArchive& ar, POINT& p);
void WriteRect(CArchive& ar, const RECT& r);
void ReadRect(CArchive& ar, RECT& r);
void WriteLogFont(CArchive& ar, const LOGFONTA& lf);
void ReadLogFont(CArchive& ar, LOGFONTA& lf);
void WriteTextStyle(CArchive& ar, const TEXTSTYLE& s);
void ReadTextStyle(CArchive& ar, TEXTSTYLE& s);

// A record of 32-bit integers (the settings records of the program).
QByteArray IntsToBytes(const LONG* values, int count);
bool IntsFromBytes(const QByteArray& bytes, LONG* values, int count);

QByteArray TextStyleToBytes(const TEXTSTYLE& s);
bool TextStyleFromBytes(const QByteArray& bytes, TEXTSTYLE& s);
