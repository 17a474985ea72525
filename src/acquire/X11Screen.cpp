#include "acquire/X11Screen.h"

#include "platform/imaging/BitmapBase.h"

#include <QGuiApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstring>
#include <memory>

namespace {

Display* Dpy(void* d) { return static_cast<Display*>(d); }

// Errors of the requests made while it lives are noted instead of ending the program: the window
// a capture asked about may close at any moment.
class CXErrorTrap {
public:
    explicit CXErrorTrap(Display* d) : m_d(d) {
        XSync(m_d, False);
        s_error = 0;
        m_previous = XSetErrorHandler(&CXErrorTrap::Handler);
    }
    ~CXErrorTrap() {
        XSync(m_d, False);
        XSetErrorHandler(m_previous);
    }
    // The first error since the trap was set, after every request has been answered.
    int Error() {
        XSync(m_d, False);
        return s_error;
    }

private:
    static int Handler(Display*, XErrorEvent* e) {
        if (!s_error) s_error = e->error_code;
        return 0;
    }
    Display* m_d;
    XErrorHandler m_previous;
    static inline int s_error = 0;
};

struct XFreeDeleter {
    void operator()(void* p) const {
        if (p) XFree(p);
    }
};

int MaskShift(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

int MaskBits(unsigned long mask) {
    int n = 0;
    for (; mask; mask >>= 1) n += int(mask & 1);
    return n;
}

// The pixels of an XImage as a 32-bit image: the common 24-in-32 layout row by row, anything
// else pixel by pixel through the colour masks.
QImage FromXImage(XImage* xi) {
    QImage img = brellin::imaging::NewImage(xi->width, xi->height, QImage::Format_RGB32);
    if (img.isNull()) return {};
    const bool direct = xi->bits_per_pixel == 32 && xi->red_mask == 0xFF0000 &&
                        xi->green_mask == 0xFF00 && xi->blue_mask == 0xFF &&
                        xi->byte_order == LSBFirst;
    if (direct) {
        const std::size_t row = std::size_t(xi->width) * 4;
        for (int y = 0; y < xi->height; ++y) {
            auto* dst = reinterpret_cast<quint32*>(img.scanLine(y));
            std::memcpy(dst, xi->data + std::ptrdiff_t(y) * xi->bytes_per_line, row);
            for (int x = 0; x < xi->width; ++x) dst[x] |= 0xFF000000u;
        }
        return img;
    }
    const int rs = MaskShift(xi->red_mask), gs = MaskShift(xi->green_mask), bs = MaskShift(xi->blue_mask);
    const int rb = MaskBits(xi->red_mask), gb = MaskBits(xi->green_mask), bb = MaskBits(xi->blue_mask);
    const auto scale = [](unsigned long v, int bits) {
        return bits <= 0 ? 0 : int(v * 255 / ((1ul << bits) - 1));
    };
    for (int y = 0; y < xi->height; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < xi->width; ++x) {
            const unsigned long p = XGetPixel(xi, x, y);
            dst[x] = qRgb(scale((p & xi->red_mask) >> rs, rb), scale((p & xi->green_mask) >> gs, gb),
                          scale((p & xi->blue_mask) >> bs, bb));
        }
    }
    return img;
}

XWindowId ParentOf(Display* d, XWindowId w, XWindowId& root) {
    Window r = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &r, &parent, &children, &n)) return 0;
    if (children) XFree(children);
    root = r;
    return parent;
}

} // namespace

CX11Screen* CX11Screen::Get() {
    static std::unique_ptr<CX11Screen> screen;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            if (Display* d = XOpenDisplay(nullptr)) screen.reset(new CX11Screen(d));
    }
    return screen.get();
}

CX11Screen::CX11Screen(void* display) : m_display(display) {}

CX11Screen::~CX11Screen() {
    if (m_display) XCloseDisplay(Dpy(m_display));
}

XWindowId CX11Screen::Root() const { return DefaultRootWindow(Dpy(m_display)); }

QSize CX11Screen::ScreenSize() const {
    Display* d = Dpy(m_display);
    return {DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
}

QPoint CX11Screen::PointerPos() const {
    Display* d = Dpy(m_display);
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(d, Root(), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return {rx, ry};
}

int CX11Screen::GrabDrawable(unsigned long drawable, const QRect& rect, QImage& out) {
    out = QImage();
    if (rect.isEmpty()) return ERROR_INV_PARAMETER;
    // Checked before the server is asked for the pixels: a huge screen must not first be copied.
    if (!brellin::imaging::FitsLimit(rect.width(), rect.height(), 24)) return ERROR_IMAGE_TOO_LARGE;
    Display* d = Dpy(m_display);
    CXErrorTrap trap(d);
    XImage* xi = XGetImage(d, drawable, rect.x(), rect.y(), unsigned(rect.width()),
                           unsigned(rect.height()), AllPlanes, ZPixmap);
    if (!xi || trap.Error()) {
        if (xi) XDestroyImage(xi);
        return ERROR_INV_PARAMETER;
    }
    out = FromXImage(xi);
    XDestroyImage(xi);
    return out.isNull() ? ERROR_NO_MEMORY : SUCCESS;
}

int CX11Screen::GrabRect(const QRect& rect, QImage& out) {
    const QSize size = ScreenSize();
    // The screen itself is checked first: its size is what a full capture asks for.
    if (rect.width() > size.width() || rect.height() > size.height()) {
        if (!brellin::imaging::FitsLimit(rect.width(), rect.height(), 24)) {
            out = QImage();
            return ERROR_IMAGE_TOO_LARGE;
        }
    }
    return GrabDrawable(Root(), rect.intersected(QRect(QPoint(0, 0), size)), out);
}

bool CX11Screen::WindowRect(XWindowId window, QRect& rect) {
    if (!window) return false;
    Display* d = Dpy(m_display);
    CXErrorTrap trap(d);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a) || trap.Error() || a.map_state != IsViewable)
        return false;
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(d, window, Root(), 0, 0, &x, &y, &child) || trap.Error())
        return false;
    rect = QRect(x - a.border_width, y - a.border_width, a.width + 2 * a.border_width,
                 a.height + 2 * a.border_width);
    return true;
}

int CX11Screen::GrabWindow(XWindowId window, QImage& out, QRect* where) {
    out = QImage();
    QRect r;
    if (!WindowRect(window, r)) return ERROR_INV_PARAMETER;
    const QRect shown = r.intersected(QRect(QPoint(0, 0), ScreenSize()));
    if (where) *where = shown;
    if (shown.isEmpty()) return ERROR_INV_PARAMETER;
    // The screen's pixels where the window lies: what the user sees of it.
    return GrabDrawable(Root(), shown, out);
}

XWindowId CX11Screen::TopLevelOf(XWindowId window) {
    Display* d = Dpy(m_display);
    CXErrorTrap trap(d);
    XWindowId w = window;
    for (int depth = 0; w && depth < 64; ++depth) {
        XWindowId root = 0;
        const XWindowId parent = ParentOf(d, w, root);
        if (trap.Error() || !parent) return 0;
        if (parent == root) return w;
        w = parent;
    }
    return 0;
}

XWindowId CX11Screen::ActiveWindow() {
    Display* d = Dpy(m_display);
    XWindowId active = 0;
    {
        CXErrorTrap trap(d);
        const Atom net = XInternAtom(d, "_NET_ACTIVE_WINDOW", True);
        if (net != None) {
            Atom type = None;
            int format = 0;
            unsigned long n = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, Root(), net, 0, 1, False, XA_WINDOW, &type, &format, &n,
                                   &after, &data) == Success &&
                data) {
                std::unique_ptr<unsigned char, XFreeDeleter> hold(data);
                if (type == XA_WINDOW && format == 32 && n == 1)
                    active = XWindowId(*reinterpret_cast<unsigned long*>(data));
            }
        }
    }
    QRect r;
    if (active && WindowRect(active, r)) return active;
    // Without a window manager: the window that has the keyboard.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == Root()) return 0;
    return TopLevelOf(focus);
}

XWindowId CX11Screen::TopLevelAt(const QPoint& at, XWindowId exclude) {
    Display* d = Dpy(m_display);
    CXErrorTrap trap(d);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, Root(), &root, &parent, &children, &n)) return 0;
    std::unique_ptr<Window, XFreeDeleter> hold(children);
    // The children come bottom first.
    for (unsigned i = n; i-- > 0;) {
        if (children[i] == exclude) continue;
        QRect r;
        if (WindowRect(children[i], r) && r.contains(at)) return children[i];
    }
    return 0;
}

XWindowId CX11Screen::PopupAt(const QPoint& at) {
    Display* d = Dpy(m_display);
    CXErrorTrap trap(d);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, Root(), &root, &parent, &children, &n)) return 0;
    std::unique_ptr<Window, XFreeDeleter> hold(children);
    for (unsigned i = n; i-- > 0;) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable ||
            !a.override_redirect)
            continue;
        QRect r;
        if (WindowRect(children[i], r) && r.contains(at)) return children[i];
    }
    return 0;
}

XWindowId CX11Screen::DeepestAt(const QPoint& at, XWindowId exclude) {
    Display* d = Dpy(m_display);
    CXErrorTrap trap(d);
    XWindowId current = Root(), found = 0;
    for (int depth = 0; depth < 64; ++depth) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(d, current, &root, &parent, &children, &n)) break;
        std::unique_ptr<Window, XFreeDeleter> hold(children);
        XWindowId next = 0;
        for (unsigned i = n; i-- > 0 && !next;) {
            if (children[i] == exclude) continue;
            QRect r;
            if (WindowRect(children[i], r) && r.contains(at)) next = children[i];
        }
        if (!next) break;
        found = current = next;
    }
    return found;
}

int CX11Screen::CursorImage(QImage& argb, QPoint& hotSpot, unsigned long& serial) {
    argb = QImage();
    Display* d = Dpy(m_display);
    int event = 0, error = 0;
    if (!XFixesQueryExtension(d, &event, &error)) return ERROR_UNSUPPORTED;
    CXErrorTrap trap(d);
    XFixesCursorImage* ci = XFixesGetCursorImage(d);
    if (!ci || trap.Error()) {
        if (ci) XFree(ci);
        return ERROR_NOT_ALLOCATED;
    }
    std::unique_ptr<XFixesCursorImage, XFreeDeleter> hold(ci);
    if (ci->width == 0 || ci->height == 0 || ci->width > 1024 || ci->height > 1024)
        return ERROR_NOT_ALLOCATED;
    argb = QImage(ci->width, ci->height, QImage::Format_ARGB32_Premultiplied);
    if (argb.isNull()) return ERROR_NO_MEMORY;
    // The pixels arrive one to an unsigned long, whatever its width.
    for (int y = 0; y < ci->height; ++y) {
        auto* dst = reinterpret_cast<quint32*>(argb.scanLine(y));
        for (int x = 0; x < ci->width; ++x)
            dst[x] = quint32(ci->pixels[std::size_t(y) * ci->width + std::size_t(x)] & 0xFFFFFFFFul);
    }
    hotSpot = QPoint(ci->xhot, ci->yhot);
    serial = ci->cursor_serial;
    return SUCCESS;
}

int CX11Screen::Wallpaper(QImage& out) {
    out = QImage();
    Display* d = Dpy(m_display);
    const QSize size = ScreenSize();
    if (!brellin::imaging::FitsLimit(size.width(), size.height(), 24)) return ERROR_IMAGE_TOO_LARGE;
    Pixmap pixmap = None;
    {
        CXErrorTrap trap(d);
        const Atom prop = XInternAtom(d, "_XROOTPMAP_ID", True);
        if (prop != None) {
            Atom type = None;
            int format = 0;
            unsigned long n = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, Root(), prop, 0, 1, False, XA_PIXMAP, &type, &format, &n,
                                   &after, &data) == Success && data) {
                std::unique_ptr<unsigned char, XFreeDeleter> hold(data);
                if (type == XA_PIXMAP && format == 32 && n == 1)
                    pixmap = Pixmap(*reinterpret_cast<unsigned long*>(data));
            }
        }
    }
    if (pixmap != None) {
        Window root = 0;
        int x = 0, y = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        CXErrorTrap trap(d);
        if (XGetGeometry(d, pixmap, &root, &x, &y, &w, &h, &border, &depth) && !trap.Error() &&
            w > 0 && h > 0) {
            const QRect r(0, 0, int(std::min<unsigned>(w, unsigned(size.width()))),
                          int(std::min<unsigned>(h, unsigned(size.height()))));
            if (GrabDrawable(pixmap, r, out) == SUCCESS) return SUCCESS;
        }
    }
    // No wallpaper pixmap: a window that shows the root's own background, over everything for
    // the moment it takes to read it; the other programs' windows are left alone.
    XSetWindowAttributes attrs;
    attrs.background_pixmap = ParentRelative;
    attrs.override_redirect = True;
    attrs.backing_store = NotUseful;
    CXErrorTrap trap(d);
    const Window cover = XCreateWindow(d, Root(), 0, 0, unsigned(size.width()), unsigned(size.height()),
                                       0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWBackPixmap | CWOverrideRedirect | CWBackingStore, &attrs);
    if (!cover || trap.Error()) return ERROR_INTERNAL;
    XMapRaised(d, cover);
    XClearWindow(d, cover);
    XSync(d, False);
    const int rc = GrabDrawable(Root(), QRect(QPoint(0, 0), size), out);
    XDestroyWindow(d, cover);
    XSync(d, False);
    return rc;
}
