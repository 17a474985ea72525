#pragma once
// CTranspEllipse: a hollow ellipse inscribed in its rectangle.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of an ellipse's data block, and the block's size.
enum : LONG { CLIPKIND_ELLIPSE = 2 };
constexpr LONG ELLIPSE_BLOCK_SIZE = 48;

class CTranspEllipse : public CTranspGraphClass {
public:
    // For the document's loader, which then reads the record.
    CTranspEllipse(IObjectHost* pView, int nPage);
    // From the ellipse tool.
    CTranspEllipse(IObjectHost* pView, const RECT& rect, COLORREF crColor, int nLineWidth,
                   int nPage);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not an ellipse's.
    static std::unique_ptr<CTranspEllipse> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                     POINT pt, int nPage);

    void Serialize(CArchive& ar) override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;

    // Reads a data block as it is, unplaced; FALSE, and the ellipse unchanged, when it is not
    // an ellipse's block.
    BOOL SetObData(const QByteArray& block);
    // Moves an ellipse not yet shown so that the top-left of its rectangle lies at (x, y).
    void PlaceAt(int x, int y);
};
