#pragma once
// CCaptureCommands: screen capture as the main window offers it. It keeps the capture option
// records, owns the capture object and the global hot key, carries out the Capture menu's
// commands and the main bar's three screenshot-way toggles, and builds the capture bar. The frame
// creates it with a host (acquire/CaptureHost.h), registers its commands and saves its settings
// on closing.

#include "app/CommandTarget.h"
#include "app/ProfileRecords.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMainWindow;
class QToolBar;
class CCaptureBar;
class CGlobalHotKey;
class ICaptureHost;
class LUserScrCapture;

class CCaptureCommands : public QObject {
    Q_OBJECT
public:
    CCaptureCommands(ICaptureHost& host, QObject* parent = nullptr);
    ~CCaptureCommands() override;

    // Whether the screen can be captured here (an X server through Qt's xcb platform).
    static bool IsCaptureAvailable();

    void RegisterCommands(CCommandMap& map);
    // The capture bar, its buttons drawn like the commands `action` returns.
    QToolBar* CreateBar(QMainWindow* window, const std::function<QAction*(UINT)>& action);
    // Grabs the capture hot key of the hot-key record; a key another program holds is said once
    // in the status bar and in the error log.
    void RegisterHotKey();
    void UnregisterHotKey();

    const CaptureOptions& GetOptions() const { return m_options; }
    void SetOptions(const CaptureOptions& options);
    const LeadCaptureOptions& GetLeadOptions() const { return m_lead; }
    // Stores the record and grabs the hot key anew.
    void SetLeadOptions(const LeadCaptureOptions& lead);
    // The capture object's immediate flag follows option 0.
    void ApplyImmediateOption();
    void SaveSettings() const;

    // The commands.
    void OnCapture(int kind);
    void OnStartCapture();
    void OnCaptureStop();
    void OnCaptureImmediate();
    void OnCaptureViewFilm();
    // The hot key: an armed capture is taken, otherwise the kind of the capture bar starts.
    void OnHotKey();

    LUserScrCapture& Capture() { return *m_pCapture; }
    CGlobalHotKey* HotKey() const { return m_pHotKey; }

Q_SIGNALS:
    // The kind chosen on the capture bar changed.
    void barKindChanged();

private:
    void ChooseBarKind(int kind);
    void ToggleOption(int field);

    ICaptureHost& m_host;
    CaptureOptions m_options;
    LeadCaptureOptions m_lead;
    std::unique_ptr<LUserScrCapture> m_pCapture;
    CGlobalHotKey* m_pHotKey = nullptr;
    CCaptureBar* m_pBar = nullptr;
    bool m_bHotKeyFaultTold = false;
};
