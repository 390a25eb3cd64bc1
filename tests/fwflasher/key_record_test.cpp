// The key information record read by position, the version rule and the
// command line switch.
#include <gtest/gtest.h>

#include "oltrex/fwflasher/CommandLine.h"
#include "oltrex/fwflasher/KeyRecord.h"

using namespace oltrex::fwflasher;

namespace {

const std::string kRecord = " StickID: OX12345678 FW-0114";

TEST(KeyRecord, ShowsElevenCharactersFromPositionNineAsTheSerialNumber) {
    EXPECT_EQ(stickSerialText(kRecord), " OX12345678");
}

TEST(KeyRecord, ShowsTheTextFromPositionTwentyAsTheKeysFirmware) {
    EXPECT_EQ(stickFirmwareText(kRecord), " FW-0114");
}

TEST(KeyRecord, TakesTheKeyIdFromPositionTen) {
    EXPECT_EQ(keyIdText(kRecord), "OX12345678 FW-0114");
}

TEST(KeyRecord, YieldsEmptyTextsForARecordTooShortInsteadOfReadingPastIt) {
    EXPECT_EQ(stickSerialText(""), "");
    EXPECT_EQ(stickSerialText(" StickID: OX1"), " OX1");
    EXPECT_EQ(stickFirmwareText(" StickID: OX12"), "");
    EXPECT_EQ(keyVersionNumber(" StickID: OX12345678 FW-"), 0u);
}

TEST(KeyRecord, ReadsVersionDigitsFromTheFirstCharacterWhenItIsZero) {
    EXPECT_EQ(versionNumber("0114"), 114u);
    EXPECT_EQ(versionNumber("0009"), 9u);
    EXPECT_EQ(keyVersionNumber(kRecord), 114u);
    EXPECT_EQ(imageVersionNumber(" FW-0114"), 114u);
}

TEST(KeyRecord, SkipsTheFirstVersionDigitWhenItIsNotZero) {
    EXPECT_EQ(versionNumber("1114"), 114u);
    EXPECT_EQ(versionNumber("2"), 0u);
}

TEST(KeyRecord, StopsReadingAVersionAtTheFirstNonDigit) {
    EXPECT_EQ(versionNumber("0120 x"), 120u);
    EXPECT_EQ(versionNumber("0x12"), 0u);
    EXPECT_EQ(versionNumber(""), 0u);
    EXPECT_EQ(imageVersionNumber(" FW-"), 0u);
}

TEST(KeyRecord, NeverOverflowsOnAnEndlessRunOfDigits) {
    EXPECT_EQ(versionNumber("099999999999999999999"), 99999999u);
}

TEST(KeyRecord, ShowsAKeyIdOfEighteenOrTenCharactersInTheInfoForm) {
    EXPECT_EQ(infoKeyIdLine(kRecord), "Stick-ID: OX12345678 FW-0114");
    EXPECT_EQ(infoKeyIdLine(" StickID: OX12345678"), "Stick-ID: OX12345678");
}

TEST(KeyRecord, ShowsDashesForAKeyIdOfAnyOtherLength) {
    EXPECT_EQ(infoKeyIdLine(" StickID: OX0012345678 FW-0120"), "Stick-ID: ---");  // 20
    EXPECT_EQ(infoKeyIdLine(" StickID: OX1234567"), "Stick-ID: ---");            // 9
    EXPECT_EQ(infoKeyIdLine(" StickID: OX12345678 FW-01145"), "Stick-ID: ---");  // 19
    EXPECT_EQ(infoKeyIdLine(""), "Stick-ID: ---");
}

TEST(KeyRecord, EndsTheRecordAtItsNulOrAtTheBufferEnd) {
    const char withNul[8] = {'a', 'b', '\0', 'c', 'd', 'e', 'f', 'g'};
    EXPECT_EQ(recordFromBuffer(withNul, sizeof withNul), "ab");
    const char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(recordFromBuffer(full, sizeof full), "abcd");
}

TEST(CommandLine, KeepsTheMemoForSlashDInEitherCase) {
    EXPECT_TRUE(debugViewRequested({"/d"}));
    EXPECT_TRUE(debugViewRequested({"/D"}));
    EXPECT_TRUE(debugViewRequested({"x", "/D"}));
}

TEST(CommandLine, KeepsTheMemoForAnArgumentThatMerelyContainsSlashD) {
    EXPECT_TRUE(debugViewRequested({"/debug"}));
    EXPECT_TRUE(debugViewRequested({"a/dx"}));
}

TEST(CommandLine, HidesTheMemoOtherwise) {
    EXPECT_FALSE(debugViewRequested({}));
    EXPECT_FALSE(debugViewRequested({"-d", "d", "/x", "\\d"}));
}

}  // namespace
