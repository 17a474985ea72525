// Painting a bitmap: nearest-neighbour stretch from a source to a destination rectangle, with
// SRCCOPY and SRCAND, on raster images and through a painter's scale and clip.

#include "ImagingTestUtil.h"

#include <QPainter>

namespace {

LBitmapBase FourColours() {
    LBitmapBase b;
    EXPECT_EQ(b.Create(2, 2, 24), SUCCESS);
    QImage img = b.GetImage();
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(0, 1, qRgb(0, 0, 255));
    img.setPixel(1, 1, qRgb(255, 255, 255));
    b.SetImage(img, 24);
    return b;
}

TEST(Paint, StretchRepeatsSourcePixels) {
    const LBitmapBase b = FourColours();
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter p(&target);
        ASSERT_EQ(brellin::imaging::PaintBitmap(p, b, RECT{0, 0, 2, 2}, RECT{2, 2, 12, 12}, SRCCOPY),
                  SUCCESS);
    }
    EXPECT_EQ(target.pixel(1, 1), qRgb(0, 0, 0));     // outside the destination
    EXPECT_EQ(target.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(6, 6), qRgb(255, 0, 0));   // 5 x 5 blocks
    EXPECT_EQ(target.pixel(7, 6), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(6, 7), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(11, 11), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(12, 12), qRgb(0, 0, 0));
}

TEST(Paint, SourceAndKeepsThePageUnderWhite) {
    LBitmapBase picture;
    ASSERT_EQ(picture.Create(2, 1, 1, {qRgb(255, 0, 0), qRgb(255, 255, 255)}), SUCCESS);
    QImage img = picture.GetImage();
    img.setPixel(0, 0, 0); // red
    img.setPixel(1, 0, 1); // white
    picture.SetImage(img, 1);
    QImage page(4, 2, QImage::Format_RGB32);
    page.fill(qRgb(0, 255, 255));
    {
        QPainter p(&page);
        picture.SetDstRect(RECT{0, 0, 4, 2});
        ASSERT_EQ(picture.Paint(&p, SRCAND), SUCCESS);
    }
    EXPECT_EQ(page.pixel(0, 0), qRgb(0, 0, 0));       // red AND cyan
    EXPECT_EQ(page.pixel(3, 1), qRgb(0, 255, 255));   // white lets the page show
}

TEST(Paint, FollowsThePainterScaleAndClip) {
    const LBitmapBase b = FourColours();
    QImage target(40, 40, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter p(&target);
        p.scale(2, 2);
        p.setClipRect(QRect(0, 0, 5, 20));
        ASSERT_EQ(brellin::imaging::PaintBitmap(p, b, RECT{0, 0, 2, 2}, RECT{0, 0, 10, 10}, SRCCOPY),
                  SUCCESS);
    }
    EXPECT_EQ(target.pixel(9, 9), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(9, 10), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(10, 9), qRgb(0, 0, 0)); // clipped away
}

TEST(Paint, OddRequestsAreHandled) {
    const LBitmapBase b = FourColours();
    QImage target(8, 8, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter p(&target);
    // A source partly outside the bitmap paints only the part that exists.
    ASSERT_EQ(brellin::imaging::PaintBitmap(p, b, RECT{1, 1, 3, 3}, RECT{0, 0, 4, 4}, SRCCOPY),
              SUCCESS);
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(3, 3), qRgb(0, 0, 0));
    EXPECT_EQ(brellin::imaging::PaintBitmap(p, b, RECT{0, 0, 2, 2}, RECT{0, 0, 4, 4}, 0x12345678),
              ERROR_INV_PARAMETER);
    LBitmapBase empty;
    EXPECT_EQ(empty.Paint(&p), ERROR_NOT_ALLOCATED);
}

} // namespace

#include <QPicture>

namespace {

TEST(Paint, DevicesWithoutRasterOperationsGetTheSourceToScale) {
    // A recording device (as printers and PDF are) receives the source part and scales it.
    LBitmapBase picture;
    ASSERT_EQ(picture.Create(2, 1, 1, {qRgb(255, 0, 0), qRgb(255, 255, 255)}), SUCCESS);
    QImage img = picture.GetImage();
    img.setPixel(0, 0, 0);
    img.setPixel(1, 0, 1);
    picture.SetImage(img, 1);
    QPicture recording;
    {
        QPainter p(&recording);
        ASSERT_EQ(brellin::imaging::PaintBitmap(p, picture, RECT{0, 0, 2, 1}, RECT{0, 0, 8, 4},
                                                SRCCOPY),
                  SUCCESS);
    }
    QImage page(8, 4, QImage::Format_RGB32);
    page.fill(qRgb(0, 255, 255));
    {
        QPainter p(&page);
        recording.play(&p);
    }
    EXPECT_EQ(page.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(6, 2), qRgb(255, 255, 255));
}

} // namespace
