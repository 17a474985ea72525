#include "objects/TranspLine.h"
#include "objects/TranspArrow.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace shapetest;

// Client pixels (20, 30) to (120, 90).
CTranspLine MakeLine(IObjectHost* host) {
    return CTranspLine(host, 20000, 30000, 120000, 90000, 0x0000FF, 2000, 3);
}

TEST(TranspLineTest, EndsAreGrabbedWithinHalfAHandleAndTheFirstWins) {
    CShapeHost host;
    CTranspLine line = MakeLine(&host);
    const struct {
        POINT pt;
        int code;
    } cases[] = {
        {{20, 30}, HIT_TOPLEFT},      {{23, 33}, HIT_TOPLEFT},      {{17, 27}, HIT_TOPLEFT},
        {{118, 88}, HIT_BOTTOMRIGHT}, {{123, 93}, HIT_BOTTOMRIGHT}, {{24, 30}, HIT_BODY},
        {{70, 60}, HIT_BODY},         {{110, 40}, HIT_BODY},        {{16, 30}, HIT_NONE},
        {{124, 60}, HIT_NONE},        {{70, 94}, HIT_NONE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(line.GetCapture(c.pt), c.code) << c.pt.x << "," << c.pt.y;

    // Ends closer than a handle: the first end is tested first.
    CTranspLine stub(&host, 50000, 50000, 52000, 50000, 0, 0, 0);
    EXPECT_EQ(stub.GetCapture(POINT{51, 50}), HIT_TOPLEFT);
    EXPECT_EQ(stub.GetCapture(POINT{54, 50}), HIT_BOTTOMRIGHT);
}

TEST(TranspLineTest, ResizeMovesTheGrabbedEndOrBoth) {
    const struct {
        int code;
        BOOL creating;
        RECT points; // x1, y1, x2, y2
    } cases[] = {
        {HIT_TOPLEFT, FALSE, {25000, 23000, 120000, 90000}},
        {HIT_BOTTOMRIGHT, FALSE, {20000, 30000, 125000, 83000}},
        {HIT_BODY, FALSE, {25000, 23000, 125000, 83000}},
        // A line being drawn out by its tool does not move by its body.
        {HIT_BODY, TRUE, {20000, 30000, 120000, 90000}},
        {HIT_RIGHT, FALSE, {20000, 30000, 120000, 90000}},
    };
    for (const auto& c : cases) {
        CShapeHost host;
        CTranspLine line = MakeLine(&host);
        line.m_nCapture = c.code;
        line.m_bCreating = c.creating;
        line.Resize(5000, -7000);
        EXPECT_EQ((RECT{line.m_x1, line.m_y1, line.m_x2, line.m_y2}), c.points) << c.code;
        RECT box = c.points;
        NormalizeRect(box);
        EXPECT_EQ(line.m_rect, box) << c.code;
        EXPECT_EQ(host.modifiedCount, 1) << c.code;
    }
}

TEST(TranspLineTest, DraggingTheSecondEndPastTheFirstKeepsTheFirstAndUndoes) {
    CShapeHost host;
    CTranspLine line = MakeLine(&host);
    line.DrawScreen(nullptr, FALSE, nullptr);
    ASSERT_TRUE(line.OnLButtonDown(0, POINT{118, 88})); // 2 pixels from the second end
    EXPECT_EQ(line.m_nCapture, HIT_BOTTOMRIGHT);
    line.OnMouseMove(MK_LBUTTON, POINT{8, 18});
    line.OnLButtonUp(0, POINT{8, 18});
    EXPECT_EQ((POINT{line.m_x1, line.m_y1}), (POINT{20000, 30000}));
    EXPECT_EQ((POINT{line.m_x2, line.m_y2}), (POINT{10000, 20000}));
    EXPECT_EQ(line.m_rect, (RECT{10000, 20000, 20000, 30000}));

    line.SetColor(0x00FF00);
    line.Undo();
    EXPECT_EQ(line.m_crColor, 0x0000FFu);
    EXPECT_EQ(line.m_x2, 10000);
    line.Undo();
    EXPECT_EQ((POINT{line.m_x2, line.m_y2}), (POINT{120000, 90000}));
    EXPECT_EQ(line.m_rect, (RECT{20000, 30000, 120000, 90000}));
    EXPECT_FALSE(line.CanUndo());
    line.Redo();
    EXPECT_EQ(line.m_x2, 10000);
}

TEST(TranspLineTest, RepaintCoversOnePixelMoreThanTheGraphicRectangle) {
    CShapeHost host;
    CTranspLine line = MakeLine(&host);
    RECT rc;
    line.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{16, 26, 124, 94}));
    line.m_nLineWidth = 20000; // 20 pixels: half of it reaches 7 beyond the handles
    line.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{9, 19, 131, 101}));
}

TEST(TranspLineTest, RecordBytesScaleThePointsToTheScreen) {
    CShapeTestScope scope;
    CShapeHost host;
    CTranspLine line = MakeLine(&host);
    const QByteArray expected =
        Bytes().RecordHead(56, 1).I32s({20000, 30000, 120000, 90000, 0x0000FF, 2000, 3}).Zeros(12);
    EXPECT_EQ(StoreRecord(line), expected);

    CTranspLine loaded(&host, 0);
    qint64 consumed = 0;
    ASSERT_TRUE(LoadRecord(loaded, expected, &consumed));
    EXPECT_EQ(consumed, expected.size());
    EXPECT_EQ((RECT{loaded.m_x1, loaded.m_y1, loaded.m_x2, loaded.m_y2}),
              (RECT{20000, 30000, 120000, 90000}));
    EXPECT_EQ(loaded.m_rect, (RECT{20000, 30000, 120000, 90000}));
    EXPECT_EQ(loaded.m_nPage, 3);
    EXPECT_EQ(loaded.m_nLineWidth, 2000);

    // On a 120 x 144 dpi screen x is stored × 1.25 and y × 1.5; the width is a length, unscaled.
    qputenv("BRELLIN_SCREEN_DPI", "120,144");
    CTranspLine small(&host, 100, -101, 8, 6, 0, 7, 0);
    EXPECT_EQ(StoreRecord(small).mid(24, 20), Bytes().I32s({125, -151, 10, 9, 0}).bytes());
    // The arrow stores the same record.
    CTranspArrow arrow(&host, 100, -101, 8, 6, 0, 7, 0);
    EXPECT_EQ(StoreRecord(arrow), StoreRecord(small));
}

TEST(TranspLineTest, BlockBytesAndPlacement) {
    CShapeTestScope scope;
    CShapeHost host;
    CTranspLine line(&host, 100, 300, 50, 400, 0x123456, 700, 0);
    const QByteArray block = Bytes().BlockHead(48, 3, 1).I32s({100, 300, 50, 400, 700, 0x123456});
    EXPECT_EQ(line.GetObData(), block);

    // Placed with the top-left of its rectangle at the point: both ends move alike.
    auto pasted = CTranspLine::FromBlock(&host, block, POINT{500, 700}, 2);
    ASSERT_TRUE(pasted);
    EXPECT_EQ((POINT{pasted->m_x1, pasted->m_y1}), (POINT{550, 700}));
    EXPECT_EQ((POINT{pasted->m_x2, pasted->m_y2}), (POINT{500, 800}));
    EXPECT_EQ(pasted->m_nLineWidth, 700);
    EXPECT_EQ(pasted->m_crColor, 0x123456u);
    EXPECT_EQ(pasted->m_nPage, 2);
    EXPECT_EQ(host.modifiedCount, 0);

    // Reading a block takes its unit scale; an arrow's block is not a line's.
    g_dUnitScale = 0.001;
    EXPECT_TRUE(CTranspLine::FromBlock(&host, block, POINT{0, 0}, 0));
    EXPECT_EQ(g_dUnitScale, 0.00001);
    CTranspArrow arrow(&host, 100, 300, 50, 400, 0x123456, 700, 0);
    EXPECT_FALSE(CTranspLine::FromBlock(&host, arrow.GetObData(), POINT{0, 0}, 0));
    EXPECT_TRUE(CTranspArrow::FromBlock(&host, arrow.GetObData(), POINT{0, 0}, 0));
}

TEST(TranspLineTest, DrawsOnScreenAndForOutputWhereTheGeometrySays) {
    CShapeTestScope scope;
    CShapeHost host;
    CTranspLine line(&host, 20000, 30000, 120000, 30000, 0x0000FF, 1000, 0);
    line.m_bSelected = TRUE;
    const QImage screen = DrawShape(line, false);
    for (int x : {25, 50, 100, 115})
        EXPECT_EQ(screen.pixel(x, 30) & 0xFFFFFF, 0xFF0000u) << x; // COLORREF red
    EXPECT_FALSE(InkNear(screen, 70, 40, 3));
    // Flat and selected: squares at both ends and the middle, no frame.
    EXPECT_TRUE(IsInk(screen, 20, 33) && IsInk(screen, 70, 33) && IsInk(screen, 119, 33));
    EXPECT_FALSE(IsInk(screen, 45, 33));

    // 300 dpi: 1000 units are 3 pixels; no marks.
    const QImage print = DrawShape(line, true, 400, 120);
    EXPECT_TRUE(InkNear(print, 60, 90, 1) && InkNear(print, 200, 90, 1) &&
                InkNear(print, 357, 90, 1));
    EXPECT_FALSE(InkNear(print, 200, 96, 2));
    EXPECT_EQ(InkIn(print, RECT{0, 0, 400, 85}), 0);

    // Spanning more than a handle both ways: the selection frame on the spanned rectangle.
    CTranspLine slant(&host, 20000, 30000, 120000, 90000, 0, 1000, 0);
    slant.m_bSelected = TRUE;
    const QImage framed = DrawShape(slant, false);
    EXPECT_TRUE(IsInk(framed, 119, 30) && IsInk(framed, 20, 89) && IsInk(framed, 70, 30));

    // Disabled: crosses at both ends only.
    CTranspLine off(&host, 20000, 30000, 120000, 30000, 0x0000FF, 1000, 0);
    off.m_bDisabled = TRUE;
    const QImage crossed = DrawShape(off, false);
    EXPECT_TRUE(IsInk(crossed, 17, 27) && IsInk(crossed, 117, 27));
    EXPECT_FALSE(IsInk(crossed, 67, 27));

    // Tab-order display: grey, the focused one black.
    off.m_bDisabled = FALSE;
    off.m_bTabOrderDisplay = TRUE;
    EXPECT_EQ(DrawShape(off, false).pixel(50, 30) & 0xFFFFFF, 0x808080u);
}

} // namespace
