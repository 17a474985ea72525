#include "objects/TranspBaseClass.h"

#include "platform/DC.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage WhitePage() {
    QImage image(100, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Pixels that are not white, as a mask for comparing whole pictures.
int InkCount(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

// True when exactly the 7 x 7 square centred on (x, y) has `color` among its neighbours.
void ExpectSquare(const QImage& image, int x, int y, QRgb color) {
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
            const bool inside = dx >= -3 && dx <= 3 && dy >= -3 && dy <= 3;
            const QRgb expected = inside ? color : 0xFFFFFF;
            EXPECT_EQ(image.pixel(x + dx, y + dy) & 0xFFFFFF, expected)
                << "at " << x + dx << "," << y + dy;
        }
}

TEST(MarksTest, SelectionSquareIsXoredAndSecondDrawRemovesIt) {
    QImage image = WhitePage();
    {
        CDC dc(&image);
        CTranspBaseClass::DrawSelectSquare(&dc, 10, 12);
    }
    ExpectSquare(image, 10, 12, 0x7F7F7F);
    EXPECT_EQ(InkCount(image), 49);
    {
        CDC dc(&image);
        CTranspBaseClass::DrawSelectSquare(&dc, 10, 12);
    }
    EXPECT_EQ(InkCount(image), 0);
}

TEST(MarksTest, FocusSquareInverts) {
    QImage image = WhitePage();
    {
        CDC dc(&image);
        CTranspBaseClass::DrawFocusSquare(&dc, 30, 30);
    }
    ExpectSquare(image, 30, 30, 0x000000);
}

TEST(MarksTest, FramesMarkCornersOnTheLastInsidePixelAndMidpointsWhenAsked) {
    const RECT rc{60, 50, 20, 20}; // inverted: the frame normalises it
    const POINT corners[] = {{20, 20}, {59, 20}, {59, 49}, {20, 49}};
    const POINT midpoints[] = {{40, 20}, {59, 35}, {40, 49}, {20, 35}};

    QImage image = WhitePage();
    {
        CDC dc(&image);
        CTranspBaseClass::DrawSelectFrame(&dc, rc, TRUE);
    }
    for (const POINT& p : corners)
        ExpectSquare(image, p.x, p.y, 0x7F7F7F);
    for (const POINT& p : midpoints)
        ExpectSquare(image, p.x, p.y, 0x7F7F7F);
    EXPECT_EQ(InkCount(image), 8 * 49);

    image = WhitePage();
    {
        CDC dc(&image);
        CTranspBaseClass::DrawFocusFrame(&dc, rc, FALSE);
    }
    for (const POINT& p : corners)
        ExpectSquare(image, p.x, p.y, 0x000000);
    EXPECT_EQ(InkCount(image), 4 * 49);
}

TEST(MarksTest, FreezeFrameDrawsGreyCrossesAtTheCornersOnly) {
    QImage image = WhitePage();
    {
        CDC dc(&image);
        CTranspBaseClass::DrawFreezeFrame(&dc, RECT{20, 20, 60, 50});
    }
    const POINT corners[] = {{20, 20}, {59, 20}, {59, 49}, {20, 49}};
    for (const POINT& p : corners) {
        EXPECT_EQ(image.pixel(p.x, p.y) & 0xFFFFFF, 0x808080u) << p.x << "," << p.y;
        // Both strokes: ink towards all four diagonal ends, none straight above or beside.
        EXPECT_NE(image.pixel(p.x - 2, p.y - 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_NE(image.pixel(p.x + 2, p.y - 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_NE(image.pixel(p.x - 2, p.y + 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_NE(image.pixel(p.x + 2, p.y + 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(image.pixel(p.x, p.y - 3) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(image.pixel(p.x - 3, p.y) & 0xFFFFFF, 0xFFFFFFu);
    }
    EXPECT_EQ(image.pixel(40, 20) & 0xFFFFFF, 0xFFFFFFu);
    // Nothing far from a corner.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            bool nearCorner = false;
            for (const POINT& p : corners)
                nearCorner |= std::abs(x - p.x) <= 4 && std::abs(y - p.y) <= 4;
            if (!nearCorner) {
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
            }
        }
}

// A kind whose drawing is only its marks, to see which one a state draws.
class CMarkedObject : public CTranspBaseClass {
public:
    CMarkedObject() : CTranspBaseClass(nullptr, 0) {}
    void GetAlignRect(RECT* r) const override { *r = RECT{20, 20, 60, 50}; }
    void GetBoundsRect(RECT* r) const override { *r = RECT{20, 20, 60, 50}; }
    void MoveBy(int, int) override {}
    QByteArray GetObData() const override { return {}; }
    void Draw(CDC* pDC, BOOL bPrinting, const POINT*) override {
        if (!bPrinting)
            DrawMarks(pDC, RECT{20, 20, 60, 50}, TRUE);
    }
};

TEST(MarksTest, ExactlyOneKindOfMarkAndNoneWhenPrinting) {
    const struct {
        BOOL selected, disabled, focused;
        QRgb centre; // at the top-left corner mark
    } cases[] = {
        {TRUE, TRUE, TRUE, 0x7F7F7F},
        {FALSE, TRUE, TRUE, 0x808080},
        {FALSE, FALSE, TRUE, 0x000000},
        {FALSE, FALSE, FALSE, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        CMarkedObject object;
        object.m_bSelected = c.selected;
        object.m_bDisabled = c.disabled;
        object.m_bFocused = c.focused;
        QImage image = WhitePage();
        {
            CDC dc(&image);
            object.DrawScreen(&dc, FALSE, nullptr);
        }
        EXPECT_EQ(image.pixel(20, 20) & 0xFFFFFF, c.centre);
        // Selection and focus marks cover whole squares; the cross mark does not.
        if (c.centre == 0x7F7F7F || c.centre == 0x000000) {
            EXPECT_EQ(InkCount(image), 8 * 49);
        }

        image = WhitePage();
        {
            CDC dc(&image);
            object.DrawScreen(&dc, TRUE, nullptr);
        }
        EXPECT_EQ(InkCount(image), 0);
    }
}

} // namespace
