#include "view/PagePictures.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/SelectDocOrPage.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/WaitCursor.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"
#include "platform/imaging/MyBitmap.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"

#include <QApplication>
#include <algorithm>

namespace {

const QString kExportDir = QStringLiteral("ExportDir");

QString CutAtSeparator(const QString& title, bool withSpace) {
    for (qsizetype i = 0; i < title.size(); ++i) {
        const QChar c = title[i];
        if ((withSpace && c == QLatin1Char(' ')) || c == QLatin1Char('#') ||
            c == QLatin1Char('%') || c == QLatin1Char(';') || c == QLatin1Char('/') ||
            c == QLatin1Char('\\'))
            return title.left(i);
    }
    return title;
}

// The failure of a write, in the library's words and, for a file, the system's.
void ReportWriteFailure(int rc, const QString& path) {
    if (rc == ERROR_USER_ABORT) return;
    if (rc == ERROR_INV_PARAMETER) {
        // Nothing to draw: a page without canvas.
        ErrorBox(LoadResString(IDS_EXPORT_NO_PAGE).arg(FileNameForMessage(path)));
        return;
    }
    QString text = GetImagingErrorText(rc);
    const QString cause = GetLastImagingIoError();
    if (!cause.isEmpty())
        text = ReasonForMessage(text) + QStringLiteral(": ") + cause + QLatin1Char('.');
    ErrorBox(text);
}

// Current page or whole document; a one-page document needs no question. False on cancel.
bool AskWhichPages(CLumidorDoc& doc, UINT captionId, bool& bAll) {
    bAll = false;
    if (doc.GetPageCount() <= 1) return true;
    CSelectDocOrPage dlg;
    dlg.m_strCaption = LoadResString(captionId);
    dlg.m_nChoice = CSelectDocOrPage::CurrentPage;
    if (dlg.DoModal() != IDOK) return false;
    bAll = dlg.m_nChoice == CSelectDocOrPage::WholeDocument;
    return true;
}

bool AskPicturePath(const QString& defaultExt, UINT filterId, UINT titleId,
                    const QString& initialName, QString& path) {
    FileDialogRequest req;
    req.save = true;
    req.mustExist = false;
    req.title = LoadResString(titleId);
    req.defaultExt = defaultExt;
    req.filter = LoadResString(filterId);
    req.initialDir = Profile().GetProfileString(kSectionSettings, kExportDir, {});
    req.initialName = initialName;
    if (!GetDialogService().GetFileName(req, path) || path.isEmpty()) return false;
    if (!ExtractFileName(path).contains(QLatin1Char('.'))) path += QLatin1Char('.') + defaultExt;
    Profile().WriteProfileString(kSectionSettings, kExportDir, ExtractFilePath(path));
    return true;
}

// Runs a picture command with the page-name suffix flag cleared for a one-page document, and
// set again afterwards whatever happens.
template <typename Body> void WithSuffixRule(CLumidorDoc& doc, Body body) {
    if (doc.GetPageCount() == 1) doc.m_bPageNameSuffix = FALSE;
    body();
    doc.m_bPageNameSuffix = TRUE;
}

// One page drawn and saved with the parameters already decided.
int SavePage(const CLumidorDoc& doc, int nPage, const QString& path, bool bEmf, int format,
             int depth, int quality) {
    if (bEmf) return WriteCurrentPageToEmf(doc, nPage, path);
    LBitmapBase bitmap;
    const int rc = GetPageAsBitmap(doc, nPage, bitmap);
    if (rc != SUCCESS) return rc;
    return bitmap.Save(path, format, depth, quality);
}

} // namespace

QString PictureFileTitle(const QString& title) {
    QString name = title;
    name.replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1Char(':'), QLatin1Char('_'));
    return CutAtSeparator(name, true);
}

QString ExportFileTitle(const QString& title) { return CutAtSeparator(title, true); }

QString PictureFileName(const CLumidorDoc& doc, int nPage, const QString& path) {
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    bool unique = p && !p->m_strPageName.isEmpty();
    for (int i = 0; unique && i < nPage; ++i)
        if (const _PAGEINFO* q = doc.GetPageInfo(i); q && q->m_strPageName == p->m_strPageName)
            unique = false;
    if (unique) return PageFileName(doc, nPage, path);
    const QString number = QString::number(nPage + 1);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (dot <= slash) return path + QLatin1Char('_') + number;
    return path.left(dot) + QLatin1Char('_') + number + path.mid(dot);
}

bool WriteToGraphicOrEmfFile(CLumidorDoc& doc, int nPage, const QString& path, bool bAllPages,
                             bool bAsTiff, bool bDialogs) {
    DEF_TRY
    const bool bEmf = ExtractFileExt(path).toLower() == QStringLiteral("emf");
    if (bAllPages && bAsTiff) {
        int depth = 24, format = 0, quality = 2;
        if (!GetImageFormatParams(path, depth, format, quality, bDialogs)) return false;
        CWaitCursor wait;
        // A page at a time into the file, which appears only once it is whole.
        LTiffPageWriter writer;
        int rc = writer.Open(path);
        const int n = doc.GetPageCount();
        for (int i = 0; rc == SUCCESS && i < n; ++i) {
            LBitmapBase bitmap;
            rc = GetPageAsBitmap(doc, i, bitmap);
            if (rc == SUCCESS) rc = writer.AddPage(bitmap, format, depth);
            if (rc == SUCCESS && n > 1 && !LMyBitmap::ReportSteps(i + 1, n)) rc = ERROR_USER_ABORT;
        }
        if (n > 1) LMyBitmap::ReportSteps(n, n);
        if (rc == SUCCESS) rc = writer.Commit();
        else writer.Cancel();
        // Escape leaves the old file and needs no further word.
        if (rc == ERROR_USER_ABORT) return false;
        if (rc != SUCCESS) {
            ReportWriteFailure(rc, path);
            return false;
        }
        return true;
    }
    int depth = 24, format = 0, quality = 2;
    // The pictures are 24-bit; the questions of format are asked once for all the files.
    if (!bEmf && !GetImageFormatParams(path, depth, format, quality, bDialogs)) return false;
    CWaitCursor wait;
    if (!bAllPages) {
        const QString target = doc.m_bPageNameSuffix ? PictureFileName(doc, nPage, path) : path;
        const int rc = SavePage(doc, nPage, target, bEmf, format, depth, quality);
        if (rc != SUCCESS) {
            ReportWriteFailure(rc, target);
            return false;
        }
        return true;
    }
    // One file a page; Escape stops before the next page, keeping the files already written.
    const int n = doc.GetPageCount();
    bool bWritten = true;
    for (int i = 0; i < n && bWritten; ++i) {
        const QString target = PictureFileName(doc, i, path);
        const int rc = SavePage(doc, i, target, bEmf, format, depth, quality);
        if (rc != SUCCESS) {
            ReportWriteFailure(rc, target);
            bWritten = false;
        } else if (n > 1 && !LMyBitmap::ReportSteps(i + 1, n)) {
            bWritten = false;
        }
    }
    if (n > 1) LMyBitmap::ReportSteps(n, n);
    return bWritten;
    DEF_CATCH
    return false;
}

void ExportTo(CLumidorDoc& doc, int nPage, const QString& path, bool bAllPages) {
    DEF_TRY
    const QString ext = ExtractFileExt(path).toLower();
    if (!IsImageFormatSupported(path) && ext != QStringLiteral("emf")) {
        ErrorBox(LoadResString(IDS_EXPORT_UNSUPPORTED).arg(ExtractFileName(path)));
        return;
    }
    WriteToGraphicOrEmfFile(doc, nPage, path, bAllPages,
                            ext == QStringLiteral("tif") || ext == QStringLiteral("tiff"));
    DEF_CATCH
}

void OnFileSaveAsImage(CLumidorDoc& doc, int nPage) {
    DEF_TRY
    WithSuffixRule(doc, [&] {
        bool bAll = false;
        if (!AskWhichPages(doc, IDS_SAVE_AS_PICTURE_TITLE, bAll)) return;
        QString path;
        if (!AskPicturePath(QStringLiteral("png"), IDS_FILTER_SAVE_AS_PICTURE,
                            IDS_SAVE_AS_PICTURE_TITLE, PictureFileTitle(doc.GetTitle()), path))
            return;
        ExportTo(doc, nPage, path, bAll);
    });
    DEF_CATCH
    doc.m_bPageNameSuffix = TRUE;
}

void OnFileExportTo(CLumidorDoc& doc, int nPage) {
    DEF_TRY
    WithSuffixRule(doc, [&] {
        bool bAll = false;
        if (!AskWhichPages(doc, IDS_EXPORT_TITLE, bAll)) return;
        QString path;
        if (!AskPicturePath(bAll ? QStringLiteral("tif") : QStringLiteral("bmp"),
                            bAll ? IDS_FILTER_EXPORT_PAGES : IDS_FILTER_EXPORT_PAGE,
                            IDS_EXPORT_TITLE, ExportFileTitle(doc.GetTitle()), path))
            return;
        ExportTo(doc, nPage, path, bAll);
    });
    DEF_CATCH
    doc.m_bPageNameSuffix = TRUE;
}

void RegisterPagePictureCommands(CLumidorView& view, CCommandMap& map) {
    const auto hasDoc = [&view](CCmdUI& ui) { ui.Enable(view.GetDocument() != nullptr); };
    map.On(
        ID_FILE_SAVE_AS_IMAGE,
        [&view] {
            if (CLumidorDoc* doc = view.GetDocument()) OnFileSaveAsImage(*doc, view.GetActivePage());
        },
        hasDoc);
    map.On(
        ID_FILE_EXPORT_TO,
        [&view] {
            if (CLumidorDoc* doc = view.GetDocument()) OnFileExportTo(*doc, view.GetActivePage());
        },
        hasDoc);
}
