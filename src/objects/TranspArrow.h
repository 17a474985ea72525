#pragma once
// CTranspArrow: a line with an arrowhead at its second point (the tip). It handles its end
// points as the line does, draws in its own colour also during tab-order display, and repaints
// a margin wide enough for the barbs.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of an arrow's data block (the block has the line's layout).
enum : LONG { CLIPKIND_ARROW = 11 };

// Length of each barb of an arrowhead, text units (the arrow and the size arrow).
constexpr LONG ARROW_BARB_LENGTH = 15000;
// The angle of each barb off the reversed shaft, radians: the double 0x3FE0C131D5ACB6F5, 3.1415
// / 6, kept as it is so that arrowheads come out as they always have.
constexpr double ARROW_BARB_ANGLE = 0.5235833333333334;
class CTranspArrow : public CTranspGraphClass {
public:
    // For the document's loader, which then reads the record.
    CTranspArrow(IObjectHost* pView, int nPage);
    // From the arrow tool: the tail and the tip in text units.
    CTranspArrow(IObjectHost* pView, int x1, int y1, int x2, int y2, COLORREF crColor,
                 int nLineWidth, int nPage);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not an arrow's.
    static std::unique_ptr<CTranspArrow> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                   POINT pt, int nPage);

    using CTranspBaseClass::MoveBy;

    void Serialize(CArchive& ar) override;
    // The graphic repaint rectangle and the reach of the barbs: a barb ends at most its length
    // from the tip, whatever the direction and length of the shaft.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    void MoveBy(int dx, int dy) override;
    QByteArray GetObData() const override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    void Resize(int dx, int dy) override;
    int GetCapture(POINT point) const override;

    // Reads a data block as it is, unplaced; FALSE, and the arrow unchanged, when it is not an
    // arrow's block.
    BOOL SetObData(const QByteArray& block);
    // Moves an arrow not yet shown so that the top-left of its rectangle lies at (x, y).
    void PlaceAt(int x, int y);

    // The ends of the two barbs of a head whose shaft runs from p1 to the tip p2, in device
    // pixels, for a barb length of nBarb pixels; the offsets are truncated toward zero.
    static void GetBarbEnds(POINT p1, POINT p2, int nBarb, POINT& barb1, POINT& barb2);

    LONG m_x1 = 0;
    LONG m_y1 = 0;
    LONG m_x2 = 0; // the tip
    LONG m_y2 = 0;

private:
    void RecalcRect();
};
