#pragma once
// What the user does to the objects of the view's page as objects: moving the selection as a
// group (and handing it to a drag when it leaves the window), nudging, aligning and spacing,
// raising, deleting, disabling and enabling, and the transparency of pictures. Callouts go
// whole: their shape, line and text box are raised, deleted and disabled together.

#include "platform/WinTypes.h"

class CCommandMap;
class CLumidorView;
class CTranspBaseClass;
class CTranspBlock;

class CTranspBaseClass;

class CViewArrange {
public:
    explicit CViewArrange(CLumidorView& view) : m_view(view) {}
    void Register(CCommandMap& map);

    // A group move: every selected object saves its position, then each step moves them by a
    // view-pixel delta; false (and the objects back where they were) when the mouse left the
    // client area and the group went into a drag instead.
    void BeginGroupMove();
    bool MoveGroupBy(UINT flags, int dx, int dy, POINT ptLastClient);
    // Every selected object, or the active one, moves by (dx, dy) page pixels.
    void NudgeSelected(int dx, int dy);
    void NudgeActive(int dx, int dy);
    // Fills the block with copies of the selected objects, each with its offset from the group
    // frame's top-left (a circle's from its centre, a text's from its first line's bottom).
    void CreateGroup(CTranspBlock& block) const;

    void DoAlignLeft();
    void DoAlignRight();
    void DoAlignTop();
    void DoAlignBottom();
    void DoSpaceHorz();
    void DoSpaceVert();
    bool IsSpaceEnabled() const;
    // The object's left edge to the grid line at or left of it, its bottom edge to the next grid
    // line below unless it lies on one; the selected objects so in list order; the command does
    // the selection, else the active object.
    void SnapObjectToGrid(CTranspBaseClass* pObject);
    void SnapGroupToGrid();
    void OnEditAlignToGrid();
    bool CanAlignToGrid() const;

    void OnEditObjectUp();
    void DeleteActiveObject();
    void DeleteSelectedObjects();
    void OnEditDelete();
    bool CanDelete() const;
    void OnEditDisableObject();
    void OnEditEnableObject();
    bool HasDisabledObjects() const;
    void OnEditTransparentObject();
    // -1 no picture concerned, 0 some opaque, 1 all transparent.
    int TransparentState() const;

private:
    void Align(int side);
    void Space(bool horizontal);

    CLumidorView& m_view;
};
