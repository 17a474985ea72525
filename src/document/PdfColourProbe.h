#pragma once
// Whether a PDF page certainly draws only black and white pixels, read from its content streams
// with libqpdf before anything is drawn. Such a page can be drawn 1 bit deep at once instead of
// at 32 bits and reduced afterwards, and gives the same pixels.
//
// The reading is conservative: a page is black and white for sure only when every operator is
// one of a known set whose drawing is black or white with edges drawn hard (no antialiasing):
// paths, clipping and text in exact black or white of the device colour spaces, graphics
// states without soft masks, transparency, blending or transfer functions, and images that are
// stencil masks or 1-bit grey images drawn large enough that the drawing does not smooth them.
// Anything else, annotations, transparency groups, unreadable content, or content beyond the
// bounds of the work, answers "maybe". A page that holds for sure still does so only from a
// resolution on: below it the 1-bit drawing takes thin lines and small images differently.

#include <QByteArray>
#include <memory>

struct PdfColourVerdict {
    bool bBlackWhite = false; // only black and white for sure ...
    double dMinDpi = 0;       // ... when drawn at this resolution or above
    bool Holds(double dpi) const { return bBlackWhite && dpi >= dMinDpi; }
};

// One reading of the file, for one thread: libqpdf objects are not to be shared between
// threads. Pages as poppler numbers them (nPages is poppler's count: when libqpdf counts
// otherwise no page is vouched for).
class CPdfColourProbe {
public:
    CPdfColourProbe(const QByteArray& bytes, const QByteArray& password, int nPages);
    ~CPdfColourProbe();
    CPdfColourProbe(const CPdfColourProbe&) = delete;
    CPdfColourProbe& operator=(const CPdfColourProbe&) = delete;

    PdfColourVerdict Probe(int nPage);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
