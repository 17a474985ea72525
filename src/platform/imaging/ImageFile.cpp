#include "platform/imaging/ImageFile.h"

#include "platform/Archive.h"
#include "platform/Guard.h"
#include "platform/imaging/Codecs.h"
#include "platform/imaging/EmfFormat.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace brellin::imaging {

int DetectFormat(const uchar* d, std::size_t size) {
    if (!d || size < 4)
        return FILE_UNKNOWN;
    static const uchar png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 8 && std::memcmp(d, png, 8) == 0)
        return FILE_PNG;
    if ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
        (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43)))
        return FILE_TIF;
    if (d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
        return FILE_JPEG;
    if (d[0] == 'B' && d[1] == 'M' && size >= 18)
        return FILE_BMP;
    if (size >= 44 && Le32(d) == 1 && Le32(d + 40) == 0x464D4520) // EMR_HEADER, " EMF"
        return FILE_EMF;
    if (size >= 128 && d[0] == 0x0A && d[1] <= 5 && d[2] <= 1 &&
        (d[3] == 1 || d[3] == 2 || d[3] == 4 || d[3] == 8))
        return FILE_PCX;
    return FILE_UNKNOWN;
}

int DecodeImage(const uchar* data, std::size_t size, int page, LBitmapBase& out,
                const ImagingProgress& progress) {
    DEF_TRY
    if (!data || size == 0)
        return ERROR_FILE_FORMAT;
    const int format = DetectFormat(data, size);
    if (format != FILE_TIF && page != 1)
        return ERROR_PAGE_NOT_FOUND;
    switch (format) {
    case FILE_PNG: return DecodePng(data, size, out, progress);
    case FILE_TIF: return DecodeTiff(data, size, page, &out, nullptr, progress);
    case FILE_JPEG: return DecodeJpeg(data, size, out, progress);
    case FILE_BMP: return DecodeBmp(data, size, out);
    case FILE_PCX: return DecodePcx(data, size, out, progress);
    case FILE_EMF: return PlayEmf(data, size, out);
    default: return ERROR_FILE_FORMAT;
    }
    DEF_CATCH
    return ERROR_INTERNAL;
}

int DecodeAllPages(const uchar* data, std::size_t size, LBitmapList& pages,
                   const ImagingProgress& progress) {
    DEF_TRY
    if (!data || size == 0)
        return ERROR_FILE_FORMAT;
    if (DetectFormat(data, size) == FILE_TIF)
        return DecodeTiff(data, size, 0, nullptr, &pages, progress);
    LBitmapBase one;
    const int rc = DecodeImage(data, size, 1, one, progress);
    if (rc == SUCCESS)
        pages.InsertItem(std::move(one));
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int ReadInfo(const uchar* data, std::size_t size, FILEINFO& info) {
    DEF_TRY
    info = FILEINFO{};
    const int format = DetectFormat(data, size);
    int rc = ERROR_FILE_FORMAT;
    switch (format) {
    case FILE_PNG: rc = PngInfo(data, size, info); break;
    case FILE_TIF: rc = TiffInfo(data, size, info); break;
    case FILE_JPEG: rc = JpegInfo(data, size, info); break;
    case FILE_BMP:
        rc = size > std::size_t(kBitmapFileHeaderSize)
                 ? DibInfo(data + kBitmapFileHeaderSize, size - kBitmapFileHeaderSize, info)
                 : ERROR_CORRUPT;
        break;
    case FILE_PCX: rc = PcxInfo(data, size, info); break;
    default: break;
    }
    if (rc == SUCCESS)
        info.Format = format;
    return rc;
    DEF_CATCH
    return ERROR_INTERNAL;
}

bool IsTiffFormat(int format) {
    return format == FILE_TIF || format == FILE_TIF_PACKBITS || format == FILE_CCITT_GROUP4 ||
           format == FILE_TIF_LZW || format == FILE_TIF_ZIP;
}

namespace {

// The depth a format can store for a requested one.
int DepthForFormat(int format, int requested) {
    switch (format) {
    case FILE_CCITT_GROUP4: return 1;
    case FILE_JPEG: return requested <= 8 ? 8 : 24;
    case FILE_PCX: return requested == 32 ? 24 : requested == 4 ? 8 : requested;
    default: return requested;
    }
}

} // namespace

int PrepareDepth(const LBitmapBase& in, int format, int bitsPerPixel, LBitmapBase& tmp,
                 const LBitmapBase*& use) {
    use = &in;
    int want = bitsPerPixel == 0 ? in.GetBitsPerPixel() : bitsPerPixel;
    if (want != 1 && want != 4 && want != 8 && want != 24 && want != 32)
        return ERROR_BAD_DEPTH;
    want = DepthForFormat(format, want);
    if (want == in.GetBitsPerPixel())
        return SUCCESS;
    const int rc = ConvertDepth(in, want, tmp);
    if (rc == SUCCESS)
        use = &tmp;
    return rc;
}

int EncodeImage(const LBitmapBase& bitmap, int format, int bitsPerPixel, int quality,
                QByteArray& out, const ImagingProgress& progress, const QByteArray* existing) {
    DEF_TRY
    if (!bitmap.IsAllocated())
        return ERROR_NOT_ALLOCATED;
    LBitmapBase tmp;
    const LBitmapBase* use = nullptr;
    int rc = PrepareDepth(bitmap, format, bitsPerPixel, tmp, use);
    if (rc != SUCCESS)
        return rc;
    switch (format) {
    case FILE_PNG:
        // Quality 0 (the page record's) is the fast level; 1..9 name a level themselves.
        return EncodePng(*use, quality <= 0 ? 1 : std::min(quality, 9), out, progress);
    case FILE_TIF:
    case FILE_TIF_PACKBITS:
    case FILE_TIF_LZW:
    case FILE_TIF_ZIP:
    case FILE_CCITT_GROUP4: return EncodeTiff({use}, format, out, existing, progress);
    case FILE_JPEG:
        rc = ReportPercent(progress, 0);
        return rc == SUCCESS ? EncodeJpeg(*use, quality, out) : rc;
    case FILE_BMP: return EncodeBmp(*use, out);
    case FILE_PCX: return EncodePcx(*use, out, progress);
    default: return ERROR_FILE_FORMAT;
    }
    DEF_CATCH
    return ERROR_INTERNAL;
}

int EncodeAllPages(const LBitmapList& pages, int format, int bitsPerPixel, int quality,
                   QByteArray& out, const ImagingProgress& progress) {
    DEF_TRY
    if (pages.GetItemsCount() == 0)
        return ERROR_NOT_ALLOCATED;
    if (!IsTiffFormat(format))
        return EncodeImage(*pages.Item(0), format, bitsPerPixel, quality, out, progress);
    std::vector<LBitmapBase> converted(std::size_t(pages.GetItemsCount()));
    std::vector<const LBitmapBase*> use(converted.size());
    for (int i = 0; i < pages.GetItemsCount(); ++i) {
        const int rc = PrepareDepth(*pages.Item(i), format, bitsPerPixel,
                                    converted[std::size_t(i)], use[std::size_t(i)]);
        if (rc != SUCCESS)
            return rc;
    }
    return EncodeTiff(use, format, out, nullptr, progress);
    DEF_CATCH
    return ERROR_INTERNAL;
}

namespace {
thread_local QString t_lastIoError;
} // namespace

void SetLastIoError(const QString& text) { t_lastIoError = text; }

int WriteFileSafely(const QString& path, const QByteArray& bytes, QString* errorText) {
    DEF_TRY
    SetLastIoError({});
    QSaveFile file(path);
    auto fail = [&](int savedErrno) {
        const QString cause = DeviceErrorText(&file, savedErrno);
        SetLastIoError(cause);
        if (errorText)
            *errorText = cause;
        return ERROR_FILE_WRITE;
    };
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(errno);
    if (file.write(bytes) != bytes.size()) {
        const int savedErrno = errno;
        const int rc = fail(savedErrno);
        file.cancelWriting();
        return rc;
    }
    errno = 0;
    if (!file.commit())
        return fail(errno);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

} // namespace brellin::imaging

QString GetLastImagingIoError() { return brellin::imaging::t_lastIoError; }

using namespace brellin::imaging;

namespace {

// An image file opened for decoding. A TIFF file is read through its descriptor, each page's
// strips where they lie, so that a multi-page scan is never held twice (its pages and the whole
// file); other formats hold one image and are mapped whole, so that decoders read them in place.
class SourceFile {
public:
    int Open(const QString& path) {
        SetLastIoError({});
        m_file.setFileName(path);
        if (path.isEmpty() || !m_file.open(QIODevice::ReadOnly)) {
            SetLastIoError(m_file.errorString());
            return ERROR_FILE_OPEN;
        }
        const qint64 size = m_file.size();
        if (size <= 0)
            return ERROR_FILE_FORMAT;
        // Every signature lies within the first 128 bytes.
        uchar head[128];
        const ssize_t n = ::pread(m_file.handle(), head, sizeof head, 0);
        if (n <= 0)
            return ReadFailed();
        m_bTiff = DetectFormat(head, std::size_t(n)) == FILE_TIF;
        if (m_bTiff)
            return SUCCESS;
        m_data = m_file.map(0, size);
        if (m_data) {
            m_size = std::size_t(size);
            return SUCCESS;
        }
        if (size > GetMaxBitmapBytes())
            return ERROR_IMAGE_TOO_LARGE;
        m_copy = m_file.readAll();
        if (m_copy.size() != size)
            return ReadFailed();
        m_data = reinterpret_cast<uchar*>(m_copy.data());
        m_size = std::size_t(m_copy.size());
        return SUCCESS;
    }
    int Handle() const { return m_file.handle(); }

    int Decode(int page, LBitmapBase& out, const ImagingProgress& progress) const {
        return m_bTiff ? DecodeTiffFile(Handle(), page, &out, nullptr, progress)
                       : DecodeImage(m_data, m_size, page, out, progress);
    }
    int DecodeAll(LBitmapList& pages, const ImagingProgress& progress) const {
        return m_bTiff ? DecodeTiffFile(Handle(), 0, nullptr, &pages, progress)
                       : DecodeAllPages(m_data, m_size, pages, progress);
    }
    int Info(FILEINFO& info) const {
        if (!m_bTiff)
            return ReadInfo(m_data, m_size, info);
        info = FILEINFO{};
        const int rc = TiffFileInfo(Handle(), info);
        if (rc == SUCCESS)
            info.Format = FILE_TIF;
        return rc;
    }

private:
    int ReadFailed() {
        SetLastIoError(m_file.errorString());
        return ERROR_FILE_READ;
    }

    QFile m_file;
    QByteArray m_copy;
    uchar* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_bTiff = false;
};

int FinishLoad(LBitmapBase& target, LBitmapBase& loaded, int bitsPerPixel) {
    if (bitsPerPixel != 0 && bitsPerPixel != loaded.GetBitsPerPixel()) {
        LBitmapBase converted;
        const int rc = ConvertDepth(loaded, bitsPerPixel, converted);
        if (rc != SUCCESS)
            return rc;
        target.TakePixels(converted);
        return SUCCESS;
    }
    target.TakePixels(loaded);
    return SUCCESS;
}

} // namespace

int LBitmapList::GetItem(int index, LBitmapBase* bitmap) const {
    if (!bitmap || index < 0 || index >= GetItemsCount())
        return ERROR_INV_PARAMETER;
    return bitmap->Copy(m_items[std::size_t(index)]);
}

const LBitmapBase* LBitmapList::Item(int index) const {
    return index >= 0 && index < GetItemsCount() ? &m_items[std::size_t(index)] : nullptr;
}

LBitmapBase* LBitmapList::Item(int index) {
    return index >= 0 && index < GetItemsCount() ? &m_items[std::size_t(index)] : nullptr;
}

int LBitmapList::InsertItem(const LBitmapBase& bitmap) {
    DEF_TRY
    m_items.push_back(bitmap);
    return SUCCESS;
    DEF_CATCH
    return ERROR_NO_MEMORY;
}

int LBitmapList::InsertItem(LBitmapBase&& bitmap) {
    DEF_TRY
    m_items.push_back(std::move(bitmap));
    return SUCCESS;
    DEF_CATCH
    return ERROR_NO_MEMORY;
}

int LBitmapList::RemoveItem(int index, LBitmapBase* bitmap) {
    if (index < 0 || index >= GetItemsCount())
        return ERROR_INV_PARAMETER;
    if (bitmap)
        bitmap->TakePixels(m_items[std::size_t(index)]);
    m_items.erase(m_items.begin() + index);
    return SUCCESS;
}

int LFile::LoadFile(int bitsPerPixel, int page) {
    DEF_TRY
    if (!m_pBitmap)
        return ERROR_INV_PARAMETER;
    SourceFile file;
    int rc = file.Open(m_strFileName);
    if (rc != SUCCESS)
        return rc;
    LBitmapBase loaded;
    rc = file.Decode(page, loaded, m_pBitmap->Progress());
    if (rc != SUCCESS)
        return rc;
    return FinishLoad(*m_pBitmap, loaded, bitsPerPixel);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LFile::SaveFile(int format, int bitsPerPixel, int quality, unsigned flags) {
    DEF_TRY
    if (!m_pBitmap)
        return ERROR_INV_PARAMETER;
    if (!m_pBitmap->IsAllocated())
        return ERROR_NOT_ALLOCATED;
    QByteArray existing;
    const bool append = (flags & SAVEFILE_MULTIPAGE) && IsTiffFormat(format) &&
                        QFile::exists(m_strFileName);
    if (append) {
        QFile f(m_strFileName);
        if (!f.open(QIODevice::ReadOnly))
            return ERROR_FILE_OPEN;
        existing = f.readAll();
        if (!existing.isEmpty() &&
            DetectFormat(reinterpret_cast<const uchar*>(existing.constData()),
                         std::size_t(existing.size())) != FILE_TIF)
            return ERROR_FILE_FORMAT;
    }
    QByteArray out;
    const int rc = EncodeImage(*m_pBitmap, format, bitsPerPixel, quality, out,
                               m_pBitmap->Progress(), append ? &existing : nullptr);
    if (rc != SUCCESS)
        return rc;
    return WriteFileSafely(m_strFileName, out);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LFile::LoadBitmapList(LBitmapList& list, const ImagingProgress& progress) {
    DEF_TRY
    SourceFile file;
    int rc = file.Open(m_strFileName);
    if (rc != SUCCESS)
        return rc;
    LBitmapList pages;
    rc = file.DecodeAll(pages, progress);
    if (rc != SUCCESS)
        return rc;
    list = std::move(pages);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LFile::SaveBitmapList(const LBitmapList& list, int format, int bitsPerPixel, int quality,
                          const ImagingProgress& progress) {
    DEF_TRY
    QByteArray out;
    const int rc = EncodeAllPages(list, format, bitsPerPixel, quality, out, progress);
    if (rc != SUCCESS)
        return rc;
    return WriteFileSafely(m_strFileName, out);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LFile::GetInfo(FILEINFO& info) {
    DEF_TRY
    SourceFile file;
    const int rc = file.Open(m_strFileName);
    if (rc != SUCCESS)
        return rc;
    return file.Info(info);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LMemoryFile::LoadMemory(const LBuffer& buffer, int bitsPerPixel, int page) {
    DEF_TRY
    if (!m_pBitmap)
        return ERROR_INV_PARAMETER;
    if (buffer.GetData().isNull())
        return ERROR_NULL_MEMORY;
    LBitmapBase loaded;
    const int rc =
        DecodeImage(reinterpret_cast<const uchar*>(buffer.GetData().constData()),
                    std::size_t(buffer.GetSize()), page, loaded, m_pBitmap->Progress());
    if (rc != SUCCESS)
        return rc;
    return FinishLoad(*m_pBitmap, loaded, bitsPerPixel);
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LMemoryFile::SaveMemory(LBuffer& buffer, int format, int bitsPerPixel, int quality) {
    DEF_TRY
    if (!m_pBitmap)
        return ERROR_INV_PARAMETER;
    QByteArray out;
    const int rc = EncodeImage(*m_pBitmap, format, bitsPerPixel, quality, out,
                               m_pBitmap->Progress());
    if (rc != SUCCESS)
        return rc;
    buffer.SetData(std::move(out));
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LMemoryFile::LoadBitmapList(const LBuffer& buffer, LBitmapList& list,
                                const ImagingProgress& progress) {
    DEF_TRY
    if (buffer.GetData().isNull())
        return ERROR_NULL_MEMORY;
    LBitmapList pages;
    const int rc = DecodeAllPages(reinterpret_cast<const uchar*>(buffer.GetData().constData()),
                                  std::size_t(buffer.GetSize()), pages, progress);
    if (rc != SUCCESS)
        return rc;
    list = std::move(pages);
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

int LMemoryFile::GetInfo(const LBuffer& buffer, FILEINFO& info) {
    DEF_TRY
    return ReadInfo(reinterpret_cast<const uchar*>(buffer.GetData().constData()),
                    std::size_t(buffer.GetSize()), info);
    DEF_CATCH
    return ERROR_INTERNAL;
}
