#include "app/ProfileRecords.h"
#include "app/Units.h"
#include "platform/RecordIO.h"
#include "platform/SettingsStore.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {
void WriteBinary(const QString& name, const QByteArray& bytes) {
    Profile().WriteProfileData(kSectionSettings, name, bytes.constData(), int(bytes.size()));
}
} // namespace

TEST(ProfileRecords, DefaultsWhenMissing) {
    const FrameOptions o = LoadFrameOptions();
    const LONG grid = unitConvertToTextunit(14.0, UNIT_POINT);
    EXPECT_EQ(grid, 19444);
    const LONG expected[24] = {1, 1, 1, 0, 0, 0, 7, 1, 0, grid, grid, 0,
                               0, 1, 4, 0, 1, 0, 1, 1, 0, -256, 2, 0};
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(o[i], expected[i]) << "field " << i;

    const CaptureOptions c = LoadCaptureOptions();
    const LONG cap[17] = {1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0, 1, 0, 0, 12, 1, 0};
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(c[i], cap[i]) << "field " << i;

    const LeadCaptureOptions l = LoadLeadCaptureOptions();
    const LONG lead[8] = {0, 0, 122, 0, 27, 0, 1, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(l[i], lead[i]) << "field " << i;

    const TEXTSTYLE s = LoadTextStyleBarSettings();
    EXPECT_STREQ(s.lf.lfFaceName, "Arial");
    EXPECT_EQ(s.nSize, 12);
    EXPECT_EQ(s.lf.lfHeight, -120);
}

TEST(ProfileRecords, StoredRecordsAreLittleEndianIntegers) {
    FrameOptions o = DefaultFrameOptions();
    o[OPT_JPEG_LEVEL] = 0x01020304;
    SaveFrameOptions(o);
    const QByteArray bytes = Profile().GetProfileBinary(kSectionSettings, QStringLiteral("Options"));
    ASSERT_EQ(bytes.size(), 96);
    EXPECT_EQ(bytes.mid(24, 4), QByteArray("\x04\x03\x02\x01", 4));
    EXPECT_EQ(LoadFrameOptions()[OPT_JPEG_LEVEL], 0x01020304);
}

TEST(ProfileRecords, CaptureFieldZeroIsForcedOn) {
    CaptureOptions c = DefaultCaptureOptions();
    c[0] = 0;
    c[8] = 0;
    SaveCaptureOptions(c);
    const CaptureOptions back = LoadCaptureOptions();
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[8], 0);
}

TEST(ProfileRecords, RecordsOfTheWrongSizeOrTypeLeaveTheDefaults) {
    WriteBinary(QStringLiteral("Options"), QByteArray(95, '\x7f'));
    WriteBinary(QStringLiteral("CaptureOptions"), QByteArray(200, '\x7f'));
    WriteBinary(QStringLiteral("LeadCaptureOptions"), QByteArray());
    Profile().WriteProfileString(kSectionSettings, QStringLiteral("TEXTSTYLEBARSETTINGS"),
                                 QStringLiteral("not a record"));
    EXPECT_EQ(LoadFrameOptions()[OPT_TEMPLATES_AT_START], 1);
    EXPECT_EQ(LoadCaptureOptions()[14], 12);
    EXPECT_EQ(LoadLeadCaptureOptions()[2], 122);
    EXPECT_STREQ(LoadTextStyleBarSettings().lf.lfFaceName, "Arial");
}

TEST(ProfileRecords, TextStyleRoundTrip) {
    TEXTSTYLE s = DefaultTextStyle();
    std::strcpy(s.lf.lfFaceName, "DejaVu Sans");
    s.nSize = 9;
    s.lf.lfHeight = -90;
    s.bStepped = 1;
    s.nPitch = 25000;
    s.crText = RGB(10, 20, 30);
    SaveTextStyleBarSettings(s);
    const TEXTSTYLE back = LoadTextStyleBarSettings();
    EXPECT_EQ(std::memcmp(&back, &s, sizeof s), 0);
}

TEST(ProfileRecords, FirstLaunchClearsSettingsOnce) {
    SaveFrameOptions(DefaultFrameOptions());
    Profile().WriteProfileString(kSectionSettings, QStringLiteral("InitialDir"), QStringLiteral("/x"));
    Profile().WriteProfileInt(kSectionBarState, QStringLiteral("Bars"), 3);
    Profile().WriteProfileInt(kSectionTip, QStringLiteral("StartUp"), 1);

    // -1 (absent): nothing happens.
    EXPECT_FALSE(FirstLaunchReset());
    EXPECT_TRUE(Profile().HasProfileValue(kSectionSettings, QStringLiteral("InitialDir")));

    Profile().WriteProfileInt(QString(), QStringLiteral("FirstLaunch"), 1);
    EXPECT_TRUE(FirstLaunchReset());
    EXPECT_FALSE(Profile().HasProfileValue(kSectionSettings, QStringLiteral("InitialDir")));
    EXPECT_FALSE(Profile().HasProfileValue(kSectionSettings, QStringLiteral("Options")));
    EXPECT_FALSE(Profile().HasProfileValue(kSectionBarState, QStringLiteral("Bars")));
    EXPECT_EQ(Profile().GetProfileInt(kSectionTip, QStringLiteral("StartUp"), 0), 1);
    EXPECT_EQ(Profile().GetProfileInt(QString(), QStringLiteral("FirstLaunch"), -1), 0);

    // Only once.
    Profile().WriteProfileString(kSectionSettings, QStringLiteral("InitialDir"), QStringLiteral("/y"));
    EXPECT_FALSE(FirstLaunchReset());
    EXPECT_TRUE(Profile().HasProfileValue(kSectionSettings, QStringLiteral("InitialDir")));
}
