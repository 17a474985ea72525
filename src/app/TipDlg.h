#pragma once
// The tip of the day: a tips file of one tip a line, read on from where the last session stopped.

#include "platform/DialogService.h"

#include <QString>
#include <cstdio>

// Reads tips from "tips.txt" following the "Tip" settings: the file's modification time is
// compared with "TimeStamp"; when it changed, reading restarts at offset 0, else at "FilePos".
class CTipReader {
public:
    CTipReader() = default;
    ~CTipReader();
    CTipReader(const CTipReader&) = delete;
    CTipReader& operator=(const CTipReader&) = delete;

    bool Open(const QString& path);
    bool IsOpen() const { return m_file != nullptr; }
    // The next line that does not begin with a tab, a line feed, a space or ";"; at the end of the
    // file reading starts again at its beginning. False when no tip can be found.
    bool GetNextTip(QString& tip);
    long Position() const;
    // Writes the current offset to "FilePos".
    void SavePosition() const;

    static QString FileTimeStamp(const QString& path); // ctime text, trailing white space removed

private:
    bool ReadTipFromHere(QString& tip);
    std::FILE* m_file = nullptr;
};

class CTipDlg : public CModalDialog {
public:
    CTipDlg();
    QString DialogName() const override { return QStringLiteral("CTipDlg"); }
    int RunWidget(QWidget* parent) override;

    // The dialog shows itself only when "Tip"/"StartUp" is 0.
    bool ShouldShowAtStartup() const { return m_bStartup; }
    // Shows the next tip into m_strTip (message 108 when none can be read).
    void NextTip();
    // Writes "StartUp" from m_bStartup and the reader's offset to "FilePos".
    void OnClose();

    CTipReader m_reader;
    QString m_strTip;
    bool m_bStartup = true; // "Show tips at startup"
};

// Shows the tip of the day when the settings ask for it.
void ShowTipAtStartup();
