#pragma once
// The program mode: the mouse tool of every view. CProgramModes holds the current and the previous
// mode, switches them (SetProgramMode, the one place a mode changes), gives each mode its cursor,
// turns zoom into zoom-out while Alt is held, and registers the mode commands of the menus, the
// drawing bar and the tool keys with their update handlers.

#include "app/CommandTarget.h"

#include <QCursor>
#include <QObject>
#include <functional>
#include <vector>

class CLumidorView;
class QKeyEvent;

class CProgramModes : public QObject {
    Q_OBJECT
public:
    // What the modes need of the main window.
    struct Host {
        std::function<CLumidorView*()> activeView;            // null without a document window
        std::function<std::vector<CLumidorView*>()> allViews; // every view of every document
        std::function<void()> modeChangedToDocuments;         // ProgramModeChanged to every document
        std::function<void(int kind)> setSelector;            // the drawing bar's side panel
    };
    explicit CProgramModes(Host host, QObject* parent = nullptr);

    int GetCurrentMode() const { return m_nCurrent; }
    int GetPreviousMode() const { return m_nPrevious; }

    // Switches to `mode` with every step of the switch; updateBars also sets the bars' side
    // effects (the tab-order marks of the active view).
    void SetProgramMode(int mode, bool updateBars = true);
    // Switches to the mode, or back to the previous one when it is current already.
    void ToggleMode(int mode);
    // Tab order: leaves it when current (with bToggle), otherwise enters it and shows the marks.
    void StylebarTabOrder(bool bToggle = true);

    // The cursor views show in a mode, and the name of the module's cursor it is (empty for the
    // standard arrow).
    QCursor CursorFor(int mode) const;
    static QString CursorNameFor(int mode);
    // The drawing bar's side panel a mode asks for: 0 none, 1 the options of shapes created with
    // an annotation, 2 the image-format options.
    int SidePanelFor(int mode) const;

    // Alt in zoom mode: a press turns zoom-in into zoom-out, the release turns it back. Every
    // press and release of Alt alone is consumed (true), in every mode.
    bool HandleAltKey(const QKeyEvent* event);

    // The mode commands (tool keys, drawing bar, Tools menu) into the frame's map.
    void RegisterCommands(CCommandMap& map);

Q_SIGNALS:
    void modeChanged(int mode, int previous);

private:
    // A shape command: plain clears the active view's callout flag, "with annotation" sets it.
    void ShapeCommand(int mode, int annotation);
    void CheckShape(CCmdUI& ui, int mode, int annotation) const;

    Host m_host;
    int m_nCurrent = 8; // MODE_RECTANGLE
    int m_nPrevious = 0;
};
