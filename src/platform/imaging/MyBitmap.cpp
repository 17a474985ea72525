// LMyBitmap: metafile playback into a bitmap, packed device-independent bitmaps, progress.
//
// A metafile is distrusted like every outside file: before libemf2svg sees it, the layer walks
// every record, checks its size against what remains and lets libuemf's record checker confirm
// that each record's inner counts and offsets stay inside the record. Only a metafile that passes
// is converted to SVG and played by Qt SVG over a white bitmap.

#include "platform/imaging/MyBitmap.h"

#include "platform/Guard.h"
#include "platform/ScreenDpi.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/EmfFormat.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <emf2svg.h>
#include <uemf_safe.h>
#include <vector>

namespace {
LMyBitmap::ProgressDisplay& Display() {
    static LMyBitmap::ProgressDisplay display;
    return display;
}
} // namespace

void LMyBitmap::SetProgressDisplay(ProgressDisplay display) { Display() = std::move(display); }

int LMyBitmap::StatusCallBack(int nPercent) {
    DEF_TRY
    const ProgressDisplay& display = Display();
    if (display && display(nPercent))
        return ERROR_USER_ABORT;
    return SUCCESS;
    DEF_CATCH
    return SUCCESS;
}

bool LMyBitmap::ReportSteps(int done, int total) {
    return LMyBitmap().StatusCallBack(total > 0 ? done * 100 / total : 100) == SUCCESS;
}

int LMyBitmap::CopyFromHDib(LBitmapBase& bitmap, const QByteArray& dib) {
    return bitmap.ConvertFromDIB(dib);
}

namespace brellin::imaging {

namespace {
// The resolutions a reference device can have. A header whose physical size gives one outside
// this range has its size wrong, and the picture would be stretched or shrunk by as much.
constexpr double kMinEmfDpi = 10;
constexpr double kMaxEmfDpi = 10000;
// The most a picture is stretched over the bitmap: a picture frame of a third of a millimetre on a
// screen-sized reference device. Playing costs about as much as the stretch, so a frame that
// disagrees wildly with its header would otherwise take many seconds.
constexpr double kMaxEmfStretch = 1000;

// Device pixels per micrometre along one axis of the reference device. The micrometre size is
// the millimetre size made precise and counts only as long as it says the same to within the
// millimetre; a physical size that gives no resolution a device has is left for the screen's.
double PixelsPerMicrometre(LONG pixels, LONG millimetres, LONG micrometres, int screenDpi) {
    double perUm = double(pixels) / (double(millimetres) * 1000.0);
    if (micrometres > 0 && std::abs(double(micrometres) - double(millimetres) * 1000.0) <= 1000.0)
        perUm = double(pixels) / double(micrometres);
    const double dpi = perUm * 25400.0;
    if (!(dpi >= kMinEmfDpi && dpi <= kMaxEmfDpi))
        perUm = screenDpi / 25400.0;
    return perUm;
}

// The part of the drawing that is played over a w x h bitmap, at least a thousandth of its size.
QRectF HeldToStretch(QRectF view, int w, int h) {
    view.setWidth(std::max(view.width(), w / kMaxEmfStretch));
    view.setHeight(std::max(view.height(), h / kMaxEmfStretch));
    return view;
}
} // namespace

int CheckEmf(const uchar* d, std::size_t size, EMFHEADERINFO& info) {
    if (!d || size < kEmfHeaderMinSize)
        return ERROR_FILE_FORMAT;
    if (Le32(d) != EMR_HEADER_TYPE || Le32(d + 40) != kEmfSignature)
        return ERROR_FILE_FORMAT;
    const std::uint32_t headerSize = Le32(d + 4);
    if (headerSize < kEmfHeaderMinSize || headerSize % 4 || headerSize > size)
        return ERROR_CORRUPT;
    // Some writers leave the byte count wrong; the record walk below, which must meet the end
    // record inside the data, is what counts.
    std::uint32_t total = Le32(d + 48);
    if (total < headerSize || total > size)
        total = std::uint32_t(std::min<std::size_t>(size, 0xFFFFFFFCu));
    info.rclBounds = RECT{LONG(Le32(d + 8)), LONG(Le32(d + 12)), LONG(Le32(d + 16)), LONG(Le32(d + 20))};
    info.rclFrame = RECT{LONG(Le32(d + 24)), LONG(Le32(d + 28)), LONG(Le32(d + 32)), LONG(Le32(d + 36))};
    info.nBytes = total;
    info.nRecords = Le32(d + 52);
    info.szlDevice = SIZE{LONG(Le32(d + 72)), LONG(Le32(d + 76))};
    info.szlMillimeters = SIZE{LONG(Le32(d + 80)), LONG(Le32(d + 84))};
    if (headerSize >= 108)
        info.szlMicrometers = SIZE{LONG(Le32(d + 100)), LONG(Le32(d + 104))};
    std::size_t pos = 0;
    std::uint32_t count = 0;
    bool eof = false;
    while (pos < total) {
        if (total - pos < 8)
            return ERROR_CORRUPT;
        const std::uint32_t type = Le32(d + pos);
        const std::uint32_t recSize = Le32(d + pos + 4);
        if (recSize < 8 || recSize % 4 || recSize > total - pos)
            return ERROR_CORRUPT;
        if (++count > kEmfMaxRecords)
            return ERROR_CORRUPT;
        if (type < 1 || type > 122)
            return ERROR_CORRUPT;
        // libuemf reads records through aligned pointers; the copy keeps that true for any
        // start address.
        std::vector<std::uint32_t> rec((recSize + 3) / 4);
        std::memcpy(rec.data(), d + pos, recSize);
        if (!U_emf_record_safe(reinterpret_cast<const char*>(rec.data())))
            return ERROR_CORRUPT;
        pos += recSize;
        if (type == EMR_EOF_TYPE) {
            eof = true;
            break;
        }
    }
    if (!eof)
        return ERROR_CORRUPT;
    info.nBytes = std::uint32_t(pos);
    return SUCCESS;
}

int PlayEmf(const uchar* d, std::size_t size, LBitmapBase& out) {
    // Every metafile is held to the one size limit, whether it came from its own file, from an
    // image file of another name or from memory: the conversion to SVG costs many times its size.
    if (size > std::size_t(kEmfMaxFileBytes))
        return ERROR_IMAGE_TOO_LARGE;
    EMFHEADERINFO info;
    int rc = CheckEmf(d, size, info);
    if (rc != SUCCESS)
        return rc;
    // The bitmap has the reference device's size in pixels and its resolution.
    const int w = info.szlDevice.cx, h = info.szlDevice.cy;
    if (w <= 0 || h <= 0 || info.szlMillimeters.cx <= 0 || info.szlMillimeters.cy <= 0)
        return ERROR_CORRUPT;
    if (!FitsLimit(w, h, 32))
        return ERROR_IMAGE_TOO_LARGE;
    std::vector<char> contents(d, d + info.nBytes);
    generatorOptions options{};
    // Without a prefix: with one, libemf2svg closes clip paths with unprefixed end tags.
    char nameSpace[] = "";
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    // Unscaled: the SVG then holds device units shifted by the bounds' top-left corner.
    options.imgWidth = 0;
    options.imgHeight = 0;
    char* svg = nullptr;
    size_t svgLength = 0;
    const int ok = emf2svg(contents.data(), contents.size(), &svg, &svgLength, &options);
    const QByteArray svgBytes = svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    std::free(svg);
    if (!ok || svgBytes.isEmpty())
        return ERROR_CORRUPT;

    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull())
        return ERROR_NO_MEMORY;
    img.fill(Qt::white);
    // The drawing's group gets a name so that its extent can be asked for below.
    QByteArray named = svgBytes;
    const qsizetype group = named.indexOf("<g ");
    if (group >= 0)
        named.insert(group + 3, "id=\"brellin-drawing\" ");
    QSvgRenderer renderer(named);
    if (!renderer.isValid())
        return ERROR_CORRUPT;
    // Playing over the whole bitmap maps the picture frame (hundredths of a millimetre, both
    // edges inclusive) onto it, as the reference device measures it.
    const QPoint screen = GetScreenDpi();
    const double pxPerUmX = PixelsPerMicrometre(w, info.szlMillimeters.cx,
                                                info.szlMicrometers.cx, screen.x());
    const double pxPerUmY = PixelsPerMicrometre(h, info.szlMillimeters.cy,
                                                info.szlMicrometers.cy, screen.y());
    const RECT& f = info.rclFrame;
    QRectF frame(f.left * 10.0 * pxPerUmX, f.top * 10.0 * pxPerUmY,
                 (double(f.right) - f.left + 1) * 10.0 * pxPerUmX,
                 (double(f.bottom) - f.top + 1) * 10.0 * pxPerUmY);
    if (!(frame.width() > 0 && frame.height() > 0))
        frame = QRectF(info.rclBounds.left, info.rclBounds.top,
                       double(info.rclBounds.right) - info.rclBounds.left + 1,
                       double(info.rclBounds.bottom) - info.rclBounds.top + 1);
    QRectF view = HeldToStretch(
        frame.translated(-double(info.rclBounds.left), -double(info.rclBounds.top)), w, h);
    if (renderer.elementExists(QStringLiteral("brellin-drawing"))) {
        const QRectF drawn = renderer.transformForElement(QStringLiteral("brellin-drawing"))
                                 .mapRect(renderer.boundsOnElement(QStringLiteral("brellin-drawing")));
        // Some producers write the header's rectangles in logical instead of device units, so
        // that the drawing lies outside its own frame; such a metafile is shown at the extent of
        // what it draws rather than as an empty page.
        if (drawn.isValid() && !drawn.intersects(view))
            view = HeldToStretch(drawn, w, h);
        // A drawing that reaches further beyond the frame than the frame's own size is shown
        // whole: Qt's rasterizer walks every row an outline spans, inside the bitmap or not, so
        // an outline thousands of bitmaps high would take seconds for each shape.
        else if (!view.adjusted(-view.width(), -view.height(), view.width(), view.height())
                      .contains(drawn.normalized()))
            view = HeldToStretch(view.united(drawn), w, h);
    }
    renderer.setViewBox(view);
    {
        QPainter painter(&img);
        renderer.render(&painter, QRectF(0, 0, w, h));
    }
    img.convertTo(QImage::Format_RGB888);
    if (img.isNull())
        return ERROR_NO_MEMORY;
    rc = out.SetImage(std::move(img), 24);
    if (rc != SUCCESS)
        return rc;
    // Device pixels x 25.4 / device millimetres, rounded; the micrometre size, where the
    // header has it, gives the same figure without the millimetres' rounding. Never 0: the
    // figure is one a device has.
    out.SetXResolution(int(std::floor(pxPerUmX * 25400.0 + 0.5)));
    out.SetYResolution(int(std::floor(pxPerUmY * 25400.0 + 0.5)));
    return SUCCESS;
}

} // namespace brellin::imaging

int LMyBitmap::LoadEMFMemory(LBitmapBase& bitmap, const QByteArray& bytes) {
    DEF_TRY
    if (bytes.isNull())
        return ERROR_NULL_MEMORY;
    LBitmapBase loaded;
    const int rc = brellin::imaging::PlayEmf(reinterpret_cast<const uchar*>(bytes.constData()),
                                             std::size_t(bytes.size()), loaded);
    if (rc == SUCCESS)
        bitmap.TakePixels(loaded);
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LMyBitmap::LoadEMF(LBitmapBase& bitmap, const QString& path) {
    DEF_TRY
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return ERROR_FILE_OPEN;
    if (file.size() > brellin::imaging::kEmfMaxFileBytes)
        return ERROR_IMAGE_TOO_LARGE;
    const QByteArray bytes = file.readAll();
    return LoadEMFMemory(bitmap, bytes);
    DEF_CATCH
    return ERROR_INTERNAL;
}
