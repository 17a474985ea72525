#include "app/ImageResolution.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

bool CImageResolution::IsAcceptableEdit(const QString& text) {
    if (text.size() > kMaxChars)
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool CImageResolution::ParseResolution(const QString& text, int& value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok || v == 0)
        return false;
    value = v;
    return true;
}

int CImageResolution::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_RESOLUTION_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    auto* label = new QLabel(LoadResString(IDS_RESOLUTION_PROMPT));
    auto* edit = new QLineEdit(m_strResolution.left(kMaxChars));
    edit->setObjectName(QStringLiteral("resolution"));
    edit->setMaxLength(kMaxChars);
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    // An edit that would not be a whole number is taken back as soon as it is made.
    QString last = edit->text();
    QObject::connect(edit, &QLineEdit::textEdited, &dlg, [edit, &last](const QString& text) {
        if (IsAcceptableEdit(text))
            last = text;
        else
            edit->setText(last);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&dlg, edit] {
        int value = 0;
        if (ParseResolution(edit->text(), value))
            dlg.accept();
        else
            ErrorBox(IDS_RESOLUTION_INVALID); // the dialog stays for a better number
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_strResolution = edit->text();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
