#include "acquire/CaptureObjectOptionDlg.h"

#include "acquire/CaptureResource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace {
void ShowColor(QPushButton* button, const QColor& color) {
    button->setStyleSheet(QStringLiteral("background-color: %1").arg(color.name()));
}
} // namespace

bool CCaptureObjectOptionDlg::Run(CaptureObjectOptions& options) {
    DEF_TRY
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("CaptureObjectOptionDlg"));
    dialog.setWindowTitle(LoadResString(IDS_CAPTURE_OBJECT_OPTIONS));
    auto* form = new QFormLayout(&dialog);
    QColor color(GetRValue(options.crHighlight), GetGValue(options.crHighlight), GetBValue(options.crHighlight));
    auto* colorButton = new QPushButton(&dialog);
    colorButton->setObjectName(QStringLiteral("HighlightColor"));
    ShowColor(colorButton, color);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen = QColorDialog::getColor(color, &dialog);
        if (chosen.isValid()) {
            color = chosen;
            ShowColor(colorButton, color);
        }
    });
    auto* width = new QSpinBox(&dialog);
    width->setObjectName(QStringLiteral("HighlightWidth"));
    width->setRange(1, 20);
    width->setValue(std::clamp(options.nWidth, 1, 20));
    form->addRow(LoadResString(IDS_CAPTURE_OBJECT_COLOR), colorButton);
    form->addRow(LoadResString(IDS_CAPTURE_OBJECT_WIDTH), width);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    options.crHighlight = RGB(color.red(), color.green(), color.blue());
    options.nWidth = width->value();
    return true;
    DEF_CATCH
    return false;
}
