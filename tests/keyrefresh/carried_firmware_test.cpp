// The images compiled into the programs are exactly the repository's S-record
// data, with the length, type code and version label the programs announce.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "oltrex/fwflasher/CarriedFirmware.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"

namespace oltrex {
namespace {

// A reader of its own, kept apart from the generator's parser: address -> byte.
std::map<std::uint32_t, std::uint8_t> recordBytes(const std::string& path) {
    std::map<std::uint32_t, std::uint8_t> bytes;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 4 || line[0] != 'S' || line[1] < '1' || line[1] > '3') continue;
        const int width = line[1] - '0' + 1;
        auto byteAt = [&line](std::size_t i) {
            return static_cast<std::uint8_t>(std::stoul(line.substr(2 + 2 * i, 2), nullptr, 16));
        };
        const std::size_t count = byteAt(0);
        std::uint32_t address = 0;
        for (int i = 1; i <= width; ++i) address = address << 8 | byteAt(i);
        for (std::size_t i = 1 + width; i < count; ++i) bytes[address++] = byteAt(i);
    }
    return bytes;
}

std::vector<std::uint8_t> expectedImage(const std::string& path) {
    const auto bytes = recordBytes(path);
    if (bytes.empty()) return {};
    std::vector<std::uint8_t> image(bytes.rbegin()->first + 1 - 0x8000, 0xFF);
    for (const auto& [address, value] : bytes) image.at(address - 0x8000) = value;
    return image;
}

std::size_t occurrences(const std::uint8_t* image, std::size_t size, const std::string& text) {
    const std::string haystack(reinterpret_cast<const char*>(image), size);
    std::size_t count = 0;
    for (auto at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1))
        ++count;
    return count;
}

TEST(CarriedFirmwareTest, KeyRefreshCarriesItsImageWithLengthAndDescription) {
    EXPECT_EQ(keyRefreshFirmwareLength(), 45096u);
    EXPECT_STREQ(keyRefreshFirmwareDescription(), "ComP FW-0120");
    EXPECT_STREQ(keyRefreshFirmwareVersion(), "1.20");
}

TEST(CarriedFirmwareTest, KeyRefreshsImageEqualsTheSRecordData) {
    const auto expected = expectedImage(OLTREX_KEYREFRESH_FIRMWARE_DIR "/FW_Update.a79");
    ASSERT_EQ(expected.size(), keyRefreshFirmwareLength());
    EXPECT_EQ(std::memcmp(expected.data(), keyRefreshFirmwareImage(), expected.size()), 0);
}

TEST(CarriedFirmwareTest, KeyRefreshsImageHoldsItsVersionLabelOnce) {
    // The boot loader takes the key's new version from this label.
    EXPECT_EQ(occurrences(keyRefreshFirmwareImage(), keyRefreshFirmwareLength(), " FW-0120"), 1u);
    EXPECT_EQ(occurrences(keyRefreshFirmwareImage(), keyRefreshFirmwareLength(), " FW-"), 1u);
}

TEST(CarriedFirmwareTest, FwFlasherCarriesItsImageWithTypeCodeAndLabel) {
    EXPECT_EQ(fwFlasherFirmwareLength(), 31364u);
    EXPECT_STREQ(fwFlasherFirmwareTypeCode(), "ComP");
    EXPECT_STREQ(fwFlasherFirmwareLabel(), " FW-0114");
    // 122 blocks of 256 bytes and one of 132.
    EXPECT_EQ(fwFlasherFirmwareLength() / 256, 122u);
    EXPECT_EQ(fwFlasherFirmwareLength() % 256, 132u);
}

TEST(CarriedFirmwareTest, FwFlashersImageEqualsTheSRecordData) {
    const auto expected = expectedImage(OLTREX_FWFLASHER_FIRMWARE_DIR "/FW_Update.a79");
    ASSERT_EQ(expected.size(), fwFlasherFirmwareLength());
    EXPECT_EQ(std::memcmp(expected.data(), fwFlasherFirmwareImage(), expected.size()), 0);
    EXPECT_EQ(occurrences(fwFlasherFirmwareImage(), fwFlasherFirmwareLength(), " FW-0114"), 1u);
    EXPECT_EQ(occurrences(fwFlasherFirmwareImage(), fwFlasherFirmwareLength(), " FW-"), 1u);
}

TEST(CarriedFirmwareTest, TheImagesAreNotBlank) {
    auto distinct = [](const std::uint8_t* image, std::size_t size) {
        bool seen[256] = {};
        std::size_t count = 0;
        for (std::size_t i = 0; i < size; ++i) count += !seen[image[i]], seen[image[i]] = true;
        return count;
    };
    EXPECT_GT(distinct(keyRefreshFirmwareImage(), keyRefreshFirmwareLength()), 200u);
    EXPECT_GT(distinct(fwFlasherFirmwareImage(), fwFlasherFirmwareLength()), 200u);
}

}  // namespace
}  // namespace oltrex
