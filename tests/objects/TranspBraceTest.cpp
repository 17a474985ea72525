#include "objects/TranspBrace.h"
#include "objects/MidpointCircle.h"

#include "ShapeTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace shapetest;

const RECT kRect{60000, 20000, 160000, 120000}; // client (60, 20, 160, 120); g = 6, middle 70

TEST(MidpointCircleTest, WalkStaysOnTheCircle) {
    std::vector<POINT> octant;
    WalkMidpointCircle(6, [&](int i, int k) { octant.push_back(POINT{i, k}); });
    EXPECT_EQ(octant, (std::vector<POINT>{{0, 6}, {1, 6}, {2, 6}, {3, 5}, {4, 5}}));
    for (int r = 0; r <= 60; ++r) {
        int steps = 0;
        WalkMidpointCircle(r, [&](int i, int k) {
            ++steps;
            EXPECT_LE(std::fabs(std::hypot(i, k) - r), 0.75) << r << ": " << i << "," << k;
            EXPECT_GE(k, i);
        });
        EXPECT_GE(steps, 1);
    }
}

TEST(MidpointCircleTest, QuarterCircleLiesInItsQuadrant) {
    for (const POINT side : {POINT{-1, -1}, POINT{1, -1}, POINT{1, 1}, POINT{-1, 1}}) {
        QImage image = WhiteImage(40, 40);
        {
            CDC dc(&image);
            DrawQuarterCircle(&dc, 20, 20, 10, side.x, side.y);
        }
        EXPECT_TRUE(IsInk(image, 20 + 10 * side.x, 20) && IsInk(image, 20, 20 + 10 * side.y));
        RECT quadrant{side.x < 0 ? 0 : 20, side.y < 0 ? 0 : 20, side.x < 0 ? 21 : 40,
                      side.y < 0 ? 21 : 40};
        EXPECT_EQ(InkIn(image, quadrant), InkCount(image)) << side.x << "," << side.y;
    }
}

TEST(TranspBraceTest, EachStyleHasItsSpineAndPointOutsideTheRectangle) {
    const struct {
        int style;
        POINT spine, tip, clear;
    } cases[] = {
        {BRACESTYLE_LEFT, {60, 40}, {53, 70}, {160, 70}},
        {BRACESTYLE_RIGHT, {160, 40}, {167, 70}, {60, 70}},
        {BRACESTYLE_TOP, {85, 20}, {110, 13}, {110, 120}},
        {BRACESTYLE_BOTTOM, {85, 120}, {110, 127}, {110, 20}},
        {0, {85, 20}, {110, 13}, {110, 120}}, // any other style is the top
    };
    for (const auto& c : cases) {
        CShapeHost host;
        CTranspBrace brace(&host, kRect, 0x0000FF, 1000, 0, c.style);
        brace.m_bTabOrderDisplay = TRUE; // keeps its own colour
        const QImage image = DrawShape(brace, false);
        EXPECT_EQ(image.pixel(c.spine.x, c.spine.y) & 0xFFFFFF, 0xFF0000u) << c.style;
        EXPECT_TRUE(IsInk(image, c.tip.x, c.tip.y)) << c.style;
        EXPECT_FALSE(InkNear(image, c.clear.x, c.clear.y, 2)) << c.style;
        // The repaint rectangle covers everything drawn, the point included.
        RECT rc;
        brace.GetRepaintRect(&rc);
        EXPECT_EQ(InkIn(image, rc), InkCount(image)) << c.style;
    }
}

TEST(TranspBraceTest, BendsJoinSpineAndArms) {
    CShapeHost host;
    CTranspBrace brace(&host, kRect, 0, 1000, 0, BRACESTYLE_LEFT);
    RECT rc;
    brace.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{51, 11, 169, 129}));
    const QImage image = DrawShape(brace, false);
    // Bend ends, the spine's gap either side of the middle, the arms' far ends.
    for (const POINT p : {POINT{60, 26}, POINT{66, 20}, POINT{60, 114}, POINT{66, 120},
                          POINT{59, 64}, POINT{59, 76}, POINT{159, 20}, POINT{159, 120}})
        EXPECT_TRUE(IsInk(image, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_FALSE(IsInk(image, 60, 20) || IsInk(image, 60, 70) || IsInk(image, 60, 120));

    // 300 dpi: the rectangle three times as far out; the bends keep their screen size.
    brace.m_bSelected = TRUE;
    const QImage print = DrawShape(brace, true, 520, 400);
    EXPECT_TRUE(InkNear(print, 180, 150) && InkNear(print, 330, 60) && InkNear(print, 173, 210));
    EXPECT_FALSE(IsInk(print, 183, 57)); // no selection square
}

TEST(TranspBraceTest, RecordAndBlockBytes) {
    CShapeTestScope scope;
    CShapeHost host;
    CTranspBrace brace(&host, RECT{1, 2, 3, 4}, 0xABCDEF, 9, 5, BRACESTYLE_BOTTOM);
    const QByteArray record =
        Bytes().RecordHead(64, 1).I32s({1, 2, 3, 4, 0xABCDEF, 9, 5, 4}).Zeros(16);
    EXPECT_EQ(StoreRecord(brace), record);
    CTranspBrace loaded(&host, 0);
    ASSERT_TRUE(LoadRecord(loaded, record));
    EXPECT_EQ(loaded.m_nBraceStyle, BRACESTYLE_BOTTOM);
    EXPECT_EQ(loaded.m_rect, (RECT{1, 2, 3, 4}));

    const QByteArray block = Bytes().BlockHead(56, 14, 1).I32s({1, 2, 3, 4, 9, 0xABCDEF, 4, 0});
    EXPECT_EQ(brace.GetObData(), block);
    auto pasted = CTranspBrace::FromBlock(&host, block, POINT{-10, 20}, 0);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->m_rect, (RECT{-10, 20, -8, 22}));
    EXPECT_EQ(pasted->m_nBraceStyle, BRACESTYLE_BOTTOM);
}

} // namespace
