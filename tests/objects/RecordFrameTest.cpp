#include "ObjectBytes.h"
#include "objects/RecordFrame.h"

#include <QBuffer>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

QByteArray Store(const std::function<void(CArchive&)>& write) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    write(ar);
    return bytes;
}

// Loads `bytes` with `read`; false when the archive refused them.
bool Load(QByteArray bytes, const std::function<void(CArchive&)>& read, int* cause = nullptr) {
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    try {
        read(ar);
        return true;
    } catch (const CArchiveException& e) {
        if (cause)
            *cause = e.m_cause;
        return false;
    }
}

TEST(RecordFrameTest, WrittenFrameMatchesHandBuiltBytes) {
    const QByteArray written = Store([](CArchive& ar) {
        CRecordFrameWriter w(RECORD_SIZE_SHAPE, RECORD_VERSION_SHAPE, 0.00001);
        w.Fixed() << std::int32_t(0x11) << std::int32_t(-2);
        w.Variable() << std::int32_t(7);
        w.WriteTo(ar);
    });
    const QByteArray expected = Bytes()
                                    .I32(4 + 56 + 4)
                                    .I32(56)
                                    .I32(56)
                                    .I32(1)
                                    .F64(0.00001)
                                    .I32(0x11)
                                    .I32(-2)
                                    .Zeros(56 - 24)
                                    .I32(7)
                                    .bytes();
    EXPECT_EQ(written.toHex(), expected.toHex());
}

TEST(RecordFrameTest, FieldsBeyondTheStructureAreRefusedOnWriting) {
    EXPECT_THROW(Store([](CArchive& ar) {
                     CRecordFrameWriter w(24, 1);
                     w.Fixed() << std::int32_t(1) << std::int32_t(2) << std::int32_t(3);
                     w.WriteTo(ar);
                 }),
                 CArchiveException);
}

TEST(RecordFrameTest, LargerStructureIsReadAsFarAsKnownAndTheRestSkipped) {
    // A newer writer's 64-byte structure read by a reader that knows 56 bytes.
    const QByteArray bytes = Bytes()
                                 .I32(4 + 64 + 4)
                                 .I32(64)
                                 .I32(64)
                                 .I32(3)
                                 .F64(0.00002)
                                 .I32(0x1234)
                                 .Zeros(64 - 20 - 4)
                                 .I32(-99) // the field this reader does not know
                                 .I32(42)  // variable data
                                 .I32(0x5151) // the next record
                                 .bytes();
    g_dUnitScale = 0.00001;
    ASSERT_TRUE(Load(bytes, [](CArchive& ar) {
        CRecordFrameReader r(ar, 56);
        EXPECT_EQ(r.GetRecordSize(), 72);
        EXPECT_EQ(r.GetStructSize(), 64);
        EXPECT_EQ(r.GetVersion(), 3);
        EXPECT_EQ(r.GetUnitScale(), 0.00002);
        std::int32_t field = 0;
        r.Fixed() >> field;
        EXPECT_EQ(field, 0x1234);
        EXPECT_EQ(r.GetVariableRemaining(), 4);
        std::int32_t variable = 0;
        r.Archive() >> variable;
        EXPECT_EQ(variable, 42);
        r.End();
        std::int32_t next = 0;
        ar >> next;
        EXPECT_EQ(next, 0x5151);
    }));
    // Loading a record sets the program's unit scale from it.
    EXPECT_EQ(g_dUnitScale, 0.00002);
}

TEST(RecordFrameTest, SmallerOlderStructureLeavesLaterFieldsAbsent) {
    const QByteArray bytes =
        Bytes().I32(4 + 20 + 8).I32(20).I32(20).I32(1).F64(0.00001).I32(5).Zeros(8).bytes();
    ASSERT_TRUE(Load(bytes, [](CArchive& ar) {
        CRecordFrameReader r(ar, 56);
        EXPECT_TRUE(r.HasField(16, 4));
        EXPECT_FALSE(r.HasField(20, 4));
        std::int32_t v = 0;
        r.Fixed() >> v;
        EXPECT_EQ(v, 5);
        // Reading on runs into the end of the stored structure, not into the variable data.
        EXPECT_THROW(r.Fixed() >> v, CArchiveException);
        r.End(); // skips the 8 unread bytes
        EXPECT_EQ(ar.GetRemaining(), 0);
    }));
}

TEST(RecordFrameTest, AbsurdLengthsAreRefusedBeforeAnythingIsRead) {
    const double scale = 0.00001;
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"negative L", Bytes().I32(-1).I32(16).I32(16).I32(1).F64(scale).bytes()},
        {"L below S's width", Bytes().I32(2).I32(16).bytes()},
        {"L beyond the file", Bytes().I32(0x7FFFFFFF).I32(16).I32(16).I32(1).F64(scale).bytes()},
        {"negative S", Bytes().I32(20).I32(-16).I32(16).I32(1).F64(scale).bytes()},
        {"S beyond L", Bytes().I32(20).I32(1000000000).I32(16).I32(1).F64(scale).Zeros(4).bytes()},
        {"S without a header", Bytes().I32(12).I32(8).I32(8).I32(1).bytes()},
        {"zero unit scale", Bytes().I32(20).I32(16).I32(16).I32(1).F64(0.0).bytes()},
        {"negative unit scale", Bytes().I32(20).I32(16).I32(16).I32(1).F64(-scale).bytes()},
        {"unit scale not a number",
         Bytes().I32(20).I32(16).I32(16).I32(1).F64(std::nan("")).bytes()},
        {"infinite unit scale",
         Bytes()
             .I32(20)
             .I32(16)
             .I32(16)
             .I32(1)
             .F64(std::numeric_limits<double>::infinity())
             .bytes()},
    };
    for (const auto& c : cases) {
        g_dUnitScale = 0.00001;
        EXPECT_FALSE(Load(c.bytes, [](CArchive& ar) { CRecordFrameReader r(ar, 56); })) << c.what;
        EXPECT_EQ(g_dUnitScale, 0.00001) << c.what;
    }
}

TEST(RecordFrameTest, CountsAndReadsBeyondTheRecordAreRefused) {
    const QByteArray bytes =
        Bytes().I32(4 + 16 + 8).I32(16).I32(16).I32(1).F64(0.00001).I32(1).I32(2).I32(3).bytes();
    EXPECT_TRUE(Load(bytes, [](CArchive& ar) {
        CRecordFrameReader r(ar, 16);
        r.CheckVariableCount(2, 4);
        EXPECT_THROW(r.CheckVariableCount(3, 4), CArchiveException);
        EXPECT_THROW(r.CheckVariableCount(-1, 4), CArchiveException);
        EXPECT_THROW(r.CheckVariableCount(0x40000000, 8), CArchiveException);
    }));
    int cause = 0;
    EXPECT_FALSE(Load(bytes,
                      [](CArchive& ar) {
                          CRecordFrameReader r(ar, 16);
                          std::int32_t v;
                          r.Archive() >> v >> v >> v; // one int32 past the record
                          r.End();
                      },
                      &cause));
    EXPECT_EQ(cause, CArchiveException::programRefusal);
}

TEST(RecordFrameTest, CoordinatesScaleWithTheScreenResolution) {
    const QByteArray saved = qgetenv("BRELLIN_SCREEN_DPI");
    qputenv("BRELLIN_SCREEN_DPI", "120");
    const CRecordDpi at120;
    EXPECT_EQ(at120.StoreX(100), 125);
    EXPECT_EQ(at120.LoadX(125), 100);
    // Truncation toward zero on both sides of 0.
    EXPECT_EQ(at120.StoreX(-101), -126);
    EXPECT_EQ(at120.LoadY(-126), -100);
    qputenv("BRELLIN_SCREEN_DPI", "96");
    EXPECT_EQ(CRecordDpi().LoadX(125), 125);
    qputenv("BRELLIN_SCREEN_DPI", "120,144");
    const CRecordDpi mixed;
    EXPECT_EQ(mixed.Store(RECT{96, 96, 192, 192}), (RECT{120, 144, 240, 288}));
    EXPECT_EQ(mixed.Load(POINT{120, 144}), (POINT{96, 96}));
    qputenv("BRELLIN_SCREEN_DPI", saved);

    // Values that would not fit a stored int32 are held at its limits.
    EXPECT_EQ(CRecordDpi(960, 960).StoreX(INT_MAX), INT_MAX);
    EXPECT_EQ(CRecordDpi(960, 960).StoreY(INT_MIN), INT_MIN);
}

} // namespace
