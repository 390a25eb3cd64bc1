// Names of vehicle-unit containers and EU files.
#include <gtest/gtest.h>

#include "maker_support.h"

namespace oltrex::testing {
namespace {

class VehicleNaming : public ::testing::Test {
protected:
    TachoNamer namer(const std::string& kindName, int mode = 0, const std::string& language = "DE",
                     const std::string& localPath = "/work/V_X_623B1A2C", int firmware = 120) {
        return TachoNamer({localPath, kindName, firmware, mode, language}, clock, settings);
    }
    FixedClock clock{{2024, 1, 2, 3, 4, 5, 0}};
    MemorySettings settings;
};

TEST_F(VehicleNaming, PaddedRegistrationAndVehicleTimeNameTheContainer) {
    auto n = namer("V_B AB 123_622B5715");
    Bytes data = overviewGen1("B AB 123");
    data[kOverviewRegistrationOffset + 10] = 0x00;  // zero padding after spaces
    auto time = n.onVehicleOverviewGen1(data);
    EXPECT_EQ(n.name(), "V_B_AB_123_2022-03-11_14-05-09.dlc");
    ASSERT_TRUE(time.has_value());
    EXPECT_TRUE(sameTime(*time, {2022, 3, 11, 14, 5, 9, 0}));
}

TEST_F(VehicleNaming, SpanishStyleAddsTheNationAndTheShortTime) {
    auto n = namer("V_ABC_622B5715", 0, "ES");
    n.onVehicleOverviewGen1(overviewGen1("ABC", 13));
    EXPECT_EQ(n.name(), "V_ABC_D_20220311_1405.dlc");
}

TEST_F(VehicleNaming, EnglishAndUnknownLanguagesUseTheGermanStyle) {
    for (const char* language : {"EN", "", "FR", "de"}) {
        auto n = namer("V_ABC_622B5715", 0, language);
        n.onVehicleOverviewGen1(overviewGen1("ABC"));
        EXPECT_EQ(n.name(), "V_ABC_2022-03-11_14-05-09.dlc") << language;
    }
}

TEST_F(VehicleNaming, SKindNameGivesTheSPrefix) {
    auto n = namer("s_ABC_622B5715");
    n.onVehicleOverviewGen1(overviewGen1("ABC"));
    EXPECT_EQ(n.name(), "S_ABC_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, EmptyRegistrationFallsBackToTheIdentificationNumber) {
    auto n = namer("V_X_622B5715");
    n.onVehicleOverviewGen1(overviewGen1(std::string(13, '\0'), 13, kVuTime, "WDB1234567X000001"));
    EXPECT_EQ(n.name(), "V_WDB1234567X000001_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, EmptyRegistrationAndIdentificationNumberGiveUnknownVehicle) {
    auto n = namer("V_X_622B5715");
    Bytes data = overviewGen1("", 13, kVuTime, std::string(17, '\0'));
    std::fill(data.begin() + kOverviewRegistrationOffset, data.begin() + kOverviewRegistrationOffset + 13, 0);
    n.onVehicleOverviewGen1(data);
    EXPECT_EQ(n.name(), "V_UnknownVehicleNumber_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, QuestionMarkInTheIdentificationNumberGivesUnknownVehicle) {
    auto n = namer("S_X_622B5715");
    n.onVehicleOverviewGen1(overviewGen1(std::string(13, ' '), 13, kVuTime, "WDB12345?7X000001"));
    EXPECT_EQ(n.name(), "S_UnknownVehicleNumber_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, VehicleUnitWithoutTimeEndsInUnderscoreDlc) {
    auto n = namer("V_ABC_622B5715");
    auto time = n.onVehicleOverviewGen1(overviewGen1("ABC", 13, 0xFFFFFFFF));
    EXPECT_EQ(n.name(), "V_ABC_.dlc");
    ASSERT_TRUE(time.has_value());
    EXPECT_TRUE(sameTime(*time, {2024, 1, 2, 3, 4, 5, 0}));  // local time instead
}

TEST_F(VehicleNaming, EuModeNamesAfterTheRegistrationWithM) {
    auto n = namer("V_ABC_622B5715", 1);
    n.onVehicleOverviewGen1(overviewGen1("B AB 123"));
    EXPECT_EQ(n.name(), "M_B_AB_123_2022-03-11_14-05-09.DDD");
}

TEST_F(VehicleNaming, ATruncatedOverviewNamesNothingAndGivesNoTime) {
    auto n = namer("V_ABC_622B5715");
    Bytes data = overviewGen1("ABC");
    data.resize(kOverviewMinimumLength - 1);
    EXPECT_FALSE(n.onVehicleOverviewGen1(data).has_value());
    EXPECT_EQ(n.name(), "");
    EXPECT_FALSE(n.onVehicleOverviewGen1(Bytes{}).has_value());
}

TEST_F(VehicleNaming, SecondGenerationTakesVehicleAndTimeFromTheLocalName) {
    auto n = namer("V_ABC123_2022-03-11_14-05-09.2", 0, "DE", "/w/x_ABC123_2022-03-11_14-05-09");
    n.onVehicleOverviewGen2();
    EXPECT_EQ(n.name(), "V_ABC123_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, SecondGenerationSkipsTheOltrexField) {
    auto n = namer("V_x", 0, "DE", "/w/x_oltrex_ABC123_2022-03-11_14-05-09");
    n.onVehicleOverviewGen2();
    EXPECT_EQ(n.name(), "V_ABC123_2022-03-11_14-05-09.dlc");
    auto m = namer("V_x", 0, "DE", "/w/OlTrEx_ABC_2022");
    m.onVehicleOverviewGen2();
    EXPECT_EQ(m.name(), "V_OlTrEx_ABC_2024-01-02_03-04-05.dlc");
}

TEST_F(VehicleNaming, SecondGenerationWithFewFieldsTakesTheFirstField) {
    auto n = namer("V_x", 0, "DE", "/w/ABC_2022-03-11");
    n.onVehicleOverviewGen2();
    EXPECT_EQ(n.name(), "V_ABC_2024-01-02_03-04-05.dlc");  // "ABC_2022-03-11" is no time text
}

TEST_F(VehicleNaming, SecondGenerationWithLettersInTheTimeUsesTheKindNameTime) {
    auto n = namer("V_ABC_623B1A2C", 0, "DE", "/w/V_ABC_x_yz");
    n.onVehicleOverviewGen2();
    EXPECT_EQ(n.name(), "V_ABC_2022-03-23_13-01-32.dlc");
    auto m = namer("V_ABC_623b1a2c", 0, "DE", "/w/V_ABC_x_yz");
    m.onVehicleOverviewGen2();
    EXPECT_EQ(m.name(), "V_ABC_2024-01-02_03-04-05.dlc");
}

TEST_F(VehicleNaming, SecondGenerationNameIsTheSameInEuMode) {
    auto n = namer("S_ABC", 1, "ES", "/w/x_ABC_2022-03-11_14-05-09");
    n.onVehicleOverviewGen2();
    EXPECT_EQ(n.name(), "S_ABC_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, SecondGenerationVehicleFieldCannotLeaveTheFolder) {
    auto n = namer("V_x", 0, "DE", "/w/x_A:B*C?_2022-03-11_14-05-09");
    n.onVehicleOverviewGen2();
    EXPECT_EQ(n.name(), "V_A_B_C__2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, SmartBlockTurnsAnExistingNameIntoAnSName) {
    auto n = namer("V_ABC");
    n.onSmartBlock();
    EXPECT_EQ(n.name(), "");
    n.onVehicleOverviewGen1(overviewGen1("ABC"));
    n.onSmartBlock();
    EXPECT_EQ(n.name(), "S_ABC_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, DoubledPrefixIsReplacedFromFirmware800) {
    const std::string local = "/w/x_V_2022-03-11_14-05-09";
    auto old = namer("V_ABC_623B1A2C", 0, "DE", local, 799);
    old.onVehicleOverviewGen2();
    old.finishWorkingName({}, true);
    EXPECT_EQ(old.name(), "V_V_2022-03-11_14-05-09.dlc");

    auto current = namer("V_ABC_623B1A2C", 0, "DE", local, 800);
    current.onVehicleOverviewGen2();
    current.finishWorkingName({}, true);
    EXPECT_EQ(current.name(), "V_ABC_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, DoubledPrefixWithoutAKindNameFieldGivesUnknownContainerName) {
    auto n = namer("V", 0, "DE", "/w/x_V_2022-03-11_14-05-09", 800);
    n.onVehicleOverviewGen2();
    n.finishFiledName(true);
    EXPECT_EQ(n.name(), "V_UnknownContainerName_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, DoubledPrefixFieldFromTheKindNameCannotLeaveTheFolder) {
    auto n = namer("V_../x_623B1A2C", 0, "DE", "/w/x_V_2022-03-11_14-05-09", 800);
    n.onVehicleOverviewGen2();
    n.finishFiledName(true);
    EXPECT_EQ(n.name(), "V_.._x_2022-03-11_14-05-09.dlc");
}

TEST_F(VehicleNaming, ShortNameTakesDlcAndTheKindLetterForVehicleUnits) {
    auto n = namer("V_X", 0, "DE", "/w/x_ABC_623B1A2C");
    EXPECT_FALSE(n.hasName());
    EXPECT_EQ(n.shortName(true, false), "V_ABC_623B1A2C.dlc");
    EXPECT_EQ(n.shortName(true, true), "S_ABC_623B1A2C.dlc");
    EXPECT_EQ(n.shortName(false, false), "V_ABC_623B1A2C");
    auto card = namer("C_X", 0, "DE", "/w/c_123_623B1A2C.2");
    EXPECT_EQ(card.shortName(false, false), "c_123_623B1A2C.2");
}

}  // namespace
}  // namespace oltrex::testing
