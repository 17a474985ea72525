#include "app/SendFaxDialog.h"

#include "app/DialogButtons.h"
#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPrinterInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

std::vector<FaxPrinterEntry> CSendFaxDialog::ListPrinters() {
    std::vector<FaxPrinterEntry> list;
    DEF_TRY
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        list.push_back(FaxPrinterEntry{info.printerName(), info.location()});
    DEF_CATCH
    return list;
}

int CSendFaxDialog::PreselectedIndex(const std::vector<FaxPrinterEntry>& printers,
                                     const QString& name) {
    for (std::size_t i = 0; i < printers.size(); ++i)
        if (printers[i].name == name) return int(i);
    return 0;
}

int CSendFaxDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_FAX_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(LoadResString(IDS_FAX_PROMPT)));
    auto* list = new QTreeWidget;
    list->setObjectName(QStringLiteral("printers"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({LoadResString(IDS_FAX_COLUMN_NAME), LoadResString(IDS_FAX_COLUMN_PORT)});
    for (const FaxPrinterEntry& e : m_printers)
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{e.name, e.port}));
    if (m_nSelected >= 0 && m_nSelected < list->topLevelItemCount())
        list->setCurrentItem(list->topLevelItem(m_nSelected));
    list->header()->resizeSections(QHeaderView::ResizeToContents);
    layout->addWidget(list);
    AddOkCancel(dlg, layout);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, &dlg, &QDialog::accept);
    if (dlg.exec() != QDialog::Accepted || !list->currentItem())
        return IDCANCEL;
    m_nSelected = list->indexOfTopLevelItem(list->currentItem());
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
