#include "view/ViewSelection.h"

#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <algorithm>

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

void CViewSelection::SelectObjects(RECT rc) {
    DEF_TRY
    NormalizeRect(rc);
    if (rc.bottom == rc.top) rc.bottom = rc.top + 1;
    else if (rc.right == rc.left) rc.right = rc.left + 1;
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return;
    for (auto& o : *list) {
        if (o->m_bDisabled) continue;
        RECT r;
        o->GetAlignRect(&r);
        m_view.UnitToPage(r);
        m_view.PageToClient(r);
        NormalizeRect(r);
        // A straight line's rectangle has no height or width of its own.
        if (r.bottom == r.top) r.bottom = r.top + 1;
        if (r.right == r.left) r.right = r.left + 1;
        RECT meet;
        if (IntersectRect(meet, r, rc)) o->SetSelected(TRUE);
    }
    DEF_CATCH
}

void CViewSelection::SelectAnnotations() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return;
    for (CTranspBaseClass* o : GetSelected()) {
        const auto [first, last] = CalloutRange(o);
        for (int i = first; i <= last && i >= 0; ++i)
            if (!(*list)[std::size_t(i)]->m_bSelected) (*list)[std::size_t(i)]->SetSelected(TRUE);
    }
    DEF_CATCH
}

bool CViewSelection::CanSelectAll() const {
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    return list && !list->empty();
}

void CViewSelection::OnEditSelectAll() {
    DEF_TRY
    if (!CanSelectAll()) return;
    m_view.RequestProgramMode(MODE_SELECT);
    for (auto& o : *m_view.GetDocument()->GetObjectsList(m_view.GetActivePage()))
        if (!o->m_bSelected) o->SetSelected(TRUE);
    DEF_CATCH
}

std::vector<CTranspBaseClass*> CViewSelection::GetSelected() const {
    std::vector<CTranspBaseClass*> out;
    CLumidorDoc* doc = m_view.GetDocument();
    if (CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr)
        for (const auto& o : *list)
            if (o->m_bSelected) out.push_back(o.get());
    return out;
}

RECT CViewSelection::GetGroupFrameRect() const {
    RECT frame{};
    bool first = true;
    for (CTranspBaseClass* o : GetSelected()) {
        RECT r;
        o->GetAlignRect(&r);
        NormalizeRect(r);
        if (first) frame = r;
        frame = RECT{std::min(frame.left, r.left), std::min(frame.top, r.top),
                     std::max(frame.right, r.right), std::max(frame.bottom, r.bottom)};
        first = false;
    }
    return frame;
}

int CViewSelection::IndexOf(const CTranspBaseClass* pObject) const {
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list || !pObject) return -1;
    for (std::size_t i = 0; i < list->size(); ++i)
        if ((*list)[i].get() == pObject) return int(i);
    return -1;
}

std::pair<int, int> CViewSelection::CalloutRange(const CTranspBaseClass* pObject) const {
    const CalloutPart part = CheckAnnotationObject(pObject);
    if (part.nPart) return {part.nShapeIndex, part.nShapeIndex + 2};
    const int i = IndexOf(pObject);
    return {i, i};
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
    const int index = IndexOf(pObject);
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

void CViewSelection::FollowCalloutText(const CTranspBaseClass* pText, const RECT& before) {
    DEF_TRY
    const CalloutPart part = CheckAnnotationObject(pText);
    if (part.nPart != 3) return;
    RECT after;
    pText->GetAlignRect(&after);
    CObjectList* list = m_view.GetDocument()->GetObjectsList(m_view.GetActivePage());
    auto* line = dynamic_cast<CTranspLine*>((*list)[std::size_t(part.nShapeIndex + 1)].get());
    const int dx = int(after.left - before.left), dy = int(after.bottom - before.bottom);
    if (!line || (dx == 0 && dy == 0)) return;
    line->m_nCapture = HIT_BOTTOMRIGHT;
    line->Resize(dx, dy);
    line->m_nCapture = HIT_NONE;
    DEF_CATCH
}
