#pragma once
// CTranspRectangle: a hollow rectangle with rounded corners; corners too big for the rectangle on
// the device make way for square ones.

#include "objects/TranspRectShape.h"

#include <QByteArray>
#include <memory>

class CDC;

// Clipboard kind code of a rectangle's data block, and the block's size.
enum : LONG { CLIPKIND_RECTANGLE = 1 };
constexpr LONG RECTANGLE_BLOCK_SIZE = 48;
// Radius of the rounded corners, page pixels; drawn at this size in view pixels, also when
// printing.
constexpr LONG RECTANGLE_CORNER_RADIUS = 4;

class CTranspRectangle : public CTranspRectShape {
public:
    // (pView, nPage) for the document's loader, which then reads the record; (pView, rect,
    // colour, line width, page) from the rectangle tool.
    using CTranspRectShape::CTranspRectShape;
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a rectangle's.
    static std::unique_ptr<CTranspRectangle> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                       POINT pt, int nPage);

    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;

    // Reads a data block as it is, unplaced; FALSE, and the rectangle unchanged, when it is not
    // a rectangle's block.
    BOOL SetObData(const QByteArray& block);
};
