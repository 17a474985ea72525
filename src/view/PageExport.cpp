#include "view/PageExport.h"

#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "document/DocumentBatch.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"

#include <QFileInfo>
#include <QStringList>
#include <cstdio>

int GetActivePageAsBitmap(const CLumidorDoc& doc, LBitmapBase& out) {
    return GetPageAsBitmap(doc, doc.GetCurrentPage(), out);
}

int GetDocumentAsBitmapList(const CLumidorDoc& doc, LBitmapList& out) {
    DEF_TRY
    for (int i = 0; i < doc.GetPageCount(); ++i) {
        LBitmapBase bitmap;
        const int rc = GetPageAsBitmap(doc, i, bitmap);
        if (rc != SUCCESS) return rc;
        out.InsertItem(std::move(bitmap));
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

QString PageFileName(const CLumidorDoc& doc, int nPage, const QString& path) {
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    QString name;
    if (p && !CodePageToUnicode(p->m_strPageName, CP_ACP_DEFAULT, name))
        name = QString::fromLatin1(p->m_strPageName);
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    const int slash =
        int(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))));
    if (dot <= slash) return path + QLatin1Char('_') + name;
    return path.left(dot) + QLatin1Char('_') + name + path.mid(dot);
}

int WriteCurrentPageToBitmap(const CLumidorDoc& doc, int nPage, const QString& path) {
    DEF_TRY
    LBitmapBase bitmap;
    int rc = GetPageAsBitmap(doc, nPage, bitmap);
    if (rc != SUCCESS) return rc;
    int depth = bitmap.GetBitsPerPixel(), format = 0, quality = 2;
    if (!GetImageFormatParams(path, depth, format, quality, false)) return ERROR_FILE_FORMAT;
    return bitmap.Save(path, format, depth, quality);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int WriteAllPagesToBitmaps(const CLumidorDoc& doc, const QString& path) {
    DEF_TRY
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QStringLiteral("tif") || ext == QStringLiteral("tiff")) {
        LBitmapList list;
        if (const int rc = GetDocumentAsBitmapList(doc, list); rc != SUCCESS) return rc;
        int depth = 24, format = 0, quality = 2;
        if (!GetImageFormatParams(path, depth, format, quality, false)) return ERROR_FILE_FORMAT;
        LFile file;
        file.SetFileName(path);
        return file.SaveBitmapList(list, format, depth, quality);
    }
    for (int i = 0; i < doc.GetPageCount(); ++i) {
        const int rc = WriteCurrentPageToBitmap(doc, i, PageFileName(doc, i, path));
        if (rc != SUCCESS) return rc;
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int RunExportCommand(const QStringList& args) {
    DEF_TRY
    QStringList files;
    bool allPages = false;
    int page = 0;
    bool usage = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--all-pages")) {
            allPages = true;
        } else if (args[i] == QStringLiteral("--page") && i + 1 < args.size()) {
            bool ok = false;
            page = args[++i].toInt(&ok);
            usage |= !ok || page < 0;
        } else {
            files << args[i];
        }
    }
    if (usage || files.size() != 2) {
        std::fprintf(stderr, "Usage: brellin --export OUT [--all-pages] [--page N] IN\n");
        return 2;
    }
    CLumidorDoc doc;
    if (!LoadDocumentForBatch(doc, files[1], nullptr)) return 1;
    if (!allPages && page >= doc.GetPageCount()) {
        std::fprintf(stderr, "The document has no page %d.\n", page);
        return 1;
    }
    const int rc = allPages ? WriteAllPagesToBitmaps(doc, files[0])
                            : WriteCurrentPageToBitmap(doc, page, files[0]);
    if (rc != SUCCESS) {
        ErrorBox(GetImagingErrorText(rc));
        return 1;
    }
    return 0;
    DEF_CATCH
    return 1;
}

void RegisterViewBatchCommands() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(QStringLiteral("export"),
                                      QStringLiteral("OUT [--all-pages] [--page N] IN"),
                                      RunExportCommand);
    DEF_CATCH
}
