#pragma once
// Crash recovery. While a document is modified, a copy of it is written every minute (only when
// it changed since the last copy) into the recovery folder of the per-user data folder, in the
// document's own file format and atomically. The copy is taken on the user-interface thread at
// little cost (object records and images that share their pixels, TakeDocFileSnapshot) and
// written on a worker, so typing never waits for it. A save or a normal close removes the copy.
// When the program starts after a crash, each copy whose program is no longer running is offered
// back: a restored document opens modified, under its old name; a copy that cannot be read is
// reported as lost and removed.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CDocManager;
class CLumidorDoc;

class CRecoveryManager : public QObject {
    Q_OBJECT
public:
    // intervalMs: how often modified documents are copied (60 s; BRELLIN_RECOVERY_SECONDS
    // overrides it for tests).
    explicit CRecoveryManager(CDocManager* manager, int intervalMs = -1, QObject* parent = nullptr);
    ~CRecoveryManager() override;

    // The folder of the copies.
    static QString GetRecoveryDir();
    // Copies every modified document that changed since its last copy, now.
    void SnapshotNow();
    // Waits until every copy being written is on disk.
    void WaitForWriters();
    // Offers the copies that a program no longer running left behind; returns how many
    // documents were restored.
    int OfferRecovery();

    // Start-up guards: the copies of a program still running are never offered.
    static bool IsProcessAlive(qint64 pid);

private:
    struct Entry {
        QPointer<CLumidorDoc> doc;
        QString base; // path without extension: base + ".brf" and base + ".info"
        unsigned long long nSavedChange = 0;
    };
    void Track(CLumidorDoc* doc);
    void Forget(CLumidorDoc* doc);
    void RemoveFiles(const QString& base);
    Entry& EntryFor(CLumidorDoc* doc);

    CDocManager* m_pManager;
    QTimer m_timer;
    QHash<CLumidorDoc*, Entry> m_entries;
    int m_nNext = 1;
    struct Writer {
        std::thread thread;
        QString base;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Joins the writers that have finished; with bAll waits for the others too.
    void CollectWriters(bool bAll);
    bool IsBeingWritten(const QString& base) const;

    std::mutex m_lock;              // guards m_removed, which the writers read
    std::vector<QString> m_removed; // copies given up while a worker may still write them
    std::vector<Writer> m_writers;
};
