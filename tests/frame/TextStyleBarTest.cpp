// The text style bar of the main window: each control changes the current style and delivers
// only its own property to the active text, the stepped pitch refuses what is not a pitch, form
// filling keeps the orientation, and the bar shows an active object's style without touching
// the font controls for a character set it does not know.

#include "FrameFixture.h"
#include "TestSupport.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Units.h"
#include "document/LumidorDoc.h"
#include "frame/ColorBox.h"
#include "frame/CommandManager.h"
#include "frame/StyleControls.h"
#include "frame/TextStyleBar.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "view/LumidorView.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <cstring>
#include <gtest/gtest.h>

namespace {
class TextStyleBarTest : public FrameFixture {
protected:
    template <class T> T* Control(const char* name) {
        T* control = frame.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // A new document whose view has one text of this style as its active object.
    CTranspText* ActiveText(const TEXTSTYLE& style) {
        CLumidorDoc* doc = NewEmpty();
        view = doc ? frame.GetActiveView() : nullptr;
        if (!view) return nullptr;
        auto text = std::make_unique<CTranspText>(view, 10000, 20000, &style, "abc", 0, TRUE);
        CTranspText* p = text.get();
        doc->AddObjectToList(std::move(text));
        view->SetActiveObject(p);
        return p;
    }
    bool Checked(UINT id) const { return frame.GetCommands()->State(id).m_nCheck != 0; }
    const TEXTSTYLE& Style() const { return bar->GetTextStyle(); }
    static TEXTSTYLE StyleOf(const QString& face, BYTE charSet) {
        TEXTSTYLE s = DefaultTextStyle();
        std::memset(s.lf.lfFaceName, 0, sizeof s.lf.lfFaceName);
        std::strncpy(s.lf.lfFaceName, face.toLatin1().constData(), LF_FACESIZE - 1);
        s.lf.lfCharSet = charSet;
        return s;
    }
    // The user types into the field and presses Enter.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &key);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
    }
    static void ClickCell(CStyleSelector* selector, int cell) {
        const QPointF pt(cell * 20 + 10, selector->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, pt, selector->mapToGlobal(pt), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(selector, &press);
    }
    void SetUnit(int unit) {
        FrameOptions o = frame.GetOptions();
        o[3] = unit;
        frame.SetOptions(o);
    }

    CTextStyleBar* bar = frame.GetTextStyleBar();
    CLumidorView* view = nullptr;
};
} // namespace

TEST_F(TextStyleBarTest, BoldMakesNormalBoldAndAnyOtherWeightNormalAndTheTextTakesOnlyTheWeight) {
    TEXTSTYLE own = DefaultTextStyle();
    own.nSize = 30;
    CTranspText* text = ActiveText(own);
    ASSERT_NE(text, nullptr);
    TEXTSTYLE semibold = DefaultTextStyle();
    semibold.lf.lfWeight = 600;
    semibold.nSize = 20;
    bar->SetTextStyle(semibold);
    EXPECT_TRUE(Checked(ID_BUTTON_BOLD));

    frame.GetCommands()->Execute(ID_BUTTON_BOLD);
    EXPECT_EQ(Style().lf.lfWeight, 400);
    EXPECT_FALSE(Checked(ID_BUTTON_BOLD));
    frame.GetCommands()->Execute(ID_BUTTON_BOLD);
    EXPECT_EQ(Style().lf.lfWeight, 700);
    EXPECT_TRUE(Checked(ID_BUTTON_BOLD));
    EXPECT_EQ(text->m_style.lf.lfWeight, 700);
    // The text took the weight alone: its own size stays.
    EXPECT_EQ(text->m_style.nSize, 30);
    EXPECT_EQ(bar->GetChangeCode(), 0);

    frame.GetCommands()->Execute(ID_BUTTON_ITALIC);
    EXPECT_EQ(text->m_style.lf.lfItalic, 1);
    EXPECT_TRUE(Checked(ID_BUTTON_ITALIC));
}

TEST_F(TextStyleBarTest, APitchTextThatIsNoPitchLeavesThePitchAndShowsItAgain) {
    SetUnit(UNIT_MILLIMETRE);
    TEXTSTYLE s = DefaultTextStyle();
    s.bStepped = TRUE;
    s.nPitch = 1000;
    CTranspText* text = ActiveText(s);
    ASSERT_NE(text, nullptr);
    auto* edit = Control<QLineEdit>("Pitch");
    ASSERT_NE(edit, nullptr);
    const QString shown = edit->text();
    EXPECT_EQ(shown, QStringLiteral("0.25"));
    EXPECT_TRUE(edit->isEnabled());

    for (const char* bad : {"-1", "abc", "1e400", "0.5mm"}) {
        Type(edit, QString::fromLatin1(bad));
        EXPECT_EQ(Style().nPitch, 1000) << bad;
        EXPECT_EQ(edit->text(), shown) << bad;
    }
    // The stepped button reads the field first and refuses the same way: stepped stays on.
    edit->setText(QStringLiteral("abc"));
    frame.GetCommands()->Execute(ID_BUTTON_PITCH);
    EXPECT_TRUE(Style().bStepped);
    EXPECT_EQ(edit->text(), shown);

    // Reading back the text the bar shows keeps the pitch to the text unit (0.25 mm alone would
    // be 984).
    frame.GetCommands()->Execute(ID_BUTTON_PITCH);
    EXPECT_FALSE(Style().bStepped);
    EXPECT_FALSE(text->m_style.bStepped);
    EXPECT_EQ(Style().nPitch, 1000);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(Checked(ID_BUTTON_PITCH));

    frame.GetCommands()->Execute(ID_BUTTON_PITCH);
    Type(edit, QStringLiteral("0.1"));
    EXPECT_EQ(Style().nPitch, unitConvertToTextunit(0.1, UNIT_MILLIMETRE));
    EXPECT_EQ(text->m_style.nPitch, Style().nPitch);
    EXPECT_TRUE(text->m_style.bStepped);
}

TEST_F(TextStyleBarTest, TheSpinStepsByTheUnitsStepAndStopsAtZero) {
    SetUnit(UNIT_MILLIMETRE);
    TEXTSTYLE s = DefaultTextStyle();
    s.bStepped = TRUE;
    CTranspText* text = ActiveText(s);
    ASSERT_NE(text, nullptr);
    auto* up = Control<QToolButton>("PitchUp");
    auto* down = Control<QToolButton>("PitchDown");
    ASSERT_TRUE(up && down);

    up->click();
    EXPECT_EQ(Style().nPitch, 1968);
    EXPECT_EQ(text->m_style.nPitch, 1968);
    EXPECT_EQ(Control<QLineEdit>("Pitch")->text(), QStringLiteral("0.50"));

    s.nPitch = 1000;
    bar->SetTextStyle(s);
    down->click();
    EXPECT_EQ(Style().nPitch, 0);
    EXPECT_EQ(text->m_style.nPitch, 0);

    // Without stepped text the spin is off.
    frame.GetCommands()->Execute(ID_BUTTON_PITCH);
    up->click();
    EXPECT_EQ(Style().nPitch, 0);
}

TEST_F(TextStyleBarTest, FormFillingKeepsTheOrientationAndPutsTheBarBack) {
    CTranspText* text = ActiveText(DefaultTextStyle());
    ASSERT_NE(text, nullptr);
    auto* selector = Control<CStyleSelector>("OrientationSelector");
    ASSERT_NE(selector, nullptr);

    frame.SetProgramMode(MODE_FORM);
    ClickCell(selector, 1);
    EXPECT_EQ(Style().nRotation, 0);
    EXPECT_EQ(selector->GetValue(), 0);
    EXPECT_EQ(text->m_style.nRotation, 0);
    EXPECT_EQ(view->GetActiveObject(), nullptr) << "filling in a form lets the edited text go";

    frame.SetProgramMode(MODE_TEXT);
    view->SetActiveObject(text);
    ClickCell(selector, 2);
    EXPECT_EQ(Style().nRotation, 2);
    EXPECT_EQ(Style().lf.lfOrientation, -900);
    EXPECT_EQ(text->m_style.nRotation, 2);
    EXPECT_EQ(text->m_style.lf.lfEscapement, -900);
}

TEST_F(TextStyleBarTest, AStyleOfAnUnknownCharacterSetLeavesTheFontControls) {
    auto* name = Control<QComboBox>("FontName");
    auto* charSet = Control<QComboBox>("CharSet");
    auto* size = Control<QComboBox>("FontSize");
    ASSERT_TRUE(name && charSet && size);
    ASSERT_GT(name->count(), 0);
    TEXTSTYLE known = StyleOf(name->itemText(0), RUSSIAN_CHARSET);
    known.lf.lfWeight = 700;
    bar->SetTextStyle(known);
    ASSERT_EQ(name->currentText(), name->itemText(0));
    ASSERT_EQ(charSet->currentText(), QStringLiteral("RUSSIAN"));

    TEXTSTYLE odd = StyleOf(QStringLiteral("Unheard Of"), 99);
    odd.lf.lfItalic = 1;
    odd.nSize = 15;
    odd.crText = 0x0000FF;
    odd.bStepped = TRUE;
    odd.nPitch = 3000;
    odd.nAlign = 2;
    odd.nRotation = 1;
    bar->SetTextStyle(odd);
    EXPECT_EQ(name->currentText(), name->itemText(0));
    EXPECT_EQ(charSet->currentText(), QStringLiteral("RUSSIAN"));
    EXPECT_TRUE(Checked(ID_BUTTON_BOLD));
    EXPECT_FALSE(Checked(ID_BUTTON_ITALIC));
    // The rest is shown, and the whole record is the current style.
    EXPECT_EQ(size->currentIndex(), -1);
    EXPECT_EQ(size->placeholderText(), QStringLiteral("15"));
    EXPECT_EQ(Control<CColorBox>("ColorBox")->GetColor(), COLORREF(0x0000FF));
    EXPECT_TRUE(Checked(ID_BUTTON_PITCH));
    EXPECT_EQ(Control<QLineEdit>("Pitch")->text(), QStringLiteral("0.030"));
    EXPECT_EQ(Control<CStyleSelector>("AlignmentSelector")->GetValue(), 2);
    EXPECT_EQ(Control<CStyleSelector>("OrientationSelector")->GetValue(), 1);
    EXPECT_EQ(std::memcmp(&Style(), &odd, sizeof odd), 0);

    // A size from the list goes to the style with its height.
    size->setCurrentIndex(size->findText(QStringLiteral("24")));
    bar->OnSelchangeComboFontSize();
    EXPECT_EQ(Style().nSize, 24);
    EXPECT_EQ(Style().lf.lfHeight, -240);
}

TEST_F(TextStyleBarTest, ActiveObjectsShowInTheBarAndTakeColourAndLineWidth) {
    TEXTSTYLE s = DefaultTextStyle();
    s.nSize = 18;
    s.crText = 0x808000;
    CTranspText* text = ActiveText(s);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Style().nSize, 18);
    EXPECT_EQ(Control<QComboBox>("FontSize")->currentText(), QStringLiteral("18"));
    auto* tabOrder = Control<QLineEdit>("TabOrder");
    EXPECT_EQ(tabOrder->text(), QStringLiteral("0"));

    // One colour box: the text takes it as text and rule colour, and keeps its size.
    auto* colour = Control<CColorBox>("ColorBox");
    colour->SetColor(0x0000FF);
    bar->OnSelchangeComboFontColor();
    EXPECT_EQ(text->m_style.crText, COLORREF(0x0000FF));
    EXPECT_EQ(text->m_style.crRule, COLORREF(0x0000FF));
    EXPECT_EQ(text->m_style.nSize, 18);
    EXPECT_EQ(Style().crText, COLORREF(0x0000FF));

    auto rect =
        std::make_unique<CTranspRectangle>(view, RECT{0, 0, 20000, 20000}, COLORREF(0), 0, 0);
    CTranspRectangle* shape = rect.get();
    view->GetDocument()->AddObjectToList(std::move(rect));
    view->SetActiveObject(shape);
    EXPECT_EQ(tabOrder->text(), QStringLiteral("1"));
    EXPECT_EQ(Style().nSize, 18);

    auto* width = Control<QComboBox>("LineWidth");
    width->setCurrentIndex(4);
    bar->OnSelchangeComboLineWidth();
    const int chosen = width->currentData().toInt();
    EXPECT_GT(chosen, 0);
    EXPECT_EQ(shape->m_nLineWidth, chosen);
    EXPECT_EQ(Style().nRuleWidth, chosen);
    EXPECT_EQ(frame.GetLineWidth(), chosen);
    colour->SetColor(0x00FF00);
    bar->OnSelchangeComboLineColor();
    EXPECT_EQ(shape->m_crColor, COLORREF(0x00FF00));
    EXPECT_EQ(text->m_style.crText, COLORREF(0x0000FF));

    view->ReleaseActiveObject();
    EXPECT_TRUE(tabOrder->text().isEmpty());
}

TEST_F(TextStyleBarTest, TheStyleIsKeptWhenTheWindowCloses) {
    frame.GetCommands()->Execute(ID_BUTTON_UNDERLINE);
    ASSERT_EQ(Style().lf.lfUnderline, 1);
    frame.close();
    EXPECT_EQ(LoadTextStyleBarSettings().lf.lfUnderline, 1);
}
