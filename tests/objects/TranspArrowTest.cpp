#include "objects/TranspArrow.h"

#include "ShapeTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace shapetest;

TEST(TranspArrowTest, BarbAngleIsTheGivenDouble) {
    const std::uint64_t bits = 0x3FE0C131D5ACB6F5ull;
    double expected;
    std::memcpy(&expected, &bits, sizeof expected);
    EXPECT_EQ(ARROW_BARB_ANGLE, expected);
}

TEST(TranspArrowTest, BarbsLieEitherSideOfTheReversedShaftTruncated) {
    const struct {
        POINT p1, p2;
        int barb;
        POINT b1, b2;
    } cases[] = {
        // 15 × cos(π − a) = -12.99.., 15 × sin a = 7.499..: truncated toward zero.
        {{0, 0}, {100, 0}, 15, {88, 7}, {88, -7}},
        {{100, 0}, {0, 0}, 15, {12, -7}, {12, 7}},
        {{0, 100}, {0, 0}, 15, {7, 12}, {-7, 12}},
        {{5, 5}, {5, 5}, 15, {-7, 12}, {-7, -2}},
    };
    for (const auto& c : cases) {
        POINT b1, b2;
        CTranspArrow::GetBarbEnds(c.p1, c.p2, c.barb, b1, b2);
        EXPECT_EQ(b1, c.b1) << c.p2.x << "," << c.p2.y;
        EXPECT_EQ(b2, c.b2) << c.p2.x << "," << c.p2.y;
    }
}

TEST(TranspArrowTest, DrawsTheHeadInItsOwnColourEvenInTabOrderDisplay) {
    CShapeTestScope scope;
    CShapeHost host;
    // Tail (20, 60), tip (150, 60); barbs of 15 pixels end at (138, 67) and (138, 53).
    CTranspArrow arrow(&host, 20000, 60000, 150000, 60000, 0x0000FF, 1000, 0);
    arrow.m_bTabOrderDisplay = TRUE;
    const QImage screen = DrawShape(arrow, false);
    EXPECT_EQ(screen.pixel(80, 60) & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(InkNear(screen, 139, 66) && InkNear(screen, 139, 54));
    EXPECT_FALSE(InkNear(screen, 160, 60, 3));
    EXPECT_EQ(InkIn(screen, RECT{0, 0, 200, 50}), 0);

    // 300 dpi: tip at (450, 180), barbs of 45 pixels: (412, 202) and (412, 158).
    const QImage print = DrawShape(arrow, true, 500, 260);
    EXPECT_TRUE(InkNear(print, 300, 180) && InkNear(print, 413, 201, 2) &&
                InkNear(print, 413, 159, 2));
}

TEST(TranspArrowTest, RepaintCoversTheBarbsOfAShortOrTurnedArrow) {
    CShapeHost host;
    // Shorter than its barbs: they reach past the tail, 15 pixels from the tip.
    CTranspArrow arrow(&host, 100000, 100000, 102000, 100000, 0, 1000, 0);
    RECT rc;
    arrow.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{82, 82, 120, 118}));
    QImage image = WhiteImage(200, 200);
    {
        CDC dc(&image);
        arrow.Draw(&dc, FALSE, nullptr);
    }
    EXPECT_EQ(InkCount(image), InkIn(image, rc));
}

TEST(TranspArrowTest, MovesAndUndoesByItsEnds) {
    CShapeHost host;
    CTranspArrow arrow(&host, 20000, 30000, 120000, 90000, 0, 1000, 0);
    arrow.DrawScreen(nullptr, FALSE, nullptr);
    EXPECT_EQ(arrow.GetCapture(POINT{121, 91}), HIT_BOTTOMRIGHT);
    arrow.OnLButtonDown(0, POINT{121, 91});
    arrow.OnMouseMove(MK_LBUTTON, POINT{131, 91});
    arrow.OnLButtonUp(0, POINT{131, 91});
    EXPECT_EQ((RECT{arrow.m_x1, arrow.m_y1, arrow.m_x2, arrow.m_y2}),
              (RECT{20000, 30000, 130000, 90000}));
    arrow.MoveBy(1000, 0);
    EXPECT_EQ(arrow.m_rect, (RECT{21000, 30000, 131000, 90000}));
    arrow.Undo();
    EXPECT_EQ(arrow.m_x2, 120000);
    EXPECT_EQ(arrow.m_rect, (RECT{20000, 30000, 120000, 90000}));

    const QByteArray block = arrow.GetObData();
    EXPECT_EQ(block.left(24), Bytes().BlockHead(48, 11, 1).bytes());
    auto pasted = CTranspArrow::FromBlock(&host, block, POINT{0, 0}, 0);
    ASSERT_TRUE(pasted);
    EXPECT_EQ((RECT{pasted->m_x1, pasted->m_y1, pasted->m_x2, pasted->m_y2}),
              (RECT{0, 0, 100000, 60000}));
}

} // namespace
