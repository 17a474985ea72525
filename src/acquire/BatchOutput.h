#pragma once
// What the batch commands of capture and scanning write: the pages they acquired, as a document
// (every page) or as an image file by the extension of OUT (a TIFF file every page, any other
// format the first). The file appears whole or not at all.

#include "platform/WinTypes.h"

class LBitmapList;
class QString;

// Whether OUT names a document or an image format that is written; asked before anything is
// acquired, so that a bad name costs no capture or scan.
bool IsBatchOutputPath(const QString& out);

// How the pages of a document are made: a screen capture loses the plain margins round its
// picture, a scanned page stays the sheet it is.
enum class BatchPageKind { TrimmedCapture, WholePage };

// Writes the pages, which the document takes out of the list. 0, or 1 after the message
// (`saveFailedId` with the file's name, and the reason where there is one).
int WriteBatchOutput(LBitmapList& pages, const QString& out, BatchPageKind kind, UINT saveFailedId);
