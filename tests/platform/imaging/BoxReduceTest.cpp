// Reduction by averaging: each result pixel is the mean of exactly the source pixels that fall
// into it, whatever the source format, and a 1-bit page gives grey, not black and white.

#include "TestSupport.h"
#include "platform/imaging/BoxReduce.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using brellin::imaging::BoxReduce;

QImage Mono(int w, int h, const std::function<bool(int x, int y)>& black) {
    QImage image(w, h, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, black(x, y) ? 1 : 0);
    return image;
}

TEST(BoxReduce, OneBitPageBecomesGreyWithExactMeans) {
    // Odd width, a start off the byte boundary and a run past the last whole byte all go through
    // the per-bit path beside the byte table.
    for (const int x0 : {0, 3}) {
        const QImage page = Mono(43 + x0, 20, [](int x, int y) { return (x + y) % 2 == 0; });
        const QImage out = BoxReduce(page, QRect(x0, 0, 40, 20), 20, 10);
        ASSERT_EQ(out.format(), QImage::Format_Grayscale8);
        ASSERT_EQ(out.size(), QSize(20, 10));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(qGray(out.pixel(x, y)), 128) << x0 << " " << x << "," << y; // 127.5 rounded
    }
    // A vertical stroke one pixel wide in a block of 4 x 4: a quarter black.
    const QImage stroke = Mono(16, 16, [](int x, int) { return x == 5; });
    const QImage out = BoxReduce(stroke, stroke.rect(), 4, 4);
    EXPECT_EQ(qGray(out.pixel(1, 2)), 191); // (3 * 255) / 4 rounded
    EXPECT_EQ(qGray(out.pixel(0, 2)), 255);
    EXPECT_EQ(qGray(out.pixel(2, 2)), 255);
}

TEST(BoxReduce, PaletteOfOtherColoursAndLsbOrderAreHonoured) {
    QImage mono = Mono(8, 2, [](int x, int) { return x < 4; });
    mono.setColorTable({qRgb(0, 0, 255), qRgb(255, 0, 0)}); // 0 blue, 1 red
    QImage out = BoxReduce(mono, mono.rect(), 2, 1);
    ASSERT_EQ(out.format(), QImage::Format_RGB32);
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(1, 0), qRgb(0, 0, 255));

    const QImage lsb = Mono(8, 2, [](int x, int) { return x < 4; }).convertToFormat(QImage::Format_MonoLSB);
    out = BoxReduce(lsb, lsb.rect(), 2, 1);
    EXPECT_EQ(qGray(out.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(out.pixel(1, 0)), 255);
}

TEST(BoxReduce, ColourFormatsAverageEachChannelOverUnevenBins) {
    // 5 columns into 2: the bins hold 3 and 2 columns.
    QImage rgb(5, 1, QImage::Format_RGB888);
    const QRgb colours[5] = {qRgb(30, 0, 0), qRgb(60, 0, 0), qRgb(90, 0, 0), qRgb(0, 100, 0), qRgb(0, 0, 200)};
    for (int x = 0; x < 5; ++x)
        rgb.setPixel(x, 0, colours[x]);
    for (const QImage::Format f : {QImage::Format_RGB888, QImage::Format_RGB32, QImage::Format_ARGB32,
                                   QImage::Format_RGB16, QImage::Format_Indexed8}) {
        const QImage in = rgb.convertToFormat(f);
        const QImage out = BoxReduce(in, in.rect(), 2, 1);
        ASSERT_FALSE(out.isNull()) << f;
        if (f == QImage::Format_RGB16)
            continue; // 5-6-5 bits: the channels are rounded before averaging
        EXPECT_EQ(out.pixel(0, 0), qRgb(60, 0, 0)) << f;
        EXPECT_EQ(out.pixel(1, 0), qRgb(0, 50, 100)) << f;
    }
}

TEST(BoxReduce, PartIsClippedAndImpossibleSizesRefused) {
    QImage grey(10, 10, QImage::Format_Grayscale8);
    grey.fill(0);
    for (int y = 0; y < 10; ++y)
        for (int x = 5; x < 10; ++x)
            grey.setPixel(x, y, qRgb(200, 200, 200));
    // Only the right half is asked for, partly outside the image.
    const QImage right = BoxReduce(grey, QRect(5, 0, 20, 10), 1, 1);
    ASSERT_FALSE(right.isNull());
    EXPECT_EQ(qGray(right.pixel(0, 0)), 200);
    EXPECT_TRUE(BoxReduce(grey, grey.rect(), 11, 5).isNull()); // no enlarging
    EXPECT_TRUE(BoxReduce(grey, grey.rect(), 0, 5).isNull());
    EXPECT_TRUE(BoxReduce(grey, QRect(20, 20, 5, 5), 1, 1).isNull());
    EXPECT_TRUE(BoxReduce(QImage(), QRect(0, 0, 5, 5), 1, 1).isNull());
    // Same size: the image itself.
    const QImage same = BoxReduce(grey, grey.rect(), 10, 10);
    EXPECT_EQ(qGray(same.pixel(4, 4)), 0);
    EXPECT_EQ(qGray(same.pixel(5, 4)), 200);
}

} // namespace
