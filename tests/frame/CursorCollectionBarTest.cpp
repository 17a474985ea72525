// The shelf in the main window: what it keeps, paging its strip, deleting with the question and
// the file written at once, a damaged file left alone, drops, and the view's add-to-shelf command.

#include "FrameFixture.h"
#include "ShelfTestSupport.h"
#include "TestSupport.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "document/LumidorDoc.h"
#include "app/Resource.h"
#include "frame/CommandManager.h"
#include "frame/CursorCollectionBar.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspImage.h"
#include "objects/TranspText.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"
#include "view/LumidorView.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
class CursorCollectionBarTest : public FrameFixture {
protected:
    // Every test starts from no shelf file: the bar reads it only when first shown.
    CursorCollectionBarTest() {
        QFile::remove(frame.GetShelfBar()->GetPath());
        QFile::remove(frame.GetShelfBar()->GetPath() + QStringLiteral(".bad"));
    }
    CCursorCollectionBar& Shelf() { return *frame.GetShelfBar(); }
    QByteArray FileBytes() {
        QFile f(frame.GetShelfBar()->GetPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteFile(const QByteArray& bytes) {
        QFile f(frame.GetShelfBar()->GetPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void ShowShelf() {
        frame.resize(900, 600);
        frame.show();
        Shelf().show();
        QApplication::processEvents();
    }
};
} // namespace

TEST_F(CursorCollectionBarTest, KeepsOnlyPicturesOfCursorSizeButCursorsOfAnySize) {
    ASSERT_NE(frame.GetShelfBar(), nullptr);
    EXPECT_TRUE(Shelf().GetPath().endsWith(QStringLiteral("/tkshelf.dat")));
    EXPECT_EQ(Shelf().AddItem(shelftest::PictureBlock(32, 48)), 0);
    EXPECT_EQ(Shelf().AddItem(shelftest::PictureBlock(48, 48)), 0);
    QByteArray text = shelftest::PictureBlock(32, 32);
    text[4] = 6;
    EXPECT_EQ(Shelf().AddItem(text), 6);
    EXPECT_EQ(Shelf().GetItemCount(), 1);
    Shelf().AddToCurrentCursorsList(shelftest::Dib(48, 48));
    EXPECT_EQ(Shelf().GetItemCount(), 2);
    // A cursor is written at once, so that a crash does not lose it.
    std::vector<SHELFITEM> read;
    QString reason;
    ASSERT_EQ(ReadShelfFile(Shelf().GetPath(), read, reason), ShelfReadResult::Read);
    EXPECT_EQ(read.size(), 2u);
    EXPECT_FALSE(frame.AddObjectToCollection(QByteArray()));
}

TEST_F(CursorCollectionBarTest, PagesOfTheStripEndOnAnEmptyPage) {
    ShowShelf();
    // Two rows full; the buttons take their margin once the row is full.
    while (Shelf().GetItemCount() < 2 * Shelf().GetItemsPerRow()) {
        Shelf().AddItem(shelftest::PictureBlock(32, 32));
        Shelf().RedrawVisibleList();
    }
    const int perRow = Shelf().GetItemsPerRow();
    ASSERT_GT(perRow, 1);
    EXPECT_EQ(Shelf().GetItemCount(), 2 * perRow);
    EXPECT_TRUE(Shelf().findChild<QWidget*>(QStringLiteral("ShelfDown"))->isVisible());
    EXPECT_EQ(Shelf().GetStrip()->count(), perRow);
    Shelf().ButtonDown();
    EXPECT_EQ(Shelf().GetStrip()->count(), perRow);
    EXPECT_EQ(Shelf().GetStrip()->item(0)->data(Qt::UserRole + 1).toInt(), perRow);
    // The page after the last full one exists and is empty; beyond it the page stays.
    Shelf().ButtonDown();
    EXPECT_EQ(Shelf().GetPage(), 2);
    EXPECT_EQ(Shelf().GetStrip()->count(), 0);
    Shelf().ButtonDown();
    EXPECT_EQ(Shelf().GetPage(), 2);
    for (int i = 0; i < 5; ++i)
        Shelf().ButtonUp();
    EXPECT_EQ(Shelf().GetPage(), 0);
    EXPECT_EQ(Shelf().GetStrip()->count(), perRow);
}

TEST_F(CursorCollectionBarTest, DeletingAsksAndRewritesTheFileAtOnce) {
    WriteFile(WriteShelfBytes({SHELFITEM{shelftest::PictureBlock(32, 32), "one"},
                               SHELFITEM{shelftest::PictureBlock(32, 48), "two"}}));
    ShowShelf();
    ASSERT_EQ(Shelf().GetItemCount(), 2);
    EXPECT_FALSE(frame.GetCommands()->State(ID_COLLECTIONBAR_DELETE).m_bEnabled);
    Shelf().SelectItem(0);
    EXPECT_TRUE(frame.GetCommands()->State(ID_COLLECTIONBAR_DELETE).m_bEnabled);
    TestMessages().answers.push_back(IDNO);
    frame.GetCommands()->Execute(ID_COLLECTIONBAR_DELETE);
    EXPECT_EQ(Shelf().GetItemCount(), 2);
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, LoadResString(IDS_SHELF_DELETE_QUESTION));
    TestMessages().answers.push_back(IDYES);
    frame.GetCommands()->Execute(ID_COLLECTIONBAR_DELETE);
    ASSERT_EQ(Shelf().GetItemCount(), 1);
    EXPECT_EQ(Shelf().GetItem(0).label, QByteArray("two"));
    EXPECT_EQ(FileBytes(), WriteShelfBytes({SHELFITEM{shelftest::PictureBlock(32, 48), "two"}}));
}

TEST_F(CursorCollectionBarTest, ADamagedFileIsReportedAndKept) {
    QByteArray damaged = WriteShelfBytes({SHELFITEM{shelftest::PictureBlock(32, 32), {}}});
    damaged.chop(4); // the closing 0: the item is read, the list has no end
    WriteFile(damaged);
    ShowShelf();
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("tkshelf.dat")));
    EXPECT_EQ(Shelf().GetItemCount(), 1);
    // A shelf of its own on the same file, shown and gone: the damaged file is not written over.
    {
        CCursorCollectionBar other;
        other.CreateBar(Shelf().GetPath());
        other.show();
        QApplication::processEvents();
        EXPECT_EQ(other.GetItemCount(), 1);
    }
    EXPECT_EQ(FileBytes(), damaged);
    // A change replaces it, and the damaged file stays beside it.
    frame.AddObjectToCollection(shelftest::PictureBlock(32, 32));
    EXPECT_EQ(Shelf().GetItemCount(), 2);
    QFile kept(Shelf().GetPath() + QStringLiteral(".bad"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damaged);
}

TEST_F(CursorCollectionBarTest, DropsAddPicturesAndHandFilesToTheWindow) {
    QStringList opened;
    Shelf().SetOpenFilesSink([&opened](const QStringList& paths) { opened = paths; });
    QMimeData objects;
    objects.setData(QString::fromLatin1(OBJECT_CLIPBOARD_MIME), shelftest::PictureBlock(32, 32));
    EXPECT_TRUE(Shelf().Drop(&objects));
    QMimeData dib;
    dib.setData(brellin::imaging::DibMimeType(), shelftest::Dib(40, 32));
    EXPECT_TRUE(Shelf().Drop(&dib));
    EXPECT_EQ(Shelf().GetItemCount(), 2);
    const QString text = TestTempDir() + QStringLiteral("/notes.txt");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(text)});
    EXPECT_TRUE(Shelf().Drop(&files));
    EXPECT_EQ(Shelf().GetItemCount(), 2);
    EXPECT_EQ(opened, QStringList{text});
}

TEST_F(CursorCollectionBarTest, AddToShelfCommandHandsPicturesOnly) {
    CLumidorDoc* doc = NewEmpty();
    CLumidorView* view = doc ? frame.GetActiveView() : nullptr;
    ASSERT_NE(view, nullptr);
    auto picture = std::make_unique<CTranspImage>(view, 0);
    ASSERT_TRUE(picture->CreateDib(shelftest::Dib(32, 32), 0, 0));
    CTranspImage* p = picture.get();
    doc->AddObjectToList(std::move(picture));
    const TEXTSTYLE style = DefaultTextStyle();
    auto text = std::make_unique<CTranspText>(view, 10000, 20000, &style, "abc", 0, TRUE);
    CTranspText* t = text.get();
    doc->AddObjectToList(std::move(text));

    frame.SetProgramMode(MODE_TEXT);
    view->SetActiveObject(t);
    ASSERT_TRUE(frame.GetCommands()->State(ID_EDIT_ADD_TO_COLLECTION).m_bEnabled);
    frame.GetCommands()->Execute(ID_EDIT_ADD_TO_COLLECTION);
    EXPECT_EQ(Shelf().GetItemCount(), 0);
    view->SetActiveObject(p);
    frame.GetCommands()->Execute(ID_EDIT_ADD_TO_COLLECTION);
    EXPECT_EQ(Shelf().GetItemCount(), 1);
    // A group is not a picture.
    frame.SetProgramMode(MODE_SELECT);
    EXPECT_FALSE(frame.GetCommands()->State(ID_EDIT_ADD_TO_COLLECTION).m_bEnabled);
    p->SetSelected(TRUE);
    t->SetSelected(TRUE);
    EXPECT_TRUE(frame.GetCommands()->State(ID_EDIT_ADD_TO_COLLECTION).m_bEnabled);
    frame.GetCommands()->Execute(ID_EDIT_ADD_TO_COLLECTION);
    EXPECT_EQ(Shelf().GetItemCount(), 1);
    for (int mode : {MODE_FORM, MODE_CUT}) {
        frame.SetProgramMode(mode);
        view->SetActiveObject(p);
        EXPECT_FALSE(frame.GetCommands()->State(ID_EDIT_ADD_TO_COLLECTION).m_bEnabled) << mode;
    }
}
