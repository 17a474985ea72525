#include "acquire/CaptureKeys.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace capturekeys {
namespace {

// The virtual-key codes that are not letters or digits, with their keysym and Qt key.
struct KeyRow {
    UINT vk;
    unsigned long keysym;
    int qt;
};
constexpr KeyRow kKeys[] = {
    {0x08, XK_BackSpace, Qt::Key_Backspace}, {0x09, XK_Tab, Qt::Key_Tab},
    {0x0D, XK_Return, Qt::Key_Return},       {0x13, XK_Pause, Qt::Key_Pause},
    {0x14, XK_Caps_Lock, Qt::Key_CapsLock},  {0x1B, XK_Escape, Qt::Key_Escape},
    {0x20, XK_space, Qt::Key_Space},         {0x21, XK_Prior, Qt::Key_PageUp},
    {0x22, XK_Next, Qt::Key_PageDown},       {0x23, XK_End, Qt::Key_End},
    {0x24, XK_Home, Qt::Key_Home},           {0x25, XK_Left, Qt::Key_Left},
    {0x26, XK_Up, Qt::Key_Up},               {0x27, XK_Right, Qt::Key_Right},
    {0x28, XK_Down, Qt::Key_Down},           {0x2C, XK_Print, Qt::Key_Print},
    {0x2D, XK_Insert, Qt::Key_Insert},       {0x2E, XK_Delete, Qt::Key_Delete},
    {0x6A, XK_KP_Multiply, Qt::Key_Asterisk}, {0x6B, XK_KP_Add, Qt::Key_Plus},
    {0x6D, XK_KP_Subtract, Qt::Key_Minus},   {0x6F, XK_KP_Divide, Qt::Key_Slash},
    {0x90, XK_Num_Lock, Qt::Key_NumLock},    {0x91, XK_Scroll_Lock, Qt::Key_ScrollLock},
};
constexpr UINT kF1 = 0x70, kF24 = 0x87;

} // namespace

unsigned long VirtualKeyToKeySym(UINT vk) {
    if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
    if (vk >= 0x60 && vk <= 0x69) return XK_KP_0 + (vk - 0x60);
    if (vk >= kF1 && vk <= kF24) return XK_F1 + (vk - kF1);
    for (const KeyRow& row : kKeys)
        if (row.vk == vk) return row.keysym;
    return 0;
}

UINT KeySymToVirtualKey(unsigned long keysym) {
    if (keysym >= XK_0 && keysym <= XK_9) return UINT('0' + (keysym - XK_0));
    if (keysym >= XK_a && keysym <= XK_z) return UINT('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return UINT('A' + (keysym - XK_A));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return UINT(0x60 + (keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F24) return UINT(kF1 + (keysym - XK_F1));
    for (const KeyRow& row : kKeys)
        if (row.keysym == keysym) return row.vk;
    return 0;
}

unsigned ModifiersToXMask(UINT modifiers) {
    unsigned mask = 0;
    if (modifiers & HK_MOD_SHIFT) mask |= ShiftMask;
    if (modifiers & HK_MOD_CONTROL) mask |= ControlMask;
    if (modifiers & HK_MOD_ALT) mask |= Mod1Mask;
    if (modifiers & HK_MOD_WIN) mask |= Mod4Mask;
    return mask;
}

UINT XMaskToModifiers(unsigned state) {
    UINT m = 0;
    if (state & ShiftMask) m |= HK_MOD_SHIFT;
    if (state & ControlMask) m |= HK_MOD_CONTROL;
    if (state & Mod1Mask) m |= HK_MOD_ALT;
    if (state & Mod4Mask) m |= HK_MOD_WIN;
    return m;
}

UINT QtKeyToVirtualKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return UINT('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return UINT('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return UINT(kF1 + (qtKey - Qt::Key_F1));
    if (qtKey == Qt::Key_Enter) return 0x0D;
    for (const KeyRow& row : kKeys)
        if (row.qt == qtKey) return row.vk;
    return 0;
}

int VirtualKeyToQtKey(UINT vk) {
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + int(vk - '0');
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + int(vk - 'A');
    if (vk >= 0x60 && vk <= 0x69) return Qt::Key_0 + int(vk - 0x60);
    if (vk >= kF1 && vk <= kF24) return Qt::Key_F1 + int(vk - kF1);
    for (const KeyRow& row : kKeys)
        if (row.vk == vk) return row.qt;
    return 0;
}

UINT QtModifiersToModifiers(Qt::KeyboardModifiers modifiers) {
    UINT m = 0;
    if (modifiers & Qt::ShiftModifier) m |= HK_MOD_SHIFT;
    if (modifiers & Qt::ControlModifier) m |= HK_MOD_CONTROL;
    if (modifiers & Qt::AltModifier) m |= HK_MOD_ALT;
    if (modifiers & Qt::MetaModifier) m |= HK_MOD_WIN;
    return m;
}

Qt::KeyboardModifiers ModifiersToQt(UINT modifiers) {
    Qt::KeyboardModifiers m;
    if (modifiers & HK_MOD_SHIFT) m |= Qt::ShiftModifier;
    if (modifiers & HK_MOD_CONTROL) m |= Qt::ControlModifier;
    if (modifiers & HK_MOD_ALT) m |= Qt::AltModifier;
    if (modifiers & HK_MOD_WIN) m |= Qt::MetaModifier;
    return m;
}

QKeySequence ToKeySequence(UINT vk, UINT modifiers) {
    const int key = VirtualKeyToQtKey(vk);
    if (!key) return {};
    return QKeySequence(QKeyCombination(ModifiersToQt(modifiers), Qt::Key(key)));
}

bool FromKeySequence(const QKeySequence& sequence, UINT& vk, UINT& modifiers) {
    if (sequence.isEmpty()) return false;
    const QKeyCombination combination = sequence[0];
    const UINT code = QtKeyToVirtualKey(combination.key());
    if (!code) return false;
    vk = code;
    modifiers = QtModifiersToModifiers(combination.keyboardModifiers());
    return true;
}

} // namespace capturekeys
