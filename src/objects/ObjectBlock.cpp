#include "objects/ObjectBlock.h"

#include "objects/ObjectTypes.h"
#include "objects/RecordFrame.h"
#include "platform/Guard.h"

#include <algorithm>

namespace {
bool FieldInside(const QByteArray& block, int offset, int width) {
    return offset >= 0 && qint64(offset) + width <= block.size();
}
} // namespace

QByteArray MakeObjectBlock(LONG nSize, LONG nKind, LONG nVersion) {
    DEF_TRY
    if (nSize < OBJECT_BLOCK_HEAD_SIZE) return {};
    QByteArray block(nSize, '\0');
    PutBlockLong(block, 0, nSize);
    PutBlockLong(block, 4, nKind);
    PutBlockLong(block, 8, nVersion);
    qToLittleEndian(g_dUnitScale, block.data() + 16);
    return block;
    DEF_CATCH
    return {};
}

void PutBlockLong(QByteArray& block, int offset, LONG value) {
    DEF_TRY
    if (FieldInside(block, offset, 4)) qToLittleEndian(std::int32_t(value), block.data() + offset);
    DEF_CATCH
}

LONG GetBlockLong(const QByteArray& block, int offset) {
    DEF_TRY
    if (FieldInside(block, offset, 4))
        return qFromLittleEndian<std::int32_t>(block.constData() + offset);
    DEF_CATCH
    return 0;
}

bool ReadObjectBlockHead(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize,
                         OBJECTBLOCKHEAD& head) {
    DEF_TRY
    const CObjectBlockReader r(block);
    OBJECTBLOCKHEAD h;
    h.nSize = LONG(r.GetSize());
    h.nKind = r.GetKind();
    if (h.nSize < std::max<LONG>(nMinSize, OBJECT_BLOCK_HEAD_SIZE)) return false;
    r.Int32(8, h.nVersion);
    r.Double(16, h.dUnitScale);
    if (std::find(kinds.begin(), kinds.end(), h.nKind) == kinds.end()) return false;
    if (h.nVersion < 1 || !IsValidUnitScale(h.dUnitScale)) return false;
    head = h;
    return true;
    DEF_CATCH
    return false;
}

CObjectBlockReader::CObjectBlockReader(const QByteArray& block) : m_block(block) {
    if (block.size() < BLOCK_PREFIX_SIZE) return;
    const std::int32_t total = qFromLittleEndian<std::int32_t>(block.constData());
    if (total < BLOCK_PREFIX_SIZE || total > block.size()) return;
    m_nSize = total;
}

LONG CObjectBlockReader::GetKind() const {
    std::int32_t kind = 0;
    return Int32(4, kind) ? kind : 0;
}

QByteArray CObjectBlockReader::Bytes(qint64 offset, qint64 count) const {
    if (!Has(offset, count)) return {};
    return m_block.mid(qsizetype(offset), qsizetype(count));
}

CObjectBlockWriter& CObjectBlockWriter::Bytes(const QByteArray& bytes) {
    m_block.append(bytes);
    return *this;
}

CObjectBlockWriter& CObjectBlockWriter::Zeros(qsizetype count) {
    if (count > 0) m_block.append(count, '\0');
    return *this;
}
