#pragma once
// The least colour depth that holds a bitmap exactly. A page drawn for output is a 24-bit bitmap,
// but a fax page with black annotations holds only black and white and a grey scan only greys:
// written at the least depth (1 or 8 bits) such a page is a fraction of its 24-bit size and no
// pixel changes.

#include "platform/imaging/BitmapBase.h"

namespace brellin::imaging {

// 1 when every pixel is black or white, 8 when the bitmap has at most 256 colours, else its own
// depth; 0 for a bitmap without pixels. A 32-bit bitmap with transparent pixels keeps its depth.
int LeastExactDepth(const LBitmapBase& bitmap);

// Replaces the pixels by the same pixels at LeastExactDepth: 1 bit with a black and white
// palette, 8 bits with a grey ramp when every colour is grey, else with the bitmap's own colours.
// The resolution stays; nothing changes when the bitmap is at that depth already.
int ReduceToLeastDepth(LBitmapBase& bitmap);

} // namespace brellin::imaging
