// The main frame's document windows: one per document, closed together with it
// whichever side goes first; the main bar's scale box following the active window and the
// image-moving mode reaching every view.

#include "FrameFixture.h"
#include "TestSupport.h"

#include "app/LumidorApp.h"
#include "app/Resource.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "frame/CommandManager.h"
#include "frame/MainFrame.h"
#include "frame/ScaleBox.h"
#include "objects/ObjectTypes.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSvgRenderer>
#include <QMenu>
#include <QMenuBar>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace {
class MainFrameDocuments : public FrameFixture {
protected:
    void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
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

namespace {
// The main bar's scale box and the program mode, with two document windows shown.
class MainFrameBars : public MainFrameDocuments {
protected:
    MainFrameBars() {
        frame.show();
        a = ViewOf(NewEmpty());
        b = ViewOf(NewEmpty());
        QCoreApplication::processEvents(); // lays the windows out, so the views have their size
        QObject::connect(box, &CScaleBox::scaleChosen, [this](int i) { chosen.push_back(i); });
    }
    CLumidorView* ViewOf(CLumidorDoc* doc) {
        return frame.GetDocumentWindow(doc)->findChild<CLumidorView*>();
    }
    void Activate(CLumidorView* view) {
        frame.GetMdiArea()->setActiveSubWindow(frame.GetDocumentWindow(view->GetDocument()));
        ASSERT_EQ(frame.GetActiveView(), view);
    }
    // The user picks the entry after the selected one.
    void ChooseNext() {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(box, &down);
    }
    // What the box shows: its entry, or the value that stands for no entry.
    QString Shown() const {
        return box->currentIndex() >= 0 ? box->currentText() : box->placeholderText();
    }

    CScaleBox* box = frame.GetScaleBox();
    CLumidorView* a = nullptr;
    CLumidorView* b = nullptr;
    std::vector<int> chosen;
};
} // namespace

TEST_F(MainFrameBars, ScaleBoxListsScalesAndShowsValuesWithoutAnEntry) {
    QStringList expected =
        QStringLiteral("400%,300%,200%,100%,50%,33%,25%").split(QLatin1Char(','));
    expected << LoadResString(IDS_SCALE_FIT_WIDTH) << LoadResString(IDS_SCALE_FIT_WINDOW);
    ASSERT_EQ(box->count(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(box->itemText(i), expected[i]) << i;
    EXPECT_FALSE(expected[8].isEmpty());

    box->SetViewScaleSelIndex(5);
    EXPECT_EQ(box->GetViewScaleSelIndex(), 5);
    // A value selects no entry (the index then reads 1) and is drawn as plainly as an entry.
    box->SetViewScaleSelValue(137);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->GetViewScaleSelIndex(), 1);
    const int values[] = {137};
    CScaleBox withValue, withEntry;
    withValue.SetViewScaleList(values, 1, 0);
    withValue.SetViewScaleSelValue(137);
    withEntry.SetViewScaleList(values, 1, 0);
    EXPECT_EQ(withValue.grab().toImage(), withEntry.grab().toImage());
    // Only the user's choices are reported; from a value the choice starts at the top.
    EXPECT_TRUE(chosen.empty());
    ChooseNext();
    EXPECT_EQ(chosen, std::vector<int>{0});
}

TEST_F(MainFrameBars, ScaleBoxFollowsTheActiveView) {
    // A whole scale selects its entry; any other shows its percentage.
    const struct {
        double scale;
        int index;
        const char* shown;
    } cases[] = {{2.0, 2, "200%"},  {-4.0, 6, "25%"},  {1.0, 3, "100%"},
                 {1.5, -1, "150%"}, {-1.5, -1, "66%"}, {-0.5, -1, "200%"}};
    b->SetViewScale(3.0);
    for (const auto& c : cases) {
        a->SetViewScale(c.scale);
        Activate(b);
        EXPECT_EQ(Shown(), QStringLiteral("300%"));
        Activate(a);
        EXPECT_EQ(box->currentIndex(), c.index) << c.scale;
        EXPECT_EQ(Shown(), QLatin1String(c.shown)) << c.scale;
    }
    // Zoom steps of the active view: a whole result selects its entry, any other shows as text.
    a->SetViewScale(0.5);
    a->IncViewScale();
    EXPECT_EQ(Shown(), QStringLiteral("65%"));
    a->SetViewScale(1.0);
    a->IncViewScale();
    EXPECT_EQ(box->currentIndex(), 2);
    // An inactive view leaves the box alone.
    b->SetViewScale(-4.0);
    b->FitPageToWidth();
    EXPECT_EQ(box->currentIndex(), 2);

    frame.GetMdiArea()->closeAllSubWindows();
    Settle();
    EXPECT_FALSE(box->isEnabled());
}

TEST_F(MainFrameBars, ChoosingInTheScaleBoxScalesTheActiveView) {
    Activate(b);
    int reported = 0;
    QObject::connect(b, &CLumidorView::zoomChanged, [&reported](int p) { reported = p; });
    box->SetViewScaleSelIndex(7);
    ChooseNext();                    // fit to window
    EXPECT_LT(b->GetViewScale(), 0); // a fit is always stored as a reduction
    EXPECT_GT(reported, 0);
    EXPECT_EQ(Shown(), QStringLiteral("%1%").arg(reported));
    box->SetViewScaleSelIndex(4);
    ChooseNext();
    EXPECT_EQ(b->GetViewScale(), -3.0);
    EXPECT_EQ(a->GetViewScale(), 1.0);
}

TEST_F(MainFrameBars, ModesReachEveryViewAndTogglesReturn) {
    auto* hand = frame.findChild<QAction*>(QStringLiteral("ID_DRAWING_TOOLS_PAW"));
    auto* zoom = frame.findChild<QAction*>(QStringLiteral("ID_ZOOM_IN_MODE"));
    ASSERT_TRUE(hand && zoom);
    frame.GetCommands()->UpdateAll();
    ASSERT_TRUE(hand->isEnabled());
    hand->trigger();
    frame.GetCommands()->UpdateAll();
    EXPECT_TRUE(hand->isChecked());
    CLumidorView* later = ViewOf(NewEmpty());
    for (CLumidorView* v : {a, b, later})
        EXPECT_EQ(v->GetProgramMode(), MODE_PAW);
    // Zoom pressed twice returns to the hand.
    zoom->trigger();
    EXPECT_EQ(later->GetProgramMode(), MODE_ZOOM_IN);
    zoom->trigger();
    EXPECT_EQ(later->GetProgramMode(), MODE_PAW);
    frame.GetCommands()->UpdateAll();
    EXPECT_TRUE(hand->isChecked());
    EXPECT_FALSE(zoom->isChecked());
}

TEST_F(MainFrameDocuments, RecentFilesOpenFromTheFileMenuAndDeadOnesLeaveTheList) {
    app.m_pMainWnd = &frame; // the list is kept for the interactive program only
    const QString dir = QDir::tempPath();
    const QString saved = dir + QStringLiteral("/recent.brf");
    CLumidorDoc* doc = NewEmpty();
    ASSERT_TRUE(doc->OnSaveDocument(saved));
    manager.CloseDocument(doc);
    Settle();
    app.m_recentFiles.Add(saved);
    app.m_recentFiles.Add(dir + QStringLiteral("/gone.brf"));

    QMenu* file = frame.menuBar()->actions().front()->menu();
    ASSERT_NE(file, nullptr);
    Q_EMIT file->aboutToShow();
    QList<QAction*> entries;
    for (QAction* a : file->actions())
        if (a->text().size() > 2 && a->text()[1].isDigit()) entries.append(a);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0]->text().endsWith(QStringLiteral("gone.brf")));
    EXPECT_TRUE(entries[1]->text().startsWith(QStringLiteral("&2 ")));

    // A file that is gone is reported and leaves the list.
    entries[0]->trigger();
    EXPECT_FALSE(TestMessages().shown.empty());
    EXPECT_EQ(app.m_recentFiles.GetFiles(), QStringList{saved});
    // One that is there opens as a document.
    Q_EMIT file->aboutToShow();
    for (QAction* a : file->actions())
        if (a->text().startsWith(QStringLiteral("&1 "))) a->trigger();
    EXPECT_EQ(manager.GetDocumentCount(), 1);
    EXPECT_EQ(frame.GetMdiArea()->subWindowList().size(), 1);
    app.m_pMainWnd = nullptr;
}

// Where the desktop has no icon theme, every command's icon comes from the module: a name in the
// command table without its drawing, or a drawing the SVG reader refuses, leaves a blank button.
TEST_F(MainFrameDocuments, EveryCommandIconNamedIsInTheModule) {
    const CCommandManager* commands = frame.GetCommands();
    QStringList missing;
    for (auto it = commands->Actions().constBegin(); it != commands->Actions().constEnd(); ++it) {
        const CCommandInfo* info = commands->Info(it.key());
        if (!info || info->strIcon.isEmpty()) continue;
        const QString path = ResourceModulePath(QStringLiteral("icons/%1.svg").arg(info->strIcon));
        if (!QFile::exists(path) || !QSvgRenderer(path).isValid()) missing << info->strIcon;
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.join(QLatin1Char(' ')).toStdString();
}
