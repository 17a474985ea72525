#pragma once
// CTranspBaseClass: the base of every annotation object on a page. It holds what all kinds share:
// the view that shows the object, its page, name, focus, selection and disabled states, the
// tab-order number, a private undo list of state snapshots, and the drag-out protocol. Geometry
// is kept in text units; the view's conversions turn it into pixels.

#include "objects/ObjectHost.h"
#include "objects/ObjectTypes.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <memory>
#include <vector>

class CArchive;
class CDC;
class QMimeData;

// One state snapshot of an object. Each kind makes and reads its own plain structure; the undo
// list owns the snapshots and frees them with the right type.
using UndoState = std::shared_ptr<void>;

class CTranspBaseClass {
public:
    CTranspBaseClass(IObjectHost* pView, int nPage);
    virtual ~CTranspBaseClass();
    CTranspBaseClass(const CTranspBaseClass&) = delete;
    CTranspBaseClass& operator=(const CTranspBaseClass&) = delete;

    // The kind's stored record (the base writes and reads nothing).
    virtual void Serialize(CArchive& ar);
    // Output on a page of a PDF writer: Draw with printing on and the device's resolution.
    virtual void DrawOnPDFPage(CDC* pDC);
    // Rectangle used by the align commands, in text units.
    virtual void GetAlignRect(RECT* pRect) const = 0;
    // Hit rectangle in client pixels.
    virtual void GetBoundsRect(RECT* pRect) const = 0;
    // Client rectangle to repaint when the object changes; the bounds unless a kind draws outside.
    virtual void GetRepaintRect(RECT* pRect) const;
    // Draws the object. On screen the device context is set up for view coordinates; printing
    // uses the device's resolution, or *pDpi when given.
    virtual void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi);
    virtual void Undo();
    virtual void Redo();
    virtual BOOL CanUndo() const;
    virtual BOOL CanRedo() const;
    virtual BOOL IsEmpty() const;
    // Mouse input in client pixels; nFlags holds MK_ flags. A FALSE result from button-down or
    // move tells the view that the object did not take the event (or ran a drag-and-drop).
    virtual BOOL OnLButtonDown(UINT nFlags, POINT point);
    virtual BOOL OnMouseMove(UINT nFlags, POINT point);
    virtual void OnLButtonUp(UINT nFlags, POINT point);
    virtual void OnLButtonDblClk(UINT nFlags, POINT point);
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    // Drops onto the object: the effect it would take (DROPEFFECT_), and whether it took the data.
    virtual DWORD OnDragOver(const QMimeData* pData, DWORD dwKeyState, POINT point);
    virtual BOOL OnDrop(const QMimeData* pData, DWORD dropEffect, POINT point);
    virtual void SetFocused(BOOL bFocused);
    virtual void SetSelected(BOOL bSelected);
    // Moves the object by a distance in text units.
    virtual void MoveBy(int dx, int dy) = 0;
    virtual void SetView(IObjectHost* pView);
    virtual int GetPageIndex() const;
    virtual BOOL PtInBox(POINT point) const;
    // The object's clipboard data block; empty when it cannot be made.
    virtual QByteArray GetObData() const = 0;
    virtual BOOL CanCopy() const;
    // What a copy or drag of the whole object offers: its data block under the object format,
    // and what other programs understand of it (a picture's bitmap, a text's words).
    virtual std::unique_ptr<QMimeData> MakeMimeData() const;
    // Offers the whole object for a drag-and-drop copy.
    virtual void BeginDrag();
    // Puts the object's data block on the clipboard under the object format.
    virtual void CopyToClipboard();
    // The whole object onto the clipboard, whatever CanCopy says: a text chosen on the page
    // rather than being edited goes as the object.
    void CopyWholeToClipboard() const;
    // Remembers the object's place at button-down, to put it back when a drag leaves the window.
    virtual void SavePosition();
    virtual void RestorePosition();
    virtual void SetAnnotationMode(int nMode);
    virtual int GetAnnotationMode() const;
    // Records the current state as the newest undo snapshot, dropping the states undone before.
    virtual void AddUndo();
    virtual void SetUndoState(const void* pState);
    virtual UndoState GetUndoState() const;
    // The object's whole state for the document's history: its undo snapshot, unless the kind's
    // snapshot leaves out something a user can change (a check mark's holds only the tick).
    virtual UndoState GetHistoryState() const { return GetUndoState(); }
    virtual void SetHistoryState(const void* pState) { SetUndoState(pState); }
    // Whether two history states of this object describe the same state (the caret of a text
    // does not count): the history tells a changed object from an unchanged one by it.
    virtual BOOL IsSameHistoryState(const void* pA, const void* pB) const;
    // Forgets the undone and earlier states: the current state is the only one kept. The
    // document's history calls it after it has set the object back or forward itself.
    void ResetUndo();
    virtual QByteArray GetObjectName() const;
    virtual void SetObjectName(const char* pszName);

    // Conversions through the view; without a view the value is left as it is.
    void UnitToPage(POINT& pt) const;
    void UnitToPage(RECT& rc) const;
    void PageToUnit(POINT& pt) const;
    void PageToUnit(RECT& rc) const;
    void PageToView(POINT& pt) const;
    void PageToView(RECT& rc) const;
    void ViewToPage(POINT& pt) const;
    void ViewToPage(RECT& rc) const;
    void PageToClient(POINT& pt) const;
    void PageToClient(RECT& rc) const;
    void ClientToPage(POINT& pt) const;
    void ClientToPage(RECT& rc) const;
    void ViewToClient(POINT& pt) const;
    void ViewToClient(RECT& rc) const;
    // floor(inches / unit scale): an inch length in text units of the program-wide unit scale.
    static int InchToUnit(double inches);
    // Geometry in text units to the coordinates of a drawing: on screen unit -> page -> view;
    // when printing floor(units * unit scale * resolution), the resolution being the device's
    // LOGPIXELSX/Y or *pDpi when given.
    void UnitToDevice(POINT& pt, CDC* pDC, BOOL bPrinting, const POINT* pDpi) const;
    void UnitToDevice(RECT& rc, CDC* pDC, BOOL bPrinting, const POINT* pDpi) const;
    static POINT GetOutputResolution(CDC* pDC, const POINT* pDpi);

    // Invalidates, without erasing, the repaint rectangle united with *pExtra.
    void Repaint(const RECT* pExtra = nullptr);
    void SetModified();
    // The view's entry point for drawing: the first screen draw records the initial state.
    void DrawScreen(CDC* pDC, BOOL bPrinting, const POINT* pDpi);
    void MoveBy(POINT pt);
    void AlignLeftTo(int x);
    void AlignRightTo(int x);
    void AlignTopTo(int y);
    void AlignBottomTo(int y);
    void SetTabOrder(int nTabOrder);
    // The outline colour to draw with: crOwn, or the tab-order colours during tab-order display.
    COLORREF GetOutlineColor(COLORREF crOwn) const;
    // The one kind of mark a screen drawing ends with: selection handles, else the cross marks of
    // a disabled object, else the focus marks; rc in the drawing's coordinates.
    void DrawMarks(CDC* pDC, const RECT& rc, BOOL bMidpoints) const;

    // Mark painters, centred on the given points, HANDLE_SIZE pixels square.
    static void DrawSelectSquare(CDC* pDC, int x, int y);
    static void DrawSelectFrame(CDC* pDC, const RECT& rect, BOOL bMidpoints);
    static void DrawFocusSquare(CDC* pDC, int x, int y);
    static void DrawFocusFrame(CDC* pDC, const RECT& rect, BOOL bMidpoints);
    static void DrawFreezeMark(CDC* pDC, int x, int y);
    static void DrawFreezeFrame(CDC* pDC, const RECT& rect);

    // The view that shows the object; not owned; null while the object is being loaded.
    IObjectHost* m_pView = nullptr;
    int m_nPage = 0;
    BOOL m_bFocused = FALSE;
    BOOL m_bSelected = FALSE;
    // The left button went down on the object and has not come up.
    BOOL m_bTracking = FALSE;
    // The last mouse position while tracking, client pixels.
    POINT m_ptLast;
    BOOL m_bPositionSaved = FALSE;
    RECT m_rcSaved; // text units
    QByteArray m_strName = "Untitled";
    // Set by the view while a tool draws the object out: no drag-out then.
    BOOL m_bCreating = FALSE;
    COLORREF m_crTabOrder = 0x808080;
    COLORREF m_crTabOrderFocused = 0x000000;
    int m_nTabOrder = 0;
    BOOL m_bTabOrderDisplay = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bFirstDraw = TRUE;

protected:
    // Snapshots, newest first; m_nUndoPos is the index of the one matching the current state.
    std::vector<UndoState> m_undoList;
    int m_nUndoPos = 0;

private:
    void StepUndo(int delta);
};
