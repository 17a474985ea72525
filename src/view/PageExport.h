#pragma once
// The raster export of pages with their annotations: one page to a file, every page to one
// multi-page TIFF or to one file per page named with the page-name suffix; and the batch command
// --export that runs it without dialogs.

#include "platform/WinTypes.h"

#include <QString>
#include <functional>
#include <vector>

class CLumidorDoc;

class LBitmapBase;
class LBitmapList;

// The page renderers that export and printing share: the first view's current page, and every
// page of the document in order, each drawn for output; imaging result codes.
int GetActivePageAsBitmap(const CLumidorDoc& doc, LBitmapBase& out);
int GetDocumentAsBitmapList(const CLumidorDoc& doc, LBitmapList& out);

// The path of page nPage's own file: the path without its extension, "_", the page name with
// every space replaced by "_", then the extension.
QString PageFileName(const CLumidorDoc& doc, int nPage, const QString& path);

// Page nPage as drawn for output, saved by the path's extension with the format parameters of
// the settings (dialogs off); an imaging result code.
int WriteCurrentPageToBitmap(const CLumidorDoc& doc, int nPage, const QString& path);

// The part `rect` (page pixels) of page nPage as drawn for output, saved like
// WriteCurrentPageToBitmap (an empty path puts it on the clipboard); an imaging result code.
int WriteCuttedPageToBitmap(const CLumidorDoc& doc, int nPage, const QString& path, RECT rect);
// Page nPage recorded as an enhanced metafile of its canvas size and resolution.
int WriteCurrentPageToEmf(const CLumidorDoc& doc, int nPage, const QString& path);
// Page nPage as an SVG drawing in page pixels, its size on paper from the page's resolution.
int WriteCurrentPageToSvg(const CLumidorDoc& doc, int nPage, const QString& path);

// Every page: one multi-page file for tif and tiff, else one file per page by PageFileName.
int WriteAllPagesToBitmaps(const CLumidorDoc& doc, const QString& path);

// How the batch export writes its pages. By default each page is written at the least colour
// depth that holds it exactly, and a TIFF page with the lossless compression that suits that
// depth (CCITT Group 4 for 1 bit, Deflate otherwise).
struct ExportOptions {
    int nDepth = 0;        // 1, 8 or 24; 0 the least exact depth of each page
    int nTiffFormat = 0;   // FILE_TIF, FILE_TIF_PACKBITS, FILE_CCITT_GROUP4, FILE_TIF_LZW,
                           // FILE_TIF_ZIP; 0 by each page's depth
    int nJpegQuality = -1; // 1 (smallest) .. 100 (best); -1 the settings' JPEG level
    bool bLossless = false; // PDF: colour page images without loss instead of JPEG
    // PDF: told of each step; false cancels.
    std::function<bool(int done, int total)> progress;
};

// The pages (indices from 0) drawn for output and written to `path`: one multi-page file for tif
// and tiff, streamed a page at a time, and one PDF file for pdf; otherwise one page to `path`,
// or each page to its PictureFileName when there are several (emf and svg drawings alike). An imaging result code; `error` gets what went wrong.
int ExportPages(const CLumidorDoc& doc, const std::vector<int>& pages, const QString& path,
                const ExportOptions& options, QString* error = nullptr);

// brellin --export OUT [--all-pages] [--page N] [--depth 1|8|24]
//                  [--compression none|packbits|g4|lzw|deflate] [--quality N] IN
int RunExportCommand(const QStringList& args);
void RegisterViewBatchCommands();
