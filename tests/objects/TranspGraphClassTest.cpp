#include "objects/TranspGraphClass.h"

#include "TestObjectHost.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

// The smallest graphic kind: its data block is its rectangle.
class CTestShape : public CTranspGraphClass {
public:
    CTestShape(IObjectHost* host, const RECT& rc) : CTranspGraphClass(host, rc, 0x0000FF, 0, 0) {}
    QByteArray GetObData() const override {
        return QByteArray(reinterpret_cast<const char*>(&m_rect), sizeof m_rect);
    }
};

const RECT kShape{100, 100, 200, 160}; // bounds in client pixels: (97, 97, 203, 163)

struct HitCase {
    POINT pt;
    int code;
};

TEST(TranspGraphClassTest, HitCodesOfBandsCornersAndBody) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    const HitCase cases[] = {
        {{99, 99}, HIT_TOPLEFT},      {{200, 99}, HIT_TOPRIGHT},   {{200, 160}, HIT_BOTTOMRIGHT},
        {{99, 160}, HIT_BOTTOMLEFT},  {{99, 130}, HIT_LEFT},       {{150, 99}, HIT_TOP},
        {{200, 130}, HIT_RIGHT},      {{150, 160}, HIT_BOTTOM},    {{150, 130}, HIT_BODY},
        {{104, 104}, HIT_BODY},       {{103, 130}, HIT_LEFT},      {{196, 130}, HIT_RIGHT},
        {{97, 97}, HIT_TOPLEFT},      {{96, 130}, HIT_NONE},       {{203, 130}, HIT_NONE},
        {{150, 163}, HIT_NONE},       {{150, 96}, HIT_NONE},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(shape.GetCapture(c.pt), c.code) << c.pt.x << "," << c.pt.y;
}

TEST(TranspGraphClassTest, HitCodesFollowScaleScrollAndInvertedRectangles) {
    CTestObjectHost host;
    host.geometry.SetScale(2.0);
    host.geometry.SetScrollPosition(100, 0);
    // Inverted while being dragged: hit testing uses it normalised.
    CTestShape shape(&host, RECT{200, 160, 100, 100});
    RECT bounds;
    shape.GetBoundsRect(&bounds);
    EXPECT_EQ(bounds, (RECT{97, 197, 303, 323}));
    EXPECT_EQ(shape.GetCapture(POINT{99, 199}), HIT_TOPLEFT);
    EXPECT_EQ(shape.GetCapture(POINT{200, 260}), HIT_BODY);
}

TEST(TranspGraphClassTest, NarrowObjectHasNoBody) {
    CTestObjectHost host;
    // 8 units wide: bounds 14 pixels wide, so the bands cover it all.
    CTestShape shape(&host, RECT{100, 100, 108, 200});
    for (int x = 97; x < 111; ++x) {
        const int code = shape.GetCapture(POINT{x, 150});
        EXPECT_EQ(code, x < 104 ? HIT_LEFT : HIT_RIGHT) << x;
    }
    EXPECT_EQ(shape.GetCapture(POINT{98, 98}), HIT_TOPLEFT);
    EXPECT_EQ(shape.GetCapture(POINT{111, 150}), HIT_NONE);
    // Smaller than one band: the bands stay inside the bounds.
    CTestShape dot(&host, RECT{50, 50, 50, 50});
    EXPECT_EQ(dot.GetCapture(POINT{49, 49}), HIT_TOPLEFT);
    EXPECT_EQ(dot.GetCapture(POINT{53, 50}), HIT_NONE);
}

struct ResizeCase {
    int code;
    RECT expected;
};

TEST(TranspGraphClassTest, ResizeRules) {
    const ResizeCase cases[] = {
        {HIT_NONE, {100, 100, 200, 160}},       {HIT_BODY, {105, 93, 205, 153}},
        {HIT_LEFT, {105, 100, 200, 160}},       {HIT_TOP, {100, 93, 200, 160}},
        {HIT_RIGHT, {100, 100, 205, 160}},      {HIT_BOTTOM, {100, 100, 200, 153}},
        {HIT_TOPLEFT, {105, 93, 200, 160}},     {HIT_TOPRIGHT, {100, 93, 205, 160}},
        {HIT_BOTTOMRIGHT, {100, 100, 205, 153}}, {HIT_BOTTOMLEFT, {105, 100, 200, 153}},
        {10, {100, 100, 200, 160}},
    };
    for (const ResizeCase& c : cases) {
        CTestObjectHost host;
        CTestShape shape(&host, kShape);
        shape.m_nCapture = c.code;
        shape.Resize(5, -7);
        EXPECT_EQ(shape.m_rect, c.expected) << c.code;
        EXPECT_EQ(host.modifiedCount, 1) << c.code;
    }

    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.m_nCapture = HIT_BODY;
    shape.Resize(0, 0);
    EXPECT_EQ(host.modifiedCount, 0);
    shape.Resize(50, 0);
    // The old and the new place are repainted together.
    ASSERT_FALSE(host.invalidated.empty());
    EXPECT_EQ(host.invalidated.back(), (RECT{97, 97, 253, 163}));
}

TEST(TranspGraphClassTest, DraggingACornerPastTheOtherInvertsUntilButtonUp) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.DrawScreen(nullptr, FALSE, nullptr);
    EXPECT_TRUE(shape.OnLButtonDown(0, POINT{99, 99}));
    EXPECT_EQ(shape.m_nCapture, HIT_TOPLEFT);
    EXPECT_TRUE(shape.OnMouseMove(MK_LBUTTON, POINT{249, 199}));
    EXPECT_EQ(shape.m_rect, (RECT{250, 200, 200, 160}));
    shape.OnLButtonUp(0, POINT{249, 199});
    EXPECT_EQ(shape.m_rect, (RECT{200, 160, 250, 200}));
    EXPECT_FALSE(shape.m_bTracking);
    EXPECT_EQ(shape.m_nCapture, HIT_NONE);
    // The button-up recorded the new state: undo returns to the first.
    shape.Undo();
    EXPECT_EQ(shape.m_rect, kShape);
}

TEST(TranspGraphClassTest, HoverSetsTheCursorOfTheHitCodeOutsideFormMode) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    const std::pair<POINT, Qt::CursorShape> cases[] = {
        {{99, 99}, Qt::SizeFDiagCursor}, {{200, 99}, Qt::SizeBDiagCursor},
        {{200, 160}, Qt::SizeFDiagCursor}, {{99, 160}, Qt::SizeBDiagCursor},
        {{99, 130}, Qt::SizeHorCursor},  {{150, 99}, Qt::SizeVerCursor},
        {{150, 130}, Qt::SizeAllCursor},
    };
    for (const auto& [pt, shapeExpected] : cases) {
        host.cursors.clear();
        EXPECT_TRUE(shape.OnMouseMove(0, pt));
        ASSERT_EQ(host.cursors.size(), 1u);
        EXPECT_EQ(host.cursors[0], shapeExpected);
    }
    host.cursors.clear();
    EXPECT_TRUE(shape.OnMouseMove(0, POINT{10, 10}));
    EXPECT_TRUE(host.cursors.empty());

    host.programMode = MODE_FORM;
    EXPECT_FALSE(shape.OnMouseMove(0, POINT{150, 130}));
    EXPECT_TRUE(host.cursors.empty());
}

// First draw + 10 edits = 11 snapshots, so 10 undo steps; further edits drop the oldest.
TEST(TranspGraphClassTest, UndoListHoldsTenStepsBesidesTheCurrentState) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.DrawScreen(nullptr, FALSE, nullptr);
    EXPECT_FALSE(shape.CanUndo());
    for (COLORREF c = 1; c <= 12; ++c)
        shape.SetColor(c);
    int steps = 0;
    while (shape.CanUndo()) {
        shape.Undo();
        ++steps;
    }
    EXPECT_EQ(steps, UNDO_DEPTH);
    // The initial state and edit 1 fell off the end.
    EXPECT_EQ(shape.m_crColor, 2u);
    EXPECT_FALSE(shape.CanUndo());
    shape.Undo();
    EXPECT_EQ(shape.m_crColor, 2u);
    while (shape.CanRedo())
        shape.Redo();
    EXPECT_EQ(shape.m_crColor, 12u);
}

TEST(TranspGraphClassTest, AnEditAfterUndoDiscardsTheRedoStates) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.DrawScreen(nullptr, FALSE, nullptr);
    shape.SetColor(1);
    shape.SetLineWidth(300);
    shape.SetColor(3);
    shape.Undo();
    shape.Undo();
    EXPECT_EQ(shape.m_crColor, 1u);
    EXPECT_EQ(shape.m_nLineWidth, 0);
    EXPECT_TRUE(shape.CanRedo());

    const int modified = host.modifiedCount;
    shape.MoveBy(10, 0);
    shape.AddUndo();
    EXPECT_FALSE(shape.CanRedo());
    EXPECT_GT(host.modifiedCount, modified);
    shape.Undo();
    EXPECT_EQ(shape.m_rect, kShape);
    EXPECT_EQ(shape.m_crColor, 1u);
    shape.Undo();
    EXPECT_EQ(shape.m_crColor, 0x0000FFu);
    EXPECT_FALSE(shape.CanUndo());
}

TEST(TranspGraphClassTest, UndoRestoresRectangleAndRepaintsBothPlaces) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.DrawScreen(nullptr, FALSE, nullptr);
    shape.OnLButtonDown(0, POINT{150, 130});
    shape.OnMouseMove(MK_LBUTTON, POINT{250, 130});
    shape.OnLButtonUp(0, POINT{250, 130});
    EXPECT_EQ(shape.m_rect, (RECT{200, 100, 300, 160}));
    host.invalidated.clear();
    const int modified = host.modifiedCount;
    shape.Undo();
    EXPECT_EQ(shape.m_rect, kShape);
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0], (RECT{97, 97, 303, 163}));
    // An undone change is a change of the document.
    EXPECT_EQ(host.modifiedCount, modified + 1);
}

TEST(TranspGraphClassTest, WideLinesWidenTheRepaintRectangle) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.m_nLineWidth = 7; // half is 3: no widening
    RECT rc;
    shape.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{97, 97, 203, 163}));
    shape.m_nLineWidth = 12;
    shape.GetRepaintRect(&rc);
    EXPECT_EQ(rc, (RECT{94, 94, 206, 166}));
    host.geometry.SetScale(-2.0);
    EXPECT_EQ(shape.GetPixelLineWidth(), 6);
}

TEST(TranspGraphClassTest, DraggedOutOfTheWindowGoesBackAndLeavesAsACopy) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    EXPECT_TRUE(shape.OnLButtonDown(MK_LBUTTON, POINT{150, 130}));
    EXPECT_TRUE(shape.OnMouseMove(MK_LBUTTON, POINT{450, 330}));
    EXPECT_EQ(shape.m_rect, (RECT{400, 300, 500, 360}));
    EXPECT_FALSE(shape.OnMouseMove(MK_LBUTTON, POINT{900, 330}));
    EXPECT_EQ(shape.m_rect, kShape);
    EXPECT_FALSE(shape.m_bTracking);
    ASSERT_EQ(host.drags.size(), 1u);
    EXPECT_EQ(host.drags[0].allowed, DWORD(DROPEFFECT_COPY));
    ASSERT_EQ(host.drags[0].formats, QStringList{QString::fromLatin1(OBJECT_CLIPBOARD_MIME)});
    EXPECT_EQ(host.drags[0].bytes[0], shape.GetObData());
}

TEST(TranspGraphClassTest, NoDragOutWhileCreatingOrInFormMode) {
    for (int variant = 0; variant < 2; ++variant) {
        CTestObjectHost host;
        CTestShape shape(&host, kShape);
        if (variant == 0)
            shape.m_bCreating = TRUE;
        shape.OnLButtonDown(MK_LBUTTON, POINT{150, 130});
        if (variant == 1)
            host.programMode = MODE_FORM;
        EXPECT_TRUE(shape.OnMouseMove(MK_LBUTTON, POINT{900, 130}));
        EXPECT_TRUE(host.drags.empty());
        EXPECT_TRUE(shape.m_bTracking);
        EXPECT_EQ(shape.m_rect, (RECT{850, 100, 950, 160}));
    }
}

TEST(TranspGraphClassTest, CtrlPressCopiesByDragInsteadOfTracking) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    EXPECT_FALSE(shape.OnLButtonDown(MK_LBUTTON | MK_CONTROL, POINT{150, 130}));
    EXPECT_FALSE(shape.m_bTracking);
    EXPECT_EQ(host.drags.size(), 1u);
}

TEST(TranspGraphClassTest, CopyToClipboardNeedsTheRegisteredFormat) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    g_nObjectClipboardFormat = 0;
    shape.CopyToClipboard();
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));

    RegisterObjectClipboardFormats();
    EXPECT_NE(g_nObjectClipboardFormat, 0u);
    shape.CopyToClipboard();
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(QString::fromLatin1(OBJECT_CLIPBOARD_MIME)), shape.GetObData());
    EXPECT_FALSE(data->hasText());
    EXPECT_EQ(ClipboardFormatMimeType(OBJECT_CLIPBOARD_FORMAT_NAME),
              QString::fromLatin1(OBJECT_CLIPBOARD_MIME));
    EXPECT_EQ(ClipboardFormatMimeType(OBJECT_CLIPBOARD_FORMAT2_NAME),
              QString::fromLatin1(OBJECT_CLIPBOARD_MIME2));
}

TEST(TranspGraphClassTest, StateChangesRepaintOnlyWhenTheyChangeSomething) {
    CTestObjectHost host;
    CTestShape shape(&host, kShape);
    shape.SetSelected(TRUE);
    shape.SetSelected(TRUE);
    shape.SetFocused(FALSE);
    EXPECT_EQ(host.invalidated.size(), 1u);
    EXPECT_TRUE(shape.PtInBox(POINT{97, 97}));
    EXPECT_FALSE(shape.PtInBox(POINT{203, 97}));
}

TEST(TranspGraphClassTest, WithoutAViewNothingIsConvertedOrRepainted) {
    CTestShape shape(nullptr, kShape);
    RECT rc{1, 2, 3, 4};
    shape.UnitToPage(rc);
    EXPECT_EQ(rc, (RECT{1, 2, 3, 4}));
    shape.MoveBy(POINT{5, 5});
    EXPECT_EQ(shape.m_rect, (RECT{105, 105, 205, 165}));
    EXPECT_EQ(shape.GetCapture(POINT{150, 130}), HIT_NONE);
    EXPECT_EQ(shape.GetObjectName(), QByteArray("Untitled"));
}

} // namespace
