#include "document/UndoHistory.h"

#include "app/Resource.h"
#include "objects/ObjectHost.h"
#include "objects/TranspImage.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <algorithm>

namespace {

// What one object's recorded state and one kept object cost, roughly: the figures only decide
// when the oldest steps go.
constexpr qint64 STATE_BYTES = 96;
constexpr qint64 OBJECT_BYTES = 512;

qint64 ObjectBytes(const CTranspBaseClass* o) {
    qint64 n = OBJECT_BYTES;
    if (const auto* image = dynamic_cast<const CTranspImage*>(o))
        if (image->GetBitmap().IsAllocated()) n += image->GetBitmap().GetMemorySize();
    if (const auto* text = dynamic_cast<const CTranspText*>(o)) n += text->GetText().size();
    return n;
}

// Index of each object of a state by its pointer.
std::unordered_map<const CTranspBaseClass*, std::size_t> IndexOf(const CUndoHistory::PageState& s) {
    std::unordered_map<const CTranspBaseClass*, std::size_t> map;
    map.reserve(s.objects.size());
    for (std::size_t i = 0; i < s.objects.size(); ++i) map.emplace(s.objects[i].pObject, i);
    return map;
}

} // namespace

CUndoHistory::~CUndoHistory() = default;

CUndoHistory::ObjectState CUndoHistory::Capture(CTranspBaseClass* pObject) {
    ObjectState s;
    s.pObject = pObject;
    s.state = pObject->GetHistoryState();
    s.bDisabled = pObject->m_bDisabled;
    if (const auto* image = dynamic_cast<const CTranspImage*>(pObject))
        s.nTransparent = image->GetTransparent();
    s.strName = pObject->GetObjectName();
    pObject->GetAlignRect(&s.rcAlign);
    return s;
}

bool CUndoHistory::IsSame(const ObjectState& a, const ObjectState& b) {
    return a.pObject == b.pObject && a.bDisabled == b.bDisabled &&
           a.nTransparent == b.nTransparent && a.strName == b.strName &&
           (a.state == b.state || a.pObject->IsSameHistoryState(a.state.get(), b.state.get()));
}

bool CUndoHistory::SameStructure(const PageState& a, const PageState& b) {
    if (a.objects.size() != b.objects.size() || a.fields != b.fields) return false;
    for (std::size_t i = 0; i < a.objects.size(); ++i)
        if (a.objects[i].pObject != b.objects[i].pObject) return false;
    return true;
}

std::shared_ptr<const CUndoHistory::PageState>
CUndoHistory::CaptureAgainst(_PAGEINFO* pPage, const PageState* base) const {
    auto now = std::make_shared<PageState>();
    now->objects.reserve(pPage->m_ObjectsList.size());
    std::unordered_map<const CTranspBaseClass*, std::size_t> index;
    bool indexed = false;
    for (std::size_t i = 0; i < pPage->m_ObjectsList.size(); ++i) {
        CTranspBaseClass* o = pPage->m_ObjectsList[i].get();
        ObjectState s = Capture(o);
        if (base) {
            // Most objects keep their place; the map is built only when one did not.
            const ObjectState* old = nullptr;
            if (i < base->objects.size() && base->objects[i].pObject == o) {
                old = &base->objects[i];
            } else {
                if (!indexed) {
                    index = IndexOf(*base);
                    indexed = true;
                }
                if (const auto it = index.find(o); it != index.end()) old = &base->objects[it->second];
            }
            // An unchanged object shares the baseline's state rather than keeping a copy.
            if (old && IsSame(*old, s)) s.state = old->state;
        }
        now->objects.push_back(std::move(s));
    }
    now->fields = pPage->m_FieldObjectsList;
    return now;
}

void CUndoHistory::Watch(_PAGEINFO* pPage) {
    DEF_TRY
    if (pPage && !IsWatched(pPage)) m_baselines[pPage] = CaptureAgainst(pPage, nullptr);
    DEF_CATCH
}

void CUndoHistory::Keep(std::unique_ptr<CTranspBaseClass> pObject) {
    if (pObject) m_kept.push_back(std::move(pObject));
}

bool CUndoHistory::IsPending(const _PAGEINFO* pPage, const CTranspBaseClass* pObject) const {
    DEF_TRY
    const auto it = m_baselines.find(pPage);
    if (!pObject || it == m_baselines.end()) return false;
    for (const ObjectState& s : it->second->objects)
        if (s.pObject == pObject)
            return !IsSame(s, Capture(const_cast<CTranspBaseClass*>(pObject)));
    DEF_CATCH
    return false;
}

bool CUndoHistory::Record(_PAGEINFO* pPage, const QString& label,
                          const std::vector<ObjectState>& editing, bool stillEditing) {
    bool recorded = false;
    DEF_TRY
    if (!pPage) return false;
    const auto it = m_baselines.find(pPage);
    if (it == m_baselines.end()) {
        m_kept.clear();
        Watch(pPage);
        return false;
    }
    std::shared_ptr<const PageState> base = it->second;
    std::shared_ptr<const PageState> now = CaptureAgainst(pPage, base.get());
    const auto isEditing = [&](const CTranspBaseClass* o) {
        return std::any_of(editing.begin(), editing.end(),
                           [o](const ObjectState& e) { return e.pObject == o; });
    };

    if (!editing.empty()) {
        // Only the edited objects changed, and the editing goes on: it stays pending.
        bool onlyEdit = stillEditing && SameStructure(*base, *now);
        for (std::size_t i = 0; onlyEdit && i < now->objects.size(); ++i)
            onlyEdit = isEditing(now->objects[i].pObject) || IsSame(base->objects[i], now->objects[i]);
        if (onlyEdit) {
            m_kept.clear();
            return false;
        }
        // What the edited objects had changed before this action is a step of its own.
        auto edited = std::make_shared<PageState>(*base);
        bool changed = false;
        for (const ObjectState& e : editing)
            for (ObjectState& s : edited->objects)
                if (s.pObject == e.pObject) {
                    if (!IsSame(s, e)) {
                        s = e;
                        changed = true;
                    }
                    break;
                }
        if (changed) {
            Push(Step{pPage, AutoLabel(*base, *edited), base, edited, {}, 0});
            base = edited;
            m_baselines[pPage] = base;
            recorded = true;
        }
    }

    bool same = SameStructure(*base, *now);
    for (std::size_t i = 0; same && i < now->objects.size(); ++i)
        same = IsSame(base->objects[i], now->objects[i]);
    if (!same) {
        Step step{pPage, label.isEmpty() ? AutoLabel(*base, *now) : label, base, now, {}, 0};
        // The objects the change took off the page must have been handed over to be undoable.
        const auto nowIndex = IndexOf(*now);
        bool complete = true;
        for (const ObjectState& s : base->objects) {
            if (nowIndex.count(s.pObject)) continue;
            const auto k = std::find_if(m_kept.begin(), m_kept.end(),
                                        [&](const auto& p) { return p.get() == s.pObject; });
            if (k == m_kept.end()) {
                complete = false;
                break;
            }
            step.owned.push_back(std::move(*k));
            m_kept.erase(k);
        }
        if (complete) {
            Push(std::move(step));
            recorded = true;
        } else {
            ForgetPage(pPage);
        }
        // An unchanged page keeps its baseline: the steps are applied only to the state they left.
        m_baselines[pPage] = now;
    }
    m_kept.clear();
    DEF_CATCH
    return recorded;
}

QString CUndoHistory::AutoLabel(const PageState& before, const PageState& after) {
    const auto beforeIndex = IndexOf(before);
    const auto afterIndex = IndexOf(after);
    int added = 0, removed = 0;
    for (const ObjectState& s : after.objects) added += beforeIndex.count(s.pObject) ? 0 : 1;
    for (const ObjectState& s : before.objects) removed += afterIndex.count(s.pObject) ? 0 : 1;
    if (added && !removed) return LoadResString(IDS_UNDO_CREATE);
    if (removed && !added) return LoadResString(IDS_UNDO_DELETE);
    // Changed objects that all kept their size were moved; text objects that stayed in place
    // were typed into.
    bool moved = false, typed = false, other = added || removed;
    for (const ObjectState& s : after.objects) {
        const auto b = beforeIndex.find(s.pObject);
        if (other || b == beforeIndex.end() || IsSame(before.objects[b->second], s)) continue;
        const RECT& r0 = before.objects[b->second].rcAlign;
        const RECT& r1 = s.rcAlign;
        if (r1.right - r1.left == r0.right - r0.left && r1.bottom - r1.top == r0.bottom - r0.top &&
            (r1.left != r0.left || r1.top != r0.top))
            moved = true;
        else if (dynamic_cast<const CTranspText*>(s.pObject) && r1.left == r0.left &&
                 r1.top == r0.top)
            typed = true;
        else
            other = true;
    }
    if (!other && moved != typed) return LoadResString(moved ? IDS_UNDO_MOVE : IDS_UNDO_TYPING);
    return LoadResString(IDS_UNDO_CHANGE);
}

qint64 CUndoHistory::EstimateBytes(const Step& step) {
    qint64 n = qint64(sizeof(Step)) + step.label.size() * 2;
    if (step.after) {
        n += qint64(step.after->objects.size() * sizeof(ObjectState) +
                    step.after->fields.size() * sizeof(void*));
        // States that differ from the step's before are the step's own.
        const PageState* before = step.before.get();
        for (std::size_t i = 0; i < step.after->objects.size(); ++i)
            if (!before || i >= before->objects.size() ||
                before->objects[i].state != step.after->objects[i].state)
                n += STATE_BYTES;
    }
    for (const auto& o : step.owned) n += ObjectBytes(o.get());
    return n;
}

void CUndoHistory::DropRedo() {
    while (m_steps.size() > m_nDone) {
        m_nBytes -= m_steps.back().nBytes;
        m_steps.pop_back();
    }
}

void CUndoHistory::Push(Step step) {
    DropRedo();
    step.nBytes = EstimateBytes(step);
    m_nBytes += step.nBytes;
    m_steps.push_back(std::move(step));
    m_nDone = m_steps.size();
    Trim();
}

void CUndoHistory::Trim() {
    // The oldest steps go (with the deleted objects only they could bring back); the newest
    // stays whatever its size.
    while (m_steps.size() > 1 && m_nDone > 0 &&
           (m_steps.size() > std::size_t(MAX_STEPS) || m_nBytes > MAX_BYTES)) {
        m_nBytes -= m_steps.front().nBytes;
        m_steps.pop_front();
        --m_nDone;
    }
}

bool CUndoHistory::Apply(Step& step, bool bUndo, IObjectHost* pHost,
                         std::vector<CTranspBaseClass*>* pChanged) {
    _PAGEINFO* page = step.pPage;
    const std::shared_ptr<const PageState> from = bUndo ? step.after : step.before;
    const std::shared_ptr<const PageState> to = bUndo ? step.before : step.after;
    // The page must be as the step left it: the history never applies a step to anything else.
    const auto base = m_baselines.find(page);
    if (base == m_baselines.end() || base->second != from ||
        page->m_ObjectsList.size() != from->objects.size())
        return false;
    for (std::size_t i = 0; i < from->objects.size(); ++i)
        if (page->m_ObjectsList[i].get() != from->objects[i].pObject) return false;

    std::unordered_map<const CTranspBaseClass*, std::unique_ptr<CTranspBaseClass>> pool;
    pool.reserve(from->objects.size() + step.owned.size());
    for (auto& o : page->m_ObjectsList) pool.emplace(o.get(), std::move(o));
    for (auto& o : step.owned) pool.emplace(o.get(), std::move(o));
    page->m_ObjectsList.clear();
    step.owned.clear();
    for (const ObjectState& s : to->objects) {
        auto p = pool.find(s.pObject);
        if (p == pool.end() || !p->second) continue; // cannot happen for a consistent step
        page->m_ObjectsList.push_back(std::move(p->second));
        pool.erase(p);
    }
    for (auto& [ptr, o] : pool)
        if (o) step.owned.push_back(std::move(o));
    page->m_FieldObjectsList = to->fields;

    const auto fromIndex = IndexOf(*from);
    for (const ObjectState& s : to->objects) {
        CTranspBaseClass* o = s.pObject;
        const auto f = fromIndex.find(o);
        const bool back = f == fromIndex.end();
        if (back) {
            o->SetView(pHost);
            o->m_bSelected = FALSE;
            o->m_bFocused = FALSE;
            o->m_bTracking = FALSE;
        } else if (IsSame(from->objects[f->second], s)) {
            continue;
        }
        o->SetHistoryState(s.state.get());
        o->m_bDisabled = s.bDisabled;
        if (s.nTransparent >= 0)
            if (auto* image = dynamic_cast<CTranspImage*>(o)) image->SetTransparent(s.nTransparent);
        if (o->GetObjectName() != s.strName) o->SetObjectName(s.strName.constData());
        o->ResetUndo();
        if (pChanged) pChanged->push_back(o);
    }
    m_baselines[page] = to;
    return true;
}

bool CUndoHistory::Undo(IObjectHost* pHost, std::vector<CTranspBaseClass*>* pChanged) {
    DEF_TRY
    if (!CanUndo()) return false;
    Step& step = m_steps[m_nDone - 1];
    if (!Apply(step, true, pHost, pChanged)) {
        ForgetPage(step.pPage);
        return false;
    }
    --m_nDone;
    m_nBytes += EstimateBytes(step) - step.nBytes;
    step.nBytes = EstimateBytes(step);
    return true;
    DEF_CATCH
    return false;
}

bool CUndoHistory::Redo(IObjectHost* pHost, std::vector<CTranspBaseClass*>* pChanged) {
    DEF_TRY
    if (!CanRedo()) return false;
    Step& step = m_steps[m_nDone];
    if (!Apply(step, false, pHost, pChanged)) {
        ForgetPage(step.pPage);
        return false;
    }
    ++m_nDone;
    m_nBytes += EstimateBytes(step) - step.nBytes;
    step.nBytes = EstimateBytes(step);
    return true;
    DEF_CATCH
    return false;
}

void CUndoHistory::ForgetPage(const _PAGEINFO* pPage) {
    DEF_TRY
    std::deque<Step> kept;
    std::size_t done = 0;
    for (std::size_t i = 0; i < m_steps.size(); ++i) {
        if (m_steps[i].pPage == pPage) continue;
        if (i < m_nDone) ++done;
        kept.push_back(std::move(m_steps[i]));
    }
    m_steps = std::move(kept);
    m_nDone = done;
    m_nBytes = 0;
    for (const Step& s : m_steps) m_nBytes += s.nBytes;
    m_baselines.erase(pPage);
    DEF_CATCH
}

void CUndoHistory::Clear() {
    m_steps.clear();
    m_nDone = 0;
    m_baselines.clear();
    m_kept.clear();
    m_nBytes = 0;
}
