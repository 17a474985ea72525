#include "view/ViewCollection.h"

#include "app/CommandIds.h"
#include "app/CommandTarget.h"
#include "objects/TranspBlock.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

void CViewCollection::Register(CCommandMap& map) {
    map.On(ID_EDIT_ADD_TO_COLLECTION, [this] { OnEditAddToCollection(); },
           [this](CCmdUI& ui) { ui.Enable(CanAddToCollection()); });
}

bool CViewCollection::CanAddToCollection() const {
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_FORM || mode == MODE_CUT) return false;
    if (mode == MODE_SELECT) return m_view.GetSelection().GetSelectedCount() > 0;
    return m_view.GetActiveObject() != nullptr;
}

QByteArray CViewCollection::MakeCollectionBlock() const {
    DEF_TRY
    if (!CanAddToCollection()) return {};
    if (m_view.GetProgramMode() == MODE_SELECT) {
        const std::vector<CTranspBaseClass*> selected = m_view.GetSelection().GetSelected();
        if (selected.size() == 1) return selected.front()->GetObData();
        CTranspBlock block(&m_view, m_view.GetActivePage());
        m_view.GetArrange().CreateGroup(block);
        return block.GetObData();
    }
    const CTranspBaseClass* active = m_view.GetActiveObject();
    return active ? active->GetObData() : QByteArray();
    DEF_CATCH
    return {};
}

void CViewCollection::OnEditAddToCollection() {
    DEF_TRY
    const QByteArray block = MakeCollectionBlock();
    if (!block.isEmpty() && m_sink) m_sink(block);
    DEF_CATCH
}
