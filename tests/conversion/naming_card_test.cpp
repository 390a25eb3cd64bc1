// Names of card containers and EU card files.
#include <gtest/gtest.h>

#include "maker_support.h"

namespace oltrex::testing {
namespace {

const LocalTime kHeaderTime{2022, 3, 11, 14, 5, 9, 0};
// Kind name of a key from firmware 105 on: the download time in its last 8 characters.
const std::string kKindName = "C_DF00000012345600_623B1A2C";  // 2022-03-23 13:01:32

class CardNaming : public ::testing::Test {
protected:
    void SetUp() override { settings.set(kTachographSettingsPath, "ContainerPath", folders.containerSetting()); }

    TachoNamer namer(int mode = 0, const std::string& language = "DE", int firmware = 120,
                     const std::string& kindName = kKindName) {
        return TachoNamer({"/w/C_X_623B1A2C", kindName, firmware, mode, language}, clock, settings);
    }

    RunFolders folders;
    FixedClock clock{{2024, 1, 2, 3, 4, 5, 0}};
    MemorySettings settings;
};

TEST_F(CardNaming, CardTimeComesFromTheKindNameFromFirmware105) {
    EXPECT_TRUE(sameTime(namer(0, "DE", 105).cardTime(), {2022, 3, 23, 13, 1, 32, 0}));
    EXPECT_TRUE(sameTime(namer(0, "DE", 104).cardTime(), {2024, 1, 2, 3, 4, 5, 0}));
    EXPECT_TRUE(sameTime(namer(0, "DE", 120, "C_1").cardTime(), {2024, 1, 2, 3, 4, 5, 0}));
}

TEST_F(CardNaming, DriverCardIsNamedAfterItsHolderAndTheHeaderTime) {
    auto n = namer();
    EXPECT_FALSE(n.onCardType(1));
    n.onIdentification(identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA MARIA"));
    EXPECT_EQ(n.name(), "C_MUSTERMANN_ERIKA_MARIA");
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_MUSTERMANN_ERIKA_MARIA_2022-03-11_14-05-09.dlc");
}

TEST_F(CardNaming, DriverCardWithoutHolderNamesIsUnknownCardHolder) {
    auto n = namer();
    n.onCardType(1);
    n.onIdentification(identification(13, "DF00000012345600", "", ""));
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_UnknownCardHolderName_2022-03-11_14-05-09.dlc");
}

TEST_F(CardNaming, DriverHolderNamesAreCleaned) {
    auto n = namer();
    n.onCardType(1);
    n.onIdentification(identification(13, "DF00000012345600", "M\xDCLLER/..", "J?"));
    EXPECT_EQ(n.name(), "C_M_LLER____J_");
}

TEST_F(CardNaming, SpanishDriverCardIsNamedAfterCardNumberNationAndCardTime) {
    auto n = namer(0, "ES");
    n.onCardType(1);
    n.onIdentification(identification(15, "E12345678T000001", "MUSTERMANN", "ERIKA"));
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_E12345678T000001_E_20220323_1301.dlc");
}

TEST_F(CardNaming, CardNumberCannotLeaveTheFolder) {
    auto n = namer(0, "ES");
    n.onCardType(1);
    n.onIdentification(identification(15, "../../etc/x\x01:*", "A", "B"));
    EXPECT_EQ(n.name(), "C_.._.._etc_x____E_20220323_1301.dlc");
}

TEST_F(CardNaming, EnglishCardContainersAreNumbered) {
    writeFile(folders.containers / "cd000007.crd", "x");
    writeFile(folders.containers / "cd000012.crd", "x");
    auto n = namer(0, "EN");
    n.onCardType(1);
    n.onIdentification(identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA"));
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "cd000013.crd");
}

TEST_F(CardNaming, DriverCardInEuModeCarriesHolderAndCardTime) {
    auto n = namer(1);
    n.onCardType(1);
    n.onIdentification(identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA"));
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_MUSTERMANN_ERIKA_2022-03-23_13-01-32.DDD");
}

TEST_F(CardNaming, WorkshopHolderNamesAreTrimmedButNotCleaned) {
    auto n = namer();
    n.onCardType(2);
    n.onIdentification(identification(13, "DW00000012345600", "VON DER WERK", "ANNA-LENA", true));
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_VON_DER_WERK_ANNA-LENA_2022-03-11_14-05-09.dlc");
}

TEST_F(CardNaming, WorkshopHolderNamesKeepTheirUmlautsAsUtf8) {
    // Card text is one byte a character in code page 1252: 0xDC "Ü", 0xF6 "ö", 0x80 "€".
    auto n = namer();
    n.onCardType(2);
    n.onIdentification(identification(13, "DW00000012345600", "M\xDCLLER", "J\xF6RG\x80", true));
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_M\xC3\x9CLLER_J\xC3\xB6RG\xE2\x82\xAC_2022-03-11_14-05-09.dlc");
    auto eu = namer(1);
    eu.onCardType(2);
    eu.onIdentification(identification(13, "DW00000012345600", "M\xDCLLER", "J", true));
    EXPECT_EQ(eu.name(), "C_20220323_1301_D_M\xC3\x9CLLER_DW00000012345600.DDD");
}

TEST(CodePage1252, DecodesEveryByteToUtf8) {
    EXPECT_EQ(utf8FromCodePage1252("a\xE4\xDF\xFF"), "a\xC3\xA4\xC3\x9F\xC3\xBF");  // a ä ß ÿ
    EXPECT_EQ(utf8FromCodePage1252("\x80\x8A\x9F"), "\xE2\x82\xAC\xC5\xA0\xC5\xB8");  // € Š Ÿ
    EXPECT_EQ(utf8FromCodePage1252("\x81\x9D"), "__");  // unassigned
}

TEST_F(CardNaming, WorkshopHolderWithQuestionMarkIsUnknownCardHolder) {
    auto n = namer();
    n.onCardType(2);
    n.onIdentification(identification(13, "DW00000012345600", "WERK?", "ANNA", true));
    EXPECT_EQ(n.name(), "C_UnknownCardHolderName");
}

TEST_F(CardNaming, WorkshopHolderNamesCannotLeaveTheFolder) {
    auto n = namer();
    n.onCardType(2);
    n.onIdentification(identification(13, "DW00000012345600", "../..", "a\\b:c", true));
    EXPECT_EQ(n.name(), "C_.._.._a_b_c");
    auto dots = namer();
    dots.onCardType(2);
    dots.onIdentification(identification(13, "DW00000012345600", "..", "..", true));
    EXPECT_EQ(dots.name(), "C_.._..");
}

TEST_F(CardNaming, WorkshopCardInEuModeCarriesNationSurnameAndCardNumber) {
    auto n = namer(1);
    n.onCardType(2);
    n.onIdentification(identification(13, "DW0000001234/600", "VON WERK", "ANNA", true));
    EXPECT_EQ(n.name(), "C_20220323_1301_D_VON WERK_DW0000001234_600.DDD");
}

TEST_F(CardNaming, ControlCardIsNamedAtItsTypeAfterItsChipNumber) {
    auto n = namer();
    const Bytes chip{0x00, 0x05, 0x1A, 0x2B, 0x00, 0x00, 0x00, 0x0C};
    n.onChipIdentification(chip);
    EXPECT_TRUE(n.onCardType(3));
    EXPECT_EQ(n.name(), "C_051A2B000C_2022-03-23_13-01-32.dlc");
    n.finishWorkingName(kHeaderTime, false);
    EXPECT_EQ(n.name(), "C_051A2B000C_2022-03-23_13-01-32.dlc");  // no second date
}

TEST_F(CardNaming, CompanyCardNamesInEachStyle) {
    const Bytes chip{0x00, 0x05, 0x1A, 0x2B, 0x00, 0x00, 0x00, 0x0C};
    auto es = namer(0, "ES");
    es.onChipIdentification(chip);
    es.onCardType(4);
    EXPECT_EQ(es.name(), "C_051A2B000C_E_20220323_1301.dlc");
    auto en = namer(0, "EN");
    en.onCardType(4);
    EXPECT_EQ(en.name(), "cd000001.crd");
    auto eu = namer(1, "ES");
    eu.onChipIdentification(chip);
    eu.onCardType(4);
    EXPECT_EQ(eu.name(), "C_20220323_1301_051A2B000C.DDD");
}

TEST_F(CardNaming, ControlCardWithoutChipRecordUsesZeros) {
    auto n = namer();
    n.onCardType(3);
    EXPECT_EQ(n.name(), "C_00000000_2022-03-23_13-01-32.dlc");
}

TEST_F(CardNaming, ShortIdentificationRecordNamesNothing) {
    auto driver = namer();
    driver.onCardType(1);
    Bytes data = identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA");
    data.resize(kIdentificationDriverMinimum - 1);
    driver.onIdentification(data);
    EXPECT_EQ(driver.name(), "");
    driver.finishWorkingName(kHeaderTime, false);
    EXPECT_FALSE(driver.hasName());

    auto workshop = namer();
    workshop.onCardType(2);
    Bytes shop = identification(13, "DW00000012345600", "WERK", "ANNA", true);
    shop.resize(kIdentificationWorkshopMinimum - 1);
    workshop.onIdentification(shop);
    EXPECT_EQ(workshop.name(), "");
}

TEST_F(CardNaming, ShortChipRecordKeepsZeros) {
    auto n = namer();
    n.onChipIdentification(Bytes{0x12, 0x34});
    n.onCardType(3);
    EXPECT_EQ(n.name(), "C_00000000_2022-03-23_13-01-32.dlc");
}

TEST_F(CardNaming, IdentificationBeforeTheCardTypeNamesNothing) {
    auto n = namer();
    n.onIdentification(identification(13, "DF00000012345600", "MUSTERMANN", "ERIKA"));
    EXPECT_EQ(n.name(), "");
}

}  // namespace
}  // namespace oltrex::testing
