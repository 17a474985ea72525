// libFuzzer target: BMP file decoder.
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    LBitmapBase bitmap;
    if (brellin::imaging::DecodeBmp(data, size, bitmap) == SUCCESS)
        FuzzExercise(bitmap);
    return 0;
}
