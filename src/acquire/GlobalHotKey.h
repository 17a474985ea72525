#pragma once
// CGlobalHotKey: a key that reaches the program wherever the keyboard is, even while its window
// is hidden in the tray: the key is grabbed on the root window of the X server, with and without
// Num Lock and Caps Lock, through a connection of its own whose events a socket notifier reads.
// A key that another program holds already cannot be had; Register says so.

#include "platform/WinTypes.h"

#include <QObject>

class QSocketNotifier;

class CGlobalHotKey : public QObject {
    Q_OBJECT
public:
    enum class Result { Registered, Taken, NoKey, NoDisplay };

    explicit CGlobalHotKey(QObject* parent = nullptr);
    ~CGlobalHotKey() override;

    // Grabs the virtual key with the modifier bits (HK_MOD_*), releasing the key held before.
    Result Register(UINT vk, UINT modifiers);
    void Unregister();
    bool IsRegistered() const { return m_nKeyCode != 0; }

    // A second key, grabbed only while a capture waits: the one that cancels it.
    Result RegisterCancel(UINT vk);
    void UnregisterCancel();

Q_SIGNALS:
    void activated();
    void cancelled();

private:
    bool Grab(int keycode, unsigned mask);
    void Ungrab(int keycode, unsigned mask);
    void ReadEvents();

    void* m_display = nullptr; // Display*
    QSocketNotifier* m_pNotifier = nullptr;
    int m_nKeyCode = 0;
    unsigned m_nMask = 0;
    int m_nCancelCode = 0;
    unsigned m_nNumLockMask = 0;
};
