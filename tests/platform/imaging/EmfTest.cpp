// Metafiles: what the layer records from QPainter drawing plays back as the same shapes; metafiles
// of other producers load; damaged ones fail cleanly.

#include "ImagingTestUtil.h"
#include "TestSupport.h"

#include "platform/imaging/EmfPaintDevice.h"
#include "platform/imaging/MyBitmap.h"

#include <QDir>
#include <QFile>
#include <QPainter>

namespace {

bool Near(COLORREF c, COLORREF want, int tolerance = 40) {
    return std::abs(int(GetRValue(c)) - int(GetRValue(want))) <= tolerance &&
           std::abs(int(GetGValue(c)) - int(GetGValue(want))) <= tolerance &&
           std::abs(int(GetBValue(c)) - int(GetBValue(want))) <= tolerance;
}

QByteArray RecordShapes() {
    CEmfPaintDevice emf(QSize(200, 100), 96, 96);
    QPainter p(&emf);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 255));
    p.drawRect(QRect(10, 10, 50, 40));                 // blue rectangle
    p.setBrush(QColor(255, 0, 0));
    p.drawEllipse(QRectF(100, 20, 80, 60));            // red ellipse
    p.setBrush(QColor(0, 160, 0));
    const QPointF tri[3] = {QPointF(10, 95), QPointF(60, 95), QPointF(35, 60)};
    p.drawPolygon(tri, 3);                             // green triangle
    p.setPen(QPen(QColor(0, 0, 0), 3));
    p.drawLine(QPointF(70, 5), QPointF(70, 95));       // black vertical line
    QImage patch(4, 4, QImage::Format_RGB32);
    patch.fill(qRgb(255, 200, 0));
    p.drawImage(QRect(185, 5, 10, 10), patch);         // orange image
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0));
    p.drawText(QPointF(75, 98), QStringLiteral("HH"));  // text near the bottom middle
    p.end();
    return emf.GetBytes();
}

TEST(Emf, RecordedShapesPlayBack) {
    const QByteArray bytes = RecordShapes();
    ASSERT_FALSE(bytes.isEmpty());
    LMyBitmap bmp;
    ASSERT_EQ(LMyBitmap::LoadEMFMemory(bmp, bytes), SUCCESS);
    EXPECT_EQ(bmp.GetWidth(), 200);
    EXPECT_EQ(bmp.GetHeight(), 100);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 24);
    EXPECT_NEAR(bmp.GetXResolution(), 96, 2);
    EXPECT_TRUE(Near(bmp.GetPixelColor(35, 30), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(140, 50), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(35, 85), RGB(0, 160, 0)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(70, 50), RGB(0, 0, 0)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(190, 10), RGB(255, 200, 0)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(90, 30), RGB(255, 255, 255), 5)); // untouched paper
    EXPECT_TRUE(Near(bmp.GetPixelColor(101, 21), RGB(255, 255, 255), 60)); // outside the ellipse
    // Some dark pixels where the text stands.
    int dark = 0;
    for (int y = 70; y < 100; ++y)
        for (int x = 75; x < 120; ++x)
            dark += GetRValue(bmp.GetPixelColor(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 30);
}

TEST(Emf, WrittenFileLoadsFromDisk) {
    CEmfPaintDevice emf(QSize(50, 40), 300, 300);
    {
        QPainter p(&emf);
        p.fillRect(QRect(0, 0, 25, 40), QColor(0, 0, 0));
    }
    const QString path = TestTempDir() + QStringLiteral("/page.emf");
    ASSERT_EQ(emf.SaveAs(path), SUCCESS);
    LMyBitmap bmp;
    ASSERT_EQ(LMyBitmap::LoadEMF(bmp, path), SUCCESS);
    EXPECT_EQ(bmp.GetWidth(), 50);
    EXPECT_EQ(bmp.GetXResolution(), 300);
    EXPECT_TRUE(Near(bmp.GetPixelColor(10, 20), RGB(0, 0, 0)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(40, 20), RGB(255, 255, 255)));
    EXPECT_EQ(LMyBitmap::LoadEMF(bmp, path + QStringLiteral(".missing")), ERROR_FILE_OPEN);
}

TEST(Emf, MetafilesOfOtherProducersLoad) {
    const QDir dir(TestDataDir() + QStringLiteral("/imaging/emf"));
    const QStringList files = dir.entryList({QStringLiteral("*.emf")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        LMyBitmap bmp;
        EXPECT_EQ(LMyBitmap::LoadEMF(bmp, dir.filePath(name)), SUCCESS) << name.toStdString();
        EXPECT_GT(bmp.GetWidth(), 0);
        // Something was drawn on the white paper.
        int ink = 0;
        for (int y = 0; y < bmp.GetHeight(); y += 2)
            for (int x = 0; x < bmp.GetWidth(); x += 2)
                ink += bmp.GetPixelColor(x, y) != RGB(255, 255, 255) ? 1 : 0;
        EXPECT_GT(ink, 0) << name.toStdString();
    }
}

TEST(Emf, DamagedMetafilesFailCleanly) {
    const QByteArray good = RecordShapes();
    LMyBitmap bmp;
    // Cut anywhere: the record walk notices.
    for (int cut : {0, 8, 40, 87, 88, 100, int(good.size()) / 2, int(good.size()) - 4})
        EXPECT_LT(LMyBitmap::LoadEMFMemory(bmp, good.left(cut)), 0) << cut;
    // A record that claims more bytes than remain.
    QByteArray bad = good;
    const int second = int(quint8(bad[4])) | int(quint8(bad[5])) << 8;
    bad[second + 4] = char(0xF0);
    bad[second + 5] = char(0xFF);
    EXPECT_EQ(LMyBitmap::LoadEMFMemory(bmp, bad), ERROR_CORRUPT);
    // An absurd reference device.
    bad = good;
    for (int i = 72; i < 80; ++i)
        bad[i] = char(0x7F);
    EXPECT_EQ(LMyBitmap::LoadEMFMemory(bmp, bad), ERROR_IMAGE_TOO_LARGE);
    EXPECT_EQ(LMyBitmap::LoadEMFMemory(bmp, QByteArray()), ERROR_NULL_MEMORY);
    EXPECT_FALSE(bmp.IsAllocated());
}

} // namespace

namespace {

TEST(Emf, ClipIsRecorded) {
    CEmfPaintDevice emf(QSize(200, 100), 96, 96);
    {
        QPainter p(&emf);
        p.setClipRect(QRect(0, 0, 100, 100));
        p.fillRect(QRect(0, 0, 200, 100), QColor(0, 0, 255));
        p.setClipping(false);
        p.fillRect(QRect(150, 80, 50, 20), QColor(255, 0, 0));
    }
    // Qt SVG, which plays metafiles back, has no clip paths; the file itself carries the clip:
    // a saved context with the clip rectangle, restored when clipping ends.
    const QByteArray bytes = emf.GetBytes();
    QList<quint32> types;
    QByteArray clipRect;
    for (qsizetype pos = 0; pos + 8 <= bytes.size();) {
        const auto* rec = reinterpret_cast<const uchar*>(bytes.constData() + pos);
        const quint32 type = rec[0] | rec[1] << 8 | rec[2] << 16 | quint32(rec[3]) << 24;
        const quint32 size = rec[4] | rec[5] << 8 | rec[6] << 16 | quint32(rec[7]) << 24;
        ASSERT_GE(size, 8u);
        types.append(type);
        if (type == 30) // EMR_INTERSECTCLIPRECT
            clipRect = bytes.mid(pos + 8, 16);
        pos += size;
    }
    const qsizetype save = types.indexOf(33), clip = types.indexOf(30), restore = types.indexOf(34);
    ASSERT_GE(save, 0);
    EXPECT_EQ(clip, save + 1);
    EXPECT_GT(restore, clip);
    EXPECT_EQ(clipRect.toHex(), QByteArray("00000000" "00000000" "64000000" "64000000"));
    LMyBitmap bmp;
    ASSERT_EQ(LMyBitmap::LoadEMFMemory(bmp, bytes), SUCCESS);
    EXPECT_TRUE(Near(bmp.GetPixelColor(50, 50), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(bmp.GetPixelColor(175, 90), RGB(255, 0, 0)));
}

} // namespace
