// The simulated boot loader checks what the PC sends as the key would.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/Crc32.h"
#include "oltrex/transfer/Framing.h"

namespace oltrex::bootsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Feeds one line and returns the answer codes (-1 for a frame left unanswered).
std::vector<int> send(BootLoader& loader, const Bytes& line) {
    std::vector<int> answers;
    for (auto b : line) {
        if (auto r = loader.feed(b)) answers.push_back(r->answerCode ? *r->answerCode : -1);
    }
    return answers;
}

Bytes block(std::uint32_t address, const Bytes& data) {
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    const std::size_t n = buildDataBlock(frame.data(), address, data.data(), data.size());
    return stuffedFrame(frame.data(), n);
}

Bytes header(const Bytes& image, std::uint32_t length) {
    HeaderFields fields;
    fields.imageLength = length;
    fields.imageCrc = keyCrc32(image.data(), image.size());
    fields.typeCode = {'C', 'o', 'm', 'P'};
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    const std::size_t n = buildHeaderBlock(frame.data(), fields);
    return stuffedFrame(frame.data(), n);
}

const Bytes kReboot = {0x00, 0x0A, 0x01};
const std::vector<int> kAck = {0x06};
const std::vector<int> kNack = {0x07};

TEST(BootLoader, AcceptsBlocksInAddressOrderThenHeaderThenReboot) {
    BootLoader loader;
    const Bytes a(256, 0x00), b = {0x01, 0x02, 0x20};
    EXPECT_EQ(send(loader, block(0x8000, a)), kAck);
    EXPECT_EQ(send(loader, block(0x8100, b)), kAck);
    Bytes image = a;
    image.insert(image.end(), b.begin(), b.end());
    EXPECT_EQ(send(loader, header(image, 259)), kAck);
    EXPECT_FALSE(loader.rebooted());
    EXPECT_EQ(send(loader, kReboot), kAck);
    EXPECT_TRUE(loader.rebooted());
    EXPECT_EQ(loader.image(), image);
}

TEST(BootLoader, RefusesABlockThatSkipsAnAddress) {
    BootLoader loader;
    EXPECT_EQ(send(loader, block(0x8000, Bytes(256, 7))), kAck);
    EXPECT_EQ(send(loader, block(0x8200, {1})), kNack);
    EXPECT_EQ(send(loader, block(0x8000 + 255, {1})), kNack);
}

TEST(BootLoader, AcknowledgesTheSameBlockAgainWithoutStoringItTwice) {
    BootLoader loader;
    const Bytes first(256, 1);
    EXPECT_EQ(send(loader, block(0x8000, first)), kAck);
    EXPECT_EQ(send(loader, block(0x8100, {1, 2})), kAck);
    EXPECT_EQ(send(loader, block(0x8100, {1, 2})), kAck);
    EXPECT_EQ(loader.image().size(), 258u);
    // A different block at the same address is no repeat.
    EXPECT_EQ(send(loader, block(0x8100, {1, 3})), kNack);
}

TEST(BootLoader, RefusesABlockWithAWrongCrc) {
    BootLoader loader;
    Bytes line = block(0x8000, {0x41, 0x42});
    line[line.size() - 2] ^= 0x40;  // inside the CRC
    EXPECT_EQ(send(loader, line), kNack);
    EXPECT_TRUE(loader.image().empty());
}

TEST(BootLoader, RefusesBrokenStuffing) {
    BootLoader loader;
    Bytes line = block(0x8000, {0x41, 0x42});
    line.insert(line.begin() + 3, {0x02, 0x09});
    EXPECT_EQ(send(loader, line), kNack);
    EXPECT_TRUE(loader.image().empty());
}

TEST(BootLoader, RefusesAHeaderWhoseLengthOrCrcDoesNotMatchTheImage) {
    BootLoader loader;
    const Bytes image = {1, 2, 3};
    send(loader, block(0x8000, image));
    EXPECT_EQ(send(loader, header(image, 4)), kNack);
    EXPECT_EQ(send(loader, header({1, 2, 4}, 3)), kNack);
    EXPECT_EQ(send(loader, header(image, 3)), kAck);
}

TEST(BootLoader, RefusesTheRebootBeforeAValidHeader) {
    BootLoader loader;
    send(loader, block(0x8000, {1}));
    EXPECT_EQ(send(loader, kReboot), kNack);
    EXPECT_FALSE(loader.rebooted());
}

TEST(BootLoader, RefusesDataAfterTheHeader) {
    BootLoader loader;
    send(loader, block(0x8000, {1}));
    send(loader, header({1}, 1));
    EXPECT_EQ(send(loader, block(0x8001, {2})), kNack);
}

TEST(BootLoader, TakesAFreshTransferAfterAnAbandonedOne) {
    BootLoader loader;
    send(loader, block(0x8000, Bytes(256, 1)));
    send(loader, block(0x8100, Bytes(256, 2)));
    // The PC gave up and starts again from the first block.
    EXPECT_EQ(send(loader, block(0x8000, {7, 8})), kAck);
    EXPECT_EQ(loader.image(), (Bytes{7, 8}));
    EXPECT_EQ(send(loader, header({7, 8}, 2)), kAck);
    EXPECT_EQ(send(loader, kReboot), kAck);
}

TEST(BootLoader, InjectsFaultsByFrameNumber) {
    Faults faults;
    faults.dropAnswer = {1};
    faults.nack = {2};
    faults.unknownAnswer = {3};
    faults.silentFrom = 5;
    BootLoader loader(faults);
    const Bytes one = block(0x8000, {9});
    EXPECT_EQ(send(loader, one), std::vector<int>{-1});  // taken, answer lost
    EXPECT_EQ(send(loader, one), kNack);
    EXPECT_EQ(send(loader, one), std::vector<int>{kUnknownAnswerCode});
    EXPECT_EQ(send(loader, one), kAck);  // the repeat of the block it took
    EXPECT_EQ(send(loader, one), std::vector<int>{-1});
    EXPECT_EQ(loader.image(), Bytes{9});
}

TEST(FirmwareLabel, TakesTheFourDigitsAfterTheFirstCompleteLabel) {
    const std::string text = "xx FW-01 ComP FW-0120 FW-0999";
    EXPECT_EQ(firmwareLabelDigits(Bytes(text.begin(), text.end())), "0120");
    const std::string none = "no label FW-12";
    EXPECT_EQ(firmwareLabelDigits(Bytes(none.begin(), none.end())), "");
}

}  // namespace
}  // namespace oltrex::bootsim
