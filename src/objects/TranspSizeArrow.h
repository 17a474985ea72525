#pragma once
// CTranspSizeArrow: a dimension arrow. Two extension lines at opposite edges of its rectangle are
// joined by a dimension line with an arrowhead at each end. A horizontal dimension has its
// extension lines at the left and right edges and its dimension line m_nOffset below the top
// edge; a vertical one has them at the top and bottom edges and its line m_nOffset right of the
// left edge. Dragging the edge the offset is measured from leaves the dimension line in place.

#include "objects/TranspRectShape.h"

#include <QByteArray>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind codes of a size arrow's data block: it is written under the first, and read
// under both.
enum : LONG { CLIPKIND_SIZEARROW = 12, CLIPKIND_SIZEARROW2 = 13 };
constexpr LONG SIZEARROW_BLOCK_SIZE = 56;
// Half the width of an arrowhead across the dimension line, text units.
constexpr LONG SIZEARROW_HEAD_HALF_WIDTH = 5000;
// The band repainted either side of the dimension line, text units.
constexpr LONG SIZEARROW_REPAINT_BAND = 7000;

class CTranspSizeArrow : public CTranspRectShape {
public:
    // For the document's loader, which then reads the record.
    CTranspSizeArrow(IObjectHost* pView, int nPage);
    // From the size-arrow tool, which also chooses the offset and the orientation.
    CTranspSizeArrow(IObjectHost* pView, const RECT& rect, COLORREF crColor, int nLineWidth,
                     int nPage, int nOffset, BOOL bHorizontal);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a size arrow's.
    static std::unique_ptr<CTranspSizeArrow> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                       POINT pt, int nPage);

    void Serialize(CArchive& ar) override;
    // The graphic repaint rectangle and a band around the dimension line.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;
    // The graphic resize, with the offset corrected so that the dimension line stays where it
    // was when the edge it is measured from moves.
    void Resize(int dx, int dy) override;

    // Reads a data block as it is, unplaced; FALSE, and the arrow unchanged, when it is not a
    // size arrow's block.
    virtual BOOL SetObData(const QByteArray& block);

    int m_nOffset = 0; // text units
    BOOL m_bHorizontal = TRUE;
};
