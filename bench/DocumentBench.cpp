// Document file benchmarks on A4 pages at 300 dpi (2480 x 3508): saving and loading a 20-page
// document of 1-bit fax pages with 50 objects each, a 5-page document of noisy 24-bit colour scans,
// and one colour page. Each save and load is set beside the yard sticks it is held to:
//
//   *_EncodeParallel / *_DecodeParallel   the imaging layer's coder alone on the page images, all
//                                         pages at once on all cores; a save or load may cost at
//                                         most 1.1 x this
//   *_EncodeSerial / *_DecodeSerial       the same one page after the other; a save or load of
//                                         several pages may cost at most 0.65 x this
//
// RecoverySnapshot20x1 is what the user-interface thread pays for a crash-recovery copy of the
// 20-page document (at most 5 ms); RecoveryWrite20x1 the worker's writing of it.
//
// Pdf20x1 writes the 20-page document as PDF (at most 200 ms, and at most 1.1 x the size of
// Pdf20x1_Tiff2Pdf: tiff2pdf of the same page images as a Group 4 TIFF); Pdf20x1_QPdfWriterPictures
// is Qt's PDF writer given every page as a picture. Emf500Objects and Svg500Objects draw a page of
// 500 objects as a metafile and as SVG (each at most 50 ms).
//
// Load20x1_Memory reports the heap a loaded document holds against its 1-bit pixel bytes
// (heap_ratio, at most 1.3).
//
// EraseReplay/N reads an erase list of N records, an eraser stroke of 20 x 20 squares erased and
// restored in turn (at most 50 ms for 30000); EraseStep is one more eraser step on such a list
// (at most 2 ms), EraseStepRegion the same with the region a repaint then asks for.
//
// EmfPlay_* plays a metafile as a new document from a metafile does first: a sound one, one whose
// header gives the reference device an absurd physical size, one with a picture frame far smaller
// than its device, and one whose line reaches two thousand frames beyond it
// (tests/data/imaging/fuzz-seeds/emf).
//
//   cmake --build build --target brellin_bench_document
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_document

#include "BenchErase.h"
#include "BenchMain.h"
#include "BenchPages.h"
#include "app/ProfileRecords.h"
#include "document/DocFile.h"
#include "document/EraseList.h"
#include "document/LumidorDoc.h"
#include "document/PageImageCodec.h"
#include "document/PageOutput.h"
#include "document/PdfWriter.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/Archive.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/MyBitmap.h"
#include "view/PageExport.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <thread>
#include <vector>
#include <QFile>
#include <QTemporaryDir>
#include <malloc.h>
#include <memory>

namespace {

using namespace brellin::imaging;

LBitmapBase FaxPage(int n) {
    return MakeFaxForm([n](int line) {
        return QStringLiteral("%1. Page %2, name, address and reference of the sender: %3")
            .arg(line)
            .arg(n)
            .arg(line * 37 + n);
    });
}

// 50 objects of a form: texts, rules, boxes, check marks, a few ellipses.
void AddFormObjects(CLumidorDoc& doc, int page) {
    const TEXTSTYLE style = DefaultTextStyle();
    for (int i = 0; i < 50; ++i) {
        const int y = 100000 + i * 20000;
        std::unique_ptr<CTranspBaseClass> p;
        switch (i % 5) {
        case 0:
        case 1:
            p = std::make_unique<CTranspText>(nullptr, 150000, y, &style, "Field text 0123", page,
                                              TRUE);
            break;
        case 2: p = std::make_unique<CTranspLine>(nullptr, 100000, y, 700000, y, 0, 1000, page); break;
        case 3:
            p = std::make_unique<CTranspRectangle>(nullptr, RECT{100000, y, 400000, y + 15000}, 0,
                                                   1000, page);
            break;
        default:
            p = i % 10 == 4 ? std::unique_ptr<CTranspBaseClass>(std::make_unique<CTranspCheckMark>(
                                  nullptr, RECT{600000, y, 615000, y + 15000}, 0, 2000, page))
                            : std::make_unique<CTranspEllipse>(
                                  nullptr, RECT{500000, y, 560000, y + 15000}, 0, 1000, page);
        }
        doc.AddObjectToList(std::move(p));
    }
}

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<CLumidorDoc> doc;
    QString file;
    std::vector<QByteArray> png;
};

std::unique_ptr<CLumidorDoc> MakeDocument(int pages, bool colour) {
    auto doc = std::make_unique<CLumidorDoc>();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            doc->m_PagesList.push_back(std::make_unique<_PAGEINFO>());
        LBitmapBase page = colour ? MakeColourScan(42 + std::uint64_t(i)) : FaxPage(i);
        doc->m_PagesList[std::size_t(i)]->m_Bitmap.TakePixels(page);
        doc->m_nPageCount = i + 1;
        doc->ApplyFrameRule(i);
        AddFormObjects(*doc, i);
    }
    return doc;
}

Fixture& Documents(int pages, bool colour) {
    static std::map<std::pair<int, bool>, std::unique_ptr<Fixture>> made;
    auto& f = made[{pages, colour}];
    if (!f) {
        f = std::make_unique<Fixture>();
        f->doc = MakeDocument(pages, colour);
        f->file = f->dir.path() + QStringLiteral("/bench.brf");
        f->doc->OnSaveDocument(f->file);
        std::vector<const LBitmapBase*> bitmaps;
        for (const auto& p : f->doc->m_PagesList)
            bitmaps.push_back(&p->m_Bitmap);
        EncodePageImages(bitmaps, f->png);
    }
    return *f;
}

std::vector<const LBitmapBase*> Bitmaps(const CLumidorDoc& doc) {
    std::vector<const LBitmapBase*> bitmaps;
    for (const auto& p : doc.m_PagesList)
        bitmaps.push_back(&p->m_Bitmap);
    return bitmaps;
}

void Save(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    for (auto _ : state) {
        if (!f.doc->OnSaveDocument(f.file))
            state.SkipWithError("save failed");
    }
    state.counters["file_bytes"] = double(QFile(f.file).size());
}

// Runs job(0) .. job(count - 1) on as many threads as there are cores, each taking the next.
template <typename Job> void OnAllCores(int count, const Job& job) {
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++)
            job(i);
    };
    std::vector<std::thread> threads;
    const int workers = std::min<int>(count, int(std::max(1u, std::thread::hardware_concurrency())));
    for (int w = 0; w < workers; ++w)
        threads.emplace_back(work);
    for (std::thread& t : threads)
        t.join();
}

// The imaging layer's encoder on every page at once, nothing else.
void EncodeParallel(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    const std::vector<const LBitmapBase*> bitmaps = Bitmaps(*f.doc);
    for (auto _ : state) {
        std::vector<QByteArray> out(bitmaps.size());
        OnAllCores(int(bitmaps.size()), [&](int i) {
            EncodeImage(*bitmaps[std::size_t(i)], FILE_PNG, 0, 0, out[std::size_t(i)], {});
        });
        benchmark::DoNotOptimize(out.data());
    }
}

void EncodeSerial(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    QByteArray out;
    for (auto _ : state)
        for (const auto& p : f.doc->m_PagesList) {
            EncodeImage(p->m_Bitmap, FILE_PNG, 0, 0, out, {});
            benchmark::DoNotOptimize(out.data());
        }
}

std::int64_t HeapInUse() {
    malloc_trim(0);
    return std::int64_t(mallinfo2().uordblks);
}

void Load(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    for (auto _ : state) {
        auto doc = std::make_unique<CLumidorDoc>();
        if (!doc->OnOpenDocument(f.file))
            state.SkipWithError("load failed");
        // Closing the document is no part of loading it.
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

// The heap a loaded document holds, against the bytes its pixels need at their depth.
void LoadMemory(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    std::int64_t heap = 0;
    std::int64_t pixels = 0;
    for (auto _ : state) {
        const std::int64_t before = HeapInUse();
        CLumidorDoc doc;
        if (!doc.OnOpenDocument(f.file))
            state.SkipWithError("load failed");
        heap = HeapInUse() - before;
        pixels = 0;
        for (const auto& p : doc.m_PagesList)
            pixels += (std::int64_t(p->m_Bitmap.GetWidth()) * p->m_Bitmap.GetBitsPerPixel() + 7) /
                      8 * p->m_Bitmap.GetHeight();
    }
    state.counters["heap_bytes"] = double(heap);
    state.counters["pixel_bytes"] = double(pixels);
    state.counters["heap_ratio"] = pixels ? double(heap) / double(pixels) : 0.0;
}

// The imaging layer's decoder on every page at once, nothing else.
void DecodeParallel(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    for (auto _ : state) {
        std::vector<LBitmapBase> out(f.png.size());
        OnAllCores(int(f.png.size()), [&](int i) {
            const QByteArray& png = f.png[std::size_t(i)];
            DecodeImage(reinterpret_cast<const uchar*>(png.constData()), std::size_t(png.size()), 1,
                        out[std::size_t(i)], {});
        });
        benchmark::DoNotOptimize(out.data());
    }
}

void DecodeSerial(benchmark::State& state, int pages, bool colour) {
    Fixture& f = Documents(pages, colour);
    // Every decoded page is kept until all are done, as a load and the parallel variant keep
    // them: freeing each page before the next would let the decoder reuse warm memory that no
    // load of a document can reuse.
    for (auto _ : state) {
        std::vector<LBitmapBase> out(f.png.size());
        for (std::size_t i = 0; i < f.png.size(); ++i) {
            const QByteArray& png = f.png[i];
            DecodeImage(reinterpret_cast<const uchar*>(png.constData()), std::size_t(png.size()), 1,
                        out[i], {});
        }
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_Save1x24(benchmark::State& s) { Save(s, 1, true); }
void BM_Save1x24_EncodeParallel(benchmark::State& s) { EncodeParallel(s, 1, true); }
void BM_Save20x1(benchmark::State& s) { Save(s, 20, false); }
void BM_Save20x1_EncodeParallel(benchmark::State& s) { EncodeParallel(s, 20, false); }
void BM_Save20x1_EncodeSerial(benchmark::State& s) { EncodeSerial(s, 20, false); }
void BM_Save5x24(benchmark::State& s) { Save(s, 5, true); }
void BM_Save5x24_EncodeParallel(benchmark::State& s) { EncodeParallel(s, 5, true); }
void BM_Save5x24_EncodeSerial(benchmark::State& s) { EncodeSerial(s, 5, true); }
void BM_Load20x1(benchmark::State& s) { Load(s, 20, false); }
void BM_Load20x1_Memory(benchmark::State& s) { LoadMemory(s, 20, false); }
// The 1000 object records of the 20-page document alone, without its page images.
void BM_Load20x1_ObjectsOnly(benchmark::State& state) {
    Fixture& f = Documents(20, false);
    const QString file = f.dir.path() + QStringLiteral("/objects.brf");
    f.doc->m_bSaveWithoutImage = TRUE;
    f.doc->OnSaveDocument(file);
    f.doc->m_bSaveWithoutImage = FALSE;
    for (auto _ : state) {
        auto doc = std::make_unique<CLumidorDoc>();
        if (!doc->OnOpenDocument(file))
            state.SkipWithError("load failed");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}
void BM_Load20x1_DecodeParallel(benchmark::State& s) { DecodeParallel(s, 20, false); }
void BM_Load20x1_DecodeSerial(benchmark::State& s) { DecodeSerial(s, 20, false); }
void BM_Load5x24(benchmark::State& s) { Load(s, 5, true); }
void BM_Load5x24_DecodeParallel(benchmark::State& s) { DecodeParallel(s, 5, true); }
void BM_Load5x24_DecodeSerial(benchmark::State& s) { DecodeSerial(s, 5, true); }

// One long eraser stroke over the page: 20 x 20 squares stepping a few pixels along a curve that
// sweeps the sheet back and forth, every other square restored.
std::vector<_ERASERECT> EraserStroke(int count) {
    std::vector<_ERASERECT> records;
    records.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.0007;
        const int x = int(1200 + 1100 * std::sin(t * 7.3)), y = int(1750 + 1650 * std::sin(t * 1.1));
        records.push_back(_ERASERECT{x, y, x + 20, y + 20, i % 2});
    }
    return records;
}


bool ReadEraseList(QByteArray& bytes, CEraseList& list) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    try {
        list.Serialize(ar, 0);
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

void BM_EraseReplay(benchmark::State& state) {
    QByteArray bytes = EraseRecords(EraserStroke(int(state.range(0))));
    for (auto _ : state) {
        CEraseList list;
        if (!ReadEraseList(bytes, list)) {
            state.SkipWithError("refused");
            break;
        }
        benchmark::DoNotOptimize(list.GetRegion().rectCount());
    }
}

// A step of the eraser and one of the uneraser, alternately, next to the end of a 30000-square
// stroke that the eraser made step by step.
void EraseStep(benchmark::State& state, bool withRegion) {
    const std::vector<_ERASERECT> stroke = EraserStroke(30000);
    CEraseList list;
    for (const _ERASERECT& e : stroke) {
        const RECT r{e.left, e.top, e.right, e.bottom};
        e.nRestore ? list.AddUnerased(r) : list.AddErased(r);
    }
    list.GetRegion();
    const _ERASERECT& last = stroke.back();
    int i = 0;
    for (auto _ : state) {
        const RECT r{last.left + i % 7, last.top + 3, last.right + i % 7, last.bottom + 3};
        benchmark::DoNotOptimize(i++ % 2 ? list.AddUnerased(r) : list.AddErased(r));
        if (withRegion)
            benchmark::DoNotOptimize(list.GetRegion().rectCount());
    }
    state.counters["records"] = list.GetCount();
    state.counters["rects"] = list.GetRegion().rectCount();
}
void BM_EraseStep(benchmark::State& s) { EraseStep(s, false); }
void BM_EraseStepRegion(benchmark::State& s) { EraseStep(s, true); }

void EmfPlay(benchmark::State& state, const char* seed) {
    QFile file(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
               QStringLiteral("/../tests/data/imaging/fuzz-seeds/emf/") + QLatin1String(seed));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("seed missing");
        return;
    }
    const QByteArray bytes = file.readAll();
    for (auto _ : state) {
        LMyBitmap bitmap;
        if (LMyBitmap::LoadEMFMemory(bitmap, bytes) != SUCCESS) {
            state.SkipWithError("not played");
            break;
        }
    }
}
void BM_EmfPlay_Sound(benchmark::State& s) { EmfPlay(s, "hand-shapes.emf"); }
void BM_EmfPlay_WildMicrometres(benchmark::State& s) { EmfPlay(s, "hand-wild-micrometres.emf"); }
void BM_EmfPlay_TinyFrame(benchmark::State& s) { EmfPlay(s, "hand-tiny-frame.emf"); }
void BM_EmfPlay_FarDrawing(benchmark::State& s) { EmfPlay(s, "hand-far-drawing.emf"); }

} // namespace

BENCHMARK(BM_Save1x24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save1x24_EncodeParallel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save20x1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save20x1_EncodeParallel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save20x1_EncodeSerial)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save5x24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save5x24_EncodeParallel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save5x24_EncodeSerial)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load20x1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load20x1_Memory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Load20x1_ObjectsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load20x1_DecodeParallel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load20x1_DecodeSerial)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load5x24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load5x24_DecodeParallel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load5x24_DecodeSerial)->Unit(benchmark::kMillisecond)->UseRealTime();
// The crash-recovery copy: taken on the user's thread, written on a worker.
void BM_RecoverySnapshot20x1(benchmark::State& state) {
    Fixture& f = Documents(20, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(TakeDocFileSnapshot(*f.doc));
}
void BM_RecoveryWrite20x1(benchmark::State& state) {
    Fixture& f = Documents(20, false);
    const std::unique_ptr<CDocFileSnapshot> snapshot = TakeDocFileSnapshot(*f.doc);
    const QString path = f.dir.path() + QStringLiteral("/copy.brf");
    for (auto _ : state)
        if (!WriteDocFileSnapshot(*snapshot, path, nullptr))
            state.SkipWithError("write failed");
}
BENCHMARK(BM_RecoverySnapshot20x1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecoveryWrite20x1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EraseReplay)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EraseStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EraseStepRegion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmfPlay_Sound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfPlay_WildMicrometres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfPlay_TinyFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfPlay_FarDrawing)->Unit(benchmark::kMillisecond);

// The PDF of the 20 fax pages with their 50 objects each, side by side with what it is held to:
// tiff2pdf of the same page images as one Group 4 TIFF (the file at most 1.1 x its size), and
// Qt's PDF writer given each page drawn as a picture. The label is the file's size.
void PdfLabel(benchmark::State& state, const QString& path) {
    state.SetLabel(std::to_string(QFileInfo(path).size()) + " B");
}

void BM_Pdf20x1(benchmark::State& state) {
    Fixture& f = Documents(20, false);
    std::vector<int> pages(20);
    for (int i = 0; i < 20; ++i) pages[std::size_t(i)] = i;
    const QString path = f.dir.path() + QStringLiteral("/ours.pdf");
    for (auto _ : state)
        if (WriteDocumentPdf(*f.doc, pages, path, PdfOptions{}) != SUCCESS) state.SkipWithError("not written");
    PdfLabel(state, path);
}

void BM_Pdf20x1_Tiff2Pdf(benchmark::State& state) {
    Fixture& f = Documents(20, false);
    const QString tiff = f.dir.path() + QStringLiteral("/pages.tif");
    const QString path = f.dir.path() + QStringLiteral("/tiff2pdf.pdf");
    QByteArray bytes;
    EncodeTiff(Bitmaps(*f.doc), FILE_CCITT_GROUP4, bytes, nullptr, {});
    QFile out(tiff);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    out.close();
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("tiff2pdf"), {QStringLiteral("-o"), path, tiff});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) state.SkipWithError("tiff2pdf failed");
    }
    PdfLabel(state, path);
}

void BM_Pdf20x1_QPdfWriterPictures(benchmark::State& state) {
    Fixture& f = Documents(20, false);
    const QString path = f.dir.path() + QStringLiteral("/naive.pdf");
    for (auto _ : state) {
        QPdfWriter writer(path);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        for (int i = 0; i < 20; ++i) {
            if (i > 0) writer.newPage();
            LBitmapBase page;
            GetPageAsBitmap(*f.doc, i, page);
            painter.drawImage(0, 0, page.GetImage());
        }
    }
    PdfLabel(state, path);
}

// One page of 500 objects as a metafile and as SVG (each at most 50 ms).
CLumidorDoc& PageOf500() {
    static std::unique_ptr<CLumidorDoc> doc;
    if (!doc) {
        doc = MakeDocument(1, false);
        for (int i = 0; i < 9; ++i) AddFormObjects(*doc, 0);
    }
    return *doc;
}
void BM_Emf500Objects(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state) WriteCurrentPageToEmf(PageOf500(), 0, dir.path() + QStringLiteral("/p.emf"));
    state.SetLabel(std::to_string(PageOf500().GetObjectsList(0)->size()) + " objects");
}
void BM_Svg500Objects(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state) WriteCurrentPageToSvg(PageOf500(), 0, dir.path() + QStringLiteral("/p.svg"));
    state.SetLabel(std::to_string(PageOf500().GetObjectsList(0)->size()) + " objects");
}
BENCHMARK(BM_Pdf20x1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pdf20x1_Tiff2Pdf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pdf20x1_QPdfWriterPictures)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Emf500Objects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Svg500Objects)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // Messages of the document go nowhere during timing.
    class CSilentSink : public IMessageSink {
    public:
        int Show(const MessageRequest& r) override { return r.defaultAnswer; }
    };
    SetMessageSink(std::make_shared<CSilentSink>());
    return RunBenchmarks(argc, argv);
}
