#include "view/ViewMouse.h"

#include "app/CalloutOptions.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "view/DragOut.h"
#include "view/LumidorView.h"
#include "view/ToolCursors.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

namespace {
// The canvas can grow far, but not beyond what a page image may be.
constexpr LONG kMaxCanvas = 32767;

bool IsFillable(const CTranspBaseClass* p) {
    return dynamic_cast<const CTranspText*>(p) || dynamic_cast<const CTranspCheckMark*>(p);
}

QCursor HandCursor(bool closed) {
    return closed ? LoadToolCursor(QStringLiteral("hand-closed"), Qt::ClosedHandCursor)
                  : LoadToolCursor(QStringLiteral("hand-open"), Qt::OpenHandCursor);
}

QCursor DragOutCursor() {
    return LoadToolCursor(QStringLiteral("drag-cutout"), Qt::OpenHandCursor);
}

// The cursor of a canvas edge code (GetCanvasEdgeCaptureType), or none.
bool EdgeCursor(int code, Qt::CursorShape& shape) {
    switch (code) {
    case 14: shape = Qt::SizeHorCursor; return true;
    case 15: shape = Qt::SizeVerCursor; return true;
    case 18: shape = Qt::SizeFDiagCursor; return true;
    default: return false;
    }
}
} // namespace

CViewMouse::CViewMouse(CLumidorView& view) : m_view(view) {
    m_zoomTool.m_nPenWidth = 2;
    m_refPointTool.SetView(&view, &view.GetMarks());
    m_cropTool.SetView(&view, &view.GetMarks());
    m_cutTool.SetView(&view, &view.GetMarks());
    m_crossLines.SetView(&view.GetMarks());
    m_polygon.SetView(&view);
    m_eraser.SetView(&view);
    m_canvasTool.m_bCanvasMode = true;
}

POINT CViewMouse::Quantise(POINT pt) const {
    m_view.ClientToPage(pt);
    m_view.PageToClient(pt);
    return pt;
}

void CViewMouse::SetCursor(const QCursor& cursor) const {
    m_view.SetCursor(cursor);
}

CDrawTool* CViewMouse::ShapeTool(int mode) {
    switch (mode) {
    case MODE_RECTANGLE:
    case MODE_SIZE_ARROW_HOR:
    case MODE_SIZE_ARROW_VER:
    case MODE_BRACKET: return &m_rectTool;
    case MODE_CIRCLE: return &m_circleTool;
    case MODE_ELLIPSE: return &m_ellipseTool;
    case MODE_LINE:
    case MODE_ARROW: return &m_lineTool;
    case MODE_FREEHAND: return &m_freehandTool;
    default: return nullptr;
    }
}

int CViewMouse::EraserSide() const {
    const double s = m_view.GetViewScale();
    const int n = std::max(1, m_view.GetEraserSize());
    // One page pixel in view pixels, at least one.
    if (s > 0) return std::max(1, n * std::max(1, int(s)));
    return std::max(1, n / std::max(1, int(std::fabs(s))));
}

void CViewMouse::ReleaseMouse() {
    m_bButtonDown = false;
}

// ---- Button down ------------------------------------------------------------------------------

void CViewMouse::StartCanvasDrag(int code, POINT point) {
    m_bCanvasDrag = true;
    m_nCanvasCode = code;
    m_ptCanvasPress = point;
    m_view.ClientToPage(m_ptCanvasPress);
    m_ptCanvasDelta = POINT{};
    const RECT page = m_view.GetPageRect();
    m_canvasTool.m_ptCanvasOrigin = POINT{page.left, page.top};
    m_canvasTool.m_nCanvasX = page.right;
    m_canvasTool.m_nCanvasY = page.bottom;
    m_canvasTool.m_nCanvasCode = code;
    m_canvasTool.MouseDown(&m_view, point);
    Qt::CursorShape shape = Qt::ArrowCursor;
    EdgeCursor(code + 10, shape);
    SetCursor(QCursor(shape));
}

void CViewMouse::OnLButtonDown(UINT flags, POINT point) {
    DEF_TRY
    if (!m_view.IsInViewRect(point)) return;
    // A press while a gesture still runs (its release went to another window) ends that one
    // first, so that no tool stays half-way.
    if (m_bButtonDown || m_bHandDrag || m_bCanvasDrag) CancelGestures();
    const int mode = m_view.GetProgramMode();
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc) return;

    // Each press in paste mode places one more copy of the clipboard's objects.
    if (mode == MODE_PASTE) {
        m_view.GetClipboard().PasteAtClick(point);
        return;
    }
    if (mode == MODE_DRAG_SCREENSHOT) {
        StartPageDrag(m_view);
        return;
    }
    if (mode == MODE_CUT && m_cutTool.GetCapture(point) == HIT_BODY) {
        StartCutOutDrag(m_view, m_cutTool.GetRect());
        m_cutTool.Kill();
        return;
    }
    const int edge = m_view.GetCanvasEdgeCaptureType(point);
    if (edge == 14 || edge == 15 || edge == 18) {
        StartCanvasDrag(edge - 10, point);
        return;
    }
    if (mode == MODE_PAW) {
        m_bHandDrag = true;
        m_ptHandLast = point;
        m_view.ClientToPage(m_ptHandLast);
        SetCursor(HandCursor(true));
        return;
    }

    m_bButtonDown = true;
    switch (mode) {
    case MODE_ZOOM_IN:
        m_zoomTool.MouseDown(&m_view, Quantise(point));
        break;
    case MODE_ZOOM_OUT: {
        POINT pt = point;
        m_view.ClientToPage(pt);
        m_view.DecViewScale(&pt);
        break;
    }
    case MODE_CROP:
    case MODE_COLCORRECTION_WHITE:
    case MODE_COLCORRECTION_BLACK:
        m_cropTool.MouseDown(Quantise(point));
        break;
    case MODE_REFPOINTS: {
        CViewMarks& marks = m_view.GetMarks();
        const auto& refs = marks.GetRefPoints();
        int hit = -1;
        for (int i = 0; i < int(refs.size()) && hit < 0; ++i) {
            RECT rc = CViewMarks::RefPointMarkerRect(marks.RefPointViewPos(i));
            m_view.ViewToClient(rc);
            if (PtInRect(rc, point)) hit = i;
        }
        if (hit >= 0) {
            m_refPointTool.StartMove(hit, point);
        } else if (int(refs.size()) >= CViewMarks::kMaxRefPoints) {
            marks.DeleteRefPoints();
        } else {
            POINT pt = point;
            m_view.ClientToPage(pt);
            marks.AddRefPoint(pt);
        }
        break;
    }
    case MODE_BASEPOINT: {
        const int page = m_view.GetActivePage();
        POINT pt = point;
        m_view.ClientToPage(pt);
        POINT pos = doc->GetPageImagePos(page);
        m_view.UnitToPage(pos);
        const SIZE size = doc->GetPageSize(page);
        const POINT off{pt.x - pos.x, pt.y - pos.y};
        if (doc->IsImageAvailable(page) && off.x >= 0 && off.y >= 0 && off.x < size.cx &&
            off.y < size.cy) {
            // The pressed point of the image moves to the canvas origin.
            POINT units{-off.x, -off.y};
            m_view.PageToUnit(units);
            doc->SetPageImagePos(page, units.x, units.y);
            doc->SetModifiedFlag(TRUE);
            m_crossLines.Kill();
            m_view.InvalidateRect(m_view.GetClientRect());
        } else {
            QApplication::beep();
        }
        break;
    }
    case MODE_SELECT:
        OnLButtonDownSelect(flags, point);
        break;
    case MODE_ERASER:
    case MODE_UNERASER:
        EraseUnder(mode == MODE_ERASER);
        break;
    case MODE_PASTE:
    case MODE_PAW:
    case MODE_DRAG_SCREENSHOT:
        break;
    case MODE_CUT:
        m_cutTool.MouseDown(Quantise(point));
        break;
    case MODE_FORM:
        if (IsFillable(m_view.GetSelection().PtInObject(point))) OnLButtonDownObject(flags, point);
        break;
    default:
        OnLButtonDownObject(flags, point);
        break;
    }
    DEF_CATCH
}

// ---- Select mode ------------------------------------------------------------------------------

void CViewMouse::OnLButtonDownSelect(UINT flags, POINT point) {
    DEF_TRY
    CViewSelection& sel = m_view.GetSelection();
    CTranspBaseClass* hit = sel.PtInObject(point);
    if (!hit) {
        sel.DeselectObjects();
        sel.DeactivateActiveObject();
        m_selectTool.MouseDown(&m_view, Quantise(point));
        return;
    }
    if (flags & MK_CONTROL) {
        hit->SetSelected(hit->m_bSelected ? FALSE : TRUE);
        return;
    }
    if (!hit->m_bSelected) {
        sel.DeselectObjects();
        hit->SetSelected(TRUE);
        if (hit != m_view.GetActiveObject()) sel.ActivateObject(hit);
        m_view.SetToolbarsState();
    }
    // A press on a selected object moves the whole selection.
    m_bGroupMove = true;
    m_ptGroupLast = ToView(point);
    m_view.GetArrange().BeginGroupMove();
    DEF_CATCH
}

void CViewMouse::OnMouseMoveSelect(UINT flags, POINT point) {
    DEF_TRY
    if (m_selectTool.IsActive()) {
        m_selectTool.MouseMove(POINT{point.x + 1, point.y + 1});
        return;
    }
    if (m_bGroupMove) {
        const POINT now = ToView(point);
        const int dx = int(now.x - m_ptGroupLast.x), dy = int(now.y - m_ptGroupLast.y);
        if (!m_view.GetArrange().MoveGroupBy(flags, dx, dy, point)) {
            m_bGroupMove = false;
            return;
        }
        // Only the part of the movement that made whole page pixels is spent.
        POINT d{dx, dy};
        m_view.ViewToPage(d);
        m_view.PageToView(d);
        m_ptGroupLast.x += d.x;
        m_ptGroupLast.y += d.y;
        return;
    }
    if (m_bButtonDown) return;
    CTranspBaseClass* hit = m_view.GetSelection().PtInObject(point);
    SetCursor(hit && hit->m_bSelected ? m_view.GetMoveCursor() : m_view.GetClassCursor());
    DEF_CATCH
}

void CViewMouse::OnLButtonUpSelect(UINT, POINT) {
    DEF_TRY
    CViewSelection& sel = m_view.GetSelection();
    if (m_selectTool.IsActive()) {
        RECT rc;
        m_selectTool.MouseUp(rc);
        NormalizeRect(rc);
        sel.SelectObjects(rc);
    }
    if (m_bGroupMove && m_view.IsSnapToGrid()) m_view.GetArrange().SnapGroupToGrid();
    m_bGroupMove = false;
    sel.SelectAnnotations();
    DEF_CATCH
}

POINT CViewMouse::ToView(POINT pt) const {
    const POINT scroll = m_view.GetGeometry().GetScrollPosition();
    return POINT{pt.x + scroll.x, pt.y + scroll.y};
}

void CViewMouse::OnLButtonDownObject(UINT flags, POINT point) {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    if (m_polygon.IsStarted()) {
        m_polygon.MouseDown(m_view.SnapToGrid(Quantise(point)));
        return;
    }
    CViewSelection& sel = m_view.GetSelection();
    CTranspBaseClass* hit = sel.PtInObject(point);
    if (!hit) {
        if (sel.GetSelectedCount() > 1) {
            sel.DeselectObjects();
            return;
        }
        sel.DeactivateActiveObject();
        const POINT pt = m_view.SnapToGrid(Quantise(point));
        switch (mode) {
        case MODE_TEXT:
        case MODE_TEXT_UNDERLINE:
        case MODE_TEXT_FIELD: {
            CTranspBaseClass* text =
                m_view.GetCreation().CreateTextBox(pt, m_view.GetTextStyleControls().GetCurrentStyle(), true);
            if (text && mode == MODE_TEXT_UNDERLINE) text->SetAnnotationMode(1);
            if (auto* field = dynamic_cast<CTranspText*>(text); field && mode == MODE_TEXT_FIELD) {
                // A field of a form: its text is what the user fills in, not part of the form.
                field->m_bFormField = TRUE;
                if (CLumidorDoc* doc = m_view.GetDocument()) doc->AddFieldObjectToList(field);
            }
            break;
        }
        case MODE_CHECKMARK:
            m_view.GetCreation().CreateCheckMark(pt, true);
            break;
        case MODE_POLYGON: {
            const CViewTextStyle& s = m_view.GetTextStyleControls();
            // The fixed edges show in the line colour and the line width the object will have.
            POINT a{0, 0}, b{s.GetLineWidth(), 0};
            m_view.UnitToPage(a);
            m_view.UnitToPage(b);
            m_view.PageToView(a);
            m_view.PageToView(b);
            m_polygon.SetPen(int(b.x - a.x), s.GetLineColor());
            m_polygon.MouseDown(pt);
            break;
        }
        default:
            if (CDrawTool* tool = ShapeTool(mode)) tool->MouseDown(&m_view, pt);
            break;
        }
        return;
    }
    sel.DeselectObjects();
    if (hit != m_view.GetActiveObject()) sel.ActivateObject(hit);
    m_pCaptured = hit->OnLButtonDown(flags, point) ? hit : nullptr;
    DEF_CATCH
}

// ---- Mouse move -------------------------------------------------------------------------------

void CViewMouse::OnMouseMove(UINT flags, POINT point) {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_DRAG_SCREENSHOT) {
        SetCursor(DragOutCursor());
        return;
    }
    if (mode == MODE_PAW) {
        if (flags & MK_CONTROL) return;
        if (m_bHandDrag) {
            POINT pt = point;
            m_view.ClientToPage(pt);
            m_view.MoveImage(pt.x - m_ptHandLast.x, pt.y - m_ptHandLast.y);
            m_ptHandLast = pt;
            SetCursor(HandCursor(true));
        } else {
            SetCursor(HandCursor(false));
        }
        return;
    }
    if (m_bCanvasDrag) {
        POINT pt = point;
        m_view.ClientToPage(pt);
        m_ptCanvasDelta = POINT{pt.x - m_ptCanvasPress.x, pt.y - m_ptCanvasPress.y};
        m_canvasTool.MouseMove(point);
        return;
    }

    Qt::CursorShape edgeShape = Qt::ArrowCursor;
    const bool onEdge = EdgeCursor(m_view.GetCanvasEdgeCaptureType(point), edgeShape);
    if (onEdge && !m_bButtonDown) SetCursor(QCursor(edgeShape));
    else if (!m_bButtonDown) SetCursor(m_view.GetClassCursor());

    const RECT client = m_view.GetClientRect();
    const bool inside = PtInRect(client, point);
    if (mode == MODE_BASEPOINT) {
        if (!inside) m_crossLines.Kill();
    } else if (mode == MODE_ERASER || mode == MODE_UNERASER) {
        if (inside && !m_bEraserCaptured) {
            m_bEraserCaptured = true;
            const int side = EraserSide();
            m_eraser.SetSize(side, side);
        } else if (!inside && m_bEraserCaptured) {
            m_bEraserCaptured = false;
            m_eraser.Hide();
        }
    } else {
        m_crossLines.Kill();
        m_eraser.Hide();
        m_bEraserCaptured = false;
    }

    switch (mode) {
    case MODE_ZOOM_IN:
        if (m_bButtonDown) m_zoomTool.MouseMove(POINT{point.x + 1, point.y + 1});
        SetCursor(LoadToolCursor(QStringLiteral("zoom-in"), Qt::CrossCursor));
        break;
    case MODE_ZOOM_OUT:
        break;
    case MODE_CROP:
    case MODE_COLCORRECTION_WHITE:
    case MODE_COLCORRECTION_BLACK:
    case MODE_CUT: {
        CCropTool& tool = mode == MODE_CUT ? m_cutTool : m_cropTool;
        if (m_bButtonDown) {
            tool.MouseMove(Quantise(point));
        } else if (!onEdge) {
            const Qt::CursorShape shape = tool.CursorFor(tool.GetCapture(point));
            if (shape == Qt::OpenHandCursor) SetCursor(DragOutCursor());
            else if (shape != Qt::BitmapCursor) SetCursor(QCursor(shape));
        }
        break;
    }
    case MODE_REFPOINTS:
        if (m_refPointTool.IsMoving()) {
            m_refPointTool.MoveTo(point);
        } else if (!onEdge) {
            const CViewMarks& marks = m_view.GetMarks();
            for (int i = 0; i < int(marks.GetRefPoints().size()); ++i) {
                RECT rc = CViewMarks::RefPointMarkerRect(marks.RefPointViewPos(i));
                m_view.ViewToClient(rc);
                if (PtInRect(rc, point)) SetCursor(QCursor(Qt::ArrowCursor));
            }
        }
        break;
    case MODE_BASEPOINT:
        if (inside) m_crossLines.MoveTo(Quantise(point));
        break;
    case MODE_POLYGON:
        if (m_polygon.IsStarted()) m_polygon.MouseMove(m_view.SnapToGrid(Quantise(point)));
        else OnMouseMoveObject(flags, point);
        break;
    case MODE_SELECT:
        OnMouseMoveSelect(flags, point);
        break;
    case MODE_ERASER:
    case MODE_UNERASER:
        if (!inside) break;
        m_eraser.MoveTo(point);
        if (m_bButtonDown) {
            EraseUnder(mode == MODE_ERASER);
        } else if (mode == MODE_UNERASER) {
            // The image under the square shows through, so that the user sees what comes back.
            const RECT prev = m_view.GetPrevUneraserPreview();
            RECT rc = m_eraser.GetCurRect();
            m_view.ClientToPage(rc);
            m_view.SetUneraserPreview(rc);
            for (RECT r : {prev, rc}) {
                if (r.IsRectEmpty()) continue;
                m_view.PageToClient(r);
                InflateRect(r, 1, 1);
                m_view.InvalidateRect(r);
            }
        }
        break;
    default:
        OnMouseMoveObject(flags, point);
        break;
    }
    DEF_CATCH
}

void CViewMouse::OnMouseMoveObject(UINT flags, POINT point) {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    if (m_pCaptured) {
        if (!m_pCaptured->OnMouseMove(flags, point)) m_pCaptured = nullptr;
        return;
    }
    if (m_bButtonDown) {
        if (CDrawTool* tool = ShapeTool(mode); tool && tool->IsActive())
            tool->MouseMove(m_view.SnapToGrid(Quantise(point)));
        return;
    }
    if (m_view.GetCanvasEdgeCaptureType(point) != 0) return;
    CTranspBaseClass* hit = m_view.GetSelection().PtInObject(point);
    if (hit && (mode != MODE_FORM || IsFillable(hit))) {
        SetCursor(m_view.GetClassCursor());
        hit->OnMouseMove(flags, point);
    } else {
        SetCursor(mode == MODE_FORM ? QCursor(Qt::ArrowCursor) : m_view.GetClassCursor());
    }
    DEF_CATCH
}

// ---- Button up --------------------------------------------------------------------------------

void CViewMouse::OnLButtonUp(UINT flags, POINT point) {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (m_bHandDrag) {
        m_bHandDrag = false;
        SetCursor(HandCursor(false));
    }
    if (m_bCanvasDrag) {
        m_bCanvasDrag = false;
        RECT ignored;
        m_canvasTool.MouseUp(ignored);
        if (doc) {
            const int page = m_view.GetActivePage();
            SIZE size = doc->GetCanvasSize(page);
            if (m_nCanvasCode == 4 || m_nCanvasCode == 8) size.cx += m_ptCanvasDelta.x;
            if (m_nCanvasCode == 5 || m_nCanvasCode == 8) size.cy += m_ptCanvasDelta.y;
            // A canvas dragged past its own origin keeps one pixel.
            size.cx = std::clamp<LONG>(size.cx, 1, kMaxCanvas);
            size.cy = std::clamp<LONG>(size.cy, 1, kMaxCanvas);
            if (size.cx != doc->GetCanvasSize(page).cx || size.cy != doc->GetCanvasSize(page).cy) {
                doc->SetCanvasSize(page, int(size.cx), int(size.cy));
                doc->SetModifiedFlag(TRUE);
            }
            m_view.UpdatePrinterSettings();
        }
        SetCursor(m_view.GetClassCursor());
    }
    if (m_bButtonDown) {
        const int mode = m_view.GetProgramMode();
        switch (mode) {
        case MODE_ZOOM_IN: {
            RECT rc;
            m_zoomTool.MouseUp(rc);
            NormalizeRect(rc);
            const LONG w = rc.right - rc.left, h = rc.bottom - rc.top;
            if (w >= 1 && w <= 4 && h >= 1 && h <= 4) break;
            const double s = m_view.GetViewScale();
            const LONG t = s > 0 ? LONG(s * 2) : 2;
            if (w > t && h > t) {
                m_view.ClientToPage(rc);
                m_view.ZoomPageRect(rc);
            } else {
                POINT pt = point;
                m_view.ClientToPage(pt);
                m_view.IncViewScale(&pt);
            }
            break;
        }
        case MODE_CROP:
        case MODE_COLCORRECTION_WHITE:
        case MODE_COLCORRECTION_BLACK:
            m_cropTool.MouseUp();
            break;
        case MODE_REFPOINTS:
            m_refPointTool.StopMove();
            break;
        case MODE_SELECT:
            OnLButtonUpSelect(flags, point);
            break;
        case MODE_CUT:
            m_cutTool.MouseUp();
            break;
        case MODE_ZOOM_OUT:
        case MODE_BASEPOINT:
        case MODE_ERASER:
        case MODE_UNERASER:
        case MODE_PAW:
        case MODE_DRAG_SCREENSHOT:
        case MODE_PASTE:
            break;
        default:
            OnLButtonUpObject(flags, point);
            break;
        }
    }
    ReleaseMouse();
    DEF_CATCH
    m_bButtonDown = false;
}

void CViewMouse::OnLButtonUpObject(UINT flags, POINT point) {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    if (m_pCaptured) {
        CTranspBaseClass* captured = m_pCaptured;
        m_pCaptured = nullptr;
        captured->OnLButtonUp(flags, point);
        if (auto* text = dynamic_cast<CTranspText*>(captured))
            m_view.GetTextStyleControls().ShowStyle(text->m_style);
        WarnOutsidePrintable(point);
        return;
    }
    CDrawTool* tool = ShapeTool(mode);
    if (!tool || !tool->IsActive()) return;
    const POINT start = tool->GetStart(), end = tool->GetEnd();
    RECT rc;
    tool->MouseUp(rc);
    RECT norm = rc;
    NormalizeRect(norm);
    CViewCreation& create = m_view.GetCreation();
    CTranspBaseClass* made = nullptr;
    switch (mode) {
    case MODE_RECTANGLE:
        if (!norm.IsRectEmpty() && (made = create.CreateRectangle(norm, true))) create.CreateAnnotation();
        break;
    case MODE_CIRCLE:
        if (const int r = m_circleTool.CalcRadius(end); r != 0 && (made = create.CreateCircle(start, r, true)))
            create.CreateAnnotation();
        break;
    case MODE_ELLIPSE:
        if (!norm.IsRectEmpty() && (made = create.CreateEllipse(norm, true))) create.CreateAnnotation();
        break;
    case MODE_LINE:
        if (start != end) made = create.CreateLine(start, end, true);
        break;
    case MODE_FREEHAND:
        if (m_freehandTool.GetPoints().size() > 1 &&
            (made = create.CreateFreehand(m_freehandTool.GetPoints(), true)))
            create.CreateAnnotation();
        m_freehandTool.RemovePoints();
        break;
    case MODE_ARROW:
        if (start != end) made = create.CreateArrow(start, end, true);
        break;
    case MODE_SIZE_ARROW_HOR:
    case MODE_SIZE_ARROW_VER:
        if (!norm.IsRectEmpty()) made = create.CreateSizeArrow(norm, mode == MODE_SIZE_ARROW_HOR, true);
        break;
    case MODE_BRACKET:
        if (!norm.IsRectEmpty()) made = create.CreateBracket(norm, GetCalloutOrientation(), true);
        break;
    default:
        break;
    }
    if (made) WarnOutsidePrintable(point);
    DEF_CATCH
}

void CViewMouse::WarnOutsidePrintable(POINT point) const {
    DEF_TRY
    if (LoadFrameOptions()[OPT_WARN_OUTSIDE_PRINTABLE] && !m_view.IsPrintableArea(point.x, point.y))
        WarningBox(LoadResString(IDS_OUTSIDE_PRINTABLE));
    DEF_CATCH
}

// ---- Double click, right button, leaving ------------------------------------------------------

void CViewMouse::OnLButtonDblClk(UINT flags, POINT point) {
    DEF_TRY
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_POLYGON && m_polygon.IsStarted()) {
        m_polygon.MouseDblClick();
        CViewCreation& create = m_view.GetCreation();
        const std::vector<POINT> points = m_polygon.GetPoints();
        m_polygon.RemovePoints();
        if (create.CreatePolygon(points, true)) create.CreateAnnotation();
        m_bButtonDown = false;
        return;
    }
    switch (mode) {
    case MODE_TEXT:
    case MODE_CHECKMARK:
    case MODE_RECTANGLE:
    case MODE_CIRCLE:
    case MODE_ELLIPSE:
    case MODE_LINE:
    case MODE_FREEHAND:
    case MODE_TEXT_UNDERLINE:
    case MODE_ARROW:
    case MODE_SIZE_ARROW_HOR:
    case MODE_SIZE_ARROW_VER:
    case MODE_BRACKET:
    case MODE_TEXT_FIELD:
        if (CTranspBaseClass* active = m_view.GetActiveObject()) active->OnLButtonDblClk(flags, point);
        break;
    default:
        break;
    }
    DEF_CATCH
}

void CViewMouse::OnRButtonDown(UINT, POINT point) {
    DEF_TRY
    if (m_view.GetProgramMode() == MODE_ZOOM_IN && m_view.IsInViewRect(point)) {
        POINT pt = point;
        m_view.ClientToPage(pt);
        m_view.DecViewScale(&pt);
    }
    DEF_CATCH
}

void CViewMouse::OnMouseLeave() {
    DEF_TRY
    if (m_bButtonDown || m_bHandDrag || m_bCanvasDrag) return;
    m_crossLines.Kill();
    m_eraser.Hide();
    m_bEraserCaptured = false;
    DEF_CATCH
}

void CViewMouse::EraseUnder(bool erase) {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    CEraseList* list = doc ? doc->GetErasedList(m_view.GetActivePage()) : nullptr;
    if (!list || !m_eraser.IsShown()) return;
    RECT rc = m_eraser.GetCurRect();
    if (rc.IsRectEmpty()) return;
    m_view.ClientToPage(rc);
    if (rc.right == rc.left) rc.right = rc.left + 1;
    if (rc.bottom == rc.top) rc.bottom = rc.top + 1;
    const BOOL changed = erase ? list->AddErased(rc) : list->AddUnerased(rc);
    if (!changed) return;
    doc->SetModifiedFlag(TRUE);
    m_view.PageToClient(rc);
    m_view.InvalidateRect(rc);
    DEF_CATCH
}

// ---- Ending gestures --------------------------------------------------------------------------

void CViewMouse::CancelGestures(bool keepPolygon) {
    DEF_TRY
    RECT ignored;
    for (CDrawTool* tool : std::initializer_list<CDrawTool*>{&m_rectTool, &m_ellipseTool, &m_circleTool,
                                                     &m_lineTool, &m_freehandTool, &m_canvasTool,
                                                     &m_zoomTool, &m_selectTool})
        if (tool->IsActive()) tool->MouseUp(ignored);
    m_freehandTool.RemovePoints();
    m_cropTool.Cancel();
    m_cutTool.Cancel();
    m_refPointTool.StopMove();
    if (!keepPolygon) {
        if (m_polygon.IsStarted()) m_polygon.Stop();
        m_polygon.RemovePoints();
    }
    if (m_pCaptured) {
        m_pCaptured->OnLButtonUp(0, POINT{-1, -1});
        m_pCaptured = nullptr;
    }
    if (m_bGroupMove)
        for (CTranspBaseClass* o : m_view.GetSelection().GetSelected())
            o->RestorePosition();
    m_bHandDrag = m_bCanvasDrag = m_bGroupMove = false;
    m_bButtonDown = false;
    DEF_CATCH
}

void CViewMouse::ProgramModeChanged() {
    CancelGestures();
    m_crossLines.Kill();
    m_eraser.Hide();
    m_bEraserCaptured = false;
}

void CViewMouse::Paint(CDC* pDC) const {
    DEF_TRY
    for (const CDrawTool* tool : std::initializer_list<const CDrawTool*>{
             &m_rectTool, &m_ellipseTool, &m_circleTool, &m_lineTool, &m_freehandTool,
             &m_canvasTool, &m_zoomTool, &m_selectTool})
        tool->Paint(pDC);
    m_cropTool.Paint(pDC);
    m_cutTool.Paint(pDC);
    m_polygon.Paint(pDC);
    m_eraser.Paint(pDC);
    DEF_CATCH
}
