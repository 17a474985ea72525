#include "view/ViewArrange.h"

#include "app/CommandIds.h"
#include "app/CommandTarget.h"
#include "document/LumidorDoc.h"
#include "document/UndoHistory.h"
#include "objects/TranspBlock.h"
#include "objects/TranspCircle.h"
#include "objects/TranspImage.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <algorithm>

namespace {
enum Side { SIDE_LEFT, SIDE_RIGHT, SIDE_TOP, SIDE_BOTTOM };

RECT AlignRect(const CTranspBaseClass* o) {
    RECT r;
    o->GetAlignRect(&r);
    NormalizeRect(r);
    return r;
}
} // namespace

void CViewArrange::Register(CCommandMap& map) {
    const auto group = [this](CCmdUI& ui) { ui.Enable(m_view.GetSelection().IsGroup()); };
    map.On(ID_GROUPBAR_ALIGN_LEFT, [this] { DoAlignLeft(); }, group);
    map.On(ID_GROUPBAR_ALIGN_RIGHT, [this] { DoAlignRight(); }, group);
    map.On(ID_GROUPBAR_ALIGN_TOP, [this] { DoAlignTop(); }, group);
    map.On(ID_GROUPBAR_ALIGN_BOTTOM, [this] { DoAlignBottom(); }, group);
    const auto space = [this](CCmdUI& ui) { ui.Enable(IsSpaceEnabled()); };
    map.On(ID_GROUPBAR_SPACE_HORZ, [this] { DoSpaceHorz(); }, space);
    map.On(ID_GROUPBAR_SPACE_VERT, [this] { DoSpaceVert(); }, space);
    map.On(
        ID_EDIT_OBJECT_UP, [this] { OnEditObjectUp(); },
        [this](CCmdUI& ui) { ui.Enable(m_view.GetActiveObject() != nullptr); });
    map.On(ID_EDIT_CLEAR, [this] { OnEditDelete(); }, [this](CCmdUI& ui) { ui.Enable(CanDelete()); });
    map.On(
        ID_EDIT_DISABLE_OBJECT, [this] { OnEditDisableObject(); },
        [this](CCmdUI& ui) { ui.Enable(CanDelete()); });
    map.On(
        ID_EDIT_ENABLE_OBJECT, [this] { OnEditEnableObject(); },
        [this](CCmdUI& ui) { ui.Enable(HasDisabledObjects()); });
    map.On(
        ID_EDIT_TRANSPARENT_OBJECT, [this] { OnEditTransparentObject(); },
        [this](CCmdUI& ui) {
            const int state = TransparentState();
            ui.Enable(state >= 0);
            ui.SetCheck(state == 1);
        });
    map.On(ID_EDIT_ALIGN_TO_GRID, [this] { OnEditAlignToGrid(); },
           [this](CCmdUI& ui) { ui.Enable(CanAlignToGrid()); });
    map.On(
        ID_EDIT_SELECT_ALL, [this] { m_view.GetSelection().OnEditSelectAll(); },
        [this](CCmdUI& ui) { ui.Enable(m_view.GetSelection().CanSelectAll()); });
}

// ---- Moving -----------------------------------------------------------------------------------

void CViewArrange::BeginGroupMove() {
    DEF_TRY
    for (CTranspBaseClass* o : m_view.GetSelection().GetSelected())
        o->SavePosition();
    DEF_CATCH
}

bool CViewArrange::MoveGroupBy(UINT, int dx, int dy, POINT ptLast) {
    DEF_TRY
    const std::vector<CTranspBaseClass*> selected = m_view.GetSelection().GetSelected();
    if (selected.empty()) return false;
    if (PtInRect(m_view.GetClientRect(), ptLast)) {
        POINT d{dx, dy};
        m_view.ViewToPage(d);
        m_view.PageToUnit(d);
        for (CTranspBaseClass* o : selected)
            o->MoveBy(int(d.x), int(d.y));
        return true;
    }
    // Out of the window the group goes into a drag: a single object as itself, several as one
    // block of copies placed by their offsets in the group.
    for (CTranspBaseClass* o : selected)
        o->RestorePosition();
    if (selected.size() == 1) {
        selected.front()->BeginDrag();
        return false;
    }
    CTranspBlock block(&m_view, m_view.GetActivePage());
    CreateGroup(block);
    block.BeginDrag();
    return false;
    DEF_CATCH
    return false;
}

void CViewArrange::NudgeSelected(int dx, int dy) {
    DEF_TRY
    POINT d{dx, dy};
    m_view.PageToUnit(d);
    for (CTranspBaseClass* o : m_view.GetSelection().GetSelected())
        o->MoveBy(int(d.x), int(d.y));
    DEF_CATCH
}

void CViewArrange::NudgeActive(int dx, int dy) {
    DEF_TRY
    if (CTranspBaseClass* o = m_view.GetActiveObject()) {
        POINT d{dx, dy};
        m_view.PageToUnit(d);
        o->MoveBy(int(d.x), int(d.y));
    }
    DEF_CATCH
}

// ---- Alignment and spacing --------------------------------------------------------------------

void CViewArrange::Align(int side) {
    DEF_TRY
    if (!m_view.GetSelection().IsGroup()) return;
    const RECT frame = m_view.GetSelection().GetGroupFrameRect();
    for (CTranspBaseClass* o : m_view.GetSelection().GetSelected()) {
        switch (side) {
        case SIDE_LEFT: o->AlignLeftTo(int(frame.left)); break;
        case SIDE_RIGHT: o->AlignRightTo(int(frame.right)); break;
        case SIDE_TOP: o->AlignTopTo(int(frame.top)); break;
        default: o->AlignBottomTo(int(frame.bottom)); break;
        }
    }
    DEF_CATCH
}

void CViewArrange::DoAlignLeft() { Align(SIDE_LEFT); }
void CViewArrange::DoAlignRight() { Align(SIDE_RIGHT); }
void CViewArrange::DoAlignTop() { Align(SIDE_TOP); }
void CViewArrange::DoAlignBottom() { Align(SIDE_BOTTOM); }

bool CViewArrange::IsSpaceEnabled() const {
    return m_view.GetSelection().GetSelectedCount() > 2;
}

void CViewArrange::Space(bool horizontal) {
    DEF_TRY
    if (!IsSpaceEnabled()) return;
    std::vector<CTranspBaseClass*> objects = m_view.GetSelection().GetSelected();
    const auto lo = [horizontal](const RECT& r) { return horizontal ? r.left : r.top; };
    const auto size = [horizontal](const RECT& r) {
        return horizontal ? r.right - r.left : r.bottom - r.top;
    };
    std::stable_sort(objects.begin(), objects.end(), [&](auto* a, auto* b) {
        return lo(AlignRect(a)) < lo(AlignRect(b));
    });
    const RECT frame = m_view.GetSelection().GetGroupFrameRect();
    LONG total = 0;
    for (CTranspBaseClass* o : objects)
        total += size(AlignRect(o));
    const LONG gap = (size(frame) - total) / LONG(objects.size() - 1);
    LONG x = lo(AlignRect(objects.front())) + size(AlignRect(objects.front())) + gap;
    for (std::size_t i = 1; i + 1 < objects.size(); ++i) {
        if (horizontal) objects[i]->AlignLeftTo(int(x));
        else objects[i]->AlignTopTo(int(x));
        x += size(AlignRect(objects[i])) + gap;
    }
    DEF_CATCH
}

void CViewArrange::DoSpaceHorz() { Space(true); }
void CViewArrange::DoSpaceVert() { Space(false); }

void CViewArrange::CreateGroup(CTranspBlock& block) const {
    DEF_TRY
    const std::vector<CTranspBaseClass*> selected = m_view.GetSelection().GetSelected();
    const RECT frame = m_view.GetSelection().GetGroupFrameRect();
    for (CTranspBaseClass* o : selected) {
        const QByteArray data = o->GetObData();
        if (data.isEmpty()) continue;
        const RECT r = AlignRect(o);
        LONG x = r.left - frame.left, y = r.top - frame.top;
        // Circles are placed by their centre, texts by the bottom of their first line.
        if (const auto* c = dynamic_cast<const CTranspCircle*>(o)) {
            x += c->m_nRadius;
            y += c->m_nRadius;
        } else if (dynamic_cast<const CTranspText*>(o)) {
            y += r.bottom - r.top;
        }
        block.AddToHandlesList(data);
        block.AddToDisplacementsList(int(x), int(y));
    }
    DEF_CATCH
}

// ---- The grid --------------------------------------------------------------------------------

void CViewArrange::SnapObjectToGrid(CTranspBaseClass* pObject) {
    DEF_TRY
    const POINT grid = m_view.GetGridSteps();
    if (!pObject || grid.x <= 0 || grid.y <= 0) return;
    RECT rc;
    pObject->GetAlignRect(&rc);
    NormalizeRect(rc);
    if (rc.left % grid.x != 0) pObject->AlignLeftTo(int(grid.x * (rc.left / grid.x)));
    if (rc.bottom % grid.y != 0) pObject->AlignBottomTo(int(grid.y * (rc.bottom / grid.y + 1)));
    DEF_CATCH
}

void CViewArrange::SnapGroupToGrid() {
    for (CTranspBaseClass* o : m_view.GetSelection().GetSelected()) SnapObjectToGrid(o);
}

void CViewArrange::OnEditAlignToGrid() {
    DEF_TRY
    if (m_view.GetSelection().GetSelectedCount() > 0) SnapGroupToGrid();
    else SnapObjectToGrid(m_view.GetActiveObject());
    DEF_CATCH
}

bool CViewArrange::CanAlignToGrid() const {
    return m_view.GetProgramMode() != MODE_FORM &&
           (m_view.GetActiveObject() || m_view.GetSelection().GetSelectedCount() > 0);
}

// ---- Raising, deleting, disabling -------------------------------------------------------------

void CViewArrange::OnEditObjectUp() {
    DEF_TRY
    CTranspBaseClass* active = m_view.GetActiveObject();
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!active || !list) return;
    const auto [first, last] = m_view.GetSelection().CalloutRange(active);
    if (first < 0 || last == int(list->size()) - 1) return;
    // The object, or its callout's three parts in their order, go on top of all others.
    std::rotate(list->begin() + first, list->begin() + last + 1, list->end());
    for (auto it = list->end() - (last - first + 1); it != list->end(); ++it)
        (*it)->Repaint();
    doc->SetModifiedFlag(TRUE);
    DEF_CATCH
}

void CViewArrange::DeleteActiveObject() {
    DEF_TRY
    CTranspBaseClass* active = m_view.GetActiveObject();
    CLumidorDoc* doc = m_view.GetDocument();
    const int page = m_view.GetActivePage();
    CObjectList* list = doc ? doc->GetObjectsList(page) : nullptr;
    if (!active || !list) return;
    const auto [first, last] = m_view.GetSelection().CalloutRange(active);
    if (first < 0) return;
    m_view.ReleaseActiveObject();
    m_view.GetMouse().ReleaseCapturedObject();
    CFieldObjectList* fields = doc->GetFieldObjectsList(page);
    for (int i = first; i <= last; ++i) {
        CTranspBaseClass* o = (*list)[std::size_t(i)].get();
        o->Repaint();
        if (fields) fields->erase(std::remove(fields->begin(), fields->end(), o), fields->end());
    }
    // The history keeps what was deleted, so that it can come back.
    for (int i = first; i <= last; ++i) doc->GetUndoHistory().Keep(std::move((*list)[std::size_t(i)]));
    list->erase(list->begin() + first, list->begin() + last + 1);
    doc->SetModifiedFlag(TRUE);
    // The object that followed becomes active, else the page's first.
    if (!list->empty())
        m_view.SetActiveObject(first < int(list->size()) ? (*list)[std::size_t(first)].get()
                                                         : list->front().get());
    DEF_CATCH
}

void CViewArrange::DeleteSelectedObjects() {
    DEF_TRY
    for (;;) {
        const std::vector<CTranspBaseClass*> selected = m_view.GetSelection().GetSelected();
        if (selected.empty()) break;
        m_view.SetActiveObject(selected.front());
        DeleteActiveObject();
    }
    DEF_CATCH
}

bool CViewArrange::CanDelete() const {
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_FORM) return false;
    if (mode == MODE_SELECT) return m_view.GetSelection().GetSelectedCount() > 0;
    return m_view.GetActiveObject() != nullptr;
}

void CViewArrange::OnEditDelete() {
    DEF_TRY
    if (!CanDelete()) return;
    if (m_view.GetProgramMode() == MODE_SELECT) DeleteSelectedObjects();
    else DeleteActiveObject();
    DEF_CATCH
}

void CViewArrange::OnEditDisableObject() {
    DEF_TRY
    if (!CanDelete()) return;
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return;
    if (m_view.GetProgramMode() == MODE_SELECT) {
        for (CTranspBaseClass* o : m_view.GetSelection().GetSelected()) {
            o->SetSelected(FALSE);
            o->m_bDisabled = TRUE;
            o->Repaint();
        }
        return;
    }
    CTranspBaseClass* active = m_view.GetActiveObject();
    const auto [first, last] = m_view.GetSelection().CalloutRange(active);
    m_view.ReleaseActiveObject();
    for (int i = first; i <= last && i >= 0; ++i) {
        (*list)[std::size_t(i)]->m_bDisabled = TRUE;
        (*list)[std::size_t(i)]->Repaint();
    }
    DEF_CATCH
}

bool CViewArrange::HasDisabledObjects() const {
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    return list && std::any_of(list->begin(), list->end(), [](const auto& o) { return o->m_bDisabled; });
}

void CViewArrange::OnEditEnableObject() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!list) return;
    for (auto& o : *list) {
        if (!o->m_bDisabled) continue;
        o->m_bDisabled = FALSE;
        o->Repaint();
    }
    DEF_CATCH
}

int CViewArrange::TransparentState() const {
    if (auto* picture = dynamic_cast<CTranspImage*>(m_view.GetActiveObject()))
        return picture->GetTransparent() ? 1 : 0;
    int state = -1;
    for (CTranspBaseClass* o : m_view.GetSelection().GetSelected())
        if (auto* picture = dynamic_cast<CTranspImage*>(o)) {
            if (!picture->GetTransparent()) return 0;
            state = 1;
        }
    return state;
}

void CViewArrange::OnEditTransparentObject() {
    DEF_TRY
    if (auto* picture = dynamic_cast<CTranspImage*>(m_view.GetActiveObject())) {
        picture->SetTransparent(picture->GetTransparent() ? 0 : 1);
        picture->Repaint();
        return;
    }
    const int state = TransparentState();
    if (state < 0) return;
    for (CTranspBaseClass* o : m_view.GetSelection().GetSelected())
        if (auto* picture = dynamic_cast<CTranspImage*>(o)) {
            picture->SetTransparent(state == 1 ? 0 : 1);
            picture->Repaint();
        }
    DEF_CATCH
}
