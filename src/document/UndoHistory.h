#pragma once
// CUndoHistory: the document's record of what the user did to the objects of its pages, in the
// order it was done, so that every change can be taken back and done again.
//
// The history keeps, for each page it watches, the state the page had at the last recorded step
// (the baseline): the order of its objects, its field list and each object's state with its
// disabled flag, transparency and name. Recording compares the page with its baseline; what
// differs becomes one step (the states before and after, shared with the neighbouring steps where
// they did not change). Objects taken off a page are handed to the history, which keeps them
// alive for as long as a step can bring them back: a step owns the objects that are off the page
// on its side of the history (the deleted ones once it is done, the added ones once undone).
//
// An object being edited (the view's active object) keeps its own undo list; the history leaves
// its changes pending while only that object changed, and records them as a step of their own
// before anything else is recorded.
//
// The memory is bounded: at most MAX_STEPS steps and about MAX_BYTES of recorded states and kept
// objects; the oldest steps go first.

#include "document/LumidorDoc.h"
#include "objects/TranspBaseClass.h"

#include <QString>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

class IObjectHost;

class CUndoHistory {
public:
    static constexpr int MAX_STEPS = 1000;
    static constexpr qint64 MAX_BYTES = 64LL * 1024 * 1024;

    // One object's state as the history sees it.
    struct ObjectState {
        CTranspBaseClass* pObject = nullptr;
        UndoState state;
        BOOL bDisabled = FALSE;
        int nTransparent = -1; // pictures only
        QByteArray strName;
        RECT rcAlign{}; // text units; only for naming the step
    };
    struct PageState {
        std::vector<ObjectState> objects; // in list order
        CFieldObjectList fields;
    };

    CUndoHistory() = default;
    ~CUndoHistory();
    CUndoHistory(const CUndoHistory&) = delete;
    CUndoHistory& operator=(const CUndoHistory&) = delete;

    // Takes the page's present state as its baseline unless it has one: changes made before a
    // page is watched are not undoable.
    void Watch(_PAGEINFO* pPage);
    bool IsWatched(const _PAGEINFO* pPage) const { return m_baselines.count(pPage) != 0; }

    // An object taken off a page: kept until the next Record finds the step that removed it (and
    // destroyed there when no step did).
    void Keep(std::unique_ptr<CTranspBaseClass> pObject);

    // Records what changed on the page since its baseline, as one step named `label` (an empty
    // label names the step by what changed: "Create", "Delete", "Move", "Typing" or "Change").
    // `editing` holds the states, at the start of the action, of the objects being edited (the
    // active object and the callout parts that follow it), whose own changes may be pending:
    // when only they changed and they are still being edited (`stillEditing`), nothing is
    // recorded yet; otherwise what they had changed before the action becomes a step of its own
    // first. True when a step was recorded.
    bool Record(_PAGEINFO* pPage, const QString& label,
                const std::vector<ObjectState>& editing = {}, bool stillEditing = false);
    // Whether the object differs from the page's baseline (an edit not yet recorded).
    bool IsPending(const _PAGEINFO* pPage, const CTranspBaseClass* pObject) const;

    bool CanUndo() const { return m_nDone > 0; }
    bool CanRedo() const { return m_nDone < m_steps.size(); }
    QString GetUndoLabel() const { return CanUndo() ? m_steps[m_nDone - 1].label : QString(); }
    QString GetRedoLabel() const { return CanRedo() ? m_steps[m_nDone].label : QString(); }
    // The page the next undo (redo) changes; null when there is none.
    _PAGEINFO* GetUndoPage() const { return CanUndo() ? m_steps[m_nDone - 1].pPage : nullptr; }
    _PAGEINFO* GetRedoPage() const { return CanRedo() ? m_steps[m_nDone].pPage : nullptr; }

    // Sets the page of the last done step back to its state before it (forward again). Objects
    // that come back get the host; every object whose state was set is added to *pChanged. False
    // when there was nothing to do, or the page no longer matched the history (which is then
    // forgotten for that page rather than applied wrongly).
    bool Undo(IObjectHost* pHost, std::vector<CTranspBaseClass*>* pChanged = nullptr);
    bool Redo(IObjectHost* pHost, std::vector<CTranspBaseClass*>* pChanged = nullptr);

    // The page is going away (or its objects are replaced wholesale): its steps and baseline go.
    void ForgetPage(const _PAGEINFO* pPage);
    void Clear();

    int GetStepCount() const { return int(m_steps.size()); }
    qint64 GetByteCount() const { return m_nBytes; }

    // The object's state now.
    static ObjectState Capture(CTranspBaseClass* pObject);
    static bool IsSame(const ObjectState& a, const ObjectState& b);

private:
    struct Step {
        _PAGEINFO* pPage = nullptr;
        QString label;
        std::shared_ptr<const PageState> before;
        std::shared_ptr<const PageState> after;
        std::vector<std::unique_ptr<CTranspBaseClass>> owned;
        qint64 nBytes = 0;
    };

    // The page's state now, reusing the baseline's states of the objects that did not change.
    std::shared_ptr<const PageState> CaptureAgainst(_PAGEINFO* pPage, const PageState* base) const;
    static bool SameStructure(const PageState& a, const PageState& b);
    static QString AutoLabel(const PageState& before, const PageState& after);
    void Push(Step step);
    bool Apply(Step& step, bool bUndo, IObjectHost* pHost, std::vector<CTranspBaseClass*>* pChanged);
    void DropRedo();
    void Trim();
    static qint64 EstimateBytes(const Step& step);

    std::deque<Step> m_steps;
    std::size_t m_nDone = 0; // steps [0, m_nDone) are done
    std::unordered_map<const _PAGEINFO*, std::shared_ptr<const PageState>> m_baselines;
    std::vector<std::unique_ptr<CTranspBaseClass>> m_kept;
    qint64 m_nBytes = 0;
};
