#include "frame/MainFrame.h"

#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "frame/ChildFrame.h"
#include "frame/ScaleBox.h"
#include "platform/DialogService.h"
#include "view/LumidorView.h"

#include "app/Resource.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "objects/ObjectTypes.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QToolBar>

CMainFrame::CMainFrame() : m_mdiArea(new QMdiArea(this)), m_pScaleBox(new CScaleBox(this)) {
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
    // The recent files go between this separator and the next, refreshed each time the menu opens.
    m_pRecentSeparator = file->addSeparator();
    connect(file, &QMenu::aboutToShow, this, [this, file] { RefreshRecentFiles(file); });
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
    view->addSeparator();
    m_pPawAction = view->addAction(LoadResString(IDS_MENU_MOVE_IMAGE));
    m_pPawAction->setObjectName(QStringLiteral("MovePageImage"));
    m_pPawAction->setCheckable(true);
    connect(m_pPawAction, &QAction::triggered, this, &CMainFrame::OnDrawingToolsPaw);

    QToolBar* mainBar = addToolBar(LoadResString(IDS_BAR_MAIN));
    mainBar->setObjectName(QStringLiteral("MainBar"));
    mainBar->addWidget(m_pScaleBox);
    const std::vector<int> scales = CLumidorView::GetScaleList();
    // Before any document is open the box stands on its first fit entry, the one after the scales.
    m_pScaleBox->SetViewScaleList(scales.data(), int(scales.size()), int(scales.size()));
    connect(m_pScaleBox, &CScaleBox::scaleChosen, this, [this](int index) {
        if (CLumidorView* v = GetActiveView()) v->OnSelchangeComboScale(index);
    });
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnActiveViewChanged);
    OnActiveViewChanged();
    resize(1024, 768);
}

CMainFrame::~CMainFrame() {
    // The document windows go with the base class, after this frame's own members; their
    // activation changes must not reach it then.
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

void CMainFrame::OnActiveViewChanged() {
    ShowActiveViewScale();
    UpdateCommandState();
}

void CMainFrame::ShowActiveViewScale() {
    DEF_TRY
    CLumidorView* view = GetActiveView();
    m_pScaleBox->setEnabled(view != nullptr);
    if (!view) return;
    const double s = view->GetViewScale();
    if (const int index = CLumidorView::ListIndexOfScale(s); index >= 0)
        m_pScaleBox->SetViewScaleSelIndex(index);
    else
        m_pScaleBox->SetViewScaleSelValue(CLumidorView::ScalePercent(s));
    DEF_CATCH
}

void CMainFrame::SetProgramMode(int mode) {
    m_nProgramMode = mode;
    UpdateCommandState();
}

void CMainFrame::OnDrawingToolsPaw() {
    SetProgramMode(m_nProgramMode == MODE_PAW ? 0 : MODE_PAW);
}

void CMainFrame::UpdateCommandState() {
    m_pPawAction->setEnabled(GetActiveView() != nullptr);
    m_pPawAction->setChecked(m_nProgramMode == MODE_PAW);
}

void CMainFrame::RefreshRecentFiles(QMenu* file) {
    DEF_TRY
    for (QAction* a : m_recentActions)
        delete a;
    m_recentActions.clear();
    CLumidorApp* app = CLumidorApp::Instance();
    if (!app) return;
    const CRecentFileList& list = app->m_recentFiles;
    for (int i = 0; i < list.GetSize(); ++i) {
        auto* a = new QAction(list.GetDisplayName(i), file);
        a->setToolTip(list.GetFiles()[i]);
        const QString path = list.GetFiles()[i];
        connect(a, &QAction::triggered, this, [path] { OpenRecentFile(path); });
        file->insertAction(m_pRecentSeparator, a);
        m_recentActions.append(a);
    }
    // Without recent files one separator is enough.
    m_pRecentSeparator->setVisible(!m_recentActions.isEmpty());
    DEF_CATCH
}

void CMainFrame::OpenRecentFile(const QString& path) {
    DEF_TRY
    CLumidorApp* app = CLumidorApp::Instance();
    if (!app) return;
    // A file that cannot be opened any more (moved, deleted, damaged) leaves the list; the
    // opening has told the user why.
    if (!app->OpenDocumentFile(path, 0)) {
        const int index = int(app->m_recentFiles.GetFiles().indexOf(path));
        app->m_recentFiles.Remove(index);
    }
    DEF_CATCH
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
    CLumidorView* view = window->GetView();
    view->SetProgramModeSource([this] { return m_nProgramMode; });
    // Every view reports its zoom; the scale box listens to the active one only.
    connect(view, &CLumidorView::zoomChanged, this, [this, view](int percent) {
        if (view == GetActiveView()) m_pScaleBox->SetViewScaleSelValue(percent);
    });
    connect(view, &CLumidorView::scaleIndexSelected, this, [this, view](int index) {
        if (view == GetActiveView()) m_pScaleBox->SetViewScaleSelIndex(index);
    });
    // A window closing while none is active changes the window the frame falls back on without
    // an activation; the area lists it until it is gone.
    connect(window, &QObject::destroyed, this, &CMainFrame::OnActiveViewChanged,
            Qt::QueuedConnection);
    m_mdiArea->addSubWindow(window);
    window->show();
    OnActiveViewChanged();
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
