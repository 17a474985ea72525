#include "frame/DocumentsBar.h"

#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "frame/MainFrame.h"
#include "objects/ObjectTypes.h"
#include "platform/Guard.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <algorithm>

namespace {
// The documents bar is one small line: tabs no higher than this.
constexpr int kTabHeight = 24;
} // namespace

CDocumentsBar::CDocumentsBar(CMainFrame* frame, QWidget* parent) : QTabBar(parent), m_frame(frame) {
    setObjectName(QStringLiteral("DocumentsTabs"));
    setTabsClosable(true);
    setDocumentMode(true);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideMiddle);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QTabBar::currentChanged, this, [this](int) { ActivateSelDocument(); });
    connect(this, &QTabBar::tabCloseRequested, this, &CDocumentsBar::CloseTab);
}

CLumidorDoc* CDocumentsBar::GetTabDocument(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return reinterpret_cast<CLumidorDoc*>(tabData(index).value<quintptr>());
}

int CDocumentsBar::FindTab(const CLumidorDoc* doc) const {
    for (int i = 0; i < count(); ++i)
        if (GetTabDocument(i) == doc) return i;
    return -1;
}

int CDocumentsBar::DocumentPosition(const CLumidorDoc* doc) const {
    CDocManager* manager = m_frame ? m_frame->GetDocumentManager() : nullptr;
    if (!manager) return -1;
    QList<CLumidorDoc*> docs;
    manager->GetDocumentsList(docs);
    return int(docs.indexOf(doc));
}

void CDocumentsBar::SetTabTexts(int index, const CLumidorDoc* doc) {
    setTabText(index, doc->GetTitle());
    setTabToolTip(index, doc->GetPathName().isEmpty() ? doc->GetTitle() : doc->GetPathName());
}

void CDocumentsBar::DocumentAdded(CLumidorDoc* doc) {
    DEF_TRY
    if (!doc || FindTab(doc) >= 0) return;
    const int pos = DocumentPosition(doc);
    const int index = pos < 0 || pos > count() ? count() : pos;
    const QSignalBlocker quiet(this);
    insertTab(index, doc->GetTitle());
    setTabData(index, QVariant::fromValue(reinterpret_cast<quintptr>(doc)));
    SetTabTexts(index, doc);
    if (count() == 1) update();
    DEF_CATCH
}

void CDocumentsBar::DocumentRemoved(CLumidorDoc* doc) {
    DEF_TRY
    const QSignalBlocker quiet(this);
    for (int i = count() - 1; i >= 0; --i)
        if (GetTabDocument(i) == doc) removeTab(i);
    DEF_CATCH
}

void CDocumentsBar::DocumentTitleChanged(CLumidorDoc* doc) {
    DEF_TRY
    for (int i = 0; i < count(); ++i)
        if (GetTabDocument(i) == doc) SetTabTexts(i, doc);
    DEF_CATCH
}

void CDocumentsBar::DocumentActivated(CLumidorDoc* doc) {
    DEF_TRY
    const int index = FindTab(doc);
    if (index < 0) return;
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    if (m_frame) m_frame->ShowActiveViewScale();
    DEF_CATCH
}

void CDocumentsBar::ActivateSelDocument() {
    DEF_TRY
    CLumidorDoc* doc = GetTabDocument(currentIndex());
    QMdiSubWindow* window = doc && m_frame ? m_frame->GetDocumentWindow(doc) : nullptr;
    // A tab whose document has no window activates nothing.
    if (!window) return;
    m_frame->GetMdiArea()->setActiveSubWindow(window);
    if (m_frame->GetProgramMode() != MODE_TAB_ORDER)
        m_frame->RepaintObjects(false);
    m_frame->ShowActiveViewScale();
    DEF_CATCH
}

void CDocumentsBar::CloseTab(int index) {
    DEF_TRY
    CLumidorDoc* doc = GetTabDocument(index);
    if (!doc || !m_frame) return;
    if (QMdiSubWindow* window = m_frame->GetDocumentWindow(doc)) {
        window->close();
        return;
    }
    CDocManager* manager = m_frame->GetDocumentManager();
    if (manager && (!doc->IsModified() || doc->SaveModified()))
        manager->CloseDocument(doc);
    DEF_CATCH
}

QSize CDocumentsBar::tabSizeHint(int index) const {
    QSize size = QTabBar::tabSizeHint(index);
    size.setHeight(std::min(size.height(), kTabHeight));
    return size;
}

QSize CDocumentsBar::minimumTabSizeHint(int index) const {
    QSize size = QTabBar::minimumTabSizeHint(index);
    size.setHeight(std::min(size.height(), kTabHeight));
    return size;
}

void CDocumentsBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        const int index = tabAt(event->position().toPoint());
        if (index >= 0) {
            CloseTab(index);
            event->accept();
            return;
        }
    }
    QTabBar::mouseReleaseEvent(event);
}
