#include "frame/MainFrame.h"

#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "frame/ChildFrame.h"
#include "platform/DialogService.h"
#include "view/LumidorView.h"

#include "app/Resource.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "platform/ResourceModule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>

CMainFrame::CMainFrame() : m_mdiArea(new QMdiArea(this)) {
    setObjectName(QStringLiteral("CMainFrame"));
    setCentralWidget(m_mdiArea);
    QMenu* file = menuBar()->addMenu(LoadResString(IDS_MENU_FILE));
    QAction* open = file->addAction(LoadResString(IDS_MENU_OPEN));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    QAction* close = file->addAction(LoadResString(IDS_MENU_CLOSE));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    connect(close, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* w = m_mdiArea->activeSubWindow()) w->close();
    });
    file->addSeparator();
    QAction* exit = file->addAction(LoadResString(IDS_MENU_EXIT));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    // Until the real bars exist, the view commands act on the active document window.
    QMenu* view = menuBar()->addMenu(LoadResString(IDS_MENU_VIEW));
    auto addViewAction = [this, view](int id, const QList<QKeySequence>& keys,
                                      void (*run)(CLumidorView*)) {
        QAction* a = view->addAction(LoadResString(id));
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, [this, run] {
            if (CLumidorView* v = GetActiveView()) run(v);
        });
    };
    addViewAction(IDS_MENU_ZOOM_IN,
                  {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
                  [](CLumidorView* v) { v->IncViewScale(); });
    addViewAction(IDS_MENU_ZOOM_OUT, {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
                  [](CLumidorView* v) { v->DecViewScale(); });
    addViewAction(IDS_MENU_FIT_WINDOW, {QKeySequence(Qt::CTRL | Qt::Key_0)},
                  [](CLumidorView* v) { v->FitPageToWindow(); });
    addViewAction(IDS_MENU_FIT_WIDTH, {}, [](CLumidorView* v) { v->FitPageToWidth(); });
    view->addSeparator();
    addViewAction(IDS_MENU_PREV_PAGE, {QKeySequence(Qt::Key_PageUp)},
                  [](CLumidorView* v) { v->SetActivePage(v->GetActivePage() - 1); });
    addViewAction(IDS_MENU_NEXT_PAGE, {QKeySequence(Qt::Key_PageDown)},
                  [](CLumidorView* v) { v->SetActivePage(v->GetActivePage() + 1); });
    resize(1024, 768);
}

CLumidorView* CMainFrame::GetActiveView() const {
    QMdiSubWindow* w = m_mdiArea->activeSubWindow();
    if (!w) {
        const auto list = m_mdiArea->subWindowList();
        w = list.isEmpty() ? nullptr : list.last();
    }
    auto* child = dynamic_cast<CChildFrame*>(w);
    return child ? child->GetView() : nullptr;
}

void CMainFrame::OnFileOpen() {
    FileDialogRequest request;
    // The Open dialog's filter is made of its four resource parts.
    request.filter = LoadResString(IDS_FILTER_OPEN_1) + LoadResString(IDS_FILTER_OPEN_2) +
                     LoadResString(IDS_FILTER_OPEN_3) + LoadResString(IDS_FILTER_OPEN_4) +
                     QLatin1Char('|');
    QString path;
    if (!GetDialogService().GetFileName(request, path) || path.isEmpty()) return;
    CLumidorApp* app = CLumidorApp::Instance();
    if (!app) return;
    if (IsImageFormatSupported(path))
        app->CreateDocFromImage(path, false);
    else
        app->OpenDocumentFile(path, 0);
}

void CMainFrame::AttachDocumentManager(CDocManager* manager) {
    m_pDocManager = manager;
    if (manager) manager->SetWindowFactory([this](CLumidorDoc* doc) { CreateDocumentWindow(doc); });
}

void CMainFrame::CreateDocumentWindow(CLumidorDoc* doc) {
    auto* window = new CChildFrame(doc, m_pDocManager);
    // Until the main bar's scale box exists, the zoom percentage shows in the status bar.
    connect(window->GetView(), &CLumidorView::zoomChanged, this,
            [this](int percent) { statusBar()->showMessage(QStringLiteral("%1%").arg(percent)); });
    m_mdiArea->addSubWindow(window);
    window->show();
}

QMdiSubWindow* CMainFrame::GetDocumentWindow(CLumidorDoc* doc) const {
    for (QMdiSubWindow* w : m_mdiArea->subWindowList())
        if (auto* child = dynamic_cast<CChildFrame*>(w))
            if (child->GetDocument() == doc) return w;
    return nullptr;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
