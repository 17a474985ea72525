#include "objects/TranspRectangle.h"
#include "objects/TranspEllipse.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace shapetest;

const RECT kRect{20000, 20000, 120000, 80000}; // client (20, 20, 120, 80)

TEST(TranspRectangleTest, CornersAreRoundedByTheMidpointWalkUnlessTooSmall) {
    CShapeHost host;
    CTranspRectangle rect(&host, kRect, 0x0000FF, 1000, 0);
    QImage image = DrawShape(rect, false);
    // Radius 4: the corner pixel stays white, the walk passes (21, 21) on its diagonal.
    EXPECT_FALSE(IsInk(image, 20, 20));
    for (const POINT p :
         {POINT{21, 21}, POINT{20, 24}, POINT{24, 20}, POINT{60, 20}, POINT{20, 50}, POINT{120, 50},
          POINT{60, 80}, POINT{118, 21}, POINT{118, 78}, POINT{21, 78}})
        EXPECT_TRUE(IsInk(image, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(InkIn(image, RECT{23, 23, 118, 78}), 0);

    // Seven pixels wide is less than twice the radius: square corners.
    CTranspRectangle narrow(&host, RECT{20000, 20000, 27000, 60000}, 0x0000FF, 1000, 0);
    image = DrawShape(narrow, false);
    EXPECT_TRUE(IsInk(image, 20, 20) && IsInk(image, 26, 59));

    // Output at 300 dpi: three times as far out, no marks even when selected.
    rect.m_bSelected = TRUE;
    const QImage print = DrawShape(rect, true, 400, 280);
    EXPECT_TRUE(InkNear(print, 200, 60) && InkNear(print, 360, 150) && InkNear(print, 60, 150) &&
                InkNear(print, 200, 240));
    EXPECT_EQ(InkIn(print, RECT{0, 0, 400, 56}), 0);
    // On screen the selection handles, the midpoints included.
    image = DrawShape(rect, false);
    EXPECT_TRUE(IsInk(image, 70, 17) && IsInk(image, 17, 17));
}

TEST(TranspRectangleTest, EllipseIsInscribed) {
    CShapeHost host;
    CTranspEllipse ellipse(&host, kRect, 0x0000FF, 1000, 0);
    const QImage image = DrawShape(ellipse, false);
    EXPECT_TRUE(InkNear(image, 70, 20) && InkNear(image, 20, 50) && InkNear(image, 119, 50) &&
                InkNear(image, 70, 79));
    EXPECT_FALSE(InkNear(image, 22, 22, 2) || InkNear(image, 70, 50, 10));
    const QImage print = DrawShape(ellipse, true, 400, 280);
    EXPECT_TRUE(InkNear(print, 210, 61, 2) && InkNear(print, 61, 150, 2));
    EXPECT_FALSE(InkNear(print, 64, 64, 3));
}

TEST(TranspRectangleTest, RecordsScaleAndBlocksPlace) {
    CShapeTestScope scope;
    qputenv("BRELLIN_SCREEN_DPI", "120,144");
    CShapeHost host;
    CTranspRectangle rect(&host, RECT{96, 96, 192, 192}, 0x010203, 11, 2);
    const QByteArray record =
        Bytes().RecordHead(56, 1).I32s({120, 144, 240, 288, 0x010203, 11, 2}).Zeros(12);
    EXPECT_EQ(StoreRecord(rect), record);
    CTranspEllipse ellipse(&host, RECT{96, 96, 192, 192}, 0x010203, 11, 2);
    EXPECT_EQ(StoreRecord(ellipse), record);
    CTranspEllipse loaded(&host, 0);
    ASSERT_TRUE(LoadRecord(loaded, record));
    EXPECT_EQ(loaded.m_rect, (RECT{96, 96, 192, 192}));
    EXPECT_EQ(loaded.m_crColor, 0x010203u);

    const QByteArray block = Bytes().BlockHead(48, 1, 1).I32s({96, 96, 192, 192, 11, 0x010203});
    EXPECT_EQ(rect.GetObData(), block);
    QByteArray ellipseBlock = block;
    ellipseBlock[4] = 2;
    EXPECT_EQ(ellipse.GetObData(), ellipseBlock);
    // An inverted rectangle lands with its top-left at the point.
    CTranspRectangle inverted(&host, RECT{192, 192, 96, 96}, 0, 11, 2);
    auto pasted = CTranspRectangle::FromBlock(&host, inverted.GetObData(), POINT{5, 6}, 0);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->m_rect, (RECT{5, 6, 101, 102}));
    EXPECT_FALSE(CTranspRectangle::FromBlock(&host, ellipseBlock, POINT{5, 6}, 0));
    EXPECT_TRUE(CTranspEllipse::FromBlock(&host, ellipseBlock, POINT{5, 6}, 0));
}

} // namespace
