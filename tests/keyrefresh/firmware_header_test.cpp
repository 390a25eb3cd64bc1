// The firmware version file and the header generated from a parsed image.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "TestSupport.h"
#include "oltrex/keyrefresh/FirmwareHeader.h"

namespace oltrex {
namespace {

using test::bytesFrom;
using test::readText;
using test::ScratchFolder;
using test::sRecord;
using test::writeText;

class FirmwareHeaderTest : public ::testing::Test {
  protected:
    void parseRecords(const std::string& text) {
        writeText(scratch / "FW_Update.a79", text);
        ASSERT_EQ(image.parse(scratch / "FW_Update.a79", 0x8000), kSRecordOk);
    }
    std::string versionFile(const std::string& text) {
        writeText(scratch / "fw_version.h", text);
        return (scratch / "fw_version.h").string();
    }
    int generate(const std::string& version) {
        return GenHeaderFileFromFw(image, versionFile(version), header(), diagnostics);
    }
    std::string header() const { return (scratch / "fw.h").string(); }
    static std::string s0ComP() { return sRecord('0', 0, {'C', 'o', 'm', 'P', ' ', 'F', 'W'}); }

    ScratchFolder scratch;
    SRecordImage image;
    std::ostringstream diagnostics;
};

constexpr const char* kHead =
    "#ifndef __FIRMWARE_H__\r\n"
    "#define __FIRMWARE_H__\r\n\r\n"
    "#define FW_VERSION \"1.20\"\r\n\r\n"
    "#define FW_DESCRIPTION {0x43,0x6f,0x6d,0x50}\r\n\r\n"
    "uint8_t firmware[]=\r\n{\r\n";

// --- version file -------------------------------------------------------------

TEST_F(FirmwareHeaderTest, TheVersionIsTheQuotedTextBehindFirmwareQuotesIncluded) {
    std::string version;
    ASSERT_EQ(getFirmWareVersion(versionFile("#define FIRMWARE \"1.20\"\r\n"), version), 0);
    EXPECT_EQ(version, "\"1.20\"");
}

TEST_F(FirmwareHeaderTest, AFirmwareLineWithoutQuotesIsPassedOver) {
    std::string version;
    ASSERT_EQ(getFirmWareVersion(versionFile("\"0.99\" comes first\n#ifndef FIRMWARE_VERSION_H\n"
                                             "#define FIRMWARE_VERSION_H\n"
                                             "#define FIRMWARE \"1.20\" /* \"x\" */\n"),
                                 version),
              0);
    EXPECT_EQ(version, "\"1.20\"") << "quotes before FIRMWARE do not count";
}

TEST_F(FirmwareHeaderTest, AFileWithoutAVersionGivesANegativeResult) {
    std::string version = "stale";
    EXPECT_LT(
        getFirmWareVersion(versionFile("#define FIRMWARE 120\n#define FIRMWARE \"1.2\n"), version),
        0);
    EXPECT_EQ(version, "");
}

TEST_F(FirmwareHeaderTest, AMissingVersionFileOrPathIsReported) {
    std::string version;
    EXPECT_EQ(getFirmWareVersion((scratch / "absent.h").string(), version, diagnostics), -2);
    EXPECT_EQ(diagnostics.str(), "getFirmWareVersion(): Error: can't open file\r\n");
    EXPECT_EQ(getFirmWareVersion("", version), -1);
}

// --- generated header ------------------------------------------------------------

TEST_F(FirmwareHeaderTest, TheHeaderListsSixteenBytesALineInLowerCaseHex) {
    parseRecords(s0ComP() + sRecord('1', 0x8000, bytesFrom(0xF0, 17)));
    ASSERT_EQ(generate("#define FIRMWARE \"1.20\"\r\n"), 0);
    EXPECT_EQ(readText(header()),
              std::string(kHead) +
                  "    0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa, 0xfb, "
                  "0xfc, 0xfd, 0xfe, 0xff,\r\n"
                  "    0x00\r\n};\r\n\r\n"
                  "#define FW_LEN 17\r\n\r\n"
                  "#endif //__FIRMWARE_H__\r\n");
    EXPECT_EQ(diagnostics.str(), "GenHeaderFileFromFw(): FW translation from <" +
                                     (scratch / "fw_version.h").string() + "> done\r\n");
}

TEST_F(FirmwareHeaderTest, ALengthThatIsAMultipleOfSixteenEndsWithAFullLine) {
    parseRecords(s0ComP() + sRecord('1', 0x8000, bytesFrom(0, 16)) +
                 sRecord('1', 0x8010, bytesFrom(16, 16)));
    ASSERT_EQ(generate("#define FIRMWARE \"1.20\"\r\n"), 0);
    const std::string text = readText(header());
    EXPECT_NE(text.find("0x1e, 0x1f\r\n};\r\n\r\n#define FW_LEN 32\r\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("0x1f,"), std::string::npos);
}

TEST_F(FirmwareHeaderTest, AnEmptyImageGivesTheOpeningBraceThenAnEmptyLine) {
    parseRecords(s0ComP());
    ASSERT_EQ(generate("#define FIRMWARE \"1.20\"\r\n"), 0);
    EXPECT_EQ(readText(header()), std::string(kHead) +
                                      "\r\n};\r\n\r\n#define FW_LEN 0\r\n\r\n"
                                      "#endif //__FIRMWARE_H__\r\n");
}

TEST_F(FirmwareHeaderTest, AGapShowsAsFFInTheArray) {
    parseRecords(s0ComP() + sRecord('1', 0x8000, {0x01}) + sRecord('1', 0x8003, {0x02}));
    ASSERT_EQ(generate("#define FIRMWARE \"1.20\"\r\n"), 0);
    EXPECT_NE(readText(header()).find("{\r\n    0x01, 0xff, 0xff, 0x02\r\n};"), std::string::npos);
}

TEST_F(FirmwareHeaderTest, WithoutAVersionTheHeaderIsLeftEmpty) {
    parseRecords(s0ComP() + sRecord('1', 0x8000, {1, 2, 3}));
    writeText(header(), "old content");
    EXPECT_EQ(generate("no version here\r\n"), -4);
    EXPECT_EQ(readText(header()), "");
    EXPECT_NE(diagnostics.str().find("GenHeaderFileFromFw(): Error: can't read version from <"),
              std::string::npos);
}

TEST_F(FirmwareHeaderTest, AVersionTooLongForItsBufferIsRefused) {
    parseRecords(s0ComP() + sRecord('1', 0x8000, {1}));
    EXPECT_EQ(generate("#define FIRMWARE \"12345678901234567\"\r\n"), 0) << "19 characters fit";
    EXPECT_EQ(generate("#define FIRMWARE \"123456789012345678\"\r\n"), -4);
}

TEST_F(FirmwareHeaderTest, AHeaderThatCannotBeCreatedIsReported) {
    parseRecords(s0ComP() + sRecord('1', 0x8000, {1}));
    const std::string unreachable = (scratch / "no-such-folder" / "fw.h").string();
    EXPECT_EQ(GenHeaderFileFromFw(image, versionFile("#define FIRMWARE \"1.20\""), unreachable,
                                  diagnostics),
              -2);
    EXPECT_EQ(diagnostics.str(),
              "GenHeaderFileFromFw(): Error: can't open header file <" + unreachable + ">\r\n");
    EXPECT_EQ(GenHeaderFileFromFw(image, "", header(), diagnostics), -1);
}

TEST_F(FirmwareHeaderTest, TheWrappedHeaderSitsBetweenIfdefAndEndif) {
    EXPECT_EQ(wrappedHeaderText("X\r\n"), "#ifdef  __UPDATE_120__\r\nX\r\n#endif \r\n");
}

}  // namespace
}  // namespace oltrex
