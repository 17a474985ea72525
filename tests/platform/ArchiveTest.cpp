#include "platform/Archive.h"

#include <QBuffer>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b += char(v);
    return b;
}

// Writes through a store archive and returns the bytes.
template <typename F> QByteArray Store(F write) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    write(ar);
    return bytes;
}

// A load archive over a copy of `bytes`.
class Loader {
public:
    explicit Loader(const QByteArray& bytes) : m_bytes(bytes), m_buf(&m_bytes) {
        m_buf.open(QIODevice::ReadOnly);
    }
    CArchive ar{&m_buf, CArchive::load};

private:
    QByteArray m_bytes;
    QBuffer m_buf;
};

// Remembers the largest read asked of it.
class ReadRecordingBuffer : public QBuffer {
public:
    using QBuffer::QBuffer;
    qint64 largestRequest = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        largestRequest = std::max(largestRequest, maxSize);
        return QBuffer::readData(data, maxSize);
    }
};

int CauseOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

TEST(ArchiveTest, IntegersAndRealsAreLittleEndian) {
    const QByteArray bytes = Store([](CArchive& ar) {
        ar << std::uint8_t(0xAB) << std::int16_t(-2) << std::uint16_t(0x1234)
           << std::int32_t(-123456789) << std::uint32_t(0xDEADBEEF) << 1.5f << -2.0;
    });
    const QByteArray expected = Bytes({
        0xAB,                                           // uint8
        0xFE, 0xFF,                                     // int16 -2
        0x34, 0x12,                                     // uint16
        0xEB, 0x32, 0xA4, 0xF8,                         // int32 -123456789
        0xEF, 0xBE, 0xAD, 0xDE,                         // uint32
        0x00, 0x00, 0xC0, 0x3F,                         // float 1.5
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, // double -2.0
    });
    ASSERT_EQ(bytes, expected);

    Loader in(expected);
    std::uint8_t u8 = 0;
    std::int16_t i16 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    std::uint32_t u32 = 0;
    float f = 0;
    double d = 0;
    in.ar >> u8 >> i16 >> u16 >> i32 >> u32 >> f >> d;
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(i32, -123456789);
    EXPECT_EQ(u32, 0xDEADBEEFu);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -2.0);
    EXPECT_EQ(in.ar.GetRemaining(), 0);
}

TEST(ArchiveTest, StringLengthForms) {
    struct Case {
        int length;
        QByteArray prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {0xFFFE, Bytes({0xFF, 0xFE, 0xFF})},
        {0xFFFF, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {0x10000, Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        QByteArray text(c.length, 'x');
        if (c.length > 0) text[c.length - 1] = 'z';
        const QByteArray bytes = Store([&](CArchive& ar) { ar.WriteCString(text); });
        EXPECT_EQ(bytes, c.prefix + text) << "length " << c.length;

        Loader in(bytes + "tail");
        EXPECT_EQ(in.ar.ReadCString(), text) << "length " << c.length;
        EXPECT_EQ(in.ar.GetRemaining(), 4) << "length " << c.length;
    }
}

TEST(ArchiveTest, ShortReadRaisesEndOfFile) {
    {
        Loader in(Bytes({0x01, 0x02, 0x03}));
        std::int32_t v = 0;
        EXPECT_EQ(CauseOf([&] { in.ar >> v; }), CArchiveException::endOfFile);
    }
    {
        Loader in(Bytes({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}));
        double d = 0;
        EXPECT_EQ(CauseOf([&] { in.ar >> d; }), CArchiveException::endOfFile);
    }
    {
        Loader in{QByteArray()};
        std::uint8_t b = 0;
        EXPECT_EQ(CauseOf([&] { in.ar >> b; }), CArchiveException::endOfFile);
    }
    {
        // The 0xFF escape with its 16-bit length cut off.
        Loader in(Bytes({0xFF, 0x10}));
        EXPECT_EQ(CauseOf([&] { in.ar.ReadCString(); }), CArchiveException::endOfFile);
    }
}

TEST(ArchiveTest, ClaimedLengthBeyondTheDataIsRefusedBeforeReading) {
    // A 32-bit length of nearly 4 GB on a few bytes: refused from the count alone, so no buffer of
    // that size is made and no read of it is even attempted.
    QByteArray hostile = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'});
    ReadRecordingBuffer dev(&hostile);
    dev.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    CArchive in(&dev, CArchive::load);
    EXPECT_EQ(CauseOf([&] { in.ReadCString(); }), CArchiveException::endOfFile);
    EXPECT_LE(dev.largestRequest, 4);

    Loader in2(Bytes({0x05, 'a', 'b', 'c', 'd'}));
    EXPECT_EQ(CauseOf([&] { in2.ar.ReadCString(); }), CArchiveException::endOfFile);

    Loader in3(Bytes({'a', 'b'}));
    EXPECT_EQ(CauseOf([&] { in3.ar.ReadBytes(3); }), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOf([&] { in3.ar.ReadBytes(-1); }), CArchiveException::programRefusal);
    EXPECT_EQ(CauseOf([&] { in3.ar.CheckCount(2, 2); }), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOf([&] { in3.ar.CheckCount(1, 2); }), CArchiveException::none);
    EXPECT_EQ(in3.ar.ReadBytes(2), QByteArray("ab"));
}

TEST(ArchiveTest, PositionAndRemaining) {
    Loader in(Bytes({1, 0, 2, 0, 0, 0, 9, 9}));
    EXPECT_EQ(in.ar.GetPosition(), 0);
    EXPECT_EQ(in.ar.GetRemaining(), 8);
    std::uint16_t w = 0;
    std::uint32_t d = 0;
    in.ar >> w >> d;
    EXPECT_EQ(w, 1);
    EXPECT_EQ(d, 2u);
    EXPECT_EQ(in.ar.GetPosition(), 6);
    EXPECT_EQ(in.ar.GetRemaining(), 2);
    in.ar.Seek(2);
    EXPECT_EQ(in.ar.GetRemaining(), 6);
    in.ar >> d;
    EXPECT_EQ(d, 2u);
    char buf[4] = {};
    EXPECT_EQ(in.ar.Read(buf, 4), 2); // only what is left
    EXPECT_EQ(in.ar.GetRemaining(), 0);
}

TEST(ArchiveTest, DirectionIsEnforced) {
    Loader in(Bytes({1, 2, 3, 4}));
    EXPECT_EQ(CauseOf([&] { in.ar << std::int32_t(1); }), CArchiveException::readOnly);

    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadWrite);
    CArchive out(&buf, CArchive::store);
    std::int32_t v = 0;
    EXPECT_EQ(CauseOf([&] { out >> v; }), CArchiveException::writeOnly);
}

} // namespace

namespace {
// A device that takes `room` bytes and then fails as a full disk does: errno says why, the
// device's own text does not.
class CFullDevice : public QIODevice {
public:
    explicit CFullDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 n) override {
        if (n > m_room) {
            errno = ENOSPC;
            return -1;
        }
        m_room -= n;
        return n;
    }

private:
    qint64 m_room;
};
} // namespace

TEST(ArchiveTest, FailedWritesAndSeeksNameTheSystemsCause) {
    const auto failure = [](auto&& step) {
        CFullDevice device(6);
        CArchive ar(&device, CArchive::store);
        try {
            step(ar);
        } catch (const CArchiveException& e) {
            return e.Describe();
        }
        return QStringLiteral("no exception");
    };
    const QString full = qt_error_string(ENOSPC);
    EXPECT_EQ(failure([](CArchive& ar) { ar << std::int32_t(1) << std::int32_t(2); }),
              QStringLiteral("write failed: ") + full);

    // A seek while storing is a write of what the device holds, never "end of file".
    QBuffer closed;
    CArchive ar(&closed, CArchive::store);
    try {
        ar.Seek(-1);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::genericException);
        EXPECT_TRUE(e.Describe().startsWith(QStringLiteral("write failed"))) << e.Describe().toStdString();
    }
}
