#pragma once
// CTranspCheckMark: a check box on a form that the user ticks. A click without a drag toggles
// the tick, and so do Space and Enter; a drag moves it, and only its corners resize it. In form
// mode it cannot be moved or resized. Only the tick is printed; the box outline is a screen aid,
// drawn blue in form mode and dotted otherwise. Its undo list holds its tick states.

#include "objects/TranspRectShape.h"

#include <QByteArray>
#include <memory>

class CArchive;
class CDC;

// Clipboard kind code of a check mark's data block, the block's size and its version; blocks of
// version 1 (48 bytes, without the tick state) are read too.
enum : LONG { CLIPKIND_CHECKMARK = 7 };
constexpr LONG CHECKMARK_BLOCK_SIZE = 56;
constexpr LONG CHECKMARK_BLOCK_VERSION = 2;
// The smallest side a new check mark gets, page pixels.
constexpr LONG CHECKMARK_MIN_SIDE = 20;

// The size of the next check mark a tool creates, inches: the size of the last check mark drawn
// focused on screen. Program-wide, user-interface thread only.
extern double g_dCheckMarkWidth;
extern double g_dCheckMarkHeight;
// Set by a button-down on a check mark and cleared by the next mouse-move or button-up: a
// button-up that finds it still set was a click without a drag.
extern BOOL g_bCheckMarkClicked;

class CTranspCheckMark : public CTranspRectShape {
public:
    // (pView, nPage) for the document's loader, which then reads the record; (pView, rect,
    // colour, line width, page) for the conversion of old documents.
    using CTranspRectShape::CTranspRectShape;
    // From the check-mark tool: a square at (x, y) with the side of the program-wide check-mark
    // width, at least 20 page pixels.
    CTranspCheckMark(IObjectHost* pView, int x, int y, COLORREF crColor, int nLineWidth, int nPage);
    // From a clipboard data block placed with the top-left of its rectangle at pt (text units);
    // null when the block is not a check mark's.
    static std::unique_ptr<CTranspCheckMark> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                       POINT pt, int nPage);

    // The 64-byte structure of version 2; the rectangle is stored unscaled.
    void Serialize(CArchive& ar) override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;
    // The graphic hit code, with the edges counting as the body: a check box is resized only by
    // its corners.
    int GetCapture(POINT point) const override;
    BOOL OnLButtonDown(UINT nFlags, POINT point) override;
    BOOL OnMouseMove(UINT nFlags, POINT point) override;
    void OnLButtonUp(UINT nFlags, POINT point) override;
    // Space and Enter toggle the tick.
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    // The history's state: the rectangle, colour and width as well as the tick.
    UndoState GetHistoryState() const override;
    void SetHistoryState(const void* pState) override;
    BOOL IsSameHistoryState(const void* pA, const void* pB) const override;

    // Toggles the tick, marks the document modified and repaints.
    void InvertState();
    // Reads a data block as it is, unplaced; FALSE, and the check mark unchanged, when it is not
    // a check mark's block.
    BOOL SetObData(const QByteArray& block);

    // The two legs of a tick in a rectangle of device pixels, each a four-point polygon.
    static void GetTickPolygons(const RECT& rc, POINT shortLeg[4], POINT longLeg[4]);

    // Non-zero while the box is ticked; every constructor ticks it.
    BOOL m_bChecked = TRUE;
};
