#include "document/PdfWriter.h"

#include "app/CommandIds.h"
#include "app/CommandTarget.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "platform/DialogService.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/ImageFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <string>

namespace {

// The vector layer is painted at 720 dpi or finer, at a whole multiple of the first page's
// resolution: that page's pixels then fall on whole device units, which keeps the drawing's
// numbers short (a third smaller file for a form of lines and text).
int VectorResolution(const CLumidorDoc& doc, int nPage) {
    const int r = doc.GetPageResolution(nPage).x;
    if (r <= 0) return 720;
    return r * std::max(1, (720 + r - 1) / r);
}
const char kImageName[] = "/BrellinPageImage";

std::string Num(double v) { return QString::number(v, 'f', 4).toStdString(); }

// The zlib stream a FlateDecode filter reads (qCompress puts the length in front of it).
std::string Deflate(const QByteArray& raw) {
    const QByteArray z = qCompress(raw, 9);
    return z.size() > 4 ? std::string(z.constData() + 4, std::size_t(z.size() - 4)) : std::string();
}

bool IsGreyRamp(const QList<QRgb>& palette, int entries) {
    if (palette.size() < entries) return false;
    for (int i = 0; i < entries; ++i) {
        const int v = i * 255 / (entries - 1);
        if (palette[i] != qRgb(v, v, v)) return false;
    }
    return true;
}

// The rows of an image of one to eight bits per pixel, packed as PDF image samples.
QByteArray PackedIndexRows(const QImage& img, int bpp) {
    const int w = img.width(), h = img.height();
    const int rowBytes = (w * bpp + 7) / 8;
    QByteArray out(qsizetype(rowBytes) * h, '\0');
    for (int y = 0; y < h; ++y) {
        const uchar* s = img.constScanLine(y);
        auto* d = reinterpret_cast<uchar*>(out.data()) + qsizetype(rowBytes) * y;
        if (bpp == 1 || bpp == 8) {
            std::memcpy(d, s, std::size_t(rowBytes));
        } else { // 4 bits: one index per byte in the bitmap
            for (int x = 0; x < w; ++x) d[x / 2] |= uchar((x & 1) ? (s[x] & 0x0F) : ((s[x] & 0x0F) << 4));
        }
    }
    return out;
}

struct ImageObject {
    std::string data;
    std::string dictionary; // without the filter, which goes with the data
    std::string filter;     // "/CCITTFaxDecode", "/FlateDecode" or "/DCTDecode"
    std::string decodeParms;
};

// The colour space of palette images: grey when the palette is a ramp from black to white (or
// the reverse, read through a Decode array), else the palette itself.
std::string PaletteSpace(const QList<QRgb>& palette, int bpp) {
    const int n = 1 << bpp;
    if (IsGreyRamp(palette, n)) return "/ColorSpace /DeviceGray";
    QList<QRgb> reversed = palette.mid(0, n);
    std::reverse(reversed.begin(), reversed.end());
    if (palette.size() >= n && IsGreyRamp(reversed, n)) return "/ColorSpace /DeviceGray /Decode [1 0]";
    std::string hex;
    for (int i = 0; i < n; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        hex += QStringLiteral("%1%2%3").arg(qRed(c), 2, 16, QLatin1Char('0'))
                   .arg(qGreen(c), 2, 16, QLatin1Char('0')).arg(qBlue(c), 2, 16, QLatin1Char('0'))
                   .toStdString();
    }
    return "/ColorSpace [/Indexed /DeviceRGB " + std::to_string(n - 1) + " <" + hex + ">]";
}

int MakeImageObject(const LBitmapBase& bitmap, const PdfOptions& options, ImageObject& out) {
    const QImage& img = bitmap.GetImage();
    const int bpp = bitmap.GetBitsPerPixel();
    const std::string size = "/Type /XObject /Subtype /Image /Width " + std::to_string(img.width()) +
                             " /Height " + std::to_string(img.height());
    if (bpp == 1) {
        // A black and white page stays black and white: CCITT Group 4, as a fax file holds it.
        QByteArray code;
        const int rc = brellin::imaging::EncodeG4Strip(bitmap, code);
        if (rc != SUCCESS) return rc;
        out.data.assign(code.constData(), std::size_t(code.size()));
        out.filter = "/CCITTFaxDecode";
        // BlackIs1: the decoded bits are the bitmap's own indices, read through its palette.
        out.decodeParms = "<< /K -1 /Columns " + std::to_string(img.width()) + " /Rows " +
                          std::to_string(img.height()) + " /BlackIs1 true >>";
        out.dictionary = "<< " + size + " /BitsPerComponent 1 " + PaletteSpace(bitmap.GetPalette(), 1) + " >>";
        return SUCCESS;
    }
    if (bpp == 4 || bpp == 8) {
        out.data = Deflate(PackedIndexRows(img, bpp));
        out.filter = "/FlateDecode";
        out.dictionary = "<< " + size + " /BitsPerComponent " + std::to_string(bpp) + " " +
                         PaletteSpace(bitmap.GetPalette(), bpp) + " >>";
        return SUCCESS;
    }
    // Colour: on white where it has transparency, then JPEG or lossless.
    QImage rgb;
    if (img.hasAlphaChannel()) {
        rgb = QImage(img.size(), QImage::Format_RGB888);
        rgb.fill(Qt::white);
        QPainter p(&rgb);
        p.drawImage(0, 0, img);
    } else {
        rgb = img.convertToFormat(QImage::Format_RGB888);
    }
    if (rgb.isNull()) return ERROR_NO_MEMORY;
    out.dictionary = "<< " + size + " /BitsPerComponent 8 /ColorSpace /DeviceRGB >>";
    if (!options.bLossless) {
        LBitmapBase colour;
        int rc = colour.SetImage(rgb, 24);
        QByteArray jpeg;
        if (rc == SUCCESS) rc = brellin::imaging::EncodeJpeg(colour, std::clamp(options.nJpegQuality, 0, 255), jpeg);
        if (rc != SUCCESS) return rc;
        out.data.assign(jpeg.constData(), std::size_t(jpeg.size()));
        out.filter = "/DCTDecode";
        return SUCCESS;
    }
    QByteArray rows(qsizetype(rgb.width()) * 3 * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(rows.data() + qsizetype(rgb.width()) * 3 * y, rgb.constScanLine(y), std::size_t(rgb.width()) * 3);
    out.data = Deflate(rows);
    out.filter = "/FlateDecode";
    return SUCCESS;
}

// The erased areas and the objects of every page, one PDF page each at the canvas's size.
int DrawVectorLayer(const CLumidorDoc& doc, const std::vector<int>& pages, QByteArray& out,
                    QString* error, const PdfProgress& progress) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    const int resolution = VectorResolution(doc, pages.front());
    writer.setResolution(resolution);
    writer.setCreator(QStringLiteral("Brellin"));
    writer.setTitle(doc.GetTitle());
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const int nPage = pages[i];
        const SIZE canvas = doc.GetCanvasSize(nPage);
        const POINT res = doc.GetPageResolution(nPage);
        if (canvas.cx <= 0 || canvas.cy <= 0 || res.x <= 0 || res.y <= 0) {
            if (error) *error = QStringLiteral("Page %1 has no canvas to print.").arg(nPage + 1);
            return ERROR_INV_PARAMETER;
        }
        const QSizeF points(canvas.cx * 72.0 / res.x, canvas.cy * 72.0 / res.y);
        writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        if (i == 0) {
            if (!painter.begin(&writer)) return ERROR_FILE_WRITE;
        } else if (!writer.newPage()) {
            return ERROR_FILE_WRITE;
        }
        painter.save();
        painter.scale(double(resolution) / res.x, double(resolution) / res.y);
        {
            CDC dc(&painter);
            dc.SetLogPixelsOverride(res.x, res.y);
            DrawPageOverImage(&dc, doc, nPage);
        }
        painter.restore();
        if (progress && !progress(int(i) + 1, int(pages.size()) * 2)) return ERROR_USER_ABORT;
    }
    painter.end();
    return SUCCESS;
}

} // namespace

int WriteDocumentPdf(const CLumidorDoc& doc, const std::vector<int>& pages, const QString& path,
                     const PdfOptions& options, QString* error, const PdfProgress& progress) {
    DEF_TRY
    const auto fail = [&](int rc, const QString& why = {}) {
        if (error && error->isEmpty()) *error = why.isEmpty() ? GetImagingErrorText(rc) : why;
        return rc;
    };
    if (pages.empty()) return fail(ERROR_INV_PARAMETER);
    for (const int nPage : pages)
        if (!doc.GetPageInfo(nPage)) return fail(ERROR_INV_PARAMETER);
    QByteArray vector;
    int rc = DrawVectorLayer(doc, pages, vector, error, progress);
    if (rc != SUCCESS) return fail(rc);

    QByteArray result;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("pages", vector.constData(), std::size_t(vector.size()));
        std::vector<QPDFPageObjectHelper> pdfPages = QPDFPageDocumentHelper(pdf).getAllPages();
        if (pdfPages.size() != pages.size()) return fail(ERROR_INTERNAL);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const _PAGEINFO* info = doc.GetPageInfo(pages[i]);
            const POINT res = doc.GetPageResolution(pages[i]);
            const SIZE canvas = doc.GetCanvasSize(pages[i]);
            // The vector layer's pages come in whole points; the paper is the canvas's exact size,
            // and the layer is moved up by what its page fell short, so that its top edge stays
            // the paper's.
            const double pageW = canvas.cx * 72.0 / res.x, pageH = canvas.cy * 72.0 / res.y;
            QPDFObjectHandle page = pdfPages[i].getObjectHandle();
            const double drawnH = pdfPages[i].getMediaBox().getArrayAsRectangle().ury;
            page.replaceKey("/MediaBox", QPDFObjectHandle::newArray(
                                             QPDFObjectHandle::Rectangle(0, 0, pageW, pageH)));
            page.removeKey("/CropBox");
            pdfPages[i].addPageContents(
                QPDFObjectHandle::newStream(&pdf, "q 1 0 0 1 0 " + Num(pageH - drawnH) + " cm\n"), true);
            pdfPages[i].addPageContents(QPDFObjectHandle::newStream(&pdf, "Q\n"), false);
            if (info->m_Bitmap.IsAllocated()) {
                ImageObject image;
                rc = MakeImageObject(info->m_Bitmap, options, image);
                if (rc != SUCCESS) return fail(rc);
                QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf);
                stream.replaceDict(QPDFObjectHandle::parse(image.dictionary));
                stream.replaceStreamData(image.data, QPDFObjectHandle::newName(image.filter),
                                         image.decodeParms.empty()
                                             ? QPDFObjectHandle::newNull()
                                             : QPDFObjectHandle::parse(image.decodeParms));
                QPDFObjectHandle resources = pdfPages[i].getAttribute("/Resources", true);
                if (!resources.isDictionary()) {
                    resources = QPDFObjectHandle::newDictionary();
                    pdfPages[i].getObjectHandle().replaceKey("/Resources", resources);
                }
                QPDFObjectHandle xobjects = resources.getKey("/XObject");
                if (!xobjects.isDictionary()) {
                    xobjects = QPDFObjectHandle::newDictionary();
                    resources.replaceKey("/XObject", xobjects);
                }
                xobjects.replaceKey(kImageName, stream);
                // The image at its position and physical size, under everything the vector
                // layer draws; y runs up from the paper's bottom edge.
                const POINT pos = doc.UnitToPagePixels(pages[i], info->m_ptImagePos);
                const double w = info->m_Bitmap.GetWidth() * 72.0 / res.x;
                const double h = info->m_Bitmap.GetHeight() * 72.0 / res.y;
                const double x = pos.x * 72.0 / res.x;
                const double y = pageH - pos.y * 72.0 / res.y - h;
                const std::string place = "q " + Num(w) + " 0 0 " + Num(h) + " " + Num(x) + " " +
                                          Num(y) + " cm " + kImageName + " Do Q\n";
                pdfPages[i].addPageContents(QPDFObjectHandle::newStream(&pdf, place), true);
            }
            // One content stream per page instead of four: each stream costs its own object.
            pdfPages[i].coalesceContentStreams();
            if (progress && !progress(int(pages.size() + i) + 1, int(pages.size()) * 2))
                return fail(ERROR_USER_ABORT);
        }
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setCompressStreams(true);
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.write();
        std::shared_ptr<Buffer> bytes = writer.getBufferSharedPointer();
        result = QByteArray(reinterpret_cast<const char*>(bytes->getBuffer()), qsizetype(bytes->getSize()));
    } catch (const std::exception& e) {
        return fail(ERROR_INTERNAL, QString::fromLocal8Bit(e.what()));
    }
    // Written beside the target and renamed over it: a full disk leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(result) != result.size() || !file.commit())
        return fail(ERROR_FILE_WRITE, QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), file.errorString()));
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int OnSaveAsPDF(CLumidorDoc& doc) {
    DEF_TRY
    QString proposed = doc.m_strLastPdfPath;
    if (proposed.isEmpty()) proposed = doc.GetPathName();
    if (proposed.isEmpty()) proposed = doc.GetTitle();
    const QFileInfo info(proposed);
    FileDialogRequest request;
    request.title = LoadResString(IDS_SAVE_AS_PDF_TITLE);
    request.initialDir = info.path() == QStringLiteral(".") ? QString() : info.path();
    request.initialName = info.completeBaseName() + QStringLiteral(".pdf");
    request.filter = QStringLiteral("PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||");
    request.defaultExt = QStringLiteral("pdf");
    request.save = true;
    request.mustExist = false;
    QString path;
    if (!GetDialogService().GetFileName(request, path)) return ERROR_USER_ABORT;
    doc.m_strLastPdfPath = path;
    PdfOptions options;
    int depth = 24, format = 0;
    GetImageFormatParams(QStringLiteral("page.jpg"), depth, format, options.nJpegQuality, false);
    std::vector<int> pages;
    for (int i = 0; i < doc.GetPageCount(); ++i) pages.push_back(i);
    QString error;
    // The main window's progress display, whose cancel ends the writing.
    const int rc = WriteDocumentPdf(doc, pages, path, options, &error, &LMyBitmap::ReportSteps);
    LMyBitmap().StatusCallBack(100);
    if (rc != SUCCESS && rc != ERROR_USER_ABORT) ErrorBox(error);
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

void RegisterPdfCommand(CLumidorDoc& doc, CCommandMap& map) {
    map.On(ID_FILE_SAVE_AS_PDF, [&doc] { OnSaveAsPDF(doc); },
           [&doc](CCmdUI& ui) { ui.Enable(doc.GetPageCount() > 0); });
}
