#pragma once
// IObjectHost: everything an annotation object needs from the view that shows it. The view
// implements it over its geometry and window; tests implement it over a bare geometry. Objects
// never include view headers, so this interface is the whole of what they may ask.

#include "objects/ObjectTypes.h"
#include "platform/WinTypes.h"

#include <QCursor>
#include <memory>

class QMimeData;
class QWidget;

class IObjectHost {
public:
    virtual ~IObjectHost() = default;

    // Coordinate conversions between text units, page, view and client pixels, in place.
    // Rectangles convert both corners as points and are not normalised.
    virtual void UnitToPage(POINT& pt) const = 0;
    virtual void UnitToPage(RECT& rc) const = 0;
    virtual void PageToUnit(POINT& pt) const = 0;
    virtual void PageToUnit(RECT& rc) const = 0;
    virtual void PageToView(POINT& pt) const = 0;
    virtual void PageToView(RECT& rc) const = 0;
    virtual void ViewToPage(POINT& pt) const = 0;
    virtual void ViewToPage(RECT& rc) const = 0;
    virtual void ViewToClient(POINT& pt) const = 0;
    virtual void ViewToClient(RECT& rc) const = 0;
    virtual void ClientToPage(POINT& pt) const = 0;
    virtual void ClientToPage(RECT& rc) const = 0;
    virtual void PageToClient(POINT& pt) const = 0;
    virtual void PageToClient(RECT& rc) const = 0;
    // The factor font heights are scaled by on screen (zoom and page to screen resolution).
    virtual double GetFontScaleFactor() const = 0;

    // The window's client area in client pixels.
    virtual RECT GetClientRect() const = 0;
    // Repaints a client rectangle later, without erasing the background first.
    virtual void InvalidateRect(const RECT& rcClient) = 0;
    // Paints what is waiting to be repainted now.
    virtual void UpdateWindow() {}
    // Marks the document of the view modified.
    virtual void SetModified() = 0;

    // The program mode of the main frame (the mouse tool); MODE_FORM while forms are filled in.
    virtual int GetProgramMode() const = 0;
    bool IsFormMode() const { return GetProgramMode() == MODE_FORM; }

    // The window that owns the clipboard and drags; null when there is none (tests, batch).
    virtual QWidget* GetWindow() const = 0;
    // Runs a drag-and-drop of `data` from the window, offering the DROPEFFECT_ flags in
    // `allowedEffects`; returns the effect the drop target chose (DROPEFFECT_NONE when nothing
    // was dropped).
    virtual DWORD DoDragDrop(std::unique_ptr<QMimeData> data, DWORD allowedEffects) = 0;

    // The window's cursor from now on, until the next change.
    virtual void SetCursor(const QCursor& cursor) = 0;
    // The program's cursor for moving an object.
    virtual QCursor GetMoveCursor() const = 0;

    // Keyboard focus and the caret of the window, for objects that take typed text. A host
    // without a window ignores them.
    virtual bool HasFocus() const { return false; }
    virtual void CreateSolidCaret(int /*width*/, int /*height*/) {}
    virtual void SetCaretPos(POINT /*ptClient*/) {}
    virtual void ShowCaret() {}
    virtual void HideCaret() {}
    virtual void DestroyCaret() {}
    // The warning sound for refused input.
    virtual void MessageBeep() {}
    // Which property of the text style the main frame is delivering (its change code); 0 while
    // no single change is delivered, and text objects then take the whole style.
    virtual int GetTextStyleChangeCode() const { return 0; }
};
