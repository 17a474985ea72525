// The document file of CLumidorDoc: storing, loading (the record stream of versions 3 to 6 and
// the archived text boxes of version 2, opening or merging) and the page-image record. The save,
// open, merge and close flows that run them are in DocFileCommands.cpp.
//
//   header       48 bytes (DocFileFormat.h)
//   kind 8       the page-image record, when a page has an image and images are saved
//   per page     its object records in list order (kind code, then the object's own record),
//                then kind 12 with the page's erase list when it holds rectangles
//   kind 0       the end
//
// Loading distrusts every number: counts and lengths are checked against what the file has left
// before anything is allocated or looped over, and any fault fails the load with the program's
// message or the toolkit's report.

#include "document/DocFile.h"

#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocFileFormat.h"
#include "document/PdfSource.h"
#include "document/LumidorDoc.h"
#include "document/PageImageCodec.h"
#include "document/TransparentEdit.h"
#include "objects/ObjectFactory.h"
#include "objects/RecordFrame.h"
#include "objects/TranspText.h"
#include "platform/Archive.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/ScreenDpi.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileDevice>
#include <QLocale>
#include <QSaveFile>
#include <QVariant>
#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

const char kArchiveNameProperty[] = "brellinArchiveFileName";

// Shows a message (when there is one) and fails the load or save with the program's refusal,
// which the toolkit's report leaves unsaid.
[[noreturn]] void Refuse(const QString& message = {}, const QString& what = {}) {
    if (!message.isEmpty())
        ErrorBox(message);
    throw CDocRefusal(what);
}

// The bytes of an archive that reads from memory (the whole file read at once), or null.
const QByteArray* MemoryOf(const CArchive& ar) {
    const auto* pBuffer = qobject_cast<const QBuffer*>(ar.GetDevice());
    return pBuffer && pBuffer->isReadable() ? &pBuffer->data() : nullptr;
}

// `n` bytes of the archive, checked against what remains: a view of them when the archive reads
// from memory that outlives the load (page images are decoded before the load ends), a copy
// otherwise.
QByteArray ReadPayload(CArchive& ar, LONG n) {
    const QByteArray* pMemory = MemoryOf(ar);
    if (!pMemory)
        return ar.ReadBytes(n);
    ar.CheckCount(n);
    const qint64 pos = ar.GetPosition();
    ar.Seek(pos + n);
    return QByteArray::fromRawData(pMemory->constData() + pos, n);
}

// The L bytes of one record as a device of their own, read straight from the file's device, so
// that nothing a record's reader does can reach past the record, and a page image is copied once,
// from the file into its own array.
class CRecordDevice : public QIODevice {
public:
    CRecordDevice(QIODevice* pParent, qint64 nLength)
        : m_pParent(pParent), m_nStart(pParent->pos()), m_nLength(nLength) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_nLength; }
    bool seek(qint64 pos) override {
        if (pos < 0 || pos > m_nLength || !m_pParent->seek(m_nStart + pos))
            return false;
        return QIODevice::seek(pos);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min(maxSize, m_nLength - pos());
        return n <= 0 ? 0 : m_pParent->read(data, n);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice* m_pParent;
    qint64 m_nStart;
    qint64 m_nLength;
};

// An archive over the L bytes of one record; the file goes on just after the record, whatever
// its reader left unread. A device that cannot seek hands the record over as a copy.
class CRecordArchive {
public:
    CRecordArchive(CArchive& ar, LONG nLength) : m_ar(ar) {
        QIODevice* parent = ar.GetDevice();
        m_nEnd = ar.GetPosition() + nLength;
        if (const QByteArray* pMemory = MemoryOf(ar)) {
            // A file in memory: the record is a view of its bytes.
            m_bytes = QByteArray::fromRawData(pMemory->constData() + ar.GetPosition(), nLength);
            m_pDevice = std::make_unique<QBuffer>(&m_bytes);
            m_pDevice->open(QIODevice::ReadOnly);
        } else if (parent->isSequential()) {
            // A copy that goes with this record: read through a device that is no memory of the
            // load's, so that no page image is handed to the decoder as a view of it.
            m_bytes = ar.ReadBytes(nLength);
            m_pCopy = std::make_unique<QBuffer>(&m_bytes);
            m_pCopy->open(QIODevice::ReadOnly);
            m_pDevice = std::make_unique<CRecordDevice>(m_pCopy.get(), nLength);
        } else {
            m_pDevice = std::make_unique<CRecordDevice>(parent, nLength);
        }
        // Readers of the record judge names by the document file's.
        SetArchiveFileName(m_pDevice.get(), GetArchiveFileName(ar));
        m_pRecordAr = std::make_unique<CArchive>(m_pDevice.get(), CArchive::load);
    }
    CArchive& Archive() { return *m_pRecordAr; }
    // Moves the file to the end of the record (a device that cannot go back is there already:
    // the record was copied out of it).
    void End() {
        if (!m_ar.GetDevice()->isSequential())
            m_ar.Seek(m_nEnd);
    }

private:
    CArchive& m_ar;
    qint64 m_nEnd = 0;
    // Destroyed in reverse order: the archive before its device, the device before the bytes.
    QByteArray m_bytes;
    std::unique_ptr<QBuffer> m_pCopy;
    std::unique_ptr<QIODevice> m_pDevice;
    std::unique_ptr<CArchive> m_pRecordAr;
};

// The record's length as the stream gives it; a negative one or one longer than the file is
// refused.
LONG ReadRecordLength(CArchive& ar, qint64 nFileSize) {
    LONG nLength = 0;
    ar >> nLength;
    // The size of a file is taken once per load: asking the file for it costs a system call.
    if (nFileSize < 0)
        ar.CheckCount(nLength);
    else if (nLength < 0)
        AfxThrowArchiveException(CArchiveException::programRefusal);
    else if (nLength > nFileSize - ar.GetPosition())
        AfxThrowArchiveException(CArchiveException::endOfFile);
    return nLength;
}

// One object's record (L and what follows) copied out of the file, for the object to read
// within its own bytes.
class CObjectRecord {
public:
    CObjectRecord(CArchive& ar, LONG nLength) {
        m_bytes.reserve(4 + qsizetype(nLength));
        for (int i = 0; i < 4; ++i)
            m_bytes.append(char((std::uint32_t(nLength) >> (8 * i)) & 0xFF));
        m_bytes.append(ar.ReadBytes(nLength));
        m_buf.setBuffer(&m_bytes);
        m_buf.open(QIODevice::ReadOnly);
        SetArchiveFileName(&m_buf, GetArchiveFileName(ar));
    }
    CArchive& Archive() { return m_ar; }

private:
    QByteArray m_bytes;
    QBuffer m_buf;
    CArchive m_ar{&m_buf, CArchive::load};
};

// The memory a decoded image takes in the imaging layer's formats (rows aligned to 4 bytes; 4-
// and 8-bit images a byte a pixel).
std::int64_t DecodedImageBytes(const FILEINFO& info) {
    const std::int64_t w = std::max(info.Width, 0);
    const std::int64_t h = std::max(info.Height, 0);
    std::int64_t line = 0;
    switch (info.BitsPerPixel) {
    case 1: line = (w + 31) / 32 * 4; break;
    case 24: line = (3 * w + 3) / 4 * 4; break;
    case 32: line = 4 * w; break;
    default: line = (w + 3) / 4 * 4; break;
    }
    return line * h;
}

// All page images of one document together: the imaging layer's budget for the pages of one
// file (half the machine's memory and of what a process limit leaves, never more than sixteen of
// the largest bitmaps).
std::int64_t MaxDocumentImageBytes() { return GetMaxTotalBitmapBytes(); }

// The page images of a file being decoded on the workers while the load reads on: the image
// record hands its decoder over, and the pages take their images once the stream has ended (or
// when a second image record arrives). A load that fails drops the decoder, which stops its
// workers.
class CPendingImages {
public:
    CPendingImages();
    ~CPendingImages();
    CPendingImages(const CPendingImages&) = delete;
    CPendingImages& operator=(const CPendingImages&) = delete;

    // The images now being decoded by the load on this thread, if any.
    static CPendingImages* Current();

    void Hand(std::unique_ptr<CPageDecoder> pDecoder, int nPages) {
        m_pDecoder = std::move(pDecoder);
        m_nPages = nPages;
    }
    // Waits for the decoding and gives the pages their images; a page that does not decode
    // fails the load with its message.
    void Apply(CLumidorDoc& doc);

private:
    std::unique_ptr<CPageDecoder> m_pDecoder;
    int m_nPages = 0;
    CPendingImages* m_pOuter = nullptr;
};

thread_local CPendingImages* t_pPendingImages = nullptr;

CPendingImages::CPendingImages() : m_pOuter(t_pPendingImages) { t_pPendingImages = this; }
CPendingImages::~CPendingImages() { t_pPendingImages = m_pOuter; }
CPendingImages* CPendingImages::Current() { return t_pPendingImages; }

void CPendingImages::Apply(CLumidorDoc& doc) {
    if (!m_pDecoder)
        return;
    std::unique_ptr<CPageDecoder> pDecoder = std::move(m_pDecoder);
    std::vector<LBitmapBase> decoded;
    int nBad = 0;
    const int rc = pDecoder->Finish(decoded, &nBad);
    if (rc != SUCCESS)
        Refuse(LoadResString(IDS_DOC_BAD_PAGE_IMAGE)
                   .arg(nBad + 1)
                   .arg(ReasonForMessage(GetImagingErrorText(rc))));
    for (int i = 0; i < m_nPages && i < int(decoded.size()); ++i) {
        _PAGEINFO* pPage = doc.GetPageInfo(i);
        if (pPage && decoded[std::size_t(i)].IsAllocated()) {
            pPage->m_Bitmap.TakePixels(decoded[std::size_t(i)]);
            pPage->m_bImageModified = FALSE;
        }
    }
}

thread_local bool t_bFirstPageImageOnly = false;

} // namespace

CFirstPageImageOnly::CFirstPageImageOnly() : m_bOuter(t_bFirstPageImageOnly) {
    t_bFirstPageImageOnly = true;
}
CFirstPageImageOnly::~CFirstPageImageOnly() { t_bFirstPageImageOnly = m_bOuter; }
bool CFirstPageImageOnly::Active() { return t_bFirstPageImageOnly; }

// ---- Archive names and the toolkit's open -----------------------------------------------------

CArchiveException ReportableException(const CArchiveException& e) {
    if (e.m_cause == CArchiveException::programRefusal)
        return CArchiveException(CArchiveException::genericException, e.Describe());
    return e;
}

QString GetArchiveFileName(const CArchive& ar) {
    QIODevice* device = ar.GetDevice();
    if (!device)
        return {};
    const QVariant given = device->property(kArchiveNameProperty);
    if (given.isValid())
        return given.toString();
    if (auto* file = qobject_cast<QFileDevice*>(device))
        return file->fileName();
    return {};
}

void SetArchiveFileName(QIODevice* device, const QString& name) {
    if (device)
        device->setProperty(kArchiveNameProperty, name);
}

bool ReadDocumentFile(CLumidorDoc& doc, const QString& path) {
    DEF_TRY
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const CArchiveException e(CArchiveException::genericException, file.errorString());
        doc.ReportSaveLoadException(path, &e, FALSE);
        return false;
    }
    // A file of a size that a document can have is read at once; the load then works in memory
    // and page images are decoded straight from the file's bytes. A larger one is read as it
    // goes.
    QByteArray bytes;
    QBuffer memory;
    QIODevice* device = &file;
    // A preview of the first page reads as it goes, passing over the images of the other pages.
    if (file.size() <= MaxDocumentImageBytes() && !t_bFirstPageImageOnly) {
        bytes = file.readAll();
        if (bytes.size() != file.size()) {
            const CArchiveException e(CArchiveException::genericException, file.errorString());
            doc.ReportSaveLoadException(path, &e, FALSE);
            return false;
        }
        file.close();
        memory.setBuffer(&bytes);
        memory.open(QIODevice::ReadOnly);
        SetArchiveFileName(&memory, path);
        device = &memory;
    }
    CArchive ar(device, CArchive::load);
    try {
        doc.Serialize(ar);
        return true;
    } catch (const CDocRefusal& e) {
        doc.ReportSaveLoadException(path, &e, FALSE);
    } catch (const CArchiveException& e) {
        const CArchiveException reported = ReportableException(e);
        doc.ReportSaveLoadException(path, &reported, FALSE);
    } catch (...) {
        doc.ReportSaveLoadException(path, nullptr, FALSE);
    }
    return false;
    DEF_CATCH
    return false;
}

QString AutoSaveFileName(const QString& folder, const QString& docName, const QDateTime& when) {
    DEF_TRY
    const QString date = when.date().toString(QStringLiteral("yyyy'-'MM'-'dd"));
    const QTime t = when.time();
    const QLocale locale = QLocale::system();
    const int h12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    QString time = QStringLiteral("%1-%2 %3")
                       .arg(h12, 2, 10, QLatin1Char('0'))
                       .arg(t.minute(), 2, 10, QLatin1Char('0'))
                       .arg(t.hour() < 12 ? locale.amText() : locale.pmText());
    // A locale without AM/PM markers writes the 24-hour form.
    if (time.size() < 8)
        time = t.toString(QStringLiteral("HH'-'mm"));
    QString base = folder;
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')) && !base.endsWith(QLatin1Char('\\')))
        base += QLatin1Char('/');
    return base + QStringLiteral("%1 at %2 %3.brf").arg(date, time, docName);
    DEF_CATCH
    return {};
}

// ---- Storing the page images -------------------------------------------------------------------

namespace {

std::vector<const LBitmapBase*> PageBitmaps(const CLumidorDoc& doc) {
    std::vector<const LBitmapBase*> bitmaps;
    bitmaps.reserve(doc.m_PagesList.size());
    for (const auto& page : doc.m_PagesList)
        bitmaps.push_back(page->m_Bitmap.IsAllocated() ? &page->m_Bitmap : nullptr);
    return bitmaps;
}

std::vector<CDocFileSnapshot::Page> PageEntries(const CLumidorDoc& doc) {
    std::vector<CDocFileSnapshot::Page> pages;
    pages.reserve(doc.m_PagesList.size());
    for (const auto& p : doc.m_PagesList)
        pages.push_back(CDocFileSnapshot::Page{p->m_ptImagePos, p->m_nCanvasWidth,
                                               p->m_nCanvasHeight, p->m_strPageName, {}});
    return pages;
}

// The status bar's progress through the pages of a long document (a few pages need none). The
// user's Escape ends the load or save as a refusal that needs no further word.
std::function<void(int percent)> PageProgress(int nPages) {
    if (nPages < 4)
        return {};
    return [](int percent) {
        LMyBitmap reporter;
        reporter.EnableCallBack(true);
        if (reporter.StatusCallBack(percent) != SUCCESS)
            throw CDocRefusal();
    };
}

// The payload of the page-image record (its L first), the PNG files from `encoder`. On a device
// that can go back, each page is written while it is still being encoded and the lengths are
// filled in afterwards; otherwise every page is encoded before anything is written, so that the
// lengths are known first.
void WriteImageRecord(const std::vector<CDocFileSnapshot::Page>& pages, CArchive& ar,
                      CPageEncoder& encoder, const CRecordDpi& dpi,
                      const std::function<void(int percent)>& progress = {}) {
    const int nPages = int(pages.size());
    const bool bFillIn = !ar.GetDevice()->isSequential();
    const auto fail = [](int rc) {
        AfxThrowArchiveException(CArchiveException::genericException, GetImagingErrorText(rc));
    };
    std::vector<QByteArray> png(static_cast<std::size_t>(nPages));
    qint64 nLength = 4 + IMAGE_HEADER_SIZE;
    for (int i = 0; i < nPages; ++i) {
        if (!bFillIn) {
            const int rc = encoder.Take(i, png[std::size_t(i)]);
            if (rc != SUCCESS)
                fail(rc);
        }
        nLength += 16 + 4 + pages[std::size_t(i)].name.size() + 4 +
                   png[std::size_t(i)].size();
    }
    if (nLength > INT_MAX)
        AfxThrowArchiveException(CArchiveException::genericException,
                                 QStringLiteral("the page images are too large for one file"));
    const qint64 nLengthAt = ar.GetPosition();
    ar << LONG(nLength);
    const qint64 nPayloadAt = ar.GetPosition();
    _IMAGEHEADER h;
    h.nStorageVersion = IMAGE_STORAGE_PNG;
    h.nPageCount = LONG(nPages);
    WriteImageHeader(ar, h);
    for (int i = 0; i < nPages; ++i) {
        if (progress)
            progress(i * 100 / std::max(nPages, 1));
        const CDocFileSnapshot::Page& page = pages[std::size_t(i)];
        ar << dpi.StoreX(page.pos.x) << dpi.StoreY(page.pos.y);
        ar << page.cx << page.cy;
        WriteString(ar, page.name);
        if (!bFillIn) {
            ar << LONG(png[std::size_t(i)].size());
            ar.Write(png[std::size_t(i)]);
            // The page is written: its memory goes back before the next one is written.
            png[std::size_t(i)] = QByteArray();
            continue;
        }
        const qint64 nSizeAt = ar.GetPosition();
        ar << LONG(0);
        qint64 nSize = 0;
        const int rc = encoder.Stream(i, [&](const QByteArray& piece) {
            ar.Write(piece);
            nSize += piece.size();
        });
        if (rc != SUCCESS)
            fail(rc);
        if (ar.GetPosition() - nPayloadAt > INT_MAX)
            AfxThrowArchiveException(CArchiveException::genericException,
                                     QStringLiteral("the page images are too large for one file"));
        const qint64 nEnd = ar.GetPosition();
        ar.Seek(nSizeAt);
        ar << LONG(nSize);
        ar.Seek(nEnd);
    }
    if (bFillIn) {
        const qint64 nEnd = ar.GetPosition();
        ar.Seek(nLengthAt);
        ar << LONG(nEnd - nPayloadAt);
        ar.Seek(nEnd);
    }
    if (progress)
        progress(100);
}


// The object and erase-list records of every page, page after page, and the end record: what
// follows the page images in the file. Text objects learn here whether fields are being saved.
QByteArray StoreObjectRecords(CLumidorDoc& doc, const QString& archiveName) {
    QByteArray objects;
    QBuffer objectsBuf(&objects);
    objectsBuf.open(QIODevice::WriteOnly);
    SetArchiveFileName(&objectsBuf, archiveName);
    CArchive objectsAr(&objectsBuf, CArchive::store);
    // Where each object went among its page's records, for the record of the source PDF.
    std::map<std::pair<LONG, QByteArray>, LONG> stored;
    for (int nPage = 0; nPage < int(doc.m_PagesList.size()); ++nPage) {
        _PAGEINFO& page = *doc.m_PagesList[std::size_t(nPage)];
        page.m_FieldObjectsList.clear();
        LONG nStored = 0;
        for (const auto& pObject : page.m_ObjectsList) {
            const LONG nKind = GetStoredKind(pObject.get());
            if (nKind == 0)
                continue;
            if (auto* pText = dynamic_cast<CTranspText*>(pObject.get())) {
                pText->m_bSaveFields = doc.m_bSaveFields;
                if (pText->m_bFormField) {
                    page.m_FieldObjectsList.push_back(pText);
                } else if (pText->IsEmpty()) {
                    pText->m_bSaveFields = FALSE;
                    continue;
                }
            }
            objectsAr << nKind;
            pObject->Serialize(objectsAr);
            if (doc.m_pPdfSource)
                stored.emplace(std::make_pair(LONG(nPage), pObject->GetObjectName()), nStored);
            ++nStored;
        }
        if (!page.m_EraseList.IsEmpty()) {
            objectsAr << DOCKIND_ERASE;
            page.m_EraseList.Serialize(objectsAr, nPage);
        }
    }
    // Only a document made from a PDF file has this record; older readers pass over it.
    if (doc.m_pPdfSource)
        WritePdfSourceRecord(objectsAr, *doc.m_pPdfSource, [&stored](LONG nPage, const QByteArray& name) {
            const auto it = stored.find({nPage, name});
            return it == stored.end() ? LONG(-1) : it->second;
        });
    objectsAr << DOCKIND_END;
    return objects;
}

_DOCFILEHEADER HeaderOf(const CLumidorDoc& doc) {
    _DOCFILEHEADER header;
    header.dUnitScale = doc.m_dUnitScale;
    header.nOriginX = doc.m_ptOrigin.x;
    header.nOriginY = doc.m_ptOrigin.y;
    header.nOriginFlag = doc.m_nOriginFlag;
    header.nPageCount = doc.m_nPageCount;
    return header;
}

} // namespace

// ---- Serialize ---------------------------------------------------------------------------------

void CLumidorDoc::Serialize(CArchive& ar) {
    // Faults are raised to the open or save that runs it: they decide what the user sees.
    if (ar.IsStoring())
        StoringSerialize(ar);
    else
        LoadingSerialize(ar);
}

void CLumidorDoc::StoringSerialize(CArchive& ar) {
    // 1. Only the file family's extensions are written.
    if (!IsSavableDocPath(GetArchiveFileName(ar)))
        Refuse();

    // 2. The header.
    WriteDocHeader(ar, HeaderOf(*this));

    // 3. The page images are encoded on the workers from now on, while this thread puts the
    // objects and erase lists that follow them in the file into memory.
    const bool bImages = IsImageAvailable() && !m_bSaveWithoutImage;
    std::unique_ptr<CPageEncoder> pEncoder;
    if (bImages)
        pEncoder = std::make_unique<CPageEncoder>(PageBitmaps(*this));

    // 4. Page after page: its objects, then its erase list; 5. the end.
    const QByteArray objects = StoreObjectRecords(*this, GetArchiveFileName(ar));

    if (bImages) {
        ar << DOCKIND_IMAGES;
        WriteImageRecord(PageEntries(*this), ar, *pEncoder, CRecordDpi(), PageProgress(m_nPageCount));
        for (const auto& page : m_PagesList)
            page->m_bImageModified = FALSE;
    }
    ar.Write(objects);
}

std::unique_ptr<CDocFileSnapshot> TakeDocFileSnapshot(CLumidorDoc& doc) {
    auto snapshot = std::make_unique<CDocFileSnapshot>();
    snapshot->header = HeaderOf(doc);
    snapshot->pages = PageEntries(doc);
    snapshot->bImages = doc.IsImageAvailable() != FALSE;
    // Stored positions are scaled by the screen resolution, which only this thread may ask for.
    const QPoint dpi = GetScreenDpi();
    snapshot->dpi = POINT{dpi.x(), dpi.y()};
    for (std::size_t i = 0; i < snapshot->pages.size(); ++i) {
        const LMyBitmap& image = doc.m_PagesList[i]->m_Bitmap;
        // The copy shares the pixels until the document changes them.
        if (image.IsAllocated())
            snapshot->pages[i].image = image;
    }
    const BOOL bSaveFields = doc.m_bSaveFields;
    doc.m_bSaveFields = FALSE;
    snapshot->objects = StoreObjectRecords(doc, QStringLiteral("snapshot.brf"));
    doc.m_bSaveFields = bSaveFields;
    return snapshot;
}

bool WriteDocFileSnapshot(const CDocFileSnapshot& snapshot, const QString& path, QString* error) {
    DEF_TRY
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    try {
        CArchive ar(&file, CArchive::store);
        WriteDocHeader(ar, snapshot.header);
        if (snapshot.bImages) {
            std::vector<const LBitmapBase*> bitmaps;
            for (const CDocFileSnapshot::Page& p : snapshot.pages)
                bitmaps.push_back(p.image.IsAllocated() ? &p.image : nullptr);
            CPageEncoder encoder(std::move(bitmaps));
            ar << DOCKIND_IMAGES;
            WriteImageRecord(snapshot.pages, ar, encoder,
                             CRecordDpi(snapshot.dpi.x, snapshot.dpi.y));
        }
        ar.Write(snapshot.objects);
        if (!file.commit()) {
            if (error) *error = file.errorString();
            return false;
        }
        return true;
    } catch (const CArchiveException& e) {
        file.cancelWriting();
        if (error) *error = e.Describe();
        return false;
    }
    DEF_CATCH
    return false;
}

void CLumidorDoc::LoadingSerialize(CArchive& ar) {
    // 1. The roles that are read; a draft marks the document.
    const QString path = GetArchiveFileName(ar);
    if (!IsLoadableDocPath(path))
        Refuse();
    m_bDraft = HasDocExtension(path, DocExtRole::Draft) ? TRUE : FALSE;

    // 2. The header.
    _DOCFILEHEADER header;
    try {
        ReadDocHeader(ar, header);
    } catch (const CArchiveException&) {
        // Less than a header is no document at all.
        Refuse(LoadResString(IDS_DOC_WRONG_FORMAT));
    }
    if (!IsDocTag(header))
        Refuse(LoadResString(IDS_DOC_WRONG_FORMAT));

    // The version decides before anything is taken over.
    if (header.nVersion >= DOC_VERSION_NEWER)
        Refuse(LoadResString(IDS_DOC_NEWER_VERSION).arg(header.nVersion));
    if (header.nVersion != DOC_VERSION_TEXTBOXES &&
        (header.nVersion < DOC_VERSION_OLDEST_STREAM || header.nVersion > DOC_VERSION))
        Refuse(LoadResString(IDS_DOC_OLD_VERSION));
    // A unit scale that is no length would turn every position into nonsense.
    if (!IsValidUnitScale(header.dUnitScale))
        Refuse(LoadResString(IDS_DOC_WRONG_FORMAT));

    // 3. Document-wide values.
    m_dUnitScale = header.dUnitScale;
    m_ptOrigin = POINT{header.nOriginX, header.nOriginY};
    m_nOriginFlag = header.nOriginFlag;

    // 4. Pages.
    const LONG nPageCount = header.nPageCount;
    if (nPageCount < 0)
        Refuse(LoadResString(IDS_DOC_WRONG_FORMAT));
    if (m_bMerging) {
        if (nPageCount == 0 || nPageCount == 1)
            m_bMergePageByPage = FALSE;
        else if (nPageCount == m_nPageCount)
            m_bMergePageByPage = TRUE;
        else
            Refuse(LoadResString(IDS_DOC_PAGE_MISMATCH));
    } else {
        if (nPageCount > MAX_DOC_PAGES)
            Refuse(LoadResString(IDS_DOC_TOO_MANY_PAGES).arg(nPageCount));
        const int nPages = std::max<LONG>(nPageCount, 1);
        while (int(m_PagesList.size()) < nPages)
            m_PagesList.push_back(std::make_unique<_PAGEINFO>());
        m_nPageCount = int(m_PagesList.size());
    }

    // 5. The body of the version.
    if (header.nVersion == DOC_VERSION_TEXTBOXES) {
        LoadingSerialize2(ar, header);
        return;
    }

    // 6. The record stream; the page images decode while the objects after them are read.
    CPendingImages pendingImages;
    const qint64 nFileSize = ar.GetDevice()->isSequential() ? -1 : ar.GetDevice()->size();
    m_bImageRecordSeen = FALSE;
    for (;;) {
        LONG nKind = 0;
        ar >> nKind;
        if (nKind == DOCKIND_END)
            break;
        if (std::unique_ptr<CTranspBaseClass> pObject = CreateObjectForKind(nKind, nullptr, 0)) {
            // The object reads its own length and record. A file in memory tells what remains
            // at no cost; a file on disk gets each record copied out, so that the object's checks
            // do not ask the file system for its size at every field.
            if (MemoryOf(ar)) {
                pObject->Serialize(ar);
            } else {
                CObjectRecord record(ar, ReadRecordLength(ar, nFileSize));
                pObject->Serialize(record.Archive());
            }
            auto* pText = dynamic_cast<CTranspText*>(pObject.get());
            if (pText && pText->m_bFormField) {
                if (AddObjectToList(std::move(pObject)))
                    AddFieldObjectToList(pText);
            } else if (pText && pText->IsEmpty()) {
                // An empty text that is no field holds nothing: it is dropped.
            } else {
                AddObjectToList(std::move(pObject));
            }
            continue;
        }
        const LONG nLength = ReadRecordLength(ar, nFileSize);
        CRecordArchive record(ar, nLength);
        switch (nKind) {
        case DOCKIND_IMAGES:
            if (m_bMerging) {
                const QString strImagePath = m_strImagePath;
                SerializeImage(record.Archive());
                m_strImagePath = strImagePath;
            } else {
                SerializeImage(record.Archive());
                m_bImageRecordSeen = TRUE;
            }
            break;
        case DOCKIND_ERASE_PAGE0:
        case DOCKIND_ERASE: {
            LONG nPage = 0;
            if (nKind == DOCKIND_ERASE)
                record.Archive() >> nPage;
            // The list of a page the document does not have has nowhere to go.
            if (CEraseList* pList = GetErasedList(nPage))
                pList->Serialize(record.Archive(), nPage);
            break;
        }
        case DOCKIND_PDF_SOURCE:
            // A merged file's form is not this document's.
            if (!m_bMerging) {
                auto source = std::make_shared<CPdfSource>();
                ReadPdfSourceRecord(record.Archive(), *source);
                m_pPdfSource = std::move(source);
            }
            break;
        default:
            // A kind this program does not know: its L bytes are passed over.
            break;
        }
        record.End();
    }

    pendingImages.Apply(*this);
    if (m_pPdfSource && !m_bMerging)
        ApplyPdfSourceToObjects(*this, *m_pPdfSource);

    // 7. Files before version 6 link their image.
    if (header.nVersion < DOC_VERSION && m_bImageRecordSeen) {
        if (!FileExists(m_strImagePath))
            Refuse(LoadResString(IDS_DOC_IMAGE_MISSING).arg(FileNameForMessage(m_strImagePath)),
                   m_strImagePath);
        if (!OpenImage(m_strImagePath))
            Refuse({}, m_strImagePath);
    }
}

void CLumidorDoc::LoadingSerialize2(CArchive& ar, const _DOCFILEHEADER& header) {
    const QString path = GetArchiveFileName(ar);
    const QByteArray imageName = ar.ReadCString();
    CEditArchiveReader reader(ar);
    for (;;) {
        LONG nMarker = 0;
        ar >> nMarker;
        if (nMarker == 0)
            break;
        if (nMarker != 1)
            continue;
        std::unique_ptr<CTransparentEdit> pEdit = reader.ReadObject();
        if (!pEdit)
            continue;
        if (std::unique_ptr<CTranspBaseClass> pObject = pEdit->Convert())
            AddObjectToList(std::move(pObject));
    }

    if (!m_bMerging) {
        // The image lies beside the document; only its name is taken from the file, so that a
        // stored path cannot point anywhere else.
        const QString name = ExtractFileName(QString::fromLocal8Bit(imageName));
        const QString imagePath = ExtractFilePath(path) + name;
        if (name.isEmpty() || !FileExists(imagePath))
            Refuse(LoadResString(IDS_DOC_IMAGE_MISSING).arg(FileNameForMessage(imagePath)), name);
        if (!OpenImage(imagePath))
            Refuse({}, name);
        // The image goes where the header puts it. A merge brings no image, so the document's
        // own image stays where it is.
        const POINT pos = UnitToPagePixels(0, POINT{header.nImageX, header.nImageY});
        SetPageImagePos(0, pos.x, pos.y);
    }
}

// ---- The page-image record ---------------------------------------------------------------------

void CLumidorDoc::SerializeImage(CArchive& ar) {
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        CPageEncoder encoder(PageBitmaps(*this));
        WriteImageRecord(PageEntries(*this), ar, encoder, dpi);
        return;
    }

    _IMAGEHEADER h;
    ReadImageHeader(ar, h);
    const int nPages = int(std::clamp<LONG>(h.nPageCount, 0, m_nPageCount));
    struct PageEntry {
        POINT pos;
        LONG cx = 0;
        LONG cy = 0;
        QByteArray name;
    };
    std::vector<PageEntry> entries(static_cast<std::size_t>(nPages));
    // Each page decodes on a worker while the next one is read. What the images will take once
    // decoded is known from their headers; a few compressed bytes can claim gigabytes, so the
    // whole document is held to a budget before a page is decoded.
    auto pDecoder =
        std::make_unique<CPageDecoder>(h.nStorageVersion > IMAGE_STORAGE_LINKED ? nPages : 0);
    std::int64_t nImageBytes = 0;
    const std::int64_t nMaxImageBytes = MaxDocumentImageBytes();
    const std::function<void(int)> progress = PageProgress(nPages);
    for (int i = 0; i < nPages; ++i) {
        PageEntry& e = entries[std::size_t(i)];
        LONG x = 0, y = 0;
        ar >> x >> y >> e.cx >> e.cy;
        e.pos = POINT{dpi.LoadX(x), dpi.LoadY(y)};
        ReadString(ar, e.name);
        if (h.nStorageVersion > IMAGE_STORAGE_LINKED) {
            LONG n = 0;
            ar >> n;
            if (i > 0 && t_bFirstPageImageOnly) {
                // Never decoded, so it takes no memory and is held to no budget.
                ar.CheckCount(n);
                ar.Seek(ar.GetPosition() + n);
                pDecoder->Add(i, {});
                continue;
            }
            QByteArray bytes = ReadPayload(ar, n);
            FILEINFO info;
            if (!bytes.isEmpty() &&
                brellin::imaging::ReadInfo(reinterpret_cast<const uchar*>(bytes.constData()),
                                           std::size_t(bytes.size()), info) == SUCCESS)
                nImageBytes += DecodedImageBytes(info);
            if (nImageBytes > nMaxImageBytes)
                Refuse(LoadResString(IDS_DOC_BAD_PAGE_IMAGE)
                           .arg(i + 1)
                           .arg(ReasonForMessage(GetImagingErrorText(ERROR_IMAGE_TOO_LARGE))));
            pDecoder->Add(i, std::move(bytes));
            if (progress)
                progress(i * 100 / std::max(nPages, 1));
        }
    }
    if (progress)
        progress(100);
    QByteArray linkedPath;
    if (h.nStorageVersion == IMAGE_STORAGE_LINKED)
        ReadString(ar, linkedPath);

    for (int i = 0; i < nPages; ++i) {
        _PAGEINFO& page = *m_PagesList[std::size_t(i)];
        const PageEntry& e = entries[std::size_t(i)];
        page.m_ptImagePos = e.pos;
        SetCanvasSize(i, e.cx, e.cy);
        page.m_strPageName = e.name;
        m_bFrame = e.pos.x != 0 ? TRUE : FALSE;
    }

    // The images go to their pages once decoded: at the end of the stream when a load reads on
    // meanwhile, here otherwise.
    CPendingImages* pPending = CPendingImages::Current();
    if (pPending) {
        pPending->Apply(*this);
        pPending->Hand(std::move(pDecoder), nPages);
    } else {
        CPendingImages own;
        own.Hand(std::move(pDecoder), nPages);
        own.Apply(*this);
    }

    if (h.nStorageVersion == IMAGE_STORAGE_LINKED) {
        // The image is looked for beside the document under the name the file gives; the
        // stored folder is not followed, so that a document received from someone cannot pull
        // any image the user can read into itself and into every file saved from it.
        const QString name = ExtractFileName(QString::fromLocal8Bit(linkedPath));
        m_strImagePath = name.isEmpty() ? QString() : ExtractFilePath(GetArchiveFileName(ar)) + name;
    }
}
