#pragma once
// Small bitmaps with known pixels for the imaging tests.

#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImageFile.h"

#include <QByteArray>
#include <QFile>
#include <cstdint>
#include <gtest/gtest.h>

// A bitmap of the given depth whose pixel (x, y) has a colour that depends on x and y, so that
// any misplaced pixel shows.
inline LBitmapBase MakePattern(int w, int h, int bpp, int dpi = 300) {
    LBitmapBase b;
    QList<QRgb> pal;
    if (bpp == 1)
        pal = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    else if (bpp == 4)
        for (int i = 0; i < 16; ++i)
            pal.append(qRgb(i * 16, 255 - i * 10, (i * 37) & 0xFF));
    else if (bpp == 8)
        for (int i = 0; i < 256; ++i)
            pal.append(qRgb(i, (i * 7) & 0xFF, 255 - i));
    EXPECT_EQ(b.Create(w, h, bpp, pal), SUCCESS);
    QImage img = b.GetImage();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = x * 3 + y * 5 + (x * y) % 7;
            if (bpp == 1)
                img.setPixel(x, y, uint(v % 3 == 0));
            else if (bpp == 4)
                img.setPixel(x, y, uint(v % 16));
            else if (bpp == 8)
                img.setPixel(x, y, uint(v % 256));
            else
                img.setPixel(x, y, qRgb(v & 0xFF, (x * 11) & 0xFF, (y * 13) & 0xFF));
        }
    EXPECT_EQ(b.SetImage(img, bpp), SUCCESS);
    b.SetXResolution(dpi);
    b.SetYResolution(dpi);
    return b;
}

// Every pixel's colour equal.
inline void ExpectSamePixels(const LBitmapBase& a, const LBitmapBase& b) {
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixelColor(x, y) != b.GetPixelColor(x, y)) {
                FAIL() << "pixel " << x << "," << y << ": " << std::hex << a.GetPixelColor(x, y)
                       << " vs " << b.GetPixelColor(x, y);
            }
}

inline const uchar* Bytes(const QByteArray& b) {
    return reinterpret_cast<const uchar*>(b.constData());
}

// The most address space this process has had (VmPeak): a decoder that reserves memory for a
// size it was only told shows here even when it never touches the pages.
inline std::int64_t PeakAddressSpace() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}
