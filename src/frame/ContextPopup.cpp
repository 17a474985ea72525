#include "frame/ContextPopup.h"

#include "frame/CommandManager.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <QAction>
#include <QMenu>

namespace {
constexpr int kContextMenu = 157;
} // namespace

void CContextPopup::Show(CLumidorView& view, const QPoint& at) {
    DEF_TRY
    if (!m_pMenu) m_pMenu = m_commands.BuildPopup(kContextMenu, 0, m_pParent);
    if (!m_pMenu) return;
    for (auto it = m_commands.Actions().cbegin(); it != m_commands.Actions().cend(); ++it) {
        if (!m_pMenu->actions().contains(it.value())) continue;
        CCmdUI ui = m_commands.State(it.key());
        view.GetContextMenu().Apply(ui);
        it.value()->setEnabled(ui.m_bEnabled);
        if (it.value()->isCheckable() && ui.m_bCheckSet) it.value()->setChecked(ui.m_nCheck != 0);
    }
    m_pMenu->exec(at);
    // The same actions serve the menu bar: they go back to their commands' own states.
    m_commands.RequestUpdate();
    DEF_CATCH
}
