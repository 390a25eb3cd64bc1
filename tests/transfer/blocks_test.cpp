// The frames sent to the boot loader, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/Crc32.h"
#include "oltrex/transfer/Framing.h"

namespace oltrex {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DataBlock, StartsAFullFirstBlockOnTheLineAsTheKeyExpects) {
    Bytes data(256, 0x41);
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    const std::size_t n = buildDataBlock(frame.data(), kFirstBlockAddress, data.data(), data.size());
    ASSERT_EQ(n, 267u);
    const Bytes line = stuffedFrame(frame.data(), n);
    const Bytes start = {0x00, 0x09, 0x02, 0x04, 0x02, 0x03, 0x02, 0x03, 0x02, 0x03, 0x80, 0x02, 0x03};
    ASSERT_GE(line.size(), start.size());
    EXPECT_EQ(Bytes(line.begin(), line.begin() + static_cast<long>(start.size())), start);
    EXPECT_EQ(line.back(), 0x01);
}

TEST(DataBlock, CarriesItsCrcOverEverythingBeforeIt) {
    const Bytes data = {0x00, 0x01, 0x02, 0xFF};
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    std::uint32_t crc = 0;
    const std::size_t n = buildDataBlock(frame.data(), 0x12345678, data.data(), data.size(), &crc);
    ASSERT_EQ(n, 15u);
    EXPECT_EQ(frame[1], 0x00);
    EXPECT_EQ(frame[2], 0x04);
    EXPECT_EQ(getBigEndian32(frame.data() + 3), 0x12345678u);
    EXPECT_EQ(crc, keyCrc32(frame.data(), 11));
    EXPECT_EQ(getBigEndian32(frame.data() + 11), crc);
}

TEST(DataBlock, IsRefusedWithOneBitFlipped) {
    const Bytes data = {1, 2, 3};
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    const std::size_t n = buildDataBlock(frame.data(), 0x8100, data.data(), data.size());
    frame[8] ^= 0x10;
    BlockView view;
    EXPECT_EQ(parseDataBlock(frame.data(), n, view), BlockCheck::WrongCrc);
    EXPECT_EQ(parseDataBlock(frame.data(), n - 1, view), BlockCheck::WrongLength);
}

TEST(HeaderBlock, Is267BytesAt0x7F00WithLengthCrcAndTypeCode) {
    HeaderFields fields;
    fields.imageLength = 45096;
    fields.imageCrc = 0xA1B2C3D4;
    fields.typeCode = {'C', 'o', 'm', 'P'};
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    std::uint32_t crc = 0;
    ASSERT_EQ(buildHeaderBlock(frame.data(), fields, &crc), 267u);
    EXPECT_EQ(frame[0], 0x09);
    EXPECT_EQ(frame[1], 0x01);
    EXPECT_EQ(frame[2], 0x00);
    EXPECT_EQ(getBigEndian32(frame.data() + 3), 0x7F00u);
    const Bytes fixed = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80, 0x10, 0x00, 0x00, 0x80, 0x10, 0x00};
    EXPECT_EQ(Bytes(frame.begin() + 7, frame.begin() + 19), fixed);
    EXPECT_EQ(getBigEndian32(frame.data() + 19), 45096u);
    EXPECT_EQ(getBigEndian32(frame.data() + 23), 0xA1B2C3D4u);
    EXPECT_EQ(Bytes(frame.begin() + 27, frame.begin() + 31), (Bytes{'C', 'o', 'm', 'P'}));
    for (std::size_t i = 31; i < 263; ++i) ASSERT_EQ(frame[i], 0xFF) << "offset " << i;
    EXPECT_EQ(crc, keyCrc32(frame.data(), 263));
    EXPECT_EQ(getBigEndian32(frame.data() + 263), crc);
}

TEST(RebootFrame, IsTheSingleByte0x0A) {
    std::array<std::uint8_t, 4> frame{};
    ASSERT_EQ(buildRebootFrame(frame.data()), 1u);
    EXPECT_EQ(frame[0], 0x0A);
}

}  // namespace
}  // namespace oltrex
