#include "objects/ObjectBlock.h"

#include "objects/ObjectTypes.h"
#include "objects/RecordFrame.h"
#include "platform/Guard.h"

#include <QtEndian>
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

LONG GetObjectBlockKind(const QByteArray& block) {
    DEF_TRY
    return FieldInside(block, 4, 4) ? GetBlockLong(block, 4) : 0;
    DEF_CATCH
    return 0;
}

bool ReadObjectBlockHead(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize,
                         OBJECTBLOCKHEAD& head) {
    DEF_TRY
    if (block.size() < OBJECT_BLOCK_HEAD_SIZE) return false;
    OBJECTBLOCKHEAD h;
    h.nSize = GetBlockLong(block, 0);
    h.nKind = GetBlockLong(block, 4);
    h.nVersion = GetBlockLong(block, 8);
    h.dUnitScale = qFromLittleEndian<double>(block.constData() + 16);
    if (h.nSize < std::max<LONG>(nMinSize, OBJECT_BLOCK_HEAD_SIZE) || h.nSize > block.size())
        return false;
    if (std::find(kinds.begin(), kinds.end(), h.nKind) == kinds.end()) return false;
    if (h.nVersion < 1 || !IsValidUnitScale(h.dUnitScale)) return false;
    head = h;
    return true;
    DEF_CATCH
    return false;
}
