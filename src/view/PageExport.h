#pragma once
// The raster export of pages with their annotations: one page to a file, every page to one
// multi-page TIFF or to one file per page named with the page-name suffix; and the batch command
// --export that runs it without dialogs.

#include <QString>

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

// Every page: one multi-page file for tif and tiff, else one file per page by PageFileName.
int WriteAllPagesToBitmaps(const CLumidorDoc& doc, const QString& path);

// brellin --export OUT [--all-pages] [--page N] IN
int RunExportCommand(const QStringList& args);
void RegisterViewBatchCommands();
