#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QWidget>
#include <unistd.h>

namespace {
const QByteArray kActivate = "activate\n";
}

CSingleInstance::CSingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::LockPath() const {
    return QDir::tempPath() + QStringLiteral("/%1-%2.lock").arg(m_name).arg(getuid());
}

QString CSingleInstance::ServerName() const {
    return QStringLiteral("%1-%2-instance").arg(m_name).arg(getuid());
}

CSingleInstance::Result CSingleInstance::Acquire() {
    m_lock = std::make_unique<QLockFile>(LockPath());
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
    if (m_lock->tryLock(0))
        return Result::First;
    if (m_lock->error() == QLockFile::LockFailedError)
        return Result::Other;
    return Result::Failed;
}

bool CSingleInstance::ActivateFirst(int timeoutMs) {
    // The first copy may still be starting: try until it listens or the time is up.
    QElapsedTimer timer;
    timer.start();
    do {
        QLocalSocket socket;
        socket.connectToServer(ServerName());
        if (socket.waitForConnected(200)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(100);
    } while (timer.elapsed() < timeoutMs);
    return false;
}

bool CSingleInstance::Listen(QWidget* window) {
    m_window = window;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    }
    if (m_server->isListening())
        return true;
    QLocalServer::removeServer(ServerName()); // a socket left by a copy that crashed
    return m_server->listen(ServerName());
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->readAll().startsWith("activate") || !m_window)
                return;
            m_window->show();
            m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) |
                                     Qt::WindowActive);
            m_window->raise();
            m_window->activateWindow();
        });
    }
}
