// A page full of annotation objects of every kind: 2000 objects (texts, check marks, rectangles,
// ellipses, circles, lines, arrows, size arrows, brackets, freehand strokes, pictures) drawn into a
// 1920 x 1080 image as a repaint of the view does, and the same page as output.

#include "BenchMain.h"
#include "BenchObjectHost.h"
#include "objects/TranspArrow.h"
#include "objects/TranspBrace.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspImage.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspSizeArrow.h"
#include "objects/TranspText.h"
#include "platform/DC.h"

#include <QImage>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A view over a bare geometry at 100 %: a 100-dpi page in the program's own text units, so that
// the lengths the kinds fix in text units (barbs, bends, tick sizes) come out as on a real page.
constexpr int U = 1000; // text units per pixel
constexpr double kUnitScale = 0.00001;
TEXTSTYLE BenchStyle() {
    TEXTSTYLE s;
    std::strcpy(s.lf.lfFaceName, "Liberation Sans");
    s.lf.lfWeight = FW_NORMAL;
    s.nSize = 10;
    s.lf.lfHeight = -100;
    return s;
}

// A 48 x 48 picture: a dark frame and cross on white, as a small scanned stamp would be.
QByteArray StampDib() {
    QImage img(48, 48, QImage::Format_RGB888);
    img.fill(Qt::white);
    for (int i = 0; i < 48; ++i) {
        img.setPixelColor(i, 0, Qt::darkBlue);
        img.setPixelColor(i, 47, Qt::darkBlue);
        img.setPixelColor(0, i, Qt::darkBlue);
        img.setPixelColor(47, i, Qt::darkBlue);
        img.setPixelColor(i, i, Qt::red);
    }
    LMyBitmap bitmap;
    bitmap.SetImage(img);
    return bitmap.ConvertToDIB();
}

// 2000 objects spread over the page, the eleven kinds in turn, a few of them selected.
std::vector<std::unique_ptr<CTranspBaseClass>> MakePage(CBenchHost& host) {
    const TEXTSTYLE style = BenchStyle();
    const QByteArray dib = StampDib();
    std::vector<std::unique_ptr<CTranspBaseClass>> objects;
    for (int i = 0; i < 2000; ++i) {
        const int x = (10 + (i * 97) % 1800) * U;
        const int y = (10 + (i * 53) % 1000) * U;
        const COLORREF color = RGB(BYTE(i * 13), BYTE(i * 7), BYTE(i * 3));
        const int width = (i % 5 == 0 ? 3 : 1) * U;
        const RECT rc{x, y, x + (40 + i % 60) * U, y + (30 + i % 50) * U};
        std::unique_ptr<CTranspBaseClass> obj;
        switch (i % 11) {
        case 0:
            obj =
                std::make_unique<CTranspText>(&host, x, y + 20 * U, &style, "Field 12345", 0, TRUE);
            break;
        case 1:
            obj = std::make_unique<CTranspCheckMark>(&host, RECT{x, y, x + 20 * U, y + 20 * U},
                                                     color, width, 0);
            break;
        case 2:
            obj = std::make_unique<CTranspRectangle>(&host, rc, color, width, 0);
            break;
        case 3:
            obj = std::make_unique<CTranspEllipse>(&host, rc, color, width, 0);
            break;
        case 4:
            obj = std::make_unique<CTranspLine>(&host, x, y, rc.right, rc.bottom, color, width, 0);
            break;
        case 5: {
            std::vector<POINT> pts;
            for (int k = 0; k < 24; ++k)
                pts.push_back(POINT{x + k * 3 * U, y + int(15 * U * std::sin(k * 0.5))});
            obj = std::make_unique<CTranspFreehand>(&host, pts.data(), int(pts.size()), color,
                                                    width, 0);
            break;
        }
        case 6: {
            auto pic = std::make_unique<CTranspImage>(&host, 0);
            pic->CreateDib(dib, x, y);
            pic->SetTransparent(i % 2);
            obj = std::move(pic);
            break;
        }
        case 7:
            obj = std::make_unique<CTranspCircle>(&host, x + 25 * U, y + 25 * U, (20 + i % 10) * U,
                                                  color, width, 0);
            break;
        case 8:
            obj = std::make_unique<CTranspArrow>(&host, x, y, rc.right, rc.bottom, color, width, 0);
            break;
        case 9:
            obj = std::make_unique<CTranspSizeArrow>(&host, rc, color, width, 0, 8 * U, i % 2);
            break;
        default:
            obj = std::make_unique<CTranspBrace>(&host, rc, color, width, 0, i % 4);
            break;
        }
        obj->m_bSelected = i % 50 == 0;
        objects.push_back(std::move(obj));
    }
    return objects;
}

// A repaint of the whole view.
void BM_DrawTwoThousandObjects(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    auto objects = MakePage(host);
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        CDC dc(&image);
        for (auto& obj : objects)
            obj->Draw(&dc, FALSE, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_DrawTwoThousandObjects)->Unit(benchmark::kMillisecond);

// The share of each kind in that repaint: only the objects of kind n of the page's turn of eleven
// (0 text, 1 check mark, 2 rectangle, 3 ellipse, 4 line, 5 freehand, 6 picture, 7 circle,
// 8 arrow, 9 size arrow, 10 bracket; 11 none, the cost of clearing the image).
void BM_DrawOneKind(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    auto objects = MakePage(host);
    QImage image(1920, 1080, QImage::Format_RGB32);
    const std::size_t kind = std::size_t(state.range(0));
    for (auto _ : state) {
        image.fill(Qt::white);
        CDC dc(&image);
        for (std::size_t i = kind; i < objects.size(); i += 11)
            objects[i]->Draw(&dc, FALSE, nullptr);
    }
}
BENCHMARK(BM_DrawOneKind)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

// The same page as output at 100 dpi (export of the page as a picture).
void BM_OutputTwoThousandObjects(benchmark::State& state) {
    CBenchHost host(kUnitScale);
    auto objects = MakePage(host);
    QImage image(1920, 1080, QImage::Format_RGB32);
    const POINT dpi{100, 100};
    for (auto _ : state) {
        image.fill(Qt::white);
        CDC dc(&image);
        for (auto& obj : objects)
            obj->Draw(&dc, TRUE, &dpi);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_OutputTwoThousandObjects)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("BRELLIN_SCREEN_DPI", "96", 0);
    return RunBenchmarks(argc, argv);
}
