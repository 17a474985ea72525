#include "document/EraseList.h"

#include "platform/Archive.h"
#include "platform/Guard.h"

#include <algorithm>

namespace {
// Coordinates beyond this take no part in region arithmetic (QRegion works in int and would
// overflow on widths near the 32-bit limits); no page is this large.
constexpr LONG kCoordLimit = 1 << 29;

LONG Clamp(LONG v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }
} // namespace

QRect CEraseList::ToQRect(const RECT& rect) {
    const LONG l = Clamp(std::min(rect.left, rect.right));
    const LONG r = Clamp(std::max(rect.left, rect.right));
    const LONG t = Clamp(std::min(rect.top, rect.bottom));
    const LONG b = Clamp(std::max(rect.top, rect.bottom));
    return QRect(l, t, r - l, b - t);
}

void CEraseList::Apply(const _ERASERECT& record) {
    const QRect r = ToQRect(RECT{record.left, record.top, record.right, record.bottom});
    if (r.isEmpty())
        return;
    if (record.nRestore)
        m_region -= r;
    else
        m_region += r;
}

BOOL CEraseList::AddErased(const RECT& rect) {
    DEF_TRY
    const QRect r = ToQRect(rect);
    const bool wasEmpty = m_list.empty();
    // A rectangle already wholly erased changes nothing and is not recorded (unless it is the
    // first record of the list).
    const bool covered = !r.isEmpty() && m_region.intersects(r) && (QRegion(r) - m_region).isEmpty();
    if (!covered)
        m_region += r;
    const bool record = !covered || wasEmpty;
    if (record)
        m_list.push_back(_ERASERECT{rect.left, rect.top, rect.right, rect.bottom, 0});
    return record ? TRUE : FALSE;
    DEF_CATCH
    return FALSE;
}

BOOL CEraseList::AddUnerased(const RECT& rect) {
    DEF_TRY
    const QRect r = ToQRect(rect);
    if (r.isEmpty() || !m_region.intersects(r))
        return FALSE;
    m_region -= r;
    m_list.push_back(_ERASERECT{rect.left, rect.top, rect.right, rect.bottom, 1});
    // Once nothing is erased any more, the history is of no use.
    if (m_region.boundingRect().isEmpty())
        RemoveAll();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CEraseList::RemoveAll() {
    m_list.clear();
    m_region = QRegion();
}

void CEraseList::Serialize(CArchive& ar, int nPage) {
    if (ar.IsStoring()) {
        const qint64 count = qint64(m_list.size());
        ar << std::int32_t(count * ERASERECT_SIZE + 8) << std::int32_t(nPage)
           << std::int32_t(count);
        for (const _ERASERECT& e : m_list)
            ar << std::int32_t(e.left) << std::int32_t(e.top) << std::int32_t(e.right)
               << std::int32_t(e.bottom) << std::int32_t(e.nRestore);
        return;
    }
    std::int32_t count = 0;
    ar >> count;
    ar.CheckCount(count, ERASERECT_SIZE);
    std::vector<_ERASERECT> list(static_cast<size_t>(count));
    for (_ERASERECT& e : list) {
        std::int32_t v[5];
        for (std::int32_t& x : v)
            ar >> x;
        e = _ERASERECT{v[0], v[1], v[2], v[3], v[4]};
    }
    // Only a whole list replaces the old one.
    RemoveAll();
    m_list = std::move(list);
    for (const _ERASERECT& e : m_list)
        Apply(e);
}
