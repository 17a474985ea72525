#include "frame/FrameState.h"

#include "app/ProfileRecords.h"
#include "platform/Guard.h"
#include "platform/SettingsStore.h"

#include <QMainWindow>

namespace {
const QString kPlacement = QStringLiteral("WINDOWPLACEMENT");
const QString kBarLayout = QStringLiteral("Layout");
// A version of the bar layout: a layout saved by a build with other bars is not restored.
constexpr int kBarStateVersion = 1;
// Larger than any screen: a placement beyond it is damaged.
constexpr LONG kMaxCoordinate = 100000;

void PutLE(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
LONG GetLE(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(std::uint8_t(b[at + i])) << (8 * i);
    return LONG(v);
}
} // namespace

QByteArray WritePlacementRecord(const WINDOWPLACEMENT& wp) {
    QByteArray b;
    for (const LONG v : {LONG(wp.length), LONG(wp.flags), LONG(wp.showCmd), wp.ptMinPosition.x,
                         wp.ptMinPosition.y, wp.ptMaxPosition.x, wp.ptMaxPosition.y,
                         wp.rcNormalPosition.left, wp.rcNormalPosition.top,
                         wp.rcNormalPosition.right, wp.rcNormalPosition.bottom})
        PutLE(b, std::uint32_t(v));
    return b;
}

bool ReadPlacementRecord(const QByteArray& bytes, WINDOWPLACEMENT& wp) {
    if (bytes.size() != WINDOWPLACEMENT_SIZE)
        return false;
    WINDOWPLACEMENT r;
    r.length = UINT(GetLE(bytes, 0));
    r.flags = UINT(GetLE(bytes, 4));
    r.showCmd = UINT(GetLE(bytes, 8));
    r.ptMinPosition = POINT{GetLE(bytes, 12), GetLE(bytes, 16)};
    r.ptMaxPosition = POINT{GetLE(bytes, 20), GetLE(bytes, 24)};
    r.rcNormalPosition = RECT{GetLE(bytes, 28), GetLE(bytes, 32), GetLE(bytes, 36), GetLE(bytes, 40)};
    const RECT& rc = r.rcNormalPosition;
    if (rc.right <= rc.left || rc.bottom <= rc.top || rc.left < -kMaxCoordinate ||
        rc.top < -kMaxCoordinate || rc.right > kMaxCoordinate || rc.bottom > kMaxCoordinate)
        return false;
    wp = r;
    return true;
}

void RestoreWindowPlacement(QMainWindow& window) {
    DEF_TRY
    WINDOWPLACEMENT wp;
    if (!ReadPlacementRecord(Profile().GetProfileBinary(kSectionSettings, kPlacement), wp)) {
        window.setGeometry(0, 0, 800, 570);
        return;
    }
    const RECT& rc = wp.rcNormalPosition;
    window.setGeometry(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    if (wp.showCmd == 3)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    DEF_CATCH
}

void SaveWindowPlacement(const QMainWindow& window) {
    DEF_TRY
    WINDOWPLACEMENT wp;
    const QRect g = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    wp.rcNormalPosition = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    wp.showCmd = window.isMaximized() ? 3 : window.isMinimized() ? 2 : 1;
    const QByteArray b = WritePlacementRecord(wp);
    Profile().WriteProfileData(kSectionSettings, kPlacement, b.constData(), int(b.size()));
    DEF_CATCH
}

bool RestoreBarState(QMainWindow& window) {
    DEF_TRY
    const QByteArray state = Profile().GetProfileBinary(kSectionBarState, kBarLayout);
    if (state.isEmpty())
        return true;
    return window.restoreState(state, kBarStateVersion);
    DEF_CATCH
    return false;
}

void SaveBarState(const QMainWindow& window) {
    DEF_TRY
    const QByteArray state = window.saveState(kBarStateVersion);
    Profile().WriteProfileData(kSectionBarState, kBarLayout, state.constData(), int(state.size()));
    DEF_CATCH
}
