// Page-side document work (run by hand): the erase list rebuilt from its records (a realistic
// eraser stroke and a hostile checkerboard) and a whole page drawn for output.
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_page

#include "BenchErase.h"
#include "BenchMain.h"
#include "document/EraseList.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/Archive.h"

#include <QApplication>
#include <QBuffer>
#include <cstdio>

namespace {

void ReplayErase(benchmark::State& state, const std::vector<_ERASERECT>& records) {
    QByteArray bytes = EraseRecords(records);
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        CArchive ar(&buffer, CArchive::load);
        CEraseList list;
        try {
            list.Serialize(ar, 0);
        } catch (const CArchiveException&) {
            state.SkipWithError("refused as too complex");
            break;
        }
        benchmark::DoNotOptimize(list.GetRegion().rectCount());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(records.size()));
}

// An eraser scribbled over a 2000 x 1500 pixel area of a 300 dpi page: a 30-pixel square every
// 3 pixels along rows 20 pixels apart, every 50th square restored.
void BM_EraseReplayScribble(benchmark::State& state) {
    std::vector<_ERASERECT> records;
    for (int i = 0; i < int(state.range(0)); ++i) {
        const int step = i % 667, row = (i / 667) % 75;
        const int x = 200 + ((row % 2) ? 2000 - step * 3 : step * 3), y = 300 + row * 20;
        records.push_back(_ERASERECT{x, y, x + 30, y + 30, i % 50 == 49 ? 1 : 0});
    }
    ReplayErase(state, records);
}
BENCHMARK(BM_EraseReplayScribble)->Arg(1000)->Arg(10000)->Arg(50000);

// Erased and restored squares in turn, scattered: every record changes the region's shape.
void BM_EraseReplayAlternating(benchmark::State& state) {
    std::vector<_ERASERECT> records;
    for (int i = 0; i < int(state.range(0)); ++i) {
        const int x = (i * 37) % 2400, y = (i * 53) % 3400;
        records.push_back(_ERASERECT{x, y, x + 30, y + 30, i % 2});
    }
    ReplayErase(state, records);
}
BENCHMARK(BM_EraseReplayAlternating)->Arg(1000)->Arg(10000)->Arg(30000);

// Disjoint one-pixel squares on a grid: the most complex region a list of that length can make.
void BM_EraseReplayCheckerboard(benchmark::State& state) {
    std::vector<_ERASERECT> records;
    const int side = 1000;
    for (int i = 0; i < int(state.range(0)); ++i) {
        const int x = (i % side) * 2, y = (i / side) * 2;
        records.push_back(_ERASERECT{x, y, x + 1, y + 1, 0});
    }
    ReplayErase(state, records);
}
BENCHMARK(BM_EraseReplayCheckerboard)->Arg(1000)->Arg(10000)->Arg(100000);

// An A4 page at 300 dpi, 1 bit, with 50 objects, drawn into its 24-bit output bitmap.
void BM_PageAsBitmap(benchmark::State& state) {
    CLumidorDoc doc;
    LBitmapBase page;
    page.Create(2480, 3508, 1);
    page.Fill(RGB(255, 255, 255));
    page.SetXResolution(300);
    page.SetYResolution(300);
    doc.LoadDraftImage(page, 0);
    doc.ApplyFrameRule(0);
    TEXTSTYLE style;
    style.nSize = 12;
    style.lf.lfHeight = -120;
    std::snprintf(style.lf.lfFaceName, LF_FACESIZE, "DejaVu Sans");
    for (int i = 0; i < 25; ++i) {
        const LONG y = 100000 + i * 40000;
        doc.AddObjectToList(std::make_unique<CTranspRectangle>(
            nullptr, RECT{100000, y, 700000, y + 30000}, RGB(0, 0, 255), 2000, 0));
        doc.AddObjectToList(std::make_unique<CTranspText>(nullptr, 120000, y + 5000, &style,
                                                          "Field text", 0, FALSE));
    }
    for (auto _ : state) {
        LBitmapBase out;
        benchmark::DoNotOptimize(GetPageAsBitmap(doc, 0, out));
    }
}
BENCHMARK(BM_PageAsBitmap)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv);
}
