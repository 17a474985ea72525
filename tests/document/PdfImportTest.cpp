// PDF files opened as documents (pages at their least depth, form fields as objects, hostile
// files refused whole) and written back as filled PDF forms. The PDF files are made here
// (tests/tools/PdfFormMaker.h) and read back with libqpdf.

#include "DocTestSupport.h"
#include "PdfFormMaker.h"
#include "TestSupport.h"

#include "app/PdfPasswordDialog.h"
#include "document/LumidorDoc.h"
#include "document/PdfFill.h"
#include "document/PdfImport.h"
#include "document/PdfReader.h"
#include "document/PdfSource.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/imaging/ImagingTypes.h"

#include <QFile>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

using namespace doctest;

namespace {

QString Make(const QString& sample, int pages = 1) {
    const QString path = TestTempDir() + "/" + sample + ".pdf";
    EXPECT_TRUE(WriteFile(path, MakeSamplePdf(sample, pages)));
    return path;
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class T> T* Object(const CLumidorDoc& doc, int page, const char* name) {
    for (const auto& p : *doc.GetObjectsList(page))
        if (p->GetObjectName() == name)
            return dynamic_cast<T*>(p.get());
    return nullptr;
}

QString AllMessages() {
    QString all;
    for (const MessageRequest& m : TestMessages().shown)
        all += m.text + "\n";
    return all;
}

// The raw bytes of a page's content streams, as the file holds them.
std::string RawContents(const QByteArray& pdfBytes, int page) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("c", pdfBytes.constData(), std::size_t(pdfBytes.size()));
    std::string all;
    for (QPDFObjectHandle& s : QPDFPageDocumentHelper(pdf).getAllPages()[std::size_t(page)].getPageContents())
        all += s.getRawStreamData()->getSize() ? std::string(reinterpret_cast<const char*>(s.getRawStreamData()->getBuffer()),
                                                             s.getRawStreamData()->getSize()) + "|"
                                               : "|";
    return all;
}

} // namespace

TEST(PdfImport, TheFormsFieldsBecomeObjectsInThePdfsOrder) {
    CLumidorDoc doc;
    doc.m_bFrame = FALSE;
    const QString path = Make("form");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_EQ(doc.GetPageCount(), 1);
    const LMyBitmap& image = doc.GetPageInfo(0)->m_Bitmap;
    EXPECT_EQ(image.GetBitsPerPixel(), 1) << "black text on white is a 1-bit page";
    EXPECT_EQ(image.GetWidth(), 1700);
    EXPECT_EQ(image.GetHeight(), 2200);
    EXPECT_EQ(image.GetXResolution(), 200);
    // The value "Ada" is the object's to show: the field's own appearance is not in the image.
    int black = 0;
    for (int y = 345; y < 390; ++y)
        for (int x = 285; x < 825; ++x)
            black += image.GetPixelColor(x, y) == RGB(0, 0, 0);
    EXPECT_EQ(black, 0);
    EXPECT_EQ(doc.GetTitle(), "form");
    EXPECT_FALSE(doc.IsModified());

    // The field list holds the texts in the form's order; buttons are check marks.
    std::vector<QByteArray> fields;
    for (const CTranspBaseClass* f : *doc.GetFieldObjectsList(0))
        fields.push_back(f->GetObjectName());
    EXPECT_EQ(fields, (std::vector<QByteArray>{"Name", "City", "Zip"}));
    const auto* name = Object<CTranspText>(doc, 0, "Name");
    const auto* city = Object<CTranspText>(doc, 0, "City");
    const auto* zip = Object<CTranspText>(doc, 0, "Zip");
    ASSERT_TRUE(name && city && zip);
    EXPECT_EQ(name->GetText(), "Ada");
    EXPECT_TRUE(name->m_bFormField);
    EXPECT_EQ(name->m_style.nSize, 12);
    EXPECT_EQ(city->m_style.nSize, 10) << "an automatic size becomes 10 points";
    EXPECT_EQ(city->m_style.nAlign, 2);
    // Left edge at 100 points; the comb's 8 cells share its 160 points.
    EXPECT_NEAR(name->m_x, 100 * 100000 / 72, 2);
    EXPECT_TRUE(zip->m_style.bStepped);
    EXPECT_NEAR(zip->m_style.nPitch, 160.0 / 8 / 72 * 100000, 2);
    EXPECT_EQ(zip->m_nMaxLength, 8);
    // The one-line field's text sits inside it: its bottom line between the field's edges.
    EXPECT_GT(name->m_y, (792 - 670) * 100000 / 72);
    EXPECT_LE(name->m_y, (792 - 650) * 100000 / 72);

    const auto* agree = Object<CTranspCheckMark>(doc, 0, "Agree");
    const auto* small = Object<CTranspCheckMark>(doc, 0, "Size");
    const auto* large = Object<CTranspCheckMark>(doc, 0, "Size_2");
    ASSERT_TRUE(agree && small && large) << "a second widget of one field gets a name of its own";
    EXPECT_TRUE(agree->m_bChecked);
    EXPECT_TRUE(small->m_bChecked);
    EXPECT_FALSE(large->m_bChecked);
    EXPECT_EQ(doc.GetObjectsList(0)->size(), 6u);
    // The choice list stays in the image, named once.
    EXPECT_TRUE(AllMessages().contains("Country (choice list)")) << AllMessages().toStdString();

    ASSERT_TRUE(doc.m_pPdfSource);
    EXPECT_EQ(doc.m_pPdfSource->fields.size(), 6u);
    EXPECT_EQ(doc.m_pPdfSource->sha256, HashPdfFile(path));
    EXPECT_EQ(CheckPdfSource(doc), PdfSourceState::Ok);
}

TEST(PdfImport, EachPageKeepsTheLeastDepthThatHoldsIt) {
    for (const auto& [sample, depth] : std::vector<std::pair<QString, int>>{{"nofields", 1}, {"grey", 8}, {"colour", 24}}) {
        CLumidorDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Make(sample))) << sample.toStdString();
        EXPECT_EQ(doc.GetPageInfo(0)->m_Bitmap.GetBitsPerPixel(), depth) << sample.toStdString();
        EXPECT_TRUE(doc.GetObjectsList(0)->empty());
    }
    EXPECT_TRUE(TestMessages().shown.empty()) << AllMessages().toStdString();
}

TEST(PdfImport, MixedSizesRotationAndTheResolutionSetting) {
    SetPdfOpenResolution(100);
    CLumidorDoc doc;
    doc.m_bFrame = FALSE;
    ASSERT_TRUE(doc.OnOpenDocument(Make("mixed")));
    ASSERT_EQ(doc.GetPageCount(), 3);
    EXPECT_EQ(doc.GetPageSize(0).cx, 850);
    EXPECT_EQ(doc.GetPageSize(0).cy, 1100);
    EXPECT_EQ(doc.GetPageSize(1).cx, 1169) << "landscape A4";
    EXPECT_EQ(doc.GetPageSize(1).cy, 826);
    EXPECT_EQ(doc.GetPageSize(2).cx, 1100) << "a page turned by a quarter is shown turned";
    EXPECT_EQ(doc.GetPageSize(2).cy, 850);
    // On the turned page the field's bottom edge (y 400 .. 420) runs down the page at x 400.
    const auto* turned = Object<CTranspText>(doc, 2, "Turned");
    ASSERT_TRUE(turned);
    EXPECT_NEAR(turned->m_x, 400 * 100000 / 72, 1000) << "within a pixel";
    const auto* wide = Object<CTranspText>(doc, 1, "Wide");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->m_nPage, 1);
    EXPECT_NEAR(wide->m_x, 400 * 100000 / 72, 1000);
}

TEST(PdfImport, HostileFilesAreRefusedWholeOrOpenedWithinLimits) {
    {   // A page tree claiming millions of pages.
        CLumidorDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(Make("millions")));
        // Refused by the page limit, or by poppler finding far fewer pages than claimed.
        EXPECT_TRUE(AllMessages().contains("5000000") || AllMessages().contains("no pages"))
            << AllMessages().toStdString();
        EXPECT_EQ(doc.GetPageCount(), 1);
        EXPECT_FALSE(doc.IsImageAvailable());
        EXPECT_FALSE(doc.m_pPdfSource);
    }
    TestMessages().shown.clear();
    {   // 200 x 200 inches: drawn at a resolution the imaging layer can hold, and said so.
        CLumidorDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Make("huge")));
        const SIZE size = doc.GetPageSize(0);
        EXPECT_LE(std::int64_t(size.cx) * size.cy, 64LL * 1024 * 1024);
        EXPECT_GT(size.cx, 1000);
        EXPECT_TRUE(AllMessages().contains("lower resolution")) << AllMessages().toStdString();
    }
    TestMessages().shown.clear();
    {   // A page of no size keeps its place among the pages.
        CLumidorDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Make("zero")));
        EXPECT_EQ(doc.GetPageCount(), 3);
        EXPECT_EQ(doc.GetPageSize(0).cx, 1700);
    }
    {   // Thousands of fields: the first ones become objects, the rest are counted.
        CLumidorDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(Make("thousands")));
        EXPECT_EQ(doc.GetFieldObjectsList(0)->size(), 5000u);
        EXPECT_TRUE(AllMessages().contains("1000 form fields")) << AllMessages().toStdString();
    }
    TestMessages().shown.clear();
    // Garbage, a file cut in half and a damaged cross-reference table.
    const QByteArray form = MakeSamplePdf("form");
    QByteArray xref = form;
    const qsizetype at = xref.lastIndexOf("xref");
    if (at > 0)
        xref.replace(at, 4, "xxxx");
    QByteArray scrambled = form;
    for (qsizetype i = 400; i < scrambled.size(); i += 97)
        scrambled[i] = char(scrambled[i] ^ 0x5A);
    for (const QByteArray& bytes : {QByteArray("not a pdf at all"), QByteArray("%PDF-1.7\n"),
                                    form.left(form.size() / 2), xref, scrambled}) {
        const QString path = TestTempDir() + "/bad.pdf";
        ASSERT_TRUE(WriteFile(path, bytes));
        CLumidorDoc doc;
        if (!doc.OnOpenDocument(path)) {
            EXPECT_FALSE(doc.IsImageAvailable());
            EXPECT_FALSE(doc.m_pPdfSource);
            EXPECT_FALSE(TestMessages().shown.empty()) << "a refusal is always said";
        } else {
            EXPECT_TRUE(doc.IsImageAvailable());
        }
        TestMessages().shown.clear();
    }
}

TEST(PdfImport, AnEncryptedFileAsksForItsPasswordAndSaysWhenItIsWrong) {
    const QString path = TestTempDir() + "/secret.pdf";
    ASSERT_TRUE(WriteFile(path, EncryptPdf(MakeSamplePdf("form"), "open sesame")));
    {
        CLumidorDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path)) << "without a window nothing can ask";
        EXPECT_TRUE(AllMessages().contains("password")) << AllMessages().toStdString();
    }
    TestMessages().shown.clear();
    SetPdfOpenPrompt(true);
    int asked = 0;
    TestDialogs().handlers["CPdfOpenDialog"] = [](CModalDialog&) { return IDOK; };
    TestDialogs().handlers["CPdfPasswordDialog"] = [&asked](CModalDialog& d) {
        static_cast<CPdfPasswordDialog&>(d).m_strPassword = ++asked == 1 ? "wrong" : "open sesame";
        return IDOK;
    };
    CLumidorDoc doc;
    const bool opened = doc.OnOpenDocument(path);
    SetPdfOpenPrompt(false);
    ASSERT_TRUE(opened);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(TestMessages().shown.size(), 2u) << AllMessages().toStdString();
    EXPECT_EQ(TestMessages().shown[0].text, "The password is wrong.");
    EXPECT_EQ(doc.GetFieldObjectsList(0)->size(), 3u);
}

TEST(PdfFill, TheFilledCopyHoldsTheObjectsValuesAndTheOriginalsContent) {
    const QString source = Make("form");
    CLumidorDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(source));
    Object<CTranspText>(doc, 0, "Name")->SetText("Grace Hopper", FALSE);
    Object<CTranspText>(doc, 0, "City")->SetText("Paris", FALSE);
    Object<CTranspText>(doc, 0, "Zip")->SetText("12345678", FALSE);
    Object<CTranspCheckMark>(doc, 0, "Agree")->m_bChecked = FALSE;
    Object<CTranspCheckMark>(doc, 0, "Size")->m_bChecked = FALSE;
    Object<CTranspCheckMark>(doc, 0, "Size_2")->m_bChecked = TRUE;
    // Saved and read again: the record of the source finds the fields' objects again.
    const QString brf = TestTempDir() + "/filled.brf";
    ASSERT_TRUE(doc.OnSaveDocument(brf));
    CLumidorDoc again;
    ASSERT_TRUE(again.OnOpenDocument(brf));
    ASSERT_TRUE(again.m_pPdfSource);
    EXPECT_EQ(again.m_pPdfSource->strPath, doc.m_pPdfSource->strPath);
    ASSERT_TRUE(Object<CTranspText>(again, 0, "Zip"));
    EXPECT_EQ(Object<CTranspText>(again, 0, "Zip")->m_nMaxLength, 8);
    // An object the user added is drawn over its page.
    auto box = std::make_unique<CTranspRectangle>(nullptr, RECT{100000, 100000, 300000, 200000},
                                                  RGB(255, 0, 0), 2000, 0);
    box->SetObjectName("Box");
    again.AddObjectToList(std::move(box));

    const QString out = TestTempDir() + "/out.pdf";
    QString error;
    ASSERT_EQ(WriteFilledPdf(again, out, {}, &error), PdfFillResult::Ok) << error.toStdString();
    const QByteArray filled = Read(out);
    const std::map<QString, QString> values = ReadFieldValues(filled);
    EXPECT_EQ(values.at("Name"), "Grace Hopper");
    EXPECT_EQ(values.at("City"), "Paris");
    EXPECT_EQ(values.at("Zip"), "12345678");
    EXPECT_EQ(values.at("Agree"), "Off");
    EXPECT_EQ(values.at("Size"), "Large");
    EXPECT_EQ(values.at("Country"), "Peru") << "a field left in the image keeps its value";
    // The original's page content is there byte for byte, with the layer of objects after it.
    const std::string before = RawContents(Read(source), 0);
    const std::string after = RawContents(filled, 0);
    EXPECT_NE(after.find(before.substr(0, before.size() - 1)), std::string::npos);
    EXPECT_TRUE(filled.contains("/BrellinObjects"));

    // Never over its own source; a changed source is said and nothing is written.
    const QByteArray original = Read(source);
    EXPECT_EQ(WriteFilledPdf(again, source, {}, &error), PdfFillResult::Failed);
    EXPECT_EQ(Read(source), original);
    ASSERT_TRUE(WriteFile(source, Read(source) + "\n% changed\n"));
    EXPECT_EQ(CheckPdfSource(again), PdfSourceState::Changed);
    QFile::remove(out);
    EXPECT_EQ(WriteFilledPdf(again, out, {}, &error), PdfFillResult::Failed);
    EXPECT_FALSE(QFile::exists(out));
    QFile::remove(source);
    EXPECT_EQ(CheckPdfSource(again), PdfSourceState::Missing);
}

TEST(PdfFill, ADocumentWithoutSourceCarriesNoRecordAndHasNoFormToFill) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.LoadDraftImage(SolidBitmap(100, 100, 1, RGB(255, 255, 255)), 0));
    const QString brf = TestTempDir() + "/plain.brf";
    ASSERT_TRUE(doc.OnSaveDocument(brf));
    EXPECT_FALSE(Read(brf).contains("BPDF"));
    EXPECT_EQ(CheckPdfSource(doc), PdfSourceState::None);
    const QString out = TestTempDir() + "/x.pdf";
    EXPECT_EQ(WriteFilledPdf(doc, out), PdfFillResult::Failed);
    EXPECT_FALSE(QFile::exists(out));
}

TEST(PdfFill, AnAddedObjectLandsWhereItWasDrawnOnATurnedPage) {
    SetPdfOpenResolution(100);
    CLumidorDoc doc;
    doc.m_bFrame = FALSE;
    ASSERT_TRUE(doc.OnOpenDocument(Make("mixed")));
    // A thick red frame on the turned page, 200 .. 500 by 200 .. 400 page pixels.
    auto box = std::make_unique<CTranspRectangle>(nullptr, RECT{200000, 200000, 500000, 400000},
                                                  RGB(255, 0, 0), 20000, 2);
    box->SetObjectName("Box");
    doc.AddObjectToList(std::move(box));
    const QString out = TestTempDir() + "/turned.pdf";
    QString error;
    ASSERT_EQ(WriteFilledPdf(doc, out, {}, &error), PdfFillResult::Ok) << error.toStdString();

    CPdfReader reader;
    ASSERT_EQ(reader.Open(out), PdfReadStatus::Ok);
    std::vector<LMyBitmap> pages;
    ASSERT_EQ(reader.RenderPages({100, 100, 100}, pages), SUCCESS);
    const LMyBitmap& turned = pages[2];
    ASSERT_EQ(turned.GetWidth(), 1100);
    ASSERT_EQ(turned.GetHeight(), 850);
    EXPECT_EQ(turned.GetPixelColor(200, 300), RGB(255, 0, 0));
    EXPECT_EQ(turned.GetPixelColor(350, 200), RGB(255, 0, 0));
    EXPECT_EQ(turned.GetPixelColor(350, 300), RGB(255, 255, 255)) << "a frame, not a block";
    EXPECT_EQ(turned.GetPixelColor(800, 300), RGB(255, 255, 255));
    EXPECT_EQ(pages[0].GetBitsPerPixel(), 1) << "the other pages carry no layer";
}
