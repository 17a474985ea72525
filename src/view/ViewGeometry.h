#pragma once
// The coordinate spaces of a view and the conversions between them, as a value without a window:
// text units (object geometry, 1/100000 inch), page pixels (at the page resolution), view pixels
// (page pixels times the view scale) and client pixels (view pixels minus the scroll position).
// A view owns one and keeps it up to date; objects reach the same conversions through their host.
//
// The conversions are called for every object and grid dot on every repaint, so they are inline,
// allocate nothing and use only the few floating steps of each rule. They are plain arithmetic on
// values that cannot raise, so they run without the guard; results that do not fit a 32-bit
// coordinate are held at its limits instead of overflowing.

#include "platform/WinTypes.h"

#include <climits>
#include <cmath>
#include <cstdint>

// Round half up, floor(v + 0.5), to a 32-bit coordinate; out-of-range values are held at the
// limits and a value that is not a number gives 0. The floor is taken by truncation and a step
// down for negative fractions, which is exact in this range and needs no library call.
inline LONG RoundCoord(double v) {
    v += 0.5;
    if (v >= -2147483648.0 && v < 2147483648.0) {
        const std::int64_t t = std::int64_t(v);
        return LONG(v < double(t) ? t - 1 : t);
    }
    if (v > 0)
        return INT_MAX;
    if (v < 0)
        return INT_MIN;
    return 0;
}

class CViewGeometry {
public:
    // View scale: above 0 it multiplies (2.0 is 200 %), 0 or below it divides by its absolute
    // value (-2.0 is 50 %, -0.5 is 200 %).
    double GetScale() const { return m_dScale; }
    void SetScale(double scale) { m_dScale = scale; }

    // The scroll position: the view point shown at the client area's top-left.
    POINT GetScrollPosition() const { return m_ptScroll; }
    void SetScrollPosition(POINT pt) { m_ptScroll = pt; }
    void SetScrollPosition(LONG x, LONG y) { m_ptScroll = POINT{x, y}; }

    // Pixels per inch of the page (the bridge between text units and page pixels) and of the
    // screen (which font heights are measured against).
    POINT GetPageResolution() const { return m_ptPageRes; }
    void SetPageResolution(LONG x, LONG y) { m_ptPageRes = POINT{x, y}; }
    POINT GetScreenResolution() const { return m_ptScreenRes; }
    void SetScreenResolution(LONG x, LONG y) { m_ptScreenRes = POINT{x, y}; }

    // The inch size of one text unit, as the document keeps it.
    double GetUnitScale() const { return m_dUnitScale; }
    void SetUnitScale(double unitScale) { m_dUnitScale = unitScale; }

    // page -> view: s > 0: R(x * s); s <= 0: R(x / |s|).
    LONG PageToViewValue(LONG x) const {
        return m_dScale > 0 ? RoundCoord(x * m_dScale) : RoundCoord(x / std::fabs(m_dScale));
    }
    void PageToView(POINT& pt) const {
        pt.x = PageToViewValue(pt.x);
        pt.y = PageToViewValue(pt.y);
    }

    // view -> page: s > 0: x / R(s), integer division toward zero; s <= 0: x * R(|s|); the
    // rounded factor is never below 1.
    LONG ViewToPageValue(LONG x) const {
        LONG f = RoundCoord(std::fabs(m_dScale));
        if (f < 1)
            f = 1;
        return m_dScale > 0 ? LONG(x / f) : ClampCoord(std::int64_t(x) * f);
    }
    void ViewToPage(POINT& pt) const {
        pt.x = ViewToPageValue(pt.x);
        pt.y = ViewToPageValue(pt.y);
    }

    // view -> client: minus the scroll position, no rounding.
    void ViewToClient(POINT& pt) const {
        pt.x = ClampCoord(std::int64_t(pt.x) - m_ptScroll.x);
        pt.y = ClampCoord(std::int64_t(pt.y) - m_ptScroll.y);
    }

    // client -> page: s > 0: R((x + scroll) / s); s <= 0: R((x + scroll) * |s|).
    LONG ClientToPageValue(LONG x, LONG scroll) const {
        const double v = double(x) + double(scroll);
        return m_dScale > 0 ? RoundCoord(v / m_dScale) : RoundCoord(v * std::fabs(m_dScale));
    }
    void ClientToPage(POINT& pt) const {
        pt.x = ClientToPageValue(pt.x, m_ptScroll.x);
        pt.y = ClientToPageValue(pt.y, m_ptScroll.y);
    }

    // page -> client: s > 0: R(x * s - scroll); s <= 0: R(x / |s| - scroll).
    LONG PageToClientValue(LONG x, LONG scroll) const {
        return m_dScale > 0 ? RoundCoord(x * m_dScale - scroll)
                            : RoundCoord(x / std::fabs(m_dScale) - scroll);
    }
    void PageToClient(POINT& pt) const {
        pt.x = PageToClientValue(pt.x, m_ptScroll.x);
        pt.y = PageToClientValue(pt.y, m_ptScroll.y);
    }

    // text units -> page: R(x * resolution * unit scale), each axis with its own resolution.
    void UnitToPage(POINT& pt) const {
        pt.x = RoundCoord(pt.x * double(m_ptPageRes.x) * m_dUnitScale);
        pt.y = RoundCoord(pt.y * double(m_ptPageRes.y) * m_dUnitScale);
    }

    // page -> text units: R(x / resolution / unit scale).
    void PageToUnit(POINT& pt) const {
        pt.x = RoundCoord(pt.x / double(m_ptPageRes.x) / m_dUnitScale);
        pt.y = RoundCoord(pt.y / double(m_ptPageRes.y) / m_dUnitScale);
    }

    // Rectangle forms: both corners as points, in place, not normalised.
    void PageToView(RECT& rc) const { Corners<&CViewGeometry::PageToView>(rc); }
    void ViewToPage(RECT& rc) const { Corners<&CViewGeometry::ViewToPage>(rc); }
    void ViewToClient(RECT& rc) const { Corners<&CViewGeometry::ViewToClient>(rc); }
    void ClientToPage(RECT& rc) const { Corners<&CViewGeometry::ClientToPage>(rc); }
    void PageToClient(RECT& rc) const { Corners<&CViewGeometry::PageToClient>(rc); }
    void UnitToPage(RECT& rc) const { Corners<&CViewGeometry::UnitToPage>(rc); }
    void PageToUnit(RECT& rc) const { Corners<&CViewGeometry::PageToUnit>(rc); }

    // The factor text objects scale their font heights by: with b = vertical page resolution /
    // vertical screen resolution, s * b for s > 0 and b / |s| otherwise; 0 without a screen
    // resolution.
    double GetFontScaleFactor() const;

private:
    template <void (CViewGeometry::*Convert)(POINT&) const>
    void Corners(RECT& rc) const {
        POINT a{rc.left, rc.top};
        POINT b{rc.right, rc.bottom};
        (this->*Convert)(a);
        (this->*Convert)(b);
        rc = RECT{a.x, a.y, b.x, b.y};
    }

    double m_dScale = 1.0;
    POINT m_ptScroll;
    POINT m_ptPageRes{96, 96};
    POINT m_ptScreenRes{96, 96};
    double m_dUnitScale = 0.00001;
};
