#include "acquire/ScreenCapture.h"

#include "acquire/CaptureAreaPicker.h"
#include "acquire/CaptureKinds.h"
#include "acquire/CaptureObjectOptionDlg.h"
#include "acquire/CaptureObjectPicker.h"
#include "acquire/CaptureResource.h"
#include "acquire/UiDialogCapture.h"
#include "acquire/X11Screen.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/ScreenDpi.h"
#include "platform/imaging/MyBitmap.h"

#include <QPainter>

namespace {
LScreenCapture* g_active = nullptr;

// A window the kind names was not there, or closed while it was read.
constexpr int kNoWindow = 1;
constexpr int kWindowGone = 2;
int g_lastWindowFault = 0;

// The cursor as it shows on a plain background of that colour.
QImage OverBackground(const QImage& premultiplied, COLORREF background) {
    QImage out(premultiplied.size(), QImage::Format_RGB32);
    out.fill(QColor(GetRValue(background), GetGValue(background), GetBValue(background)));
    QPainter p(&out);
    p.drawImage(0, 0, premultiplied);
    return out;
}
} // namespace

QString CaptureKindName(int kind) {
    static const char* const names[] = {nullptr,           "FullScreen",        "ClientWindow",
                                        "ActiveWindow",    "WindowUnderCursor", "MenuUnderCursor",
                                        "CapturedObject",  "CapturedArea",      "MouseCursor",
                                        "DesktopWallPaper", "FromExeDlgTree",   "FromTabbedView"};
    if (kind < 1 || kind > 11) return {};
    return QString::fromLatin1(names[kind]);
}

LScreenCapture::~LScreenCapture() {
    if (g_active == this) g_active = nullptr;
}

int LScreenCapture::CaptureFullScreen() { return Start(CAPTURE_FULL_SCREEN); }
int LScreenCapture::CaptureActiveClient() { return Start(CAPTURE_CLIENT_WINDOW); }
int LScreenCapture::CaptureActiveWindow() { return Start(CAPTURE_ACTIVE_WINDOW); }
int LScreenCapture::CaptureWindowUnderCursor() { return Start(CAPTURE_WINDOW_UNDER_CURSOR); }
int LScreenCapture::CaptureMenuUnderCursor() { return Start(CAPTURE_MENU_UNDER_CURSOR); }
int LScreenCapture::CaptureSelectedObject() { return Start(CAPTURE_OBJECT); }
int LScreenCapture::CaptureArea() { return Start(CAPTURE_AREA); }
int LScreenCapture::CaptureWallpaper() { return Start(CAPTURE_WALLPAPER); }

int LScreenCapture::CaptureMouseCursor(COLORREF background) {
    m_crCursorBackground = background;
    return Start(CAPTURE_MOUSE_CURSOR);
}

int LScreenCapture::CaptureFromEXEDlg(const QString& fileName, int resourceType, int tree) {
    // Only the dialogs of an interface file are read.
    if (resourceType != 7) return ERROR_INV_PARAMETER;
    m_strDialogFile = fileName;
    m_nDialogTree = tree;
    return Start(tree ? CAPTURE_DIALOG_TREE : CAPTURE_DIALOG_TABS);
}

bool LScreenCapture::CaptureObjectOptionDlg() {
    return CCaptureObjectOptionDlg::Run(m_objectOptions);
}

int LScreenCapture::StopCapture() {
    if (LScreenCapture* c = g_active; c && c->m_nArmedOp) {
        c->m_nArmedOp = 0;
        g_active = nullptr;
        c->ArmedChanged(false);
    }
    return SUCCESS;
}

bool LScreenCapture::IsCaptureActive() { return g_active != nullptr; }
LScreenCapture* LScreenCapture::ActiveCapture() { return g_active; }

bool LScreenCapture::HotKeyPressed() {
    if (!m_nArmedOp) return false;
    const int kind = m_nArmedOp;
    m_nArmedOp = 0;
    const int rc = RunArmed(kind);
    if (rc != SUCCESS) {
        if (const QString text = CaptureErrorText(rc); !text.isEmpty()) ErrorBox(text);
    }
    g_active = nullptr;
    ArmedChanged(false);
    return true;
}

bool LScreenCapture::CancelKeyPressed() {
    if (!m_nArmedOp) return false;
    StopCapture();
    return true;
}

int LScreenCapture::ScreenCaptureCallBack(LBitmapBase&) { return SUCCESS; }

int LScreenCapture::Start(int kind) {
    DEF_TRY
    if (g_active) return ERROR_INV_PARAMETER; // one capture at a time
    if (!CX11Screen::Get()) return ERROR_UNSUPPORTED;
    if (m_option[LEADCAP_HOTKEY] != 0) return Arm(kind);
    g_active = this;
    const int rc = Take(kind);
    g_active = nullptr;
    return rc;
    DEF_CATCH
    g_active = nullptr;
    return ERROR_INTERNAL;
}

int LScreenCapture::Arm(int kind) {
    if (g_active && g_active != this) return ERROR_INV_PARAMETER;
    m_nArmedOp = kind;
    g_active = this;
    ArmedChanged(true);
    return SUCCESS;
}

int LScreenCapture::Take(int kind) {
    DEF_TRY
    QImage image;
    g_lastWindowFault = 0;
    const int rc = Grab(kind, image);
    if (rc != SUCCESS) return rc;
    LMyBitmap bitmap;
    // A screen picture is a true-colour page: three bytes a pixel, at the screen's resolution.
    if (image.format() != QImage::Format_RGB888) image = image.convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) return ERROR_NO_MEMORY;
    const int set = bitmap.SetImage(std::move(image), 24);
    if (set != SUCCESS) return set;
    const QPoint dpi = GetScreenDpi();
    bitmap.SetXResolution(dpi.x());
    bitmap.SetYResolution(dpi.y());
    if (!bitmap.IsAllocated()) return ERROR_NOT_ALLOCATED;
    return ScreenCaptureCallBack(bitmap);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LScreenCapture::Grab(int kind, QImage& image) {
    CX11Screen* screen = CX11Screen::Get();
    if (!screen) return ERROR_UNSUPPORTED;
    const QRect whole(QPoint(0, 0), screen->ScreenSize());
    const auto window = [&](XWindowId w) -> int {
        if (!w) {
            g_lastWindowFault = kNoWindow;
            return ERROR_INV_PARAMETER;
        }
        const int rc = screen->GrabWindow(w, image);
        if (rc == ERROR_INV_PARAMETER) g_lastWindowFault = kWindowGone;
        return rc;
    };
    switch (kind) {
    case CAPTURE_FULL_SCREEN:
    case CAPTURE_FILM:
        return screen->GrabRect(whole, image);
    case CAPTURE_ACTIVE_WINDOW: {
        const XWindowId active = screen->ActiveWindow();
        return window(active ? screen->TopLevelOf(active) : 0);
    }
    case CAPTURE_CLIENT_WINDOW:
        return window(screen->ActiveWindow());
    case CAPTURE_WINDOW_UNDER_CURSOR:
        return window(screen->TopLevelAt(screen->PointerPos()));
    case CAPTURE_MENU_UNDER_CURSOR:
        return window(screen->PopupAt(screen->PointerPos()));
    case CAPTURE_OBJECT:
    case CAPTURE_AREA: {
        // The user picks on a still picture of the screen, so what is captured is what was seen.
        QImage frozen;
        if (const int rc = screen->GrabRect(whole, frozen); rc != SUCCESS) return rc;
        QRect picked;
        const int rc = kind == CAPTURE_AREA ? CCaptureAreaPicker::Pick(frozen, picked)
                                            : CCaptureObjectPicker::Pick(frozen, m_objectOptions, picked);
        if (rc != SUCCESS) return rc;
        picked = picked.intersected(whole);
        if (picked.isEmpty()) return ERROR_INV_PARAMETER;
        image = frozen.copy(picked);
        return image.isNull() ? ERROR_NO_MEMORY : SUCCESS;
    }
    case CAPTURE_MOUSE_CURSOR: {
        QImage cursor;
        QPoint hot;
        unsigned long serial = 0;
        if (const int rc = screen->CursorImage(cursor, hot, serial); rc != SUCCESS) return rc;
        image = OverBackground(cursor, m_crCursorBackground);
        return SUCCESS;
    }
    case CAPTURE_WALLPAPER:
        return screen->Wallpaper(image);
    case CAPTURE_DIALOG_TREE:
    case CAPTURE_DIALOG_TABS:
        return CUiDialogCapture::Run(m_strDialogFile, kind == CAPTURE_DIALOG_TREE, image);
    default:
        return ERROR_INV_PARAMETER;
    }
}

QString LScreenCapture::CaptureErrorText(int code) {
    switch (code) {
    case SUCCESS:
    case ERROR_USER_ABORT:
        return {};
    case ERROR_UNSUPPORTED:
        return LoadResString(IDS_CAPTURE_NEEDS_X11);
    case ERROR_IMAGE_TOO_LARGE:
        return LoadResString(IDS_CAPTURE_TOO_LARGE);
    case ERROR_INV_PARAMETER:
        if (g_lastWindowFault == kNoWindow) return LoadResString(IDS_CAPTURE_NO_WINDOW);
        if (g_lastWindowFault == kWindowGone) return LoadResString(IDS_CAPTURE_WINDOW_GONE);
        return LoadResString(IDS_CAPTURE_EMPTY_AREA);
    case ERROR_NOT_ALLOCATED:
        return LoadResString(IDS_CAPTURE_NO_CURSOR);
    default:
        return LoadResString(IDS_CAPTURE_FAILED).arg(GetImagingErrorText(code));
    }
}
