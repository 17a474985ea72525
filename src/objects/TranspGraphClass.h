#pragma once
// CTranspGraphClass: what the graphic kinds (lines, arrows, shapes, marks, freehand, pictures)
// share on top of the base: a rectangle in text units, an outline colour, a line width, the
// eight-handle hit test, the resize rules and the mouse protocol that drives them.

#include "objects/TranspBaseClass.h"
#include "platform/Guard.h"

#include <QByteArray>
#include <QCursor>
#include <cstddef>
#include <memory>

// The undo snapshot of a graphic object: its rectangle, colour and line width.
struct GRAPHUNDOSTATE {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    COLORREF crColor = 0;
    LONG nLineWidth = 0;
};
static_assert(sizeof(GRAPHUNDOSTATE) == 24 && offsetof(GRAPHUNDOSTATE, crColor) == 16 &&
              offsetof(GRAPHUNDOSTATE, nLineWidth) == 20);

class CTranspGraphClass : public CTranspBaseClass {
public:
    CTranspGraphClass(IObjectHost* pView, int nPage);
    CTranspGraphClass(IObjectHost* pView, const RECT& rect, COLORREF crColor, int nLineWidth,
                      int nPage);

    using CTranspBaseClass::MoveBy;

    // m_rect as it is.
    void GetAlignRect(RECT* pRect) const override;
    // m_rect normalised, unit -> page -> client, inflated by half a handle (3 pixels).
    void GetBoundsRect(RECT* pRect) const override;
    // The bounds, further inflated when half the pixel line width exceeds 3.
    void GetRepaintRect(RECT* pRect) const override;
    BOOL OnLButtonDown(UINT nFlags, POINT point) override;
    BOOL OnMouseMove(UINT nFlags, POINT point) override;
    void OnLButtonUp(UINT nFlags, POINT point) override;
    void MoveBy(int dx, int dy) override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    BOOL IsSameHistoryState(const void* pA, const void* pB) const override;

    // Applies a mouse delta in text units according to m_nCapture (the rectangle may invert while
    // dragging; button-up normalises it).
    virtual void Resize(int dx, int dy);
    // The hit code (HIT_) of a client point.
    virtual int GetCapture(POINT point) const;

    void SetColor(COLORREF crColor);
    void SetLineWidth(int nLineWidth);
    // The line width in view pixels: (width, width) unit -> page -> view, its x.
    int GetPixelLineWidth() const;
    // The cursor shown while hovering over hit codes 1 to 9; false for any other code.
    bool GetCaptureCursor(int nCode, QCursor& cursor) const;

    COLORREF m_crColor = 0;
    int m_nLineWidth = 0; // text units
    RECT m_rect;          // text units; normalised after every mouse-driven change
    int m_nCapture = HIT_NONE;

protected:
    // The FromBlock of a kind T: a new object read from a data block with T::SetObData and placed
    // with T::PlaceAt at pt (text units); null when the block is not one of T's.
    template <class T>
    static std::unique_ptr<T> PlacedFromBlock(IObjectHost* pView, const QByteArray& block, POINT pt,
                                              int nPage) {
        DEF_TRY
        auto obj = std::make_unique<T>(pView, nPage);
        if (!obj->SetObData(block)) return nullptr;
        obj->PlaceAt(pt.x, pt.y);
        return obj;
        DEF_CATCH
        return nullptr;
    }
};
