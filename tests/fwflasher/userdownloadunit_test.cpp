// FwFlasher's transfer step against an in-process boot loader: what the
// memo, the status line and the progress bar show, and what reaches the key.
#include <gtest/gtest.h>

#include <algorithm>

#include "FlasherTestSupport.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/fwflasher/Userdownloadunit.h"

using namespace flashertest;

namespace {

struct Rig {
    explicit Rig(bootsim::Faults faults = {}) : port(clock, std::move(faults)) {}

    // Runs from eStart until the step gives non-zero; returns that result.
    int run(std::size_t maxSteps = 200000) {
        unit.setState(eStart);
        for (std::size_t i = 0; i < maxSteps; ++i) {
            if (const int result = unit.step(); result != 0) return result;
        }
        return 0;
    }

    StepClock clock;
    BootLoaderPort port;
    RecordingWindow window;
    Userdownloadunit unit{port, clock, window, carriedImage()};
};

TEST(Userdownloadunit, WritesTheCarriedImageIntoTheKeyAndEndsWithItsLinesInOrder) {
    Rig rig;
    ASSERT_EQ(rig.run(), 1);

    const auto& image = rig.port.loader.image();
    ASSERT_EQ(image.size(), 31364u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), fwFlasherFirmwareImage()));
    EXPECT_TRUE(rig.port.loader.rebooted());
    EXPECT_EQ(rig.port.loader.header().imageLength, 31364u);
    EXPECT_EQ(std::string(rig.port.loader.header().typeCode.data(), 4), "ComP");
    // 122 blocks of 256 bytes (frames of 267) and the last of 132 (143) at 0xFA00.
    EXPECT_TRUE(memoMatches(rig.window.memo, expectedTransferMemo(31364)));
    EXPECT_TRUE(rig.window.memo[3 + 122 * 4].starts_with("Block genereated: len=143, adr=0x0000FA00,"));
}

TEST(Userdownloadunit, ShowsRunningInGreenAndTheEndInBlue) {
    Rig rig;
    ASSERT_EQ(rig.run(), 1);
    ASSERT_EQ(rig.window.statuses.size(), 2u);
    EXPECT_EQ(rig.window.statuses[0].text, "Datentransfer läuft");
    EXPECT_EQ(rig.window.statuses[0].colour, 0x008000u);
    EXPECT_EQ(rig.window.statuses[1].text, "Datentransfer abgeschlossen");
    EXPECT_EQ(rig.window.statuses[1].colour, 0xFF0000u);
    EXPECT_EQ(rig.port.closes, 1);
}

TEST(Userdownloadunit, LeavesTheProgressBarAt99ForThisImage) {
    Rig rig;
    ASSERT_EQ(rig.run(), 1);
    const auto& progress = rig.window.progress;
    // 0 at the start, then once per acknowledged data block but the last.
    ASSERT_EQ(progress.size(), 1u + 122u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress[1], 256 * 100 / 31364);
    EXPECT_EQ(progress.back(), 99);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(Userdownloadunit, KeepsTheOpenFailureInRedAsTheLastStatus) {
    Rig rig;
    rig.port.openResult = -3;
    ASSERT_EQ(rig.run(), -1);
    ASSERT_FALSE(rig.window.statuses.empty());
    EXPECT_EQ(rig.window.statuses.back().text, "Fehler beim Öffnen von COMx");
    EXPECT_EQ(rig.window.statuses.back().colour, 0x0000FFu);
    EXPECT_EQ(rig.window.memo, (std::vector<std::string>{"vor Open_ComPort()", "nach Open_ComPort()"}));
    EXPECT_TRUE(rig.window.progress.empty());
}

TEST(Userdownloadunit, ShowsFehlerInRedWhenTheKeyFallsSilent) {
    bootsim::Faults faults;
    faults.silentFrom = 5;
    Rig rig(faults);
    ASSERT_EQ(rig.run(), -1);
    EXPECT_EQ(rig.window.statuses.back().text, "Fehler");
    EXPECT_EQ(rig.window.statuses.back().colour, 0x0000FFu);
    EXPECT_FALSE(rig.port.loader.rebooted());
    // One send and three resends of the frame that got no answer.
    EXPECT_EQ(std::count(rig.window.memo.begin(), rig.window.memo.end(), "block sent"), 4 + 4);
}

TEST(Userdownloadunit, SendsTheSameBlockAgainAfterANackAndStillCompletes) {
    bootsim::Faults faults;
    faults.nack = {2};
    Rig rig(faults);
    ASSERT_EQ(rig.run(), 1);
    const auto& memo = rig.window.memo;
    const auto nack = std::find(memo.begin(), memo.end(), "Nack received");
    ASSERT_NE(nack, memo.end());
    EXPECT_EQ(*(nack + 1), "block sent");
    EXPECT_EQ(*(nack - 2), "block sent");
    EXPECT_TRUE(std::prev(nack, 3)->starts_with("Block genereated: len=267, adr=0x00008100,"));
    EXPECT_EQ(rig.port.loader.image().size(), 31364u);
}

TEST(Userdownloadunit, TakesALateAnswerInsideTheTimeOutAndSendsAgainForOneOutsideIt) {
    for (const std::uint32_t late : {2999u, 3001u}) {
        SCOPED_TRACE(std::to_string(late) + " ms late");
        bootsim::Faults faults;
        faults.delayMs = {{7, late}};
        Rig rig(faults);
        ASSERT_EQ(rig.run(), 1);
        const auto sent = std::count(rig.window.memo.begin(), rig.window.memo.end(), "block sent");
        EXPECT_EQ(sent, 125 + (late > 3000 ? 1 : 0));
        EXPECT_EQ(rig.window.statuses.back().text, "Datentransfer abgeschlossen");
        EXPECT_EQ(rig.port.loader.image().size(), 31364u);
        EXPECT_TRUE(rig.port.loader.rebooted());
    }
}

TEST(Userdownloadunit, SendsAgainAfterAnAnswerWithASpoiltStartCodeOrEndByte) {
    for (const std::size_t position : {0u, 1u, 2u}) {
        SCOPED_TRACE("answer byte " + std::to_string(position));
        bootsim::Faults faults;
        faults.corrupt = {{10, position}};
        Rig rig(faults);
        const std::uint32_t before = rig.clock.now;
        ASSERT_EQ(rig.run(), 1);
        const auto& memo = rig.window.memo;
        EXPECT_EQ(std::count(memo.begin(), memo.end(), "block sent"), 126);
        EXPECT_EQ(std::count(memo.begin(), memo.end(), "unknown cmd/answer"), position == 1 ? 1 : 0);
        // Without a whole answer frame the 3 s answer time-out had to pass.
        EXPECT_EQ(rig.clock.now - before >= 3000, position != 1);
        EXPECT_EQ(rig.window.statuses.back().text, "Datentransfer abgeschlossen");
        EXPECT_EQ(rig.port.loader.image().size(), 31364u);
    }
}

TEST(Userdownloadunit, ReportsAnUnknownStateInRedAndEndsInFailure) {
    Rig rig;
    rig.unit.setState(42);
    EXPECT_EQ(rig.unit.step(), 0);
    EXPECT_EQ(rig.window.statuses.back().text, "unbekannter State");
    EXPECT_EQ(rig.window.statuses.back().colour, 0x0000FFu);
    EXPECT_EQ(rig.unit.step(), -1);
    EXPECT_EQ(rig.window.statuses.back().text, "Fehler");
}

TEST(Userdownloadunit, StartsEveryTransferAfresh) {
    Rig rig;
    rig.port.openResult = -1;
    ASSERT_EQ(rig.run(), -1);
    rig.port.openResult = 0;
    rig.window = RecordingWindow();
    ASSERT_EQ(rig.run(), 1);
    EXPECT_TRUE(memoMatches(rig.window.memo, expectedTransferMemo(31364)));
    EXPECT_EQ(rig.window.statuses.back().text, "Datentransfer abgeschlossen");

    // And once more after a success, into a fresh boot loader.
    rig.port.loader = bootsim::BootLoader();
    rig.window = RecordingWindow();
    ASSERT_EQ(rig.run(), 1);
    EXPECT_EQ(rig.window.progress.front(), 0);
    EXPECT_EQ(rig.port.loader.image().size(), 31364u);
}

}  // namespace
