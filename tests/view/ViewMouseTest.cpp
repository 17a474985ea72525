// The mouse tools of the view driven through its button handlers: the crop rectangle's grab
// codes, the gestures that must make nothing, strokes of absurd length, the image operations fed
// with useless picks, form filling, the printable-area warning and a release that never came.

#include "TestSupport.h"
#include "ViewFixture.h"

#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

namespace {
struct MouseTest : ::testing::Test {
    MouseTest() : doc(DocWithImage(400, 300, kWhite)), shown(doc.get(), 600, 400) {
        shown.view.SetProgramModeSource([this] { return mode; });
    }
    CLumidorView& View() { return shown.view; }
    void Mode(int m) {
        mode = m;
        View().ProgramModeChanged();
    }
    void Drag(POINT a, POINT b) {
        View().OnMouseMove(0, a);
        View().OnLButtonDown(MK_LBUTTON, a);
        View().OnMouseMove(MK_LBUTTON, b);
        View().OnLButtonUp(0, b);
    }
    std::size_t Objects() { return doc->GetObjectsList(0)->size(); }

    std::unique_ptr<CLumidorDoc> doc;
    ShownView shown;
    int mode = MODE_RECTANGLE;
};
} // namespace

TEST_F(MouseTest, CropRectangleGrabCodesByEdgeBandAndInside) {
    View().GetMarks().SetCropRect(RECT{100, 100, 200, 160});
    const CCropTool& crop = View().GetMouse().GetCropTool();
    const struct {
        POINT pt;
        int code;
    } cases[] = {
        {{100, 100}, HIT_TOPLEFT},   {{203, 97}, HIT_TOPRIGHT}, {{200, 160}, HIT_BOTTOMRIGHT},
        {{97, 163}, HIT_BOTTOMLEFT}, {{103, 130}, HIT_LEFT},    {{150, 100}, HIT_TOP},
        {{200, 130}, HIT_RIGHT},     {{150, 157}, HIT_BOTTOM},  {{104, 130}, HIT_BODY},
        {{150, 130}, HIT_BODY},      {{96, 130}, 0},            {{150, 164}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(crop.GetCapture(c.pt), c.code) << c.pt.x << "," << c.pt.y;
    View().GetMarks().SetCropRect(RECT{});
    EXPECT_EQ(crop.GetCapture(POINT{150, 130}), 0) << "no rectangle, nothing to grab";
}

TEST_F(MouseTest, CropDragKeepsItsRectangleUnlessItIsAClick) {
    Mode(MODE_CROP);
    Drag(POINT{20, 20}, POINT{120, 90});
    EXPECT_EQ(View().GetMarks().GetCropRect(), (RECT{20, 20, 121, 91}));
    // Dragging the inside moves it; a click of one page pixel elsewhere removes it.
    Drag(POINT{60, 50}, POINT{70, 60});
    EXPECT_EQ(View().GetMarks().GetCropRect(), (RECT{30, 30, 131, 101}));
    Drag(POINT{300, 200}, POINT{300, 200});
    EXPECT_TRUE(View().GetMarks().GetCropRect().IsRectEmpty());
}

TEST_F(MouseTest, GesturesWithoutExtentMakeNoObject) {
    const struct {
        int mode;
        POINT from, to;
    } cases[] = {
        {MODE_RECTANGLE, {50, 50}, {50, 50}},  {MODE_RECTANGLE, {50, 50}, {50, 90}},
        {MODE_ELLIPSE, {50, 50}, {90, 50}},    {MODE_CIRCLE, {60, 60}, {60, 60}},
        {MODE_LINE, {70, 70}, {70, 70}},       {MODE_ARROW, {70, 70}, {70, 70}},
        {MODE_FREEHAND, {80, 80}, {80, 80}},   {MODE_SIZE_ARROW_HOR, {90, 90}, {150, 90}},
        {MODE_BRACKET, {90, 90}, {90, 150}},   {MODE_ZOOM_OUT, {90, 90}, {150, 150}},
    };
    View().SetCreateWithAnnotation(false);
    for (const auto& c : cases) {
        Mode(c.mode);
        Drag(c.from, c.to);
        EXPECT_EQ(Objects(), 0u) << "mode " << c.mode;
    }
    // The same tools with extent do make their objects.
    Mode(MODE_RECTANGLE);
    Drag(POINT{50, 50}, POINT{90, 80});
    ASSERT_EQ(Objects(), 1u);
    EXPECT_NE(dynamic_cast<CTranspRectangle*>(doc->GetObjectsList(0)->back().get()), nullptr);
    EXPECT_EQ(View().GetActiveObject(), doc->GetObjectsList(0)->back().get());
    EXPECT_FALSE(View().GetMouse().IsButtonDown());
}

TEST_F(MouseTest, StrokesOfAbsurdLengthAreDrawnWhole) {
    View().SetCreateWithAnnotation(false);
    Mode(MODE_FREEHAND);
    View().OnLButtonDown(MK_LBUTTON, POINT{10, 10});
    for (int i = 0; i < 100000; ++i)
        View().OnMouseMove(MK_LBUTTON, POINT{10 + i % 500, 10 + (i / 500) % 300});
    // Far outside the window, where a grabbed mouse can go.
    View().OnMouseMove(MK_LBUTTON, POINT{-100000, 900000});
    View().OnLButtonUp(0, POINT{-100000, 900000});
    ASSERT_EQ(Objects(), 1u);
    const auto* stroke = dynamic_cast<CTranspFreehand*>(doc->GetObjectsList(0)->back().get());
    ASSERT_NE(stroke, nullptr);
    EXPECT_GT(stroke->GetPoints().size(), 90000u);

    // Off the stroke, whose box would take the presses.
    View().ReleaseActiveObject();
    doc->GetObjectsList(0)->clear();
    Mode(MODE_POLYGON);
    for (int i = 0; i < 3000; ++i)
        View().OnLButtonDown(MK_LBUTTON, POINT{20 + i % 300, 20 + i % 200}),
            View().OnLButtonUp(0, POINT{20 + i % 300, 20 + i % 200});
    View().OnLButtonDblClk(MK_LBUTTON, POINT{20, 20});
    ASSERT_EQ(Objects(), 1u);
    const auto* polygon = dynamic_cast<CTranspFreehand*>(doc->GetObjectsList(0)->back().get());
    ASSERT_NE(polygon, nullptr);
    EXPECT_EQ(polygon->GetPoints().size(), 3001u);
    EXPECT_EQ(polygon->GetPoints().front(), polygon->GetPoints().back());
}

TEST_F(MouseTest, UselessPicksLeaveTheImageAndItsUndoAlone) {
    CViewImageCommands& image = View().GetImageCommands();
    // Reference points on top of each other give no angle.
    Mode(MODE_REFPOINTS);
    View().OnLButtonDown(MK_LBUTTON, POINT{50, 50});
    View().OnLButtonUp(0, POINT{50, 50});
    View().GetMarks().AddRefPoint(POINT{50, 50});
    ASSERT_EQ(View().GetMarks().GetRefPoints().size(), 2u);
    EXPECT_TRUE(image.CanTransform());
    image.OnToolbarDoImageTransformation();
    EXPECT_EQ(doc->GetPageSize(0), (SIZE{400, 300}));
    EXPECT_FALSE(doc->IsPageUndo(0));

    // A crop rectangle off the canvas crops nothing.
    Mode(MODE_CROP);
    View().GetMarks().SetCropRect(RECT{-80, -60, -10, -5});
    image.OnToolbarDoImageTransformation();
    EXPECT_EQ(doc->GetPageSize(0), (SIZE{400, 300}));
    EXPECT_FALSE(doc->IsPageUndo(0));

    // A base point beside the image moves nothing; one on it moves that point to the origin.
    Mode(MODE_BASEPOINT);
    Drag(POINT{500, 350}, POINT{500, 350});
    EXPECT_EQ(doc->GetPageImagePos(0), (POINT{0, 0}));
    EXPECT_FALSE(image.CanResetBasePoint());
    Drag(POINT{40, 30}, POINT{40, 30});
    POINT pos = doc->GetPageImagePos(0);
    View().UnitToPage(pos);
    EXPECT_EQ(pos, (POINT{-40, -30}));
    EXPECT_TRUE(image.CanTrim());
    image.OnImageTrim();
    EXPECT_EQ(doc->GetPageSize(0), (SIZE{360, 270}));
    EXPECT_EQ(doc->GetPageImagePos(0), (POINT{0, 0}));
}

TEST_F(MouseTest, FormFillingTakesPressesOnFieldsOnly) {
    const TEXTSTYLE style = DefaultTextStyle();
    doc->AddObjectToList(std::make_unique<CTranspRectangle>(&View(), RECT{10000, 10000, 60000, 60000},
                                                            0, 0, 0));
    auto text = std::make_unique<CTranspText>(&View(), 10000, 200000, &style, "field", 0, TRUE);
    CTranspText* field = text.get();
    doc->AddObjectToList(std::move(text));
    Mode(MODE_FORM);
    Drag(POINT{30, 30}, POINT{30, 30});
    EXPECT_EQ(View().GetActiveObject(), nullptr) << "a rectangle is no field";
    RECT box;
    field->GetBoundsRect(&box);
    const POINT inside{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    Drag(inside, inside);
    EXPECT_EQ(View().GetActiveObject(), field);
    EXPECT_EQ(Objects(), 2u) << "filling in makes nothing new";
}

TEST_F(MouseTest, ReleaseOutsideThePrintableAreaWarnsOnlyWhenAsked) {
    View().SetCreateWithAnnotation(false);
    Mode(MODE_LINE);
    // The two pixels beyond the canvas's right edge belong to the page but are not printed.
    const RECT page = View().GetPageRect();
    const POINT outside{page.right + 1, 100};
    FrameOptions options = LoadFrameOptions();
    options[OPT_WARN_OUTSIDE_PRINTABLE] = 0;
    SaveFrameOptions(options);
    Drag(POINT{300, 100}, outside);
    EXPECT_TRUE(TestMessages().shown.empty());
    EXPECT_EQ(Objects(), 1u);
    options[OPT_WARN_OUTSIDE_PRINTABLE] = 1;
    SaveFrameOptions(options);
    Drag(POINT{300, 250}, POINT{outside.x, 250});
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, LoadResString(IDS_OUTSIDE_PRINTABLE));
    EXPECT_EQ(Objects(), 2u);
}

TEST_F(MouseTest, AGestureWhoseReleaseWentElsewhereEndsAtTheNextPress) {
    View().SetCreateWithAnnotation(false);
    Mode(MODE_RECTANGLE);
    View().OnLButtonDown(MK_LBUTTON, POINT{50, 50});
    View().OnMouseMove(MK_LBUTTON, POINT{150, 150});
    // No release: the next press starts afresh instead of finishing the old band.
    Drag(POINT{200, 200}, POINT{260, 240});
    ASSERT_EQ(Objects(), 1u);
    RECT rc;
    doc->GetObjectsList(0)->back()->GetAlignRect(&rc);
    View().UnitToPage(rc);
    EXPECT_EQ(rc.left, 200);
    // A mode change ends a polygon half drawn.
    Mode(MODE_POLYGON);
    Drag(POINT{20, 20}, POINT{20, 20});
    EXPECT_TRUE(View().GetMouse().GetPolygon().IsStarted());
    Mode(MODE_LINE);
    EXPECT_FALSE(View().GetMouse().GetPolygon().IsStarted());
    EXPECT_TRUE(View().GetMouse().GetPolygon().GetPoints().empty());
}
