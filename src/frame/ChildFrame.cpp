#include "frame/ChildFrame.h"

#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "view/LumidorView.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CLumidorDoc* doc, CDocManager* manager)
    : m_doc(doc), m_manager(manager), m_view(new CLumidorView(doc)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("DocumentWindow"));
    setWidget(m_view);
    m_view->OnInitialUpdate();
    RefreshTitle();
    connect(doc, &CLumidorDoc::titleChanged, this, [this] { RefreshTitle(); });
    connect(doc, &CLumidorDoc::pagesChanged, this, [this] {
        if (m_doc && m_view->GetActivePage() >= m_doc->GetPageCount())
            m_view->SetActivePage(m_doc->GetPageCount() - 1);
        m_view->OnInitialUpdate();
    });
    connect(doc, &QObject::destroyed, this, [this] {
        m_doc = nullptr;
        close();
    });
    resize(720, 560);
}

void CChildFrame::RefreshTitle() {
    if (m_doc) setWindowTitle(m_doc->GetTitle());
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_doc && m_doc->IsModified() && !m_doc->SaveModified()) {
        event->ignore();
        return;
    }
    if (CLumidorDoc* doc = m_doc) {
        m_doc = nullptr;
        if (m_manager) m_manager->CloseDocument(doc);
    }
    QMdiSubWindow::closeEvent(event);
}
