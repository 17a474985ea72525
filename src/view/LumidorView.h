#pragma once
// CLumidorView: the scrolling window that shows one page of one document. It owns the view
// geometry (scale, scroll position, resolutions), serves the page's objects as their host and the
// document as one of its views, zooms and fits by the program's scale steps, and paints the page:
// image, erased areas, white canvas, grid dots and objects, composed off screen.

#include "app/CommandTarget.h"
#include "document/DocumentView.h"
#include "document/LumidorDoc.h"
#include "objects/ObjectHost.h"
#include "view/ImageCommands.h"
#include "view/ViewArrange.h"
#include "view/ViewClipboard.h"
#include "view/ViewCollection.h"
#include "view/ViewContextMenu.h"
#include "view/ViewCreation.h"
#include "view/ViewGeometry.h"
#include "view/ViewMarks.h"
#include "view/ViewMouse.h"
#include "view/ViewPainter.h"
#include "view/ViewPrint.h"
#include "view/ViewKeys.h"
#include "view/ViewSelection.h"
#include "view/ViewTabOrder.h"
#include "view/ViewTextStyle.h"
#include "view/ViewUndo.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <functional>
#include <vector>

class CDC;
class CTranspBaseClass;

class CLumidorView : public QAbstractScrollArea, public IObjectHost, public IDocumentView {
    Q_OBJECT
    // The painter composes repaints from the view's page state.
    friend class CViewPainter;

public:
    explicit CLumidorView(CLumidorDoc* doc, QWidget* parent = nullptr);
    ~CLumidorView() override;

    CLumidorDoc* GetDocument() const { return m_pDoc; }
    const CViewGeometry& GetGeometry() const { return m_geometry; }

    // Hands every object of the document this view, reads the screen resolution and applies the
    // canvas and scale of the active page.
    void OnInitialUpdate();

    // The scale list of the main bar's scale box: 400, 300, 200, 100, 50, 33, 25 percent.
    static std::vector<int> GetScaleList();
    // A whole scale and its list index, both ways.
    static int ScaleToIndex(int k);
    static double IndexToScale(int i);
    // The list index of a scale that is one of the list's own, else -1.
    static int ListIndexOfScale(double s);
    // The percentage shown for a scale: s * 100 truncated, or 100 / |s| truncated for a dividing
    // scale (0 stands for 1.0).
    static int ScalePercent(double s);

    double GetViewScale() const { return m_geometry.GetScale(); }
    void SetViewScale(double s);
    void IncViewScale(const POINT* ptPage = nullptr);
    void DecViewScale(const POINT* ptPage = nullptr);
    void ZoomPageRect(RECT rc);
    void SetPageCenterTo(int x, int y);
    void FitPageToWindow();
    void FitPageToWidth();
    // A scale-box index: 7 fits to width, 8 to window, any other its list scale.
    void OnSelchangeComboScale(int index);
    // The scroll steps the last scale change set.
    int GetLineStep() const { return m_nLineStep; }
    int GetPageStep() const { return m_nPageStep; }

    void SetActivePage(int nPage);
    int GetActivePage() const { return m_nActivePage; }
    SIZE GetCanvasSize() const { return m_szCanvas; }
    RECT GetPageRect() const;
    RECT GetImageRect() const;

    bool GetShowPageImage() const { return m_bShowPageImage; }
    void SetShowPageImage(bool show);
    bool IsFormView() const { return m_bFormView; }
    // Flips form view, keeping the scale-list entry nearest the current percentage.
    void OnToolbarFormview();

    // The canvas edge under a client point: 8 the bottom-right corner, 4 the right edge, 5 the
    // bottom edge (each 4 pixels wide), 10 beyond the canvas, 0 on it.
    int GetCanvasEdgeCaptureType(POINT ptClient) const;
    // True inside the printable rectangle or outside the canvas.
    bool IsPrintableArea(int x, int y) const;
    // Moves the shown page image by page pixels.
    void MoveImage(int dx, int dy);
    // The arrow commands: one page pixel, only while the program moves page images.
    void OnImageLeft() { MoveImageInPawMode(-1, 0); }
    void OnImageUp() { MoveImageInPawMode(0, -1); }
    void OnImageDown() { MoveImageInPawMode(0, 1); }
    void OnImageRight() { MoveImageInPawMode(1, 0); }

    // Where the view learns the main frame's program mode; without a source the mode is 0.
    void SetProgramModeSource(std::function<int()> source) { m_programMode = std::move(source); }
    // Where the view asks the main frame for another program mode (after an image operation).
    void SetProgramModeSink(std::function<void(int)> sink) { m_setProgramMode = std::move(sink); }
    void RequestProgramMode(int mode) {
        if (m_setProgramMode) m_setProgramMode(mode);
    }
    // Where the view reads the image bar's eraser size (page pixels); 1 without a source.
    void SetEraserSizeSource(std::function<int()> source) { m_eraserSize = std::move(source); }
    int GetEraserSize() const { return m_eraserSize ? m_eraserSize() : 1; }
    // Where the add-to-shelf command hands the data block of the selected or active objects.
    void SetCollectionSink(std::function<void(const QByteArray&)> sink) {
        m_collection.SetCollectionSink(std::move(sink));
    }
    // Where the view reads the frame's text style controls and shows objects' styles in them.
    void SetTextStyleLink(TextStyleLink link) { m_textStyle.SetLink(std::move(link)); }
    // A change of the style controls, for the objects it concerns (view/ViewTextStyle.h).
    // Each is one undoable step.
    void SetTextStyle(const TEXTSTYLE& style);
    void SetLineWidth(int nWidth);
    void SetLineColor(COLORREF color);
    // The style controls show the active object's style and tab-order number.
    void SetToolbarsState() { m_textStyle.SetToolbarsState(); }
    const CViewTextStyle& GetTextStyleControls() const { return m_textStyle; }
    QString GetTabOrderIndex() const { return m_textStyle.GetTabOrderIndex(); }
    // The cursor of the program mode, shown wherever nothing under the mouse shows its own.
    void SetClassCursor(const QCursor& cursor);
    const QCursor& GetClassCursor() const { return m_classCursor; }
    // Whether shapes drawn now get their automatic callout (on when the view is made).
    bool IsCreateWithAnnotation() const { return m_bCreateWithAnnotation; }
    void SetCreateWithAnnotation(bool on) { m_bCreateWithAnnotation = on; }
    // The commands the view carries out (zoom, fit, page image), first in every command's route.
    const CCommandMap& GetCommandMap() const { return m_commands; }

    // The printer resolution the application had at the last printer-settings update.
    POINT GetPrinterResolution() const { return m_ptPrinterRes; }

    // The object that has the focus (at most one per view); changing it tells both objects.
    CTranspBaseClass* GetActiveObject() const { return m_pActiveObject; }
    void SetActiveObject(CTranspBaseClass* pObject);
    void ReleaseActiveObject() { SetActiveObject(nullptr); }

    // Reference points, crop and cut rectangles and cross lines left by the page tools.
    CViewMarks& GetMarks() { return m_marks; }
    const CViewMarks& GetMarks() const { return m_marks; }
    // The collaborators of the mouse: hit tests and the active object, the objects the tools
    // make, the tools and their dispatch by program mode, the image commands they feed.
    CViewSelection& GetSelection() { return m_selection; }
    CViewCreation& GetCreation() { return m_creation; }
    CViewMouse& GetMouse() { return m_mouse; }
    CViewImageCommands& GetImageCommands() { return m_imageCommands; }
    CViewArrange& GetArrange() { return m_arrange; }
    CViewCollection& GetCollection() { return m_collection; }
    CViewTabOrder& GetTabOrder() { return m_tabOrder; }
    CViewUndo& GetUndo() { return m_undo; }
    CViewClipboard& GetClipboard() { return m_clipboard; }
    CViewPrint& GetPrint() { return m_print; }
    // The page drawn for the printer behind pDC (view/ViewPrint.h).
    void DrawPrint(CDC* pDC, int nPage, bool bPreview) const {
        if (m_pDoc) ::DrawPrint(pDC, *m_pDoc, nPage, bPreview);
    }
    // Where documents dropped on the view are opened (the main window).
    void SetOpenFilesSink(std::function<void(const QStringList&)> sink) {
        m_clipboard.SetOpenFilesSink(std::move(sink));
    }
    const CViewContextMenu& GetContextMenu() const { return m_contextMenu; }
    // The window handlers of the mouse, client pixels; flags are MK_ values.
    void OnLButtonDown(UINT flags, POINT point) { m_mouse.OnLButtonDown(flags, point); }
    void OnMouseMove(UINT flags, POINT point) { m_mouse.OnMouseMove(flags, point); }
    void OnLButtonUp(UINT flags, POINT point) { m_mouse.OnLButtonUp(flags, point); }
    void OnLButtonDblClk(UINT flags, POINT point) { m_mouse.OnLButtonDblClk(flags, point); }
    void OnRButtonDown(UINT flags, POINT point) { m_mouse.OnRButtonDown(flags, point); }
    // Whether a client point lies on the page's view rectangle (the canvas and its edge strips).
    bool IsInViewRect(POINT ptClient) const;

    // Grid settings of the main frame: the snap flag and the steps in text units.
    void SetGrid(bool snap, int gx, int gy);
    bool IsSnapToGrid() const { return m_bSnapToGrid; }
    POINT GetGridSteps() const { return POINT{m_nGridX, m_nGridY}; }
    POINT SnapToGrid(POINT ptClient) const;

    // Switches the tab-order display of the active page's objects, numbering them in list order
    // when it goes on, and repaints them.
    void RepaintObjects(bool bTabOrder);

    // The uneraser's preview (page pixels): the next repaint shows the image through it once,
    // then keeps it as the previous preview.
    void SetUneraserPreview(const RECT& rcPage) { m_rcUneraserPreview = rcPage; }
    RECT GetPrevUneraserPreview() const { return m_rcPrevUneraserPreview; }

    // Paints the client rectangle rcUpdate of the active page into pDC (client pixels).
    void DrawScreen(CDC* pDC, const RECT& rcUpdate);
    // Paints each rectangle of a client region; the objects' repaint rectangles are found once.
    void DrawScreen(CDC* pDC, const QRegion& region);

    // IDocumentView
    int GetCurrentPage() const override { return m_nActivePage; }
    void UpdatePrinterSettings() override;
    void OnUpdate() override;
    void ProgramModeChanged() override;

    // IObjectHost
    void UnitToPage(POINT& pt) const override;
    void UnitToPage(RECT& rc) const override;
    void PageToUnit(POINT& pt) const override;
    void PageToUnit(RECT& rc) const override;
    void PageToView(POINT& pt) const override { m_geometry.PageToView(pt); }
    void PageToView(RECT& rc) const override { m_geometry.PageToView(rc); }
    void ViewToPage(POINT& pt) const override { m_geometry.ViewToPage(pt); }
    void ViewToPage(RECT& rc) const override { m_geometry.ViewToPage(rc); }
    void ViewToClient(POINT& pt) const override { m_geometry.ViewToClient(pt); }
    void ViewToClient(RECT& rc) const override { m_geometry.ViewToClient(rc); }
    void ClientToPage(POINT& pt) const override { m_geometry.ClientToPage(pt); }
    void ClientToPage(RECT& rc) const override { m_geometry.ClientToPage(rc); }
    void PageToClient(POINT& pt) const override { m_geometry.PageToClient(pt); }
    void PageToClient(RECT& rc) const override { m_geometry.PageToClient(rc); }
    double GetFontScaleFactor() const override;
    RECT GetClientRect() const override;
    void InvalidateRect(const RECT& rcClient) override;
    void UpdateWindow() override;
    void SetModified() override;
    int GetProgramMode() const override;
    QWidget* GetWindow() const override;
    DWORD DoDragDrop(std::unique_ptr<QMimeData> data, DWORD allowedEffects) override;
    void SetCursor(const QCursor& cursor) override;
    QCursor GetMoveCursor() const override;
    bool HasFocus() const override;
    int GetTextStyleChangeCode() const override { return m_textStyle.GetChangeCode(); }

Q_SIGNALS:
    // The percentage a zoom step or fit arrived at, for the frame's scale box.
    void zoomChanged(int percent);
    // A whole scale selected its entry of the scale box.
    void scaleIndexSelected(int index);
    // The user asked for the context menu at a screen point where it is offered.
    void contextMenuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The page resolution of the geometry: the page's own in form view, the screen's otherwise.
    void ApplyResolution();
    void UpdateScrollBars();
    void SyncScrollPosition();
    void MoveImageInPawMode(int dx, int dy);

    QPointer<CLumidorDoc> m_pDoc;
    CViewGeometry m_geometry;
    int m_nActivePage = 0;
    SIZE m_szCanvas{};
    RECT m_rcView{};
    RECT m_rcPrintable{};
    bool m_bFormView = false;
    bool m_bShowPageImage = true;
    bool m_bSnapToGrid = false;
    RECT m_rcUneraserPreview{};
    RECT m_rcPrevUneraserPreview{};
    int m_nGridX = 0;
    int m_nGridY = 0;
    int m_nLineStep = 5;
    int m_nPageStep = 100;
    POINT m_ptScreenRes{96, 96};
    POINT m_ptPrinterRes{96, 96};
    std::function<int()> m_programMode;
    std::function<void(int)> m_setProgramMode;
    std::function<int()> m_eraserSize;
    QCursor m_classCursor{Qt::ArrowCursor};
    bool m_bCreateWithAnnotation = true;
    CCommandMap m_commands;
    CTranspBaseClass* m_pActiveObject = nullptr;
    CViewMarks m_marks{m_geometry, *this};
    CViewTextStyle m_textStyle{*this};
    CViewSelection m_selection{*this};
    CViewCreation m_creation{*this};
    CViewMouse m_mouse{*this};
    CViewImageCommands m_imageCommands{*this};
    CViewArrange m_arrange{*this};
    CViewCollection m_collection{*this};
    CViewTabOrder m_tabOrder{*this};
    CViewKeys m_keys{*this};
    CViewPainter m_painter{*this};
    CViewUndo m_undo{*this};
    CViewContextMenu m_contextMenu{*this};
    CViewClipboard m_clipboard{*this};
    CViewPrint m_print{*this};
};
