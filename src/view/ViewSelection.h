#pragma once
// Which object of the view's page the mouse is on, which one is active, which are selected, and
// whether an object is part of a callout (a shape followed by its line and its text box).

#include "platform/WinTypes.h"

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
    void DeselectObjects();
    // How many objects of the page are selected.
    int GetSelectedCount() const;
    CalloutPart CheckAnnotationObject(const CTranspBaseClass* pObject) const;

private:
    CLumidorView& m_view;
};
