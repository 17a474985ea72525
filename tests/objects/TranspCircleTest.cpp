#include "objects/TranspCircle.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace shapetest;

// Centre (100, 80), radius 40: client square (60, 40, 140, 120).
CTranspCircle MakeCircle(IObjectHost* host) {
    return CTranspCircle(host, 100000, 80000, 40000, 0x0000FF, 1000, 0);
}

TEST(TranspCircleTest, CornersMoveEdgesResize) {
    CShapeHost host;
    CTranspCircle circle = MakeCircle(&host);
    EXPECT_EQ(circle.m_rect, (RECT{60000, 40000, 140000, 120000}));
    const struct {
        POINT pt;
        int code;
    } cases[] = {
        {{58, 38}, HIT_BODY},   {{141, 38}, HIT_BODY},    {{141, 121}, HIT_BODY},
        {{58, 121}, HIT_BODY},  {{58, 80}, HIT_LEFT},     {{100, 38}, HIT_TOP},
        {{141, 80}, HIT_RIGHT}, {{100, 121}, HIT_BOTTOM}, {{100, 80}, HIT_BODY},
        {{150, 80}, HIT_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(circle.GetCapture(c.pt), c.code) << c.pt.x << "," << c.pt.y;
}

TEST(TranspCircleTest, EdgeDraggedAcrossTheCentreTurnsIntoTheOppositeEdge) {
    const struct {
        int code;
        int dx, dy;
        LONG radius;
        int captureAfter;
    } cases[] = {
        {HIT_LEFT, 10000, 0, 30000, HIT_LEFT},         {HIT_LEFT, 50000, 0, 10000, HIT_RIGHT},
        {HIT_TOP, 0, 50000, 10000, HIT_BOTTOM},        {HIT_RIGHT, -50000, 0, 10000, HIT_LEFT},
        {HIT_BOTTOM, 0, -50000, 10000, HIT_TOP},       {HIT_BOTTOM, 0, 5000, 45000, HIT_BOTTOM},
        {HIT_TOPLEFT, 5000, 5000, 40000, HIT_TOPLEFT},
    };
    for (const auto& c : cases) {
        CShapeHost host;
        CTranspCircle circle = MakeCircle(&host);
        circle.m_nCapture = c.code;
        circle.Resize(c.dx, c.dy);
        EXPECT_EQ(circle.m_nRadius, c.radius) << c.code;
        EXPECT_EQ(circle.m_nCapture, c.captureAfter) << c.code;
        EXPECT_EQ((POINT{circle.m_cx, circle.m_cy}), (POINT{100000, 80000})) << c.code;
        EXPECT_EQ(circle.m_rect,
                  (RECT{100000 - c.radius, 80000 - c.radius, 100000 + c.radius, 80000 + c.radius}));
    }

    // Through the mouse: the left edge dragged right past the centre grows again.
    CShapeHost host;
    CTranspCircle circle = MakeCircle(&host);
    circle.DrawScreen(nullptr, FALSE, nullptr);
    circle.OnLButtonDown(0, POINT{61, 80});
    circle.OnMouseMove(MK_LBUTTON, POINT{111, 80});
    EXPECT_EQ(circle.m_nRadius, 10000);
    circle.OnMouseMove(MK_LBUTTON, POINT{121, 80});
    EXPECT_EQ(circle.m_nRadius, 20000);
    circle.OnLButtonUp(0, POINT{121, 80});
    circle.MoveBy(-5000, 0);
    EXPECT_EQ(circle.m_cx, 95000);
    circle.SetLineWidth(3000);
    circle.Undo();
    EXPECT_EQ(circle.m_nRadius, 20000);
    EXPECT_EQ(circle.m_nLineWidth, 1000);
    circle.Undo();
    EXPECT_EQ(circle.m_nRadius, 40000);
    EXPECT_EQ(circle.m_cx, 100000);
    EXPECT_EQ(circle.m_rect, (RECT{60000, 40000, 140000, 120000}));
}

TEST(TranspCircleTest, DrawsOnScreenAndForOutput) {
    CShapeHost host;
    CTranspCircle circle = MakeCircle(&host);
    circle.m_bFocused = TRUE;
    const QImage image = DrawShape(circle, false);
    EXPECT_TRUE(InkNear(image, 100, 40) && InkNear(image, 60, 80) && InkNear(image, 139, 80) &&
                InkNear(image, 100, 119));
    EXPECT_FALSE(InkNear(image, 100, 80, 20));
    EXPECT_TRUE(IsInk(image, 57, 77)); // a focus square at the left midpoint
    const QImage print = DrawShape(circle, true, 450, 380);
    EXPECT_TRUE(InkNear(print, 300, 121, 2) && InkNear(print, 181, 240, 2));
    // No focus square at the left midpoint (it would cover 177 .. 183 both ways).
    EXPECT_FALSE(IsInk(print, 177, 243) || IsInk(print, 183, 237));
}

TEST(TranspCircleTest, RecordScalesTheRadiusAsAWidthAndBlockCentres) {
    CShapeTestScope scope;
    qputenv("BRELLIN_SCREEN_DPI", "120,144");
    CShapeHost host;
    CTranspCircle circle(&host, 96, 96, 96, 0xFF00FF, 3, 7);
    const QByteArray record =
        Bytes().RecordHead(56, 1).I32s({120, 144, 120, 0xFF00FF, 3, 7}).Zeros(16);
    EXPECT_EQ(StoreRecord(circle), record);
    CTranspCircle loaded(&host, 0);
    ASSERT_TRUE(LoadRecord(loaded, record));
    EXPECT_EQ(loaded.m_rect, (RECT{0, 0, 192, 192}));
    EXPECT_EQ(loaded.m_nPage, 7);

    const QByteArray block = Bytes().BlockHead(40, 9, 1).I32s({96, 3, 0xFF00FF}).Zeros(4);
    EXPECT_EQ(circle.GetObData(), block);
    auto pasted = CTranspCircle::FromBlock(&host, block, POINT{500, 700}, 1);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->m_rect, (RECT{404, 604, 596, 796}));
    EXPECT_EQ(pasted->m_crColor, 0xFF00FFu);
}

} // namespace
