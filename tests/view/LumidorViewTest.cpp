// The page view: scale steps and limits, fitting, snapping, and what a repaint shows, checked on
// the widget grabbed offscreen.

#include "TestSupport.h"
#include "ViewFixture.h"

#include "document/LumidorDoc.h"
#include "objects/TranspRectangle.h"
#include "platform/imaging/BitmapBase.h"
#include "view/LumidorView.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <cmath>
#include <gtest/gtest.h>

TEST(ViewScale, ListAndIndexMappingBothWays) {
    EXPECT_EQ(CLumidorView::GetScaleList(), (std::vector<int>{400, 300, 200, 100, 50, 33, 25}));
    const double scales[] = {4, 3, 2, 1, -2, -3, -4};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(CLumidorView::IndexToScale(i), scales[i]) << i;
        EXPECT_EQ(CLumidorView::ScaleToIndex(int(scales[i])), i) << i;
    }
    EXPECT_EQ(CLumidorView::ScaleToIndex(0), 3);
    EXPECT_EQ(CLumidorView::ScaleToIndex(-1), 3);
}

TEST(ViewScale, StoredValuesLimitsAndScrollSteps) {
    auto doc = DocWithImage(200, 100, kWhite);
    ShownView v(doc.get());
    struct Case {
        double in, stored;
        int line, page;
    };
    const Case cases[] = {{-1.0, 1.0, 5, 100},      {0.0, 1.0, 5, 100},
                          {7, 4.0, 20, 100},        {-9, -4.0, 5, 100},
                          {-0.5, -0.5, 5, 100},     {1.37, 1.37, 6, 96},
                          {3, 3.0, 15, 90},         {std::nan(""), 1.0, 5, 100},
                          {HUGE_VAL, 4.0, 20, 100}, {-HUGE_VAL, -4.0, 5, 100}};
    for (const Case& c : cases) {
        v.view.SetViewScale(c.in);
        EXPECT_EQ(v.view.GetViewScale(), c.stored) << c.in;
        EXPECT_EQ(v.view.GetLineStep(), c.line) << c.in;
        EXPECT_EQ(v.view.GetPageStep(), c.page) << c.in;
        EXPECT_EQ(v.view.horizontalScrollBar()->singleStep(), c.line);
    }
    // At -2.0 a coordinate of 3 shows at 2 (1.5 rounds up), -3 at -1, and client 1 is page 2.
    v.view.SetViewScale(-2.0);
    POINT pt{3, -3};
    v.view.PageToView(pt);
    EXPECT_EQ(pt, (POINT{2, -1}));
    POINT c{1, 1};
    v.view.horizontalScrollBar()->setValue(0);
    v.view.ClientToPage(c);
    EXPECT_EQ(c.x, 2);
    // The scroll extent is the canvas plus 2 in view pixels: 4 times (202, 102) at 400 %.
    v.view.SetViewScale(4);
    EXPECT_EQ(v.view.horizontalScrollBar()->maximum(), 808 - v.view.viewport()->width());
}

TEST(ViewScale, ZoomStepsStopAtTheLimits) {
    auto doc = DocWithImage(200, 100, kWhite);
    ShownView v(doc.get());
    std::vector<int> percents;
    QObject::connect(&v.view, &CLumidorView::zoomChanged, [&](int p) { percents.push_back(p); });
    for (int i = 0; i < 4; ++i)
        v.view.IncViewScale();
    EXPECT_EQ(v.view.GetViewScale(), 4.0);
    EXPECT_EQ(percents, (std::vector<int>{200, 300, 400, 400}));
    v.view.SetViewScale(1.0);
    percents.clear();
    for (int i = 0; i < 4; ++i)
        v.view.DecViewScale();
    EXPECT_EQ(v.view.GetViewScale(), -4.0);
    // The first step from 100 % goes straight to 50 % without a message of its own.
    EXPECT_EQ(percents, (std::vector<int>{33, 25, 25}));
    v.view.SetViewScale(-2.0);
    v.view.IncViewScale();
    EXPECT_EQ(v.view.GetViewScale(), 1.0);
}

TEST(ViewFit, SmallCanvasGivesNegativeScaleAboveHundredPercent) {
    auto doc = DocWithImage(97, 47, kWhite);
    ShownView v(doc.get(), 400, 300);
    int percent = 0;
    QObject::connect(&v.view, &CLumidorView::zoomChanged, [&](int p) { percent = p; });
    v.view.FitPageToWindow();
    const double w = v.view.viewport()->width(), h = v.view.viewport()->height();
    const double rx = 100 / w, ry = 50 / h;
    EXPECT_LT(v.view.GetViewScale(), 0.0);
    EXPECT_GT(v.view.GetViewScale(), -1.0);
    EXPECT_DOUBLE_EQ(v.view.GetViewScale(), -std::max(rx, ry));
    EXPECT_GT(percent, 100);
    v.view.FitPageToWidth();
    EXPECT_DOUBLE_EQ(v.view.GetViewScale(), w / 100);
}

TEST(ViewFit, ZeroSizedClientLeavesTheScale) {
    auto doc = DocWithImage(97, 47, kWhite);
    CLumidorView view(doc.get());
    view.resize(0, 0);
    view.show();
    view.OnInitialUpdate();
    ASSERT_EQ(view.viewport()->width(), 0);
    view.FitPageToWidth();
    EXPECT_EQ(view.GetViewScale(), 1.0);
    view.FitPageToWindow();
    EXPECT_EQ(view.GetViewScale(), 0.5);
}

TEST(ViewGrid, SnapMovesDownFromAGridLineAndLeftToALine) {
    auto doc = DocWithImage(400, 400, kWhite);
    ShownView v(doc.get());
    // Grid of 0.1 inch = 10000 text units: at 96 dpi and scale 1, lines every 9.6 pixels.
    v.view.SetGrid(true, 10000, 10000);
    const POINT onLine = v.view.SnapToGrid(POINT{0, 0});
    EXPECT_EQ(onLine, (POINT{0, 10})); // y on a line moves one step down
    const POINT p = v.view.SnapToGrid(POINT{15, 15});
    EXPECT_EQ(p.x, 10); // x to the line at or before it
    EXPECT_EQ(p.y, 19);
    v.view.SetGrid(false, 10000, 10000);
    EXPECT_EQ(v.view.SnapToGrid(POINT{15, 15}), (POINT{15, 15}));
}

TEST(ViewPaint, PageWithoutImageIsWhiteAndWorkspaceBeyondIt) {
    auto doc = DocWithImage(100, 80, kBlack);
    ShownView v(doc.get());
    v.view.SetShowPageImage(false);
    const QImage shot = v.Grab();
    EXPECT_EQ(shot.pixel(50, 40), kWhite);
    const QRgb workspace = v.view.palette().color(QPalette::Dark).rgb() | 0xFF000000;
    EXPECT_EQ(shot.pixel(150, 40), workspace);
    EXPECT_EQ(shot.pixel(50, 150), workspace);
    v.view.SetShowPageImage(true);
    EXPECT_EQ(v.Grab().pixel(50, 40), kBlack);
}

TEST(ViewPaint, ErasedThenUnerasedShowsTheImageInside) {
    auto doc = DocWithImage(100, 80, kBlack);
    _PAGEINFO* p = doc->GetPageInfo(0);
    p->m_EraseList.AddErased(RECT{10, 10, 60, 60});
    p->m_EraseList.AddUnerased(RECT{20, 20, 40, 40});
    ShownView v(doc.get());
    for (double scale : {1.0, 2.0, -2.0}) {
        v.view.SetViewScale(scale);
        auto at = [&](int x, int y) {
            POINT pt{x, y};
            v.view.PageToClient(pt);
            return v.Grab().pixel(pt.x, pt.y);
        };
        EXPECT_EQ(at(5, 5), kBlack) << scale;
        EXPECT_EQ(at(14, 14), kWhite) << scale;
        EXPECT_EQ(at(30, 30), kBlack) << scale;
        EXPECT_EQ(at(70, 70), kBlack) << scale;
    }
    // Form view paints straight to the window, with the same result.
    v.view.SetViewScale(1.0);
    v.view.OnToolbarFormview();
    ASSERT_TRUE(v.view.IsFormView());
    EXPECT_EQ(v.Grab().pixel(14, 14), kWhite);
    EXPECT_EQ(v.Grab().pixel(30, 30), kBlack);
    v.view.OnToolbarFormview();
    // The uneraser's preview shows the image for one repaint.
    v.view.SetViewScale(1.0);
    v.view.SetUneraserPreview(RECT{10, 10, 20, 20});
    EXPECT_EQ(v.Grab().pixel(14, 14), kBlack);
    EXPECT_EQ(v.view.GetPrevUneraserPreview(), (RECT{10, 10, 20, 20}));
    EXPECT_EQ(v.Grab().pixel(14, 14), kWhite);
}

TEST(ViewPaint, GridDotsOnlyWhileSnapping) {
    auto doc = std::make_unique<CLumidorDoc>();
    doc->m_bFrame = FALSE;
    QImage img(200, 150, QImage::Format_RGB32);
    img.fill(kWhite);
    img.setPixel(0, 0, kBlack);
    img.setPixel(199, 149, kBlack);
    LBitmapBase b;
    b.SetImage(img, 24);
    ASSERT_TRUE(doc->CreateFromBitmap(b));
    ShownView v(doc.get());
    auto blackCount = [](const QImage& im) {
        int n = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x)
                n += im.pixel(x, y) == kBlack;
        return n;
    };
    v.view.SetGrid(false, 10000, 10000);
    EXPECT_EQ(blackCount(v.Grab()), 2); // the two corner pixels of the image
    v.view.SetGrid(true, 10000, 10000);
    const QImage shot = v.Grab();
    EXPECT_GT(blackCount(shot), 200);
    EXPECT_EQ(shot.pixel(10, 10), kBlack); // 0.1 inch at 96 dpi
}

TEST(ViewPaint, ObjectsDrawOnThePage) {
    auto doc = DocWithImage(200, 150, kWhite);
    // A red rectangle from 0.2 to 0.6 inch.
    doc->GetObjectsList(0)->push_back(std::make_unique<CTranspRectangle>(
        nullptr, RECT{20000, 20000, 60000, 60000}, RGB(255, 0, 0), 1, 0));
    ShownView v(doc.get());
    const QImage shot = v.Grab();
    int red = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            red += (shot.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_GT(red, 100);
}

TEST(ViewCanvas, EdgeCodesCornerFirst) {
    auto doc = DocWithImage(100, 80, kWhite);
    ShownView v(doc.get());
    // The canvas rectangle plus 2 ends at (102, 82) in client pixels at 100 %.
    EXPECT_EQ(v.view.GetCanvasEdgeCaptureType(POINT{100, 80}), 18);
    EXPECT_EQ(v.view.GetCanvasEdgeCaptureType(POINT{100, 40}), 14);
    EXPECT_EQ(v.view.GetCanvasEdgeCaptureType(POINT{40, 80}), 15);
    EXPECT_EQ(v.view.GetCanvasEdgeCaptureType(POINT{150, 40}), 10);
    EXPECT_EQ(v.view.GetCanvasEdgeCaptureType(POINT{40, 150}), 10);
    EXPECT_EQ(v.view.GetCanvasEdgeCaptureType(POINT{40, 40}), 0);
    EXPECT_TRUE(v.view.IsPrintableArea(40, 40));
}

TEST(ViewCanvas, MovingTheImageShiftsItAndModifiesTheDocument) {
    auto doc = DocWithImage(100, 80, kBlack);
    ShownView v(doc.get());
    const POINT before = doc->GetPageImagePos(0);
    v.view.MoveImage(10, 0);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(v.Grab().pixel(5, 40), kWhite);
    EXPECT_EQ(v.Grab().pixel(15, 40), kBlack);
    EXPECT_NE(doc->GetPageImagePos(0).x, before.x);
    // A hidden image stays where it is.
    v.view.SetShowPageImage(false);
    const POINT moved = doc->GetPageImagePos(0);
    v.view.MoveImage(10, 0);
    EXPECT_EQ(doc->GetPageImagePos(0), moved);
}

TEST(ViewScale, FormViewKeepsTheNearestListEntry) {
    auto doc = DocWithImage(100, 80, kWhite);
    ShownView v(doc.get());
    v.view.SetViewScale(1.37); // counts as 100 %
    v.view.OnToolbarFormview();
    EXPECT_TRUE(v.view.IsFormView());
    EXPECT_EQ(v.view.GetViewScale(), 1.0);
    v.view.SetViewScale(-3.6); // counts as 33 %
    v.view.OnToolbarFormview();
    EXPECT_FALSE(v.view.IsFormView());
    EXPECT_EQ(v.view.GetViewScale(), -3.0);
}

TEST(ViewRobustness, DocumentWithoutPagesStaysUsable) {
    CLumidorDoc doc;
    ShownView v(&doc);
    v.view.SetActivePage(3);
    EXPECT_EQ(v.view.GetActivePage(), 0);
    for (int i = 0; i < 6; ++i)
        v.view.IncViewScale();
    v.view.FitPageToWindow();
    v.view.FitPageToWidth();
    v.view.ZoomPageRect(RECT{0, 0, 0, 0});
    v.view.SetPageCenterTo(INT_MAX, INT_MIN);
    v.view.SetViewScale(4.0);
    v.view.SetPageCenterTo(INT_MAX, INT_MIN);
    v.view.MoveImage(5, 5);
    v.view.RepaintObjects(true);
    const QImage shot = v.Grab();
    EXPECT_EQ(shot.pixel(10, 10), v.view.palette().color(QPalette::Dark).rgb() | 0xFF000000);
    EXPECT_FALSE(doc.IsModified());
}

TEST(ViewScale, ZoomRectangleMagnifiesAndCentres) {
    auto doc = DocWithImage(400, 400, kWhite);
    ShownView v(doc.get(), 400, 300);
    // A 40-pixel square in a client of about 400 x 300 page pixels: k = 300 / 40 = 7, held at 4.
    v.view.ZoomPageRect(RECT{240, 240, 200, 200});
    EXPECT_EQ(v.view.GetViewScale(), 4.0);
    POINT centre{220, 220};
    v.view.PageToClient(centre);
    EXPECT_NEAR(centre.x, v.view.viewport()->width() / 2, 1);
    EXPECT_NEAR(centre.y, v.view.viewport()->height() / 2, 1);
}

TEST(ViewMarks, ReferencePointsSitOnTheMagnifiedPixelCentreAtMostTwo) {
    auto doc = DocWithImage(100, 80, kWhite);
    ShownView v(doc.get());
    v.view.SetViewScale(2.0);
    CViewMarks& marks = v.view.GetMarks();
    EXPECT_TRUE(marks.AddRefPoint(POINT{10, 10}));
    EXPECT_TRUE(marks.AddRefPoint(POINT{30, 20}));
    EXPECT_FALSE(marks.AddRefPoint(POINT{40, 20}));
    ASSERT_EQ(marks.GetRefPoints().size(), 2u);
    // Page (10, 10) is view (20, 20); the centre of the magnified pixel one further.
    const QImage shot = v.Grab();
    EXPECT_EQ(shot.pixel(21 + 3, 21), kBlack); // the cross, inverted on white
    EXPECT_EQ(shot.pixel(21, 21 - 3), kBlack);
    EXPECT_EQ(shot.pixel(21 + 7, 21), kBlack); // the circle's rightmost column
    EXPECT_EQ(shot.pixel(21 + 3, 21 + 3), kWhite);
    EXPECT_EQ(shot.pixel(61 + 3, 41), kBlack); // the second point
    marks.DeleteRefPoints();
    EXPECT_EQ(v.Grab().pixel(21 + 3, 21), kWhite);
}

TEST(ViewMarks, CropSolidCutDottedCrossLinesOverTheWorkspace) {
    auto doc = DocWithImage(100, 80, kWhite);
    ShownView v(doc.get());
    CViewMarks& marks = v.view.GetMarks();
    marks.SetCropRect(RECT{60, 50, 10, 10}); // normalised
    EXPECT_EQ(marks.GetCropRect(), (RECT{10, 10, 60, 50}));
    marks.SetCutRect(RECT{20, 60, 90, 75});
    QImage shot = v.Grab();
    for (int x = 10; x < 60; ++x)
        ASSERT_EQ(shot.pixel(x, 10), kBlack) << x;
    EXPECT_EQ(shot.pixel(30, 30), kWhite);
    int dotted = 0;
    for (int x = 20; x < 90; ++x)
        dotted += shot.pixel(x, 60) == kBlack;
    EXPECT_GT(dotted, 10);
    EXPECT_LT(dotted, 70);
    marks.SetCropRect(RECT{});
    marks.SetCutRect(RECT{5, 5, 5, 40}); // empty: no rectangle
    EXPECT_EQ(marks.GetCutRect(), RECT{});
    shot = v.Grab();
    EXPECT_EQ(shot.pixel(30, 10), kWhite);
    EXPECT_EQ(shot.pixel(30, 60), kWhite);

    // The cross lines span the client area, the workspace right of the canvas included, and
    // leave nothing behind when they move or go.
    const QRgb workspace = shot.pixel(300, 200);
    marks.SetCrossLinePos(POINT{50, 40});
    shot = v.Grab();
    EXPECT_EQ(shot.pixel(300, 40), ~workspace | 0xFF000000);
    EXPECT_EQ(shot.pixel(50, 70), kBlack);
    marks.SetCrossLinePos(POINT{60, 30});
    shot = v.Grab();
    EXPECT_EQ(shot.pixel(300, 40), workspace);
    EXPECT_EQ(shot.pixel(300, 30), ~workspace | 0xFF000000);
    marks.KillCrossLines();
    EXPECT_EQ(v.Grab().pixel(300, 30), workspace);
}

TEST(ViewCanvas, ArrowKeysMoveTheImageOnlyInTheImageMovingMode) {
    auto doc = DocWithImage(100, 80, kBlack);
    ShownView v(doc.get(), 80, 60); // smaller than the canvas: arrows would scroll
    const POINT start = doc->GetPageImagePos(0);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&v.view, &right);
    EXPECT_EQ(doc->GetPageImagePos(0), start);
    EXPECT_FALSE(doc->IsModified());

    int mode = MODE_PAW;
    v.view.SetProgramModeSource([&mode] { return mode; });
    QCoreApplication::sendEvent(&v.view, &right);
    POINT onePixel{1, 0};
    v.view.PageToUnit(onePixel);
    EXPECT_EQ(doc->GetPageImagePos(0).x, start.x + onePixel.x);
    EXPECT_TRUE(doc->IsModified());
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(&v.view, &up);
    EXPECT_EQ(doc->GetPageImagePos(0).y, start.y - onePixel.x);

    mode = MODE_SELECT;
    v.view.OnImageLeft();
    EXPECT_EQ(doc->GetPageImagePos(0).x, start.x + onePixel.x);
}

TEST(ViewPages, ChangingThePageReleasesTheActiveObject) {
    auto doc = DocWithImage(100, 80, kWhite);
    LBitmapBase second;
    QImage img(50, 40, QImage::Format_RGB32);
    img.fill(Qt::black);
    second.SetImage(img, 24);
    ASSERT_TRUE(doc->AppendPageFromBitmap(second));
    doc->GetObjectsList(0)->push_back(std::make_unique<CTranspRectangle>(
        nullptr, RECT{20000, 20000, 60000, 60000}, RGB(255, 0, 0), 1, 0));
    ShownView v(doc.get());
    CTranspBaseClass* rect = doc->GetObjectsList(0)->front().get();
    v.view.SetActiveObject(rect);
    EXPECT_TRUE(rect->m_bFocused);
    v.view.SetActivePage(5); // no such page: nothing changes
    EXPECT_EQ(v.view.GetActiveObject(), rect);
    v.view.SetActivePage(1);
    EXPECT_EQ(v.view.GetActiveObject(), nullptr);
    EXPECT_FALSE(rect->m_bFocused);
    EXPECT_EQ(v.view.GetActivePage(), 1);
}
