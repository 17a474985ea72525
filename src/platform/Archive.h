#pragma once
// A little-endian binary archive over a QIODevice: the form every record of the program's files is
// read and written in. Loading distrusts the bytes: a short read raises "end of file", and lengths
// are checked against what remains before anything is allocated.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

class QIODevice;

class CArchiveException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
        programRefusal = 100, // the program's own refusal of a record it cannot take
    };
    explicit CArchiveException(int cause, QString text = {})
        : m_cause(cause), m_strText(std::move(text)) {}
    int m_cause;
    QString m_strText; // what was wrong, for the message shown to the user
    QString Describe() const;
};

[[noreturn]] void AfxThrowArchiveException(int cause, const QString& text = {});

// What a device says went wrong. A file device that fails a buffered write leaves its own text
// at "Unknown error" while the system's error is still in errno ("No space left on device"), so
// that one (savedErrno, taken right after the failure) is given instead.
QString DeviceErrorText(const QIODevice* device, int savedErrno);

class CArchive {
public:
    enum Mode { load = 1, store = 0 };
    CArchive(QIODevice* device, Mode mode);

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }
    QIODevice* GetDevice() const { return m_device; }

    qint64 GetPosition() const;
    qint64 GetRemaining() const; // bytes left to read
    void Seek(qint64 pos);

    // Raw bytes. Read returns how many bytes it got; ReadExact raises "end of file" when short.
    qint64 Read(void* buffer, qint64 count);
    void ReadExact(void* buffer, qint64 count);
    QByteArray ReadBytes(qint64 count); // checked against what remains
    void Write(const void* buffer, qint64 count);
    void Write(const QByteArray& bytes) { Write(bytes.constData(), bytes.size()); }

    // Refuses a count that cannot fit in what remains (each element at least elemSize bytes).
    void CheckCount(qint64 count, qint64 elemSize = 1) const;

    CArchive& operator<<(std::uint8_t v);
    CArchive& operator<<(std::int16_t v);
    CArchive& operator<<(std::uint16_t v);
    CArchive& operator<<(std::int32_t v);
    CArchive& operator<<(std::uint32_t v);
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator>>(std::uint8_t& v);
    CArchive& operator>>(std::int16_t& v);
    CArchive& operator>>(std::uint16_t& v);
    CArchive& operator>>(std::int32_t& v);
    CArchive& operator>>(std::uint32_t& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);

    // The toolkit's string encoding: one length byte; 0xFF and a 16-bit length; 0xFF 0xFFFF and a
    // 32-bit length. The bytes are the text in its own code page.
    void WriteCString(const QByteArray& text);
    QByteArray ReadCString();

    void Flush();

private:
    void WriteLE(std::uint64_t v, int bytes);
    std::uint64_t ReadLE(int bytes);

    QIODevice* m_device;
    Mode m_mode;
};
