#pragma once
// The wait cursor for the length of an operation, ended on every way out. Without a graphical
// application (the batch commands) it does nothing.

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

class CWaitCursor {
public:
    CWaitCursor()
        : m_bActive(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (m_bActive) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~CWaitCursor() {
        if (m_bActive) QGuiApplication::restoreOverrideCursor();
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    bool m_bActive;
};
