#include "acquire/BatchOutput.h"

#include "app/Utils.h"
#include "document/DocFileFormat.h"
#include "document/LumidorDoc.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"

#include <algorithm>

bool IsBatchOutputPath(const QString& out) { return IsSavableDocPath(out) || IsImageFormatSupported(out); }

CBatchOutput::CBatchOutput(const QString& out, BatchPageKind kind, UINT saveFailedId)
    : m_out(out), m_kind(kind), m_saveFailedId(saveFailedId) {
    const QString ext = ExtractFileExt(out).toLower();
    m_tiff = !IsSavableDocPath(out) && (ext == QStringLiteral("tif") || ext == QStringLiteral("tiff"));
}

CBatchOutput::~CBatchOutput() = default;

int CBatchOutput::Failed(int rc, const QString& why) {
    m_writer.reset(); // an unfinished TIFF file goes
    QString text = LoadResString(m_saveFailedId).arg(FileNameForMessage(m_out));
    if (rc != ERROR_FILE_FORMAT) {
        const QString reason = GetImagingErrorText(rc);
        text += QLatin1Char('\n') + (why.isEmpty() ? reason
                                                   : ReasonForMessage(reason) + QStringLiteral(": ") +
                                                         why + QLatin1Char('.'));
    }
    ErrorBox(text);
    return 1;
}

int CBatchOutput::AddPage(LBitmapBase& page) {
    DEF_TRY
    if (!page.IsAllocated()) return Failed(ERROR_NOT_ALLOCATED);
    const bool document = IsSavableDocPath(m_out);
    if (m_pages == 0 && !document) {
        // The format from the extension and the options; each page at its own depth, where the
        // format holds it (JPEG has no black and white).
        m_depth = page.GetBitsPerPixel();
        if (!GetImageFormatParams(m_out, m_depth, m_format, m_quality, false))
            return Failed(ERROR_FILE_FORMAT);
        if (!m_tiff) m_depth = m_format == FILE_JPEG ? std::max(page.GetBitsPerPixel(), 8) : page.GetBitsPerPixel();
    }
    ++m_pages;
    if (m_tiff) {
        if (!m_writer) {
            m_writer = std::make_unique<LTiffPageWriter>();
            const int rc = m_writer->Open(m_out);
            if (rc != SUCCESS) return Failed(rc, m_writer->ErrorText());
        }
        // A page of the depth the options ask for is written as it is.
        const int rc = m_writer->AddPage(page, m_format, m_depth == page.GetBitsPerPixel() ? 0 : m_depth);
        return rc == SUCCESS ? 0 : Failed(rc, m_writer->ErrorText());
    }
    // Any other image file holds the first page only.
    if (!document && m_pages > 1) return 0;
    m_held += page.GetMemorySize();
    m_kept.InsertItem(std::move(page));
    return 0;
    DEF_CATCH
    return Failed(ERROR_INTERNAL);
}

int CBatchOutput::Finish() {
    DEF_TRY
    if (m_pages == 0) return Failed(ERROR_NOT_ALLOCATED);
    if (m_tiff) {
        const int rc = m_writer->Commit();
        return rc == SUCCESS ? 0 : Failed(rc, m_writer->ErrorText());
    }
    if (!IsSavableDocPath(m_out)) {
        const int rc = m_kept.Item(0)->Save(m_out, m_format, m_depth, m_quality);
        return rc == SUCCESS ? 0 : Failed(rc, GetLastImagingIoError());
    }
    CLumidorDoc doc;
    doc.m_strNewPageName = QByteArray();
    bool made = false;
    if (m_kind == BatchPageKind::WholePage) {
        made = doc.CreateFromBitmapList(m_kept);
    } else {
        made = doc.CreateFromBitmap(*m_kept.Item(0));
        for (int i = 1; made && i < m_kept.GetItemsCount(); ++i)
            made = doc.AppendPageFromBitmap(*m_kept.Item(i));
    }
    // The document has said what went wrong.
    return made && doc.OnSaveDocument(m_out) ? 0 : 1;
    DEF_CATCH
    return Failed(ERROR_INTERNAL);
}
