#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>

#include "SessionRig.h"
#include "oltrex/keyfetch/SessionPoller.h"

using namespace kftest;

namespace oltrex {
void PrintTo(const SessionDisplay& d, std::ostream* os) {
    *os << "{" << d.status << " | " << d.firmware << " | " << d.keyNumber << " | "
        << d.downloadCounter << " | " << d.generationCounts << " | " << d.percent << "}";
}
}  // namespace oltrex
using oltrex::SessionState;
using oltrex::SessionView;

namespace {

// Collects the views the poller hands out and lets the test wait for one.
class ViewLog {
  public:
    void add(const SessionView& v) {
        std::lock_guard lock(mutex_);
        views_.push_back(v);
        changed_.notify_all();
    }
    template <class Pred>
    bool waitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit,
                                 [&] { return !views_.empty() && pred(views_.back()); });
    }
    std::vector<SessionView> views() {
        std::lock_guard lock(mutex_);
        return views_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SessionView> views_;
};

}  // namespace

TEST(SessionPoller, stepsTheSessionAndHandsOutItsViewAfterEachStep) {
    SessionRig rig;
    rig.key.files["V_AB_623B1A2C"] = vehicleFile({0x7601});
    ViewLog log;
    oltrex::ActivityAnimation bar;
    oltrex::SessionPoller poller(
        *rig.session, bar, [&](const SessionView& v) { log.add(v); }, 1);
    for (int i = 0; i < 5; ++i) poller.stepOnce();
    const auto views = log.views();
    ASSERT_EQ(views.size(), 5u);
    EXPECT_EQ(views[2].state, SessionState::Look);
    EXPECT_TRUE(views[4].startEnabled);
    EXPECT_EQ(views[4].display.downloadCounter, "1 / 1");
}

TEST(SessionPoller, runsADownloadOnItsThreadAndMovesTheActivityBar) {
    SessionRig rig;
    rig.key.files["V_AB_623B1A2C"] = vehicleFile({0x7601});
    rig.key.files["V_CD_623B1A2C"] = vehicleFile({0x7602});
    ViewLog log;
    oltrex::ActivityAnimation bar;
    std::vector<int> stepsDuringReads;
    rig.key.onRead = [&](const std::string&) { stepsDuringReads.push_back(bar.step()); };
    oltrex::SessionPoller poller(
        *rig.session, bar, [&](const SessionView& v) { log.add(v); }, 1);
    poller.start();
    ASSERT_TRUE(log.waitFor([](const SessionView& v) { return v.startEnabled; }));
    EXPECT_EQ(bar.step(), oltrex::ActivityBar::kBeforeFirstRead);
    ASSERT_TRUE(rig.session->start(false));
    ASSERT_TRUE(
        log.waitFor([](const SessionView& v) { return v.display.downloadCounter == "0 / 0"; }));
    poller.stop();
    EXPECT_FALSE(poller.running());
    EXPECT_TRUE(rig.session->lastRun().allFiled());
    EXPECT_EQ(stepsDuringReads, (std::vector<int>{0, 0}));
    EXPECT_EQ(bar.step(), oltrex::ActivityBar::kReadDone);
    EXPECT_EQ(bar.percent(), 100);
}

TEST(SessionPoller, finishesTheFileUnderWayWhenStoppedAndLeavesTheRestOnTheKey) {
    SessionRig rig;
    for (const char* name : {"V_A_623B1A2C", "V_B_623B1A2C", "V_C_623B1A2C"})
        rig.key.files[name] = vehicleFile({0x7601});
    ViewLog log;
    oltrex::NoActivityBar bar;
    std::unique_ptr<oltrex::SessionPoller> poller;
    std::promise<void> reading;
    rig.key.onRead = [&](const std::string&) {  // Exit while a file is read
        poller->requestStop();
        reading.set_value();
    };
    poller = std::make_unique<oltrex::SessionPoller>(
        *rig.session, bar, [&](const SessionView& v) { log.add(v); }, 1);
    poller->start();
    ASSERT_TRUE(log.waitFor([](const SessionView& v) { return v.startEnabled; }));
    const std::size_t viewsBefore = log.views().size();
    ASSERT_TRUE(rig.session->start(false));
    reading.get_future().wait();
    poller->stop();
    EXPECT_EQ(log.views().size(), viewsBefore);  // no update after Exit
    const auto run = rig.session->lastRun();
    ASSERT_EQ(run.files.size(), 1u);
    EXPECT_TRUE(run.files[0].filed());
    EXPECT_EQ(rig.key.files.size(), 2u);
}

TEST(SessionPoller, recordsTheDisplaySequenceOfADownload) {
    SessionRig rig;
    rig.key.files["V_AB_623B1A2C"] = vehicleFile({0x7601}, 100);
    rig.key.files["V_CD_2024-01-02_03-04-05.2"] = vehicleFile({0x7621}, 298);
    std::vector<oltrex::SessionDisplay> shown;
    oltrex::NoActivityBar bar;
    oltrex::SessionPoller poller(*rig.session, bar, [&](const SessionView& v) {
        if (shown.empty() || !(shown.back() == v.display)) shown.push_back(v.display);
    });
    for (int i = 0; i < 5; ++i) poller.stepOnce();
    ASSERT_TRUE(rig.session->start(false));
    for (int i = 0; i < 4; ++i) poller.stepOnce();

    using D = oltrex::SessionDisplay;
    const std::string init = "OLTREX-Key Initialisierung. Bitte einen Moment warten!";
    const std::vector<D> expected = {
        {"", "...", "...", "...", "", 0},                                  // idle
        {"", "0120", "0012345678", "...", "", 0},                          // idle: a key answered
        {init, "0120", "0012345678", "...", "", 0},                        // look
        {"", "0120", "0012345678", "2 / 2", "( Gen1: 1, Gen2: 1 )", 0},    // read
        {"", "0120", "0012345678", "1 / 2", "( Gen1: 0, Gen2: 1 )", 26},   // 106 of 410 bytes
        {"", "0120", "0012345678", "0 / 2", "( Gen1: 0, Gen2: 0 )", 100},  // last file
        {init, "0120", "0012345678", "...", "", 0},                        // look again
        {"", "0120", "0012345678", "0 / 0", "( Gen1: 0, Gen2: 0 )", 0},    // the emptied key
    };
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(shown[i], expected[i]) << "display " << i;
}

TEST(ActivityAnimation, cyclesWhileReadingStandsFullAfterwardsAndEmptyBefore) {
    oltrex::ActivityAnimation bar;
    EXPECT_EQ(bar.advance(), 0);
    bar.setStep(oltrex::ActivityBar::kReadStarted);
    std::vector<int> shown;
    for (int i = 0; i < 11; ++i) shown.push_back(bar.advance());
    EXPECT_EQ(shown, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 10}));
    bar.setStep(oltrex::ActivityBar::kReadDone);
    EXPECT_EQ(bar.advance(), 100);
    EXPECT_EQ(bar.advance(), 100);
}
