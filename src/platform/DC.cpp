#include "platform/DC.h"

#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/ScreenDpi.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QList>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace {

// Em heights beyond this are taken as this: the glyph cache of a larger font costs more memory
// than any page needs.
constexpr int kMaxEmPixels = 16384;
// The em height of a font asked for with lfHeight 0, in pixels at 96 dots per inch (9 points).
constexpr int kDefaultEmAt96 = 12;

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRect ToQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

RECT ToRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// ---- Mix modes ------------------------------------------------------------------------------

// How one ROP2 mix mode is carried out. Raster devices do it exactly with Qt's raster-operation
// composition modes. A vector device (printer, PDF, SVG, metafile) keeps no destination pixels to
// combine with: the modes that would leave the destination alone or only invert it (R2_NOP,
// R2_NOT) draw nothing there, because what they draw is transient feedback (rubber bands,
// handles) that must never reach paper; every other mode, the xor family included, draws the
// pen or brush colour plainly, so that a shape drawn in xor still shows where it is.
struct MixMode {
    QPainter::CompositionMode raster;
    bool rasterDraws; // false: R2_NOP
    bool vectorDraws; // false: R2_NOP, R2_NOT
};

constexpr std::array<MixMode, 16> kMixModes = {{
    {QPainter::RasterOp_ClearDestination, true, true},           // R2_BLACK
    {QPainter::RasterOp_NotSourceAndNotDestination, true, true}, // R2_NOTMERGEPEN
    {QPainter::RasterOp_NotSourceAndDestination, true, true},    // R2_MASKNOTPEN
    {QPainter::RasterOp_NotSource, true, true},                  // R2_NOTCOPYPEN
    {QPainter::RasterOp_SourceAndNotDestination, true, true},    // R2_MASKPENNOT
    {QPainter::RasterOp_NotDestination, true, false},            // R2_NOT
    {QPainter::RasterOp_SourceXorDestination, true, true},       // R2_XORPEN
    {QPainter::RasterOp_NotSourceOrNotDestination, true, true},  // R2_NOTMASKPEN
    {QPainter::RasterOp_SourceAndDestination, true, true},       // R2_MASKPEN
    {QPainter::RasterOp_NotSourceXorDestination, true, true},    // R2_NOTXORPEN
    {QPainter::CompositionMode_SourceOver, false, false},        // R2_NOP
    {QPainter::RasterOp_NotSourceOrDestination, true, true},     // R2_MERGENOTPEN
    {QPainter::CompositionMode_SourceOver, true, true},          // R2_COPYPEN
    {QPainter::RasterOp_SourceOrNotDestination, true, true},     // R2_MERGEPENNOT
    {QPainter::RasterOp_SourceOrDestination, true, true},        // R2_MERGEPEN
    {QPainter::RasterOp_SetDestination, true, true},             // R2_WHITE
}};

// ---- Pens -----------------------------------------------------------------------------------

// GDI's cosmetic dash patterns, in pixels, alternating on and off.
QList<qreal> DashPattern(int style) {
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

bool IsStyled(const LOGPEN& pen) {
    return pen.width <= 1 && pen.style >= PS_DASH && pen.style <= PS_DASHDOTDOT;
}

QPen MakePen(const LOGPEN& lp, COLORREF color) {
    if (lp.style == PS_NULL) return QPen(Qt::NoPen);
    if (lp.width <= 1) {
        // Width 0 is Qt's cosmetic one-pixel pen; flat caps keep the end pixel of a line out.
        QPen pen(ToQColor(color), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        if (IsStyled(lp)) pen.setDashPattern(DashPattern(lp.style));
        return pen;
    }
    // A geometric pen: centred on the path, round ends and joins as GDI's CreatePen makes them.
    return QPen(ToQColor(color), lp.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The gaps of a styled pen: the pattern shifted by its first dash, so that its dashes fall
// exactly where the pen's gaps are. Under an OPAQUE background GDI fills those gaps with the
// background colour.
QPen MakeGapPen(const LOGPEN& lp, COLORREF background) {
    const QList<qreal> pattern = DashPattern(lp.style);
    QList<qreal> gaps;
    qreal length = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        gaps.append(pattern[(i + 1) % pattern.size()]);
        length += pattern[i];
    }
    QPen pen(ToQColor(background), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern(gaps);
    pen.setDashOffset(length - pattern.front());
    return pen;
}

// ---- Fonts ----------------------------------------------------------------------------------

// Windows faces and the fonts made to their metrics. Qt takes the first installed family of a
// font's list and skips fontconfig's aliases there, so the metric-compatible family must come
// right after the face; faces not listed are left to fontconfig's own substitution.
struct FaceSubstitute {
    const char* face;
    const char* metric1;
    const char* metric2;
};
constexpr FaceSubstitute kSubstitutes[] = {
    {"Arial", "Liberation Sans", "Arimo"},
    {"Arial Narrow", "Liberation Sans Narrow", nullptr},
    {"Times New Roman", "Liberation Serif", "Tinos"},
    {"Courier New", "Liberation Mono", "Cousine"},
    {"Calibri", "Carlito", nullptr},
    {"Cambria", "Caladea", nullptr},
    {"Georgia", "Gelasio", nullptr},
    {"MS Sans Serif", "Liberation Sans", "Arimo"},
    {"Microsoft Sans Serif", "Liberation Sans", "Arimo"},
    {"MS Shell Dlg", "Liberation Sans", "Arimo"},
    {"MS Shell Dlg 2", "Liberation Sans", "Arimo"},
};

QStringList FamiliesFor(const QString& face) {
    QStringList families{face};
    for (const FaceSubstitute& s : kSubstitutes) {
        if (face.compare(QLatin1String(s.face), Qt::CaseInsensitive) != 0) continue;
        families.append(QLatin1String(s.metric1));
        if (s.metric2) families.append(QLatin1String(s.metric2));
        break;
    }
    return families;
}

QString FaceName(const LOGFONTA& lf) {
    const std::size_t n = strnlen(lf.lfFaceName, LF_FACESIZE);
    const QByteArray bytes(lf.lfFaceName, qsizetype(n));
    QString face;
    if (!CodePageToUnicode(bytes, CodePageFromCharSet(lf.lfCharSet), face))
        face = QString::fromLatin1(bytes);
    return face.trimmed();
}

// A face-less request gets the Windows face of its family, so that it too lands on a
// metric-compatible font.
QFont::StyleHint HintFor(BYTE pitchAndFamily, const char** defaultFace) {
    if ((pitchAndFamily & 0x03) == FIXED_PITCH) {
        *defaultFace = "Courier New";
        return QFont::Monospace;
    }
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
        *defaultFace = "Times New Roman";
        return QFont::Serif;
    case FF_MODERN:
        *defaultFace = "Courier New";
        return QFont::Monospace;
    case FF_SCRIPT:
        *defaultFace = "Arial";
        return QFont::Cursive;
    case FF_DECORATIVE:
        *defaultFace = "Arial";
        return QFont::Decorative;
    default:
        *defaultFace = "Arial";
        return QFont::SansSerif;
    }
}

// ---- Code pages -----------------------------------------------------------------------------

// A single-byte code page converts through a 256-entry table built once per code page and kept
// for the life of the program, so that text out of a byte string allocates nothing more.
struct ByteTable {
    UINT codePage = 0;
    std::array<char16_t, 256> map{};
};

const char16_t* SingleByteTable(UINT codePage) {
    if (IsDoubleByteCodePage(codePage)) return nullptr;
    static std::mutex lock;
    static std::vector<std::unique_ptr<ByteTable>> tables;
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& t : tables)
        if (t->codePage == codePage) return t->map.data();
    auto table = std::make_unique<ByteTable>();
    table->codePage = codePage;
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        QString u;
        // A byte with no character in the code page shows as the replacement character.
        if (CodePageToUnicode(QByteArray(&c, 1), codePage, u) && u.size() == 1)
            table->map[std::size_t(b)] = u.at(0).unicode();
        else
            table->map[std::size_t(b)] = b < 0x80 ? char16_t(b) : char16_t(0xFFFD);
    }
    tables.push_back(std::move(table));
    return tables.back()->map.data();
}

} // namespace

// ---- State ----------------------------------------------------------------------------------

// Everything SaveDC keeps. The Qt objects are made when a value is selected, so that a drawing
// call only hands ready objects to the painter.
struct CDC::State {
    LOGPEN pen;
    LOGBRUSH brush{BS_SOLID, RGB(255, 255, 255)}; // GDI's default white brush
    LOGFONTA font;
    int rop2 = R2_COPYPEN;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int stretchMode = COLORONCOLOR;
    POINT org;
    POINT cur;
    bool hasClip = false;
    QRegion clip; // in painter coordinates (logical plus the origin at the time it was set)

    QPen qpen{QColor(0, 0, 0), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin};
    QPen gapPen;
    bool styled = false;
    QBrush qbrush{QColor(255, 255, 255)};
    QPen textPen{QColor(0, 0, 0)};
    QColor bkQColor{255, 255, 255};

    // The font is made lazily: most device contexts never write text.
    bool fontReady = false;
    QFont qfont;
    TEXTMETRIC tm;
    UINT codePage = CP_ACP_DEFAULT;
    const char16_t* byteTable = nullptr;
};

struct CDC::Impl {
    QPaintDevice* device = nullptr; // the caller's device
    QPainter own;
    QPainter* p = nullptr; // null: nothing can be drawn
    bool external = false;
    // A QImage that QPainter cannot paint on (8-bit indexed) is painted through a 32-bit copy
    // that goes back into the image, mapped onto its own colour table, when the context ends.
    QImage* shadowTarget = nullptr;
    QImage shadow;

    bool raster = false;   // the engine combines with destination pixels
    bool multiply = false; // SRCAND by the Multiply blend mode (PDF)
    QTransform base;
    bool baseClip = false;
    QRegion baseClipRegion;
    QPoint deviceDpi{96, 96};
    QPoint overrideDpi{0, 0};
    bool paged = false;
    bool plainText = false; // every font drawn without smoothing

    State s;
    std::vector<State> saved;

    QString text;               // conversion buffer of byte strings
    std::vector<QPoint> points; // polygon vertices in painter coordinates

    // The font last made, so that selecting the same LOGFONTA again costs a comparison.
    bool cacheValid = false;
    LOGFONTA cachedLf;
    QFont cachedFont;
    TEXTMETRIC cachedTm;

    void Begin(QPainter* painter);
    QPoint ResolveDeviceDpi() const;

    QPoint Dev(int x, int y) const { return QPoint(x + s.org.x, y + s.org.y); }
    QPoint Dev(POINT pt) const { return Dev(pt.x, pt.y); }

    bool ApplyMix();
    void StrokeSegment(QPoint a, QPoint b);
    template <class F> void Stroke(F&& draw);
    void Fill(const QBrush& brush) {
        p->setPen(Qt::NoPen);
        p->setBrush(brush);
    }

    void EnsureFont();
    void ApplyClip();
    QRect DeviceBounds() const;
    const QString& ToUnicode(const QByteArray& bytes);
    bool DrawText(int x, int y, const QString& str);
    SIZE Extent(const QString& str);
};

void CDC::Impl::Begin(QPainter* painter) {
    p = painter;
    device = shadowTarget ? static_cast<QPaintDevice*>(shadowTarget) : painter->device();
    const QPaintEngine* engine = painter->paintEngine();
    const QPaintEngine::Type type = engine ? engine->type() : QPaintEngine::User;
    // Only the raster engine really combines with the destination; the PDF engine claims the
    // raster-operation feature but ignores the modes.
    raster = type == QPaintEngine::Raster;
    multiply = type == QPaintEngine::Pdf;
    paged = dynamic_cast<QPagedPaintDevice*>(device) != nullptr;
    base = painter->transform();
    baseClip = painter->hasClipping();
    if (baseClip) baseClipRegion = painter->clipRegion();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    painter->setBackgroundMode(Qt::TransparentMode); // backgrounds are filled here, GDI's way
    painter->setLayoutDirection(Qt::LeftToRight);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    deviceDpi = ResolveDeviceDpi();
}

QPoint CDC::Impl::ResolveDeviceDpi() const {
    const int type = device->devType();
    if (type == QInternal::Image) {
        // An image answers its own resolution when one was given to it; a fresh QImage carries
        // Qt's default, which says nothing about the image, so the screen's is taken then.
        const QImage* image = static_cast<const QImage*>(device);
        const QImage probe(1, 1, QImage::Format_Mono);
        if (image->dotsPerMeterX() > 0 && image->dotsPerMeterY() > 0 &&
            (image->dotsPerMeterX() != probe.dotsPerMeterX() ||
             image->dotsPerMeterY() != probe.dotsPerMeterY()))
            return QPoint(int(std::floor(image->dotsPerMeterX() * 0.0254 + 0.5)),
                          int(std::floor(image->dotsPerMeterY() * 0.0254 + 0.5)));
        return GetScreenDpi();
    }
    if (type == QInternal::Widget || type == QInternal::Pixmap) return GetScreenDpi();
    return QPoint(std::max(1, device->logicalDpiX()), std::max(1, device->logicalDpiY()));
}

bool CDC::Impl::ApplyMix() {
    const int index = s.rop2 - 1;
    const MixMode& mode = kMixModes[std::size_t(std::clamp(index, 0, 15))];
    if (raster) {
        if (!mode.rasterDraws) return false;
        p->setCompositionMode(mode.raster);
        return true;
    }
    if (!mode.vectorDraws) return false;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

// One line with the selected pen, from a to b in painter coordinates, b itself not drawn.
void CDC::Impl::StrokeSegment(QPoint a, QPoint b) {
    if (s.pen.width > 1) {
        p->drawLine(a, b);
        return;
    }
    const int dx = b.x() - a.x();
    const int dy = b.y() - a.y();
    if (dx == 0 && dy == 0) return;
    // Qt's flat-capped cosmetic line covers its major axis from the lower coordinate up to, not
    // including, the higher one, whichever way it runs. A line running towards lower coordinates
    // is moved back by one step along itself, which puts the left-out pixel at its end as GDI
    // does, on the same mathematical line.
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int major = xMajor ? dx : dy;
    if (major > 0) {
        p->drawLine(a, b);
        return;
    }
    const double n = std::abs(major);
    QPointF from = QPointF(a) - QPointF(dx / n, dy / n);
    QPointF to = QPointF(b) - QPointF(dx / n, dy / n);
    // The stroker truncates to 1/64 pixel and floors the minor coordinate, so a start row that
    // lies exactly on the line could fall one pixel short. Raising the minor coordinate onto the
    // next 1/64 step and one more keeps every start pixel on its row (checked on all short lines
    // and on long ones at random).
    const auto raise = [](double v) { return (std::ceil(v * 64) + 1) / 64; };
    if (xMajor) {
        from.setY(raise(from.y()));
        to.setY(raise(to.y()));
    } else {
        from.setX(raise(from.x()));
        to.setX(raise(to.x()));
    }
    p->drawLine(QLineF(from, to));
}

// Strokes with the pen, then the gaps of a styled pen with the background colour when the
// background is opaque.
template <class F> void CDC::Impl::Stroke(F&& draw) {
    p->setBrush(Qt::NoBrush);
    p->setPen(s.qpen);
    draw();
    if (s.styled && s.bkMode == OPAQUE) {
        p->setPen(s.gapPen);
        draw();
    }
}

void CDC::Impl::EnsureFont() {
    if (s.fontReady) return;
    s.fontReady = true;
    s.codePage = CodePageFromCharSet(s.font.lfCharSet);
    s.byteTable = SingleByteTable(s.codePage);
    if (cacheValid && std::memcmp(&cachedLf, &s.font, sizeof(LOGFONTA)) == 0) {
        s.qfont = cachedFont;
        s.tm = cachedTm;
        return;
    }
    const LOGFONTA& lf = s.font;
    QFont f;
    const char* defaultFace = nullptr;
    const QFont::StyleHint hint = HintFor(lf.lfPitchAndFamily, &defaultFace);
    QString face = FaceName(lf);
    if (face.isEmpty()) face = QLatin1String(defaultFace);
    f.setFamilies(FamiliesFor(face));
    // Text drawn over xor feedback or on 1-bit pages may ask for plain pixels.
    f.setStyleHint(hint, lf.lfQuality == NONANTIALIASED_QUALITY || plainText
                             ? QFont::NoAntialias
                             : QFont::PreferDefault);
    f.setWeight(QFont::Weight(std::clamp(lf.lfWeight > 0 ? int(lf.lfWeight) : 400, 1, 1000)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    // GDI's TextOut places glyphs by their advances alone.
    f.setKerning(false);

    int em = 0;
    if (lf.lfHeight < 0) {
        em = lf.lfHeight < -kMaxEmPixels ? kMaxEmPixels : -lf.lfHeight;
    } else if (lf.lfHeight > 0) {
        // A cell height: the em is the cell less the internal leading, found from the font's
        // own ascent and descent at that size.
        const int cell = std::min<int>(lf.lfHeight, kMaxEmPixels);
        f.setPixelSize(cell);
        const QFontMetricsF fm(QFont(f, device));
        const qreal h = fm.ascent() + fm.descent();
        em = h > 0 ? int(std::floor(qreal(cell) * cell / h + 0.5)) : cell;
    } else {
        const int dpiY = overrideDpi.y() > 0 ? overrideDpi.y() : deviceDpi.y();
        em = int(std::floor(kDefaultEmAt96 * dpiY / 96.0 + 0.5));
    }
    f.setPixelSize(std::clamp(em, 1, kMaxEmPixels));

    QFont df(f, device); // metrics and rendering of the device drawn on
    if (lf.lfWidth > 0) {
        const qreal natural = QFontMetricsF(df).averageCharWidth();
        if (natural > 0)
            df.setStretch(std::clamp(int(std::floor(100.0 * lf.lfWidth / natural + 0.5)), 1, 4000));
    }
    const QFontMetrics fm(df);
    TEXTMETRIC tm;
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - df.pixelSize());
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    s.qfont = df;
    s.tm = tm;
    cacheValid = true;
    cachedLf = s.font;
    cachedFont = df;
    cachedTm = tm;
}

QRect CDC::Impl::DeviceBounds() const {
    const QRect all(0, 0, device->width(), device->height());
    return base.isIdentity() ? all : base.inverted().mapRect(all);
}

void CDC::Impl::ApplyClip() {
    if (!p) return;
    if (s.hasClip)
        p->setClipRegion(baseClip ? baseClipRegion.intersected(s.clip) : s.clip);
    else if (baseClip)
        p->setClipRegion(baseClipRegion);
    else
        p->setClipping(false);
}

const QString& CDC::Impl::ToUnicode(const QByteArray& bytes) {
    EnsureFont();
    if (s.byteTable) {
        // resize keeps the buffer's capacity: no allocation once it has held a longer text
        text.resize(bytes.size());
        QChar* out = text.data();
        for (qsizetype i = 0; i < bytes.size(); ++i)
            out[i] = QChar(s.byteTable[static_cast<unsigned char>(bytes[i])]);
    } else if (!CodePageToUnicode(bytes, s.codePage, text)) {
        // Broken double-byte text (a lead byte without its trail) still shows something.
        text = QString::fromLatin1(bytes);
    }
    return text;
}

SIZE CDC::Impl::Extent(const QString& str) {
    EnsureFont();
    return SIZE{QFontMetrics(s.qfont).horizontalAdvance(str), s.tm.tmHeight};
}

bool CDC::Impl::DrawText(int x, int y, const QString& str) {
    EnsureFont();
    if (str.isEmpty()) return true;
    // Measuring lays the text out a second time: only when the alignment or the background
    // needs the width.
    const bool needWidth = (s.textAlign & (TA_RIGHT | TA_CENTER)) != 0 || s.bkMode == OPAQUE;
    const int width = needWidth ? QFontMetrics(s.qfont).horizontalAdvance(str) : 0;
    int dx = 0;
    if ((s.textAlign & TA_CENTER) == TA_CENTER)
        dx = -width / 2;
    else if (s.textAlign & TA_RIGHT)
        dx = -width;
    int baseline = s.tm.tmAscent; // TA_TOP
    if ((s.textAlign & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (s.textAlign & TA_BOTTOM)
        baseline = -s.tm.tmDescent;

    // Text is never mixed with the destination: GDI's mix mode covers lines and fills only.
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    // QPainter::setFont makes a new font for the device every time; most calls keep the font.
    if (p->font() != s.qfont) p->setFont(s.qfont);
    QPoint at = Dev(x, y);
    const int escapement = s.font.lfEscapement % 3600;
    if (escapement != 0) {
        // The alignment applies in the text's own frame, turned about the reference point.
        QTransform t = base;
        t.translate(at.x(), at.y());
        t.rotate(-escapement / 10.0);
        p->setTransform(t);
        at = QPoint(0, 0);
    }
    if (s.bkMode == OPAQUE)
        p->fillRect(QRect(at.x() + dx, at.y() + baseline - s.tm.tmAscent, width, s.tm.tmHeight),
                    s.bkQColor);
    p->setPen(s.textPen);
    p->drawText(QPoint(at.x() + dx, at.y() + baseline), str);
    if (escapement != 0) p->setTransform(base);
    return true;
}

// ---- Construction ---------------------------------------------------------------------------

CDC::CDC(QPaintDevice* device) : d(std::make_unique<Impl>()) {
    DEF_TRY
    if (!device) return;
    d->device = device;
    if (device->devType() == QInternal::Image) {
        QImage* image = static_cast<QImage*>(device);
        if (image->isNull()) return;
        if (image->format() == QImage::Format_Indexed8) {
            d->shadowTarget = image;
            d->shadow = image->convertToFormat(QImage::Format_RGB32);
            if (d->shadow.isNull() || !d->own.begin(&d->shadow)) {
                d->shadowTarget = nullptr;
                return;
            }
            d->Begin(&d->own);
            return;
        }
    }
    if (!d->own.begin(device)) return;
    d->Begin(&d->own);
    DEF_CATCH
}

CDC::CDC(QPainter* painter) : d(std::make_unique<Impl>()) {
    DEF_TRY
    if (!painter || !painter->isActive()) return;
    d->external = true;
    // The caller's painter gets its own state back when this context ends.
    painter->save();
    d->Begin(painter);
    DEF_CATCH
}

CDC::~CDC() {
    DEF_TRY
    if (!d->p) return;
    if (d->external) {
        d->p->restore();
        return;
    }
    d->own.end();
    if (d->shadowTarget) {
        QImage back =
            d->shadow.convertToFormat(QImage::Format_Indexed8, d->shadowTarget->colorTable(),
                                      Qt::ThresholdDither | Qt::AvoidDither);
        back.setDotsPerMeterX(d->shadowTarget->dotsPerMeterX());
        back.setDotsPerMeterY(d->shadowTarget->dotsPerMeterY());
        if (!back.isNull()) *d->shadowTarget = back;
    }
    DEF_CATCH
}

QPainter* CDC::GetPainter() const {
    DEF_TRY
    return d->p;
    DEF_CATCH
    return nullptr;
}

QPaintDevice* CDC::GetDevice() const {
    DEF_TRY
    return d->device;
    DEF_CATCH
    return nullptr;
}

bool CDC::IsValid() const {
    DEF_TRY
    return d->p != nullptr;
    DEF_CATCH
    return false;
}

bool CDC::IsRasterDevice() const {
    DEF_TRY
    return d->p && d->raster;
    DEF_CATCH
    return false;
}

// ---- Drawing state --------------------------------------------------------------------------

LOGPEN CDC::SelectPen(const LOGPEN& pen) {
    DEF_TRY
    const LOGPEN old = d->s.pen;
    d->s.pen = pen;
    d->s.qpen = MakePen(pen, pen.color);
    d->s.styled = IsStyled(pen);
    if (d->s.styled) d->s.gapPen = MakeGapPen(pen, d->s.bkColor);
    return old;
    DEF_CATCH
    return LOGPEN{};
}

LOGBRUSH CDC::SelectBrush(const LOGBRUSH& brush) {
    DEF_TRY
    const LOGBRUSH old = d->s.brush;
    d->s.brush = brush;
    d->s.qbrush = brush.style == BS_NULL ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.color));
    return old;
    DEF_CATCH
    return LOGBRUSH{};
}

LOGFONTA CDC::SelectFont(const LOGFONTA& font) {
    DEF_TRY
    const LOGFONTA old = d->s.font;
    d->s.font = font;
    d->s.fontReady = false;
    return old;
    DEF_CATCH
    return LOGFONTA{};
}

LOGPEN CDC::GetPen() const {
    DEF_TRY
    return d->s.pen;
    DEF_CATCH
    return LOGPEN{};
}

LOGBRUSH CDC::GetBrush() const {
    DEF_TRY
    return d->s.brush;
    DEF_CATCH
    return LOGBRUSH{};
}

LOGFONTA CDC::GetFont() const {
    DEF_TRY
    return d->s.font;
    DEF_CATCH
    return LOGFONTA{};
}

int CDC::SetROP2(int mode) {
    DEF_TRY
    if (mode < R2_BLACK || mode > R2_WHITE) return 0;
    const int old = d->s.rop2;
    d->s.rop2 = mode;
    return old;
    DEF_CATCH
    return 0;
}

int CDC::GetROP2() const {
    DEF_TRY
    return d->s.rop2;
    DEF_CATCH
    return 0;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    DEF_TRY
    const COLORREF old = d->s.textColor;
    d->s.textColor = color;
    d->s.textPen = QPen(ToQColor(color));
    return old;
    DEF_CATCH
    return 0;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    DEF_TRY
    const COLORREF old = d->s.bkColor;
    d->s.bkColor = color;
    d->s.bkQColor = ToQColor(color);
    if (d->s.styled) d->s.gapPen = MakeGapPen(d->s.pen, color);
    return old;
    DEF_CATCH
    return 0;
}

int CDC::SetBkMode(int mode) {
    DEF_TRY
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    const int old = d->s.bkMode;
    d->s.bkMode = mode;
    return old;
    DEF_CATCH
    return 0;
}

UINT CDC::SetTextAlign(UINT align) {
    DEF_TRY
    const UINT old = d->s.textAlign;
    d->s.textAlign = align;
    return old;
    DEF_CATCH
    return 0;
}

int CDC::SetStretchBltMode(int mode) {
    DEF_TRY
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int old = d->s.stretchMode;
    d->s.stretchMode = mode;
    return old;
    DEF_CATCH
    return 0;
}

// ---- Lines and shapes -----------------------------------------------------------------------

POINT CDC::MoveTo(int x, int y) {
    DEF_TRY
    const POINT old = d->s.cur;
    d->s.cur = POINT{x, y};
    return old;
    DEF_CATCH
    return POINT{};
}

POINT CDC::GetCurrentPosition() const {
    DEF_TRY
    return d->s.cur;
    DEF_CATCH
    return POINT{};
}

BOOL CDC::LineTo(int x, int y) {
    DEF_TRY
    const POINT from = d->s.cur;
    d->s.cur = POINT{x, y};
    if (!d->p) return FALSE;
    if (d->s.pen.style == PS_NULL || !d->ApplyMix()) return TRUE;
    const QPoint a = d->Dev(from);
    const QPoint b = d->Dev(x, y);
    d->Stroke([&] { d->StrokeSegment(a, b); });
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CDC::Polyline(const POINT* points, int count) {
    DEF_TRY
    if (!d->p || !points || count < 2) return FALSE;
    if (d->s.pen.style == PS_NULL || !d->ApplyMix()) return TRUE;
    if (d->s.pen.width <= 1) {
        // Segment by segment: every vertex is drawn once, as the start of the segment leaving
        // it, and the last point not at all, so xor polylines leave no holes at their corners.
        d->Stroke([&] {
            for (int i = 1; i < count; ++i)
                d->StrokeSegment(d->Dev(points[i - 1]), d->Dev(points[i]));
        });
        return TRUE;
    }
    d->points.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        d->points[std::size_t(i)] = d->Dev(points[i]);
    d->Stroke([&] { d->p->drawPolyline(d->points.data(), count); });
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CDC::Polygon(const POINT* points, int count) {
    DEF_TRY
    if (!d->p || !points || count < 2) return FALSE;
    if (!d->ApplyMix()) return TRUE;
    d->points.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        d->points[std::size_t(i)] = d->Dev(points[i]);
    if (d->s.brush.style != BS_NULL) {
        d->Fill(d->s.qbrush);
        d->p->drawPolygon(d->points.data(), count, Qt::OddEvenFill);
    }
    if (d->s.pen.style == PS_NULL) return TRUE;
    if (d->s.pen.width <= 1) {
        d->Stroke([&] {
            for (int i = 0; i < count; ++i)
                d->StrokeSegment(d->points[std::size_t(i)],
                                 d->points[std::size_t((i + 1) % count)]);
        });
    } else {
        d->Stroke([&] { d->p->drawPolygon(d->points.data(), count); });
    }
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    DEF_TRY
    if (!d->p) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int w = right - left;
    const int h = bottom - top;
    if (w == 0 || h == 0 || !d->ApplyMix()) return TRUE;
    const QPoint o = d->Dev(left, top);
    const bool brush = d->s.brush.style != BS_NULL;
    if (d->s.pen.style == PS_NULL) {
        // Without an outline GDI fills one pixel less to the right and bottom.
        if (brush && w > 1 && h > 1) d->p->fillRect(QRect(o.x(), o.y(), w - 1, h - 1), d->s.qbrush);
        return TRUE;
    }
    if (d->s.pen.width > 1) {
        const QRectF path(o.x(), o.y(), w - 1, h - 1);
        if (brush) d->p->fillRect(QRect(o.x(), o.y(), w - 1, h - 1), d->s.qbrush);
        d->Stroke([&] { d->p->drawRect(path); });
        return TRUE;
    }
    // A one-pixel outline on columns left .. right - 1 and rows top .. bottom - 1, the inside
    // filled apart from it so that no pixel is mixed twice.
    if (brush && w > 2 && h > 2)
        d->p->fillRect(QRect(o.x() + 1, o.y() + 1, w - 2, h - 2), d->s.qbrush);
    if (w == 1 || h == 1) {
        const QPoint end = w == 1 ? QPoint(o.x(), o.y() + h) : QPoint(o.x() + w, o.y());
        d->Stroke([&] { d->StrokeSegment(o, end); });
        return TRUE;
    }
    d->Stroke([&] { d->p->drawRect(QRectF(o.x(), o.y(), w - 1, h - 1)); });
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom) {
    DEF_TRY
    if (!d->p) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int w = right - left;
    const int h = bottom - top;
    if (w == 0 || h == 0 || !d->ApplyMix()) return TRUE;
    const QPoint o = d->Dev(left, top);
    const QRectF box(o.x(), o.y(), w - 1, h - 1);
    if (d->s.brush.style != BS_NULL) {
        d->Fill(d->s.qbrush);
        d->p->drawEllipse(box);
    }
    if (d->s.pen.style != PS_NULL) d->Stroke([&] { d->p->drawEllipse(box); });
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CDC::FillSolidRect(const RECT& r, COLORREF color) {
    DEF_TRY
    // As MFC's FillSolidRect, which paints with an opaque ExtTextOut: the background colour
    // stays set to the fill colour.
    SetBkColor(color);
    if (!d->p || r.IsRectEmpty()) return;
    d->p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->p->fillRect(ToQRect(r).translated(d->s.org.x, d->s.org.y), d->s.bkQColor);
    DEF_CATCH
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    DEF_TRY
    if (!d->p) return FALSE;
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
    const QRect r(d->Dev(x, y), QSize(width, height));
    QPainter* p = d->p;
    const bool noBrush = d->s.brush.style == BS_NULL;
    switch (rop) {
    case PATCOPY:
        if (noBrush || r.isEmpty()) return TRUE;
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->fillRect(r, d->s.qbrush);
        return TRUE;
    case PATINVERT:
        if (noBrush || r.isEmpty()) return TRUE;
        // On a vector device the pattern is painted plainly, like the xor mix mode.
        p->setCompositionMode(d->raster ? QPainter::RasterOp_SourceXorDestination
                                        : QPainter::CompositionMode_SourceOver);
        p->fillRect(r, d->s.qbrush);
        return TRUE;
    case DSTINVERT:
        // A vector device has no destination to invert: nothing is drawn, like R2_NOT there.
        if (!d->raster || r.isEmpty()) return TRUE;
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(r, Qt::black);
        return TRUE;
    case BLACKNESS:
    case WHITENESS:
        if (r.isEmpty()) return TRUE;
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->fillRect(r, rop == BLACKNESS ? Qt::black : Qt::white);
        return TRUE;
    default:
        return FALSE;
    }
    DEF_CATCH
    return FALSE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    DEF_TRY
    if (!d->p) return COLORREF(-1);
    d->p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->p->fillRect(QRect(d->Dev(x, y), QSize(1, 1)), ToQColor(color));
    return color;
    DEF_CATCH
    return COLORREF(-1);
}

// ---- Text -----------------------------------------------------------------------------------

BOOL CDC::TextOut(int x, int y, const QByteArray& text) {
    DEF_TRY
    if (!d->p) return FALSE;
    return d->DrawText(x, y, d->ToUnicode(text)) ? TRUE : FALSE;
    DEF_CATCH
    return FALSE;
}

BOOL CDC::TextOutW(int x, int y, const QString& text) {
    DEF_TRY
    if (!d->p) return FALSE;
    return d->DrawText(x, y, text) ? TRUE : FALSE;
    DEF_CATCH
    return FALSE;
}

SIZE CDC::GetTextExtent(const QByteArray& text) const {
    DEF_TRY
    if (!d->device) return SIZE{};
    return d->Extent(d->ToUnicode(text));
    DEF_CATCH
    return SIZE{};
}

SIZE CDC::GetTextExtentW(const QString& text) const {
    DEF_TRY
    if (!d->device) return SIZE{};
    return d->Extent(text);
    DEF_CATCH
    return SIZE{};
}

TEXTMETRIC CDC::GetTextMetrics() const {
    DEF_TRY
    if (!d->device) return TEXTMETRIC{};
    d->EnsureFont();
    return d->s.tm;
    DEF_CATCH
    return TEXTMETRIC{};
}

QFont CDC::GetQFont() const {
    DEF_TRY
    if (!d->device) return QFont();
    d->EnsureFont();
    return d->s.qfont;
    DEF_CATCH
    return QFont();
}

// ---- Bitmaps --------------------------------------------------------------------------------

BOOL CDC::StretchBlt(const RECT& dst, const QImage& image, const RECT& src, DWORD rop) {
    DEF_TRY
    if (!d->p || image.isNull() || (rop != SRCCOPY && rop != SRCAND)) return FALSE;
    if (dst.Width() == 0 || dst.Height() == 0 || src.Width() == 0 || src.Height() == 0) return TRUE;
    // Opposite signs of the two widths (or heights) mirror the picture, as in GDI.
    const bool flipX = (dst.Width() < 0) != (src.Width() < 0);
    const bool flipY = (dst.Height() < 0) != (src.Height() < 0);
    const QPoint o = d->Dev(std::min(dst.left, dst.right), std::min(dst.top, dst.bottom));
    QRectF target(o.x(), o.y(), std::abs(dst.Width()), std::abs(dst.Height()));
    const QRectF source(std::min(src.left, src.right), std::min(src.top, src.bottom),
                        std::abs(src.Width()), std::abs(src.Height()));
    // Only the part of the source inside the image is painted, onto the matching part of the
    // destination.
    const QRectF inside = source.intersected(QRectF(image.rect()));
    if (inside.isEmpty()) return TRUE;
    if (inside != source) {
        const qreal kx = target.width() / source.width();
        const qreal ky = target.height() / source.height();
        const qreal left = flipX ? source.right() - inside.right() : inside.left() - source.left();
        const qreal top = flipY ? source.bottom() - inside.bottom() : inside.top() - source.top();
        target = QRectF(target.left() + left * kx, target.top() + top * ky, inside.width() * kx,
                        inside.height() * ky);
    }

    QPainter* p = d->p;
    p->setRenderHint(QPainter::SmoothPixmapTransform, d->s.stretchMode == HALFTONE);
    const bool mirrored = flipX || flipY;
    if (mirrored) {
        QTransform t = d->base;
        t.translate(flipX ? target.left() + target.right() : 0,
                    flipY ? target.top() + target.bottom() : 0);
        t.scale(flipX ? -1 : 1, flipY ? -1 : 1);
        p->setTransform(t);
    }
    if (rop == SRCCOPY) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->drawImage(target, image, inside);
    } else if (d->raster) {
        p->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p->drawImage(target, image, inside);
    } else if (d->multiply) {
        // PDF's Multiply blend: white leaves the page, black stays black, colours darken as an
        // AND of colours would.
        p->setCompositionMode(QPainter::CompositionMode_Multiply);
        p->drawImage(target, image, inside);
    } else {
        // Devices without blending get the picture's non-white pixels only: its white parts
        // let the page show through, which is what the AND is for. Only the painted part of
        // the picture is converted.
        const QRect part = inside.toAlignedRect();
        QImage masked = image.copy(part).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < masked.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
            for (int x = 0; x < masked.width(); ++x)
                if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) line[x] = 0;
        }
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->drawImage(target, masked, inside.translated(-part.topLeft()));
    }
    if (mirrored) p->setTransform(d->base);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    return TRUE;
    DEF_CATCH
    return FALSE;
}

// ---- State ----------------------------------------------------------------------------------

int CDC::SaveDC() {
    DEF_TRY
    d->saved.push_back(d->s);
    return int(d->saved.size());
    DEF_CATCH
    return 0;
}

BOOL CDC::RestoreDC(int saved) {
    DEF_TRY
    const int count = int(d->saved.size());
    const int level = saved < 0 ? count + saved + 1 : saved;
    if (level < 1 || level > count) return FALSE;
    d->s = d->saved[std::size_t(level - 1)];
    d->saved.resize(std::size_t(level - 1));
    d->ApplyClip();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

int CDC::GetDeviceCaps(int index) const {
    DEF_TRY
    if (!d->device) return 0;
    const QPaintDevice* dev = d->device;
    const QPoint dpi = d->deviceDpi;
    const auto layoutPixels = [&](bool full) {
        const QPageLayout layout = dynamic_cast<const QPagedPaintDevice*>(dev)->pageLayout();
        return full ? layout.fullRectPixels(dpi.x()) : layout.paintRectPixels(dpi.x());
    };
    switch (index) {
    case LOGPIXELSX:
        return d->overrideDpi.x() > 0 ? d->overrideDpi.x() : dpi.x();
    case LOGPIXELSY:
        return d->overrideDpi.y() > 0 ? d->overrideDpi.y() : dpi.y();
    case HORZRES:
        return dev->width();
    case VERTRES:
        return dev->height();
    case HORZSIZE:
        return d->paged ? dev->widthMM() : int(std::floor(dev->width() * 25.4 / dpi.x() + 0.5));
    case VERTSIZE:
        return d->paged ? dev->heightMM() : int(std::floor(dev->height() * 25.4 / dpi.y() + 0.5));
    case BITSPIXEL:
        return dev->depth();
    case PHYSICALWIDTH:
        return d->paged ? layoutPixels(true).width() : dev->width();
    case PHYSICALHEIGHT:
        return d->paged ? layoutPixels(true).height() : dev->height();
    case PHYSICALOFFSETX:
        return d->paged ? layoutPixels(false).left() : 0;
    case PHYSICALOFFSETY:
        return d->paged ? layoutPixels(false).top() : 0;
    default:
        return 0;
    }
    DEF_CATCH
    return 0;
}

void CDC::SetLogPixelsOverride(int dpiX, int dpiY) {
    DEF_TRY
    d->overrideDpi = dpiX > 0 && dpiY > 0 ? QPoint(dpiX, dpiY) : QPoint(0, 0);
    DEF_CATCH
}

void CDC::SetPlainText(bool plain) {
    DEF_TRY
    d->plainText = plain;
    d->cacheValid = false;
    d->s.fontReady = false;
    if (d->p)
        d->p->setRenderHint(QPainter::TextAntialiasing, !plain);
    DEF_CATCH
}

POINT CDC::SetViewportOrg(int x, int y) {
    DEF_TRY
    const POINT old = d->s.org;
    d->s.org = POINT{x, y};
    return old;
    DEF_CATCH
    return POINT{};
}

POINT CDC::OffsetViewportOrg(int dx, int dy) {
    DEF_TRY
    const POINT old = d->s.org;
    d->s.org = POINT{old.x + dx, old.y + dy};
    return old;
    DEF_CATCH
    return POINT{};
}

POINT CDC::GetViewportOrg() const {
    DEF_TRY
    return d->s.org;
    DEF_CATCH
    return POINT{};
}

void CDC::SelectClipRgn(const QRegion* region) {
    DEF_TRY
    d->s.hasClip = region != nullptr;
    d->s.clip = region ? region->translated(d->s.org.x, d->s.org.y) : QRegion();
    d->ApplyClip();
    DEF_CATCH
}

void CDC::IntersectClipRect(const RECT& r) {
    DEF_TRY
    const QRect dr = ToQRect(r).normalized().translated(d->s.org.x, d->s.org.y);
    d->s.clip = d->s.hasClip ? d->s.clip.intersected(dr) : QRegion(dr);
    d->s.hasClip = true;
    d->ApplyClip();
    DEF_CATCH
}

void CDC::ExcludeClipRect(const RECT& r) {
    DEF_TRY
    if (!d->device) return;
    const QRect dr = ToQRect(r).normalized().translated(d->s.org.x, d->s.org.y);
    d->s.clip = (d->s.hasClip ? d->s.clip : QRegion(d->DeviceBounds())).subtracted(dr);
    d->s.hasClip = true;
    d->ApplyClip();
    DEF_CATCH
}

RECT CDC::GetClipBox() const {
    DEF_TRY
    if (!d->device) return RECT{};
    QRect box = d->DeviceBounds();
    if (d->baseClip) box = d->baseClipRegion.boundingRect();
    if (d->s.hasClip)
        box = d->baseClip ? d->baseClipRegion.intersected(d->s.clip).boundingRect()
                          : d->s.clip.boundingRect();
    return ToRect(box.translated(-d->s.org.x, -d->s.org.y));
    DEF_CATCH
    return RECT{};
}
