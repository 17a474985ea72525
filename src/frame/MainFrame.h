#pragma once
// The main window. For now a multi-document frame with File and View menus and the main bar with
// its scale box, in which every open document shows in its own window with its page view. It holds
// the program mode that every view reads; the other bars, modes and commands join it later.

#include <QList>
#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;
class CDocManager;
class CLumidorDoc;
class CLumidorView;
class CScaleBox;
class QAction;
class QMenu;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;
    QMdiArea* GetMdiArea() const { return m_mdiArea; }
    // Every document the manager adds from now on gets a window in the frame.
    void AttachDocumentManager(CDocManager* manager);
    // The window of a document, null when it has none.
    QMdiSubWindow* GetDocumentWindow(CLumidorDoc* doc) const;
    // The view of the active document window (else of the newest one); null without windows.
    CLumidorView* GetActiveView() const;
    // Asks for a file and opens it: an image as a new untitled document, else as a document file.
    void OnFileOpen();

    CScaleBox* GetScaleBox() const { return m_pScaleBox; }
    // The program mode every view works in (0 until a mode has been chosen).
    int GetProgramMode() const { return m_nProgramMode; }
    // The one place the program mode changes.
    void SetProgramMode(int mode);
    // Switches the image-moving mode on, or off again when it is current.
    void OnDrawingToolsPaw();

protected:
    // The documents are asked first; a document that must stay open keeps the frame open.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateDocumentWindow(CLumidorDoc* doc);
    // The scale box and the commands follow the active view.
    void OnActiveViewChanged();
    void ShowActiveViewScale();
    void UpdateCommandState();
    // The File menu's entries of the recent-file list, rebuilt from the application's list.
    void RefreshRecentFiles(QMenu* file);
    static void OpenRecentFile(const QString& path);

    QMdiArea* m_mdiArea;
    CDocManager* m_pDocManager = nullptr;
    CScaleBox* m_pScaleBox;
    QAction* m_pPawAction = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    QList<QAction*> m_recentActions;
    int m_nProgramMode = 0;
};
