// The shelf (run by hand): a shelf file of 1000 cursor pictures read from disk, and the shelf bar
// loading it (every item checked, the visible row drawn). Goal: under 100 ms for the load.
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_shelf

#include "BenchMain.h"
#include "frame/CursorCollectionBar.h"
#include "frame/ShelfFile.h"
#include "objects/TranspImage.h"
#include "platform/imaging/BitmapBase.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

namespace {
struct Shelf {
    Shelf() {
        QImage image(32, 32, QImage::Format_RGB32);
        std::vector<SHELFITEM> items;
        for (int i = 0; i < 1000; ++i) {
            image.fill(QColor::fromHsv(i % 360, 200, 200));
            LBitmapBase bitmap;
            bitmap.SetImage(image);
            items.push_back(SHELFITEM{DibToPictureBlock(bitmap.ConvertToDIB()), "cursor"});
        }
        path = dir.filePath(QStringLiteral("tkshelf.dat"));
        QString reason;
        WriteShelfFile(path, items, reason);
    }
    QTemporaryDir dir;
    QString path;
};

Shelf& TheShelf() {
    static Shelf shelf;
    return shelf;
}

void BM_ReadShelfFile(benchmark::State& state) {
    const QString& path = TheShelf().path;
    for (auto _ : state) {
        std::vector<SHELFITEM> items;
        QString reason;
        ReadShelfFile(path, items, reason);
        benchmark::DoNotOptimize(items.data());
    }
}
BENCHMARK(BM_ReadShelfFile)->Unit(benchmark::kMillisecond);

void BM_LoadShelfBar(benchmark::State& state) {
    CCursorCollectionBar bar;
    bar.CreateBar(TheShelf().path);
    bar.resize(1200, 80);
    for (auto _ : state) {
        bar.LoadCollection();
        benchmark::DoNotOptimize(bar.GetItemCount());
    }
    state.counters["items"] = bar.GetItemCount();
}
BENCHMARK(BM_LoadShelfBar)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) { return RunBenchmarks<QApplication>(argc, argv); }
