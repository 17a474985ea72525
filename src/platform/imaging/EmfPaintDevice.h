#pragma once
// CEmfPaintDevice: a paint device that records QPainter drawing as an enhanced metafile through
// libuemf. Lines, polylines, rectangles, ellipses, polygons, paths, text with its font and images
// become EMF records in device pixels; the header names the device's size in pixels and in
// millimetres, so that playing the metafile back at its reference size reproduces the drawing.
//
//   CEmfPaintDevice emf(QSize(2480, 3508), 300, 300);
//   QPainter p(&emf);
//   ... draw ...
//   p.end();
//   emf.SaveAs(path);

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <memory>

class CEmfPaintEngine;

class CEmfPaintDevice : public QPaintDevice {
public:
    CEmfPaintDevice(QSize sizePixels, int dpiX, int dpiY);
    ~CEmfPaintDevice() override;
    CEmfPaintDevice(const CEmfPaintDevice&) = delete;
    CEmfPaintDevice& operator=(const CEmfPaintDevice&) = delete;

    QPaintEngine* paintEngine() const override;

    // The whole metafile once the painter has ended; empty before, or when recording failed.
    QByteArray GetBytes() const;
    // Writes the metafile; a result code of the imaging layer.
    int SaveAs(const QString& path) const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    int m_dpiX;
    int m_dpiY;
    std::unique_ptr<CEmfPaintEngine> m_engine;
};
