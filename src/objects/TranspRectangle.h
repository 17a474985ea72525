#pragma once
// CTranspRectangle: a hollow rectangle with rounded corners; corners too big for the rectangle on
// the device make way for square ones.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of a rectangle's data block, and the block's size.
enum : LONG { CLIPKIND_RECTANGLE = 1 };
constexpr LONG RECTANGLE_BLOCK_SIZE = 48;
// Radius of the rounded corners, page pixels; drawn at this size in view pixels, also when
// printing.
constexpr LONG RECTANGLE_CORNER_RADIUS = 4;

class CTranspRectangle : public CTranspGraphClass {
public:
    // For the document's loader, which then reads the record.
    CTranspRectangle(IObjectHost* pView, int nPage);
    // From the rectangle tool.
    CTranspRectangle(IObjectHost* pView, const RECT& rect, COLORREF crColor, int nLineWidth,
                     int nPage);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a rectangle's.
    static std::unique_ptr<CTranspRectangle> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                       POINT pt, int nPage);

    void Serialize(CArchive& ar) override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;

    // Reads a data block as it is, unplaced; FALSE, and the rectangle unchanged, when it is not
    // a rectangle's block.
    BOOL SetObData(const QByteArray& block);
    // Moves a rectangle not yet shown so that its top-left lies at (x, y).
    void PlaceAt(int x, int y);
};
