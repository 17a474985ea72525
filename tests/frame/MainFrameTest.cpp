// The main frame's document windows: one per document, closed together with it
// whichever side goes first.

#include "TestSupport.h"

#include "app/LumidorApp.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "frame/MainFrame.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace {
class MainFrameDocuments : public ::testing::Test {
protected:
    MainFrameDocuments() : app(argc, argv) {
        app.SetDocumentManager(&manager);
        frame.AttachDocumentManager(&manager);
        if (!IsResourceModuleLoaded()) // the window's text is a resource string
            LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") +
                               QStringLiteral("/Brellin.eng"));
    }
    CLumidorDoc* NewEmpty() {
        app.m_newDocSource = NewDocSource{};
        return manager.RunNewDocumentPath();
    }
    void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    int argc = 1;
    char arg0[8] = "brellin";
    char* argv[2] = {arg0, nullptr};
    CLumidorApp app;
    CDocManager manager;
    CMainFrame frame;
};
} // namespace

TEST_F(MainFrameDocuments, EachDocumentGetsAWindowShowingTitleAndPages) {
    CLumidorDoc* a = NewEmpty();
    CLumidorDoc* b = NewEmpty();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(frame.GetMdiArea()->subWindowList().size(), 2);
    QMdiSubWindow* w = frame.GetDocumentWindow(b);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), b->GetTitle());
    b->SetTitle(QStringLiteral("Renamed.tif"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Renamed"));
    // The window shows the document in its page view.
    auto* view = w->findChild<CLumidorView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument(), b);
    EXPECT_EQ(frame.GetActiveView() != nullptr, true);
}

TEST_F(MainFrameDocuments, ClosingEitherSideClosesBoth) {
    CLumidorDoc* a = NewEmpty();
    CLumidorDoc* b = NewEmpty();
    // The document goes first: its window follows.
    manager.CloseDocument(a);
    Settle();
    EXPECT_EQ(frame.GetMdiArea()->subWindowList().size(), 1);
    // The window goes first: an unmodified document closes with it, without a question.
    frame.GetDocumentWindow(b)->close();
    Settle();
    EXPECT_EQ(manager.GetDocumentCount(), 0);
    EXPECT_TRUE(frame.GetMdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(TestMessages().shown.empty());
}
