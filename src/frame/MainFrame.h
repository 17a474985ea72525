#pragma once
// The main window. For now a multi-document frame with File and View menus, in which every open
// document shows in its own window with its page view; bars, modes and the other commands join it
// later.

#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;
class CDocManager;
class CLumidorDoc;
class CLumidorView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    QMdiArea* GetMdiArea() const { return m_mdiArea; }
    // Every document the manager adds from now on gets a window in the frame.
    void AttachDocumentManager(CDocManager* manager);
    // The window of a document, null when it has none.
    QMdiSubWindow* GetDocumentWindow(CLumidorDoc* doc) const;
    // The view of the active document window (else of the newest one); null without windows.
    CLumidorView* GetActiveView() const;
    // Asks for a file and opens it: an image as a new untitled document, else as a document file.
    void OnFileOpen();

protected:
    // The documents are asked first; a document that must stay open keeps the frame open.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateDocumentWindow(CLumidorDoc* doc);

    QMdiArea* m_mdiArea;
    CDocManager* m_pDocManager = nullptr;
};
