#pragma once
// The output rendering of a page, shared by cropping, export and printing as an image: no window
// takes part. The page is drawn in page pixels at scale 1: a white canvas, the page image at its
// position with its erased region filled white, then every object of the page in list order drawn
// for output (no selection or focus marks).

#include "platform/WinTypes.h"

class CDC;
class CLumidorDoc;
class LBitmapBase;

// Draws page nPage into pDC, whose logical units are the page's pixels.
void DrawOnImagePage(CDC* pDC, const CLumidorDoc& doc, int nPage);
// What lies over the page image: its erased areas filled white, then every object drawn for
// output in list order (page pixels). Vector outputs that place the image themselves draw this.
void DrawPageOverImage(CDC* pDC, const CLumidorDoc& doc, int nPage);

// The page as drawn for output, in a new 24-bit bitmap of the page's canvas size at the page's
// resolution; an imaging result code (ERROR_INV_PARAMETER for a page without canvas).
int GetPageAsBitmap(const CLumidorDoc& doc, int nPage, LBitmapBase& out);

// The same page at the least colour depth that holds it exactly. A page whose image is black and
// white (or that has none) has its text drawn unsmoothed, so that black annotations on a fax
// page leave it a 1-bit page.
int GetPageAsLeastDepthBitmap(const CLumidorDoc& doc, int nPage, LBitmapBase& out);
