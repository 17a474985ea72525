#pragma once
// LScreenCapture: the capture engine. Each capture operation takes its kind of picture from the
// screen and hands it to ScreenCaptureCallBack. With a hot key in the option record (field 2) the
// operation only arms the capture and returns at once; the capture happens when the hot key is
// pressed (HotKeyPressed) and the cancel key (field 4) or StopCapture disarms it. With the hot-key
// fields cleared the capture happens at once.
//
// The operations answer an imaging result code; a failure leaves nothing behind and the caller
// says why (CaptureErrorText).

#include "app/ProfileRecords.h"
#include "platform/WinTypes.h"

#include <QImage>
#include <QString>

class LBitmapBase;

// The options of the captured-object kind: the colour and width of the frame that shows the
// window under the mouse.
struct CaptureObjectOptions {
    COLORREF crHighlight = RGB(255, 0, 0);
    int nWidth = 3;
};

class LScreenCapture {
public:
    LScreenCapture() = default;
    virtual ~LScreenCapture();
    LScreenCapture(const LScreenCapture&) = delete;
    LScreenCapture& operator=(const LScreenCapture&) = delete;

    void SetCaptureOption(const LeadCaptureOptions& option) { m_option = option; }
    const LeadCaptureOptions& GetCaptureOption() const { return m_option; }
    CaptureObjectOptions& ObjectOptions() { return m_objectOptions; }

    int CaptureFullScreen();
    int CaptureActiveClient();
    int CaptureActiveWindow();
    int CaptureWindowUnderCursor();
    int CaptureMenuUnderCursor();
    int CaptureSelectedObject();
    int CaptureArea();
    int CaptureMouseCursor(COLORREF background);
    int CaptureWallpaper();
    // The dialogs of an interface file (or of every one in its folder); an empty name asks for
    // the file. Resource type 7 only; `tree` 1 lists them in a tree, 0 shows them as tabs.
    int CaptureFromEXEDlg(const QString& fileName, int resourceType, int tree);
    // Colour and width of the captured-object frame; true on OK.
    bool CaptureObjectOptionDlg();

    // Disarms a waiting capture.
    static int StopCapture();
    // A capture is armed or being taken.
    static bool IsCaptureActive();
    // The capture object that is armed or capturing; null when none.
    static LScreenCapture* ActiveCapture();
    bool IsArmed() const { return m_nArmedOp != 0; }

    // The capture hot key: an armed capture happens now. False when nothing was armed.
    bool HotKeyPressed();
    // The cancel key: an armed capture is disarmed. False when nothing was armed.
    bool CancelKeyPressed();

    // A capture was taken; `bitmap` is allocated. The answer is passed on to the caller.
    virtual int ScreenCaptureCallBack(LBitmapBase& bitmap);

    // What the user is told about a failed capture; empty for a cancelled one.
    static QString CaptureErrorText(int code);

protected:
    // A capture was armed (true), or an armed capture ended, taken or cancelled (false).
    virtual void ArmedChanged(bool /*armed*/) {}
    // Arms `kind` to run (RunArmed) when the hot key comes.
    int Arm(int kind);
    // What the hot key does for an armed kind: by default the capture of that kind.
    virtual int RunArmed(int kind) { return Take(kind); }
    int Take(int kind);

private:
    int Start(int kind);
    int Grab(int kind, QImage& image);

    LeadCaptureOptions m_option = DefaultLeadCaptureOptions();
    CaptureObjectOptions m_objectOptions;
    int m_nArmedOp = 0;
    QString m_strDialogFile;
    int m_nDialogTree = 1;
    COLORREF m_crCursorBackground = RGB(255, 255, 255);
};
