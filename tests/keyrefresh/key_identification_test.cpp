// The key page's identification of the key and the check on "Weiter".
#include <gtest/gtest.h>

#include "FakeKeys.h"
#include "TestSupport.h"
#include "oltrex/keyrefresh/KeyIdentification.h"

namespace oltrex {
namespace {

using test::FakeClock;
using test::FakeKeys;

TEST(KeyIdentificationTest, AKeyOfSeriesOneIsIdentifiedWithFirmwareAndSerial) {
    FakeKeys keys;
    FakeClock clock;
    const KeyIdentification key = identifyKey(keys, clock, "1.20");
    EXPECT_TRUE(key.valid);
    EXPECT_EQ(key.keyFirmware, "1.10");
    EXPECT_EQ(key.keySerial, "OX00123456");
    EXPECT_EQ(key.pageText,
              "Firmware Key ist 1.10\r\n\nUpadte der FW zu 1.20\r\n\n"
              "Angeschlossener OLTREX-Key ist:\r\nOX00123456");
    EXPECT_EQ(keys.keyInfoCalls, 1);
}

TEST(KeyIdentificationTest, TheFirmwareVersionComesFromTheLastFourDigits) {
    EXPECT_EQ(keyFirmwareFromText(" StickID: OX0012345678 FW-0120"), "1.20");
    EXPECT_EQ(keyFirmwareFromText(" StickID: OX0012345678 FW-1005"), "10.05");
    EXPECT_EQ(keyFirmwareFromText("abc"), "") << "a short text cannot be read before its start";
}

TEST(KeyIdentificationTest, AKeyAlreadyOnTheNewFirmwareIsOfferedTheUpdateAgain) {
    FakeKeys keys;
    keys.infoTexts = {" StickID: OX0012345678 FW-0120"};
    FakeClock clock;
    const KeyIdentification key = identifyKey(keys, clock, "1.20");
    EXPECT_TRUE(key.valid);
    EXPECT_EQ(key.keyFirmware, "1.20");
}

TEST(KeyIdentificationTest, OnlyFirmwareSeriesOneAndFiveCanBeUpdated) {
    EXPECT_TRUE(isUpdatableKeyText(" StickID: OX0012345678 FW-0110"));
    EXPECT_TRUE(isUpdatableKeyText(" StickID: OX0012345678 FW-0510"));
    EXPECT_FALSE(isUpdatableKeyText(" StickID: OX0012345678 FW-0250"));
    EXPECT_FALSE(isUpdatableKeyText(" StickID: OX0012345678 FW-0099"));
    EXPECT_TRUE(isUpdatableKeyText(" StickID: OX0012345678 FW-120x")) << "read up to a non-digit";
    EXPECT_FALSE(isUpdatableKeyText(" StickID: AB0012345678 FW-0110")) << "not an OLTREX key";
    EXPECT_FALSE(isUpdatableKeyText("FW-0110 ID: OX")) << "FW- must not open the text";
    EXPECT_FALSE(isUpdatableKeyText(" StickID: OX0012345678 FW-99999999999999999999"));
}

TEST(KeyIdentificationTest, ARefusedKeyStillShowsItsFirmwareAndSerial) {
    FakeKeys keys;
    keys.infoTexts = {" StickID: OX0012345678 FW-0250"};
    FakeClock clock;
    const KeyIdentification key = identifyKey(keys, clock, "1.20");
    EXPECT_FALSE(key.valid);
    EXPECT_EQ(key.keyFirmware, "2.50");
    EXPECT_EQ(key.keySerial, "OX00123456");
}

TEST(KeyIdentificationTest, WithoutAKeyItAsksFiveTimesAHundredMillisecondsApart) {
    FakeKeys keys;
    keys.infoTexts = {""};
    FakeClock clock;
    const KeyIdentification key = identifyKey(keys, clock, "1.20");
    EXPECT_EQ(keys.keyInfoCalls, 5);
    EXPECT_EQ(clock.tickMs(), 400u);
    EXPECT_FALSE(key.valid);
    EXPECT_EQ(key.keySerial, "");
    EXPECT_EQ(
        key.pageText,
        "Kein Key gelesen\r\n\nUpadte der FW zu 1.20\r\n\nAngeschlossener OLTREX-Key ist:\r\n");
}

TEST(KeyIdentificationTest, AKeyThatAnswersLateIsStillIdentified) {
    FakeKeys keys;
    keys.infoTexts = {"", "", " StickID: OX0012345678 FW-0110"};
    FakeClock clock;
    EXPECT_TRUE(identifyKey(keys, clock, "1.20").valid);
    EXPECT_EQ(keys.keyInfoCalls, 3);
}

TEST(KeyIdentificationTest, AFailingLibraryCallEndsTheAttempts) {
    FakeKeys keys;
    keys.infoTexts = {""};
    keys.infoResult = -1;
    FakeClock clock;
    identifyKey(keys, clock, "1.20");
    EXPECT_EQ(keys.keyInfoCalls, 1);
}

TEST(KeyIdentificationTest, WeiterAcceptsOnlyTheKeyIdentifiedBefore) {
    FakeKeys keys;
    EXPECT_TRUE(sameKeyStillPlugged(keys, "OX00123456"));
    keys.infoTexts = {" StickID: OX0099999999 FW-0110"};
    EXPECT_FALSE(sameKeyStillPlugged(keys, "OX00123456"));
    keys.infoTexts = {""};
    EXPECT_FALSE(sameKeyStillPlugged(keys, "OX00123456"));
    EXPECT_FALSE(sameKeyStillPlugged(keys, "")) << "no key was identified";
}

TEST(KeyIdentificationTest, EditControlTextBreaksLinesOnlyAtCarriageReturnLineFeed) {
    EXPECT_EQ(editControlLines("a\r\n\nb\r\nc\rd"), "a\nb\ncd");
}

}  // namespace
}  // namespace oltrex
