#include "view/ViewClipboard.h"

#include "app/CommandIds.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocFileFormat.h"
#include "document/LumidorDoc.h"
#include "document/PdfImport.h"
#include "objects/ObjectFactory.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspBlock.h"
#include "objects/TranspImage.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace {

const QString& ObjectsMime() {
    static const QString mime = QString::fromLatin1(OBJECT_CLIPBOARD_MIME);
    return mime;
}

const QMimeData* ClipboardData() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

// What a drag with these keys would do: nothing with both, a copy with Control, else a move.
DWORD EffectForKeys(bool control, bool shift) {
    if (control && shift) return DROPEFFECT_NONE;
    return control ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

} // namespace

void CViewClipboard::Register(CCommandMap& map) {
    map.On(ID_EDIT_COPY, [this] { OnEditCopy(); }, [this](CCmdUI& ui) { ui.Enable(CanCopy()); });
    map.On(ID_EDIT_CUT, [this] { OnEditCut(); }, [this](CCmdUI& ui) { ui.Enable(CanCut()); });
    map.On(ID_EDIT_PASTE, [this] { OnEditPaste(); }, [this](CCmdUI& ui) { ui.Enable(CanPaste()); });
    map.On(ID_EDIT_CREATE_PATCH, [this] { OnEditCreatePatch(); },
           [this](CCmdUI& ui) { ui.Enable(CanCreatePatch()); });
    map.On(ID_EDIT_INSERT_IMAGE, [this] { OnEditInsertImage(); },
           [this](CCmdUI& ui) { ui.Enable(m_view.GetProgramMode() != MODE_FORM); });
    map.On(ID_IMAGE_COPY_TO_CLIPBOARD, [this] { OnImageCopyToClipboard(); }, [this](CCmdUI& ui) {
        CLumidorDoc* doc = m_view.GetDocument();
        ui.Enable(doc && doc->IsImageAvailable(m_view.GetActivePage()));
    });
}

// ---- Copy and cut -----------------------------------------------------------------------------

bool CViewClipboard::CanCopy() const {
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_DRAG_SCREENSHOT) return true;
    if (!m_view.GetMarks().GetCutRect().IsRectEmpty()) return true;
    if (mode == MODE_SELECT && m_view.GetSelection().GetSelectedCount() > 0) return true;
    const CTranspBaseClass* active = m_view.GetActiveObject();
    return active && active->CanCopy();
}

void CViewClipboard::OnEditCopy() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc) return;
    const int page = m_view.GetActivePage();
    const int mode = m_view.GetProgramMode();
    // In the drag-page mode the whole page, else a cut-out, goes as an image.
    RECT part = m_view.GetMarks().GetCutRect();
    if (mode == MODE_DRAG_SCREENSHOT) {
        const SIZE canvas = doc->GetCanvasSize(page);
        part = RECT{0, 0, canvas.cx, canvas.cy};
    }
    if (!part.IsRectEmpty()) {
        WriteCuttedPageToBitmap(*doc, page, QString(), part);
        return;
    }
    // Several selected objects go as one group block, placed by their offsets when pasted.
    if (mode == MODE_SELECT && m_view.GetSelection().IsGroup()) {
        CTranspBlock block(&m_view, page);
        m_view.GetArrange().CreateGroup(block);
        block.CopyToClipboard();
        return;
    }
    // What is chosen in select mode goes whole: a text box as the object with its words.
    if (mode == MODE_SELECT) {
        const std::vector<CTranspBaseClass*> selected = m_view.GetSelection().GetSelected();
        if (!selected.empty()) {
            selected.front()->CopyWholeToClipboard();
            return;
        }
    }
    CTranspBaseClass* target = m_view.GetActiveObject();
    if (target && target->CanCopy()) target->CopyToClipboard();
    DEF_CATCH
}

bool CViewClipboard::CanCut() const {
    if (m_view.GetProgramMode() == MODE_FORM)
        return dynamic_cast<const CTranspText*>(m_view.GetActiveObject()) && CanCopy();
    return CanCopy() && (m_view.GetActiveObject() || m_view.GetSelection().GetSelectedCount() > 0);
}

void CViewClipboard::OnEditCut() {
    DEF_TRY
    CTranspBaseClass* active = m_view.GetActiveObject();
    // A text being edited gives up its selected text (CanCopy: a selection is there).
    if (auto* text = dynamic_cast<CTranspText*>(active); text && text->CanCopy()) {
        text->CutToClipboard();
        return;
    }
    if (m_view.GetProgramMode() == MODE_FORM) return;
    OnEditCopy();
    if (m_view.GetProgramMode() == MODE_SELECT && m_view.GetSelection().GetSelectedCount() > 0)
        m_view.GetArrange().DeleteSelectedObjects();
    else if (active)
        m_view.GetArrange().DeleteActiveObject();
    DEF_CATCH
}

// ---- Paste ------------------------------------------------------------------------------------

bool CViewClipboard::CanPaste() const {
    const QMimeData* data = ClipboardData();
    if (!data) return false;
    if (data->hasText() && dynamic_cast<const CTranspText*>(m_view.GetActiveObject())) return true;
    if (m_view.GetProgramMode() == MODE_FORM) return false;
    return data->hasFormat(ObjectsMime()) || data->hasImage();
}

void CViewClipboard::OnEditPaste() {
    DEF_TRY
    const QMimeData* data = ClipboardData();
    if (!data) return;
    const int mode = m_view.GetProgramMode();
    if (auto* text = dynamic_cast<CTranspText*>(m_view.GetActiveObject()); text && data->hasText()) {
        text->PasteFromClipboard();
    } else if (mode == MODE_FORM) {
        return; // filling a form touches only its fields' text
    } else if (data->hasFormat(ObjectsMime())) {
        // Every following click places one more copy, until the mode changes.
        m_view.RequestProgramMode(MODE_PASTE);
        return;
    } else if (data->hasImage()) {
        LMyBitmap bitmap;
        if (bitmap.SetImage(qvariant_cast<QImage>(data->imageData())) != SUCCESS) return;
        POINT origin{0, 0};
        m_view.PageToClient(origin);
        PastePicture(bitmap, origin);
    }
    if (mode == MODE_CUT) AfterPasteInCutMode();
    DEF_CATCH
}

void CViewClipboard::AfterPasteInCutMode() {
    m_view.GetMouse().GetCutTool().Kill();
    m_view.GetMarks().SetCutRect(RECT{});
    if (auto* picture = dynamic_cast<CTranspImage*>(m_view.GetActiveObject())) {
        if (m_bCreatePatch) picture->SetTransparent(0);
        picture->SetSelected(TRUE);
    }
    m_view.RequestProgramMode(MODE_TEXT);
}

void CViewClipboard::PasteAtClick(POINT ptClient) {
    DEF_TRY
    const QMimeData* data = ClipboardData();
    if (data && data->hasFormat(ObjectsMime())) PasteObject(data->data(ObjectsMime()), ptClient);
    DEF_CATCH
}

bool CViewClipboard::PasteObject(const QByteArray& block, POINT ptClient) {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc) return false;
    const POINT at = m_view.GetCreation().ClientToUnit(ptClient);
    std::vector<std::unique_ptr<CTranspBaseClass>> objects =
        CreateObjectsFromBlock(block, at, &m_view, m_view.GetActivePage());
    if (objects.empty()) return false;
    m_view.GetSelection().DeselectObjects();
    const bool group = objects.size() > 1;
    CTranspBaseClass* last = nullptr;
    for (auto& o : objects) {
        CTranspBaseClass* made = m_view.GetCreation().Append(std::move(o), false);
        // A group comes in selected, so that it can be moved on as a whole.
        if (made && group) made->SetSelected(TRUE);
        if (made) last = made;
    }
    if (last) m_view.SetActiveObject(last);
    return last != nullptr;
    DEF_CATCH
    return false;
}

bool CViewClipboard::PastePicture(const LBitmapBase& bitmap, POINT ptClient) {
    DEF_TRY
    const QByteArray dib = bitmap.ConvertToDIB();
    if (dib.isEmpty()) return false;
    auto picture = std::make_unique<CTranspImage>(&m_view, m_view.GetActivePage());
    const POINT at = m_view.GetCreation().ClientToUnit(ptClient);
    if (!picture->CreateDib(dib, int(at.x), int(at.y))) return false;
    return m_view.GetCreation().Append(std::move(picture), true) != nullptr;
    DEF_CATCH
    return false;
}

bool CViewClipboard::PasteImageFile(const QString& path, POINT ptClient) {
    DEF_TRY
    LMyBitmap bitmap;
    return CLumidorDoc::LoadImageFile(path, bitmap) && PastePicture(bitmap, ptClient);
    DEF_CATCH
    return false;
}

// ---- Patches, inserted images, the page image -------------------------------------------------

bool CViewClipboard::CanCreatePatch() const {
    return m_view.GetProgramMode() == MODE_CUT && !m_view.GetMarks().GetCutRect().IsRectEmpty();
}

void CViewClipboard::OnEditCreatePatch() {
    DEF_TRY
    if (!CanCreatePatch()) return;
    CLumidorDoc* doc = m_view.GetDocument();
    if (WriteCuttedPageToBitmap(*doc, m_view.GetActivePage(), QString(),
                                m_view.GetMarks().GetCutRect()) != SUCCESS)
        return;
    // The patch lies where the part was cut from, opaque.
    const RECT cut = m_view.GetMarks().GetCutRect();
    POINT at{cut.left, cut.top};
    m_view.PageToClient(at);
    const QMimeData* data = ClipboardData();
    LMyBitmap bitmap;
    if (!data || bitmap.SetImage(qvariant_cast<QImage>(data->imageData())) != SUCCESS) return;
    m_bCreatePatch = true;
    PastePicture(bitmap, at);
    AfterPasteInCutMode();
    m_bCreatePatch = false;
    DEF_CATCH
}

void CViewClipboard::OnEditInsertImage() {
    DEF_TRY
    const QString path = CLumidorDoc::AskImageFileName();
    if (path.isEmpty()) return;
    POINT origin{0, 0};
    m_view.PageToClient(origin);
    PasteImageFile(path, origin);
    DEF_CATCH
}

void CViewClipboard::OnImageCopyToClipboard() {
    DEF_TRY
    if (CLumidorDoc* doc = m_view.GetDocument()) doc->CopyToClipboard(m_view.GetActivePage());
    DEF_CATCH
}

// ---- Drag-and-drop ----------------------------------------------------------------------------

DWORD CViewClipboard::DragOver(const QMimeData* data, bool control, bool shift, POINT ptClient) {
    DEF_TRY
    if (!data || !m_view.IsInViewRect(ptClient)) return DROPEFFECT_NONE;
    const DWORD effect = EffectForKeys(control, shift);
    const bool form = m_view.GetProgramMode() == MODE_FORM;
    if (!form && (data->hasFormat(ObjectsMime()) || data->hasImage())) return effect;
    if (!form && data->hasUrls()) return DROPEFFECT_COPY;
    if (data->hasText()) {
        // An object under the point answers for itself; an empty place takes a new text box.
        if (CTranspBaseClass* o = m_view.GetSelection().PtInObject(ptClient))
            return o->OnDragOver(data, control ? DWORD(MK_CONTROL) : DWORD(0), ptClient);
        return form ? DROPEFFECT_NONE : effect;
    }
    DEF_CATCH
    return DROPEFFECT_NONE;
}

bool CViewClipboard::MayTake(const QMimeData* data) const {
    if (!data) return false;
    if (data->hasText()) return true;
    return m_view.GetProgramMode() != MODE_FORM &&
           (data->hasFormat(ObjectsMime()) || data->hasImage() || data->hasUrls());
}

bool CViewClipboard::Drop(const QMimeData* data, DWORD effect, POINT ptClient) {
    DEF_TRY
    if (!data || (effect != DROPEFFECT_COPY && effect != DROPEFFECT_MOVE)) return false;
    if (m_view.GetProgramMode() == MODE_FORM) return DropText(data, effect, ptClient);
    if (data->hasFormat(ObjectsMime())) return PasteObject(data->data(ObjectsMime()), ptClient);
    if (data->hasUrls()) {
        QStringList paths;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
        if (!paths.isEmpty()) {
            DropFiles(paths, ptClient);
            return true;
        }
    }
    if (data->hasText()) return DropText(data, effect, ptClient);
    if (data->hasImage()) {
        LMyBitmap bitmap;
        if (bitmap.SetImage(qvariant_cast<QImage>(data->imageData())) != SUCCESS) return false;
        return PastePicture(bitmap, ptClient);
    }
    DEF_CATCH
    return false;
}

bool CViewClipboard::DropText(const QMimeData* data, DWORD effect, POINT ptClient) {
    if (!data->hasText()) return false;
    if (CTranspBaseClass* o = m_view.GetSelection().PtInObject(ptClient)) {
        m_view.SetActiveObject(o);
        return o->OnDrop(data, effect, ptClient);
    }
    if (m_view.GetProgramMode() == MODE_FORM) return false;
    // The new box goes onto the page only with the text in it: text it refuses (too long, or
    // not in its code page) leaves no empty box behind.
    const POINT at = m_view.GetCreation().ClientToUnit(ptClient);
    const TEXTSTYLE style = m_view.GetTextStyleControls().GetCurrentStyle();
    auto box = std::make_unique<CTranspText>(&m_view, int(at.x), int(at.y), &style, nullptr,
                                             m_view.GetActivePage(), TRUE);
    if (!box->OnDrop(data, DROPEFFECT_COPY, ptClient)) return false;
    return m_view.GetCreation().Append(std::move(box), true) != nullptr;
}

void CViewClipboard::DropFiles(const QStringList& paths, POINT ptClient) {
    DEF_TRY
    QStringList documents, refused;
    for (const QString& path : paths) {
        if (IsLoadableDocPath(path) || IsPdfPath(path))
            documents << path;
        else if (CLumidorDoc::IsImageFormatSupported(path))
            PasteImageFile(path, ptClient);
        else
            refused << ExtractFileName(path);
    }
    // One message names the files not taken, however many were dropped.
    if (!refused.isEmpty()) {
        constexpr int kNamed = 20;
        QStringList names = refused.mid(0, kNamed);
        if (refused.size() > kNamed) names << QStringLiteral("…");
        ErrorBox(LoadResString(IDS_DROP_NOT_INSERTED).arg(names.join(QLatin1Char('\n'))));
    }
    if (!documents.isEmpty() && m_openFiles) m_openFiles(documents);
    DEF_CATCH
}
