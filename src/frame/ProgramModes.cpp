#include "frame/ProgramModes.h"

#include "app/CommandIds.h"
#include "objects/ObjectTypes.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"
#include "view/ToolCursors.h"

#include <QKeyEvent>

namespace {

// The cursor resource of each mode; modes without one show the standard arrow.
QString CursorName(int mode) {
    switch (mode) {
    case MODE_TEXT:
    case MODE_TEXT_UNDERLINE:
    case MODE_TEXT_FIELD: return QStringLiteral("text");
    case MODE_CHECKMARK: return QStringLiteral("checkmark");
    case MODE_ZOOM_IN: return QStringLiteral("zoom-in");
    case MODE_ZOOM_OUT: return QStringLiteral("zoom-out");
    case MODE_CROP: return QStringLiteral("crop");
    case MODE_REFPOINTS: return QStringLiteral("refpoint");
    case MODE_BASEPOINT: return QStringLiteral("basepoint");
    case MODE_RECTANGLE: return QStringLiteral("rectangle");
    case MODE_CIRCLE: return QStringLiteral("circle");
    case MODE_ELLIPSE: return QStringLiteral("ellipse");
    case MODE_POLYGON:
    case MODE_FREEHAND: return QStringLiteral("polygon");
    case MODE_LINE: return QStringLiteral("line");
    case MODE_ERASER: return QStringLiteral("eraser");
    case MODE_UNERASER: return QStringLiteral("uneraser");
    case MODE_CUT: return QStringLiteral("cut");
    case MODE_COLCORRECTION_WHITE: return QStringLiteral("white-point");
    case MODE_COLCORRECTION_BLACK: return QStringLiteral("black-point");
    case MODE_PASTE: return QStringLiteral("paste");
    default: return {};
    }
}

// A system cursor in the cursor's place when the module has none.
Qt::CursorShape FallbackShape(int mode) {
    switch (mode) {
    case MODE_TEXT:
    case MODE_TEXT_UNDERLINE:
    case MODE_TEXT_FIELD: return Qt::IBeamCursor;
    case MODE_ZOOM_IN:
    case MODE_ZOOM_OUT: return Qt::PointingHandCursor;
    default: return CursorName(mode).isEmpty() ? Qt::ArrowCursor : Qt::CrossCursor;
    }
}

bool IsShapeMode(int mode) {
    return mode == MODE_RECTANGLE || mode == MODE_CIRCLE || mode == MODE_ELLIPSE ||
           mode == MODE_POLYGON || mode == MODE_FREEHAND;
}

} // namespace

QString CProgramModes::CursorNameFor(int mode) { return CursorName(mode); }

CProgramModes::CProgramModes(Host host, QObject* parent) : QObject(parent), m_host(std::move(host)) {}

QCursor CProgramModes::CursorFor(int mode) const {
    DEF_TRY
    const QString name = CursorName(mode);
    if (name.isEmpty())
        return QCursor(Qt::ArrowCursor);
    return LoadToolCursor(name, FallbackShape(mode));
    DEF_CATCH
    return QCursor(Qt::ArrowCursor);
}

int CProgramModes::SidePanelFor(int mode) const {
    if (IsShapeMode(mode)) {
        CLumidorView* view = m_host.activeView ? m_host.activeView() : nullptr;
        return view && view->IsCreateWithAnnotation() ? 1 : 0;
    }
    if (mode == MODE_BRACKET)
        return 1;
    if (mode == MODE_DRAG_SCREENSHOT || mode == MODE_CUT)
        return 2;
    return 0;
}

void CProgramModes::SetProgramMode(int mode, bool updateBars) {
    DEF_TRY
    CLumidorView* active = m_host.activeView ? m_host.activeView() : nullptr;
    // 1. The tab-order marks go when another mode comes.
    if (updateBars && mode != MODE_TAB_ORDER && active)
        active->RepaintObjects(false);
    // 2.
    m_nPrevious = m_nCurrent;
    m_nCurrent = mode;
    // 3., 5. Every view shows the mode's cursor, the views made later too (they ask CursorFor).
    const QCursor cursor = CursorFor(mode);
    if (m_host.allViews)
        for (CLumidorView* v : m_host.allViews())
            v->SetClassCursor(cursor);
    // 4.
    if (m_host.setSelector)
        m_host.setSelector(SidePanelFor(mode));
    // 6.
    if (m_host.modeChangedToDocuments)
        m_host.modeChangedToDocuments();
    Q_EMIT modeChanged(m_nCurrent, m_nPrevious);
    DEF_CATCH
}

void CProgramModes::ToggleMode(int mode) {
    DEF_TRY
    SetProgramMode(m_nCurrent == mode ? m_nPrevious : mode, true);
    DEF_CATCH
}

void CProgramModes::StylebarTabOrder(bool bToggle) {
    DEF_TRY
    if (bToggle && m_nCurrent == MODE_TAB_ORDER) {
        SetProgramMode(m_nPrevious, true);
        return;
    }
    if (m_nCurrent != MODE_TAB_ORDER)
        SetProgramMode(MODE_TAB_ORDER, true);
    if (CLumidorView* view = m_host.activeView ? m_host.activeView() : nullptr)
        view->RepaintObjects(true);
    DEF_CATCH
}

bool CProgramModes::HandleAltKey(const QKeyEvent* event) {
    if (event->key() != Qt::Key_Alt)
        return false;
    if (event->type() == QEvent::KeyPress && !event->isAutoRepeat() && m_nCurrent == MODE_ZOOM_IN)
        SetProgramMode(MODE_ZOOM_OUT, true);
    else if (event->type() == QEvent::KeyRelease && !event->isAutoRepeat() &&
             m_nCurrent == MODE_ZOOM_OUT)
        SetProgramMode(MODE_ZOOM_IN, true);
    return true;
}

void CProgramModes::ShapeCommand(int mode, int annotation) {
    if (CLumidorView* view = m_host.activeView ? m_host.activeView() : nullptr)
        view->SetCreateWithAnnotation(annotation != 0);
    SetProgramMode(mode, true);
}

void CProgramModes::CheckShape(CCmdUI& ui, int mode, int annotation) const {
    CLumidorView* view = m_host.activeView ? m_host.activeView() : nullptr;
    ui.Enable(view != nullptr);
    const bool withAnnotation = view && view->IsCreateWithAnnotation();
    ui.SetCheck(m_nCurrent == mode && withAnnotation == (annotation != 0));
}

void CProgramModes::RegisterCommands(CCommandMap& map) {
    const auto hasView = [this] { return m_host.activeView && m_host.activeView() != nullptr; };
    // A tool: enabled with a document window, checked while its mode is current.
    const auto tool = [&](UINT id, int mode, std::function<void()> run) {
        map.On(id, std::move(run), [this, hasView, mode](CCmdUI& ui) {
            ui.Enable(hasView());
            ui.SetCheck(m_nCurrent == mode);
        });
    };
    const auto plain = [&](UINT id, int mode) {
        tool(id, mode, [this, mode] { SetProgramMode(mode, true); });
    };
    plain(ID_STYLEBAR_TEXTMODE, MODE_TEXT);
    plain(ID_DRAWING_TOOLS_TEXT_UNDERLINE, MODE_TEXT_UNDERLINE);
    plain(ID_DRAWING_TOOLS_TEXT_FIELD, MODE_TEXT_FIELD);
    plain(ID_DRAWING_TOOLS_CHECKMARK, MODE_CHECKMARK);
    plain(ID_DRAWING_TOOLS_ERASER, MODE_ERASER);
    plain(ID_DRAWING_TOOLS_UNERASER, MODE_UNERASER);
    plain(ID_DRAWING_TOOLS_PAW, MODE_PAW);
    plain(ID_DRAWING_TOOLS_DRAG_SCREENSHOT, MODE_DRAG_SCREENSHOT);
    plain(ID_DRAWING_TOOLS_CUT, MODE_CUT);
    plain(ID_TOOLBAR_CROP, MODE_CROP);
    plain(ID_TOOLBAR_REFPOINTS, MODE_REFPOINTS);
    plain(ID_TOOLBAR_BASE_POINT, MODE_BASEPOINT);
    plain(ID_TOOLBAR_COLCORRECTION_WHITE, MODE_COLCORRECTION_WHITE);
    plain(ID_TOOLBAR_COLCORRECTION_BLACK, MODE_COLCORRECTION_BLACK);
    // Lines and brackets leave the callout flag as it is.
    plain(ID_DRAWING_TOOLS_LINE, MODE_LINE);
    plain(ID_DRAWING_TOOLS_BRACKET, MODE_BRACKET);
    plain(ID_DRAWING_TOOLS_ARROW, MODE_ARROW);
    plain(ID_DRAWING_TOOLS_SIZE_ARROW_HOR, MODE_SIZE_ARROW_HOR);
    plain(ID_DRAWING_TOOLS_SIZE_ARROW_VER, MODE_SIZE_ARROW_VER);

    struct Shape {
        UINT plainId, annotationId;
        int mode;
    };
    for (const Shape s : {Shape{ID_DRAWING_TOOLS_RECTANGLE, ID_DRAWING_TOOLS_RECTANGLE_ANN, MODE_RECTANGLE},
                          Shape{ID_DRAWING_TOOLS_CIRCLE, ID_DRAWING_TOOLS_CIRCLE_ANN, MODE_CIRCLE},
                          Shape{ID_DRAWING_TOOLS_ELLIPSE, ID_DRAWING_TOOLS_ELLIPSE_ANN, MODE_ELLIPSE},
                          Shape{ID_DRAWING_TOOLS_POLYGON, ID_DRAWING_TOOLS_POLYGON_ANN, MODE_POLYGON},
                          Shape{ID_DRAWING_TOOLS_FREEHAND, ID_DRAWING_TOOLS_FREEHAND_ANN, MODE_FREEHAND}}) {
        for (const int annotation : {0, 1}) {
            const UINT id = annotation ? s.annotationId : s.plainId;
            const int mode = s.mode;
            map.On(
                id, [this, mode, annotation] { ShapeCommand(mode, annotation); },
                [this, mode, annotation](CCmdUI& ui) { CheckShape(ui, mode, annotation); });
        }
    }

    // The toggles: a second press returns to the mode before the first.
    tool(ID_ZOOM_IN_MODE, MODE_ZOOM_IN, [this] { ToggleMode(MODE_ZOOM_IN); });
    tool(ID_GROUPBAR_SELECT, MODE_SELECT, [this] { ToggleMode(MODE_SELECT); });
    tool(ID_STYLEBAR_TAB_ORDER, MODE_TAB_ORDER, [this] { StylebarTabOrder(true); });
    tool(ID_FORM_MODE, MODE_FORM, [this] {
        ToggleMode(MODE_FORM);
        if (m_host.allViews)
            for (CLumidorView* v : m_host.allViews())
                v->viewport()->update();
    });
}
