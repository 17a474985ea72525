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
    // refused before anything is read, a list far beyond anything the eraser makes before it is
    // replayed to the end; either leaves the list as it was.
    void Serialize(CArchive& ar, int nPage);

    // The erased region, made from the bands when it is first asked for after a change: an eraser
    // stroke changes the list far more often than the view paints.
    const QRegion& GetRegion() const;
    const std::vector<_ERASERECT>& GetRects() const { return m_list; }
    int GetCount() const { return int(m_list.size()); }
    bool IsEmpty() const { return m_list.empty(); }
    void RemoveAll();

    // The rectangle of a record as a region operand: normalised, its coordinates held within the
    // range QRegion computes without overflow.
    static QRect ToQRect(const RECT& rect);

private:
    // A run of erased pixels [l, r) of one band.
    struct Span {
        int l;
        int r;
        friend bool operator==(const Span&, const Span&) = default;
    };
    // Rows from `top` down to the next band's top, all erased in the same runs, which are sorted
    // left to right and neither overlap nor touch.
    struct Band {
        int top;
        std::vector<Span> spans;
    };
    // The erased area as bands sorted by top. Nothing above the first band is erased, and the last
    // band, which reaches down without end, is empty. A step of the eraser changes only the bands
    // its rectangle spans, a few runs in each.
    class CBandArea {
    public:
        // The area the records leave, replayed in list order. False when replaying would take far
        // more work or memory than any list an eraser makes, which only a made-up file asks for.
        bool Replay(const std::vector<_ERASERECT>& list);
        // Erases (or restores) the rectangle, which is normalised and not empty.
        void Apply(const QRect& r, bool erase);
        bool Covers(const QRect& r) const;
        bool Intersects(const QRect& r) const;
        bool IsEmpty() const { return m_nSpans == 0; }
        QRegion ToRegion() const;

    private:
        // Sets the run [l, r) of one band erased or restored; the change in its number of runs.
        static int SetRun(std::vector<Span>& spans, int l, int r, bool erase);
        // The band holding row y; the number of bands when y lies above the first one.
        size_t BandAt(int y) const;
        // Makes row y the top of a band (a copy of the band it cut); that band's index.
        size_t SplitAt(int y);
        // Joins bands from..to (inclusive) that read like the one above them.
        void MergeEqual(size_t from, size_t to);

        std::vector<Band> m_bands;
        qint64 m_nSpans = 0;
    };

    std::vector<_ERASERECT> m_list;
    CBandArea m_area;
    mutable QRegion m_region;
    mutable bool m_bRegionMade = true;
};
