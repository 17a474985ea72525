#pragma once
// The colour box of the text style bar: a button showing the chosen colour, whose menu offers a
// palette of sixteen named colours in 8 columns, "Auto", and a button for any other colour. It
// starts with no colour chosen. Only a choice of the user is reported.

#include "platform/DialogService.h"
#include "platform/WinTypes.h"

#include <QToolButton>
#include <optional>

class CColorBox : public QToolButton {
    Q_OBJECT
public:
    // The colour of "Auto": the device's own text colour.
    static constexpr COLORREF kAutoColor = 0x20000000;

    explicit CColorBox(QWidget* parent = nullptr);

    bool HasColor() const { return m_color.has_value(); }
    // The chosen colour; 0 while none is chosen.
    COLORREF GetColor() const { return m_color.value_or(0); }
    // Shows the colour without reporting it.
    void SetColor(COLORREF color);

Q_SIGNALS:
    void colorChosen(COLORREF color);

private:
    void BuildMenu();
    void Choose(COLORREF color);
    void ChooseOther();
    void UpdateIcon();

    std::optional<COLORREF> m_color;
};

// The system's colour dialog behind the box's button for any other colour.
class CColorDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CColorDialog"); }
    int RunWidget(QWidget* parent) override;

    COLORREF m_color = 0;
};
