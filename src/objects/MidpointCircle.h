#pragma once
// The integer midpoint circle walk that draws the rounded bends of brackets and the corners of
// rectangles point by point, so that both look the same at every size.

#include "platform/WinTypes.h"

class CDC;

// Walks one octant of a circle of radius r about the origin: calls plot(i, k) for i from 0 while
// k >= i, k starting at r and stepping down by one whenever the running error is positive. The
// other octant of the same quadrant is (k, i).
template <typename Plot> void WalkMidpointCircle(int r, Plot plot) {
    int i = 0;
    int k = r;
    int error = 1 - r;
    while (k >= i) {
        plot(i, k);
        if (error > 0) {
            --k;
            error -= 2 * k - 2;
        }
        error += 2 * i + 2;
        ++i;
    }
}

// A radius beyond any device; a quarter circle larger than this is not drawn (its walk would run
// for as many steps as it has pixels).
constexpr int MAX_WALK_RADIUS = 1 << 16;

// Draws the quarter circle of radius r about (cx, cy) in the quadrant on the side (sx, sy) of
// the centre (each +1 or -1; (-1, -1) is the top-left quarter), every point a one-pixel stroke
// from (x, y) to (x + 1, y) with the selected pen.
void DrawQuarterCircle(CDC* pDC, int cx, int cy, int r, int sx, int sy);
