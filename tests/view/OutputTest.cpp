// Pages leaving the program: the default names of pictures and mail attachments, export by
// extension (refused, one multi-page TIFF, a file per page, the format asked once), the web page
// set byte for byte, and Save Image of the page images themselves.

#include "TestSupport.h"
#include "ViewFixture.h"

#include "app/ImageFormatDialogs.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/SendMailDialog.h"
#include "document/ImageSave.h"
#include "objects/TranspText.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/ImageFile.h"
#include "view/HtmlExport.h"
#include "view/PagePictures.h"
#include "view/SendMail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A document of `pages` pages of w x h, each page named by `names` when given.
std::unique_ptr<CLumidorDoc> PagesDoc(int pages, const QString& title,
                                      std::initializer_list<const char*> names = {}) {
    auto doc = DocWithImage(60, 40, kWhite);
    for (int i = 1; i < pages; ++i) {
        LBitmapBase b(*doc->GetBitmapPage(0));
        EXPECT_TRUE(doc->AppendPageFromBitmap(b));
    }
    int i = 0;
    for (const char* name : names) doc->GetPageInfo(i++)->m_strPageName = name;
    doc->SetTitle(title);
    doc->UpdateTitle();
    return doc;
}

FILEINFO InfoOf(const QString& path) {
    LFile file;
    file.SetFileName(path);
    FILEINFO info;
    EXPECT_EQ(file.GetInfo(info), SUCCESS) << path.toStdString();
    return info;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureResourceModule()); }
    QString dir = TestTempDir();
};

} // namespace

TEST(OutputNames, PictureExportAndMailNames) {
    // Save as Picture replaces spaces and colons, then both cut at the first separator.
    EXPECT_EQ(PictureFileTitle(QStringLiteral("My Form: draft #2")), QStringLiteral("My_Form__draft_"));
    EXPECT_EQ(PictureFileTitle(QStringLiteral("a%b;c")), QStringLiteral("a"));
    EXPECT_EQ(ExportFileTitle(QStringLiteral("My Form")), QStringLiteral("My"));
    EXPECT_EQ(ExportFileTitle(QStringLiteral("x/y\\z")), QStringLiteral("x"));
    EXPECT_EQ(ExportFileTitle(QStringLiteral("#1")), QString());

    auto one = PagesDoc(1, QStringLiteral("My Form"), {"First page"});
    EXPECT_EQ(MailBaseName(*one, 0, true), QStringLiteral("My_Form"));
    auto three = PagesDoc(3, QStringLiteral("My Form"), {"Page A", "Page B", "Page C"});
    EXPECT_EQ(MailBaseName(*three, 1, true), QStringLiteral("My_Form_Page_B"));
    EXPECT_EQ(MailBaseName(*three, 1, false), QStringLiteral("My_Form"));
    EXPECT_TRUE(GetMailTempDir().endsWith(QStringLiteral("/brf_tmp/")));

    // Names that would make two pages share a file give way to page numbers.
    auto same = PagesDoc(3, QStringLiteral("D"), {"Scan", "", "Scan"});
    EXPECT_EQ(PictureFileName(*same, 0, QStringLiteral("/t/out.png")), QStringLiteral("/t/out_Scan.png"));
    EXPECT_EQ(PictureFileName(*same, 1, QStringLiteral("/t/out.png")), QStringLiteral("/t/out_2.png"));
    EXPECT_EQ(PictureFileName(*same, 2, QStringLiteral("/t/out.png")), QStringLiteral("/t/out_3.png"));
    EXPECT_EQ(PictureFileName(*same, 1, QStringLiteral("/t.d/out")), QStringLiteral("/t.d/out_2"));
}

TEST_F(OutputTest, ExportRefusesFormatsItCannotWriteAndWritesNothing) {
    auto doc = PagesDoc(2, QStringLiteral("D"));
    for (const char* name : {"out.gif", "out", "out.jpeg.txt"}) {
        TestMessages().shown.clear();
        ExportTo(*doc, 0, dir + QLatin1Char('/') + QLatin1String(name), true);
        ASSERT_EQ(TestMessages().shown.size(), 1u) << name;
        EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("cannot be exported")));
    }
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files).isEmpty());
}

TEST_F(OutputTest, AllPagesAsTiffMakeOneFileOtherFormatsOneFileEachAskingOnce) {
    auto doc = PagesDoc(3, QStringLiteral("D"), {"one", "two", "three"});
    TestDialogs().handlers[QStringLiteral("CTIFFOptions2")] = [](CModalDialog&) { return IDOK; };
    TestDialogs().handlers[QStringLiteral("CBitDepthDialog")] = [](CModalDialog&) { return IDOK; };
    ExportTo(*doc, 0, dir + QStringLiteral("/all.tif"), true);
    EXPECT_EQ(InfoOf(dir + QStringLiteral("/all.tif")).TotalPages, 3);

    TestDialogs().dialogsRun.clear();
    ExportTo(*doc, 0, dir + QStringLiteral("/all.png"), true);
    // The depth is asked once for the three files.
    EXPECT_EQ(TestDialogs().dialogsRun, QStringList{QStringLiteral("CBitDepthDialog")});
    for (const char* name : {"one", "two", "three"}) {
        const QString file = dir + QStringLiteral("/all_") + QLatin1String(name) + QStringLiteral(".png");
        EXPECT_EQ(InfoOf(file).Format, FILE_PNG) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/all.png")));

    // The current page of a document of several pages carries its name; a one-page document's
    // Save as Picture writes the very name chosen.
    ExportTo(*doc, 1, dir + QStringLiteral("/page.bmp"), false);
    EXPECT_EQ(InfoOf(dir + QStringLiteral("/page_two.bmp")).Format, FILE_BMP);
    auto single = PagesDoc(1, QStringLiteral("My Form"), {"p"});
    TestDialogs().fileAnswers.push_back(dir + QStringLiteral("/pic.png"));
    OnFileSaveAsImage(*single, 0);
    ASSERT_EQ(TestDialogs().fileRequests.size(), 1u);
    EXPECT_EQ(TestDialogs().fileRequests[0].initialName, QStringLiteral("My_Form"));
    EXPECT_EQ(TestDialogs().fileRequests[0].defaultExt, QStringLiteral("png"));
    EXPECT_EQ(InfoOf(dir + QStringLiteral("/pic.png")).Format, FILE_PNG);
    EXPECT_TRUE(single->m_bPageNameSuffix);
    EXPECT_EQ(Profile().GetProfileString(kSectionSettings, QStringLiteral("ExportDir"), {}),
              dir + QLatin1Char('/'));
}

TEST_F(OutputTest, ExportWhereNoFileCanBeMadeSaysSoAndLeavesNothing) {
    auto doc = PagesDoc(1, QStringLiteral("D"));
    // A "folder" that is a file: no file can be made in it, whoever runs the test.
    const QString notFolder = dir + QStringLiteral("/plain");
    {
        QFile f(notFolder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TestDialogs().handlers[QStringLiteral("CBitDepthDialog")] = [](CModalDialog&) { return IDOK; };
    TestDialogs().handlers[QStringLiteral("CTIFFOptions2")] = [](CModalDialog&) { return IDOK; };
    doc->m_bPageNameSuffix = FALSE;
    for (const char* name : {"/x.png", "/x.tif", "/x.emf"}) {
        TestMessages().shown.clear();
        EXPECT_FALSE(WriteToGraphicOrEmfFile(*doc, 0, notFolder + QLatin1String(name), false,
                                             false))
            << name;
        EXPECT_EQ(TestMessages().shown.size(), 1u) << name;
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plain")});

    // A page without canvas has nothing to draw: said, and no file.
    doc->SetCanvasSize(0, 0, 0);
    for (const char* name : {"/empty.png", "/empty.emf", "/empty.tif"}) {
        TestMessages().shown.clear();
        EXPECT_FALSE(WriteToGraphicOrEmfFile(*doc, 0, dir + QLatin1String(name), true,
                                             QByteArray(name).endsWith("tif")))
            << name;
        ASSERT_EQ(TestMessages().shown.size(), 1u) << name;
        EXPECT_TRUE(TestMessages().shown[0].text.contains(QStringLiteral("nothing to draw"))) << name;
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plain")});
}

TEST_F(OutputTest, TheWebPageTakesTheTopmostTextAsCaptionAndCutsThePictureAboveIt) {
    auto doc = PagesDoc(2, QStringLiteral("D"));
    TEXTSTYLE style = DefaultTextStyle();
    // Two texts on page 0: the higher one (0.25 inch down, 24 pixels at 96 dpi) is the caption.
    doc->AddObjectToList(std::make_unique<CTranspText>(nullptr, 1000, 50000, &style, "lower", 0, TRUE));
    doc->AddObjectToList(
        std::make_unique<CTranspText>(nullptr, 1000, 25000, &style, "a<b & c", 0, TRUE));
    const HtmlCaption caption = GetHtmlCaption(*doc, 0);
    EXPECT_EQ(caption.text, QByteArray("a<b & c"));
    EXPECT_EQ(caption.nBound, 24);
    EXPECT_EQ(GetHtmlCaption(*doc, 1).nBound, int(doc->GetCanvasSize(1).cy));

    const QString file = dir + QStringLiteral("/temp.html");
    ASSERT_TRUE(SaveAsHtml(*doc, file));
    EXPECT_EQ(Bytes(file), QByteArray("<html><title></title><body><img src=\"temp0.jpg\"><p>a&lt;b &amp; c</p> "
                                      "<img src=\"temp1.jpg\"><p></p> </body></html>"));
    const FILEINFO top = InfoOf(dir + QStringLiteral("/temp0.jpg"));
    EXPECT_EQ(top.Format, FILE_JPEG);
    EXPECT_EQ(top.Height, 24);
    EXPECT_EQ(top.Width, int(doc->GetCanvasSize(0).cx));
    EXPECT_EQ(InfoOf(dir + QStringLiteral("/temp1.jpg")).Height, int(doc->GetCanvasSize(1).cy));
}

TEST_F(OutputTest, SaveImageWritesThePageImagesAndTheDocumentNowNamesThatFile) {
    auto doc = PagesDoc(2, QStringLiteral("D"));
    doc->GetPageInfo(0)->m_bImageModified = TRUE;
    // Only a TIFF file holds two images.
    EXPECT_FALSE(SaveImage(*doc, dir + QStringLiteral("/two.bmp")));
    EXPECT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/two.bmp")));

    TestDialogs().handlers[QStringLiteral("CTIFFOptions2")] = [](CModalDialog&) { return IDOK; };
    TestDialogs().fileAnswers.push_back(dir + QStringLiteral("/two"));
    OnFileSaveImageAs(*doc);
    ASSERT_EQ(TestDialogs().fileRequests.size(), 1u);
    EXPECT_EQ(TestDialogs().fileRequests[0].defaultExt, QStringLiteral("tif"));
    const QString saved = dir + QStringLiteral("/two.tif");
    const FILEINFO info = InfoOf(saved);
    EXPECT_EQ(info.TotalPages, 2);
    EXPECT_EQ(info.Width, 60); // the image itself, without canvas or annotations
    EXPECT_EQ(doc->m_strImagePath, saved);
    EXPECT_FALSE(doc->IsImageModified());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Profile().GetProfileString(kSectionSettings, QStringLiteral("InitialDir"), {}),
              dir + QLatin1Char('/'));

    // A cancelled dialog writes nothing and keeps the path.
    TestDialogs().fileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(SaveImage(*doc, QString()));
    EXPECT_EQ(doc->m_strImagePath, saved);
}

TEST(SendMailDialog, TheFormatComesFromAndGoesBackToTheSettings) {
    EXPECT_EQ(CSendMailDialog::LoadFormat(), CSendMailDialog::Png);
    Profile().WriteProfileInt(kSectionSettings, QStringLiteral("SendMailFormatAnn"), 7);
    EXPECT_EQ(CSendMailDialog::LoadFormat(), CSendMailDialog::Jpeg);
    CSendMailDialog::SaveFormat(CSendMailDialog::Png);
    EXPECT_EQ(Profile().GetProfileInt(kSectionSettings, QStringLiteral("SendMailFormatAnn"), -1), 0);
}
