#pragma once
// Reduction of an image by averaging: every pixel of the result is the mean of the source pixels
// that fall into it, so that the thin black strokes of a 1-bit fax page become grey rather than
// vanishing or breaking up as they do when pixels are picked nearest-neighbour.

#include <QImage>
#include <QRect>

namespace brellin::imaging {

// The part `source` of `image` (any of the layer's formats, clipped to the image) reduced to
// width x height, which must not exceed the part's size; an RGB32 image, or a grey one
// (Grayscale8) when every colour of a palette image is grey. A null image when out of memory or
// when nothing is left to reduce.
QImage BoxReduce(const QImage& image, const QRect& source, int width, int height);

} // namespace brellin::imaging
