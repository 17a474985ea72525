// Text objects: the layout of one text (measuring its lines, its box and where each line goes) and
// the drawing of a page full of them, 1000 texts of 20 characters into a 1920 x 1080 image, as a
// repaint of the view does.

#include "BenchMain.h"
#include "BenchObjectHost.h"
#include "objects/TextLayout.h"
#include "objects/TranspText.h"
#include "platform/DC.h"

#include <QImage>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A view over a bare geometry: one text unit per pixel at 100 %.
constexpr double kUnitScale = 0.01;
TEXTSTYLE BenchStyle(bool stepped) {
    TEXTSTYLE s;
    std::strcpy(s.lf.lfFaceName, "Liberation Sans");
    s.lf.lfWeight = FW_NORMAL;
    s.nSize = 10;
    s.lf.lfHeight = -100;
    s.bStepped = stepped;
    s.nPitch = 9;
    return s;
}

// 1000 different texts of 20 characters.
const std::vector<QByteArray>& Texts() {
    static const std::vector<QByteArray> texts = [] {
        std::vector<QByteArray> v;
        for (int i = 0; i < 1000; ++i)
            v.push_back(QByteArray("Field ") + QByteArray::number(100000 + i * 37) +
                        QByteArray(" abcdefgh").left(8));
        return v;
    }();
    return texts;
}

// Measuring one text's lines in a selected font, then its box and line positions.
void BM_LayoutOneText(benchmark::State& state) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    CDC dc(&image);
    const TEXTSTYLE style = BenchStyle(false);
    dc.SelectFont(MakeLayoutFont(style.lf, 0, FontPixelHeight(style.lf.lfHeight, 1.0, 96)));
    TEXTMEASURE measure;
    std::vector<_LINEINFO> lines(1);
    size_t i = 0;
    for (auto _ : state) {
        const QList<QByteArray> text{Texts()[i++ % 1000]};
        MeasureTextLines(dc, text, 1252, false, 0, false, measure);
        TEXTFRAME frame;
        frame.anchor = POINT{int(i % 1800), int(i % 1000) + 20};
        frame.lh = measure.lh;
        frame.nLines = 1;
        frame.nMaxWidth = measure.nMaxWidth;
        const RECT box = TextBox(frame);
        LayoutLines(frame, measure, lines);
        benchmark::DoNotOptimize(box);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_LayoutOneText);

// The text box a text object gives the view when its text has just changed (nothing measured
// yet): the object lays itself out on a drawing of its own.
void BM_TextRectAfterChange(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    const TEXTSTYLE style = BenchStyle(false);
    CTranspText text(&host, 100, 100, &style, "x", 0, TRUE);
    size_t i = 0;
    for (auto _ : state) {
        text.SetText(Texts()[i++ % 1000], FALSE);
        RECT rc;
        text.GetTextRect(&rc);
        benchmark::DoNotOptimize(rc);
    }
}
BENCHMARK(BM_TextRectAfterChange);

// The box of a text that has not changed since it was last laid out.
void BM_TextRectUnchanged(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    const TEXTSTYLE style = BenchStyle(false);
    CTranspText text(&host, 100, 100, &style, Texts()[0].constData(), 0, TRUE);
    for (auto _ : state) {
        RECT rc;
        text.GetTextRect(&rc);
        benchmark::DoNotOptimize(rc);
    }
}
BENCHMARK(BM_TextRectUnchanged);

// The 1000 texts laid out on a page in ten columns.
std::vector<std::unique_ptr<CTranspText>> PageOfTexts(CBenchHost& host, const TEXTSTYLE& style) {
    std::vector<std::unique_ptr<CTranspText>> texts;
    for (int i = 0; i < 1000; ++i)
        texts.push_back(std::make_unique<CTranspText>(&host, 10 + (i % 10) * 190,
                                                      30 + (i / 10) * 10, &style,
                                                      Texts()[size_t(i)].constData(), 0, TRUE));
    return texts;
}

// A repaint of a page holding 1000 texts: every text drawn into a 1920 x 1080 image. Argument:
// 1 for stepped texts.
void BM_DrawThousandTexts(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    const TEXTSTYLE style = BenchStyle(state.range(0) != 0);
    const auto texts = PageOfTexts(host, style);
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        CDC dc(&image);
        for (auto& text : texts)
            text->Draw(&dc, FALSE, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_DrawThousandTexts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same page as output (printing and export): every text is measured afresh in the device's
// font.
void BM_OutputThousandTexts(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    const TEXTSTYLE style = BenchStyle(false);
    const auto texts = PageOfTexts(host, style);
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(Qt::white);
    const double saved = g_dUnitScale;
    g_dUnitScale = 0.01;
    const POINT dpi{96, 96};
    for (auto _ : state) {
        CDC dc(&image);
        for (auto& text : texts)
            text->Draw(&dc, TRUE, &dpi);
    }
    g_dUnitScale = saved;
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_OutputThousandTexts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("BRELLIN_SCREEN_DPI", "96", 0);
    return RunBenchmarks(argc, argv);
}
