#include "objects/MidpointCircle.h"

#include "objects/ObjectTypes.h"
#include "platform/DC.h"
#include "platform/Guard.h"

void DrawQuarterCircle(CDC* pDC, int cx, int cy, int r, int sx, int sy) {
    DEF_TRY
    if (!pDC || r < 0 || r > MAX_WALK_RADIUS) return;
    const auto plotPoint = [pDC](int x, int y) {
        pDC->MoveTo(x, y);
        pDC->LineTo(AddCoord(x, 1), y);
    };
    WalkMidpointCircle(r, [&](int i, int k) {
        plotPoint(AddCoord(cx, sx * i), AddCoord(cy, sy * k));
        plotPoint(AddCoord(cx, sx * k), AddCoord(cy, sy * i));
    });
    DEF_CATCH
}
