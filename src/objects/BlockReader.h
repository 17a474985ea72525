#pragma once
// Field access for object data blocks, the content of the object clipboard format:
//
//   int32 total size   int32 clipboard kind   kind-specific data (a version first; every kind but
//                                             the group block has the unit scale at offset 16)
//
// Blocks come from the clipboard, drag-and-drop, the shelf and other running copies, so a reader
// trusts nothing: every field is read through bounds checks against the size the block declares,
// and the declared size against the bytes actually present.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>

// Size of the total-size and kind fields every block starts with.
constexpr int BLOCK_PREFIX_SIZE = 8;

// Little-endian fields of a block, each answered only when it lies inside the declared size.
class CObjectBlockReader {
public:
    // The declared size must be at least the header and at most the bytes present; the bytes
    // beyond it are not part of the block.
    explicit CObjectBlockReader(const QByteArray& block) : m_block(block) {
        if (block.size() < BLOCK_PREFIX_SIZE) return;
        const std::int32_t total = Raw32(0);
        if (total < BLOCK_PREFIX_SIZE || total > block.size()) return;
        m_nSize = total;
    }

    bool IsValid() const { return m_nSize > 0; }
    // The declared size; 0 when the block is not valid.
    qint64 GetSize() const { return m_nSize; }
    LONG GetKind() const { return IsValid() ? Raw32(4) : 0; }
    bool Has(qint64 offset, qint64 width) const {
        return offset >= 0 && width >= 0 && offset <= m_nSize && width <= m_nSize - offset;
    }
    bool Int32(qint64 offset, std::int32_t& v) const {
        if (!Has(offset, 4)) return false;
        v = Raw32(offset);
        return true;
    }
    bool Int16(qint64 offset, std::int16_t& v) const {
        if (!Has(offset, 2)) return false;
        v = std::int16_t(Byte(offset) | (Byte(offset + 1) << 8));
        return true;
    }
    bool Double(qint64 offset, double& v) const {
        if (!Has(offset, 8)) return false;
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | Byte(offset + i);
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    // count bytes from offset; a null array when they are not all inside the block.
    QByteArray Bytes(qint64 offset, qint64 count) const {
        if (!Has(offset, count)) return {};
        return m_block.mid(qsizetype(offset), qsizetype(count));
    }

private:
    std::uint32_t Byte(qint64 offset) const { return BYTE(m_block[qsizetype(offset)]); }
    std::int32_t Raw32(qint64 offset) const {
        return std::int32_t(Byte(offset) | (Byte(offset + 1) << 8) | (Byte(offset + 2) << 16) |
                            (Byte(offset + 3) << 24));
    }

    const QByteArray& m_block;
    qint64 m_nSize = 0;
};

// Appends little-endian fields to a block being built.
class CObjectBlockWriter {
public:
    explicit CObjectBlockWriter(qsizetype reserve = 0) { m_block.reserve(reserve); }
    CObjectBlockWriter& Int32(std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            m_block.append(char((std::uint32_t(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    CObjectBlockWriter& Int16(std::int16_t v) {
        m_block.append(char(std::uint16_t(v) & 0xFF));
        m_block.append(char(std::uint16_t(v) >> 8));
        return *this;
    }
    CObjectBlockWriter& Double(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof v);
        for (int i = 0; i < 8; ++i)
            m_block.append(char((bits >> (8 * i)) & 0xFF));
        return *this;
    }
    CObjectBlockWriter& Bytes(const QByteArray& bytes) {
        m_block.append(bytes);
        return *this;
    }
    CObjectBlockWriter& Zeros(qsizetype count) {
        if (count > 0) m_block.append(count, '\0');
        return *this;
    }
    qsizetype Size() const { return m_block.size(); }
    const QByteArray& Block() const { return m_block; }

private:
    QByteArray m_block;
};
