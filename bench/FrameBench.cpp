// The main window (run by hand): a program-mode switch with two document windows open, and a
// switch between two document windows, each with everything it sets off (cursors, command
// states, scale box). Goals: under 5 ms each.
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_frame
// Start-up times of the real program: bench/startup.sh.

#include "BenchMain.h"
#include "app/LumidorApp.h"
#include "document/DocManager.h"
#include "document/LumidorDoc.h"
#include "frame/CommandManager.h"
#include "frame/MainFrame.h"
#include "objects/ObjectTypes.h"
#include "platform/DataPaths.h"
#include "platform/ResourceModule.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

namespace {

struct Window {
    Window() {
        LoadResourceModule(GetProgramDataDir() + QStringLiteral("/Brellin.eng"));
        app = std::make_unique<CLumidorApp>(argc, argv);
        app->SetDocumentManager(&manager);
        frame = std::make_unique<CMainFrame>();
        frame->AttachDocumentManager(&manager);
        for (int i = 0; i < 2; ++i) {
            app->m_newDocSource = NewDocSource{};
            manager.RunNewDocumentPath();
        }
        frame->show();
        QCoreApplication::processEvents();
    }
    // Runs what the switch posted: the coalesced command-state update, repaints.
    static void Settle() { QCoreApplication::processEvents(); }

    int argc = 1;
    char arg0[8] = "brellin";
    char* argv[2] = {arg0, nullptr};
    CDocManager manager;
    std::unique_ptr<CLumidorApp> app;
    std::unique_ptr<CMainFrame> frame;
};

std::unique_ptr<Window>& WindowSlot() {
    static std::unique_ptr<Window> w;
    return w;
}

Window& TheWindow() {
    if (!WindowSlot())
        WindowSlot() = std::make_unique<Window>();
    return *WindowSlot();
}

void BM_ModeSwitch(benchmark::State& state) {
    Window& w = TheWindow();
    int i = 0;
    for (auto _ : state) {
        w.frame->SetProgramMode(++i % 2 ? MODE_TEXT : MODE_ELLIPSE, true);
        Window::Settle();
    }
}
BENCHMARK(BM_ModeSwitch)->Unit(benchmark::kMillisecond);

void BM_TabSwitch(benchmark::State& state) {
    Window& w = TheWindow();
    const QList<QMdiSubWindow*> windows = w.frame->GetMdiArea()->subWindowList();
    int i = 0;
    for (auto _ : state) {
        w.frame->GetMdiArea()->setActiveSubWindow(windows[++i % 2]);
        Window::Settle();
    }
}
BENCHMARK(BM_TabSwitch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, [] { WindowSlot().reset(); });
}
