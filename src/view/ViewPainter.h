#pragma once
// CViewPainter: how a view paints its page. Every repaint is composed off screen from the page
// layers (image rows, erased areas, white canvas, grid dots, objects, the tools' marks, the tint
// outside the printable area), then the cross lines and the running gesture's feedback go over
// it. A repaint paints each rectangle of its region, the objects' repaint rectangles found once,
// so that a drag step costs what the strips it changed cost.

#include "platform/WinTypes.h"

#include <QImage>
#include <QRegion>
#include <vector>

class CDC;
class CLumidorView;

class CViewPainter {
public:
    explicit CViewPainter(CLumidorView& view) : m_view(view) {}

    // Paints each rectangle of a client region into pDC (client pixels).
    void DrawScreen(CDC* pDC, const QRegion& region);
    // Paints one client rectangle; `objectRects` holds every object's repaint rectangle when the
    // caller found them already.
    void DrawScreen(CDC* pDC, const RECT& rcUpdate, const std::vector<RECT>* objectRects);

private:
    // The page layers, clipped to the canvas.
    void DrawPage(CDC* pDC, const RECT& rcUpdate, const std::vector<RECT>* objectRects);
    // The cross lines and the running gesture's feedback, over the page and the workspace.
    void DrawOverlays(CDC* pDC);
    // The page image's rows for the visible part, sampled straight into the off-screen buffer.
    void PaintImageRows(QImage& buffer, const RECT& rcWork, const RECT& rcImage,
                        const RECT& rcFull, const QImage& image) const;
    // The page image converted once for painting rows, rebuilt when the image changes.
    const QImage* PaintableImage();

    CLumidorView& m_view;
    QImage m_paintImage;
    qint64 m_paintImageKey = 0;
};
