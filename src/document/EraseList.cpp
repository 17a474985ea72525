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

// What a replay may cost, in band visits (each counted as kVisitCost) plus the runs of the bands
// visited, and how many runs the area may hold. An eraser stroke of 30,000 squares of 20 pixels,
// erased and restored in turn, costs under 40 million and leaves under 200,000 runs; these bounds
// are twenty times that and more, and hold a made-up list to under a second and some ten
// megabytes before it is refused.
constexpr qint64 kVisitCost = 8;
constexpr qint64 kReplayBudget = qint64(1) << 30;
constexpr qint64 kMaxSpans = qint64(1) << 22;
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
    const bool covered = !r.isEmpty() && m_area.Covers(r);
    if (!covered && !r.isEmpty()) {
        m_area.Apply(r, true);
        m_bRegionMade = false;
    }
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
    if (r.isEmpty() || !m_area.Intersects(r))
        return FALSE;
    m_area.Apply(r, false);
    m_bRegionMade = false;
    m_list.push_back(_ERASERECT{rect.left, rect.top, rect.right, rect.bottom, 1});
    // Once nothing is erased any more, the history is of no use.
    if (m_area.IsEmpty())
        RemoveAll();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

const QRegion& CEraseList::GetRegion() const {
    if (!m_bRegionMade) {
        m_region = m_area.ToRegion();
        m_bRegionMade = true;
    }
    return m_region;
}

void CEraseList::RemoveAll() {
    m_list.clear();
    m_area = CBandArea();
    m_region = QRegion();
    m_bRegionMade = true;
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
    CBandArea area;
    if (!area.Replay(list))
        AfxThrowArchiveException(CArchiveException::genericException,
                                 LoadResString(IDS_ERASE_TOO_COMPLEX));
    m_list = std::move(list);
    m_area = std::move(area);
    m_bRegionMade = false;
}

int CEraseList::CBandArea::SetRun(std::vector<Span>& spans, int l, int r, bool erase) {
    if (erase) {
        // The runs that overlap or touch [l, r) become one.
        const auto first = std::lower_bound(spans.begin(), spans.end(), l,
                                            [](const Span& s, int x) { return s.r < x; });
        const auto last = std::upper_bound(first, spans.end(), r,
                                           [](int x, const Span& s) { return x < s.l; });
        if (first == last) {
            spans.insert(first, Span{l, r});
            return 1;
        }
        const Span merged{std::min(first->l, l), std::max((last - 1)->r, r)};
        *first = merged;
        const int removed = int(last - first) - 1;
        spans.erase(first + 1, last);
        return -removed;
    }
    // The runs that overlap [l, r) keep what lies outside it.
    const auto first = std::lower_bound(spans.begin(), spans.end(), l,
                                        [](const Span& s, int x) { return s.r <= x; });
    const auto last = std::lower_bound(first, spans.end(), r,
                                       [](const Span& s, int x) { return s.l < x; });
    if (first == last)
        return 0;
    Span kept[2];
    int nKept = 0;
    if (first->l < l)
        kept[nKept++] = Span{first->l, l};
    if ((last - 1)->r > r)
        kept[nKept++] = Span{r, (last - 1)->r};
    const int overlapped = int(last - first);
    const auto at = spans.erase(first, last);
    spans.insert(at, kept, kept + nKept);
    return nKept - overlapped;
}

size_t CEraseList::CBandArea::BandAt(int y) const {
    const auto it = std::upper_bound(m_bands.begin(), m_bands.end(), y,
                                     [](int v, const Band& b) { return v < b.top; });
    return it == m_bands.begin() ? m_bands.size() : size_t(it - m_bands.begin()) - 1;
}

size_t CEraseList::CBandArea::SplitAt(int y) {
    const size_t i = BandAt(y);
    if (i == m_bands.size()) {
        // Above the first band: nothing there is erased.
        m_bands.insert(m_bands.begin(), Band{y, {}});
        return 0;
    }
    if (m_bands[i].top == y)
        return i;
    std::vector<Span> copy = m_bands[i].spans;
    m_nSpans += qint64(copy.size());
    m_bands.insert(m_bands.begin() + std::ptrdiff_t(i) + 1, Band{y, std::move(copy)});
    return i + 1;
}

void CEraseList::CBandArea::MergeEqual(size_t from, size_t to) {
    to = std::min(to, m_bands.size() - 1);
    size_t kept = from;
    for (size_t i = from + 1; i <= to; ++i) {
        if (m_bands[i].spans == m_bands[kept].spans) {
            m_nSpans -= qint64(m_bands[i].spans.size());
            continue;
        }
        if (++kept != i)
            m_bands[kept] = std::move(m_bands[i]);
    }
    m_bands.erase(m_bands.begin() + std::ptrdiff_t(kept) + 1,
                  m_bands.begin() + std::ptrdiff_t(to) + 1);
    // Nothing above the first band is erased, so an empty first band says nothing either.
    size_t lead = 0;
    while (lead < m_bands.size() && m_bands[lead].spans.empty())
        ++lead;
    m_bands.erase(m_bands.begin(), m_bands.begin() + std::ptrdiff_t(lead));
}

void CEraseList::CBandArea::Apply(const QRect& r, bool erase) {
    const int l = r.x(), right = r.x() + r.width();
    const size_t first = SplitAt(r.y());
    const size_t last = SplitAt(r.y() + r.height());
    for (size_t i = first; i < last; ++i)
        m_nSpans += SetRun(m_bands[i].spans, l, right, erase);
    MergeEqual(first == 0 ? 0 : first - 1, last);
}

bool CEraseList::CBandArea::Covers(const QRect& r) const {
    const int l = r.x(), right = r.x() + r.width(), bottom = r.y() + r.height();
    size_t i = BandAt(r.y());
    if (i == m_bands.size())
        return false;
    // The last band is empty, so a rectangle reaching into it is not covered.
    for (; i < m_bands.size() && m_bands[i].top < bottom; ++i) {
        const std::vector<Span>& spans = m_bands[i].spans;
        const auto s = std::lower_bound(spans.begin(), spans.end(), right,
                                        [](const Span& v, int x) { return v.r < x; });
        if (s == spans.end() || s->l > l)
            return false;
    }
    return true;
}

bool CEraseList::CBandArea::Intersects(const QRect& r) const {
    const int l = r.x(), right = r.x() + r.width(), bottom = r.y() + r.height();
    size_t i = BandAt(r.y());
    if (i == m_bands.size())
        i = 0;
    for (; i < m_bands.size() && m_bands[i].top < bottom; ++i) {
        const std::vector<Span>& spans = m_bands[i].spans;
        const auto s = std::lower_bound(spans.begin(), spans.end(), l,
                                        [](const Span& v, int x) { return v.r <= x; });
        if (s != spans.end() && s->l < right)
            return true;
    }
    return false;
}

QRegion CEraseList::CBandArea::ToRegion() const {
    // Bands of equal runs are joined, so that the region has the fewest rectangles, as QRegion's
    // own arithmetic leaves it.
    std::vector<QRect> rects;
    rects.reserve(size_t(m_nSpans));
    for (size_t i = 0; i + 1 < m_bands.size();) {
        size_t next = i + 1;
        while (next + 1 < m_bands.size() && m_bands[next].spans == m_bands[i].spans)
            ++next;
        const int top = m_bands[i].top, height = m_bands[next].top - top;
        for (const Span& s : m_bands[i].spans)
            rects.emplace_back(s.l, top, s.r - s.l, height);
        i = next;
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

bool CEraseList::CBandArea::Replay(const std::vector<_ERASERECT>& list) {
    // Every edge of every record is a band boundary from the start, so that no record splits a
    // band; bands left alike are joined at the end.
    struct Op {
        QRect r;
        bool erase;
    };
    std::vector<Op> ops;
    std::vector<int> edges;
    for (const _ERASERECT& e : list) {
        const QRect r = ToQRect(RECT{e.left, e.top, e.right, e.bottom});
        if (r.isEmpty())
            continue;
        ops.push_back(Op{r, e.nRestore == 0});
        edges.push_back(r.y());
        edges.push_back(r.y() + r.height());
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const auto indexOf = [&](int y) {
        return size_t(std::lower_bound(edges.begin(), edges.end(), y) - edges.begin());
    };
    // The band visits alone are known before any work: a list that is refused for them is refused
    // at once.
    qint64 work = 0;
    for (const Op& op : ops)
        work += kVisitCost * qint64(indexOf(op.r.y() + op.r.height()) - indexOf(op.r.y()));
    if (work > kReplayBudget)
        return false;

    m_bands.clear();
    m_bands.reserve(edges.size());
    for (int y : edges)
        m_bands.push_back(Band{y, {}});
    m_nSpans = 0;
    for (const Op& op : ops) {
        const int l = op.r.x(), right = op.r.x() + op.r.width();
        const size_t last = indexOf(op.r.y() + op.r.height());
        for (size_t i = indexOf(op.r.y()); i < last; ++i) {
            std::vector<Span>& spans = m_bands[i].spans;
            work += qint64(spans.size());
            m_nSpans += SetRun(spans, l, right, op.erase);
        }
        if (work > kReplayBudget || m_nSpans > kMaxSpans)
            return false;
    }
    if (!m_bands.empty())
        MergeEqual(0, m_bands.size() - 1);
    return true;
}
