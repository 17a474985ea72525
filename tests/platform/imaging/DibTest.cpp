// Packed device-independent bitmaps: the bytes are exactly Windows' layout, and reading follows
// the colour-table rule of the used-colour count.

#include "ImagingTestUtil.h"

#include "platform/imaging/MyBitmap.h"

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text)); }

QByteArray Header(int w, int h, int bpp, int sizeImage, int ppm, int clrUsed, int compression = 0) {
    QByteArray b;
    auto le32 = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    le32(40);
    le32(quint32(w));
    le32(quint32(h));
    b.append(char(1)).append(char(0));
    b.append(char(bpp)).append(char(0));
    le32(quint32(compression));
    le32(quint32(sizeImage));
    le32(quint32(ppm));
    le32(quint32(ppm));
    le32(quint32(clrUsed));
    le32(0);
    return b;
}

TEST(Dib, TwentyFourBitRowsAreBottomUpBgrPaddedToFourBytes) {
    LBitmapBase b;
    ASSERT_EQ(b.Create(3, 2, 24), SUCCESS);
    QImage img = b.GetImage();
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(2, 0, qRgb(0, 0, 255));
    img.setPixel(0, 1, qRgb(255, 255, 255));
    img.setPixel(1, 1, qRgb(0, 0, 0));
    img.setPixel(2, 1, qRgb(10, 20, 30));
    b.SetImage(img, 24);
    const QByteArray expected = Header(3, 2, 24, 24, 0, 0) +
                                Hex("ffffff" "000000" "1e140a" "000000"
                                    "0000ff" "00ff00" "ff0000" "000000");
    EXPECT_EQ(b.ConvertToDIB().toHex(), expected.toHex());
}

TEST(Dib, OneBitHasTwoEntryTableAndMaskedPadding) {
    LBitmapBase b;
    ASSERT_EQ(b.Create(10, 2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}), SUCCESS);
    QImage img = b.GetImage();
    img.fill(1);                  // white, including the unused bits of each row
    img.setPixel(0, 0, 0);        // black at the top-left
    img.setPixel(9, 1, 0);        // black at the bottom-right
    b.SetImage(img, 1);
    b.SetXResolution(300);
    b.SetYResolution(300);
    const QByteArray expected = Header(10, 2, 1, 8, 11811, 0) + Hex("00000000" "ffffff00") +
                                Hex("ff800000" "7fc00000");
    EXPECT_EQ(b.ConvertToDIB().toHex(), expected.toHex());
}

TEST(Dib, ShortPaletteIsCountedAndFourBitPixelsArePacked) {
    LBitmapBase b;
    ASSERT_EQ(b.Create(3, 1, 4, {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)}), SUCCESS);
    QImage img = b.GetImage();
    img.setPixel(0, 0, 2);
    img.setPixel(1, 0, 1);
    img.setPixel(2, 0, 0);
    b.SetImage(img, 4);
    const QByteArray expected = Header(3, 1, 4, 4, 0, 3) + Hex("03020100" "06050400" "09080700") +
                                Hex("21000000");
    EXPECT_EQ(b.ConvertToDIB().toHex(), expected.toHex());
}

TEST(Dib, CopyFromHDibFollowsTheUsedColourCount) {
    // Two colours used: the pixels start right after two table entries.
    const QByteArray dib = Header(2, 1, 8, 4, 3780, 2) + Hex("0000ff00" "00ff0000") + Hex("01000000");
    LMyBitmap b;
    ASSERT_EQ(LMyBitmap::CopyFromHDib(b, dib), SUCCESS);
    EXPECT_EQ(b.GetBitsPerPixel(), 8);
    EXPECT_EQ(b.GetPixelColor(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(b.GetPixelColor(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(b.GetXResolution(), 96);

    // A used-colour count of 0 means 2^bits entries, which this block does not hold.
    const QByteArray shortTable = Header(2, 1, 8, 4, 0, 0) + Hex("0000ff00" "00ff0000") + Hex("01000000");
    EXPECT_EQ(LMyBitmap::CopyFromHDib(b, shortTable), ERROR_CORRUPT);
    EXPECT_EQ(b.GetPixelColor(0, 0), RGB(0, 255, 0)); // unchanged by the failure
    EXPECT_EQ(LMyBitmap::CopyFromHDib(b, QByteArray()), ERROR_NULL_MEMORY);
}

TEST(Dib, TopDownAndBitfieldsAreRead) {
    // Negative height: rows top-down. 16 bits with 5-6-5 masks.
    QByteArray dib = Header(1, -2, 16, 8, 0, 0, 3) + Hex("00f80000" "e0070000" "1f000000") +
                     Hex("00f80000" "1f000000");
    LBitmapBase b;
    ASSERT_EQ(b.ConvertFromDIB(dib), SUCCESS);
    EXPECT_EQ(b.GetBitsPerPixel(), 24);
    EXPECT_EQ(b.GetPixelColor(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(b.GetPixelColor(0, 1), RGB(0, 0, 255));
}

TEST(Dib, EveryDepthRoundTrips) {
    for (int bpp : {1, 4, 8, 24, 32}) {
        const LBitmapBase a = MakePattern(13, 7, bpp, 96);
        LBitmapBase b;
        ASSERT_EQ(b.ConvertFromDIB(a.ConvertToDIB()), SUCCESS);
        EXPECT_EQ(b.GetBitsPerPixel(), bpp);
        EXPECT_EQ(b.GetXResolution(), 96);
        ExpectSamePixels(a, b);
    }
}

TEST(Dib, RunLengthBmpIsRead) {
    // 4 x 2, 8 bits RLE: bottom row "run of 4 x index 1", end of line, top row absolute 2,0,1,2.
    QByteArray dib = Header(4, 2, 8, 0, 0, 3, 1) + Hex("00000000" "ffffff00" "0000ff00") +
                     Hex("0401" "0000" "000402000102" "0001");
    LBitmapBase b;
    ASSERT_EQ(b.ConvertFromDIB(dib), SUCCESS);
    EXPECT_EQ(b.GetPixelColor(2, 1), RGB(255, 255, 255));
    EXPECT_EQ(b.GetPixelColor(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(b.GetPixelColor(1, 0), RGB(0, 0, 0));
}

TEST(Dib, RunLengthDeltasCannotCarryTheColumnPastTheRow) {
    // Enough "move right 255" deltas on one row to carry a column counter past INT_MAX, then a
    // run: the run must land nowhere rather than before the row.
    const QByteArray deltas = Hex("0002ff00").repeated(8421506);
    QByteArray dib = Header(4, 1, 8, 0, 0, 2, 1) + Hex("00000000" "ffffff00") + deltas +
                     Hex("0401" "0001");
    LBitmapBase b;
    ASSERT_EQ(b.ConvertFromDIB(dib), SUCCESS);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(b.GetPixelColor(x, 0), RGB(0, 0, 0));
}

} // namespace

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

TEST(Dib, ClipboardHoldsTheImageAndTheDib) {
    const LBitmapBase b = MakePattern(9, 5, 8);
    ASSERT_EQ(b.CopyToClipboard(), SUCCESS);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data(brellin::imaging::DibMimeType()), b.ConvertToDIB());
    const QImage img = qvariant_cast<QImage>(mime->imageData());
    ASSERT_EQ(img.size(), QSize(9, 5));
    EXPECT_EQ(img.pixel(4, 2) & 0xFFFFFF, b.GetPixelColor(4, 2) == 0 ? 0u
              : (qRgb(GetRValue(b.GetPixelColor(4, 2)), GetGValue(b.GetPixelColor(4, 2)),
                      GetBValue(b.GetPixelColor(4, 2))) & 0xFFFFFF));
    LBitmapBase empty;
    EXPECT_EQ(empty.CopyToClipboard(), ERROR_NOT_ALLOCATED);
}

} // namespace
