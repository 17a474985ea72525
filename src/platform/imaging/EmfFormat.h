#pragma once
// The enhanced metafile header fields the layer reads and writes, and the limits it holds every
// metafile to.

#include "platform/imaging/BitmapBase.h"

#include <cstdint>

namespace brellin::imaging {

constexpr std::uint32_t EMR_HEADER_TYPE = 1;
constexpr std::uint32_t EMR_EOF_TYPE = 14;
constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr std::size_t kEmfHeaderMinSize = 88;
constexpr std::uint32_t kEmfMaxRecords = 2000000;
constexpr std::int64_t kEmfMaxFileBytes = 256LL * 1024 * 1024;

// What the layer takes from EMR_HEADER.
struct EMFHEADERINFO {
    RECT rclBounds;      // device units, inclusive
    RECT rclFrame;       // .01 millimetres, inclusive
    std::uint32_t nBytes = 0;
    std::uint32_t nRecords = 0;
    SIZE szlDevice;      // reference device, pixels
    SIZE szlMillimeters; // reference device, millimetres
    SIZE szlMicrometers; // the same more precisely, when the header has its second extension
};

// Walks and checks every record of a metafile; SUCCESS when it is whole and sound.
int CheckEmf(const uchar* data, std::size_t size, EMFHEADERINFO& info);
// Plays a checked metafile into a white 24-bit bitmap of the reference-device size.
int PlayEmf(const uchar* data, std::size_t size, LBitmapBase& out);

} // namespace brellin::imaging
