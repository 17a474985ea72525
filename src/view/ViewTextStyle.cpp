#include "view/ViewTextStyle.h"

#include "app/ProfileRecords.h"
#include "document/LumidorDoc.h"
#include "objects/TranspGraphClass.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <algorithm>

std::vector<CTranspBaseClass*> CViewTextStyle::Targets() const {
    std::vector<CTranspBaseClass*> targets;
    CLumidorDoc* doc = m_view.GetDocument();
    if (const CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr)
        for (const auto& o : *list)
            if (o->m_bSelected) targets.push_back(o.get());
    CTranspBaseClass* active = m_view.GetActiveObject();
    if (active && std::find(targets.begin(), targets.end(), active) == targets.end())
        targets.push_back(active);
    return targets;
}

void CViewTextStyle::SetTextStyle(const TEXTSTYLE& style) {
    DEF_TRY
    if (!IsReady()) return;
    for (CTranspBaseClass* o : Targets())
        if (auto* text = dynamic_cast<CTranspText*>(o)) {
            // A callout's line keeps its end on the box as the box changes size.
            RECT before;
            text->GetAlignRect(&before);
            text->SetTextStyle(&style, TRUE);
            m_view.GetSelection().FollowCalloutText(text, before);
        }
    DEF_CATCH
}

void CViewTextStyle::ApplyLine(const std::function<void(TEXTSTYLE&)>& toStyle,
                               const std::function<void(CTranspGraphClass&)>& toGraphic) {
    if (!IsReady()) return;
    CViewSelection& sel = m_view.GetSelection();
    const CObjectList* list = m_view.GetDocument()->GetObjectsList(m_view.GetActivePage());
    std::vector<int> callouts; // the shapes of the callouts done
    for (CTranspBaseClass* o : Targets()) {
        const CalloutPart part = sel.CheckAnnotationObject(o);
        if (part.nPart != 0 && list) {
            // Any part of a callout changes the callout: its shape and line take the line's
            // property, its text box the frame's current text style.
            if (std::find(callouts.begin(), callouts.end(), part.nShapeIndex) != callouts.end())
                continue;
            callouts.push_back(part.nShapeIndex);
            for (int i = 0; i < 2; ++i)
                if (auto* g = dynamic_cast<CTranspGraphClass*>(
                        (*list)[std::size_t(part.nShapeIndex + i)].get()))
                    toGraphic(*g);
            if (auto* text = dynamic_cast<CTranspText*>((*list)[std::size_t(part.nShapeIndex + 2)].get())) {
                const TEXTSTYLE style = m_link.currentStyle();
                RECT before;
                text->GetAlignRect(&before);
                text->SetTextStyle(&style, TRUE);
                sel.FollowCalloutText(text, before);
            }
        } else if (auto* text = dynamic_cast<CTranspText*>(o)) {
            TEXTSTYLE style = m_link.currentStyle();
            toStyle(style);
            text->SetTextStyle(&style, TRUE);
        } else if (auto* graph = dynamic_cast<CTranspGraphClass*>(o)) {
            toGraphic(*graph);
        }
    }
}

void CViewTextStyle::SetLineWidth(int nWidth) {
    DEF_TRY
    ApplyLine([nWidth](TEXTSTYLE& s) { s.nRuleWidth = nWidth; },
              [nWidth](CTranspGraphClass& g) { g.SetLineWidth(nWidth); });
    DEF_CATCH
}

void CViewTextStyle::SetLineColor(COLORREF color) {
    DEF_TRY
    ApplyLine(
        [color](TEXTSTYLE& s) {
            s.crText = color;
            s.crRule = color;
        },
        [color](CTranspGraphClass& g) { g.SetColor(color); });
    DEF_CATCH
}

void CViewTextStyle::SetToolbarsState() {
    DEF_TRY
    if (!IsReady()) return;
    if (auto* text = dynamic_cast<CTranspText*>(m_view.GetActiveObject()); text && m_link.showStyle)
        m_link.showStyle(text->m_style);
    if (m_link.showTabOrder) m_link.showTabOrder(GetTabOrderIndex());
    DEF_CATCH
}

QString CViewTextStyle::GetTabOrderIndex() const {
    DEF_TRY
    CTranspBaseClass* active = m_view.GetActiveObject();
    CLumidorDoc* doc = m_view.GetDocument();
    const CObjectList* list = doc && active ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return {};
    const auto it = std::find_if(list->begin(), list->end(),
                                 [active](const auto& o) { return o.get() == active; });
    if (it != list->end()) return QString::asprintf("%d", int(it - list->begin()));
    DEF_CATCH
    return {};
}

TEXTSTYLE CViewTextStyle::GetCurrentStyle() const {
    return m_link.currentStyle ? m_link.currentStyle() : DefaultTextStyle();
}
