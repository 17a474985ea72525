#include "document/Recovery.h"

#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocFile.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "platform/DataPaths.h"
#include "platform/ErrorLog.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/types.h>

namespace {

// What a copy says of its document, beside it: the title, the file it belongs to, the program
// that wrote it.
bool WriteInfo(const QString& path, const QString& title, const QString& original) {
    QJsonObject o;
    o.insert(QStringLiteral("title"), title);
    o.insert(QStringLiteral("path"), original);
    o.insert(QStringLiteral("pid"), QCoreApplication::applicationPid());
    o.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
    return f.commit();
}

// A small file from the recovery folder; anything larger than an info file can be is ignored.
QJsonObject ReadInfo(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024)
        return {};
    const QJsonDocument d = QJsonDocument::fromJson(f.readAll());
    return d.isObject() ? d.object() : QJsonObject();
}

} // namespace

CRecoveryManager::CRecoveryManager(CDocManager* manager, int intervalMs, QObject* parent)
    : QObject(parent), m_pManager(manager) {
    if (intervalMs < 0) {
        bool ok = false;
        const int seconds = qEnvironmentVariableIntValue("BRELLIN_RECOVERY_SECONDS", &ok);
        intervalMs = ok && seconds > 0 ? seconds * 1000 : 60 * 1000;
    }
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CRecoveryManager::SnapshotNow);
    m_timer.start();
    if (m_pManager) {
        connect(m_pManager, &CDocManager::documentAdded, this, &CRecoveryManager::Track);
        connect(m_pManager, &CDocManager::documentRemoved, this, &CRecoveryManager::Forget);
    }
}

CRecoveryManager::~CRecoveryManager() {
    WaitForWriters();
    // A normal end leaves no copy: every document was saved or closed by the user's choice.
    for (const Entry& e : m_entries)
        RemoveFiles(e.base);
}

QString CRecoveryManager::GetRecoveryDir() { return GetUserDataDir() + QStringLiteral("/recovery"); }

bool CRecoveryManager::IsProcessAlive(qint64 pid) {
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

CRecoveryManager::Entry& CRecoveryManager::EntryFor(CLumidorDoc* doc) {
    auto it = m_entries.find(doc);
    if (it == m_entries.end()) {
        Entry e;
        e.doc = doc;
        e.base = GetRecoveryDir() + QStringLiteral("/%1-%2").arg(QCoreApplication::applicationPid()).arg(m_nNext++);
        it = m_entries.insert(doc, e);
    }
    return *it;
}

void CRecoveryManager::Track(CLumidorDoc* doc) {
    DEF_TRY
    if (!doc)
        return;
    EntryFor(doc);
    // A save (or a revert to unmodified) takes the copy away.
    connect(doc, &CLumidorDoc::modifiedChanged, this, [this, doc](bool modified) {
        if (modified || !m_entries.contains(doc))
            return;
        Entry& e = m_entries[doc];
        RemoveFiles(e.base);
        e.nSavedChange = 0;
    });
    DEF_CATCH
}

void CRecoveryManager::Forget(CLumidorDoc* doc) {
    DEF_TRY
    const auto it = m_entries.find(doc);
    if (it == m_entries.end())
        return;
    RemoveFiles(it->base);
    m_entries.erase(it);
    DEF_CATCH
}

void CRecoveryManager::RemoveFiles(const QString& base) {
    {
        // A worker still writing this copy removes it once written.
        std::lock_guard<std::mutex> lock(m_lock);
        m_removed.push_back(base);
    }
    QFile::remove(base + QStringLiteral(".brf"));
    QFile::remove(base + QStringLiteral(".info"));
}

void CRecoveryManager::SnapshotNow() {
    DEF_TRY
    QDir().mkpath(GetRecoveryDir());
    for (Entry& e : m_entries) {
        CLumidorDoc* doc = e.doc;
        if (!doc || !doc->IsModified() || doc->GetChangeCount() == e.nSavedChange ||
            IsBeingWritten(e.base))
            continue;
        e.nSavedChange = doc->GetChangeCount();
        std::shared_ptr<CDocFileSnapshot> snapshot = TakeDocFileSnapshot(*doc);
        const QString base = e.base;
        const QString title = doc->GetTitle();
        const QString original = doc->GetPathName();
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_removed.erase(std::remove(m_removed.begin(), m_removed.end(), base), m_removed.end());
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([this, snapshot, base, title, original, done] {
            QString error;
            const bool ok = WriteDocFileSnapshot(*snapshot, base + QStringLiteral(".brf"), &error) &&
                            WriteInfo(base + QStringLiteral(".info"), title, original);
            std::lock_guard<std::mutex> lock(m_lock);
            // The document was saved or closed while its copy was being written.
            if (std::find(m_removed.begin(), m_removed.end(), base) != m_removed.end()) {
                QFile::remove(base + QStringLiteral(".brf"));
                QFile::remove(base + QStringLiteral(".info"));
            } else if (!ok) {
                WriteLog(QStringLiteral("Recovery copy not written: %1").arg(error));
            }
            done->store(true);
        });
        m_writers.push_back(Writer{std::move(thread), base, done});
    }
    CollectWriters(false);
    DEF_CATCH
}

bool CRecoveryManager::IsBeingWritten(const QString& base) const {
    return std::any_of(m_writers.begin(), m_writers.end(),
                       [&](const Writer& w) { return w.base == base && !w.done->load(); });
}

void CRecoveryManager::CollectWriters(bool bAll) {
    for (auto it = m_writers.begin(); it != m_writers.end();) {
        if (bAll || it->done->load()) {
            if (it->thread.joinable())
                it->thread.join();
            it = m_writers.erase(it);
        } else {
            ++it;
        }
    }
}

void CRecoveryManager::WaitForWriters() { CollectWriters(true); }

int CRecoveryManager::OfferRecovery() {
    DEF_TRY
    QDir dir(GetRecoveryDir());
    int restored = 0;
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.info")}, QDir::Files, QDir::Name)) {
        const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
        const QJsonObject meta = ReadInfo(info.absoluteFilePath());
        const qint64 pid = meta.value(QStringLiteral("pid")).toInteger(-1);
        if (pid == QCoreApplication::applicationPid() || IsProcessAlive(pid))
            continue; // another copy of the program is running and keeps its own copies
        QString title = meta.value(QStringLiteral("title")).toString();
        if (title.isEmpty())
            title = info.completeBaseName();
        const QString copy = base + QStringLiteral(".brf");
        if (YesNoBox(LoadResString(IDS_RECOVER_QUESTION).arg(title)) != IDYES) {
            QFile::remove(copy);
            QFile::remove(info.absoluteFilePath());
            continue;
        }
        auto doc = std::make_unique<CLumidorDoc>();
        bool opened = false;
        if (QFileInfo(copy).isFile()) {
            // A damaged copy is reported once, as lost, not with the reader's own message.
            const CMessagesHeldBack quiet;
            opened = doc->OnOpenDocument(copy) != FALSE;
        }
        if (!opened) {
            ErrorBox(LoadResString(IDS_RECOVER_LOST).arg(title));
        } else {
            const QString original = meta.value(QStringLiteral("path")).toString();
            if (!original.isEmpty())
                doc->SetPathName(original, FALSE);
            doc->SetTitle(title);
            doc->SetModifiedFlag(TRUE);
            if (m_pManager && m_pManager->AdoptDocument(std::move(doc)))
                ++restored;
        }
        QFile::remove(copy);
        QFile::remove(info.absoluteFilePath());
    }
    // A copy whose info never got written belongs to nobody any more.
    for (const QFileInfo& stray : dir.entryInfoList({QStringLiteral("*.brf")}, QDir::Files)) {
        const qint64 pid = stray.completeBaseName().section(QLatin1Char('-'), 0, 0).toLongLong();
        if (!QFileInfo::exists(stray.absolutePath() + QLatin1Char('/') + stray.completeBaseName() + QStringLiteral(".info")) &&
            pid != QCoreApplication::applicationPid() && !IsProcessAlive(pid))
            QFile::remove(stray.absoluteFilePath());
    }
    return restored;
    DEF_CATCH
    return 0;
}
