#pragma once
// The page's context menu as the main window shows it: built once from the module's menu, each
// item in the state its command has, narrowed by the view's rules for the place it opens at.

#include <QPointer>

class CCommandManager;
class CLumidorView;
class QMenu;
class QPoint;
class QWidget;

class CContextPopup {
public:
    CContextPopup(CCommandManager& commands, QWidget* parent)
        : m_commands(commands), m_pParent(parent) {}
    void Show(CLumidorView& view, const QPoint& at);

private:
    CCommandManager& m_commands;
    QWidget* m_pParent;
    QPointer<QMenu> m_pMenu;
};
