#include "platform/imaging/BitmapBase.h"

#include "platform/Guard.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/ImageFile.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <atomic>
#include <cstdio>
#include <memory>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// A4 at 600 dpi in 24 bits is about 100 MB; half a gigabyte leaves room for large sheets while a
// header claiming 100000 x 100000 pixels is refused before any allocation.
std::atomic<std::int64_t> g_maxBitmapBytes{512LL * 1024 * 1024};

std::atomic<std::int64_t> g_maxTotalBitmapBytes{0}; // 0: from the machine, as asked
constexpr qsizetype kPrefaultBytes = 4 << 20;

// Half of what a process limit leaves beyond what the process already uses (both in pages, as
// /proc/self/statm counts them); no limit when there is none.
std::int64_t HalfOfLimitLeft(int resource, int statmField) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return INT64_MAX;
    std::int64_t usedPages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        long long field[7] = {};
        if (std::fscanf(f, "%lld %lld %lld %lld %lld %lld %lld", &field[0], &field[1], &field[2],
                        &field[3], &field[4], &field[5], &field[6]) == 7)
            usedPages = field[statmField];
        std::fclose(f);
    }
    const std::int64_t used = usedPages * sysconf(_SC_PAGESIZE);
    const std::int64_t cap = std::int64_t(std::min<rlim_t>(limit.rlim_cur, INT64_MAX));
    return std::max<std::int64_t>(cap - used, 0) / 2;
}
} // namespace

std::int64_t GetMaxBitmapBytes() { return g_maxBitmapBytes.load(); }
void SetMaxBitmapBytes(std::int64_t bytes) { g_maxBitmapBytes.store(bytes); }

std::int64_t GetMaxTotalBitmapBytes() {
    const std::int64_t set = g_maxTotalBitmapBytes.load();
    if (set > 0)
        return set;
    std::int64_t limit = 16 * GetMaxBitmapBytes();
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        limit = std::min(limit, std::int64_t(pages) * pageSize / 2);
    limit = std::min(limit, HalfOfLimitLeft(RLIMIT_AS, 0));   // statm: total size
    limit = std::min(limit, HalfOfLimitLeft(RLIMIT_DATA, 5)); // statm: data and stack
    return limit;
}
void SetMaxTotalBitmapBytes(std::int64_t bytes) {
    g_maxTotalBitmapBytes.store(std::max<std::int64_t>(bytes, 0));
}

QString GetImagingErrorText(int code) {
    switch (code) {
    case SUCCESS: return QStringLiteral("The operation succeeded.");
    case FAILURE: return QStringLiteral("The operation failed.");
    case ERROR_NO_MEMORY: return QStringLiteral("Not enough memory for the image.");
    case ERROR_NULL_MEMORY: return QStringLiteral("No image data was given.");
    case ERROR_NOT_ALLOCATED: return QStringLiteral("There is no image.");
    case ERROR_FILE_WRITE: return QStringLiteral("The file could not be written.");
    case ERROR_FILE_READ: return QStringLiteral("The file could not be read.");
    case ERROR_FILE_OPEN: return QStringLiteral("The file cannot be opened.");
    case ERROR_INV_PARAMETER: return QStringLiteral("A parameter is out of range.");
    case ERROR_FILE_FORMAT: return QStringLiteral("The file is not in a supported image format.");
    case ERROR_CORRUPT: return QStringLiteral("The image data is damaged or incomplete.");
    case ERROR_IMAGE_TOO_LARGE: return QStringLiteral("The image is too large.");
    case ERROR_UNSUPPORTED: return QStringLiteral("This kind of image is not supported.");
    case ERROR_PAGE_NOT_FOUND: return QStringLiteral("The file has no such page.");
    case ERROR_BAD_DEPTH:
        return QStringLiteral("The format cannot be saved at this colour depth.");
    case ERROR_CLIPBOARD: return QStringLiteral("The clipboard could not be used.");
    case ERROR_INTERNAL: return QStringLiteral("An internal error occurred.");
    case ERROR_USER_ABORT: return QStringLiteral("The operation was cancelled.");
    case ERROR_NOTHING_TO_TRIM: return QStringLiteral("The image has nothing to keep.");
    default: return QStringLiteral("Imaging error %1.").arg(code);
    }
}

namespace brellin::imaging {

std::int64_t BitmapBytes(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    const int stored = bitsPerPixel == 4 ? 8 : bitsPerPixel;
    return ((width * stored + 31) / 32) * 4 * height;
}

bool FitsLimit(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxBitmapDimension || height > kMaxBitmapDimension)
        return false;
    return BitmapBytes(width, height, bitsPerPixel) <= GetMaxBitmapBytes();
}

QImage::Format FormatForDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return QImage::Format_Mono;
    case 4:
    case 8: return QImage::Format_Indexed8;
    case 24: return QImage::Format_RGB888;
    case 32: return QImage::Format_RGB32;
    default: return QImage::Format_Invalid;
    }
}

QList<QRgb> GreyPalette(int n) {
    QList<QRgb> pal;
    pal.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int v = n > 1 ? i * 255 / (n - 1) : 0;
        pal.append(qRgb(v, v, v));
    }
    return pal;
}

void PrefaultMemory(void* memory, std::size_t bytes) {
    // A big page's memory is fresh from the system, and touching it page by page as the
    // decoder writes costs a fault every 4 KB: most of the time of opening a multi-page colour
    // scan. Faulting it in with one call costs less. (Huge pages would cost fewer faults still,
    // but on virtual machines that hand free memory back to their host, zeroing them can take
    // four times as long as the small pages do.)
    if (!memory || bytes < std::size_t(kPrefaultBytes))
        return;
    const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + bytes) / page * page;
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

QImage NewImage(int width, int height, QImage::Format format) {
    QImage img(width, height, format);
    if (!img.isNull())
        PrefaultMemory(img.bits(), std::size_t(img.sizeInBytes()));
    return img;
}

QImage AllocateImage(int width, int height, int bitsPerPixel) {
    const QImage::Format fmt = FormatForDepth(bitsPerPixel);
    if (fmt == QImage::Format_Invalid || !FitsLimit(width, height, bitsPerPixel))
        return {};
    return NewImage(width, height, fmt);
}

int ReportPercent(const ImagingProgress& progress, int percent) {
    if (!progress)
        return SUCCESS;
    return progress(percent);
}

int ReportRows(const ImagingProgress& progress, int row, int rows, int page, int pages) {
    if (!progress || rows <= 0 || pages <= 0)
        return SUCCESS;
    const int step = rows / 32 + 1;
    if (row % step != 0 && row != rows)
        return SUCCESS;
    return progress(int((std::int64_t(page) * rows + row) * 100 / (std::int64_t(pages) * rows)));
}

} // namespace brellin::imaging

using namespace brellin::imaging;

int LBitmapBase::Create(int width, int height, int bitsPerPixel, const QList<QRgb>& palette) {
    DEF_TRY
    if (FormatForDepth(bitsPerPixel) == QImage::Format_Invalid)
        return ERROR_BAD_DEPTH;
    if (!FitsLimit(width, height, bitsPerPixel))
        return width <= 0 || height <= 0 ? ERROR_INV_PARAMETER : ERROR_IMAGE_TOO_LARGE;
    QImage img = AllocateImage(width, height, bitsPerPixel);
    if (img.isNull())
        return ERROR_NO_MEMORY;
    img.fill(0);
    if (bitsPerPixel <= 8) {
        const int maxColors = 1 << bitsPerPixel;
        QList<QRgb> pal = palette.isEmpty() ? GreyPalette(maxColors) : palette.mid(0, maxColors);
        img.setColorTable(pal);
    }
    m_image = std::move(img);
    m_nBitsPerPixel = bitsPerPixel;
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

void LBitmapBase::Free() {
    m_image = QImage();
    m_nBitsPerPixel = 0;
}

QList<QRgb> LBitmapBase::GetPalette() const {
    return HasPalette() ? m_image.colorTable() : QList<QRgb>();
}

bool LBitmapBase::IsGrey() const {
    if (!HasPalette())
        return false;
    for (QRgb c : m_image.colorTable())
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

int LBitmapBase::SetXResolution(int dpi) {
    if (dpi < 0)
        return ERROR_INV_PARAMETER;
    m_nXRes = dpi;
    return SUCCESS;
}

int LBitmapBase::SetYResolution(int dpi) {
    if (dpi < 0)
        return ERROR_INV_PARAMETER;
    m_nYRes = dpi;
    return SUCCESS;
}

int LBitmapBase::Copy(const LBitmapBase& source) {
    DEF_TRY
    if (!source.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    QImage own = source.m_image;
    own.detach(); // a copy that fails leaves a null image, and this bitmap as it was
    if (own.isNull())
        return ERROR_NO_MEMORY;
    m_image = std::move(own);
    m_nBitsPerPixel = source.m_nBitsPerPixel;
    m_nXRes = source.m_nXRes;
    m_nYRes = source.m_nYRes;
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LBitmapBase::DetachPixels() {
    if (m_image.isDetached())
        return SUCCESS;
    QImage own = m_image;
    own.detach();
    if (own.isNull())
        return ERROR_NO_MEMORY;
    m_image = std::move(own);
    return SUCCESS;
}

int LBitmapBase::SetImage(const QImage& image, int bitsPerPixel) {
    // Shares the caller's pixels; they are copied only where the format or palette must change.
    return SetImage(QImage(image), bitsPerPixel);
}

int LBitmapBase::SetImage(QImage&& image, int bitsPerPixel) {
    DEF_TRY
    if (image.isNull())
        return ERROR_NOT_ALLOCATED;
    QImage img = std::move(image);
    int bpp = 0;
    QList<QRgb> pal;
    switch (img.format()) {
    case QImage::Format_Mono:
        bpp = 1;
        break;
    case QImage::Format_MonoLSB:
        img = std::move(img).convertToFormat(QImage::Format_Mono);
        bpp = 1;
        break;
    case QImage::Format_Indexed8:
        bpp = bitsPerPixel == 4 && img.colorCount() <= 16 ? 4 : 8;
        break;
    case QImage::Format_Grayscale8:
        // Same bytes, indexed through a grey ramp; a shared image is copied first, and that
        // copy can fail.
        if (!img.reinterpretAsFormat(QImage::Format_Indexed8))
            return ERROR_NO_MEMORY;
        pal = GreyPalette(256);
        bpp = 8;
        break;
    case QImage::Format_RGB888:
        bpp = 24;
        break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        bpp = 32;
        break;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888: {
        const QImage::Format to =
            img.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        img = std::move(img).convertToFormat(to);
        bpp = 32;
        break;
    }
    default:
        img = std::move(img).convertToFormat(QImage::Format_RGB888);
        bpp = 24;
        break;
    }
    if (img.isNull())
        return ERROR_NO_MEMORY;
    if (bpp <= 8) {
        // An indexed image needs a table: a missing one is the depth's default, a longer one is
        // cut to the depth. Indices past a short table read as black. The table is set only when
        // it changes: on an image that is still shared, setting it copies every pixel, and a copy
        // that fails leaves no image at all.
        if (pal.isEmpty())
            pal = img.colorTable();
        if (bpp == 1 && pal.isEmpty())
            pal = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        if (pal.isEmpty())
            pal = GreyPalette(1 << bpp);
        if (pal.size() > (1 << bpp))
            pal.resize(1 << bpp);
        if (pal != img.colorTable()) {
            img.setColorTable(pal);
            if (img.isNull())
                return ERROR_NO_MEMORY;
        }
    }
    m_image = std::move(img);
    m_nBitsPerPixel = bpp;
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

QImage LBitmapBase::ToQImage() const {
    DEF_TRY
    if (!IsAllocated())
        return {};
    return m_image.convertToFormat(m_image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                             : QImage::Format_RGB32);
    DEF_CATCH
    return {};
}

COLORREF LBitmapBase::GetPixelColor(int x, int y) const {
    if (!IsAllocated() || x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return 0;
    QRgb c;
    if (m_nBitsPerPixel <= 8) {
        const int index = m_image.pixelIndex(x, y);
        const QList<QRgb> pal = m_image.colorTable();
        c = index < pal.size() ? pal[index] : qRgb(0, 0, 0);
    } else {
        c = m_image.pixel(x, y);
    }
    return RGB(BYTE(qRed(c)), BYTE(qGreen(c)), BYTE(qBlue(c)));
}

int LBitmapBase::StatusCallBack(int) { return SUCCESS; }

ImagingProgress LBitmapBase::Progress() {
    if (!m_bCallBack)
        return {};
    return [this](int percent) { return StatusCallBack(percent); };
}

QByteArray LBitmapBase::ConvertToDIB() const {
    DEF_TRY
    QByteArray out;
    if (EncodeDib(*this, out) != SUCCESS)
        return {};
    return out;
    DEF_CATCH
    return {};
}

int LBitmapBase::ConvertFromDIB(const QByteArray& dib) {
    DEF_TRY
    if (dib.isNull())
        return ERROR_NULL_MEMORY;
    LBitmapBase tmp;
    const int rc = DecodeDib(reinterpret_cast<const uchar*>(dib.constData()),
                             std::size_t(dib.size()), tmp);
    if (rc != SUCCESS)
        return rc;
    TakePixels(tmp);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

void LBitmapBase::TakePixels(LBitmapBase& from) {
    m_image = std::move(from.m_image);
    from.m_image = QImage();
    m_nBitsPerPixel = from.m_nBitsPerPixel;
    m_nXRes = from.m_nXRes;
    m_nYRes = from.m_nYRes;
    from.m_nBitsPerPixel = 0;
}

QString brellin::imaging::DibMimeType() {
    // The name Qt gives the Windows clipboard format, so that the block means the same on
    // every platform.
    return QStringLiteral("application/x-qt-windows-mime;value=\"DeviceIndependentBitmap\"");
}

int LBitmapBase::CopyToClipboard(unsigned flags) const {
    DEF_TRY
    if (!IsAllocated())
        return ERROR_NOT_ALLOCATED;
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb)
        return ERROR_CLIPBOARD;
    // Owned here until the clipboard takes it, so that a fault on the way frees it.
    auto mime = std::make_unique<QMimeData>();
    if (flags & COPY_IMAGE) {
        const QImage image = ToQImage();
        if (image.isNull())
            return ERROR_NO_MEMORY;
        mime->setImageData(image);
    }
    if (flags & COPY_DIB) {
        const QByteArray dib = ConvertToDIB();
        if (dib.isNull())
            return ERROR_NO_MEMORY;
        mime->setData(DibMimeType(), dib);
        // The BMP file wraps the same packed bitmap: a large page is encoded once.
        mime->setData(QStringLiteral("image/bmp"), BmpFromDib(*this, dib));
    }
    if (flags & COPY_EMPTY)
        cb->clear();
    cb->setMimeData(mime.release());
    return SUCCESS;
    DEF_CATCH
    return ERROR_CLIPBOARD;
}

RECT LBitmapBase::GetSrcRect() const {
    if (m_bSrcSet)
        return m_rcSrc;
    return RECT{0, 0, GetWidth(), GetHeight()};
}

RECT LBitmapBase::GetDstRect() const {
    if (m_bDstSet)
        return m_rcDst;
    return RECT{0, 0, GetWidth(), GetHeight()};
}

int LBitmapBase::Paint(QPainter* painter, DWORD rop) const {
    if (!painter)
        return ERROR_INV_PARAMETER;
    return PaintBitmap(*painter, *this, GetSrcRect(), GetDstRect(), rop);
}

int LBitmapBase::Load(const QString& path, int bitsPerPixel, int page) {
    LFile file(this);
    file.SetFileName(path);
    return file.LoadFile(bitsPerPixel, page);
}

int LBitmapBase::Save(const QString& path, int format, int bitsPerPixel, int quality,
                      unsigned flags) const {
    LFile file(const_cast<LBitmapBase*>(this));
    file.SetFileName(path);
    return file.SaveFile(format, bitsPerPixel, quality, flags);
}
