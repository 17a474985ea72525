#include "frame/MainFrame.h"

#include "app/Resource.h"
#include "platform/ResourceModule.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>

CMainFrame::CMainFrame() : m_mdiArea(new QMdiArea(this)) {
    setObjectName(QStringLiteral("CMainFrame"));
    setCentralWidget(m_mdiArea);
    QMenu* file = menuBar()->addMenu(LoadResString(IDS_MENU_FILE));
    QAction* exit = file->addAction(LoadResString(IDS_MENU_EXIT));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    resize(1024, 768);
}
