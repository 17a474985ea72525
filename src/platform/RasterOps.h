#pragma once
// Raster operations and stretch modes of bitmap painting, shared by the device context and the
// imaging layer, so that code drawing pictures through a CDC can see both.

#include "platform/WinTypes.h"

// Raster operations of PatBlt and bitmap painting
enum : DWORD {
    SRCCOPY = 0x00CC0020,
    SRCAND = 0x008800C6,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};
// Stretch modes; BLACKONWHITE and WHITEONBLACK are taken as COLORONCOLOR.
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
