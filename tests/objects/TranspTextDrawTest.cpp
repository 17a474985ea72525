// Pixel tests of text objects drawn into images with the machine's fonts: the ink lies in the
// computed box, stepped characters sit centred on their cells, output scales with the resolution,
// and the rule, the selection, the placeholder and the caret appear where they belong.

#include "TextTestHost.h"
#include "platform/DC.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

QImage Canvas(int w = 400, int h = 300) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Bounding box of the pixels that are not white, optionally only of one colour.
RECT InkBounds(const QImage& image, const RECT& area, QRgb only = 0) {
    RECT ink{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = std::max(0, int(area.top)); y < std::min(image.height(), int(area.bottom)); ++y)
        for (int x = std::max(0, int(area.left)); x < std::min(image.width(), int(area.right));
             ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (p == 0xFFFFFF || (only && p != (only & 0xFFFFFF))) continue;
            ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                       std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
        }
    return ink.left == INT_MAX ? RECT{} : ink;
}
RECT InkBounds(const QImage& image) {
    return InkBounds(image, RECT{0, 0, image.width(), image.height()});
}

void DrawScreen(CTranspText& text, QImage& image) {
    CDC dc(&image);
    text.Draw(&dc, FALSE, nullptr);
}

bool Inside(const RECT& inner, const RECT& outer, int tolerance) {
    return inner.left >= outer.left - tolerance && inner.top >= outer.top - tolerance &&
           inner.right <= outer.right + tolerance && inner.bottom <= outer.bottom + tolerance;
}

TEST(TranspTextDrawTest, InkStaysInsideTheBoxInEveryRotation) {
    for (int rotation = 0; rotation < 3; ++rotation) {
        for (int align = 0; align < 3; ++align) {
            CTextTestHost host;
            TEXTSTYLE style = TestTextStyle();
            style.nRotation = rotation;
            style.nAlign = align;
            CTranspText text(&host, 150, 150, &style, "Hello Wg\r\nquite a long line", 0, TRUE);
            QImage image = Canvas();
            DrawScreen(text, image);
            RECT box;
            text.GetTextRect(&box, TRUE);
            const RECT ink = InkBounds(image);
            ASSERT_FALSE(ink.IsRectEmpty()) << rotation;
            EXPECT_TRUE(Inside(ink, box, 1)) << rotation << "/" << align;
            // The ink fills the box along the widest line.
            const int inkLength = rotation == 0 ? ink.Width() : ink.Height();
            const int boxLength = rotation == 0 ? box.Width() : box.Height();
            EXPECT_GT(inkLength, boxLength * 8 / 10) << rotation;
        }
    }
}

TEST(TranspTextDrawTest, SteppedCharactersAreCentredOnTheirCells) {
    for (int rotation = 0; rotation < 3; ++rotation) {
        CTextTestHost host;
        TEXTSTYLE style = TestTextStyle();
        style.bStepped = TRUE;
        style.nPitch = 30;
        style.nRotation = rotation;
        CTranspText text(&host, 100, 150, &style, "HIHI", 0, TRUE);
        QImage image = Canvas();
        DrawScreen(text, image);
        RECT box;
        text.GetTextRect(&box, TRUE);
        ASSERT_EQ(rotation == 0 ? box.Width() : box.Height(), 120);
        for (int k = 0; k < 4; ++k) {
            RECT cell = box;
            double centre = 0;
            if (rotation == 0) {
                cell.left = box.left + 30 * k;
                cell.right = cell.left + 30;
                centre = cell.left + 15;
            } else if (rotation == 1) {
                cell.bottom = box.bottom - 30 * k;
                cell.top = cell.bottom - 30;
                centre = cell.bottom - 15;
            } else {
                cell.top = box.top + 30 * k;
                cell.bottom = cell.top + 30;
                centre = cell.top + 15;
            }
            const RECT ink = InkBounds(image, cell);
            ASSERT_FALSE(ink.IsRectEmpty()) << rotation << "/" << k;
            const double inkCentre =
                rotation == 0 ? (ink.left + ink.right) / 2.0 : (ink.top + ink.bottom) / 2.0;
            EXPECT_NEAR(inkCentre, centre, 1.5) << rotation << "/" << k;
        }
    }
}

TEST(TranspTextDrawTest, OutputScalesWithTheResolution) {
    const double savedScale = g_dUnitScale;
    g_dUnitScale = 0.01; // 100 units per inch, as the host's geometry
    CTextTestHost host;
    const TEXTSTYLE style = TestTextStyle();
    CTranspText text(&host, 100, 200, &style, "Hg", 0, TRUE);
    QImage screen = Canvas(600, 500);
    DrawScreen(text, screen);
    QImage print = Canvas(600, 500);
    {
        CDC dc(&print);
        const POINT dpi{200, 200};
        text.Draw(&dc, TRUE, &dpi);
    }
    const RECT small = InkBounds(screen);
    const RECT large = InkBounds(print);
    ASSERT_FALSE(large.IsRectEmpty());
    // Anchored at (1, 2) inches: 200 and 400 pixels at 200 dpi, the line ending above 400.
    EXPECT_NEAR(large.left, 200, 3);
    EXPECT_LE(large.bottom, 402);
    EXPECT_GT(large.bottom, 400 - 40);
    EXPECT_NEAR(double(large.Width()) / small.Width(), 200.0 / 96, 0.25);
    // An empty text prints nothing.
    text.SetText("", FALSE);
    QImage empty = Canvas(600, 500);
    {
        CDC dc(&empty);
        text.Draw(&dc, TRUE, nullptr);
    }
    EXPECT_TRUE(InkBounds(empty).IsRectEmpty());
    g_dUnitScale = savedScale;
}

TEST(TranspTextDrawTest, PlaceholderShowsExceptOnFormFields) {
    CTextTestHost host;
    const TEXTSTYLE style = TestTextStyle();
    CTranspText text(&host, 100, 150, &style, nullptr, 0, TRUE);
    QImage image = Canvas();
    DrawScreen(text, image);
    RECT box;
    text.GetTextRect(&box, TRUE);
    const RECT ink = InkBounds(image);
    EXPECT_FALSE(ink.IsRectEmpty());
    EXPECT_TRUE(Inside(ink, box, 1));
    text.m_bFormField = TRUE;
    QImage field = Canvas();
    DrawScreen(text, field);
    EXPECT_TRUE(InkBounds(field).IsRectEmpty());
}

TEST(TranspTextDrawTest, RuleSelectionAndCaret) {
    CTextTestHost host;
    TEXTSTYLE style = TestTextStyle();
    style.bStepped = TRUE;
    style.nPitch = 20;
    style.crRule = RGB(255, 0, 0);
    style.nRuleWidth = 3;
    style.nAnnotation = 1;
    CTranspText text(&host, 100, 150, &style, "abcd", 0, TRUE);
    QImage plain = Canvas();
    DrawScreen(text, plain);
    RECT box;
    text.GetTextRect(&box, TRUE);

    // The rule runs along the bottom of the box, over its whole width.
    const RECT rule = InkBounds(plain, RECT{0, 0, 400, 300}, qRgb(255, 0, 0));
    EXPECT_NEAR(rule.left, box.left, 1);
    EXPECT_NEAR(rule.right, box.right, 1);
    EXPECT_LE(std::abs((rule.top + rule.bottom) / 2 - box.bottom), 2);

    text.SetFocused(TRUE);
    text.FindAndSelect(nullptr, 1, 3);
    QImage image = Canvas();
    DrawScreen(text, image);
    // The selected cells, and only they, have the highlight background.
    const QColor highlight =
        QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
    const RECT selected = InkBounds(image, box, highlight.rgb());
    ASSERT_FALSE(selected.IsRectEmpty());
    EXPECT_GE(selected.left, box.left + 20 - 1);
    EXPECT_LE(selected.right, box.left + 60 + 1);

    // Without a selection the caret stands after its character, one line high.
    text.FindAndSelect(nullptr, 2, 2);
    host.caretShown = false;
    QImage again = Canvas();
    DrawScreen(text, again);
    EXPECT_TRUE(host.caretShown);
    EXPECT_EQ(host.caretPos, (POINT{box.left + 40, box.top}));
    EXPECT_EQ(host.caretSize.cy, box.Height());
    EXPECT_GE(host.caretSize.cx, 1);
    // A selected object shows handles instead of the caret; losing focus hides it too.
    text.SetSelected(TRUE);
    DrawScreen(text, again);
    EXPECT_FALSE(host.caretShown);
    text.SetSelected(FALSE);
    DrawScreen(text, again);
    text.SetFocused(FALSE);
    EXPECT_FALSE(host.caretShown);
}

} // namespace
