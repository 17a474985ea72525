#include "document/PdfReader.h"

#include "document/PdfColourProbe.h"
#include "document/PdfMonoRender.h"
#include "document/PdfPageDepth.h"
#include "platform/Guard.h"
#include "platform/imaging/ImagingTypes.h"
#include "platform/imaging/MyBitmap.h"

#include <QFile>
#include <QMutex>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>
#include <poppler-document.h>
#include <poppler-form.h>
#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <atomic>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// The field flags of the form's widgets as libqpdf reads them, page after page in each page's
// order; poppler does not tell the comb flag.
constexpr int kFlagMultiline = 1 << 12;
constexpr int kFlagComb = 1 << 24;

struct WidgetFlags {
    QString name;
    int nFlags = 0;
};

std::vector<std::vector<WidgetFlags>> ReadWidgetFlags(const QByteArray& bytes,
                                                      const QByteArray& password, int nPages) {
    std::vector<std::vector<WidgetFlags>> pages;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.setAttemptRecovery(true);
        pdf.processMemoryFile("form", bytes.constData(), std::size_t(bytes.size()),
                              password.isEmpty() ? nullptr : password.constData());
        QPDFAcroFormDocumentHelper form(pdf);
        if (!form.hasAcroForm())
            return pages;
        const std::vector<QPDFPageObjectHelper> all = QPDFPageDocumentHelper(pdf).getAllPages();
        if (int(all.size()) != nPages)
            return pages;
        for (const QPDFPageObjectHelper& page : all) {
            std::vector<WidgetFlags> widgets;
            for (QPDFAnnotationObjectHelper& w :
                 form.getWidgetAnnotationsForPage(const_cast<QPDFPageObjectHelper&>(page))) {
                QPDFFormFieldObjectHelper field = form.getFieldForAnnotation(w);
                if (field.isNull())
                    continue;
                widgets.push_back({QString::fromStdString(field.getFullyQualifiedName()),
                                   field.getFlags()});
            }
            pages.push_back(std::move(widgets));
        }
    } catch (const std::exception&) {
        pages.clear();
    }
    return pages;
}

int AlignOf(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) return 1;
    if (a & Qt::AlignRight) return 2;
    return 0;
}

// Messages of the PDF library are not the user's: damaged files are reported by the program.
void QuietPoppler(const QString&, const QVariant&) {}

std::unique_ptr<Poppler::Document> LoadPoppler(const QByteArray& bytes, const QByteArray& password) {
    static const bool quiet = [] {
        Poppler::setDebugErrorFunction(QuietPoppler, QVariant());
        return true;
    }();
    (void)quiet;
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(bytes, password, password);
    if (!doc)
        return doc;
    // Edges drawn hard: black text on white stays black and white, so that a text page becomes
    // a 1-bit page as a fax or a scan at that resolution would be.
    doc->setRenderHint(Poppler::Document::Antialiasing, false);
    doc->setRenderHint(Poppler::Document::TextAntialiasing, false);
    doc->setRenderHint(Poppler::Document::TextHinting, false);
    return doc;
}

// Draws pages taken from a shared counter until none is left, with poppler documents of its own:
// a page the colour probe vouches for 1 bit deep through poppler-cpp, any other in colour
// through poppler-qt6 and reduced.
class CRenderWorker : public QRunnable {
public:
    struct Shared {
        const QByteArray* bytes = nullptr;
        QByteArray password;
        const std::vector<double>* dpis = nullptr;
        std::vector<LMyBitmap>* pages = nullptr;
        std::atomic<int> next{0};
        std::atomic<int> done{0};
        bool bMono = true;
        std::atomic<int> mono{0};
        std::atomic<bool> cancel{false};
        std::atomic<int> result{SUCCESS};
        std::atomic<int> failedPage{-1};
        QMutex mutex;
        QWaitCondition progress;
    };
    explicit CRenderWorker(Shared& shared) : m_shared(shared) { setAutoDelete(true); }
    void run() override {
        DEF_TRY
        std::unique_ptr<Poppler::Document> doc = LoadPoppler(*m_shared.bytes, m_shared.password);
        const int n = int(m_shared.dpis->size());
        for (;;) {
            if (m_shared.cancel.load())
                break;
            const int i = m_shared.next.fetch_add(1);
            if (i >= n)
                break;
            int rc = doc && !doc->isLocked() ? SUCCESS : ERROR_FILE_READ;
            if (rc == SUCCESS) {
                const double dpi = (*m_shared.dpis)[std::size_t(i)];
                LMyBitmap page;
                if (RenderMono(*doc, i, dpi, page))
                    m_shared.mono.fetch_add(1);
                else
                    rc = RenderPdfPage(*doc, i, dpi, page);
                if (rc == SUCCESS)
                    (*m_shared.pages)[std::size_t(i)].TakePixels(page);
            }
            if (rc != SUCCESS) {
                int expected = SUCCESS;
                if (m_shared.result.compare_exchange_strong(expected, rc))
                    m_shared.failedPage.store(i);
                m_shared.cancel.store(true);
            }
            m_shared.done.fetch_add(1);
            QMutexLocker lock(&m_shared.mutex);
            m_shared.progress.wakeAll();
        }
        DEF_CATCH
        QMutexLocker lock(&m_shared.mutex);
        m_shared.progress.wakeAll();
    }

private:
    // The page 1 bit deep when the probe vouches for it at this resolution; false leaves it to
    // the colour drawing.
    bool RenderMono(const Poppler::Document& doc, int i, double dpi, LMyBitmap& page) {
        if (!m_shared.bMono)
            return false;
        if (!m_probe)
            m_probe = std::make_unique<CPdfColourProbe>(*m_shared.bytes, m_shared.password,
                                                         int(m_shared.dpis->size()));
        if (!m_probe->Probe(i).Holds(dpi))
            return false;
        if (!m_bMonoLoaded) {
            m_mono = LoadMonoPdf(*m_shared.bytes, m_shared.password);
            m_bMonoLoaded = true;
        }
        const std::unique_ptr<Poppler::Page> qtPage = doc.page(i);
        return m_mono && qtPage &&
               RenderPdfPageMono(*m_mono, i, qtPage->pageSizeF(), dpi, page) == SUCCESS;
    }

    Shared& m_shared;
    std::unique_ptr<CPdfColourProbe> m_probe;
    std::unique_ptr<poppler::document> m_mono;
    bool m_bMonoLoaded = false;
};

} // namespace

int RenderPdfPage(const Poppler::Document& doc, int nPage, double dpi, LMyBitmap& out) {
    DEF_TRY
    std::unique_ptr<Poppler::Page> page = doc.page(nPage);
    if (!page)
        return ERROR_FILE_READ;
    // The widgets that become objects are not drawn into the image: the objects show them.
    for (const std::unique_ptr<Poppler::FormField>& field : page->formFields()) {
        bool mapped = field->type() == Poppler::FormField::FormText;
        if (field->type() == Poppler::FormField::FormButton)
            mapped = static_cast<const Poppler::FormFieldButton&>(*field).buttonType() !=
                     Poppler::FormFieldButton::Push;
        if (mapped)
            field->setVisible(false);
    }
    const PdfRasterPlan plan = PlanPdfRaster(page->pageSizeF(), dpi);
    const int w = plan.nWidth, h = plan.nHeight;
    if (w < 1 || h < 1) {
        // A page of no size still is a page: a blank one, so that the pages keep their numbers.
        QImage blank(1, 1, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return ReducePdfPage(blank, int(dpi), int(dpi), out);
    }
    // A large page is drawn in bands, each kept at its own least depth at once, so that a worker
    // never holds more than one band at four bytes a pixel; the bands are joined at the deepest
    // depth any of them needed.
    const int rows = plan.nBandRows;
    if (!plan.bBanded) {
        const QImage image = page->renderToImage(dpi, dpi);
        if (image.isNull())
            return ERROR_NO_MEMORY;
        return ReducePdfPage(image, int(dpi), int(dpi), out);
    }
    std::vector<LBitmapBase> bands;
    int depth = 1;
    for (int y = 0; y < h; y += rows) {
        const QImage band = page->renderToImage(dpi, dpi, 0, y, w, std::min(rows, h - y));
        if (band.isNull())
            return ERROR_NO_MEMORY;
        LBitmapBase reduced;
        const int rc = ReducePdfPage(band, int(dpi), int(dpi), reduced);
        if (rc != SUCCESS)
            return rc;
        depth = std::max(depth, reduced.GetBitsPerPixel());
        bands.push_back(std::move(reduced));
    }
    const QImage::Format format = depth == 1   ? QImage::Format_Mono
                                  : depth == 8 ? QImage::Format_Grayscale8
                                               : QImage::Format_RGB888;
    QImage joined(w, h, format);
    if (joined.isNull())
        return ERROR_NO_MEMORY;
    if (depth == 1)
        joined.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    int y = 0;
    for (LBitmapBase& band : bands) {
        QImage rowsOf = band.GetImage();
        band.Free();
        // A grey band's indices are its greys; anything else goes through its palette.
        if (depth == 8 && rowsOf.format() == QImage::Format_Indexed8)
            rowsOf.reinterpretAsFormat(QImage::Format_Grayscale8);
        if (rowsOf.format() != format)
            rowsOf = rowsOf.convertToFormat(format);
        if (rowsOf.isNull() || rowsOf.width() != w)
            return ERROR_NO_MEMORY;
        const std::size_t line = std::size_t(std::min(rowsOf.bytesPerLine(), joined.bytesPerLine()));
        for (int r = 0; r < rowsOf.height() && y < h; ++r, ++y)
            std::memcpy(joined.scanLine(y), rowsOf.constScanLine(r), line);
    }
    int rc = out.SetImage(std::move(joined), depth);
    if (rc == SUCCESS) rc = out.SetXResolution(int(dpi));
    if (rc == SUCCESS) rc = out.SetYResolution(int(dpi));
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

CPdfReader::CPdfReader() = default;
CPdfReader::~CPdfReader() = default;

PdfReadStatus CPdfReader::Open(const QString& path, const QByteArray& password) {
    DEF_TRY
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PdfReadStatus::CannotRead;
    return OpenData(file.readAll(), password);
    DEF_CATCH
    return PdfReadStatus::CannotRead;
}

PdfReadStatus CPdfReader::OpenData(const QByteArray& bytes, const QByteArray& password) {
    DEF_TRY
    m_doc.reset();
    m_nPageCount = 0;
    m_bytes = bytes;
    m_password = password;
    if (!m_bytes.startsWith("%PDF") && !m_bytes.left(1024).contains("%PDF"))
        return PdfReadStatus::CannotRead;
    m_doc = LoadPoppler(m_bytes, {});
    if (!m_doc)
        return PdfReadStatus::CannotRead;
    if (m_doc->isLocked()) {
        if (password.isEmpty())
            return PdfReadStatus::NeedPassword;
        m_doc = LoadPoppler(m_bytes, password);
        if (!m_doc || m_doc->isLocked()) {
            m_doc.reset();
            return PdfReadStatus::WrongPassword;
        }
    } else {
        m_password.clear();
    }
    m_nPageCount = m_doc->numPages();
    if (m_nPageCount > PDF_MAX_PAGES)
        return PdfReadStatus::TooManyPages;
    if (m_nPageCount <= 0)
        return PdfReadStatus::NoPages;
    return PdfReadStatus::Ok;
    DEF_CATCH
    return PdfReadStatus::CannotRead;
}

PdfImportPlan CPdfReader::ReadPlan() const {
    PdfImportPlan plan;
    DEF_TRY
    if (!m_doc)
        return plan;
    const std::vector<std::vector<WidgetFlags>> flags = ReadWidgetFlags(m_bytes, m_password, m_nPageCount);
    int nRecords = 0;
    for (int i = 0; i < m_nPageCount; ++i) {
        std::unique_ptr<Poppler::Page> page = m_doc->page(i);
        PdfPageRecord record;
        if (page) {
            const QSizeF size = page->pageSizeF();
            record.dWidthPt = size.width();
            record.dHeightPt = size.height();
        }
        plan.pages.push_back(record);
        if (!page)
            continue;
        // The k-th widget of a field on this page, in poppler's order and libqpdf's alike.
        std::map<QString, int> seen;
        const std::vector<WidgetFlags>* pageFlags =
            std::size_t(i) < flags.size() ? &flags[std::size_t(i)] : nullptr;
        for (const std::unique_ptr<Poppler::FormField>& field : page->formFields()) {
            // The builder takes no more than this; the rest is only counted.
            if (nRecords >= PDF_MAX_FIELDS * 2) {
                ++plan.nFieldsNotRead;
                continue;
            }
            PdfFieldRecord f;
            f.nPage = i;
            f.strName = field->fullyQualifiedName();
            f.rect = field->rect();
            f.bReadOnly = field->isReadOnly();
            const int k = seen[f.strName]++;
            int nFlags = 0;
            if (pageFlags) {
                int n = 0;
                for (const WidgetFlags& w : *pageFlags)
                    if (w.name == f.strName && n++ == k) {
                        nFlags = w.nFlags;
                        break;
                    }
            }
            switch (field->type()) {
            case Poppler::FormField::FormText: {
                const auto& t = static_cast<const Poppler::FormFieldText&>(*field);
                f.kind = PdfFieldKind::Text;
                f.strValue = t.text();
                f.dFontSize = t.getFontSize();
                f.nAlign = AlignOf(t.textAlignment());
                f.nMaxLength = t.maximumLength();
                f.bMultiline = t.textType() == Poppler::FormFieldText::Multiline ||
                               (nFlags & kFlagMultiline) != 0;
                f.bComb = (nFlags & kFlagComb) != 0;
                break;
            }
            case Poppler::FormField::FormButton: {
                const auto& b = static_cast<const Poppler::FormFieldButton&>(*field);
                f.kind = b.buttonType() == Poppler::FormFieldButton::CheckBox ? PdfFieldKind::CheckBox
                         : b.buttonType() == Poppler::FormFieldButton::Radio  ? PdfFieldKind::Radio
                                                                              : PdfFieldKind::PushButton;
                f.bChecked = b.state();
                break;
            }
            case Poppler::FormField::FormChoice:
                f.kind = PdfFieldKind::Choice;
                break;
            default:
                f.kind = PdfFieldKind::Signature;
                break;
            }
            plan.fields.push_back(std::move(f));
            ++nRecords;
        }
    }
    DEF_CATCH
    return plan;
}

int CPdfReader::RenderPages(const std::vector<double>& dpis, std::vector<LMyBitmap>& pages,
                            const PdfRenderProgress& progress, int* pFailedPage, int nWorkers) const {
    DEF_TRY
    if (!m_doc || int(dpis.size()) != m_nPageCount)
        return ERROR_INV_PARAMETER;
    pages.clear();
    pages.resize(dpis.size());
    CRenderWorker::Shared shared;
    shared.bytes = &m_bytes;
    shared.password = m_password;
    shared.dpis = &dpis;
    shared.pages = &pages;
    shared.bMono = m_bMonoDrawing;
    const int total = int(dpis.size());
    if (nWorkers <= 0)
        nWorkers = std::max(1, QThread::idealThreadCount());
    nWorkers = std::min(nWorkers, total);
    QThreadPool pool;
    pool.setMaxThreadCount(nWorkers);
    for (int i = 0; i < nWorkers; ++i)
        pool.start(new CRenderWorker(shared));
    // This thread reports progress and takes the user's cancel while the workers draw.
    for (;;) {
        {
            QMutexLocker lock(&shared.mutex);
            if (shared.done.load() < total && !shared.cancel.load())
                shared.progress.wait(&shared.mutex, 50);
        }
        const int done = shared.done.load();
        if (progress && !shared.cancel.load() && !progress(done, total)) {
            shared.cancel.store(true);
            int expected = SUCCESS;
            shared.result.compare_exchange_strong(expected, ERROR_USER_ABORT);
        }
        if (done >= total || shared.cancel.load())
            break;
    }
    pool.waitForDone();
    m_nMonoPages = shared.mono.load();
    const int rc = shared.result.load();
    if (rc != SUCCESS) {
        if (pFailedPage)
            *pFailedPage = shared.failedPage.load();
        pages.clear();
    }
    return rc;
    DEF_CATCH
    pages.clear();
    return ERROR_INTERNAL;
}
