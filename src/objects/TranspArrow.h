#pragma once
// CTranspArrow: a line with an arrowhead at its second point (the tip). It handles its end
// points as the line does (CTranspLineEnds), draws in its own colour also during tab-order
// display, and repaints a margin wide enough for the barbs.

#include "objects/TranspLineEnds.h"

#include <QByteArray>
#include <memory>

class CDC;

// Clipboard kind code of an arrow's data block (the block has the line's layout).
enum : LONG { CLIPKIND_ARROW = 11 };

// Length of each barb of an arrowhead, text units (the arrow and the size arrow).
constexpr LONG ARROW_BARB_LENGTH = 15000;
// The angle of each barb off the reversed shaft, radians: the double 0x3FE0C131D5ACB6F5, 3.1415
// / 6, kept as it is so that arrowheads come out as they always have.
constexpr double ARROW_BARB_ANGLE = 0.5235833333333334;
class CTranspArrow : public CTranspLineEnds {
public:
    // (pView, nPage) for the document's loader; (pView, x1, y1, x2, y2, colour, line width,
    // page) from the arrow tool, the tail first and then the tip.
    using CTranspLineEnds::CTranspLineEnds;
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not an arrow's.
    static std::unique_ptr<CTranspArrow> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                   POINT pt, int nPage);

    // The graphic repaint rectangle and the reach of the barbs: a barb ends at most its length
    // from the tip, whatever the direction and length of the shaft.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;

    // The ends of the two barbs of a head whose shaft runs from p1 to the tip p2, in device
    // pixels, for a barb length of nBarb pixels; the offsets are truncated toward zero.
    static void GetBarbEnds(POINT p1, POINT p2, int nBarb, POINT& barb1, POINT& barb2);

protected:
    LONG GetClipKind() const override { return CLIPKIND_ARROW; }
};
