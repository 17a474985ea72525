#pragma once
// What the shape tests share: a host at a realistic scale (1000 text units to a page pixel, so
// the fixed lengths of arrowheads and brackets come out at a few pixels), pixel probes of
// drawings, and (from ObjectBytes.h) hand-built little-endian bytes and record round trips.

#include "ObjectBytes.h"
#include "TestObjectHost.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspBaseClass.h"
#include "platform/DC.h"

#include <QImage>

// In a namespace of their own: other object tests have helpers of the same names.
namespace shapetest {

// A page of 100 dpi seen at 100 %: 1000 text units are one page pixel, one view pixel and, with
// no scroll, one client pixel.
class CShapeHost : public CTestObjectHost {
public:
    CShapeHost() { geometry.SetUnitScale(0.00001); }
};

// Puts back the program-wide values a test changes (blocks and records set the unit scale; the
// record scaling follows the screen resolution override).
class CShapeTestScope {
public:
    CShapeTestScope() : m_dpi(qgetenv("BRELLIN_SCREEN_DPI")) {
        g_dUnitScale = 0.00001;
        qputenv("BRELLIN_SCREEN_DPI", "96");
    }
    ~CShapeTestScope() {
        g_dUnitScale = 0.00001;
        if (m_dpi.isNull())
            qunsetenv("BRELLIN_SCREEN_DPI");
        else
            qputenv("BRELLIN_SCREEN_DPI", m_dpi);
    }

private:
    QByteArray m_dpi;
};

inline QImage WhiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

inline bool IsInk(const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
}

// Ink within `tol` pixels of (x, y).
inline bool InkNear(const QImage& image, int x, int y, int tol = 1) {
    for (int dy = -tol; dy <= tol; ++dy)
        for (int dx = -tol; dx <= tol; ++dx)
            if (IsInk(image, x + dx, y + dy)) return true;
    return false;
}

// Pixels that are not white inside the rectangle.
inline int InkIn(const QImage& image, const RECT& rc) {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += IsInk(image, x, y);
    return n;
}

inline int InkCount(const QImage& image) {
    return InkIn(image, RECT{0, 0, image.width(), image.height()});
}

// Draws the object into a white image, on screen (DrawScreen) or for output at 300 dpi.
inline QImage DrawShape(CTranspBaseClass& obj, bool printing, int w = 200, int h = 160) {
    QImage image = WhiteImage(w, h);
    {
        CDC dc(&image);
        if (printing) {
            const POINT dpi{300, 300};
            obj.Draw(&dc, TRUE, &dpi);
        } else {
            obj.DrawScreen(&dc, FALSE, nullptr);
        }
    }
    return image;
}

} // namespace shapetest
