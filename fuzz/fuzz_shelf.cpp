// libFuzzer target: the shelf file reader, then what the shelf does with every item it read (the
// picture rule, the bitmap of a kept item), and a write of the items that must read back the same.
#include "FuzzCommon.h"

#include "frame/ShelfFile.h"
#include "objects/ObjectBlock.h"
#include "objects/TranspImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<SHELFITEM> items;
    QString reason;
    const bool read = ReadShelfBytes(bytes, items, reason);
    if (!read && reason.isEmpty()) __builtin_trap();
    for (const SHELFITEM& item : items) {
        if (!IsShelfPicture(item.block, true)) continue;
        const CObjectBlockReader r(item.block);
        std::int32_t dibSize = 0;
        if (!r.Int32(IMAGE_BLOCK_DIBSIZE, dibSize)) __builtin_trap();
        LBitmapBase bitmap;
        if (bitmap.ConvertFromDIB(r.Bytes(IMAGE_BLOCK_DIB, dibSize)) == SUCCESS) FuzzExercise(bitmap);
    }
    std::vector<SHELFITEM> again;
    if (!ReadShelfBytes(WriteShelfBytes(items), again, reason) || again.size() != items.size())
        __builtin_trap();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (again[i].block != items[i].block || again[i].label != items[i].label) __builtin_trap();
    return 0;
}
