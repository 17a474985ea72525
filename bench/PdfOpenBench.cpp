// Opening a 50-page text PDF at 200 dots per inch, against pdftoppm -r 200 -mono drawing the same
// pages (one process, and one process per core over its share of the pages). Counters: time per
// page, the kept pages' pixel bytes, and how far the process's peak memory rose over the first
// open (run with --benchmark_filter=Open first for a clean peak). The text pages are black and
// white: they are drawn 1 bit deep, and BM_RenderPages/*/0 draws them in colour as before.
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_pdf_open
#include "BenchMain.h"

#include "document/LumidorDoc.h"
#include "document/PdfColourProbe.h"
#include "document/PdfImport.h"
#include "document/PdfReader.h"
#include "platform/MessageBoxes.h"
#include "platform/imaging/MyBitmap.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <sys/resource.h>

namespace {

constexpr int kPages = 50;
constexpr int kDpi = 200;

class CSilentSink : public IMessageSink {
public:
    int Show(const MessageRequest& r) override { return r.defaultAnswer; }
};

const QString& SamplePath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + "/text50.pdf";
        QPdfWriter writer(p);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(10);
        painter.setFont(font);
        QString text;
        for (int i = 0; i < 60; ++i)
            text += QStringLiteral("The quick brown fox jumps over the lazy dog %1. ").arg(i);
        for (int i = 0; i < kPages; ++i) {
            if (i)
                writer.newPage();
            painter.drawText(QRectF(50, 50, 512, 692), Qt::TextWordWrap,
                             QStringLiteral("Page %1\n").arg(i + 1) + text + text);
        }
        painter.end();
        return p;
    }();
    return path;
}

long PeakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void BM_OpenPdfDocument(benchmark::State& state) {
    SetMessageSink(std::make_shared<CSilentSink>());
    SetPdfOpenResolution(kDpi);
    const QString path = SamplePath();
    const long before = PeakKiB();
    std::int64_t pixelBytes = 0;
    int depth = 0;
    for (auto _ : state) {
        CLumidorDoc doc;
        if (!OpenPdfDocument(doc, path))
            state.SkipWithError("not opened");
        state.PauseTiming();
        pixelBytes = 0;
        for (int i = 0; i < doc.GetPageCount(); ++i)
            pixelBytes += doc.GetPageInfo(i)->m_Bitmap.GetMemorySize();
        depth = doc.GetPageInfo(0)->m_Bitmap.GetBitsPerPixel();
        state.ResumeTiming();
    }
    state.counters["pages"] = benchmark::Counter(double(kPages) * double(state.iterations()),
                                                 benchmark::Counter::kIsRate);
    state.counters["pixelMiB"] = double(pixelBytes) / (1 << 20);
    state.counters["peakRiseMiB"] = double(PeakKiB() - before) / 1024;
    state.counters["bpp"] = depth;
}
BENCHMARK(BM_OpenPdfDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The drawing alone, with one worker and with one per core, black and white pages 1 bit deep
// (range(1) 1) or every page in colour and reduced (0); monoPages: pages drawn 1 bit deep.
void BM_RenderPages(benchmark::State& state) {
    CPdfReader reader;
    if (reader.Open(SamplePath()) != PdfReadStatus::Ok) {
        state.SkipWithError("not read");
        return;
    }
    reader.SetMonoDrawing(state.range(1) != 0);
    const std::vector<double> dpis(std::size_t(kPages), kDpi);
    for (auto _ : state) {
        std::vector<LMyBitmap> pages;
        reader.RenderPages(dpis, pages, {}, nullptr, int(state.range(0)));
    }
    state.counters["pages"] = benchmark::Counter(double(kPages) * double(state.iterations()),
                                                 benchmark::Counter::kIsRate);
    state.counters["monoPages"] = reader.GetMonoPageCount();
}
BENCHMARK(BM_RenderPages)->ArgsProduct({{1, 2}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The colour probe's reading of the pages alone, on one thread.
void BM_ProbePages(benchmark::State& state) {
    QFile file(SamplePath());
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("not read");
        return;
    }
    const QByteArray bytes = file.readAll();
    int vouched = 0;
    for (auto _ : state) {
        CPdfColourProbe probe(bytes, {}, kPages);
        vouched = 0;
        for (int i = 0; i < kPages; ++i)
            vouched += probe.Probe(i).Holds(kDpi) ? 1 : 0;
    }
    state.counters["pages"] = benchmark::Counter(double(kPages) * double(state.iterations()),
                                                 benchmark::Counter::kIsRate);
    state.counters["vouched"] = vouched;
}
BENCHMARK(BM_ProbePages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// pdftoppm over the same pages, in `range(0)` processes side by side.
void BM_Pdftoppm(benchmark::State& state) {
    const QString path = SamplePath();
    const int n = int(state.range(0));
    QTemporaryDir out;
    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> procs;
        for (int k = 0; k < n; ++k) {
            const int first = 1 + k * kPages / n, last = (k + 1) * kPages / n;
            auto p = std::make_unique<QProcess>();
            p->start(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-mono"),
                      QStringLiteral("-f"), QString::number(first), QStringLiteral("-l"),
                      QString::number(last), path, out.path() + QStringLiteral("/p%1").arg(k)});
            procs.push_back(std::move(p));
        }
        for (auto& p : procs)
            if (!p->waitForFinished(600000) || p->exitCode() != 0)
                state.SkipWithError("pdftoppm failed");
    }
    state.counters["pages"] = benchmark::Counter(double(kPages) * double(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Pdftoppm)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
