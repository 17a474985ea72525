#pragma once
// Object data blocks, the content of the object clipboard format: int32 total size, int32
// clipboard kind, int32 version, 4 zero bytes, the unit scale (double) at 16, then the kind's
// fields. Blocks come from outside the program, so every field is read within the block's bytes.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <initializer_list>

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
// A 32-bit field at offset; ignored (or 0 when read) outside the block.
void PutBlockLong(QByteArray& block, int offset, LONG value);
LONG GetBlockLong(const QByteArray& block, int offset);
// The clipboard kind code at offset 4; 0 when the block is too short.
LONG GetObjectBlockKind(const QByteArray& block);
// Reads the head of a block of one of the kinds, at least nMinSize bytes long by its own size
// field and no longer than its bytes, with a version of 1 or more and a valid unit scale.
bool ReadObjectBlockHead(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize,
                         OBJECTBLOCKHEAD& head);
