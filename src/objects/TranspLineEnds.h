#pragma once
// CTranspLineEnds: what the line (TranspLine.h) and the arrow (TranspArrow.h) share, two end
// points in text units. The points are grabbed and dragged one by one (hit codes 6 and 8) or
// together by the body; the graphic rectangle always follows them as their bounding box. Both
// kinds store the same record and carry the same data block, each under its own clipboard kind;
// each draws itself and sizes its own repaint rectangle.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <cstddef>

class CArchive;
class CDC;

// The size of a line's or an arrow's data block.
constexpr LONG LINE_BLOCK_SIZE = 48;

// The undo snapshot of a line or an arrow: colour, line width, then the end points.
struct LINEUNDOSTATE {
    COLORREF crColor = 0;
    LONG nLineWidth = 0;
    LONG x1 = 0;
    LONG y1 = 0;
    LONG x2 = 0;
    LONG y2 = 0;
};
static_assert(sizeof(LINEUNDOSTATE) == 24 && offsetof(LINEUNDOSTATE, x1) == 8 &&
              offsetof(LINEUNDOSTATE, y2) == 20);

class CTranspLineEnds : public CTranspGraphClass {
public:
    // For the document's loader, which then reads the record.
    CTranspLineEnds(IObjectHost* pView, int nPage);
    // From the kind's tool: the end points in text units.
    CTranspLineEnds(IObjectHost* pView, int x1, int y1, int x2, int y2, COLORREF crColor,
                    int nLineWidth, int nPage);

    using CTranspBaseClass::MoveBy;

    // The 56-byte structure of version 1 with the points scaled to the screen resolution.
    void Serialize(CArchive& ar) override;
    void MoveBy(int dx, int dy) override;
    // The data block under the kind's clipboard code: points at 24, line width at 40, colour at
    // 44.
    QByteArray GetObData() const override;
    // The object set from a LINEUNDOSTATE; a null snapshot changes nothing.
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    BOOL IsSameHistoryState(const void* pA, const void* pB) const override;
    // 6 moves the first end, 8 the second, 1 both (not while a tool is still drawing the object
    // out).
    void Resize(int dx, int dy) override;
    // A client point within half a handle of the first end gives 6, of the second 8 (the first
    // is tested first); otherwise a point in the bounds gives 1, any other 0.
    int GetCapture(POINT point) const override;

    // Reads a data block as it is, unplaced; FALSE, and the object unchanged, when it is not a
    // block of the kind's clipboard code.
    BOOL SetObData(const QByteArray& block);
    // Moves an object not yet shown so that the top-left of its rectangle lies at (x, y).
    void PlaceAt(int x, int y);

    LONG m_x1 = 0;
    LONG m_y1 = 0;
    LONG m_x2 = 0; // an arrow's tip
    LONG m_y2 = 0;

protected:
    // The clipboard kind code of the kind's data block.
    virtual LONG GetClipKind() const = 0;
    // The marks of a screen drawing with the ends at device points p1 and p2: a frame with
    // midpoints when the stroke spans more than a handle both ways, otherwise squares at both
    // ends and the middle; crosses at both ends of a disabled object.
    void DrawEndMarks(CDC* pDC, POINT p1, POINT p2) const;

private:
    // Applies a delta for the hit code (HIT_TOPLEFT the first end, HIT_BOTTOMRIGHT the second,
    // HIT_BODY both).
    void MoveEnds(int nCapture, BOOL bCreating, int dx, int dy);
    // MoveEnds on a shown object: repaints what it covered and covers, and marks the document
    // modified when the delta is not zero.
    void DragEnds(int nCapture, BOOL bCreating, int dx, int dy);
    void RecalcRect();
};
