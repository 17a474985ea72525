#include "app/WhatSaveDialog.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

int CWhatSaveDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_WHATSAVE_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(LoadResString(IDS_WHATSAVE_PROMPT)));
    auto* group = new QButtonGroup(&dlg);
    const UINT texts[] = {IDS_WHATSAVE_WITH_IMAGE, IDS_WHATSAVE_WITHOUT_IMAGE};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(LoadResString(texts[i]));
        radio->setObjectName(i == WithImage ? QStringLiteral("withImage")
                                            : QStringLiteral("withoutImage"));
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    if (QAbstractButton* b = group->button(m_nWhat == WithoutImage ? WithoutImage : WithImage))
        b->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_nWhat = group->checkedId() == WithoutImage ? WithoutImage : WithImage;
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
