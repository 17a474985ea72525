#pragma once
// The print dialog and the print preview, reached through the dialog service like every dialog.
//
// CPrintDialog: the printer, the page range (1-based) and the copies of one print. The caller
// sets the printer and the range around DoModal(); on IDOK the printer holds the user's choice
// of printer, paper and copies, and m_nFromPage..m_nToPage the pages to print.
//
// CPrintPreviewDialog: shows the pages that m_paint draws on the printer it is given.

#include "platform/DialogService.h"

#include <functional>

class QPrinter;

class CPrintDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CPrintDialog"); }
    int RunWidget(QWidget* parent) override;

    QPrinter* m_pPrinter = nullptr;
    int m_nMinPage = 1, m_nMaxPage = 1;
    int m_nFromPage = 1, m_nToPage = 1;
};

class CPrintPreviewDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CPrintPreviewDialog"); }
    int RunWidget(QWidget* parent) override;

    QPrinter* m_pPrinter = nullptr;
    std::function<void(QPrinter*)> m_paint;
};
