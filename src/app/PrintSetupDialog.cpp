#include "app/PrintSetupDialog.h"

#include "app/DialogButtons.h"
#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPageSize>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// The paper sizes a printer offers, its default first when it names none of them.
void FillPaper(QComboBox* paper, const QString& printerName, int selectedId) {
    paper->clear();
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    QList<QPageSize> sizes = info.supportedPageSizes();
    if (sizes.isEmpty())
        sizes = {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)};
    int index = -1;
    for (const QPageSize& size : sizes) {
        if (size.id() == QPageSize::Custom) continue;
        if (size.id() == selectedId) index = paper->count();
        paper->addItem(size.name(), int(size.id()));
    }
    if (index < 0) index = paper->findData(int(info.defaultPageSize().id()));
    paper->setCurrentIndex(std::max(0, index));
}
} // namespace

int CPrintSetupDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_PRINT_SETUP_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    auto* form = new QFormLayout;
    auto* printer = new QComboBox;
    printer->setObjectName(QStringLiteral("printer"));
    printer->addItems(QPrinterInfo::availablePrinterNames());
    printer->setCurrentIndex(std::max(0, printer->findText(m_strPrinter)));
    auto* where = new QLabel;
    auto* paper = new QComboBox;
    paper->setObjectName(QStringLiteral("paper"));
    form->addRow(LoadResString(IDS_PRINT_SETUP_PRINTER), printer);
    form->addRow(LoadResString(IDS_PRINT_SETUP_LOCATION), where);
    form->addRow(LoadResString(IDS_PRINT_SETUP_PAPER), paper);
    auto* portrait = new QRadioButton(LoadResString(IDS_PRINT_SETUP_PORTRAIT));
    auto* landscape = new QRadioButton(LoadResString(IDS_PRINT_SETUP_LANDSCAPE));
    (m_devMode.orientation == 1 ? landscape : portrait)->setChecked(true);
    auto* orientation = new QVBoxLayout;
    orientation->addWidget(portrait);
    orientation->addWidget(landscape);
    form->addRow(LoadResString(IDS_PRINT_SETUP_ORIENTATION), orientation);
    layout->addLayout(form);
    AddOkCancel(dlg, layout);
    const auto printerChanged = [&, this] {
        const QPrinterInfo info = QPrinterInfo::printerInfo(printer->currentText());
        where->setText(info.location().isEmpty() ? info.description() : info.location());
        FillPaper(paper, printer->currentText(),
                  printer->currentText() == m_strPrinter ? m_devMode.pageSizeId : -1);
    };
    QObject::connect(printer, &QComboBox::currentIndexChanged, &dlg, printerChanged);
    printerChanged();
    if (dlg.exec() != QDialog::Accepted || printer->currentText().isEmpty())
        return IDCANCEL;
    if (printer->currentText() != m_strPrinter) m_devMode = DevModeRecord{};
    m_strPrinter = printer->currentText();
    m_devMode.pageSizeId = paper->currentData().toInt();
    m_devMode.orientation = landscape->isChecked() ? 1 : 0;
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
