#include "app/DialogButtons.h"
#include "app/ChoiceDialog.h"

#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

int RunChoiceDialog(QWidget* parent, const QString& caption, const QString& prompt,
                    const std::vector<ChoiceItem>& choices, int& nChoice) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dlg);
    if (!prompt.isEmpty())
        layout->addWidget(new QLabel(prompt));
    auto* group = new QButtonGroup(&dlg);
    for (size_t i = 0; i < choices.size(); ++i) {
        auto* radio = new QRadioButton(LoadResString(choices[i].nTextId));
        radio->setObjectName(choices[i].strName);
        group->addButton(radio, int(i));
        layout->addWidget(radio);
    }
    if (QAbstractButton* b = group->button(nChoice >= 0 && size_t(nChoice) < choices.size() ? nChoice : 0))
        b->setChecked(true);
    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    nChoice = group->checkedId() >= 0 ? group->checkedId() : 0;
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
