#pragma once
// CSendFaxDialog: chooses the fax printer a document is printed to. The caller fills m_printers
// (name and port of every printer) and m_nSelected, and reads m_nSelected back on IDOK.

#include "platform/DialogService.h"

#include <QString>
#include <vector>

struct FaxPrinterEntry {
    QString name;
    QString port; // the printer's location or device
};

class CSendFaxDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CSendFaxDialog"); }
    int RunWidget(QWidget* parent) override;

    // Every installed printer, in the order the print system lists them.
    static std::vector<FaxPrinterEntry> ListPrinters();
    // The entry named `name`; the first when none is (0 for an empty list).
    static int PreselectedIndex(const std::vector<FaxPrinterEntry>& printers, const QString& name);

    std::vector<FaxPrinterEntry> m_printers;
    int m_nSelected = 0;
};
