#include "frame/ChildFrame.h"

#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "frame/MainFrame.h"
#include "frame/PagesBar.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <QCloseEvent>
#include <QVBoxLayout>
#include <QWidget>

CChildFrame::CChildFrame(CLumidorDoc* doc, CDocManager* manager, CMainFrame* frame)
    : m_doc(doc), m_manager(manager), m_frame(frame), m_view(new CLumidorView(doc)),
      m_pPagesBar(new CPagesBar(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("DocumentWindow"));
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_pPagesBar);
    m_pPagesBar->hide();
    setWidget(content);
    setFocusProxy(m_view);
    m_view->OnInitialUpdate();
    UpdatePagesBar(doc->GetPageCount());
    RefreshTitle();
    connect(doc, &CLumidorDoc::titleChanged, this, [this] { RefreshTitle(); });
    connect(doc, &CLumidorDoc::pagesChanged, this, &CChildFrame::OnPagesChanged);
    connect(doc, &QObject::destroyed, this, [this] {
        m_doc = nullptr;
        close();
    });
    resize(720, 560);
}

void CChildFrame::RefreshTitle() {
    if (m_doc) setWindowTitle(m_doc->GetTitle());
}

void CChildFrame::OnPagesChanged() {
    DEF_TRY
    if (!m_doc) return;
    if (m_view->GetActivePage() >= m_doc->GetPageCount())
        m_view->SetActivePage(m_doc->GetPageCount() - 1);
    m_view->OnInitialUpdate();
    UpdatePagesBar(m_doc->GetPageCount());
    DEF_CATCH
}

void CChildFrame::UpdatePagesBar(int count) {
    DEF_TRY
    if (count < 2) {
        // No tabs while hidden: the first tab of a capture series is then labelled anew.
        m_pPagesBar->hide();
        m_pPagesBar->UpdatePageCount(0);
        return;
    }
    if (m_bCaptionsPending) {
        m_pPagesBar->SetCaptureCaptions(m_strFirstCaptureName, m_strCaptureKindName);
        m_bCaptionsPending = false;
    }
    m_pPagesBar->UpdatePageCount(count);
    m_pPagesBar->ClearCaptionOverride();
    m_pPagesBar->SelectTab(m_view->GetActivePage());
    m_pPagesBar->show();
    DEF_CATCH
}

void CChildFrame::SetActivePage(int index) {
    DEF_TRY
    m_view->SetActivePage(index);
    m_view->viewport()->update();
    DEF_CATCH
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
