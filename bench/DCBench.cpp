// Device context costs per call, drawing into a 1920 x 1080 32-bit image as the view's back
// buffer would. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_dc

#include "BenchMain.h"
#include "platform/DC.h"

#include <QImage>
#include <cstdlib>
#include <cstring>

namespace {

QImage& Screen() {
    static QImage image = [] {
        QImage i(1920, 1080, QImage::Format_RGB32);
        i.fill(Qt::white);
        return i;
    }();
    return image;
}

LOGFONTA Arial(LONG height) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    std::strcpy(lf.lfFaceName, "Arial");
    return lf;
}

// Args: the mix mode; 0 for lines running down to the right, 1 for lines running down to the
// left (end point left out by stepping the line back; Qt's stroker also flushes its spans at
// every row of a shallow line whose rows go up as it walks along x, which makes these cost more).
void BM_LineTo(benchmark::State& state) {
    CDC dc(&Screen());
    dc.SetROP2(int(state.range(0)));
    dc.SelectPen(LOGPEN{PS_SOLID, 1, RGB(200, 0, 0)});
    const bool left = state.range(1) != 0;
    int i = 0;
    for (auto _ : state) {
        const int x = 100 + (i * 37) % 1700;
        const int y = 50 + (i * 53) % 900;
        dc.MoveTo(x, y);
        benchmark::DoNotOptimize(dc.LineTo(left ? x - 90 : x + 90, y + 70));
        ++i;
    }
}
BENCHMARK(BM_LineTo)->ArgsProduct({{R2_COPYPEN, R2_XORPEN}, {0, 1}});

void BM_LineToWide(benchmark::State& state) {
    CDC dc(&Screen());
    dc.SelectPen(LOGPEN{PS_SOLID, 3, RGB(0, 0, 200)});
    int i = 0;
    for (auto _ : state) {
        const int x = 100 + (i * 37) % 1700;
        dc.MoveTo(x, 100);
        benchmark::DoNotOptimize(dc.LineTo(x + 120, 170));
        ++i;
    }
}
BENCHMARK(BM_LineToWide);

// A 200 x 100 rectangle with outline and fill.
void BM_Rectangle(benchmark::State& state) {
    CDC dc(&Screen());
    dc.SetROP2(int(state.range(0)));
    dc.SelectPen(LOGPEN{PS_SOLID, 1, RGB(0, 0, 0)});
    dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(0x80, 0x80, 0x80)});
    int i = 0;
    for (auto _ : state) {
        const int x = (i * 37) % 1700;
        const int y = (i * 53) % 950;
        benchmark::DoNotOptimize(dc.Rectangle(x, y, x + 200, y + 100));
        ++i;
    }
}
BENCHMARK(BM_Rectangle)->Arg(R2_COPYPEN)->Arg(R2_XORPEN);

// 20 characters of a code-page string, transparent background.
void BM_TextOut(benchmark::State& state) {
    CDC dc(&Screen());
    dc.SelectFont(Arial(-16));
    dc.SetBkMode(TRANSPARENT);
    const QByteArray text("Annotation text 2024");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dc.TextOut(20 + (i * 37) % 1600, 20 + (i * 53) % 1000, text));
        ++i;
    }
}
BENCHMARK(BM_TextOut);

void BM_TextOutRotated(benchmark::State& state) {
    CDC dc(&Screen());
    LOGFONTA lf = Arial(-16);
    lf.lfEscapement = lf.lfOrientation = 900;
    dc.SelectFont(lf);
    dc.SetBkMode(TRANSPARENT);
    const QByteArray text("Annotation text 2024");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dc.TextOut(20 + (i * 37) % 1800, 300 + (i * 53) % 700, text));
        ++i;
    }
}
BENCHMARK(BM_TextOutRotated);

void BM_GetTextExtent(benchmark::State& state) {
    CDC dc(&Screen());
    dc.SelectFont(Arial(-16));
    const QByteArray text("Annotation text 2024");
    for (auto _ : state)
        benchmark::DoNotOptimize(dc.GetTextExtent(text));
}
BENCHMARK(BM_GetTextExtent);

// What a text object pays per draw beyond the text itself: a context on the view's buffer and
// its font selected.
void BM_ContextAndFont(benchmark::State& state) {
    for (auto _ : state) {
        CDC dc(&Screen());
        dc.SelectFont(Arial(-16));
        benchmark::DoNotOptimize(dc.GetTextMetrics());
    }
}
BENCHMARK(BM_ContextAndFont);

// One destination row of a 1-bit A4 page at 300 dpi stretched to the view's width, as the page
// is painted row by row: must not cost a conversion of the whole page.
void BM_StretchBltPageRow(benchmark::State& state) {
    QImage page(2480, 3508, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    CDC dc(&Screen());
    int row = 0;
    for (auto _ : state) {
        const int r = row++ % 1080;
        benchmark::DoNotOptimize(
            dc.StretchBlt(RECT{0, r, 1920, r + 1}, page, RECT{0, r * 3, 2480, r * 3 + 1}, SRCCOPY));
    }
}
BENCHMARK(BM_StretchBltPageRow);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
