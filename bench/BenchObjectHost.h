#pragma once
// The view the object benchmarks draw for: the geometry host of the object tests (no records
// kept, so nothing grows while timing), set up as a full-screen view.

#include "TestObjectHost.h"

// A view at 100 % over a 100-dpi page on a 100-dpi screen, its client area a 1920 x 1080 image.
class CBenchHost : public CGeometryObjectHost {
public:
    explicit CBenchHost(double unitScale) {
        geometry.SetPageResolution(100, 100);
        geometry.SetScreenResolution(100, 100);
        geometry.SetUnitScale(unitScale);
        clientRect = RECT{0, 0, 1920, 1080};
    }
};
