#pragma once
// LBitmapBase: one raster image at its own colour depth, with its palette and resolution.
//
// Pixels live in a QImage whose format follows the depth, so that a page costs no more memory
// than its depth needs: 1 bit in Format_Mono (a 2480 x 3508 fax page is 1.1 MB), 4 and 8 bits in
// Format_Indexed8 (4-bit images keep at most 16 palette entries and report 4 bits), 24 bits in
// Format_RGB888 (3 bytes a pixel), 32 bits in Format_RGB32 or Format_ARGB32. Grey images are
// indexed with a grey palette.

#include "platform/imaging/ImagingTypes.h"

#include <QImage>
#include <QList>

class QPainter;

class LBitmapBase {
public:
    LBitmapBase() = default;
    LBitmapBase(const LBitmapBase& other) = default;
    LBitmapBase(LBitmapBase&& other) noexcept = default;
    LBitmapBase& operator=(const LBitmapBase& other) = default;
    LBitmapBase& operator=(LBitmapBase&& other) noexcept = default;
    virtual ~LBitmapBase() = default;

    // Allocates a bitmap filled with zero bytes (the first palette entry, or black). Bits per
    // pixel: 1, 4, 8, 24 or 32; a palette of up to 2^bits entries for the indexed depths (a grey
    // ramp when none is given).
    int Create(int width, int height, int bitsPerPixel, const QList<QRgb>& palette = {});
    void Free();
    bool IsAllocated() const { return !m_image.isNull(); }

    int GetWidth() const { return m_image.width(); }
    int GetHeight() const { return m_image.height(); }
    int GetBitsPerPixel() const { return IsAllocated() ? m_nBitsPerPixel : 0; }
    std::int64_t GetMemorySize() const { return IsAllocated() ? m_image.sizeInBytes() : 0; }
    // Palette of an indexed bitmap (1, 4, 8 bits); empty otherwise.
    QList<QRgb> GetPalette() const;
    bool HasPalette() const { return IsAllocated() && m_nBitsPerPixel <= 8; }
    bool IsGrey() const;

    // Dots per inch; 0 when the image came without one.
    int GetXResolution() const { return m_nXRes; }
    int GetYResolution() const { return m_nYRes; }
    int SetXResolution(int dpi);
    int SetYResolution(int dpi);

    int Copy(const LBitmapBase& source);

    // The pixels. SetImage takes any QImage and normalises it to the layer's formats; the depth
    // is taken from the format unless bitsPerPixel (4 for a 16-colour indexed image) is given.
    // ERROR_NO_MEMORY, with the bitmap unchanged, when a conversion or copy cannot be had.
    const QImage& GetImage() const { return m_image; }
    int SetImage(const QImage& image, int bitsPerPixel = 0);
    // Takes the image over: a decoder's fresh image becomes the bitmap's without a copy.
    int SetImage(QImage&& image, int bitsPerPixel = 0);
    // Takes over the pixels, depth and resolution of `from` (which is left empty); the callback
    // setting and the painting rectangles stay.
    void TakePixels(LBitmapBase& from);
    // A 32-bit copy for drawing and the clipboard.
    QImage ToQImage() const;

    // Colour of a pixel as COLORREF (palette resolved); 0 outside.
    COLORREF GetPixelColor(int x, int y) const;

    // A colour that saved files mark as transparent (PNG holds it; other formats ignore it).
    void SetTransparentColor(bool enable, COLORREF color = 0) {
        m_bTransparent = enable;
        m_crTransparent = color;
    }
    bool GetTransparentColor(COLORREF& color) const {
        color = m_crTransparent;
        return m_bTransparent;
    }

    // Progress reporting of long operations (loading, saving, rotating, trimming).
    void EnableCallBack(bool enable) { m_bCallBack = enable; }
    bool IsCallBackEnabled() const { return m_bCallBack; }
    // Answer SUCCESS to go on, anything else (ERROR_USER_ABORT) to end the operation.
    virtual int StatusCallBack(int nPercent);
    // The callback as the codecs and operations call it: empty while disabled.
    ImagingProgress Progress();

    // Image operations; each answers a result code and leaves the bitmap unchanged on failure.
    int Trim(int left, int top, int width, int height);
    int AutoTrim(int threshold = 0);
    // Positive angles turn clockwise as the image is seen. Quarter turns move pixels without
    // resampling; at other angles indexed bitmaps take the nearest source pixel and colour ones
    // blend the four nearest, and with ROTATE_RESIZE the bitmap grows to hold the whole turned
    // image, the uncovered corners in `fill`.
    int Rotate(int angleHundredths, unsigned flags, COLORREF fill);
    int Flip();    // top to bottom
    int Reverse(); // left to right
    int Invert();
    int Fill(COLORREF color);
    int ChangeBitsPerPixel(int bitsPerPixel);

    // Packed device-independent bitmap: BITMAPINFOHEADER, colour table, bottom-up rows padded to
    // 4 bytes. A null array on failure.
    QByteArray ConvertToDIB() const;
    // From a packed device-independent bitmap (distrusted bytes); ERROR_NULL_MEMORY for a null
    // array.
    int ConvertFromDIB(const QByteArray& dib);

    // Puts the image on the system clipboard as an image and as a packed device-independent
    // bitmap (COPY_EMPTY clears the clipboard first).
    int CopyToClipboard(unsigned flags = COPY_EMPTY | COPY_DIB | COPY_IMAGE) const;

    // Painting: the source rectangle (bitmap pixels; the whole bitmap when never set) is
    // stretched nearest-neighbour onto the destination rectangle (painter coordinates) with
    // SRCCOPY or SRCAND.
    void SetSrcRect(const RECT& rc) { m_rcSrc = rc; m_bSrcSet = true; }
    void SetDstRect(const RECT& rc) { m_rcDst = rc; m_bDstSet = true; }
    RECT GetSrcRect() const;
    RECT GetDstRect() const;
    int Paint(QPainter* painter, DWORD rop = SRCCOPY) const;

    // Files: the format is found from the content. Page numbers start at 1.
    int Load(const QString& path, int bitsPerPixel = 0, int page = 1);
    int Save(const QString& path, int format, int bitsPerPixel, int quality,
             unsigned flags = 0) const;

protected:
    // Makes the pixels this bitmap's own before they change in place: a copied bitmap shares
    // them until then. ERROR_NO_MEMORY, the bitmap unchanged, when the copy cannot be had.
    int DetachPixels();

    QImage m_image;
    int m_nBitsPerPixel = 0;
    int m_nXRes = 0;
    int m_nYRes = 0;
    bool m_bCallBack = false;
    bool m_bTransparent = false;
    COLORREF m_crTransparent = 0;
    RECT m_rcSrc{};
    RECT m_rcDst{};
    bool m_bSrcSet = false;
    bool m_bDstSet = false;
};

namespace brellin::imaging {
// The bytes of pixels a bitmap of the layer's format takes at a depth.
std::int64_t BitmapBytes(std::int64_t width, std::int64_t height, int bitsPerPixel);
// Whether width x height at the given depth is within the bitmap memory limit.
bool FitsLimit(std::int64_t width, std::int64_t height, int bitsPerPixel);
// The QImage format that holds a depth.
QImage::Format FormatForDepth(int bitsPerPixel);
// A grey ramp of n entries from black to white.
QList<QRgb> GreyPalette(int n);
// Allocates an image of the layer's format for a depth, after the limit check; a null image
// when refused or out of memory.
QImage AllocateImage(int width, int height, int bitsPerPixel);
// An image of any format whose size the caller has checked, a big one with its memory faulted in
// at once. A null image when out of memory.
QImage NewImage(int width, int height, QImage::Format format);
// Faults in a big block of fresh memory at once (a small one is left to fault as it is used).
void PrefaultMemory(void* memory, std::size_t bytes);
// The clipboard mime type of the packed device-independent bitmap.
QString DibMimeType();
// Paints src of the bitmap onto dst with the raster operation (the CDC facade calls this).
int PaintBitmap(QPainter& painter, const LBitmapBase& bitmap, const RECT& src, const RECT& dst,
                DWORD rop);
} // namespace brellin::imaging
