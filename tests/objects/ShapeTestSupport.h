#pragma once
// What the shape tests share: a host at a realistic scale (1000 text units to a page pixel, so
// the fixed lengths of arrowheads and brackets come out at a few pixels), hand-built
// little-endian bytes, record and block round trips, and pixel probes of drawings.

#include "TestObjectHost.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspBaseClass.h"
#include "platform/Archive.h"
#include "platform/DC.h"

#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <cstring>
#include <initializer_list>

// In a namespace of their own: other object tests have helpers of the same names.
namespace shapetest {

// A page of 100 dpi seen at 100 %: 1000 text units are one page pixel, one view pixel and, with
// no scroll, one client pixel.
class CShapeHost : public CTestObjectHost {
public:
    CShapeHost() { geometry.SetUnitScale(0.00001); }
};

// Puts back the program-wide values a test changes (blocks and records set the unit scale; the
// record scaling follows the screen resolution override).
class CShapeTestScope {
public:
    CShapeTestScope() : m_dpi(qgetenv("BRELLIN_SCREEN_DPI")) {
        g_dUnitScale = 0.00001;
        qputenv("BRELLIN_SCREEN_DPI", "96");
    }
    ~CShapeTestScope() {
        g_dUnitScale = 0.00001;
        if (m_dpi.isNull())
            qunsetenv("BRELLIN_SCREEN_DPI");
        else
            qputenv("BRELLIN_SCREEN_DPI", m_dpi);
    }

private:
    QByteArray m_dpi;
};

// Hand-built little-endian bytes.
class Bytes {
public:
    Bytes& I32(std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            m_bytes += char((std::uint32_t(v) >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& I32s(std::initializer_list<std::int32_t> values) {
        for (const std::int32_t v : values)
            I32(v);
        return *this;
    }
    Bytes& F64(double d) {
        std::uint64_t u;
        std::memcpy(&u, &d, 8);
        for (int i = 0; i < 8; ++i)
            m_bytes += char((u >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& Zeros(int n) {
        m_bytes.append(n, '\0');
        return *this;
    }
    // The head of a record: L, S, then S, version and the unit scale of the structure.
    Bytes& RecordHead(std::int32_t structSize, std::int32_t version, double unitScale = 0.00001) {
        return I32(4 + structSize).I32(structSize).I32(structSize).I32(version).F64(unitScale);
    }
    // The head of a data block: size, kind, version, 4 zero bytes, the unit scale.
    Bytes& BlockHead(std::int32_t size, std::int32_t kind, std::int32_t version,
                     double unitScale = 0.00001) {
        return I32(size).I32(kind).I32(version).Zeros(4).F64(unitScale);
    }
    QByteArray bytes() const { return m_bytes; }
    operator QByteArray() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The record an object stores.
inline QByteArray StoreRecord(CTranspBaseClass& obj) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    obj.Serialize(ar);
    return bytes;
}

// Loads a record into obj; false when the archive refused it. *pConsumed: the bytes read.
inline bool LoadRecord(CTranspBaseClass& obj, QByteArray bytes, qint64* pConsumed = nullptr) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    try {
        obj.Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    if (pConsumed) *pConsumed = buf.pos();
    return true;
}

inline QImage WhiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

inline bool IsInk(const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
}

// Ink within `tol` pixels of (x, y).
inline bool InkNear(const QImage& image, int x, int y, int tol = 1) {
    for (int dy = -tol; dy <= tol; ++dy)
        for (int dx = -tol; dx <= tol; ++dx)
            if (IsInk(image, x + dx, y + dy)) return true;
    return false;
}

// Pixels that are not white inside the rectangle.
inline int InkIn(const QImage& image, const RECT& rc) {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += IsInk(image, x, y);
    return n;
}

inline int InkCount(const QImage& image) {
    return InkIn(image, RECT{0, 0, image.width(), image.height()});
}

// Draws the object into a white image, on screen (DrawScreen) or for output at 300 dpi.
inline QImage DrawShape(CTranspBaseClass& obj, bool printing, int w = 200, int h = 160) {
    QImage image = WhiteImage(w, h);
    {
        CDC dc(&image);
        if (printing) {
            const POINT dpi{300, 300};
            obj.Draw(&dc, TRUE, &dpi);
        } else {
            obj.DrawScreen(&dc, FALSE, nullptr);
        }
    }
    return image;
}

} // namespace shapetest
