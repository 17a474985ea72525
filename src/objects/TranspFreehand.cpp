#include "objects/TranspFreehand.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "platform/Archive.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <algorithm>
#include <climits>

CTranspFreehand::CTranspFreehand(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {}

CTranspFreehand::CTranspFreehand(IObjectHost* pView, const POINT* pPoints, int nCount,
                                 COLORREF crColor, int nLineWidth, int nPage)
    : CTranspGraphClass(pView, RECT{}, crColor, nLineWidth, nPage) {
    DEF_TRY
    if (pPoints && nCount > 0) m_points.assign(pPoints, pPoints + nCount);
    RecalcRect();
    DEF_CATCH
}

CTranspFreehand::CTranspFreehand(IObjectHost* pView, const QByteArray& block, int x, int y,
                                 int nPage)
    : CTranspGraphClass(pView, nPage) {
    DEF_TRY
    ReadBlock(block, x, y);
    DEF_CATCH
}

void CTranspFreehand::RecalcRect() {
    if (m_points.empty()) {
        m_rect = RECT{};
        return;
    }
    RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const POINT& p : m_points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    // One past the largest coordinates, so that a single point still covers a unit.
    r.right = AddCoord(r.right, 1);
    r.bottom = AddCoord(r.bottom, 1);
    m_rect = r;
}

void CTranspFreehand::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    CTranspGraphClass::GetRepaintRect(pRect);
    InflateRect(*pRect, 1, 1);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspFreehand::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC || m_points.empty()) return;
    std::vector<POINT> pts(m_points);
    for (POINT& p : pts)
        UnitToDevice(p, pDC, bPrinting, pDpi);
    int width = 0;
    if (bPrinting) {
        POINT w{m_nLineWidth, m_nLineWidth};
        UnitToDevice(w, pDC, TRUE, pDpi);
        width = w.x;
    } else {
        width = GetPixelLineWidth();
    }
    const LOGPEN oldPen = pDC->SelectPen(LOGPEN{PS_SOLID, width, GetOutlineColor(m_crColor)});
    if (width <= 1) {
        pDC->Polyline(pts.data(), int(pts.size()));
    } else {
        // Segment by segment, each with the pen's round ends, as the stroke was drawn: the ends
        // round the corners off, and this costs far less than joining a wide polyline.
        pDC->MoveTo(pts[0].x, pts[0].y);
        for (std::size_t i = 1; i < pts.size(); ++i)
            pDC->LineTo(pts[i].x, pts[i].y);
    }
    pDC->SelectPen(oldPen);
    if (!bPrinting) {
        RECT rc = m_rect;
        UnitToDevice(rc, pDC, FALSE, pDpi);
        DrawMarks(pDC, rc, TRUE);
    }
    DEF_CATCH
}

BOOL CTranspFreehand::IsEmpty() const {
    return m_points.empty();
}

void CTranspFreehand::MoveBy(int dx, int dy) {
    DEF_TRY
    RECT rcOld;
    GetRepaintRect(&rcOld);
    for (POINT& p : m_points) {
        p.x = AddCoord(p.x, dx);
        p.y = AddCoord(p.y, dy);
    }
    RecalcRect();
    Repaint(&rcOld);
    if (dx != 0 || dy != 0) SetModified();
    DEF_CATCH
}

void CTranspFreehand::Resize(int dx, int dy) {
    DEF_TRY
    if (m_nCapture == HIT_BODY) MoveBy(dx, dy);
    DEF_CATCH
}

void CTranspFreehand::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    const RECT current = m_rect;
    CTranspGraphClass::SetUndoState(pState);
    const LONG dx = SubCoord(m_rect.left, current.left);
    const LONG dy = SubCoord(m_rect.top, current.top);
    for (POINT& p : m_points) {
        p.x = AddCoord(p.x, dx);
        p.y = AddCoord(p.y, dy);
    }
    RecalcRect();
    DEF_CATCH
}

QByteArray CTranspFreehand::GetObData() const {
    DEF_TRY
    const qint64 total = FREEHAND_BLOCK_OVERHEAD + 8 * qint64(m_points.size());
    if (total > INT_MAX) return {};
    CObjectBlockWriter w{qsizetype(total)};
    w.Int32(std::int32_t(total)).Int32(CLIPKIND_FREEHAND).Int32(FREEHAND_BLOCK_VERSION).Int32(0);
    w.Double(g_dUnitScale).Int32(m_nLineWidth).Int32(std::int32_t(m_crColor));
    w.Int32(std::int32_t(m_points.size()));
    for (const POINT& p : m_points)
        w.Int32(p.x).Int32(p.y);
    w.Zeros(total - w.Size());
    return w.Block();
    DEF_CATCH
    return {};
}

std::unique_ptr<CTranspFreehand>
CTranspFreehand::FromBlock(IObjectHost* pView, const QByteArray& block, POINT pt, int nPage) {
    DEF_TRY
    auto obj = std::make_unique<CTranspFreehand>(pView, block, pt.x, pt.y, nPage);
    if (!obj->IsEmpty()) return obj;
    DEF_CATCH
    return nullptr;
}

bool CTranspFreehand::ReadBlock(const QByteArray& block, int x, int y) {
    const CObjectBlockReader r(block);
    if (!r.IsValid() || r.GetKind() != CLIPKIND_FREEHAND) return false;
    std::int32_t version = 0, width = 0, color = 0, count = 0;
    double unitScale = 0.0;
    if (!r.Int32(8, version) || version < 1 || !r.Double(16, unitScale) ||
        !IsValidUnitScale(unitScale) || !r.Int32(FREEHAND_BLOCK_WIDTH, width) ||
        !r.Int32(FREEHAND_BLOCK_COLOR, color) || !r.Int32(FREEHAND_BLOCK_COUNT, count))
        return false;
    // The count is believed only as far as the block holds the points it counts.
    if (count <= 0 || !r.Has(FREEHAND_BLOCK_POINTS, 8 * qint64(count))) return false;
    std::vector<POINT> points(std::size_t(count), POINT{});
    for (std::int32_t i = 0; i < count; ++i) {
        const qint64 at = FREEHAND_BLOCK_POINTS + 8 * qint64(i);
        r.Int32(at, points[std::size_t(i)].x);
        r.Int32(at + 4, points[std::size_t(i)].y);
    }
    g_dUnitScale = unitScale;
    m_nLineWidth = width;
    m_crColor = COLORREF(color);
    m_points = std::move(points);
    RecalcRect();
    // The stroke's bounding box lands with its top-left on the paste point.
    const LONG dx = SubCoord(x, m_rect.left);
    const LONG dy = SubCoord(y, m_rect.top);
    for (POINT& p : m_points) {
        p.x = AddCoord(p.x, dx);
        p.y = AddCoord(p.y, dy);
    }
    RecalcRect();
    return true;
}

void CTranspFreehand::Serialize(CArchive& ar) {
    DEF_TRY
    SerializeRecord(ar);
    DEF_CATCH_RECORD
}

void CTranspFreehand::SerializeRecord(CArchive& ar) {
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        CRecordFrameWriter writer(RECORD_SIZE_FREEHAND, RECORD_VERSION_FREEHAND);
        writer.Fixed() << std::uint32_t(m_crColor) << std::int32_t(m_nLineWidth)
                       << std::int32_t(m_points.size()) << std::int32_t(m_nPage);
        for (const POINT& p : m_points)
            writer.Variable() << std::int32_t(dpi.StoreX(p.x)) << std::int32_t(dpi.StoreY(p.y));
        writer.WriteTo(ar);
        return;
    }

    // Read into locals first: a refused record leaves the stroke as it was.
    CRecordFrameReader reader(ar, RECORD_SIZE_FREEHAND);
    CArchive& f = reader.Fixed();
    std::uint32_t color = m_crColor;
    std::int32_t width = m_nLineWidth, count = 0, page = m_nPage;
    if (reader.HasField(16, 4)) f >> color;
    if (reader.HasField(20, 4)) f >> width;
    if (reader.HasField(24, 4)) f >> count;
    if (reader.HasField(28, 4)) f >> page;
    // A negative count, or one the record has no room for, refuses the record before anything is
    // allocated.
    reader.CheckVariableCount(count, 8);
    std::vector<POINT> points(std::size_t(count), POINT{});
    CArchive& v = reader.Archive();
    for (POINT& p : points) {
        std::int32_t px = 0, py = 0;
        v >> px >> py;
        p = POINT{dpi.LoadX(px), dpi.LoadY(py)};
    }
    reader.End();
    m_crColor = color;
    m_nLineWidth = width;
    m_nPage = page;
    m_points = std::move(points);
    RecalcRect();
}
