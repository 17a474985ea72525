#pragma once
// The document file seen from outside the document: reading a file into a document through the
// loader whatever role its extension plays, and naming the archive that loading and storing judge
// the extension of. The save, open, merge and close flows themselves are operations of
// CLumidorDoc (DocFileCommands.cpp).

#include "platform/Archive.h"

#include <QString>

class CLumidorDoc;
class QIODevice;

// The name an archive's device goes by: a file's own name, or the name given to a device over
// memory with SetArchiveFileName.
QString GetArchiveFileName(const CArchive& ar);
void SetArchiveFileName(QIODevice* device, const QString& name);

// The document file's own refusal (cause 100): the user has been told already, or needs no word,
// so the toolkit's report stays silent. A refusal of the same cause from a reader below the
// document (a count or a length that cannot be) has told nobody: ReportableException, for the
// handler that catches CDocRefusal before it, turns that into a failure that is reported.
class CDocRefusal : public CArchiveException {
public:
    explicit CDocRefusal(QString what = {})
        : CArchiveException(CArchiveException::programRefusal, std::move(what)) {}
};
CArchiveException ReportableException(const CArchiveException& e);

// Reads `path` into the document with the document loader (the toolkit's open: any failure is
// reported through ReportSaveLoadException). The caller decides whether the document is merging.
bool ReadDocumentFile(CLumidorDoc& doc, const QString& path);

// The most pages a document read from a file may claim; more is refused before a page is made.
constexpr int MAX_DOC_PAGES = 10000;

// The file name of the dated automatic save of a document named `docName` at `when` (local
// time) in `folder`: "<folder>/<yyyy-MM-dd> at <hh-mm AM> <docName>.brf".
class QDateTime;
QString AutoSaveFileName(const QString& folder, const QString& docName, const QDateTime& when);
