#include "acquire/CaptureCommands.h"

#include "acquire/CaptureBar.h"
#include "acquire/CaptureHost.h"
#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"
#include "acquire/GlobalHotKey.h"
#include "acquire/UserScrCapture.h"
#include "acquire/X11Screen.h"
#include "app/CommandIds.h"
#include "document/LumidorDoc.h"
#include "platform/ErrorLog.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMainWindow>
#include <QThread>

namespace {
// The command of each kind, by kind (index 0 unused).
constexpr UINT kKindCommands[] = {0,
                                  ID_CAPTURE_SCREEN,
                                  ID_CAPTURE_ACTIVECLIENT,
                                  ID_CAPTURE_ACTIVEWIN,
                                  ID_CAPTURE_WINUNDERCURSOR,
                                  ID_CAPTURE_MENU,
                                  ID_CAPTURE_OBJECT,
                                  ID_CAPTURE_AREA,
                                  ID_CAPTURE_MOUSECURSOR,
                                  ID_CAPTURE_WALLPAPER,
                                  ID_CAPTURE_EXETREE,
                                  ID_CAPTURE_EXETABBED,
                                  ID_CAPTURE_MULTIPLE,
                                  ID_CAPTURE_FILM};
constexpr int kViewFilmWaitMs = 300;

// While the main window is hidden for a capture, a dialog of the capture (the interface files,
// a message) closing is no last window closing: the program goes on.
class CKeepRunning {
public:
    CKeepRunning() : m_bQuit(QGuiApplication::quitOnLastWindowClosed()) {
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    ~CKeepRunning() { QGuiApplication::setQuitOnLastWindowClosed(m_bQuit); }
    CKeepRunning(const CKeepRunning&) = delete;
    CKeepRunning& operator=(const CKeepRunning&) = delete;

private:
    bool m_bQuit;
};

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(1);
    }
}
} // namespace

CCaptureCommands::CCaptureCommands(ICaptureHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_options(LoadCaptureOptions()), m_lead(LoadLeadCaptureOptions()) {
    m_pCapture = std::make_unique<LUserScrCapture>(m_host, m_options, m_lead);
    ApplyImmediateOption();
    if (IsCaptureAvailable()) {
        m_pHotKey = new CGlobalHotKey(this);
        connect(m_pHotKey, &CGlobalHotKey::activated, this, &CCaptureCommands::OnHotKey);
        connect(m_pHotKey, &CGlobalHotKey::cancelled, this, [this] {
            if (m_pCapture->CancelKeyPressed()) m_host.ShowStatusMessage(LoadResString(IDS_CAPTURE_CANCELLED));
        });
    }
}

CCaptureCommands::~CCaptureCommands() {
    // An armed capture ends with the program; its window is not shown any more.
    if (LScreenCapture::ActiveCapture() == m_pCapture.get()) LScreenCapture::StopCapture();
    UnregisterHotKey();
}

bool CCaptureCommands::IsCaptureAvailable() { return CX11Screen::Get() != nullptr; }

void CCaptureCommands::RegisterCommands(CCommandMap& map) {
    const bool available = IsCaptureAvailable();
    for (int kind = CAPTURE_FULL_SCREEN; kind <= CAPTURE_FILM; ++kind) {
        map.On(
            kKindCommands[kind], [this, kind] { OnCapture(kind); },
            [this, kind, available](CCmdUI& ui) {
                ui.Enable(available && !LScreenCapture::IsCaptureActive());
                ui.SetCheck(m_pCapture->GetKind() == kind ? 1 : 0);
            });
    }
    map.On(ID_CAPTURE_STOP, [this] { OnCaptureStop(); },
           [](CCmdUI& ui) { ui.Enable(LScreenCapture::IsCaptureActive()); });
    map.On(ID_CAPTURE_START, [this] { OnStartCapture(); }, [available](CCmdUI& ui) {
        ui.Enable(available && !LScreenCapture::IsCaptureActive());
    });
    map.On(ID_CAPTURE_IMMEDIATE, [this] { OnCaptureImmediate(); },
           [this](CCmdUI& ui) { ui.SetCheck(m_pCapture->IsImmediate() ? 1 : 0); });
    map.On(ID_CAPTURE_HIDEWINDOW, [this] { ToggleOption(CAPOPT_HIDE_WINDOW); },
           [this](CCmdUI& ui) { ui.SetCheck(m_options[CAPOPT_HIDE_WINDOW] ? 1 : 0); });
    map.On(ID_CAPTURE_SHOWAFTER, [this] { ToggleOption(CAPOPT_SHOW_AFTER); },
           [this](CCmdUI& ui) { ui.SetCheck(m_options[CAPOPT_SHOW_AFTER] ? 1 : 0); });
    map.On(ID_CAPTURE_VIEWFILM, [this] { OnCaptureViewFilm(); }, [this](CCmdUI& ui) {
        const CLumidorDoc* doc = m_host.GetActiveDocument();
        ui.Enable(doc && doc->GetPageCount() > 1 && !LScreenCapture::IsCaptureActive());
    });
    map.On(ID_CAPTURE_OBJECTOP, [this] { m_pCapture->CaptureObjectOptionDlg(); });
    const struct {
        UINT id;
        int field;
    } ways[] = {{ID_SCREENSHOT_TO_DOCUMENT, CAPOPT_TO_DOCUMENT},
                {ID_SCREENSHOT_TO_FILE, CAPOPT_TO_FILE},
                {ID_SCREENSHOT_TO_CLIPBOARD, CAPOPT_TO_CLIPBOARD}};
    for (const auto& way : ways) {
        const int field = way.field;
        map.On(way.id, [this, field] { ToggleOption(field); },
               [this, field](CCmdUI& ui) { ui.SetCheck(m_options[field] ? 1 : 0); });
    }
    map.On(ID_VIEW_CAPTURE_BAR, [this] {
        if (m_pBar) m_pBar->setVisible(!m_pBar->isVisible());
    }, [this](CCmdUI& ui) { ui.SetCheck(m_pBar && m_pBar->isVisible() ? 1 : 0); });
}

QToolBar* CCaptureCommands::CreateBar(QMainWindow* window, const std::function<QAction*(UINT)>& action) {
    DEF_TRY
    m_pBar = new CCaptureBar(window, [&action](int kind) {
        return action ? action(kKindCommands[kind]) : nullptr;
    });
    connect(m_pBar, &CCaptureBar::kindPressed, this, [this](int kind) {
        ChooseBarKind(kind);
        OnCapture(kind);
    });
    m_pBar->ShowChosenKind(int(m_options[CAPOPT_BAR_KIND]));
    return m_pBar;
    DEF_CATCH
    return nullptr;
}

void CCaptureCommands::ChooseBarKind(int kind) {
    m_options[CAPOPT_BAR_KIND] = kind;
    if (m_pBar) m_pBar->ShowChosenKind(kind);
    if (m_options[CAPOPT_HELP_TOPICS]) {
        if (kind == CAPTURE_WINDOW_UNDER_CURSOR) m_host.OpenHelpTopic(QStringLiteral("40.htm"));
        else if (kind == CAPTURE_MENU_UNDER_CURSOR) m_host.OpenHelpTopic(QStringLiteral("50.htm"));
        else if (kind == CAPTURE_MOUSE_CURSOR) m_host.OpenHelpTopic(QStringLiteral("60.htm"));
    }
    Q_EMIT barKindChanged();
}

void CCaptureCommands::RegisterHotKey() {
    DEF_TRY
    if (!IsCaptureAvailable()) {
        // The capture commands stay disabled; the status bar says why.
        m_host.ShowStatusMessage(LoadResString(IDS_CAPTURE_NEEDS_X11));
        return;
    }
    if (!m_pHotKey) return;
    const CGlobalHotKey::Result r = m_pHotKey->Register(UINT(m_lead[LEADCAP_HOTKEY]), UINT(m_lead[LEADCAP_MODIFIERS]));
    if (r == CGlobalHotKey::Result::Taken && !m_bHotKeyFaultTold) {
        m_bHotKeyFaultTold = true;
        const QString text = LoadResString(IDS_CAPTURE_HOTKEY_TAKEN);
        WriteLog(text);
        m_host.ShowStatusMessage(text);
    }
    DEF_CATCH
}

void CCaptureCommands::UnregisterHotKey() {
    if (m_pHotKey) {
        m_pHotKey->Unregister();
        m_pHotKey->UnregisterCancel();
    }
}

void CCaptureCommands::SetOptions(const CaptureOptions& options) {
    m_options = options;
    if (m_pBar) m_pBar->ShowChosenKind(int(m_options[CAPOPT_BAR_KIND]));
    m_host.CaptureStateChanged();
}

void CCaptureCommands::SetLeadOptions(const LeadCaptureOptions& lead) {
    m_lead = lead;
    SaveLeadCaptureOptions(m_lead);
    // A new key may be free where the old one was not.
    m_bHotKeyFaultTold = false;
    RegisterHotKey();
}

void CCaptureCommands::ApplyImmediateOption() { m_pCapture->SetImmediate(m_options[CAPOPT_IMMEDIATE] != 0); }

void CCaptureCommands::SaveSettings() const {
    SaveCaptureOptions(m_options);
    SaveLeadCaptureOptions(m_lead);
}

void CCaptureCommands::ToggleOption(int field) {
    m_options[field] = m_options[field] ? 0 : 1;
    SaveCaptureOptions(m_options);
    m_host.CaptureStateChanged();
}

void CCaptureCommands::OnCapture(int kind) {
    DEF_TRY
    if (!IsCaptureAvailable()) {
        m_host.ShowStatusMessage(LoadResString(IDS_CAPTURE_NEEDS_X11));
        return;
    }
    if (LScreenCapture::IsCaptureActive()) return;
    const CKeepRunning keep;
    // The cancel key is the server's while a capture waits for the hot key.
    if (!m_pCapture->IsImmediate() && m_pHotKey && m_lead[LEADCAP_CANCEL_KEY])
        m_pHotKey->RegisterCancel(UINT(m_lead[LEADCAP_CANCEL_KEY]));
    if (kind == CAPTURE_MULTIPLE) m_pCapture->CaptureMultiple();
    else if (kind == CAPTURE_FILM) m_pCapture->CaptureFilm();
    else m_pCapture->CaptureKind(kind);
    if (!LScreenCapture::IsCaptureActive() && m_pHotKey) m_pHotKey->UnregisterCancel();
    m_host.CaptureStateChanged();
    DEF_CATCH
}

void CCaptureCommands::OnStartCapture() {
    const int kind = int(m_options[CAPOPT_BAR_KIND]);
    if ((kind >= CAPTURE_FULL_SCREEN && kind <= CAPTURE_MOUSE_CURSOR) || kind == CAPTURE_MULTIPLE ||
        kind == CAPTURE_FILM)
        OnCapture(kind);
}

void CCaptureCommands::OnCaptureStop() {
    DEF_TRY
    LScreenCapture::StopCapture();
    if (m_pHotKey) m_pHotKey->UnregisterCancel();
    m_host.CaptureStateChanged();
    DEF_CATCH
}

void CCaptureCommands::OnCaptureImmediate() {
    m_pCapture->SetImmediate(!m_pCapture->IsImmediate());
    m_options[CAPOPT_IMMEDIATE] = m_pCapture->IsImmediate() ? 1 : 0;
    m_host.CaptureStateChanged();
}

void CCaptureCommands::OnHotKey() {
    DEF_TRY
    if (m_pCapture->IsArmed()) {
        const CKeepRunning keep;
        m_pCapture->HotKeyPressed();
        if (m_pHotKey) m_pHotKey->UnregisterCancel();
        m_host.CaptureStateChanged();
        return;
    }
    OnStartCapture();
    DEF_CATCH
}

void CCaptureCommands::OnCaptureViewFilm() {
    DEF_TRY
    CLumidorView* view = m_host.GetActiveView();
    const CLumidorDoc* doc = m_host.GetActiveDocument();
    if (!view || !doc) return;
    for (int i = 0; i < doc->GetPageCount(); ++i) {
        view->SetActivePage(i);
        view->viewport()->repaint();
        Wait(kViewFilmWaitMs);
        // The document may close meanwhile.
        if (m_host.GetActiveView() != view) return;
    }
    DEF_CATCH
}
