#include "view/ViewKeys.h"

#include "document/LumidorDoc.h"
#include "objects/TranspLine.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"
#include "view/ToolCursors.h"

#include <QKeyEvent>

namespace {
// The arrow keys as a movement of one page pixel; (0, 0) for any other key.
POINT ArrowStep(int key) {
    switch (key) {
    case Qt::Key_Left: return POINT{-1, 0};
    case Qt::Key_Right: return POINT{1, 0};
    case Qt::Key_Up: return POINT{0, -1};
    case Qt::Key_Down: return POINT{0, 1};
    default: return POINT{0, 0};
    }
}

// The keys the objects know by their virtual-key codes.
unsigned VirtualKey(int key) {
    switch (key) {
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    default: return 0;
    }
}
} // namespace

void CViewKeys::SendToActive(unsigned nChar, unsigned flags) {
    CTranspBaseClass* active = m_view.GetActiveObject();
    if (!active) return;
    RECT before{};
    active->GetAlignRect(&before);
    active->OnChar(nChar, 1, flags);
    m_view.GetSelection().FollowCalloutText(active, before);
}

bool CViewKeys::OnKeyDown(const QKeyEvent& event) {
    DEF_TRY
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    const int mode = m_view.GetProgramMode();
    CViewMouse& mouse = m_view.GetMouse();
    CTranspBaseClass* active = m_view.GetActiveObject();
    unsigned flags = 0;
    if (mods & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (mods & Qt::ControlModifier) flags |= MK_CONTROL;

    // Escape drops a gesture half made, then lets the active object go, then the selection; it
    // never deletes anything.
    if (key == Qt::Key_Escape) {
        if (mouse.IsGestureRunning()) mouse.CancelGestures();
        else if (active) m_view.ReleaseActiveObject();
        else m_view.GetSelection().DeselectObjects();
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        const bool backwards = key == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        return m_view.GetTabOrder().ProcessTabKey(!backwards);
    }
    if (mode == MODE_PAW && key == Qt::Key_Control) {
        m_view.SetCursor(LoadToolCursor(QStringLiteral("hand-closed"), Qt::ClosedHandCursor));
        return true;
    }
    const POINT step = ArrowStep(key);
    if (step != POINT{0, 0}) {
        if (mode == MODE_PAW && mods == Qt::NoModifier) {
            m_view.MoveImage(int(step.x), int(step.y));
            return true;
        }
        if (active && mods == (Qt::ControlModifier | Qt::AltModifier)) {
            m_view.GetArrange().NudgeActive(int(step.x), int(step.y));
            return true;
        }
        if (mode == MODE_SELECT && mods == Qt::NoModifier && !dynamic_cast<CTranspText*>(active)) {
            m_view.GetArrange().NudgeSelected(int(step.x), int(step.y));
            return true;
        }
    }
    // Delete takes an object that is not being typed into; in select mode the selection.
    if (key == Qt::Key_Delete && mode == MODE_SELECT && !dynamic_cast<CTranspText*>(active)) {
        m_view.GetArrange().OnEditDelete();
        return true;
    }
    if (key == Qt::Key_Delete && active && !dynamic_cast<CTranspText*>(active)) {
        if (mode != MODE_FORM) m_view.GetArrange().DeleteActiveObject();
        return true;
    }
    if (!active) return false;
    if (const unsigned vk = VirtualKey(key)) {
        SendToActive(vk, flags | CHAR_VIRTUALKEY);
        return true;
    }
    if (key == Qt::Key_Backspace) {
        SendToActive(VK_BACK, flags);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        SendToActive(VK_RETURN, flags);
        return true;
    }
    if (!event.text().isEmpty() && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        for (const char32_t c : event.text().toUcs4())
            SendToActive(unsigned(c), flags);
        return true;
    }
    DEF_CATCH
    return false;
}

bool CViewKeys::OnKeyUp(const QKeyEvent& event) {
    DEF_TRY
    if (m_view.GetProgramMode() == MODE_PAW && event.key() == Qt::Key_Control) {
        m_view.GetMouse().CancelGestures(true);
        m_view.SetCursor(LoadToolCursor(QStringLiteral("hand-open"), Qt::OpenHandCursor));
        return true;
    }
    DEF_CATCH
    return false;
}
