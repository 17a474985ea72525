#pragma once
// The options sheet of Tools > Options: a tabbed dialog of pages, each showing part of the
// program's settings and writing it back on OK and Apply. COptionsPropPageGeneral is the general
// page over the frame options; the capture pages join the same sheet.
//
// Like every dialog of the program it runs through the dialog service: DoModal() gives IDOK or
// IDCANCEL, and on IDOK the caller has the pages write back (Apply), so that a scripted answer
// and the real sheet end the same way. The Apply button of the real sheet writes back at once.

#include "app/ProfileRecords.h"
#include "platform/DialogService.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CMainFrame;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;
class CSpacingSpinBox;

// ---- Values the general page shows ------------------------------------------------------------

// A length shown as text in a measurement unit, standing for an exact value in text units: while
// the text is the one shown for that value the value stays exact, so that looking at a spacing in
// another unit, or closing the sheet with OK, never moves it.
class CSpacingText {
public:
    CSpacingText(int textunits = 0, int unit = 0);

    const QString& Text() const { return m_strText; }
    int Unit() const { return m_nUnit; }
    // What the user typed.
    void SetText(const QString& text);
    // True when the text is a length of at least 0 (decimal point or comma).
    bool IsValid() const;
    // Text units: the exact value behind the text shown, else the typed length, else (text that
    // is no length) the last value.
    int Value() const;
    // One step of the unit: a delta below 1 adds it, any other delta takes it away; never below 0.
    void Spin(int delta);
    // The same length, shown in another unit.
    void SetUnit(int unit);

private:
    int m_nValue;
    int m_nUnit;
    QString m_strText;
};

// The transparent colour value as the page shows it ("%08lX": -256 is "FFFFFF00"), and read
// back: one to eight hexadecimal digits; false for anything else.
QString FormatColorValue(LONG value);
bool ParseColorValue(const QString& text, LONG& value);

// The look of bars and menus that option 22 asks for: 0 and 1 Qt's classic Windows style, 3 Qt's
// Fusion style, any other value the style the desktop gave the program.
void ApplyVisualStyle(int option);
// The entry of the look's list for a stored value, and back.
int VisualStyleToChoice(int option);
int ChoiceToVisualStyle(int choice);

// ---- The sheet --------------------------------------------------------------------------------

class COptionsPage {
public:
    virtual ~COptionsPage() = default;
    virtual QString GetCaption() const = 0;
    // The page's controls, showing its members; the sheet owns the widget.
    virtual QWidget* CreatePage(QWidget* parent) = 0;
    // Controls to members; only for a page that was built.
    virtual void UpdateData() = 0;
    // Members to the program.
    virtual void OnApply() = 0;

    // The sheet's Apply button listens: every change of a control calls it.
    void SetModifiedHandler(std::function<void()> handler) { m_onModified = std::move(handler); }

protected:
    void SetModified() const {
        if (m_onModified) m_onModified();
    }

private:
    std::function<void()> m_onModified;
};

class COptionsDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("COptionsDialog"); }
    int RunWidget(QWidget* parent) override;

    // Pages show in the order they are added.
    void AddPage(std::unique_ptr<COptionsPage> page);
    int GetPageCount() const { return int(m_pages.size()); }
    COptionsPage* GetPage(int index) const;
    // Every page writes back.
    void Apply();

private:
    std::vector<std::unique_ptr<COptionsPage>> m_pages;
};

// Tools > Options: the sheet over the frame; on OK its pages write back to the frame.
void RunOptionsDialog(CMainFrame& frame);

// ---- The general page -------------------------------------------------------------------------

class COptionsPropPageGeneral : public COptionsPage {
public:
    // Takes the frame's options and documents folder.
    explicit COptionsPropPageGeneral(CMainFrame& frame);

    QString GetCaption() const override;
    QWidget* CreatePage(QWidget* parent) override;
    void UpdateData() override;
    // The options (grid spacings in text units again), the documents folder and the snap state
    // to the frame; the text style bar shows its pitch in the unit chosen, and the look applies.
    void OnApply() override;

    // The members the page shows and edits. The flags of the options are m_options' own fields;
    // option 17 shows inverted, option 21 as m_strTransparentColor.
    FrameOptions m_options;
    QString m_strDocumentsPath;
    CSpacingText m_gridX;
    CSpacingText m_gridY;
    QString m_strTransparentColor;

private:
    // The unit list chose another unit: both spacings show in it.
    void OnSelchangeUnit(int unit);
    void OnBrowseFolder();
    // The transparent colour's controls follow option 20's box.
    void EnableTransparentColor();
    void ShowSpacings();

    CMainFrame& m_frame;
    LONG m_nVisualStyleShown; // the stored look; kept while its entry stays chosen
    struct Flag {
        int field;
        bool inverted;
        QPointer<QCheckBox> box;
    };
    std::vector<Flag> m_flags;
    QPointer<QLineEdit> m_pFolder;
    QPointer<QComboBox> m_pVisualStyle;
    QPointer<QComboBox> m_pUnit;
    QPointer<CSpacingSpinBox> m_pGridX;
    QPointer<CSpacingSpinBox> m_pGridY;
    QPointer<QLineEdit> m_pTransparentColor;
    QPointer<QLabel> m_pTransparentLabel;
};
