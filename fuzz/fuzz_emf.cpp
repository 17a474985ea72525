// libFuzzer target: enhanced metafile playback.
#include "FuzzCommon.h"

#include "platform/imaging/MyBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    LMyBitmap bitmap;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    LMyBitmap::LoadEMFMemory(bitmap, bytes);
    return 0;
}
