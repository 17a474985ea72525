// Printing a document of 20 fax pages (1728 x 2200 at 200 dpi, with a rectangle each) both ways
// to a PDF file standing in for a print queue, at 300 dpi.

#include "BenchMain.h"
#include "document/LumidorDoc.h"
#include "objects/TranspRectangle.h"
#include "platform/imaging/BitmapBase.h"
#include "view/ViewPrint.h"

#include <QApplication>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {
std::unique_ptr<CLumidorDoc> FaxDocument(int nPages) {
    auto doc = std::make_unique<CLumidorDoc>();
    doc->m_bFrame = FALSE;
    QImage img(1728, 2200, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 100; y < 2100; y += 40)
        for (int x = 100; x < 1600; ++x) img.setPixel(x, y, qRgb(0, 0, 0));
    img.setPixel(0, 0, qRgb(0, 0, 0));
    img.setPixel(1727, 2199, qRgb(0, 0, 0));
    LBitmapBase b;
    b.SetImage(img, 24);
    b.SetXResolution(200);
    b.SetYResolution(200);
    doc->CreateFromBitmap(b);
    for (int i = 1; i < nPages; ++i) doc->AppendPageFromBitmap(b);
    for (int i = 0; i < nPages; ++i)
        doc->AddObjectToList(std::make_unique<CTranspRectangle>(
            nullptr, RECT{100000, 100000, 300000, 200000}, RGB(0, 0, 0), 1000, i));
    return doc;
}

void Print(benchmark::State& state, bool asImage) {
    const auto doc = FaxDocument(20);
    QTemporaryDir dir;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("queue.pdf")));
        printer.setResolution(300);
        const PrintPages pages{0, doc->GetPageCount() - 1, 1, true};
        benchmark::DoNotOptimize(asImage ? PrintAsImage(*doc, printer, pages)
                                         : PrintDirect(*doc, printer, pages));
    }
}
void BM_PrintAsImage20Pages(benchmark::State& state) { Print(state, true); }
void BM_PrintDirect20Pages(benchmark::State& state) { Print(state, false); }
BENCHMARK(BM_PrintAsImage20Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintDirect20Pages)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks<QApplication>(argc, argv); }
