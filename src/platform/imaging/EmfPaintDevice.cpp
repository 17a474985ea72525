#include "platform/imaging/EmfPaintDevice.h"

#include "platform/Guard.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/EmfFormat.h"
#include "platform/imaging/ImageFile.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTextItem>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <uemf.h>
#include <vector>

namespace {

// Object slots of the metafile's handle table: one pen, one brush and one font at a time.
constexpr uint32_t kPenSlot = 1;
constexpr uint32_t kBrushSlot = 2;
constexpr uint32_t kFontSlot = 3;
constexpr uint32_t kHandleCount = 4;

U_POINTL Pt(const QPointF& p) {
    return point32_set(int32_t(std::lround(p.x())), int32_t(std::lround(p.y())));
}

U_COLORREF Color(const QColor& c) {
    return colorref3_set(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

} // namespace

class CEmfPaintEngine : public QPaintEngine {
public:
    CEmfPaintEngine(QSize size, int dpiX, int dpiY)
        : QPaintEngine(QPaintEngine::AllFeatures), m_size(size), m_dpiX(dpiX), m_dpiY(dpiY) {}

    bool begin(QPaintDevice*) override {
        m_body.clear();
        m_result.clear();
        m_records = 0;
        m_failed = false;
        m_penMade = m_brushMade = m_fontMade = m_clipSaved = false;
        m_penKey.clear();
        m_brushKey.clear();
        m_bounds = QRect();
        Append(U_EMRSETMAPMODE_set(U_MM_TEXT));
        Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
        Append(U_EMRSETPOLYFILLMODE_set(U_WINDING));
        Append(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        Append(U_EMRSETSTRETCHBLTMODE_set(U_COLORONCOLOR));
        setActive(true);
        return true;
    }

    bool end() override {
        Guarded([&] {
            if (m_clipSaved)
                Append(U_EMRRESTOREDC_set(-1));
            EMFTRACK track{}; // the end record reads its palette count from the tracker
            Append(U_EMREOF_set(0, nullptr, &track));
            Finish();
        });
        setActive(false);
        return !m_failed;
    }

    void updateState(const QPaintEngineState& state) override {
        Guarded([&] { UpdateState(state); });
    }
    void UpdateState(const QPaintEngineState& state) {
        const DirtyFlags f = state.state();
        if (f & DirtyPen)
            m_pen = state.pen();
        if (f & DirtyBrush)
            m_brush = state.brush();
        if (f & DirtyFont)
            m_font = state.font();
        if (f & DirtyTransform)
            m_transform = state.transform();
        if (f & (DirtyClipEnabled | DirtyClipRegion | DirtyClipPath))
            UpdateClip();
    }

    // The clip is recorded as its bounding rectangle in device pixels, inside a saved device
    // context that the next clip change restores.
    void UpdateClip() {
        if (m_clipSaved) {
            Append(U_EMRRESTOREDC_set(-1));
            m_clipSaved = false;
            m_penKey.clear(); // the restored context selects what was selected when saved
            m_brushKey.clear();
        }
        QPainter* p = painter();
        if (!p || !p->hasClipping())
            return;
        const QRectF clip = p->combinedTransform().mapRect(p->clipBoundingRect());
        Append(U_EMRSAVEDC_set());
        Append(U_EMRINTERSECTCLIPRECT_set(
            rectl_set(Pt(clip.topLeft()), Pt(clip.bottomRight()))));
        m_clipSaved = true;
    }

    void drawPath(const QPainterPath& path) override {
        Guarded([&] { DrawPath(path); });
    }
    void DrawPath(const QPainterPath& path) {
        const QPainterPath mapped = m_transform.map(path);
        const QList<QPolygonF> polys = mapped.toSubpathPolygons();
        if (polys.isEmpty())
            return;
        if (m_brush.style() != Qt::NoBrush) {
            std::vector<uint32_t> counts;
            std::vector<U_POINTL> pts;
            for (const QPolygonF& poly : polys) {
                counts.push_back(uint32_t(poly.size()));
                for (const QPointF& p : poly)
                    pts.push_back(Pt(p));
            }
            SelectPen(true);
            SelectBrush(false);
            Append(U_EMRSETPOLYFILLMODE_set(path.fillRule() == Qt::OddEvenFill ? U_ALTERNATE
                                                                               : U_WINDING));
            Append(U_EMRPOLYPOLYGON_set(Bounds(pts), uint32_t(counts.size()), counts.data(),
                                        uint32_t(pts.size()), pts.data()));
        }
        if (m_pen.style() != Qt::NoPen) {
            SelectPen(false);
            SelectBrush(true);
            for (const QPolygonF& poly : polys)
                Polyline(poly);
        }
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        Guarded([&] { DrawPolygon(points, count, mode); });
    }
    void DrawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
        if (count <= 0)
            return;
        QPolygonF poly;
        for (int i = 0; i < count; ++i)
            poly.append(m_transform.map(points[i]));
        if (mode == PolylineMode) {
            SelectPen(false);
            SelectBrush(true);
            Polyline(poly);
            return;
        }
        std::vector<U_POINTL> pts;
        for (const QPointF& p : poly)
            pts.push_back(Pt(p));
        SelectPen(false);
        SelectBrush(false);
        Append(U_EMRSETPOLYFILLMODE_set(mode == OddEvenMode ? U_ALTERNATE : U_WINDING));
        Append(U_EMRPOLYGON_set(Bounds(pts), uint32_t(pts.size()), pts.data()));
    }

    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        std::vector<QPointF> f(points, points + count);
        drawPolygon(f.data(), count, mode);
    }

    void drawLines(const QLineF* lines, int count) override {
        Guarded([&] { DrawLines(lines, count); });
    }
    void DrawLines(const QLineF* lines, int count) {
        SelectPen(false);
        SelectBrush(true);
        for (int i = 0; i < count; ++i)
            Polyline(QPolygonF{m_transform.map(lines[i].p1()), m_transform.map(lines[i].p2())});
    }

    void drawRects(const QRectF* rects, int count) override {
        Guarded([&] { DrawRects(rects, count); });
    }
    void DrawRects(const QRectF* rects, int count) {
        for (int i = 0; i < count; ++i) {
            if (m_transform.type() > QTransform::TxScale) {
                QPainterPath path;
                path.addRect(rects[i]);
                drawPath(path);
                continue;
            }
            const QRectF r = m_transform.mapRect(rects[i]);
            SelectPen(false);
            SelectBrush(false);
            Append(U_EMRRECTANGLE_set(rectl_set(Pt(r.topLeft()), Pt(r.bottomRight()))));
            Grow(r);
        }
    }

    void drawEllipse(const QRectF& rect) override {
        Guarded([&] { DrawEllipse(rect); });
    }
    void DrawEllipse(const QRectF& rect) {
        if (m_transform.type() > QTransform::TxScale) {
            QPainterPath path;
            path.addEllipse(rect);
            drawPath(path);
            return;
        }
        const QRectF r = m_transform.mapRect(rect);
        SelectPen(false);
        SelectBrush(false);
        Append(U_EMRELLIPSE_set(rectl_set(Pt(r.topLeft()), Pt(r.bottomRight()))));
        Grow(r);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        Guarded([&] { DrawTextItem(p, item); });
    }
    void DrawTextItem(const QPointF& p, const QTextItem& item) {
        const QString text = item.text();
        if (text.isEmpty())
            return;
        const QFont font = item.font();
        // Size and direction of the text after the painter's transform.
        const double scale = std::sqrt(std::abs(m_transform.determinant()));
        const double angle = std::atan2(m_transform.m12(), m_transform.m11()) * 180.0 / M_PI;
        const double pixelHeight =
            (font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * m_dpiY / 72.0) * scale;
        SelectFont(font, int32_t(std::lround(pixelHeight)), int32_t(std::lround(-angle * 10)));
        Append(U_EMRSETTEXTCOLOR_set(Color(m_pen.color())));
        const QPointF at = m_transform.map(p);
        const std::u16string utf16 = text.toStdU16String();
        std::vector<uint16_t> chars(utf16.begin(), utf16.end());
        const QFontMetricsF metrics(font, paintDevice()); // at the device's resolution
        std::vector<uint32_t> dx;
        double x = 0;
        long placed = 0;
        for (QChar c : text) {
            x += metrics.horizontalAdvance(c) * scale;
            const long next = std::lround(x);
            dx.push_back(uint32_t(std::max(0L, next - placed)));
            placed = next;
        }
        const QRectF box(at.x(), at.y() - metrics.ascent() * scale, x,
                         metrics.height() * scale);
        char* emrtext = emrtext_set(Pt(at), uint32_t(chars.size()), 2, chars.data(), U_ETO_NONE,
                                    rectl_set(Pt(box.topLeft()), Pt(box.bottomRight())),
                                    dx.data());
        if (!emrtext) {
            m_failed = true;
            return;
        }
        Append(U_EMREXTTEXTOUTW_set(rectl_set(Pt(box.topLeft()), Pt(box.bottomRight())),
                                    U_GM_COMPATIBLE, 1.0f, 1.0f,
                                    reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
        Grow(box);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags) override {
        Guarded([&] { DrawImage(r, image, sr); });
    }
    void DrawImage(const QRectF& r, const QImage& image, const QRectF& sr) {
        // The whole image is shared, not copied; a page scan is the biggest thing drawn.
        const QRect area = sr.toAlignedRect();
        const QImage part = area == image.rect() ? image : image.copy(area);
        if (part.isNull())
            return;
        // Bilevel, palette and grey images keep their depth: a 1-bit page stays a 1-bit bitmap
        // in the metafile instead of growing 24 times.
        const bool keepsDepth = part.format() == QImage::Format_Mono ||
                                part.format() == QImage::Format_MonoLSB ||
                                part.format() == QImage::Format_Indexed8 ||
                                part.format() == QImage::Format_Grayscale8;
        LBitmapBase bmp;
        const int rc = keepsDepth ? bmp.SetImage(part)
                                  : bmp.SetImage(part.convertToFormat(
                                        part.hasAlphaChannel() ? QImage::Format_ARGB32
                                                               : QImage::Format_RGB888));
        if (rc != SUCCESS)
            return;
        QByteArray dib = bmp.ConvertToDIB();
        if (dib.size() < 40)
            return;
        // The colour table the DIB carries: biClrUsed, or the full table when that is 0.
        const int bpp = bmp.GetBitsPerPixel();
        uint32_t used = 0;
        std::memcpy(&used, dib.data() + 32, 4);
        const int colors = bpp <= 8 ? (used ? int(used) : 1 << bpp) : 0;
        const int headerAndTable = 40 + 4 * colors;
        const QRectF d = m_transform.mapRect(r);
        char* rec = U_EMRSTRETCHDIBITS_set(
            rectl_set(Pt(d.topLeft()), Pt(d.bottomRight())), Pt(d.topLeft()),
            point32_set(int32_t(std::lround(d.width())), int32_t(std::lround(d.height()))),
            point32_set(0, 0), point32_set(part.width(), part.height()), U_DIB_RGB_COLORS,
            U_SRCCOPY, reinterpret_cast<PU_BITMAPINFO>(dib.data()),
            uint32_t(dib.size() - headerAndTable), dib.data() + headerAndTable);
        Append(rec);
        Grow(d);
    }

    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    Type type() const override { return QPaintEngine::User; }

    // A fault while recording spoils the metafile, never the program: it is logged and the
    // recording reports failure at the end.
    template <class F> void Guarded(F&& f) {
        DEF_TRY
        f();
        return;
        DEF_CATCH
        m_failed = true;
    }

    const QByteArray& Result() const { return m_result; }

private:
    void Append(char* rec) {
        if (!rec) {
            m_failed = true;
            return;
        }
        uint32_t size;
        std::memcpy(&size, rec + 4, 4);
        m_body.append(rec, qsizetype(size));
        std::free(rec);
        ++m_records;
    }

    void Grow(const QRectF& r) { m_bounds |= r.toAlignedRect(); }

    U_RECTL Bounds(const std::vector<U_POINTL>& pts) {
        if (pts.empty())
            return rectl_set(point32_set(0, 0), point32_set(0, 0));
        int32_t l = pts[0].x, t = pts[0].y, r = l, b = t;
        for (const U_POINTL& p : pts) {
            l = std::min(l, p.x);
            t = std::min(t, p.y);
            r = std::max(r, p.x);
            b = std::max(b, p.y);
        }
        Grow(QRectF(QPointF(l, t), QPointF(r, b)));
        return rectl_set(point32_set(l, t), point32_set(r, b));
    }

    void Polyline(const QPolygonF& poly) {
        std::vector<U_POINTL> pts;
        for (const QPointF& p : poly)
            pts.push_back(Pt(p));
        if (pts.size() < 2)
            return;
        Append(U_EMRPOLYLINE_set(Bounds(pts), uint32_t(pts.size()), pts.data()));
    }

    // "No pen" and "no brush" are objects of their own kind rather than stock objects, which
    // some players do not know.
    void SelectPen(bool none) {
        const double scale = std::sqrt(std::abs(m_transform.determinant()));
        const QString key = none || m_pen.style() == Qt::NoPen
                                ? QStringLiteral("none")
                                : QStringLiteral("%1/%2/%3/%4/%5")
                                      .arg(m_pen.color().rgb())
                                      .arg(std::lround(m_pen.widthF() * scale))
                                      .arg(int(m_pen.style()))
                                      .arg(int(m_pen.capStyle()))
                                      .arg(int(m_pen.joinStyle()));
        if (m_penMade && key == m_penKey)
            return; // the pen in the slot is the one wanted
        m_penKey = key;
        if (m_penMade) {
            Append(U_EMRSELECTOBJECT_set(U_BLACK_PEN));
            Append(U_EMRDELETEOBJECT_set(kPenSlot));
        }
        m_penMade = true;
        if (none || m_pen.style() == Qt::NoPen) {
            Append(U_EMRCREATEPEN_set(kPenSlot, logpen_set(U_PS_NULL, point_set(0, 0),
                                                           colorref3_set(0, 0, 0))));
            Append(U_EMRSELECTOBJECT_set(kPenSlot));
            return;
        }
        const uint32_t width = uint32_t(std::max(1L, std::lround(m_pen.widthF() * scale)));
        uint32_t style = U_PS_GEOMETRIC;
        switch (m_pen.capStyle()) {
        case Qt::FlatCap: style |= U_PS_ENDCAP_FLAT; break;
        case Qt::SquareCap: style |= U_PS_ENDCAP_SQUARE; break;
        default: style |= U_PS_ENDCAP_ROUND; break;
        }
        switch (m_pen.joinStyle()) {
        case Qt::BevelJoin: style |= U_PS_JOIN_BEVEL; break;
        case Qt::RoundJoin: style |= U_PS_JOIN_ROUND; break;
        default: style |= U_PS_JOIN_MITER; break;
        }
        if (m_pen.style() == Qt::DashLine)
            style |= U_PS_DASH;
        else if (m_pen.style() == Qt::DotLine)
            style |= U_PS_DOT;
        PU_EXTLOGPEN elp =
            extlogpen_set(style, width, U_BS_SOLID, Color(m_pen.color()), 0, 0, nullptr);
        if (!elp) {
            m_failed = true;
            return;
        }
        Append(U_EMREXTCREATEPEN_set(kPenSlot, nullptr, 0, nullptr, elp));
        std::free(elp);
        Append(U_EMRSELECTOBJECT_set(kPenSlot));
    }

    void SelectBrush(bool none) {
        QColor c = m_brush.color();
        // Gradients and patterns are recorded as their main colour.
        if (m_brush.gradient() && !m_brush.gradient()->stops().isEmpty())
            c = m_brush.gradient()->stops().first().second;
        const QString key = none || m_brush.style() == Qt::NoBrush ? QStringLiteral("none")
                                                                    : QString::number(c.rgb());
        if (m_brushMade && key == m_brushKey)
            return;
        m_brushKey = key;
        if (m_brushMade) {
            Append(U_EMRSELECTOBJECT_set(U_WHITE_BRUSH));
            Append(U_EMRDELETEOBJECT_set(kBrushSlot));
        }
        m_brushMade = true;
        if (none || m_brush.style() == Qt::NoBrush) {
            Append(U_EMRCREATEBRUSHINDIRECT_set(kBrushSlot,
                                                logbrush_set(U_BS_NULL, colorref3_set(0, 0, 0), 0)));
            Append(U_EMRSELECTOBJECT_set(kBrushSlot));
            return;
        }
        Append(U_EMRCREATEBRUSHINDIRECT_set(kBrushSlot, logbrush_set(U_BS_SOLID, Color(c), 0)));
        Append(U_EMRSELECTOBJECT_set(kBrushSlot));
    }

    void SelectFont(const QFont& font, int32_t pixelHeight, int32_t escapement) {
        if (m_fontMade) {
            Append(U_EMRSELECTOBJECT_set(U_SYSTEM_FONT));
            Append(U_EMRDELETEOBJECT_set(kFontSlot));
        }
        uint16_t face[U_LF_FACESIZE] = {};
        const std::u16string family = font.family().toStdU16String();
        for (std::size_t i = 0; i < family.size() && i + 1 < U_LF_FACESIZE; ++i)
            face[i] = family[i];
        const U_LOGFONT lf = logfont_set(
            -std::max(1, int(pixelHeight)), 0, escapement, escapement,
            font.bold() ? 700 : U_FW_NORMAL, uint8_t(font.italic()), uint8_t(font.underline()),
            uint8_t(font.strikeOut()), U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS,
            U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, 0, face);
        U_LOGFONT_PANOSE elfw{};
        elfw.elfLogFont = lf;
        Append(U_EMREXTCREATEFONTINDIRECTW_set(kFontSlot, nullptr,
                                               reinterpret_cast<const char*>(&elfw)));
        Append(U_EMRSELECTOBJECT_set(kFontSlot));
        m_fontMade = true;
    }

    void Finish() {
        using namespace brellin::imaging;
        const int dpiX = m_dpiX > 0 ? m_dpiX : 96, dpiY = m_dpiY > 0 ? m_dpiY : 96;
        const int w = m_size.width(), h = m_size.height();
        const QRect bounds = m_bounds.isValid() ? m_bounds : QRect(0, 0, 1, 1);
        const U_RECTL rclBounds = rectl_set(point32_set(bounds.left(), bounds.top()),
                                            point32_set(bounds.right(), bounds.bottom()));
        // The frame covers the whole device, in hundredths of a millimetre.
        const U_RECTL rclFrame = rectl_set(
            point32_set(0, 0), point32_set(int32_t(std::lround(w * 2540.0 / dpiX)) - 1,
                                           int32_t(std::lround(h * 2540.0 / dpiY)) - 1));
        const U_SIZEL device = sizel_set(w, h);
        const U_SIZEL mm = sizel_set(std::max(1, int(std::lround(w * 25.4 / dpiX))),
                                     std::max(1, int(std::lround(h * 25.4 / dpiY))));
        char* header = U_EMRHEADER_set(rclBounds, rclFrame, nullptr, 0, nullptr, device, mm, 0);
        if (!header) {
            m_failed = true;
            return;
        }
        uint32_t headerSize;
        std::memcpy(&headerSize, header + 4, 4);
        QByteArray out(header, qsizetype(headerSize));
        std::free(header);
        out.append(m_body);
        // The header counts the bytes, records and handles of the whole metafile.
        auto put32 = [&out](int offset, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out[offset + i] = char((v >> (8 * i)) & 0xFF);
        };
        put32(48, uint32_t(out.size()));
        if (headerSize >= 108) { // the reference device in micrometres, for an exact resolution
            put32(100, uint32_t(std::lround(w * 25400.0 / dpiX)));
            put32(104, uint32_t(std::lround(h * 25400.0 / dpiY)));
        }
        put32(52, uint32_t(m_records + 1));
        out[56] = char(kHandleCount);
        out[57] = 0;
        if (!m_failed)
            m_result = std::move(out);
    }

    QSize m_size;
    int m_dpiX;
    int m_dpiY;
    QByteArray m_body;
    QByteArray m_result;
    uint32_t m_records = 0;
    bool m_failed = false;
    bool m_penMade = false;
    bool m_brushMade = false;
    bool m_fontMade = false;
    bool m_clipSaved = false;
    QString m_penKey;
    QString m_brushKey;
    QRect m_bounds;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QTransform m_transform;
};

CEmfPaintDevice::CEmfPaintDevice(QSize sizePixels, int dpiX, int dpiY)
    : m_size(sizePixels), m_dpiX(dpiX), m_dpiY(dpiY),
      m_engine(std::make_unique<CEmfPaintEngine>(sizePixels, dpiX, dpiY)) {}

CEmfPaintDevice::~CEmfPaintDevice() = default;

QPaintEngine* CEmfPaintDevice::paintEngine() const { return m_engine.get(); }

QByteArray CEmfPaintDevice::GetBytes() const { return m_engine->Result(); }

int CEmfPaintDevice::SaveAs(const QString& path) const {
    DEF_TRY
    const QByteArray bytes = GetBytes();
    if (bytes.isEmpty())
        return ERROR_NOT_ALLOCATED;
    return brellin::imaging::WriteFileSafely(path, bytes);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int CEmfPaintDevice::metric(PaintDeviceMetric metric) const {
    const int dpiX = m_dpiX > 0 ? m_dpiX : 96, dpiY = m_dpiY > 0 ? m_dpiY : 96;
    switch (metric) {
    case PdmWidth: return m_size.width();
    case PdmHeight: return m_size.height();
    case PdmWidthMM: return int(std::lround(m_size.width() * 25.4 / dpiX));
    case PdmHeightMM: return int(std::lround(m_size.height() * 25.4 / dpiY));
    case PdmNumColors: return 0x7FFFFFFF;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmPhysicalDpiX: return dpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY: return dpiY;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}
