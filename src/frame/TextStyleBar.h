#pragma once
// CTextStyleBar: the controls of the text style bar and the current text style they show and
// edit (font name, size, character set, bold, italic, underline, colour, stepped text with its
// character pitch, alignment, orientation, line width) together with the tab-order box. The
// bar's description in the resource module places the controls: the check buttons are commands,
// the other controls "WIDGET name" lines that CreateControl makes.
//
// Every control command updates the current style, sets the change code that names the property
// it changed, and hands the style to the active view, whose text objects copy only that property;
// the code is 0 again afterwards. In the other direction, the view shows the style of a text
// object that becomes active (SetTextStyle), which sends nothing back.

#include "app/CommandTarget.h"
#include "platform/WinTypes.h"
#include "view/ViewTextStyle.h"

#include <QObject>
#include <QPointer>
#include <functional>

class CColorBox;
class CLumidorView;
class CSpinButtons;
class CStyleSelector;
class QComboBox;
class QLineEdit;
class QWidget;

class CTextStyleBar : public QObject {
    Q_OBJECT
public:
    // What the bar needs of the main window.
    struct Host {
        std::function<CLumidorView*()> activeView; // null without a document window
        std::function<int()> programMode;
        std::function<int()> unit;           // the measurement unit of the options
        std::function<void()> requestUpdate; // the commands' states, after this event
    };
    // Starts from the stored style ("TEXTSTYLEBARSETTINGS").
    CTextStyleBar(Host host, QWidget* window);

    // The control of a "WIDGET name" line ("fontname", "fontsize", "charset", "color", "pitch",
    // "pitchspin", "alignment", "orientation", "linewidth", "taborder"), showing the current
    // style; null for any other name.
    QWidget* CreateControl(const QString& name, QWidget* parent);
    // The check buttons' commands and states.
    void RegisterCommands(CCommandMap& map);
    // How a view reads the current style and change code and shows its objects in the bar; it
    // shows them only while it is the active view.
    TextStyleLink MakeLink(CLumidorView* view);
    // A document window became active (or the last one went): the bar shows its active object.
    void ActiveViewChanged(CLumidorView* view);

    const TEXTSTYLE& GetTextStyle() const { return m_style; }
    int GetChangeCode() const { return m_nChangeCode; }
    // Takes the style and shows it: the font controls only when its character set is one of the
    // box's, then size, colour, pitch with the stepped flag, alignment and rotation.
    void SetTextStyle(const TEXTSTYLE& style);
    void SaveSettings() const;

    // The edit field's pitch in text units; false, and the current pitch shown again, when the
    // text is not a number of at least 0.
    bool GetCharPitch(int& nPitch);
    // Shows the pitch in the current unit; the edit field and the spin buttons follow the
    // stepped flag.
    void SetCharPitch(int nPitch);
    // The colour box's colour (0 while none is chosen).
    COLORREF GetLineColor() const;
    int GetLineWidth() const { return m_nLineWidth; }
    // Shows the width (text units): its entry, or no entry when the list has none.
    void SetLineWidth(int nWidth);
    QString GetTabOrderText() const;
    void SetTabOrderText(const QString& text);

    // The control commands.
    void OnButtonBold();
    void OnButtonItalic();
    void OnButtonUnderline();
    void OnSelchangeComboFontName();
    void OnSelchangeComboCharSet();
    void OnSelchangeComboFontSize();
    void OnButtonPitch();
    void OnChangeEditPitch();
    void OnDeltaposSpinPitch(int direction);
    void OnStylebarAlignment();
    void OnStylebarOrientation();
    void OnSelchangeComboFontColor();
    void OnSelchangeComboLineColor() { OnSelchangeComboFontColor(); }
    void OnSelchangeComboLineWidth();

Q_SIGNALS:
    // Enter in the tab-order box: the active view sets the active object's tab order from it.
    void tabOrderEntered();

protected:
    // Escape in the bar's edit fields, and Tab in the tab-order box, give the keyboard back.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sets the change code, hands the style to the active view, sets the code back to 0.
    void Deliver(int nCode);
    // Italic and underline: the flag flips and is delivered.
    void ToggleFontFlag(BYTE& flag, bool& shown, int nCode);
    void TextStyleChanged();
    // The face, character set, bold, italic and underline of the current style.
    void ShowFont();
    void ShowSize();
    // Alignment and rotation.
    void ShowPlacement();
    void FocusView();
    int Unit() const;
    CLumidorView* ActiveView() const;
    void RequestUpdate() const;

    Host m_host;
    QWidget* m_pWindow;
    TEXTSTYLE m_style;
    int m_nChangeCode = 0;
    int m_nLineWidth = 0;
    // What the check buttons show: a style whose character set the box does not know leaves them.
    bool m_bShownBold = false;
    bool m_bShownItalic = false;
    bool m_bShownUnderline = false;

    QPointer<QComboBox> m_pFontName;
    QPointer<QComboBox> m_pFontSize;
    QPointer<QComboBox> m_pCharSet;
    QPointer<CColorBox> m_pColor;
    QPointer<QLineEdit> m_pPitch;
    QPointer<CSpinButtons> m_pPitchSpin;
    QPointer<CStyleSelector> m_pAlignment;
    QPointer<CStyleSelector> m_pOrientation;
    QPointer<QComboBox> m_pLineWidth;
    QPointer<QLineEdit> m_pTabOrder;
};
