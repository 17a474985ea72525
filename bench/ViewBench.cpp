// The page view's repaint (run by hand): a 1920 x 1080 client area showing an A4 page scanned at
// 300 dpi (1 bit) with 500 rectangles, fully repainted at every scale of the list and at a
// fractional fit scale, and one line step of scrolling with its repaint. Then one step of each
// mouse gesture at 25 %, 100 % and 400 %, with the repaint of what the step changed: the rubber
// bands of a rectangle, an ellipse and a freehand stroke of 2000 points so far, a crop rectangle
// dragged, the eraser moved with its button down. Then the work on what is on the page: one step
// of moving all 500 objects selected with Select All, a rubber band selecting all 500, one Tab
// across a page of 200 text fields, one undo of deleting the 500 objects, and a copy and paste
// of the 500 as one group.
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_view

#include "BenchMain.h"
#include "document/EraseList.h"
#include "document/LumidorDoc.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "app/ProfileRecords.h"
#include "platform/DC.h"
#include "platform/imaging/BitmapBase.h"
#include "view/LumidorView.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <cstdlib>
#include <memory>

namespace {
struct Fixture {
    Fixture() {
        doc.m_bFrame = FALSE;
        QImage img(2480, 3508, QImage::Format_Mono);
        img.fill(1);
        for (int y = 0; y < img.height(); y += 7)
            for (int x = (y / 7) % 13; x < img.width(); x += 13)
                img.setPixel(x, y, 0);
        LBitmapBase b;
        b.SetImage(img, 1);
        b.SetXResolution(300);
        b.SetYResolution(300);
        doc.CreateFromBitmap(b);
        for (int i = 0; i < 500; ++i) {
            const int x = 20000 + (i % 25) * 30000, y = 20000 + (i / 25) * 50000;
            doc.GetObjectsList(0)->push_back(std::make_unique<CTranspRectangle>(
                nullptr, RECT{x, y, x + 25000, y + 40000}, RGB(200, 0, 0), 2, 0));
        }
        view = std::make_unique<CLumidorView>(&doc);
        view->resize(1920, 1080);
        view->show();
        view->OnInitialUpdate();
        view->SetProgramModeSource([this] { return mode; });
        view->SetEraserSizeSource([] { return 16; });
    }
    void Repaint() {
        QImage target(view->viewport()->size(), QImage::Format_RGB32);
        QPainter painter(&target);
        CDC dc(&painter);
        view->DrawScreen(&dc, RECT{0, 0, target.width(), target.height()});
    }
    CLumidorDoc doc;
    std::unique_ptr<CLumidorView> view;
    int mode = MODE_RECTANGLE;
};

// Made by the first benchmark that needs it and destroyed by main while the application still
// exists: the view is a widget, which cannot outlive it.
std::unique_ptr<Fixture>& SharedSlot() {
    static std::unique_ptr<Fixture> f;
    return f;
}

Fixture& Shared() {
    std::unique_ptr<Fixture>& f = SharedSlot();
    if (!f)
        f = std::make_unique<Fixture>();
    return *f;
}

void BM_FullRepaint(benchmark::State& state) {
    Fixture& f = Shared();
    const int index = int(state.range(0));
    if (index < 7)
        f.view->SetViewScale(CLumidorView::IndexToScale(index));
    else
        f.view->FitPageToWindow();
    f.view->horizontalScrollBar()->setValue(0);
    f.view->verticalScrollBar()->setValue(0);
    for (auto _ : state)
        f.Repaint();
    state.SetLabel(QString::number(f.view->GetViewScale()).toStdString());
}
BENCHMARK(BM_FullRepaint)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

void BM_ScrollLineStep(benchmark::State& state) {
    Fixture& f = Shared();
    f.view->SetViewScale(1.0);
    QScrollBar* bar = f.view->verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->singleStep() > bar->maximum()
                          ? 0
                          : bar->value() + bar->singleStep());
        f.Repaint();
    }
}
BENCHMARK(BM_ScrollLineStep)->Unit(benchmark::kMillisecond);

// Each iteration moves the mouse, its button down, one page pixel off `at` or back (at 400 % four
// client pixels), and lets the repaint that follows happen.
void StepBackAndForth(benchmark::State& state, Fixture& f, POINT at) {
    const LONG d = std::max<LONG>(1, LONG(f.view->GetViewScale()));
    int step = 0;
    for (auto _ : state) {
        step ^= 1;
        f.view->OnMouseMove(MK_LBUTTON, POINT{at.x + step * d, at.y + step * d});
        QApplication::processEvents();
    }
}

// One step of a gesture in `mode` at the scale of list index range(0): the mouse moves one page
// pixel back or forth with its button down, and the repaint that follows paints what changed. The
// gesture spans 360 x 650 client pixels; `lead` mouse moves come first (the freehand stroke's
// points so far).
void GestureStep(benchmark::State& state, int mode, int lead) {
    Fixture& f = Shared();
    f.view->SetViewScale(CLumidorView::IndexToScale(int(state.range(0))));
    f.view->horizontalScrollBar()->setValue(0);
    f.view->verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    f.mode = mode;
    f.view->ProgramModeChanged();
    // Inside the page at every scale: at 25 % it covers 620 x 877 pixels of the client area.
    const POINT from{200, 150};
    f.view->OnMouseMove(0, from);
    f.view->OnLButtonDown(MK_LBUTTON, from);
    for (int i = 0; i < lead; ++i)
        f.view->OnMouseMove(MK_LBUTTON, POINT{from.x + (i * 7) % 360, from.y + (i * 13) % 650});
    const POINT to{560, 800};
    f.view->OnMouseMove(MK_LBUTTON, to);
    QApplication::processEvents();
    StepBackAndForth(state, f, to);
    f.view->OnLButtonUp(0, to);
    // Whatever the gesture made goes, so that every run starts from the same page.
    f.view->GetMarks().SetCropRect(RECT{});
    CObjectList* list = f.doc.GetObjectsList(0);
    f.view->ReleaseActiveObject();
    while (list->size() > 500)
        list->pop_back();
    f.doc.GetErasedList(0)->RemoveAll();
    state.SetLabel(QString::number(f.view->GetViewScale()).toStdString());
}

// 25 %, 100 % and 400 %.
void Scales(benchmark::internal::Benchmark* b) {
    b->Arg(6)->Arg(3)->Arg(0)->Unit(benchmark::kMillisecond);
}

void BM_RubberBandRectangle(benchmark::State& s) { GestureStep(s, MODE_RECTANGLE, 0); }
void BM_RubberBandEllipse(benchmark::State& s) { GestureStep(s, MODE_ELLIPSE, 0); }
void BM_RubberBandFreehand2000(benchmark::State& s) { GestureStep(s, MODE_FREEHAND, 2000); }
void BM_CropRectangleDrag(benchmark::State& s) { GestureStep(s, MODE_CROP, 0); }
void BM_EraserStep(benchmark::State& s) { GestureStep(s, MODE_ERASER, 0); }
BENCHMARK(BM_RubberBandRectangle)->Apply(Scales);
BENCHMARK(BM_RubberBandEllipse)->Apply(Scales);
BENCHMARK(BM_RubberBandFreehand2000)->Apply(Scales);
BENCHMARK(BM_CropRectangleDrag)->Apply(Scales);
BENCHMARK(BM_EraserStep)->Apply(Scales);
// The page at 25 % and 100 % in select mode, nothing selected or active.
void SelectModeAt(Fixture& f, int scaleIndex) {
    f.view->SetViewScale(CLumidorView::IndexToScale(scaleIndex));
    f.view->horizontalScrollBar()->setValue(0);
    f.view->verticalScrollBar()->setValue(0);
    f.mode = MODE_SELECT;
    f.view->ProgramModeChanged();
    f.view->GetSelection().DeselectObjects();
    QApplication::processEvents();
}

POINT CentreOf(const CTranspBaseClass* o) {
    RECT rc;
    o->GetBoundsRect(&rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void BM_MoveAllSelectedStep(benchmark::State& state) {
    Fixture& f = Shared();
    SelectModeAt(f, int(state.range(0)));
    f.view->GetSelection().OnEditSelectAll();
    const POINT from = CentreOf(f.doc.GetObjectsList(0)->front().get());
    f.view->OnLButtonDown(MK_LBUTTON, from);
    StepBackAndForth(state, f, from);
    f.view->OnLButtonUp(0, from);
    f.view->GetSelection().DeselectObjects();
    state.SetLabel(QString::number(f.view->GetViewScale()).toStdString());
}
BENCHMARK(BM_MoveAllSelectedStep)->Arg(6)->Arg(3)->Unit(benchmark::kMillisecond);

// Pressed beside the first object, released beyond the last one shown: all that the band
// covers is selected on release.
void BM_RubberBandSelect(benchmark::State& state) {
    Fixture& f = Shared();
    SelectModeAt(f, 6);
    const RECT page = f.view->GetPageRect();
    // The page's corner, off the first object's box (which reaches 3 pixels round it).
    const POINT from{page.left, page.top};
    const POINT to{std::min<LONG>(page.right, 1900), std::min<LONG>(page.bottom, 1070)};
    int selected = 0;
    for (auto _ : state) {
        f.view->OnLButtonDown(MK_LBUTTON, from);
        f.view->OnMouseMove(MK_LBUTTON, to);
        f.view->OnLButtonUp(0, to);
        QApplication::processEvents();
        state.PauseTiming();
        selected = f.view->GetSelection().GetSelectedCount();
        f.view->GetSelection().DeselectObjects();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(selected) + " objects");
}
BENCHMARK(BM_RubberBandSelect)->Unit(benchmark::kMillisecond);

// Each iteration is one Tab on a page of 200 text fields at 100 %, with the scroll to a field
// off the screen and its repaint.
void BM_TabAcross200Fields(benchmark::State& state) {
    CLumidorDoc doc;
    doc.m_bFrame = FALSE;
    QImage img(2480, 3508, QImage::Format_Mono);
    img.fill(1);
    LBitmapBase b;
    b.SetImage(img, 1);
    b.SetXResolution(300);
    b.SetYResolution(300);
    doc.CreateFromBitmap(b);
    const TEXTSTYLE style = DefaultTextStyle();
    for (int i = 0; i < 200; ++i) {
        const int x = 20000 + (i % 10) * 75000, y = 40000 + (i / 10) * 55000;
        doc.AddObjectToList(std::make_unique<CTranspText>(nullptr, x, y, &style, "field", 0, FALSE));
        doc.AddFieldObjectToList(doc.GetObjectsList(0)->back().get());
    }
    CLumidorView view(&doc);
    view.resize(1920, 1080);
    view.show();
    view.OnInitialUpdate();
    view.SetProgramModeSource([] { return MODE_TEXT; });
    QApplication::processEvents();
    for (auto _ : state) {
        view.GetTabOrder().ProcessTabKey(true);
        QApplication::processEvents();
    }
    state.SetLabel("field " + std::to_string(view.GetSelection().IndexOf(view.GetActiveObject())));
}
BENCHMARK(BM_TabAcross200Fields)->Unit(benchmark::kMillisecond);

// An arrow key with all 500 objects selected: the nudge, its undo step and the repaint.
void BM_NudgeAllRecorded(benchmark::State& state) {
    Fixture& f = Shared();
    SelectModeAt(f, 6);
    f.view->GetSelection().OnEditSelectAll();
    int step = 1;
    for (auto _ : state) {
        step = -step;
        CUndoAction action(f.view->GetUndo());
        f.view->GetArrange().NudgeSelected(step, 0);
        QApplication::processEvents();
    }
    f.view->GetSelection().DeselectObjects();
}
BENCHMARK(BM_NudgeAllRecorded)->Unit(benchmark::kMillisecond);

// All 500 objects deleted as one step (not timed), then that step undone.
void BM_UndoDelete500(benchmark::State& state) {
    Fixture& f = Shared();
    SelectModeAt(f, 6);
    CViewUndo& undo = f.view->GetUndo();
    undo.WatchPage();
    for (auto _ : state) {
        state.PauseTiming();
        {
            CUndoAction action(undo);
            f.view->GetSelection().OnEditSelectAll();
            f.view->GetArrange().DeleteSelectedObjects();
        }
        QApplication::processEvents();
        state.ResumeTiming();
        undo.OnEditUndo();
        QApplication::processEvents();
    }
    state.SetLabel(std::to_string(f.doc.GetObjectsList(0)->size()) + " objects back");
    f.view->GetSelection().DeselectObjects();
}
BENCHMARK(BM_UndoDelete500)->Unit(benchmark::kMillisecond);

// Copy of all 500 objects selected (one group block on the clipboard), then one paste of it at
// a click, with the undo step and the repaint; the pasted copies are removed untimed.
void BM_CopyPasteGroup500(benchmark::State& state) {
    Fixture& f = Shared();
    SelectModeAt(f, 6);
    CObjectList& list = *f.doc.GetObjectsList(0);
    const std::size_t before = list.size();
    std::size_t pasted = 0;
    for (auto _ : state) {
        f.view->GetSelection().OnEditSelectAll();
        f.view->GetClipboard().OnEditCopy();
        {
            CUndoAction action(f.view->GetUndo());
            f.view->GetClipboard().PasteAtClick(POINT{200, 200});
        }
        QApplication::processEvents();
        state.PauseTiming();
        pasted = list.size() - before;
        f.view->ReleaseActiveObject();
        list.resize(before);
        f.view->GetSelection().DeselectObjects();
        f.view->GetUndo().WatchPage();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(pasted) + " objects pasted");
}
BENCHMARK(BM_CopyPasteGroup500)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SharedSlot().reset();
    return 0;
}
