// The document model: page access and the frame rule, creation from bitmaps and requests, page
// deletion, object names, the big-image warning, titles and the document's dialogs.

#include "DocTestSupport.h"
#include "TestSupport.h"

#include "app/RenameDocDialog.h"
#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "objects/TranspBlock.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImageFile.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {
// Messages and file filters are strings of the resource module: every test of the program has it.
class ResourceModuleEnvironment : public ::testing::Environment {
    void SetUp() override {
        if (!IsResourceModuleLoaded())
            LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") + QStringLiteral("/Brellin.eng"));
    }
};
const auto* const g_moduleEnvironment =
    ::testing::AddGlobalTestEnvironment(new ResourceModuleEnvironment);

// White, with single black pixels in the top-left and bottom-right corners, so that automatic
// trimming keeps the whole image.
LBitmapBase CornerMarked(int w, int h, int dpi = 100) {
    LBitmapBase b = BitmapWithBlock(w, h, QRect(0, 0, 1, 1), dpi);
    QImage img = b.GetImage();
    img.setPixel(w - 1, h - 1, qRgb(0, 0, 0));
    b.SetImage(img);
    b.SetXResolution(dpi);
    b.SetYResolution(dpi);
    return b;
}

std::unique_ptr<CTranspBaseClass> TextOn(int page, const char* name = nullptr) {
    auto t = std::make_unique<CTranspText>(nullptr, page);
    if (name)
        t->SetObjectName(name);
    return t;
}
} // namespace

TEST(DocumentFrameRule, ImageOf1000x800At100DpiOnA96DpiScreen) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.m_bFrame) << "new documents start with the frame option's default (on)";
    EXPECT_EQ(doc.m_nFrameMargin, 60000);
    ASSERT_TRUE(doc.CreateFromBitmap(CornerMarked(1000, 800)));
    EXPECT_EQ(doc.GetPageImagePos(0), (POINT{60000, 60000}));
    EXPECT_EQ(doc.GetCanvasSize(0), (SIZE{1120, 920}));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{1000, 800}));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.GetPageInfo(0)->m_bImageModified);

    // Without the frame the image lies at the origin and fills the canvas.
    doc.OnFrame();
    EXPECT_FALSE(doc.m_bFrame);
    EXPECT_EQ(doc.GetPageImagePos(0), (POINT{0, 0}));
    EXPECT_EQ(doc.GetCanvasSize(0), (SIZE{1000, 800}));
    doc.OnFrame();
    EXPECT_EQ(doc.GetCanvasSize(0), (SIZE{1120, 920}));
}

TEST(DocumentFrameRule, MarginIsMeasuredPerAxisInThePagesPixels) {
    CLumidorDoc doc;
    LBitmapBase b = CornerMarked(300, 200);
    b.SetXResolution(200);
    b.SetYResolution(50);
    ASSERT_TRUE(doc.CreateFromBitmap(b));
    EXPECT_EQ(doc.GetCanvasSize(0), (SIZE{300 + 240, 200 + 60}));
}

TEST(DocumentPages, AccessOutsideThePagesGivesNeutralResults) {
    CLumidorDoc doc;
    EXPECT_EQ(doc.GetPageCount(), 1);
    EXPECT_EQ(doc.GetPageInfo(1), nullptr);
    EXPECT_EQ(doc.GetPageInfo(-1), nullptr);
    EXPECT_NE(doc.GetBitmapPage(0), nullptr) << "an unallocated image is still the page's";
    EXPECT_EQ(doc.GetCurrentBitmap(0), nullptr);
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{0, 0}));
    EXPECT_EQ(doc.GetCanvasSize(0), (SIZE{0, 0}));
    EXPECT_EQ(doc.GetPageResolution(0), (POINT{96, 96})) << "the screen's without an image";
    EXPECT_EQ(doc.GetObjectsList(3), nullptr);
    EXPECT_FALSE(doc.SetPageResolution(0, 200, 200)) << "only with an image";
    EXPECT_TRUE(doc.IsEmpty());
    doc.SetCanvasSize(0, -5, 7);
    EXPECT_EQ(doc.GetPageInfo(0)->m_nCanvasWidth, 1);
}

TEST(DocumentPages, DeletePageRefusesTheLastPageAndIndexesOutside) {
    CLumidorDoc doc;
    EXPECT_FALSE(doc.DeletePage(0));
    EXPECT_EQ(doc.GetPageCount(), 1);
    EXPECT_FALSE(doc.IsModified());

    ASSERT_TRUE(doc.CreateFromBitmap(CornerMarked(40, 30)));
    ASSERT_TRUE(doc.AppendPageFromBitmap(CornerMarked(50, 30)));
    ASSERT_TRUE(doc.AppendPageFromBitmap(CornerMarked(60, 30)));
    ASSERT_TRUE(doc.AddObjectToList(TextOn(2, "last")));
    EXPECT_FALSE(doc.DeletePage(3));
    EXPECT_FALSE(doc.DeletePage(-1));
    EXPECT_FALSE(doc.IsModified());

    ASSERT_TRUE(doc.DeletePage(1));
    EXPECT_EQ(doc.GetPageCount(), 2);
    EXPECT_EQ(doc.m_PagesList.size(), 2u);
    EXPECT_EQ(doc.GetPageSize(1), (SIZE{60, 30}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetPageInfo(0)->m_bImageModified && doc.GetPageInfo(1)->m_bImageModified);
    // The moved page's objects are renumbered by the caller.
    EXPECT_EQ(doc.GetObjectsList(1)->front()->m_nPage, 2);
    doc.RenumberObjectPages();
    EXPECT_EQ(doc.GetObjectsList(1)->front()->m_nPage, 1);
}

TEST(DocumentPages, ObjectsGoToTheirPageOrToTheCurrentPageWhileMergingOnePage) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.CreateFromBitmap(CornerMarked(40, 30)));
    ASSERT_TRUE(doc.AppendPageFromBitmap(CornerMarked(40, 30)));
    TestView view;
    view.page = 1;
    doc.AddView(&view);
    EXPECT_FALSE(doc.AddObjectToList(TextOn(5))) << "no page 5: the object is dropped";
    EXPECT_TRUE(doc.AddObjectToList(TextOn(0)));
    EXPECT_EQ(doc.GetObjectsList(0)->size(), 1u);

    doc.m_bMerging = TRUE;
    doc.m_bMergePageByPage = FALSE;
    auto field = TextOn(0);
    CTranspBaseClass* raw = field.get();
    EXPECT_TRUE(doc.AddObjectToList(std::move(field)));
    doc.AddFieldObjectToList(raw);
    EXPECT_EQ(raw->m_nPage, 1);
    EXPECT_EQ(doc.GetObjectsList(1)->size(), 1u);
    ASSERT_EQ(doc.GetFieldObjectsList(1)->size(), 1u);
    EXPECT_EQ(doc.GetFieldObjectsList(1)->front(), raw);

    doc.m_bMergePageByPage = TRUE;
    EXPECT_TRUE(doc.AddObjectToList(TextOn(0)));
    EXPECT_EQ(doc.GetObjectsList(0)->size(), 2u);
    doc.RemoveView(&view);
    EXPECT_FALSE(doc.IsEmpty());
}

TEST(DocumentNames, CheckFlagSkipsNamesAnObjectAlreadyBears) {
    CLumidorDoc doc;
    CTranspText text(nullptr, 0);
    EXPECT_EQ(doc.GetUniqueObjectName(&text, TRUE), QByteArray("Text1"));
    // The user gave another object the very name the counter would give next.
    ASSERT_TRUE(doc.AddObjectToList(TextOn(0, "Text2")));
    EXPECT_EQ(doc.GetUniqueObjectName(&text, TRUE), QByteArray("Text3"));
    ASSERT_TRUE(doc.AddObjectToList(TextOn(0, "Text4")));
    EXPECT_EQ(doc.GetUniqueObjectName(&text, FALSE), QByteArray("Text4"))
        << "without the check the counter alone decides";
    // Names compare byte for byte.
    ASSERT_TRUE(doc.AddObjectToList(TextOn(0, "text5")));
    EXPECT_EQ(doc.GetUniqueObjectName(&text, TRUE), QByteArray("Text5"));
}

TEST(DocumentNames, EachKindCountsOnItsOwnAndUnknownKindsGetNoName) {
    CLumidorDoc doc;
    CTranspCircle circle(nullptr, 0);
    CTranspEllipse ellipse(nullptr, 0);
    CTranspRectangle rect(nullptr, 0);
    CTranspBlock block(nullptr, 0);
    EXPECT_EQ(doc.GetUniqueObjectName(&circle, TRUE), QByteArray("Circle1"));
    EXPECT_EQ(doc.GetUniqueObjectName(&circle, TRUE), QByteArray("Circle2"));
    EXPECT_EQ(doc.GetUniqueObjectName(&ellipse, TRUE), QByteArray("Ellipse1"));
    EXPECT_EQ(doc.GetUniqueObjectName(&rect, FALSE), QByteArray("Rectangle1"));
    EXPECT_EQ(doc.GetUniqueObjectName(&block, TRUE), QByteArray());
    EXPECT_EQ(doc.GetUniqueObjectName(nullptr, TRUE), QByteArray());
}

TEST(DocumentCreation, AppendIntoAFreshDocumentMakesAWhiteFirstPage) {
    CLumidorDoc doc;
    doc.m_strNewPageName = "Scan";
    // A black block inside a white border: the border is trimmed away.
    ASSERT_TRUE(doc.AppendPageFromBitmap(BitmapWithBlock(200, 100, QRect(50, 25, 100, 50), 100)));
    ASSERT_EQ(doc.GetPageCount(), 2);
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{200, 100}));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(100, 50), RGB(255, 255, 255));
    EXPECT_EQ(doc.GetPageImagePos(0), (POINT{0, 0}));
    EXPECT_FALSE(doc.GetPageInfo(0)->m_bImageModified);
    EXPECT_EQ(doc.GetPageSize(1), (SIZE{100, 50}));
    EXPECT_EQ(doc.GetBitmapPage(1)->GetPixelColor(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(doc.GetPageInfo(1)->m_strPageName, QByteArray("Scan"));
    EXPECT_EQ(doc.GetCanvasSize(1), (SIZE{220, 170}));
    EXPECT_FALSE(doc.IsModified()) << "the caller decides how to mark it";

    // A later append leaves the first page alone.
    ASSERT_TRUE(doc.AppendPageFromBitmap(BitmapWithBlock(30, 30, QRect(10, 10, 5, 5))));
    EXPECT_EQ(doc.GetPageCount(), 3);
    EXPECT_EQ(doc.GetPageSize(2), (SIZE{5, 5}));
}

TEST(DocumentCreation, BlankImageIsKeptWholeAsAWhitePage) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.CreateFromBitmap(SolidBitmap(50, 40, 24, RGB(0, 0, 0))));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{50, 40}));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(25, 20), RGB(255, 255, 255));
    // A one-bit blank page stays one-bit.
    CLumidorDoc mono;
    ASSERT_TRUE(mono.CreateFromBitmap(SolidBitmap(64, 8, 1, RGB(0, 0, 0))));
    EXPECT_EQ(mono.GetBitmapPage(0)->GetBitsPerPixel(), 1);
    EXPECT_EQ(mono.GetBitmapPage(0)->GetPixelColor(3, 3), RGB(255, 255, 255));
    EXPECT_TRUE(TestMessages().shown.empty());
}

TEST(DocumentCreation, UnallocatedBitmapFailsWithTheLibrarysMessage) {
    CLumidorDoc doc;
    EXPECT_FALSE(doc.CreateFromBitmap(LBitmapBase()));
    EXPECT_FALSE(doc.AppendPageFromBitmap(LBitmapBase()));
    EXPECT_EQ(doc.GetPageCount(), 1);
    EXPECT_FALSE(doc.IsImageAvailable());
    EXPECT_EQ(TestMessages().shown.size(), 2u);
}

TEST(DocumentCreation, BitmapListBecomesOnePagePerBitmap) {
    CLumidorDoc doc;
    LBitmapList list;
    list.InsertItem(SolidBitmap(10, 20, 24, RGB(255, 0, 0)));
    list.InsertItem(SolidBitmap(30, 40, 8, RGB(0, 0, 0)));
    ASSERT_TRUE(doc.CreateFromBitmapList(list));
    EXPECT_EQ(list.GetItemsCount(), 0) << "the bitmaps are taken out of the list";
    ASSERT_EQ(doc.GetPageCount(), 2);
    EXPECT_EQ(doc.GetPageSize(1), (SIZE{30, 40}));
    EXPECT_EQ(doc.GetCanvasSize(1), (SIZE{30, 40}));
    EXPECT_EQ(doc.GetPageImagePos(1), (POINT{0, 0}));
    EXPECT_TRUE(doc.IsImageModified());
    EXPECT_TRUE(doc.IsModified());
    LBitmapList empty;
    CLumidorDoc other;
    EXPECT_FALSE(other.CreateFromBitmapList(empty));
    EXPECT_EQ(other.GetPageCount(), 1);
}

TEST(DocumentBigImage, WarnsOncePerPageAboveThirtyMiB) {
    CLumidorDoc doc;
    LBitmapList list;
    list.InsertItem(SolidBitmap(3300, 3200, 24, RGB(1, 2, 3))); // 31,680,000 bytes
    list.InsertItem(SolidBitmap(3000, 3000, 24, RGB(1, 2, 3))); // 27,000,000 bytes
    list.InsertItem(SolidBitmap(3400, 3200, 24, RGB(1, 2, 3))); // 32,640,000 bytes
    ASSERT_TRUE(doc.CreateFromBitmapList(list));
    EXPECT_EQ(doc.BigImageMessage(), 2);
    ASSERT_EQ(TestMessages().shown.size(), 2u);
    EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("Page 1")));
    EXPECT_TRUE(TestMessages().shown[1].text.contains(QStringLiteral("Page 3")));
    EXPECT_EQ(TestMessages().shown[0].icon, MsgIcon::Exclamation);
}

TEST(DocumentTitles, TitleDropsTheExtensionAndRenameGoesThroughTheDialog) {
    CLumidorDoc doc;
    int spyCount = 0;
    QObject::connect(&doc, &CLumidorDoc::titleChanged, [&spyCount] { ++spyCount; });
    doc.SetTitle(QStringLiteral("scan.2024.tif"));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("scan.2024"));
    EXPECT_EQ(doc.m_strDocName, QStringLiteral("scan.2024"));
    doc.SetTitle(QStringLiteral("plain"));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("plain"));

    TestDialogs().handlers[QStringLiteral("CRenameDocDialog")] = [](CModalDialog& d) {
        auto& dlg = dynamic_cast<CRenameDocDialog&>(d);
        EXPECT_EQ(dlg.m_strName, QStringLiteral("plain"));
        dlg.m_strName = QStringLiteral("Invoice 7.final");
        return IDOK;
    };
    EXPECT_TRUE(doc.OnEditRename());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Invoice 7.final")) << "a rename keeps every dot";
    EXPECT_EQ(spyCount, 3);
    TestDialogs().handlers[QStringLiteral("CRenameDocDialog")] = [](CModalDialog&) {
        return IDCANCEL;
    };
    EXPECT_FALSE(doc.OnEditRename());
    EXPECT_FALSE(doc.RenameDocument(QStringLiteral("  ")));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Invoice 7.final"));
}

class DocumentNewDocument : public ::testing::Test {
protected:
    AppHolder app;
    NewDocSource& Request() { return app.App().m_newDocSource; }
};

TEST_F(DocumentNewDocument, BitmapRequestTakesTitleAndPageName) {
    LBitmapBase bitmap = BitmapWithBlock(80, 60, QRect(0, 0, 80, 60));
    Request().nKind = NDS_BITMAP;
    Request().pBitmap = &bitmap;
    Request().strTitle = QStringLiteral("photo.png");
    Request().strPageName = QStringLiteral("FullScreen");
    CLumidorDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("photo"));
    EXPECT_EQ(doc.GetPageInfo(0)->m_strPageName, QByteArray("FullScreen"));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{80, 60}));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentNewDocument, EmptyAndListAndUnknownRequests) {
    Request().nKind = NDS_EMPTY;
    Request().bAutoCreated = TRUE;
    CLumidorDoc empty;
    TestView view;
    empty.AddView(&view);
    ASSERT_TRUE(empty.OnNewDocument());
    EXPECT_TRUE(empty.m_bAutoCreated);
    EXPECT_EQ(view.printerUpdates, 1);

    LBitmapList list;
    list.InsertItem(SolidBitmap(10, 10, 24, 0));
    const QString title = QStringLiteral("Pages.of.three");
    Request() = NewDocSource{};
    Request().nKind = NDS_BITMAP_LIST;
    Request().pBitmapList = &list;
    Request().pListTitle = &title;
    CLumidorDoc fromList;
    ASSERT_TRUE(fromList.OnNewDocument());
    EXPECT_EQ(fromList.GetTitle(), QStringLiteral("Pages.of"));
    EXPECT_TRUE(fromList.IsModified());

    Request() = NewDocSource{};
    Request().nKind = 9;
    CLumidorDoc unknown;
    EXPECT_FALSE(unknown.OnNewDocument());
    Request().nKind = NDS_BITMAP; // without a bitmap
    EXPECT_FALSE(unknown.OnNewDocument());
}

TEST_F(DocumentNewDocument, DetachedImageFileLeavesNoPathAndEveryPageToBeWritten) {
    const QString path = TestTempDir() + QStringLiteral("/form.png");
    ASSERT_EQ(CornerMarked(40, 20).Save(path, FILE_PNG, 0, 0), SUCCESS);
    Request().nKind = NDS_IMAGE_FILE_DETACHED;
    Request().strImagePath = path;
    CLumidorDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_TRUE(doc.m_strImagePath.isEmpty());
    EXPECT_EQ(doc.m_nOriginFlag, 1);
    EXPECT_TRUE(doc.IsImageModified());

    Request().nKind = NDS_IMAGE_FILE;
    CLumidorDoc linked;
    ASSERT_TRUE(linked.OnNewDocument());
    EXPECT_EQ(linked.m_strImagePath, path);
    EXPECT_EQ(linked.m_nOriginFlag, 0);
    EXPECT_FALSE(linked.IsImageModified());
}

TEST_F(DocumentNewDocument, UnsupportedImageFileIsRefusedWithItsName) {
    Request().nKind = NDS_IMAGE_FILE;
    Request().strImagePath = QStringLiteral("/nowhere/picture.gif");
    CLumidorDoc doc;
    EXPECT_FALSE(doc.OnNewDocument());
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("picture.gif")));
}
