// Previews for the file manager: the first page of a 20-page document of A4 pages at 300 dpi
// (2480 x 3508) with 50 form objects a page, made into a 256-pixel thumbnail. Goal: under 150 ms
// for the whole read and render.
//
//   Thumbnail20Fax     fax pages (1 bit), the file read with only its first page image decoded
//   Thumbnail20Colour  noisy colour scans (24 bit), the same
//   FullLoad20Fax      the yard stick: the same file read whole, as opening it does
//   BoxReduceFax / BoxReduceColour  the reduction of one page image alone
//   DecodePageFax / DecodePageColour  the first page's PNG, as the file holds it, decoded alone
//
//   cmake --build build --target brellin_bench_thumbnail
//   QT_QPA_PLATFORM=offscreen build/bench/brellin_bench_thumbnail
// The whole command, process start included, is timed by bench/thumbnail.sh on the same
// documents (written by `brellin_bench_thumbnail --write-documents DIR`).

#include "BenchMain.h"
#include "BenchPages.h"
#include "app/ProfileRecords.h"
#include "document/DocFile.h"
#include "document/LumidorDoc.h"
#include "document/PageThumbnail.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/MessageBoxes.h"
#include "platform/imaging/BoxReduce.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/ImageFile.h"

#include <QTemporaryDir>
#include <cstring>
#include <map>
#include <memory>

namespace {

void AddFormObjects(CLumidorDoc& doc, int page) {
    const TEXTSTYLE style = DefaultTextStyle();
    for (int i = 0; i < 50; ++i) {
        const int y = 100000 + i * 20000;
        std::unique_ptr<CTranspBaseClass> p;
        switch (i % 3) {
        case 0:
            p = std::make_unique<CTranspText>(nullptr, 150000, y, &style, "Field text 0123", page,
                                              TRUE);
            break;
        case 1: p = std::make_unique<CTranspLine>(nullptr, 100000, y, 700000, y, 0, 1000, page); break;
        default:
            p = std::make_unique<CTranspRectangle>(nullptr, RECT{100000, y, 400000, y + 15000}, 0,
                                                   1000, page);
        }
        doc.AddObjectToList(std::move(p));
    }
}

// The 20-page document of fax forms or of colour scans, saved to `path`.
bool SaveDocument(bool colour, const QString& path, LBitmapBase* firstPage) {
    CLumidorDoc doc;
    for (int i = 0; i < 20; ++i) {
        if (i > 0)
            doc.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
        LBitmapBase page = colour ? MakeColourScan(7 + std::uint64_t(i)) : MakeFaxForm([i](int line) {
            return QStringLiteral("%1. Page %2, name, address and reference: %3").arg(line).arg(i).arg(line * 31);
        });
        if (i == 0 && firstPage)
            *firstPage = page;
        doc.m_PagesList[std::size_t(i)]->m_Bitmap.TakePixels(page);
        doc.m_nPageCount = i + 1;
        doc.ApplyFrameRule(i);
        AddFormObjects(doc, i);
    }
    return doc.OnSaveDocument(path);
}

struct Fixture {
    QTemporaryDir dir;
    QString file;
    LBitmapBase firstPage;
};

Fixture& Document(bool colour) {
    static std::map<bool, std::unique_ptr<Fixture>> made;
    auto& f = made[colour];
    if (!f) {
        f = std::make_unique<Fixture>();
        f->file = f->dir.path() + QStringLiteral("/bench.brf");
        if (!SaveDocument(colour, f->file, &f->firstPage))
            f->file.clear();
    }
    return *f;
}

void Thumbnail(benchmark::State& state, bool colour) {
    Fixture& f = Document(colour);
    if (f.file.isEmpty()) {
        state.SkipWithError("the document could not be saved");
        return;
    }
    for (auto _ : state) {
        QImage out;
        if (MakeFileThumbnail(f.file, 256, out) != SUCCESS)
            state.SkipWithError("no thumbnail");
        benchmark::DoNotOptimize(out.constBits());
    }
}

void BM_Thumbnail20Fax(benchmark::State& state) { Thumbnail(state, false); }
void BM_Thumbnail20Colour(benchmark::State& state) { Thumbnail(state, true); }

void BM_FullLoad20Fax(benchmark::State& state) {
    Fixture& f = Document(false);
    for (auto _ : state) {
        CLumidorDoc doc;
        if (!ReadDocumentFile(doc, f.file))
            state.SkipWithError("no load");
    }
}

void BoxReduce(benchmark::State& state, bool colour) {
    const QImage& image = Document(colour).firstPage.GetImage();
    for (auto _ : state) {
        QImage out = brellin::imaging::BoxReduce(image, image.rect(), 181, 256);
        benchmark::DoNotOptimize(out.constBits());
    }
}
void BM_BoxReduceFax(benchmark::State& state) { BoxReduce(state, false); }

// The first page's image coded as the document file holds it, then decoded whole.
void DecodePage(benchmark::State& state, bool colour) {
    QByteArray png;
    if (brellin::imaging::EncodeImage(Document(colour).firstPage, FILE_PNG, 0, 0, png, {}) != SUCCESS) {
        state.SkipWithError("no PNG");
        return;
    }
    for (auto _ : state) {
        LBitmapBase out;
        brellin::imaging::DecodePng(reinterpret_cast<const uchar*>(png.constData()),
                                    std::size_t(png.size()), out, {});
        benchmark::DoNotOptimize(out.IsAllocated());
    }
    state.counters["bytes"] = double(png.size());
}
void BM_DecodePageFax(benchmark::State& state) { DecodePage(state, false); }
void BM_DecodePageColour(benchmark::State& state) { DecodePage(state, true); }
void BM_BoxReduceColour(benchmark::State& state) { BoxReduce(state, true); }

BENCHMARK(BM_Thumbnail20Fax)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thumbnail20Colour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullLoad20Fax)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoxReduceFax)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoxReduceColour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePageFax)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePageColour)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    class CSilentSink : public IMessageSink {
    public:
        int Show(const MessageRequest& r) override { return r.defaultAnswer; }
    };
    SetMessageSink(std::make_shared<CSilentSink>());
    // For bench/thumbnail.sh, which times the whole command on them: the two documents written
    // as fax.brf and colour.brf into a folder.
    if (argc == 3 && std::strcmp(argv[1], "--write-documents") == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QGuiApplication app(argc, argv);
        const QString dir = QString::fromLocal8Bit(argv[2]);
        return SaveDocument(false, dir + QStringLiteral("/fax.brf"), nullptr) &&
                       SaveDocument(true, dir + QStringLiteral("/colour.brf"), nullptr)
                   ? 0
                   : 1;
    }
    return RunBenchmarks(argc, argv);
}
