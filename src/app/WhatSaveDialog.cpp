#include "app/WhatSaveDialog.h"

#include "app/ChoiceDialog.h"
#include "app/Resource.h"
#include "platform/ResourceModule.h"

int CWhatSaveDialog::RunWidget(QWidget* parent) {
    return RunChoiceDialog(parent, LoadResString(IDS_WHATSAVE_CAPTION),
                           LoadResString(IDS_WHATSAVE_PROMPT),
                           {{IDS_WHATSAVE_WITH_IMAGE, QStringLiteral("withImage")},
                            {IDS_WHATSAVE_WITHOUT_IMAGE, QStringLiteral("withoutImage")}},
                           m_nWhat);
}
