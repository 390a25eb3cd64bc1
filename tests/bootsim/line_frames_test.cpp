// The boot loader's own reading of the line, and that it agrees with the
// flashers' transfer code on every frame of whole transfers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../transfer/TransferTestSupport.h"
#include "oltrex/bootsim/LineFrames.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/ComTask.h"
#include "oltrex/transfer/Crc32.h"
#include "oltrex/transfer/Framing.h"
#include "oltrex/transfer/LogTransferEvents.h"

namespace oltrex::bootsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Frames read from a run of line bytes; broken ones are marked with their reason.
struct ReadFrame {
    Bytes bytes;
    std::string problem;
};

std::vector<ReadFrame> readAll(const Bytes& line) {
    LineReader reader;
    std::vector<ReadFrame> frames;
    for (const auto b : line)
        if (reader.take(b)) frames.push_back({reader.frame(), reader.problem()});
    return frames;
}

TEST(LineCrc, GivesTheCheckValueAndNotTheZlibOne) {
    const std::string digits = "123456789";
    EXPECT_EQ(lineCrc(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0x2DFD2D88u);
    EXPECT_EQ(lineCrc(nullptr, 0), 0u);
}

TEST(LineReader, UndoesTheStuffingOfEveryByteValueAndDropsNoiseBetweenFrames) {
    Bytes frame;
    for (int v = 0; v < 256; ++v) frame.push_back(static_cast<std::uint8_t>(v));
    Bytes line = {0x06, 0x01, 0x02};  // noise before the frame
    const Bytes stuffed = stuffForLine(frame);
    line.insert(line.end(), stuffed.begin(), stuffed.end());
    const auto frames = readAll(line);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, frame);
    EXPECT_EQ(frames[0].problem, "");
    EXPECT_EQ(stuffForLine({0x06}), (Bytes{0x00, 0x06, 0x01}));
}

TEST(LineReader, MarksEveryBreakOfTheStuffingRules) {
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {{0x00, 0x09, 0x02, 0x09, 0x01}, "escape before 0x09"},
        {{0x00, 0x09, 0x02, 0x01}, "escape before the closing byte"},
        {{0x00, 0x09, 0x02, 0x02, 0x03, 0x01}, "escape after an escape"},
        {{0x00, 0x09, 0x00, 0x0A, 0x01}, "opening byte inside the frame"},
    };
    for (const auto& [line, problem] : cases) {
        const auto frames = readAll(line);
        ASSERT_EQ(frames.size(), 1u) << problem;
        EXPECT_EQ(frames[0].problem, problem);
    }
    Bytes tooLong = {0x00};
    tooLong.insert(tooLong.end(), kLineFrameLimit + 1, 0x55);
    tooLong.push_back(0x01);
    const auto frames = readAll(tooLong);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].problem, "frame longer than 512 bytes");
    EXPECT_EQ(frames[0].bytes.size(), kLineFrameLimit);
    // The next frame starts clean.
    tooLong.insert(tooLong.end(), {0x00, 0x0A, 0x01});
    EXPECT_EQ(readAll(tooLong).back().problem, "");
}

TEST(LineBlocks, RefuseAWrongCommandLengthOrCrc) {
    std::array<std::uint8_t, kFrameBufferSize> built{};
    const Bytes data = {1, 2, 3};
    const std::size_t n = buildDataBlock(built.data(), 0x8000, data.data(), data.size());
    const Bytes frame(built.begin(), built.begin() + static_cast<std::ptrdiff_t>(n));
    LineBlock block;
    std::string problem;
    ASSERT_TRUE(readBlock(frame, block, problem)) << problem;
    EXPECT_EQ(block.address, 0x8000u);
    EXPECT_EQ(block.data, data);

    Bytes wrong = frame;
    wrong[0] = 0x08;
    EXPECT_FALSE(readBlock(wrong, block, problem));
    EXPECT_EQ(problem, "unknown command 0x08");
    wrong = frame;
    wrong[2] = 4;
    EXPECT_FALSE(readBlock(wrong, block, problem));
    EXPECT_EQ(problem, "length 4 in a frame of 14 bytes");
    wrong = frame;
    wrong.back() ^= 0x01;
    EXPECT_FALSE(readBlock(wrong, block, problem));
    EXPECT_EQ(problem, "CRC wrong");
    EXPECT_FALSE(readBlock({0x09, 0x00, 0x00, 0, 0, 0x80, 0, 0, 0, 0, 0}, block, problem));
    EXPECT_EQ(problem, "block length 0");
}

// A whole transfer as ComTask sends it, read by both sides.
class Agreement : public ::testing::TestWithParam<int> {};

TEST_P(Agreement, BothSidesReadEveryFrameOfAWholeTransferAlike) {
    const Bytes image = GetParam() == 0
                            ? Bytes(keyRefreshFirmwareImage(), keyRefreshFirmwareImage() + keyRefreshFirmwareLength())
                            : testing::makeTestImage(45096);
    testing::FakeClock clock;
    testing::LoopbackPort port(clock);
    TransferLog closedLog;  // outputs dropped
    LogTransferEvents events(closedLog);
    ComTask task(port, clock, events);
    task.setImage({image.data(), static_cast<std::uint32_t>(image.size()), "ComP FW-0120"});
    task.setState(eStart);
    int result = 0;
    while (result == 0) result = task.step();
    ASSERT_EQ(result, 1);

    // The programs' decoder and the simulator's reader cut the same frames.
    const auto simulatorFrames = readAll(port.line);
    ASSERT_EQ(simulatorFrames.size(), port.sentFrames.size());
    ASSERT_EQ(simulatorFrames.size(), (image.size() + 255) / 256 + 2);
    for (std::size_t i = 0; i < simulatorFrames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        const Bytes& programs = port.sentFrames[i];
        const ReadFrame& simulators = simulatorFrames[i];
        ASSERT_EQ(simulators.problem, "");
        ASSERT_EQ(simulators.bytes, programs);
        EXPECT_EQ(stuffForLine(simulators.bytes), stuffedFrame(programs));
        if (programs.size() == 1) {
            EXPECT_EQ(programs[0], kRebootCode);
            continue;
        }
        // Both CRCs over what the block's CRC covers, and over the whole frame.
        const std::size_t covered = programs.size() - 4;
        EXPECT_EQ(lineCrc(programs.data(), covered), keyCrc32(programs.data(), covered));
        EXPECT_EQ(lineCrc(programs.data(), programs.size()), keyCrc32(programs.data(), programs.size()));
        BlockView view;
        ASSERT_EQ(parseDataBlock(programs.data(), programs.size(), view), BlockCheck::Ok);
        LineBlock block;
        std::string problem;
        ASSERT_TRUE(readBlock(simulators.bytes, block, problem)) << problem;
        EXPECT_EQ(block.address, view.address);
        EXPECT_EQ(block.data, Bytes(view.data, view.data + view.size));
        if (block.address == kHeaderAddress) {
            HeaderFields theirs;
            ImageHeader ours;
            ASSERT_TRUE(parseHeaderData(view.data, view.size, theirs));
            ASSERT_TRUE(readHeader(block.data, ours, problem)) << problem;
            EXPECT_EQ(ours.imageLength, theirs.imageLength);
            EXPECT_EQ(ours.imageCrc, theirs.imageCrc);
            EXPECT_EQ(ours.typeCode, theirs.typeCode);
            EXPECT_EQ(ours.imageCrc, keyCrc32(image.data(), image.size()));
        }
        // One bit wrong anywhere in the CRC: both refuse the block.
        Bytes spoilt = programs;
        spoilt[covered + i % 4] ^= static_cast<std::uint8_t>(1u << (i % 8));
        EXPECT_EQ(parseDataBlock(spoilt.data(), spoilt.size(), view), BlockCheck::WrongCrc);
        EXPECT_FALSE(readBlock(spoilt, block, problem));
    }
    // Every answer the simulator can give, as the programs' decoder reads it.
    for (int code = 0; code < 256; ++code) {
        FrameDecoder decoder(kFrameBufferSize);
        bool closed = false;
        for (const auto b : stuffForLine({static_cast<std::uint8_t>(code)})) closed = decoder.feed(b);
        ASSERT_TRUE(closed);
        ASSERT_EQ(decoder.size(), 1u);
        EXPECT_EQ(decoder.data()[0], code);
    }
}

INSTANTIATE_TEST_SUITE_P(CarriedAndEveryByteValue, Agreement, ::testing::Values(0, 1));

}  // namespace
}  // namespace oltrex::bootsim
