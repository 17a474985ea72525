#pragma once
// Files and memory images of the imaging layer: LBuffer (a block of bytes), LBitmapList (the pages
// of a multi-page image), LFile (an image file on disk) and LMemoryFile (an image file held in
// memory). The format of what is read is always found from the content, never from a name.

#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class LBuffer {
public:
    LBuffer() = default;
    explicit LBuffer(QByteArray bytes) : m_data(std::move(bytes)) {}
    const QByteArray& GetData() const { return m_data; }
    QByteArray& GetData() { return m_data; }
    qsizetype GetSize() const { return m_data.size(); }
    void SetData(QByteArray bytes) { m_data = std::move(bytes); }

private:
    QByteArray m_data;
};

class LBitmapList {
public:
    int GetItemsCount() const { return int(m_items.size()); }
    // Copies item `index` into `bitmap`.
    int GetItem(int index, LBitmapBase* bitmap) const;
    const LBitmapBase* Item(int index) const;
    LBitmapBase* Item(int index);
    // Appends a copy (or takes the bitmap over with the move form).
    int InsertItem(const LBitmapBase& bitmap);
    int InsertItem(LBitmapBase&& bitmap);
    // Moves item `index` out of the list into `bitmap` and removes it.
    int RemoveItem(int index, LBitmapBase* bitmap);
    void Clear() { m_items.clear(); }

private:
    std::vector<LBitmapBase> m_items;
};

// What the header of an image file tells without decoding the pixels.
struct FILEINFO {
    int Format = FILE_UNKNOWN;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    int XResolution = 0;
    int YResolution = 0;
    int TotalPages = 0;
};

class LFile {
public:
    LFile() = default;
    explicit LFile(LBitmapBase* bitmap) : m_pBitmap(bitmap) {}
    void SetBitmap(LBitmapBase* bitmap) { m_pBitmap = bitmap; }
    void SetFileName(const QString& path) { m_strFileName = path; }
    const QString& GetFileName() const { return m_strFileName; }

    // Loads page `page` (1-based) of the file into the bitmap; bitsPerPixel 0 keeps the file's
    // depth, any other value converts to it. Progress goes to the bitmap's callback.
    int LoadFile(int bitsPerPixel = 0, int page = 1);
    // Saves the bitmap; with SAVEFILE_MULTIPAGE and a TIFF format the page is appended to the
    // existing file. The previous file is replaced only once the new one is complete.
    int SaveFile(int format, int bitsPerPixel, int quality, unsigned flags = 0);
    // Every page of the file, each at its own depth.
    int LoadBitmapList(LBitmapList& list, const ImagingProgress& progress = {});
    // All bitmaps of the list as one file (multi-page for TIFF; other formats take the first).
    int SaveBitmapList(const LBitmapList& list, int format, int bitsPerPixel, int quality,
                       const ImagingProgress& progress = {});
    int GetInfo(FILEINFO& info);

private:
    LBitmapBase* m_pBitmap = nullptr;
    QString m_strFileName;
};

class LMemoryFile {
public:
    LMemoryFile() = default;
    explicit LMemoryFile(LBitmapBase* bitmap) : m_pBitmap(bitmap) {}
    void SetBitmap(LBitmapBase* bitmap) { m_pBitmap = bitmap; }

    int LoadMemory(const LBuffer& buffer, int bitsPerPixel = 0, int page = 1);
    int SaveMemory(LBuffer& buffer, int format, int bitsPerPixel, int quality);
    int LoadBitmapList(const LBuffer& buffer, LBitmapList& list,
                       const ImagingProgress& progress = {});
    int GetInfo(const LBuffer& buffer, FILEINFO& info);

private:
    LBitmapBase* m_pBitmap = nullptr;
};

// Writes a multi-page TIFF one page at a time straight to disk; the target appears only when
// Commit succeeds.
class LTiffPageWriter {
public:
    LTiffPageWriter();
    ~LTiffPageWriter();              // an uncommitted file is removed
    LTiffPageWriter(const LTiffPageWriter&) = delete;
    LTiffPageWriter& operator=(const LTiffPageWriter&) = delete;

    int Open(const QString& path);   // result code
    // format: FILE_TIF, FILE_TIF_PACKBITS, FILE_CCITT_GROUP4 (1-bit only), FILE_TIF_LZW, FILE_TIF_ZIP;
    // bitsPerPixel 0 keeps the bitmap's depth.
    int AddPage(const LBitmapBase& bitmap, int format, int bitsPerPixel = 0, const ImagingProgress& progress = {});
    // Result code; every page's PAGENUMBER then holds the page count. A file that a page
    // failed to write halfway is never completed: Commit then fails and removes it.
    int Commit();
    void Cancel();

    // Why writing the file failed, in the system's words where it was the system's
    // ("No space left on device"); empty while nothing has failed since Open.
    QString ErrorText() const;
    int GetPageCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

namespace brellin::imaging {
// The format of a block of bytes from its signature; FILE_UNKNOWN when none matches.
int DetectFormat(const uchar* data, std::size_t size);

// Decoding: page `page` (1-based) or, with allPages, every page into `pages`.
int DecodeImage(const uchar* data, std::size_t size, int page, LBitmapBase& out,
                const ImagingProgress& progress);
int DecodeAllPages(const uchar* data, std::size_t size, LBitmapList& pages,
                   const ImagingProgress& progress);
int ReadInfo(const uchar* data, std::size_t size, FILEINFO& info);

// Encoding of one bitmap, converted to `bitsPerPixel` first when that differs (0 keeps it).
// With `existing` (TIFF only) the page is appended to that multi-page file.
int EncodeImage(const LBitmapBase& bitmap, int format, int bitsPerPixel, int quality,
                QByteArray& out, const ImagingProgress& progress,
                const QByteArray* existing = nullptr);
int EncodeAllPages(const LBitmapList& pages, int format, int bitsPerPixel, int quality,
                   QByteArray& out, const ImagingProgress& progress);

// Replaces a file only once the whole new content is written. On failure the cause (the save
// file's error text) goes to errorText when given, and to GetLastImagingIoError.
int WriteFileSafely(const QString& path, const QByteArray& bytes, QString* errorText = nullptr);
} // namespace brellin::imaging
