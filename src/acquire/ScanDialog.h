#pragma once
// The program's own scan dialog in place of a scanner's: source, colour mode, resolution, paper
// size or area, and for a document feeder how many pages. It shows only what the open device
// offers and remembers the last choices in the settings. The scanner choice of Select Scanner is
// here too.

#include "acquire/SaneScanner.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

struct ScanChoice {
    ScanSettings settings;
    // The paper size chosen by name ("whole", "a4", "a5", "letter", "legal", "custom").
    QString paper = QStringLiteral("whole");
    // Pages to scan from a feeder; 0 until the feeder is empty. A flatbed scans one page.
    int pages = 0;

    static ScanChoice Load();
    void Save() const;
};

// The scanner the scan commands use ("" the first one found).
QString GetScanDeviceName();
void SetScanDeviceName(const QString& name);

class CScanDialog : public QDialog {
    Q_OBJECT
public:
    CScanDialog(const QString& deviceLabel, const ScanOffer& offer, const ScanChoice& choice,
                QWidget* parent);
    ScanChoice GetChoice() const;

private:
    void SourceChanged();
    void PaperChanged();

    const ScanOffer& m_offer;
    QComboBox* m_pSource = nullptr;
    QComboBox* m_pMode = nullptr;
    QComboBox* m_pResolutionList = nullptr;
    QSpinBox* m_pResolution = nullptr;
    QComboBox* m_pPaper = nullptr;
    QDoubleSpinBox* m_pArea[4] = {};
    QCheckBox* m_pAllPages = nullptr;
    QSpinBox* m_pPages = nullptr;
    QLabel* m_pPagesLabel = nullptr;
    bool m_bFeeder = false;
};

// Lets the user pick one of `devices`; the chosen name, or an empty string when cancelled.
QString RunSelectScannerDialog(QWidget* parent, const QList<ScanDevice>& devices,
                               const QString& current);
