#pragma once
// The shelf file "tkshelf.dat" and the items it keeps, without any window:
//
//   8 bytes   "TKCOL", a zero byte, two padding bytes (written as zero, ignored when read)
//   int32     version, 1
//   items     int32 size N (never 0), N bytes of the item's object data block (whose first int32
//             repeats N), int32 length L of the label with its terminating zero, L bytes of label
//   int32     0 ends the list
//
// Items are picture data blocks (clipboard kind 8). The file comes from disk and may be damaged or
// foreign: every size is checked against the bytes that remain before anything is taken.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <vector>

constexpr char SHELF_FILE_NAME[] = "tkshelf.dat";
constexpr char SHELF_MAGIC[] = "TKCOL";
constexpr LONG SHELF_VERSION = 1;

struct SHELFFILEHEAD {
    char szMagic[8];
    LONG nVersion;
};
static_assert(sizeof(SHELFFILEHEAD) == 12, "the shelf file header is 12 bytes");
static_assert(offsetof(SHELFFILEHEAD, nVersion) == 8, "the version follows the magic");

// The side a picture must have to go on the shelf (unless it is a captured cursor).
constexpr int SHELF_CURSOR_SIZE = 32;
// A file larger than this is not a shelf anybody made.
constexpr qint64 SHELF_MAX_FILE_SIZE = 256LL * 1024 * 1024;

struct SHELFITEM {
    QByteArray block;
    // The label's bytes, without the terminating zero.
    QByteArray label;
};

// Reads the items of a shelf file's bytes in order. False, with the reason, when the header is not
// a shelf's or an item does not fit; `items` then holds the items read before the fault.
bool ReadShelfBytes(const QByteArray& bytes, std::vector<SHELFITEM>& items, QString& reason);
// The bytes of a shelf file holding the items.
QByteArray WriteShelfBytes(const std::vector<SHELFITEM>& items);

enum class ShelfReadResult { Missing, Read, Failed };
// Missing when there is no file (an empty shelf, not an error).
ShelfReadResult ReadShelfFile(const QString& path, std::vector<SHELFITEM>& items, QString& reason);
// Writes the file whole beside the old one and then replaces it, so that a failed write leaves
// the previous shelf; false with the reason.
bool WriteShelfFile(const QString& path, const std::vector<SHELFITEM>& items, QString& reason);

// The pixel size of the bitmap of a picture data block (clipboard kind 8) whose fields lie inside
// it; false for any other block.
bool GetPictureBlockSize(const QByteArray& block, SIZE& size);
// Whether a block may go on the shelf: a picture exactly 32 pixels wide or high, or any picture
// when bAnySize (a captured cursor).
bool IsShelfPicture(const QByteArray& block, bool bAnySize = false);
