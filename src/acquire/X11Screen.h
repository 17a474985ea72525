#pragma once
// CX11Screen: the program's own connection to the X server for reading the screen: the pixels of
// the root window or of any drawable, the windows a capture kind names (active, under the
// pointer, pop-up menus, the deepest window), the mouse cursor's image (XFixes) and the
// wallpaper. Qt talks to the server over its own xcb connection; this one is Xlib's and is used
// only here, so a window that vanishes during a capture ends as an error code, not a fault.
//
// Every function answers an imaging result code (SUCCESS or an ERROR_ value) and leaves its
// output empty on failure.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

using XWindowId = unsigned long;

class CX11Screen {
public:
    // The screen of the display Qt runs on; null where there is none (no X server, or Qt on
    // another platform).
    static CX11Screen* Get();
    ~CX11Screen();
    CX11Screen(const CX11Screen&) = delete;
    CX11Screen& operator=(const CX11Screen&) = delete;

    XWindowId Root() const;
    QSize ScreenSize() const;
    QPoint PointerPos() const;

    // The pixels of a rectangle of the root window (clipped to the screen) as a 32-bit image;
    // ERROR_IMAGE_TOO_LARGE above the page limit, ERROR_INV_PARAMETER for an empty rectangle.
    int GrabRect(const QRect& rect, QImage& out);
    // The visible pixels of a window, its children and what overlaps it included.
    int GrabWindow(XWindowId window, QImage& out, QRect* where = nullptr);

    // The window a window manager calls active (_NET_ACTIVE_WINDOW), else the top-level window
    // of the keyboard focus; 0 when there is none.
    XWindowId ActiveWindow();
    // The child of the root that holds `window` (with a window manager, its frame).
    XWindowId TopLevelOf(XWindowId window);
    // The top-most mapped child of the root under the point, passing over `exclude`.
    XWindowId TopLevelAt(const QPoint& at, XWindowId exclude = 0);
    // The top-most mapped override-redirect child of the root (a pop-up menu) under the point.
    XWindowId PopupAt(const QPoint& at);
    // The deepest mapped window under the point, passing over `exclude` and what it holds.
    XWindowId DeepestAt(const QPoint& at, XWindowId exclude = 0);
    // The window's rectangle on the screen; false when it is gone or unmapped.
    bool WindowRect(XWindowId window, QRect& rect);

    // The mouse cursor as the server shows it now: premultiplied ARGB pixels, the hot spot and
    // the server's serial of that image.
    int CursorImage(QImage& argb, QPoint& hotSpot, unsigned long& serial);
    // The desktop background: the pixmap _XROOTPMAP_ID names, else the root window's own
    // background, shown by a window of that background laid over everything for a moment.
    int Wallpaper(QImage& out);

private:
    explicit CX11Screen(void* display);
    int GrabDrawable(unsigned long drawable, const QRect& rect, QImage& out);

    void* m_display; // Display*
};
