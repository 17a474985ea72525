#include "platform/imaging/PngRows.h"

#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/Codecs.h"

#include <QtEndian>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <vector>

namespace brellin::imaging {
namespace {

// The inflated rows (a filter byte and the row's bytes each) are held whole beside the bitmap;
// past this size a page is read a row at a time instead.
constexpr std::size_t kMaxInflatedBytes = std::size_t(256) << 20;

// Whether the chunks from `p` on are whole and end with the image's end chunk: a file cut off
// after its image data is still an incomplete file.
bool EndsWhole(const uchar* d, std::size_t size, std::size_t p) {
    while (size - p >= 12) {
        const std::size_t length = qFromBigEndian<quint32>(d + p);
        if (length > size - p - 12)
            return false;
        if (std::memcmp(d + p + 4, "IEND", 4) == 0)
            return true;
        p += 12 + length;
    }
    return false;
}

// The image data of consecutive IDAT chunks from `p` on, each chunk's checksum verified; false
// when a chunk is cut off or damaged, or the file does not end whole after them. One chunk is
// used where it lies.
bool GatherImageData(const uchar* d, std::size_t size, std::size_t p, std::vector<uchar>& joined,
                     const uchar*& out, std::size_t& outSize) {
    std::size_t chunks = 0;
    std::size_t first = 0, firstLength = 0;
    while (size - p >= 12 && std::memcmp(d + p + 4, "IDAT", 4) == 0) {
        const std::size_t length = qFromBigEndian<quint32>(d + p);
        if (length > size - p - 12)
            return false;
        const uchar* type = d + p + 4;
        if (libdeflate_crc32(0, type, length + 4) != qFromBigEndian<quint32>(type + 4 + length))
            return false;
        if (chunks == 0) {
            first = p + 8;
            firstLength = length;
        } else {
            if (chunks == 1)
                joined.assign(d + first, d + first + firstLength);
            joined.insert(joined.end(), type + 4, type + 4 + length);
        }
        ++chunks;
        p += 12 + length;
    }
    if (chunks == 0 || !EndsWhole(d, size, p))
        return false;
    out = chunks == 1 ? d + first : joined.data();
    outSize = chunks == 1 ? firstLength : joined.size();
    return true;
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Sub, average and Paeth rows at a pixel width known when compiled: the left pixel stays in
// registers rather than being read back from the row just written, which is what bounds these
// filters' speed (an A4 colour scan is 26 MB of them).
template <int Type> int Predict(int a, int b, int c) {
    if constexpr (Type == 1)
        return a;
    else if constexpr (Type == 3)
        return (a + b) >> 1;
    else
        return Paeth(a, b, c);
}

template <int Type> void UnfilterLeft1(const uchar* in, const uchar* prior, uchar* out, std::size_t n) {
    int a = 0, c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int b = prior[i];
        a = uchar(in[i] + Predict<Type>(a, b, c));
        c = b;
        out[i] = uchar(a);
    }
}

template <int Type> void UnfilterLeft3(const uchar* in, const uchar* prior, uchar* out, std::size_t n) {
    int a0 = 0, a1 = 0, a2 = 0, c0 = 0, c1 = 0, c2 = 0;
    for (std::size_t i = 0; i + 3 <= n; i += 3) {
        const int b0 = prior[i], b1 = prior[i + 1], b2 = prior[i + 2];
        a0 = uchar(in[i] + Predict<Type>(a0, b0, c0));
        a1 = uchar(in[i + 1] + Predict<Type>(a1, b1, c1));
        a2 = uchar(in[i + 2] + Predict<Type>(a2, b2, c2));
        c0 = b0;
        c1 = b1;
        c2 = b2;
        out[i] = uchar(a0);
        out[i + 1] = uchar(a1);
        out[i + 2] = uchar(a2);
    }
}

template <int Type>
void UnfilterLeftAny(const uchar* in, const uchar* prior, uchar* out, std::size_t n,
                     std::size_t bpp) {
    if (bpp == 3) {
        UnfilterLeft3<Type>(in, prior, out, n);
        return;
    }
    UnfilterLeft1<Type>(in, prior, out, n);
}

// One row undone from its filter into `out`, `prior` the row above as undone (zeros for the
// first); `bpp` is 1 or 3, and a row of 3-byte pixels is whole pixels. `out` may lie over `in`
// a little before it: each byte is read before anything is written over it. False for a filter
// type PNG does not have.
bool Unfilter(int type, const uchar* in, const uchar* prior, uchar* out, std::size_t n,
              std::size_t bpp) {
    switch (type) {
    case 0: std::memmove(out, in, n); return true;
    case 1: UnfilterLeftAny<1>(in, prior, out, n, bpp); return true;
    case 2:
        for (std::size_t i = 0; i < n; ++i)
            out[i] = uchar(in[i] + prior[i]);
        return true;
    case 3: UnfilterLeftAny<3>(in, prior, out, n, bpp); return true;
    case 4: UnfilterLeftAny<4>(in, prior, out, n, bpp); return true;
    default: return false;
    }
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

} // namespace

int InflatePngRows(const uchar* data, std::size_t size, std::size_t firstChunk, int width,
                   int height, int bitsPerPixel, const QList<QRgb>& colours,
                   const ImagingProgress& progress, QImage& img, bool& taken) {
    taken = false;
    const QImage::Format format = FormatForDepth(bitsPerPixel);
    if ((bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24) || width <= 0 ||
        height <= 0 || firstChunk > size)
        return SUCCESS;
    const std::size_t h = std::size_t(height);
    const std::size_t rowBytes = (std::size_t(width) * std::size_t(bitsPerPixel) + 7) / 8;
    const std::size_t stride = (std::size_t(width) * std::size_t(bitsPerPixel) + 31) / 32 * 4;
    const std::size_t bpp = std::max<std::size_t>(1, std::size_t(bitsPerPixel) / 8);
    const std::size_t inflatedBytes = h * (rowBytes + 1);
    if (inflatedBytes > kMaxInflatedBytes)
        return SUCCESS;

    std::vector<uchar> joined;
    const uchar* compressed = nullptr;
    std::size_t compressedSize = 0;
    if (!GatherImageData(data, size, firstChunk, joined, compressed, compressedSize))
        return SUCCESS;

    // The rows are inflated into the end of the bitmap's own memory and undone from there into
    // their places, first row first: each row's place ends before the inflated rows still to be
    // read begin (`offset` leaves room for rows padded wider than a filter byte), so the page
    // costs its bitmap and a few bytes a row, not twice its size.
    const std::size_t offset = stride > rowBytes + 1 ? (h - 1) * (stride - rowBytes - 1) : 0;
    const std::size_t bytes = std::max(h * stride, offset + inflatedBytes);
    auto* memory = static_cast<uchar*>(std::malloc(bytes));
    if (!memory)
        return SUCCESS;
    PrefaultMemory(memory, bytes);
    QImage image(memory, width, height, qsizetype(stride), format,
                 [](void* p) { std::free(p); }, memory);
    if (image.isNull()) {
        std::free(memory);
        return SUCCESS;
    }
    const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> inflater(
        libdeflate_alloc_decompressor());
    std::size_t actual = 0;
    uchar* inflated = memory + offset;
    if (!inflater ||
        libdeflate_zlib_decompress(inflater.get(), compressed, compressedSize, inflated,
                                   inflatedBytes, &actual) != LIBDEFLATE_SUCCESS ||
        actual != inflatedBytes)
        return SUCCESS;
    std::vector<uchar>().swap(joined);

    const std::vector<uchar> zeros(rowBytes, 0);
    for (std::size_t y = 0; y < h; ++y) {
        const uchar* in = inflated + y * (rowBytes + 1);
        uchar* row = memory + y * stride;
        const uchar* prior = y > 0 ? row - stride : zeros.data();
        if (!Unfilter(in[0], in + 1, prior, row, rowBytes, bpp))
            return SUCCESS;
        // The padding is cleared as a new bitmap's is, once nothing inflated is left under it.
        std::memset(row + rowBytes, 0, stride - rowBytes);
        const int rc = ReportRows(progress, int(y) + 1, height);
        if (rc != SUCCESS) {
            taken = true;
            return rc;
        }
    }
    if (bitsPerPixel <= 8)
        image.setColorTable(colours);
    img = std::move(image);
    taken = true;
    return SUCCESS;
}

} // namespace brellin::imaging
