// The view's coordinate transforms, per call: they run for every object and grid dot on every
// repaint. Each iteration converts a fresh point, as a repaint does, and keeps the result, so the
// compiler can neither hoist nor drop the work.

#include "view/ViewGeometry.h"

#include <benchmark/benchmark.h>

namespace {

CViewGeometry MakeGeometry(double scale) {
    CViewGeometry g;
    g.SetScale(scale);
    g.SetScrollPosition(37, 211);
    g.SetPageResolution(200, 200);
    g.SetScreenResolution(96, 96);
    return g;
}

template <void (CViewGeometry::*Convert)(POINT&) const>
void BM_Point(benchmark::State& state) {
    const CViewGeometry g = MakeGeometry(state.range(0) / 100.0);
    LONG n = 12345;
    for (auto _ : state) {
        POINT p{n & 0xFFFF, (n * 7) & 0xFFFF};
        (g.*Convert)(p);
        benchmark::DoNotOptimize(p);
        ++n;
    }
}

template <void (CViewGeometry::*Convert)(RECT&) const>
void BM_Rect(benchmark::State& state) {
    const CViewGeometry g = MakeGeometry(state.range(0) / 100.0);
    LONG n = 100;
    for (auto _ : state) {
        RECT r{n & 0xFFFF, 200, 30000, 40000};
        (g.*Convert)(r);
        benchmark::DoNotOptimize(r);
        ++n;
    }
}

// Scales in hundredths: 200 % and 50 % (-2).
#define SCALES ->Arg(200)->Arg(-200)
BENCHMARK(BM_Point<&CViewGeometry::PageToView>) SCALES;
BENCHMARK(BM_Point<&CViewGeometry::ViewToPage>) SCALES;
BENCHMARK(BM_Point<&CViewGeometry::ViewToClient>) SCALES;
BENCHMARK(BM_Point<&CViewGeometry::ClientToPage>) SCALES;
BENCHMARK(BM_Point<&CViewGeometry::PageToClient>) SCALES;
BENCHMARK(BM_Point<&CViewGeometry::UnitToPage>) SCALES;
BENCHMARK(BM_Point<&CViewGeometry::PageToUnit>) SCALES;
BENCHMARK(BM_Rect<&CViewGeometry::UnitToPage>) SCALES;
BENCHMARK(BM_Rect<&CViewGeometry::PageToClient>) SCALES;
BENCHMARK(BM_Rect<&CViewGeometry::ClientToPage>) SCALES;

void BM_FontScaleFactor(benchmark::State& state) {
    CViewGeometry g = MakeGeometry(-2.0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(g.GetFontScaleFactor());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FontScaleFactor);

} // namespace

BENCHMARK_MAIN();
