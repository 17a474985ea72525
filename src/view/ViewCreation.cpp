#include "view/ViewCreation.h"

#include "app/CalloutOptions.h"
#include "app/Units.h"
#include "document/LumidorDoc.h"
#include "objects/TranspArrow.h"
#include "objects/TranspBrace.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspSizeArrow.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <algorithm>

namespace {
// A callout's line leaves its shape by three eighths of an inch.
constexpr double kCalloutInches = 0.375;
// The room (page pixels) a callout's text box needs beyond its line: one line of text.
constexpr LONG kCalloutTextRoom = 24;

enum CalloutDirection { DIR_NEAR = 0, DIR_UP = 1, DIR_LEFT = 2, DIR_RIGHT = 3, DIR_DOWN = 4 };
} // namespace

POINT CViewCreation::ClientToUnit(POINT pt) const {
    m_view.ClientToPage(pt);
    m_view.PageToUnit(pt);
    return pt;
}

RECT CViewCreation::ClientToUnit(RECT rc) const {
    m_view.ClientToPage(rc);
    m_view.PageToUnit(rc);
    return rc;
}

POINT CViewCreation::PageToUnit(POINT pt) const {
    m_view.PageToUnit(pt);
    return pt;
}

CTranspBaseClass* CViewCreation::Append(std::unique_ptr<CTranspBaseClass> object, bool activate) {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc || !object) return nullptr;
    const QByteArray name = doc->GetUniqueObjectName(object.get(), TRUE);
    if (!name.isEmpty()) object->SetObjectName(name.constData());
    CTranspBaseClass* p = object.get();
    if (!doc->AddObjectToList(std::move(object))) return nullptr;
    doc->SetModifiedFlag(TRUE);
    if (activate) {
        m_view.ReleaseActiveObject();
        m_view.SetActiveObject(p);
    } else {
        p->SetFocused(FALSE);
    }
    p->Repaint();
    return p;
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::CreateTextBox(POINT point, const TEXTSTYLE& style, bool activate) {
    DEF_TRY
    const POINT pt = ClientToUnit(point);
    auto text = std::make_unique<CTranspText>(&m_view, pt.x, pt.y, &style, nullptr,
                                              m_view.GetActivePage(), TRUE);
    return Append(std::move(text), activate);
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::CreateCheckMark(POINT point, bool activate) {
    DEF_TRY
    const POINT pt = ClientToUnit(point);
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    return Append(std::make_unique<CTranspCheckMark>(&m_view, pt.x, pt.y, s.GetLineColor(),
                                                     s.GetLineWidth(), m_view.GetActivePage()),
                  activate);
    DEF_CATCH
    return nullptr;
}

template <typename Shape> CTranspBaseClass* CViewCreation::MakeRectShape(RECT rect, bool activate) {
    DEF_TRY
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    return Append(std::make_unique<Shape>(&m_view, ClientToUnit(rect), s.GetLineColor(),
                                          s.GetLineWidth(), m_view.GetActivePage()),
                  activate);
    DEF_CATCH
    return nullptr;
}

template <typename Shape>
CTranspBaseClass* CViewCreation::MakeLineEnds(POINT from, POINT to, bool activate) {
    DEF_TRY
    const POINT a = ClientToUnit(from), b = ClientToUnit(to);
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    return Append(std::make_unique<Shape>(&m_view, a.x, a.y, b.x, b.y, s.GetLineColor(),
                                          s.GetLineWidth(), m_view.GetActivePage()),
                  activate);
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::CreateRectangle(RECT rect, bool activate) {
    return MakeRectShape<CTranspRectangle>(rect, activate);
}

CTranspBaseClass* CViewCreation::CreateEllipse(RECT rect, bool activate) {
    return MakeRectShape<CTranspEllipse>(rect, activate);
}

CTranspBaseClass* CViewCreation::CreateCircle(POINT centre, int radius, bool activate) {
    DEF_TRY
    const POINT c = ClientToUnit(centre);
    // The radius is converted as the width of a rectangle at the client origin.
    RECT r{0, 0, radius, radius};
    m_view.ClientToPage(r);
    r = RECT{0, 0, r.right - r.left, r.bottom - r.top};
    m_view.PageToUnit(r);
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    return Append(std::make_unique<CTranspCircle>(&m_view, c.x, c.y, int(r.right - r.left),
                                                  s.GetLineColor(), s.GetLineWidth(),
                                                  m_view.GetActivePage()),
                  activate);
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::CreateLine(POINT from, POINT to, bool activate) {
    return MakeLineEnds<CTranspLine>(from, to, activate);
}

CTranspBaseClass* CViewCreation::CreateArrow(POINT from, POINT to, bool activate) {
    return MakeLineEnds<CTranspArrow>(from, to, activate);
}

CTranspBaseClass* CViewCreation::CreateSizeArrow(RECT rect, bool horizontal, bool activate) {
    DEF_TRY
    RECT rc = ClientToUnit(rect);
    NormalizeRect(rc);
    // The dimension line starts in the middle of the dragged rectangle.
    const int offset = int(horizontal ? (rc.bottom - rc.top) / 2 : (rc.right - rc.left) / 2);
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    return Append(std::make_unique<CTranspSizeArrow>(&m_view, rc, s.GetLineColor(),
                                                     s.GetLineWidth(), m_view.GetActivePage(),
                                                     offset, horizontal ? TRUE : FALSE),
                  activate);
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::CreateBracket(RECT rect, int orientation, bool activate) {
    DEF_TRY
    RECT rc = ClientToUnit(rect);
    NormalizeRect(rc);
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    // The orientation cell names the side the bracket points to: 1 left, 3 right, 4 down, else up.
    return Append(std::make_unique<CTranspBrace>(&m_view, rc, s.GetLineColor(), s.GetLineWidth(),
                                                 m_view.GetActivePage(), orientation),
                  activate);
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::MakeStroke(std::vector<POINT> units, bool activate) {
    DEF_TRY
    if (units.size() < 2) return nullptr;
    const CViewTextStyle& s = m_view.GetTextStyleControls();
    return Append(std::make_unique<CTranspFreehand>(&m_view, units.data(), int(units.size()),
                                                    s.GetLineColor(), s.GetLineWidth(),
                                                    m_view.GetActivePage()),
                  activate);
    DEF_CATCH
    return nullptr;
}

CTranspBaseClass* CViewCreation::CreateFreehand(const std::vector<POINT>& points, bool activate) {
    std::vector<POINT> units(points.size());
    std::transform(points.begin(), points.end(), units.begin(),
                   [this](POINT p) { return ClientToUnit(p); });
    return MakeStroke(std::move(units), activate);
}

CTranspBaseClass* CViewCreation::CreatePolygon(const std::vector<POINT>& points, bool activate) {
    std::vector<POINT> units(points.size());
    std::transform(points.begin(), points.end(), units.begin(),
                   [this](POINT p) { return PageToUnit(p); });
    // A polygon is a stroke that ends where it began.
    if (units.size() >= 2 && units.back() != units.front()) units.push_back(units.front());
    return MakeStroke(std::move(units), activate);
}

int CViewCreation::CalloutLength() const {
    POINT a{0, 0}, b{unitConvertToTextunit(kCalloutInches, UNIT_INCH), 0};
    m_view.UnitToPage(a);
    m_view.UnitToPage(b);
    return std::max<int>(6, int(b.x - a.x));
}

int CViewCreation::CalloutDirection(const RECT& rc, int orientation, bool nearOption) const {
    CLumidorDoc* doc = m_view.GetDocument();
    const int page = m_view.GetActivePage();
    RECT image{};
    if (doc && doc->IsImageAvailable(page) && m_view.GetShowPageImage()) {
        POINT pos = doc->GetPageImagePos(page);
        m_view.UnitToPage(pos);
        const SIZE size = doc->GetPageSize(page);
        image = RECT{pos.x, pos.y, pos.x + size.cx, pos.y + size.cy};
    }
    RECT meet;
    if (nearOption || !IntersectRect(meet, rc, image)) return DIR_NEAR;
    switch (orientation) {
    case ORIENT_UP: return DIR_UP;
    case ORIENT_LEFT: return DIR_LEFT;
    case ORIENT_RIGHT: return DIR_RIGHT;
    case ORIENT_DOWN: return DIR_DOWN;
    default: break;
    }
    // The centre cell: above the shape when the image leaves room there for the line and a line
    // of text, else below, else left; with room nowhere, the side with the most. Left comes last
    // because a text box left of its line grows towards the line as it is typed into.
    const LONG up = rc.top - image.top, down = image.bottom - rc.bottom, left = rc.left - image.left;
    const LONG need = CalloutLength() + kCalloutTextRoom;
    if (up >= need) return DIR_UP;
    if (down >= need) return DIR_DOWN;
    if (left >= need) return DIR_LEFT;
    if (up >= down && up >= left) return DIR_UP;
    return down >= left ? DIR_DOWN : DIR_LEFT;
}

CTranspBaseClass* CViewCreation::MakeLine(POINT fromPage, POINT toPage) {
    POINT a = fromPage, b = toPage;
    m_view.PageToClient(a);
    m_view.PageToClient(b);
    return CreateLine(a, b, true);
}

void CViewCreation::CreateAnnotation() {
    DEF_TRY
    if (!m_view.IsCreateWithAnnotation()) return;
    CTranspBaseClass* shape = m_view.GetActiveObject();
    if (!shape) return;
    RECT rc;
    shape->GetAlignRect(&rc);
    m_view.UnitToPage(rc);
    NormalizeRect(rc);
    const bool isRectangle = dynamic_cast<CTranspRectangle*>(shape) != nullptr;
    const LONG cx = isRectangle ? rc.left + 4 : (rc.left + rc.right) / 2;
    const LONG cy = isRectangle ? rc.top + 4 : (rc.top + rc.bottom) / 2;
    const int direction = CalloutDirection(rc, GetCalloutOrientation(), GetCalloutNear());
    const LONG length = CalloutLength();
    POINT from{}, to{};
    switch (direction) {
    case DIR_UP: from = POINT{cx, rc.top}; to = POINT{cx, rc.top - length}; break;
    case DIR_DOWN: from = POINT{cx, rc.bottom}; to = POINT{cx, rc.bottom + length}; break;
    case DIR_LEFT: from = POINT{rc.left, cy}; to = POINT{rc.left - length, cy}; break;
    case DIR_RIGHT: from = POINT{rc.right, cy}; to = POINT{rc.right + length, cy}; break;
    default:
        if (isRectangle) {
            from = POINT{rc.left + 4, rc.top};
            to = POINT{rc.left + 4, rc.top - 6};
        } else {
            from = POINT{cx, rc.top + 3};
            to = POINT{cx, rc.top - 3};
        }
        break;
    }
    auto* line = dynamic_cast<CTranspLine*>(MakeLine(from, to));
    if (!line) return;
    line->m_bCalloutLine = TRUE;
    line->m_nCalloutDirection = direction;

    const CViewTextStyle& s = m_view.GetTextStyleControls();
    TEXTSTYLE style = s.GetCurrentStyle();
    style.crRule = s.GetLineColor();
    style.nRuleWidth = s.GetLineWidth();
    POINT end = to;
    m_view.PageToClient(end);
    CTranspBaseClass* text = CreateTextBox(end, style, true);
    if (!text) return;
    text->SetAnnotationMode(1);
    // The box sits beyond the line's end: above it for up and near, below for down, on the line's
    // height to the left or right.
    RECT box;
    text->GetAlignRect(&box);
    NormalizeRect(box);
    const POINT endUnits = PageToUnit(to);
    LONG dx = 0, dy = 0;
    switch (direction) {
    case DIR_DOWN: dy = endUnits.y - box.top; break;
    case DIR_LEFT:
        dx = endUnits.x - box.right;
        dy = endUnits.y - (box.top + box.bottom) / 2;
        break;
    case DIR_RIGHT:
        dx = endUnits.x - box.left;
        dy = endUnits.y - (box.top + box.bottom) / 2;
        break;
    default: dy = endUnits.y - box.bottom; break;
    }
    text->MoveBy(int(dx), int(dy));
    m_view.SetToolbarsState();
    text->GetAlignRect(&box);
    m_view.UnitToPage(box);
    m_nCalloutTextHeight = int(std::abs(box.bottom - box.top));
    DEF_CATCH
}
