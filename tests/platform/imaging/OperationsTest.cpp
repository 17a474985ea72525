// Image operations at every depth: quarter turns move pixels exactly, other angles enlarge the
// bitmap with the fill colour in the corners; trims, flips, inversion and memory use.

#include "ImagingTestUtil.h"

namespace {

class EachDepth : public testing::TestWithParam<int> {};

TEST_P(EachDepth, QuarterTurnsMovePixelsExactly) {
    const int bpp = GetParam();
    const LBitmapBase src = MakePattern(100, 50, bpp, 300);
    LBitmapBase cw(src);
    ASSERT_EQ(cw.Rotate(9000, ROTATE_RESIZE, 0), SUCCESS);
    ASSERT_EQ(cw.GetWidth(), 50);
    ASSERT_EQ(cw.GetHeight(), 100);
    EXPECT_EQ(cw.GetBitsPerPixel(), bpp);
    // Clockwise: the left column becomes the top row.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(cw.GetPixelColor(x, y), src.GetPixelColor(y, 49 - x)) << x << "," << y;
    LBitmapBase back(cw);
    ASSERT_EQ(back.Rotate(-9000, ROTATE_RESIZE, 0), SUCCESS);
    ExpectSamePixels(src, back);

    LBitmapBase half(src);
    ASSERT_EQ(half.Rotate(18000, ROTATE_RESIZE, 0), SUCCESS);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(half.GetPixelColor(x, y), src.GetPixelColor(99 - x, 49 - y));
}

TEST_P(EachDepth, FortyFiveDegreesEnlargesWithFillInTheCorners) {
    const int bpp = GetParam();
    LBitmapBase src;
    ASSERT_EQ(src.Create(100, 50, bpp, bpp == 1 ? QList<QRgb>{} : QList<QRgb>{qRgb(255, 255, 255)}),
              SUCCESS);
    src.Fill(RGB(255, 255, 255));
    LBitmapBase r(src);
    const COLORREF fill = bpp == 1 ? RGB(0, 0, 0) : RGB(200, 0, 0);
    ASSERT_EQ(r.Rotate(4500, ROTATE_RESIZE, fill), SUCCESS);
    EXPECT_EQ(r.GetWidth(), 107);
    EXPECT_EQ(r.GetHeight(), 107);
    EXPECT_EQ(r.GetBitsPerPixel(), bpp);
    for (auto [x, y] : {std::pair{0, 0}, {106, 0}, {0, 106}, {106, 106}})
        EXPECT_EQ(r.GetPixelColor(x, y), fill);
    EXPECT_EQ(r.GetPixelColor(53, 53), RGB(255, 255, 255));
}

TEST_P(EachDepth, FlipReverseInvertAndTrim) {
    const int bpp = GetParam();
    const LBitmapBase src = MakePattern(37, 11, bpp);
    LBitmapBase f(src);
    ASSERT_EQ(f.Flip(), SUCCESS);
    LBitmapBase m(src);
    ASSERT_EQ(m.Reverse(), SUCCESS);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x) {
            ASSERT_EQ(f.GetPixelColor(x, y), src.GetPixelColor(x, 10 - y));
            ASSERT_EQ(m.GetPixelColor(x, y), src.GetPixelColor(36 - x, y));
        }
    LBitmapBase inv(src);
    ASSERT_EQ(inv.Invert(), SUCCESS);
    EXPECT_EQ(inv.GetBitsPerPixel(), bpp);
    for (int x = 0; x < 37; ++x)
        ASSERT_EQ(inv.GetPixelColor(x, 3), src.GetPixelColor(x, 3) ^ 0xFFFFFF);

    LBitmapBase t(src);
    ASSERT_EQ(t.Trim(3, 2, 20, 5), SUCCESS);
    EXPECT_EQ(t.GetWidth(), 20);
    EXPECT_EQ(t.GetBitsPerPixel(), bpp);
    EXPECT_EQ(t.GetXResolution(), src.GetXResolution());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(t.GetPixelColor(x, y), src.GetPixelColor(x + 3, y + 2));
    EXPECT_EQ(t.Trim(0, 0, 21, 1), ERROR_INV_PARAMETER);
    EXPECT_EQ(t.Trim(0, 0, 0, 1), ERROR_INV_PARAMETER);
}

TEST_P(EachDepth, AutomaticTrimKeepsTheContent) {
    const int bpp = GetParam();
    LBitmapBase page;
    ASSERT_EQ(page.Create(61, 40, bpp), SUCCESS); // grey palette: black first, white last
    ASSERT_EQ(page.Fill(RGB(255, 255, 255)), SUCCESS);
    LBitmapBase blank(page);
    EXPECT_EQ(blank.AutoTrim(0), ERROR_NOTHING_TO_TRIM);
    EXPECT_EQ(blank.GetWidth(), 61);

    // Dark marks at (13, 7) and (41, 30): the trim keeps exactly their bounding box.
    QImage img = page.GetImage();
    const uint darkValue = bpp > 8 ? qRgb(0, 0, 0) : 0;
    img.setPixel(13, 7, darkValue);
    img.setPixel(41, 30, darkValue);
    page.SetImage(img, bpp);
    ASSERT_EQ(page.AutoTrim(0), SUCCESS);
    EXPECT_EQ(page.GetWidth(), 29);
    EXPECT_EQ(page.GetHeight(), 24);
    EXPECT_EQ(page.GetPixelColor(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(page.GetPixelColor(28, 23), RGB(0, 0, 0));
    EXPECT_EQ(page.GetPixelColor(1, 0), RGB(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Depths, EachDepth, testing::Values(1, 4, 8, 24, 32));

TEST(Operations, FillAddsTheColourToAPaletteWithRoom) {
    LBitmapBase b;
    ASSERT_EQ(b.Create(4, 4, 4, {qRgb(0, 0, 0)}), SUCCESS);
    ASSERT_EQ(b.Fill(RGB(10, 20, 30)), SUCCESS);
    EXPECT_EQ(b.GetPixelColor(3, 3), RGB(10, 20, 30));
    EXPECT_EQ(b.GetPalette().size(), 2);
}

TEST(Operations, OperationsOnAnEmptyBitmapReportIt) {
    LBitmapBase b;
    EXPECT_EQ(b.Rotate(9000, ROTATE_RESIZE, 0), ERROR_NOT_ALLOCATED);
    EXPECT_EQ(b.AutoTrim(0), ERROR_NOT_ALLOCATED);
    EXPECT_EQ(b.Flip(), ERROR_NOT_ALLOCATED);
    EXPECT_TRUE(b.ConvertToDIB().isNull());
    EXPECT_EQ(b.Create(0, 5, 24), ERROR_INV_PARAMETER);
    EXPECT_EQ(b.Create(100000, 100000, 1), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(b.Create(10, 10, 16), ERROR_BAD_DEPTH);
}

TEST(Operations, A4PagesTakeNoMoreMemoryThanTheirDepthNeeds) {
    LBitmapBase fax;
    ASSERT_EQ(fax.Create(2480, 3508, 1), SUCCESS);
    EXPECT_LE(fax.GetMemorySize(), 1200000);
    LBitmapBase colour;
    ASSERT_EQ(colour.Create(2480, 3508, 24), SUCCESS);
    EXPECT_LE(colour.GetMemorySize(), 26200000);
}

TEST(Operations, DepthChangeThresholdsAndQuantises) {
    LBitmapBase b = MakePattern(30, 30, 24);
    ASSERT_EQ(b.ChangeBitsPerPixel(8), SUCCESS);
    EXPECT_EQ(b.GetBitsPerPixel(), 8);
    EXPECT_LE(b.GetPalette().size(), 256);
    ASSERT_EQ(b.ChangeBitsPerPixel(1), SUCCESS);
    EXPECT_EQ(b.GetBitsPerPixel(), 1);
    EXPECT_EQ(b.GetXResolution(), 300);
}

} // namespace
