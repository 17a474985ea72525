// libFuzzer target: loading from memory with the format found from the content.
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    LBitmapBase bitmap;
    LMemoryFile file(&bitmap);
    const LBuffer buffer(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (file.LoadMemory(buffer) == SUCCESS)
        FuzzExercise(bitmap);
    LBitmapList pages;
    file.LoadBitmapList(buffer, pages);
    FILEINFO info;
    file.GetInfo(buffer, info);
    return 0;
}
