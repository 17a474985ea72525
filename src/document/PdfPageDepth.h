#pragma once
// A drawn PDF page kept at the least colour depth that holds it exactly: a page of only black and
// white becomes a 1-bit page, a page of greys an 8-bit grey page, anything else a 24-bit page.
// One pass over the drawn rows decides, and stops at the first pixel of colour; a second pass
// packs the pixels at the depth found.

#include <QImage>

class LBitmapBase;

// 1, 8 or 24 for a drawn page (Format_RGB32, ARGB32 or ARGB32_Premultiplied, opaque).
int PdfPageDepth(const QImage& page);

// The page at its least depth into `out`, with the resolution given; an imaging result code.
int ReducePdfPage(const QImage& page, int nDpiX, int nDpiY, LBitmapBase& out);
