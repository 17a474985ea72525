#pragma once
// CPrintSetupDialog: chooses the application's printer and its paper and orientation. The caller
// sets and reads m_strPrinter and m_devMode around DoModal().

#include "app/PrinterSettings.h"
#include "platform/DialogService.h"

#include <QString>

class CPrintSetupDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CPrintSetupDialog"); }
    int RunWidget(QWidget* parent) override;

    QString m_strPrinter;
    DevModeRecord m_devMode;
};
