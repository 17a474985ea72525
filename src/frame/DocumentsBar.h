#pragma once
// CDocumentsBar: the tab strip of the documents bar, one tab per open document in the document
// manager's order, each tab keeping its document. The main frame tells it of documents added,
// removed, activated and retitled; choosing a tab activates that document's window and keeps the
// scale box and the program mode's marks in step. A tab closes its document as the window's own
// close does: with the close button or the middle mouse button.

#include <QTabBar>

class CLumidorDoc;
class CMainFrame;

class CDocumentsBar : public QTabBar {
    Q_OBJECT
public:
    CDocumentsBar(CMainFrame* frame, QWidget* parent);

    void DocumentAdded(CLumidorDoc* doc);
    void DocumentRemoved(CLumidorDoc* doc);
    void DocumentActivated(CLumidorDoc* doc);
    void DocumentTitleChanged(CLumidorDoc* doc);
    // The user chose a tab.
    void ActivateSelDocument();

    CLumidorDoc* GetTabDocument(int index) const;
    // The tab of the document, -1 when it has none.
    int FindTab(const CLumidorDoc* doc) const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The bar stays one small line high, whatever the style's tabs would take.
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    // Closes the document of the tab the way its window closes: a modified one is asked first.
    void CloseTab(int index);
    void SetTabTexts(int index, const CLumidorDoc* doc);
    // The document's place among all open documents, -1 when the manager does not hold it.
    int DocumentPosition(const CLumidorDoc* doc) const;

    CMainFrame* m_frame;
};
