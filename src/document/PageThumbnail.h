#pragma once
// Previews of pages for the desktop's file managers: the page as drawn for output, made small.
//
//   brellin --thumbnail IN OUT.png SIZE
//
// writes the first page of IN with its annotations at most SIZE pixels on its longer side (a
// smaller page keeps its size) as a PNG file. Only the first page's image is decoded, and it is
// reduced by averaging, so that the text of a black and white fax page stays readable as grey.
// Exit status 0, 1 when IN cannot be read or OUT written (OUT is then left as it was), 2 on bad
// usage.

#include <QImage>
#include <QStringList>

class CLumidorDoc;

// The largest preview the command makes.
constexpr int MAX_THUMBNAIL_SIZE = 4096;

// Page nPage drawn for output into a new RGB32 image at most maxSize pixels on its longer side;
// an imaging result code (ERROR_INV_PARAMETER for a page without canvas).
int RenderPageThumbnail(const CLumidorDoc& doc, int nPage, int maxSize, QImage& out);

// Reads the document at `path` for a preview of its first page and makes it; a picture file is
// shown as it is (its first page). The failure has been reported when the result is not SUCCESS.
int MakeFileThumbnail(const QString& path, int maxSize, QImage& out);

int RunThumbnailCommand(const QStringList& args);
