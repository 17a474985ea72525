#include "app/Units.h"

#include <gtest/gtest.h>

TEST(Units, WholeUnitsConvertOneTextUnitShort) {
    EXPECT_EQ(unitConvertToTextunit(1.0, UNIT_INCH), 99999);
    EXPECT_EQ(unitConvertToTextunit(25.4, UNIT_MILLIMETRE), 99999);
    EXPECT_EQ(unitConvertToTextunit(72.0, UNIT_POINT), 99999);
    EXPECT_EQ(unitConvertToTextunit(-1.0, UNIT_INCH), -99999); // truncated toward zero
}

TEST(Units, TextUnitsToUnits) {
    EXPECT_DOUBLE_EQ(unitConvertTextunitTo(100000, UNIT_INCH), 1.0);
    EXPECT_NEAR(unitConvertTextunitTo(100000, UNIT_MILLIMETRE), 25.4, 1e-12);
    EXPECT_NEAR(unitConvertTextunitTo(100000, UNIT_POINT), 72.0, 1e-12);
}

TEST(Units, UnknownUnitsGiveZero) {
    EXPECT_EQ(unitConvert(5.0, 3, UNIT_TEXTUNIT), 0.0);
    EXPECT_EQ(unitConvert(5.0, UNIT_TEXTUNIT, 3), 0.0);
    EXPECT_EQ(unitConvert(5.0, UNIT_TEXTUNIT, UNIT_TEXTUNIT), 5.0);
}

TEST(Units, SpinSteps) {
    EXPECT_EQ(unitGetDelta(UNIT_INCH), 499);
    EXPECT_EQ(unitGetDelta(UNIT_MILLIMETRE), 1968);
    EXPECT_EQ(unitGetDelta(UNIT_POINT), 1388);
    EXPECT_EQ(unitGetDelta(3), 0);
    EXPECT_EQ(unitGetDelta(-1), 0);
}

TEST(Units, FormattingUsesTheUnitsDecimalsAndAPoint) {
    // Also run under a German locale: the decimal separator must stay a point.
    EXPECT_EQ(unitGetStrValue(1.5, UNIT_INCH), QStringLiteral("1.500"));
    EXPECT_EQ(unitGetStrValue(1.5, UNIT_MILLIMETRE), QStringLiteral("1.50"));
    EXPECT_EQ(unitGetStrValue(12.0, UNIT_POINT), QStringLiteral("12"));
    EXPECT_EQ(unitGetStrValue(12.0, 7), QStringLiteral("12"));
}
