#include "platform/Archive.h"

#include <QIODevice>
#include <cerrno>
#include <cstring>

QString DeviceErrorText(const QIODevice* device, int savedErrno) {
    const QString text = device->errorString();
    if (savedErrno != 0 && (text.isEmpty() || text == QStringLiteral("Unknown error")))
        return qt_error_string(savedErrno);
    return text;
}

QString CArchiveException::Describe() const {
    if (!m_strText.isEmpty())
        return m_strText;
    switch (m_cause) {
    case endOfFile:
        return QStringLiteral("end of file");
    case badSchema:
        return QStringLiteral("unsupported version");
    case badClass:
        return QStringLiteral("unknown record kind");
    case programRefusal:
        return QStringLiteral("invalid record");
    case readOnly:
        return QStringLiteral("cannot write");
    case writeOnly:
        return QStringLiteral("cannot read");
    default:
        return QStringLiteral("invalid file");
    }
}

void AfxThrowArchiveException(int cause, const QString& text) {
    throw CArchiveException(cause, text);
}

CArchive::CArchive(QIODevice* device, Mode mode) : m_device(device), m_mode(mode) {}

qint64 CArchive::GetPosition() const { return m_device->pos(); }

qint64 CArchive::GetRemaining() const {
    if (m_device->isSequential())
        return m_device->bytesAvailable();
    return std::max<qint64>(0, m_device->size() - m_device->pos());
}

void CArchive::Seek(qint64 pos) {
    errno = 0;
    if (m_device->seek(pos))
        return;
    // A file being written flushes what it holds before it moves: failing here is a failed
    // write (a full disk), not the end of what is read.
    if (IsStoring())
        AfxThrowArchiveException(CArchiveException::genericException,
                                 QStringLiteral("write failed: %1")
                                     .arg(DeviceErrorText(m_device, errno)));
    AfxThrowArchiveException(CArchiveException::endOfFile);
}

qint64 CArchive::Read(void* buffer, qint64 count) {
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly);
    if (count <= 0)
        return 0;
    const qint64 got = m_device->read(static_cast<char*>(buffer), count);
    return got < 0 ? 0 : got;
}

void CArchive::ReadExact(void* buffer, qint64 count) {
    if (Read(buffer, count) != std::max<qint64>(count, 0))
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

void CArchive::CheckCount(qint64 count, qint64 elemSize) const {
    if (count < 0 || elemSize <= 0 || count > GetRemaining() / elemSize)
        AfxThrowArchiveException(count < 0 ? CArchiveException::programRefusal
                                           : CArchiveException::endOfFile);
}

QByteArray CArchive::ReadBytes(qint64 count) {
    CheckCount(count);
    QByteArray bytes(count, Qt::Uninitialized);
    ReadExact(bytes.data(), count);
    return bytes;
}

void CArchive::Write(const void* buffer, qint64 count) {
    if (!IsStoring())
        AfxThrowArchiveException(CArchiveException::readOnly);
    if (count <= 0)
        return;
    errno = 0;
    if (m_device->write(static_cast<const char*>(buffer), count) != count)
        AfxThrowArchiveException(CArchiveException::genericException,
                                 QStringLiteral("write failed: %1")
                                     .arg(DeviceErrorText(m_device, errno)));
}

void CArchive::WriteLE(std::uint64_t v, int bytes) {
    unsigned char b[8];
    for (int i = 0; i < bytes; ++i)
        b[i] = static_cast<unsigned char>(v >> (8 * i));
    Write(b, bytes);
}

std::uint64_t CArchive::ReadLE(int bytes) {
    unsigned char b[8];
    ReadExact(b, bytes);
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= std::uint64_t(b[i]) << (8 * i);
    return v;
}

CArchive& CArchive::operator<<(std::uint8_t v) { WriteLE(v, 1); return *this; }
CArchive& CArchive::operator<<(std::int16_t v) { WriteLE(std::uint16_t(v), 2); return *this; }
CArchive& CArchive::operator<<(std::uint16_t v) { WriteLE(v, 2); return *this; }
CArchive& CArchive::operator<<(std::int32_t v) { WriteLE(std::uint32_t(v), 4); return *this; }
CArchive& CArchive::operator<<(std::uint32_t v) { WriteLE(v, 4); return *this; }
CArchive& CArchive::operator<<(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    WriteLE(u, 4);
    return *this;
}
CArchive& CArchive::operator<<(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    WriteLE(u, 8);
    return *this;
}
CArchive& CArchive::operator>>(std::uint8_t& v) { v = std::uint8_t(ReadLE(1)); return *this; }
CArchive& CArchive::operator>>(std::int16_t& v) { v = std::int16_t(ReadLE(2)); return *this; }
CArchive& CArchive::operator>>(std::uint16_t& v) { v = std::uint16_t(ReadLE(2)); return *this; }
CArchive& CArchive::operator>>(std::int32_t& v) { v = std::int32_t(ReadLE(4)); return *this; }
CArchive& CArchive::operator>>(std::uint32_t& v) { v = std::uint32_t(ReadLE(4)); return *this; }
CArchive& CArchive::operator>>(float& v) {
    const std::uint32_t u = std::uint32_t(ReadLE(4));
    std::memcpy(&v, &u, 4);
    return *this;
}
CArchive& CArchive::operator>>(double& v) {
    const std::uint64_t u = ReadLE(8);
    std::memcpy(&v, &u, 8);
    return *this;
}

void CArchive::WriteCString(const QByteArray& text) {
    const qint64 n = text.size();
    if (n < 0xFF) {
        *this << std::uint8_t(n);
    } else if (n < 0xFFFF) {
        *this << std::uint8_t(0xFF) << std::uint16_t(n);
    } else {
        *this << std::uint8_t(0xFF) << std::uint16_t(0xFFFF) << std::uint32_t(n);
    }
    Write(text);
}

QByteArray CArchive::ReadCString() {
    std::uint8_t b = 0;
    *this >> b;
    qint64 n = b;
    if (b == 0xFF) {
        std::uint16_t w = 0;
        *this >> w;
        n = w;
        if (w == 0xFFFF) {
            std::uint32_t d = 0;
            *this >> d;
            n = d;
        }
    }
    return ReadBytes(n);
}

void CArchive::Flush() {
    // QIODevice writes through; nothing is held back here.
}
