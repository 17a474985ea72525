#pragma once
// Pages with their annotations as picture files the user names: Save as Picture and Export
// Pages ask for the current page or the whole document and a file, and ExportTo writes raster
// images (one multi-page TIFF, or a file per page named with the page-name suffix) or enhanced
// metafiles.

#include "app/CommandTarget.h"

#include <QString>

class CLumidorDoc;
class CLumidorView;

// The default file names: Save as Picture replaces spaces and ":" by "_"; both cut the title
// before the first of space, "#", "%", ";", "/" and "\".
QString PictureFileTitle(const QString& title);
QString ExportFileTitle(const QString& title);

// The file of page nPage when pages get files of their own: PageFileName, except that a page
// without a name, or with the name of an earlier page, is named by its number from 1, so that
// no page's file takes the place of another's.
QString PictureFileName(const CLumidorDoc& doc, int nPage, const QString& path);

void OnFileSaveAsImage(CLumidorDoc& doc, int nPage);
void OnFileExportTo(CLumidorDoc& doc, int nPage);

// Refuses (said) an extension that is neither a supported image format nor "emf"; otherwise
// WriteToGraphicOrEmfFile with TIFF for "tif" and "tiff".
void ExportTo(CLumidorDoc& doc, int nPage, const QString& path, bool bAllPages);

// The current page nPage or every page to `path`: TIFF with bAllPages one multi-page file, other
// formats a file per page by PictureFileName; a single page gets the page-name suffix while the
// document's suffix flag is set. With dialogs the format questions are asked once, before the
// first page. False when cancelled or a file was not written (said).
bool WriteToGraphicOrEmfFile(CLumidorDoc& doc, int nPage, const QString& path, bool bAllPages,
                             bool bAsTiff, bool bDialogs = true);

void RegisterPagePictureCommands(CLumidorView& view, CCommandMap& map);
