#include "acquire/BatchOutput.h"

#include "app/Utils.h"
#include "document/DocFileFormat.h"
#include "document/LumidorDoc.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImageFile.h"

#include <algorithm>

namespace {

bool IsTiff(const QString& path) {
    const QString ext = ExtractFileExt(path).toLower();
    return ext == QStringLiteral("tif") || ext == QStringLiteral("tiff");
}

int WriteDocument(LBitmapList& pages, const QString& out, BatchPageKind kind) {
    CLumidorDoc doc;
    doc.m_strNewPageName = QByteArray();
    bool made = false;
    if (kind == BatchPageKind::WholePage) {
        made = doc.CreateFromBitmapList(pages);
    } else {
        made = doc.CreateFromBitmap(*pages.Item(0));
        for (int i = 1; made && i < pages.GetItemsCount(); ++i)
            made = doc.AppendPageFromBitmap(*pages.Item(i));
    }
    // The document has said what went wrong.
    return made && doc.OnSaveDocument(out) ? 0 : 1;
}

// The image file; the result code, with the system's reason where it has one.
int WriteImage(const LBitmapList& pages, const QString& out, QString& why) {
    const LBitmapBase& first = *pages.Item(0);
    int depth = first.GetBitsPerPixel(), format = 0, quality = 0;
    if (!GetImageFormatParams(out, depth, format, quality, false)) return ERROR_FILE_FORMAT;
    if (!IsTiff(out)) {
        // Each page at its own depth, where the format holds it (JPEG has no black and white).
        depth = format == FILE_JPEG ? std::max(first.GetBitsPerPixel(), 8) : first.GetBitsPerPixel();
        const int rc = first.Save(out, format, depth, quality);
        why = GetLastImagingIoError();
        return rc;
    }
    // A page at a time straight to the file, which appears once the last one is in.
    LTiffPageWriter writer;
    int rc = writer.Open(out);
    for (int i = 0; rc == SUCCESS && i < pages.GetItemsCount(); ++i)
        rc = writer.AddPage(*pages.Item(i), format, depth == first.GetBitsPerPixel() ? 0 : depth);
    if (rc == SUCCESS) rc = writer.Commit();
    if (rc != SUCCESS) why = writer.ErrorText();
    return rc;
}

} // namespace

bool IsBatchOutputPath(const QString& out) { return IsSavableDocPath(out) || IsImageFormatSupported(out); }

int WriteBatchOutput(LBitmapList& pages, const QString& out, BatchPageKind kind, UINT saveFailedId) {
    DEF_TRY
    if (pages.GetItemsCount() == 0) return 1;
    if (IsSavableDocPath(out)) return WriteDocument(pages, out, kind);
    QString why;
    const int rc = WriteImage(pages, out, why);
    if (rc == SUCCESS) return 0;
    QString text = LoadResString(saveFailedId).arg(FileNameForMessage(out));
    if (rc != ERROR_FILE_FORMAT) {
        const QString reason = GetImagingErrorText(rc);
        text += QLatin1Char('\n') +
                (why.isEmpty() ? reason : ReasonForMessage(reason) + QStringLiteral(": ") + why + QLatin1Char('.'));
    }
    ErrorBox(text);
    return 1;
    DEF_CATCH
    return 1;
}
