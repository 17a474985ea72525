// Metafile headers that disagree with themselves: the physical size of the reference device, its
// size in pixels and the picture frame. The bitmap gets a resolution a device has, and the picture
// is never stretched by the disagreement: a drawing far beyond its frame is shown whole.

#include "ImagingTestUtil.h"

#include "platform/imaging/Codecs.h"
#include "platform/imaging/MyBitmap.h"

#include <QtEndian>

namespace {

struct EmfHeader {
    SIZE device{1024, 768};
    SIZE millimetres{320, 240};
    SIZE micrometres{320000, 240000};
    RECT frame{0, 0, 2000, 1500}; // .01 mm: 64 x 48 device pixels
    RECT bounds{0, 0, 63, 47};
};

void Put32(QByteArray& b, std::int32_t v) {
    char le[4];
    qToLittleEndian(v, le);
    b.append(le, 4);
}

void Record(QByteArray& out, std::int32_t type, std::initializer_list<std::int32_t> values) {
    Put32(out, type);
    Put32(out, std::int32_t(8 + 4 * values.size()));
    for (std::int32_t v : values)
        Put32(out, v);
}

// A small metafile written by hand: a red rectangle and ellipse, a blue line and polygon, with a
// header of 108 bytes (the one that has the micrometre size).
QByteArray HandMadeEmf(const EmfHeader& h) {
    QByteArray body;
    Record(body, 39, {1, 0, 0x0000FF, 0}); // EMR_CREATEBRUSHINDIRECT, red
    Record(body, 37, {1});                  // EMR_SELECTOBJECT
    Record(body, 43, {0, 0, 30, 20});       // EMR_RECTANGLE
    Record(body, 42, {34, 4, 60, 40});      // EMR_ELLIPSE
    Record(body, 38, {2, 0, 2, 0, 0xFF0000}); // EMR_CREATEPEN, blue
    Record(body, 37, {2});
    Record(body, 27, {0, 0});   // EMR_MOVETOEX
    Record(body, 54, {60, 44}); // EMR_LINETO
    // EMR_POLYGON16: bounds, three points of two 16-bit coordinates each.
    Record(body, 86, {4, 24, 30, 42, 3, 42 << 16 | 4, 42 << 16 | 30, 24 << 16 | 17});
    QByteArray eof;
    Record(eof, 14, {0, 16, 20}); // EMR_EOF
    QByteArray out;
    Put32(out, 1); // EMR_HEADER
    Put32(out, 108);
    for (LONG v : {h.bounds.left, h.bounds.top, h.bounds.right, h.bounds.bottom, h.frame.left,
                   h.frame.top, h.frame.right, h.frame.bottom})
        Put32(out, v);
    Put32(out, 0x464D4520); // " EMF"
    Put32(out, 0x10000);
    Put32(out, std::int32_t(108 + body.size() + eof.size()));
    Put32(out, 11);     // records
    Put32(out, 3);      // handles, reserved
    for (int i = 0; i < 3; ++i)
        Put32(out, 0);  // description, palette
    for (LONG v : {h.device.cx, h.device.cy, h.millimetres.cx, h.millimetres.cy, 0, 0, 0,
                   h.micrometres.cx, h.micrometres.cy})
        Put32(out, v);
    return out + body + eof;
}

// The screen resolution the program reports, for the time of one test.
class ScreenDpi {
public:
    explicit ScreenDpi(const char* value) : m_old(qgetenv("BRELLIN_SCREEN_DPI")) {
        qputenv("BRELLIN_SCREEN_DPI", value);
    }
    ~ScreenDpi() { qputenv("BRELLIN_SCREEN_DPI", m_old); }

private:
    QByteArray m_old;
};

TEST(EmfHeader, ResolutionIsOneADeviceHas) {
    const ScreenDpi screen("120,72");
    struct Case {
        const char* what;
        SIZE device, millimetres, micrometres;
        int dpiX, dpiY;
    };
    const Case cases[] = {
        {"sizes that agree", {1024, 768}, {320, 240}, {320000, 240000}, 81, 81},
        {"micrometres make the millimetres precise", {1000, 1000}, {10, 10}, {10900, 10000}, 2330, 2540},
        {"no micrometres", {1024, 768}, {320, 240}, {0, 0}, 81, 81},
        {"micrometres that disagree", {1024, 768}, {320, 240}, {8, 0x7FFFFFFF}, 81, 81},
        {"physical sizes no device has", {1024, 768}, {1, 9360000}, {1000, 0x7FFFFFFF}, 120, 72},
    };
    for (const Case& c : cases) {
        EmfHeader h;
        h.device = c.device;
        h.millimetres = c.millimetres;
        h.micrometres = c.micrometres;
        LMyBitmap bmp;
        ASSERT_EQ(LMyBitmap::LoadEMFMemory(bmp, HandMadeEmf(h)), SUCCESS) << c.what;
        EXPECT_EQ(bmp.GetWidth(), c.device.cx) << c.what;
        EXPECT_EQ(bmp.GetXResolution(), c.dpiX) << c.what;
        EXPECT_EQ(bmp.GetYResolution(), c.dpiY) << c.what;
    }
}

TEST(EmfHeader, WrongPhysicalSizePlaysAsIfItWereRight) {
    LMyBitmap right, wrong;
    ASSERT_EQ(LMyBitmap::LoadEMFMemory(right, HandMadeEmf({})), SUCCESS);
    EmfHeader h;
    h.micrometres = SIZE{320000, 240000 * 8900};
    ASSERT_EQ(LMyBitmap::LoadEMFMemory(wrong, HandMadeEmf(h)), SUCCESS);
    ExpectSamePixels(right, wrong);
    // The picture frame fills the bitmap: the rectangle's red stands at its middle.
    EXPECT_EQ(right.GetPixelColor(200, 200), RGB(255, 0, 0));
    // Coded as a page image is and read back, the page keeps both resolutions.
    QByteArray png;
    ASSERT_EQ(brellin::imaging::EncodePng(wrong, 6, png, {}), SUCCESS);
    LBitmapBase back;
    ASSERT_EQ(brellin::imaging::DecodePng(Bytes(png), std::size_t(png.size()), back, {}), SUCCESS);
    EXPECT_EQ(back.GetXResolution(), 81);
    EXPECT_EQ(back.GetYResolution(), 81);
}

TEST(EmfHeader, DrawingFarBeyondItsFrameIsShownWhole) {
    // A frame of 0.03 x 0.02 mm around a drawing of 2 x 1.5 cm: the drawing fills the bitmap, red
    // rectangle at the top left, white paper between it and the ellipse.
    EmfHeader h;
    h.frame = RECT{0, 0, 2, 1};
    LMyBitmap bmp;
    ASSERT_EQ(LMyBitmap::LoadEMFMemory(bmp, HandMadeEmf(h)), SUCCESS);
    EXPECT_EQ(bmp.GetPixelColor(250, 170), RGB(255, 0, 0));
    EXPECT_EQ(bmp.GetPixelColor(545, 35), RGB(255, 255, 255));
    EXPECT_EQ(bmp.GetPixelColor(1000, 20), RGB(255, 255, 255));
}

} // namespace
