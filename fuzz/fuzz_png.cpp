// libFuzzer target: PNG decoder.
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    LBitmapBase bitmap;
    if (brellin::imaging::DecodePng(data, size, bitmap, {}) == SUCCESS)
        FuzzExercise(bitmap);
    FILEINFO info;
    brellin::imaging::PngInfo(data, size, info);
    return 0;
}
