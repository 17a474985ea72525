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
    // For the document's loader, which then reads the record.
    CTranspLine(IObjectHost* pView, int nPage);
    // From the line tool: the end points in text units.
    CTranspLine(IObjectHost* pView, int x1, int y1, int x2, int y2, COLORREF crColor,
                int nLineWidth, int nPage);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a line's.
    static std::unique_ptr<CTranspLine> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                  POINT pt, int nPage);

    // The graphic repaint rectangle and one pixel more.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
};
