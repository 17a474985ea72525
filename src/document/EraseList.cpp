#include "document/EraseList.h"

#include "app/Resource.h"
#include "platform/Archive.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <algorithm>

namespace {
// Coordinates beyond this take no part in region arithmetic (QRegion works in int and would
// overflow on widths near the 32-bit limits); no page is this large.
constexpr LONG kCoordLimit = 1 << 29;

LONG Clamp(LONG v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }

// Rebuilding a region costs about its number of rectangles at every change between erased and
// restored records. A list made by hand stays far below this budget (50,000 records of
// scribbling cost a few million); a list that would take many seconds is not a page's, and a file
// holding one is refused rather than left to stall the program.
constexpr qint64 kRebuildBudget = 200'000'000;
} // namespace

QRect CEraseList::ToQRect(const RECT& rect) {
    const LONG l = Clamp(std::min(rect.left, rect.right));
    const LONG r = Clamp(std::max(rect.left, rect.right));
    const LONG t = Clamp(std::min(rect.top, rect.bottom));
    const LONG b = Clamp(std::max(rect.top, rect.bottom));
    return QRect(l, t, r - l, b - t);
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
    std::vector<_ERASERECT> old = std::move(m_list);
    const QRegion oldRegion = m_region;
    m_list = std::move(list);
    try {
        Rebuild();
    } catch (...) {
        m_list = std::move(old);
        m_region = oldRegion;
        throw;
    }
}

namespace {
// The union of rectangles, merged pairwise in a balanced tree: each rectangle takes part in
// log(n) merges instead of one merge with an ever larger region.
QRegion UnionOf(std::vector<QRegion>& parts) {
    if (parts.empty())
        return {};
    for (size_t step = 1; step < parts.size(); step *= 2)
        for (size_t i = 0; i + step < parts.size(); i += 2 * step)
            parts[i] = parts[i].united(parts[i + step]);
    return parts.front();
}
} // namespace

void CEraseList::Rebuild() {
    // Replaying the records one by one costs the region's size for each record; consecutive
    // records of the same kind are united first, which gives the same region:
    // (R + a) + b = R + (a + b) and (R - a) - b = R - (a + b).
    m_region = QRegion();
    std::vector<QRegion> run;
    bool restoring = false;
    qint64 work = 0;
    auto flush = [&] {
        if (run.empty())
            return;
        work += m_region.rectCount() + qint64(run.size());
        if (work > kRebuildBudget)
            AfxThrowArchiveException(CArchiveException::genericException,
                                     LoadResString(IDS_ERASE_TOO_COMPLEX));
        const QRegion part = UnionOf(run);
        m_region = restoring ? m_region.subtracted(part) : m_region.united(part);
        run.clear();
    };
    for (const _ERASERECT& e : m_list) {
        const bool restore = e.nRestore != 0;
        if (restore != restoring) {
            flush();
            restoring = restore;
        }
        const QRect r = ToQRect(RECT{e.left, e.top, e.right, e.bottom});
        if (!r.isEmpty())
            run.emplace_back(r);
    }
    flush();
}
