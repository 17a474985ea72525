// The recent-file list: newest first, no duplicates, seven at most, kept in the settings, and
// menu texts that neither overflow nor turn ampersands into mnemonics.

#include "TestSupport.h"

#include "app/RecentFileList.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(RecentFileList, NewestFirstWithoutDuplicatesAndSevenAtMost) {
    CRecentFileList list;
    for (int i = 1; i <= 9; ++i)
        list.Add(QStringLiteral("/docs/form%1.brf").arg(i));
    ASSERT_EQ(list.GetSize(), CRecentFileList::kSize);
    EXPECT_EQ(list.GetFiles().front(), QStringLiteral("/docs/form9.brf"));
    EXPECT_EQ(list.GetFiles().back(), QStringLiteral("/docs/form3.brf"));
    // Reopening a file by another spelling of its path moves it to the front once.
    list.Add(QStringLiteral("/docs/x/../form5.brf"));
    EXPECT_EQ(list.GetSize(), CRecentFileList::kSize);
    EXPECT_EQ(list.GetFiles().front(), QStringLiteral("/docs/form5.brf"));
    EXPECT_EQ(list.GetFiles().count(QStringLiteral("/docs/form5.brf")), 1);
    list.Remove(0);
    list.Remove(99); // no such entry
    EXPECT_EQ(list.GetFiles().front(), QStringLiteral("/docs/form9.brf"));

    // Every change is in the settings at once.
    CRecentFileList again;
    again.ReadList();
    EXPECT_EQ(again.GetFiles(), list.GetFiles());
    EXPECT_EQ(Profile().GetProfileString(QStringLiteral("Recent File List"),
                                         QStringLiteral("File1"), {}),
              QStringLiteral("/docs/form9.brf"));
}

TEST(RecentFileList, ReadingDropsEmptyAndRepeatedEntries) {
    const QString section = QStringLiteral("Recent File List");
    Profile().WriteProfileString(section, QStringLiteral("File1"), QStringLiteral("/a.brf"));
    Profile().WriteProfileString(section, QStringLiteral("File2"), QString());
    Profile().WriteProfileString(section, QStringLiteral("File3"), QStringLiteral("/a.brf"));
    Profile().WriteProfileString(section, QStringLiteral("File4"), QStringLiteral("/b.brf"));
    CRecentFileList list;
    list.ReadList();
    EXPECT_EQ(list.GetFiles(), (QStringList{QStringLiteral("/a.brf"), QStringLiteral("/b.brf")}));
}

TEST(RecentFileList, MenuTextsAreNumberedShortenedAndEscaped) {
    CRecentFileList list;
    list.Add(QStringLiteral("/very/long/folder/name/that/goes/on/and/on/Tom & Jerry.brf"));
    list.Add(QStringLiteral("/short.brf"));
    EXPECT_EQ(list.GetDisplayName(0), QStringLiteral("&1 /short.brf"));
    const QString shortened = list.GetDisplayName(1, 40);
    EXPECT_TRUE(shortened.startsWith(QStringLiteral("&2 /very")));
    EXPECT_TRUE(shortened.endsWith(QStringLiteral("/Tom && Jerry.brf")));
    EXPECT_TRUE(shortened.contains(QStringLiteral("...")));
    EXPECT_LE(shortened.size(), 3 + 40 + 1); // "&2 " and the doubled ampersand
    EXPECT_EQ(list.GetDisplayName(2), QString());
}
