#pragma once
// What travels between the view and the clipboard or a drag-and-drop: objects as their data
// blocks (the objects format, shared with other views, other running copies and the shelf),
// plain text into text objects or as new text boxes, bitmaps as new pictures, and dropped files
// (pictures for image files, the main window opens documents). Paste mode places one copy of the
// clipboard's objects at every click until the mode changes.

#include "app/CommandTarget.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <QStringList>
#include <functional>

class CLumidorView;
class CTranspBaseClass;
class LBitmapBase;
class QMimeData;

class CViewClipboard {
public:
    explicit CViewClipboard(CLumidorView& view) : m_view(view) {}

    // Copy, Cut, Paste, Create Patch, Insert Image and Copy Page Image.
    void Register(CCommandMap& map);
    // Where documents dropped on the view go to be opened (the main window).
    void SetOpenFilesSink(std::function<void(const QStringList&)> sink) { m_openFiles = std::move(sink); }

    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste() const;
    void OnEditCreatePatch();
    bool CanCreatePatch() const;
    void OnEditInsertImage();
    void OnImageCopyToClipboard();

    // A click in paste mode: one more copy of the clipboard's objects there.
    void PasteAtClick(POINT ptClient);
    // The objects a data block describes, placed at a client point, named, on top; the last one
    // made is active. False when the block makes nothing (an unknown kind, a damaged block).
    bool PasteObject(const QByteArray& block, POINT ptClient);
    // A picture of the bitmap (a packed device-independent bitmap, or an image file) with its
    // top-left corner at a client point, active.
    bool PastePicture(const LBitmapBase& bitmap, POINT ptClient);
    bool PasteImageFile(const QString& path, POINT ptClient);

    // Drag-and-drop onto the view: the effect a drop would have (DROPEFFECT_), and the drop.
    DWORD DragOver(const QMimeData* data, bool control, bool shift, POINT ptClient);
    // Whether a drop of the data could be taken somewhere on the page.
    bool MayTake(const QMimeData* data) const;
    bool Drop(const QMimeData* data, DWORD effect, POINT ptClient);
    // Dropped files in order: image files become pictures at the point, files that are neither
    // images nor documents are reported by name; the documents are then opened.
    void DropFiles(const QStringList& paths, POINT ptClient);

private:
    bool DropText(const QMimeData* data, DWORD effect, POINT ptClient);
    // After a paste in cut mode: the cut rectangle goes, a picture made of the page becomes
    // opaque when it is a patch, and the text tool takes over.
    void AfterPasteInCutMode();

    CLumidorView& m_view;
    std::function<void(const QStringList&)> m_openFiles;
    bool m_bCreatePatch = false;
};
