#pragma once
// The document file seen from outside the document: reading a file into a document through the
// loader whatever role its extension plays, and naming the archive that loading and storing judge
// the extension of. The save, open, merge and close flows themselves are operations of
// CLumidorDoc (DocFileCommands.cpp).

#include "document/DocFileFormat.h"
#include "platform/Archive.h"
#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

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

// While one lives on this thread, a document read decodes the image of its first page only: the
// other pages keep their canvas, name, erased areas and objects, but no image. A preview of the
// first page needs no more, and a document of many scanned pages reads in a fraction of the time.
class CFirstPageImageOnly {
public:
    CFirstPageImageOnly();
    ~CFirstPageImageOnly();
    CFirstPageImageOnly(const CFirstPageImageOnly&) = delete;
    CFirstPageImageOnly& operator=(const CFirstPageImageOnly&) = delete;
    static bool Active();

private:
    bool m_bOuter = false;
};

// The most pages a document read from a file may claim; more is refused before a page is made.
constexpr int MAX_DOC_PAGES = 10000;

// The file name of the dated automatic save of a document named `docName` at `when` (local
// time) in `folder`: "<folder>/<yyyy-MM-dd> at <hh-mm AM> <docName>.brf".
class QDateTime;
QString AutoSaveFileName(const QString& folder, const QString& docName, const QDateTime& when);

// What the document's file would hold, taken on the document's own thread at little cost: the
// header, each page's entry with a copy of its image that shares the pixels, and the object and
// erase-list records already stored. Writing it out, page images encoded then, needs nothing of
// the document, so it can run on a worker while the user goes on (the crash-recovery copies).
struct CDocFileSnapshot {
    struct Page {
        POINT pos;        // text units
        LONG cx = 0;      // canvas, page pixels
        LONG cy = 0;
        QByteArray name;
        LBitmapBase image;
    };
    _DOCFILEHEADER header;
    POINT dpi{96, 96}; // the screen resolution the stored positions are scaled by
    std::vector<Page> pages;
    bool bImages = false;
    QByteArray objects; // every page's records and the end record
};
std::unique_ptr<CDocFileSnapshot> TakeDocFileSnapshot(CLumidorDoc& doc);
// The document file of the snapshot at `path`, replaced only once complete; false with the
// reason in *error.
bool WriteDocFileSnapshot(const CDocFileSnapshot& snapshot, const QString& path, QString* error);
