// libFuzzer target: packed device-independent bitmaps (clipboard, picture records).
#include "FuzzCommon.h"

#include "platform/imaging/MyBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    LMyBitmap bitmap;
    const QByteArray dib(reinterpret_cast<const char*>(data), qsizetype(size));
    if (LMyBitmap::CopyFromHDib(bitmap, dib) == SUCCESS)
        FuzzExercise(bitmap);
    return 0;
}
