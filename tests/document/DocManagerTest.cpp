// The document manager and the application's document-creating operations: the new-document
// path, windows for new documents, closing, and the clean-up of unused start-up documents.

#include "DocTestSupport.h"
#include "TestSupport.h"

#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "platform/imaging/ImageFile.h"

#include <gtest/gtest.h>

using namespace doctest;

class DocManagerTest : public ::testing::Test {
protected:
    DocManagerTest() {
        app.App().SetDocumentManager(&manager);
        manager.SetWindowFactory([this](CLumidorDoc* d) { windows.push_back(d); });
    }
    AppHolder app;
    CDocManager manager;
    std::vector<CLumidorDoc*> windows;
};

TEST_F(DocManagerTest, NewDocumentsGetNamesAndWindowsAndFailuresLeaveNothing) {
    app.App().CreateEmptyDoc(FALSE);
    app.App().CreateEmptyDoc(FALSE);
    ASSERT_EQ(manager.GetDocumentCount(), 2);
    ASSERT_EQ(windows.size(), 2u);
    QList<CLumidorDoc*> docs;
    app.App().GetDocumentsList(docs);
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0]->GetTitle(), QStringLiteral("1"));
    EXPECT_EQ(docs[1]->GetTitle(), QStringLiteral("2"));
    EXPECT_EQ(windows[1], docs[1]);

    app.App().CreateDocFromImage(QStringLiteral("/nowhere/missing.png"), false);
    EXPECT_EQ(manager.GetDocumentCount(), 2);
    EXPECT_EQ(windows.size(), 2u);
    EXPECT_EQ(TestMessages().shown.size(), 1u);
}

TEST_F(DocManagerTest, AutoCreatedEmptyDocumentGivesWayToTheNextOne) {
    app.App().CreateEmptyDoc(TRUE);
    ASSERT_EQ(manager.GetDocumentCount(), 1);
    app.App().CreateEmptyDoc(TRUE);
    EXPECT_EQ(manager.GetDocumentCount(), 2) << "an auto-created one does not close others";

    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    docs[1]->SetModifiedFlag(TRUE); // the user did something with it
    int removedCount = 0;
    QObject::connect(&manager, &CDocManager::documentRemoved, [&removedCount] { ++removedCount; });
    LBitmapBase bitmap = SolidBitmap(20, 10, 24, RGB(0, 0, 255));
    app.App().CreateDocFromBitmap(&bitmap);
    ASSERT_EQ(manager.GetDocumentCount(), 2);
    EXPECT_EQ(removedCount, 1);
    docs.clear();
    manager.GetDocumentsList(docs);
    EXPECT_TRUE(docs[0]->IsModified());
    EXPECT_TRUE(docs[1]->IsImageAvailable());
}

TEST_F(DocManagerTest, BitmapRequestTitleReachesOnlyItsOwnDocument) {
    LBitmapBase bitmap = SolidBitmap(20, 10, 24, RGB(0, 0, 255));
    app.App().m_newDocSource.strTitle = QStringLiteral("clip.bmp");
    app.App().m_newDocSource.strPageName = QStringLiteral("Clipboard");
    app.App().CreateDocFromBitmap(&bitmap);
    app.App().CreateDocFromBitmap(&bitmap);
    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0]->GetTitle(), QStringLiteral("clip"));
    EXPECT_EQ(docs[0]->GetPageInfo(0)->m_strPageName, QByteArray("Clipboard"));
    EXPECT_EQ(docs[1]->GetTitle(), QStringLiteral("2"));
    EXPECT_TRUE(docs[1]->GetPageInfo(0)->m_strPageName.isEmpty());
    EXPECT_EQ(app.App().m_newDocSource.pBitmap, nullptr);
}

TEST_F(DocManagerTest, ImageFileAndBitmapListBecomeDocuments) {
    LBitmapList pages;
    pages.InsertItem(SolidBitmap(30, 20, 24, 0, 100));
    pages.InsertItem(SolidBitmap(30, 20, 24, 0, 100));
    const QString path = TestTempDir() + QStringLiteral("/two.tif");
    LFile file;
    file.SetFileName(path);
    ASSERT_EQ(file.SaveBitmapList(pages, FILE_TIF, 0, 0), SUCCESS);
    app.App().CreateDocFromImage(path, false);
    ASSERT_EQ(manager.GetDocumentCount(), 1);
    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    EXPECT_EQ(docs[0]->GetPageCount(), 2);
    EXPECT_EQ(docs[0]->m_strImagePath, path);

    const QString title = QStringLiteral("Selection");
    app.App().CreateDocFromBitmapList(&pages, &title);
    docs.clear();
    manager.GetDocumentsList(docs);
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[1]->GetTitle(), title);
    EXPECT_EQ(docs[1]->GetPageCount(), 2);
    EXPECT_EQ(app.App().m_newDocSource.pListTitle, nullptr);
}

TEST_F(DocManagerTest, ClosingRemovesTheDocumentOnceAndTellsListeners) {
    app.App().CreateEmptyDoc(FALSE);
    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    CLumidorDoc* doc = docs[0];
    int destroyedCount = 0;
    QObject::connect(doc, &QObject::destroyed, [&destroyedCount] { ++destroyedCount; });
    int removedCount = 0;
    QObject::connect(&manager, &CDocManager::documentRemoved, [&removedCount] { ++removedCount; });
    EXPECT_TRUE(manager.CloseDocument(doc));
    EXPECT_EQ(removedCount, 1);
    EXPECT_EQ(destroyedCount, 1);
    EXPECT_FALSE(manager.CloseDocument(doc));
    EXPECT_EQ(manager.GetDocumentCount(), 0);
    EXPECT_TRUE(manager.CloseAllDocuments());
}

TEST_F(DocManagerTest, MetafileBecomesAOnePageDocument) {
    app.App().CreateDocFromImage(TestTempDir() + QStringLiteral("/absent.EMF"), false);
    EXPECT_EQ(manager.GetDocumentCount(), 0);
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, GetImagingErrorText(ERROR_FILE_OPEN))
        << "the metafile loader's message, whatever the extension's case";

    app.App().CreateDocFromImage(TestDataDir() + QStringLiteral("/imaging/emf/libemf-shapes.emf"),
                                 false);
    ASSERT_EQ(manager.GetDocumentCount(), 1);
    QList<CLumidorDoc*> docs;
    manager.GetDocumentsList(docs);
    EXPECT_EQ(docs[0]->GetPageCount(), 1);
    EXPECT_EQ(docs[0]->GetBitmapPage(0)->GetBitsPerPixel(), 24);
    EXPECT_TRUE(docs[0]->m_strImagePath.isEmpty()) << "nothing links it to the metafile";
}
