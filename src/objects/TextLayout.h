#pragma once
// The geometry of a text object, shared by screen drawing, output and hit testing: the font a
// style stands for at a pixel height, the measuring of its lines, the text box around an anchor in
// the three rotations, the alignment of lines inside the box, and the writing of plain and stepped
// (comb) lines. All positions are device pixels of the drawing they belong to; the functions hold
// their results at the 32-bit limits, since anchors and pitches may come from loaded records.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QList>
#include <vector>

class CDC;

// The layout record of one line: its width, the font's line height, its characters and where it
// is written (the reference point of its first character, alignment applied).
struct _LINEINFO {
    int nWidth = 0;
    int nHeight = 0;
    int nChars = 0;
    int x = 0;
    int y = 0;
};

// The character that marks an empty field on screen, in the ANSI code page (the pilcrow sign).
constexpr char TEXT_PLACEHOLDER = '\xB6';

// Rotation codes of a text style: 0 horizontal, 1 a quarter turn counter-clockwise (reads
// upwards), 2 a quarter turn clockwise (reads downwards). Any other stored value is horizontal.
int NormalRotation(LONG nRotation);
// lfEscapement and lfOrientation of a rotation: 900, -900 or 0.
LONG EscapementOfRotation(int nRotation);
// The rotation a font's lfOrientation stands for: -900 gives 2, 900 gives 1, anything else 0.
int RotationFromOrientation(LONG lfOrientation);

// The style keeps the font height in tenths of a point (negative). Scaled by `factor` (the view's
// font scale on screen, the resolution ratio when printing) and floored, then turned into pixels
// at `dpiY` pixels per inch, rounding halves up; at least one pixel.
int FontPixelHeight(LONG lfHeight, double factor, int dpiY);
// The font to select for drawing: the style's font at `pixelHeight` pixels, with the escapement
// of its rotation and the natural width.
LOGFONTA MakeLayoutFont(const LOGFONTA& lf, int nRotation, int pixelHeight);

// What measuring a text's lines gives, independent of where the text stands.
struct TEXTMEASURE {
    int lh = 0;            // line height: the font's tmHeight
    int nAveCharWidth = 0; // tmAveCharWidth, for the caret's thickness
    int nMaxWidth = 0;     // the widest line
    std::vector<int> widths;
    std::vector<int> chars;
};

// Measures `lines` in the font selected into `dc`. A stepped line is nChars × nPitch wide; an
// empty line has width 0; when `bPlaceholder` the single line is the placeholder and measured as
// the pilcrow sign.
void MeasureTextLines(CDC& dc, const QList<QByteArray>& lines, UINT codePage, bool bStepped,
                      int nPitch, bool bPlaceholder, TEXTMEASURE& measure);

// Where a text stands: its anchor, line height, line count, widest line, rotation and alignment.
struct TEXTFRAME {
    POINT anchor;
    int lh = 0;
    int nLines = 0;
    int nMaxWidth = 0;
    int nRotation = 0;
    int nAlign = 0;
};

// The text box: rotation 0 (X, Y - lh, X + W, Y - lh + n lh); rotation 1
// (X - lh, Y - W, X - lh + n lh, Y); rotation 2 (X - (n - 1) lh, Y, X + lh, Y + W).
RECT TextBox(const TEXTFRAME& frame);
// Offset of a line of width w along its direction inside an extent E: 0 left, (E - w) / 2
// centre, E - w right.
int AlignOffset(int nAlign, int extent, int width);
// A point moved by d along the direction lines are written in.
POINT AlongLine(POINT pt, int d, int nRotation);
// Where line i of width w is written: rotation 0 (X + offset, Y - lh + i lh); rotation 1
// (X - lh + i lh, Y - offset); rotation 2 (X + lh - i lh, Y + offset).
POINT LineOrigin(const TEXTFRAME& frame, int i, int width);
// The layout records of every line of a text standing at `frame`.
void LayoutLines(const TEXTFRAME& frame, const TEXTMEASURE& measure, std::vector<_LINEINFO>& lines);
// The reference point (centre of the cell, top of the characters) of character k of a stepped
// line starting at `origin`.
POINT StepCellCentre(POINT origin, int k, int nPitch, int nRotation);

// A part of a line written in other colours on an opaque background (the selection).
struct TEXTHIGHLIGHT {
    int from = 0; // characters
    int to = 0;
    COLORREF crText = 0;
    COLORREF crBack = 0;
};

// Writes one line at its origin in the font, colour and transparent background set on `dc`, with
// the highlighted part (if any) in its colours; `nRotation` says which way the line runs.
void LineTextOut(CDC& dc, POINT origin, const QByteArray& line, UINT codePage, int nRotation,
                 const TEXTHIGHLIGHT* highlight);
// Writes a line character by character, each centred on its cell of nPitch pixels (a two-byte
// character counts as one).
void SteppedTextOut(CDC& dc, POINT origin, const QByteArray& line, UINT codePage, int nPitch,
                    int nRotation, const TEXTHIGHLIGHT* highlight);
