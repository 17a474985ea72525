#include "document/ImageSave.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/ImageFile.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace {

const QString kInitialDir = QStringLiteral("InitialDir");
const QString kFileExtIndex = QStringLiteral("FileExtIndex");

bool IsTiff(const QString& path) {
    const QString ext = ExtractFileExt(path).toLower();
    return ext == QStringLiteral("tif") || ext == QStringLiteral("tiff");
}

// The save dialog of page images; false on cancel.
bool AskImagePath(const CLumidorDoc& doc, QString& path) {
    const bool onePage = doc.GetPageCount() == 1;
    FileDialogRequest req;
    req.save = true;
    req.mustExist = false;
    req.title = LoadResString(IDS_SAVE_IMAGE_TITLE);
    req.defaultExt = onePage ? QStringLiteral("bmp") : QStringLiteral("tif");
    req.filter = LoadResString(onePage ? IDS_FILTER_SAVE_IMAGE_PAGE : IDS_FILTER_SAVE_IMAGE_PAGES);
    req.initialDir = Profile().GetProfileString(kSectionSettings, kInitialDir, {});
    req.initialName = doc.m_strDocName;
    req.filterIndex = std::max(1, Profile().GetProfileInt(kSectionSettings, kFileExtIndex, 0));
    if (!GetDialogService().GetFileName(req, path) || path.isEmpty()) return false;
    // A name typed without an extension takes the one of the type chosen.
    if (!ExtractFileName(path).contains(QLatin1Char('.'))) {
        QString ext = onePage ? SaveImageFilterExt(req.filterIndex) : QStringLiteral("tif");
        path += QLatin1Char('.') + (ext.isEmpty() ? req.defaultExt : ext);
    }
    Profile().WriteProfileString(kSectionSettings, kInitialDir, ExtractFilePath(path));
    Profile().WriteProfileInt(kSectionSettings, kFileExtIndex, req.filterIndex);
    return true;
}

// The library's text for a failed save, nothing for the user's own abort.
void ReportSaveFailure(int rc) {
    if (rc == ERROR_USER_ABORT) return;
    QString text = GetImagingErrorText(rc);
    const QString cause = GetLastImagingIoError();
    if (!cause.isEmpty()) text = ReasonForMessage(text) + QStringLiteral(": ") + cause + QLatin1Char('.');
    ErrorBox(text);
}

} // namespace

QString SaveImageFilterExt(int filterIndex) {
    static const char* const kExts[] = {"bmp", "tif", "pcx", "jpg", "png"};
    if (filterIndex < 1 || filterIndex > 5) return {};
    return QString::fromLatin1(kExts[filterIndex - 1]);
}

bool SaveImage(CLumidorDoc& doc, const QString& pathIn) {
    DEF_TRY
    QString path = pathIn;
    if (path.isEmpty() && !AskImagePath(doc, path)) return false;

    // The pages that have an image; a page without one has nothing to save.
    LBitmapList list;
    std::vector<int> saved;
    const FrameOptions options = LoadFrameOptions();
    for (int i = 0; i < doc.GetPageCount(); ++i) {
        const LMyBitmap* image = doc.GetCurrentBitmap(i);
        if (!image) continue;
        LBitmapBase copy(*image); // shares the pixels
        if (options[OPT_TRANSPARENT])
            copy.SetTransparentColor(true, COLORREF(options[OPT_TRANSPARENT_COLOR]));
        list.InsertItem(std::move(copy));
        saved.push_back(i);
    }
    if (saved.empty()) {
        ErrorBox(GetImagingErrorText(ERROR_NOT_ALLOCATED));
        return false;
    }
    // Only a TIFF file holds several images: any other kind would silently lose pages.
    if (list.GetItemsCount() > 1 && !IsTiff(path)) {
        ErrorBox(LoadResString(IDS_SAVE_IMAGE_ONE_PAGE_ONLY).arg(list.GetItemsCount()));
        return false;
    }

    int depth = list.Item(0)->GetBitsPerPixel(), format = 0, quality = 2;
    if (!GetImageFormatParams(path, depth, format, quality, true)) return false;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The whole file is written beside the target and then put in its place, so a failure
    // leaves the previous file as it was.
    LFile file;
    file.SetFileName(path);
    const int rc = file.SaveBitmapList(list, format, depth, quality);
    QApplication::restoreOverrideCursor();
    if (rc != SUCCESS) {
        ReportSaveFailure(rc);
        return false;
    }
    for (const int i : saved)
        if (_PAGEINFO* p = doc.GetPageInfo(i)) p->m_bImageModified = FALSE;
    doc.m_strImagePath = QFileInfo(path).absoluteFilePath();
    doc.UpdateTitle();
    return true;
    DEF_CATCH
    return false;
}

void OnFileSaveImage(CLumidorDoc& doc) {
    DEF_TRY
    // An image file of a kind that is not written (a metafile) is asked for anew.
    const QString path = IsImageFormatSupported(doc.m_strImagePath) ? doc.m_strImagePath : QString();
    SaveImage(doc, path);
    DEF_CATCH
}

void OnFileSaveImageAs(CLumidorDoc& doc) {
    DEF_TRY
    // The document now names another image file.
    if (SaveImage(doc, QString())) doc.SetModifiedFlag();
    DEF_CATCH
}

void RegisterImageSaveCommands(CLumidorDoc& doc, CCommandMap& map) {
    map.On(
        ID_FILE_SAVE_IMAGE, [&doc] { OnFileSaveImage(doc); },
        [&doc](CCmdUI& ui) { ui.Enable(doc.IsImageModified() != FALSE); });
    map.On(
        ID_FILE_SAVE_IMAGE_AS, [&doc] { OnFileSaveImageAs(doc); },
        [&doc](CCmdUI& ui) { ui.Enable(doc.IsImageAvailable() != FALSE); });
}
