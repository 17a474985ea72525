#pragma once
// Pictures for the shelf's tests: packed 24-bit bitmaps made byte by byte, and their picture blocks.

#include "objects/TranspImage.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace shelftest {
inline void Put32(QByteArray& b, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b.append(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
}
inline void Put16(QByteArray& b, std::int16_t v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
// A white bitmap with a dark diagonal; a negative height is a top-down bitmap.
inline QByteArray Dib(int w, int h) {
    const int rows = std::abs(h);
    const int stride = (w * 3 + 3) / 4 * 4;
    QByteArray d;
    Put32(d, 40);
    Put32(d, w);
    Put32(d, h);
    Put16(d, 1);
    Put16(d, 24);
    Put32(d, 0);
    Put32(d, stride * rows);
    Put32(d, 3780);
    Put32(d, 3780);
    Put32(d, 0);
    Put32(d, 0);
    for (int y = 0; y < rows; ++y) {
        QByteArray row(stride, '\xFF');
        if (y < w) row[y * 3] = row[y * 3 + 1] = row[y * 3 + 2] = '\x20';
        d.append(row);
    }
    return d;
}
inline QByteArray PictureBlock(int w, int h) { return DibToPictureBlock(Dib(w, h)); }
} // namespace shelftest
