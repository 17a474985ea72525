// The scanner layer's own cost: ten 300-dpi pages of 200 x 200 mm from SANE's test device's feeder
// read into bitmaps, as the window's scans read them, against scanimage reading the same pages
// and writing them to /dev/null, in colour and in black and white. The device is enabled for the
// run alone through a private configuration folder.
//   build/bench/brellin_bench_scan
#include "BenchMain.h"

#include "acquire/SaneScanner.h"
#include "platform/imaging/BitmapBase.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

constexpr int kPages = 10;

QTemporaryDir& SaneConfig() {
    static QTemporaryDir dir;
    return dir;
}

void PrepareTestDevice() {
    const QString path = SaneConfig().path();
    QFile dll(path + QStringLiteral("/dll.conf"));
    dll.open(QIODevice::WriteOnly);
    dll.write("test\n");
    QFile test(path + QStringLiteral("/test.conf"));
    test.open(QIODevice::WriteOnly);
    test.write("test-picture \"Color pattern\"\n");
    qputenv("SANE_CONFIG_DIR", path.toLocal8Bit());
}

void Scan(benchmark::State& state, ScanMode mode) {
    ScanSettings settings;
    settings.source = QStringLiteral("adf");
    settings.mode = mode;
    settings.resolution = 300;
    settings.areaMm = QRectF(0, 0, 200, 200);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        CSaneScanner scanner;
        if (scanner.Open(QStringLiteral("test:0")) != SUCCESS || scanner.Apply(settings) != SUCCESS) {
            state.SkipWithError(scanner.ErrorText().toStdString().c_str());
            return;
        }
        LBitmapBase page;
        bytes = 0;
        for (int i = 0; i < kPages; ++i) {
            if (scanner.ScanPage(page, {}) != SUCCESS) {
                state.SkipWithError(scanner.ErrorText().toStdString().c_str());
                return;
            }
            bytes += page.GetMemorySize();
        }
        scanner.Finish();
    }
    state.counters["pageMiB"] = double(bytes) / kPages / (1 << 20);
}

void Scanimage(benchmark::State& state, const char* mode, const char* depth) {
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("scanimage"),
                {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--source"),
                 QStringLiteral("Automatic Document Feeder"), QStringLiteral("--batch=/dev/null"),
                 QStringLiteral("--batch-count=%1").arg(kPages), QStringLiteral("--format=pnm"),
                 QStringLiteral("--mode"), QString::fromLatin1(mode), QStringLiteral("--depth"),
                 QString::fromLatin1(depth), QStringLiteral("--resolution"), QStringLiteral("300"),
                 QStringLiteral("-l"), QStringLiteral("0"), QStringLiteral("-t"), QStringLiteral("0"),
                 QStringLiteral("-x"), QStringLiteral("200"), QStringLiteral("-y"), QStringLiteral("200")});
        // scanimage itself now and then hangs when the test backend ends a reader thread.
        if (!p.waitForFinished(20000) || p.exitCode() != 0) {
            p.kill();
            p.waitForFinished();
            state.SkipWithError("scanimage failed or hung");
            return;
        }
    }
}

void BM_ScanColour(benchmark::State& state) { Scan(state, ScanMode::Color); }
void BM_ScanimageColour(benchmark::State& state) { Scanimage(state, "Color", "8"); }
void BM_ScanLineart(benchmark::State& state) { Scan(state, ScanMode::Lineart); }
void BM_ScanimageLineart(benchmark::State& state) { Scanimage(state, "Gray", "1"); }

} // namespace

BENCHMARK(BM_ScanColour)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(BM_ScanimageColour)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(BM_ScanLineart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(BM_ScanimageLineart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);

int main(int argc, char** argv) {
    PrepareTestDevice();
    return RunBenchmarks(argc, argv);
}
