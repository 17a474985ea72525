#pragma once
// The small shared functions of the program: numbers, file names, folders, archive strings,
// clipboard text blocks and the message pump. On this platform both "\" and "/" separate folders:
// wherever "the last backslash" is meant, the last of either counts.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class CArchive;
class QWidget;

// Numbers
bool StrToDouble(const QString& text, double& value);
bool StrToInt(const QString& text, long& value);
bool IsValidInt(const QString& text);
// floor(x + 0.5): every real turned into an integer rounds halves up.
int RoundHalfUp(double x);

// File names
QString ExtractFileExt(const QString& path);
QString ExtractFileName(const QString& path);
QString ExtractFilePath(const QString& path);
QString ChangeFileExt(const QString& path, const QString& ext);
bool FileExists(const QString& path);
// A file name as messages show it: native separators, and every control character as \xNN, so
// that a name read from a damaged file (a NUL in it would end the text) is shown whole.
QString FileNameForMessage(const QString& path);
// A reason to be set before a message's own full stop: its final "." is dropped.
QString ReasonForMessage(const QString& reason);
// 0 when the folder exists at the end.
int CreateDirectories(const QString& path);
bool GetFolder(QString& path, const QString& title, QWidget* owner, const QString& root,
               const QString& preselected);
// The user's documents folder; empty when unavailable.
QString GetMyDocumentsPathName();
// A picture from the "Brellin" sub-folder of the program data folder; a null image when it cannot
// be loaded (with a message, except for "about.bmp").
QImage LoadBitmapFromFile(const QString& name);
// bmp, tif, tiff, pcx, jpg and png, by the lower-cased extension.
bool IsImageFormatSupported(const QString& path);

// Archive strings: int32 byte length, then the bytes, no terminator. Archive faults (a length
// that is negative or longer than what remains, a short read, a failed write) are raised to the
// loading or storing operation.
void WriteString(CArchive& ar, const QByteArray& text);
void ReadString(CArchive& ar, QByteArray& text);

// A text with its terminator in a zero-filled block, for the clipboard.
QByteArray TextToBlock(const QByteArray& text);

// Dispatches every pending event, so the screen repaints before a long operation.
void PumpMessages();

// Image output parameters from the extension of path (see the implementation for the rules).
bool GetImageFormatParams(const QString& path, int& bitsPerPixel, int& format, int& quality,
                          bool showDialogs);
// The path with its extension replaced by that of the 1-based filter index: 1 tif, 2 bmp, 3 pcx,
// 4 jpg, 5 png, 6 emf; any other index gives the empty string.
QString SelectGraphExt(const QString& path, int filterIndex);
