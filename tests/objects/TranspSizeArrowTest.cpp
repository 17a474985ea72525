#include "objects/TranspSizeArrow.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace shapetest;

const RECT kRect{20000, 20000, 180000, 100000}; // client (20, 20, 180, 100)

TEST(TranspSizeArrowTest, OffsetFollowsTheEdgeItIsMeasuredFrom) {
    const struct {
        int code;
        int horizontal; // expected offset of a horizontal dimension
        int vertical;   // and of a vertical one
    } cases[] = {
        {HIT_BODY, 40000, 40000},       {HIT_LEFT, 40000, 35000},
        {HIT_TOP, 37000, 40000},        {HIT_RIGHT, 40000, 40000},
        {HIT_BOTTOM, 40000, 40000},     {HIT_TOPLEFT, 37000, 35000},
        {HIT_TOPRIGHT, 37000, 40000},   {HIT_BOTTOMRIGHT, 40000, 40000},
        {HIT_BOTTOMLEFT, 40000, 35000},
    };
    for (const auto& c : cases) {
        for (const BOOL horizontal : {TRUE, FALSE}) {
            CShapeHost host;
            CTranspSizeArrow arrow(&host, kRect, 0, 1000, 0, 40000, horizontal);
            arrow.m_nCapture = c.code;
            arrow.Resize(5000, 3000);
            EXPECT_EQ(arrow.m_nOffset, horizontal ? c.horizontal : c.vertical)
                << c.code << " " << horizontal;
        }
    }
    // The top edge dragged down by 10 units: the rectangle shrinks, the line stays.
    CShapeHost host;
    CTranspSizeArrow arrow(&host, kRect, 0, 1000, 0, 40000, TRUE);
    arrow.m_nCapture = HIT_TOP;
    arrow.Resize(0, 10);
    EXPECT_EQ(arrow.m_rect.top, 20010);
    EXPECT_EQ(arrow.m_nOffset, 39990);
}

TEST(TranspSizeArrowTest, DrawsExtensionLinesDimensionLineAndBothHeads) {
    CShapeTestScope scope;
    CShapeHost host;
    CTranspSizeArrow horizontal(&host, kRect, 0x0000FF, 1000, 0, 40000, TRUE);
    horizontal.m_bTabOrderDisplay = TRUE; // keeps its own colour
    QImage image = DrawShape(horizontal, false);
    EXPECT_EQ(image.pixel(20, 80) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(180, 80) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(100, 60) & 0xFFFFFF, 0xFF0000u);
    EXPECT_FALSE(InkNear(image, 100, 40, 3));
    // Barbs from the ends of the dimension line, 15 along and 5 across.
    EXPECT_TRUE(InkNear(image, 34, 56) && InkNear(image, 34, 64) && InkNear(image, 166, 56) &&
                InkNear(image, 166, 64));

    CTranspSizeArrow vertical(&host, kRect, 0x0000FF, 1000, 0, 40000, FALSE);
    image = DrawShape(vertical, false);
    EXPECT_TRUE(InkNear(image, 100, 20, 0) && InkNear(image, 100, 100, 0) &&
                InkNear(image, 60, 50, 0));
    EXPECT_TRUE(InkNear(image, 56, 34) && InkNear(image, 64, 34) && InkNear(image, 56, 86) &&
                InkNear(image, 64, 86));
    EXPECT_FALSE(InkNear(image, 20, 60, 2));

    // 300 dpi: everything three times as far out, no marks.
    horizontal.m_bSelected = TRUE;
    const QImage print = DrawShape(horizontal, true, 600, 340);
    EXPECT_TRUE(InkNear(print, 60, 240) && InkNear(print, 540, 240) && InkNear(print, 300, 180));
    EXPECT_TRUE(InkNear(print, 102, 167, 2) && InkNear(print, 102, 193, 2));
    // No selection square at the top-left corner (it would cover 57 .. 63 both ways).
    EXPECT_FALSE(IsInk(print, 63, 57) || IsInk(print, 57, 63));
}

TEST(TranspSizeArrowTest, RepaintCoversTheDimensionLineOutsideTheRectangle) {
    CShapeHost host;
    CTranspSizeArrow arrow(&host, kRect, 0, 1000, 0, 120000, TRUE);
    RECT rc;
    arrow.GetRepaintRect(&rc);
    // The band: 7000 units and the line width either side of y = 140.
    EXPECT_EQ(rc, (RECT{17, 17, 183, 148}));
    arrow.m_bHorizontal = FALSE;
    arrow.m_nOffset = -40000;
    arrow.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{-28, 17, 183, 103}));
}

TEST(TranspSizeArrowTest, RecordAndBlockBytes) {
    CShapeTestScope scope;
    CShapeHost host;
    CTranspSizeArrow arrow(&host, RECT{96, 192, 288, 384}, 0x00FF00, 500, 4, 77, TRUE);
    qputenv("BRELLIN_SCREEN_DPI", "120");
    // Coordinates scaled by 120 / 96; the offset and the flag are not.
    const QByteArray record =
        Bytes().RecordHead(64, 1).I32s({120, 240, 360, 480, 0x00FF00, 500, 4, 77, 1}).Zeros(12);
    EXPECT_EQ(StoreRecord(arrow), record);
    CTranspSizeArrow loaded(&host, 0);
    ASSERT_TRUE(LoadRecord(loaded, record));
    EXPECT_EQ(loaded.m_rect, (RECT{96, 192, 288, 384}));
    EXPECT_EQ(loaded.m_nOffset, 77);
    EXPECT_TRUE(loaded.m_bHorizontal);
    EXPECT_EQ(loaded.m_nPage, 4);

    const QByteArray block =
        Bytes().BlockHead(56, 12, 1).I32s({96, 192, 288, 384, 500, 0x00FF00, 77, 1});
    EXPECT_EQ(arrow.GetObData(), block);
    // Both size-arrow codes are read; the block is placed by its top-left.
    QByteArray other = block;
    other[4] = 13;
    for (const QByteArray& b : {block, other}) {
        auto pasted = CTranspSizeArrow::FromBlock(&host, b, POINT{1000, 2000}, 1);
        ASSERT_TRUE(pasted);
        EXPECT_EQ(pasted->m_rect, (RECT{1000, 2000, 1192, 2192}));
        EXPECT_EQ(pasted->m_nOffset, 77);
        EXPECT_EQ(pasted->m_nLineWidth, 500);
    }
}

} // namespace
