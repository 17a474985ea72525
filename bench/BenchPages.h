#pragma once
// The A4 pages at 300 dpi (2480 x 3508) that the imaging and document benchmarks code, save and
// load: a noisy colour scan and a fax form.

#include "platform/imaging/BitmapBase.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

constexpr int kW = 2480;
constexpr int kH = 3508;

inline std::uint32_t BenchRand(std::uint64_t& s) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return std::uint32_t(s >> 33);
}

// A colour scan: shading that varies slowly across the sheet, sensor noise of a few levels on
// every sample (drawn from `seed`), and bands of dark text.
inline LBitmapBase MakeColourScan(std::uint64_t seed) {
    LBitmapBase b;
    b.Create(kW, kH, 24);
    QImage img = b.GetImage();
    std::uint64_t s = seed;
    for (int y = 0; y < kH; ++y) {
        uchar* row = img.scanLine(y);
        const bool textBand = (y / 40) % 3 == 0 && y % 40 < 12;
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < 3; ++c) {
                double base = 200 + 40 * std::sin(x / 300.0 + c) * std::cos(y / 500.0);
                if (textBand && (x / 30) % 2)
                    base = 40;
                const int v = int(base) + int(BenchRand(s) % 9) - 4;
                row[3 * x + c] = uchar(std::clamp(v, 0, 255));
            }
    }
    b.SetImage(img, 24);
    b.SetXResolution(300);
    b.SetYResolution(300);
    return b;
}

// A fax form: ruled fields on a white page, each with the line of typed text that lineText gives
// for its number, thresholded to 1 bit.
inline LBitmapBase MakeFaxForm(const std::function<QString(int line)>& lineText) {
    QImage img(kW, kH, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(34);
        p.setFont(font);
        p.setPen(QPen(Qt::black, 3));
        for (int y = 200, line = 0; y < kH - 200; y += 120, ++line) {
            p.drawLine(150, y, kW - 150, y);
            p.drawText(QPointF(170, y + 60), lineText(line));
        }
    }
    LBitmapBase b;
    b.SetImage(img);
    b.ChangeBitsPerPixel(1);
    b.SetXResolution(300);
    b.SetYResolution(300);
    return b;
}
