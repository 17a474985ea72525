#include "acquire/CaptureBatch.h"

#include "acquire/BatchOutput.h"
#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"
#include "acquire/ScreenCapture.h"
#include "acquire/X11Screen.h"
#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"

#include <QRegularExpression>
#include <QThread>
#include <cstdio>

namespace {

const char* const kUsage = "KIND [--delay SECONDS] OUT  (KIND: full, active, client, window, "
                           "cursor, wallpaper, area:X,Y,W,H)";

// The picture of one capture, kept for the command to write.
class CBatchCapture : public LScreenCapture {
public:
    // Nobody is there to press a hot key: every capture happens at once.
    CBatchCapture() {
        LeadCaptureOptions option = GetCaptureOption();
        option[LEADCAP_HOTKEY] = 0;
        option[LEADCAP_MODIFIERS] = 0;
        SetCaptureOption(option);
    }
    int ScreenCaptureCallBack(LBitmapBase& bitmap) override {
        m_bitmap.Copy(bitmap);
        return SUCCESS;
    }
    LMyBitmap m_bitmap;
};

int Usage() {
    std::fprintf(stderr, "Usage: brellin --capture %s\n", kUsage);
    return 2;
}

} // namespace

// The area of "area:X,Y,W,H"; false for anything else.
bool ParseCaptureArea(const QString& kind, QRect& rect) {
    static const QRegularExpression re(QStringLiteral("^area:(-?\\d+),(-?\\d+),(\\d+),(\\d+)$"));
    const QRegularExpressionMatch m = re.match(kind);
    if (!m.hasMatch()) return false;
    bool ok[4];
    const int x = m.captured(1).toInt(&ok[0]), y = m.captured(2).toInt(&ok[1]);
    const int w = m.captured(3).toInt(&ok[2]), h = m.captured(4).toInt(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3]) return false;
    rect = QRect(x, y, w, h);
    return true;
}

int RunCaptureCommand(const QStringList& args) {
    DEF_TRY
    QString kind, out;
    double delay = 0;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--delay")) {
            bool ok = false;
            delay = i + 1 < args.size() ? args[++i].toDouble(&ok) : 0;
            if (!ok || !(delay >= 0) || delay > 3600) return Usage();
        } else if (kind.isEmpty()) {
            kind = args[i];
        } else if (out.isEmpty()) {
            out = args[i];
        } else {
            return Usage();
        }
    }
    if (kind.isEmpty() || out.isEmpty()) return Usage();
    static const QMap<QString, int> kinds{{QStringLiteral("full"), CAPTURE_FULL_SCREEN},
                                          {QStringLiteral("active"), CAPTURE_ACTIVE_WINDOW},
                                          {QStringLiteral("client"), CAPTURE_CLIENT_WINDOW},
                                          {QStringLiteral("window"), CAPTURE_WINDOW_UNDER_CURSOR},
                                          {QStringLiteral("cursor"), CAPTURE_MOUSE_CURSOR},
                                          {QStringLiteral("wallpaper"), CAPTURE_WALLPAPER}};
    QRect area;
    const bool isArea = ParseCaptureArea(kind, area);
    if (!isArea && !kinds.contains(kind)) return Usage();
    // Checked before anything is captured, so that a bad name writes nothing.
    if (!IsBatchOutputPath(out)) {
        ErrorBox(LoadResString(IDS_CAPTURE_SAVE_FAILED).arg(FileNameForMessage(out)));
        return 1;
    }
    CX11Screen* screen = CX11Screen::Get();
    if (!screen) {
        ErrorBox(LoadResString(IDS_CAPTURE_NEEDS_X11));
        return 1;
    }
    if (delay > 0) QThread::msleep(static_cast<unsigned long>(delay * 1000));
    CBatchCapture capture;
    int rc = SUCCESS;
    if (isArea) {
        QImage image;
        if (area.isEmpty()) {
            ErrorBox(LoadResString(IDS_CAPTURE_EMPTY_AREA));
            return 1;
        }
        rc = screen->GrabRect(area, image);
        if (rc == SUCCESS) rc = capture.m_bitmap.SetImage(image.convertToFormat(QImage::Format_RGB888), 24);
    } else {
        switch (kinds.value(kind)) {
        case CAPTURE_FULL_SCREEN: rc = capture.CaptureFullScreen(); break;
        case CAPTURE_ACTIVE_WINDOW: rc = capture.CaptureActiveWindow(); break;
        case CAPTURE_CLIENT_WINDOW: rc = capture.CaptureActiveClient(); break;
        case CAPTURE_WINDOW_UNDER_CURSOR: rc = capture.CaptureWindowUnderCursor(); break;
        case CAPTURE_MOUSE_CURSOR: rc = capture.CaptureMouseCursor(RGB(255, 255, 255)); break;
        case CAPTURE_WALLPAPER: rc = capture.CaptureWallpaper(); break;
        default: rc = ERROR_INV_PARAMETER; break;
        }
    }
    if (rc != SUCCESS || !capture.m_bitmap.IsAllocated()) {
        const QString text = LScreenCapture::CaptureErrorText(rc == SUCCESS ? ERROR_NOT_ALLOCATED : rc);
        ErrorBox(text.isEmpty() ? LoadResString(IDS_CAPTURE_FAILED).arg(rc) : text);
        return 1;
    }
    CBatchOutput output(out, BatchPageKind::TrimmedCapture, IDS_CAPTURE_SAVE_FAILED);
    if (output.AddPage(capture.m_bitmap) != 0) return 1;
    return output.Finish();
    DEF_CATCH
    return 1;
}

void RegisterCaptureBatchCommand() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(QStringLiteral("capture"), QString::fromLatin1(kUsage),
                                      RunCaptureCommand, true);
    DEF_CATCH
}
