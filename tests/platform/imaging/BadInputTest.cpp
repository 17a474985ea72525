// Hostile files: headers that claim absurd or zero sizes and palettes longer than the file give a
// clean error code before anything is allocated. Files written by another producer decode.

#include "ImagingTestUtil.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

using brellin::imaging::DecodeImage;

void Le16(QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void Le32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void Be32(QByteArray& b, quint32 v) {
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

quint32 Crc32(const QByteArray& data) {
    quint32 c = 0xFFFFFFFF;
    for (char ch : data) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
    }
    return ~c;
}

QByteArray PngHeader(quint32 w, quint32 h, int depth, int colorType) {
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    QByteArray chunk("IHDR");
    Be32(chunk, w);
    Be32(chunk, h);
    chunk.append(char(depth)).append(char(colorType)).append('\0').append('\0').append('\0');
    Be32(b, 13);
    b.append(chunk);
    Be32(b, Crc32(chunk));
    // The first data chunk's header, where reading the header stops.
    Be32(b, 0);
    b.append("IDAT", 4);
    Be32(b, Crc32("IDAT"));
    return b;
}

// A little-endian TIFF with one strip of `stripBytes` zero bytes.
QByteArray Tiff(quint32 w, quint32 h, quint16 bps, quint16 spp, quint32 stripBytes) {
    QByteArray b("II*\0", 4);
    Le32(b, 8);
    struct Entry {
        quint16 tag, type;
        quint32 count, value;
    };
    const quint32 dataOffset = 8 + 2 + 9 * 12 + 4;
    const Entry entries[] = {
        {256, 4, 1, w},           {257, 4, 1, h},     {258, 3, 1, bps},
        {259, 3, 1, 1},           {262, 3, 1, spp == 3 ? 2u : 1u},
        {273, 4, 1, dataOffset},  {277, 3, 1, spp},   {278, 4, 1, h},
        {279, 4, 1, stripBytes},
    };
    Le16(b, 9);
    for (const Entry& e : entries) {
        Le16(b, e.tag);
        Le16(b, e.type);
        Le32(b, e.count);
        if (e.type == 3) {
            Le16(b, quint16(e.value));
            Le16(b, 0);
        } else {
            Le32(b, e.value);
        }
    }
    Le32(b, 0);
    b.append(QByteArray(int(stripBytes), '\0'));
    return b;
}

QByteArray Bmp(qint32 w, qint32 h, int bpp, quint32 clrUsed, int bitsBytes) {
    QByteArray b("BM", 2);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 14 + 40);
    Le32(b, 40);
    Le32(b, quint32(w));
    Le32(b, quint32(h));
    Le16(b, 1);
    Le16(b, quint16(bpp));
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, clrUsed);
    Le32(b, 0);
    b.append(QByteArray(bitsBytes, '\0'));
    return b;
}

QByteArray Pcx(quint16 xmax, quint16 ymax, int bpp, int planes, int payload) {
    QByteArray b;
    b.append(char(0x0A)).append(char(5)).append(char(1)).append(char(bpp));
    Le16(b, 0);
    Le16(b, 0);
    Le16(b, xmax);
    Le16(b, ymax);
    Le16(b, 72);
    Le16(b, 72);
    b.append(QByteArray(48, '\0'));
    b.append('\0').append(char(planes));
    Le16(b, quint16(std::min<int>(65535, (xmax + 1) * bpp / 8 + 1)));
    Le16(b, 1);
    b.append(QByteArray(58, '\0'));
    b.append(QByteArray(payload, char(0xC1)));
    return b;
}

QByteArray Jpeg(quint16 w, quint16 h) {
    QByteArray b("\xFF\xD8", 2);
    b.append("\xFF\xC0", 2);
    b.append('\0').append(char(11)).append(char(8));
    b.append(char(h >> 8)).append(char(h & 0xFF)).append(char(w >> 8)).append(char(w & 0xFF));
    b.append(char(1)).append(char(1)).append(char(0x11)).append('\0');
    b.append("\xFF\xD9", 2);
    return b;
}

int Decode(const QByteArray& bytes) {
    LBitmapBase out;
    const int rc = DecodeImage(Bytes(bytes), std::size_t(bytes.size()), 1, out, {});
    if (rc != SUCCESS) {
        EXPECT_FALSE(out.IsAllocated());
    }
    return rc;
}

TEST(BadInput, AbsurdSizesFailBeforeAllocating) {
    // ERROR_IMAGE_TOO_LARGE comes from the size check; a failed allocation would say
    // ERROR_NO_MEMORY.
    EXPECT_LT(Decode(PngHeader(100000, 100000, 8, 2) + QByteArray(64, '\0')), 0);
    EXPECT_EQ(Decode(PngHeader(60000, 60000, 8, 2) + QByteArray(64, '\0')), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(Tiff(100000, 100000, 1, 1, 16)), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(Tiff(60000, 60000, 8, 3, 16)), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(Bmp(100000, 100000, 24, 0, 16)), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(Bmp(30000, -30000, 32, 0, 16)), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(Pcx(65000, 65000, 8, 3, 64)), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(Jpeg(65000, 65000)), ERROR_IMAGE_TOO_LARGE);
}

TEST(BadInput, ZeroSizesAndShortDataAreRefused) {
    EXPECT_LT(Decode(PngHeader(0, 10, 8, 2)), 0);
    EXPECT_LT(Decode(Tiff(0, 10, 8, 1, 16)), 0);
    EXPECT_EQ(Decode(Bmp(0, 10, 24, 0, 16)), ERROR_CORRUPT);
    EXPECT_EQ(Decode(Bmp(10, 0, 24, 0, 16)), ERROR_CORRUPT);
    EXPECT_LT(Decode(Jpeg(0, 10)), 0);
    // Pixels the file does not have: a 100 x 100 24-bit BMP with 16 bytes of bits.
    EXPECT_EQ(Decode(Bmp(100, 100, 24, 0, 16)), ERROR_CORRUPT);
    // A PCX whose runs end long before its rows.
    EXPECT_EQ(Decode(Pcx(99, 99, 8, 1, 4)), ERROR_CORRUPT);
    EXPECT_EQ(Decode(QByteArray()), ERROR_FILE_FORMAT);
    EXPECT_EQ(Decode(QByteArray("not an image at all")), ERROR_FILE_FORMAT);
}

TEST(BadInput, PalettesLongerThanTheFileAreRefused) {
    EXPECT_EQ(Decode(Bmp(4, 4, 8, 200, 16)), ERROR_CORRUPT);
    EXPECT_EQ(Decode(Bmp(4, 4, 8, 0xFFFFFFFF, 16)), ERROR_CORRUPT);
    // A TIFF strip that claims more bytes than the file holds.
    QByteArray t = Tiff(64, 64, 8, 1, 4096);
    t.chop(4000);
    EXPECT_EQ(Decode(t), ERROR_CORRUPT);
}

// A PNG of a 1 x 1 image with `extra` chunks between its header and its pixels.
QByteArray PngWith(const QByteArray& extra) {
    QByteArray b = PngHeader(1, 1, 8, 2);
    b.chop(12); // the empty data chunk
    b.append(extra);
    // One row: filter 0 and the three samples of a red pixel, deflated.
    const QByteArray pixels = QByteArray::fromHex("789c63f8cfc0000003010100");
    Be32(b, quint32(pixels.size()));
    b.append("IDAT").append(pixels);
    Be32(b, Crc32("IDAT" + pixels));
    Be32(b, 0);
    b.append("IEND");
    Be32(b, Crc32("IEND"));
    return b;
}

QByteArray PngChunk(const char* type, const QByteArray& body) {
    QByteArray b;
    Be32(b, quint32(body.size()));
    b.append(type, 4).append(body);
    Be32(b, Crc32(QByteArray(type, 4) + body));
    return b;
}

TEST(BadInput, PngChunksClaimingGigabytesCostNothing) {
    // Chunks of 80-byte files that claim 2 GB: text of each kind, a chunk of no known kind and
    // the image data. Each is refused, and no reservation of their size is ever made.
    const QDir dir(TestDataDir() + QStringLiteral("/imaging/fuzz-seeds/png"));
    const QStringList hostile = dir.entryList({QStringLiteral("hostile-*.png")}, QDir::Files);
    ASSERT_EQ(hostile.size(), 5);
    const std::int64_t before = PeakAddressSpace();
    for (const QString& name : hostile) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(Decode(bytes), ERROR_CORRUPT) << name.toStdString();
        FILEINFO info;
        EXPECT_LT(brellin::imaging::ReadInfo(Bytes(bytes), std::size_t(bytes.size()), info), 0)
            << name.toStdString();
    }
    EXPECT_LT(PeakAddressSpace() - before, 512LL << 20);
}

TEST(BadInput, PngAncillaryChunksAreSkippedNotRefused) {
    // Text and private chunks that really hold their bytes, however long, cost the image
    // nothing: the pixels and the resolution still read.
    QByteArray phys;
    Be32(phys, 11811); // 300 dpi
    Be32(phys, 11811);
    phys.append('\1');
    const QByteArray text = "Comment" + QByteArray(1, '\0') + QByteArray(9 << 20, 'x');
    const QByteArray png = PngWith(PngChunk("tEXt", text) + PngChunk("prVt", QByteArray(300, 'p')) +
                                   PngChunk("iTXt", QByteArray("Title\0\0\0\0\0scan", 15)) +
                                   PngChunk("pHYs", phys));
    LBitmapBase out;
    ASSERT_EQ(DecodeImage(Bytes(png), std::size_t(png.size()), 1, out, {}), SUCCESS);
    EXPECT_EQ(out.GetBitsPerPixel(), 24);
    EXPECT_EQ(out.GetPixelColor(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(out.GetXResolution(), 300);
    // Cut inside the last chunk: the image is incomplete.
    EXPECT_EQ(Decode(png.left(png.size() - 6)), ERROR_CORRUPT);
}

TEST(BadInput, FilesOfAnotherProducerDecode) {
    // Samples written by ImageMagick and libtiff's tiffcp.
    for (const char* sub : {"png", "tiff", "bmp", "pcx", "jpeg"}) {
        const QDir dir(TestDataDir() + QStringLiteral("/imaging/fuzz-seeds/") +
                       QString::fromLatin1(sub));
        // The hostile seeds are there for the fuzz replay, not as samples.
        const QStringList files =
            dir.entryList(QDir::Files).filter(QRegularExpression(QStringLiteral("^(?!hostile-)")));
        ASSERT_FALSE(files.isEmpty()) << sub;
        for (const QString& name : files) {
            LBitmapBase b;
            EXPECT_EQ(b.Load(dir.filePath(name)), SUCCESS) << name.toStdString();
            EXPECT_EQ(b.GetWidth(), 24) << name.toStdString();
            EXPECT_EQ(b.GetHeight(), 16) << name.toStdString();
        }
    }
    LFile two;
    two.SetFileName(TestDataDir() + QStringLiteral("/imaging/fuzz-seeds/tiff/g4-two-pages.tif"));
    LBitmapList pages;
    ASSERT_EQ(two.LoadBitmapList(pages), SUCCESS);
    ASSERT_EQ(pages.GetItemsCount(), 2);
    EXPECT_EQ(pages.Item(0)->GetBitsPerPixel(), 1); // a fax page stays 1 bit
    EXPECT_EQ(pages.Item(0)->GetXResolution(), 200);
    EXPECT_EQ(pages.Item(1)->GetWidth(), 16);
}

} // namespace
