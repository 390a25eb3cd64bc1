// The checksum and the byte stuffing of the serial line.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "oltrex/transfer/Crc32.h"
#include "oltrex/transfer/Framing.h"

namespace oltrex {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes decodeAll(FrameDecoder& decoder, const Bytes& line, int* frames = nullptr) {
    int completed = 0;
    for (auto b : line) completed += decoder.feed(b) ? 1 : 0;
    if (frames) *frames = completed;
    return Bytes(decoder.data(), decoder.data() + decoder.size());
}

TEST(KeyCrc, GivesTheCheckValueForTheNineDigits) {
    const char* digits = "123456789";
    EXPECT_EQ(keyCrc32(reinterpret_cast<const std::uint8_t*>(digits), 9), 0x2DFD2D88u);
}

TEST(KeyCrc, IsZeroForEmptyInput) { EXPECT_EQ(keyCrc32(nullptr, 0), 0u); }

TEST(KeyCrc, CanBeComputedInPieces) {
    const Bytes data = {0x09, 0x00, 0x01, 0x02, 0xFF, 0x80, 0x7F};
    const std::uint32_t whole = keyCrc32(data.data(), data.size());
    EXPECT_EQ(keyCrc32(data.data() + 3, 4, keyCrc32(data.data(), 3)), whole);
}

TEST(Stuffing, EscapesOnlyTheThreeFramingValues) {
    const Bytes frame = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x0A};
    EXPECT_EQ(stuffedFrame(frame),
              (Bytes{0x00, 0x02, 0x03, 0x02, 0x04, 0x02, 0x05, 0x03, 0x04, 0x05, 0x0A, 0x01}));
}

TEST(Stuffing, SendsTheRebootCommandAsThreeBytes) {
    EXPECT_EQ(stuffedFrame(Bytes{0x0A}), (Bytes{0x00, 0x0A, 0x01}));
}

TEST(Stuffing, SizesAFrameOfOnlyFramingValuesAtTwiceItsLengthPlusTwo) {
    const Bytes frame(267, 0x00);
    EXPECT_EQ(stuffedFrameSize(frame.data(), frame.size()), 2u + 2u * 267u);
}

TEST(FrameDecoder, UndoesTheStuffingOfEveryByteValue) {
    Bytes frame(256);
    for (int i = 0; i < 256; ++i) frame[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    FrameDecoder decoder(512);
    int frames = 0;
    EXPECT_EQ(decodeAll(decoder, stuffedFrame(frame), &frames), frame);
    EXPECT_EQ(frames, 1);
    EXPECT_FALSE(decoder.malformed());
}

TEST(FrameDecoder, DecodesAnEscapedZeroAsZero) {
    FrameDecoder decoder(512);
    EXPECT_EQ(decodeAll(decoder, {0x00, 0x02, 0x03, 0x01}), Bytes{0x00});
}

TEST(FrameDecoder, IgnoresBytesBeforeTheFrameAndEscapesOutsideIt) {
    FrameDecoder decoder(512);
    EXPECT_EQ(decodeAll(decoder, {0x55, 0x02, 0x03, 0x00, 0x06, 0x01}), Bytes{0x06});
    EXPECT_FALSE(decoder.malformed());
}

TEST(FrameDecoder, DoesNotTakeAClosingByteOutsideAFrameForAnEmptyAnswer) {
    FrameDecoder decoder(512);
    int frames = 0;
    decodeAll(decoder, {0x01, 0x01}, &frames);
    EXPECT_EQ(frames, 0);
}

TEST(FrameDecoder, KeepsTheBytesStoredWhenASecondFrameStartArrives) {
    FrameDecoder decoder(512);
    EXPECT_EQ(decodeAll(decoder, {0x00, 0x06, 0x00, 0x07, 0x01}), (Bytes{0x06, 0x07}));
    EXPECT_TRUE(decoder.malformed());
}

TEST(FrameDecoder, FlagsAnEscapeFollowedByAnUnexpectedByte) {
    FrameDecoder decoder(512);
    EXPECT_EQ(decodeAll(decoder, {0x00, 0x02, 0x09, 0x01}), Bytes{0x09});
    EXPECT_TRUE(decoder.malformed());
}

TEST(FrameDecoder, NeverStoresMoreThanItsCapacityFromAnOverlongFrame) {
    FrameDecoder decoder(512);
    Bytes line = {0x00};
    line.insert(line.end(), 5000, 0x06);
    line.push_back(0x01);
    int frames = 0;
    const Bytes stored = decodeAll(decoder, line, &frames);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(stored.size(), 512u);
    EXPECT_TRUE(decoder.overflowed());
    EXPECT_EQ(stored.front(), 0x06);
}

TEST(FrameDecoder, ResetLeavesAFrameInProgress) {
    FrameDecoder decoder(512);
    decodeAll(decoder, {0x00, 0x06});
    decoder.reset();
    int frames = 0;
    decodeAll(decoder, {0x07, 0x01}, &frames);
    EXPECT_EQ(frames, 0);
}

}  // namespace
}  // namespace oltrex
