#include "frame/MainFrame.h"

#include "acquire/CaptureCommands.h"
#include "acquire/CaptureKinds.h"
#include "acquire/ScanCommands.h"
#include "app/CommandIds.h"
#include "app/LumidorApp.h"
#include "app/Resource.h"
#include "app/Units.h"
#include "app/Utils.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "document/PdfImport.h"
#include "document/Recovery.h"
#include "frame/CaptureFrameHost.h"
#include "frame/ChildFrame.h"
#include "frame/CommandManager.h"
#include "frame/ContextPopup.h"
#include "frame/CursorCollectionBar.h"
#include "frame/DocumentsBar.h"
#include "frame/DrawingBarPanel.h"
#include "frame/FrameCommands.h"
#include "frame/FrameState.h"
#include "frame/OptionsDialog.h"
#include "frame/PageCommands.h"
#include "frame/ProgramModes.h"
#include "frame/ScaleBox.h"
#include "frame/StateReport.h"
#include "frame/StatusProgress.h"
#include "frame/TextStyleBar.h"
#include "frame/TrayIcon.h"
#include "objects/ObjectTypes.h"
#include "platform/DataPaths.h"
#include "platform/DialogService.h"
#include "platform/ErrorLog.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/MyBitmap.h"
#include "view/LumidorView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QUrl>

namespace {
CMainFrame* g_frame = nullptr;

const QString kLaunch = QStringLiteral("Launch");
const QString kEraserSize = QStringLiteral("IMAGETOOLSBARSETTINGS");
constexpr int kMainMenu = 128;
constexpr int kTrayMenu = 334;

// Every file of the program's temporary folder goes; the folder stays.
void EmptyTempFolder() {
    QDir dir(GetTempDirPath());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

// "Brellin 1.00": the program's name with its version.
QString ProgramDisplayName() {
    const CLumidorApp* app = CLumidorApp::Instance();
    return app && !app->m_strDisplayName.isEmpty() ? app->m_strDisplayName : QStringLiteral("Brellin");
}

QString HelpTopicPath(const QString& topic) {
    return GetProgramDataDir() + QStringLiteral("/help/") + topic;
}

// The eraser sizes of the image bar: 1x1 to 4x4, then powers of two to 256x256.
QComboBox* MakeEraserSizeBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("EraserSize"));
    box->setToolTip(LoadResString(IDS_ERASER_SIZE));
    for (int n : {1, 2, 3, 4, 8, 16, 32, 64, 128, 256})
        box->addItem(QStringLiteral("%1x%2").arg(n).arg(n), n);
    LONG index = 6;
    Profile().GetProfileData(kSectionSettings, kEraserSize, &index, sizeof(index));
    box->setCurrentIndex(index >= 0 && index < box->count() ? int(index) : 6);
    QObject::connect(box, &QComboBox::currentIndexChanged, box, [](int i) {
        const LONG v = i;
        Profile().WriteProfileData(kSectionSettings, kEraserSize, &v, sizeof(v));
    });
    return box;
}
} // namespace

CMainFrame* CMainFrame::Instance() { return g_frame; }

CMainFrame::CMainFrame()
    : m_mdiArea(new QMdiArea(this)), m_pCommands(new CCommandManager(this)),
      m_pScaleBox(new CScaleBox(this)) {
    g_frame = this;
    setObjectName(QStringLiteral("CMainFrame"));
    setCentralWidget(m_mdiArea);
    setAcceptDrops(true);
    setWindowIcon(QIcon(ResourceModulePath(QStringLiteral("icons/brellin.svg"))));
    // Outside a desktop that names its icon theme, the standard icons come from Adwaita.
    if (!QIcon::hasThemeIcon(QStringLiteral("document-open")))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    EmptyTempFolder();
    // With a window, opening a PDF file asks for its resolution and password.
    SetPdfOpenPrompt(true);
    RestoreWindowPlacement(*this);

    // Default folders: images in the user's documents, documents in "Brellin Files" there.
    const QString docs = GetMyDocumentsPathName().isEmpty() ? GetUserDataDir() : GetMyDocumentsPathName();
    m_strImagesPath = Profile().GetProfileString(kSectionSettings, QStringLiteral("ImagesPath"), {});
    if (m_strImagesPath.isEmpty())
        m_strImagesPath = docs;
    m_strDocumentsPath = Profile().GetProfileString(kSectionSettings, QStringLiteral("DocumentsPath"), {});
    if (m_strDocumentsPath.isEmpty()) {
        m_strDocumentsPath = docs + QStringLiteral("/Brellin Files");
        if (!QDir().mkpath(m_strDocumentsPath))
            WriteLog(QStringLiteral("CMainFrame::OnCreate - CreateDirectory Error %1").arg(errno));
    }
    m_options = LoadFrameOptions();
    ApplyVisualStyle(int(m_options[OPT_VISUAL_STYLE]));

    CProgramModes::Host host;
    host.activeView = [this] { return GetActiveView(); };
    host.allViews = [this] { return GetAllViews(); };
    host.modeChangedToDocuments = [this] {
        QList<CLumidorDoc*> docs;
        if (m_pDocManager)
            m_pDocManager->GetDocumentsList(docs);
        for (CLumidorDoc* doc : docs)
            doc->ProgramModeChanged();
    };
    host.setSelector = [this](int kind) { SetSelector(kind); };
    m_pModes = new CProgramModes(std::move(host), this);
    connect(m_pModes, &CProgramModes::modeChanged, m_pCommands, &CCommandManager::RequestUpdate);

    CTextStyleBar::Host style;
    style.activeView = [this] { return GetActiveView(); };
    style.programMode = [this] { return m_pModes->GetCurrentMode(); };
    style.unit = [this] { return int(m_options[3]); };
    style.requestUpdate = [this] { m_pCommands->RequestUpdate(); };
    m_pTextStyle = new CTextStyleBar(std::move(style), this);
    // Enter in the tab-order box moves the active object to the number entered.
    connect(m_pTextStyle, &CTextStyleBar::tabOrderEntered, this, [this] {
        if (CLumidorView* view = GetActiveView()) {
            {
                CUndoAction action(view->GetUndo(), LoadResString(IDS_UNDO_TAB_ORDER));
                view->GetTabOrder().OnSetTabOrder(m_pTextStyle->GetTabOrderText());
            }
            view->SetToolbarsState();
            view->setFocus();
        }
    });

    m_pCommands->Load();
    m_pCommands->SetRouteSource([this] { return Route(); });
    m_pContextPopup = std::make_unique<CContextPopup>(*m_pCommands, this);
    // A command's changes to the page are one undo step, named by the command.
    m_pCommands->SetExecuteObserver([this](UINT, const QString& text) -> std::function<void()> {
        QPointer<CLumidorView> view = GetActiveView();
        if (!view) return {};
        view->GetUndo().BeginAction();
        return [view, text] {
            if (view) view->GetUndo().EndAction(text);
        };
    });
    m_pCaptureHost = std::make_unique<CCaptureFrameHost>(*this);
    m_pCapture = new CCaptureCommands(*m_pCaptureHost, this);
    m_pScan = new CScanCommands(*m_pCaptureHost, this);
    RegisterCommands();
    m_pCapture->RegisterCommands(m_commandMap);
    m_pScan->RegisterCommands(m_commandMap);
    m_pCommands->BuildMenuBar(menuBar(), kMainMenu);
    connect(m_pCommands, &CCommandManager::menuAboutToShow, this, [this](QMenu* menu) {
        if (m_pCommands->RecentFilesPlaceholder() &&
            menu->actions().contains(m_pCommands->RecentFilesPlaceholder()))
            RefreshRecentFiles(menu);
    });
    CreateBars();
    if (QToolBar* bar = m_pCapture->CreateBar(this, [this](UINT id) { return m_pCommands->Action(id); }))
        addToolBar(Qt::TopToolBarArea, bar);
    m_pProgress = new CStatusProgress(statusBar());
    statusBar()->showMessage(LoadResString(IDS_STATUS_READY));
    LMyBitmap::SetProgressDisplay([this](int percent) { return DoProgress(percent, true); });

    if (!RestoreBarState(*this))
        InformationBox(QStringLiteral("Clear reestr entry!"));
    // The first start shows the bars a new user needs; the page, image and group bars wait.
    if (Profile().GetProfileInt(kSectionSettings, kLaunch, 0) == 0) {
        for (const char* name : {"MultipageBar", "ImageBar", "GroupBar"})
            if (QToolBar* bar = GetBar(QString::fromLatin1(name)))
                bar->hide();
        Profile().WriteProfileInt(kSectionSettings, kLaunch, 1);
    }

    SetProgramMode(m_options[23] ? MODE_FORM : m_pModes->GetCurrentMode(), true);
    SetSelector(1);
    m_pTray = new CTrayIcon(this, m_pCommands->BuildPopup(kTrayMenu, 0, this));
    m_pTray->SetToolTip(ProgramDisplayName());
    m_pCapture->RegisterHotKey();
    // Start-up may begin the session with a multiple capture; without an X display it has none.
    if (CLumidorApp* app = CLumidorApp::Instance())
        app->SetStartUpCapture([this] {
            if (CCaptureCommands::IsCaptureAvailable()) m_pCapture->OnCapture(CAPTURE_MULTIPLE);
        });

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        // A dialog or another program taking the keyboard leaves no document window active; the
        // bars go on showing the one that was.
        if (window || m_mdiArea->subWindowList().isEmpty()) OnActiveViewChanged();
    });
    if (qEnvironmentVariableIsSet("BRELLIN_STATE_FILE"))
    {
        connect(m_pCommands, &CCommandManager::updated, this, [this] { WriteStateReport(*this); });
        // A message or dialog runs its own loop, in which no command updates come: the report
        // is also written as often as a test looks.
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { WriteStateReport(*this); });
        timer->start(250);
    }
    qApp->installEventFilter(this);
    OnActiveViewChanged();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // The capture code reaches the frame through its host, which goes with the members.
    if (CLumidorApp* app = CLumidorApp::Instance()) app->SetStartUpCapture({});
    delete m_pScan;
    m_pScan = nullptr;
    delete m_pCapture;
    m_pCapture = nullptr;
    LMyBitmap::SetProgressDisplay({});
    // The document windows go with the base class, after this frame's own members; their
    // activation changes must not reach it then.
    disconnect(m_mdiArea, nullptr, this, nullptr);
    EmptyTempFolder();
    if (g_frame == this)
        g_frame = nullptr;
}

// ---- Bars -------------------------------------------------------------------------------------

void CMainFrame::CreateBars() {
    DEF_TRY
    const auto factory = [this](const QString& name, QToolBar* bar) -> QWidget* {
        if (name == QStringLiteral("scale"))
            return m_pScaleBox;
        if (name == QStringLiteral("erasersize"))
            return MakeEraserSizeBox(bar);
        if (QWidget* control = m_pTextStyle->CreateControl(name, bar))
            return control;
        if (name == QStringLiteral("documents") && !m_pDocumentsBar)
            return m_pDocumentsBar = new CDocumentsBar(this, bar);
        return nullptr;
    };
    const std::vector<int> scales = CLumidorView::GetScaleList();
    // Before any document is open the box stands on its first fit entry, the one after the scales.
    m_pScaleBox->SetViewScaleList(scales.data(), int(scales.size()), int(scales.size()));
    m_pScaleBox->setToolTip(LoadResString(IDS_BAR_MAIN));
    connect(m_pScaleBox, &CScaleBox::scaleChosen, this, [this](int index) {
        if (CLumidorView* v = GetActiveView()) v->OnSelchangeComboScale(index);
    });
    for (const CToolBarInfo& info : m_pCommands->ToolBars()) {
        QToolBar* bar = m_pCommands->BuildToolBar(info.strName, factory);
        if (!bar)
            continue;
        Qt::ToolBarArea area = Qt::TopToolBarArea;
        if (info.strAreas == QStringLiteral("right"))
            area = Qt::RightToolBarArea;
        // The text style bar's buttons sit between its boxes in one low row.
        bar->setIconSize(info.strName == QStringLiteral("TextStyleBar") ? QSize(16, 16) : QSize(24, 24));
        addToolBar(area, bar);
        // The image and group bars share the line of the page bar; the documents bar has a
        // line of its own under the other bars.
        if (info.strName == QStringLiteral("DocumentsBar") || info.strName == QStringLiteral("TextStyleBar"))
            insertToolBarBreak(bar);
        const QList<QAction*> items = bar->actions();
        if (std::all_of(items.begin(), items.end(), [](QAction* a) { return a->isSeparator(); }))
            bar->hide();
    }
    // The drawing bar's side panel docks beside it.
    m_pDrawingPanel = new CDrawingBarPanel(this);
    addDockWidget(Qt::RightDockWidgetArea, m_pDrawingPanel);
    m_pDrawingPanel->SetBar(GetBar(QStringLiteral("DrawingBar")));
    CDrawingBarPanel::Host panel;
    panel.options = [this] { return m_options; };
    panel.setOptions = [this](const FrameOptions& options) { SetOptions(options); };
    panel.activeView = [this] { return GetActiveView(); };
    panel.programMode = [this] { return m_pModes->GetCurrentMode(); };
    m_pDrawingPanel->SetHost(std::move(panel));
    connect(m_pCommands, &CCommandManager::updated, m_pDrawingPanel,
            &CDrawingBarPanel::CheckFileSize);
    // The shelf docks at the bottom; files dropped on it open here as well.
    m_pShelf = new CCursorCollectionBar(this);
    m_pShelf->CreateBar(GetUserDataDir() + QLatin1Char('/') + QLatin1String(SHELF_FILE_NAME));
    m_pShelf->SetOpenFilesSink([](const QStringList& paths) {
        CLumidorApp* app = CLumidorApp::Instance();
        for (const QString& path : paths) {
            if (!app) return;
            if (IsImageFormatSupported(path)) app->CreateDocFromImage(path, false);
            else app->OpenDocumentFile(path, 0);
        }
    });
    addDockWidget(Qt::BottomDockWidgetArea, m_pShelf);
    m_pShelf->RegisterCommands(m_commandMap, m_pCommands);
    DEF_CATCH
}

QToolBar* CMainFrame::GetBar(const QString& name) const {
    return findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly);
}

void CMainFrame::ViewBar(const QString& name) {
    if (QToolBar* bar = GetBar(name))
        bar->setVisible(!bar->isVisible());
}

// ---- Commands -------------------------------------------------------------------------------

CCommandRoute CMainFrame::Route() const {
    CCommandRoute route;
    CLumidorView* view = GetActiveView();
    if (view) {
        route.push_back(&view->GetCommandMap());
        if (CLumidorDoc* doc = view->GetDocument())
            route.push_back(&doc->GetCommandMap());
    }
    route.push_back(&m_commandMap);
    return route;
}

void CMainFrame::RegisterCommands() {
    CCommandMap& map = m_commandMap;
    m_pModes->RegisterCommands(map);
    m_pTextStyle->RegisterCommands(map);
    RegisterFrameCommands(*this, map);
    m_pPageCommands = new CPageCommands(this);
    m_pPageCommands->RegisterCommands(map);
}

void CMainFrame::OnAppExit() {
    m_bClosing = true;
    close();
    m_bClosing = false;
}

// ---- Modes ----------------------------------------------------------------------------------

int CMainFrame::GetProgramMode() const { return m_pModes->GetCurrentMode(); }
int CMainFrame::GetPreviousMode() const { return m_pModes->GetPreviousMode(); }

void CMainFrame::SetProgramMode(int mode, bool updateBars) { m_pModes->SetProgramMode(mode, updateBars); }

void CMainFrame::SetSelectMode() { SetProgramMode(MODE_SELECT, true); }

void CMainFrame::SetSelector(int kind) {
    m_nSelector = kind;
    if (m_pDrawingPanel) m_pDrawingPanel->SetSelector(kind);
}

void CMainFrame::RepaintObjects(bool bShowTabOrder) {
    if (CLumidorView* v = GetActiveView()) v->RepaintObjects(bShowTabOrder);
}

void CMainFrame::StylebarTabOrder(bool bToggle) { m_pModes->StylebarTabOrder(bToggle); }

// ---- Text style ------------------------------------------------------------------------------

const TEXTSTYLE& CMainFrame::GetTextStyle() const { return m_pTextStyle->GetTextStyle(); }
void CMainFrame::SetTextStyle(const TEXTSTYLE& style) { m_pTextStyle->SetTextStyle(style); }
COLORREF CMainFrame::GetLineColor() const { return m_pTextStyle->GetLineColor(); }
int CMainFrame::GetLineWidth() const { return m_pTextStyle->GetLineWidth(); }

// ---- Options, grid ----------------------------------------------------------------------------

void CMainFrame::SetOptions(const FrameOptions& options) {
    m_options = options;
    SaveFrameOptions(m_options);
    ApplyGridToViews();
    m_pCommands->RequestUpdate();
}

void CMainFrame::SetSnapToGrid(bool on) {
    m_options[OPT_SNAP_TO_GRID] = on ? 1 : 0;
    SaveFrameOptions(m_options);
    ApplyGridToViews();
    m_pCommands->RequestUpdate();
}

void CMainFrame::ApplyGridToViews() {
    for (CLumidorView* v : GetAllViews()) {
        v->SetGrid(m_options[OPT_SNAP_TO_GRID] != 0, int(m_options[OPT_GRID_X]), int(m_options[OPT_GRID_Y]));
        v->viewport()->update();
    }
}

int CMainFrame::CurrentToTextunit(double value) const {
    return unitConvertToTextunit(value, int(m_options[3]));
}

double CMainFrame::TextunitToCurrent(int value) const {
    return unitConvertTextunitTo(value, int(m_options[3]));
}

// ---- Progress, names ------------------------------------------------------------------------

bool CMainFrame::DoProgress(int percent, bool cancellable) {
    return m_pProgress && m_pProgress->DoProgress(percent, cancellable);
}

void CMainFrame::HideProgress() {
    if (m_pProgress) m_pProgress->HideProgress();
}

QString CMainFrame::GetNextDocName() {
    const int n = m_nNewDocCounter++;
    if (m_options[15])
        return QStringLiteral("%1 - %2").arg(QDate::currentDate().toString(QStringLiteral("yyyy MM dd"))).arg(n);
    return QString::number(n);
}

QString CMainFrame::GetTempDirPath() { return ::GetTempDirPath(); }

// ---- Frame commands -------------------------------------------------------------------------

void CMainFrame::OnFileNew() {
    DEF_TRY
    if (CLumidorApp* app = CLumidorApp::Instance()) app->CreateEmptyDoc(FALSE);
    DEF_CATCH
}

void CMainFrame::OnFileOpen() {
    DEF_TRY
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
    DEF_CATCH
}

void CMainFrame::OnCloseAllDocuments() {
    DEF_TRY
    m_mdiArea->closeAllSubWindows();
    if (m_mdiArea->subWindowList().isEmpty())
        m_nNewDocCounter = 1;
    DEF_CATCH
}

void CMainFrame::OnPasteAsNew() {
    DEF_TRY
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return;
    LMyBitmap bitmap;
    if (bitmap.SetImage(image) != SUCCESS) return;
    // The title says when: "05Mar2024 at 03:07 PM", or 24-hour time where the locale's is short.
    const QDateTime now = QDateTime::currentDateTime();
    const QString date = QLocale(QLocale::English).toString(now.date(), QStringLiteral("ddMMMyyyy"));
    QString time = QLocale().toString(now.time(), QStringLiteral("hh':'mm AP"));
    if (time.size() < 8) time = now.time().toString(QStringLiteral("HH'-'mm"));
    if (CLumidorApp* app = CLumidorApp::Instance()) {
        app->m_newDocSource.strTitle = date + QStringLiteral(" at ") + time;
        app->CreateDocFromBitmap(&bitmap, nullptr);
    }
    DEF_CATCH
}

void CMainFrame::OnOptions() { RunOptionsDialog(*this); }

void CMainFrame::OnHelp(const QString& topic) {
    DEF_TRY
    const QString path = HelpTopicPath(topic);
    if (!QFileInfo(path).isFile()) {
        ErrorBox(LoadResString(IDS_HELP_MISSING).arg(FileNameForMessage(path)));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    DEF_CATCH
}

void CMainFrame::OnAppAbout() {
    InformationBox(LoadResString(IDS_ABOUT_TEXT).arg(ProgramDisplayName()));
}

bool CMainFrame::IsHiddenInTray() const { return m_pTray && m_pTray->IsHidden(); }

void CMainFrame::RestoreFromTray() {
    if (m_pTray && m_pTray->IsHidden()) m_pTray->Restore();
}

// ---- Documents and views --------------------------------------------------------------------

void CMainFrame::OnActiveViewChanged() {
    if (CLumidorDoc* doc = GetActiveDocument(); doc && m_pDocumentsBar)
        DocumentActivated(doc);
    else
        ShowActiveViewScale();
    m_pTextStyle->ActiveViewChanged(GetActiveView());
    m_pCommands->RequestUpdate();
}

void CMainFrame::DocumentAdded(CLumidorDoc* doc) {
    if (!doc) return;
    connect(doc, &CLumidorDoc::titleChanged, this, [this, doc] { DocumentTitleChanged(doc); });
    if (m_pDocumentsBar) m_pDocumentsBar->DocumentAdded(doc);
}

void CMainFrame::DocumentRemoved(CLumidorDoc* doc) {
    if (m_pDocumentsBar) m_pDocumentsBar->DocumentRemoved(doc);
}

void CMainFrame::DocumentActivated(CLumidorDoc* doc) {
    if (m_pDocumentsBar) m_pDocumentsBar->DocumentActivated(doc);
}

void CMainFrame::DocumentTitleChanged(CLumidorDoc* doc) {
    if (m_pDocumentsBar) m_pDocumentsBar->DocumentTitleChanged(doc);
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

void CMainFrame::RefreshRecentFiles(QMenu* file) {
    DEF_TRY
    for (QAction* a : m_recentActions)
        delete a;
    m_recentActions.clear();
    CLumidorApp* app = CLumidorApp::Instance();
    QAction* place = m_pCommands->RecentFilesPlaceholder();
    if (!app || !place) return;
    const CRecentFileList& list = app->m_recentFiles;
    for (int i = 0; i < list.GetSize(); ++i) {
        auto* a = new QAction(list.GetDisplayName(i), file);
        a->setToolTip(list.GetFiles()[i]);
        const QString path = list.GetFiles()[i];
        connect(a, &QAction::triggered, this, [path] { OpenRecentFile(path); });
        file->insertAction(place, a);
        m_recentActions.append(a);
    }
    // Without recent files one separator is enough.
    place->setVisible(!m_recentActions.isEmpty());
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

CChildFrame* CMainFrame::GetActiveChildFrame() const {
    QMdiSubWindow* w = m_mdiArea->activeSubWindow();
    if (!w) {
        const auto list = m_mdiArea->subWindowList();
        w = list.isEmpty() ? nullptr : list.last();
    }
    return dynamic_cast<CChildFrame*>(w);
}

CLumidorView* CMainFrame::GetActiveView() const {
    CChildFrame* child = GetActiveChildFrame();
    return child ? child->GetView() : nullptr;
}

CLumidorDoc* CMainFrame::GetActiveDocument() const {
    CLumidorView* v = GetActiveView();
    return v ? v->GetDocument() : nullptr;
}

std::vector<CLumidorView*> CMainFrame::GetAllViews() const {
    std::vector<CLumidorView*> views;
    for (QMdiSubWindow* w : m_mdiArea->subWindowList())
        if (auto* child = dynamic_cast<CChildFrame*>(w))
            if (child->GetView()) views.push_back(child->GetView());
    return views;
}

void CMainFrame::AttachDocumentManager(CDocManager* manager) {
    m_pDocManager = manager;
    if (!manager) return;
    connect(manager, &CDocManager::documentAdded, this, &CMainFrame::DocumentAdded);
    connect(manager, &CDocManager::documentRemoved, this, &CMainFrame::DocumentRemoved);
    manager->SetWindowFactory([this](CLumidorDoc* doc) { CreateDocumentWindow(doc); });
    manager->SetNextDocNameProvider([this] { return GetNextDocName(); });
    m_pRecovery = new CRecoveryManager(manager, -1, this);
    // What a crash left is offered once the window is up.
    QTimer::singleShot(0, this, [this] {
        if (m_pRecovery) m_pRecovery->OfferRecovery();
    });
}

void CMainFrame::CreateDocumentWindow(CLumidorDoc* doc) {
    auto* window = new CChildFrame(doc, m_pDocManager, this);
    CLumidorView* view = window->GetView();
    view->SetProgramModeSource([this] { return m_pModes->GetCurrentMode(); });
    view->SetProgramModeSink([this](int mode) { SetProgramMode(mode, true); });
    view->SetEraserSizeSource([this] {
        const auto* box = findChild<QComboBox*>(QStringLiteral("EraserSize"));
        return box ? std::max(1, box->currentData().toInt()) : 1;
    });
    view->SetTextStyleLink(m_pTextStyle->MakeLink(view));
    // Documents dropped on a page are opened, as from the Open dialog.
    view->SetOpenFilesSink([](const QStringList& paths) {
        if (CLumidorApp* app = CLumidorApp::Instance())
            for (const QString& path : paths) app->OpenDocumentFile(path, 0);
    });
    view->SetCollectionSink([this](const QByteArray& block) { AddObjectToCollection(block); });
    view->SetClassCursor(m_pModes->CursorFor(m_pModes->GetCurrentMode()));
    view->SetGrid(m_options[OPT_SNAP_TO_GRID] != 0, int(m_options[OPT_GRID_X]), int(m_options[OPT_GRID_Y]));
    // Every view reports its zoom; the scale box listens to the active one only.
    connect(view, &CLumidorView::zoomChanged, this, [this, view](int percent) {
        if (view == GetActiveView()) m_pScaleBox->SetViewScaleSelValue(percent);
    });
    connect(view, &CLumidorView::contextMenuRequested, this,
            [this, view](const QPoint& at) { m_pContextPopup->Show(*view, at); });
    connect(view, &CLumidorView::scaleIndexSelected, this, [this, view](int index) {
        if (view == GetActiveView()) m_pScaleBox->SetViewScaleSelIndex(index);
    });
    connect(doc, &CLumidorDoc::modifiedChanged, m_pCommands, &CCommandManager::RequestUpdate);
    connect(doc, &CLumidorDoc::pagesChanged, m_pCommands, &CCommandManager::RequestUpdate);
    // A window closing while none is active changes the window the frame falls back on without
    // an activation; the area lists it until it is gone.
    connect(window, &QObject::destroyed, this, &CMainFrame::OnActiveViewChanged,
            Qt::QueuedConnection);
    m_mdiArea->addSubWindow(window);
    if (m_options[2])
        window->showMaximized();
    else
        window->show();
    OnActiveViewChanged();
}

QMdiSubWindow* CMainFrame::GetDocumentWindow(CLumidorDoc* doc) const {
    for (QMdiSubWindow* w : m_mdiArea->subWindowList())
        if (auto* child = dynamic_cast<CChildFrame*>(w))
            if (child->GetDocument() == doc) return w;
    return nullptr;
}

// ---- The shelf -------------------------------------------------------------------------------

bool CMainFrame::AddObjectToCollection(const QByteArray& block) {
    DEF_TRY
    if (block.isEmpty() || !m_pShelf) return false;
    const int before = m_pShelf->GetItemCount();
    m_pShelf->AddItem(block);
    if (m_pShelf->GetItemCount() > before) {
        m_pShelf->RedrawVisibleList();
        m_pShelf->StoreCollection();
    }
    m_pCommands->RequestUpdate();
    return true;
    DEF_CATCH
    return false;
}

void CMainFrame::AddCursorToCollection(const LBitmapBase& bitmap) {
    DEF_TRY
    if (m_pShelf) m_pShelf->AddToCurrentCursorsList(bitmap.ConvertToDIB());
    m_pCommands->RequestUpdate();
    DEF_CATCH
}

// ---- Events ---------------------------------------------------------------------------------

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Alt turns the zoom tool around while it is held; elsewhere Alt keeps its desktop
        // meaning (the menu bar's mnemonics).
        const int mode = m_pModes->GetCurrentMode();
        if (key->key() == Qt::Key_Alt && (mode == MODE_ZOOM_IN || mode == MODE_ZOOM_OUT) &&
            m_pModes->HandleAltKey(key))
            return true;
        if (event->type() == QEvent::KeyRelease)
            m_pCommands->RequestUpdate();
        break;
    }
    case QEvent::MouseButtonRelease:
        m_pCommands->RequestUpdate();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // The window's place is part of what the state report tells.
        if (watched == this)
            m_pCommands->RequestUpdate();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::changeEvent(QEvent* event) {
    // Minimizing hides the window to the tray, where a tray is there to bring it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_pTray && m_pTray->IsAvailable())
        QMetaObject::invokeMethod(this, [this] { m_pTray->HideToTray(); }, Qt::QueuedConnection);
    QMainWindow::changeEvent(event);
}

void CMainFrame::SaveState() {
    DEF_TRY
    if (CLumidorDoc* doc = GetActiveDocument()) m_options[OPT_PAGE_FRAME] = doc->m_bFrame ? 1 : 0;
    SaveWindowPlacement(*this);
    SaveBarState(*this);
    SaveFrameOptions(m_options);
    m_pTextStyle->SaveSettings();
    if (m_pCapture) m_pCapture->SaveSettings();
    Profile().WriteProfileString(kSectionSettings, QStringLiteral("DocumentsPath"), m_strDocumentsPath);
    Profile().WriteProfileString(kSectionSettings, QStringLiteral("ImagesPath"), m_strImagesPath);
    Profile().Sync();
    DEF_CATCH
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    DEF_TRY
    // A running scan delivers into this window's documents: the window stays until it ends.
    if (m_pScan && m_pScan->IsAcquiring()) {
        event->ignore();
        return;
    }
    // With option 16 the window's close button hides it to the tray; Exit always ends.
    if (!m_bClosing && m_options[16] && m_pTray && m_pTray->IsAvailable() && isVisible()) {
        event->ignore();
        m_pTray->HideToTray();
        return;
    }
    SaveState();
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    DEF_CATCH
    QMainWindow::closeEvent(event);
}
