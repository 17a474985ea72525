// Geometry of text objects: boxes in the three rotations, alignment, stepped cells, the rectangles
// the view asks for, character hit testing, and the mouse protocol built on them.

#include "TextTestHost.h"

#include <QMimeData>
#include <gtest/gtest.h>

namespace {

TEST(TextLayoutTest, BoxesAndLineOriginsOfTheThreeRotations) {
    TEXTFRAME f;
    f.anchor = POINT{100, 200};
    f.lh = 20;
    f.nLines = 3;
    f.nMaxWidth = 50;
    f.nAlign = 1;
    struct Case {
        int rotation;
        RECT box;
        POINT line1; // line 1 of width 30, centred
    };
    const Case cases[] = {
        {0, {100, 180, 150, 240}, {110, 200}},
        {1, {80, 150, 140, 200}, {100, 190}},
        {2, {60, 200, 120, 250}, {100, 210}},
    };
    for (const Case& c : cases) {
        f.nRotation = c.rotation;
        EXPECT_EQ(TextBox(f), c.box) << c.rotation;
        EXPECT_EQ(LineOrigin(f, 1, 30), c.line1) << c.rotation;
    }
    // A centred two-line text of widths 40 and 100 starts its first line 30 right of the anchor.
    f = TEXTFRAME{};
    f.anchor = POINT{0, 0};
    f.nMaxWidth = 100;
    f.nAlign = 1;
    EXPECT_EQ(LineOrigin(f, 0, 40).x, 30);
    f.nAlign = 2;
    EXPECT_EQ(LineOrigin(f, 0, 40).x, 60);
    // Anchors from records far out hold at the limits instead of wrapping.
    f.anchor = POINT{INT_MAX - 5, INT_MIN + 5};
    f.lh = 1000;
    f.nLines = 1000000;
    const RECT far = TextBox(f);
    EXPECT_EQ(far.right, INT_MAX);
    EXPECT_LE(far.top, far.bottom);
}

TEST(TextLayoutTest, SteppedCellsAreCentred) {
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(StepCellCentre(POINT{0, 50}, k, 10, 0), (POINT{5 + 10 * k, 50}));
        EXPECT_EQ(StepCellCentre(POINT{50, 100}, k, 10, 1), (POINT{50, 95 - 10 * k}));
        EXPECT_EQ(StepCellCentre(POINT{50, 0}, k, 10, 2), (POINT{50, 5 + 10 * k}));
    }
    EXPECT_EQ(FontPixelHeight(-120, 1.0, 96), 16);
    EXPECT_EQ(FontPixelHeight(-120, 2.0, 96), 32);
    EXPECT_EQ(FontPixelHeight(-120, 1.0, 120), 20);
    EXPECT_EQ(FontPixelHeight(0, 1.0, 96), 1);
    EXPECT_EQ(RotationFromOrientation(900), 1);
    EXPECT_EQ(RotationFromOrientation(-900), 2);
    EXPECT_EQ(RotationFromOrientation(450), 0);
}

// A stepped text "abcd" at a pitch of 10 pixels, anchored at (100, 200).
struct SteppedText {
    CTextTestHost host;
    TEXTSTYLE style = Stepped();
    CTranspText text{&host, 100, 200, &style, "abcd\r\nxy", 0, TRUE};
    static TEXTSTYLE Stepped(int rotation = 0) {
        TEXTSTYLE s = TestTextStyle();
        s.bStepped = TRUE;
        s.nPitch = 10;
        s.nRotation = rotation;
        return s;
    }
    int lh() const {
        RECT r;
        text.GetTextRect(&r);
        return r.Height() / 2;
    }
};

TEST(TranspTextLayoutTest, SteppedBoxAndRectanglesFollowTheAnchor) {
    SteppedText t;
    const int lh = t.lh();
    ASSERT_GT(lh, 10);
    RECT box;
    t.text.GetTextRect(&box);
    EXPECT_EQ(box, (RECT{100, 200 - lh, 140, 200 + lh}));
    RECT marker;
    t.text.GetMarkerRect(&marker);
    EXPECT_EQ(marker, (RECT{100 - lh, 200 - lh, 98, 200 + lh}));
    RECT bounds;
    t.text.GetBoundsRect(&bounds);
    EXPECT_EQ(bounds, (RECT{100 - lh, 200 - lh, 140, 200 + lh}));
    RECT repaint;
    t.text.GetRepaintRect(&repaint);
    EXPECT_EQ(repaint, (RECT{100 - lh - 6, 200 - lh - 5, 140 + 6 + 100, 200 + lh + 5}));
    RECT align;
    t.text.GetAlignRect(&align);
    EXPECT_EQ(align, (RECT{100, 200 - lh, 140, 200 + lh}));
    EXPECT_EQ(t.text.GetConnectPoint(), (POINT{100, 200 + lh}));

    // Zoom and scroll move the box in client pixels; the pitch scales with the zoom.
    t.host.geometry.SetScale(2.0);
    t.host.geometry.SetScrollPosition(50, 20);
    t.text.GetTextRect(&box);
    EXPECT_EQ(box.left, 150);
    EXPECT_EQ(box.Width(), 80);
    EXPECT_EQ(box.bottom - box.Height() / 2, 380);
    t.text.GetTextRect(&box, TRUE);
    EXPECT_EQ(box.left, 200);
}

TEST(TranspTextLayoutTest, RotatedBoxesAndConnectPoints) {
    for (int rotation : {1, 2}) {
        CTextTestHost host;
        const TEXTSTYLE style = SteppedText::Stepped(rotation);
        CTranspText text(&host, 100, 200, &style, "abcd\r\nxy", 0, TRUE);
        RECT box;
        text.GetTextRect(&box);
        const int lh = box.Width() / 2;
        EXPECT_EQ(box.Height(), 40) << rotation;
        if (rotation == 1) {
            EXPECT_EQ(box, (RECT{100 - lh, 160, 100 + lh, 200}));
            EXPECT_EQ(text.GetConnectPoint(), (POINT{100 + lh, 200}));
            // Lines advance to the right and read upwards: 'b' of the first line.
            EXPECT_EQ(text.GetCharPosFromPoint(POINT{100 - lh / 2, 186}), (POINT{1, 0}));
            EXPECT_EQ(text.GetCharPosFromPoint(POINT{100 + lh / 2, 184}), (POINT{2, 1}));
        } else {
            EXPECT_EQ(box, (RECT{100 - lh, 200, 100 + lh, 240}));
            EXPECT_EQ(text.GetConnectPoint(), (POINT{100 - lh, 200}));
            // Lines advance to the left and read downwards.
            EXPECT_EQ(text.GetCharPosFromPoint(POINT{100 + lh / 2, 214}), (POINT{1, 0}));
            EXPECT_EQ(text.GetCharPosFromPoint(POINT{100 - lh / 2, 204}), (POINT{0, 1}));
        }
        RECT marker;
        text.GetMarkerRect(&marker);
        EXPECT_EQ(marker, (RECT{box.left - lh, box.top, box.left - 2, box.bottom})) << rotation;
    }
}

TEST(TranspTextLayoutTest, CharacterHitsRoundToTheNearerSide) {
    SteppedText t;
    const int lh = t.lh();
    struct Case {
        POINT pt;
        POINT pos;
    };
    const Case cases[] = {
        {{104, 195}, {0, 0}},          {{106, 195}, {1, 0}}, {{114, 195}, {1, 0}},
        {{139, 195}, {4, 0}},          {{300, 195}, {4, 0}}, {{50, 195}, {0, 0}},
        {{135, 200 + lh / 2}, {2, 1}}, {{111, 999}, {1, 1}}, {{111, -99}, {1, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t.text.GetCharPosFromPoint(c.pt), c.pos) << c.pt.x << "," << c.pt.y;

    // Proportional text: positions grow with the point and end at the line length.
    CTextTestHost host;
    const TEXTSTYLE style = TestTextStyle();
    CTranspText text(&host, 0, 100, &style, "Hello world", 0, TRUE);
    RECT box;
    text.GetTextRect(&box);
    int last = 0;
    for (int x = box.left; x < box.right; ++x) {
        const int ch = text.GetCharPosFromPoint(POINT{x, 95}).x;
        EXPECT_GE(ch, last);
        last = ch;
    }
    EXPECT_EQ(last, 11);
    EXPECT_EQ(text.GetCharPosFromPoint(POINT{box.left, 95}).x, 0);
}

TEST(TranspTextLayoutTest, MouseSelectsAndDoubleClickTakesAWord) {
    CTextTestHost host;
    TEXTSTYLE style = SteppedText::Stepped();
    CTranspText text(&host, 100, 200, &style, "ab cde fg", 0, TRUE);
    EXPECT_TRUE(text.OnLButtonDown(0, POINT{146, 195}));
    EXPECT_TRUE(text.m_bFocused);
    EXPECT_TRUE(text.OnMouseMove(MK_LBUTTON, POINT{114, 195}));
    EXPECT_EQ(text.GetSelectedText(), "b cd");
    text.OnLButtonUp(0, POINT{114, 195});
    EXPECT_EQ((POINT{text.m_nSelStartChar, text.m_nSelEndChar}), (POINT{1, 5}));
    EXPECT_TRUE(text.PtInSelection(POINT{116, 195}));
    EXPECT_FALSE(text.PtInSelection(POINT{156, 195}));

    text.OnLButtonDblClk(0, POINT{142, 195});
    EXPECT_EQ(text.GetSelectedText(), "cde");
    EXPECT_EQ(text.m_nCaretChar, 6);
    EXPECT_EQ(host.modifiedCount, 0);

    // Hovering: I-beam over the box, arrow over the selection, move cursor over the strip.
    host.cursors.clear();
    text.OnMouseMove(0, POINT{105, 195});
    text.OnMouseMove(0, POINT{146, 195});
    text.OnMouseMove(0, POINT{95, 195});
    EXPECT_EQ(host.cursors,
              (std::vector<Qt::CursorShape>{Qt::IBeamCursor, Qt::ArrowCursor, Qt::SizeAllCursor}));
}

TEST(TranspTextLayoutTest, TheMarkerStripMovesTheObject) {
    CTextTestHost host;
    TEXTSTYLE style = SteppedText::Stepped();
    CTranspText text(&host, 100, 200, &style, "abc", 0, TRUE);
    text.AddUndo();
    EXPECT_TRUE(text.OnLButtonDown(0, POINT{95, 195}));
    EXPECT_TRUE(text.OnMouseMove(MK_LBUTTON, POINT{100, 202}));
    text.OnLButtonUp(0, POINT{100, 202});
    EXPECT_EQ((POINT{text.m_x, text.m_y}), (POINT{105, 207}));
    EXPECT_GT(host.modifiedCount, 0);
    text.Undo();
    EXPECT_EQ((POINT{text.m_x, text.m_y}), (POINT{100, 200}));

    // Dragged out of the window it goes back and leaves as a copy of the object and its text.
    EXPECT_TRUE(text.OnLButtonDown(0, POINT{95, 195}));
    EXPECT_TRUE(text.OnMouseMove(MK_LBUTTON, POINT{150, 250}));
    EXPECT_FALSE(text.OnMouseMove(MK_LBUTTON, POINT{900, 250}));
    EXPECT_EQ((POINT{text.m_x, text.m_y}), (POINT{100, 200}));
    ASSERT_EQ(host.drags.size(), 1u);
    EXPECT_EQ(host.drags[0].allowed, DWORD(DROPEFFECT_COPY));
    EXPECT_TRUE(host.drags[0].formats.contains(QString::fromLatin1(OBJECT_CLIPBOARD_MIME)));
    EXPECT_TRUE(host.drags[0].formats.contains("text/plain"));

    // Not in form mode.
    host.programMode = MODE_FORM;
    EXPECT_FALSE(text.OnLButtonDown(0, POINT{95, 195}));
}

TEST(TranspTextLayoutTest, SelectedTextMovesByDragAndDrop) {
    CTextTestHost host;
    TEXTSTYLE style = SteppedText::Stepped();
    CTranspText text(&host, 100, 200, &style, "abcdef", 0, TRUE);
    text.FindAndSelect(nullptr, 1, 3); // "bc"
    text.SetFocused(TRUE);
    // Dropped elsewhere as a move: the selection goes.
    host.dropResult = DROPEFFECT_MOVE;
    EXPECT_TRUE(text.OnLButtonDown(0, POINT{115, 195}));
    ASSERT_EQ(host.drags.size(), 1u);
    EXPECT_EQ(host.drags[0].allowed, DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_EQ(text.GetText(), "adef");

    // Dropped into its own text behind the selection: the text moves there once.
    text.FindAndSelect(nullptr, 0, 2); // "ad"
    host.duringDrag = [&](const QMimeData& data) {
        EXPECT_EQ(text.OnDragOver(&data, 0, POINT{138, 195}), DWORD(DROPEFFECT_MOVE));
        EXPECT_EQ(text.OnDragOver(&data, MK_CONTROL, POINT{138, 195}), DWORD(DROPEFFECT_COPY));
        EXPECT_TRUE(text.OnDrop(&data, DROPEFFECT_MOVE, POINT{138, 195}));
    };
    EXPECT_TRUE(text.OnLButtonDown(0, POINT{105, 195}));
    EXPECT_EQ(text.GetText(), "efad");
    // Not dropped at all: the caret goes to the point.
    host.duringDrag = nullptr;
    host.dropResult = DROPEFFECT_NONE;
    text.FindAndSelect(nullptr, 0, 2);
    EXPECT_TRUE(text.OnLButtonDown(0, POINT{116, 195}));
    EXPECT_EQ(text.GetText(), "efad");
    EXPECT_EQ(text.GetCaretPos(), (POINT{2, 0}));

    // Only text is taken, and only over the object.
    QMimeData image;
    image.setData("image/png", "x");
    QMimeData plain;
    plain.setText("x");
    EXPECT_EQ(text.OnDragOver(&image, 0, POINT{110, 195}), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(text.OnDragOver(&plain, 0, POINT{400, 400}), DWORD(DROPEFFECT_NONE));
    EXPECT_FALSE(text.OnDrop(&image, DROPEFFECT_COPY, POINT{110, 195}));
}

} // namespace
