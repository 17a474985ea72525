#include "frame/MainFrame.h"

#include "app/Resource.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "platform/ResourceModule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>

namespace {
// The placeholder window of a document: asks the document before closing, and closes the
// document with it.
class CDocPlaceholderWindow : public QMdiSubWindow {
public:
    CDocPlaceholderWindow(CLumidorDoc* doc, CDocManager* manager) : m_doc(doc), m_manager(manager) {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(QStringLiteral("DocumentWindow"));
        m_label = new QLabel;
        m_label->setAlignment(Qt::AlignCenter);
        m_label->setObjectName(QStringLiteral("DocumentLabel"));
        setWidget(m_label);
        Refresh();
        connect(doc, &CLumidorDoc::titleChanged, this, [this] { Refresh(); });
        connect(doc, &CLumidorDoc::pagesChanged, this, [this] { Refresh(); });
        // A document closed elsewhere takes its window along.
        connect(doc, &QObject::destroyed, this, [this] {
            m_doc = nullptr;
            close();
        });
        resize(360, 240);
    }
    CLumidorDoc* Document() const { return m_doc; }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (m_doc && m_doc->IsModified() && !m_doc->SaveModified()) {
            event->ignore();
            return;
        }
        if (CLumidorDoc* doc = m_doc) {
            m_doc = nullptr;
            if (m_manager)
                m_manager->CloseDocument(doc);
        }
        QMdiSubWindow::closeEvent(event);
    }

private:
    void Refresh() {
        if (!m_doc)
            return;
        setWindowTitle(m_doc->GetTitle());
        m_label->setText(
            LoadResString(IDS_DOCWND_TEXT).arg(m_doc->GetTitle()).arg(m_doc->GetPageCount()));
    }

    CLumidorDoc* m_doc;
    QPointer<CDocManager> m_manager;
    QLabel* m_label;
};
} // namespace

CMainFrame::CMainFrame() : m_mdiArea(new QMdiArea(this)) {
    setObjectName(QStringLiteral("CMainFrame"));
    setCentralWidget(m_mdiArea);
    QMenu* file = menuBar()->addMenu(LoadResString(IDS_MENU_FILE));
    QAction* exit = file->addAction(LoadResString(IDS_MENU_EXIT));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    resize(1024, 768);
}

void CMainFrame::AttachDocumentManager(CDocManager* manager) {
    m_pDocManager = manager;
    if (manager)
        manager->SetWindowFactory([this](CLumidorDoc* doc) { CreateDocumentWindow(doc); });
}

void CMainFrame::CreateDocumentWindow(CLumidorDoc* doc) {
    auto* window = new CDocPlaceholderWindow(doc, m_pDocManager);
    m_mdiArea->addSubWindow(window);
    window->show();
}

QMdiSubWindow* CMainFrame::GetDocumentWindow(CLumidorDoc* doc) const {
    for (QMdiSubWindow* w : m_mdiArea->subWindowList())
        if (auto* placeholder = dynamic_cast<CDocPlaceholderWindow*>(w))
            if (placeholder->Document() == doc)
                return w;
    return nullptr;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
