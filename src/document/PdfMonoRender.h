#pragma once
// A PDF page drawn 1 bit deep through poppler-cpp, for the pages the colour probe
// (document/PdfColourProbe.h) vouches for: the same pixels the colour drawing and its reduction
// give (document/PdfReader.h, RenderPdfPage), without the page ever being held at 32 bits and in
// about a third of the drawing time.
//
// Same pixels by construction: the page is drawn in the same bands as the colour drawing, since
// each band's placement on the page is computed anew and edges that fall on whole pixels may
// fall on the other side of one in another band. A band is drawn a little wider than the page
// (a whole number of 32 pixels), which leaves the placement as it is: poppler-cpp copies a
// 1-bit drawing at a row length of its own, and only at such widths is that the drawing's.

#include <QByteArray>
#include <QSizeF>
#include <memory>

class LBitmapBase;
namespace poppler {
class document;
}

// How a page of sizePt points (as poppler-qt6 gives it, turned) is drawn at dpi: the size the
// colour drawing gives it in bands, the rows of one band, and the size of a page drawn whole.
struct PdfRasterPlan {
    int nWidth = 0, nHeight = 0;
    int nBandRows = 0;
    bool bBanded = false;
    int nWholeWidth = 0, nWholeHeight = 0;
};
PdfRasterPlan PlanPdfRaster(const QSizeF& sizePt, double dpi);

// A poppler-cpp document over `bytes`, which must outlive it; null when it cannot be read or
// the password does not open it (given as both passwords, as the colour drawing gives it).
std::unique_ptr<poppler::document> LoadMonoPdf(const QByteArray& bytes, const QByteArray& password);

// Page nPage of `doc` 1 bit deep into `out` (Format_Mono, index 0 black, 1 white), its size
// from PlanPdfRaster(sizePt, dpi); an imaging result code. ERROR_INV_PARAMETER for a page of
// no size, which the colour drawing gives its own blank page.
int RenderPdfPageMono(const poppler::document& doc, int nPage, const QSizeF& sizePt, double dpi,
                      LBitmapBase& out);
