#pragma once
// CPagesBar: the tab strip of one document window, one tab per page of its document, tab index =
// page index. The window shows it only while the document has two pages or more. Choosing a tab
// shows that page and gives the program mode its say (file size estimate, tab-order marks).
//
// Pages appended by a capture series are labelled by the capture kinds that made them: the window
// hands the captions over (SetCaptureCaptions) before the page count grows, and they stand for
// the tabs added by that one update.

#include "platform/WinTypes.h"

#include <QString>
#include <QTabBar>

class CChildFrame;

class CPagesBar : public QTabBar {
    Q_OBJECT
public:
    explicit CPagesBar(CChildFrame* child);

    // Adds or removes tabs at the end until there are `count`.
    void UpdatePageCount(int count);
    // All tabs anew from the document's pages, each labelled with its page's name.
    void UpdatePagesBar();
    // Selects tab `index` and shows that page.
    void ActivatePage(int index);
    // The user chose a tab.
    void ActivateSelPage();
    // Selects the tab of the page the view shows already; nothing else happens.
    void SelectTab(int index);

    // While the override is on, tab 0 added reads `first` and any other tab added `appended`.
    void SetCaptureCaptions(const QString& first, const QString& appended);
    void ClearCaptionOverride() { m_bCaptionOverride = FALSE; }

    // The label of page `index` when nothing overrides it: its name, or "Page n" without one.
    QString PageCaption(int index) const;

private:
    QString CaptionForNewTab(int index) const;

    CChildFrame* m_pChild;
    LONG m_bCaptionOverride = FALSE;
    QString m_strFirstCaption;    // tab 0 while the override is on
    QString m_strAppendedCaption; // every other tab added while it is on
};
