#include "app/TipDlg.h"

#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "platform/DataPaths.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace {
constexpr int kTipBufferSize = 1000;
}

CTipReader::~CTipReader() {
    if (m_file)
        std::fclose(m_file);
}

QString CTipReader::FileTimeStamp(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    char buf[64] = {};
    const std::time_t t = st.st_mtime;
    if (!ctime_r(&t, buf))
        return {};
    return QString::fromLatin1(buf).trimmed();
}

bool CTipReader::Open(const QString& path) {
    DEF_TRY
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file)
        return false;
    const QString stamp = FileTimeStamp(path);
    const QString stored = Profile().GetProfileString(kSectionTip, QStringLiteral("TimeStamp"));
    long pos = 0;
    if (stamp != stored)
        Profile().WriteProfileString(kSectionTip, QStringLiteral("TimeStamp"), stamp);
    else
        pos = Profile().GetProfileInt(kSectionTip, QStringLiteral("FilePos"), 0);
    if (pos < 0 || std::fseek(m_file, pos, SEEK_SET) != 0)
        std::fseek(m_file, 0, SEEK_SET);
    return true;
    DEF_CATCH
    return false;
}

bool CTipReader::ReadTipFromHere(QString& tip) {
    char buf[kTipBufferSize];
    while (std::fgets(buf, kTipBufferSize, m_file)) {
        const char c = buf[0];
        if (c == '\t' || c == '\n' || c == ' ' || c == ';' || c == '\0')
            continue;
        tip = QString::fromLocal8Bit(buf).trimmed();
        return true;
    }
    return false;
}

bool CTipReader::GetNextTip(QString& tip) {
    DEF_TRY
    if (!m_file)
        return false;
    if (ReadTipFromHere(tip))
        return true;
    // End of the file: start again at its beginning, once.
    if (std::fseek(m_file, 0, SEEK_SET) != 0)
        return false;
    std::clearerr(m_file);
    return ReadTipFromHere(tip);
    DEF_CATCH
    return false;
}

long CTipReader::Position() const { return m_file ? std::ftell(m_file) : 0; }

void CTipReader::SavePosition() const {
    if (m_file)
        Profile().WriteProfileInt(kSectionTip, QStringLiteral("FilePos"), int(Position()));
}

CTipDlg::CTipDlg() {
    m_bStartup = Profile().GetProfileInt(kSectionTip, QStringLiteral("StartUp"), 0) == 0;
    m_reader.Open(GetProgramDataDir() + QStringLiteral("/tips.txt"));
    NextTip();
}

void CTipDlg::NextTip() {
    if (!m_reader.GetNextTip(m_strTip))
        m_strTip = LoadResString(IDS_TIP_FILE_ABSENT);
}

void CTipDlg::OnClose() {
    Profile().WriteProfileInt(kSectionTip, QStringLiteral("StartUp"), m_bStartup ? 0 : 1);
    m_reader.SavePosition();
}

int CTipDlg::RunWidget(QWidget* parent) {
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_TIP_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    auto* head = new QLabel(QStringLiteral("<b>%1</b>").arg(LoadResString(IDS_TIP_DIDYOUKNOW)));
    auto* text = new QLabel(m_strTip);
    text->setWordWrap(true);
    text->setMinimumSize(360, 80);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* startup = new QCheckBox(LoadResString(IDS_TIP_SHOW_AT_STARTUP));
    startup->setChecked(m_bStartup);
    auto* buttons = new QHBoxLayout;
    auto* prev = new QPushButton(LoadResString(IDS_TIP_PREVIOUS));
    auto* next = new QPushButton(LoadResString(IDS_TIP_NEXT));
    auto* close = new QPushButton(LoadResString(IDS_TIP_CLOSE));
    buttons->addWidget(startup);
    buttons->addStretch(1);
    for (QPushButton* b : {prev, next, close})
        buttons->addWidget(b);
    close->setDefault(true);
    close->setFocus();
    // Both buttons show the next tip: the file is read forward only.
    for (QPushButton* b : {next, prev})
        QObject::connect(b, &QPushButton::clicked, &dlg, [this, text] {
            NextTip();
            text->setText(m_strTip);
        });
    QObject::connect(close, &QPushButton::clicked, &dlg, &QDialog::accept);
    layout->addWidget(head);
    layout->addWidget(text, 1);
    layout->addLayout(buttons);
    dlg.exec();
    m_bStartup = startup->isChecked();
    OnClose();
    return IDOK;
}

void ShowTipAtStartup() {
    DEF_TRY
    CTipDlg dlg;
    if (dlg.ShouldShowAtStartup())
        dlg.DoModal();
    DEF_CATCH
}
