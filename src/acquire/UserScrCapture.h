#pragma once
// LUserScrCapture: the program's capture object. It runs one capture of a kind with the main
// window out of the way, the multiple capture (a series of kinds that become the pages of one
// document) and the film (full-screen captures for five seconds), and decides what becomes of a
// captured picture (ScreenCaptureCallBack): the shelf for a cursor, a new page of the active
// document within a series, otherwise any of a new document, a file in the images folder and the
// clipboard as the capture options say.

#include "acquire/ScreenCapture.h"
#include "app/ProfileRecords.h"

#include <QString>

class ICaptureHost;

class LUserScrCapture : public LScreenCapture {
public:
    LUserScrCapture(ICaptureHost& host, CaptureOptions& options, LeadCaptureOptions& lead);

    // One capture of a kind (1 to 11); its result code, a failure already told.
    int CaptureKind(int kind);
    int CaptureMultiple();
    // Full-screen captures for five seconds, appended to the active document; the number taken.
    int CaptureFilm();

    // Before a capture (true): the option record with the film's cursor, the window hidden and
    // the screen given time to repaint, the hot key cleared for an immediate capture. After it
    // (false): the window shown again, the kind back to 0.
    void EnableImmediateCapture(bool bPrepare);

    int ScreenCaptureCallBack(LBitmapBase& bitmap) override;

    int GetKind() const { return m_nKind; }
    bool IsImmediate() const { return m_bImmediate != 0; }
    void SetImmediate(bool on) { m_bImmediate = on ? 1 : 0; }
    // The once-per-session flag of the multiple capture's first immediate capture.
    bool IsFirstCapturePending() const { return m_bFirstCapture; }

    // The fixed waits, in milliseconds.
    static constexpr int kSettleMs = 300;
    static constexpr int kFilmSettleMs = 1;
    static constexpr int kMultipleSettleMs = 1000;
    static constexpr int kFilmMs = 5000;
    // Film pages are held in memory: the film stops at this many.
    static constexpr int kMaxFilmFrames = 100;
    // How long the settle waits took in all, since the last reset (for the benchmark).
    static qint64 SettledMs();
    static void ResetSettledMs();

protected:
    void ArmedChanged(bool armed) override;
    int RunArmed(int kind) override;

private:
    int RunKind(int kind);
    int RunSeries();
    void Settle(int ms);
    void SaveToImagesFolder(const LBitmapBase& bitmap, const QString& name);
    bool AppendToActiveDocument(const LBitmapBase& bitmap, const QString& kindName);

    ICaptureHost& m_host;
    CaptureOptions& m_options;
    LeadCaptureOptions& m_lead;
    LONG m_nKind = 0;
    LONG m_bImmediate = 1;
    LONG m_bAppend = 0;
    LONG m_bSettle = 1;
    LONG m_bFilm = 0;
    unsigned long m_hCursor = 0; // the serial of the cursor the film loop saw last
    QString m_strName;           // the kind name of the first capture of a series
    bool m_bFirstCapture = true;
    bool m_bSeriesArmed = false;
};
