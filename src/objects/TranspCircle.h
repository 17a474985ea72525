#pragma once
// CTranspCircle: a hollow circle held as centre and radius. It is resized by its edges only (its
// corners move it, as the body does); dragging an edge across the centre turns the drag into
// one of the opposite edge, so the circle grows again instead of turning inside out.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <cstddef>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of a circle's data block, and the block's size.
enum : LONG { CLIPKIND_CIRCLE = 9 };
constexpr LONG CIRCLE_BLOCK_SIZE = 40;

// The undo snapshot of a circle: colour, line width, centre and radius.
struct CIRCLEUNDOSTATE {
    COLORREF crColor = 0;
    LONG nLineWidth = 0;
    LONG cx = 0;
    LONG cy = 0;
    LONG nRadius = 0;
};
static_assert(sizeof(CIRCLEUNDOSTATE) == 20 && offsetof(CIRCLEUNDOSTATE, cx) == 8 &&
              offsetof(CIRCLEUNDOSTATE, nRadius) == 16);

class CTranspCircle : public CTranspGraphClass {
public:
    // For the document's loader, which then reads the record.
    CTranspCircle(IObjectHost* pView, int nPage);
    // From the circle tool: centre and radius in text units.
    CTranspCircle(IObjectHost* pView, int cx, int cy, int r, COLORREF crColor, int nLineWidth,
                  int nPage);
    // From a clipboard data block, centred at pt (text units) with the block's radius; null when
    // the block is not a circle's.
    static std::unique_ptr<CTranspCircle> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                    POINT pt, int nPage);

    using CTranspBaseClass::MoveBy;

    void Serialize(CArchive& ar) override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    void MoveBy(int dx, int dy) override;
    QByteArray GetObData() const override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    BOOL IsSameHistoryState(const void* pA, const void* pB) const override;
    void Resize(int dx, int dy) override;
    // The graphic hit code, with the corners counting as the body.
    int GetCapture(POINT point) const override;

    // Reads a data block's radius, line width and colour; FALSE, and the circle unchanged, when
    // it is not a circle's block.
    BOOL SetObData(const QByteArray& block);
    // Moves a circle not yet shown so that its centre lies at (x, y).
    void PlaceAt(int x, int y);

    LONG m_cx = 0;
    LONG m_cy = 0;
    LONG m_nRadius = 0;

private:
    void RecalcRect();
};
