#pragma once
// What the view tests share: a one-page document with a solid image, and a view showing it
// offscreen.

#include "document/LumidorDoc.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

// The program's strings, which messages and menu texts come from.
inline bool EnsureResourceModule() {
    return IsResourceModuleLoaded() ||
           LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") + "/Brellin.eng");
}

inline constexpr QRgb kWhite = 0xFFFFFFFF;
inline constexpr QRgb kBlack = 0xFF000000;

// A document of one page with a solid image of w x h pixels at (0, 0), canvas the image's size.
inline std::unique_ptr<CLumidorDoc> DocWithImage(int w, int h, QRgb colour) {
    auto doc = std::make_unique<CLumidorDoc>();
    doc->m_bFrame = FALSE;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    // Corner pixels of another colour keep the automatic trimming from cutting the image.
    img.setPixel(0, 0, colour == kBlack ? kWhite : kBlack);
    img.setPixel(w - 1, h - 1, colour == kBlack ? kWhite : kBlack);
    LBitmapBase b;
    b.SetImage(img, 24);
    b.SetXResolution(96);
    b.SetYResolution(96);
    EXPECT_TRUE(doc->CreateFromBitmap(b));
    return doc;
}

struct ShownView {
    explicit ShownView(CLumidorDoc* doc, int w = 400, int h = 300) : view(doc) {
        view.resize(w, h);
        view.show();
        view.OnInitialUpdate();
    }
    QImage Grab() {
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    CLumidorView view;
};
