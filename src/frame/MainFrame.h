#pragma once
// CMainFrame: the main window. A multi-document frame (one CChildFrame per document) with the
// menu bar, the bars, the status bar with its progress, and the program-wide state that belongs to
// no document: the program mode, the frame options, the default folders and the counter of new
// document names. It keeps the operations of the design but hands the work to collaborators: the
// command table (frame/CommandManager.h), the program modes (frame/ProgramModes.h), the progress
// (frame/StatusProgress.h), the page commands (frame/PageCommands.h), the window's saved state
// (frame/FrameState.h) and the tray (frame/TrayIcon.h).

#include "app/CommandTarget.h"
#include "app/ProfileRecords.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class CCaptureCommands;
class CCaptureFrameHost;
class CChildFrame;
class CCommandManager;
class CContextPopup;
class CCursorCollectionBar;
class CDocManager;
class CDocumentsBar;
class CDrawingBarPanel;
class CLumidorDoc;
class CLumidorView;
class CPageCommands;
class CProgramModes;
class CRecoveryManager;
class CScaleBox;
class CScanCommands;
class CStatusProgress;
class CTextStyleBar;
class CTrayIcon;
class LBitmapBase;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;
    static CMainFrame* Instance();

    QMdiArea* GetMdiArea() const { return m_mdiArea; }
    // Every document the manager adds from now on gets a window in the frame.
    void AttachDocumentManager(CDocManager* manager);
    CDocManager* GetDocumentManager() const { return m_pDocManager; }
    // The window of a document, null when it has none.
    QMdiSubWindow* GetDocumentWindow(CLumidorDoc* doc) const;
    // The active document window, else the newest one; null without windows.
    CChildFrame* GetActiveChildFrame() const;
    CLumidorView* GetActiveView() const;
    CLumidorDoc* GetActiveDocument() const;
    // Every view of every document, in document order.
    std::vector<CLumidorView*> GetAllViews() const;

    CCommandManager* GetCommands() const { return m_pCommands; }
    CScaleBox* GetScaleBox() const { return m_pScaleBox; }
    QToolBar* GetBar(const QString& name) const;

    // ---- Program modes --------------------------------------------------------------------
    int GetProgramMode() const;
    int GetPreviousMode() const;
    // The one place the program mode changes.
    void SetProgramMode(int mode, bool updateBars = true);
    void SetSelectMode();
    // The drawing bar's side panel: 0 none, 1 the options of shapes with a callout, 2 the image
    // format options.
    void SetSelector(int kind);
    int GetSelector() const { return m_nSelector; }
    void RepaintObjects(bool bShowTabOrder);
    // Tab order: leaves it when current (with bToggle), otherwise enters it and shows the marks.
    void StylebarTabOrder(bool bToggle = true);

    // ---- Options and the grid ------------------------------------------------------------
    const FrameOptions& GetOptions() const { return m_options; }
    void SetOptions(const FrameOptions& options);
    void SetSnapToGrid(bool on);
    int CurrentToTextunit(double value) const;
    double TextunitToCurrent(int value) const;

    // ---- Text style ----------------------------------------------------------------------
    CTextStyleBar* GetTextStyleBar() const { return m_pTextStyle; }
    const TEXTSTYLE& GetTextStyle() const;
    // Shows the style in the text style bar without sending it to the view.
    void SetTextStyle(const TEXTSTYLE& style);
    // What new lines and shapes get: the colour box's colour and the line width (text units).
    COLORREF GetLineColor() const;
    int GetLineWidth() const;

    // ---- Progress, names, folders --------------------------------------------------------
    bool DoProgress(int percent, bool cancellable);
    void HideProgress();
    QString GetNextDocName();
    static QString GetTempDirPath();
    const QString& GetDocumentsPath() const { return m_strDocumentsPath; }
    void SetDocumentsPath(const QString& path) { m_strDocumentsPath = path; }
    const QString& GetImagesPath() const { return m_strImagesPath; }
    void SetImagesPath(const QString& path) { m_strImagesPath = path; }

    // ---- Commands of the frame -----------------------------------------------------------
    void OnFileOpen();
    void OnFileNew();
    void OnCloseAllDocuments();
    void OnPasteAsNew();
    void OnOptions();
    void OnHelp(const QString& topic);
    void OnAppAbout();
    // Exit: the window closes whatever option 16 says about the close button.
    void OnAppExit();
    void ViewBar(const QString& name);
    bool IsHiddenInTray() const;
    CTrayIcon* GetTray() const { return m_pTray; }
    void RestoreFromTray();
    // Screen capture: its commands, options and hot key.
    CCaptureCommands* GetCaptureCommands() const { return m_pCapture; }
    // Scanning: its commands and the scanner session.
    CScanCommands* GetScanCommands() const { return m_pScan; }

    // ---- Documents bar: documents come, go, become active and change their titles ----------
    void DocumentAdded(CLumidorDoc* doc);
    void DocumentRemoved(CLumidorDoc* doc);
    void DocumentActivated(CLumidorDoc* doc);
    void DocumentTitleChanged(CLumidorDoc* doc);
    CDocumentsBar* GetDocumentsBar() const { return m_pDocumentsBar; }

    // ---- The shelf ---------------------------------------------------------------------------
    // Puts an object's data block on the shelf (only pictures of cursor size stay); false for
    // an empty block.
    bool AddObjectToCollection(const QByteArray& block);
    // A captured cursor's bitmap joins the shelf whatever its size.
    void AddCursorToCollection(const LBitmapBase& bitmap);
    CCursorCollectionBar* GetShelfBar() const { return m_pShelf; }
    // The scale box shows the active view's scale.
    void ShowActiveViewScale();

protected:
    // The documents are asked first; a document that must stay open keeps the frame open. With
    // option 16 the system's close hides the window to the tray instead.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateBars();
    void RegisterCommands();
    CCommandRoute Route() const;
    void CreateDocumentWindow(CLumidorDoc* doc);
    // The scale box and the commands follow the active view.
    void OnActiveViewChanged();
    void ApplyGridToViews();
    // The File menu's entries of the recent-file list, rebuilt from the application's list.
    void RefreshRecentFiles(QMenu* file);
    static void OpenRecentFile(const QString& path);
    void SaveState();

    QMdiArea* m_mdiArea;
    CDocManager* m_pDocManager = nullptr;
    CCommandManager* m_pCommands;
    CProgramModes* m_pModes;
    CScaleBox* m_pScaleBox;
    CStatusProgress* m_pProgress = nullptr;
    CPageCommands* m_pPageCommands = nullptr;
    CDocumentsBar* m_pDocumentsBar = nullptr;
    CDrawingBarPanel* m_pDrawingPanel = nullptr;
    CCursorCollectionBar* m_pShelf = nullptr;
    CTrayIcon* m_pTray = nullptr;
    std::unique_ptr<CCaptureFrameHost> m_pCaptureHost;
    CCaptureCommands* m_pCapture = nullptr;
    CScanCommands* m_pScan = nullptr;
    // The page's context menu.
    std::unique_ptr<CContextPopup> m_pContextPopup;
    CTextStyleBar* m_pTextStyle = nullptr;
    QPointer<CRecoveryManager> m_pRecovery;
    CCommandMap m_commandMap;
    QList<QAction*> m_recentActions;
    FrameOptions m_options;
    QString m_strDocumentsPath;
    QString m_strImagesPath;
    int m_nNewDocCounter = 1;
    int m_nSelector = 0;
    bool m_bClosing = false;
};
