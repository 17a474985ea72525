#include "frame/TrayIcon.h"

#include "app/Resource.h"
#include "platform/ErrorLog.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

CTrayIcon::CTrayIcon(QMainWindow* window, QMenu* menu)
    : QObject(window), m_pWindow(window), m_pIcon(new QSystemTrayIcon(this)) {
    const QIcon icon(ResourceModulePath(QStringLiteral("icons/brellin.svg")));
    if (icon.isNull())
        WriteLog(QStringLiteral("Icon not loaded!"));
    m_pIcon->setIcon(icon.isNull() ? window->windowIcon() : icon);
    if (menu)
        m_pIcon->setContextMenu(menu);
    connect(m_pIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r != QSystemTrayIcon::Trigger)
            return;
        if (m_bHidden)
            Restore();
        else
            HideToTray();
    });
    if (IsAvailable())
        m_pIcon->show();
}

bool CTrayIcon::IsAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void CTrayIcon::SetToolTip(const QString& title) { m_pIcon->setToolTip(title.left(64)); }

void CTrayIcon::HideToTray() {
    DEF_TRY
    if (!IsAvailable()) {
        m_pWindow->showMinimized();
        return;
    }
    m_bHidden = true;
    m_pWindow->hide();
    if (!m_bToldOnce) {
        m_bToldOnce = true;
        m_pIcon->showMessage(m_pWindow->windowTitle(), LoadResString(IDS_TRAY_HIDDEN));
    }
    DEF_CATCH
}

void CTrayIcon::Restore() {
    DEF_TRY
    m_bHidden = false;
    m_pWindow->showNormal();
    m_pWindow->raise();
    m_pWindow->activateWindow();
    DEF_CATCH
}
