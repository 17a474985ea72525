#pragma once
// CTranspBrace: a curly bracket in its rectangle. The spine runs along one edge with a point in
// its middle that sticks out of the rectangle; the arms run along the two neighbouring edges to
// the opposite one. The bends are quarter circles drawn point by point.

#include "objects/TranspRectShape.h"

#include <QByteArray>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of a bracket's data block, and the block's size.
enum : LONG { CLIPKIND_BRACE = 14 };
constexpr LONG BRACE_BLOCK_SIZE = 56;

// Which edge carries the spine (the point sticks out of that edge); any other value is the top.
enum : int { BRACESTYLE_LEFT = 1, BRACESTYLE_TOP = 2, BRACESTYLE_RIGHT = 3, BRACESTYLE_BOTTOM = 4 };

// Radius of the bends, page pixels; drawn at this size in view pixels, also when printing.
constexpr LONG BRACE_CORNER_RADIUS = 6;

class CTranspBrace : public CTranspRectShape {
public:
    // For the document's loader, which then reads the record.
    CTranspBrace(IObjectHost* pView, int nPage);
    // From the bracket tool, which also chooses the style.
    CTranspBrace(IObjectHost* pView, const RECT& rect, COLORREF crColor, int nLineWidth, int nPage,
                 int nBraceStyle);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a bracket's.
    static std::unique_ptr<CTranspBrace> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                   POINT pt, int nPage);

    void Serialize(CArchive& ar) override;
    // The graphic repaint rectangle and the bend radius, which the point reaches beyond the
    // rectangle.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;

    // Reads a data block as it is, unplaced; FALSE, and the bracket unchanged, when it is not a
    // bracket's block.
    BOOL SetObData(const QByteArray& block);

    int m_nBraceStyle = BRACESTYLE_LEFT;
};
