// The output rendering of a page, probed pixel by pixel: canvas, image placement, erased areas
// and objects in list order.

#include "DocTestSupport.h"
#include "TestSupport.h"

#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/DC.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace doctest;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A framed page at 100 dpi: a 100 x 50 red image at 60 pixels from the canvas's top-left.
void RedFramedPage(CLumidorDoc& doc) {
    ASSERT_TRUE(doc.m_bFrame);
    ASSERT_TRUE(doc.LoadDraftImage(SolidBitmap(100, 50, 24, kRed, 100), 0));
    doc.ApplyFrameRule(0);
    ASSERT_EQ(doc.GetCanvasSize(0), (SIZE{220, 170}));
}

// Text units of a length in pixels at 100 dpi.
LONG Units(int px) { return px * 1000; }
} // namespace

TEST(PageOutput, WhiteCanvasImageAtItsPositionAndErasedAreasWhite) {
    CLumidorDoc doc;
    RedFramedPage(doc);
    doc.GetErasedList(0)->AddErased(RECT{70, 70, 80, 80});
    doc.GetErasedList(0)->AddErased(RECT{100, 60, 110, 70});
    doc.GetErasedList(0)->AddUnerased(RECT{104, 64, 106, 66});
    LBitmapBase out;
    ASSERT_EQ(GetPageAsBitmap(doc, 0, out), SUCCESS);
    EXPECT_EQ(out.GetWidth(), 220);
    EXPECT_EQ(out.GetHeight(), 170);
    EXPECT_EQ(out.GetBitsPerPixel(), 24);
    EXPECT_EQ(out.GetXResolution(), 100);
    EXPECT_EQ(out.GetPixelColor(59, 59), kWhite) << "frame";
    EXPECT_EQ(out.GetPixelColor(60, 60), kRed) << "image top-left";
    EXPECT_EQ(out.GetPixelColor(159, 109), kRed) << "image bottom-right";
    EXPECT_EQ(out.GetPixelColor(160, 109), kWhite);
    EXPECT_EQ(out.GetPixelColor(159, 110), kWhite);
    EXPECT_EQ(out.GetPixelColor(75, 75), kWhite) << "erased";
    EXPECT_EQ(out.GetPixelColor(69, 75), kRed);
    EXPECT_EQ(out.GetPixelColor(102, 62), kWhite);
    EXPECT_EQ(out.GetPixelColor(105, 65), kRed) << "restored inside the erased area";
}

TEST(PageOutput, NegativePositionCutsTheImageInsteadOfMovingItOff) {
    CLumidorDoc doc;
    RedFramedPage(doc);
    QImage img = doc.GetBitmapPage(0)->GetImage();
    img.setPixel(30, 20, qRgb(0, 0, 0));
    doc.GetBitmapPage(0)->SetImage(img);
    doc.SetPageImagePos(0, -Units(30), -Units(20));
    LBitmapBase out;
    ASSERT_EQ(GetPageAsBitmap(doc, 0, out), SUCCESS);
    EXPECT_EQ(out.GetPixelColor(0, 0), RGB(0, 0, 0)) << "the image's pixel (30, 20) at the corner";
    EXPECT_EQ(out.GetPixelColor(69, 29), kRed);
    EXPECT_EQ(out.GetPixelColor(70, 29), kWhite);
}

TEST(PageOutput, ObjectsAreDrawnInListOrderOverTheImage) {
    CLumidorDoc doc;
    RedFramedPage(doc);
    // Two hollow rectangles at the same place: the later one lies on top.
    const RECT r{Units(50), Units(40), Units(150), Units(90)};
    doc.AddObjectToList(std::make_unique<CTranspRectangle>(nullptr, r, RGB(0, 255, 0), Units(3), 0));
    doc.AddObjectToList(std::make_unique<CTranspRectangle>(nullptr, r, kBlue, Units(3), 0));
    LBitmapBase out;
    ASSERT_EQ(GetPageAsBitmap(doc, 0, out), SUCCESS);
    EXPECT_EQ(out.GetPixelColor(100, 41), kBlue) << "top edge over the white frame";
    EXPECT_EQ(out.GetPixelColor(100, 89), kBlue) << "bottom edge over the image";
    EXPECT_EQ(out.GetPixelColor(100, 70), kRed) << "hollow inside";
    EXPECT_EQ(out.GetPixelColor(10, 10), kWhite);
}

TEST(PageOutput, PageWithoutCanvasGivesNoBitmapAndDrawingIntoAContextKeepsItsState) {
    CLumidorDoc doc;
    LBitmapBase out;
    EXPECT_EQ(GetPageAsBitmap(doc, 0, out), ERROR_INV_PARAMETER);
    EXPECT_EQ(GetPageAsBitmap(doc, 7, out), ERROR_INV_PARAMETER);
    EXPECT_FALSE(out.IsAllocated());

    RedFramedPage(doc);
    QImage target(300, 200, QImage::Format_RGB32);
    target.fill(Qt::black);
    CDC dc(&target);
    dc.SetViewportOrg(10, 10);
    const LOGBRUSH before = dc.SelectBrush(LOGBRUSH{BS_SOLID, kBlue});
    DrawOnImagePage(&dc, doc, 0);
    EXPECT_EQ(dc.GetBrush().color, kBlue);
    EXPECT_EQ(dc.GetViewportOrg(), (POINT{10, 10}));
    dc.SelectBrush(before);
    EXPECT_EQ(QColor(target.pixel(5, 5)), QColor(Qt::black)) << "outside the page";
    EXPECT_EQ(QColor(target.pixel(15, 15)), QColor(Qt::white));
    EXPECT_EQ(QColor(target.pixel(75, 75)), QColor(Qt::red));
}

// A fax page with black annotations, text among them, stays a 1-bit page when drawn at its least
// depth; a coloured mark makes it a page of a few colours, every pixel as drawn at 24 bits.
TEST(PageOutput, LeastDepthKeepsFaxPagesBlackAndWhite) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.LoadDraftImage(SolidBitmap(300, 200, 1, kWhite, 100), 0));
    doc.ApplyFrameRule(0);
    TEXTSTYLE style;
    std::strcpy(style.lf.lfFaceName, "Liberation Sans");
    style.lf.lfWeight = FW_NORMAL;
    style.nSize = 14;
    style.lf.lfHeight = -140;
    doc.AddObjectToList(std::make_unique<CTranspText>(nullptr, Units(80), Units(80), &style,
                                                      "Signed: J. Doe", 0, TRUE));
    doc.AddObjectToList(std::make_unique<CTranspRectangle>(
        nullptr, RECT{Units(70), Units(70), Units(250), Units(120)}, RGB(0, 0, 0), Units(2), 0));
    LBitmapBase fax;
    ASSERT_EQ(GetPageAsLeastDepthBitmap(doc, 0, fax), SUCCESS);
    EXPECT_EQ(fax.GetBitsPerPixel(), 1);
    EXPECT_EQ(fax.GetXResolution(), 100);
    int black = 0;
    for (int y = 0; y < fax.GetHeight(); ++y)
        for (int x = 0; x < fax.GetWidth(); ++x)
            black += fax.GetPixelColor(x, y) == RGB(0, 0, 0);
    EXPECT_GT(black, 400) << "the text and the frame are there";

    doc.AddObjectToList(std::make_unique<CTranspRectangle>(
        nullptr, RECT{Units(10), Units(10), Units(40), Units(40)}, kRed, Units(2), 0));
    LBitmapBase coloured, full;
    ASSERT_EQ(GetPageAsLeastDepthBitmap(doc, 0, coloured), SUCCESS);
    EXPECT_EQ(coloured.GetBitsPerPixel(), 8);
    ASSERT_EQ(GetPageAsBitmap(doc, 0, full), SUCCESS);
    EXPECT_EQ(coloured.GetPixelColor(25, 10), kRed);
    EXPECT_EQ(coloured.GetPixelColor(0, 0), kWhite);
}
