#pragma once
// The program's command routing. A command is an identifier (app/CommandIds.h). Each command
// target (the active view, its document, the main frame, the application) keeps a CCommandMap in
// which it registers, by identifier, the handler that carries the command out and the update
// handler that says whether it is enabled and checked right now. The frame offers a command to
// the targets in that order; the first whose map holds the identifier takes it. A command that no
// target takes is disabled, so that nothing on a menu or a bar does nothing.

#include "platform/WinTypes.h"

#include <QString>
#include <functional>
#include <unordered_map>
#include <vector>

// What an update handler says about its command: enabled, checked, and (rarely) its text.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : m_nID(id) {}
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    // 0 unchecked, 1 checked.
    void SetCheck(int nCheck = 1) {
        m_nCheck = nCheck;
        m_bCheckSet = true;
    }
    void SetText(const QString& text) {
        m_strText = text;
        m_bTextSet = true;
    }

    UINT m_nID;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    bool m_bCheckSet = false;
    QString m_strText;
    bool m_bTextSet = false;
};

class CCommandMap {
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI&)>;
    using RangeHandler = std::function<void(UINT id)>;

    // Registers the command; without an update handler it is always enabled.
    void On(UINT id, Handler handler, UpdateHandler update = {});
    // A run of identifiers with one handler that learns which was chosen (recent files, colours).
    void OnRange(UINT first, UINT last, RangeHandler handler, UpdateHandler update = {});

    bool Handles(UINT id) const;
    // False when the map does not hold the identifier.
    bool Execute(UINT id) const;
    bool Update(CCmdUI& ui) const;

private:
    struct Entry {
        RangeHandler handler;
        UpdateHandler update;
    };
    const Entry* Find(UINT id) const;

    std::unordered_map<UINT, Entry> m_single;
    struct Range {
        UINT first;
        UINT last;
        Entry entry;
    };
    std::vector<Range> m_ranges;
};

// A route: the maps a command is offered to, in order; null entries are passed over.
using CCommandRoute = std::vector<const CCommandMap*>;
// Runs the command at the first map of the route that holds it; false when none does.
bool RouteCommand(const CCommandRoute& route, UINT id);
// Asks the first map that holds the command for its state; a command no map holds is disabled.
void RouteUpdate(const CCommandRoute& route, CCmdUI& ui);
