// Time texts and name fields of the key's file names.
#include <gtest/gtest.h>

#include "oltrex/testdata/FileNames.h"

namespace oltrex::testdata {
namespace {

TEST(TimeTexts, showTheTimeInUtcAsEightHexDigitsOrAsTheLongForm) {
    EXPECT_EQ(hexTimeText(0x623B1A2C), "623B1A2C");
    EXPECT_EQ(hexTimeText(0x0000ABCD), "0000ABCD");
    EXPECT_EQ(longTimeText(0x623B1A2C), "2022-03-23_13-01-32");
    EXPECT_EQ(longTimeText(0x622B5715), "2022-03-11_14-05-09");
    EXPECT_EQ(longTimeText(0), "1970-01-01_00-00-00");
}

TEST(CalendarTimes, convertBothWaysAcrossLeapDaysAndYearEnds) {
    for (const std::uint32_t t : {951782400u /* 2000-02-29 */, 1709251199u /* 2024-02-29 23:59:59 */,
                                  1703980800u /* 2023-12-31 */, 4102444799u /* 2099-12-31 23:59:59 */}) {
        EXPECT_EQ(secondsFromCalendar(calendarFromSeconds(t)), t);
    }
    const CalendarTime leap = calendarFromSeconds(951782400u);
    EXPECT_EQ(leap.month, 2);
    EXPECT_EQ(leap.day, 29);
}

TEST(NameFields, keepLettersDigitsAndDashesOnly) {
    EXPECT_EQ(nameField("B AB 123  "), "BAB123");
    EXPECT_EQ(nameField("12-ABC-3"), "12-ABC-3");
    EXPECT_EQ(nameField("A_B.2"), "AB2");
    EXPECT_EQ(nameField(std::string("\0\0 ", 3)), "UNKNOWN");
}

TEST(NameFields, neverPutAnUnderscoreOrDotTwoIntoAGeneration1Name) {
    const std::string name = vehicleUnitFileName(Generation::First, "X_Y.2", 0x622B5715);
    EXPECT_EQ(name, "V_XY2_622B5715");
    EXPECT_EQ(name.find(".2"), std::string::npos);
}

}  // namespace
}  // namespace oltrex::testdata
