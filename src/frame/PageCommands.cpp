#include "frame/PageCommands.h"

#include "app/AddPagesDlg.h"
#include "app/CommandIds.h"
#include "app/LumidorApp.h"
#include "app/Resource.h"
#include "app/SelectDocOrPage.h"
#include "document/LumidorDoc.h"
#include "frame/ChildFrame.h"
#include "frame/MainFrame.h"
#include "frame/PagesBar.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"

#include <QApplication>
#include <QScopeGuard>
#include <algorithm>
#include <utility>

namespace {
// The library's error text, except for the user's own cancel.
void ReportRenderError(int rc) {
    if (rc != ERROR_USER_ABORT)
        ErrorBox(GetImagingErrorText(rc));
}

auto WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return qScopeGuard([] { QApplication::restoreOverrideCursor(); });
}
} // namespace

CPageCommands::CPageCommands(CMainFrame* frame) : QObject(frame), m_frame(frame) {}

CChildFrame* CPageCommands::ActiveChild() const {
    CChildFrame* child = m_frame->GetActiveChildFrame();
    return child && child->GetDocument() && child->GetView() ? child : nullptr;
}

int CPageCommands::Neighbour(int delta) const {
    const CChildFrame* child = ActiveChild();
    if (!child) return -1;
    const int page = child->GetView()->GetActivePage() + delta;
    return page >= 0 && page < child->GetDocument()->GetPageCount() ? page : -1;
}

void CPageCommands::RegisterCommands(CCommandMap& map) {
    const auto hasWindow = [this](CCmdUI& ui) { ui.Enable(ActiveChild() != nullptr); };
    const auto severalPages = [this](CCmdUI& ui) {
        const CChildFrame* child = ActiveChild();
        ui.Enable(child && child->GetDocument()->GetPageCount() > 1);
    };
    const auto hasNeighbour = [this](int delta) {
        return [this, delta](CCmdUI& ui) { ui.Enable(Neighbour(delta) >= 0); };
    };
    map.On(ID_MULTIPAGE_TOOLS_ADD, [this] { OnMultipageToolsAdd(); }, hasWindow);
    map.On(ID_MULTIPAGE_TOOLS_DEL, [this] { OnMultipageToolsDel(); }, severalPages);
    // A neighbour exists only where the document has more than one page.
    map.On(ID_MULTIPAGE_TOOLS_MOVELEFT, [this] { OnMultipageToolsMoveleft(); }, hasNeighbour(-1));
    map.On(ID_MULTIPAGE_TOOLS_MOVERIGHT, [this] { OnMultipageToolsMoveright(); }, hasNeighbour(1));
    map.On(ID_MULTIPAGE_TOOLS_PREVIOUS, [this] { OnMultipageToolsPrevious(); }, hasNeighbour(-1));
    map.On(ID_MULTIPAGE_TOOLS_NEXT, [this] { OnMultipageToolsNext(); }, hasNeighbour(1));
    map.On(ID_MULTIPAGE_TOOLS_CONVERT_PAGE_TO_DOC, [this] { OnMultipageToolsConvertPageToDoc(); },
           hasWindow);
    map.On(ID_IMAGE_TEXT, [this] { OnImageText(); }, hasWindow);
}

void CPageCommands::OnMultipageToolsAdd() {
    DEF_TRY
    CChildFrame* child = ActiveChild();
    if (!child) return;
    FileDialogRequest request;
    request.title = LoadResString(IDS_ADD_PAGES_TITLE);
    request.filter = LoadResString(IDS_FILTER_LOADIMAGE_1) + LoadResString(IDS_FILTER_LOADIMAGE_2);
    request.filterIndex = 3; // image files of every kind the program reads
    request.initialDir = m_frame->GetImagesPath();
    QString path;
    if (!GetDialogService().GetFileName(request, path) || path.isEmpty()) return;

    CAddPagesDlg dlg;
    dlg.m_strCaption = request.title;
    dlg.m_strFilter = request.filter;
    dlg.m_files = QStringList{path};
    if (dlg.DoModal() != IDOK) return;
    const auto wait = WaitCursor();
    LBitmapList list;
    if (!dlg.LoadBitmapList(list) || list.GetItemsCount() == 0) return;
    CLumidorDoc* doc = child->GetDocument();
    const BOOL added = doc->AppendPagesFromBitmapList(list);
    // Appending leaves the modified flag to the caller; what did arrive is a change either way.
    doc->SetModifiedFlag();
    child->UpdatePagesBar(doc->GetPageCount());
    if (!added) ErrorBox(IDS_ADD_PAGES_FAILED);
    DEF_CATCH
}

void CPageCommands::OnMultipageToolsDel() {
    DEF_TRY
    CChildFrame* child = ActiveChild();
    if (!child) return;
    CLumidorDoc* doc = child->GetDocument();
    CLumidorView* view = child->GetView();
    const int page = view->GetActivePage();
    if (doc->GetPageCount() <= 1) return;
    if (YesNoBox(LoadResString(IDS_DELETE_PAGE_QUESTION).arg(page + 1)) != IDYES) return;
    // The object being edited goes with its page: let go of it first.
    view->ReleaseActiveObject();
    if (!doc->DeletePage(page)) {
        ErrorBox(IDS_DELETE_PAGE_FAILED);
        return;
    }
    doc->RenumberObjectPages();
    doc->UpdateAllViews();
    child->UpdatePagesBar(doc->GetPageCount());
    child->GetPagesBar()->ActivatePage(std::max(page - 1, 0));
    DEF_CATCH
}

void CPageCommands::MovePage(int delta) {
    DEF_TRY
    const int target = Neighbour(delta);
    if (target < 0) return;
    CChildFrame* child = ActiveChild();
    CLumidorDoc* doc = child->GetDocument();
    const int page = child->GetView()->GetActivePage();
    std::swap(doc->m_PagesList[size_t(page)], doc->m_PagesList[size_t(target)]);
    // Both pages are written anew at their new places on the next save.
    doc->m_PagesList[size_t(page)]->m_bImageModified = TRUE;
    doc->m_PagesList[size_t(target)]->m_bImageModified = TRUE;
    doc->RenumberObjectPages();
    doc->SetModifiedFlag();
    doc->UpdateAllViews();
    child->UpdatePagesBar(doc->GetPageCount());
    child->GetPagesBar()->ActivatePage(target);
    DEF_CATCH
}

void CPageCommands::GoToPage(int delta) {
    DEF_TRY
    const int target = Neighbour(delta);
    if (target >= 0) ActiveChild()->GetPagesBar()->ActivatePage(target);
    DEF_CATCH
}

void CPageCommands::ActivePageToNewDocument(const CLumidorDoc& doc) {
    LBitmapBase bitmap;
    const int rc = GetActivePageAsBitmap(doc, bitmap);
    if (rc != SUCCESS) {
        ReportRenderError(rc);
        return;
    }
    if (CLumidorApp* app = CLumidorApp::Instance()) app->CreateDocFromBitmap(&bitmap);
}

void CPageCommands::OnMultipageToolsConvertPageToDoc() {
    DEF_TRY
    if (CChildFrame* child = ActiveChild()) {
        const auto wait = WaitCursor();
        ActivePageToNewDocument(*child->GetDocument());
    }
    DEF_CATCH
}

void CPageCommands::OnImageText() {
    DEF_TRY
    CChildFrame* child = ActiveChild();
    if (!child) return;
    const CLumidorDoc& doc = *child->GetDocument();
    bool whole = false;
    if (doc.GetPageCount() > 1) {
        CSelectDocOrPage dlg;
        dlg.m_strCaption = LoadResString(IDS_SELECT_DOC_OR_PAGE_TITLE);
        if (dlg.DoModal() != IDOK) return;
        whole = dlg.m_nChoice == CSelectDocOrPage::WholeDocument;
    }
    const auto wait = WaitCursor();
    if (!whole) {
        ActivePageToNewDocument(doc);
        return;
    }
    LBitmapList list;
    if (const int rc = GetDocumentAsBitmapList(doc, list); rc != SUCCESS) {
        ReportRenderError(rc);
        return;
    }
    if (CLumidorApp* app = CLumidorApp::Instance()) app->CreateDocFromBitmapList(&list);
    DEF_CATCH
}
