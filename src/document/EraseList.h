#pragma once
// CEraseList: the rectangles the user erased from, or restored to, one page image, in the order
// they were made, and the region they leave erased (erased rectangles united, restored ones cut
// out, in list order). Coordinates are page pixels. The list is stored with its page in the
// document file and rebuilt from the records when read.

#include "platform/WinTypes.h"

#include <QRegion>
#include <cstddef>
#include <vector>

class CArchive;

// One record of the list, also its stored form (20 bytes).
struct _ERASERECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG nRestore = 0; // 0 erased area, 1 restored (unerased) area
    friend bool operator==(const _ERASERECT&, const _ERASERECT&) = default;
};
static_assert(sizeof(_ERASERECT) == 20);
static_assert(offsetof(_ERASERECT, top) == 4 && offsetof(_ERASERECT, right) == 8 &&
              offsetof(_ERASERECT, bottom) == 12 && offsetof(_ERASERECT, nRestore) == 16);
constexpr int ERASERECT_SIZE = 20;

class CEraseList {
public:
    // Records an erased rectangle; true when it widened the erased region or was the first record.
    BOOL AddErased(const RECT& rect);
    // Records a restored rectangle; true when it touched the erased region.
    BOOL AddUnerased(const RECT& rect);

    // Storing: L (count * 20 + 8), the page index, the count and the records. Loading: the caller
    // has read the kind, L and (for kind 12) the page index; the count and the records follow, and
    // the region is rebuilt by replaying them. A count that the remaining bytes cannot hold is
    // refused before anything is read.
    void Serialize(CArchive& ar, int nPage);

    const QRegion& GetRegion() const { return m_region; }
    const std::vector<_ERASERECT>& GetRects() const { return m_list; }
    int GetCount() const { return int(m_list.size()); }
    bool IsEmpty() const { return m_list.empty(); }
    void RemoveAll();

    // The rectangle of a record as a region operand: normalised, its coordinates held within the
    // range QRegion computes without overflow.
    static QRect ToQRect(const RECT& rect);

private:
    // The region from the records, replayed in list order.
    void Rebuild();

    std::vector<_ERASERECT> m_list;
    QRegion m_region;
};
