#pragma once
// The objects the drawing tools make when a gesture ends. Every operation takes client pixels,
// converts them to page pixels and on to text units, gives the object the current line colour and
// width (a text box the current text style), names it uniquely, puts it on top of the active page
// and, when asked, makes it the active object. CreateAnnotation adds the automatic callout of a
// shape just made: a line out of the shape and a text box at the line's end.

#include "platform/WinTypes.h"

#include <memory>
#include <vector>

class CLumidorView;
class CTranspBaseClass;

class CViewCreation {
public:
    explicit CViewCreation(CLumidorView& view) : m_view(view) {}

    CTranspBaseClass* CreateTextBox(POINT point, const TEXTSTYLE& style, bool activate);
    CTranspBaseClass* CreateCheckMark(POINT point, bool activate);
    CTranspBaseClass* CreateRectangle(RECT rect, bool activate);
    CTranspBaseClass* CreateEllipse(RECT rect, bool activate);
    CTranspBaseClass* CreateCircle(POINT centre, int radius, bool activate);
    CTranspBaseClass* CreateLine(POINT from, POINT to, bool activate);
    CTranspBaseClass* CreateArrow(POINT from, POINT to, bool activate);
    CTranspBaseClass* CreateSizeArrow(RECT rect, bool horizontal, bool activate);
    CTranspBaseClass* CreateBracket(RECT rect, int orientation, bool activate);
    // A stroke through client points; a polygon is a closed stroke of page points.
    CTranspBaseClass* CreateFreehand(const std::vector<POINT>& pointsClient, bool activate);
    CTranspBaseClass* CreatePolygon(const std::vector<POINT>& pointsPage, bool activate);
    // The callout of the active object, when the view makes shapes with an annotation.
    void CreateAnnotation();

    // The length of a callout's line (page pixels) and the side it leaves its shape by, as
    // CreateAnnotation chooses them: 0 right above the shape, 1 up, 2 left, 3 right, 4 down.
    int CalloutLength() const;
    int CalloutDirection(const RECT& rcShapePage, int orientation, bool nearOption) const;
    // The height (page pixels) of the last callout's text box.
    int GetCalloutTextHeight() const { return m_nCalloutTextHeight; }

    // Names the object, appends it to the active page and activates it or tells it that it is
    // not focused; the object, or null when the page refused it.
    CTranspBaseClass* Append(std::unique_ptr<CTranspBaseClass> object, bool activate);
    POINT ClientToUnit(POINT pt) const;

private:
    RECT ClientToUnit(RECT rc) const;
    POINT PageToUnit(POINT pt) const;
    CTranspBaseClass* MakeLine(POINT fromPage, POINT toPage);
    // The kinds made alike: from a client rectangle, from two client points, from text units.
    template <typename Shape> CTranspBaseClass* MakeRectShape(RECT rect, bool activate);
    template <typename Shape> CTranspBaseClass* MakeLineEnds(POINT from, POINT to, bool activate);
    CTranspBaseClass* MakeStroke(std::vector<POINT> units, bool activate);

    CLumidorView& m_view;
    int m_nCalloutTextHeight = 0;
};
