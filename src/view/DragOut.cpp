#include "view/DragOut.h"

#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "platform/DataPaths.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImagingTypes.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"

#include <QDrag>
#include <QMimeData>
#include <QUrl>

namespace {
constexpr int kFormatEmf = 5;
constexpr int kFormatPng = 4;

// The title as a file name: what a file system cannot hold becomes "_".
QString SafeFileName(QString title) {
    for (QChar& c : title)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) c = QLatin1Char('_');
    title = title.trimmed();
    if (title.isEmpty() || title == QStringLiteral(".") || title == QStringLiteral(".."))
        title = QStringLiteral("page");
    return title;
}

bool OfferFile(CLumidorView& view, const QString& path, int rc) {
    if (rc != SUCCESS) {
        const QString reason = GetLastImagingIoError().isEmpty() ? GetImagingErrorText(rc)
                                                                 : GetLastImagingIoError();
        ErrorBox(LoadResString(IDS_DRAG_OUT_FAILED).arg(FileNameForMessage(path), reason));
        return false;
    }
    auto* drag = new QDrag(view.GetWindow());
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    return true;
}
} // namespace

QString DragOutFilePath(const CLumidorDoc& doc, bool rasterOnly) {
    DEF_TRY
    int format = int(LoadFrameOptions()[OPT_IMAGES_FORMAT]);
    if (format < 0 || format > kFormatEmf) format = kFormatPng;
    if (rasterOnly && format == kFormatEmf) format = kFormatPng;
    const QString name = GetTempDirPath() + SafeFileName(doc.GetTitle()) +
                         QStringLiteral(".png");
    return SelectGraphExt(name, format + 1);
    DEF_CATCH
    return {};
}

bool StartPageDrag(CLumidorView& view) {
    DEF_TRY
    CLumidorDoc* doc = view.GetDocument();
    if (!doc) return false;
    const QString path = DragOutFilePath(*doc, false);
    const int page = view.GetActivePage();
    const int rc = ExtractFileExt(path).toLower() == QStringLiteral("emf")
                       ? WriteCurrentPageToEmf(*doc, page, path)
                       : WriteCurrentPageToBitmap(*doc, page, path);
    return OfferFile(view, path, rc);
    DEF_CATCH
    return false;
}

bool StartCutOutDrag(CLumidorView& view, const RECT& rcPage) {
    DEF_TRY
    CLumidorDoc* doc = view.GetDocument();
    if (!doc || rcPage.IsRectEmpty()) return false;
    const QString path = DragOutFilePath(*doc, true);
    return OfferFile(view, path, WriteCuttedPageToBitmap(*doc, view.GetActivePage(), path, rcPage));
    DEF_CATCH
    return false;
}
