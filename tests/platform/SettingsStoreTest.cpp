#include "platform/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Writes what the store holds to its file and opens the store again, so that what is read back
// comes from the file and not from the store's memory.
void Reopen() {
    Profile().Sync();
    Profile().SetProfileName(Profile().GetProfileName());
}

struct Record {
    std::int32_t values[6];
};

TEST(SettingsStoreTest, ValuesSurviveTheFile) {
    const Record rec = {{1, -2, 3, 0x7FFFFFFF, 0, -1}};
    ASSERT_TRUE(
        Profile().WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Zoom"), -150));
    ASSERT_TRUE(Profile().WriteProfileString(QStringLiteral("Settings2"), QStringLiteral("Folder"),
                                             QStringLiteral("/tmp/a b/Ä=;#")));
    ASSERT_TRUE(Profile().WriteProfileData(QStringLiteral("Settings"), QStringLiteral("Options"),
                                           &rec, sizeof rec));
    Reopen();

    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Settings"), QStringLiteral("Zoom"), 7), -150);
    EXPECT_EQ(Profile().GetProfileString(QStringLiteral("Settings2"), QStringLiteral("Folder")),
              QStringLiteral("/tmp/a b/Ä=;#"));
    Record back{};
    ASSERT_TRUE(Profile().GetProfileData(QStringLiteral("Settings"), QStringLiteral("Options"),
                                         &back, sizeof back));
    EXPECT_EQ(std::memcmp(&back, &rec, sizeof rec), 0);
    EXPECT_EQ(Profile().GetProfileBinary(QStringLiteral("Settings"), QStringLiteral("Options")),
              QByteArray(reinterpret_cast<const char*>(&rec), sizeof rec));

    // What was never written gives the defaults.
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Settings"), QStringLiteral("None"), 7), 7);
    EXPECT_EQ(Profile().GetProfileString(QStringLiteral("Settings"), QStringLiteral("None"),
                                         QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_FALSE(Profile().HasProfileValue(QStringLiteral("Settings"), QStringLiteral("None")));
    EXPECT_TRUE(Profile().HasProfileValue(QStringLiteral("Settings"), QStringLiteral("Zoom")));
}

TEST(SettingsStoreTest, RecordOfAnotherSizeLeavesTheBuffer) {
    const std::int32_t shorter[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(Profile().WriteProfileData(QStringLiteral("Settings"), QStringLiteral("Options"),
                                           shorter, sizeof shorter));
    Reopen();
    Record rec = {{9, 9, 9, 9, 9, 9}};
    EXPECT_FALSE(Profile().GetProfileData(QStringLiteral("Settings"), QStringLiteral("Options"),
                                          &rec, sizeof rec));
    for (std::int32_t v : rec.values)
        EXPECT_EQ(v, 9);
    EXPECT_FALSE(Profile().GetProfileData(QStringLiteral("Settings"), QStringLiteral("Absent"),
                                          &rec, sizeof rec));
    EXPECT_FALSE(Profile().GetProfileData(QStringLiteral("Settings"), QStringLiteral("Options"),
                                          nullptr, sizeof shorter));
}

TEST(SettingsStoreTest, HandWrittenValuesOfTheWrongTypeLeaveDefaults) {
    Profile().WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Keep"), 1);
    Profile().Sync();
    {
        // Another writer of the same file puts text where a record and a number belong.
        QSettings raw(Profile().GetFileName(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/Options"), QStringLiteral("not a record"));
        raw.setValue(QStringLiteral("Settings/Zoom"), QByteArray("\x01\x02", 2));
    }
    {
        QFile f(Profile().GetFileName());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\n[Printer]\nCopies=12abc\nRecord=24\nEmpty=\n");
    }
    Profile().SetProfileName(Profile().GetProfileName());

    std::int32_t rec[4] = {5, 6, 7, 8};
    EXPECT_FALSE(Profile().GetProfileData(QStringLiteral("Settings"), QStringLiteral("Options"),
                                          rec, sizeof rec));
    EXPECT_FALSE(Profile().GetProfileData(QStringLiteral("Printer"), QStringLiteral("Record"), rec,
                                          sizeof rec));
    EXPECT_EQ(rec[0], 5);
    EXPECT_EQ(rec[3], 8);
    EXPECT_TRUE(
        Profile().GetProfileBinary(QStringLiteral("Printer"), QStringLiteral("Record")).isEmpty());
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Settings"), QStringLiteral("Zoom"), 100),
              100);
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Printer"), QStringLiteral("Copies"), 1), 1);
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Printer"), QStringLiteral("Empty"), 3), 3);
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Settings"), QStringLiteral("Keep"), 0), 1);
}

TEST(SettingsStoreTest, DeleteSectionTakesItsSubSectionsAndNothingElse) {
    const QString settings = QStringLiteral("Settings");
    const QString bars = QStringLiteral("Settings\\BarState");
    const QString bar = QStringLiteral("Settings\\BarState\\Bar-1");
    const QString look = QStringLiteral("Settings\\BarStateX");
    Profile().WriteProfileInt(settings, QStringLiteral("Grid"), 4);
    Profile().WriteProfileInt(bars, QStringLiteral("Count"), 2);
    Profile().WriteProfileInt(bar, QStringLiteral("Visible"), 1);
    Profile().WriteProfileInt(look, QStringLiteral("Style"), 3);
    Profile().WriteProfileInt(QStringLiteral("Settings2"), QStringLiteral("Grid"), 5);
    Profile().WriteProfileInt(QString(), QStringLiteral("FirstLaunch"), 0);

    ASSERT_TRUE(Profile().DeleteProfileSection(bars));
    Reopen();
    EXPECT_FALSE(Profile().HasProfileValue(bars, QStringLiteral("Count")));
    EXPECT_FALSE(Profile().HasProfileValue(bar, QStringLiteral("Visible")));
    EXPECT_EQ(Profile().GetProfileInt(settings, QStringLiteral("Grid"), 0), 4);
    EXPECT_EQ(Profile().GetProfileInt(look, QStringLiteral("Style"), 0), 3);

    ASSERT_TRUE(Profile().DeleteProfileSection(settings));
    Reopen();
    EXPECT_FALSE(Profile().HasProfileValue(settings, QStringLiteral("Grid")));
    EXPECT_FALSE(Profile().HasProfileValue(look, QStringLiteral("Style")));
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Settings2"), QStringLiteral("Grid"), 0), 5);
    EXPECT_TRUE(Profile().HasProfileValue(QString(), QStringLiteral("FirstLaunch")));

    // The root is not a section that can be deleted.
    EXPECT_FALSE(Profile().DeleteProfileSection(QString()));
    EXPECT_TRUE(Profile().HasProfileValue(QString(), QStringLiteral("FirstLaunch")));
}

TEST(SettingsStoreTest, RootValues) {
    ASSERT_TRUE(Profile().WriteProfileInt(QString(), QStringLiteral("FirstLaunch"), 1));
    ASSERT_TRUE(
        Profile().WriteProfileString(QString(), QStringLiteral("Language"), QStringLiteral("eng")));
    Profile().WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("FirstLaunch"), 2);
    Reopen();
    EXPECT_EQ(Profile().GetProfileInt(QString(), QStringLiteral("FirstLaunch"), 0), 1);
    EXPECT_EQ(Profile().GetProfileString(QString(), QStringLiteral("Language")),
              QStringLiteral("eng"));
    EXPECT_EQ(Profile().GetProfileInt(QStringLiteral("Settings"), QStringLiteral("FirstLaunch"), 0),
              2);
}

} // namespace
