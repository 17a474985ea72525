#pragma once
// CTranspFreehand: a stroke drawn with the mouse, a polyline of any number of points in text
// units. Its rectangle is always the bounding box of the points, right and bottom one past the
// largest x and y, so a stroke of one point covers one unit. A stroke is moved, never resized:
// only the body hit code drags it.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <memory>
#include <vector>

// The clipboard kind code of a freehand's data block and the version of its layout.
enum : LONG { CLIPKIND_FREEHAND = 4, FREEHAND_BLOCK_VERSION = 1 };
// Offsets of the freehand's data block: version at 8, the unit scale at 16, line width 24,
// colour 28, the number of points n at 32, the points (x, y) from 36; the block is 48 + 8n bytes,
// the rest zero.
enum : int {
    FREEHAND_BLOCK_WIDTH = 24,
    FREEHAND_BLOCK_COLOR = 28,
    FREEHAND_BLOCK_COUNT = 32,
    FREEHAND_BLOCK_POINTS = 36,
    FREEHAND_BLOCK_OVERHEAD = 48,
};

class CTranspFreehand : public CTranspGraphClass {
public:
    // For the document's loader, which then reads the record: no points yet.
    CTranspFreehand(IObjectHost* pView, int nPage);
    // The stroke of the freehand and polygon tools: a copy of the points, in text units.
    CTranspFreehand(IObjectHost* pView, const POINT* pPoints, int nCount, COLORREF crColor,
                    int nLineWidth, int nPage);
    // From a clipboard data block, placed so that the top-left of its bounding box lands on
    // (x, y) in text units. A block that is not a freehand's, or does not hold the points it
    // counts, leaves the stroke without points (IsEmpty).
    CTranspFreehand(IObjectHost* pView, const QByteArray& block, int x, int y, int nPage);
    // The same as the factory takes it: null when the block is not a freehand's.
    static std::unique_ptr<CTranspFreehand> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                      POINT pt, int nPage);

    using CTranspBaseClass::MoveBy;

    // The stored record: the 48-byte structure of version 1, then the points.
    void Serialize(CArchive& ar) override;
    // The graphic repaint rectangle and one pixel more, for the pen's round ends.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    // A stroke without points shows nothing and is not worth keeping.
    BOOL IsEmpty() const override;
    // Moves every point.
    void MoveBy(int dx, int dy) override;
    QByteArray GetObData() const override;
    // The graphic snapshot; the points follow the restored rectangle's top-left.
    void SetUndoState(const void* pState) override;
    // Only the body code moves the stroke; edges and corners do nothing.
    void Resize(int dx, int dy) override;

    const std::vector<POINT>& GetPoints() const { return m_points; }
    int GetPointCount() const { return int(m_points.size()); }

    // The points, text units; m_rect is their bounding box.
    std::vector<POINT> m_points;

private:
    void RecalcRect();
    void SerializeRecord(CArchive& ar);
    bool ReadBlock(const QByteArray& block, int x, int y);
};
