#pragma once
// The capture keys as the hot-key record keeps them (a virtual-key code and the modifier bits of
// a registered hot key: MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8) and what they are on
// the X server and in Qt: the keysym and modifier mask the grab takes, the key sequence the
// options pages edit.

#include "platform/WinTypes.h"

#include <QKeySequence>

enum : UINT { HK_MOD_ALT = 1, HK_MOD_CONTROL = 2, HK_MOD_SHIFT = 4, HK_MOD_WIN = 8 };

namespace capturekeys {
// The X keysym of a virtual-key code; 0 for a code that names no key.
unsigned long VirtualKeyToKeySym(UINT vk);
// The virtual-key code of an X keysym (letters in either case); 0 for one without a code.
UINT KeySymToVirtualKey(unsigned long keysym);
// The X modifier mask of the modifier bits (ShiftMask, ControlMask, Mod1Mask, Mod4Mask).
unsigned ModifiersToXMask(UINT modifiers);
// The modifier bits of an X event state, the lock modifiers ignored.
UINT XMaskToModifiers(unsigned state);

// The virtual-key code of a Qt key; 0 for a key without one.
UINT QtKeyToVirtualKey(int qtKey);
int VirtualKeyToQtKey(UINT vk);
UINT QtModifiersToModifiers(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers ModifiersToQt(UINT modifiers);
// The sequence of one key with modifiers, and back (the first key of the sequence); false when
// the sequence is empty or its key has no code.
QKeySequence ToKeySequence(UINT vk, UINT modifiers);
bool FromKeySequence(const QKeySequence& sequence, UINT& vk, UINT& modifiers);
} // namespace capturekeys
