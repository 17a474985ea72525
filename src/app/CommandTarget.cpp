#include "app/CommandTarget.h"

#include "platform/Guard.h"

void CCommandMap::On(UINT id, Handler handler, UpdateHandler update) {
    m_single[id] = Entry{[h = std::move(handler)](UINT) {
                             if (h)
                                 h();
                         },
                         std::move(update)};
}

void CCommandMap::OnRange(UINT first, UINT last, RangeHandler handler, UpdateHandler update) {
    m_ranges.push_back(Range{first, last, Entry{std::move(handler), std::move(update)}});
}

const CCommandMap::Entry* CCommandMap::Find(UINT id) const {
    if (const auto it = m_single.find(id); it != m_single.end())
        return &it->second;
    for (const Range& r : m_ranges)
        if (id >= r.first && id <= r.last)
            return &r.entry;
    return nullptr;
}

bool CCommandMap::Handles(UINT id) const { return Find(id) != nullptr; }

bool CCommandMap::Execute(UINT id) const {
    DEF_TRY
    const Entry* e = Find(id);
    if (!e)
        return false;
    // An update handler that says "disabled" also stops a command that arrives by a key the
    // menu did not see.
    if (e->update) {
        CCmdUI ui(id);
        e->update(ui);
        if (!ui.m_bEnabled)
            return true;
    }
    if (e->handler)
        e->handler(id);
    return true;
    DEF_CATCH
    return true;
}

bool CCommandMap::Update(CCmdUI& ui) const {
    DEF_TRY
    const Entry* e = Find(ui.m_nID);
    if (!e)
        return false;
    ui.m_bEnabled = true;
    if (e->update)
        e->update(ui);
    return true;
    DEF_CATCH
    ui.m_bEnabled = false;
    return true;
}

bool RouteCommand(const CCommandRoute& route, UINT id) {
    for (const CCommandMap* map : route)
        if (map && map->Execute(id))
            return true;
    return false;
}

void RouteUpdate(const CCommandRoute& route, CCmdUI& ui) {
    for (const CCommandMap* map : route)
        if (map && map->Update(ui))
            return;
    ui.m_bEnabled = false;
}
