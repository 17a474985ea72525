#pragma once
// The rows of a PNG inflated in one go rather than a row at a time: for the depths whose samples
// go to the bitmap as the file holds them, libdeflate inflates the whole image at two to three
// times zlib's speed, and opening a document of colour scans is mostly that inflating.

#include "platform/imaging/ImagingTypes.h"

#include <QImage>
#include <cstddef>

namespace brellin::imaging {

// The image of a non-interlaced PNG whose samples go to the bitmap as the file holds them (1 and
// 8 bits of grey or palette indices, 8-bit RGB: `bitsPerPixel` 1, 8 or 24), its rows read from
// the image-data chunks of which the first begins at `firstChunk` (its length field), the
// palette given by `colours`. Sets `taken` and returns the result (a cancel through `progress`
// among them) when it did the work; leaves `taken` false and `img` alone when the bytes are not
// what such an image holds (a bad checksum, too little or too much data, an unknown row filter)
// or the page is too large to inflate whole, for the row-by-row reader to read and report.
int InflatePngRows(const uchar* data, std::size_t size, std::size_t firstChunk, int width,
                   int height, int bitsPerPixel, const QList<QRgb>& colours,
                   const ImagingProgress& progress, QImage& img, bool& taken);

} // namespace brellin::imaging
