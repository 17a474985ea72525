#pragma once
// The main window. For now a multi-document frame with a File menu, in which every open document
// shows as a plain window with its title and page count; bars, modes, commands and the real
// document windows join it later.

#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;
class CDocManager;
class CLumidorDoc;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    QMdiArea* GetMdiArea() const { return m_mdiArea; }
    // Every document the manager adds from now on gets a window in the frame.
    void AttachDocumentManager(CDocManager* manager);
    // The window of a document, null when it has none.
    QMdiSubWindow* GetDocumentWindow(CLumidorDoc* doc) const;

protected:
    // The documents are asked first; a document that must stay open keeps the frame open.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateDocumentWindow(CLumidorDoc* doc);

    QMdiArea* m_mdiArea;
    CDocManager* m_pDocManager = nullptr;
};
