#include "app/PdfPasswordDialog.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

int CPdfPasswordDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setObjectName(DialogName());
    dlg.setWindowTitle(LoadResString(IDS_PDF_PASSWORD_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    auto* label = new QLabel(LoadResString(IDS_PDF_PASSWORD_PROMPT).arg(m_strFileName));
    auto* edit = new QLineEdit;
    edit->setObjectName(QStringLiteral("password"));
    edit->setEchoMode(QLineEdit::Password);
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_strPassword = edit->text();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
