#include "acquire/ScanDialog.h"

#include "acquire/ScanWindowResource.h"
#include "app/DialogButtons.h"
#include "app/ProfileRecords.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct Paper {
    const char* name;
    UINT textId;
    double widthMm;
    double heightMm;
};

// The whole area and the custom area have no size of their own.
const Paper kPapers[] = {
    {"whole", IDS_SCAN_PAPER_WHOLE, 0, 0},         {"a4", IDS_SCAN_PAPER_A4, 210, 297},
    {"a5", IDS_SCAN_PAPER_A5, 148, 210},           {"letter", IDS_SCAN_PAPER_LETTER, 215.9, 279.4},
    {"legal", IDS_SCAN_PAPER_LEGAL, 215.9, 355.6}, {"custom", IDS_SCAN_PAPER_CUSTOM, 0, 0},
};

const char* ModeName(ScanMode mode) {
    switch (mode) {
    case ScanMode::Gray:
        return "gray";
    case ScanMode::Lineart:
        return "lineart";
    default:
        return "color";
    }
}

UINT ModeText(ScanMode mode) {
    switch (mode) {
    case ScanMode::Gray:
        return IDS_SCAN_MODE_GRAY;
    case ScanMode::Lineart:
        return IDS_SCAN_MODE_LINEART;
    default:
        return IDS_SCAN_MODE_COLOR;
    }
}

QString Key(const char* name) {
    return QString::fromLatin1(name);
}

} // namespace

QString GetScanDeviceName() {
    return Profile().GetProfileString(kSectionSettings, Key("ScanDevice"), QString());
}

void SetScanDeviceName(const QString& name) {
    Profile().WriteProfileString(kSectionSettings, Key("ScanDevice"), name);
    Profile().Sync();
}

ScanChoice ScanChoice::Load() {
    ScanChoice c;
    CSettingsStore& p = Profile();
    c.settings.source = p.GetProfileString(kSectionSettings, Key("ScanSource"), QString());
    const QString mode = p.GetProfileString(kSectionSettings, Key("ScanMode"), Key("color"));
    c.settings.mode = mode == Key("gray")      ? ScanMode::Gray
                      : mode == Key("lineart") ? ScanMode::Lineart
                                               : ScanMode::Color;
    c.settings.resolution =
        std::clamp(p.GetProfileInt(kSectionSettings, Key("ScanResolution"), 0), 0, 100000);
    c.paper = p.GetProfileString(kSectionSettings, Key("ScanPaper"), c.paper);
    const QStringList area =
        p.GetProfileString(kSectionSettings, Key("ScanArea"), QString()).split(QLatin1Char(','));
    if (area.size() == 4)
        c.settings.areaMm =
            QRectF(area[0].toDouble(), area[1].toDouble(), area[2].toDouble(), area[3].toDouble());
    c.pages = std::max(0, p.GetProfileInt(kSectionSettings, Key("ScanPages"), 0));
    return c;
}

void ScanChoice::Save() const {
    CSettingsStore& p = Profile();
    p.WriteProfileString(kSectionSettings, Key("ScanSource"), settings.source);
    p.WriteProfileString(kSectionSettings, Key("ScanMode"), Key(ModeName(settings.mode)));
    p.WriteProfileInt(kSectionSettings, Key("ScanResolution"), settings.resolution);
    p.WriteProfileString(kSectionSettings, Key("ScanPaper"), paper);
    const QRectF& a = settings.areaMm;
    p.WriteProfileString(
        kSectionSettings, Key("ScanArea"),
        a.isEmpty()
            ? QString()
            : QStringLiteral("%1,%2,%3,%4").arg(a.x()).arg(a.y()).arg(a.width()).arg(a.height()));
    p.WriteProfileInt(kSectionSettings, Key("ScanPages"), pages);
    p.Sync();
}

CScanDialog::CScanDialog(const QString& deviceLabel, const ScanOffer& offer,
                         const ScanChoice& choice, QWidget* parent)
    : QDialog(parent), m_offer(offer) {
    setObjectName(QStringLiteral("ScanDialog"));
    setWindowTitle(LoadResString(IDS_SCAN_TITLE));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    form->addRow(LoadResString(IDS_SCAN_DEVICE), new QLabel(deviceLabel, this));

    if (!offer.sources.isEmpty()) {
        m_pSource = new QComboBox(this);
        m_pSource->setObjectName(QStringLiteral("source"));
        m_pSource->addItems(offer.sources);
        QString source = choice.settings.source;
        if (source == QStringLiteral("adf")) source = offer.feederSource;
        const int at = m_pSource->findText(source);
        if (at >= 0) m_pSource->setCurrentIndex(at);
        form->addRow(LoadResString(IDS_SCAN_SOURCE), m_pSource);
        connect(m_pSource, &QComboBox::currentIndexChanged, this, [this] { SourceChanged(); });
    }

    m_pMode = new QComboBox(this);
    m_pMode->setObjectName(QStringLiteral("mode"));
    for (ScanMode mode : offer.modes) {
        m_pMode->addItem(LoadResString(ModeText(mode)), int(mode));
        if (mode == choice.settings.mode) m_pMode->setCurrentIndex(m_pMode->count() - 1);
    }
    form->addRow(LoadResString(IDS_SCAN_MODE), m_pMode);

    const int wanted =
        choice.settings.resolution > 0 ? choice.settings.resolution : offer.resolution;
    if (!offer.resolutions.isEmpty()) {
        m_pResolutionList = new QComboBox(this);
        m_pResolutionList->setObjectName(QStringLiteral("resolution"));
        int best = 0;
        for (int i = 0; i < offer.resolutions.size(); ++i) {
            m_pResolutionList->addItem(QString::number(offer.resolutions[i]), offer.resolutions[i]);
            if (std::abs(offer.resolutions[i] - wanted) <
                std::abs(offer.resolutions[best] - wanted))
                best = i;
        }
        m_pResolutionList->setCurrentIndex(best);
        form->addRow(LoadResString(IDS_SCAN_RESOLUTION), m_pResolutionList);
    } else if (offer.maxResolution > 0) {
        m_pResolution = new QSpinBox(this);
        m_pResolution->setObjectName(QStringLiteral("resolution"));
        m_pResolution->setRange(offer.minResolution, offer.maxResolution);
        m_pResolution->setValue(wanted);
        form->addRow(LoadResString(IDS_SCAN_RESOLUTION), m_pResolution);
    }

    if (offer.bedMm.width() > 0 && offer.bedMm.height() > 0) {
        m_pPaper = new QComboBox(this);
        m_pPaper->setObjectName(QStringLiteral("paper"));
        for (const Paper& paper : kPapers) {
            // A paper larger than the bed cannot be scanned whole.
            if (paper.widthMm > offer.bedMm.width() + 0.5 ||
                paper.heightMm > offer.bedMm.height() + 0.5)
                continue;
            m_pPaper->addItem(LoadResString(paper.textId), Key(paper.name));
        }
        const int at = m_pPaper->findData(choice.paper);
        if (at >= 0) m_pPaper->setCurrentIndex(at);
        form->addRow(LoadResString(IDS_SCAN_PAPER), m_pPaper);
        auto* area = new QHBoxLayout;
        const QRectF start = choice.settings.areaMm.isEmpty() ? QRectF(QPointF(0, 0), offer.bedMm)
                                                              : choice.settings.areaMm;
        const double values[4] = {start.x(), start.y(), start.width(), start.height()};
        for (int i = 0; i < 4; ++i) {
            m_pArea[i] = new QDoubleSpinBox(this);
            m_pArea[i]->setObjectName(QStringLiteral("area%1").arg(i));
            m_pArea[i]->setDecimals(1);
            m_pArea[i]->setRange(i < 2 ? 0 : 1,
                                 i % 2 == 0 ? offer.bedMm.width() : offer.bedMm.height());
            m_pArea[i]->setValue(values[i]);
            area->addWidget(m_pArea[i]);
        }
        auto* areaLabel = new QLabel(LoadResString(IDS_SCAN_AREA), this);
        areaLabel->setBuddy(m_pArea[0]);
        form->addRow(areaLabel, area);
        connect(m_pPaper, &QComboBox::currentIndexChanged, this, [this] { PaperChanged(); });
        PaperChanged();
    }

    auto* pages = new QHBoxLayout;
    m_pAllPages = new QCheckBox(LoadResString(IDS_SCAN_ALL_PAGES), this);
    m_pAllPages->setObjectName(QStringLiteral("allPages"));
    m_pAllPages->setChecked(choice.pages == 0);
    m_pPages = new QSpinBox(this);
    m_pPages->setObjectName(QStringLiteral("pages"));
    m_pPages->setRange(1, 9999);
    m_pPages->setValue(std::max(1, choice.pages));
    m_pPages->setEnabled(choice.pages != 0);
    connect(m_pAllPages, &QCheckBox::toggled, m_pPages,
            [this](bool all) { m_pPages->setEnabled(!all); });
    pages->addWidget(m_pAllPages);
    pages->addWidget(m_pPages);
    m_pPagesLabel = new QLabel(LoadResString(IDS_SCAN_PAGES), this);
    m_pPagesLabel->setBuddy(m_pPages);
    form->addRow(m_pPagesLabel, pages);

    QDialogButtonBox* buttons = AddOkCancel(*this, layout);
    buttons->button(QDialogButtonBox::Ok)->setText(LoadResString(IDS_SCAN_START));
    SourceChanged();
}

void CScanDialog::SourceChanged() {
    // Only a document feeder brings more than one page.
    m_bFeeder = m_pSource && !m_offer.feederSource.isEmpty() &&
                m_pSource->currentText() == m_offer.feederSource;
    m_pAllPages->setVisible(m_bFeeder);
    m_pPages->setVisible(m_bFeeder);
    m_pPagesLabel->setVisible(m_bFeeder);
}

void CScanDialog::PaperChanged() {
    const QString paper = m_pPaper->currentData().toString();
    const bool custom = paper == QStringLiteral("custom");
    for (QDoubleSpinBox* box : m_pArea)
        box->setEnabled(custom);
    if (custom) return;
    for (const Paper& p : kPapers) {
        if (paper != Key(p.name)) continue;
        const QSizeF size = p.widthMm > 0 ? QSizeF(p.widthMm, p.heightMm) : m_offer.bedMm;
        const double values[4] = {0, 0, size.width(), size.height()};
        for (int i = 0; i < 4; ++i)
            m_pArea[i]->setValue(values[i]);
    }
}

ScanChoice CScanDialog::GetChoice() const {
    ScanChoice c;
    if (m_pSource) c.settings.source = m_pSource->currentText();
    c.settings.mode = ScanMode(m_pMode->currentData().toInt());
    if (m_pResolutionList)
        c.settings.resolution = m_pResolutionList->currentData().toInt();
    else if (m_pResolution)
        c.settings.resolution = m_pResolution->value();
    if (m_pPaper) {
        c.paper = m_pPaper->currentData().toString();
        if (c.paper != QStringLiteral("whole"))
            c.settings.areaMm = QRectF(m_pArea[0]->value(), m_pArea[1]->value(),
                                       m_pArea[2]->value(), m_pArea[3]->value());
    }
    // Kept for the feeder also when the flatbed scans this time (one page).
    c.pages = m_pAllPages->isChecked() ? 0 : m_pPages->value();
    return c;
}

QString RunSelectScannerDialog(QWidget* parent, const QList<ScanDevice>& devices,
                               const QString& current) {
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("SelectScannerDialog"));
    dlg.setWindowTitle(LoadResString(IDS_SCAN_SELECT_TITLE));
    auto* layout = new QVBoxLayout(&dlg);
    auto* label = new QLabel(LoadResString(IDS_SCAN_SELECT_LIST), &dlg);
    layout->addWidget(label);
    auto* list = new QListWidget(&dlg);
    list->setObjectName(QStringLiteral("scanners"));
    label->setBuddy(list);
    for (const ScanDevice& device : devices) {
        auto* item = new QListWidgetItem(device.Label(), list);
        item->setData(Qt::UserRole, device.name);
        if (device.name == current) list->setCurrentItem(item);
    }
    if (!list->currentItem()) list->setCurrentRow(0);
    layout->addWidget(list);
    AddOkCancel(dlg, layout);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dlg, &QDialog::accept);
    if (dlg.exec() != QDialog::Accepted || !list->currentItem()) return QString();
    return list->currentItem()->data(Qt::UserRole).toString();
}
