#include "view/ViewUndo.h"

#include "app/CommandIds.h"
#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "objects/TranspBaseClass.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <algorithm>

void CViewUndo::Register(CCommandMap& map) {
    map.On(ID_EDIT_UNDO, [this] { OnEditUndo(); },
           [this](CCmdUI& ui) {
               ui.Enable(CanUndo());
               ui.SetText(GetUndoText());
           });
    map.On(ID_EDIT_REDO, [this] { OnEditRedo(); },
           [this](CCmdUI& ui) {
               ui.Enable(CanRedo());
               ui.SetText(GetRedoText());
           });
}

CUndoHistory* CViewUndo::History() const {
    CLumidorDoc* doc = m_view.GetDocument();
    return doc ? &doc->GetUndoHistory() : nullptr;
}

std::vector<CUndoHistory::ObjectState> CViewUndo::EditingSet() const {
    std::vector<CUndoHistory::ObjectState> set;
    CTranspBaseClass* active = m_view.GetActiveObject();
    CLumidorDoc* doc = m_view.GetDocument();
    const CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    if (!active || !list) return set;
    set.push_back(CUndoHistory::Capture(active));
    // Typing into a callout's text box moves its line: the callout is edited as one.
    const auto [first, last] = m_view.GetSelection().CalloutRange(active);
    for (int i = std::max(first, 0); i <= last && i < int(list->size()); ++i)
        if ((*list)[std::size_t(i)].get() != active)
            set.push_back(CUndoHistory::Capture((*list)[std::size_t(i)].get()));
    return set;
}

void CViewUndo::WatchPage() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (CUndoHistory* h = History()) h->Watch(doc->GetPageInfo(m_view.GetActivePage()));
    DEF_CATCH
}

void CViewUndo::BeginAction() {
    DEF_TRY
    if (m_nDepth++ > 0) return;
    WatchPage();
    m_editing = EditingSet();
    DEF_CATCH
}

void CViewUndo::EndAction(const QString& label) {
    DEF_TRY
    if (m_nDepth == 0 || --m_nDepth > 0) return;
    CUndoHistory* h = History();
    if (!h) return;
    const bool still = !m_editing.empty() && m_view.GetActiveObject() == m_editing.front().pObject;
    h->Record(m_view.GetDocument()->GetPageInfo(m_view.GetActivePage()), label, m_editing, still);
    m_editing.clear();
    DEF_CATCH
}

void CViewUndo::RecordNow(const QString& label) {
    DEF_TRY
    if (CUndoHistory* h = History())
        h->Record(m_view.GetDocument()->GetPageInfo(m_view.GetActivePage()), label, EditingSet(),
                  false);
    DEF_CATCH
}

bool CViewUndo::CanUndo() const {
    const CTranspBaseClass* active = m_view.GetActiveObject();
    if (active && active->CanUndo()) return true;
    const CUndoHistory* h = History();
    if (!h) return false;
    return h->CanUndo() ||
           (active && h->IsPending(m_view.GetDocument()->GetPageInfo(m_view.GetActivePage()),
                                   active));
}

bool CViewUndo::CanRedo() const {
    const CTranspBaseClass* active = m_view.GetActiveObject();
    if (active && active->CanRedo()) return true;
    const CUndoHistory* h = History();
    return h && h->CanRedo() &&
           !(active && h->IsPending(m_view.GetDocument()->GetPageInfo(m_view.GetActivePage()),
                                    active));
}

QString CViewUndo::GetUndoText() const {
    DEF_TRY
    const CTranspBaseClass* active = m_view.GetActiveObject();
    const CUndoHistory* h = History();
    QString label;
    if (active && (active->CanUndo() ||
                   (h && h->IsPending(m_view.GetDocument()->GetPageInfo(m_view.GetActivePage()),
                                      active))))
        label = LoadResString(IDS_UNDO_CHANGE);
    else if (h && h->CanUndo())
        label = h->GetUndoLabel();
    return label.isEmpty() ? LoadResString(IDS_UNDO_NOTHING)
                           : LoadResString(IDS_UNDO_ITEM).arg(label);
    DEF_CATCH
    return LoadResString(IDS_UNDO_NOTHING);
}

QString CViewUndo::GetRedoText() const {
    DEF_TRY
    const CTranspBaseClass* active = m_view.GetActiveObject();
    const CUndoHistory* h = History();
    QString label;
    if (active && active->CanRedo())
        label = LoadResString(IDS_UNDO_CHANGE);
    else if (CanRedo() && h)
        label = h->GetRedoLabel();
    return label.isEmpty() ? LoadResString(IDS_REDO_NOTHING)
                           : LoadResString(IDS_REDO_ITEM).arg(label);
    DEF_CATCH
    return LoadResString(IDS_REDO_NOTHING);
}

void CViewUndo::OnEditUndo() { Walk(true); }
void CViewUndo::OnEditRedo() { Walk(false); }

void CViewUndo::Walk(bool bUndo) {
    DEF_TRY
    // The object being edited takes back (or does again) its own steps first.
    CTranspBaseClass* active = m_view.GetActiveObject();
    if (active && (bUndo ? active->CanUndo() : active->CanRedo())) {
        if (bUndo) active->Undo();
        else active->Redo();
        m_view.SetToolbarsState();
        return;
    }
    Step(bUndo);
    DEF_CATCH
}

void CViewUndo::Step(bool bUndo) {
    CUndoHistory* h = History();
    CLumidorDoc* doc = m_view.GetDocument();
    if (!h || !doc) return;
    // What the active object did so far becomes a step of its own, and it is let go: the history
    // may take it off the page.
    RecordNow();
    m_editing.clear();
    m_view.GetMouse().CancelGestures();
    m_view.ReleaseActiveObject();
    m_view.GetMouse().ReleaseCapturedObject();
    m_view.GetSelection().DeselectObjects();
    _PAGEINFO* page = bUndo ? h->GetUndoPage() : h->GetRedoPage();
    if (!page) return;
    for (int i = 0; i < doc->GetPageCount(); ++i)
        if (doc->GetPageInfo(i) == page && i != m_view.GetActivePage()) {
            m_view.SetActivePage(i);
            break;
        }
    std::vector<CTranspBaseClass*> changed;
    const bool done = bUndo ? h->Undo(&m_view, &changed) : h->Redo(&m_view, &changed);
    if (!done) return;
    doc->RenumberObjectPages();
    doc->SetModifiedFlag(TRUE);
    AfterStep(changed);
}

void CViewUndo::AfterStep(const std::vector<CTranspBaseClass*>& changed) {
    // Every object may have moved in the list: the page is painted anew, tab-order numbers too.
    const CObjectList* list = m_view.GetDocument()->GetObjectsList(m_view.GetActivePage());
    const bool tabOrder = list && !list->empty() && list->front()->m_bTabOrderDisplay;
    m_view.RepaintObjects(tabOrder);
    m_view.viewport()->update();
    // In select mode what came back is shown selected.
    if (m_view.GetProgramMode() == MODE_SELECT)
        for (CTranspBaseClass* o : changed)
            if (list && std::any_of(list->begin(), list->end(),
                                    [o](const auto& p) { return p.get() == o; }))
                o->SetSelected(TRUE);
    m_view.SetToolbarsState();
}
