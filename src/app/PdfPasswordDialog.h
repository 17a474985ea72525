#pragma once
// CPdfPasswordDialog: the password of an encrypted PDF file, typed hidden.

#include "platform/DialogService.h"

#include <QString>

class CPdfPasswordDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CPdfPasswordDialog"); }
    int RunWidget(QWidget* parent) override;

    QString m_strFileName; // named in the prompt
    QString m_strPassword;
};
