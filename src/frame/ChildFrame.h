#pragma once
// CChildFrame: the window of one document inside the main frame, holding its page view and, under
// it, its pages bar. It asks the document before closing and closes the document with it; a
// document closed elsewhere takes its window along.

#include <QMdiSubWindow>
#include <QPointer>
#include <QString>

class CDocManager;
class CLumidorDoc;
class CLumidorView;
class CMainFrame;
class CPagesBar;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // The frame may be null (a window on its own, in tests): the program mode then counts as none.
    CChildFrame(CLumidorDoc* doc, CDocManager* manager, CMainFrame* frame = nullptr);
    CLumidorDoc* GetDocument() const { return m_doc; }
    CLumidorView* GetView() const { return m_view; }
    CPagesBar* GetPagesBar() const { return m_pPagesBar; }
    CMainFrame* GetMainFrame() const { return m_frame; }

    // Shows the pages bar with `count` tabs when the document has two pages or more, else hides
    // it; pending capture captions label the tabs this update adds.
    void UpdatePagesBar(int count);
    // The window's view shows page `index`.
    void SetActivePage(int index);

    // Filled by the capture code when it appends a page: the kind name of the appended capture,
    // the name of the first capture of the series, and whether they still wait for the bar.
    QString m_strCaptureKindName;
    QString m_strFirstCaptureName;
    bool m_bCaptionsPending = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RefreshTitle();
    void OnPagesChanged();

    CLumidorDoc* m_doc;
    QPointer<CDocManager> m_manager;
    QPointer<CMainFrame> m_frame;
    CLumidorView* m_view;
    CPagesBar* m_pPagesBar;
};
