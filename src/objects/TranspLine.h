#pragma once
// CTranspLine: a straight line between two end points. The points are grabbed and dragged one by
// one (hit codes 6 and 8) or together by the body; the graphic rectangle always follows them as
// their bounding box. The arrow (TranspArrow.h) shares the end-point handling below.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <cstddef>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of a line's data block, and the block's size.
enum : LONG { CLIPKIND_LINE = 3 };
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

// What the line and the arrow share: two end points grabbed, marked, stored and carried alike.
namespace LineEnds {
// The normalised rectangle the two points span.
RECT BoundingRect(LONG x1, LONG y1, LONG x2, LONG y2);
// A client point within half a handle of the first end gives 6, of the second 8 (the first is
// tested first); otherwise a point in the bounds gives 1, any other 0.
int GetCapture(const CTranspGraphClass& obj, POINT ptUnit1, POINT ptUnit2, POINT point);
// Applies a mouse delta for the hit code: 6 moves the first end, 8 the second, 1 both (not
// while a tool is still drawing the object out). Returns whether anything moved.
bool MoveEnds(int nCapture, BOOL bCreating, LONG& x1, LONG& y1, LONG& x2, LONG& y2, int dx, int dy);
// The marks of a screen drawing on device points p1 and p2: a frame with midpoints when the
// stroke spans more than a handle both ways, otherwise squares at both ends and the middle;
// crosses at both ends of a disabled line.
void DrawMarks(const CTranspBaseClass& obj, CDC* pDC, POINT p1, POINT p2);
// The stored record of a line or an arrow: the 56-byte structure of version 1 with the points
// scaled to the screen resolution.
void Serialize(CTranspGraphClass& obj, CArchive& ar, LONG& x1, LONG& y1, LONG& x2, LONG& y2);
// The data block: points at 24, line width at 40, colour at 44.
QByteArray MakeBlock(const CTranspGraphClass& obj, LONG nKind, LONG x1, LONG y1, LONG x2, LONG y2);
// Reads a block of the kind; false, and nothing changed, when it is not one.
bool ReadBlock(CTranspGraphClass& obj, const QByteArray& block, LONG nKind, LONG& x1, LONG& y1,
               LONG& x2, LONG& y2);
// The undo snapshot (LINEUNDOSTATE), and the object set from one; false for a null snapshot.
UndoState GetUndoState(const CTranspGraphClass& obj, LONG x1, LONG y1, LONG x2, LONG y2);
bool SetUndoState(CTranspGraphClass& obj, const void* pState, LONG& x1, LONG& y1, LONG& x2,
                  LONG& y2);
} // namespace LineEnds

class CTranspLine : public CTranspGraphClass {
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

    using CTranspBaseClass::MoveBy;

    void Serialize(CArchive& ar) override;
    // The graphic repaint rectangle and one pixel more.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    void MoveBy(int dx, int dy) override;
    QByteArray GetObData() const override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    void Resize(int dx, int dy) override;
    int GetCapture(POINT point) const override;

    // Reads a data block as it is, unplaced; FALSE, and the line unchanged, when it is not a
    // line's block.
    BOOL SetObData(const QByteArray& block);
    // Moves a line not yet shown so that the top-left of its rectangle lies at (x, y).
    void PlaceAt(int x, int y);

    LONG m_x1 = 0;
    LONG m_y1 = 0;
    LONG m_x2 = 0;
    LONG m_y2 = 0;

private:
    void RecalcRect();
};
