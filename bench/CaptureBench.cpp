// Screen capture (run by hand, under an X server; bench/capture.sh starts one of 1920 x 1080):
// the screen read, a full-screen capture made a bitmap, and the hot key pressed (through the
// X test extension) until the new document's window shows, with the settle waits taken out and
// reported beside it. Goal: a capture under 150 ms plus the waits.
//   bench/capture.sh build/bench/brellin_bench_capture

#include "BenchMain.h"
#include "acquire/CaptureCommands.h"
#include "acquire/CaptureKinds.h"
#include "acquire/ScreenCapture.h"
#include "acquire/UserScrCapture.h"
#include "acquire/X11Screen.h"
#include "app/LumidorApp.h"
#include "document/DocManager.h"
#include "frame/MainFrame.h"
#include "platform/DataPaths.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class CKeepCapture : public LScreenCapture {
public:
    CKeepCapture() {
        LeadCaptureOptions o = GetCaptureOption();
        o[LEADCAP_HOTKEY] = 0;
        SetCaptureOption(o);
    }
    int ScreenCaptureCallBack(LBitmapBase& bitmap) override {
        width = bitmap.GetWidth();
        return SUCCESS;
    }
    int width = 0;
};

void BM_ReadScreen(benchmark::State& state) {
    CX11Screen* screen = CX11Screen::Get();
    if (!screen) {
        state.SkipWithError("no X server");
        return;
    }
    const QRect whole(QPoint(0, 0), screen->ScreenSize());
    for (auto _ : state) {
        QImage image;
        screen->GrabRect(whole, image);
        benchmark::DoNotOptimize(image);
    }
    state.SetLabel(QStringLiteral("%1x%2").arg(whole.width()).arg(whole.height()).toStdString());
}
BENCHMARK(BM_ReadScreen)->Unit(benchmark::kMillisecond);

void BM_FullScreenCapture(benchmark::State& state) {
    if (!CX11Screen::Get()) {
        state.SkipWithError("no X server");
        return;
    }
    CKeepCapture capture;
    for (auto _ : state) capture.CaptureFullScreen();
    benchmark::DoNotOptimize(capture.width);
}
BENCHMARK(BM_FullScreenCapture)->Unit(benchmark::kMillisecond);

// The whole program's window with the hot key set to a full-screen capture into a new document.
struct Window {
    Window() {
        LoadResourceModule(GetProgramDataDir() + QStringLiteral("/Brellin.eng"));
        app = std::make_unique<CLumidorApp>(argc, argv);
        app->SetDocumentManager(&manager);
        frame = std::make_unique<CMainFrame>();
        frame->AttachDocumentManager(&manager);
        CaptureOptions o = frame->GetCaptureCommands()->GetOptions();
        o[CAPOPT_BAR_KIND] = CAPTURE_FULL_SCREEN;
        frame->GetCaptureCommands()->SetOptions(o);
        frame->show();
        QCoreApplication::processEvents();
    }
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

void BM_HotKeyToDocument(benchmark::State& state) {
    if (!CX11Screen::Get()) {
        state.SkipWithError("no X server");
        return;
    }
    if (!WindowSlot()) WindowSlot() = std::make_unique<Window>();
    Window& w = *WindowSlot();
    Display* d = XOpenDisplay(nullptr);
    const KeyCode f11 = XKeysymToKeycode(d, XK_F11);
    double settled = 0;
    for (auto _ : state) {
        const int before = int(w.frame->GetMdiArea()->subWindowList().size());
        LUserScrCapture::ResetSettledMs();
        QElapsedTimer t;
        t.start();
        XTestFakeKeyEvent(d, f11, True, CurrentTime);
        XTestFakeKeyEvent(d, f11, False, CurrentTime);
        XFlush(d);
        // Until the new document's window is on the screen.
        while (int(w.frame->GetMdiArea()->subWindowList().size()) == before ||
               !w.frame->GetMdiArea()->subWindowList().last()->isVisible()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (t.elapsed() > 10000) {
                state.SkipWithError("no document");
                XCloseDisplay(d);
                return;
            }
        }
        QCoreApplication::processEvents();
        const double waits = double(LUserScrCapture::SettledMs());
        settled += waits;
        state.SetIterationTime((double(t.nsecsElapsed()) / 1e6 - waits) / 1000.0);
        state.PauseTiming();
        w.frame->GetMdiArea()->closeAllSubWindows();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["settle_ms"] = benchmark::Counter(settled / double(state.iterations()));
    XCloseDisplay(d);
}
BENCHMARK(BM_HotKeyToDocument)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, [] { WindowSlot().reset(); });
}
