#include "app/DialogButtons.h"
#include "app/RenameDocDialog.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

int CRenameDocDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_RENAME_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    auto* label = new QLabel(LoadResString(IDS_RENAME_PROMPT));
    auto* edit = new QLineEdit(m_strName);
    edit->setObjectName(QStringLiteral("name"));
    edit->selectAll();
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_strName = edit->text();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
