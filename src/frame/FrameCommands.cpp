#include "frame/FrameCommands.h"

#include "acquire/ScanCommands.h"
#include "app/CommandIds.h"
#include "app/LumidorApp.h"
#include "frame/MainFrame.h"
#include "frame/TrayIcon.h"
#include "view/LumidorView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

void RegisterFrameCommands(CMainFrame& frame, CCommandMap& map) {
    const auto hasWindow = [&frame](CCmdUI& ui) { ui.Enable(frame.GetActiveView() != nullptr); };
    map.On(ID_FILE_NEW, [&frame] { frame.OnFileNew(); });
    map.On(ID_FILE_OPEN, [&frame] { frame.OnFileOpen(); });
    map.On(ID_FILE_PRINT_SETUP, [&frame] {
        CLumidorApp* app = CLumidorApp::Instance();
        if (app && app->OnFilePrintSetup())
            for (CLumidorView* view : frame.GetAllViews())
                view->UpdatePrinterSettings();
    });
    map.On(
        ID_FILE_CLOSE,
        [&frame] {
            if (QMdiSubWindow* w = frame.GetMdiArea()->activeSubWindow()) w->close();
        },
        [&frame](CCmdUI& ui) { ui.Enable(frame.GetMdiArea()->activeSubWindow() != nullptr); });
    map.On(
        ID_FILE_CLOSE_ALL, [&frame] { frame.OnCloseAllDocuments(); }, hasWindow);
    map.On(
        ID_APP_EXIT, [&frame] { frame.OnAppExit(); },
        [&frame](CCmdUI& ui) {
            ui.Enable(!frame.GetScanCommands() || !frame.GetScanCommands()->IsAcquiring());
        });
    map.On(
        ID_PASTE_AS_NEW, [&frame] { frame.OnPasteAsNew(); },
        [](CCmdUI& ui) {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            ui.Enable(data && data->hasImage());
        });

    // The bars: each toggles its own visibility and is checked while it shows.
    struct BarCommand {
        UINT id;
        const char* name;
    };
    for (const BarCommand b :
         {BarCommand{ID_VIEW_MAIN_BAR, "MainBar"},
          BarCommand{ID_VIEW_MULTIPAGE_BAR, "MultipageBar"},
          BarCommand{ID_VIEW_DRAWING_BAR, "DrawingBar"}, BarCommand{ID_VIEW_GROUP_BAR, "GroupBar"},
          BarCommand{ID_VIEW_TEXT_STYLE_BAR, "TextStyleBar"},
          BarCommand{ID_VIEW_DOCUMENTS_BAR, "DocumentsBar"},
          BarCommand{ID_VIEW_IMAGE_BAR, "ImageBar"}}) {
        const QString name = QString::fromLatin1(b.name);
        map.On(
            b.id, [&frame, name] { frame.ViewBar(name); },
            [&frame, name](CCmdUI& ui) {
                QToolBar* bar = frame.GetBar(name);
                ui.Enable(bar != nullptr);
                ui.SetCheck(bar && bar->isVisible());
            });
    }
    map.On(
        ID_VIEW_STATUS_BAR,
        [&frame] { frame.statusBar()->setVisible(!frame.statusBar()->isVisible()); },
        [&frame](CCmdUI& ui) { ui.SetCheck(frame.statusBar()->isVisible()); });
    map.On(
        ID_GROUPBAR_SNAP_TO_GRID,
        [&frame] { frame.SetSnapToGrid(frame.GetOptions()[OPT_SNAP_TO_GRID] == 0); },
        [&frame](CCmdUI& ui) { ui.SetCheck(frame.GetOptions()[OPT_SNAP_TO_GRID] != 0); });

    map.On(
        ID_WINDOW_CASCADE, [&frame] { frame.GetMdiArea()->cascadeSubWindows(); }, hasWindow);
    map.On(
        ID_WINDOW_TILE_HORZ, [&frame] { frame.GetMdiArea()->tileSubWindows(); }, hasWindow);
    const auto several = [&frame](CCmdUI& ui) {
        ui.Enable(frame.GetMdiArea()->subWindowList().size() > 1);
    };
    map.On(
        ID_NEXT_PANE, [&frame] { frame.GetMdiArea()->activateNextSubWindow(); }, several);
    map.On(
        ID_PREV_PANE, [&frame] { frame.GetMdiArea()->activatePreviousSubWindow(); }, several);

    // Help: a topic of the user guide in the user's browser.
    struct Topic {
        UINT id;
        const char* page;
    };
    for (const Topic t :
         {Topic{ID_HELP_CONTENTS, "1000.htm"}, Topic{ID_HELP_YOURFIRSTSTEP, "2000.htm"},
          Topic{ID_HELP_HOWTO, "3000.htm"}, Topic{ID_HELP_TECHNICALSUPPORT, "4000.htm"},
          Topic{ID_HELP_OURDEVELOPMENTS, "5000.htm"},
          Topic{ID_HELP_ORDERINGINFORMATION, "6000.htm"}, Topic{ID_HELP_FAQ, "7000.htm"}}) {
        const QString page = QString::fromLatin1(t.page);
        map.On(t.id, [&frame, page] { frame.OnHelp(page); });
    }
    map.On(ID_APP_ABOUT, [&frame] { frame.OnAppAbout(); });
    map.On(ID_OPTIONS, [&frame] { frame.OnOptions(); });
    map.On(ID_TRAY_RESTORE, [&frame] {
        if (CTrayIcon* tray = frame.GetTray()) tray->Restore();
    });
}
