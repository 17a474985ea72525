#include "view/ViewTabOrder.h"

#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <algorithm>

namespace {
bool IsFillable(const CTranspBaseClass* p) {
    return dynamic_cast<const CTranspText*>(p) || dynamic_cast<const CTranspCheckMark*>(p);
}
} // namespace

std::vector<CTranspBaseClass*> CViewTabOrder::GetOrder() const {
    std::vector<CTranspBaseClass*> order;
    CLumidorDoc* doc = m_view.GetDocument();
    const int page = m_view.GetActivePage();
    if (const CFieldObjectList* fields = doc ? doc->GetFieldObjectsList(page) : nullptr;
        fields && !fields->empty())
        order = *fields;
    else if (const CObjectList* list = doc ? doc->GetObjectsList(page) : nullptr)
        for (const auto& o : *list) order.push_back(o.get());
    return order;
}

bool CViewTabOrder::ProcessTabKey(bool forward, bool* wrapped) {
    DEF_TRY
    if (wrapped) *wrapped = false;
    const int mode = m_view.GetProgramMode();
    if (mode == MODE_ZOOM_IN) return false;
    CLumidorDoc* doc = m_view.GetDocument();
    const int page = m_view.GetActivePage();
    if (!doc || !doc->GetObjectsList(page)) return true;
    const std::vector<CTranspBaseClass*> order = GetOrder();
    const bool form = mode == MODE_FORM;
    const auto visits = [form](const CTranspBaseClass* o) { return !form || IsFillable(o); };
    CTranspBaseClass* active = m_view.GetActiveObject();
    if (order.size() == 1) {
        if (visits(order[0])) m_view.SetActiveObject(order[0]);
        return true;
    }
    const auto at = std::find(order.begin(), order.end(), active);
    if (active && at == order.end()) {
        m_view.ReleaseActiveObject();
        active = nullptr;
    }
    if (order.size() < 2) return true;
    CTranspBaseClass* next = nullptr;
    if (!active) {
        const auto first = std::find_if(order.begin(), order.end(), visits);
        next = first != order.end() ? *first : nullptr;
    } else {
        const int n = int(order.size());
        int i = int(at - order.begin());
        for (int step = 0; step < n; ++step) {
            i += forward ? 1 : -1;
            if (i >= n || i < 0) {
                i = i >= n ? 0 : n - 1;
                if (wrapped) *wrapped = true;
            }
            if (visits(order[std::size_t(i)])) {
                next = order[std::size_t(i)];
                break;
            }
        }
    }
    if (!next) return true;
    m_view.SetActiveObject(next);
    // A field off the screen is brought into the middle of the window.
    RECT box;
    next->GetBoundsRect(&box);
    RECT client = m_view.GetClientRect(), inside;
    if (!IntersectRect(inside, box, client) || inside != box) {
        RECT units;
        next->GetAlignRect(&units);
        m_view.UnitToPage(units);
        m_view.SetPageCenterTo(int((units.left + units.right) / 2), int((units.top + units.bottom) / 2));
        m_view.InvalidateRect(m_view.GetClientRect());
    }
    return true;
    DEF_CATCH
    return true;
}

void CViewTabOrder::OnSetTabOrder(const QString& text) {
    DEF_TRY
    CTranspBaseClass* active = m_view.GetActiveObject();
    if (!active) {
        InformationBox(LoadResString(IDS_TAB_ORDER_NO_OBJECT));
        return;
    }
    CLumidorDoc* doc = m_view.GetDocument();
    CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    bool ok = false;
    const qlonglong index = text.trimmed().toLongLong(&ok);
    if (!list || !ok || index < 0 || index >= qlonglong(list->size())) {
        InformationBox(LoadResString(IDS_TAB_ORDER_BAD_INDEX));
        return;
    }
    const auto from = std::find_if(list->begin(), list->end(),
                                   [active](const auto& o) { return o.get() == active; });
    if (from == list->end()) return;
    const auto to = list->begin() + std::ptrdiff_t(index);
    if (from < to) std::rotate(from, from + 1, to + 1);
    else if (to < from) std::rotate(to, from, from + 1);
    m_view.RepaintObjects(true);
    doc->SetModifiedFlag(TRUE);
    m_view.SetToolbarsState();
    DEF_CATCH
}
