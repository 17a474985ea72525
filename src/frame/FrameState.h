#pragma once
// What the main window keeps of itself between sessions: its placement (the 44-byte record
// "WINDOWPLACEMENT") and the layout of its bars ("Settings\BarState"), both under "Settings".

#include "platform/WinTypes.h"

#include <QByteArray>

class QMainWindow;

struct WINDOWPLACEMENT {
    UINT length = 44;
    UINT flags = 0;
    UINT showCmd = 1; // 1 normal, 2 minimized, 3 maximized
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44);
static_assert(offsetof(WINDOWPLACEMENT, showCmd) == 8 &&
              offsetof(WINDOWPLACEMENT, ptMinPosition) == 12 &&
              offsetof(WINDOWPLACEMENT, ptMaxPosition) == 20 &&
              offsetof(WINDOWPLACEMENT, rcNormalPosition) == 28);
constexpr int WINDOWPLACEMENT_SIZE = 44;

QByteArray WritePlacementRecord(const WINDOWPLACEMENT& wp);
// False for a record that is not exactly 44 bytes or has an empty or absurd rectangle.
bool ReadPlacementRecord(const QByteArray& bytes, WINDOWPLACEMENT& wp);

// The window at its saved placement, or 800 x 570 at (0, 0) without one.
void RestoreWindowPlacement(QMainWindow& window);
void SaveWindowPlacement(const QMainWindow& window);
// False (and the default layout stays) when a saved layout is there but cannot be restored.
bool RestoreBarState(QMainWindow& window);
void SaveBarState(const QMainWindow& window);
