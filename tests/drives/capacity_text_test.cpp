#include <gtest/gtest.h>

#include "oltrex/drives/CapacityText.h"

using oltrex::capacityText;

TEST(CapacityText, DividesBy1024OncePerUnitStep) {
    const std::uint64_t bytes = 3ull * 1024 * 1024 * 1024;
    EXPECT_EQ(capacityText(bytes, 0), "3221225472");
    EXPECT_EQ(capacityText(bytes, 1), "3145728");
    EXPECT_EQ(capacityText(bytes, 2), "3072");
    EXPECT_EQ(capacityText(bytes, 3), "3");
}

TEST(CapacityText, UnitStepsOutsideZeroToThreeAreClamped) {
    const std::uint64_t bytes = 5ull * 1024 * 1024 * 1024;
    EXPECT_EQ(capacityText(bytes, -4), capacityText(bytes, 0));
    EXPECT_EQ(capacityText(bytes, 9), "5");
}

TEST(CapacityText, RoundsToWholeUnits) {
    EXPECT_EQ(capacityText(1536 * 1024 + 600 * 1024, 2), "2");
    EXPECT_EQ(capacityText(0, 2), "0");
}

TEST(CapacityText, GroupsDigitsInThreesWhenASeparatorIsGiven) {
    EXPECT_EQ(capacityText(1234567, 0, '.'), "1.234.567");
    EXPECT_EQ(capacityText(123456, 0, '.'), "123.456");
    EXPECT_EQ(capacityText(999, 0, '.'), "999");
    EXPECT_EQ(capacityText(1000, 0, ','), "1,000");
}
