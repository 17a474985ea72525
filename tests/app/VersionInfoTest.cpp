#include "app/VersionInfo.h"
#include "platform/ResourceModule.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(VersionInfo, VersionRecordToText) {
    EXPECT_EQ(BuildVersionString((2u << 16) | 5u, (3u << 16) | 0u), QStringLiteral("2.05.03"));
    EXPECT_EQ(BuildVersionString((2u << 16) | 5u, 0u), QStringLiteral("2.05"));
    EXPECT_EQ(BuildVersionString((1u << 16) | 0u, 0u), QStringLiteral("1.00"));
    // LS exactly 65535 is not greater than 65535: two parts only.
    EXPECT_EQ(BuildVersionString((1u << 16) | 2u, 65535u), QStringLiteral("1.02"));
}

TEST(VersionInfo, DisplayNameFromTheResourceModule) {
    ASSERT_TRUE(LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") + "/Brellin.eng"));
    EXPECT_EQ(GetDisplayName(), QStringLiteral("Brellin 1.00"));
    DWORD ms = 0, ls = 0;
    ASSERT_TRUE(GetResourceVersion(ms, ls));
    EXPECT_EQ(ms, 0x00010000u);
    EXPECT_EQ(ls, 0u);
    EXPECT_FALSE(LoadResString(108).isEmpty());
    UnloadResourceModule();
    // Without the module the program's own version record answers.
    EXPECT_EQ(GetDisplayName(), QStringLiteral("Brellin 1.00"));
}

TEST(VersionInfo, MissingModuleDoesNotLoad) {
    EXPECT_FALSE(LoadResourceModule(QStringLiteral("/nonexistent/Brellin.eng")));
    EXPECT_FALSE(IsResourceModuleLoaded());
    EXPECT_TRUE(LoadResString(108).isEmpty());
}
