#pragma once
// CTranspEllipse: a hollow ellipse inscribed in its rectangle.

#include "objects/TranspRectShape.h"

#include <QByteArray>
#include <memory>

class CDC;

// Clipboard kind code of an ellipse's data block, and the block's size.
enum : LONG { CLIPKIND_ELLIPSE = 2 };
constexpr LONG ELLIPSE_BLOCK_SIZE = 48;

class CTranspEllipse : public CTranspRectShape {
public:
    // (pView, nPage) for the document's loader, which then reads the record; (pView, rect,
    // colour, line width, page) from the ellipse tool.
    using CTranspRectShape::CTranspRectShape;
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not an ellipse's.
    static std::unique_ptr<CTranspEllipse> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                     POINT pt, int nPage);

    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;

    // Reads a data block as it is, unplaced; FALSE, and the ellipse unchanged, when it is not
    // an ellipse's block.
    BOOL SetObData(const QByteArray& block);
};
