// The main form's logic that every view shares: the form is read once, the
// transfer runs on a worker whose updates reach the view only through its
// thread, nothing interrupts a transfer, and a declined start ends the program.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "FlasherTestSupport.h"
#include "oltrex/fwflasher/FlasherForm.h"

using namespace flashertest;

namespace {

// A view that records what it is told, notes calls from another thread than
// its own, and runs posted work when the test says so.
class RecordingView final : public FlasherView {
public:
    void addMemoLine(std::string_view text) override { check(), memo.emplace_back(text); }
    void showStatus(std::string_view text, BgrColour) override { check(), status = text; }
    void showProgress(int percent) override { check(), progress = percent; }
    void showStickSerial(const std::string&) override { check(); }
    void showStickFirmware(const std::string& text) override { check(), stickFirmware = text; }
    void showNewFirmware(const std::string&) override { check(); }
    void showInfoKeyId(const std::string&) override { check(); }
    void repaintForm() override { check(); }
    void enableControls(bool enabled) override { check(), controlsOn = enabled; }
    void showInfoForm() override { check(), ++infoShown; }
    void endProgram() override { check(), ++endRequests; }
    void closeForm() override { check(), ++closes; }
    void onTransferEnded(int result) override { check(), ended = result; }
    void postToViewThread(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(work));
        changed_.notify_all();
    }

    // Runs posted work on this (the view's) thread until the transfer has ended.
    bool runUntilTransferEnded() {
        while (ended == 0) {
            std::unique_lock lock(mutex_);
            if (!changed_.wait_for(lock, std::chrono::seconds(20), [this] { return !posted_.empty(); })) {
                return false;
            }
            auto work = std::move(posted_.front());
            posted_.pop_front();
            lock.unlock();
            work();
        }
        return true;
    }

    std::vector<std::string> memo;
    std::string status, stickFirmware;
    int progress = 0, infoShown = 0, endRequests = 0, closes = 0, ended = 0;
    bool controlsOn = true;
    int callsFromOtherThreads = 0;

private:
    void check() {
        if (std::this_thread::get_id() != thread_) ++callsFromOtherThreads;
    }
    std::thread::id thread_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> posted_;
};

class FlasherFormTest : public ::testing::Test {
protected:
    FlasherServices services() {
        FlasherServices s;
        s.keys = &keys;
        s.port = &port;
        s.clock = &clock;
        s.prompts = &prompts;
        s.image = carriedImage();
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }
    StepClock clock;
    BootLoaderPort port{clock};
    SetKeyLibrary keys;
    ScriptedPrompts prompts{{PromptAnswer::Ok}};
    RecordingView view;
};

TEST_F(FlasherFormTest, TransferRunsOnAWorkerAndReachesTheViewOnlyOnItsThread) {
    FlasherForm form(services(), view);
    EXPECT_TRUE(form.claimFirstShow());
    EXPECT_FALSE(form.claimFirstShow()) << "the form is read once";
    form.formShow();
    EXPECT_EQ(view.stickFirmware, " FW-0110");

    form.buttonUpgradeClick();
    EXPECT_FALSE(view.controlsOn);
    // Nothing interrupts the transfer.
    EXPECT_FALSE(form.mayClose());
    form.buttonCancelClick();
    form.image1Click();
    form.buttonUpgradeClick();
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.infoShown, 0);

    ASSERT_TRUE(view.runUntilTransferEnded());
    EXPECT_EQ(view.ended, 1);
    EXPECT_TRUE(view.controlsOn);
    EXPECT_TRUE(form.mayClose());
    EXPECT_EQ(keys.initCalls, 1);
    EXPECT_EQ(view.status, "Datentransfer abgeschlossen");
    EXPECT_EQ(view.progress, 99);
    EXPECT_TRUE(memoMatches(view.memo, expectedTransferMemo(31364)));
    EXPECT_EQ(view.callsFromOtherThreads, 0);

    form.buttonCancelClick();
    EXPECT_EQ(view.closes, 1);
}

TEST_F(FlasherFormTest, DeclinedConditionsAndARefusedSwitchEndTheProgramWithoutATransfer) {
    prompts = ScriptedPrompts({PromptAnswer::Cancel});
    FlasherForm declined(services(), view);
    declined.formShow();
    EXPECT_EQ(view.endRequests, 1);

    prompts = ScriptedPrompts({PromptAnswer::Ok, PromptAnswer::Cancel});
    keys.initResult = -1;
    FlasherForm refused(services(), view);
    refused.formShow();
    refused.buttonUpgradeClick();
    EXPECT_EQ(view.endRequests, 2);
    EXPECT_FALSE(refused.transferRunning());
    EXPECT_EQ(port.opens, 0);
}

}  // namespace
