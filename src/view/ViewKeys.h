#pragma once
// The keys a view handles itself: typing into the active object (a callout's line following its
// text box), the editing and arrow keys, nudging the selection or the active object, Delete,
// Escape, Tab through the page's fields, and the hand tool's keys.

class CLumidorView;
class QKeyEvent;

class CViewKeys {
public:
    explicit CViewKeys(CLumidorView& view) : m_view(view) {}

    // True when the key was the view's.
    bool OnKeyDown(const QKeyEvent& event);
    bool OnKeyUp(const QKeyEvent& event);

private:
    // Gives a character or key to the active object; the line of a callout's text box follows
    // the box as it grows.
    void SendToActive(unsigned nChar, unsigned flags);

    CLumidorView& m_view;
};
