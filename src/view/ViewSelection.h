#pragma once
// Which object of the view's page the mouse is on, which one is active, which are selected, and
// whether an object is part of a callout (a shape followed by its line and its text box).

#include "platform/WinTypes.h"

#include <vector>

class CLumidorView;
class CTranspBaseClass;

// What CheckAnnotationObject finds: the part the object plays in a callout (0 none, 1 the shape,
// 2 the line, 3 the text box), the shape's kind (1 rectangle, 2 circle, 3 ellipse, 4 freehand)
// and the shape's position in the page's object list.
struct CalloutPart {
    int nPart = 0;
    int nShapeKind = 0;
    int nShapeIndex = -1;
};

class CViewSelection {
public:
    explicit CViewSelection(CLumidorView& view) : m_view(view) {}

    // The topmost enabled object whose box holds the client point, or null.
    CTranspBaseClass* PtInObject(POINT ptClient) const;
    void ActivateObject(CTranspBaseClass* pObject);
    void DeactivateObject(CTranspBaseClass* pObject);
    void DeactivateActiveObject();

    // Every enabled object whose rectangle meets rcClient becomes selected; a rectangle of no
    // height (else of no width) is one pixel high (wide), so that straight lines are caught.
    void SelectObjects(RECT rcClient);
    void DeselectObjects();
    // The other parts of every selected callout part become selected too.
    void SelectAnnotations();
    // Select mode with every object of the page selected.
    void OnEditSelectAll();
    bool CanSelectAll() const;
    // How many objects of the page are selected, and they themselves in list order.
    int GetSelectedCount() const;
    std::vector<CTranspBaseClass*> GetSelected() const;
    bool IsGroup() const { return GetSelectedCount() > 1; }
    // The union of the selected objects' rectangles, text units.
    RECT GetGroupFrameRect() const;

    CalloutPart CheckAnnotationObject(const CTranspBaseClass* pObject) const;
    // After a callout's text box changed from `before` (text units), its line's end moves with
    // the box's bottom-left corner; any other object is left alone.
    void FollowCalloutText(const CTranspBaseClass* pText, const RECT& before);
    // The list positions [first, last] the object stands for: its callout's three, or its own.
    std::pair<int, int> CalloutRange(const CTranspBaseClass* pObject) const;
    // The object's position in the page's object list, -1 when it is not there.
    int IndexOf(const CTranspBaseClass* pObject) const;

private:
    CLumidorView& m_view;
};
