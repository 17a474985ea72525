#include "view/ImageCommands.h"

#include "app/CommandIds.h"
#include "app/CommandTarget.h"
#include "document/LumidorDoc.h"
#include "objects/ObjectTypes.h"
#include "platform/Guard.h"
#include "platform/imaging/BitmapBase.h"
#include "view/LumidorView.h"

#include <QApplication>
#include <cmath>
#include <numbers>

void CViewImageCommands::Register(CCommandMap& map) {
    map.On(
        ID_TOOLBAR_DO_IMAGE_TRANSFORMATION, [this] { OnToolbarDoImageTransformation(); },
        [this](CCmdUI& ui) { ui.Enable(CanTransform()); });
    map.On(
        ID_IMAGE_UNDO, [this] { OnImageUndo(); },
        [this](CCmdUI& ui) {
            CLumidorDoc* doc = m_view.GetDocument();
            ui.Enable(doc && doc->IsPageUndo(m_view.GetActivePage()));
        });
    map.On(
        ID_IMAGE_TRIM, [this] { OnImageTrim(); }, [this](CCmdUI& ui) { ui.Enable(CanTrim()); });
    map.On(
        ID_IMAGE_RESET_BASE_POINT, [this] { OnImageResetBasePoint(); },
        [this](CCmdUI& ui) { ui.Enable(CanResetBasePoint()); });
}

void CViewImageCommands::Refresh() {
    // The image may have changed its size, and the canvas with it.
    m_view.UpdatePrinterSettings();
    m_view.InvalidateRect(m_view.GetClientRect());
}

double CViewImageCommands::StraightenAngle(POINT a, POINT b) {
    if (b.x < a.x) std::swap(a, b);
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    if (dx == 0) return dy == 0 ? 0.0 : -std::numbers::pi / 2;
    return -std::atan(dy / dx);
}

double CViewImageCommands::StraightenRotation(double t) {
    if (std::fabs(t) < std::numbers::pi / 4) return t;
    return t > 0 ? t - std::numbers::pi / 2 : t + std::numbers::pi / 2;
}

bool CViewImageCommands::CanTransform() const {
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc || !doc->IsImageAvailable(m_view.GetActivePage())) return false;
    switch (m_view.GetProgramMode()) {
    case MODE_CROP:
    case MODE_COLCORRECTION_WHITE:
    case MODE_COLCORRECTION_BLACK: return !m_view.GetMarks().GetCropRect().IsRectEmpty();
    case MODE_REFPOINTS: return m_view.GetMarks().GetRefPoints().size() == 2;
    default: return false;
    }
}

void CViewImageCommands::OnToolbarDoImageTransformation() {
    DEF_TRY
    if (!CanTransform()) return;
    bool done = false;
    switch (m_view.GetProgramMode()) {
    case MODE_CROP: done = DoImageCrop(); break;
    case MODE_REFPOINTS: done = DoImageStraighten(); break;
    case MODE_COLCORRECTION_WHITE: done = DoImageColCorrection(false); break;
    case MODE_COLCORRECTION_BLACK: done = DoImageColCorrection(true); break;
    default: break;
    }
    if (done) m_view.RequestProgramMode(MODE_TEXT);
    DEF_CATCH
}

bool CViewImageCommands::DoImageCrop() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    const int page = m_view.GetActivePage();
    // Only what lies on the canvas can be kept.
    RECT rc;
    const SIZE canvas = doc ? doc->GetCanvasSize(page) : SIZE{};
    if (!doc || !IntersectRect(rc, m_view.GetMarks().GetCropRect(), RECT{0, 0, canvas.cx, canvas.cy}))
        return false;
    if (!doc->DoCropPage(page, rc)) return false;
    m_view.GetMarks().SetCropRect(RECT{});
    // The kept part stays where it lay on the canvas.
    POINT pos{rc.left, rc.top};
    m_view.PageToUnit(pos);
    doc->SetPageImagePos(page, pos.x, pos.y);
    Refresh();
    return true;
    DEF_CATCH
    return false;
}

bool CViewImageCommands::DoImageStraighten() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    const auto& refs = m_view.GetMarks().GetRefPoints();
    if (!doc || refs.size() != 2) return false;
    const double t = StraightenAngle(refs[0], refs[1]);
    if (t == 0) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BOOL ok = doc->RotatePage(m_view.GetActivePage(), StraightenRotation(t));
    QApplication::restoreOverrideCursor();
    if (!ok) return false;
    m_view.GetMarks().DeleteRefPoints();
    Refresh();
    return true;
    DEF_CATCH
    return false;
}

bool CViewImageCommands::DoImageColCorrection(bool black) {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    RECT rc = m_view.GetMarks().GetCropRect();
    if (!doc || rc.IsRectEmpty()) return false;
    const int page = m_view.GetActivePage();
    // The image is drawn a pixel for a page pixel: the rectangle relative to the image position
    // is the area in image pixels.
    POINT pos = doc->GetPageImagePos(page);
    m_view.UnitToPage(pos);
    OffsetRect(rc, -pos.x, -pos.y);
    if (!doc->DoImageColCorrection(page, rc, black ? 1 : 0)) return false;
    m_view.GetMarks().SetCropRect(RECT{});
    Refresh();
    return true;
    DEF_CATCH
    return false;
}

void CViewImageCommands::OnImageUndo() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc || !doc->IsPageUndo(m_view.GetActivePage())) return;
    if (doc->UndoPage(m_view.GetActivePage())) {
        Refresh();
    }
    DEF_CATCH
}

bool CViewImageCommands::CanTrim() const {
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc || !doc->IsImageAvailable(m_view.GetActivePage())) return false;
    const POINT pos = doc->GetPageImagePos(m_view.GetActivePage());
    return pos.x < 0 && pos.y < 0;
}

void CViewImageCommands::OnImageTrim() {
    DEF_TRY
    if (!CanTrim()) return;
    CLumidorDoc* doc = m_view.GetDocument();
    const int page = m_view.GetActivePage();
    _PAGEINFO* p = doc->GetPageInfo(page);
    POINT pos = doc->GetPageImagePos(page);
    m_view.UnitToPage(pos);
    const int left = int(std::min<LONG>(-pos.x, p->m_Bitmap.GetWidth()));
    const int top = int(std::min<LONG>(-pos.y, p->m_Bitmap.GetHeight()));
    // What lies left of and above the canvas goes; the rest stays where it is.
    const int width = p->m_Bitmap.GetWidth() - left, height = p->m_Bitmap.GetHeight() - top;
    if (width <= 0 || height <= 0) return;
    if (!doc->TrimPageImage(page, left, top, width, height)) return;
    doc->SetPageImagePos(page, 0, 0);
    Refresh();
    DEF_CATCH
}

bool CViewImageCommands::CanResetBasePoint() const {
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc || !doc->IsImageAvailable(m_view.GetActivePage())) return false;
    return doc->GetPageImagePos(m_view.GetActivePage()) != POINT{0, 0};
}

void CViewImageCommands::OnImageResetBasePoint() {
    DEF_TRY
    if (!CanResetBasePoint()) return;
    CLumidorDoc* doc = m_view.GetDocument();
    doc->SetPageImagePos(m_view.GetActivePage(), 0, 0);
    doc->SetModifiedFlag(TRUE);
    Refresh();
    DEF_CATCH
}
