#pragma once
// Object data blocks, the content of the object clipboard format:
//
//   int32 total size   int32 clipboard kind   kind-specific data (a version first; every kind but
//                                             the group block has the unit scale at offset 16)
//
// Most kinds follow the common head: int32 version, 4 zero bytes, the unit scale (double) at 16,
// then the kind's fields from offset 24. Blocks come from the clipboard, drag-and-drop, the shelf
// and other running copies, so a reader trusts nothing: every field is read through bounds checks,
// and the declared size is checked against the bytes actually present.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <initializer_list>

// Size of the total-size and kind fields every block starts with.
constexpr int BLOCK_PREFIX_SIZE = 8;
// The common head of a block: size, kind, version and unit scale.
constexpr LONG OBJECT_BLOCK_HEAD_SIZE = 24;

struct OBJECTBLOCKHEAD {
    LONG nSize = 0;
    LONG nKind = 0;
    LONG nVersion = 0;
    double dUnitScale = 0.0;
};

// A zero-filled block of nSize bytes with its head written (the current unit scale); empty when
// nSize cannot hold the head.
QByteArray MakeObjectBlock(LONG nSize, LONG nKind, LONG nVersion);
// A 32-bit field at offset; ignored (or 0 when read) outside the block's bytes.
void PutBlockLong(QByteArray& block, int offset, LONG value);
LONG GetBlockLong(const QByteArray& block, int offset);
// Reads the head of a block of one of the kinds, at least nMinSize bytes long by its own size
// field and no longer than its bytes, with a version of 1 or more and a valid unit scale.
bool ReadObjectBlockHead(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize,
                         OBJECTBLOCKHEAD& head);

// Little-endian fields of a block, each answered only when it lies inside the declared size.
class CObjectBlockReader {
public:
    // The declared size must be at least the prefix and at most the bytes present; the bytes
    // beyond it are not part of the block.
    explicit CObjectBlockReader(const QByteArray& block);

    bool IsValid() const { return m_nSize > 0; }
    // The declared size; 0 when the block is not valid.
    qint64 GetSize() const { return m_nSize; }
    LONG GetKind() const;
    bool Has(qint64 offset, qint64 width) const {
        return offset >= 0 && width >= 0 && offset <= m_nSize && width <= m_nSize - offset;
    }
    bool Int32(qint64 offset, std::int32_t& v) const { return Read(offset, v); }
    bool Int16(qint64 offset, std::int16_t& v) const { return Read(offset, v); }
    bool Double(qint64 offset, double& v) const { return Read(offset, v); }
    // count bytes from offset; a null array when they are not all inside the block.
    QByteArray Bytes(qint64 offset, qint64 count) const;

private:
    template <class T> bool Read(qint64 offset, T& v) const {
        if (!Has(offset, qint64(sizeof(T)))) return false;
        v = qFromLittleEndian<T>(m_block.constData() + offset);
        return true;
    }

    const QByteArray& m_block;
    qint64 m_nSize = 0;
};

// Appends little-endian fields to a block being built.
class CObjectBlockWriter {
public:
    explicit CObjectBlockWriter(qsizetype reserve = 0) { m_block.reserve(reserve); }
    CObjectBlockWriter& Int32(std::int32_t v) { return Append(v); }
    CObjectBlockWriter& Int16(std::int16_t v) { return Append(v); }
    CObjectBlockWriter& Double(double v) { return Append(v); }
    CObjectBlockWriter& Bytes(const QByteArray& bytes);
    CObjectBlockWriter& Zeros(qsizetype count);
    qsizetype Size() const { return m_block.size(); }
    const QByteArray& Block() const { return m_block; }

private:
    template <class T> CObjectBlockWriter& Append(T v) {
        char bytes[sizeof(T)];
        qToLittleEndian(v, bytes);
        m_block.append(bytes, qsizetype(sizeof(T)));
        return *this;
    }

    QByteArray m_block;
};
