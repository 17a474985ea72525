// Page images: opening multi-page files, the image operations with their one-step undo, crop,
// and the commands that load, delete, revert and copy a page image or set its resolution.

#include "DocTestSupport.h"
#include "TestSupport.h"

#include "app/ImageResolution.h"
#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/ImageFile.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace doctest;

namespace {
// A document whose only page is `bitmap` at the origin, without the frame.
void LoadPage(CLumidorDoc& doc, const LBitmapBase& bitmap) {
    if (doc.m_bFrame)
        doc.OnFrame();
    ASSERT_TRUE(doc.LoadDraftImage(bitmap, 0));
    doc.SetModifiedFlag(FALSE);
}

QString WriteThreePageTiff() {
    LBitmapList pages;
    pages.InsertItem(SolidBitmap(40, 30, 1, RGB(0, 0, 0), 200));
    pages.InsertItem(SolidBitmap(50, 20, 24, RGB(255, 0, 0), 150));
    pages.InsertItem(SolidBitmap(60, 10, 8, RGB(0, 0, 0), 0)); // states no resolution
    const QString path = TestTempDir() + QStringLiteral("/three.tif");
    LFile file;
    file.SetFileName(path);
    EXPECT_EQ(file.SaveBitmapList(pages, FILE_TIF, 0, 0), SUCCESS);
    return path;
}
} // namespace

TEST(PageImageOpen, ThreePageTiffBecomesThreePages) {
    const QString path = WriteThreePageTiff();
    CLumidorDoc doc;
    ASSERT_TRUE(doc.OpenImage(path));
    ASSERT_EQ(doc.GetPageCount(), 3);
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{40, 30}));
    EXPECT_EQ(doc.GetPageSize(1), (SIZE{50, 20}));
    EXPECT_EQ(doc.GetPageSize(2), (SIZE{60, 10}));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetBitsPerPixel(), 1) << "each page keeps its own depth";
    EXPECT_EQ(doc.GetBitmapPage(1)->GetBitsPerPixel(), 24);
    EXPECT_EQ(doc.GetPageResolution(1), (POINT{150, 150}));
    EXPECT_FALSE(doc.GetPageInfo(0)->m_bImageModified);
    // The page without a resolution gets the screen's and is to be written again.
    EXPECT_EQ(doc.GetBitmapPage(2)->GetXResolution(), 96);
    EXPECT_TRUE(doc.GetPageInfo(2)->m_bImageModified);
    EXPECT_EQ(doc.m_strImagePath, path);
    // The frame is measured at each page's resolution: 0.6 inch.
    EXPECT_EQ(doc.GetCanvasSize(0), (SIZE{40 + 240, 30 + 240}));
    EXPECT_EQ(doc.GetCanvasSize(2), (SIZE{60 + 2 * 58, 10 + 2 * 58}));
}

TEST(PageImageOpen, MissingOrDamagedFileFailsWithAMessageAndChangesNothing) {
    CLumidorDoc doc;
    EXPECT_FALSE(doc.OpenImage(TestTempDir() + QStringLiteral("/absent.tif")));
    const QString bad = TestTempDir() + QStringLiteral("/bad.png");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x89PNG\r\n\x1a\nthis is no picture");
    f.close();
    EXPECT_FALSE(doc.OpenImage(bad));
    EXPECT_EQ(TestMessages().shown.size(), 2u);
    EXPECT_EQ(doc.GetPageCount(), 1);
    EXPECT_FALSE(doc.IsImageAvailable());
    EXPECT_TRUE(doc.m_strImagePath.isEmpty());
}

TEST(PageImageUndo, RotateThenUndoRestoresOnceOnly) {
    CLumidorDoc doc;
    LoadPage(doc, BitmapWithBlock(100, 50, QRect(0, 0, 10, 10)));
    EXPECT_FALSE(doc.IsPageUndo(0));
    ASSERT_TRUE(doc.RotatePage(0, 90));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{50, 100}));
    EXPECT_TRUE(doc.IsPageUndo(0));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetPageInfo(0)->m_bImageModified);
    EXPECT_GE(doc.GetCanvasSize(0).cy, 100) << "the canvas holds the turned image";

    doc.SetPageImagePos(0, 500, 700);
    ASSERT_TRUE(doc.UndoPage(0));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{100, 50}));
    EXPECT_EQ(doc.GetPageImagePos(0), (POINT{0, 0})) << "the position before the operation";
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(5, 5), RGB(0, 0, 0));
    EXPECT_FALSE(doc.IsPageUndo(0));
    EXPECT_FALSE(doc.UndoPage(0));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{100, 50}));
}

TEST(PageImageUndo, OnlyTheLastOperationCanBeUndone) {
    CLumidorDoc doc;
    LoadPage(doc, BitmapWithBlock(100, 50, QRect(0, 0, 10, 10)));
    ASSERT_TRUE(doc.FlipImage(0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(5, 45), RGB(0, 0, 0));
    ASSERT_TRUE(doc.ReverseImage(0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(95, 45), RGB(0, 0, 0));
    ASSERT_TRUE(doc.UndoPage(0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(5, 45), RGB(0, 0, 0)) << "back to the flip";
    EXPECT_FALSE(doc.UndoPage(0));
}

TEST(PageImageOperations, RotateByAnAngleEnlargesWithBlackCornersAndRadiansRound) {
    CLumidorDoc doc;
    LoadPage(doc, SolidBitmap(100, 50, 24, RGB(255, 255, 255)));
    ASSERT_TRUE(doc.RotatePage(0, 45));
    const SIZE s = doc.GetPageSize(0);
    EXPECT_GT(s.cx, 100);
    EXPECT_GT(s.cy, 50);
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(s.cx / 2, s.cy / 2), RGB(255, 255, 255));

    CLumidorDoc quarter;
    LoadPage(quarter, SolidBitmap(100, 50, 24, RGB(255, 255, 255)));
    ASSERT_TRUE(quarter.RotatePage(0, 1.5707));
    EXPECT_EQ(quarter.GetPageSize(0), (SIZE{50, 100})) << "89.99 degrees rounds to 90";
}

TEST(PageImageOperations, InvertKeepsTheDepthAndFailsWithoutAnImage) {
    CLumidorDoc doc;
    LoadPage(doc, SolidBitmap(16, 16, 1, RGB(255, 255, 255)));
    ASSERT_TRUE(doc.InvertImage(0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(3, 3), RGB(0, 0, 0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetBitsPerPixel(), 1);

    CLumidorDoc none;
    EXPECT_FALSE(none.InvertImage(0));
    EXPECT_FALSE(none.IsModified());
    EXPECT_EQ(TestMessages().shown.size(), 1u) << "the library's error text";
    EXPECT_FALSE(none.FlipImage(4));
}

TEST(PageImageCrop, CropKeepsTheRectangleAsDrawnAndCanBeUndone) {
    CLumidorDoc doc;
    LoadPage(doc, BitmapWithBlock(200, 100, QRect(20, 20, 10, 10)));
    doc.GetErasedList(0)->AddErased(RECT{20, 20, 25, 30});
    ASSERT_TRUE(doc.DoCropPage(0, RECT{10, 10, 60, 40}));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{50, 30}));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetBitsPerPixel(), 24);
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(12, 12), RGB(255, 255, 255)) << "erased";
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(17, 12), RGB(0, 0, 0));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.UndoPage(0));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{200, 100}));

    EXPECT_FALSE(doc.DoCropPage(0, RECT{10, 10, 10, 40})) << "an empty rectangle does nothing";
    EXPECT_TRUE(TestMessages().shown.empty());
    EXPECT_FALSE(doc.DoCropPage(0, RECT{150, 50, 260, 90}));
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, LoadResString(IDS_CROP_FAILED));
    EXPECT_FALSE(doc.IsPageUndo(0)) << "a crop that fails leaves the undo step as it was";
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{200, 100}));
}

TEST(PageImageCommands, LoadImageAsksBeforeReplacingAndRemembersTheFolder) {
    const QString dir = TestTempDir();
    const QString path = dir + QStringLiteral("/grey.png");
    ASSERT_EQ(SolidBitmap(30, 20, 8, RGB(128, 128, 128)).Save(path, FILE_PNG, 0, 0), SUCCESS);
    CLumidorDoc doc;
    TestView view;
    doc.AddView(&view);
    TestDialogs().fileAnswers.push_back(path);
    doc.OnFileLoadImage();
    ASSERT_EQ(TestDialogs().fileRequests.size(), 1u);
    EXPECT_EQ(TestDialogs().fileRequests[0].filterIndex, 3);
    EXPECT_EQ(TestDialogs().fileRequests[0].defaultExt, QStringLiteral("bmp"));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{30, 20}));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetBitsPerPixel(), 8) << "grey stays grey";
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GE(view.updates, 1);
    EXPECT_EQ(Profile().GetProfileString(QStringLiteral("Settings"),
                                         QStringLiteral("GraphicInitialDir"), QString()),
              dir + QLatin1Char('/'));
    EXPECT_TRUE(TestMessages().shown.empty()) << "no question while the page had no image";

    // With an image on the page a "no" keeps it and asks for no file.
    TestMessages().answers.push_back(IDNO);
    doc.OnFileLoadImage();
    EXPECT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestDialogs().fileRequests.size(), 1u);

    TestMessages().answers.push_back(IDYES);
    TestDialogs().fileAnswers.push_back(dir + QStringLiteral("/vector.gif"));
    doc.OnFileLoadImage();
    EXPECT_EQ(TestMessages().shown.size(), 3u) << "the unsupported format is named";
    EXPECT_TRUE(TestMessages().shown[2].text.contains(QStringLiteral("vector.gif")));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{30, 20}));
}

TEST(PageImageCommands, DeleteAndRevertAskFirst) {
    const QString path = WriteThreePageTiff();
    CLumidorDoc doc;
    ASSERT_TRUE(doc.OpenImage(path));
    EXPECT_TRUE(doc.OnUpdateFileRevertImage()) << "page 3 was given the screen resolution";
    ASSERT_TRUE(doc.InvertImage(0));

    TestMessages().answers.push_back(IDNO);
    doc.OnFileDeleteImage();
    EXPECT_TRUE(doc.IsImageAvailable(0));
    TestMessages().answers.push_back(IDYES);
    doc.OnFileDeleteImage();
    EXPECT_FALSE(doc.IsImageAvailable(0));

    TestMessages().answers.push_back(IDCANCEL);
    doc.OnFileRevertImage();
    EXPECT_FALSE(doc.IsImageAvailable(0));
    TestMessages().answers.push_back(IDYES);
    doc.OnFileRevertImage();
    EXPECT_TRUE(doc.IsImageAvailable(0));
    EXPECT_EQ(doc.GetBitmapPage(0)->GetPixelColor(1, 1), RGB(0, 0, 0)) << "as the file has it";
    EXPECT_TRUE(TestMessages().shown[2].text.contains(path));
}

TEST(PageImageCommands, ResolutionDialogNeedsAWholeNumberOtherThanZero) {
    EXPECT_TRUE(CImageResolution::IsAcceptableEdit(QStringLiteral("")));
    EXPECT_TRUE(CImageResolution::IsAcceptableEdit(QStringLiteral("300")));
    EXPECT_FALSE(CImageResolution::IsAcceptableEdit(QStringLiteral("-3")));
    EXPECT_FALSE(CImageResolution::IsAcceptableEdit(QStringLiteral("3.5")));
    EXPECT_FALSE(CImageResolution::IsAcceptableEdit(QStringLiteral("1234567")));

    CLumidorDoc doc;
    LoadPage(doc, SolidBitmap(10, 10, 24, 0, 72));
    TestView view;
    doc.AddView(&view);
    QString offered;
    TestDialogs().handlers[QStringLiteral("CImageResolution")] = [&offered](CModalDialog& d) {
        auto& dlg = dynamic_cast<CImageResolution&>(d);
        offered = dlg.m_strResolution;
        dlg.m_strResolution = QStringLiteral("0");
        return IDOK;
    };
    EXPECT_FALSE(doc.OnImageResolution(0));
    EXPECT_EQ(offered, QStringLiteral("72"));
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, LoadResString(IDS_RESOLUTION_INVALID));
    EXPECT_EQ(doc.GetPageResolution(0), (POINT{72, 72}));
    EXPECT_FALSE(doc.IsModified());

    TestDialogs().handlers[QStringLiteral("CImageResolution")] = [](CModalDialog& d) {
        dynamic_cast<CImageResolution&>(d).m_strResolution = QStringLiteral("300");
        return IDOK;
    };
    EXPECT_TRUE(doc.OnImageResolution(0));
    EXPECT_EQ(doc.GetPageResolution(0), (POINT{300, 300}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetPageInfo(0)->m_bImageModified);
    EXPECT_EQ(view.printerUpdates, 1);
}

TEST(PageImageCommands, CopyToClipboardPutsTheImageThere) {
    CLumidorDoc doc;
    EXPECT_FALSE(doc.CopyToClipboard(0)) << "no image";
    LoadPage(doc, SolidBitmap(12, 7, 24, RGB(0, 0, 255)));
    ASSERT_TRUE(doc.CopyToClipboard(0));
    const QImage pasted = QGuiApplication::clipboard()->image();
    EXPECT_EQ(pasted.size(), QSize(12, 7));
    EXPECT_EQ(QColor(pasted.pixel(3, 3)), QColor(Qt::blue));
}

TEST(PageImageCommands, LoadDraftImageReplacesTheCurrentPagesImage) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.CreateFromBitmap(SolidBitmap(10, 10, 24, 0)));
    ASSERT_TRUE(doc.AppendPageFromBitmap(SolidBitmap(10, 10, 24, 0)));
    TestView view;
    view.page = 1;
    doc.AddView(&view);
    ASSERT_TRUE(doc.LoadDraftImage(SolidBitmap(300, 200, 24, RGB(0, 255, 0)), -1));
    EXPECT_EQ(doc.GetPageSize(1), (SIZE{300, 200}));
    EXPECT_EQ(doc.GetPageImagePos(1), (POINT{0, 0}));
    EXPECT_FALSE(doc.GetPageInfo(1)->m_bImageModified);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GE(doc.GetCanvasSize(1).cx, 300);
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{10, 10}));
}

// The white point makes a picked grey white and stretches the rest; black the other way; each
// is one step of page undo, and an area off the image changes nothing, not even the undo step.
TEST(PageImageCommands, ColourCorrectionMovesThePickedColourAndCanBeUndone) {
    CLumidorDoc doc;
    LoadPage(doc, SolidBitmap(20, 10, 24, RGB(200, 100, 50)));
    EXPECT_EQ(doc.DoImageColCorrection(0, RECT{0, 0, 5, 5}, 0), 1);
    EXPECT_EQ(doc.GetPageInfo(0)->m_Bitmap.GetPixelColor(10, 5), RGB(255, 255, 255));
    EXPECT_TRUE(doc.IsPageUndo(0));
    EXPECT_EQ(doc.DoImageColCorrection(0, RECT{100, 100, 105, 105}, 1), 0);
    EXPECT_EQ(TestMessages().shown.size(), 1u) << "the failure says why";
    ASSERT_TRUE(doc.UndoPage(0));
    EXPECT_EQ(doc.GetPageInfo(0)->m_Bitmap.GetPixelColor(10, 5), RGB(200, 100, 50));
    EXPECT_EQ(doc.DoImageColCorrection(0, RECT{0, 0, 5, 5}, 1), 1);
    EXPECT_EQ(doc.GetPageInfo(0)->m_Bitmap.GetPixelColor(3, 3), RGB(0, 0, 0));
}
