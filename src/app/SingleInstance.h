#pragma once
// One copy of the program per user. The first copy holds a lock file (the named mutex) for its
// lifetime and, once its main window is shown, answers a per-user local socket; a later copy
// started without a file finds the lock taken, asks the first copy over the socket to raise and
// restore its window, and ends.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(QString name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    enum class Result { First, Other, Failed };
    // Takes the lock. Failed: the lock could not be made (start-up goes on without the check).
    Result Acquire();
    // Asks the first copy to raise its window; true when it answered.
    bool ActivateFirst(int timeoutMs = 2000);
    // Starts answering later copies by raising and restoring `window`.
    bool Listen(QWidget* window);

    QString LockPath() const;
    QString ServerName() const;

private:
    void OnNewConnection();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    QWidget* m_window = nullptr;
};
