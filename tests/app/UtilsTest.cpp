#include "app/Utils.h"

#include "TestSupport.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {
// Switches the C library's numeric locale to German for one scope, when the system has it.
class GermanNumbers {
public:
    GermanNumbers() : m_old(std::setlocale(LC_NUMERIC, nullptr)) {
        m_active = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~GermanNumbers() { std::setlocale(LC_NUMERIC, m_old.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_old;
    bool m_active = false;
};

// Points the program data folder at a folder of the test for one scope.
class DataDirOverride {
public:
    explicit DataDirOverride(const QString& dir) : m_old(qgetenv("BRELLIN_DATA_DIR")) {
        qputenv("BRELLIN_DATA_DIR", dir.toLocal8Bit());
    }
    ~DataDirOverride() { qputenv("BRELLIN_DATA_DIR", m_old); }

private:
    QByteArray m_old;
};
} // namespace

TEST(Numbers, StrToDouble) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"", true, 0.0},        {"-", true, 0.0},      {"+", true, 0.0},
        {"1.5", true, 1.5},     {"-2.25e1", true, -22.5}, {"1,5", false, 1.0},
        {"1.5x", false, 1.5},   {"--", false, 0.0},    {"abc", false, 0.0},
    };
    GermanNumbers german; // a decimal comma in the C library's locale must change nothing
    for (const Case& c : cases) {
        double v = -99.0;
        EXPECT_EQ(StrToDouble(QString::fromLatin1(c.text), v), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
    double v = 0;
    EXPECT_FALSE(StrToDouble(QStringLiteral("1\u00002"), v)); // stops at the embedded NUL
}

TEST(Numbers, IntegersAreDigitsWithOneOptionalSign) {
    struct Case {
        const char* text;
        bool valid;
        long value;
    };
    const Case cases[] = {
        {"", true, 0},    {"-", true, 0},     {"+", true, 0},   {"12", true, 12},
        {"-12", true, -12}, {"+7", true, 7},  {"1a", false, 0}, {"--1", false, 0},
        {" 1", false, 0}, {"1.0", false, 0},  {"+-1", false, 0},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(IsValidInt(text), c.valid) << c.text;
        long v = 4711;
        EXPECT_EQ(StrToInt(text, v), c.valid) << c.text;
        EXPECT_EQ(v, c.valid ? c.value : 4711) << c.text; // untouched when refused
    }
    EXPECT_FALSE(IsValidInt(QStringLiteral("\u0663"))); // a digit, but not 0 to 9
}

TEST(Numbers, RoundHalfUp) {
    EXPECT_EQ(RoundHalfUp(0.5), 1);
    EXPECT_EQ(RoundHalfUp(2.5), 3);
    EXPECT_EQ(RoundHalfUp(-0.5), 0);
    EXPECT_EQ(RoundHalfUp(-1.5), -1);
    EXPECT_EQ(RoundHalfUp(1.49), 1);
    EXPECT_EQ(RoundHalfUp(-1.51), -2);
    EXPECT_EQ(RoundHalfUp(1e300), INT_MAX);
    EXPECT_EQ(RoundHalfUp(-1e300), INT_MIN);
    EXPECT_EQ(RoundHalfUp(std::nan("")), 0);
}

TEST(FileNames, Parts) {
    struct Case {
        const char* path;
        const char* ext;
        const char* name;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\docs\\readme", "C:\\docs\\readme", "readme", "C:\\docs\\"},
        {"a.b.c", "c", "a.b.c", ""},
        {"C:\\x\\y.txt", "txt", "y.txt", "C:\\x\\"},
        {"/home/u/y.txt", "txt", "y.txt", "/home/u/"},
        {"/home\\u/y", "/home\\u/y", "y", "/home\\u/"},
        {"C:y.txt", "txt", "y.txt", "C:"},
        {"C:\\", "C:\\", "", "C:\\"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        const QString path = QString::fromLatin1(c.path);
        EXPECT_EQ(ExtractFileExt(path), QString::fromLatin1(c.ext)) << c.path;
        EXPECT_EQ(ExtractFileName(path), QString::fromLatin1(c.name)) << c.path;
        EXPECT_EQ(ExtractFilePath(path), QString::fromLatin1(c.folder)) << c.path;
    }
}

TEST(FileNames, ChangeFileExt) {
    EXPECT_EQ(ChangeFileExt(QStringLiteral("C:\\x\\name"), QStringLiteral("png")),
              QStringLiteral("C:\\x\\name.png"));
    EXPECT_EQ(ChangeFileExt(QStringLiteral("a.b.c"), QStringLiteral("d")), QStringLiteral("a.b.d"));
    EXPECT_EQ(ChangeFileExt(QString(), QStringLiteral("tif")), QStringLiteral(".tif"));
}

TEST(FileNames, FileExistsOnlyForReadableFiles) {
    const QString dir = TestTempDir();
    QFile f(dir + QStringLiteral("/a.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(dir + QStringLiteral("/a.txt")));
    EXPECT_FALSE(FileExists(dir + QStringLiteral("/b.txt")));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(Folders, CreateDirectoriesMakesEveryLevel) {
    const QString dir = TestTempDir();
    EXPECT_EQ(CreateDirectories(dir + QStringLiteral("/one/two\\three")), 0);
    EXPECT_TRUE(QDir(dir + QStringLiteral("/one/two/three")).exists());
    EXPECT_EQ(CreateDirectories(dir + QStringLiteral("/one/two/three/")), 0); // already there

    QFile f(dir + QStringLiteral("/file"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_NE(CreateDirectories(dir + QStringLiteral("/file/sub")), 0);
    EXPECT_NE(CreateDirectories(dir + QStringLiteral("/file")), 0); // a file is not a folder
}

TEST(Folders, GetFolderAsksTheDialogService) {
    TestDialogs().folderAnswers = {QStringLiteral("/tmp/chosen"), std::nullopt};
    QString path;
    EXPECT_TRUE(GetFolder(path, QStringLiteral("Select folder:"), nullptr, QStringLiteral("/r"),
                          QStringLiteral("/r/pre")));
    EXPECT_EQ(path, QStringLiteral("/tmp/chosen"));
    ASSERT_EQ(TestDialogs().folderRequests.size(), 1u);
    EXPECT_EQ(TestDialogs().folderRequests[0].title, QStringLiteral("Select folder:"));
    EXPECT_EQ(TestDialogs().folderRequests[0].root, QStringLiteral("/r"));
    EXPECT_EQ(TestDialogs().folderRequests[0].preselected, QStringLiteral("/r/pre"));

    EXPECT_FALSE(GetFolder(path, QString(), nullptr, QString(), QString())); // cancelled
    EXPECT_TRUE(path.isEmpty());
}

TEST(Bitmaps, LoadBitmapFromFile) {
    const QString dir = TestTempDir();
    DataDirOverride data(dir);
    // Without the "Brellin" sub-folder nothing loads, and the user is told.
    EXPECT_TRUE(LoadBitmapFromFile(QStringLiteral("pic.bmp")).isNull());
    ASSERT_EQ(TestMessages().shown.size(), 1u);
    EXPECT_EQ(TestMessages().shown[0].text, QStringLiteral("Bitmap pic.bmp isn't loaded"));
    EXPECT_TRUE(TestMessages().shown[0].caption.isEmpty());

    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/Brellin")));
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir + QStringLiteral("/Brellin/pic.bmp")));
    const QImage loaded = LoadBitmapFromFile(QStringLiteral("pic.bmp"));
    EXPECT_EQ(loaded.size(), QSize(3, 2));
    EXPECT_EQ(loaded.pixelColor(1, 1), QColor(Qt::red));

    // The about picture is optional: missing, it is not reported.
    EXPECT_TRUE(LoadBitmapFromFile(QStringLiteral("about.bmp")).isNull());
    EXPECT_TRUE(LoadBitmapFromFile(QStringLiteral("other.bmp")).isNull());
    ASSERT_EQ(TestMessages().shown.size(), 2u);
    EXPECT_EQ(TestMessages().shown[1].text, QStringLiteral("Bitmap other.bmp isn't loaded"));
}

TEST(ArchiveStrings, WrittenAsLengthAndBytes) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive out(&buffer, CArchive::store);
    WriteString(out, QByteArray("abc"));
    WriteString(out, QByteArray());
    WriteString(out, QByteArray("x\0y", 3));
    EXPECT_EQ(buffer.data(), QByteArray("\x03\0\0\0abc"
                                        "\0\0\0\0"
                                        "\x03\0\0\0x\0y",
                                        18));

    buffer.close();
    buffer.open(QIODevice::ReadOnly);
    CArchive in(&buffer, CArchive::load);
    QByteArray a, b, c;
    ReadString(in, a);
    ReadString(in, b);
    ReadString(in, c);
    EXPECT_EQ(a, QByteArray("abc"));
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(c, QByteArray("x\0y", 3));
    EXPECT_EQ(in.GetRemaining(), 0);
}

TEST(ArchiveStrings, ReadStringRefusesLengthsThatDoNotFit) {
    const QByteArray inputs[] = {
        QByteArray("\xff\xff\xff\xff"
                   "abc",
                   7),                              // negative
        QByteArray("\x04\0\0\0abc", 7),             // one byte more than remains
        QByteArray("\xff\xff\xff\x7f", 4),          // huge: must not be allocated
        QByteArray("\x01\0", 2),                    // the length itself is cut short
    };
    for (const QByteArray& bytes : inputs) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        CArchive in(&buffer, CArchive::load);
        QByteArray text("kept");
        EXPECT_THROW(ReadString(in, text), CArchiveException) << bytes.toHex().constData();
        EXPECT_EQ(text, QByteArray("kept"));
    }
}

TEST(Clipboard, TextToBlockAddsTheTerminator) {
    const QByteArray block = TextToBlock(QByteArray("ab"));
    EXPECT_EQ(block, QByteArray("ab\0", 3));
    EXPECT_EQ(TextToBlock(QByteArray()), QByteArray("\0", 1));
}
