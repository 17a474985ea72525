#include "document/PdfImport.h"

#include "app/PdfOpenDialog.h"
#include "app/PdfPasswordDialog.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "document/PdfFormBuilder.h"
#include "document/PdfReader.h"
#include "document/PdfSource.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/WaitCursor.h"
#include "platform/imaging/ImagingTypes.h"
#include "platform/imaging/MyBitmap.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <atomic>

namespace {

std::atomic<bool> g_bAsk{false};
const QString kResolutionEntry = QStringLiteral("PdfResolution");

// Opens the reader, asking for the password as long as the user gives wrong ones.
bool OpenReader(CPdfReader& reader, const QString& path) {
    const QString name = FileNameForMessage(path);
    PdfReadStatus status = reader.Open(path);
    while (status == PdfReadStatus::NeedPassword || status == PdfReadStatus::WrongPassword) {
        if (status == PdfReadStatus::WrongPassword)
            ErrorBox(IDS_PDF_PASSWORD_WRONG);
        if (!GetPdfOpenPrompt()) {
            ErrorBox(LoadResString(IDS_PDF_PASSWORD_NEEDED).arg(name));
            return false;
        }
        CPdfPasswordDialog dialog;
        dialog.m_strFileName = ExtractFileName(path);
        if (dialog.DoModal() != IDOK)
            return false;
        status = reader.Open(path, dialog.m_strPassword.toUtf8());
        // An empty password that does not open the file is as wrong as any other.
        if (status == PdfReadStatus::NeedPassword)
            status = PdfReadStatus::WrongPassword;
    }
    switch (status) {
    case PdfReadStatus::Ok:
        return true;
    case PdfReadStatus::TooManyPages:
        ErrorBox(LoadResString(IDS_PDF_TOO_MANY_PAGES).arg(name).arg(reader.GetPageCount()).arg(PDF_MAX_PAGES));
        return false;
    case PdfReadStatus::NoPages:
        ErrorBox(LoadResString(IDS_PDF_NO_PAGES).arg(name));
        return false;
    default:
        ErrorBox(LoadResString(IDS_PDF_CANNOT_READ).arg(name));
        return false;
    }
}

} // namespace

bool IsPdfPath(const QString& path) {
    return QFileInfo(path).suffix().toLower() == QStringLiteral("pdf");
}

void SetPdfOpenPrompt(bool bAsk) { g_bAsk.store(bAsk); }
bool GetPdfOpenPrompt() { return g_bAsk.load(); }

int GetPdfOpenResolution() {
    DEF_TRY
    const int dpi = Profile().GetProfileInt(kSectionSettings, kResolutionEntry, PDF_DEFAULT_DPI);
    return dpi >= PDF_MIN_DPI && dpi <= PDF_MAX_DPI ? dpi : PDF_DEFAULT_DPI;
    DEF_CATCH
    return PDF_DEFAULT_DPI;
}

void SetPdfOpenResolution(int nDpi) {
    DEF_TRY
    if (nDpi >= PDF_MIN_DPI && nDpi <= PDF_MAX_DPI)
        Profile().WriteProfileInt(kSectionSettings, kResolutionEntry, nDpi);
    DEF_CATCH
}

BOOL OpenPdfDocument(CLumidorDoc& doc, const QString& path) {
    DEF_TRY
    PumpMessages();
    const QString name = FileNameForMessage(path);
    CPdfReader reader;
    if (!OpenReader(reader, path))
        return FALSE;

    int nDpi = GetPdfOpenResolution();
    if (GetPdfOpenPrompt()) {
        CPdfOpenDialog dialog;
        dialog.m_strFileName = ExtractFileName(path);
        dialog.m_nDpi = nDpi;
        dialog.m_nMinDpi = PDF_MIN_DPI;
        dialog.m_nMaxDpi = PDF_MAX_DPI;
        if (dialog.DoModal() != IDOK)
            return FALSE;
        nDpi = dialog.m_nDpi;
        SetPdfOpenResolution(nDpi);
    }

    CWaitCursor wait;
    const PdfImportPlan plan = reader.ReadPlan();
    if (int(plan.pages.size()) != reader.GetPageCount()) {
        ErrorBox(LoadResString(IDS_PDF_CANNOT_READ).arg(name));
        return FALSE;
    }
    std::vector<double> dpis;
    QStringList lowered;
    for (std::size_t i = 0; i < plan.pages.size(); ++i) {
        bool bLowered = false;
        dpis.push_back(ChooseRenderDpi(plan.pages[i], nDpi, &bLowered));
        if (bLowered)
            lowered << QString::number(i + 1);
    }

    std::vector<LMyBitmap> pages;
    int nFailed = -1;
    // The main window's progress display, whose cancel ends the drawing.
    const int rc = reader.RenderPages(dpis, pages, &LMyBitmap::ReportSteps, &nFailed);
    LMyBitmap().StatusCallBack(100);
    if (rc == ERROR_USER_ABORT)
        return FALSE;
    if (rc != SUCCESS) {
        ErrorBox(LoadResString(IDS_PDF_RENDER_FAILED).arg(nFailed + 1).arg(name, GetImagingErrorText(rc)));
        return FALSE;
    }

    auto source = std::make_shared<CPdfSource>();
    source->strPath = QFileInfo(path).absoluteFilePath();
    // The bytes the pages came from, not the file as it may be by now.
    source->sha256 = QCryptographicHash::hash(reader.GetBytes(), QCryptographicHash::Sha256);
    source->nDpi = nDpi;
    PdfBuildResult result;
    if (!BuildPdfDocument(doc, pages, plan, *source, result)) {
        doc.DeleteContents();
        ErrorBox(LoadResString(IDS_PDF_CANNOT_READ).arg(name));
        return FALSE;
    }
    doc.m_pPdfSource = std::move(source);
    doc.SetTitle(ExtractFileName(path));
    doc.SetModifiedFlag(FALSE);
    Q_EMIT doc.pagesChanged();

    if (!lowered.isEmpty()) {
        if (lowered.size() > 20)
            lowered = lowered.mid(0, 20) << QStringLiteral("…");
        WarningBox(LoadResString(IDS_PDF_RES_LOWERED).arg(name).arg(nDpi).arg(lowered.join(QStringLiteral(", "))));
    }
    if (!result.skippedFields.isEmpty())
        InformationBox(LoadResString(IDS_PDF_SKIPPED_FIELDS).arg(result.skippedFields.join(QLatin1Char('\n'))));
    if (result.nDroppedFields > 0)
        WarningBox(LoadResString(IDS_PDF_DROPPED_FIELDS).arg(result.nDroppedFields).arg(name));
    doc.BigImageMessage();
    return TRUE;
    DEF_CATCH
    doc.DeleteContents();
    return FALSE;
}
