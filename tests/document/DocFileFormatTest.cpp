// The bytes a save writes: the header, the page-image record, the order of the records, and which
// extensions are written at all.

#include "DocFileTestSupport.h"

#include "app/ProfileRecords.h"
#include "document/DocFileFormat.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/imaging/ImageFile.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace filetest;

namespace {

class DocFileFormat : public testing::Test {
protected:
    void SetUp() override {
        LoadModule();
        m_dir = TestTempDir();
    }
    void TearDown() override { qputenv("BRELLIN_SCREEN_DPI", "96"); }
    QString Path(const char* name) const { return m_dir + QLatin1Char('/') + QLatin1String(name); }

    QString m_dir;
};

TEST_F(DocFileFormat, HeaderAndEndOfADocumentWithoutImages) {
    CLumidorDoc doc;
    doc.m_ptOrigin = POINT{1500, -2500};
    doc.m_nOriginFlag = 1;
    ASSERT_TRUE(doc.OnSaveDocument(Path("empty.brf")));
    const QByteArray expected = Bytes()
                                    .Raw(QByteArray("LMD\0", 4))
                                    .I32(6)
                                    .F64(0.00001)
                                    .I32s({1500, -2500, 0, 0, 1, 1})
                                    .Zeros(8)
                                    .I32(0);
    EXPECT_EQ(ReadFileBytes(Path("empty.brf")), expected);
}

// The page-image record field by field; positions scaled to a 120-dpi screen and back.
TEST_F(DocFileFormat, PageImageRecordOnA120DpiScreen) {
    qputenv("BRELLIN_SCREEN_DPI", "120");
    CLumidorDoc doc;
    LBitmapBase image = PatternBitmap(40, 30, 1, 200);
    image.SetYResolution(150);
    doc.m_PagesList[0]->m_Bitmap.TakePixels(image);
    doc.m_PagesList[0]->m_ptImagePos = POINT{96, 48};
    doc.m_PagesList[0]->m_nCanvasWidth = 52;
    doc.m_PagesList[0]->m_nCanvasHeight = 41;
    doc.m_PagesList[0]->m_strPageName = "Seite";
    doc.m_PagesList[0]->m_bImageModified = TRUE;
    ASSERT_TRUE(doc.OnSaveDocument(Path("one.brf")));
    EXPECT_FALSE(doc.m_PagesList[0]->m_bImageModified);

    const QByteArray file = ReadFileBytes(Path("one.brf"));
    FileParts parts;
    ASSERT_TRUE(SplitImagePayloads(file, parts));
    ASSERT_EQ(parts.png.size(), 1u);
    const QByteArray& png = parts.png[0];
    const QByteArray record = Bytes()
                                  .I32(8)
                                  .I32(4 + 40 + 16 + 4 + 5 + 4 + int(png.size()))
                                  .I32(40)
                                  .I32s({40, 2, 0, 0, 1})
                                  .Zeros(20)
                                  .I32s({120, 60, 52, 41})
                                  .Str("Seite")
                                  .I32(int(png.size()))
                                  .Raw(png)
                                  .I32(0);
    EXPECT_EQ(file.mid(48), record);

    // The PNG holds the image at its own depth with both resolutions.
    LBitmapBase decoded;
    ASSERT_EQ(brellin::imaging::DecodeImage(reinterpret_cast<const uchar*>(png.constData()),
                                            std::size_t(png.size()), 1, decoded, {}),
              SUCCESS);
    EXPECT_EQ(decoded.GetBitsPerPixel(), 1);
    EXPECT_EQ(decoded.GetXResolution(), 200);
    EXPECT_EQ(decoded.GetYResolution(), 150);

    CLumidorDoc back;
    ASSERT_TRUE(OpenDoc(back, Path("one.brf")));
    EXPECT_EQ(back.GetPageImagePos(0), (POINT{96, 48}));
    EXPECT_EQ(back.m_PagesList[0]->m_strPageName, QByteArray("Seite"));
    EXPECT_EQ(back.GetPageResolution(0), (POINT{200, 150}));
    EXPECT_TRUE(back.m_bFrame); // a position off the left edge means a framed page
}

// Three pages, only page 2 erased: exactly one kind-12 record, after page 2's objects. Empty
// texts that are no fields write nothing; a form field is written and listed.
TEST_F(DocFileFormat, RecordOrderAndTheOnlyErasedPage) {
    CLumidorDoc doc;
    for (int i = 0; i < 2; ++i)
        doc.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
    doc.m_nPageCount = 3;
    const TEXTSTYLE style = DefaultTextStyle();
    doc.AddObjectToList(std::make_unique<CTranspText>(nullptr, 1000, 2000, &style, nullptr, 0, TRUE));
    auto field = std::make_unique<CTranspText>(nullptr, 1000, 2000, &style, nullptr, 1, TRUE);
    field->m_bFormField = TRUE;
    CTranspText* pField = field.get();
    doc.AddObjectToList(std::move(field));
    doc.AddObjectToList(std::make_unique<CTranspRectangle>(nullptr, RECT{0, 0, 10, 10}, 0, 0, 2));
    doc.GetErasedList(2)->AddErased(RECT{1, 1, 5, 5});
    ASSERT_TRUE(doc.OnSaveDocument(Path("order.brf")));

    const std::vector<StreamRecord> records = ListRecords(ReadFileBytes(Path("order.brf")));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].kind, 1); // the form field of page 1; no image record, no empty text
    EXPECT_EQ(records[1].kind, 3);
    EXPECT_EQ(records[2].kind, 12);
    EXPECT_EQ(records[2].page, 2);
    EXPECT_EQ(records[3].kind, 0);
    ASSERT_EQ(doc.GetFieldObjectsList(1)->size(), 1u);
    EXPECT_EQ(doc.GetFieldObjectsList(1)->front(), pField);
}

TEST_F(DocFileFormat, SaveWithoutImageWritesNoImageRecord) {
    CLumidorDoc doc;
    LBitmapBase image = PatternBitmap(20, 20, 24, 100);
    doc.m_PagesList[0]->m_Bitmap.TakePixels(image);
    doc.m_bSaveWithoutImage = TRUE;
    ASSERT_TRUE(doc.OnSaveDocument(Path("noimage.tkd")));
    const std::vector<StreamRecord> records = ListRecords(ReadFileBytes(Path("noimage.tkd")));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, 0);
}

// Every role's extension is written; anything else is refused without a word and writes nothing.
TEST_F(DocFileFormat, ExtensionsThatAreSaved) {
    CLumidorDoc doc;
    for (const char* name : {"a.brf", "a.tkd", "a.brd", "a.tkx", "A.BRF"})
        EXPECT_TRUE(doc.OnSaveDocument(Path(name))) << name;
    for (const char* name : {"a.png", "a.txt", "a"}) {
        EXPECT_FALSE(doc.OnSaveDocument(Path(name))) << name;
        EXPECT_FALSE(QFile::exists(Path(name))) << name;
    }
    EXPECT_TRUE(TestMessages().shown.empty());
    EXPECT_TRUE(IsLoadableDocPath(QStringLiteral("x.tkx")));
    EXPECT_FALSE(OpensAsDocument(QStringLiteral("x.tkx")));
    EXPECT_TRUE(OpensAsDocument(QStringLiteral("x.BRD")));
}

} // namespace
