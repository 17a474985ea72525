// The options sheet: the grid spacings stepped and re-expressed in each unit without drifting,
// the transparent colour value's text, the general page's inverted and dependent controls, and
// Tools > Options writing back to the frame on OK only.

#include "FrameFixture.h"
#include "TestSupport.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Units.h"
#include "frame/CommandManager.h"
#include "frame/OptionsDialog.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <climits>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {
constexpr int kGrid14Points = 19444; // 14 points in text units, truncated

struct SpinCase {
    const char* name;
    int unit;
    int step;
    const char* shownAfterUp;
};

class SpacingSpin : public ::testing::TestWithParam<SpinCase> {};
} // namespace

TEST_P(SpacingSpin, ArrowsStepByTheUnitsStepAndStopAtZero) {
    const SpinCase c = GetParam();
    ASSERT_EQ(unitGetDelta(c.unit), c.step);
    CSpacingText s(kGrid14Points, c.unit);
    // The up arrow's delta is below 1: a step more.
    s.Spin(-1);
    EXPECT_EQ(s.Value(), kGrid14Points + c.step);
    EXPECT_EQ(s.Text(), QString::fromLatin1(c.shownAfterUp));
    s.Spin(0);
    EXPECT_EQ(s.Value(), kGrid14Points + 2 * c.step);
    // Any other delta a step less.
    s.Spin(1);
    s.Spin(5);
    EXPECT_EQ(s.Value(), kGrid14Points);
    // A step from what the user typed, not from the value before.
    s.SetText(QStringLiteral("1"));
    s.Spin(-1);
    EXPECT_EQ(s.Value(), unitConvertToTextunit(1.0, c.unit) + c.step);
    CSpacingText small(c.step / 2, c.unit);
    small.Spin(1);
    EXPECT_EQ(small.Value(), 0);
    small.Spin(1);
    EXPECT_EQ(small.Value(), 0);
}

INSTANTIATE_TEST_SUITE_P(Units, SpacingSpin,
                         ::testing::Values(SpinCase{"inch", UNIT_INCH, 499, "0.199"},
                                           SpinCase{"millimetre", UNIT_MILLIMETRE, 1968, "5.44"},
                                           SpinCase{"point", UNIT_POINT, 1388, "15"}),
                         [](const ::testing::TestParamInfo<SpinCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(SpacingText, AnotherUnitShowsTheSameLengthAndNeverMovesIt) {
    CSpacingText s(kGrid14Points, UNIT_POINT);
    EXPECT_EQ(s.Text(), QStringLiteral("14"));
    s.SetUnit(UNIT_INCH);
    EXPECT_EQ(s.Text(), QStringLiteral("0.194"));
    s.SetUnit(UNIT_MILLIMETRE);
    EXPECT_EQ(s.Text(), QStringLiteral("4.94"));
    // Read back from "4.94" the value would be 19448: the text shown stands for the exact value.
    EXPECT_EQ(s.Value(), kGrid14Points);
    s.SetUnit(UNIT_POINT);
    EXPECT_EQ(s.Value(), kGrid14Points);
    EXPECT_EQ(s.Text(), QStringLiteral("14"));

    // What the user typed is what moves to the other unit.
    CSpacingText typed(kGrid14Points, UNIT_INCH);
    typed.SetText(QStringLiteral("1"));
    typed.SetUnit(UNIT_MILLIMETRE);
    EXPECT_EQ(typed.Value(), 99999);
    EXPECT_EQ(typed.Text(), QStringLiteral("25.40"));
    // A decimal comma is a decimal point.
    typed.SetText(QStringLiteral("0,5"));
    EXPECT_EQ(typed.Value(), 1968);
    // Text that is no length keeps the last one.
    for (const char* bad : {"abc", "-2", "", "1e400", "99999999"}) {
        CSpacingText s2(kGrid14Points, UNIT_POINT);
        s2.SetText(QString::fromLatin1(bad));
        EXPECT_FALSE(s2.IsValid()) << bad;
        EXPECT_EQ(s2.Value(), kGrid14Points) << bad;
        s2.SetUnit(UNIT_POINT);
        EXPECT_EQ(s2.Text(), QStringLiteral("14")) << bad;
    }
}

TEST(TransparentColorValue, ShownAsEightHexDigitsAndReadBack) {
    EXPECT_EQ(FormatColorValue(-256), QStringLiteral("FFFFFF00"));
    EXPECT_EQ(FormatColorValue(0), QStringLiteral("00000000"));
    EXPECT_EQ(FormatColorValue(0xABC), QStringLiteral("00000ABC"));
    EXPECT_EQ(FormatColorValue(LONG(INT_MIN)), QStringLiteral("80000000"));
    LONG v = 7;
    ASSERT_TRUE(ParseColorValue(QStringLiteral("FFFFFF00"), v));
    EXPECT_EQ(v, -256);
    ASSERT_TRUE(ParseColorValue(QStringLiteral(" ff "), v));
    EXPECT_EQ(v, 255);
    ASSERT_TRUE(ParseColorValue(QStringLiteral("80000000"), v));
    EXPECT_EQ(v, LONG(INT_MIN));
    for (const char* bad : {"", "123456789", "GG", "-1", "0x10", "1 2"}) {
        v = 7;
        EXPECT_FALSE(ParseColorValue(QString::fromLatin1(bad), v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
}

namespace {
class GeneralPage : public FrameFixture {
protected:
    void SetOption(int field, LONG value) {
        FrameOptions o = frame.GetOptions();
        o[field] = value;
        frame.SetOptions(o);
    }
    // The page over the frame's values, with its controls built.
    void Build() {
        page = std::make_unique<COptionsPropPageGeneral>(frame);
        widget.reset(page->CreatePage(nullptr));
    }
    template <class T> T* Control(const char* name) {
        T* control = widget->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    std::unique_ptr<COptionsPropPageGeneral> page;
    std::unique_ptr<QWidget> widget;
};
} // namespace

TEST_F(GeneralPage, AskBeforeClosingShowsInvertedAndTheColourFollowsItsBox) {
    SetOption(OPT_ASK_BEFORE_CLOSE, 0);
    SetOption(OPT_TRANSPARENT, 0);
    Build();
    auto* save = Control<QCheckBox>("saveWithoutAsking");
    auto* transparent = Control<QCheckBox>("transparent");
    auto* color = Control<QLineEdit>("transparentColor");
    ASSERT_TRUE(save && transparent && color);
    EXPECT_TRUE(save->isChecked());
    EXPECT_EQ(color->text(), QStringLiteral("FFFFFF00"));
    EXPECT_FALSE(color->isEnabled());
    transparent->setChecked(true);
    EXPECT_TRUE(color->isEnabled());
    save->setChecked(false);
    color->setText(QStringLiteral("00ff00"));
    page->UpdateData();
    EXPECT_EQ(page->m_options[OPT_ASK_BEFORE_CLOSE], 1);
    EXPECT_EQ(page->m_options[OPT_TRANSPARENT], 1);
    page->OnApply();
    const FrameOptions stored = LoadFrameOptions();
    EXPECT_EQ(stored[OPT_ASK_BEFORE_CLOSE], 1);
    EXPECT_EQ(stored[OPT_TRANSPARENT_COLOR], 0xFF00);

    SetOption(OPT_ASK_BEFORE_CLOSE, 1);
    Build();
    EXPECT_FALSE(Control<QCheckBox>("saveWithoutAsking")->isChecked());
}

TEST_F(GeneralPage, TheUnitListReexpressesBothSpacingsAndTheArrowsStep) {
    SetOption(OPT_UNIT, UNIT_POINT);
    Build();
    auto* unit = Control<QComboBox>("unit");
    auto* gridX = Control<QAbstractSpinBox>("gridX");
    auto* gridY = Control<QAbstractSpinBox>("gridY");
    ASSERT_TRUE(unit && gridX && gridY);
    EXPECT_EQ(gridX->text(), QStringLiteral("14"));
    gridY->stepBy(1);
    EXPECT_EQ(gridY->text(), QStringLiteral("15"));
    unit->setCurrentIndex(UNIT_MILLIMETRE);
    Q_EMIT unit->activated(UNIT_MILLIMETRE);
    EXPECT_EQ(gridX->text(), QStringLiteral("4.94"));
    EXPECT_EQ(gridY->text(), unitGetStrValue(unitConvertTextunitTo(kGrid14Points + 1388, 1), 1));
    gridX->stepBy(-1);
    page->UpdateData();
    page->OnApply();
    EXPECT_EQ(frame.GetOptions()[OPT_UNIT], UNIT_MILLIMETRE);
    EXPECT_EQ(frame.GetOptions()[OPT_GRID_X], kGrid14Points - 1968);
    EXPECT_EQ(frame.GetOptions()[OPT_GRID_Y], kGrid14Points + 1388);

    // A unit the page does not know shows the spacings in inches.
    SetOption(OPT_UNIT, 7);
    SetOption(OPT_GRID_X, kGrid14Points);
    Build();
    EXPECT_EQ(Control<QComboBox>("unit")->currentIndex(), UNIT_INCH);
    EXPECT_EQ(Control<QAbstractSpinBox>("gridX")->text(), QStringLiteral("0.194"));
}

TEST_F(GeneralPage, TheLookKeepsItsStoredValueUntilAnotherIsChosen) {
    SetOption(OPT_VISUAL_STYLE, 0);
    Build();
    auto* look = Control<QComboBox>("visualStyle");
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->currentIndex(), 0);
    page->UpdateData();
    EXPECT_EQ(page->m_options[OPT_VISUAL_STYLE], 0);
    look->setCurrentIndex(2);
    page->UpdateData();
    EXPECT_EQ(page->m_options[OPT_VISUAL_STYLE], 3);
    SetOption(OPT_VISUAL_STYLE, 9);
    Build();
    EXPECT_EQ(Control<QComboBox>("visualStyle")->currentIndex(), 1);
}

TEST_F(GeneralPage, TheFolderButtonAsksForAFolder) {
    Build();
    TestDialogs().folderAnswers.push_back(QStringLiteral("/tmp/chosen"));
    auto* browse = Control<QPushButton>("browseFolder");
    ASSERT_NE(browse, nullptr);
    browse->click();
    ASSERT_EQ(TestDialogs().folderRequests.size(), 1u);
    EXPECT_EQ(TestDialogs().folderRequests[0].title, QStringLiteral("Select folder:"));
    EXPECT_EQ(Control<QLineEdit>("documentsFolder")->text(), QStringLiteral("/tmp/chosen"));
}

TEST_F(GeneralPage, ToolsOptionsWritesBackOnOkOnly) {
    SetOption(OPT_UNIT, UNIT_POINT);
    const FrameOptions before = frame.GetOptions();
    const QString folder = frame.GetDocumentsPath();
    int pages = 0;
    const auto edit = [&pages](CModalDialog& dlg) {
        auto& sheet = static_cast<COptionsDialog&>(dlg);
        pages = sheet.GetPageCount();
        // Capture, additional capture, general, multiple capture.
        auto* general = dynamic_cast<COptionsPropPageGeneral*>(sheet.GetPage(2));
        if (!general) return IDCANCEL;
        general->m_gridX.SetText(QStringLiteral("20"));
        general->m_options[OPT_SNAP_TO_GRID] = 1;
        general->m_options[OPT_DATE_IN_NAMES] = 1;
        general->m_strDocumentsPath = QStringLiteral("/tmp/brellin-docs");
        return IDOK;
    };
    TestDialogs().handlers[QStringLiteral("COptionsDialog")] = [&edit](CModalDialog& dlg) {
        edit(dlg);
        return IDCANCEL;
    };
    frame.GetCommands()->Execute(ID_OPTIONS);
    EXPECT_EQ(pages, 4);
    EXPECT_EQ(frame.GetOptions()[OPT_GRID_X], before[OPT_GRID_X]);
    EXPECT_EQ(frame.GetOptions()[OPT_SNAP_TO_GRID], before[OPT_SNAP_TO_GRID]);
    EXPECT_EQ(frame.GetDocumentsPath(), folder);

    TestDialogs().handlers[QStringLiteral("COptionsDialog")] = edit;
    frame.GetCommands()->Execute(ID_OPTIONS);
    EXPECT_EQ(frame.GetOptions()[OPT_GRID_X], unitConvertToTextunit(20.0, UNIT_POINT));
    EXPECT_EQ(frame.GetOptions()[OPT_GRID_Y], before[OPT_GRID_Y]);
    EXPECT_EQ(frame.GetDocumentsPath(), QStringLiteral("/tmp/brellin-docs"));
    EXPECT_EQ(LoadFrameOptions()[OPT_DATE_IN_NAMES], 1);
    frame.GetCommands()->UpdateAll();
    EXPECT_NE(frame.GetCommands()->State(ID_GROUPBAR_SNAP_TO_GRID).m_nCheck, 0);
}
