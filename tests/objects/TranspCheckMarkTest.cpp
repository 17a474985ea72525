#include "objects/TranspCheckMark.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace shapetest;

// Puts the program-wide check-mark size and click flag back.
class CCheckMarkScope : public CShapeTestScope {
public:
    ~CCheckMarkScope() {
        g_dCheckMarkWidth = 0.1;
        g_dCheckMarkHeight = 0.1;
        g_bCheckMarkClicked = FALSE;
    }
};

const RECT kBox{20000, 20000, 60000, 60000}; // client (20, 20, 60, 60)

TEST(TranspCheckMarkTest, TickIsCentredInTheSquareOfTheShorterSide) {
    // A 36 × 27 box shrunk by 3 on every side: 30 × 21, so m = 21 and the square starts 4 in.
    POINT shortLeg[4];
    POINT longLeg[4];
    CTranspCheckMark::GetTickPolygons(RECT{13, 13, 43, 34}, shortLeg, longLeg);
    EXPECT_EQ(shortLeg[0], (POINT{24, 34}));
    EXPECT_EQ(shortLeg[1], (POINT{24, 33}));
    EXPECT_EQ(shortLeg[2], (POINT{20, 26}));
    EXPECT_EQ(shortLeg[3], (POINT{20, 27}));
    EXPECT_EQ(longLeg[2], (POINT{38, 19}));
    EXPECT_EQ(longLeg[3], (POINT{38, 20}));
    // Taller than wide: centred vertically, the vertex on the square's bottom.
    CTranspCheckMark::GetTickPolygons(RECT{0, 0, 9, 19}, shortLeg, longLeg);
    EXPECT_EQ(shortLeg[0], (POINT{3, 14}));
    EXPECT_EQ(longLeg[3], (POINT{9, 8}));
}

TEST(TranspCheckMarkTest, DrawsTickOutlineAndMarksByMode) {
    CCheckMarkScope scope;
    CShapeHost host;
    CTranspCheckMark mark(&host, kBox, 0x0000FF, 1000, 0);
    QImage image = DrawShape(mark, false);
    // In the box shrunk by 3 (23 .. 57): the vertex a third along its bottom at (34, 57), the
    // short leg up to (28, 45), the long one up to (56, 34).
    EXPECT_TRUE(InkNear(image, 34, 56) && InkNear(image, 29, 47) && InkNear(image, 55, 35));
    EXPECT_EQ(image.pixel(45, 45) & 0xFFFFFF, 0xFF0000u);
    EXPECT_FALSE(InkNear(image, 40, 30, 2));
    // A dotted grey outline: some of the top edge grey, some of it left white.
    int grey = 0;
    for (int x = 20; x < 60; ++x)
        grey += (image.pixel(x, 20) & 0xFFFFFF) == 0x808080;
    EXPECT_GT(grey, 5);
    EXPECT_LT(grey, 40);

    // Form mode: a solid blue outline, two pixels when focused.
    host.programMode = MODE_FORM;
    mark.m_bFocused = TRUE;
    image = DrawShape(mark, false);
    EXPECT_EQ(image.pixel(40, 19) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(40, 20) & 0xFFFFFF, 0x0000FFu);

    // Output: the tick only, three times as far out at 300 dpi.
    host.programMode = 1;
    mark.m_bSelected = TRUE;
    const QImage print = DrawShape(mark, true, 200, 200);
    EXPECT_TRUE(InkNear(print, 101, 176, 2) && InkNear(print, 139, 138, 2));
    EXPECT_FALSE(IsInk(print, 120, 60) || IsInk(print, 60, 120) || IsInk(print, 57, 57));

    // Selected on screen: corner squares, none at the midpoints.
    mark.m_bFocused = FALSE;
    image = DrawShape(mark, false);
    EXPECT_TRUE(IsInk(image, 17, 17) && IsInk(image, 62, 62));
    EXPECT_FALSE(IsInk(image, 40, 23));

    // Too small for the tick after the shrink: the outline only.
    CTranspCheckMark tiny(&host, RECT{20000, 20000, 26000, 26000}, 0x0000FF, 1000, 0);
    image = DrawShape(tiny, false);
    EXPECT_EQ(InkIn(image, RECT{21, 21, 25, 25}), 0);
    EXPECT_GT(InkCount(image), 0);
}

TEST(TranspCheckMarkTest, ClickTogglesDragMovesCornersResize) {
    CCheckMarkScope scope;
    CShapeHost host;
    CTranspCheckMark mark(&host, kBox, 0, 1000, 0);
    mark.DrawScreen(nullptr, FALSE, nullptr);

    mark.OnLButtonDown(0, POINT{40, 40});
    mark.OnLButtonUp(0, POINT{40, 40});
    EXPECT_FALSE(mark.m_bChecked);
    EXPECT_EQ(host.modifiedCount, 1);

    mark.OnLButtonDown(0, POINT{40, 40});
    mark.OnMouseMove(MK_LBUTTON, POINT{45, 40});
    mark.OnLButtonUp(0, POINT{45, 40});
    EXPECT_FALSE(mark.m_bChecked);
    EXPECT_EQ(mark.m_rect, (RECT{25000, 20000, 65000, 60000}));

    // Edges move the box; only corners resize it.
    EXPECT_EQ(mark.GetCapture(POINT{25, 40}), HIT_BODY);
    EXPECT_EQ(mark.GetCapture(POINT{45, 20}), HIT_BODY);
    EXPECT_EQ(mark.GetCapture(POINT{23, 18}), HIT_TOPLEFT);
    EXPECT_EQ(mark.GetCapture(POINT{66, 61}), HIT_BOTTOMRIGHT);

    // Tab-order display: a click only picks it.
    mark.m_bTabOrderDisplay = TRUE;
    mark.OnLButtonDown(0, POINT{40, 40});
    mark.OnLButtonUp(0, POINT{40, 40});
    EXPECT_FALSE(mark.m_bChecked);

    // Form mode: it does not move, but a click still toggles.
    mark.m_bTabOrderDisplay = FALSE;
    host.programMode = MODE_FORM;
    mark.OnLButtonDown(0, POINT{40, 40});
    EXPECT_FALSE(mark.OnMouseMove(MK_LBUTTON, POINT{50, 50}));
    mark.OnLButtonUp(0, POINT{50, 50});
    EXPECT_EQ(mark.m_rect, (RECT{25000, 20000, 65000, 60000}));
    EXPECT_FALSE(mark.m_bChecked); // the move cancelled the click
    mark.OnLButtonDown(0, POINT{40, 40});
    mark.OnLButtonUp(0, POINT{40, 40});
    EXPECT_TRUE(mark.m_bChecked);
}

TEST(TranspCheckMarkTest, KeysToggleAndUndoRestoresThePreviousTick) {
    CCheckMarkScope scope;
    CShapeHost host;
    CTranspCheckMark mark(&host, kBox, 0, 1000, 0);
    mark.DrawScreen(nullptr, FALSE, nullptr);
    mark.OnChar('a', 1, 0);
    EXPECT_TRUE(mark.m_bChecked);
    mark.OnChar(' ', 1, 0);
    EXPECT_FALSE(mark.m_bChecked);
    mark.OnChar('\r', 1, 0);
    EXPECT_TRUE(mark.m_bChecked);
    mark.Undo();
    EXPECT_FALSE(mark.m_bChecked);
    mark.Undo();
    EXPECT_TRUE(mark.m_bChecked);
    EXPECT_FALSE(mark.CanUndo());
    mark.Redo();
    EXPECT_FALSE(mark.m_bChecked);
    mark.SetUndoState(nullptr);
    EXPECT_FALSE(mark.m_bChecked);
}

TEST(TranspCheckMarkTest, NewMarksTakeTheSizeOfTheLastFocusedOne) {
    CCheckMarkScope scope;
    CShapeHost host;
    // 0.1 inch is 10 page pixels here: raised to 20.
    CTranspCheckMark first(&host, 5000, 6000, 0, 1000, 0);
    EXPECT_EQ(first.m_rect, (RECT{5000, 6000, 25000, 26000}));

    CTranspCheckMark focused(&host, RECT{0, 0, 30000, 30000}, 0, 1000, 0);
    focused.m_bFocused = TRUE;
    DrawShape(focused, true); // output does not count
    EXPECT_DOUBLE_EQ(g_dCheckMarkWidth, 0.1);
    DrawShape(focused, false);
    EXPECT_DOUBLE_EQ(g_dCheckMarkWidth, 0.3);
    EXPECT_DOUBLE_EQ(g_dCheckMarkHeight, 0.3);
    CTranspCheckMark next(&host, 0, 0, 0, 1000, 0);
    EXPECT_EQ(next.m_rect, (RECT{0, 0, 30000, 30000}));
}

TEST(TranspCheckMarkTest, RecordKeepsTheRectangleUnscaledAndTheTick) {
    CCheckMarkScope scope;
    qputenv("BRELLIN_SCREEN_DPI", "120");
    CShapeHost host;
    CTranspCheckMark mark(&host, RECT{96, 192, 288, 384}, 0x00FF00, 500, 4);
    mark.m_bChecked = FALSE;
    const QByteArray record = Bytes()
                                  .RecordHead(64, 2)
                                  .I32s({96, 192, 288, 384, 0x00FF00, 500, 4})
                                  .Zeros(12)
                                  .I32(0)
                                  .Zeros(4);
    EXPECT_EQ(StoreRecord(mark), record);

    CTranspCheckMark loaded(&host, 0);
    ASSERT_TRUE(LoadRecord(loaded, record));
    EXPECT_EQ(loaded.m_rect, (RECT{96, 192, 288, 384}));
    EXPECT_FALSE(loaded.m_bChecked);
    EXPECT_EQ(loaded.m_nPage, 4);

    // Version 1 has no tick state: whatever the bytes there, the loaded mark is ticked.
    QByteArray older = record;
    older[12] = 1;
    CTranspCheckMark old(&host, 0);
    old.m_bChecked = FALSE;
    ASSERT_TRUE(LoadRecord(old, older));
    EXPECT_TRUE(old.m_bChecked);
}

TEST(TranspCheckMarkTest, BlocksOfBothVersions) {
    CCheckMarkScope scope;
    CShapeHost host;
    CTranspCheckMark mark(&host, RECT{10, 20, 30, 40}, 0x0000FF, 7, 0);
    mark.m_bChecked = FALSE;
    const QByteArray block = Bytes().BlockHead(56, 7, 2).I32s({10, 20, 30, 40, 7, 0xFF, 0, 0});
    EXPECT_EQ(mark.GetObData(), block);
    auto pasted = CTranspCheckMark::FromBlock(&host, block, POINT{100, 100}, 0);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->m_rect, (RECT{100, 100, 120, 120}));
    EXPECT_FALSE(pasted->m_bChecked);

    // Version 1: 48 bytes, no tick state, ticked. A later version must hold the tick.
    const QByteArray v1 = Bytes().BlockHead(48, 7, 1).I32s({10, 20, 30, 40, 7, 0xFF});
    pasted = CTranspCheckMark::FromBlock(&host, v1, POINT{0, 0}, 0);
    ASSERT_TRUE(pasted);
    EXPECT_TRUE(pasted->m_bChecked);
    QByteArray v2Short = v1;
    v2Short[8] = 2;
    EXPECT_FALSE(CTranspCheckMark::FromBlock(&host, v2Short, POINT{0, 0}, 0));
}

} // namespace
