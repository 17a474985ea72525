#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

namespace {

TEST(ResourceModuleTest, ParseStringTable) {
    const QByteArray text = "# a comment\t99\tnot a string\n"
                            "100\tPlain text\n"
                            "101\tTwo\\nlines\\tand a tab\\\\n\r\n"
                            "102\t\n"
                            "103\tA\tB\n"
                            "\n"
                            "no tab here\n"
                            "\t104 text with no id\n"
                            "abc\tnot a number\n"
                            "-5\tnegative\n"
                            "105\tTrailing backslash\\\n"
                            "106\tUmlaut \xC3\xA4\n"
                            "100\tLater line wins\n"
                            "107\tno line end";
    const QHash<UINT, QString> table = ParseStringTable(text);
    EXPECT_EQ(table.value(100), QStringLiteral("Later line wins"));
    EXPECT_EQ(table.value(101), QStringLiteral("Two\nlines\tand a tab\\n"));
    EXPECT_TRUE(table.contains(102));
    EXPECT_EQ(table.value(102), QString());
    EXPECT_EQ(table.value(103), QStringLiteral("A\tB"));
    EXPECT_EQ(table.value(105), QStringLiteral("Trailing backslash\\"));
    EXPECT_EQ(table.value(106), QStringLiteral("Umlaut \u00E4"));
    EXPECT_EQ(table.value(107), QStringLiteral("no line end"));
    EXPECT_FALSE(table.contains(99));
    EXPECT_FALSE(table.contains(104));
    EXPECT_EQ(table.size(), 7);
}

TEST(ResourceModuleTest, IdentifiersAreDecimal) {
    // Identifiers written with leading zeros keep their decimal value.
    const QHash<UINT, QString> table = ParseStringTable("0120\tDocuments\n");
    EXPECT_EQ(table.value(120), QStringLiteral("Documents"));
    EXPECT_FALSE(table.contains(80));
}

} // namespace
