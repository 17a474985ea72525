#pragma once
// CViewMarks: what the page tools leave on a view between their gestures, and how it is drawn:
// the reference points of straightening and the crop and cut rectangles (page pixels), and the
// base-point tool's cross lines (client pixels). The view draws them as the last layers of every
// repaint, so a repaint can neither lose them nor leave stale inverted lines behind; changing a
// mark repaints the pixels it covered and covers now.

#include "platform/WinTypes.h"

#include <vector>

class CDC;
class CViewGeometry;
class IObjectHost;

class CViewMarks {
public:
    static constexpr int kMaxRefPoints = 2;
    static constexpr POINT kNoCrossLines{-1, -1};

    CViewMarks(const CViewGeometry& geometry, IObjectHost& host);

    // Reference points in page pixels, in the order they were set; at most two.
    const std::vector<POINT>& GetRefPoints() const { return m_refPoints; }
    bool AddRefPoint(POINT ptPage); // false (nothing added) when two exist already
    void MoveRefPoint(int index, POINT ptPage);
    void DeleteRefPoints();
    // Repaints, without erasing, the marker of one reference point.
    void RepaintRefPoint(int index) const;

    // The crop and cut rectangles in page pixels; empty when none is set.
    RECT GetCropRect() const { return m_rcCrop; }
    void SetCropRect(const RECT& rcPage);
    RECT GetCutRect() const { return m_rcCut; }
    void SetCutRect(const RECT& rcPage);

    // The cross lines' point in client pixels; kNoCrossLines when none are drawn.
    POINT GetCrossLinePos() const { return m_ptCrossLine; }
    void SetCrossLinePos(POINT ptClient);
    void KillCrossLines() { SetCrossLinePos(kNoCrossLines); }

    // The view position (view pixels) of reference point `index`: at scales above 1 the centre
    // of the magnified page pixel.
    POINT RefPointViewPos(int index) const;
    // Reference points whose marker meets rcImageView, then the crop and the cut rectangle, in
    // view pixels on pDC.
    void DrawPageMarks(CDC* pDC, const RECT& rcImageView) const;
    // The cross lines across the whole client area, in client pixels on pDC.
    void DrawCrossLines(CDC* pDC) const;

    // The tools' own feedback shapes, each drawn inverted so that drawing it twice removes it.
    // The marker of a reference point: a cross in a circle around pt.
    static RECT RefPointMarkerRect(POINT pt);
    static void DrawRefPointMarker(CDC* pDC, POINT pt);
    static void DrawCropRect(CDC* pDC, const RECT& rc);
    static void DrawCutRect(CDC* pDC, const RECT& rc); // dotted, gaps left as they are
    static void DrawCrossLines(CDC* pDC, POINT pt, const RECT& rcClient);

private:
    void InvalidatePageRect(const RECT& rcPage) const;
    void InvalidateCrossLines(POINT pt) const;

    const CViewGeometry& m_geometry;
    IObjectHost& m_host;
    std::vector<POINT> m_refPoints;
    RECT m_rcCrop{};
    RECT m_rcCut{};
    POINT m_ptCrossLine = kNoCrossLines;
};
