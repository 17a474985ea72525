#include "app/PdfOpenDialog.h"

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

bool CPdfOpenDialog::ParseDpi(const QString& text, int nMin, int nMax, int& value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok || v < nMin || v > nMax)
        return false;
    value = v;
    return true;
}

int CPdfOpenDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setObjectName(DialogName());
    dlg.setWindowTitle(LoadResString(IDS_PDF_OPEN_CAPTION).arg(m_strFileName));
    auto* layout = new QVBoxLayout(&dlg);
    auto* label = new QLabel(LoadResString(IDS_PDF_OPEN_PROMPT));
    auto* edit = new QLineEdit(QString::number(m_nDpi));
    edit->setObjectName(QStringLiteral("resolution"));
    edit->setMaxLength(5);
    edit->selectAll();
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    int value = m_nDpi;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
        if (ParseDpi(edit->text(), m_nMinDpi, m_nMaxDpi, value))
            dlg.accept();
        else
            ErrorBox(LoadResString(IDS_PDF_OPEN_INVALID).arg(m_nMinDpi).arg(m_nMaxDpi));
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_nDpi = value;
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
