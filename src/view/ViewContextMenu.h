#pragma once
// The rules of the view's context menu: whether it is offered at a point, and how each of its
// items is enabled or checked there beyond what the command's own state says (in form filling
// only the text being typed is worked on; in cut mode the objects are left alone). The menu
// itself comes from the resource module and is shown by the main frame.

#include "app/CommandTarget.h"
#include "platform/WinTypes.h"

class CLumidorView;

class CViewContextMenu {
public:
    explicit CViewContextMenu(CLumidorView& view) : m_view(view) {}

    // No menu in zoom-in mode; in form filling only over the active text object.
    bool IsOffered(POINT ptClient) const;
    // Narrows the state the command's route gave (it never enables what the route does not).
    void Apply(CCmdUI& ui) const;

private:
    CLumidorView& m_view;
};
