#pragma once
// White-point and black-point correction of a raster image: the mean colour of an area the user
// picked becomes white (or black), and every colour is stretched along each channel accordingly,
// the way a scanned page's grey paper is made white again. Indexed images change their palette,
// direct-colour images their pixels.

#include "platform/imaging/BitmapBase.h"

#include <QRect>

// The mean colour of `area` (image pixels, clipped to the image); false when nothing is left.
bool MeanColour(const QImage& image, const QRect& area, int mean[3]);
// Corrects the bitmap so that the area's mean colour becomes white (black when `black`); an
// imaging result code, the bitmap unchanged on failure.
int CorrectToPoint(LBitmapBase& bitmap, const QRect& area, bool black);
