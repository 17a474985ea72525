// The page commands with the pages bar of a document window, and the documents bar following
// the open documents: what each command leaves in the document, which tab shows, which commands
// stay enabled.

#include "FrameFixture.h"
#include "TestSupport.h"

#include "app/CommandIds.h"
#include "app/Resource.h"
#include "app/SelectDocOrPage.h"
#include "document/LumidorDoc.h"
#include "frame/ChildFrame.h"
#include "frame/CommandManager.h"
#include "frame/DocumentsBar.h"
#include "frame/PagesBar.h"
#include "frame/ScaleBox.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"
#include "view/LumidorView.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
class PagesAndDocuments : public FrameFixture {
protected:
    // Grey pages told apart by their widths.
    static LBitmapList Pages(std::initializer_list<int> widths) {
        LBitmapList list;
        for (int w : widths) {
            LBitmapBase page;
            page.Create(w, 8, 24);
            page.Fill(RGB(200, 200, 200));
            list.InsertItem(std::move(page));
        }
        return list;
    }
    CLumidorDoc* NewDoc(std::initializer_list<int> widths) {
        LBitmapList list = Pages(widths);
        app.CreateDocFromBitmapList(&list);
        QList<CLumidorDoc*> docs;
        manager.GetDocumentsList(docs);
        return docs.isEmpty() ? nullptr : docs.back();
    }
    CChildFrame* Child(CLumidorDoc* doc) const {
        return dynamic_cast<CChildFrame*>(frame.GetDocumentWindow(doc));
    }
    std::vector<int> Widths(const CLumidorDoc* doc) const {
        std::vector<int> w;
        for (int i = 0; i < doc->GetPageCount(); ++i)
            w.push_back(doc->GetBitmapPage(i)->GetWidth());
        return w;
    }
    QStringList Tabs(const QTabBar* bar) const {
        QStringList t;
        for (int i = 0; i < bar->count(); ++i)
            t << bar->tabText(i);
        return t;
    }
    bool Enabled(UINT id) const { return frame.GetCommands()->State(id).m_bEnabled; }
    void Run(UINT id) { frame.GetCommands()->Execute(id); }
    void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};
} // namespace

TEST_F(PagesAndDocuments, PageCommandsMoveDeleteAndStepWithTheirTabs) {
    CLumidorDoc* doc = NewDoc({10, 20, 30});
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = Child(doc);
    CPagesBar* bar = child->GetPagesBar();
    CLumidorView* view = child->GetView();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(Tabs(bar), (QStringList{"Page 1", "Page 2", "Page 3"}));
    EXPECT_FALSE(Enabled(ID_MULTIPAGE_TOOLS_PREVIOUS));
    EXPECT_FALSE(Enabled(ID_MULTIPAGE_TOOLS_MOVELEFT));

    Run(ID_MULTIPAGE_TOOLS_NEXT);
    EXPECT_EQ(view->GetActivePage(), 1);
    EXPECT_EQ(bar->currentIndex(), 1);
    Run(ID_MULTIPAGE_TOOLS_MOVERIGHT);
    EXPECT_EQ(Widths(doc), (std::vector<int>{10, 30, 20}));
    EXPECT_EQ(view->GetActivePage(), 2);
    EXPECT_EQ(bar->currentIndex(), 2);
    EXPECT_TRUE(doc->IsModified());
    // On the last page there is nowhere further right to go.
    EXPECT_FALSE(Enabled(ID_MULTIPAGE_TOOLS_MOVERIGHT));
    EXPECT_FALSE(Enabled(ID_MULTIPAGE_TOOLS_NEXT));
    Run(ID_MULTIPAGE_TOOLS_MOVERIGHT);
    EXPECT_EQ(Widths(doc), (std::vector<int>{10, 30, 20}));

    // A No keeps the page; a Yes deletes it and shows the page before it.
    TestMessages().answers = {IDNO};
    Run(ID_MULTIPAGE_TOOLS_DEL);
    EXPECT_EQ(doc->GetPageCount(), 3);
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, LoadResString(IDS_DELETE_PAGE_QUESTION).arg(3));
    TestMessages().answers = {IDYES};
    Run(ID_MULTIPAGE_TOOLS_DEL);
    EXPECT_EQ(Widths(doc), (std::vector<int>{10, 30}));
    EXPECT_EQ(view->GetActivePage(), 1);
    EXPECT_EQ(bar->count(), 2);

    // Deleting the first of two pages leaves page 0 shown and the bar hidden.
    Run(ID_MULTIPAGE_TOOLS_PREVIOUS);
    EXPECT_EQ(view->GetActivePage(), 0);
    TestMessages().answers = {IDYES};
    Run(ID_MULTIPAGE_TOOLS_DEL);
    EXPECT_EQ(Widths(doc), (std::vector<int>{30}));
    EXPECT_EQ(view->GetActivePage(), 0);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(Enabled(ID_MULTIPAGE_TOOLS_DEL));
    EXPECT_TRUE(Enabled(ID_MULTIPAGE_TOOLS_ADD));
}

TEST_F(PagesAndDocuments, ChoosingAPageTabShowsThatPage) {
    CLumidorDoc* doc = NewDoc({10, 20, 30});
    CChildFrame* child = Child(doc);
    child->GetPagesBar()->setCurrentIndex(2);
    EXPECT_EQ(child->GetView()->GetActivePage(), 2);
    EXPECT_EQ(doc->GetCurrentPage(), 2);
}

TEST_F(PagesAndDocuments, AddAppendsEveryPageOfTheChosenFiles) {
    const QString tif = TestTempDir() + QStringLiteral("/two.tif");
    LFile file;
    file.SetFileName(tif);
    ASSERT_EQ(file.SaveBitmapList(Pages({40, 50}), FILE_TIF, 0, 0), SUCCESS);
    CLumidorDoc* doc = NewDoc({10});
    doc->SetModifiedFlag(FALSE);
    CPagesBar* bar = Child(doc)->GetPagesBar();
    EXPECT_TRUE(bar->isHidden());

    // Cancelling the file dialog ends the command before the list.
    Run(ID_MULTIPAGE_TOOLS_ADD);
    EXPECT_TRUE(TestDialogs().dialogsRun.isEmpty());
    // A file that cannot be read is named and nothing is added.
    TestDialogs().fileAnswers = {TestTempDir() + QStringLiteral("/missing.tif")};
    TestDialogs().handlers[QStringLiteral("CAddPagesDlg")] = [](CModalDialog&) { return IDOK; };
    Run(ID_MULTIPAGE_TOOLS_ADD);
    EXPECT_EQ(doc->GetPageCount(), 1);
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("missing.tif")));
    EXPECT_FALSE(doc->IsModified());

    TestDialogs().fileAnswers = {tif};
    Run(ID_MULTIPAGE_TOOLS_ADD);
    EXPECT_EQ(Widths(doc), (std::vector<int>{10, 40, 50}));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->count(), 3);
    EXPECT_EQ(TestDialogs().fileRequests.back().title, LoadResString(IDS_ADD_PAGES_TITLE));
}

TEST_F(PagesAndDocuments, CaptureCaptionsLabelTheTabsTheyAdd) {
    CLumidorDoc* doc = NewDoc({10});
    CChildFrame* child = Child(doc);
    child->m_strFirstCaptureName = QStringLiteral("ActiveWindow");
    child->m_strCaptureKindName = QStringLiteral("FullScreen");
    child->m_bCaptionsPending = true;
    LBitmapList more = Pages({20});
    ASSERT_TRUE(doc->AppendPageFromBitmap(*more.Item(0)));
    child->UpdatePagesBar(doc->GetPageCount());
    EXPECT_EQ(Tabs(child->GetPagesBar()), (QStringList{"ActiveWindow", "FullScreen"}));
    EXPECT_FALSE(child->m_bCaptionsPending);
    // Without captions pending, tabs added by count read "Page n".
    child->GetPagesBar()->UpdatePageCount(3);
    EXPECT_EQ(child->GetPagesBar()->tabText(2), QStringLiteral("Page 3"));
}

TEST_F(PagesAndDocuments, PageOrDocumentDrawnAsNewDocuments) {
    ASSERT_NE(NewDoc({10}), nullptr);
    Run(ID_IMAGE_TEXT);
    // One page needs no question.
    EXPECT_TRUE(TestDialogs().dialogsRun.isEmpty());
    EXPECT_EQ(manager.GetDocumentCount(), 2);

    CLumidorDoc* three = NewDoc({10, 20, 30});
    Run(ID_MULTIPAGE_TOOLS_NEXT);
    Run(ID_IMAGE_TEXT); // cancelled
    EXPECT_EQ(TestDialogs().dialogsRun, QStringList{"CSelectDocOrPage"});
    EXPECT_EQ(manager.GetDocumentCount(), 3);
    int choice = CSelectDocOrPage::WholeDocument;
    TestDialogs().handlers[QStringLiteral("CSelectDocOrPage")] = [&choice](CModalDialog& d) {
        static_cast<CSelectDocOrPage&>(d).m_nChoice = choice;
        return IDOK;
    };
    Run(ID_IMAGE_TEXT);
    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    ASSERT_EQ(docs.size(), 4);
    EXPECT_EQ(docs.back()->GetPageCount(), 3);
    EXPECT_EQ(frame.GetActiveDocument(), docs.back());

    frame.GetMdiArea()->setActiveSubWindow(frame.GetDocumentWindow(three));
    choice = CSelectDocOrPage::CurrentPage;
    Run(ID_IMAGE_TEXT);
    frame.GetMdiArea()->setActiveSubWindow(frame.GetDocumentWindow(three));
    Run(ID_MULTIPAGE_TOOLS_CONVERT_PAGE_TO_DOC);
    docs.clear();
    manager.GetDocumentsList(docs);
    ASSERT_EQ(docs.size(), 6);
    // Both show the second page, drawn at its own size.
    for (CLumidorDoc* d : {docs[4], docs[5]}) {
        EXPECT_EQ(d->GetPageCount(), 1);
        EXPECT_EQ(d->GetBitmapPage(0)->GetWidth(), 20);
    }
    EXPECT_EQ(Widths(three), (std::vector<int>{10, 20, 30}));
}

TEST_F(PagesAndDocuments, DocumentTabsFollowTheOpenDocuments) {
    CDocumentsBar* tabs = frame.GetDocumentsBar();
    ASSERT_NE(tabs, nullptr);
    CLumidorDoc* a = NewDoc({10});
    CLumidorDoc* b = NewDoc({10});
    CLumidorDoc* c = NewDoc({10});
    a->SetTitle(QStringLiteral("Alpha.tif"));
    b->SetTitle(QStringLiteral("Beta"));
    c->SetTitle(QStringLiteral("Gamma"));
    EXPECT_EQ(Tabs(tabs), (QStringList{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(tabs->currentIndex(), 2);

    // Choosing a tab activates its window; activating a window selects its tab.
    tabs->setCurrentIndex(0);
    EXPECT_EQ(frame.GetActiveDocument(), a);
    frame.GetMdiArea()->setActiveSubWindow(frame.GetDocumentWindow(b));
    EXPECT_EQ(tabs->currentIndex(), 1);

    // Closing the middle tab closes only its document.
    Q_EMIT tabs->tabCloseRequested(1);
    Settle();
    EXPECT_EQ(manager.GetDocumentCount(), 2);
    EXPECT_EQ(Tabs(tabs), (QStringList{"Alpha", "Gamma"}));
    EXPECT_EQ(tabs->GetTabDocument(1), c);
}

TEST_F(PagesAndDocuments, ActivatingADocumentShowsItsScale) {
    CLumidorDoc* a = NewDoc({10});
    CLumidorDoc* b = NewDoc({10});
    CScaleBox* box = frame.GetScaleBox();
    Child(a)->GetView()->SetViewScale(1.5);
    Child(b)->GetView()->SetViewScale(-2.0);
    frame.GetDocumentsBar()->setCurrentIndex(0);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->placeholderText(), QStringLiteral("150%"));
    frame.GetDocumentsBar()->setCurrentIndex(1);
    EXPECT_EQ(box->currentText(), QStringLiteral("50%"));
}
