#include "frame/PagesBar.h"

#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "frame/ChildFrame.h"
#include "frame/MainFrame.h"
#include "objects/ObjectTypes.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <QSignalBlocker>

CPagesBar::CPagesBar(CChildFrame* child) : QTabBar(child), m_pChild(child) {
    setObjectName(QStringLiteral("PagesBar"));
    // Page tabs hang under the page like sheet tabs, away from the documents bar above.
    setShape(QTabBar::RoundedSouth);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QTabBar::currentChanged, this, [this](int) { ActivateSelPage(); });
}

QString CPagesBar::PageCaption(int index) const {
    DEF_TRY
    const CLumidorDoc* doc = m_pChild ? m_pChild->GetDocument() : nullptr;
    if (const _PAGEINFO* page = doc ? doc->GetPageInfo(index) : nullptr;
        page && !page->m_strPageName.isEmpty()) {
        QString name;
        if (!CodePageToUnicode(page->m_strPageName, CP_ACP_DEFAULT, name))
            name = QString::fromLatin1(page->m_strPageName);
        if (!name.isEmpty())
            return name;
    }
    return LoadResString(IDS_PAGE_CAPTION).arg(index + 1);
    DEF_CATCH
    return QString::number(index + 1);
}

QString CPagesBar::CaptionForNewTab(int index) const {
    if (!m_bCaptionOverride)
        return PageCaption(index);
    return index == 0 ? m_strFirstCaption : m_strAppendedCaption;
}

void CPagesBar::SetCaptureCaptions(const QString& first, const QString& appended) {
    m_strFirstCaption = first;
    m_strAppendedCaption = appended;
    m_bCaptionOverride = TRUE;
}

void CPagesBar::UpdatePageCount(int count) {
    DEF_TRY
    const QSignalBlocker quiet(this);
    while (this->count() > count && this->count() > 0)
        removeTab(this->count() - 1);
    while (this->count() < count)
        addTab(CaptionForNewTab(this->count()));
    DEF_CATCH
}

void CPagesBar::UpdatePagesBar() {
    DEF_TRY
    const QSignalBlocker quiet(this);
    while (count() > 0)
        removeTab(count() - 1);
    const CLumidorDoc* doc = m_pChild ? m_pChild->GetDocument() : nullptr;
    const int pages = doc ? doc->GetPageCount() : 0;
    for (int i = 0; i < pages; ++i)
        addTab(PageCaption(i));
    DEF_CATCH
}

void CPagesBar::SelectTab(int index) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

void CPagesBar::ActivatePage(int index) {
    DEF_TRY
    SelectTab(index);
    if (m_pChild)
        m_pChild->SetActivePage(index);
    DEF_CATCH
}

void CPagesBar::ActivateSelPage() {
    DEF_TRY
    if (!m_pChild || currentIndex() < 0)
        return;
    m_pChild->SetActivePage(currentIndex());
    CMainFrame* frame = m_pChild->GetMainFrame();
    if (frame && frame->GetProgramMode() == MODE_TAB_ORDER)
        // Stay in tab order without toggling it off, so that the new page's marks show.
        frame->StylebarTabOrder(false);
    else if (CLumidorView* view = m_pChild->GetView())
        view->RepaintObjects(false);
    DEF_CATCH
}
