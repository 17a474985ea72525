#pragma once
// Hand-built little-endian bytes and record round trips for the object and document file tests,
// and pixel probes for the object tests of freehand strokes and pictures.

#include "objects/TranspBaseClass.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdint>
#include <cstring>
#include <initializer_list>

// Hand-built little-endian bytes.
class Bytes {
public:
    Bytes& U8(std::uint8_t v) {
        m_bytes += char(v);
        return *this;
    }
    Bytes& U16(std::uint16_t v) { return U8(std::uint8_t(v)).U8(std::uint8_t(v >> 8)); }
    Bytes& I16(std::int16_t v) { return U16(std::uint16_t(v)); }
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
    Bytes& Raw(const QByteArray& b) {
        m_bytes += b;
        return *this;
    }
    Bytes& Zeros(int n) {
        m_bytes.append(n, '\0');
        return *this;
    }
    // An archive string: int32 length, the bytes.
    Bytes& Str(const QByteArray& s) { return I32(std::int32_t(s.size())).Raw(s); }
    // The toolkit's string: one length byte (shorter than 255 characters here), the bytes.
    Bytes& CStr(const QByteArray& s) { return U8(std::uint8_t(s.size())).Raw(s); }
    // The head of an object record: L, S, then S, version and the unit scale of the structure.
    Bytes& RecordHead(std::int32_t structSize, std::int32_t version, double unitScale = 0.00001) {
        return I32(4 + structSize).I32(structSize).I32(structSize).I32(version).F64(unitScale);
    }
    // The head of a data block: size, kind, version, 4 zero bytes, the unit scale.
    Bytes& BlockHead(std::int32_t size, std::int32_t kind, std::int32_t version,
                     double unitScale = 0.00001) {
        return I32(size).I32(kind).I32(version).Zeros(4).F64(unitScale);
    }
    int size() const { return int(m_bytes.size()); }
    QByteArray bytes() const { return m_bytes; }
    operator QByteArray() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The object's stored record (without the kind code the document writes in front).
inline QByteArray StoreRecord(CTranspBaseClass& obj) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    obj.Serialize(ar);
    return bytes;
}

// Loads a record into obj; false when it was refused with an archive exception. *pEnd receives
// where reading stopped.
inline bool LoadRecord(CTranspBaseClass& obj, QByteArray bytes, qint64* pEnd = nullptr) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    try {
        obj.Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    if (pEnd)
        *pEnd = buf.pos();
    return true;
}

// Whether the pixel is within `tolerance` of the colour on every component.
inline bool Near(const QImage& img, int x, int y, QColor c, int tolerance = 40) {
    const QColor p = img.pixelColor(x, y);
    return std::abs(p.red() - c.red()) <= tolerance && std::abs(p.green() - c.green()) <= tolerance &&
           std::abs(p.blue() - c.blue()) <= tolerance;
}

// Whether any pixel in the square of side 2r+1 around (x, y) is within tolerance of c.
inline bool NearAround(const QImage& img, int x, int y, int r, QColor c, int tolerance = 40) {
    for (int yy = y - r; yy <= y + r; ++yy)
        for (int xx = x - r; xx <= x + r; ++xx)
            if (img.rect().contains(xx, yy) && Near(img, xx, yy, c, tolerance))
                return true;
    return false;
}
