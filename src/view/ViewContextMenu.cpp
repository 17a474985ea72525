#include "view/ViewContextMenu.h"

#include "app/CommandIds.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
bool ClipboardHas(bool image) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && (image ? data->hasImage() : data->hasText());
}
} // namespace

bool CViewContextMenu::IsOffered(POINT ptClient) const {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_ZOOM_IN) return false;
    if (mode == MODE_FORM) {
        const auto* text = dynamic_cast<const CTranspText*>(m_view.GetActiveObject());
        return text && text->PtInBox(ptClient);
    }
    return true;
    DEF_CATCH
    return false;
}

void CViewContextMenu::Apply(CCmdUI& ui) const {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    const auto grey = [&ui] { ui.Enable(false); };
    if (ui.m_nID == ID_PASTE_AS_NEW && !ClipboardHas(true)) grey();
    switch (ui.m_nID) {
    case ID_EDIT_PASTE:
        if (mode == MODE_FORM && !ClipboardHas(false)) grey();
        break;
    case ID_EDIT_CLEAR:
    case ID_EDIT_ALIGN_TO_GRID:
    case ID_GROUPBAR_SNAP_TO_GRID:
        if (mode == MODE_FORM || mode == MODE_CUT) grey();
        break;
    case ID_EDIT_TRANSPARENT_OBJECT:
    case ID_EDIT_CREATE_PATCH:
        if (mode == MODE_FORM) grey();
        break;
    case ID_EDIT_ADD_TO_COLLECTION:
        if (mode == MODE_FORM || mode == MODE_CUT) grey();
        break;
    default:
        break;
    }
    DEF_CATCH
}
