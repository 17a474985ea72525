#pragma once
// The commands of the main window: one QAction per command identifier, made from the resource
// module's command list (commands.txt: identifier, name, keys, icon, flags), with the menu text
// from the module's menus (menus.txt), the status-bar prompt and tooltip from the string of the
// same identifier ("prompt\ntooltip"), and the translation file applied to both. A triggered
// action is routed to the active view, its document, the frame and the application in turn
// (app/CommandTarget.h); before a menu opens, and once after each event that may change state
// (coalesced on a zero-delay timer), the update handlers set every action's enabled and checked
// state.

#include "app/CommandTarget.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

struct CCommandInfo {
    UINT nID = 0;
    QString strName;   // "ID_FILE_OPEN"
    QString strKeys;   // portable key texts, comma-separated ("Ctrl+W, Ctrl+F4")
    QString strIcon;   // freedesktop theme icon name, or the module's own icons/<name>.svg
    bool bCheckable = false;
};

// One toolbar of the module's bar descriptions (toolbars.txt).
struct CToolBarInfo {
    QString strName;        // object name, also the key of its saved layout
    UINT nCaptionId = 0;    // string of its caption
    QString strAreas;       // "top,bottom", "right", "any"
    QList<QString> items;   // a command identifier as text, "SEPARATOR" or "WIDGET name"
};

class CCommandManager : public QObject {
    Q_OBJECT
public:
    using RouteSource = std::function<CCommandRoute()>;
    using WidgetFactory = std::function<QWidget*(const QString& name, QToolBar* bar)>;

    explicit CCommandManager(QMainWindow* window);

    // Reads the command list, the menus and the bar descriptions of the loaded module; false when
    // the module has no command list.
    bool Load();
    void SetRouteSource(RouteSource route) { m_route = std::move(route); }
    // Told before a command runs and after it ran (with the command's menu text, mnemonic marks
    // and ellipsis taken out): the view records what the command changed as one undo step.
    using ExecuteObserver = std::function<std::function<void()>(UINT id, const QString& text)>;
    void SetExecuteObserver(ExecuteObserver observer) { m_observer = std::move(observer); }

    QAction* Action(UINT id) const { return m_actions.value(id); }
    const QHash<UINT, QAction*>& Actions() const { return m_actions; }
    const CCommandInfo* Info(UINT id) const;

    // The menu bar of menu `menuId`; the translation's MENU block of the same number applies.
    void BuildMenuBar(QMenuBar* bar, int menuId);
    // Submenu `index` of menu `menuId` as a pop-up (context and tray menus); null when absent.
    QMenu* BuildPopup(int menuId, int index, QWidget* parent);
    // A toolbar as the module describes it, added to the window; controls in it come from
    // the factory. Null when the module has no such bar.
    QToolBar* BuildToolBar(const QString& name, const WidgetFactory& factory);
    const QList<CToolBarInfo>& ToolBars() const { return m_bars; }

    // Runs the command as if it had been chosen.
    bool Execute(UINT id);
    // The command's state now, as the route answers it.
    CCmdUI State(UINT id) const;
    // Sets the state of every action now / after the events now pending.
    void UpdateAll();
    void RequestUpdate();

    // Where a menu's recent-file entries go: the actions of the range, inserted by the caller.
    QAction* RecentFilesPlaceholder() const { return m_pRecentPlaceholder; }

Q_SIGNALS:
    // A menu is about to open: its actions have just been updated.
    void menuAboutToShow(QMenu* menu);
    // Every action's state has just been brought up to date.
    void updated();

private:
    void LoadCommandList(const QByteArray& text);
    void LoadMenus(const QByteArray& text);
    void LoadToolBars(const QByteArray& text);
    QAction* MakeAction(const CCommandInfo& info);
    void ApplyState(QAction* action, const CCmdUI& ui) const;
    void UpdateActions(const QList<QAction*>& actions);
    void FillMenu(QMenu* menu, int menuId, const QList<QString>& lines, int& pos);

    QMainWindow* m_pWindow;
    RouteSource m_route;
    ExecuteObserver m_observer;
    QHash<UINT, CCommandInfo> m_info;
    QHash<UINT, QAction*> m_actions;
    // Each menu's description lines, by menu identifier.
    QHash<int, QList<QString>> m_menus;
    QList<CToolBarInfo> m_bars;
    QAction* m_pRecentPlaceholder = nullptr;
    QTimer m_updateTimer;
};
