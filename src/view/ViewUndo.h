#pragma once
// The view's side of the document's undo history. Every user action on the view (a mouse press,
// a release, a key, a command, a change of the style controls) is bracketed by BeginAction and
// EndAction; the end records what the action changed on the page as one step. The active
// object's own editing stays pending until it is let go, and Undo and Redo first walk the active
// object's own steps, as the objects route them, before the history's.

#include "app/CommandTarget.h"
#include "document/UndoHistory.h"

#include <QString>
#include <vector>

class CLumidorView;
class CTranspBaseClass;

class CViewUndo {
public:
    explicit CViewUndo(CLumidorView& view) : m_view(view) {}

    // Undo and Redo (Ctrl+Z, Ctrl+Y), with the texts of what they take back.
    void Register(CCommandMap& map);

    // Actions nest; only the outermost records. An empty label lets the step name itself.
    void BeginAction();
    void EndAction(const QString& label = {});
    // Records at once whatever is pending (the active object's editing included).
    void RecordNow(const QString& label = {});
    // The page the view shows is watched from now on: changes to it can be undone.
    void WatchPage();

    void OnEditUndo();
    void OnEditRedo();
    bool CanUndo() const;
    bool CanRedo() const;
    // "Undo Move", "Redo Delete"...: what the menu item shows ("Undo" alone when nothing).
    QString GetUndoText() const;
    QString GetRedoText() const;

private:
    CUndoHistory* History() const;
    // The active object and the callout parts that follow its editing.
    std::vector<CUndoHistory::ObjectState> EditingSet() const;
    // After a step of the history: the view goes to its page and shows what it changed.
    void AfterStep(const std::vector<CTranspBaseClass*>& changed);
    void Walk(bool bUndo);
    void Step(bool bUndo);

    CLumidorView& m_view;
    int m_nDepth = 0;
    // The edited objects' states when the outermost action began.
    std::vector<CUndoHistory::ObjectState> m_editing;
};

// Brackets one user action for the view's undo history.
class CUndoAction {
public:
    CUndoAction(CViewUndo& undo, QString label = {}) : m_undo(undo), m_label(std::move(label)) {
        m_undo.BeginAction();
    }
    ~CUndoAction() { m_undo.EndAction(m_label); }
    CUndoAction(const CUndoAction&) = delete;
    CUndoAction& operator=(const CUndoAction&) = delete;
    void SetLabel(const QString& label) { m_label = label; }

private:
    CViewUndo& m_undo;
    QString m_label;
};
