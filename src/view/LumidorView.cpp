#include "view/LumidorView.h"

#include "app/LumidorApp.h"
#include "app/Units.h"
#include "document/LumidorDoc.h"
#include "objects/TranspBaseClass.h"
#include "objects/TranspText.h"
#include "view/ViewCommands.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/ScreenDpi.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QCursor>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {
} // namespace

CLumidorView::CLumidorView(CLumidorDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_pDoc(doc) {
    setObjectName(QStringLiteral("CLumidorView"));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // Objects copy and drag themselves under the objects format only once it is known.
    RegisterObjectClipboardFormats();
    // Both grid steps default to 14 points.
    m_nGridX = m_nGridY = unitConvertToTextunit(14.0, UNIT_POINT);
    RegisterViewCommands(*this, m_commands);
    m_imageCommands.Register(m_commands);
    m_arrange.Register(m_commands);
    m_collection.Register(m_commands);
    m_clipboard.Register(m_commands);
    m_undo.Register(m_commands);
    m_print.Register(m_commands);
    // Objects, text, pictures and files can be dropped on the page.
    viewport()->setAcceptDrops(true);
    if (m_pDoc) m_pDoc->AddView(this);
}

CLumidorView::~CLumidorView() {
    if (m_pDoc) m_pDoc->RemoveView(this);
}

void CLumidorView::OnInitialUpdate() {
    DEF_TRY
    // The document may have changed its pages under the view.
    ReleaseActiveObject();
    if (m_pDoc) {
        g_dUnitScale = m_pDoc->m_dUnitScale;
        m_geometry.SetUnitScale(m_pDoc->m_dUnitScale);
        for (int i = 0; i < m_pDoc->GetPageCount(); ++i)
            if (CObjectList* list = m_pDoc->GetObjectsList(i))
                for (auto& o : *list)
                    o->SetView(this);
    }
    const QPoint dpi = GetScreenDpi();
    m_ptScreenRes = POINT{dpi.x() > 0 ? dpi.x() : 96, dpi.y() > 0 ? dpi.y() : 96};
    m_geometry.SetScreenResolution(m_ptScreenRes.x, m_ptScreenRes.y);
    UpdatePrinterSettings();
    m_undo.WatchPage();
    DEF_CATCH
}

void CLumidorView::SetTextStyle(const TEXTSTYLE& style) {
    CUndoAction action(m_undo);
    m_textStyle.SetTextStyle(style);
}

void CLumidorView::SetLineWidth(int nWidth) {
    CUndoAction action(m_undo);
    m_textStyle.SetLineWidth(nWidth);
}

void CLumidorView::SetLineColor(COLORREF color) {
    CUndoAction action(m_undo);
    m_textStyle.SetLineColor(color);
}

std::vector<int> CLumidorView::GetScaleList() {
    std::vector<int> list;
    for (int n = 4; n >= -4; --n) {
        if (n == 0 || n == -1) continue;
        list.push_back(n > 0 ? n * 100 : RoundCoord(100.0 / std::abs(n)));
    }
    return list;
}

int CLumidorView::ScaleToIndex(int k) {
    if (k > 0) return 4 - k;
    if (k == 0 || k == -1) return 3;
    return 2 - k;
}

double CLumidorView::IndexToScale(int i) {
    return i < 4 ? 4 - i : 2 - i;
}

int CLumidorView::ListIndexOfScale(double s) {
    double whole = 0;
    if (!(std::fabs(s) <= 4.0) || std::modf(s, &whole) != 0.0) return -1;
    const int index = ScaleToIndex(int(s));
    return IndexToScale(index) == s ? index : -1;
}

int CLumidorView::ScalePercent(double s) {
    if (s == 0.0) return 100;
    return s > 0 ? int(s * 100) : int(100 / std::fabs(s));
}

void CLumidorView::ApplyResolution() {
    POINT res = m_ptScreenRes;
    if (m_bFormView && m_pDoc) res = m_pDoc->GetPageResolution(m_nActivePage);
    if (res.x <= 0 || res.y <= 0) res = m_ptScreenRes;
    m_geometry.SetPageResolution(res.x, res.y);
}

void CLumidorView::SetViewScale(double s) {
    DEF_TRY
    if (s == -1.0 || s == 0.0 || std::isnan(s))
        s = 1.0;
    else if (s < -4.0)
        s = -4.0;
    else if (s > 4.0)
        s = 4.0;
    m_geometry.SetScale(s);
    m_rcView = RECT{0, 0, m_szCanvas.cx + 2, m_szCanvas.cy + 2};
    m_geometry.PageToView(m_rcView);
    if (const int index = ListIndexOfScale(s); index >= 0) Q_EMIT scaleIndexSelected(index);
    int line = s > 0 ? int(s * 5) : 5;
    if (line < 1) line = 1;
    m_nLineStep = line;
    m_nPageStep = (100 / line) * line;
    UpdateScrollBars();
    viewport()->update();
    DEF_CATCH
}

void CLumidorView::UpdateScrollBars() {
    const QSize client = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, int(m_rcView.right - m_rcView.left) - client.width()));
    v->setRange(0, std::max(0, int(m_rcView.bottom - m_rcView.top) - client.height()));
    h->setSingleStep(m_nLineStep);
    v->setSingleStep(m_nLineStep);
    h->setPageStep(m_nPageStep);
    v->setPageStep(m_nPageStep);
    SyncScrollPosition();
}

void CLumidorView::SyncScrollPosition() {
    m_geometry.SetScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CLumidorView::IncViewScale(const POINT* ptPage) {
    DEF_TRY
    const double u = m_geometry.GetScale();
    double t;
    if (u < -1) {
        t = u + 1;
        if (t >= -1) t = 1.0;
    } else if (u < 0) {
        t = std::fabs(1 / u) + 1;
    } else if (u >= 1) {
        t = u + 1;
        if (t > 4) t = 4.0;
    } else {
        t = u + 0.15;
    }
    Q_EMIT zoomChanged(ScalePercent(t));
    SetViewScale(t);
    if (ptPage) SetPageCenterTo(ptPage->x, ptPage->y);
    DEF_CATCH
}

void CLumidorView::DecViewScale(const POINT* ptPage) {
    DEF_TRY
    const double u = m_geometry.GetScale();
    double t;
    if (u == 1.0) {
        t = -2.0;
    } else {
        if (u < -1) {
            t = u - 1;
            if (t < -4) t = -4.0;
        } else if (u < 0) {
            t = std::fabs(1 / u) - 1;
            if (t < 1) t = 1.0;
        } else if (u >= 1) {
            t = u - 1;
            if (t < 1) t = 1.0;
        } else {
            t = u - 0.15;
            if (t <= 0) t = 0.0;
        }
        Q_EMIT zoomChanged(t >= 0 ? int(t * 100) : RoundCoord(100 / std::fabs(t)));
    }
    SetViewScale(t);
    if (ptPage) SetPageCenterTo(ptPage->x, ptPage->y);
    DEF_CATCH
}

void CLumidorView::SetPageCenterTo(int x, int y) {
    DEF_TRY
    const double s = m_geometry.GetScale();
    LONG vx = TruncCoord(s > 0 ? x * s : x / std::fabs(s));
    LONG vy = TruncCoord(s > 0 ? y * s : y / std::fabs(s));
    vx = std::max<LONG>(0, vx - viewport()->width() / 2);
    vy = std::max<LONG>(0, vy - viewport()->height() / 2);
    horizontalScrollBar()->setValue(vx);
    verticalScrollBar()->setValue(vy);
    SyncScrollPosition();
    DEF_CATCH
}

void CLumidorView::ZoomPageRect(RECT rc) {
    DEF_TRY
    if (rc.left == rc.right || rc.top == rc.bottom) return;
    if (rc.left > rc.right) std::swap(rc.left, rc.right);
    if (rc.top > rc.bottom) std::swap(rc.top, rc.bottom);
    const double s = m_geometry.GetScale();
    const int cw = viewport()->width(), ch = viewport()->height();
    const int pw = s > 0 ? int(cw / s) : int(cw * std::fabs(s));
    const int ph = s > 0 ? int(ch / s) : int(ch * std::fabs(s));
    int k = std::min(pw / int(rc.right - rc.left), ph / int(rc.bottom - rc.top));
    if (k == 1) k = 2;
    int scale;
    if (s > 0)
        scale = int(s) * k;
    else if (k < std::fabs(s))
        scale = int(s / k);
    else
        scale = int(k / std::fabs(s));
    SetViewScale(scale);
    SetPageCenterTo((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    DEF_CATCH
}

void CLumidorView::FitPageToWindow() {
    DEF_TRY
    SetViewScale(0.5);
    // The scroll bars leave at the next layout only; the client area without them is taken now.
    const QSize client = maximumViewportSize();
    const double a = m_szCanvas.cx + 3, b = m_szCanvas.cy + 3;
    const double w = client.width(), h = client.height();
    if (w <= 0 || a <= 0 || h <= 0 || b <= 0) return;
    const double rx = a / w, ry = b / h;
    int percent;
    if (rx > ry) {
        SetViewScale(-rx);
        percent = int(w / a * 100);
    } else {
        SetViewScale(-ry);
        percent = int(h / b * 100);
    }
    Q_EMIT zoomChanged(percent);
    DEF_CATCH
}

void CLumidorView::FitPageToWidth() {
    DEF_TRY
    const double a = m_szCanvas.cx + 3;
    const double w = viewport()->width();
    if (a <= 0 || w <= 0) return;
    SetViewScale(a > w ? -(a / w) : w / a);
    Q_EMIT zoomChanged(int(w / a * 100));
    DEF_CATCH
}

void CLumidorView::OnSelchangeComboScale(int index) {
    if (index == 7)
        FitPageToWidth();
    else if (index == 8)
        FitPageToWindow();
    else if (index >= 0 && index < 7)
        SetViewScale(IndexToScale(index));
}

void CLumidorView::SetActivePage(int nPage) {
    DEF_TRY
    if (!m_pDoc || nPage < 0 || nPage >= m_pDoc->GetPageCount()) return;
    m_mouse.CancelGestures();
    // What was done on the page left is recorded there.
    m_undo.RecordNow();
    ReleaseActiveObject();
    m_nActivePage = nPage;
    UpdatePrinterSettings();
    m_undo.WatchPage();
    setFocus();
    DEF_CATCH
}

void CLumidorView::UpdatePrinterSettings() {
    DEF_TRY
    // Printing the page as an image works at the printer's resolution.
    if (const CLumidorApp* app = CLumidorApp::Instance())
        m_ptPrinterRes = POINT{app->m_printer.dpiX, app->m_printer.dpiY};
    m_szCanvas = m_pDoc ? m_pDoc->GetCanvasSize(m_nActivePage) : SIZE{};
    if (m_szCanvas.cx < 0) m_szCanvas.cx = 0;
    if (m_szCanvas.cy < 0) m_szCanvas.cy = 0;
    m_rcPrintable = RECT{0, 0, m_szCanvas.cx, m_szCanvas.cy};
    ApplyResolution();
    SetViewScale(m_geometry.GetScale());
    DEF_CATCH
}

void CLumidorView::OnUpdate() {
    UpdatePrinterSettings();
}

void CLumidorView::ProgramModeChanged() {
    DEF_TRY
    m_mouse.ProgramModeChanged();
    const int mode = GetProgramMode();
    const bool imageOrZoom = (mode >= MODE_ZOOM_IN && mode <= MODE_BASEPOINT) ||
                             mode == MODE_COLCORRECTION_WHITE || mode == MODE_COLCORRECTION_BLACK ||
                             mode == MODE_FORM;
    if (imageOrZoom || mode == MODE_SELECT) ReleaseActiveObject();
    if (mode != MODE_SELECT) m_selection.DeselectObjects();
    DEF_CATCH
}

bool CLumidorView::IsInViewRect(POINT pt) const {
    const POINT scroll = m_geometry.GetScrollPosition();
    return PtInRect(m_rcView, POINT{pt.x + scroll.x, pt.y + scroll.y});
}

RECT CLumidorView::GetPageRect() const {
    RECT rc{0, 0, m_szCanvas.cx, m_szCanvas.cy};
    m_geometry.PageToClient(rc);
    return rc;
}

RECT CLumidorView::GetImageRect() const {
    const SIZE size = m_pDoc ? m_pDoc->GetPageSize(m_nActivePage) : SIZE{};
    RECT rc{0, 0, size.cx, size.cy};
    m_geometry.PageToClient(rc);
    return rc;
}

void CLumidorView::SetShowPageImage(bool show) {
    if (show == m_bShowPageImage) return;
    m_bShowPageImage = show;
    viewport()->update();
}

void CLumidorView::OnToolbarFormview() {
    DEF_TRY
    const std::vector<int> list = GetScaleList();
    const int p = list[std::size_t(ScaleToIndex(int(m_geometry.GetScale())))];
    m_bFormView = !m_bFormView;
    int index = 0;
    if (p <= list.back()) {
        index = int(list.size()) - 1;
    } else if (p < list.front()) {
        for (std::size_t i = 0; i + 1 < list.size(); ++i)
            if (list[i] >= p && p > list[i + 1]) {
                index = list[i] - p < p - list[i + 1] ? int(i) : int(i + 1);
                break;
            }
    }
    m_geometry.SetScale(IndexToScale(index));
    UpdatePrinterSettings();
    DEF_CATCH
}

int CLumidorView::GetCanvasEdgeCaptureType(POINT pt) const {
    DEF_TRY
    RECT rc{0, 0, m_szCanvas.cx + 2, m_szCanvas.cy + 2};
    m_geometry.PageToClient(rc);
    const bool inRight =
        pt.x >= rc.right - 4 && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
    const bool inBottom =
        pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.bottom - 4 && pt.y < rc.bottom;
    if (inRight && inBottom) return 8 + 10;
    if (inRight) return 4 + 10;
    if (inBottom) return 5 + 10;
    const RECT client = GetClientRect();
    if ((pt.x >= rc.right && pt.x < client.right) || (pt.y >= rc.bottom && pt.y < client.bottom))
        return 10;
    return 0;
    DEF_CATCH
    return 0;
}

bool CLumidorView::IsPrintableArea(int x, int y) const {
    DEF_TRY
    const POINT scroll = m_geometry.GetScrollPosition();
    const QPoint pt(x + int(scroll.x), y + int(scroll.y));
    RECT printable = m_rcPrintable;
    m_geometry.PageToView(printable);
    QRegion outside(QRect(QPoint(int(m_rcView.left), int(m_rcView.top)),
                          QPoint(int(m_rcView.right) - 1, int(m_rcView.bottom) - 1)));
    outside -= QRect(QPoint(int(printable.left), int(printable.top)),
                     QPoint(int(printable.right) - 1, int(printable.bottom) - 1));
    return !outside.contains(pt);
    DEF_CATCH
    return true;
}

void CLumidorView::MoveImage(int dx, int dy) {
    DEF_TRY
    const _PAGEINFO* p = m_pDoc ? m_pDoc->GetPageInfo(m_nActivePage) : nullptr;
    if (!p || !p->m_Bitmap.IsAllocated() || !m_bShowPageImage) return;
    POINT d{dx, dy};
    m_geometry.PageToUnit(d);
    const POINT pos = m_pDoc->GetPageImagePos(m_nActivePage);
    m_pDoc->SetPageImagePos(m_nActivePage, pos.x + d.x, pos.y + d.y);
    viewport()->update();
    SetModified();
    DEF_CATCH
}

void CLumidorView::MoveImageInPawMode(int dx, int dy) {
    if (GetProgramMode() == MODE_PAW) MoveImage(dx, dy);
}

void CLumidorView::SetActiveObject(CTranspBaseClass* pObject) {
    DEF_TRY
    if (pObject == m_pActiveObject) return;
    CTranspBaseClass* old = m_pActiveObject;
    m_pActiveObject = pObject;
    // A page deleted or replaced since takes its objects along: only an object still in the
    // document is told that it lost the focus.
    bool oldAlive = false;
    if (old && m_pDoc)
        for (int i = 0; i < m_pDoc->GetPageCount() && !oldAlive; ++i)
            if (const CObjectList* list = m_pDoc->GetObjectsList(i))
                oldAlive = std::any_of(list->begin(), list->end(),
                                       [old](const auto& o) { return o.get() == old; });
    if (oldAlive) old->SetFocused(FALSE);
    if (pObject) pObject->SetFocused(TRUE);
    m_textStyle.SetToolbarsState();
    DEF_CATCH
}

bool CLumidorView::event(QEvent* event) {
    DEF_TRY
    // While a text object is being typed into, the keys that type go to it, not to the tool
    // keys and other single-key commands of the window.
    if (event->type() == QEvent::ShortcutOverride && dynamic_cast<CTranspText*>(m_pActiveObject)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (mods == Qt::NoModifier && (!key->text().isEmpty() || key->key() == Qt::Key_Escape)) {
            event->accept();
            return true;
        }
    }
    // Tab walks the page's fields instead of the window's controls.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        CUndoAction action(m_undo);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && m_keys.OnKeyDown(*key)) {
            event->accept();
            return true;
        }
    }
    DEF_CATCH
    return QAbstractScrollArea::event(event);
}

void CLumidorView::keyPressEvent(QKeyEvent* event) {
    CUndoAction action(m_undo);
    if (m_keys.OnKeyDown(*event)) return;
    QAbstractScrollArea::keyPressEvent(event);
}

void CLumidorView::contextMenuEvent(QContextMenuEvent* event) {
    DEF_TRY
    const QPoint p = event->pos(); // forwarded from the viewport: client coordinates
    if (m_mouse.IsButtonDown() || !m_contextMenu.IsOffered(POINT{p.x(), p.y()})) return;
    Q_EMIT contextMenuRequested(event->globalPos());
    DEF_CATCH
}

namespace {
DWORD DropEffectOf(Qt::DropAction action) {
    return action == Qt::MoveAction ? DROPEFFECT_MOVE
                                    : action == Qt::CopyAction ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}
Qt::DropAction DropActionOf(DWORD effect) {
    return effect == DROPEFFECT_MOVE ? Qt::MoveAction
                                     : effect == DROPEFFECT_COPY ? Qt::CopyAction : Qt::IgnoreAction;
}
} // namespace

void CLumidorView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
    // A drag refused on entering gets no more moves: one coming in beside the page (from the
    // shelf below it) is taken in, to be answered as it goes on over the page.
    if (!event->isAccepted() && m_clipboard.MayTake(event->mimeData())) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
    }
}

void CLumidorView::dragMoveEvent(QDragMoveEvent* event) {
    DEF_TRY
    // Forwarded from the viewport: its coordinates are the client's.
    const QPoint p = event->position().toPoint();
    const Qt::KeyboardModifiers mods = event->modifiers();
    DWORD effect = m_clipboard.DragOver(event->mimeData(), mods & Qt::ControlModifier,
                                        mods & Qt::ShiftModifier, POINT{p.x(), p.y()});
    // What the source does not allow it is asked to copy instead.
    if (effect == DROPEFFECT_MOVE && !(event->possibleActions() & Qt::MoveAction))
        effect = DROPEFFECT_COPY;
    if (effect == DROPEFFECT_NONE || !(event->possibleActions() & DropActionOf(effect))) {
        event->ignore();
        return;
    }
    event->setDropAction(DropActionOf(effect));
    event->accept();
    DEF_CATCH
}

void CLumidorView::dropEvent(QDropEvent* event) {
    DEF_TRY
    // Forwarded from the viewport: its coordinates are the client's.
    const QPoint p = event->position().toPoint();
    CUndoAction action(m_undo);
    setFocus(Qt::OtherFocusReason);
    if (m_clipboard.Drop(event->mimeData(), DropEffectOf(event->dropAction()), POINT{p.x(), p.y()}))
        event->acceptProposedAction();
    else
        event->ignore();
    DEF_CATCH
}

void CLumidorView::keyReleaseEvent(QKeyEvent* event) {
    if (m_keys.OnKeyUp(*event)) return;
    QAbstractScrollArea::keyReleaseEvent(event);
}

namespace {
UINT MouseFlags(const QMouseEvent* event) {
    UINT flags = 0;
    if (event->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton) flags |= MK_RBUTTON;
    if (event->buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (event->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

POINT MousePoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return POINT{p.x(), p.y()};
}
} // namespace

void CLumidorView::mousePressEvent(QMouseEvent* event) {
    DEF_TRY
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        CUndoAction action(m_undo);
        OnLButtonDown(MouseFlags(event), MousePoint(event));
    } else if (event->button() == Qt::RightButton) OnRButtonDown(MouseFlags(event), MousePoint(event));
    DEF_CATCH
}

void CLumidorView::mouseMoveEvent(QMouseEvent* event) {
    DEF_TRY
    // A release that went elsewhere (a window that took the mouse away) ends the gesture here.
    if (m_mouse.IsButtonDown() && !(event->buttons() & Qt::LeftButton)) m_mouse.CancelGestures(true);
    OnMouseMove(MouseFlags(event), MousePoint(event));
    DEF_CATCH
}

void CLumidorView::mouseReleaseEvent(QMouseEvent* event) {
    DEF_TRY
    if (event->button() == Qt::LeftButton) {
        CUndoAction action(m_undo);
        OnLButtonUp(MouseFlags(event), MousePoint(event));
    }
    DEF_CATCH
}

void CLumidorView::mouseDoubleClickEvent(QMouseEvent* event) {
    DEF_TRY
    // The second press of a double click is the double click: it closes a polygon or goes to the
    // active object, and starts nothing new.
    if (event->button() == Qt::LeftButton) {
        CUndoAction action(m_undo);
        OnLButtonDblClk(MouseFlags(event), MousePoint(event));
    }
    else if (event->button() == Qt::RightButton) OnRButtonDown(MouseFlags(event), MousePoint(event));
    DEF_CATCH
}

void CLumidorView::leaveEvent(QEvent* event) {
    m_mouse.OnMouseLeave();
    QAbstractScrollArea::leaveEvent(event);
}

void CLumidorView::focusOutEvent(QFocusEvent* event) {
    // A window that takes the keyboard while a button is held takes the gesture along.
    if (m_mouse.IsButtonDown() && QApplication::mouseButtons() == Qt::NoButton)
        m_mouse.CancelGestures(true);
    QAbstractScrollArea::focusOutEvent(event);
}

void CLumidorView::SetClassCursor(const QCursor& cursor) {
    m_classCursor = cursor;
    viewport()->setCursor(cursor);
}

void CLumidorView::SetGrid(bool snap, int gx, int gy) {
    m_bSnapToGrid = snap;
    m_nGridX = gx;
    m_nGridY = gy;
    viewport()->update();
}

POINT CLumidorView::SnapToGrid(POINT pt) const {
    DEF_TRY
    if (!m_bSnapToGrid || m_nGridX <= 0 || m_nGridY <= 0) return pt;
    m_geometry.ClientToPage(pt);
    m_geometry.PageToUnit(pt);
    // Left to the line at or before x; y always down to the next line.
    pt.x = m_nGridX * (pt.x / m_nGridX);
    pt.y = m_nGridY * (pt.y / m_nGridY + 1);
    m_geometry.UnitToPage(pt);
    m_geometry.PageToClient(pt);
    return pt;
    DEF_CATCH
    return pt;
}

void CLumidorView::DrawScreen(CDC* pDC, const RECT& rcUpdate) {
    m_painter.DrawScreen(pDC, rcUpdate, nullptr);
}

void CLumidorView::DrawScreen(CDC* pDC, const QRegion& region) {
    m_painter.DrawScreen(pDC, region);
}

void CLumidorView::RepaintObjects(bool bTabOrder) {
    DEF_TRY
    CObjectList* list = m_pDoc ? m_pDoc->GetObjectsList(m_nActivePage) : nullptr;
    if (!list) return;
    int n = 0;
    for (auto& o : *list) {
        o->m_bTabOrderDisplay = bTabOrder ? TRUE : FALSE;
        if (bTabOrder) o->SetTabOrder(n++);
        o->Repaint();
    }
    DEF_CATCH
}

void CLumidorView::paintEvent(QPaintEvent* event) {
    DEF_TRY
    QPainter painter(viewport());
    // Outside the canvas the workspace colour shows; the canvas itself is painted whole by
    // DrawScreen, so it is not filled first.
    const RECT page = GetPageRect();
    QRegion workspace(event->region());
    if (!page.IsRectEmpty())
        workspace -= QRect(QPoint(int(page.left), int(page.top)),
                           QPoint(int(page.right) - 1, int(page.bottom) - 1));
    for (const QRect& r : workspace)
        painter.fillRect(r, palette().color(QPalette::Dark));
    CDC dc(&painter);
    dc.SetLogPixelsOverride(m_ptScreenRes.x, m_ptScreenRes.y);
    // A gesture's step repaints thin strips; painting each of them, rather than the rectangle
    // round them all, is what keeps a drag fast.
    DrawScreen(&dc, event->region());
    DEF_CATCH
}

void CLumidorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CLumidorView::scrollContentsBy(int, int) {
    SyncScrollPosition();
    viewport()->update();
}

// IObjectHost: text units follow the document's unit scale.
void CLumidorView::UnitToPage(POINT& pt) const {
    m_geometry.UnitToPage(pt);
}
void CLumidorView::UnitToPage(RECT& rc) const {
    m_geometry.UnitToPage(rc);
}
void CLumidorView::PageToUnit(POINT& pt) const {
    m_geometry.PageToUnit(pt);
}
void CLumidorView::PageToUnit(RECT& rc) const {
    m_geometry.PageToUnit(rc);
}

double CLumidorView::GetFontScaleFactor() const {
    return m_geometry.GetFontScaleFactor();
}

RECT CLumidorView::GetClientRect() const {
    return RECT{0, 0, viewport()->width(), viewport()->height()};
}

void CLumidorView::InvalidateRect(const RECT& rc) {
    viewport()->update(
        QRect(int(rc.left), int(rc.top), int(rc.right - rc.left), int(rc.bottom - rc.top))
            .normalized());
}

void CLumidorView::UpdateWindow() {
    viewport()->repaint();
}

void CLumidorView::SetModified() {
    if (m_pDoc) m_pDoc->SetModifiedFlag(TRUE);
}

int CLumidorView::GetProgramMode() const {
    return m_programMode ? m_programMode() : 0;
}

QWidget* CLumidorView::GetWindow() const {
    return viewport();
}

DWORD CLumidorView::DoDragDrop(std::unique_ptr<QMimeData> data, DWORD allowedEffects) {
    DEF_TRY
    if (!data) return DROPEFFECT_NONE;
    Qt::DropActions allowed;
    if (allowedEffects & DROPEFFECT_COPY) allowed |= Qt::CopyAction;
    if (allowedEffects & DROPEFFECT_MOVE) allowed |= Qt::MoveAction;
    if (!allowed) return DROPEFFECT_NONE;
    auto* drag = new QDrag(viewport());
    drag->setMimeData(data.release());
    const Qt::DropAction done =
        drag->exec(allowed, allowed & Qt::CopyAction ? Qt::CopyAction : Qt::MoveAction);
    return done == Qt::CopyAction ? DROPEFFECT_COPY
                                  : done == Qt::MoveAction ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
    DEF_CATCH
    return DROPEFFECT_NONE;
}

void CLumidorView::SetCursor(const QCursor& cursor) {
    viewport()->setCursor(cursor);
}

QCursor CLumidorView::GetMoveCursor() const {
    return QCursor(Qt::SizeAllCursor);
}

bool CLumidorView::HasFocus() const {
    return hasFocus();
}
