#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

namespace {

CViewGeometry Geometry(double scale, LONG scrollX = 0, LONG scrollY = 0) {
    CViewGeometry g;
    g.SetScale(scale);
    g.SetScrollPosition(scrollX, scrollY);
    return g;
}

enum Op { PAGE_TO_VIEW, VIEW_TO_PAGE, VIEW_TO_CLIENT, CLIENT_TO_PAGE, PAGE_TO_CLIENT };

LONG Apply(const CViewGeometry& g, Op op, LONG x) {
    POINT pt{x, x};
    switch (op) {
    case PAGE_TO_VIEW: g.PageToView(pt); break;
    case VIEW_TO_PAGE: g.ViewToPage(pt); break;
    case VIEW_TO_CLIENT: g.ViewToClient(pt); break;
    case CLIENT_TO_PAGE: g.ClientToPage(pt); break;
    case PAGE_TO_CLIENT: g.PageToClient(pt); break;
    }
    EXPECT_EQ(pt.x, pt.y); // equal scroll on both axes in every case below
    return pt.x;
}

struct Case {
    Op op;
    double scale;
    LONG scroll;
    LONG in;
    LONG out;
};

TEST(ViewGeometryTest, TransformsRoundHalfUpAndHonourTheSignOfTheScale) {
    const Case cases[] = {
        // Scale 1: page, view and client differ only by the scroll position.
        {PAGE_TO_VIEW, 1.0, 0, 37, 37},
        {PAGE_TO_CLIENT, 1.0, 30, 37, 7},
        {CLIENT_TO_PAGE, 1.0, 30, 7, 37},
        {VIEW_TO_CLIENT, 1.0, 30, 37, 7},
        // Scale -2 (50 %): 1.5 rounds to 2, -1.5 to -1.
        {PAGE_TO_VIEW, -2.0, 0, 3, 2},
        {PAGE_TO_VIEW, -2.0, 0, -3, -1},
        {CLIENT_TO_PAGE, -2.0, 0, 1, 2},
        {VIEW_TO_PAGE, -2.0, 0, 5, 10},
        // Round half up: 2.5 gives 3, -2.5 gives -2.
        {PAGE_TO_VIEW, 2.5, 0, 1, 3},
        {PAGE_TO_VIEW, 2.5, 0, -1, -2},
        {PAGE_TO_CLIENT, 0.5, 0, 5, 3},
        {PAGE_TO_CLIENT, 0.5, 0, -5, -2},
        // view -> page divides by the rounded scale, truncating toward zero.
        {VIEW_TO_PAGE, 2.5, 0, 7, 2},
        {VIEW_TO_PAGE, 2.5, 0, -7, -2},
        {VIEW_TO_PAGE, 2.0, 0, 9, 4},
        // ... whose factor is never below 1.
        {VIEW_TO_PAGE, 0.4, 0, 9, 9},
        {VIEW_TO_PAGE, -0.4, 0, 9, 9},
        {VIEW_TO_PAGE, -0.5, 0, 9, 9},
        // -0.5 is 200 %.
        {PAGE_TO_VIEW, -0.5, 0, 9, 18},
        {CLIENT_TO_PAGE, -0.5, 0, 9, 5},
        // The scroll position enters before rounding.
        {PAGE_TO_CLIENT, 2.0, 10, 7, 4},
        {PAGE_TO_CLIENT, -3.0, 5, 10, -2},
        {CLIENT_TO_PAGE, 3.0, 4, 5, 3},
        {CLIENT_TO_PAGE, -3.0, 1, 1, 6},
        {CLIENT_TO_PAGE, 4.0, 0, 2, 1},
        {CLIENT_TO_PAGE, 4.0, 0, -2, 0},
    };
    for (const Case& c : cases) {
        const CViewGeometry g = Geometry(c.scale, c.scroll, c.scroll);
        EXPECT_EQ(Apply(g, c.op, c.in), c.out)
            << "op " << c.op << " scale " << c.scale << " scroll " << c.scroll << " in " << c.in;
    }
}

TEST(ViewGeometryTest, TextUnitsUseTheResolutionOfEachAxis) {
    CViewGeometry g;
    g.SetPageResolution(96, 300);
    POINT pt{100000, 100000}; // one inch
    g.UnitToPage(pt);
    EXPECT_EQ(pt, (POINT{96, 300}));
    g.PageToUnit(pt);
    EXPECT_EQ(pt, (POINT{100000, 100000}));
    pt = POINT{1, -1};
    g.PageToUnit(pt);
    EXPECT_EQ(pt, (POINT{1042, -333}));

    // Exact halves: one unit of half a pixel.
    g.SetPageResolution(1, 1);
    g.SetUnitScale(0.5);
    pt = POINT{3, -3};
    g.UnitToPage(pt);
    EXPECT_EQ(pt, (POINT{2, -1}));
}

TEST(ViewGeometryTest, RectanglesConvertBothCornersWithoutNormalising) {
    CViewGeometry g = Geometry(2.0, 10, 20);
    RECT rc{50, 40, 10, 5};
    g.PageToClient(rc);
    EXPECT_EQ(rc, (RECT{90, 60, 10, -10}));
    g.ClientToPage(rc);
    EXPECT_EQ(rc, (RECT{50, 40, 10, 5}));
    g.PageToView(rc);
    EXPECT_EQ(rc, (RECT{100, 80, 20, 10}));
    g.ViewToClient(rc);
    EXPECT_EQ(rc, (RECT{90, 60, 10, -10}));
    rc = RECT{100, 80, 20, 10};
    g.ViewToPage(rc);
    EXPECT_EQ(rc, (RECT{50, 40, 10, 5}));
    g.SetPageResolution(100, 200);
    g.SetUnitScale(0.01);
    rc = RECT{10, 10, -10, -10};
    g.UnitToPage(rc);
    EXPECT_EQ(rc, (RECT{10, 20, -10, -20}));
    g.PageToUnit(rc);
    EXPECT_EQ(rc, (RECT{10, 10, -10, -10}));
}

TEST(ViewGeometryTest, ResultsOutsideTheCoordinateRangeAreHeldAtItsLimits) {
    CViewGeometry g = Geometry(-4.0, -10, 10);
    POINT pt{INT_MAX, INT_MIN};
    g.ViewToPage(pt);
    EXPECT_EQ(pt, (POINT{INT_MAX, INT_MIN}));
    pt = POINT{INT_MAX, INT_MIN};
    g.ViewToClient(pt);
    EXPECT_EQ(pt, (POINT{INT_MAX, INT_MIN}));
    pt = POINT{INT_MAX, INT_MIN};
    g.PageToUnit(pt);
    EXPECT_EQ(pt, (POINT{INT_MAX, INT_MIN}));
    // A page without a resolution gives no defined pixels; it must not give garbage.
    g.SetPageResolution(0, 0);
    pt = POINT{0, 5};
    g.PageToUnit(pt);
    EXPECT_EQ(pt, (POINT{0, INT_MAX}));
}

TEST(ViewGeometryTest, FontScaleFactor) {
    CViewGeometry g = Geometry(2.0);
    g.SetPageResolution(96, 300);
    g.SetScreenResolution(96, 96);
    EXPECT_DOUBLE_EQ(g.GetFontScaleFactor(), 6.25);
    g.SetScale(-2.0);
    EXPECT_DOUBLE_EQ(g.GetFontScaleFactor(), 1.5625);
    g.SetScale(-0.5);
    EXPECT_DOUBLE_EQ(g.GetFontScaleFactor(), 6.25);
    g.SetScreenResolution(96, 0);
    EXPECT_EQ(g.GetFontScaleFactor(), 0.0);
}

} // namespace
