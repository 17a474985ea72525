#pragma once
// What the batch commands of capture and scanning write: the pages they acquired, as a document
// (every page) or as an image file by the extension of OUT (a TIFF file every page, any other
// format the first). The file appears whole or not at all.

#include "platform/WinTypes.h"
#include "platform/imaging/ImageFile.h"

#include <QString>
#include <cstdint>
#include <memory>

class LBitmapBase;

// Whether OUT names a document or an image format that is written; asked before anything is
// acquired, so that a bad name costs no capture or scan.
bool IsBatchOutputPath(const QString& out);

// How the pages of a document are made: a screen capture loses the plain margins round its
// picture, a scanned page stays the sheet it is.
enum class BatchPageKind { TrimmedCapture, WholePage };

// The pages of one command on their way to OUT. A TIFF file takes each page as it comes, straight
// to disk, and leaves the page's memory to the caller for the next one; a document or another
// image keeps the pages until Finish. Every failure is said (`saveFailedId` with the file's name,
// and the reason where there is one) and answered 1; success is 0. A file never finished is not
// there.
class CBatchOutput {
public:
    CBatchOutput(const QString& out, BatchPageKind kind, UINT saveFailedId);
    ~CBatchOutput();
    CBatchOutput(const CBatchOutput&) = delete;
    CBatchOutput& operator=(const CBatchOutput&) = delete;

    int AddPage(LBitmapBase& page);
    int Finish();
    // The memory of the pages kept until Finish.
    std::int64_t HeldBytes() const { return m_held; }

private:
    int Failed(int rc, const QString& why = {});

    QString m_out;
    BatchPageKind m_kind;
    UINT m_saveFailedId;
    bool m_tiff = false;
    int m_format = 0, m_depth = 0, m_quality = 0, m_pages = 0;
    std::int64_t m_held = 0;
    LBitmapList m_kept;
    std::unique_ptr<LTiffPageWriter> m_writer;
};
