#include "acquire/GlobalHotKey.h"

#include "acquire/CaptureKeys.h"
#include "platform/Guard.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {
Display* Dpy(void* d) { return static_cast<Display*>(d); }

int g_grabError = 0;
int GrabErrorHandler(Display*, XErrorEvent* e) {
    if (!g_grabError) g_grabError = e->error_code;
    return 0;
}

// The modifier bit the server gives Num Lock on this keyboard (Mod2 on most).
unsigned NumLockMask(Display* d) {
    unsigned mask = 0;
    XModifierKeymap* map = XGetModifierMapping(d);
    if (!map) return Mod2Mask;
    const KeyCode numLock = XKeysymToKeycode(d, XK_Num_Lock);
    for (int m = 0; m < 8 && numLock; ++m)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[m * map->max_keypermod + k] == numLock) mask = 1u << m;
    XFreeModifiermap(map);
    return mask ? mask : Mod2Mask;
}
} // namespace

CGlobalHotKey::CGlobalHotKey(QObject* parent) : QObject(parent) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    m_display = d;
    m_nNumLockMask = NumLockMask(d);
    // The grabbed key's presses come to this connection; its socket says when.
    m_pNotifier = new QSocketNotifier(ConnectionNumber(d), QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CGlobalHotKey::ReadEvents);
}

CGlobalHotKey::~CGlobalHotKey() {
    Unregister();
    UnregisterCancel();
    if (m_display) XCloseDisplay(Dpy(m_display));
}

bool CGlobalHotKey::Grab(int keycode, unsigned mask) {
    Display* d = Dpy(m_display);
    const Window root = DefaultRootWindow(d);
    XSync(d, False);
    g_grabError = 0;
    const XErrorHandler previous = XSetErrorHandler(GrabErrorHandler);
    // The key works whatever the lock keys are.
    for (unsigned locks : {0u, unsigned(LockMask), m_nNumLockMask, m_nNumLockMask | LockMask})
        XGrabKey(d, keycode, mask | locks, root, True, GrabModeAsync, GrabModeAsync);
    XSync(d, False);
    XSetErrorHandler(previous);
    if (g_grabError) {
        Ungrab(keycode, mask);
        return false;
    }
    return true;
}

void CGlobalHotKey::Ungrab(int keycode, unsigned mask) {
    Display* d = Dpy(m_display);
    const Window root = DefaultRootWindow(d);
    XSync(d, False);
    g_grabError = 0;
    const XErrorHandler previous = XSetErrorHandler(GrabErrorHandler);
    for (unsigned locks : {0u, unsigned(LockMask), m_nNumLockMask, m_nNumLockMask | LockMask})
        XUngrabKey(d, keycode, mask | locks, root);
    XSync(d, False);
    XSetErrorHandler(previous);
}

CGlobalHotKey::Result CGlobalHotKey::Register(UINT vk, UINT modifiers) {
    DEF_TRY
    Unregister();
    if (!m_display) return Result::NoDisplay;
    const unsigned long keysym = capturekeys::VirtualKeyToKeySym(vk);
    const int keycode = keysym ? XKeysymToKeycode(Dpy(m_display), keysym) : 0;
    if (!keycode) return Result::NoKey;
    const unsigned mask = capturekeys::ModifiersToXMask(modifiers);
    if (!Grab(keycode, mask)) return Result::Taken;
    m_nKeyCode = keycode;
    m_nMask = mask;
    return Result::Registered;
    DEF_CATCH
    return Result::NoKey;
}

void CGlobalHotKey::Unregister() {
    if (m_display && m_nKeyCode) Ungrab(m_nKeyCode, m_nMask);
    m_nKeyCode = 0;
    m_nMask = 0;
}

CGlobalHotKey::Result CGlobalHotKey::RegisterCancel(UINT vk) {
    DEF_TRY
    UnregisterCancel();
    if (!m_display) return Result::NoDisplay;
    const unsigned long keysym = capturekeys::VirtualKeyToKeySym(vk);
    const int keycode = keysym ? XKeysymToKeycode(Dpy(m_display), keysym) : 0;
    if (!keycode) return Result::NoKey;
    if (!Grab(keycode, 0)) return Result::Taken;
    m_nCancelCode = keycode;
    return Result::Registered;
    DEF_CATCH
    return Result::NoKey;
}

void CGlobalHotKey::UnregisterCancel() {
    if (m_display && m_nCancelCode) Ungrab(m_nCancelCode, 0);
    m_nCancelCode = 0;
}

void CGlobalHotKey::ReadEvents() {
    DEF_TRY
    Display* d = Dpy(m_display);
    bool hot = false, cancel = false;
    while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type != KeyPress) continue;
        // The lock modifiers do not count.
        const unsigned state = e.xkey.state & ~(unsigned(LockMask) | m_nNumLockMask);
        const unsigned relevant = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;
        if (m_nKeyCode && int(e.xkey.keycode) == m_nKeyCode && (state & relevant) == m_nMask)
            hot = true;
        else if (m_nCancelCode && int(e.xkey.keycode) == m_nCancelCode)
            cancel = true;
        else
            continue;
        // The press made the grab active until the key is let go; a capture that asks for the
        // keyboard (the area's rubber band) must be able to have it at once.
        XUngrabKeyboard(d, e.xkey.time);
        XFlush(d);
    }
    // The signals come after the queue is read: a capture they start reads the screen at once.
    if (cancel) Q_EMIT cancelled();
    if (hot) Q_EMIT activated();
    DEF_CATCH
}
