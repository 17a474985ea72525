// libFuzzer target: TIFF decoder, every page, and the header reader.
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    LBitmapList pages;
    if (brellin::imaging::DecodeTiff(data, size, 0, nullptr, &pages, {}) == SUCCESS)
        for (int i = 0; i < pages.GetItemsCount() && i < 4; ++i)
            FuzzExercise(*pages.Item(i));
    LBitmapBase second;
    brellin::imaging::DecodeTiff(data, size, 2, &second, nullptr, {});
    FILEINFO info;
    brellin::imaging::TiffInfo(data, size, info);
    return 0;
}
