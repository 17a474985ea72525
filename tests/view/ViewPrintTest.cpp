// Printing geometry on a raster device standing in for the printer, the two printing ways on a
// PDF file queue, and the batch command's page range.

#include "TestSupport.h"
#include "ViewFixture.h"

#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "objects/TranspRectangle.h"
#include "platform/DC.h"
#include "platform/MessageBoxes.h"
#include "platform/imaging/BitmapBase.h"
#include "view/ViewPrint.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A page of 8.5 x 11 inches at 300 dpi: a black image of 2 x 1.5 inches placed half an inch from
// the corner, an erased square of half an inch inside it from 1 inch, and a rectangle whose left
// edge is 1 inch from the corner, below the image.
std::unique_ptr<CLumidorDoc> PrintDocument(int nPages = 1) {
    auto doc = std::make_unique<CLumidorDoc>();
    doc->m_bFrame = FALSE;
    QImage img(600, 450, QImage::Format_RGB32);
    img.fill(kBlack);
    img.setPixel(0, 0, kWhite);
    img.setPixel(599, 449, kWhite);
    LBitmapBase b;
    b.SetImage(img, 24);
    b.SetXResolution(300);
    b.SetYResolution(300);
    EXPECT_TRUE(doc->CreateFromBitmap(b));
    for (int i = 1; i < nPages; ++i) EXPECT_TRUE(doc->AppendPageFromBitmap(b));
    for (int i = 0; i < nPages; ++i) {
        doc->SetPageResolution(i, 300, 300);
        doc->SetPageImagePos(i, 50000, 50000);
        doc->SetCanvasSize(i, 2550, 3300);
    }
    doc->GetErasedList(0)->AddErased(RECT{300, 300, 450, 450});
    doc->AddObjectToList(std::make_unique<CTranspRectangle>(
        nullptr, RECT{100000, 250000, 200000, 300000}, RGB(0, 0, 0), 1000, 0));
    return doc;
}

// The page printed the direct way on a raster "printer" of the given resolution.
QImage PrintOnRaster(const CLumidorDoc& doc, int dpi, bool preview = false) {
    QImage paper(RoundHalfUp(8.5 * dpi), 11 * dpi, QImage::Format_RGB32);
    paper.fill(kWhite);
    CDC dc(&paper);
    dc.SetLogPixelsOverride(dpi, dpi);
    DrawPrint(&dc, doc, 0, preview);
    return paper;
}

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

} // namespace

TEST(ViewPrint, ImageAndObjectsLandAtTheirPhysicalSize) {
    const auto doc = PrintDocument();
    for (const int dpi : {300, 600}) {
        const QImage paper = PrintOnRaster(*doc, dpi);
        const auto at = [dpi](double inches) { return int(inches * dpi); };
        // The image covers 0.5 .. 2.5 by 0.5 .. 2 inches: twice the pixels at 600 dpi.
        EXPECT_FALSE(Dark(paper, at(0.5) - 2, at(1.0))) << dpi;
        EXPECT_TRUE(Dark(paper, at(0.5) + 2, at(1.0))) << dpi;
        EXPECT_TRUE(Dark(paper, at(2.5) - 2, at(1.9))) << dpi;
        EXPECT_FALSE(Dark(paper, at(2.5) + 2, at(1.0))) << dpi;
        EXPECT_FALSE(Dark(paper, at(1.0), at(2.0) + 2)) << dpi;
        // The erased square prints as blank paper.
        EXPECT_FALSE(Dark(paper, at(1.25), at(1.25))) << dpi;
        EXPECT_TRUE(Dark(paper, at(0.9), at(1.25))) << dpi;
        // The rectangle's left edge is 1 inch from the paper's corner.
        int x = 0;
        while (x < paper.width() && !Dark(paper, x, at(2.75))) ++x;
        EXPECT_NEAR(x, at(1.0), dpi / 72.0 + 1) << dpi;
    }
}

TEST(ViewPrint, PreviewShowsTheErasedAreasBlankAndCanvasCutsImageAndObjects) {
    auto doc = PrintDocument();
    EXPECT_FALSE(Dark(PrintOnRaster(*doc, 300, true), 375, 375));
    // A canvas of 1.5 inches cuts the image at its edge and the rectangle's lower part away.
    doc->SetCanvasSize(0, 450, 450);
    const QImage paper = PrintOnRaster(*doc, 300);
    EXPECT_TRUE(Dark(paper, 440, 200));
    EXPECT_FALSE(Dark(paper, 460, 200));
    doc->SetCanvasSize(0, 2550, 3300);
    doc->SetPageImagePos(0, -50000, 0);
    // Half an inch of the image lies left of the page and is not printed.
    const QImage shifted = PrintOnRaster(*doc, 300);
    EXPECT_TRUE(Dark(shifted, 2, 200));
    EXPECT_FALSE(Dark(shifted, 452, 200));
}

TEST(ViewPrint, PagesOfADegeneratePageDoNotCrash) {
    auto doc = PrintDocument();
    doc->SetCanvasSize(0, 0, 0);
    const QImage paper = PrintOnRaster(*doc, 300);
    EXPECT_FALSE(Dark(paper, 300, 300));
    CLumidorDoc empty;
    QImage img(10, 10, QImage::Format_RGB32);
    CDC dc(&img);
    DrawPrint(&dc, empty, 0, false);
    DrawPrint(nullptr, *doc, 0, false);
}

TEST(ViewPrint, BothWaysWriteEveryPageAndCopyToAFileQueue) {
    QTemporaryDir dir;
    const auto doc = PrintDocument(3);
    struct Case {
        bool asImage;
        PrintPages pages;
        int expectedPages;
    };
    for (const Case& c : {Case{false, {0, 2, 1, true}, 3}, Case{true, {0, 2, 1, true}, 3},
                          Case{false, {1, 2, 2, false}, 4}, Case{false, {0, 0, 3, true}, 3}}) {
        const QString path = dir.filePath(QStringLiteral("out.pdf"));
        QFile::remove(path);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setResolution(150);
        const PrintResult rc = c.asImage ? PrintAsImage(*doc, printer, c.pages)
                                         : PrintDirect(*doc, printer, c.pages);
        ASSERT_EQ(rc, PrintResult::Done);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                      pdf.count("/Type /Page "),
                  c.expectedPages)
            << c.asImage << " " << c.pages.nFrom << "-" << c.pages.nTo;
    }
}

TEST(ViewPrint, AJobThatCannotStartOrIsCancelledSaysSoOnce) {
    auto sink = std::make_shared<CRecordingMessageSink>();
    SetMessageSink(sink);
    EnsureResourceModule();
    const auto doc = PrintDocument(3);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/out.pdf"));
    EXPECT_EQ(PrintDirect(*doc, printer, PrintPages{0, 2, 1, true}), PrintResult::Failed);
    ASSERT_EQ(sink->shown.size(), 1u);

    QTemporaryDir dir;
    QPrinter ok(QPrinter::HighResolution);
    ok.setOutputFormat(QPrinter::PdfFormat);
    ok.setOutputFileName(dir.filePath(QStringLiteral("c.pdf")));
    int calls = 0;
    EXPECT_EQ(PrintAsImage(*doc, ok, PrintPages{0, 2, 1, true},
                           [&calls](int percent) { return percent < 100 && ++calls == 2; }),
              PrintResult::Cancelled);
    EXPECT_EQ(sink->shown.size(), 1u); // cancelling is silent
    // Pages the document does not have print nothing.
    EXPECT_EQ(PrintDirect(*doc, ok, PrintPages{2, 5, 1, true}), PrintResult::Failed);
}

TEST(ViewPrint, PageRangesOfTheBatchCommand) {
    struct Case {
        const char* text;
        bool ok;
        int from, to;
    };
    for (const Case& c : {Case{"1-3", true, 0, 2}, Case{"2", true, 1, 1}, Case{" 2 - 3 ", true, 1, 2},
                          Case{"0-1", false, 0, 0}, Case{"3-2", false, 0, 0}, Case{"1-4", false, 0, 0},
                          Case{"a", false, 0, 0}, Case{"1-2-3", false, 0, 0}, Case{"", false, 0, 0}}) {
        PrintPages pages;
        EXPECT_EQ(ParsePageRange(QString::fromLatin1(c.text), 3, pages), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(pages.nFrom, c.from) << c.text;
            EXPECT_EQ(pages.nTo, c.to) << c.text;
        }
    }
}
