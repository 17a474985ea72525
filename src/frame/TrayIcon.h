#pragma once
// The tray icon of the main window: a click hides the window to the tray or brings it back, the
// context menu restores the window or ends the program. Hiding needs a tray to come back from:
// where the desktop has none, the window is minimized as usual instead.

#include <QObject>

class QMainWindow;
class QMenu;
class QSystemTrayIcon;

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    CTrayIcon(QMainWindow* window, QMenu* menu);

    bool IsAvailable() const;
    bool IsHidden() const { return m_bHidden; }
    void HideToTray();
    void Restore();
    void SetToolTip(const QString& title);

private:
    QMainWindow* m_pWindow;
    QSystemTrayIcon* m_pIcon;
    bool m_bHidden = false;
    bool m_bToldOnce = false;
};
