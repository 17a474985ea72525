#include "document/PageThumbnail.h"

#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocFile.h"
#include "document/DocumentBatch.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BoxReduce.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/ImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The page image, reduced to the preview's scale, where DrawOnImagePage would put it: its part
// inside the canvas (a negative position cuts its left or top off).
void DrawReducedImage(QPainter& painter, const CLumidorDoc& doc, int nPage, SIZE canvas,
                      double sx, double sy) {
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    if (!p->m_Bitmap.IsAllocated())
        return;
    const QImage& image = p->m_Bitmap.GetImage();
    const POINT pos = doc.UnitToPagePixels(nPage, p->m_ptImagePos);
    const int srcX = std::max(0, -pos.x), srcY = std::max(0, -pos.y);
    const int dstX = std::max(0, pos.x), dstY = std::max(0, pos.y);
    const int w = std::min(image.width() - srcX, canvas.cx - dstX);
    const int h = std::min(image.height() - srcY, canvas.cy - dstY);
    if (w <= 0 || h <= 0)
        return;
    const int x0 = int(std::lround(dstX * sx)), y0 = int(std::lround(dstY * sy));
    const int tw = std::min(w, int(std::lround((dstX + w) * sx)) - x0);
    const int th = std::min(h, int(std::lround((dstY + h) * sy)) - y0);
    if (tw <= 0 || th <= 0)
        return;
    const QRect src(srcX, srcY, w, h);
    if (tw == w && th == h) {
        painter.drawImage(QPoint(x0, y0), image, src);
        return;
    }
    const QImage reduced = brellin::imaging::BoxReduce(image, src, tw, th);
    if (!reduced.isNull())
        painter.drawImage(QPoint(x0, y0), reduced);
}

// The size of a preview of a width x height page: at most maxSize on the longer side, never
// larger than the page.
QSize PreviewSize(int width, int height, int maxSize) {
    const double scale = std::min(1.0, double(maxSize) / std::max(width, height));
    return QSize(std::clamp(int(std::lround(width * scale)), 1, maxSize),
                 std::clamp(int(std::lround(height * scale)), 1, maxSize));
}

// A picture file is shown as it is, not as the document opening it would make: its first page
// alone decoded, a JPEG file at the least of libjpeg's reduced scales that still covers the
// preview, then reduced by averaging and laid on white.
int MakePictureThumbnail(const QString& path, int maxSize, QImage& out) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ErrorBox(LoadResString(IDS_BATCH_CANNOT_OPEN).arg(FileNameForMessage(path)));
        return ERROR_FILE_OPEN;
    }
    const QByteArray head = file.peek(64);
    QImage image;
    if (brellin::imaging::DetectFormat(reinterpret_cast<const uchar*>(head.constData()),
                                       std::size_t(head.size())) == FILE_JPEG) {
        const QByteArray bytes = file.readAll();
        FILEINFO info;
        int rc = brellin::imaging::JpegInfo(reinterpret_cast<const uchar*>(bytes.constData()),
                                            std::size_t(bytes.size()), info);
        if (rc == SUCCESS && !brellin::imaging::FitsLimit(info.Width, info.Height, 32))
            rc = ERROR_IMAGE_TOO_LARGE;
        if (rc == SUCCESS) {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer, "jpeg");
            reader.setAutoTransform(false);
            const QSize size = PreviewSize(info.Width, info.Height, maxSize);
            if (size != QSize(info.Width, info.Height))
                reader.setScaledSize(size);
            if (!reader.read(&image) || image.isNull())
                rc = ERROR_CORRUPT;
        }
        if (rc != SUCCESS) {
            ErrorBox(GetImagingErrorText(rc));
            return rc;
        }
    } else {
        file.close();
        LBitmapBase bitmap;
        const int rc = bitmap.Load(path, 0, 1);
        if (rc != SUCCESS) {
            ErrorBox(GetImagingErrorText(rc));
            return rc;
        }
        image = bitmap.GetImage();
    }
    const QSize size = PreviewSize(image.width(), image.height(), maxSize);
    if (size != image.size())
        image = brellin::imaging::BoxReduce(image, image.rect(), size.width(), size.height());
    QImage preview(size, QImage::Format_RGB32);
    if (image.isNull() || preview.isNull()) {
        ErrorBox(GetImagingErrorText(ERROR_NO_MEMORY));
        return ERROR_NO_MEMORY;
    }
    preview.fill(Qt::white);
    QPainter(&preview).drawImage(0, 0, image);
    out = std::move(preview);
    return SUCCESS;
}

bool AllGrey(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (!qIsGray(row[x]))
                return false;
    }
    return true;
}

} // namespace

int RenderPageThumbnail(const CLumidorDoc& doc, int nPage, int maxSize, QImage& out) {
    DEF_TRY
    const SIZE canvas = doc.GetCanvasSize(nPage);
    if (!doc.GetPageInfo(nPage) || canvas.cx <= 0 || canvas.cy <= 0 || maxSize <= 0)
        return ERROR_INV_PARAMETER;
    const QSize size = PreviewSize(canvas.cx, canvas.cy, maxSize);
    const int width = size.width(), height = size.height();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return ERROR_NO_MEMORY;
    image.fill(Qt::white);
    // Each axis scaled on its own, so that the canvas fills the preview to its edges.
    const double sx = double(width) / canvas.cx, sy = double(height) / canvas.cy;
    {
        QPainter painter(&image);
        DrawReducedImage(painter, doc, nPage, canvas, sx, sy);
        painter.setClipRect(QRect(0, 0, width, height));
        painter.scale(sx, sy);
        CDC dc(&painter);
        const POINT res = doc.GetPageResolution(nPage);
        dc.SetLogPixelsOverride(res.x, res.y);
        DrawPageOverImage(&dc, doc, nPage);
    }
    out = std::move(image);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int MakeFileThumbnail(const QString& path, int maxSize, QImage& out) {
    DEF_TRY
    const QString ext = ExtractFileExt(path).toLower();
    if (QFileInfo(path).isFile() && !IsLoadableDocPath(path) && ext != QStringLiteral("emf"))
        return MakePictureThumbnail(path, maxSize, out);
    CLumidorDoc doc;
    {
        const CFirstPageImageOnly firstPageOnly;
        if (!LoadDocumentForBatch(doc, path, nullptr))
            return ERROR_FILE_READ;
    }
    if (doc.GetPageCount() <= 0) {
        ErrorBox(GetImagingErrorText(ERROR_INV_PARAMETER));
        return ERROR_INV_PARAMETER;
    }
    const int rc = RenderPageThumbnail(doc, 0, maxSize, out);
    if (rc != SUCCESS)
        ErrorBox(GetImagingErrorText(rc));
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int RunThumbnailCommand(const QStringList& args) {
    DEF_TRY
    bool ok = args.size() == 3;
    const int size = ok ? args[2].toInt(&ok) : 0;
    if (!ok || size < 1 || size > MAX_THUMBNAIL_SIZE) {
        std::fprintf(stderr, "Usage: brellin --thumbnail IN OUT.png SIZE (1 to %d)\n",
                     MAX_THUMBNAIL_SIZE);
        return 2;
    }
    QImage image;
    if (MakeFileThumbnail(args[0], size, image) != SUCCESS)
        return 1;
    // A preview is small, and file managers keep thousands of them: zlib's usual level. Grey
    // pages (faxes) are written grey, others as RGB without the unused fourth byte.
    LBitmapBase bitmap;
    int rc = bitmap.SetImage(image.convertToFormat(AllGrey(image) ? QImage::Format_Grayscale8
                                                                  : QImage::Format_RGB888));
    QByteArray png;
    if (rc == SUCCESS)
        rc = brellin::imaging::EncodePng(bitmap, 6, png, {});
    if (rc != SUCCESS) {
        ErrorBox(GetImagingErrorText(rc));
        return 1;
    }
    QString error;
    if (brellin::imaging::WriteFileSafely(args[1], png, &error) != SUCCESS) {
        ErrorBox(error.isEmpty() ? GetImagingErrorText(ERROR_FILE_WRITE) : error);
        return 1;
    }
    return 0;
    DEF_CATCH
    return 1;
}
