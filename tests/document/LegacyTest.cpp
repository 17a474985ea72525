// Documents of earlier versions: version 2 with its archived text boxes and the image beside it,
// and version 5 linking its image by path.

#include "DocFileTestSupport.h"

#include "app/Resource.h"
#include "document/TransparentEdit.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/ResourceModule.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

using namespace filetest;

namespace {

class Legacy : public testing::Test {
protected:
    void SetUp() override { LoadModule(); }
};

template <typename T> T* ObjectAt(CLumidorDoc& doc, int page, std::size_t i) {
    const CObjectList* list = doc.GetObjectsList(page);
    return list && i < list->size() ? dynamic_cast<T*>((*list)[i].get()) : nullptr;
}

TEST_F(Legacy, Version2TextBoxesBecomeTextsAndCheckMarksOfPage0) {
    CLumidorDoc doc;
    ASSERT_TRUE(OpenDoc(doc, SamplePath(QStringLiteral("sample-v2.brf"))));
    ASSERT_EQ(doc.GetObjectsList(0)->size(), 4u);

    auto* text = ObjectAt<CTranspText>(doc, 0, 0);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->GetText(), QByteArray("Call back\r\nbefore noon"));
    EXPECT_EQ(text->m_x, 100000);
    EXPECT_EQ(text->m_y, 150000);
    EXPECT_EQ(text->m_style.nSize, 12);
    EXPECT_EQ(text->m_style.lf.lfHeight, -120);
    EXPECT_EQ(text->m_style.crText, 0x0000FFu);
    EXPECT_EQ(QByteArray(text->m_style.lf.lfFaceName), QByteArray("Arial"));
    EXPECT_EQ(text->m_style.nAlign, 0);
    EXPECT_EQ(text->m_style.nAnnotation, 0);
    EXPECT_EQ(text->m_nPage, 0);

    auto* mark = ObjectAt<CTranspCheckMark>(doc, 0, 1);
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->m_crColor, 0x008000u);
    EXPECT_EQ(mark->m_nLineWidth, 0);
    EXPECT_EQ(mark->m_rect.left, 300000);
    EXPECT_EQ(mark->m_rect.bottom, 200000); // the rectangle ends at the anchor's y
    EXPECT_GT(mark->m_rect.right, 300000);
    EXPECT_LT(mark->m_rect.top, 200000);

    auto* empty = ObjectAt<CTranspText>(doc, 0, 2);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(empty->m_lines, QList<QByteArray>{QByteArray(1, '\xB6')});

    // A 92-byte structure: the check-box flag was not stored, so this is a text.
    auto* shortBox = ObjectAt<CTranspText>(doc, 0, 3);
    ASSERT_TRUE(shortBox);
    EXPECT_EQ(shortBox->GetText(), QByteArray("Short"));
    EXPECT_EQ(shortBox->m_style.crText, 0x000080u);

    // The image beside the document, placed by the header's position words.
    ASSERT_TRUE(doc.IsImageAvailable(0));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{150, 100}));
    EXPECT_EQ(doc.GetPageImagePos(0), (POINT{50, 30})); // 100 dpi x 50000 x 0.00001
}

// Saved again, a version-2 document is a version-6 document with the same content; the empty
// text box is not stored.
TEST_F(Legacy, Version2SavedAndReadAgain) {
    CLumidorDoc old;
    ASSERT_TRUE(OpenDoc(old, SamplePath(QStringLiteral("sample-v2.brf"))));
    const QString path = TestTempDir() + QStringLiteral("/converted.brf");
    ASSERT_TRUE(old.OnSaveDocument(path));
    CLumidorDoc again;
    ASSERT_TRUE(OpenDoc(again, path));
    EXPECT_EQ(again.GetObjectsList(0)->size(), 3u);
    old.GetObjectsList(0)->erase(old.GetObjectsList(0)->begin() + 2);
    ExpectSameDocuments(old, again);
}

// Merged, a version-2 file brings its text boxes onto the current page and leaves the document's
// own image where it is.
TEST_F(Legacy, Version2MergedKeepsTheDocumentsImage) {
    const QString copy = TestTempDir() + QStringLiteral("/old.tkx");
    ASSERT_TRUE(QFile::copy(SamplePath(QStringLiteral("sample-v2.brf")), copy));
    CLumidorDoc doc;
    LBitmapBase image = PatternBitmap(40, 30, 24, 100);
    doc.m_PagesList[0]->m_Bitmap.TakePixels(image);
    doc.SetPageImagePos(0, 60000, 60000);
    EXPECT_TRUE(doc.MergeToDoc(copy));
    EXPECT_EQ(doc.GetObjectsList(0)->size(), 4u);
    EXPECT_EQ(doc.GetPageImagePos(0), (POINT{60000, 60000}));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{40, 30}));
}

TEST_F(Legacy, Version5LinksItsImageBesideTheDocument) {
    CLumidorDoc doc;
    ASSERT_TRUE(OpenDoc(doc, SamplePath(QStringLiteral("sample-v5.brf"))));
    EXPECT_EQ(doc.m_strImagePath, SamplePath(QStringLiteral("sample-v5.png")));
    EXPECT_EQ(doc.GetPageSize(0), (SIZE{200, 150}));
    EXPECT_EQ(doc.m_PagesList[0]->m_Bitmap.GetBitsPerPixel(), 8);
    ASSERT_EQ(doc.GetObjectsList(0)->size(), 2u);
    EXPECT_TRUE(ObjectAt<CTranspText>(doc, 0, 0));
    EXPECT_TRUE(ObjectAt<CTranspRectangle>(doc, 0, 1));
}

// A first line of 20 x 16 pixels on a 96-dpi screen is a check mark of 20833 x 16666 text units.
TEST_F(Legacy, CheckMarkRectangleOfAMeasuredLine) {
    EXPECT_EQ(CTransparentEdit::CheckMarkRectFromExtent(1000, 50000, 20, 16, 96, 96),
              (RECT{1000, 50000 - 16666, 1000 + 20833, 50000}));
    EXPECT_EQ(CTransparentEdit::CheckMarkRectFromExtent(0, 0, 96, 96, 96, 96),
              (RECT{0, -99999, 99999, 0}));

    // Measured in the box's font: the rectangle grows with the line.
    CTransparentEdit edit;
    edit.m_x = 1000;
    edit.m_y = 50000;
    edit.m_font.lf.lfHeight = -120;
    edit.m_font.nSize = 12;
    edit.m_lines = {"W"};
    const RECT one = edit.GetCheckMarkRect();
    edit.m_lines = {"WWWW", "x"};
    const RECT four = edit.GetCheckMarkRect();
    EXPECT_EQ(one.bottom, 50000);
    EXPECT_GT(one.right, one.left);
    EXPECT_GT(four.right - four.left, 3 * (one.right - one.left));
    EXPECT_EQ(four.top, one.top);
}

TEST_F(Legacy, GetTextJoinsLinesAndHidesThePlaceholder) {
    CTransparentEdit edit;
    EXPECT_EQ(edit.GetText(), QByteArray());
    edit.m_lines = {"a", "", "b"};
    EXPECT_EQ(edit.GetText(), QByteArray("a\r\n\r\nb"));
}

// What the object encoding refuses: another class, another schema, an index that names no class,
// a reference back to an object, an overlong class name.
TEST_F(Legacy, ObjectEncodingRefusals) {
    const auto read = [](const QByteArray& bytes) {
        QByteArray copy = bytes;
        QBuffer buf(&copy);
        buf.open(QIODevice::ReadOnly);
        CArchive ar(&buf, CArchive::load);
        CEditArchiveReader reader(ar);
        try {
            while (reader.ReadObject()) {
            }
            return 0;
        } catch (const CArchiveException& e) {
            return e.m_cause;
        }
    };
    const QByteArray box = Bytes().I32(0);
    const QByteArray known = Bytes().U16(0xFFFF).U16(0).U16(16).Raw("CTransparentEdit").Raw(box);
    EXPECT_EQ(read(Bytes().Raw(known).Raw(Bytes().U16(0x8001)).Raw(box).U16(0)), 0);
    EXPECT_EQ(read(Bytes().U16(0xFFFF).U16(0).U16(5).Raw("CEdit").Raw(box)),
              CArchiveException::badClass);
    EXPECT_EQ(read(Bytes().U16(0xFFFF).U16(1).U16(16).Raw("CTransparentEdit").Raw(box)),
              CArchiveException::badSchema);
    EXPECT_EQ(read(Bytes().U16(0xFFFF).U16(0).U16(200).Raw(QByteArray(200, 'C'))),
              CArchiveException::badClass);
    // Index 2 is the first box, not a class.
    EXPECT_EQ(read(Bytes().Raw(known).U16(0x8002).Raw(box)), CArchiveException::badIndex);
    EXPECT_EQ(read(Bytes().Raw(known).U16(0x0002)), CArchiveException::badIndex);
    EXPECT_EQ(read(Bytes().U16(0x7FFF).I32(std::int32_t(0x80000001u))), CArchiveException::badIndex);
}

TEST_F(Legacy, StoredBoxReadsBack) {
    CTransparentEdit edit;
    edit.m_x = -5;
    edit.m_y = 77;
    edit.m_bCheckBox = 1;
    edit.m_font.crText = 0x123456;
    edit.m_lines = {"one", "two"};
    QByteArray bytes;
    {
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        CArchive ar(&buf, CArchive::store);
        CEditArchiveWriter writer(ar);
        writer.WriteObject(&edit);
        writer.WriteObject(&edit);
    }
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    CEditArchiveReader reader(ar);
    for (int i = 0; i < 2; ++i) {
        const std::unique_ptr<CTransparentEdit> back = reader.ReadObject();
        ASSERT_TRUE(back);
        EXPECT_EQ(back->m_x, -5);
        EXPECT_EQ(back->m_y, 77);
        EXPECT_EQ(back->m_bCheckBox, 1);
        EXPECT_EQ(back->m_font.crText, 0x123456u);
        EXPECT_EQ(back->m_lines, (QList<QByteArray>{"one", "two"}));
    }
    EXPECT_EQ(buf.pos(), bytes.size());
}

} // namespace
