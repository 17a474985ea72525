#pragma once
// What the document tests share: bitmaps made in memory, the application object whose new-document
// request documents read, and a view stand-in that names the current page.

#include "app/LumidorApp.h"
#include "document/DocumentView.h"
#include "platform/imaging/BitmapBase.h"

#include <QImage>
#include <memory>

namespace doctest {

// A bitmap of one colour at the given depth and resolution.
inline LBitmapBase SolidBitmap(int w, int h, int bpp, COLORREF color, int dpi = 100) {
    LBitmapBase b;
    b.Create(w, h, bpp);
    b.Fill(color);
    b.SetXResolution(dpi);
    b.SetYResolution(dpi);
    return b;
}

// A white 24-bit bitmap with a black rectangle (l, t, r, b) on it.
inline LBitmapBase BitmapWithBlock(int w, int h, QRect block, int dpi = 100) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::white);
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x)
            img.setPixel(x, y, qRgb(0, 0, 0));
    LBitmapBase b;
    b.SetImage(img);
    b.SetXResolution(dpi);
    b.SetYResolution(dpi);
    return b;
}

// The application object exists for the whole test: documents read its request.
class AppHolder {
public:
    AppHolder() : m_app(m_argc, m_argv) {}
    CLumidorApp& App() { return m_app; }

private:
    int m_argc = 1;
    char m_arg0[8] = "brellin";
    char* m_argv[2] = {m_arg0, nullptr};
    CLumidorApp m_app;
};

class TestView : public IDocumentView {
public:
    int GetCurrentPage() const override { return page; }
    void UpdatePrinterSettings() override { ++printerUpdates; }
    void OnUpdate() override { ++updates; }
    int page = 0;
    int printerUpdates = 0;
    int updates = 0;
};

} // namespace doctest
