#include "app/PathSplit.h"

#include <gtest/gtest.h>

TEST(PathSplit, Parts) {
    struct Case {
        const char* path;
        const char* drive;
        const char* folder;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\docs\\sub\\report.brf", "C:", "\\docs\\sub\\", "report", "brf"},
        {"/home/u/a.b.png", "", "/home/u/", "a.b", "png"},
        {"\\\\server\\share\\x.txt", "", "\\server\\share\\", "x", "txt"},
        {"C:name.txt", "C:", "", "name", "txt"},
        {"readme", "", "", "readme", ""},
        {"/home/u.d/.profile", "", "/home/u.d/", ".profile", ""}, // a leading dot is no extension
        {"/home/u.d/file", "", "/home/u.d/", "file", ""},
    };
    for (const Case& c : cases) {
        CPathSplit split;
        EXPECT_TRUE(split.Split(QString::fromLatin1(c.path))) << c.path;
        EXPECT_EQ(split.GetDrive(), QString::fromLatin1(c.drive)) << c.path;
        EXPECT_EQ(split.GetFolder(), QString::fromLatin1(c.folder)) << c.path;
        EXPECT_EQ(split.GetName(), QString::fromLatin1(c.name)) << c.path;
        EXPECT_EQ(split.GetExt(), QString::fromLatin1(c.ext)) << c.path;
    }
    EXPECT_FALSE(CPathSplit().Split(QString()));
}

TEST(PathSplit, ShortPathsStayWhole) {
    const QString path45 = QStringLiteral("C:\\") + QString(36, QLatin1Char('d')) +
                           QStringLiteral("\\a.txt");
    ASSERT_EQ(path45.size(), 45);
    EXPECT_EQ(CPathSplit(path45).GetSplittedPath(), path45);
}

TEST(PathSplit, LongPathKeepsTheName) {
    // 60 characters, the file name report.brf.
    const QString folder = QStringLiteral("C:\\") + QString(46, QLatin1Char('f')) + QLatin1Char('\\');
    const QString path = folder + QStringLiteral("report.brf");
    ASSERT_EQ(path.size(), 60);
    const QString shortened = CPathSplit(path).GetSplittedPath();
    EXPECT_EQ(shortened, path.left(40) + QStringLiteral("...\\report"));
    EXPECT_EQ(shortened.size(), 50);
}

TEST(PathSplit, LongNameIsCut) {
    const QString name = QString(47, QLatin1Char('n'));
    const QString path = QStringLiteral("/x/") + name + QStringLiteral(".png");
    EXPECT_EQ(CPathSplit(path).GetSplittedPath(),
              QStringLiteral("...\\") + name.left(46) + QStringLiteral("..."));
    // A name of exactly 46 characters keeps no folder at all.
    const QString name46 = QString(46, QLatin1Char('m'));
    EXPECT_EQ(CPathSplit(QStringLiteral("/x/") + name46).GetSplittedPath(),
              QStringLiteral("...\\") + name46);
}
