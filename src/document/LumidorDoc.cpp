#include "document/LumidorDoc.h"

#include "app/ImageResolution.h"
#include "app/LumidorApp.h"
#include "app/ProfileRecords.h"
#include "app/RenameDocDialog.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocCommands.h"
#include "document/DocumentView.h"
#include "document/PageOutput.h"
#include "document/UndoHistory.h"
#include "objects/TranspArrow.h"
#include "objects/TranspBaseClass.h"
#include "objects/TranspBrace.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspImage.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspSizeArrow.h"
#include "objects/TranspText.h"
#include "platform/CodePage.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/ScreenDpi.h"
#include "platform/SettingsStore.h"
#include "platform/WaitCursor.h"
#include "platform/imaging/PointCorrection.h"
#include "platform/imaging/ImageFile.h"

#include <QGuiApplication>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {
// The library's error text, except for the user's own cancel, which needs no word.
void ReportImagingError(int rc) {
    if (rc != ERROR_USER_ABORT)
        ErrorBox(GetImagingErrorText(rc));
}

// A page name given as text, kept as the bytes the file stores.
QByteArray PageNameBytes(const QString& name) {
    QByteArray bytes;
    if (UnicodeToCodePage(name, CP_ACP_DEFAULT, bytes))
        return bytes;
    return name.toLatin1(); // characters the code page lacks become "?"
}

template <typename T> bool IsKind(const CTranspBaseClass* o) {
    return dynamic_cast<const T*>(o) != nullptr;
}

// Per kind of generated name, in the order of the counters: the name's prefix and the test for
// an object of the kind. Tested in this order, every kind stays apart.
struct NameKindInfo {
    const char* prefix;
    bool (*is)(const CTranspBaseClass*);
};
const NameKindInfo kNameKinds[NAME_KIND_COUNT] = {
    {"Text", IsKind<CTranspText>},         {"CheckMark", IsKind<CTranspCheckMark>},
    {"Circle", IsKind<CTranspCircle>},     {"Ellipse", IsKind<CTranspEllipse>},
    {"FreeHand", IsKind<CTranspFreehand>}, {"Image", IsKind<CTranspImage>},
    {"Line", IsKind<CTranspLine>},         {"Rectangle", IsKind<CTranspRectangle>},
    {"Arrow", IsKind<CTranspArrow>},       {"SizeArrow", IsKind<CTranspSizeArrow>},
    {"Bracket", IsKind<CTranspBrace>},
};

// The name counter of an object's kind.
int NameKindOf(const CTranspBaseClass* o) {
    for (int kind = 0; kind < NAME_KIND_COUNT; ++kind)
        if (kNameKinds[kind].is(o))
            return kind;
    return -1;
}

// The page, only while it holds an image.
_PAGEINFO* PageWithImage(const CLumidorDoc& doc, int nPage) {
    _PAGEINFO* p = doc.GetPageInfo(nPage);
    return p && p->m_Bitmap.IsAllocated() ? p : nullptr;
}

// The image at the top left corner of the page, on a canvas of just its size.
void FitCanvasToImage(_PAGEINFO& p) {
    p.m_ptImagePos = POINT{};
    p.m_nCanvasWidth = p.m_Bitmap.GetWidth();
    p.m_nCanvasHeight = p.m_Bitmap.GetHeight();
}

// The images of the list, which is left empty, become those of the first pages in order; pages
// are added where there are fewer, and pages beyond the list keep what they hold.
void TakeListImages(std::vector<std::unique_ptr<_PAGEINFO>>& pages, LBitmapList& list) {
    const int n = list.GetItemsCount();
    while (pages.size() < size_t(n))
        pages.push_back(std::make_unique<_PAGEINFO>());
    for (int i = 0; i < n; ++i) {
        LBitmapBase item;
        list.RemoveItem(0, &item);
        pages[size_t(i)]->m_Bitmap.TakePixels(item);
    }
}
} // namespace

_PAGEINFO::_PAGEINFO() = default;
_PAGEINFO::~_PAGEINFO() = default;

CLumidorDoc::CLumidorDoc() : m_pUndoHistory(std::make_unique<CUndoHistory>()) {
    const QPoint dpi = GetScreenDpi();
    m_ptScreenRes = POINT{dpi.x() > 0 ? dpi.x() : 96, dpi.y() > 0 ? dpi.y() : 96};
    m_nFrameMargin = 5760000 / m_ptScreenRes.x;
    m_bFrame = LoadFrameOptions()[OPT_PAGE_FRAME] ? TRUE : FALSE;
    std::fill(std::begin(m_nNameCounter), std::end(m_nNameCounter), 1);
    m_PagesList.push_back(std::make_unique<_PAGEINFO>());
    RegisterDocumentCommands(*this, m_commands);
}

CLumidorDoc::~CLumidorDoc() = default;

void CLumidorDoc::DeleteContents() {
    DEF_TRY
    m_pUndoHistory->Clear();
    m_PagesList.clear();
    m_PagesList.push_back(std::make_unique<_PAGEINFO>());
    m_nPageCount = 1;
    m_strImagePath.clear();
    m_strPathName.clear();
    m_pPdfSource.reset();
    SetModifiedFlag(FALSE);
    Q_EMIT pagesChanged();
    DEF_CATCH
}

// ---- Page access ---------------------------------------------------------------------------

_PAGEINFO* CLumidorDoc::GetPageInfo(int nPage) const {
    if (nPage < 0 || nPage >= m_nPageCount || size_t(nPage) >= m_PagesList.size())
        return nullptr;
    return m_PagesList[size_t(nPage)].get();
}

LMyBitmap* CLumidorDoc::GetBitmapPage(int nPage) const {
    _PAGEINFO* p = GetPageInfo(nPage);
    return p ? &p->m_Bitmap : nullptr;
}

LMyBitmap* CLumidorDoc::GetCurrentBitmap(int nPage) const {
    _PAGEINFO* p = PageWithImage(*this, nPage);
    return p ? &p->m_Bitmap : nullptr;
}

SIZE CLumidorDoc::GetPageSize(int nPage) const {
    const LMyBitmap* b = GetCurrentBitmap(nPage);
    return b ? SIZE{b->GetWidth(), b->GetHeight()} : SIZE{};
}

POINT CLumidorDoc::GetPageResolution(int nPage) const {
    const LMyBitmap* b = GetCurrentBitmap(nPage);
    if (!b)
        return m_ptScreenRes;
    // An image that states no resolution for an axis is taken at the screen's, so that no
    // conversion ever divides by zero.
    return POINT{b->GetXResolution() > 0 ? b->GetXResolution() : m_ptScreenRes.x,
                 b->GetYResolution() > 0 ? b->GetYResolution() : m_ptScreenRes.y};
}

BOOL CLumidorDoc::SetPageResolution(int nPage, int x, int y) {
    DEF_TRY
    _PAGEINFO* p = PageWithImage(*this, nPage);
    if (!p || x <= 0 || y <= 0)
        return FALSE;
    p->m_Bitmap.SetXResolution(x);
    p->m_Bitmap.SetYResolution(y);
    p->m_bImageModified = TRUE;
    SetModifiedFlag();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

POINT CLumidorDoc::UnitToPagePixels(int nPage, POINT units) const {
    const POINT res = GetPageResolution(nPage);
    return POINT{RoundHalfUp(double(units.x) * res.x * m_dUnitScale),
                 RoundHalfUp(double(units.y) * res.y * m_dUnitScale)};
}

POINT CLumidorDoc::GetPageImagePos(int nPage) const {
    const _PAGEINFO* p = GetPageInfo(nPage);
    return p ? p->m_ptImagePos : POINT{};
}

void CLumidorDoc::SetPageImagePos(int nPage, int x, int y) {
    if (_PAGEINFO* p = GetPageInfo(nPage))
        p->m_ptImagePos = POINT{x, y};
}

SIZE CLumidorDoc::GetCanvasSize(int nPage) const {
    const _PAGEINFO* p = PageWithImage(*this, nPage);
    if (!p)
        return SIZE{};
    return SIZE{p->m_nCanvasWidth, p->m_nCanvasHeight};
}

void CLumidorDoc::SetCanvasSize(int nPage, int cx, int cy) {
    if (_PAGEINFO* p = GetPageInfo(nPage)) {
        p->m_nCanvasWidth = cx < 0 ? 1 : cx;
        p->m_nCanvasHeight = cy < 0 ? 1 : cy;
    }
}

BOOL CLumidorDoc::IsImageAvailable(int nPage) const {
    return GetCurrentBitmap(nPage) ? TRUE : FALSE;
}

BOOL CLumidorDoc::IsImageAvailable() const {
    for (const auto& p : m_PagesList)
        if (p->m_Bitmap.IsAllocated())
            return TRUE;
    return FALSE;
}

CObjectList* CLumidorDoc::GetObjectsList(int nPage) const {
    _PAGEINFO* p = GetPageInfo(nPage);
    return p ? &p->m_ObjectsList : nullptr;
}

CFieldObjectList* CLumidorDoc::GetFieldObjectsList(int nPage) const {
    _PAGEINFO* p = GetPageInfo(nPage);
    return p ? &p->m_FieldObjectsList : nullptr;
}

CEraseList* CLumidorDoc::GetErasedList(int nPage) const {
    _PAGEINFO* p = GetPageInfo(nPage);
    return p ? &p->m_EraseList : nullptr;
}

BOOL CLumidorDoc::AddObjectToList(std::unique_ptr<CTranspBaseClass> pObject) {
    DEF_TRY
    if (!pObject)
        return FALSE;
    // A merged file of one page puts everything on the page the user is on.
    if (m_bMerging && !m_bMergePageByPage)
        pObject->m_nPage = GetCurrentPage();
    _PAGEINFO* p = GetPageInfo(pObject->m_nPage);
    if (!p)
        return FALSE;
    p->m_ObjectsList.push_back(std::move(pObject));
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CLumidorDoc::AddFieldObjectToList(CTranspBaseClass* pObject) {
    DEF_TRY
    if (!pObject)
        return;
    if (m_bMerging && !m_bMergePageByPage)
        pObject->m_nPage = GetCurrentPage();
    if (_PAGEINFO* p = GetPageInfo(pObject->m_nPage))
        p->m_FieldObjectsList.push_back(pObject);
    DEF_CATCH
}

BOOL CLumidorDoc::DeletePage(int nPage) {
    DEF_TRY
    if (nPage < 0 || nPage >= m_nPageCount || m_nPageCount <= 1)
        return FALSE;
    m_pUndoHistory->ForgetPage(m_PagesList[size_t(nPage)].get());
    m_PagesList.erase(m_PagesList.begin() + nPage);
    m_nPageCount = LONG(m_PagesList.size());
    // Every later page moved: all of them are written anew on the next save.
    SetImageModified(TRUE);
    SetModifiedFlag();
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CLumidorDoc::RenumberObjectPages() {
    DEF_TRY
    for (size_t i = 0; i < m_PagesList.size(); ++i)
        for (auto& o : m_PagesList[i]->m_ObjectsList)
            o->m_nPage = int(i);
    DEF_CATCH
}

BOOL CLumidorDoc::IsImageModified() const {
    for (const auto& p : m_PagesList)
        if (p->m_Bitmap.IsAllocated() && p->m_bImageModified)
            return TRUE;
    return FALSE;
}

void CLumidorDoc::SetImageModified(BOOL bModified) {
    for (auto& p : m_PagesList)
        p->m_bImageModified = bModified;
}

BOOL CLumidorDoc::IsEmpty() const {
    for (const auto& p : m_PagesList)
        if (p->m_Bitmap.IsAllocated() || !p->m_ObjectsList.empty())
            return FALSE;
    return TRUE;
}

QByteArray CLumidorDoc::GetUniqueObjectName(const CTranspBaseClass* pObject, BOOL bCheck) {
    DEF_TRY
    const int kind = NameKindOf(pObject);
    if (kind < 0)
        return {};
    auto inUse = [this](const QByteArray& name) {
        for (const auto& p : m_PagesList)
            for (const auto& o : p->m_ObjectsList)
                if (o->GetObjectName() == name)
                    return true;
        return false;
    };
    size_t objects = 0;
    for (const auto& p : m_PagesList)
        objects += p->m_ObjectsList.size();
    LONG& counter = m_nNameCounter[kind];
    QByteArray name;
    // Among objects + 1 successive candidates one is always free, so the search ends.
    for (size_t tries = 0; tries <= objects; ++tries) {
        name = QByteArray(kNameKinds[kind].prefix) + QByteArray::number(counter);
        counter = counter < INT_MAX ? counter + 1 : 1;
        if (!bCheck || !inUse(name))
            break;
    }
    return name;
    DEF_CATCH
    return {};
}

int CLumidorDoc::BigImageMessage() {
    DEF_TRY
    int shown = 0;
    for (size_t i = 0; i < m_PagesList.size(); ++i) {
        const LMyBitmap& b = m_PagesList[i]->m_Bitmap;
        if (!b.IsAllocated() || b.GetMemorySize() <= BIG_IMAGE_BYTES)
            continue;
        const qint64 mib = (b.GetMemorySize() + 512 * 1024) / (1024 * 1024);
        WarningBox(LoadResString(IDS_BIG_IMAGE).arg(i + 1).arg(mib));
        ++shown;
    }
    return shown;
    DEF_CATCH
    return 0;
}

void CLumidorDoc::ApplyFrameRule(int nPage) {
    DEF_TRY
    _PAGEINFO* p = PageWithImage(*this, nPage);
    if (!p)
        return;
    if (!m_bFrame) {
        FitCanvasToImage(*p);
        return;
    }
    const POINT margin = UnitToPagePixels(nPage, POINT{m_nFrameMargin, m_nFrameMargin});
    p->m_ptImagePos = POINT{m_nFrameMargin, m_nFrameMargin};
    p->m_nCanvasWidth = p->m_Bitmap.GetWidth() + 2 * margin.x;
    p->m_nCanvasHeight = p->m_Bitmap.GetHeight() + 2 * margin.y;
    DEF_CATCH
}

// ---- Creation ------------------------------------------------------------------------------

bool CLumidorDoc::PrepareTrimmedCopy(const LBitmapBase& bitmap, LMyBitmap& out) {
    int rc = out.Copy(bitmap);
    if (rc != SUCCESS) {
        ReportImagingError(rc);
        return false;
    }
    out.EnableCallBack(true);
    rc = out.AutoTrim(0);
    out.EnableCallBack(false);
    if (rc == ERROR_NOTHING_TO_TRIM) // a blank image: kept whole, as a white page
        rc = out.Fill(RGB(255, 255, 255));
    if (rc != SUCCESS) {
        ReportImagingError(rc);
        out.Free();
        return false;
    }
    return true;
}

BOOL CLumidorDoc::CreateFromBitmap(const LBitmapBase& bitmap) {
    DEF_TRY
    LMyBitmap copy;
    if (!PrepareTrimmedCopy(bitmap, copy))
        return FALSE;
    _PAGEINFO* p = m_PagesList.front().get();
    p->m_Bitmap.TakePixels(copy);
    p->m_bImageModified = FALSE;
    p->m_strPageName = m_strNewPageName;
    ApplyFrameRule(0);
    SetModifiedFlag(FALSE);
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::CreateFromBitmapList(LBitmapList& list) {
    DEF_TRY
    const int n = list.GetItemsCount();
    if (n <= 0) // a document has at least one page
        return FALSE;
    TakeListImages(m_PagesList, list);
    for (int i = 0; i < n; ++i) {
        // The canvas holds the whole image, so that the page shows and renders.
        FitCanvasToImage(*m_PagesList[size_t(i)]);
        m_PagesList[size_t(i)]->m_bImageModified = TRUE;
    }
    m_nPageCount = LONG(m_PagesList.size());
    SetModifiedFlag();
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::AppendPageFromBitmap(const LBitmapBase& bitmap) {
    DEF_TRY
    if (!bitmap.IsAllocated()) {
        ReportImagingError(ERROR_NOT_ALLOCATED);
        return FALSE;
    }
    if (!m_PagesList.empty() && !m_PagesList.front()->m_Bitmap.IsAllocated()) {
        // The empty first page of a fresh document becomes a white page of the same size.
        _PAGEINFO* first = m_PagesList.front().get();
        const QList<QRgb> blackWhite{qRgb(0, 0, 0), qRgb(255, 255, 255)};
        int rc = first->m_Bitmap.Create(bitmap.GetWidth(), bitmap.GetHeight(), 1, blackWhite);
        if (rc == SUCCESS)
            rc = first->m_Bitmap.Fill(RGB(255, 255, 255));
        if (rc != SUCCESS) {
            first->m_Bitmap.Free();
            ReportImagingError(rc);
            return FALSE;
        }
        first->m_Bitmap.SetXResolution(bitmap.GetXResolution());
        first->m_Bitmap.SetYResolution(bitmap.GetYResolution());
        FitCanvasToImage(*first);
        first->m_bImageModified = FALSE;
    }
    auto page = std::make_unique<_PAGEINFO>();
    if (!PrepareTrimmedCopy(bitmap, page->m_Bitmap))
        return FALSE;
    page->m_strPageName = m_strNewPageName;
    m_PagesList.push_back(std::move(page));
    m_nPageCount = LONG(m_PagesList.size());
    ApplyFrameRule(m_nPageCount - 1);
    SetModifiedFlag(FALSE);
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::AppendWholePage(const LBitmapBase& bitmap) {
    DEF_TRY
    auto page = std::make_unique<_PAGEINFO>();
    const int rc = bitmap.IsAllocated() ? page->m_Bitmap.Copy(bitmap) : ERROR_NOT_ALLOCATED;
    if (rc != SUCCESS) {
        ReportImagingError(rc);
        return FALSE;
    }
    page->m_strPageName = m_strNewPageName;
    page->m_bImageModified = TRUE;
    FitCanvasToImage(*page);
    m_PagesList.push_back(std::move(page));
    m_nPageCount = LONG(m_PagesList.size());
    SetModifiedFlag();
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::AppendPagesFromBitmapList(const LBitmapList& list) {
    DEF_TRY
    for (int i = 0; i < list.GetItemsCount(); ++i)
        if (!AppendPageFromBitmap(*list.Item(i)))
            return FALSE;
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::OnNewDocument() {
    DEF_TRY
    CLumidorApp* app = CLumidorApp::Instance();
    if (!app)
        return FALSE;
    const NewDocSource& req = app->m_newDocSource;
    if (req.pListTitle && !req.pListTitle->isEmpty())
        SetTitle(*req.pListTitle);
    switch (req.nKind) {
    case NDS_EMPTY:
        m_bAutoCreated = req.bAutoCreated;
        UpdatePrinterSettings();
        return TRUE;
    case NDS_TEMPLATE:
        if (!OnOpenDocument(req.strTemplatePath))
            return FALSE;
        UpdateTitle();
        return TRUE;
    case NDS_IMAGE_FILE:
        if (!OpenImage(req.strImagePath))
            return FALSE;
        break;
    case NDS_BITMAP:
        if (!req.pBitmap)
            return FALSE;
        m_strNewPageName = PageNameBytes(req.strPageName);
        if (!CreateFromBitmap(*req.pBitmap))
            return FALSE;
        if (!req.strTitle.isEmpty())
            SetTitle(req.strTitle);
        break;
    case NDS_IMAGE_FILE_DETACHED:
        if (!OpenImage(req.strImagePath))
            return FALSE;
        // Nothing ties the document to the file any more: every page is written on save.
        m_strImagePath.clear();
        SetImageModified(TRUE);
        m_nOriginFlag = 1;
        break;
    case NDS_BITMAP_LIST:
        if (!req.pBitmapList || !CreateFromBitmapList(*req.pBitmapList))
            return FALSE;
        break;
    default:
        return FALSE;
    }
    UpdateTitle();
    BigImageMessage();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

// ---- Titles, modified state, views ---------------------------------------------------------

void CLumidorDoc::SetTitle(const QString& title) {
    DEF_TRY
    const qsizetype dot = title.lastIndexOf(QLatin1Char('.'));
    m_strDocName = dot >= 0 ? title.left(dot) : title;
    UpdateTitle();
    DEF_CATCH
}

void CLumidorDoc::UpdateTitle() {
    DEF_TRY
    m_strTitle = m_strDocName;
    Q_EMIT titleChanged();
    DEF_CATCH
}

void CLumidorDoc::SetModifiedFlag(BOOL bModified) {
    const BOOL was = m_bModified;
    m_bModified = bModified ? TRUE : FALSE;
    if (m_bModified)
        ++m_nChangeCount;
    if (was != m_bModified)
        Q_EMIT modifiedChanged(m_bModified != FALSE);
}

BOOL CLumidorDoc::RenameDocument(const QString& name) {
    DEF_TRY
    if (name.trimmed().isEmpty()) // a document keeps a name the user can see
        return FALSE;
    m_strDocName = name;
    UpdateTitle();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::OnEditRename() {
    DEF_TRY
    CRenameDocDialog dlg;
    dlg.m_strName = m_strDocName;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    return RenameDocument(dlg.m_strName);
    DEF_CATCH
    return FALSE;
}

void CLumidorDoc::ProgramModeChanged() {
    DEF_TRY
    for (IDocumentView* v : m_views)
        v->ProgramModeChanged();
    DEF_CATCH
}

void CLumidorDoc::UpdatePrinterSettings() {
    DEF_TRY
    for (IDocumentView* v : m_views)
        v->UpdatePrinterSettings();
    DEF_CATCH
}

void CLumidorDoc::UpdateAllViews() {
    DEF_TRY
    for (IDocumentView* v : m_views)
        v->OnUpdate();
    Q_EMIT pagesChanged();
    DEF_CATCH
}

void CLumidorDoc::OnFrame() {
    DEF_TRY
    m_bFrame = m_bFrame ? FALSE : TRUE;
    for (int i = 0; i < m_nPageCount; ++i)
        ApplyFrameRule(i);
    // Positions and canvases are part of the file: the change must not be lost on closing.
    SetModifiedFlag();
    UpdateAllViews();
    DEF_CATCH
}

void CLumidorDoc::AddView(IDocumentView* pView) {
    if (pView && std::find(m_views.begin(), m_views.end(), pView) == m_views.end())
        m_views.push_back(pView);
}

void CLumidorDoc::RemoveView(IDocumentView* pView) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), pView), m_views.end());
}

int CLumidorDoc::GetCurrentPage() const {
    if (m_views.empty())
        return 0;
    const int page = m_views.front()->GetCurrentPage();
    return page >= 0 && page < m_nPageCount ? page : 0;
}

// ---- Page images ---------------------------------------------------------------------------

BOOL CLumidorDoc::IsImageFormatSupported(const QString& path) {
    return ::IsImageFormatSupported(path) ? TRUE : FALSE;
}

BOOL CLumidorDoc::OpenImage(const QString& path) {
    DEF_TRY
    PumpMessages();
    CWaitCursor wait;
    if (!IsImageFormatSupported(path)) {
        ErrorBox(LoadResString(IDS_UNSUPPORTED_FORMAT).arg(ExtractFileName(path)));
        return FALSE;
    }
    LBitmapList list;
    LMyBitmap progress;
    progress.EnableCallBack(true);
    LFile file;
    file.SetFileName(path);
    int rc = file.LoadBitmapList(list, progress.Progress());
    if (rc == SUCCESS && list.GetItemsCount() == 0)
        rc = ERROR_FILE_FORMAT;
    if (rc != SUCCESS) {
        ReportImagingError(rc);
        return FALSE;
    }
    const int n = list.GetItemsCount();
    // Pages beyond those of the file (added since it was opened) keep what they hold.
    TakeListImages(m_PagesList, list);
    m_nPageCount = LONG(m_PagesList.size());
    for (int i = 0; i < n; ++i) {
        _PAGEINFO* p = m_PagesList[size_t(i)].get();
        p->m_bImageModified = FALSE;
        if (p->m_Bitmap.GetXResolution() <= 0 || p->m_Bitmap.GetYResolution() <= 0) {
            p->m_Bitmap.SetXResolution(m_ptScreenRes.x);
            p->m_Bitmap.SetYResolution(m_ptScreenRes.y);
            p->m_bImageModified = TRUE;
        }
        // After the resolution is known: the frame is measured in the page's pixels.
        ApplyFrameRule(i);
    }
    m_strImagePath = path;
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::LoadDraftImage(const LBitmapBase& bitmap, int nPage) {
    DEF_TRY
    if (nPage < 0)
        nPage = GetCurrentPage();
    _PAGEINFO* p = GetPageInfo(nPage);
    if (!p)
        return FALSE;
    const int rc = p->m_Bitmap.Copy(bitmap);
    if (rc != SUCCESS) {
        ReportImagingError(rc);
        return FALSE;
    }
    p->m_ptImagePos = POINT{};
    p->m_bImageModified = FALSE;
    // The canvas grows to hold the new image, so that none of it is cut off.
    p->m_nCanvasWidth = std::max(p->m_nCanvasWidth, LONG(p->m_Bitmap.GetWidth()));
    p->m_nCanvasHeight = std::max(p->m_nCanvasHeight, LONG(p->m_Bitmap.GetHeight()));
    SetModifiedFlag();
    UpdateAllViews();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

template <typename Op> BOOL CLumidorDoc::RunImageOperation(int nPage, Op op) {
    _PAGEINFO* p = GetPageInfo(nPage);
    if (!p)
        return FALSE;
    CWaitCursor wait;
    // A failed operation leaves the image and the undo step as they were; the copies share
    // their pixels, so keeping them costs nothing.
    const LMyBitmap before = p->m_Bitmap;
    const LMyBitmap undoBefore = p->m_UndoBitmap;
    const POINT undoPosBefore = p->m_ptUndoImagePos;
    if (p->m_Bitmap.IsAllocated())
        SavePageAsUndo(nPage);
    p->m_Bitmap.EnableCallBack(true);
    const int rc = op(p->m_Bitmap);
    p->m_Bitmap.EnableCallBack(false);
    if (rc != SUCCESS) {
        p->m_Bitmap = before;
        p->m_UndoBitmap = undoBefore;
        p->m_ptUndoImagePos = undoPosBefore;
        ReportImagingError(rc);
        return FALSE;
    }
    p->m_bImageModified = TRUE;
    SetModifiedFlag();
    Q_EMIT pagesChanged();
    return TRUE;
}

BOOL CLumidorDoc::RotatePage(int nPage, int nDegrees) {
    DEF_TRY
    const BOOL ok = RunImageOperation(nPage, [nDegrees](LMyBitmap& b) {
        return b.Rotate(nDegrees * 100, ROTATE_RESIZE, RGB(0, 0, 0));
    });
    if (ok) {
        // A turned image may be larger than the canvas it lay on.
        _PAGEINFO* p = GetPageInfo(nPage);
        const POINT pos = UnitToPagePixels(nPage, p->m_ptImagePos);
        p->m_nCanvasWidth = std::max(p->m_nCanvasWidth, pos.x + p->m_Bitmap.GetWidth());
        p->m_nCanvasHeight = std::max(p->m_nCanvasHeight, pos.y + p->m_Bitmap.GetHeight());
    }
    return ok;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::RotatePage(int nPage, double dRadians) {
    DEF_TRY
    return RotatePage(nPage, RoundHalfUp(dRadians / std::numbers::pi * 180.0));
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::FlipImage(int nPage) {
    DEF_TRY
    return RunImageOperation(nPage, [](LMyBitmap& b) { return b.Flip(); });
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::ReverseImage(int nPage) {
    DEF_TRY
    return RunImageOperation(nPage, [](LMyBitmap& b) { return b.Reverse(); });
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::InvertImage(int nPage) {
    DEF_TRY
    return RunImageOperation(nPage, [](LMyBitmap& b) {
        LMyBitmap copy;
        int rc = copy.Copy(b);
        if (rc == SUCCESS)
            rc = copy.Invert();
        if (rc == SUCCESS)
            b.TakePixels(copy);
        return rc;
    });
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::DoCropPage(int nPage, const RECT& rect) {
    DEF_TRY
    _PAGEINFO* p = GetPageInfo(nPage);
    if (!p || rect.IsRectEmpty())
        return FALSE;
    CWaitCursor wait;
    LMyBitmap out;
    int rc = GetPageAsBitmap(*this, nPage, out);
    // Nothing is saved for undo until the crop has succeeded: a failed one leaves the undo step
    // as it was.
    if (rc == SUCCESS)
        rc = out.Trim(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (rc != SUCCESS) {
        ErrorBox(IDS_CROP_FAILED);
        return FALSE;
    }
    SavePageAsUndo(nPage);
    if (p->m_Bitmap.IsAllocated()) {
        p->m_Bitmap.TakePixels(out);
        p->m_bImageModified = TRUE;
    }
    SetModifiedFlag();
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::TrimPageImage(int nPage, int left, int top, int width, int height) {
    DEF_TRY
    if (!IsImageAvailable(nPage)) return FALSE;
    return RunImageOperation(nPage, [=](LMyBitmap& b) { return b.Trim(left, top, width, height); });
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::SavePageAsUndo(int nPage) {
    DEF_TRY
    _PAGEINFO* p = PageWithImage(*this, nPage);
    if (!p)
        return FALSE;
    // The pixels are shared until one side changes them.
    p->m_UndoBitmap = p->m_Bitmap;
    p->m_ptUndoImagePos = p->m_ptImagePos;
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::UndoPage(int nPage) {
    DEF_TRY
    _PAGEINFO* p = GetPageInfo(nPage);
    if (!p || !p->m_UndoBitmap.IsAllocated())
        return FALSE;
    p->m_Bitmap.TakePixels(p->m_UndoBitmap);
    p->m_UndoBitmap.Free();
    p->m_ptImagePos = p->m_ptUndoImagePos;
    p->m_bImageModified = TRUE;
    SetModifiedFlag();
    Q_EMIT pagesChanged();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::IsPageUndo(int nPage) const {
    const _PAGEINFO* p = GetPageInfo(nPage);
    return p && p->m_UndoBitmap.IsAllocated() ? TRUE : FALSE;
}

BOOL CLumidorDoc::CopyToClipboard(int nPage) {
    DEF_TRY
    const LMyBitmap* b = GetCurrentBitmap(nPage);
    if (!b)
        return FALSE;
    const int rc = b->CopyToClipboard(COPY_EMPTY | COPY_DIB | COPY_IMAGE);
    if (rc != SUCCESS) {
        ReportImagingError(rc);
        return FALSE;
    }
    return TRUE;
    DEF_CATCH
    return FALSE;
}

int CLumidorDoc::DoImageColCorrection(int nPage, const RECT& rect, int nBlack) {
    DEF_TRY
    if (!IsImageAvailable(nPage) || rect.IsRectEmpty()) return 0;
    const QRect area(QPoint(int(rect.left), int(rect.top)),
                     QPoint(int(rect.right) - 1, int(rect.bottom) - 1));
    return RunImageOperation(nPage, [&area, nBlack](LMyBitmap& b) {
        return CorrectToPoint(b, area, nBlack != 0);
    }) ? 1 : 0;
    DEF_CATCH
    return 0;
}

BOOL CLumidorDoc::LoadImageFile(const QString& path, LMyBitmap& bitmap) {
    DEF_TRY
    bitmap.EnableCallBack(true);
    int rc = SUCCESS;
    {
        CWaitCursor wait;
        rc = bitmap.Load(path, 0, 1); // grey images stay grey: the file's own depth
    }
    if (rc == SUCCESS) return TRUE;
    ReportImagingError(rc);
    DEF_CATCH
    return FALSE;
}

QString CLumidorDoc::AskImageFileName() {
    DEF_TRY
    FileDialogRequest req;
    req.defaultExt = QStringLiteral("bmp");
    req.filter = LoadResString(IDS_FILTER_LOADIMAGE_1) + LoadResString(IDS_FILTER_LOADIMAGE_2);
    req.mustExist = true;
    req.initialDir = Profile().GetProfileString(QStringLiteral("Settings"),
                                                QStringLiteral("GraphicInitialDir"), QString());
    req.filterIndex = Profile().GetProfileInt(QStringLiteral("Settings"),
                                              QStringLiteral("LoadImageFilterIndex"), 3);
    QString path;
    if (!GetDialogService().GetFileName(req, path)) return {};
    Profile().WriteProfileString(QStringLiteral("Settings"), QStringLiteral("GraphicInitialDir"),
                                 ExtractFilePath(path));
    Profile().WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("LoadImageFilterIndex"),
                              req.filterIndex);
    if (!IsImageFormatSupported(path)) {
        ErrorBox(LoadResString(IDS_UNSUPPORTED_FORMAT).arg(ExtractFileName(path)));
        return {};
    }
    return path;
    DEF_CATCH
    return {};
}

void CLumidorDoc::OnFileLoadImage() {
    DEF_TRY
    const int nPage = GetCurrentPage();
    _PAGEINFO* p = GetPageInfo(nPage);
    if (!p)
        return;
    if (p->m_Bitmap.IsAllocated() && YesNoBox(IDS_REPLACE_IMAGE) != IDYES)
        return;
    const QString path = AskImageFileName();
    if (path.isEmpty()) return;
    LMyBitmap bitmap;
    if (!LoadImageFile(path, bitmap)) return;
    LoadDraftImage(bitmap, nPage);
    DEF_CATCH
}

void CLumidorDoc::OnFileDeleteImage() {
    DEF_TRY
    _PAGEINFO* p = PageWithImage(*this, GetCurrentPage());
    if (!p)
        return;
    if (YesNoBox(IDS_DELETE_IMAGE) != IDYES)
        return;
    p->m_Bitmap.Free();
    SetModifiedFlag();
    UpdateAllViews();
    DEF_CATCH
}

void CLumidorDoc::OnFileRevertImage() {
    DEF_TRY
    if (m_strImagePath.isEmpty())
        return;
    if (QuestionBox(LoadResString(IDS_REVERT_IMAGE).arg(m_strImagePath)) != IDYES)
        return;
    OpenImage(m_strImagePath);
    UpdateAllViews();
    DEF_CATCH
}

BOOL CLumidorDoc::OnUpdateFileRevertImage() const {
    return !m_strImagePath.isEmpty() && IsImageModified() ? TRUE : FALSE;
}

BOOL CLumidorDoc::OnImageResolution(int nPage) {
    DEF_TRY
    if (!GetCurrentBitmap(nPage))
        return FALSE;
    CImageResolution dlg;
    dlg.m_strResolution = QString::number(GetPageResolution(nPage).x);
    if (dlg.DoModal() != IDOK)
        return FALSE;
    int value = 0;
    if (!CImageResolution::ParseResolution(dlg.m_strResolution, value)) {
        ErrorBox(IDS_RESOLUTION_INVALID);
        return FALSE;
    }
    value = std::abs(value);
    if (!SetPageResolution(nPage, value, value))
        return FALSE;
    UpdatePrinterSettings();
    return TRUE;
    DEF_CATCH
    return FALSE;
}
