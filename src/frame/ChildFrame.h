#pragma once
// CChildFrame: the window of one document inside the main frame, holding its page view. It asks
// the document before closing and closes the document with it; a document closed elsewhere takes
// its window along.

#include <QMdiSubWindow>
#include <QPointer>

class CDocManager;
class CLumidorDoc;
class CLumidorView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(CLumidorDoc* doc, CDocManager* manager);
    CLumidorDoc* GetDocument() const { return m_doc; }
    CLumidorView* GetView() const { return m_view; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RefreshTitle();

    CLumidorDoc* m_doc;
    QPointer<CDocManager> m_manager;
    CLumidorView* m_view;
};
