#include "app/PrintDialog.h"

#include "platform/Guard.h"
#include "platform/WinTypes.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

int CPrintDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    if (!m_pPrinter) return IDCANCEL;
    QPrintDialog dlg(m_pPrinter, parent);
    // Page numbers and copies; a page has no selection to print.
    dlg.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCollateCopies |
                   QAbstractPrintDialog::PrintShowPageSize);
    dlg.setMinMax(m_nMinPage, m_nMaxPage);
    dlg.setFromTo(m_nFromPage, m_nToPage);
    m_pPrinter->setPrintRange(QPrinter::AllPages);
    if (dlg.exec() != QDialog::Accepted) return IDCANCEL;
    if (m_pPrinter->printRange() == QPrinter::PageRange && m_pPrinter->fromPage() > 0) {
        m_nFromPage = std::max(m_nMinPage, m_pPrinter->fromPage());
        m_nToPage = std::min(m_nMaxPage, std::max(m_nFromPage, m_pPrinter->toPage()));
    } else {
        m_nFromPage = m_nMinPage;
        m_nToPage = m_nMaxPage;
    }
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}

int CPrintPreviewDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    if (!m_pPrinter || !m_paint) return IDCANCEL;
    QPrintPreviewDialog dlg(m_pPrinter, parent);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [this](QPrinter* printer) { m_paint(printer); });
    return dlg.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    DEF_CATCH
    return IDCANCEL;
}
