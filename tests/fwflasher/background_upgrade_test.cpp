// "Update" with the transfer on a worker thread: the same transfer as on the
// window's thread, with the window's controls off while it runs.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "FlasherTestSupport.h"
#include "oltrex/fwflasher/BackgroundUpgrade.h"
#include "oltrex/fwflasher/FlasherFlow.h"

using namespace flashertest;

namespace {

struct Rig {
    explicit Rig(std::vector<PromptAnswer> answers = {PromptAnswer::Ok}) : prompts(std::move(answers)) {
        flow.formShow();
    }
    FlasherFlowSetup setup() {
        FlasherFlowSetup s;
        s.keys = &keys;
        s.prompts = &prompts;
        s.window = &window;
        s.transfer = &unit;
        s.clock = &clock;
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }
    StepClock clock;
    BootLoaderPort port{clock};
    RecordingWindow window;
    Userdownloadunit unit{port, clock, window, carriedImage()};
    SetKeyLibrary keys;
    ScriptedPrompts prompts;
    FlasherFlow flow{setup()};
};

TEST(BackgroundUpgrade, RunsTheSameTransferOnAWorkerWithTheControlsOffMeanwhile) {
    Rig onWindowThread;
    onWindowThread.flow.buttonUpgradeClick();

    Rig rig;
    BackgroundUpgrade upgrade(rig.flow, rig.window);
    std::promise<std::thread::id> ended;
    ASSERT_EQ(upgrade.start([&] { ended.set_value(std::this_thread::get_id()); }), FlowOutcome::Continue);
    EXPECT_TRUE(upgrade.running());
    EXPECT_EQ(rig.window.controlsEnabled, std::vector<bool>{false});
    EXPECT_NE(ended.get_future().get(), std::this_thread::get_id()) << "ended is called on the worker";
    EXPECT_EQ(upgrade.finish(), 1);
    EXPECT_FALSE(upgrade.running());
    EXPECT_EQ(rig.window.controlsEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(rig.flow.lastTransferResult(), 1);
    EXPECT_EQ(rig.keys.initCalls, 1);

    // Step for step what the window's own thread did: the same wait, the same
    // lines, the same repaints, the same time on the clock.
    EXPECT_EQ(rig.clock.slept, onWindowThread.clock.slept);
    EXPECT_EQ(rig.window.memo, onWindowThread.window.memo);
    EXPECT_EQ(rig.window.repaints, onWindowThread.window.repaints);
    EXPECT_EQ(rig.window.progress, onWindowThread.window.progress);
    EXPECT_EQ(rig.clock.now, onWindowThread.clock.now);
    EXPECT_EQ(rig.port.loader.image().size(), 31364u);
}

TEST(BackgroundUpgrade, StartsNothingWhenTheUserStopsAtTheFailedSwitch) {
    Rig rig({PromptAnswer::Ok, PromptAnswer::Cancel});
    rig.keys.initResult = -5;
    BackgroundUpgrade upgrade(rig.flow, rig.window);
    bool ended = false;
    EXPECT_EQ(upgrade.start([&] { ended = true; }), FlowOutcome::EndProgram);
    EXPECT_FALSE(upgrade.running());
    EXPECT_TRUE(rig.window.controlsEnabled.empty());
    EXPECT_EQ(upgrade.finish(), 0);
    EXPECT_FALSE(ended);
    EXPECT_EQ(rig.port.opens, 0);
}

TEST(BackgroundUpgrade, StartsNoSecondTransferWhileOneRunsAndWaitsForItAtTheEnd) {
    Rig rig;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    int ends = 0;
    {
        BackgroundUpgrade upgrade(rig.flow, rig.window);
        // The first transfer waits in its end call until the test lets it go.
        upgrade.start([&] {
            ++ends;
            released.wait();
        });
        EXPECT_EQ(upgrade.start([&] { ++ends; }), FlowOutcome::Continue);
        EXPECT_EQ(rig.keys.initCalls, 1) << "no second switch";
        release.set_value();
    }  // the destructor waits for the worker
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(rig.flow.lastTransferResult(), 1);
}

}  // namespace
