// The drawing bar's side panel: shown by the frame's selector only for the options of shapes with
// an annotation and only with its bar, and the orientation selector and the near-callout box
// storing what the callout code reads.

#include "FrameFixture.h"
#include "TestSupport.h"

#include "app/CalloutOptions.h"
#include "app/ProfileRecords.h"
#include "frame/DrawingBarPanel.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {
class DrawingBarPanelTest : public FrameFixture {
protected:
    CDrawingBarPanel* Panel() const { return frame.findChild<CDrawingBarPanel*>(); }
    static void Click(QWidget* w, const QPoint& pt) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(pt), w->mapToGlobal(QPointF(pt)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    static void Key(QWidget* w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
};
} // namespace

TEST_F(DrawingBarPanelTest, ShownForShapesWithAnnotationAndOnlyWithItsBar) {
    CDrawingBarPanel* panel = Panel();
    ASSERT_NE(panel, nullptr);
    // The frame starts with the options of shapes with an annotation.
    EXPECT_EQ(frame.GetSelector(), 1);
    EXPECT_FALSE(panel->isHidden());
    frame.SetSelector(0);
    EXPECT_TRUE(panel->isHidden());
    // The image-format options show instead of the annotation's.
    frame.SetSelector(2);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(frame.findChild<QWidget*>(QStringLiteral("AnnotationOptions"))->isHidden());
    EXPECT_FALSE(frame.findChild<QWidget*>(QStringLiteral("ImageFormatOptions"))->isHidden());
    frame.SetSelector(1);
    EXPECT_FALSE(panel->isHidden());
    QToolBar* bar = frame.GetBar(QStringLiteral("DrawingBar"));
    ASSERT_NE(bar, nullptr);
    frame.show();
    bar->hide();
    EXPECT_TRUE(panel->isHidden());
    bar->show();
    EXPECT_FALSE(panel->isHidden());
    // The bar goes with its window, and the panel stays its own.
    frame.hide();
    EXPECT_FALSE(panel->isHidden());
}

TEST_F(DrawingBarPanelTest, TheSelectorAndTheNearBoxStoreWhatTheCalloutCodeReads) {
    EXPECT_EQ(GetCalloutOrientation(), ORIENT_CENTRE);
    EXPECT_FALSE(GetCalloutNear());
    auto* selector = frame.findChild<CSelector*>();
    auto* near = frame.findChild<QCheckBox*>(QStringLiteral("CalloutNear"));
    ASSERT_TRUE(selector && near);
    EXPECT_EQ(selector->GetValue(), ORIENT_CENTRE);
    Click(selector, CSelector::CellRect(ORIENT_RIGHT).center());
    EXPECT_EQ(selector->GetValue(), ORIENT_RIGHT);
    EXPECT_EQ(GetCalloutOrientation(), ORIENT_RIGHT);
    // Between the cells nothing is chosen.
    Click(selector, QPoint(2, 2));
    EXPECT_EQ(GetCalloutOrientation(), ORIENT_RIGHT);
    // The arrow keys walk along the cross: back home, then out.
    Key(selector, Qt::Key_Down);
    EXPECT_EQ(selector->GetValue(), ORIENT_RIGHT);
    Key(selector, Qt::Key_Left);
    Key(selector, Qt::Key_Down);
    EXPECT_EQ(GetCalloutOrientation(), ORIENT_DOWN);
    near->click();
    EXPECT_TRUE(GetCalloutNear());

    // A later start shows what was stored; a stored value out of range stands for the centre.
    CDrawingBarPanel again;
    EXPECT_EQ(again.findChild<CSelector*>()->GetValue(), ORIENT_DOWN);
    EXPECT_TRUE(again.findChild<QCheckBox*>(QStringLiteral("CalloutNear"))->isChecked());
    SetCalloutOrientation(7);
    EXPECT_EQ(GetCalloutOrientation(), ORIENT_DOWN);
    Profile().WriteProfileInt(kSectionSettings, kCalloutOrientationEntry, 9);
    EXPECT_EQ(GetCalloutOrientation(), ORIENT_CENTRE);
}

TEST_F(DrawingBarPanelTest, TheFormatShowsItsOwnBoxAndIsStoredAsOption14) {
    CDrawingBarPanel* panel = Panel();
    auto* formats = frame.findChild<QComboBox*>(QStringLiteral("ImageFormat"));
    ASSERT_TRUE(panel && formats);
    ASSERT_EQ(formats->count(), 6);
    EXPECT_EQ(formats->itemText(0), QStringLiteral("TIFF"));
    EXPECT_EQ(formats->itemText(5), QStringLiteral("EMF"));
    frame.SetSelector(2);
    EXPECT_EQ(panel->GetFormat(), 4); // PNG by default
    EXPECT_FALSE(panel->IsQualityShown());
    EXPECT_FALSE(panel->IsCompressionShown());
    struct Case { int format; bool quality, compression; };
    for (const Case c : {Case{0, false, true}, Case{3, true, false}, Case{1, false, false},
                         Case{5, false, false}}) {
        formats->setCurrentIndex(c.format);
        Q_EMIT formats->activated(c.format);
        EXPECT_EQ(panel->IsQualityShown(), c.quality) << c.format;
        EXPECT_EQ(panel->IsCompressionShown(), c.compression) << c.format;
        EXPECT_EQ(frame.GetOptions()[OPT_IMAGES_FORMAT], c.format);
        EXPECT_EQ(LoadFrameOptions()[OPT_IMAGES_FORMAT], c.format);
    }
    // Without a document window there is nothing to measure.
    EXPECT_EQ(panel->GetSizeText(), QString());
}

TEST(FormatPanelSize, KilobytesWithOneDecimalAndTheScratchFileByFormat) {
    EXPECT_EQ(FormatFileSizeKB(5120), QStringLiteral("5.0 KB"));
    EXPECT_EQ(FormatFileSizeKB(0), QStringLiteral("0.0 KB"));
    EXPECT_EQ(FormatFileSizeKB(1587), QStringLiteral("1.5 KB"));
    const char* exts[] = {"tif", "bmp", "pcx", "jpg", "png", "emf"};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(SizeScratchPath(i).endsWith(QStringLiteral("/size01234567890123456789.") +
                                                QLatin1String(exts[i])))
            << SizeScratchPath(i).toStdString();
}
