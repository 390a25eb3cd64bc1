// Reading the firmware build's S-record file into one image.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "oltrex/keyrefresh/SRecordImage.h"

namespace oltrex {
namespace {

using test::bytesFrom;
using test::ScratchFolder;
using test::sRecord;
using test::writeText;

class SRecordImageTest : public ::testing::Test {
  protected:
    int parse(const std::string& text, std::uint32_t base = 0x8000) {
        writeText(scratch / "FW_Update.a79", text);
        return image.parse(scratch / "FW_Update.a79", base);
    }
    std::vector<std::uint8_t> imageBytes() const {
        return {image.data(), image.data() + image.length()};
    }
    static std::string s0(const std::string& name) {
        return sRecord('0', 0, std::vector<std::uint8_t>(name.begin(), name.end()));
    }

    ScratchFolder scratch;
    SRecordImage image;
};

TEST_F(SRecordImageTest, DataRecordsOfAllThreeAddressWidthsLandBehindTheBase) {
    ASSERT_EQ(parse(s0("ComP FW-0120") + sRecord('1', 0x8000, bytesFrom(0x10, 4)) +
                    sRecord('2', 0x008004, bytesFrom(0x20, 4)) +
                    sRecord('3', 0x00008008, bytesFrom(0x30, 4)) + sRecord('9', 0x8000, {})),
              kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x22,
                                                       0x23, 0x30, 0x31, 0x32, 0x33}));
}

TEST_F(SRecordImageTest, TheTypeCodeIsTheFirstFourBytesOfTheS0Record) {
    ASSERT_EQ(parse(s0("ComP FW-0120") + sRecord('1', 0x8000, {1})), kSRecordOk);
    EXPECT_EQ(image.typeCode(), (std::array<std::uint8_t, 4>{'C', 'o', 'm', 'P'}));
}

TEST_F(SRecordImageTest, AGapBetweenRecordsReadsAsFF) {
    ASSERT_EQ(parse(sRecord('1', 0x8000, {0x01, 0x02}) + sRecord('1', 0x8005, {0x03})), kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{0x01, 0x02, 0xFF, 0xFF, 0xFF, 0x03}));
}

TEST_F(SRecordImageTest, ARecordBelowTheBaseIsSkippedWithoutEffect) {
    ASSERT_EQ(parse(sRecord('1', 0x7F00, bytesFrom(0xA0, 16)) + sRecord('1', 0x8000, {0x55, 0x66})),
              kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{0x55, 0x66}));

    ASSERT_EQ(parse(sRecord('1', 0x8000, {0x55, 0x66}) + sRecord('1', 0x7FF0, bytesFrom(0xA0, 16))),
              kSRecordOk);
    EXPECT_EQ(image.length(), 2) << "a late record below the base must not shorten the image";
}

TEST_F(SRecordImageTest, ALowerCaseSIsReadLikeAnUpperCaseOne) {
    std::string record = sRecord('1', 0x8000, {0xAB, 0xCD});
    record[0] = 's';
    ASSERT_EQ(parse(record), kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{0xAB, 0xCD}));
}

TEST_F(SRecordImageTest, LowerCaseHexDigitsAndPlainLineFeedsAreRead) {
    std::string record = sRecord('1', 0x8000, {0xAB, 0xCD}, "\n");
    std::transform(record.begin(), record.end(), record.begin(),
                   [](char c) { return c >= 'A' && c <= 'F' ? static_cast<char>(c + 32) : c; });
    ASSERT_EQ(parse(record + sRecord('1', 0x8002, {0xEF}, "")), kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{0xAB, 0xCD, 0xEF}));
}

TEST_F(SRecordImageTest, LinesThatAreNoRecordsAreIgnored) {
    ASSERT_EQ(parse("; made by the firmware build\r\n\r\nS1\r\n" + sRecord('1', 0x8000, {7}) +
                    sRecord('5', 1, {}) + sRecord('9', 0x8000, {})),
              kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{7}));
}

TEST_F(SRecordImageTest, AFileWithoutDataRecordsGivesAnEmptyImage) {
    ASSERT_EQ(parse(s0("ComP") + sRecord('9', 0, {})), kSRecordOk);
    EXPECT_EQ(image.length(), 0);
}

TEST_F(SRecordImageTest, AMissingFileCannotBeOpened) {
    EXPECT_EQ(image.parse(scratch / "absent.a79", 0x8000), kSRecordCannotOpen);
    EXPECT_EQ(image.length(), 0);
}

TEST_F(SRecordImageTest, RecordsOutOfAddressOrderStillGiveTheWholeImage) {
    ASSERT_EQ(parse(sRecord('1', 0x8004, {3, 4}) + sRecord('1', 0x8000, {1, 2})), kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{1, 2, 0xFF, 0xFF, 3, 4}));
}

TEST_F(SRecordImageTest, EachParseStartsFromAClearedBuffer) {
    ASSERT_EQ(parse(sRecord('1', 0x8000, {1, 2, 3, 4}) + s0("ComP")), kSRecordOk);
    ASSERT_EQ(parse(sRecord('1', 0x8004, {9})), kSRecordOk);
    EXPECT_EQ(imageBytes(), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 9}));
    EXPECT_EQ(image.typeCode(), (std::array<std::uint8_t, 4>{}));
}

// --- corrupt files fail the parse ---------------------------------------------

TEST_F(SRecordImageTest, AWrongChecksumFailsTheParse) {
    std::string bad = sRecord('1', 0x8010, {0x11, 0x22, 0x33});
    bad[8] = bad[8] == '1' ? '2' : '1';  // one data digit flipped, checksum kept
    EXPECT_EQ(parse(sRecord('1', 0x8000, bytesFrom(0, 16)) + bad), kSRecordCorrupt);
    EXPECT_EQ(image.errorLine(), 2);
    EXPECT_EQ(image.length(), 0) << "nothing half-read remains to be taken further";
}

TEST_F(SRecordImageTest, AWrongChecksumOfARecordWithoutImageDataFailsToo) {
    std::string bad = s0("ComP");
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
    EXPECT_EQ(parse(bad + sRecord('1', 0x8000, {1})), kSRecordCorrupt);
}

TEST_F(SRecordImageTest, ARecordCutShortFailsTheParse) {
    const std::string whole = sRecord('1', 0x8000, bytesFrom(0, 16));
    EXPECT_EQ(parse(whole.substr(0, whole.size() - 8) + "\r\n"), kSRecordCorrupt);
}

TEST_F(SRecordImageTest, ANonHexDigitFailsTheParse) {
    std::string bad = sRecord('1', 0x8000, {0x12, 0x34});
    bad[9] = 'G';
    EXPECT_EQ(parse(bad), kSRecordCorrupt);
}

TEST_F(SRecordImageTest, TheLastByteOfTheBufferCanBeFilled) {
    ASSERT_EQ(parse(sRecord('2', 0x8000 + 196607, {0x5A})), kSRecordOk);
    EXPECT_EQ(image.length(), 196608);
    EXPECT_EQ(image.data()[196607], 0x5A);
    EXPECT_EQ(image.data()[0], 0xFF);
}

TEST_F(SRecordImageTest, ARecordReachingBeyondTheBufferFailsTheParse) {
    EXPECT_EQ(parse(sRecord('1', 0x8000, {1}) + sRecord('2', 0x8000 + 196607, {0x5A, 0x5B})),
              kSRecordOutOfRange);
    EXPECT_EQ(image.errorLine(), 2);
    EXPECT_EQ(image.length(), 0);
    EXPECT_EQ(parse(sRecord('3', 0xFFFFFFF0, bytesFrom(0, 16))), kSRecordOutOfRange)
        << "addresses near the top of the 32-bit range must not wrap around";
}

}  // namespace
}  // namespace oltrex
