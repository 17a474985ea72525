#pragma once
// CRenameDocDialog: edits the name of a document (its title without extension).

#include "platform/DialogService.h"

#include <QString>

class CRenameDocDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CRenameDocDialog"); }
    int RunWidget(QWidget* parent) override;

    QString m_strName;
};
