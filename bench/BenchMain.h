#pragma once
// The main function of every benchmark program.

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>

// Runs the benchmarks the command line names inside a Qt application of type App (QApplication
// where widgets are made), on the offscreen platform unless QT_QPA_PLATFORM names another.
// `beforeExit` runs while the application still exists: shared widgets go there.
template <typename App = QGuiApplication>
int RunBenchmarks(int argc, char** argv, const std::function<void()>& beforeExit = {}) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeExit)
        beforeExit();
    return 0;
}
