#include "view/PageExport.h"
#include "view/PagePictures.h"

#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "document/DocumentBatch.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "document/PdfWriter.h"
#include "objects/ObjectTypes.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/DC.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/EmfPaintDevice.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <utility>

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

namespace {
// Saves by the path's extension with the format parameters of the settings, without dialogs.
int SaveWithSettings(LBitmapBase& bitmap, const QString& path) {
    int depth = bitmap.GetBitsPerPixel(), format = 0, quality = 2;
    if (!GetImageFormatParams(path, depth, format, quality, false)) return ERROR_FILE_FORMAT;
    return bitmap.Save(path, format, depth, quality);
}
} // namespace

int WriteCurrentPageToBitmap(const CLumidorDoc& doc, int nPage, const QString& path) {
    DEF_TRY
    LBitmapBase bitmap;
    const int rc = GetPageAsBitmap(doc, nPage, bitmap);
    return rc == SUCCESS ? SaveWithSettings(bitmap, path) : rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int WriteCuttedPageToBitmap(const CLumidorDoc& doc, int nPage, const QString& path, RECT rect) {
    DEF_TRY
    LBitmapBase bitmap;
    int rc = GetPageAsBitmap(doc, nPage, bitmap);
    if (rc != SUCCESS) return rc;
    NormalizeRect(rect);
    RECT inside;
    if (!IntersectRect(inside, rect, RECT{0, 0, bitmap.GetWidth(), bitmap.GetHeight()}))
        return ERROR_INV_PARAMETER;
    rc = bitmap.Trim(int(inside.left), int(inside.top), int(inside.right - inside.left),
                     int(inside.bottom - inside.top));
    if (rc != SUCCESS) return rc;
    // Without a file name the part goes to the clipboard.
    return path.isEmpty() ? bitmap.CopyToClipboard() : SaveWithSettings(bitmap, path);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int WriteCurrentPageToEmf(const CLumidorDoc& doc, int nPage, const QString& path) {
    DEF_TRY
    const SIZE canvas = doc.GetCanvasSize(nPage);
    const POINT dpi = doc.GetPageResolution(nPage);
    if (canvas.cx <= 0 || canvas.cy <= 0) return ERROR_INV_PARAMETER;
    CEmfPaintDevice emf(QSize(int(canvas.cx), int(canvas.cy)), int(dpi.x), int(dpi.y));
    {
        CDC dc(&emf);
        if (!dc.IsValid()) return ERROR_INTERNAL;
        DrawOnImagePage(&dc, doc, nPage);
    }
    return emf.SaveAs(path);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int WriteCurrentPageToSvg(const CLumidorDoc& doc, int nPage, const QString& path) {
    DEF_TRY
    const SIZE canvas = doc.GetCanvasSize(nPage);
    const POINT dpi = doc.GetPageResolution(nPage);
    if (canvas.cx <= 0 || canvas.cy <= 0 || dpi.x <= 0) return ERROR_INV_PARAMETER;
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    {
        // The drawing in page pixels, the size on paper from the page's resolution.
        QSvgGenerator generator;
        generator.setOutputDevice(&svg);
        generator.setSize(QSize(int(canvas.cx), int(canvas.cy)));
        generator.setViewBox(QRect(0, 0, int(canvas.cx), int(canvas.cy)));
        generator.setResolution(int(dpi.x));
        generator.setTitle(doc.GetTitle());
        CDC dc(&generator);
        if (!dc.IsValid()) return ERROR_INTERNAL;
        dc.SetLogPixelsOverride(dpi.x, dpi.y);
        DrawOnImagePage(&dc, doc, nPage);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(svg.data()) != svg.data().size() || !file.commit()) {
        brellin::imaging::SetLastIoError(file.errorString());
        return ERROR_FILE_WRITE;
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

namespace {

bool IsTiffPath(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == QStringLiteral("tif") || ext == QStringLiteral("tiff");
}

QString Extension(const QString& path) { return QFileInfo(path).suffix().toLower(); }
bool IsPdfPath(const QString& path) { return Extension(path) == QStringLiteral("pdf"); }
// Drawings rather than pictures: one file a page, drawn through the same path as the screen.
bool IsDrawingPath(const QString& path) {
    return Extension(path) == QStringLiteral("emf") || Extension(path) == QStringLiteral("svg");
}

// The raster format of a single-image extension; 0 for none.
int SingleImageFormat(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QStringLiteral("bmp")) return FILE_BMP;
    if (ext == QStringLiteral("pcx")) return FILE_PCX;
    if (ext == QStringLiteral("png")) return FILE_PNG;
    if (ext == QStringLiteral("jpg") || ext == QStringLiteral("jpeg")) return FILE_JPEG;
    return 0;
}

// Page nPage drawn for output at the depth the options ask for.
int RenderForExport(const CLumidorDoc& doc, int nPage, const ExportOptions& options,
                    LBitmapBase& out) {
    // A fax file holds only black and white: a page for it is made black and white here, with
    // the threshold that keeps text legible, whatever depth was asked for.
    const int depth = options.nTiffFormat == FILE_CCITT_GROUP4 ? 1 : options.nDepth;
    if (depth == 0)
        return GetPageAsLeastDepthBitmap(doc, nPage, out);
    LBitmapBase page;
    int rc = GetPageAsBitmap(doc, nPage, page);
    if (rc == SUCCESS && page.GetBitsPerPixel() != depth) rc = page.ChangeBitsPerPixel(depth);
    if (rc == SUCCESS) out.TakePixels(page);
    return rc;
}

int TiffFormatFor(const LBitmapBase& page, const ExportOptions& options) {
    if (options.nTiffFormat != 0) return options.nTiffFormat;
    return page.GetBitsPerPixel() == 1 ? FILE_CCITT_GROUP4 : FILE_TIF_ZIP;
}

// The imaging layer's JPEG quality (0 best .. 255 smallest) of a quality from 1 to 100.
int LayerJpegQuality(int quality) {
    return (100 - std::clamp(quality, 1, 100)) * 255 / 99;
}

} // namespace

int ExportPages(const CLumidorDoc& doc, const std::vector<int>& pages, const QString& path,
                const ExportOptions& options, QString* error) {
    DEF_TRY
    // The layer's text for the code, with the system's own words when a file operation failed.
    const auto fail = [&](int rc, const QString& cause = {}) {
        if (error)
            *error = cause.isEmpty() ? GetImagingErrorText(rc)
                                     : ReasonForMessage(GetImagingErrorText(rc)) +
                                           QStringLiteral(": ") + cause + QLatin1Char('.');
        return rc;
    };
    if (pages.empty()) return fail(ERROR_INV_PARAMETER);
    if (IsPdfPath(path)) {
        PdfOptions pdf;
        if (options.nJpegQuality > 0) {
            pdf.nJpegQuality = LayerJpegQuality(options.nJpegQuality);
        } else {
            int depth = 24, jpeg = 0;
            GetImageFormatParams(QStringLiteral("page.jpg"), depth, jpeg, pdf.nJpegQuality, false);
        }
        pdf.bLossless = options.bLossless;
        QString why;
        const int rc = WriteDocumentPdf(doc, pages, path, pdf, &why, options.progress);
        if (rc != SUCCESS && error) *error = why;
        return rc;
    }
    if (IsDrawingPath(path)) {
        for (const int nPage : pages) {
            const QString target = pages.size() > 1 ? PictureFileName(doc, nPage, path) : path;
            const int rc = Extension(path) == QStringLiteral("svg")
                               ? WriteCurrentPageToSvg(doc, nPage, target)
                               : WriteCurrentPageToEmf(doc, nPage, target);
            if (rc != SUCCESS) return fail(rc, GetLastImagingIoError());
        }
        return SUCCESS;
    }
    if (IsTiffPath(path)) {
        // A page at a time: each is drawn, handed to the file and freed before the next.
        LTiffPageWriter writer;
        int rc = writer.Open(path);
        if (rc != SUCCESS) return fail(rc, writer.ErrorText());
        for (const int nPage : pages) {
            LBitmapBase page;
            rc = RenderForExport(doc, nPage, options, page);
            if (rc != SUCCESS) return fail(rc);
            rc = writer.AddPage(page, TiffFormatFor(page, options));
            if (rc != SUCCESS) return fail(rc, writer.ErrorText());
        }
        rc = writer.Commit();
        return rc == SUCCESS ? SUCCESS : fail(rc, writer.ErrorText());
    }
    const int format = SingleImageFormat(path);
    if (format == 0) return fail(ERROR_FILE_FORMAT);
    int quality = 2;
    if (format == FILE_JPEG) {
        if (options.nJpegQuality > 0) {
            quality = LayerJpegQuality(options.nJpegQuality);
        } else {
            int depth = 24, jpeg = 0;
            GetImageFormatParams(path, depth, jpeg, quality, false);
        }
    }
    for (const int nPage : pages) {
        LBitmapBase page;
        int rc = RenderForExport(doc, nPage, options, page);
        if (rc != SUCCESS) return fail(rc);
        const QString target = pages.size() > 1 ? PictureFileName(doc, nPage, path) : path;
        rc = page.Save(target, format, 0, quality);
        if (rc != SUCCESS) return fail(rc, GetLastImagingIoError());
    }
    return SUCCESS;
    DEF_CATCH
    if (error) *error = GetImagingErrorText(ERROR_INTERNAL);
    return ERROR_INTERNAL;
}

int WriteAllPagesToBitmaps(const CLumidorDoc& doc, const QString& path) {
    DEF_TRY
    std::vector<int> pages;
    for (int i = 0; i < doc.GetPageCount(); ++i) pages.push_back(i);
    return ExportPages(doc, pages, path, ExportOptions{});
    DEF_CATCH
    return ERROR_INTERNAL;
}

namespace {

// The value of an option that names one of a few words; false for any other word.
bool ParseChoice(const QString& word, std::initializer_list<std::pair<const char*, int>> choices,
                 int& value) {
    for (const auto& [name, code] : choices) {
        if (word == QLatin1String(name)) {
            value = code;
            return true;
        }
    }
    return false;
}

constexpr const char* kExportUsage =
    "Usage: brellin --export OUT [--all-pages] [--page N] [--depth 1|8|24]\n"
    "                        [--compression none|packbits|g4|lzw|deflate] [--quality N]\n"
    "                        [--lossless] IN\n"
    "OUT: tif, tiff, png, bmp, pcx, jpg, emf, svg, or pdf (the whole document unless --page).\n";

} // namespace

int RunExportCommand(const QStringList& args) {
    DEF_TRY
    QStringList files;
    bool allPages = false, pageGiven = false;
    int page = 0;
    bool usage = false;
    bool compressionGiven = false, qualityGiven = false;
    ExportOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QStringLiteral("--all-pages")) {
            allPages = true;
        } else if (a == QStringLiteral("--lossless")) {
            options.bLossless = true;
        } else if (a == QStringLiteral("--page") && hasValue) {
            pageGiven = true;
            page = args[++i].toInt(&ok);
            ok = ok && page >= 0;
        } else if (a == QStringLiteral("--depth") && hasValue) {
            ok = ParseChoice(args[++i], {{"1", 1}, {"8", 8}, {"24", 24}}, options.nDepth);
        } else if (a == QStringLiteral("--compression") && hasValue) {
            compressionGiven = true;
            ok = ParseChoice(args[++i],
                             {{"none", FILE_TIF},
                              {"packbits", FILE_TIF_PACKBITS},
                              {"g4", FILE_CCITT_GROUP4},
                              {"lzw", FILE_TIF_LZW},
                              {"deflate", FILE_TIF_ZIP}},
                             options.nTiffFormat);
        } else if (a == QStringLiteral("--quality") && hasValue) {
            qualityGiven = true;
            options.nJpegQuality = args[++i].toInt(&ok);
            ok = ok && options.nJpegQuality >= 1 && options.nJpegQuality <= 100;
        } else if (a.startsWith(QStringLiteral("--"))) {
            ok = false;
        } else {
            files << a;
        }
        usage |= !ok;
    }
    if (usage || files.size() != 2) {
        std::fputs(kExportUsage, stderr);
        return 2;
    }
    const QString& out = files[0];
    if (compressionGiven && !IsTiffPath(out)) {
        std::fprintf(stderr, "--compression applies to TIFF files only.\n");
        return 2;
    }
    if (qualityGiven && SingleImageFormat(out) != FILE_JPEG && !IsPdfPath(out)) {
        std::fprintf(stderr, "--quality applies to JPEG and PDF files only.\n");
        return 2;
    }
    if (options.bLossless && !IsPdfPath(out)) {
        std::fprintf(stderr, "--lossless applies to PDF files only.\n");
        return 2;
    }
    if (options.nDepth != 0 && (IsPdfPath(out) || IsDrawingPath(out))) {
        std::fprintf(stderr, "--depth applies to picture files only.\n");
        return 2;
    }
    if (options.nTiffFormat == FILE_CCITT_GROUP4 && options.nDepth > 1) {
        std::fprintf(stderr, "CCITT Group 4 holds only 1-bit pages.\n");
        return 2;
    }
    if (!IsTiffPath(out) && SingleImageFormat(out) == 0 && !IsPdfPath(out) && !IsDrawingPath(out)) {
        ErrorBox(GetImagingErrorText(ERROR_FILE_FORMAT));
        return 1;
    }
    CLumidorDoc doc;
    if (!LoadDocumentForBatch(doc, files[1], nullptr)) return 1;
    std::vector<int> pages;
    if (allPages || (IsPdfPath(out) && !pageGiven)) {
        for (int i = 0; i < doc.GetPageCount(); ++i) pages.push_back(i);
    } else if (page < doc.GetPageCount()) {
        pages.push_back(page);
    } else {
        std::fprintf(stderr, "The document has no page %d.\n", page);
        return 1;
    }
    QString error;
    if (ExportPages(doc, pages, out, options, &error) != SUCCESS) {
        ErrorBox(error);
        return 1;
    }
    return 0;
    DEF_CATCH
    return 1;
}

void RegisterViewBatchCommands() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(QStringLiteral("export"),
                                      QStringLiteral("OUT [--all-pages] [--page N] [--depth 1|8|24] "
                                                     "[--compression none|packbits|g4|lzw|deflate] "
                                                     "[--quality N] [--lossless] IN"),
                                      RunExportCommand);
    DEF_CATCH
}
