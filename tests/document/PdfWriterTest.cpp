// The PDF writer's file: each page image as one image object with the filter of its depth, the
// file whole or not at all, a cancel leaving nothing behind. What the pages look like and that
// their texts are text is checked with poppler's tools by the export scenarios.

#include "DocTestSupport.h"
#include "TestSupport.h"

#include "document/LumidorDoc.h"
#include "document/PdfWriter.h"
#include "platform/imaging/ImagingTypes.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace doctest;

namespace {
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(PdfWriter, EachDepthGetsItsFilterAndThePageItsPhysicalSize) {
    CLumidorDoc doc;
    doc.m_bFrame = FALSE;
    ASSERT_TRUE(doc.LoadDraftImage(SolidBitmap(300, 150, 1, RGB(0, 0, 0), 100), 0));
    ASSERT_TRUE(doc.AppendPageFromBitmap(SolidBitmap(200, 100, 8, RGB(90, 90, 90), 200)));
    ASSERT_TRUE(doc.AppendPageFromBitmap(SolidBitmap(200, 100, 24, RGB(200, 30, 30), 200)));
    const QString path = TestTempDir() + "/three.pdf";
    ASSERT_EQ(WriteDocumentPdf(doc, {0, 1, 2}, path, PdfOptions{}), SUCCESS);
    const QByteArray pdf = Read(path);
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.contains("/CCITTFaxDecode")) << "black and white stays a fax image";
    EXPECT_TRUE(pdf.contains("/DCTDecode")) << "colour as JPEG";
    EXPECT_EQ(pdf.count("/Subtype /Image"), 3);

    PdfOptions lossless;
    lossless.bLossless = true;
    ASSERT_EQ(WriteDocumentPdf(doc, {2}, path, lossless), SUCCESS);
    EXPECT_FALSE(Read(path).contains("/DCTDecode"));
}

TEST(PdfWriter, ACancelOrABadPageLeavesTheFileThatWasThere) {
    CLumidorDoc doc;
    ASSERT_TRUE(doc.LoadDraftImage(SolidBitmap(50, 40, 24, RGB(255, 255, 255), 100), 0));
    const QString path = TestTempDir() + "/kept.pdf";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    QString error;
    EXPECT_EQ(WriteDocumentPdf(doc, {0}, path, PdfOptions{}, &error, [](int, int) { return false; }),
              ERROR_USER_ABORT);
    EXPECT_EQ(WriteDocumentPdf(doc, {0, 7}, path, PdfOptions{}, &error), ERROR_INV_PARAMETER);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Read(path), QByteArray("old"));
    EXPECT_NE(WriteDocumentPdf(doc, {0}, TestTempDir() + "/no/such/folder/x.pdf", PdfOptions{}, &error),
              SUCCESS);
}
