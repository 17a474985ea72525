#include "frame/CommandManager.h"

#include "app/LocalResources.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QAction>
#include <QFile>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

QByteArray ModuleFile(const QString& name) {
    QFile f(ResourceModulePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of a description file without comments ("#" first) and blank lines, each trimmed
// of its indentation.
QList<QString> DescriptionLines(const QByteArray& text) {
    QList<QString> lines;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines.append(line);
    }
    return lines;
}

QStringList Fields(const QString& line) { return line.split(QLatin1Char('\t')); }

QString Unescaped(QString text) {
    text.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return text;
}

// The icon of a command: the desktop theme's where it has one, else the module's own drawing.
QIcon CommandIcon(const QString& name) {
    if (name.isEmpty())
        return {};
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return QIcon(ResourceModulePath(QStringLiteral("icons/%1.svg").arg(name)));
}

} // namespace

CCommandManager::CCommandManager(QMainWindow* window) : QObject(window), m_pWindow(window) {
    m_updateTimer.setSingleShot(true);
    m_updateTimer.setInterval(0);
    connect(&m_updateTimer, &QTimer::timeout, this, &CCommandManager::UpdateAll);
}

bool CCommandManager::Load() {
    DEF_TRY
    const QByteArray commands = ModuleFile(QStringLiteral("commands.txt"));
    if (commands.isEmpty())
        return false;
    LoadCommandList(commands);
    LoadMenus(ModuleFile(QStringLiteral("menus.txt")));
    LoadToolBars(ModuleFile(QStringLiteral("toolbars.txt")));
    return true;
    DEF_CATCH
    return false;
}

const CCommandInfo* CCommandManager::Info(UINT id) const {
    const auto it = m_info.constFind(id);
    return it == m_info.constEnd() ? nullptr : &*it;
}

void CCommandManager::LoadCommandList(const QByteArray& text) {
    for (const QString& line : DescriptionLines(text)) {
        const QStringList f = Fields(line);
        bool ok = false;
        CCommandInfo info;
        info.nID = f.value(0).toUInt(&ok);
        if (!ok || f.size() < 2)
            continue;
        info.strName = f.value(1);
        info.strKeys = f.value(2);
        info.strIcon = f.value(3);
        info.bCheckable = f.value(4).contains(QStringLiteral("check"));
        m_info.insert(info.nID, info);
        if (!m_actions.contains(info.nID))
            m_actions.insert(info.nID, MakeAction(info));
    }
}

QAction* CCommandManager::MakeAction(const CCommandInfo& info) {
    auto* a = new QAction(m_pWindow);
    a->setObjectName(info.strName);
    a->setData(info.nID);
    a->setCheckable(info.bCheckable);
    a->setIcon(CommandIcon(info.strIcon));
    QList<QKeySequence> keys;
    for (const QString& k : info.strKeys.split(QLatin1Char(','), Qt::SkipEmptyParts))
        keys.append(QKeySequence(k.trimmed(), QKeySequence::PortableText));
    a->setShortcuts(keys);
    // The window owns the keys, so they work whichever of its widgets has the focus.
    a->setShortcutContext(Qt::WindowShortcut);
    m_pWindow->addAction(a);
    // "prompt\ntooltip": the status bar shows the prompt, the tooltip names the key.
    const QString prompts = LoadResString(info.nID);
    const qsizetype nl = prompts.indexOf(QLatin1Char('\n'));
    const QString prompt = nl >= 0 ? prompts.left(nl) : prompts;
    QString tip = nl >= 0 ? prompts.mid(nl + 1) : QString();
    a->setStatusTip(prompt);
    a->setText(tip.isEmpty() ? prompt : tip);
    if (!keys.isEmpty() && !tip.isEmpty())
        tip += QStringLiteral(" (%1)").arg(keys.first().toString(QKeySequence::NativeText));
    a->setToolTip(tip.isEmpty() ? prompt : tip);
    const UINT id = info.nID;
    connect(a, &QAction::triggered, this, [this, id] { Execute(id); });
    return a;
}

void CCommandManager::LoadMenus(const QByteArray& text) {
    const QList<QString> lines = DescriptionLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList f = Fields(lines[i]);
        if (f.value(0) != QStringLiteral("MENU"))
            continue;
        bool ok = false;
        const int id = f.value(1).toInt(&ok);
        QList<QString> body;
        for (++i; i < lines.size() && lines[i] != QStringLiteral("ENDMENU"); ++i)
            body.append(lines[i]);
        if (ok)
            m_menus.insert(id, body);
    }
}

void CCommandManager::LoadToolBars(const QByteArray& text) {
    const QList<QString> lines = DescriptionLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList f = Fields(lines[i]);
        if (f.value(0) != QStringLiteral("TOOLBAR"))
            continue;
        CToolBarInfo bar;
        bar.strName = f.value(1);
        bar.nCaptionId = f.value(2).toUInt();
        bar.strAreas = f.value(3);
        for (++i; i < lines.size() && lines[i] != QStringLiteral("END"); ++i)
            bar.items.append(lines[i]);
        m_bars.append(bar);
    }
}

void CCommandManager::FillMenu(QMenu* menu, int menuId, const QList<QString>& lines, int& pos) {
    while (pos < lines.size()) {
        const QStringList f = Fields(lines[pos++]);
        const QString& kind = f.value(0);
        if (kind == QStringLiteral("END"))
            return;
        if (kind == QStringLiteral("SEPARATOR")) {
            menu->addSeparator();
        } else if (kind == QStringLiteral("RECENT")) {
            m_pRecentPlaceholder = menu->addSeparator();
        } else if (kind == QStringLiteral("POPUP")) {
            QMenu* sub = menu->addMenu(Unescaped(f.value(1)));
            FillMenu(sub, menuId, lines, pos);
        } else if (kind == QStringLiteral("ITEM")) {
            QAction* a = m_actions.value(f.value(1).toUInt());
            if (!a)
                continue;
            a->setText(Unescaped(f.value(2)));
            menu->addAction(a);
        }
    }
}

void CCommandManager::BuildMenuBar(QMenuBar* bar, int menuId) {
    DEF_TRY
    const QList<QString> lines = m_menus.value(menuId);
    int pos = 0;
    while (pos < lines.size()) {
        const QStringList f = Fields(lines[pos++]);
        if (f.value(0) != QStringLiteral("POPUP"))
            continue;
        QMenu* menu = bar->addMenu(Unescaped(f.value(1)));
        FillMenu(menu, menuId, lines, pos);
    }
    CLocalResources::Instance().TranslateMenu(bar, menuId);
    for (QMenu* menu : bar->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            UpdateActions(menu->actions());
            Q_EMIT menuAboutToShow(menu);
        });
    }
    DEF_CATCH
}

QMenu* CCommandManager::BuildPopup(int menuId, int index, QWidget* parent) {
    DEF_TRY
    const QList<QString> lines = m_menus.value(menuId);
    int pos = 0, n = 0;
    while (pos < lines.size()) {
        const QStringList f = Fields(lines[pos++]);
        if (f.value(0) != QStringLiteral("POPUP"))
            continue;
        auto* menu = new QMenu(Unescaped(f.value(1)), parent);
        FillMenu(menu, menuId, lines, pos);
        if (n++ != index) {
            delete menu;
            continue;
        }
        // The translation's block covers the whole menu; the pop-up is its index-th part.
        QMenu holder;
        holder.addMenu(menu);
        CLocalResources::Instance().TranslateMenu(&holder, menuId);
        holder.removeAction(menu->menuAction());
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateActions(menu->actions()); });
        return menu;
    }
    DEF_CATCH
    return nullptr;
}

QToolBar* CCommandManager::BuildToolBar(const QString& name, const WidgetFactory& factory) {
    DEF_TRY
    for (const CToolBarInfo& info : m_bars) {
        if (info.strName != name)
            continue;
        auto* bar = new QToolBar(LoadResString(info.nCaptionId), m_pWindow);
        bar->setObjectName(info.strName);
        Qt::ToolBarAreas areas = Qt::AllToolBarAreas;
        if (info.strAreas == QStringLiteral("top,bottom"))
            areas = Qt::TopToolBarArea | Qt::BottomToolBarArea;
        else if (info.strAreas == QStringLiteral("right"))
            areas = Qt::RightToolBarArea;
        else if (info.strAreas == QStringLiteral("top"))
            areas = Qt::TopToolBarArea;
        bar->setAllowedAreas(areas);
        for (const QString& item : info.items) {
            const QStringList f = Fields(item);
            if (f.value(0) == QStringLiteral("SEPARATOR")) {
                bar->addSeparator();
            } else if (f.value(0) == QStringLiteral("WIDGET")) {
                if (QWidget* w = factory ? factory(f.value(1), bar) : nullptr)
                    bar->addWidget(w);
            } else if (QAction* a = m_actions.value(f.value(0).toUInt())) {
                bar->addAction(a);
            }
        }
        return bar;
    }
    DEF_CATCH
    return nullptr;
}

bool CCommandManager::Execute(UINT id) {
    DEF_TRY
    std::function<void()> after;
    if (m_observer) {
        QString text;
        if (QAction* a = m_actions.value(id)) {
            text = a->text();
            text.remove(QLatin1Char('&'));
            if (text.endsWith(QStringLiteral("..."))) text.chop(3);
            text = text.trimmed();
        }
        after = m_observer(id, text);
    }
    const bool done = m_route && RouteCommand(m_route(), id);
    if (after) after();
    RequestUpdate();
    return done;
    DEF_CATCH
    return false;
}

CCmdUI CCommandManager::State(UINT id) const {
    CCmdUI ui(id);
    DEF_TRY
    if (m_route)
        RouteUpdate(m_route(), ui);
    else
        ui.m_bEnabled = false;
    DEF_CATCH
    return ui;
}

void CCommandManager::ApplyState(QAction* action, const CCmdUI& ui) const {
    if (action->isEnabled() != ui.m_bEnabled)
        action->setEnabled(ui.m_bEnabled);
    if (action->isCheckable() && ui.m_bCheckSet && action->isChecked() != (ui.m_nCheck != 0))
        action->setChecked(ui.m_nCheck != 0);
    if (ui.m_bTextSet && action->text() != ui.m_strText)
        action->setText(ui.m_strText);
}

void CCommandManager::UpdateActions(const QList<QAction*>& actions) {
    DEF_TRY
    if (!m_route)
        return;
    const CCommandRoute route = m_route();
    for (QAction* a : actions) {
        if (a->isSeparator() || a->menu() || m_actions.value(a->data().toUInt()) != a)
            continue;
        CCmdUI ui(a->data().toUInt());
        RouteUpdate(route, ui);
        ApplyState(a, ui);
    }
    DEF_CATCH
}

void CCommandManager::UpdateAll() {
    DEF_TRY
    if (!m_route)
        return;
    const CCommandRoute route = m_route();
    for (auto it = m_actions.constBegin(); it != m_actions.constEnd(); ++it) {
        CCmdUI ui(it.key());
        RouteUpdate(route, ui);
        ApplyState(it.value(), ui);
    }
    Q_EMIT updated();
    DEF_CATCH
}

void CCommandManager::RequestUpdate() {
    if (!m_updateTimer.isActive())
        m_updateTimer.start();
}
