// The least exact depth of a bitmap: found from its colours, and every pixel the same after the
// reduction.

#include "platform/imaging/ExactDepth.h"

#include <gtest/gtest.h>

using brellin::imaging::LeastExactDepth;
using brellin::imaging::ReduceToLeastDepth;

namespace {

// A 24-bit bitmap of `colours` distinct colours in stripes, drawn by `colour(i)`.
template <typename F> LBitmapBase Stripes(int colours, F colour) {
    LBitmapBase b;
    b.Create(std::max(colours, 2) * 3, 7, 24);
    QImage img = b.GetImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, colour((x / 3 + y) % colours));
    b.SetImage(img, 24);
    b.SetXResolution(300);
    b.SetYResolution(200);
    return b;
}

QRgb Grey(int i) { return qRgb(i, i, i); }
QRgb Colour(int i) { return qRgb(i % 256, (i * 7) % 256, i / 256 * 40); }

TEST(ExactDepth, DepthFromTheColoursAndEveryPixelKept) {
    struct Case {
        const char* what;
        LBitmapBase bitmap;
        int depth;
    } cases[] = {
        {"black and white", Stripes(2, [](int i) { return i ? qRgb(255, 255, 255) : qRgb(0, 0, 0); }), 1},
        {"one grey", Stripes(1, [](int) { return Grey(128); }), 8},
        {"every grey", Stripes(256, Grey), 8},
        {"256 colours", Stripes(256, Colour), 8},
        {"257 colours", Stripes(257, Colour), 24},
        {"black and almost white", Stripes(2, [](int i) { return i ? qRgb(255, 255, 254) : 0; }), 8},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LeastExactDepth(c.bitmap), c.depth);
        LBitmapBase reduced = c.bitmap;
        ASSERT_EQ(ReduceToLeastDepth(reduced), SUCCESS);
        EXPECT_EQ(reduced.GetBitsPerPixel(), c.depth);
        EXPECT_EQ(reduced.GetXResolution(), 300);
        EXPECT_EQ(reduced.GetYResolution(), 200);
        for (int y = 0; y < c.bitmap.GetHeight(); ++y)
            for (int x = 0; x < c.bitmap.GetWidth(); ++x)
                ASSERT_EQ(reduced.GetPixelColor(x, y), c.bitmap.GetPixelColor(x, y)) << x << "," << y;
    }
}

TEST(ExactDepth, IndexedAndTransparentBitmaps) {
    // An 8-bit scan that uses only black and white of its grey ramp is a 1-bit page.
    LBitmapBase scan;
    scan.Create(40, 4, 8);
    QImage img = scan.GetImage();
    img.fill(255);
    img.scanLine(1)[5] = 0;
    scan.SetImage(img, 8);
    EXPECT_EQ(LeastExactDepth(scan), 1);
    ASSERT_EQ(ReduceToLeastDepth(scan), SUCCESS);
    EXPECT_EQ(scan.GetPixelColor(5, 1), RGB(0, 0, 0));
    EXPECT_EQ(scan.GetPixelColor(6, 1), RGB(255, 255, 255));

    // Transparency is more than a palette holds.
    LBitmapBase glass;
    QImage argb(8, 8, QImage::Format_ARGB32);
    argb.fill(qRgba(255, 255, 255, 255));
    argb.setPixel(2, 2, qRgba(0, 0, 0, 0));
    glass.SetImage(argb);
    EXPECT_EQ(LeastExactDepth(glass), 32);

    LBitmapBase none;
    EXPECT_EQ(LeastExactDepth(none), 0);
    EXPECT_EQ(ReduceToLeastDepth(none), ERROR_NOT_ALLOCATED);
}

} // namespace
