#pragma once
// CDC: the device context every drawing of the program goes through, over QPainter. It keeps the
// GDI semantics the objects' drawing relies on (integer logical coordinates, pens and brushes by
// COLORREF, mix modes, end points of lines not drawn, fonts from LOGFONTA with escapement, text
// alignment, pattern blits, save/restore, device caps), on any QPaintDevice: a QImage, a widget, a
// printer, a PDF writer or a metafile. Mix modes that combine with the destination work exactly on
// raster devices; on vector devices the xor family paints plainly and R2_NOT / DSTINVERT paint
// nothing (they only ever draw transient feedback). A new context has GDI's defaults: black
// one-pixel pen, white solid brush, black text on an opaque white background, R2_COPYPEN,
// TA_LEFT | TA_TOP, COLORONCOLOR, origin (0, 0), no clip.

#include "platform/RasterOps.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QString>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;
class QFont;

// Pen styles. The styled ones (dash, dot, dash-dot) are one device pixel wide; a wider pen of
// those styles draws solid, as GDI's CreatePen does.
enum : int {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6
};
// Brush styles
enum : int { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = BS_NULL };
// Mix modes (SetROP2): all sixteen binary raster operations of pen or brush with the destination.
enum : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN = 2,
    R2_MASKNOTPEN = 3,
    R2_NOTCOPYPEN = 4,
    R2_MASKPENNOT = 5,
    R2_NOT = 6,
    R2_XORPEN = 7,
    R2_NOTMASKPEN = 8,
    R2_MASKPEN = 9,
    R2_NOTXORPEN = 10,
    R2_NOP = 11,
    R2_MERGENOTPEN = 12,
    R2_COPYPEN = 13,
    R2_MERGEPENNOT = 14,
    R2_MERGEPEN = 15,
    R2_WHITE = 16
};
// Background modes
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
// Text alignment flags (SetTextAlign)
enum : UINT {
    TA_LEFT = 0,
    TA_TOP = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24
};
// LOGFONTA values the font mapping looks at
enum : BYTE { NONANTIALIASED_QUALITY = 3, ANTIALIASED_QUALITY = 4 };
enum : BYTE {
    DEFAULT_PITCH = 0,
    FIXED_PITCH = 1,
    VARIABLE_PITCH = 2,
    FF_DONTCARE = 0x00,
    FF_ROMAN = 0x10,
    FF_SWISS = 0x20,
    FF_MODERN = 0x30,
    FF_SCRIPT = 0x40,
    FF_DECORATIVE = 0x50
};
// Device caps
enum : int {
    HORZSIZE = 4,
    VERTSIZE = 6,
    HORZRES = 8,
    VERTRES = 10,
    BITSPIXEL = 12,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    PHYSICALWIDTH = 110,
    PHYSICALHEIGHT = 111,
    PHYSICALOFFSETX = 112,
    PHYSICALOFFSETY = 113
};

struct LOGPEN {
    int style = PS_SOLID;
    int width = 1; // logical units; 0 and 1 both mean one device pixel
    COLORREF color = 0;
};

struct LOGBRUSH {
    int style = BS_SOLID;
    COLORREF color = 0;
};

struct TEXTMETRIC {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
};

class CDC {
public:
    // Draws on `device` with a painter of its own, begun here and ended by the destructor.
    explicit CDC(QPaintDevice* device);
    // Draws through a painter that the caller has begun and still owns (a widget's paint event).
    explicit CDC(QPainter* painter);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* GetPainter() const;
    QPaintDevice* GetDevice() const;
    bool IsValid() const;        // a painter is active
    bool IsRasterDevice() const; // the raster-only mix modes work

    // Drawing state; each Select/Set returns the previous value.
    LOGPEN SelectPen(const LOGPEN& pen);
    LOGBRUSH SelectBrush(const LOGBRUSH& brush);
    LOGFONTA SelectFont(const LOGFONTA& font); // heights in logical units, escapement in 0.1 deg
    LOGPEN GetPen() const;
    LOGBRUSH GetBrush() const;
    LOGFONTA GetFont() const;
    int SetROP2(int mode);
    int GetROP2() const;
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);
    UINT SetTextAlign(UINT align);
    int SetStretchBltMode(int mode);

    // Lines and shapes, in logical coordinates; outlines with the pen, insides with the brush.
    POINT MoveTo(int x, int y);
    POINT GetCurrentPosition() const;
    BOOL LineTo(int x, int y); // the end point itself is not drawn
    BOOL Polyline(const POINT* points, int count);
    BOOL Polygon(const POINT* points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom); // right and bottom excluded
    BOOL Rectangle(const RECT& r) { return Rectangle(r.left, r.top, r.right, r.bottom); }
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const RECT& r) { return Ellipse(r.left, r.top, r.right, r.bottom); }
    void FillSolidRect(const RECT& r, COLORREF color);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop); // the brush is the pattern
    COLORREF SetPixel(int x, int y, COLORREF color);

    // Text. Byte strings are in the code page of the selected font's character set.
    BOOL TextOut(int x, int y, const QByteArray& text);
    BOOL TextOutW(int x, int y, const QString& text);
    SIZE GetTextExtent(const QByteArray& text) const;
    SIZE GetTextExtentW(const QString& text) const;
    TEXTMETRIC GetTextMetrics() const;
    // The QFont the selected LOGFONTA maps to on this device.
    QFont GetQFont() const;

    // Bitmaps: source rectangle of `image` painted into the destination rectangle, stretched with
    // nearest neighbour under COLORONCOLOR; SRCCOPY or SRCAND (the source darkens only).
    BOOL StretchBlt(const RECT& dst, const QImage& image, const RECT& src, DWORD rop);

    // State
    int SaveDC();
    BOOL RestoreDC(int saved); // -1: the last saved state
    int GetDeviceCaps(int index) const;
    // Output at a chosen resolution (printing, export): LOGPIXELSX/Y answer this instead.
    void SetLogPixelsOverride(int dpiX, int dpiY);
    // Text without smoothing, in the text colour alone (a page that is to stay black and white).
    void SetPlainText(bool plain);
    POINT SetViewportOrg(int x, int y);
    POINT OffsetViewportOrg(int dx, int dy);
    POINT GetViewportOrg() const;
    // Clipping in logical coordinates; a null region removes the clip.
    void SelectClipRgn(const QRegion* region);
    void IntersectClipRect(const RECT& r);
    void ExcludeClipRect(const RECT& r);
    RECT GetClipBox() const;

private:
    struct State;
    struct Impl;
    std::unique_ptr<Impl> d;
};
