#include "acquire/SaneFrameReader.h"

#include "acquire/SaneScanner.h"
#include "acquire/ScanResource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace brellin::imaging;

namespace {

// What one sane_read may bring: large enough that a fast device is not slowed by the calls.
constexpr SANE_Int kReadBytes = 256 * 1024;
// Backends may end a line with a few wasted pixels beyond those they announce; more than this
// is no line of the page announced.
constexpr long long kMaxLinePadding = 1024;

bool IsColourPass(SANE_Frame format) {
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}
int PassChannel(SANE_Frame format) {
    return format == SANE_FRAME_RED ? 0 : format == SANE_FRAME_GREEN ? 1 : 2;
}
long long LineBytes(const SANE_Parameters& p) {
    const int samples = p.format == SANE_FRAME_RGB ? 3 : 1;
    return (static_cast<long long>(p.pixels_per_line) * samples * p.depth + 7) / 8;
}

// A 16-bit sample, in the machine's byte order as SANE sends it, cut to its high byte.
inline uchar High(const SANE_Byte* src, int i) {
    std::uint16_t v;
    std::memcpy(&v, src + 2 * i, 2);
    return uchar(v >> 8);
}
inline bool Bit(const SANE_Byte* src, int i) { return (src[i >> 3] >> (7 - (i & 7))) & 1; }

// One line of a frame into the page's row: `samples` samples of one frame line (the three of a
// colour pixel each count), `step` apart in the row from `offset` on.
void PutSamples(const SANE_Byte* src, uchar* dst, int samples, int depth, int step, int offset) {
    uchar* out = dst + offset;
    switch (depth) {
    case 8:
        if (step == 1) {
            std::memcpy(out, src, std::size_t(samples));
        } else {
            for (int i = 0; i < samples; ++i) out[i * step] = src[i];
        }
        break;
    case 16:
        for (int i = 0; i < samples; ++i) out[i * step] = High(src, i);
        break;
    default: // 1: a colour sample is all or nothing of its colour
        for (int i = 0; i < samples; ++i) out[i * step] = Bit(src, i) ? 255 : 0;
        break;
    }
}

// The rows of the page being built: a bitmap of the announced height, or, while the height is
// unknown, memory that grows as lines come. mremap moves the pages of a growing page instead of
// copying them, so that a long page is never held twice.
class CPageRows {
public:
    CPageRows() = default;
    CPageRows(const CPageRows&) = delete;
    CPageRows& operator=(const CPageRows&) = delete;
    ~CPageRows() {
        if (m_map) munmap(m_map, m_mapBytes);
    }

    // `previous`, the last page's image, is written over when it has the page's size and depth:
    // fresh memory costs the system more to hand out than the whole scan of a page costs.
    int Begin(int width, int lines, int bitsPerPixel, QImage previous) {
        m_width = width;
        m_bitsPerPixel = bitsPerPixel;
        m_stride = qsizetype(BitmapBytes(width, 1, bitsPerPixel));
        if (lines > 0 && previous.width() == width && previous.height() == lines &&
            previous.format() == FormatForDepth(bitsPerPixel) && previous.isDetached()) {
            m_image = std::move(previous);
            return SUCCESS;
        }
        previous = QImage();
        if (lines > 0) {
            if (!FitsLimit(width, lines, bitsPerPixel)) return ERROR_IMAGE_TOO_LARGE;
            m_image = AllocateImage(width, lines, bitsPerPixel);
            return m_image.isNull() ? ERROR_NO_MEMORY : SUCCESS;
        }
        // Rows as many as a page may have and its memory allows.
        if (width > kMaxBitmapDimension) return ERROR_IMAGE_TOO_LARGE;
        m_maxRows = int(std::min<std::int64_t>(kMaxBitmapDimension, GetMaxBitmapBytes() / m_stride));
        return m_maxRows > 0 ? SUCCESS : ERROR_IMAGE_TOO_LARGE;
    }

    // The row, grown to when the height is unknown; SUCCESS, ERROR_IMAGE_TOO_LARGE past what a
    // page may hold, ERROR_NO_MEMORY.
    int Row(int y, uchar*& row) {
        if (!m_image.isNull()) {
            row = m_image.scanLine(y);
            return SUCCESS;
        }
        if (y >= m_capacity) {
            if (y >= m_maxRows) return ERROR_IMAGE_TOO_LARGE;
            const int rows = std::min(m_maxRows, std::max(y + 1, std::max(64, m_capacity * 2)));
            const std::size_t bytes = PageRounded(std::size_t(rows) * std::size_t(m_stride));
            void* map = m_map ? mremap(m_map, m_mapBytes, bytes, MREMAP_MAYMOVE)
                              : mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (map == MAP_FAILED) return ERROR_NO_MEMORY;
            m_map = static_cast<uchar*>(map);
            m_mapBytes = bytes;
            m_capacity = rows;
        }
        row = m_map + qsizetype(y) * m_stride;
        return SUCCESS;
    }

    // The first `rows` rows as the page's image (the grown memory handed over to it).
    QImage Take(int rows) {
        if (!m_image.isNull()) return std::move(m_image);
        const std::size_t bytes = PageRounded(std::size_t(rows) * std::size_t(m_stride));
        if (bytes < m_mapBytes) {
            void* map = mremap(m_map, m_mapBytes, bytes, 0);
            if (map != MAP_FAILED) m_mapBytes = bytes;
        }
        auto* owned = new Mapping{m_map, m_mapBytes};
        m_map = nullptr;
        QImage image(owned->data, m_width, rows, m_stride, FormatForDepth(m_bitsPerPixel),
                     [](void* info) {
                         auto* m = static_cast<Mapping*>(info);
                         munmap(m->data, m->bytes);
                         delete m;
                     },
                     owned);
        return image;
    }

private:
    struct Mapping {
        uchar* data;
        std::size_t bytes;
    };
    static std::size_t PageRounded(std::size_t bytes) {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        return (std::max<std::size_t>(bytes, 1) + page - 1) / page * page;
    }

    QImage m_image;
    uchar* m_map = nullptr;
    std::size_t m_mapBytes = 0;
    qsizetype m_stride = 0;
    int m_width = 0, m_bitsPerPixel = 0, m_capacity = 0, m_maxRows = 0;
};

} // namespace

CSaneFrameReader::CSaneFrameReader(StartFrame start, ReadData read)
    : m_start(std::move(start)), m_read(std::move(read)) {}

int CSaneFrameReader::CheckParameters(const SANE_Parameters& p, QString& error) {
    if (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && !IsColourPass(p.format)) {
        error = LoadResString(IDS_SANE_BAD_FRAME);
        return ERROR_UNSUPPORTED;
    }
    if (p.depth != 1 && p.depth != 8 && p.depth != 16) {
        error = LoadResString(IDS_SANE_BAD_DEPTH).arg(p.depth);
        return ERROR_UNSUPPORTED;
    }
    const QString size = LoadResString(IDS_SANE_BAD_SIZE).arg(p.pixels_per_line).arg(p.lines);
    // -1 lines: a hand scanner, whose page ends when its data does.
    if (p.pixels_per_line <= 0 || p.lines == 0 || p.lines < -1) {
        error = size;
        return ERROR_INV_PARAMETER;
    }
    if (p.pixels_per_line > kMaxPixels || p.lines > kMaxPixels) {
        error = size;
        return ERROR_IMAGE_TOO_LARGE;
    }
    const long long needed = LineBytes(p);
    if (p.bytes_per_line < needed || p.bytes_per_line > needed + kMaxLinePadding) {
        const int bits = p.depth * (p.format == SANE_FRAME_RGB ? 3 : 1);
        error = LoadResString(IDS_SANE_BAD_LINE).arg(p.bytes_per_line).arg(p.pixels_per_line).arg(bits);
        return ERROR_INV_PARAMETER;
    }
    if (p.lines > 0 && static_cast<long long>(p.bytes_per_line) * p.lines > kMaxFrameBytes) {
        error = size;
        return ERROR_IMAGE_TOO_LARGE;
    }
    return SUCCESS;
}

int CSaneFrameReader::ReadPage(LBitmapBase& page, int xDpi, int yDpi, const Progress& progress) {
    DEF_TRY
    m_status = SANE_STATUS_GOOD;
    m_error.clear();
    // The previous page goes first, its memory kept for this one: only one page is ever held.
    QImage previous = page.GetImage();
    page.Free();
    const auto fail = [&](int rc, const QString& text) -> int {
        m_error = text;
        return rc;
    };
    // A SANE failure: when starting, in the middle of a page, or the user's cancel.
    const auto saneFailure = [&](SANE_Status status, bool starting) -> int {
        if (status == SANE_STATUS_CANCELLED) return ERROR_USER_ABORT;
        m_status = status;
        if (starting && status == SANE_STATUS_NO_DOCS)
            return fail(CSaneScanner::SCAN_NO_MORE_PAGES, LoadResString(IDS_SANE_FEEDER_EMPTY));
        const QString why = QString::fromLocal8Bit(sane_strstatus(status));
        return fail(ERROR_FILE_READ,
                    LoadResString(starting ? IDS_SANE_START_FAILED : IDS_SANE_STOPPED).arg(why));
    };

    CPageRows rows;
    SANE_Parameters first{};
    int bitsPerPixel = 0, pageLines = -1, passes = 0, lastPercent = -1;
    std::vector<SANE_Byte> buffer, partial;
    for (int frame = 0;; ++frame) {
        SANE_Parameters p{};
        const SANE_Status started = m_start(p);
        if (started != SANE_STATUS_GOOD) return saneFailure(started, frame == 0);
        QString why;
        int rc = CheckParameters(p, why);
        if (rc != SUCCESS) return fail(rc, why);
        if (frame == 0) {
            first = p;
            bitsPerPixel = p.format == SANE_FRAME_GRAY ? (p.depth == 1 ? 1 : 8) : 24;
            rc = rows.Begin(p.pixels_per_line, p.lines, bitsPerPixel, std::move(previous));
            if (rc != SUCCESS) return fail(rc, GetImagingErrorText(rc));
        } else {
            // A further colour pass: the same line, the same depth, the same height, a colour
            // not sent before.
            const bool fits = IsColourPass(first.format) && IsColourPass(p.format) &&
                              !(passes & (1 << PassChannel(p.format))) && frame < 3 &&
                              p.depth == first.depth && p.pixels_per_line == first.pixels_per_line &&
                              (p.lines == -1 || p.lines == pageLines);
            if (!fits) return fail(ERROR_CORRUPT, LoadResString(IDS_SANE_BAD_COLOURS));
        }
        if (IsColourPass(p.format)) passes |= 1 << PassChannel(p.format);

        // The frame's lines, each put into its row as soon as it is whole.
        const int expected = frame == 0 ? p.lines : pageLines; // -1: as many as come
        const int frames = IsColourPass(first.format) ? 3 : 1;
        const int samples = p.pixels_per_line * (p.format == SANE_FRAME_RGB ? 3 : 1);
        const int step = IsColourPass(p.format) ? 3 : 1;
        const int offset = IsColourPass(p.format) ? PassChannel(p.format) : 0;
        const std::size_t lineBytes = std::size_t(p.bytes_per_line);
        buffer.resize(std::max<std::size_t>(kReadBytes, lineBytes));
        partial.resize(lineBytes);
        std::size_t pending = 0;
        int y = 0;
        const auto putLine = [&](const SANE_Byte* line) -> int {
            uchar* row = nullptr;
            const int grown = rows.Row(y, row);
            if (grown == ERROR_IMAGE_TOO_LARGE)
                return fail(grown, LoadResString(IDS_SANE_PAGE_TOO_LONG));
            if (grown != SUCCESS) return fail(grown, GetImagingErrorText(grown));
            if (bitsPerPixel == 1)
                std::memcpy(row, line, std::size_t((p.pixels_per_line + 7) / 8));
            else
                PutSamples(line, row, samples, p.depth, step, offset);
            ++y;
            return SUCCESS;
        };
        for (int reads = 0;; ++reads) {
            if (progress) {
                const int percent =
                    expected > 0 ? int((frame * 100LL + y * 100LL / expected) / frames) : 0;
                // Asked at every change and now and then besides, so that a cancel is heard soon.
                if ((percent != lastPercent || reads % 64 == 0) && !progress(percent))
                    return ERROR_USER_ABORT;
                lastPercent = percent;
            }
            SANE_Int length = 0;
            const SANE_Status status = m_read(buffer.data(), SANE_Int(buffer.size()), &length);
            if (status == SANE_STATUS_EOF) break;
            if (status != SANE_STATUS_GOOD) return saneFailure(status, false);
            if (length < 0 || std::size_t(length) > buffer.size())
                return fail(ERROR_CORRUPT, LoadResString(IDS_SANE_BAD_FRAME));
            const SANE_Byte* data = buffer.data();
            std::size_t left = std::size_t(length);
            while (left > 0) {
                // Anything past the lines announced is more than the page.
                if (expected >= 0 && y >= expected)
                    return fail(ERROR_CORRUPT, LoadResString(IDS_SANE_LONG_PAGE).arg(expected));
                if (pending == 0 && left >= lineBytes) {
                    rc = putLine(data);
                    data += lineBytes;
                    left -= lineBytes;
                } else {
                    const std::size_t take = std::min(lineBytes - pending, left);
                    std::memcpy(partial.data() + pending, data, take);
                    pending += take;
                    data += take;
                    left -= take;
                    if (pending < lineBytes) break;
                    pending = 0;
                    rc = putLine(partial.data());
                }
                if (rc != SUCCESS) return rc;
            }
        }
        if (expected >= 0 && y < expected)
            return fail(ERROR_CORRUPT, LoadResString(IDS_SANE_SHORT_PAGE).arg(y).arg(expected));
        if (pending != 0 || y == 0)
            return fail(ERROR_CORRUPT, LoadResString(IDS_SANE_SHORT_PAGE).arg(y).arg(y + 1));
        if (frame == 0) pageLines = y;
        if (p.last_frame) break;
        // Only the passes of a three-pass scanner come as more than one frame.
        if (!IsColourPass(p.format)) return fail(ERROR_UNSUPPORTED, LoadResString(IDS_SANE_BAD_FRAME));
    }
    if (IsColourPass(first.format) && passes != 7)
        return fail(ERROR_CORRUPT, LoadResString(IDS_SANE_BAD_COLOURS));

    QImage image = rows.Take(pageLines);
    // SANE's black and white sets a bit for black: the bits are kept and the palette says so.
    if (bitsPerPixel == 1)
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    else if (bitsPerPixel == 8)
        image.setColorTable(GreyPalette(256));
    const int rc = page.SetImage(std::move(image), bitsPerPixel);
    if (rc != SUCCESS) return fail(rc, GetImagingErrorText(rc));
    page.SetXResolution(std::max(xDpi, 0));
    page.SetYResolution(std::max(yDpi, 0));
    if (progress) progress(100);
    return SUCCESS;
    DEF_CATCH
    page.Free();
    m_error = GetImagingErrorText(ERROR_INTERNAL);
    return ERROR_INTERNAL;
}
