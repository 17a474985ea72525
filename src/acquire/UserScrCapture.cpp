#include "acquire/UserScrCapture.h"

#include "acquire/CaptureHost.h"
#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"
#include "acquire/X11Screen.h"
#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "platform/ErrorLog.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"
#include "view/LumidorView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace {
qint64 g_settledMs = 0;
const QString kFilmPageName = QStringLiteral("Film");

// A file name in the folder that no file has yet: "name.ext", else "name (2).ext" and so on, so
// that a capture never replaces the picture of an earlier session.
QString FreePath(const QString& path) {
    if (!QFileInfo::exists(path)) return path;
    const QFileInfo info(path);
    for (int n = 2; n < 10000; ++n) {
        const QString candidate = info.dir().filePath(
            QStringLiteral("%1 (%2).%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
        if (!QFileInfo::exists(candidate)) return candidate;
    }
    return path;
}
} // namespace

LUserScrCapture::LUserScrCapture(ICaptureHost& host, CaptureOptions& options, LeadCaptureOptions& lead)
    : m_host(host), m_options(options), m_lead(lead) {
    m_bImmediate = m_options[CAPOPT_IMMEDIATE] ? 1 : 0;
}

qint64 LUserScrCapture::SettledMs() { return g_settledMs; }
void LUserScrCapture::ResetSettledMs() { g_settledMs = 0; }

void LUserScrCapture::Settle(int ms) {
    // The window's unmapping reaches the server and the programs under it repaint meanwhile;
    // the user's own input waits.
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        if (timer.elapsed() < ms) QThread::msleep(1);
    } while (timer.elapsed() < ms);
    g_settledMs += timer.elapsed();
}

void LUserScrCapture::EnableImmediateCapture(bool bPrepare) {
    DEF_TRY
    if (!bPrepare) {
        if (m_options[CAPOPT_SHOW_AFTER]) m_host.ShowMainWindow();
        m_nKind = 0;
        return;
    }
    LeadCaptureOptions option = m_lead;
    option[LEADCAP_CURSOR] = LONG(m_hCursor);
    if (m_options[CAPOPT_HIDE_WINDOW] && m_host.IsMainWindowVisible()) {
        m_host.HideMainWindow();
        if (m_bSettle) Settle(m_bFilm ? kFilmSettleMs : kSettleMs);
    }
    if (m_bImmediate) {
        option[LEADCAP_HOTKEY] = 0;
        option[LEADCAP_MODIFIERS] = 0;
    }
    SetCaptureOption(option);
    DEF_CATCH
}

int LUserScrCapture::RunKind(int kind) {
    switch (kind) {
    case CAPTURE_FULL_SCREEN:
    case CAPTURE_FILM: return CaptureFullScreen();
    case CAPTURE_CLIENT_WINDOW: return CaptureActiveClient();
    case CAPTURE_ACTIVE_WINDOW: return CaptureActiveWindow();
    case CAPTURE_WINDOW_UNDER_CURSOR: return CaptureWindowUnderCursor();
    case CAPTURE_MENU_UNDER_CURSOR: return CaptureMenuUnderCursor();
    case CAPTURE_OBJECT: return CaptureSelectedObject();
    case CAPTURE_AREA: return CaptureArea();
    case CAPTURE_MOUSE_CURSOR: return CaptureMouseCursor(RGB(255, 255, 255));
    case CAPTURE_WALLPAPER: return CaptureWallpaper();
    case CAPTURE_DIALOG_TREE: return CaptureFromEXEDlg(QString(), 7, 1);
    case CAPTURE_DIALOG_TABS: return CaptureFromEXEDlg(QString(), 7, 0);
    default: return ERROR_INV_PARAMETER;
    }
}

int LUserScrCapture::CaptureKind(int kind) {
    DEF_TRY
    if (IsCaptureActive()) return ERROR_INV_PARAMETER;
    m_nKind = kind;
    EnableImmediateCapture(true);
    m_host.CaptureStateChanged();
    const int rc = RunKind(kind);
    // An armed capture finishes when it is taken or cancelled (ArmedChanged).
    if (!IsArmed()) {
        EnableImmediateCapture(false);
        if (const QString text = CaptureErrorText(rc); !text.isEmpty()) ErrorBox(text);
    }
    m_host.CaptureStateChanged();
    return rc;
    DEF_CATCH
    m_nKind = 0;
    return ERROR_INTERNAL;
}

void LUserScrCapture::ArmedChanged(bool armed) {
    DEF_TRY
    if (armed) {
        m_host.ShowStatusMessage(LoadResString(IDS_CAPTURE_ARMED));
    } else {
        // The armed capture was taken or cancelled: the capture ends as an immediate one does.
        if (m_bSeriesArmed) {
            m_bSeriesArmed = false;
            m_bSettle = 1;
        }
        EnableImmediateCapture(false);
        m_host.ShowStatusMessage(QString());
    }
    m_host.CaptureStateChanged();
    DEF_CATCH
}

int LUserScrCapture::CaptureMultiple() {
    DEF_TRY
    if (IsCaptureActive()) return ERROR_INV_PARAMETER;
    if (!m_options[CAPOPT_MULTI_FIRST_IMMEDIATE]) m_bFirstCapture = false;
    const LONG remembered = m_bImmediate;
    if (!m_bImmediate && m_bFirstCapture) {
        m_bImmediate = 1;
        m_bFirstCapture = false;
    }
    m_bSettle = 0;
    m_nKind = CAPTURE_MULTIPLE;
    EnableImmediateCapture(true);
    int rc = SUCCESS;
    if (!m_bImmediate && m_lead[LEADCAP_HOTKEY] != 0) {
        // The whole series waits for the hot key.
        m_bSeriesArmed = true;
        m_bImmediate = remembered;
        return Arm(CAPTURE_MULTIPLE);
    }
    rc = RunSeries();
    EnableImmediateCapture(false);
    m_bImmediate = remembered;
    m_bSettle = 1;
    m_host.CaptureStateChanged();
    return rc;
    DEF_CATCH
    m_bSettle = 1;
    m_bAppend = 0;
    m_nKind = 0;
    return ERROR_INTERNAL;
}

int LUserScrCapture::RunSeries() {
    Settle(kMultipleSettleMs);
    struct Step {
        int option;
        int kind;
    };
    static constexpr Step steps[] = {{CAPOPT_MULTI_ACTIVE_WINDOW, CAPTURE_ACTIVE_WINDOW},
                                     {CAPOPT_MULTI_FULL_SCREEN, CAPTURE_FULL_SCREEN},
                                     {CAPOPT_MULTI_WINDOW_UNDER_CURSOR, CAPTURE_WINDOW_UNDER_CURSOR},
                                     {CAPOPT_MULTI_WALLPAPER, CAPTURE_WALLPAPER}};
    bool first = true;
    int result = SUCCESS;
    m_bAppend = 0;
    m_strName.clear();
    for (const Step& step : steps) {
        if (!m_options[step.option]) continue;
        m_nKind = step.kind;
        LeadCaptureOptions option = GetCaptureOption();
        // Every picture of the series is taken now; the hot key, if any, started it.
        option[LEADCAP_HOTKEY] = 0;
        option[LEADCAP_MODIFIERS] = 0;
        SetCaptureOption(option);
        if (first) m_strName = CaptureKindName(step.kind);
        const int rc = Take(step.kind);
        if (rc != SUCCESS) {
            if (const QString text = CaptureErrorText(rc); !text.isEmpty()) ErrorBox(text);
            if (first) m_strName.clear();
            result = rc;
            continue; // the next kind of the series still comes
        }
        if (first) {
            first = false;
            m_bAppend = 1;
        }
    }
    m_bAppend = 0;
    m_nKind = CAPTURE_MULTIPLE;
    return result;
}

int LUserScrCapture::RunArmed(int kind) {
    if (kind != CAPTURE_MULTIPLE) return Take(kind);
    return RunSeries();
}

int LUserScrCapture::CaptureFilm() {
    DEF_TRY
    if (IsCaptureActive()) return 0;
    QElapsedTimer timer;
    timer.start();
    QApplication::beep();
    int count = 0;
    const LONG remembered = m_bImmediate;
    m_bImmediate = 1;
    m_bFilm = 1;
    CX11Screen* screen = CX11Screen::Get();
    while (timer.elapsed() < kFilmMs && count < kMaxFilmFrames) {
        if (screen) {
            QImage cursor;
            QPoint hot;
            unsigned long serial = 0;
            if (screen->CursorImage(cursor, hot, serial) == SUCCESS) m_hCursor = serial;
        }
        m_nKind = CAPTURE_FILM;
        EnableImmediateCapture(true);
        const int rc = Take(CAPTURE_FILM);
        EnableImmediateCapture(false);
        if (rc != SUCCESS) {
            if (const QString text = CaptureErrorText(rc); !text.isEmpty()) ErrorBox(text);
            break;
        }
        ++count;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    m_bFilm = 0;
    m_bImmediate = remembered;
    QApplication::beep();
    MessageRequest request;
    request.text = QString::number(count);
    request.caption = QStringLiteral("Count");
    request.icon = MsgIcon::Information;
    ShowMessage(request);
    m_host.CaptureStateChanged();
    return count;
    DEF_CATCH
    m_bFilm = 0;
    return 0;
}

bool LUserScrCapture::AppendToActiveDocument(const LBitmapBase& bitmap, const QString& kindName) {
    CLumidorDoc* doc = m_host.GetActiveDocument();
    if (!doc) return false;
    m_host.SetCaptureCaptions(kindName, m_strName.isEmpty() ? kindName : m_strName);
    doc->m_strNewPageName = kindName.toLatin1();
    return doc->AppendPageFromBitmap(bitmap) != FALSE;
}

int LUserScrCapture::ScreenCaptureCallBack(LBitmapBase& bitmap) {
    DEF_TRY
    if (!bitmap.IsAllocated()) return ERROR_NOT_ALLOCATED;
    CLumidorApp* app = CLumidorApp::Instance();
    if (m_nKind == CAPTURE_MOUSE_CURSOR) {
        m_host.AddCursorToCollection(bitmap);
        return SUCCESS;
    }
    if (m_nKind == CAPTURE_FILM) {
        if (AppendToActiveDocument(bitmap, kFilmPageName)) return SUCCESS;
        // The first picture of a film without a document opens one for the rest.
        if (app) {
            app->m_newDocSource.strTitle = m_host.GetNextDocName();
            app->m_newDocSource.strPageName = kFilmPageName;
            app->CreateDocFromBitmap(&bitmap);
        }
        return SUCCESS;
    }
    const QString kindName = CaptureKindName(m_nKind);
    if (m_bAppend) {
        AppendToActiveDocument(bitmap, kindName);
        return SUCCESS;
    }
    QApplication::beep();
    const QString name = m_host.GetNextDocName();
    if (m_options[CAPOPT_TO_DOCUMENT] && app) {
        app->m_newDocSource.strTitle = name;
        app->m_newDocSource.strPageName = kindName;
        app->CreateDocFromBitmap(&bitmap);
    }
    if (m_options[CAPOPT_TO_FILE]) SaveToImagesFolder(bitmap, name);
    if (m_options[CAPOPT_TO_CLIPBOARD]) {
        const int rc = bitmap.CopyToClipboard(COPY_EMPTY | COPY_DIB | COPY_IMAGE);
        if (rc != SUCCESS) WriteLog(QStringLiteral("Error %1").arg(rc));
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

void LUserScrCapture::SaveToImagesFolder(const LBitmapBase& bitmap, const QString& name) {
    DEF_TRY
    const QString folder = m_host.GetImagesPath();
    QString path = folder + QLatin1Char('/') + name + QStringLiteral(".bmp");
    const QString changed = SelectGraphExt(path, m_host.GetImageFormat() + 1);
    // A metafile is no format a screen picture is written in: it stays a bitmap file.
    if (!changed.isEmpty() && !changed.endsWith(QStringLiteral(".emf"), Qt::CaseInsensitive))
        path = changed;
    if (!QDir().mkpath(folder)) {
        ErrorBox(LoadResString(IDS_CAPTURE_SAVE_FAILED).arg(FileNameForMessage(path)));
        return;
    }
    path = FreePath(path);
    int depth = bitmap.GetBitsPerPixel(), format = 0, quality = 0;
    if (!GetImageFormatParams(path, depth, format, quality, false)) {
        ErrorBox(LoadResString(IDS_CAPTURE_SAVE_FAILED).arg(FileNameForMessage(path)));
        return;
    }
    LMyBitmap copy(bitmap);
    copy.EnableCallBack(true);
    const int rc = copy.Save(path, format, depth, quality);
    m_host.HideProgress();
    if (rc != SUCCESS && rc != ERROR_USER_ABORT)
        ErrorBox(LoadResString(IDS_CAPTURE_SAVE_FAILED).arg(FileNameForMessage(path)) +
                 QLatin1Char('\n') + GetImagingErrorText(rc));
    DEF_CATCH
}
