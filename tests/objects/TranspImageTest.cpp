#include "objects/TranspImage.h"

#include "ObjectBytes.h"
#include "TestObjectHost.h"
#include "platform/DC.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

LMyBitmap MakeBitmap(const QImage& image) {
    LMyBitmap bitmap;
    bitmap.SetImage(image);
    return bitmap;
}

// A 2 x 1 picture, red then blue, and its packed device-independent bitmap by hand.
LMyBitmap RedBlue() {
    QImage img(2, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, Qt::red);
    img.setPixelColor(1, 0, Qt::blue);
    return MakeBitmap(img);
}
QByteArray RedBlueDib() {
    return Bytes()
        .I32(40).I32(2).I32(1).I16(1).I16(24).I32(0).I32(8).I32(0).I32(0).I32(0).I32(0)
        .Raw(QByteArray::fromHex("0000ffff00000000"))
        .bytes();
}

QByteArray ExpectedRecord(std::int32_t version, std::int32_t transparent, RECT rc,
                          const QByteArray& dib) {
    return Bytes()
        .I32(4 + 56 + 4 + int(dib.size())).I32(56)
        .I32(56).I32(version).F64(0.00001)
        .I32(rc.left).I32(rc.top).I32(rc.right).I32(rc.bottom)
        .I32(3).I32(transparent) // page, transparent flag
        .Zeros(16)
        .I32(int(dib.size())).Raw(dib)
        .bytes();
}

QByteArray ExpectedBlock(std::int16_t version, std::int16_t transparent, RECT rc,
                         const QByteArray& dib) {
    return Bytes()
        .I32(48 + int(dib.size())).I32(8).I16(version).I16(transparent).I32(0).F64(0.00001)
        .I32(rc.left).I32(rc.top).I32(rc.right).I32(rc.bottom)
        .I32(int(dib.size())).Raw(dib).Zeros(4)
        .bytes();
}

TEST(TranspImageTest, PictureFromA200By100Bitmap) {
    g_dUnitScale = 0.00001;
    CTestObjectHost host;
    QImage img(200, 100, QImage::Format_RGB888);
    img.fill(Qt::white);
    const QByteArray dib = MakeBitmap(img).ConvertToDIB();
    const QByteArray block = DibToPictureBlock(dib);
    EXPECT_EQ(block, ExpectedBlock(1, 0, RECT{}, dib));

    // A pasted bitmap covers its pixel size in page units and is transparent.
    auto pic = CTranspImage::FromBlock(&host, block, POINT{30, 40}, 0);
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->m_rect, (RECT{30, 40, 230, 140}));
    EXPECT_EQ(pic->GetTransparent(), 1);
    EXPECT_EQ(pic->GetBitmap().GetWidth(), 200);

    // On a page of twice the resolution the same pixels cover half the text units.
    host.geometry.SetPageResolution(200, 200);
    CTranspImage fromDib(&host, 0);
    ASSERT_TRUE(fromDib.CreateDib(dib, 10, 20));
    EXPECT_EQ(fromDib.m_rect, (RECT{10, 20, 110, 70}));
    EXPECT_FALSE(fromDib.CreateDib(QByteArray(), 0, 0));
    EXPECT_FALSE(DibToPictureBlock(QByteArray()).size());
}

TEST(TranspImageTest, PictureFromAFile) {
    CTestObjectHost host;
    const QString path = QDir::temp().filePath(QStringLiteral("picture.png"));
    QImage img(12, 7, QImage::Format_RGB32);
    img.fill(Qt::green);
    ASSERT_TRUE(img.save(path));
    CTranspImage pic(&host, 0);
    ASSERT_TRUE(pic.Create(path, 5, 6));
    EXPECT_EQ(pic.m_rect, (RECT{5, 6, 17, 13}));

    QFile junk(QDir::temp().filePath(QStringLiteral("junk.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    EXPECT_FALSE(pic.Create(junk.fileName(), 0, 0));
    EXPECT_FALSE(pic.Create(QDir::temp().filePath(QStringLiteral("missing.png")), 0, 0));
    // A failed load leaves the picture as it was.
    EXPECT_EQ(pic.m_rect, (RECT{5, 6, 17, 13}));
    EXPECT_EQ(pic.GetBitmap().GetWidth(), 12);
}

TEST(TranspImageTest, RotationKeepsTheScaleAndUndoBringsTheBitmapBack) {
    CTestObjectHost host;
    QImage img(200, 100, QImage::Format_RGB888);
    img.fill(Qt::white);
    img.setPixelColor(0, 0, Qt::black);
    CTranspImage pic(&host, 0);
    ASSERT_TRUE(pic.CreateDib(MakeBitmap(img).ConvertToDIB(), 0, 0));
    // Shown at 1041 text units per pixel.
    const RECT shown{1000, 2000, 1000 + 200 * 1041, 2000 + 100 * 1041};
    pic.m_rect = shown;
    pic.DrawScreen(nullptr, FALSE, nullptr);
    const int modifiedBefore = host.modifiedCount;

    ASSERT_TRUE(pic.Rotate(9000));
    EXPECT_EQ(pic.m_rect, (RECT{1000, 2000, 1000 + 100 * 1041, 2000 + 200 * 1041}));
    EXPECT_EQ(pic.GetBitmap().GetWidth(), 100);
    EXPECT_EQ(pic.GetBitmap().GetHeight(), 200);
    // Clockwise: the top-left pixel goes to the top-right.
    EXPECT_EQ(pic.GetBitmap().GetPixelColor(99, 0), 0u);
    EXPECT_GT(host.modifiedCount, modifiedBefore);

    ASSERT_TRUE(pic.CanUndo());
    pic.Undo();
    EXPECT_EQ(pic.m_rect, shown);
    EXPECT_EQ(pic.GetBitmap().GetWidth(), 200);
    EXPECT_EQ(pic.GetBitmap().GetPixelColor(0, 0), 0u);
    EXPECT_EQ(pic.GetBitmap().GetPixelColor(199, 0), 0xFFFFFFu);
    pic.Redo();
    EXPECT_EQ(pic.GetBitmap().GetWidth(), 100);
    EXPECT_EQ(pic.m_rect.bottom, 2000 + 200 * 1041);

    // A move after the rotation keeps the rotated bitmap through undo and redo.
    pic.MoveBy(10, 0);
    pic.AddUndo();
    pic.Undo();
    EXPECT_EQ(pic.GetBitmap().GetWidth(), 100);
    pic.Undo();
    EXPECT_EQ(pic.GetBitmap().GetWidth(), 200);

    // At 45 degrees the bitmap grows to hold the turned picture; uncovered corners are white.
    CTranspImage turned(&host, 0);
    ASSERT_TRUE(turned.CreateDib(MakeBitmap(img).ConvertToDIB(), 0, 0));
    ASSERT_TRUE(turned.Rotate(4500));
    EXPECT_GT(turned.GetBitmap().GetWidth(), 200);
    EXPECT_EQ(turned.GetBitmap().GetPixelColor(0, 0), 0xFFFFFFu);
    CTranspImage none(&host, 0);
    EXPECT_FALSE(none.Rotate(9000));
}

TEST(TranspImageTest, RecordBytesVersionsAndScaling) {
    g_dUnitScale = 0.00001;
    CTranspImage pic(nullptr, 3);
    pic.m_bitmap = RedBlue();
    pic.m_rect = RECT{100, 200, 300, 400};
    pic.m_bTransparent = 0;
    EXPECT_EQ(pic.m_bitmap.ConvertToDIB(), RedBlueDib());
    const QByteArray record = ExpectedRecord(2, 0, pic.m_rect, RedBlueDib());
    EXPECT_EQ(StoreRecord(pic), record);

    CTranspImage loaded(nullptr, 0);
    qint64 end = 0;
    ASSERT_TRUE(LoadRecord(loaded, record + "next", &end));
    EXPECT_EQ(end, record.size());
    EXPECT_EQ(loaded.m_rect, pic.m_rect);
    EXPECT_EQ(loaded.m_nPage, 3);
    EXPECT_EQ(loaded.m_bTransparent, 0);
    EXPECT_EQ(loaded.GetBitmap().GetPixelColor(1, 0), 0xFF0000u); // blue as COLORREF
    EXPECT_EQ(StoreRecord(loaded), record);

    // The first structure had no flag: its pictures are transparent.
    ASSERT_TRUE(LoadRecord(loaded, ExpectedRecord(1, 0, pic.m_rect, RedBlueDib())));
    EXPECT_EQ(loaded.m_bTransparent, 1);

    const QByteArray saved = qgetenv("BRELLIN_SCREEN_DPI");
    qputenv("BRELLIN_SCREEN_DPI", "120");
    EXPECT_EQ(StoreRecord(pic), ExpectedRecord(2, 0, RECT{125, 250, 375, 500}, RedBlueDib()));
    qputenv("BRELLIN_SCREEN_DPI", saved);
}

TEST(TranspImageTest, HostileRecordsAreRefusedAndChangeNothing) {
    g_dUnitScale = 0.00001;
    const RECT rc{1, 2, 3, 4};
    const QByteArray good = ExpectedRecord(2, 0, rc, RedBlueDib());
    const auto withDibSize = [&](std::int32_t m) {
        QByteArray b = good;
        b.replace(4 + 4 + 56, 4, Bytes().I32(m).bytes());
        return b;
    };
    QByteArray huge = RedBlueDib();
    huge.replace(4, 8, Bytes().I32(60000).I32(60000).bytes()); // rows the bytes do not hold
    QByteArray longHeader = RedBlueDib();
    longHeader.replace(0, 4, Bytes().I32(1000).bytes()); // a header longer than the bitmap
    QByteArray noPlanes = RedBlueDib();
    noPlanes.replace(12, 2, Bytes().I16(0).bytes());
    const QByteArray hostile[] = {
        withDibSize(-1),
        withDibSize(49), // one byte beyond the record
        withDibSize(0x7FFFFFFF),
        ExpectedRecord(2, 0, rc, huge),
        ExpectedRecord(2, 0, rc, longHeader),
        ExpectedRecord(2, 0, rc, noPlanes),
        ExpectedRecord(2, 0, rc, QByteArray("abcd")),
        good.left(4 + 4 + 56 + 2), // the byte count itself cut short
    };
    for (const QByteArray& bytes : hostile) {
        CTranspImage pic(nullptr, 9);
        pic.m_bitmap = RedBlue();
        pic.m_rect = RECT{5, 6, 7, 8};
        EXPECT_FALSE(LoadRecord(pic, bytes)) << bytes.toHex().toStdString();
        EXPECT_EQ(pic.m_rect, (RECT{5, 6, 7, 8}));
        EXPECT_EQ(pic.m_nPage, 9);
        EXPECT_EQ(pic.GetBitmap().GetWidth(), 2);
    }
}

TEST(TranspImageTest, BlockBytesAndPlacement) {
    g_dUnitScale = 0.00001;
    CTranspImage pic(nullptr, 0);
    pic.m_bitmap = RedBlue();
    pic.m_rect = RECT{100, 200, 300, 500};
    pic.m_bTransparent = 0;
    const QByteArray block = ExpectedBlock(2, 0, pic.m_rect, RedBlueDib());
    EXPECT_EQ(pic.GetObData(), block);

    auto pasted = CTranspImage::FromBlock(nullptr, block, POINT{-50, 60}, 2);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->m_rect, (RECT{-50, 60, 150, 360}));
    EXPECT_EQ(pasted->m_bTransparent, 0);
    EXPECT_EQ(pasted->m_nPage, 2);
    EXPECT_EQ(pasted->GetObData(), ExpectedBlock(2, 0, pasted->m_rect, RedBlueDib()));
    // A version-1 block is transparent whatever its flag says.
    auto v1 = CTranspImage::FromBlock(nullptr, ExpectedBlock(1, 0, pic.m_rect, RedBlueDib()),
                                      POINT{0, 0}, 0);
    ASSERT_TRUE(v1);
    EXPECT_EQ(v1->m_bTransparent, 1);
}

TEST(TranspImageTest, HostileBlocksMakeNoPicture) {
    const QByteArray good = ExpectedBlock(2, 1, RECT{0, 0, 10, 10}, RedBlueDib());
    const auto patch = [&](int offset, const QByteArray& v) {
        QByteArray b = good;
        b.replace(offset, v.size(), v);
        return b;
    };
    const QByteArray hostile[] = {
        patch(40, Bytes().I32(-1).bytes()),
        patch(40, Bytes().I32(53).bytes()),          // the bitmap beyond the block
        patch(40, Bytes().I32(0).bytes()),
        patch(0, Bytes().I32(int(good.size()) + 1).bytes()), // a size beyond the bytes
        patch(44 + 4, Bytes().I32(100000).I32(100000).bytes()), // absurd dimensions
        patch(44, Bytes().I32(45).bytes()),          // header longer than the bitmap
        patch(44 + 14, Bytes().I16(7).bytes()),      // no such depth
        patch(8, Bytes().I16(0).bytes()),            // version 0
        patch(16, Bytes().F64(0.0).bytes()),         // no unit scale
        good.left(43),
    };
    for (const QByteArray& bytes : hostile)
        EXPECT_FALSE(CTranspImage::FromBlock(nullptr, bytes, POINT{0, 0}, 0))
            << bytes.toHex().toStdString();
}

// A 2 x 2 picture, left column black, right column white, shown over a grey page.
struct DrawFixture {
    CTestObjectHost host;
    CTranspImage pic{&host, 0};
    DrawFixture() {
        QImage img(2, 2, QImage::Format_RGB888);
        img.fill(Qt::white);
        img.setPixelColor(0, 0, Qt::black);
        img.setPixelColor(0, 1, Qt::black);
        pic.m_bitmap = MakeBitmap(img);
        pic.m_rect = RECT{10, 10, 110, 110};
    }
    QImage Draw(BOOL printing, int size) {
        QImage page(size, size, QImage::Format_RGB32);
        page.fill(QColor(200, 200, 200));
        CDC dc(&page);
        const POINT dpi{300, 300};
        pic.DrawScreen(&dc, printing, printing ? &dpi : nullptr);
        return page;
    }
};

TEST(TranspImageTest, TransparentAndOpaqueOnScreenAndForOutput) {
    DrawFixture f;
    f.pic.m_bSelected = TRUE;
    QImage screen = f.Draw(FALSE, 150);
    const QColor grey(200, 200, 200);
    EXPECT_TRUE(Near(screen, 30, 60, Qt::black));
    EXPECT_TRUE(Near(screen, 80, 60, grey)); // the page shows through the white
    EXPECT_TRUE(Near(screen, 5, 60, grey));
    EXPECT_TRUE(Near(screen, 115, 60, grey));
    // Selection square at the top-right corner (109, 10): grey xor 0x808080.
    EXPECT_TRUE(Near(screen, 108, 11, QColor(72, 72, 72), 8));

    f.pic.SetTransparent(0);
    screen = f.Draw(FALSE, 150);
    EXPECT_TRUE(Near(screen, 80, 60, Qt::white));
    EXPECT_TRUE(Near(screen, 30, 60, Qt::black));

    // Output at 300 dpi: units of 0.01 inch are 3 pixels, the rectangle (30, 30, 330, 330).
    g_dUnitScale = 0.01;
    f.pic.SetTransparent(1);
    QImage print = f.Draw(TRUE, 400);
    g_dUnitScale = 0.00001;
    EXPECT_TRUE(Near(print, 90, 180, Qt::black));
    EXPECT_TRUE(Near(print, 240, 180, grey));
    EXPECT_TRUE(Near(print, 25, 180, grey));
    EXPECT_TRUE(Near(print, 335, 180, grey));
    EXPECT_TRUE(Near(print, 327, 33, grey)); // no marks
}

TEST(TranspImageTest, DragOffersTheBlockAndAStandardBitmap) {
    DrawFixture f;
    f.pic.BeginDrag();
    ASSERT_EQ(f.host.drags.size(), 1u);
    const CTestObjectHost::Drag& drag = f.host.drags[0];
    EXPECT_EQ(drag.allowed, DWORD(DROPEFFECT_COPY));
    const qsizetype block = drag.formats.indexOf(QString::fromLatin1(OBJECT_CLIPBOARD_MIME));
    ASSERT_GE(block, 0);
    EXPECT_EQ(drag.bytes[std::size_t(block)], f.pic.GetObData());
    const qsizetype dib = drag.formats.indexOf(brellin::imaging::DibMimeType());
    ASSERT_GE(dib, 0);
    EXPECT_EQ(drag.bytes[std::size_t(dib)], f.pic.GetBitmap().ConvertToDIB());
    EXPECT_TRUE(drag.formats.contains(QStringLiteral("application/x-qt-image")));
}

TEST(TranspImageTest, CopyPutsTheBlockAndAStandardBitmapOnTheClipboardTogether) {
    DrawFixture f;
    RegisterObjectClipboardFormats();
    f.pic.CopyToClipboard();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data(QString::fromLatin1(OBJECT_CLIPBOARD_MIME)), f.pic.GetObData());
    EXPECT_EQ(data->data(brellin::imaging::DibMimeType()), f.pic.GetBitmap().ConvertToDIB());
    ASSERT_TRUE(data->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(2, 2));
}

} // namespace
