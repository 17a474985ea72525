#pragma once
// CScanCommands: scanning as the main window offers it. It owns the scanner session (which keeps
// the acquire target), carries out File > Acquire's commands and keeps them, Exit and the window's close
// refused while a scan runs. The frame creates it with a host (acquire/ScanHost.h) and registers
// its commands.

#include "app/CommandTarget.h"

#include <QObject>

class IScanHost;
class LMultiTwain;

class CScanCommands : public QObject {
    Q_OBJECT
public:
    CScanCommands(IScanHost& host, QObject* parent = nullptr);
    ~CScanCommands() override;

    void RegisterCommands(CCommandMap& map);
    // While a scan runs the window does not close and Exit is disabled.
    bool IsAcquiring() const;
    // The window closes: a running scan ends and the scanner is let go.
    void CloseSession();

    void OnFileSelectSource();
    // Target 2 a new document, 0 the active page's image, 1 a picture on the active page.
    void OnAcquire(int target);

    LMultiTwain& Scanner() { return *m_pScanner; }

private:
    IScanHost& m_host;
    LMultiTwain* m_pScanner;
};
