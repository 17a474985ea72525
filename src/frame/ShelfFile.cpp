#include "frame/ShelfFile.h"

#include "objects/ObjectBlock.h"
#include "objects/TranspImage.h"
#include "platform/Guard.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>

namespace {
// Size, kind, the rest of the picture head, the bitmap's byte count and the closing zero.
constexpr qint64 kMinPictureBlock = IMAGE_BLOCK_OVERHEAD;
// The width and height fields of the bitmap's header.
constexpr int kDibHeaderSize = 40;

class CShelfReader {
public:
    explicit CShelfReader(const QByteArray& bytes) : m_bytes(bytes) {}
    qint64 Remaining() const { return m_bytes.size() - m_pos; }
    bool Int32(std::int32_t& v) {
        if (Remaining() < 4) return false;
        v = qFromLittleEndian<std::int32_t>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    QByteArray Take(qint64 n) {
        QByteArray out = m_bytes.mid(m_pos, n);
        m_pos += n;
        return out;
    }

private:
    const QByteArray& m_bytes;
    qint64 m_pos = 0;
};

void AppendInt32(QByteArray& out, std::int32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
} // namespace

bool ReadShelfBytes(const QByteArray& bytes, std::vector<SHELFITEM>& items, QString& reason) {
    DEF_TRY
    CShelfReader r(bytes);
    if (r.Remaining() < qint64(sizeof(SHELFFILEHEAD))) {
        reason = QStringLiteral("the file is too short for a shelf");
        return false;
    }
    // The magic's two padding bytes are not looked at.
    const QByteArray magic = r.Take(8);
    std::int32_t version = 0;
    if (std::memcmp(magic.constData(), SHELF_MAGIC, sizeof SHELF_MAGIC) != 0) {
        reason = QStringLiteral("the file is not a shelf");
        return false;
    }
    r.Int32(version);
    if (version != SHELF_VERSION) {
        reason = QStringLiteral("the shelf has version %1; this program reads version %2")
                     .arg(version)
                     .arg(SHELF_VERSION);
        return false;
    }
    for (int n = 1;; ++n) {
        std::int32_t size = 0;
        if (!r.Int32(size)) {
            reason = QStringLiteral("the list of items has no end");
            return false;
        }
        if (size == 0) return true;
        if (size < BLOCK_PREFIX_SIZE || size > r.Remaining()) {
            reason = QStringLiteral("item %1 says it has %2 bytes").arg(n).arg(size);
            return false;
        }
        SHELFITEM item;
        item.block = r.Take(size);
        if (qFromLittleEndian<std::int32_t>(item.block.constData()) != size) {
            reason = QStringLiteral("item %1 does not have the size it says").arg(n);
            return false;
        }
        std::int32_t length = 0;
        // The length counts the label's terminating zero, so it is never 0.
        if (!r.Int32(length) || length < 1 || length > r.Remaining()) {
            reason = QStringLiteral("the label of item %1 does not fit").arg(n);
            return false;
        }
        item.label = r.Take(length);
        const qsizetype end = item.label.indexOf('\0');
        item.label.truncate(end >= 0 ? end : item.label.size());
        items.push_back(std::move(item));
    }
    DEF_CATCH
    reason = QStringLiteral("the shelf cannot be read");
    return false;
}

QByteArray WriteShelfBytes(const std::vector<SHELFITEM>& items) {
    DEF_TRY
    QByteArray out;
    qint64 total = sizeof(SHELFFILEHEAD) + 4;
    for (const SHELFITEM& item : items)
        total += 12 + item.block.size() + item.label.size() + 1;
    out.reserve(qsizetype(total));
    out.append(SHELF_MAGIC, sizeof SHELF_MAGIC);
    out.append(8 - qsizetype(sizeof SHELF_MAGIC), '\0');
    AppendInt32(out, SHELF_VERSION);
    for (const SHELFITEM& item : items) {
        if (item.block.isEmpty()) continue;
        AppendInt32(out, std::int32_t(item.block.size()));
        out.append(item.block);
        AppendInt32(out, std::int32_t(item.label.size() + 1));
        out.append(item.label);
        out.append('\0');
    }
    AppendInt32(out, 0);
    return out;
    DEF_CATCH
    return {};
}

ShelfReadResult ReadShelfFile(const QString& path, std::vector<SHELFITEM>& items, QString& reason) {
    DEF_TRY
    if (path.isEmpty() || !QFileInfo::exists(path)) return ShelfReadResult::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return ShelfReadResult::Failed;
    }
    if (file.size() > SHELF_MAX_FILE_SIZE) {
        reason = QStringLiteral("the file is too large for a shelf");
        return ShelfReadResult::Failed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return ShelfReadResult::Failed;
    }
    return ReadShelfBytes(bytes, items, reason) ? ShelfReadResult::Read : ShelfReadResult::Failed;
    DEF_CATCH
    reason = QStringLiteral("the shelf cannot be read");
    return ShelfReadResult::Failed;
}

bool WriteShelfFile(const QString& path, const std::vector<SHELFITEM>& items, QString& reason) {
    DEF_TRY
    const QByteArray bytes = WriteShelfBytes(items);
    if (bytes.isEmpty()) {
        reason = QStringLiteral("out of memory");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
    DEF_CATCH
    reason = QStringLiteral("the shelf cannot be written");
    return false;
}

bool GetPictureBlockSize(const QByteArray& block, SIZE& size) {
    DEF_TRY
    const CObjectBlockReader r(block);
    if (!r.IsValid() || r.GetKind() != CLIPKIND_IMAGE || r.GetSize() < kMinPictureBlock) return false;
    std::int32_t dibSize = 0, headerSize = 0, width = 0, height = 0;
    if (!r.Int32(IMAGE_BLOCK_DIBSIZE, dibSize) || dibSize < kDibHeaderSize ||
        !r.Has(IMAGE_BLOCK_DIB, dibSize) || !r.Int32(IMAGE_BLOCK_DIB, headerSize) ||
        headerSize < kDibHeaderSize || headerSize > dibSize ||
        !r.Int32(IMAGE_BLOCK_DIB + 4, width) || !r.Int32(IMAGE_BLOCK_DIB + 8, height))
        return false;
    // A negative height is a top-down bitmap.
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    size = SIZE{width, height < 0 ? -height : height};
    return true;
    DEF_CATCH
    return false;
}

bool IsShelfPicture(const QByteArray& block, bool bAnySize) {
    SIZE size;
    if (!GetPictureBlockSize(block, size)) return false;
    return bAnySize || size.cx == SHELF_CURSOR_SIZE || size.cy == SHELF_CURSOR_SIZE;
}
