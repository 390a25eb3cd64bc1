// The transfer state machine against the simulated boot loader, in-process.
#include <gtest/gtest.h>

#include <algorithm>

#include "TransferTestSupport.h"
#include "oltrex/transfer/ComTask.h"
#include "oltrex/transfer/Crc32.h"
#include "oltrex/transfer/LogTransferEvents.h"

namespace oltrex {
namespace {

using testing::FakeClock;
using testing::logLines;
using testing::LoopbackPort;
using testing::makeTestImage;
using testing::progressLine;
using testing::readText;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kDescription = "ComP FW-0120";

class ComTaskTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(log.openFresh(folder.path())); }

    // Runs a transfer of `image` to its end; returns ComTask's last result.
    int transfer(LoopbackPort& port, const Bytes& image, ComTaskLimits limits = {}) {
        ComTask task(port, clock, events, limits);
        task.setImage({image.data(), static_cast<std::uint32_t>(image.size()), kDescription});
        task.setState(eStart);
        int result = 0;
        for (long steps = 0; result == 0 && steps < 10'000'000; ++steps) result = task.step();
        lastTimeoutResends = task.timeoutResends();
        log.close();
        return result;
    }
    std::vector<std::string> lines() { return logLines(readText(folder.path() / kTransferLogName)); }
    // The frames sent as unstuffed bytes, with the frames' first bytes only.
    static std::size_t countFrames(const LoopbackPort& port, const Bytes& frame) {
        return static_cast<std::size_t>(std::count(port.sentFrames.begin(), port.sentFrames.end(), frame));
    }

    TempFolder folder;
    TransferLog log;
    LogTransferEvents events{log};
    FakeClock clock;
    std::uint32_t lastTimeoutResends = 0;
};

TEST_F(ComTaskTest, TransfersTheWholeImageThenTheHeaderThenTheReboot) {
    const Bytes image = makeTestImage(45096);
    LoopbackPort port(clock);
    ASSERT_EQ(transfer(port, image), 1);

    EXPECT_EQ(port.loader.image(), image);
    EXPECT_TRUE(port.loader.headerValid());
    EXPECT_TRUE(port.loader.rebooted());
    EXPECT_EQ(port.loader.header().imageLength, 45096u);
    EXPECT_EQ(port.loader.header().imageCrc, keyCrc32(image.data(), image.size()));
    EXPECT_EQ(std::string(port.loader.header().typeCode.data(), 4), "ComP");
    // 176 full blocks and one of 40 bytes, the header block, the reboot command.
    ASSERT_EQ(port.sentFrames.size(), 179u);
    EXPECT_EQ(port.sentFrames[176].size(), 40u + 11u);
    EXPECT_EQ(port.sentFrames[177].size(), 267u);
    EXPECT_EQ(port.sentFrames[178], Bytes{0x0A});
    // One write call per frame.
    EXPECT_EQ(port.writeCalls, 179);
    EXPECT_EQ(port.closes, 1);
}

TEST_F(ComTaskTest, WritesTheTransferLogInOrder) {
    const Bytes image = makeTestImage(45096);
    LoopbackPort port(clock);
    ASSERT_EQ(transfer(port, image), 1);
    const auto all = lines();
    ASSERT_GE(all.size(), 8u);
    EXPECT_EQ(all[0], "ComTask() - eStart: FW-Length=45096");
    EXPECT_EQ(all[1], "displMsg(): vor Open_ComPort() ");
    EXPECT_EQ(all[2], "displMsg(): USB-Mode 115200 Baud ");
    EXPECT_EQ(all[3], "displLed(): LED=OK");
    EXPECT_EQ(all[4], "displStatus(): Datentransfer laeuft ");
    EXPECT_EQ(all[5], progressLine(0));
    EXPECT_EQ(all[6], "displMsg(): nach Open_ComPort() ");
    EXPECT_EQ(all[7].rfind("Block genereated: len=267, adr=0x00008000, crc=0x", 0), 0u);
    EXPECT_NE(all[7].find("ComTask - ePutOuterData (length=267):"), std::string::npos);

    // Progress: 0 at the start, after each acknowledged data block but the last, 100 at the end.
    std::vector<std::string> progress;
    for (const auto& line : all) {
        if (line.rfind("showProgress(): ", 0) == 0) progress.push_back(line);
    }
    ASSERT_EQ(progress.size(), 1u + 176u + 1u);
    EXPECT_EQ(progress[1], progressLine(256 * 100 / 45096));
    EXPECT_EQ(progress[176], progressLine(99));
    EXPECT_EQ(progress.back(), progressLine(100));

    const auto find = [&](const std::string& text, std::size_t from = 0) {
        return std::find(all.begin() + static_cast<long>(from), all.end(), text) - all.begin();
    };
    const auto description = static_cast<std::size_t>(find("FW-Description: ComP"));
    ASSERT_LT(description, all.size());
    EXPECT_EQ(all[description + 1].rfind("Header Block genereated: len=267, adr=0x00007F00, crc=0x", 0), 0u);
    const auto reboot = static_cast<std::size_t>(find("displMsg(): send eSystemReboot ", description));
    ASSERT_LT(reboot, all.size());
    // The header's acknowledgement is evaluated twice.
    EXPECT_EQ(all[reboot - 1], "displMsg(): Ackn received ");
    EXPECT_EQ(all[reboot - 2], "displMsg(): Ackn received ");
    const std::vector<std::string> tail(all.end() - 3, all.end());
    EXPECT_EQ(tail, (std::vector<std::string>{progressLine(100), "displLed(): LED=Idle",
                                              "displStatus(): Datentransfer abgeschlossen "}));
}

TEST_F(ComTaskTest, EndsAnImageOfWholeBlocksWithAFullLastBlockAndNoEmptyOne) {
    const Bytes image = makeTestImage(3 * 256);
    LoopbackPort port(clock);
    ASSERT_EQ(transfer(port, image), 1);
    ASSERT_EQ(port.sentFrames.size(), 5u);
    EXPECT_EQ(port.sentFrames[2].size(), 267u);
    EXPECT_EQ(port.loader.image(), image);
}

TEST_F(ComTaskTest, SendsATinyImageAsOneLastBlock) {
    const Bytes image = {0x00};
    LoopbackPort port(clock);
    ASSERT_EQ(transfer(port, image), 1);
    ASSERT_EQ(port.sentFrames.size(), 3u);
    EXPECT_EQ(port.sentFrames[0].size(), 12u);
}

TEST_F(ComTaskTest, AbsorbsThreeDroppedAnswersSpreadOverTheTransfer) {
    const Bytes image = makeTestImage(45096);
    LoopbackPort port(clock, bootsim::Faults{.dropAnswer = {5, 90, 178}});
    ASSERT_EQ(transfer(port, image), 1);
    EXPECT_EQ(lastTimeoutResends, 3u);
    EXPECT_EQ(port.loader.image(), image);
}

TEST_F(ComTaskTest, FailsOnTheFourthAnswerTimeOut) {
    const Bytes image = makeTestImage(45096);
    LoopbackPort port(clock, bootsim::Faults{.dropAnswer = {3, 40, 100, 150}});
    ASSERT_EQ(transfer(port, image), -1);
    const auto all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "displLed(): LED=Error");
    EXPECT_EQ(all.back(), "displStatus(): Fehler ");
    EXPECT_EQ(port.closes, 1);
}

TEST_F(ComTaskTest, ResendsAfterTheAnswerTimeOutOnlyWhenTheTimeHasPassed) {
    const Bytes image = makeTestImage(600);
    LoopbackPort port(clock, bootsim::Faults{.dropAnswer = {1}});
    const std::uint32_t before = clock.now;
    ASSERT_EQ(transfer(port, image, ComTaskLimits{3000, 3, 10, 2048}), 1);
    EXPECT_GE(clock.now - before, 3000u);
    EXPECT_EQ(countFrames(port, port.sentFrames[0]), 2u);
}

TEST_F(ComTaskTest, ResendsTheSameFrameAfterANack) {
    const Bytes image = makeTestImage(1000);
    LoopbackPort port(clock, bootsim::Faults{.nack = {2}});
    ASSERT_EQ(transfer(port, image), 1);
    ASSERT_EQ(port.sentFrames.size(), 4u + 1u + 2u);
    EXPECT_EQ(port.sentFrames[1], port.sentFrames[2]);
    EXPECT_EQ(port.loader.image(), image);
    const auto all = lines();
    EXPECT_NE(std::find(all.begin(), all.end(), "displMsg(): Nack received "), all.end());
}

TEST_F(ComTaskTest, ResendsTheHeaderBlockAfterANack) {
    const Bytes image = makeTestImage(300);
    // Frames: two data blocks, the header (refused), the header again, the reboot.
    LoopbackPort port(clock, bootsim::Faults{.nack = {3}});
    ASSERT_EQ(transfer(port, image), 1);
    ASSERT_EQ(port.sentFrames.size(), 5u);
    EXPECT_EQ(port.sentFrames[2].size(), 267u);
    EXPECT_EQ(port.sentFrames[3], port.sentFrames[2]);
    EXPECT_EQ(port.sentFrames[4], Bytes{0x0A});
}

// The key's answer to frame 5 arriving late: just inside the 3 s answer
// time-out it is taken; just outside it the frame goes out again first, and
// the key's repeated answer keeps the transfer going to its end.
TEST_F(ComTaskTest, TakesAnAnswerJustInsideTheTimeOutAndResendsForOneJustOutside) {
    const Bytes image = makeTestImage(45096);
    LoopbackPort inside(clock, bootsim::Faults{.delayMs = {{5, 2999}}});
    ASSERT_EQ(transfer(inside, image), 1);
    EXPECT_EQ(lastTimeoutResends, 0u);
    EXPECT_EQ(inside.sentFrames.size(), 179u);
    EXPECT_EQ(inside.loader.image(), image);

    ASSERT_TRUE(log.openFresh(folder.path()));
    LoopbackPort outside(clock, bootsim::Faults{.delayMs = {{5, 3001}}});
    ASSERT_EQ(transfer(outside, image), 1);
    EXPECT_EQ(lastTimeoutResends, 1u);
    EXPECT_EQ(countFrames(outside, outside.sentFrames[4]), 2u);
    EXPECT_EQ(outside.loader.image(), image);
    EXPECT_TRUE(outside.loader.rebooted());
}

// An answer whose opening, code or closing byte was spoilt on the line.
TEST_F(ComTaskTest, RecoversFromAnAnswerWithASpoiltStartCodeOrEndByte) {
    const Bytes image = makeTestImage(2000);
    struct Case {
        std::size_t position;
        std::uint32_t timeoutResends;  // a spoilt frame edge is no answer: the time-out resends
    };
    for (const Case c : {Case{0, 1}, Case{1, 0}, Case{2, 1}}) {
        SCOPED_TRACE("answer byte " + std::to_string(c.position));
        ASSERT_TRUE(log.openFresh(folder.path()));
        LoopbackPort port(clock, bootsim::Faults{.corrupt = {{3, c.position}}});
        ASSERT_EQ(transfer(port, image), 1);
        EXPECT_EQ(lastTimeoutResends, c.timeoutResends);
        EXPECT_EQ(port.sentFrames[3], port.sentFrames[2]) << "the third frame went out again";
        EXPECT_EQ(port.loader.image(), image);
        const auto all = lines();
        const bool unknown = std::find(all.begin(), all.end(), "displMsg(): unknown cmd/answer ") != all.end();
        EXPECT_EQ(unknown, c.position == 1);
    }
}

TEST_F(ComTaskTest, TakesAnAnswerOfAnEscapedZeroForUnknownAndResends) {
    const Bytes image = makeTestImage(100);
    LoopbackPort port(clock);
    port.answerOverride = [](std::uint32_t k, Bytes& answer) {
        if (k == 1) answer = {0x00, 0x02, 0x03, 0x01};
    };
    ASSERT_EQ(transfer(port, image), 1);
    EXPECT_EQ(port.sentFrames[0], port.sentFrames[1]);
}

TEST_F(ComTaskTest, GivesUpOnAKeyThatRefusesOneFrameForEver) {
    const Bytes image = makeTestImage(1000);
    bootsim::Faults faults;
    for (std::uint32_t k = 2; k <= 100; ++k) faults.nack.insert(k);
    LoopbackPort port(clock, faults);
    ASSERT_EQ(transfer(port, image), -1);
    // The first block, then the second block once and ten times again.
    EXPECT_EQ(port.sentFrames.size(), 1u + 11u);
    EXPECT_EQ(countFrames(port, port.sentFrames[1]), 11u);
    const auto all = lines();
    EXPECT_EQ(all.back(), "displStatus(): Fehler ");
}

TEST_F(ComTaskTest, CountsRefusalsInARowPerFrame) {
    const Bytes image = makeTestImage(1000);
    bootsim::Faults faults;
    // Ten refusals of block 1 and ten of block 2: within the bound for each.
    for (std::uint32_t k = 1; k <= 10; ++k) faults.nack.insert(k);
    for (std::uint32_t k = 12; k <= 21; ++k) faults.unknownAnswer.insert(k);
    LoopbackPort port(clock, faults);
    ASSERT_EQ(transfer(port, image), 1);
    EXPECT_EQ(port.loader.image(), image);
}

TEST_F(ComTaskTest, EndsInErrorWhenTheKeyFallsSilent) {
    const Bytes image = makeTestImage(45096);
    LoopbackPort port(clock, bootsim::Faults{.silentFrom = 20});
    ASSERT_EQ(transfer(port, image), -1);
    // Frame 20 and its three resends went out, then the fourth time-out ended it.
    EXPECT_EQ(port.sentFrames.size(), 19u + 4u);
    EXPECT_EQ(lines().back(), "displStatus(): Fehler ");
}

TEST_F(ComTaskTest, SurvivesAnAnswerFrameLongerThanItsBuffer) {
    const Bytes image = makeTestImage(100);
    LoopbackPort port(clock);
    port.answerOverride = [](std::uint32_t k, Bytes& answer) {
        if (k == 1) {
            answer = {0x00};
            answer.insert(answer.end(), 5000, 0x06);
            answer.push_back(0x01);
        }
    };
    ASSERT_EQ(transfer(port, image), 1);
    const auto all = lines();
    EXPECT_NE(std::find(all.begin(), all.end(), "ComTask - eGetOuterData (length=512):"), all.end());
}

TEST_F(ComTaskTest, CountsAnAnswerFrameWithoutAnyByteAsUnknown) {
    const Bytes image = makeTestImage(100);
    LoopbackPort port(clock);
    port.answerOverride = [](std::uint32_t k, Bytes& answer) {
        if (k == 1) answer = {0x00, 0x01};
    };
    ASSERT_EQ(transfer(port, image), 1);
    EXPECT_EQ(port.sentFrames[0], port.sentFrames[1]);
    const auto all = lines();
    const auto empty = std::find(all.begin(), all.end(), "ComTask - eGetOuterData (length=0):");
    ASSERT_NE(empty, all.end());
    EXPECT_EQ(*(empty + 1), "displMsg(): unknown cmd/answer ");
}

TEST_F(ComTaskTest, ReportsAPortThatCannotBeOpened) {
    const Bytes image = makeTestImage(100);
    LoopbackPort port(clock);
    port.openResult = kComPortOpenFailed;
    ASSERT_EQ(transfer(port, image), -1);
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "ComTask() - eStart: FW-Length=100", "displMsg(): vor Open_ComPort() ",
                           "displLed(): LED=Error", "displStatus(): Fehler beim Oeffnen von COMx ",
                           "displMsg(): nach Open_ComPort() ", "displLed(): LED=Error",
                           "displStatus(): Fehler "}));
    EXPECT_TRUE(port.sentFrames.empty());
}

TEST_F(ComTaskTest, LeadsAnUnknownStateIntoTheErrorState) {
    LoopbackPort port(clock);
    ComTask task(port, clock, events);
    task.setState(42);
    EXPECT_EQ(task.step(), 0);
    EXPECT_EQ(task.state(), eError);
    EXPECT_EQ(task.step(), -1);
    log.close();
    EXPECT_EQ(lines(), (std::vector<std::string>{"displLed(): LED=Error",
                                                 "displStatus(): unbekannter State ",
                                                 "displLed(): LED=Error", "displStatus(): Fehler "}));
}

TEST_F(ComTaskTest, StartsEveryTransferAfresh) {
    const Bytes image = makeTestImage(700);
    LoopbackPort first(clock, bootsim::Faults{.dropAnswer = {2}});
    ComTask task(first, clock, events);
    task.setImage({image.data(), static_cast<std::uint32_t>(image.size()), kDescription});
    task.setState(eStart);
    int result = 0;
    while (result == 0) result = task.step();
    ASSERT_EQ(result, 1);
    EXPECT_EQ(task.timeoutResends(), 1u);

    // A second transfer through the same task object begins at 0x8000 again.
    LoopbackPort second(clock);
    ComTask again(second, clock, events);
    again.setImage({image.data(), static_cast<std::uint32_t>(image.size()), kDescription});
    again.setState(eStart);
    result = 0;
    while (result == 0) result = again.step();
    ASSERT_EQ(result, 1);
    EXPECT_EQ(again.timeoutResends(), 0u);
    EXPECT_EQ(second.loader.image(), image);
}

TEST_F(ComTaskTest, RefusesToSendWithoutAnImage) {
    LoopbackPort port(clock);
    ComTask task(port, clock, events);
    task.setState(eStart);
    int result = 0;
    for (int i = 0; i < 100 && result == 0; ++i) result = task.step();
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(port.sentFrames.empty());
}

}  // namespace
}  // namespace oltrex
