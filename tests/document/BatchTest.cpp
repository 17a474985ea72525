// The batch commands of documents as functions: the JSON of --info and the outcomes of --save-as.
// Whole-program runs of the same commands are in tests/e2e/batch.sh.

#include "DocFileTestSupport.h"

#include "app/Resource.h"
#include "platform/ResourceModule.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace filetest;

namespace {

class Batch : public testing::Test {
protected:
    void SetUp() override {
        LoadModule();
        m_dir = TestTempDir();
    }
    QString Path(const char* name) const { return m_dir + QLatin1Char('/') + QLatin1String(name); }
    QString m_dir;
};

QJsonObject InfoOf(const QString& path, int* pExit = nullptr) {
    testing::internal::CaptureStdout();
    const int rc = RunInfoCommand({path});
    const std::string out = testing::internal::GetCapturedStdout();
    if (pExit)
        *pExit = rc;
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

QJsonObject FindObject(const QJsonArray& objects, const char* cls) {
    for (const QJsonValue& v : objects)
        if (v.toObject()[QStringLiteral("class")].toString() == QLatin1String(cls))
            return v.toObject();
    return {};
}

TEST_F(Batch, InfoDescribesTheSampleDocument) {
    int rc = -1;
    const QJsonObject info = InfoOf(SamplePath(QStringLiteral("sample.brf")), &rc);
    EXPECT_EQ(rc, 0);
    const QJsonObject format = info[QStringLiteral("format")].toObject();
    EXPECT_EQ(format[QStringLiteral("version")].toInt(), 6);
    EXPECT_EQ(format[QStringLiteral("unitScale")].toDouble(), 0.00001);
    EXPECT_EQ(format[QStringLiteral("originX")].toInt(), 1500);
    EXPECT_EQ(format[QStringLiteral("originY")].toInt(), -2500);
    EXPECT_EQ(format[QStringLiteral("originFlag")].toInt(), 1);
    EXPECT_EQ(format[QStringLiteral("pageCount")].toInt(), 3);
    EXPECT_TRUE(info[QStringLiteral("frame")].toBool());
    EXPECT_FALSE(info[QStringLiteral("draft")].toBool());

    const QJsonArray pages = info[QStringLiteral("pages")].toArray();
    ASSERT_EQ(pages.size(), 3);
    const QJsonObject page0 = pages[0].toObject();
    EXPECT_EQ(page0[QStringLiteral("name")].toString(), QStringLiteral("Front"));
    EXPECT_EQ(page0[QStringLiteral("image")].toObject()[QStringLiteral("bitsPerPixel")].toInt(), 1);
    EXPECT_EQ(page0[QStringLiteral("imagePos")].toArray(), (QJsonArray{60000, 60000}));
    EXPECT_EQ(page0[QStringLiteral("erase")].toArray().size(), 3);
    EXPECT_TRUE(page0[QStringLiteral("erase")].toArray()[2].toObject()[QStringLiteral("restore")].toBool());
    EXPECT_EQ(page0[QStringLiteral("fields")].toArray().size(), 1);

    const QJsonObject text = FindObject(page0[QStringLiteral("objects")].toArray(), "CTranspText");
    EXPECT_EQ(text[QStringLiteral("kind")].toInt(), 1);
    EXPECT_EQ(text[QStringLiteral("text")].toString(), QStringLiteral("Name:\r\nDate:"));
    EXPECT_EQ(text[QStringLiteral("anchor")].toArray(), (QJsonArray{100000, 150000}));
    EXPECT_EQ(text[QStringLiteral("style")].toObject()[QStringLiteral("face")].toString(),
              QStringLiteral("Arial"));
    const QJsonObject line = FindObject(page0[QStringLiteral("objects")].toArray(), "CTranspLine");
    EXPECT_EQ(line[QStringLiteral("points")].toArray(), (QJsonArray{100000, 700000, 800000, 720000}));
    EXPECT_EQ(line[QStringLiteral("color")].toInt(), 0x00FF00);

    const QJsonArray page1 = pages[1].toObject()[QStringLiteral("objects")].toArray();
    const QJsonObject circle = FindObject(page1, "CTranspCircle");
    EXPECT_EQ(circle[QStringLiteral("center")].toArray(), (QJsonArray{500000, 400000}));
    EXPECT_EQ(circle[QStringLiteral("radius")].toInt(), 80000);
    EXPECT_EQ(FindObject(page1, "CTranspBrace")[QStringLiteral("braceStyle")].toInt(), 3);
    EXPECT_TRUE(FindObject(page1, "CTranspSizeArrow")[QStringLiteral("horizontal")].toBool());
    const QJsonArray page2 = pages[2].toObject()[QStringLiteral("objects")].toArray();
    EXPECT_EQ(FindObject(page2, "CTranspFreehand")[QStringLiteral("points")].toArray().size(), 4);
    const QJsonObject picture = FindObject(page2, "CTranspImage");
    EXPECT_FALSE(picture[QStringLiteral("transparent")].toBool());
    EXPECT_EQ(picture[QStringLiteral("bitmap")].toObject()[QStringLiteral("width")].toInt(), 24);
}

TEST_F(Batch, InfoOfAnImageHasNoFormat) {
    ASSERT_EQ(PatternBitmap(60, 40, 24, 150).Save(Path("pic.png"), FILE_PNG, 0, 0), SUCCESS);
    int rc = -1;
    const QJsonObject info = InfoOf(Path("pic.png"), &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(info[QStringLiteral("format")].isNull());
    const QJsonObject image =
        info[QStringLiteral("pages")].toArray()[0].toObject()[QStringLiteral("image")].toObject();
    EXPECT_EQ(image[QStringLiteral("dpiX")].toInt(), 150);
}

TEST_F(Batch, InfoFailures) {
    int rc = -1;
    InfoOf(Path("missing.brf"), &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(TestMessages().shown.size(), 1u);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunInfoCommand({}), 2);
    EXPECT_EQ(RunInfoCommand({QStringLiteral("a"), QStringLiteral("b")}), 2);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
}

TEST_F(Batch, SaveAs) {
    // An image becomes a document.
    ASSERT_EQ(PatternBitmap(60, 40, 8, 120).Save(Path("pic.png"), FILE_PNG, 0, 0), SUCCESS);
    EXPECT_EQ(RunSaveAsCommand({Path("out.brf"), Path("pic.png")}), 0);
    CLumidorDoc doc;
    ASSERT_TRUE(OpenDoc(doc, Path("out.brf")));
    EXPECT_EQ(doc.m_PagesList[0]->m_Bitmap.GetBitsPerPixel(), 8);

    // Every extension of the family is written; another writes nothing and fails.
    EXPECT_EQ(RunSaveAsCommand({Path("copy.tkx"), SamplePath(QStringLiteral("sample.brf"))}), 0);
    EXPECT_EQ(RunSaveAsCommand({Path("copy.txt"), SamplePath(QStringLiteral("sample.brf"))}), 1);
    EXPECT_FALSE(QFile::exists(Path("copy.txt")));
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text,
              LoadResString(IDS_DOC_SAVE_BAD_EXT).arg(QDir::toNativeSeparators(Path("copy.txt"))));
    EXPECT_EQ(RunSaveAsCommand({Path("x.brf")}), 2);
    EXPECT_EQ(RunSaveAsCommand({Path("x.brf"), Path("missing.png")}), 1);
    EXPECT_FALSE(QFile::exists(Path("x.brf")));
}

} // namespace
