#include "app/DialogButtons.h"
#include "app/ImageFormatDialogs.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kDepths[] = {1, 4, 8, 24};
constexpr UINT kDepthTexts[] = {IDS_BITDEPTH_1, IDS_BITDEPTH_4, IDS_BITDEPTH_8, IDS_BITDEPTH_24};
constexpr int kDepthCount = 4;

// One radio button per colour depth, in a group titled `title`; object names "depth1" ... "depth24".
QButtonGroup* AddDepthChoices(QDialog& dlg, QVBoxLayout* layout, const QString& title, int choice) {
    auto* box = new QGroupBox(title);
    auto* boxLayout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(&dlg);
    for (int i = 0; i < kDepthCount; ++i) {
        auto* radio = new QRadioButton(LoadResString(kDepthTexts[i]));
        radio->setObjectName(QStringLiteral("depth%1").arg(kDepths[i]));
        group->addButton(radio, i);
        boxLayout->addWidget(radio);
    }
    if (QAbstractButton* b = group->button(BitDepthToChoice(ChoiceToBitDepth(choice))))
        b->setChecked(true);
    layout->addWidget(box);
    return group;
}
} // namespace

int BitDepthToChoice(int bitsPerPixel) {
    for (int i = 0; i < kDepthCount; ++i)
        if (kDepths[i] == bitsPerPixel)
            return i;
    return 0;
}

int ChoiceToBitDepth(int choice) {
    return choice >= 0 && choice < kDepthCount ? kDepths[choice] : kDepths[0];
}

int CBitDepthDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_BITDEPTH_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    QButtonGroup* depths = AddDepthChoices(dlg, layout, QString(), m_nBitDepth);
    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_nBitDepth = std::max(0, depths->checkedId());
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}

int CJpegOptionsDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_JPEG_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(LoadResString(IDS_JPEG_QUALITY)));
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(QStringLiteral("level"));
    slider->setRange(0, kMaxLevel);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setValue(std::clamp(m_nLevel, 0, kMaxLevel));
    layout->addWidget(slider);
    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel(LoadResString(IDS_JPEG_BEST)));
    ends->addStretch(1);
    ends->addWidget(new QLabel(LoadResString(IDS_JPEG_SMALLEST)));
    layout->addLayout(ends);
    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_nLevel = slider->value();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}

int CTIFFOptions2::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_TIFF_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);

    auto* compressionBox = new QGroupBox(LoadResString(IDS_TIFF_COMPRESSION));
    auto* compressionLayout = new QVBoxLayout(compressionBox);
    auto* compression = new QButtonGroup(&dlg);
    const UINT texts[] = {IDS_TIFF_NONE, IDS_TIFF_PACKBITS, IDS_TIFF_FAX};
    for (int i = None; i <= Fax; ++i) {
        auto* radio = new QRadioButton(LoadResString(texts[i]));
        radio->setObjectName(QStringLiteral("compression%1").arg(i));
        compression->addButton(radio, i);
        compressionLayout->addWidget(radio);
    }
    const int start = m_nCompression >= None && m_nCompression <= Fax ? m_nCompression : None;
    compression->button(start)->setChecked(true);
    layout->addWidget(compressionBox);

    QButtonGroup* depths = AddDepthChoices(dlg, layout, LoadResString(IDS_TIFF_DEPTH), m_nBitDepth);
    // The fax format is one-bit only: it takes 1 bit and leaves no other depth to choose.
    const auto followCompression = [compression, depths] {
        const bool fax = compression->checkedId() == Fax;
        if (fax)
            depths->button(0)->setChecked(true);
        for (int i = 1; i < kDepthCount; ++i)
            depths->button(i)->setEnabled(!fax);
    };
    QObject::connect(compression, &QButtonGroup::idClicked, &dlg, followCompression);
    followCompression();

    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_nCompression = compression->checkedId();
    m_nBitDepth = std::max(0, depths->checkedId());
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
