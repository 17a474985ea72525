#include "objects/TextLayout.h"

#include "app/MultiByte.h"
#include "platform/CodePage.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <QString>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {
const QString& PlaceholderText() {
    static const QString text(QChar(0x00B6));
    return text;
}
} // namespace

int NormalRotation(LONG nRotation) {
    return nRotation == 1 || nRotation == 2 ? int(nRotation) : 0;
}

LONG EscapementOfRotation(int nRotation) {
    switch (NormalRotation(nRotation)) {
    case 1:
        return 900;
    case 2:
        return -900;
    default:
        return 0;
    }
}

int RotationFromOrientation(LONG lfOrientation) {
    return lfOrientation == -900 ? 2 : lfOrientation == 900 ? 1 : 0;
}

int FontPixelHeight(LONG lfHeight, double factor, int dpiY) {
    DEF_TRY
    if (!(factor > 0.0) || !std::isfinite(factor)) factor = 1.0;
    if (dpiY <= 0) dpiY = 96;
    // The height is negative tenths of a point, scaled and floored; the small allowance keeps a
    // product that is whole in decimal (120 x 100 / 96) from dropping a tenth by binary rounding.
    const double tenths = std::fabs(std::floor(-std::fabs(double(lfHeight)) * factor + 1e-7));
    const double pixels = std::floor(tenths * dpiY / 720.0 + 0.5);
    // Far beyond any font the device can make; the device context clamps it further.
    return int(std::clamp(pixels, 1.0, 100000.0));
    DEF_CATCH
    return 1;
}

LOGFONTA MakeLayoutFont(const LOGFONTA& lf, int nRotation, int pixelHeight) {
    LOGFONTA font = lf;
    font.lfHeight = -std::max(1, pixelHeight);
    font.lfWidth = 0;
    font.lfEscapement = EscapementOfRotation(nRotation);
    font.lfOrientation = font.lfEscapement;
    return font;
}

void MeasureTextLines(CDC& dc, const QList<QByteArray>& lines, UINT codePage, bool bStepped,
                      int nPitch, bool bPlaceholder, TEXTMEASURE& measure) {
    DEF_TRY
    const TEXTMETRIC tm = dc.GetTextMetrics();
    measure.lh = tm.tmHeight;
    measure.nAveCharWidth = tm.tmAveCharWidth;
    measure.nMaxWidth = 0;
    measure.widths.resize(size_t(lines.size()));
    measure.chars.resize(size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const int chars = CharLength(line, codePage);
        int width = 0;
        if (bStepped)
            width = ClampCoord(std::int64_t(chars) * std::max(0, nPitch));
        else if (bPlaceholder && lines.size() == 1)
            width = dc.GetTextExtentW(PlaceholderText()).cx;
        else if (!line.isEmpty())
            width = dc.GetTextExtent(line).cx;
        measure.widths[size_t(i)] = width;
        measure.chars[size_t(i)] = chars;
        measure.nMaxWidth = std::max(measure.nMaxWidth, width);
    }
    return;
    DEF_CATCH
    measure = TEXTMEASURE{};
}

RECT TextBox(const TEXTFRAME& f) {
    DEF_TRY
    const std::int64_t X = f.anchor.x;
    const std::int64_t Y = f.anchor.y;
    const std::int64_t lh = f.lh;
    const std::int64_t n = f.nLines;
    const std::int64_t W = f.nMaxWidth;
    switch (NormalRotation(f.nRotation)) {
    case 1:
        return RECT{ClampCoord(X - lh), ClampCoord(Y - W), ClampCoord(X - lh + n * lh), ClampCoord(Y)};
    case 2:
        return RECT{ClampCoord(X - (n - 1) * lh), ClampCoord(Y), ClampCoord(X + lh), ClampCoord(Y + W)};
    default:
        return RECT{ClampCoord(X), ClampCoord(Y - lh), ClampCoord(X + W), ClampCoord(Y - lh + n * lh)};
    }
    DEF_CATCH
    return RECT{};
}

int AlignOffset(int nAlign, int extent, int width) {
    switch (nAlign) {
    case 1:
        return ClampCoord((std::int64_t(extent) - width) / 2);
    case 2:
        return ClampCoord(std::int64_t(extent) - width);
    default:
        return 0;
    }
}

POINT AlongLine(POINT pt, int d, int nRotation) {
    switch (NormalRotation(nRotation)) {
    case 1:
        return POINT{pt.x, ClampCoord(std::int64_t(pt.y) - d)};
    case 2:
        return POINT{pt.x, ClampCoord(std::int64_t(pt.y) + d)};
    default:
        return POINT{ClampCoord(std::int64_t(pt.x) + d), pt.y};
    }
}

POINT LineOrigin(const TEXTFRAME& f, int i, int width) {
    // Rotated lines are aligned, like unrotated ones, against the widest line: the extent along
    // the direction they are written in.
    const int offset = AlignOffset(f.nAlign, f.nMaxWidth, width);
    const std::int64_t X = f.anchor.x;
    const std::int64_t Y = f.anchor.y;
    const std::int64_t lh = f.lh;
    POINT start;
    switch (NormalRotation(f.nRotation)) {
    case 1:
        start = POINT{ClampCoord(X - lh + i * lh), ClampCoord(Y)};
        break;
    case 2:
        start = POINT{ClampCoord(X + lh - i * lh), ClampCoord(Y)};
        break;
    default:
        start = POINT{ClampCoord(X), ClampCoord(Y - lh + i * lh)};
        break;
    }
    return AlongLine(start, offset, f.nRotation);
}

void LayoutLines(const TEXTFRAME& frame, const TEXTMEASURE& measure,
                 std::vector<_LINEINFO>& lines) {
    DEF_TRY
    lines.resize(size_t(std::max(0, frame.nLines)));
    for (size_t i = 0; i < lines.size(); ++i) {
        _LINEINFO& line = lines[i];
        line.nWidth = i < measure.widths.size() ? measure.widths[i] : 0;
        line.nHeight = frame.lh;
        line.nChars = i < measure.chars.size() ? measure.chars[i] : 0;
        const POINT origin = LineOrigin(frame, int(i), line.nWidth);
        line.x = origin.x;
        line.y = origin.y;
    }
    return;
    DEF_CATCH
    lines.clear();
}

POINT StepCellCentre(POINT origin, int k, int nPitch, int nRotation) {
    const std::int64_t pitch = nPitch;
    const std::int64_t d = std::int64_t(k) * pitch;
    switch (NormalRotation(nRotation)) {
    case 1:
        return POINT{origin.x, ClampCoord(origin.y - d + (-pitch) / 2)};
    case 2:
        return POINT{origin.x, ClampCoord(origin.y + d + pitch / 2)};
    default:
        return POINT{ClampCoord(origin.x + d + pitch / 2), origin.y};
    }
}

namespace {
// Writes `text` at `at` in the highlight colours on an opaque background, then restores the
// colours and background mode of the drawing.
void HighlightedOut(CDC& dc, POINT at, const QByteArray& text, const TEXTHIGHLIGHT& h) {
    const COLORREF oldText = dc.SetTextColor(h.crText);
    const COLORREF oldBack = dc.SetBkColor(h.crBack);
    const int oldMode = dc.SetBkMode(OPAQUE);
    dc.TextOut(at.x, at.y, text);
    dc.SetBkMode(oldMode);
    dc.SetBkColor(oldBack);
    dc.SetTextColor(oldText);
}
} // namespace

void LineTextOut(CDC& dc, POINT origin, const QByteArray& line, UINT codePage, int nRotation,
                 const TEXTHIGHLIGHT* highlight) {
    DEF_TRY
    const UINT oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
    const int chars = highlight ? CharLength(line, codePage) : 0;
    const int from = highlight ? std::clamp(highlight->from, 0, chars) : 0;
    const int to = highlight ? std::clamp(highlight->to, from, chars) : 0;
    if (from >= to) {
        dc.TextOut(origin.x, origin.y, line);
    } else {
        // Before, inside and after the highlight, each starting where the text before it ends.
        const QByteArray before = ExtractLeftChar(line, from, codePage);
        const QByteArray inside = ExtractMidChar(line, from, to - from, codePage);
        const QByteArray after = ExtractMidChar(line, to, chars - to, codePage);
        if (!before.isEmpty()) dc.TextOut(origin.x, origin.y, before);
        const int insideStart = before.isEmpty() ? 0 : dc.GetTextExtent(before).cx;
        HighlightedOut(dc, AlongLine(origin, insideStart, nRotation), inside, *highlight);
        if (!after.isEmpty()) {
            const int afterStart = dc.GetTextExtent(before + inside).cx;
            const POINT at = AlongLine(origin, afterStart, nRotation);
            dc.TextOut(at.x, at.y, after);
        }
    }
    dc.SetTextAlign(oldAlign);
    DEF_CATCH
}

void SteppedTextOut(CDC& dc, POINT origin, const QByteArray& line, UINT codePage, int nPitch,
                    int nRotation, const TEXTHIGHLIGHT* highlight) {
    DEF_TRY
    const UINT oldAlign = dc.SetTextAlign(TA_CENTER | TA_TOP);
    const bool dbcs = IsDoubleByteCodePage(codePage);
    int k = 0;
    for (qsizetype i = 0; i < line.size(); ++k) {
        const qsizetype len =
            (dbcs && IsLeadByte(codePage, BYTE(line[i])) && i + 1 < line.size()) ? 2 : 1;
        const QByteArray ch = line.mid(i, len);
        i += len;
        const POINT at = StepCellCentre(origin, k, nPitch, nRotation);
        if (highlight && k >= highlight->from && k < highlight->to)
            HighlightedOut(dc, at, ch, *highlight);
        else
            dc.TextOut(at.x, at.y, ch);
    }
    dc.SetTextAlign(oldAlign);
    DEF_CATCH
}
