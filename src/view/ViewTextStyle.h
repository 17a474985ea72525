#pragma once
// The view's side of the text style controls. The main frame delivers each change of its
// current text style, and of its line width and line colour, to the active view, which hands it
// to the objects it concerns: text objects copy only the property the change code names,
// graphic objects take the outline width and colour. In the other direction, an object that
// becomes active shows its style and tab-order number in the controls. The view never reaches
// the frame itself; the frame installs a link.

#include "platform/WinTypes.h"

#include <QString>
#include <functional>
#include <vector>

class CLumidorView;
class CTranspBaseClass;
class CTranspGraphClass;

// What the view needs of the main frame's text style controls.
struct TextStyleLink {
    // The frame's current text style: the one the controls show.
    std::function<TEXTSTYLE()> currentStyle;
    // The property of the style being delivered (the change code); 0 while none is.
    std::function<int()> changeCode;
    // Shows an object's style in the controls without delivering it back.
    std::function<void(const TEXTSTYLE&)> showStyle;
    // Shows the active object's tab-order number ("" without an active object).
    std::function<void(const QString&)> showTabOrder;
    // The colour and width (text units) that new lines and shapes get.
    std::function<COLORREF()> lineColor;
    std::function<int()> lineWidth;
};

class CViewTextStyle {
public:
    explicit CViewTextStyle(CLumidorView& view) : m_view(view) {}

    void SetLink(TextStyleLink link) { m_link = std::move(link); }
    // The controls are there: a frame has installed its link.
    bool IsReady() const { return bool(m_link.currentStyle); }
    int GetChangeCode() const { return m_link.changeCode ? m_link.changeCode() : 0; }
    // What new objects get: the frame's current text style, line colour and line width (text
    // units); without a frame the default style, black and 0.
    TEXTSTYLE GetCurrentStyle() const;
    COLORREF GetLineColor() const { return m_link.lineColor ? m_link.lineColor() : 0; }
    int GetLineWidth() const { return m_link.lineWidth ? m_link.lineWidth() : 0; }
    // Shows a text object's style in the controls without delivering it back.
    void ShowStyle(const TEXTSTYLE& style) const {
        if (m_link.showStyle) m_link.showStyle(style);
    }

    // Every text object concerned takes the style, as far as the change code says.
    void SetTextStyle(const TEXTSTYLE& style);
    // Graphic objects take the width (text units); text objects the frame's current style with
    // this rule width.
    void SetLineWidth(int nWidth);
    // Graphic objects take the outline colour; text objects the frame's current style with this
    // text and rule colour.
    void SetLineColor(COLORREF color);
    // The controls follow the active object: a text object shows its style, every object its
    // tab-order number.
    void SetToolbarsState();

    // The active object's position in its page's object list ("%d"), "" without one.
    QString GetTabOrderIndex() const;

private:
    // The objects a change of the controls concerns: the selected objects of the active page
    // and the active object, each once.
    std::vector<CTranspBaseClass*> Targets() const;
    // Text targets take the frame's current style as `toStyle` changes it, graphic ones
    // `toGraphic`.
    void ApplyLine(const std::function<void(TEXTSTYLE&)>& toStyle,
                   const std::function<void(CTranspGraphClass&)>& toGraphic);

    CLumidorView& m_view;
    TextStyleLink m_link;
};
