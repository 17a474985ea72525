#pragma once
// CLumidorDoc: one open document. An ordered list of pages, each with a raster background image,
// its annotation objects and its erased areas, plus the document-wide values the file header
// carries. Views show one page at a time; the document has no current page of its own: it is the
// current page of its first view (page 0 while no view shows it).
//
// The document builds itself from the application's pending NewDocSource request
// (OnNewDocument), names new objects, and runs the page image operations with their one-step page
// undo. It owns no window: messages and dialogs go through the platform's services, and views are
// reached through IDocumentView.

#include "app/CommandTarget.h"
#include "document/EraseList.h"
#include "platform/WinTypes.h"
#include "platform/imaging/MyBitmap.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class CArchive;
class CArchiveException;
class CTranspBaseClass;
class CUndoHistory;
struct CPdfSource;
class IDocumentView;
class LBitmapList;
struct _DOCFILEHEADER;

// The owned annotation objects of a page, in drawing order.
using CObjectList = std::vector<std::unique_ptr<CTranspBaseClass>>;
// Objects of a page that are form fields; the page's object list owns them.
using CFieldObjectList = std::vector<CTranspBaseClass*>;

// One page of a document.
struct _PAGEINFO {
    _PAGEINFO();
    ~_PAGEINFO();
    _PAGEINFO(const _PAGEINFO&) = delete;
    _PAGEINFO& operator=(const _PAGEINFO&) = delete;

    CObjectList m_ObjectsList;
    LMyBitmap m_Bitmap;          // may be unallocated: the page has no image
    LMyBitmap m_UndoBitmap;      // the image before the last image operation
    POINT m_ptImagePos;          // text units: the image's top-left corner on the canvas
    POINT m_ptUndoImagePos;      // text units
    BOOL m_bImageModified = FALSE;
    CFieldObjectList m_FieldObjectsList; // rebuilt on every save
    CEraseList m_EraseList;
    QByteArray m_strPageName;    // bytes as stored, in the system code page
    LONG m_nCanvasWidth = 0;     // page pixels
    LONG m_nCanvasHeight = 0;
};

// The eleven kinds that get generated names, in the order their counters are kept.
enum ObjectNameKind : int {
    NAME_TEXT = 0,
    NAME_CHECKMARK,
    NAME_CIRCLE,
    NAME_ELLIPSE,
    NAME_FREEHAND,
    NAME_IMAGE,
    NAME_LINE,
    NAME_RECTANGLE,
    NAME_ARROW,
    NAME_SIZEARROW,
    NAME_BRACKET,
    NAME_KIND_COUNT
};

// An image occupying more memory than this is worth a warning (30 MiB).
constexpr std::int64_t BIG_IMAGE_BYTES = 30LL * 1024 * 1024;

class CLumidorDoc : public QObject {
    Q_OBJECT
public:
    CLumidorDoc();
    ~CLumidorDoc() override;

    // ---- Creation --------------------------------------------------------------------------
    // Builds the document from the application's NewDocSource request.
    BOOL OnNewDocument();
    // Page 0 from a copy of the bitmap, borders trimmed.
    BOOL CreateFromBitmap(const LBitmapBase& bitmap);
    // One page per bitmap, each taken out of the list.
    BOOL CreateFromBitmapList(LBitmapList& list);
    BOOL AppendPageFromBitmap(const LBitmapBase& bitmap);
    BOOL AppendPagesFromBitmapList(const LBitmapList& list);
    // A page as a scanner delivered it: whole (no border trimmed, so that it keeps the paper's
    // size), its canvas the image, and unsaved.
    BOOL AppendWholePage(const LBitmapBase& bitmap);
    // Back to one empty page, no path, not modified.
    void DeleteContents();

    // ---- Pages -----------------------------------------------------------------------------
    int GetPageCount() const { return m_nPageCount; }
    _PAGEINFO* GetPageInfo(int nPage) const;
    // The page's image, allocated or not; null for no such page.
    LMyBitmap* GetBitmapPage(int nPage) const;
    // The page's image only when allocated.
    LMyBitmap* GetCurrentBitmap(int nPage) const;
    SIZE GetPageSize(int nPage) const;
    // Dots per inch of the page image; the screen's without an image (or for an axis the image
    // does not state).
    POINT GetPageResolution(int nPage) const;
    BOOL SetPageResolution(int nPage, int x, int y);
    // Text units to the page's pixels at its resolution, halves rounded up.
    POINT UnitToPagePixels(int nPage, POINT units) const;
    POINT GetPageImagePos(int nPage) const;
    void SetPageImagePos(int nPage, int x, int y);
    SIZE GetCanvasSize(int nPage) const;
    void SetCanvasSize(int nPage, int cx, int cy);
    BOOL IsImageAvailable(int nPage) const;
    BOOL IsImageAvailable() const;
    CObjectList* GetObjectsList(int nPage) const;
    CFieldObjectList* GetFieldObjectsList(int nPage) const;
    CEraseList* GetErasedList(int nPage) const;
    // Appends the object to the lists of the page its index names (the current page while merging
    // all objects onto it); the page's list then owns it. False (and the object is destroyed) when
    // the index names no page.
    BOOL AddObjectToList(std::unique_ptr<CTranspBaseClass> pObject);
    void AddFieldObjectToList(CTranspBaseClass* pObject);
    BOOL DeletePage(int nPage);
    // Every object of page i gets page index i (after pages were deleted or moved).
    void RenumberObjectPages();
    BOOL IsImageModified() const;
    void SetImageModified(BOOL bModified);
    BOOL IsEmpty() const;
    // The next generated name for the object's kind; with bCheck, one no object of the document
    // bears. Empty for kinds that get no generated name.
    QByteArray GetUniqueObjectName(const CTranspBaseClass* pObject, BOOL bCheck);
    // Warns about every page whose image takes more than BIG_IMAGE_BYTES of memory; returns how
    // many warnings were shown.
    int BigImageMessage();
    // Position and canvas of a page from its image and the page-frame flag.
    void ApplyFrameRule(int nPage);

    // ---- Titles, modified state, views -----------------------------------------------------
    // Drops everything from the last "." on and keeps the rest as the document name.
    void SetTitle(const QString& title);
    void UpdateTitle();
    QString GetTitle() const { return m_strTitle; }
    const QString& GetPathName() const { return m_strPathName; }
    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL bModified = TRUE);
    // Counts every change reported (SetModifiedFlag(TRUE)), so that a copy can tell whether the
    // document changed since it was taken.
    unsigned long long GetChangeCount() const { return m_nChangeCount; }
    BOOL OnEditRename();
    BOOL RenameDocument(const QString& name);
    void ProgramModeChanged();
    void UpdatePrinterSettings();
    void UpdateAllViews();
    void OnFrame();
    BOOL OnUpdateFrame() const { return m_bFrame; }
    void AddView(IDocumentView* pView);
    void RemoveView(IDocumentView* pView);
    const std::vector<IDocumentView*>& GetViews() const { return m_views; }
    // The first view's current page, 0 without views.
    int GetCurrentPage() const;
    // The commands the document carries out, offered after its view's.
    const CCommandMap& GetCommandMap() const { return m_commands; }
    // What the user did to the pages' objects, to undo and redo (document/UndoHistory.h).
    CUndoHistory& GetUndoHistory() const { return *m_pUndoHistory; }

    // ---- Page images -----------------------------------------------------------------------
    // Every page of a (multi-page) image file becomes a page of the document.
    BOOL OpenImage(const QString& path);
    // Replaces the page's image (-1: the current page) by a copy of the bitmap at (0, 0).
    BOOL LoadDraftImage(const LBitmapBase& bitmap, int nPage = -1);
    BOOL DoCropPage(int nPage, const RECT& rect);
    BOOL RotatePage(int nPage, int nDegrees);
    BOOL RotatePage(int nPage, double dRadians);
    BOOL FlipImage(int nPage);
    BOOL ReverseImage(int nPage);
    BOOL InvertImage(int nPage);
    // Keeps the part (left, top, width, height) of the page image, as an image operation.
    BOOL TrimPageImage(int nPage, int left, int top, int width, int height);
    BOOL SavePageAsUndo(int nPage);
    BOOL UndoPage(int nPage);
    BOOL IsPageUndo(int nPage) const;
    static BOOL IsImageFormatSupported(const QString& path);
    // Loads an image file at its own depth under the wait cursor; the library's message and
    // FALSE when it cannot.
    static BOOL LoadImageFile(const QString& path, LMyBitmap& bitmap);
    // Asks for an image file in the folder last used ("GraphicInitialDir"), which then becomes
    // the one remembered; empty when cancelled or the format is not one the program reads (said).
    static QString AskImageFileName();
    BOOL CopyToClipboard(int nPage);
    // Colour correction of an area in image pixels (nBlack 0: white point, 1: black point): the
    // area's mean colour becomes white or black, as an image operation with its undo step; 1 when
    // the image changed, 0 when nothing did.
    int DoImageColCorrection(int nPage, const RECT& rect, int nBlack);
    void OnFileLoadImage();
    void OnFileDeleteImage();
    void OnFileRevertImage();
    BOOL OnUpdateFileRevertImage() const;
    // The page resolution dialog on a page: both resolutions become the number entered.
    BOOL OnImageResolution(int nPage);

    // ---- Document file: these live in DocFile.cpp and DocFileCommands.cpp -----------------
    void Serialize(CArchive& ar);
    void SerializeImage(CArchive& ar);
    void StoringSerialize(CArchive& ar);
    void LoadingSerialize(CArchive& ar);
    // The body of a version-2 file, the header before it already read.
    void LoadingSerialize2(CArchive& ar, const _DOCFILEHEADER& header);
    BOOL OnOpenDocument(const QString& path);
    BOOL OnSaveDocument(const QString& path);
    BOOL DoSave(const QString& path, BOOL bReplace = TRUE);
    void SetPathName(const QString& path, BOOL bAddToMRU = TRUE);
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileSaveAsDraft();
    BOOL SaveAsTemplate();
    void OnFileSaveAsTemplate();
    void OnFileSaveFields();
    void OnFileImportFromTarnwick();
    void OnFileExportToTarnwick();
    BOOL MergeToDoc(const QString& path);
    BOOL SaveModified();
    void ReportSaveLoadException(const QString& path, const CArchiveException* e, BOOL bSaving);

    // ---- Fields ----------------------------------------------------------------------------
    LONG m_nOriginFlag = 0;                          // 1: made from a detached image file
    std::vector<std::unique_ptr<_PAGEINFO>> m_PagesList;
    QString m_strImagePath;                          // the image file the pages came from
    BOOL m_bFrame = FALSE;                           // pages get a white frame around the image
    double m_dUnitScale = 0.00001;                   // inches per text unit
    POINT m_ptOrigin;                                // text units; shifts all objects
    QString m_strDocName;                            // the title without extension
    POINT m_ptScreenRes;                             // dots per inch when created
    BOOL m_bAutoCreated = FALSE;
    LONG m_nPageCount = 1;                           // == m_PagesList.size(), at least 1
    BOOL m_bDraft = FALSE;
    QByteArray m_strNewPageName;                     // name given to new pages
    LONG m_nFrameMargin = 0;                         // text units
    LONG m_nNameCounter[NAME_KIND_COUNT] = {};
    // Saving and loading.
    BOOL m_bSaveFields = FALSE;
    BOOL m_bSaveAsTemplate = FALSE;
    BOOL m_bSaveWithoutImage = FALSE;
    BOOL m_bMerging = FALSE;
    BOOL m_bMergePageByPage = FALSE;
    BOOL m_bImageRecordSeen = FALSE;                 // the file read had a page-image record
    // Export and sending.
    BOOL m_bPageNameSuffix = TRUE;
    LONG m_nMailThreadBusy = 0;
    LONG m_nDeleteThreadBusy = 0;
    QString m_strLastPdfPath;
    // The PDF file the document was made from (document/PdfSource.h), or null.
    std::shared_ptr<CPdfSource> m_pPdfSource;

Q_SIGNALS:
    void titleChanged();
    // Pages were added, removed or got new images.
    void pagesChanged();
    void modifiedChanged(bool modified);

private:
    // The copy of a bitmap that becomes a page image: borders trimmed, a blank image made white.
    // False after showing the library's message (or silently when the user cancelled).
    static bool PrepareTrimmedCopy(const LBitmapBase& bitmap, LMyBitmap& out);
    // The common frame of the image operations: undo copy, the operation, flags, messages.
    template <typename Op> BOOL RunImageOperation(int nPage, Op op);

    QString m_strTitle;
    QString m_strPathName;
    BOOL m_bModified = FALSE;
    unsigned long long m_nChangeCount = 0;
    std::vector<IDocumentView*> m_views;
    CCommandMap m_commands;
    std::unique_ptr<CUndoHistory> m_pUndoHistory;
};
