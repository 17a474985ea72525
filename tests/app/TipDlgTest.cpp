#include "TestSupport.h"
#include "app/ProfileRecords.h"
#include "app/TipDlg.h"
#include "platform/SettingsStore.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
QString WriteTips(const QByteArray& text) {
    const QString path = TestTempDir() + QStringLiteral("/tips.txt");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

QStringList ReadTips(CTipReader& r, int n) {
    QStringList tips;
    for (int i = 0; i < n; ++i) {
        QString t;
        tips << (r.GetNextTip(t) ? t : QStringLiteral("<none>"));
    }
    return tips;
}
} // namespace

TEST(TipReader, SkipsCommentAndIndentedLinesAndWraps) {
    const QString path = WriteTips("; comment\none\n\ttabbed\n two\n\nthree\r\n;x\n");
    CTipReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(ReadTips(r, 4), (QStringList{"one", "three", "one", "three"}));
}

TEST(TipReader, ResumesAtTheSavedOffsetUntilTheFileChanges) {
    const QString path = WriteTips("one\ntwo\nthree\n");
    {
        CTipReader r;
        ASSERT_TRUE(r.Open(path));
        ReadTips(r, 1);
        r.SavePosition();
    }
    EXPECT_EQ(Profile().GetProfileInt(kSectionTip, QStringLiteral("FilePos"), -1), 4);
    {
        CTipReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(ReadTips(r, 1), QStringList{"two"});
    }
    // Another modification time: reading starts over.
    Profile().WriteProfileString(kSectionTip, QStringLiteral("TimeStamp"), QStringLiteral("old"));
    CTipReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(ReadTips(r, 1), QStringList{"one"});
    EXPECT_EQ(Profile().GetProfileString(kSectionTip, QStringLiteral("TimeStamp")),
              CTipReader::FileTimeStamp(path));
}

TEST(TipReader, OddFilesGiveNoTipButNoFault) {
    // Only skipped lines.
    CTipReader r;
    ASSERT_TRUE(r.Open(WriteTips(";a\n b\n\t\n\n")));
    EXPECT_EQ(ReadTips(r, 2), (QStringList{"<none>", "<none>"}));
    // A saved offset past the end, and a negative one.
    const QString path = WriteTips("only\n");
    CTipReader r2;
    ASSERT_TRUE(r2.Open(path));
    r2.SavePosition();
    Profile().WriteProfileInt(kSectionTip, QStringLiteral("FilePos"), 1 << 30);
    CTipReader r3;
    ASSERT_TRUE(r3.Open(path));
    EXPECT_EQ(ReadTips(r3, 1), QStringList{"only"});
    Profile().WriteProfileInt(kSectionTip, QStringLiteral("FilePos"), -7);
    CTipReader r4;
    ASSERT_TRUE(r4.Open(path));
    EXPECT_EQ(ReadTips(r4, 1), QStringList{"only"});
    // A line longer than the buffer is read in pieces, never past it.
    CTipReader r5;
    ASSERT_TRUE(r5.Open(WriteTips(QByteArray(2500, 'x') + "\nshort\n")));
    const QStringList long5 = ReadTips(r5, 4);
    EXPECT_EQ(long5[0].size(), 999);
    EXPECT_EQ(long5[3], QStringLiteral("short"));
    // No file at all.
    CTipReader r6;
    EXPECT_FALSE(r6.Open(TestTempDir() + QStringLiteral("/missing.txt")));
    QString t;
    EXPECT_FALSE(r6.GetNextTip(t));
}

TEST(TipDlg, ShownOnlyWhenStartUpIsZeroAndRemembersTheChoice) {
    TestDialogs().handlers[QStringLiteral("CTipDlg")] = [](CModalDialog& d) {
        auto& tip = static_cast<CTipDlg&>(d);
        tip.m_bStartup = false; // the user unticks "Show tips at startup"
        tip.OnClose();
        return IDOK;
    };
    ShowTipAtStartup();
    EXPECT_EQ(TestDialogs().dialogsRun, QStringList{"CTipDlg"});
    EXPECT_EQ(Profile().GetProfileInt(kSectionTip, QStringLiteral("StartUp"), 0), 1);
    ShowTipAtStartup();
    EXPECT_EQ(TestDialogs().dialogsRun.size(), 1);
}
