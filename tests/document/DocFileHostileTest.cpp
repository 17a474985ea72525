// Files that are damaged or made to harm: each is a failed load with the program's message (or a
// load that passes over what it does not know), never a crash, a hang or a huge allocation.

#include "DocFileTestSupport.h"

#include "app/Resource.h"
#include "objects/TranspRectangle.h"
#include "platform/ErrorLog.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImageFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace filetest;

namespace {

class DocFileHostile : public testing::Test {
protected:
    void SetUp() override {
        LoadModule();
        m_dir = TestTempDir();
        m_sample = ReadFileBytes(SamplePath(QStringLiteral("sample.brf")));
        ASSERT_FALSE(m_sample.isEmpty());
    }
    // Loads bytes as a document file; the messages shown are left in TestMessages().
    bool Load(const QByteArray& bytes, CLumidorDoc& doc, const char* name = "h.brf") {
        TestMessages().shown.clear();
        const QString path = m_dir + QLatin1Char('/') + QLatin1String(name);
        WriteFileBytes(path, bytes);
        return OpenDoc(doc, path);
    }
    bool Load(const QByteArray& bytes) {
        CLumidorDoc doc;
        return Load(bytes, doc);
    }
    QString OnlyMessage() const {
        return TestMessages().shown.size() == 1 ? TestMessages().shown[0].text : QString();
    }
    // The sample with its end record replaced by `tail` (and a new end).
    QByteArray SampleWithTail(const QByteArray& tail) const {
        return m_sample.left(m_sample.size() - 4) + tail + Bytes().I32(0).bytes();
    }

    QString m_dir;
    QByteArray m_sample;
};

// Every cut of the sample is refused with a message.
TEST_F(DocFileHostile, TruncatedFilesFailWithAMessage) {
    for (qsizetype n = 0; n < m_sample.size(); n += (n < 200 ? 1 : 37)) {
        SCOPED_TRACE(n);
        CLumidorDoc doc;
        EXPECT_FALSE(Load(m_sample.left(n), doc));
        EXPECT_EQ(TestMessages().shown.size(), 1u);
        EXPECT_EQ(doc.GetPageCount(), 1);
    }
}

TEST_F(DocFileHostile, PageCounts) {
    CLumidorDoc zero;
    EXPECT_TRUE(Load(DocHeader(6, 0).I32(0), zero));
    EXPECT_EQ(zero.GetPageCount(), 1);

    EXPECT_FALSE(Load(DocHeader(6, 2000000000).I32(0)));
    EXPECT_EQ(OnlyMessage(), LoadResString(IDS_DOC_TOO_MANY_PAGES).arg(2000000000));
    EXPECT_FALSE(Load(DocHeader(6, -3).I32(0)));
    EXPECT_EQ(OnlyMessage(), LoadResString(IDS_DOC_WRONG_FORMAT));

    // An image record that claims more pages than the document has reads only the document's.
    Bytes image;
    image.I32(40).I32s({40, 2, 0, 0, 1000000}).Zeros(20).I32s({0, 0, 5, 5}).Str("p").I32(0);
    CLumidorDoc doc;
    EXPECT_TRUE(Load(DocHeader(6, 1).I32(8).I32(image.size()).Raw(image).I32(0), doc));
    EXPECT_EQ(doc.GetPageCount(), 1);
    EXPECT_EQ(doc.m_PagesList[0]->m_strPageName, QByteArray("p"));
}

TEST_F(DocFileHostile, PageImageThatDoesNotDecode) {
    FileParts parts;
    ASSERT_TRUE(SplitImagePayloads(m_sample, parts));
    QByteArray bad = m_sample;
    const qsizetype at = bad.indexOf(parts.png[1]);
    ASSERT_GT(at, 0);
    for (int i = 16; i < 40; ++i) // the image header chunk of page 2
        bad[at + i] = char(0xEE);
    EXPECT_FALSE(Load(bad));
    EXPECT_TRUE(OnlyMessage().startsWith(LoadResString(IDS_DOC_BAD_PAGE_IMAGE).arg(2).left(20)))
        << OnlyMessage().toStdString();
}

// Kinds this program does not know are passed over by their length; lengths that do not fit
// are refused.
TEST_F(DocFileHostile, UnknownKindsAreSkippedByTheirLength) {
    CLumidorDoc reference, doc;
    ASSERT_TRUE(Load(m_sample, reference));
    ASSERT_TRUE(Load(SampleWithTail(Bytes().I32(77).I32(12).I32s({1, 2, 3}).I32(7).I32(0)), doc));
    ExpectSameDocuments(reference, doc);

    EXPECT_FALSE(Load(SampleWithTail(Bytes().I32(77).I32(-4))));
    EXPECT_FALSE(Load(SampleWithTail(Bytes().I32(77).I32(1000000))));
    EXPECT_EQ(OnlyMessage(),
              LoadResString(IDS_DOC_READ_EOF).arg(QDir::toNativeSeparators(m_dir + "/h.brf")));
}

TEST_F(DocFileHostile, EraseListRecords) {
    // A count the record cannot hold.
    EXPECT_FALSE(Load(SampleWithTail(Bytes().I32(12).I32(12).I32s({0, 50000000, 0}))));
    // A page the document does not have: the record is passed over.
    CLumidorDoc doc;
    EXPECT_TRUE(Load(SampleWithTail(Bytes().I32(12).I32(28).I32s({9, 1, 0, 0, 5, 5, 0})), doc));
    // Kind 11 is the list of page 0 without a page index.
    EXPECT_TRUE(Load(SampleWithTail(Bytes().I32(11).I32(24).I32s({1, 1, 2, 3, 4, 0})), doc));
    EXPECT_EQ(doc.m_PagesList[0]->m_EraseList.GetRects().back(), (_ERASERECT{1, 2, 3, 4, 0}));
}

// Lengths that cannot be: refused, and the user is told (a refusal from below the document is
// reported like any damaged file).
TEST_F(DocFileHostile, ImageHeaderAndObjectLengths) {
    const QByteArray files[] = {
        DocHeader(6, 1).I32(8).I32(4).I32(-1).I32(0),
        DocHeader(6, 1).I32(8).I32(8).I32(0x7FFFFFFF).I32(0).I32(0),
        // An object whose L runs past the file.
        DocHeader(6, 1).I32(3).I32(0x7FFFFFF0).I32(56).I32(0),
        // An object whose structure claims more than its record holds.
        DocHeader(6, 1).I32(3).I32(8).I32(5000).I32(5000).I32(0),
        // An object with a negative length.
        DocHeader(6, 1).I32(3).I32(-8).I32(56).I32(0),
    };
    for (const QByteArray& file : files) {
        EXPECT_FALSE(Load(file));
        EXPECT_EQ(TestMessages().shown.size(), 1u);
    }
}

// Page images whose headers together claim more memory than a document may take are refused
// before one of them is decoded.
TEST_F(DocFileHostile, PageImagesBeyondTheDocumentsBudget) {
    const std::int64_t limit = GetMaxBitmapBytes();
    SetMaxBitmapBytes(8LL * 1024 * 1024); // the budget is 16 of these: 128 MB
    LBitmapBase white;
    white.Create(4000, 4000, 1);
    QByteArray png;
    ASSERT_EQ(brellin::imaging::EncodeImage(white, FILE_PNG, 0, 0, png, {}), SUCCESS);
    constexpr int kPages = 100; // 2 MB each when decoded
    Bytes image;
    image.I32(40).I32s({40, 2, 0, 0, kPages}).Zeros(20);
    for (int i = 0; i < kPages; ++i)
        image.I32s({0, 0, 4000, 4000}).Str("").I32(int(png.size())).Raw(png);
    EXPECT_FALSE(Load(DocHeader(6, kPages).I32(8).I32(image.size()).Raw(image).I32(0)));
    EXPECT_TRUE(OnlyMessage().contains(GetImagingErrorText(ERROR_IMAGE_TOO_LARGE)));
    SetMaxBitmapBytes(limit);
}

TEST_F(DocFileHostile, MissingLinkedImages) {
    CLumidorDoc v5;
    EXPECT_FALSE(Load(BuildVersion5File("/nowhere/gone.png"), v5, "old.brf"));
    EXPECT_EQ(OnlyMessage(), LoadResString(IDS_DOC_IMAGE_MISSING)
                                 .arg(QDir::toNativeSeparators(m_dir + QStringLiteral("/gone.png"))));
    CLumidorDoc v2;
    EXPECT_FALSE(Load(BuildVersion2File("gone.png"), v2, "old2.brf"));
    EXPECT_EQ(OnlyMessage(), LoadResString(IDS_DOC_IMAGE_MISSING)
                                 .arg(QDir::toNativeSeparators(m_dir + QStringLiteral("/gone.png"))));
    // A stored name cannot lead out of the document's folder.
    CLumidorDoc up;
    EXPECT_FALSE(Load(BuildVersion2File("../sample-v2.png"), up, "old3.brf"));
}

// A version-5 document names its image by an absolute path; only the name counts, and the image is
// taken from beside the document, never from where the stored path points.
TEST_F(DocFileHostile, LinkedImageOnlyBesideTheDocument) {
    const QString secret = m_dir + QStringLiteral("/private/secret.png");
    ASSERT_TRUE(QDir().mkpath(m_dir + QStringLiteral("/private")));
    LBitmapBase image;
    ASSERT_EQ(image.Create(64, 48, 24), SUCCESS);
    ASSERT_EQ(image.Save(secret, FILE_PNG, 24, 0), SUCCESS);
    const QByteArray file = BuildVersion5File(secret.toLocal8Bit());

    CLumidorDoc far;
    EXPECT_FALSE(Load(file, far, "received.brf"));
    EXPECT_EQ(OnlyMessage(), LoadResString(IDS_DOC_IMAGE_MISSING)
                                 .arg(QDir::toNativeSeparators(m_dir + QStringLiteral("/secret.png"))));

    LBitmapBase beside;
    ASSERT_EQ(beside.Create(20, 10, 8), SUCCESS);
    ASSERT_EQ(beside.Save(m_dir + QStringLiteral("/secret.png"), FILE_PNG, 8, 0), SUCCESS);
    CLumidorDoc near;
    ASSERT_TRUE(Load(file, near, "received.brf"));
    EXPECT_EQ(near.GetPageInfo(0)->m_Bitmap.GetWidth(), 20);
}

// A name read from the file is shown whole, its control characters escaped, and a reason that ends
// with its own full stop does not end the message with two.
TEST_F(DocFileHostile, MessagesShowNamesWholeAndEndOnce) {
    CLumidorDoc doc;
    EXPECT_FALSE(Load(BuildVersion2File(QByteArray("gone\0tail\x01.png", 14)), doc, "nul.brf"));
    EXPECT_TRUE(OnlyMessage().contains(QStringLiteral("gone\\x00tail\\x01.png that")))
        << OnlyMessage().toStdString();

    SetMaxBitmapBytes(1024);
    CLumidorDoc big;
    EXPECT_FALSE(Load(m_sample, big));
    SetMaxBitmapBytes(512LL * 1024 * 1024);
    ASSERT_FALSE(OnlyMessage().isEmpty());
    EXPECT_FALSE(OnlyMessage().contains(QStringLiteral(".."))) << OnlyMessage().toStdString();
}

// Refusing a damaged file is no fault of the program: the user is told, the error log stays empty.
TEST_F(DocFileHostile, RefusedFilesLeaveTheErrorLogEmpty) {
    DeleteLog();
    for (qsizetype n = 48; n < m_sample.size(); n += 13) {
        CLumidorDoc doc;
        EXPECT_FALSE(Load(m_sample.left(n), doc));
        QByteArray damaged = m_sample;
        damaged[n] = char(damaged[n] ^ 0x5A);
        CLumidorDoc other;
        Load(damaged, other);
    }
    QFile log(GetLogPath());
    EXPECT_FALSE(log.exists()) << (log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : "");
}

} // namespace
