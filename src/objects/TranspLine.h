#pragma once
// CTranspLine: a straight line between two end points, handled as CTranspLineEnds says.

#include "objects/TranspLineEnds.h"

#include <QByteArray>
#include <memory>

class CDC;

// Clipboard kind code of a line's data block.
enum : LONG { CLIPKIND_LINE = 3 };

class CTranspLine : public CTranspLineEnds {
public:
    // (pView, nPage) for the document's loader; (pView, x1, y1, x2, y2, colour, line width,
    // page) from the line tool.
    using CTranspLineEnds::CTranspLineEnds;
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a line's.
    static std::unique_ptr<CTranspLine> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                  POINT pt, int nPage);

    // The graphic repaint rectangle and one pixel more.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;

    // Set on the line of a callout made with its shape, with the side it leaves the shape by
    // (0 right above it, 1 up, 2 left, 3 right, 4 down). Not stored: a callout is known by the
    // order of its three objects.
    BOOL m_bCalloutLine = FALSE;
    int m_nCalloutDirection = 0;

protected:
    LONG GetClipKind() const override { return CLIPKIND_LINE; }
};
