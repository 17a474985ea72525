#include "view/ViewPainter.h"

#include "document/LumidorDoc.h"
#include "objects/TranspBaseClass.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

const QImage* CViewPainter::PaintableImage() {
    const _PAGEINFO* p = m_view.m_pDoc ? m_view.m_pDoc->GetPageInfo(m_view.m_nActivePage) : nullptr;
    if (!p || !p->m_Bitmap.IsAllocated()) return nullptr;
    const QImage& src = p->m_Bitmap.GetImage();
    // Rows are painted one by one; a 1-bit or paletted image converted for every row would cost
    // a whole conversion per row, so one converted copy is kept per image.
    if (src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32) return &src;
    if (m_paintImage.isNull() || m_paintImageKey != src.cacheKey()) {
        m_paintImage = src.convertToFormat(QImage::Format_RGB32);
        m_paintImageKey = src.cacheKey();
    }
    return &m_paintImage;
}

void CViewPainter::DrawScreen(CDC* pDC, const QRegion& region) {
    DEF_TRY
    if (!pDC || !pDC->IsValid()) return;
    std::vector<RECT> objectRects;
    if (const CObjectList* list = m_view.m_pDoc ? m_view.m_pDoc->GetObjectsList(m_view.m_nActivePage) : nullptr) {
        objectRects.reserve(list->size());
        for (const auto& o : *list) {
            RECT rc{};
            o->GetRepaintRect(&rc);
            objectRects.push_back(rc);
        }
    }
    for (const QRect& r : region)
        DrawPage(pDC, RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, &objectRects);
    // What goes over the page is drawn once for the whole region: an outline clipped to each
    // rectangle in turn would be traced once per rectangle.
    const int saved = pDC->SaveDC();
    pDC->SelectClipRgn(&region);
    DrawOverlays(pDC);
    pDC->RestoreDC(saved);
    DEF_CATCH
}

void CViewPainter::DrawScreen(CDC* pDC, const RECT& rcUpdate, const std::vector<RECT>* objectRects) {
    DEF_TRY
    if (!pDC || !pDC->IsValid()) return;
    DrawPage(pDC, rcUpdate, objectRects);
    const int saved = pDC->SaveDC();
    pDC->IntersectClipRect(rcUpdate);
    DrawOverlays(pDC);
    pDC->RestoreDC(saved);
    DEF_CATCH
}

void CViewPainter::DrawOverlays(CDC* pDC) {
    // The cross lines span the whole client area, the workspace beside the canvas included; the
    // running gesture's feedback goes over everything.
    if (m_view.m_marks.GetCrossLinePos() != CViewMarks::kNoCrossLines) m_view.m_marks.DrawCrossLines(pDC);
    m_view.m_mouse.Paint(pDC);
}

void CViewPainter::DrawPage(CDC* pDC, const RECT& rcUpdate, const std::vector<RECT>* objectRects) {
    DEF_TRY
    const int saved = pDC->SaveDC();
    const double s = m_view.m_geometry.GetScale();
    const POINT scroll = m_view.m_geometry.GetScrollPosition();
    RECT rcPageRegion{0, 0, m_view.m_szCanvas.cx, m_view.m_szCanvas.cy};
    m_view.m_geometry.PageToView(rcPageRegion);

    RECT rcPaint = rcUpdate;
    if (rcPaint.left > rcPaint.right) std::swap(rcPaint.left, rcPaint.right);
    if (rcPaint.top > rcPaint.bottom) std::swap(rcPaint.top, rcPaint.bottom);
    RECT rcWork{rcPaint.left + scroll.x, rcPaint.top + scroll.y, rcPaint.right + scroll.x,
                rcPaint.bottom + scroll.y};
    // Partly covered magnified pixels are repainted whole.
    if (s > 1) {
        rcWork.right += LONG(s);
        rcWork.bottom += LONG(s);
    }
    IntersectRect(rcWork, rcWork, rcPageRegion);
    if (rcWork.IsRectEmpty()) {
        pDC->RestoreDC(saved);
        return;
    }

    QImage buffer;
    std::unique_ptr<CDC> memDC;
    CDC* dc = pDC;
    if (!m_view.m_bFormView) {
        buffer = QImage(int(rcWork.right - rcWork.left), int(rcWork.bottom - rcWork.top),
                        QImage::Format_RGB32);
        if (buffer.isNull()) {
            pDC->RestoreDC(saved);
            return;
        }
        buffer.fill(Qt::white);
        memDC = std::make_unique<CDC>(&buffer);
        memDC->SetLogPixelsOverride(m_view.m_ptScreenRes.x, m_view.m_ptScreenRes.y);
        memDC->SetViewportOrg(-rcWork.left, -rcWork.top);
        dc = memDC.get();
    } else {
        pDC->SetViewportOrg(-scroll.x, -scroll.y);
    }
    dc->IntersectClipRect(rcWork);

    // Page image, each destination row from its source row, stretched over the full width.
    RECT rcImage{};
    const _PAGEINFO* p = m_view.m_pDoc ? m_view.m_pDoc->GetPageInfo(m_view.m_nActivePage) : nullptr;
    const QImage* image = (p && m_view.m_bShowPageImage) ? PaintableImage() : nullptr;
    if (image) {
        POINT pos = m_view.m_pDoc->GetPageImagePos(m_view.m_nActivePage);
        m_view.m_geometry.UnitToPage(pos);
        RECT rcFull{pos.x, pos.y, pos.x + image->width(), pos.y + image->height()};
        m_view.m_geometry.PageToView(rcFull);
        IntersectRect(rcImage, rcFull, rcWork);
        if (!rcImage.IsRectEmpty()) {
            dc->SetStretchBltMode(COLORONCOLOR);
            auto toSource = [s](LONG v) { return s > 0 ? LONG(v / s) : LONG(v * std::fabs(s)); };
            if (!m_view.m_bFormView && image->format() == QImage::Format_RGB32) {
                PaintImageRows(buffer, rcWork, rcImage, rcFull, *image);
            } else if (!m_view.m_bFormView) {
                // One destination row at a time, each from its own source row over the full width.
                const LONG strip = std::max<LONG>(1, LONG(s > 0 ? s : 1));
                for (LONG y = rcImage.top; y < rcImage.bottom; ++y) {
                    const LONG row = toSource(y - rcFull.top);
                    if (row < 0 || row >= image->height()) continue;
                    dc->StretchBlt(RECT{rcFull.left, y, rcFull.right, y + strip}, *image,
                                   RECT{0, row, image->width(), row + 1}, SRCCOPY);
                }
            } else {
                // Straight to the window: the visible part in one step.
                RECT src{toSource(rcImage.left - rcFull.left), toSource(rcImage.top - rcFull.top),
                         toSource(rcImage.right - rcFull.left),
                         toSource(rcImage.bottom - rcFull.top)};
                src.right = std::min<LONG>(src.right, image->width());
                src.bottom = std::min<LONG>(src.bottom, image->height());
                if (!src.IsRectEmpty()) dc->StretchBlt(rcImage, *image, src, SRCCOPY);
            }
            // Erased areas: the erase list's region, without the uneraser's preview (which shows
            // the image under the cursor), in view pixels, filled white.
            QRegion erased = p->m_EraseList.GetRegion();
            if (!m_view.m_rcUneraserPreview.IsRectEmpty()) {
                erased -= QRect(QPoint(int(m_view.m_rcUneraserPreview.left), int(m_view.m_rcUneraserPreview.top)),
                                QPoint(int(m_view.m_rcUneraserPreview.right) - 1,
                                       int(m_view.m_rcUneraserPreview.bottom) - 1));
                m_view.m_rcPrevUneraserPreview = m_view.m_rcUneraserPreview;
                m_view.m_rcUneraserPreview = RECT{};
            }
            for (const QRect& e : erased) {
                RECT rc{e.left(), e.top(), e.right() + 1, e.bottom() + 1};
                m_view.m_geometry.PageToView(rc);
                RECT vis;
                if (IntersectRect(vis, rc, rcWork)) dc->FillSolidRect(vis, RGB(255, 255, 255));
            }
        }
    }

    // The canvas outside the image is white.
    {
        QRegion canvas(QRect(int(rcWork.left), int(rcWork.top), int(rcWork.right - rcWork.left),
                             int(rcWork.bottom - rcWork.top)));
        if (!rcImage.IsRectEmpty())
            canvas -= QRect(int(rcImage.left), int(rcImage.top), int(rcImage.right - rcImage.left),
                            int(rcImage.bottom - rcImage.top));
        for (const QRect& r : canvas)
            dc->FillSolidRect(RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                              RGB(255, 255, 255));
    }

    // Grid dots, only while snapping is on.
    if (m_view.m_bSnapToGrid && m_view.m_nGridX > 0 && m_view.m_nGridY > 0) {
        RECT rcUnits = rcWork;
        m_view.m_geometry.ViewToPage(rcUnits);
        m_view.m_geometry.PageToUnit(rcUnits);
        const LONG i0 = rcUnits.left / m_view.m_nGridX, i1 = rcUnits.right / m_view.m_nGridX + 1;
        const LONG j0 = rcUnits.top / m_view.m_nGridY, j1 = rcUnits.bottom / m_view.m_nGridY + 1;
        for (LONG j = j0; j < j1; ++j)
            for (LONG i = i0; i < i1; ++i) {
                POINT pt{LONG(i * m_view.m_nGridX), LONG(j * m_view.m_nGridY)};
                m_view.m_geometry.UnitToPage(pt);
                m_view.m_geometry.PageToView(pt);
                if (pt.x >= rcWork.left && pt.x < rcWork.right && pt.y >= rcWork.top &&
                    pt.y < rcWork.bottom)
                    dc->SetPixel(pt.x, pt.y, RGB(0, 0, 0));
            }
    }

    // Objects in list order, later ones on top, never outside the page.
    dc->SelectClipRgn(nullptr);
    dc->IntersectClipRect(rcWork); // already within the page region
    if (p) {
        const bool known = objectRects && objectRects->size() == p->m_ObjectsList.size();
        for (std::size_t i = 0; i < p->m_ObjectsList.size(); ++i) {
            const auto& o = p->m_ObjectsList[i];
            RECT rc{};
            if (known) rc = (*objectRects)[i];
            else o->GetRepaintRect(&rc);
            RECT meet;
            if (IntersectRect(meet, rc, rcPaint)) o->DrawScreen(dc, FALSE, nullptr);
        }
    }

    // What the page tools left: reference points on the image, crop and cut rectangles.
    m_view.m_marks.DrawPageMarks(dc, rcImage);

    // Paper outside the printable area is tinted, its content still showing through.
    RECT rcPrintable = m_view.m_rcPrintable;
    m_view.m_geometry.PageToView(rcPrintable);
    QRegion unprintable(QRect(QPoint(int(rcPageRegion.left), int(rcPageRegion.top)),
                              QPoint(int(rcPageRegion.right) - 1, int(rcPageRegion.bottom) - 1)));
    if (!rcPrintable.IsRectEmpty())
        unprintable -= QRect(QPoint(int(rcPrintable.left), int(rcPrintable.top)),
                             QPoint(int(rcPrintable.right) - 1, int(rcPrintable.bottom) - 1));
    if (!unprintable.isEmpty()) {
        const int tint = dc->SaveDC();
        dc->SelectPen(LOGPEN{PS_NULL, 1, 0});
        dc->SelectBrush(LOGBRUSH{BS_SOLID, RGB(0xE8, 0xE8, 0xE8)});
        dc->SetROP2(R2_NOTXORPEN);
        // Without an outline a rectangle fills one pixel short on the right and bottom.
        for (const QRect& r : unprintable)
            dc->Rectangle(r.left(), r.top(), r.right() + 2, r.bottom() + 2);
        dc->RestoreDC(tint);
    }
    dc->SelectClipRgn(nullptr);

    if (memDC) {
        memDC.reset();
        QPainter* painter = pDC->GetPainter();
        painter->drawImage(QPoint(int(rcWork.left - scroll.x), int(rcWork.top - scroll.y)), buffer);
    }
    pDC->RestoreDC(saved);
    DEF_CATCH
}

void CViewPainter::PaintImageRows(QImage& buffer, const RECT& rcWork, const RECT& rcImage,
                                  const RECT& rcFull, const QImage& image) const {
    // Each view pixel takes the source pixel its row and column fall on, the same rule for both
    // axes: v / s truncated when magnifying, v * |s| truncated when reducing.
    const double s = m_view.m_geometry.GetScale();
    const auto toSource = [s](LONG v) { return s > 0 ? LONG(v / s) : LONG(v * std::fabs(s)); };
    const int x0 = int(rcImage.left), x1 = int(rcImage.right);
    std::vector<int> columns(std::size_t(std::max(0, x1 - x0)));
    for (int x = x0; x < x1; ++x)
        columns[std::size_t(x - x0)] =
            std::clamp<int>(int(toSource(x - rcFull.left)), 0, image.width() - 1);
    for (LONG y = rcImage.top; y < rcImage.bottom; ++y) {
        const LONG row = toSource(y - rcFull.top);
        if (row < 0 || row >= image.height()) continue;
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(int(row)));
        auto* dst = reinterpret_cast<QRgb*>(buffer.scanLine(int(y - rcWork.top))) + (x0 - rcWork.left);
        for (std::size_t i = 0; i < columns.size(); ++i)
            dst[i] = src[columns[i]];
    }
}
