#include "view/ViewSelection.h"

#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

namespace {
int ShapeKind(const CTranspBaseClass* p) {
    if (dynamic_cast<const CTranspRectangle*>(p)) return 1;
    if (dynamic_cast<const CTranspCircle*>(p)) return 2;
    if (dynamic_cast<const CTranspEllipse*>(p)) return 3;
    if (dynamic_cast<const CTranspFreehand*>(p)) return 4;
    return 0;
}
} // namespace

CTranspBaseClass* CViewSelection::PtInObject(POINT pt) const {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return nullptr;
    for (auto it = list->rbegin(); it != list->rend(); ++it)
        if (!(*it)->m_bDisabled && (*it)->PtInBox(pt)) return it->get();
    DEF_CATCH
    return nullptr;
}

void CViewSelection::ActivateObject(CTranspBaseClass* pObject) {
    m_view.SetActiveObject(pObject);
}

void CViewSelection::DeactivateObject(CTranspBaseClass* pObject) {
    if (pObject && pObject == m_view.GetActiveObject()) m_view.ReleaseActiveObject();
}

void CViewSelection::DeactivateActiveObject() {
    m_view.ReleaseActiveObject();
}

void CViewSelection::DeselectObjects() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return;
    for (auto& o : *list)
        if (o->m_bSelected) o->SetSelected(FALSE);
    DEF_CATCH
}

int CViewSelection::GetSelectedCount() const {
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    int n = 0;
    if (list)
        for (const auto& o : *list)
            n += o->m_bSelected ? 1 : 0;
    return n;
}

CalloutPart CViewSelection::CheckAnnotationObject(const CTranspBaseClass* pObject) const {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list || list->size() < 3 || !pObject) return {};
    const int n = int(list->size());
    int index = -1;
    for (int i = 0; i < n && index < 0; ++i)
        if ((*list)[std::size_t(i)].get() == pObject) index = i;
    if (index < 0) return {};
    // The object may be the shape, the line or the text box of a callout starting at `shape`.
    for (int part = 1; part <= 3; ++part) {
        const int shape = index - (part - 1);
        if (shape < 0 || shape + 2 >= n) continue;
        const int kind = ShapeKind((*list)[std::size_t(shape)].get());
        if (kind && dynamic_cast<const CTranspLine*>((*list)[std::size_t(shape + 1)].get()) &&
            dynamic_cast<const CTranspText*>((*list)[std::size_t(shape + 2)].get()))
            return CalloutPart{part, kind, shape};
    }
    DEF_CATCH
    return {};
}
