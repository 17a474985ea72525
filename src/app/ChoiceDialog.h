#pragma once
// The body of the small dialogs that ask for one of a few choices: a caption, an optional prompt,
// one radio button per choice, OK and Cancel.

#include "platform/WinTypes.h"

#include <QString>
#include <vector>

class QWidget;

struct ChoiceItem {
    UINT nTextId;     // the string of the button's text
    QString strName;  // the button's object name, for scripts
};

// Shows the choices with `nChoice` selected (the first when out of range); on OK `nChoice` becomes
// the index chosen. IDOK or IDCANCEL.
int RunChoiceDialog(QWidget* parent, const QString& caption, const QString& prompt,
                    const std::vector<ChoiceItem>& choices, int& nChoice);
