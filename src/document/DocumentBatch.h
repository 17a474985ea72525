#pragma once
// The batch commands of the document layer, run without a window:
//
//   brellin --info FILE       prints one JSON object describing FILE as File Open reads it
//   brellin --save-as OUT IN  makes a document from IN as opening it would and saves it to OUT
//   brellin --thumbnail IN OUT.png SIZE  a preview of IN's first page (PageThumbnail.h)
//
// Exit status 0 on success, 1 when the operation failed, 2 on bad usage; messages go to stderr.

#include <QJsonObject>
#include <QString>
#include <optional>

class CLumidorDoc;
struct _DOCFILEHEADER;

// Registers --info, --save-as and --thumbnail with the application.
void RegisterDocumentBatchCommands();

// Fills a fresh document from `path` as File Open would: a document, template or draft through
// OnOpenDocument, an exchange file through the document loader, a metafile through the metafile
// loader and any other file through the image loader. The header as read for the document family
// (nothing for images and metafiles). False after the failure has been reported.
bool LoadDocumentForBatch(CLumidorDoc& doc, const QString& path,
                          std::optional<_DOCFILEHEADER>* pHeader);

// The JSON description of a document: "format" (the header, or null), "frame", "draft" and the
// pages with their images, erase lists, field names and objects. Coordinates in text units as
// held in memory.
QJsonObject DocumentInfoJson(const CLumidorDoc& doc, const _DOCFILEHEADER* pHeader);

int RunInfoCommand(const QStringList& args);
int RunSaveAsCommand(const QStringList& args);
