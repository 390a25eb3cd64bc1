// The main dialog's form without a toolkit, through a view that records what
// it is told: the first states, "Start" with nothing to download, the
// workers' hand-over to the view's thread and its end at the shutdown, the
// SD-card import's drive question with both buttons off, and the drive
// chooser's list logic.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "../drives/FakeDrives.h"
#include "KeyFetchFakes.h"
#include "oltrex/keyfetch/window/DriveChooserList.h"
#include "oltrex/keyfetch/window/KeyFetchForm.h"
#include "oltrex/platform/Settings.h"

using namespace oltrex;

namespace {

// Records the controls' states; work posted from the workers waits in a
// queue until the test runs it, as a view's thread would.
class RecordingView final : public KeyFetchView {
public:
    void postToViewThread(std::function<void()> change) override {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(std::move(change));
            ++postCount_;
        }
        wake_.notify_all();
    }
    void setText(MainControl c, const std::string& text) override { note(); texts[c] = text; }
    void enable(MainControl c, bool on) override { note(); enabled[c] = on; }
    void show(MainControl c, bool on) override { note(); shown[c] = on; }
    void setPosition(MainControl c, int percent) override { note(); positions[c] = percent; }
    void setChecked(MainControl c, bool on) override { note(); checks[c] = on; }
    bool checked(MainControl c) const override { return checks.count(c) && checks.at(c); }
    void showImportMessage(const ImportMessage& m) override { note(); messages.push_back(m.text); }
    void showAboutBox() override { note(); ++aboutBoxes; }
    void closeWindow() override { note(); ++closes; }
    bool chooseDrive(std::string& rootText) override {
        note();
        buttonsWhileAsked = {enabled[MainControl::Start], enabled[MainControl::SdCard]};
        rootText.clear();
        return false;  // "Abbrechen"
    }

    // Waits until `count` posts arrived in all.
    bool waitForPosts(int count) {
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, std::chrono::seconds(5), [&] { return postCount_ >= count; });
    }
    int postCount() {
        std::lock_guard lock(mutex_);
        return postCount_;
    }
    // Runs what was posted, on the calling thread.
    void runPosted() {
        std::deque<std::function<void()>> work;
        {
            std::lock_guard lock(mutex_);
            work.swap(posted_);
        }
        for (auto& w : work) w();
    }

    std::map<MainControl, std::string> texts;
    std::map<MainControl, bool> enabled, shown, checks;
    std::map<MainControl, int> positions;
    std::vector<std::string> messages;
    int aboutBoxes = 0, closes = 0;
    std::pair<bool, bool> buttonsWhileAsked{true, true};
    bool calledFromAnotherThread = false;

private:
    void note() { calledFromAnotherThread |= std::this_thread::get_id() != viewThread_; }

    const std::thread::id viewThread_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> posted_;
    int postCount_ = 0;
};

class WindowForm : public ::testing::Test {
protected:
    KeyFetchWindowSetup setup(bool workers) {
        KeyFetchWindowSetup s;
        s.key = &key;
        s.settings = &settings;
        s.clock = &clock;
        s.workFolder = work.path();
        s.drives = drives.sources();
        s.pollerTickMs = 1;
        s.animatorTickMs = 1;
        s.version = "9.8.7.6";
        s.startWorkers = workers;
        return s;
    }

    kftest::FakeKey key;
    kftest::ManualClock clock;
    kftest::TempFolder work;
    oltrex::testing::FakeDrives drives;
    MemorySettings settings;
    RecordingView view;
};

}  // namespace

TEST_F(WindowForm, StartsWithNothingToStartTheActivityBarHiddenAndTheCheckBoxFromMakeEu) {
    settings.set(kKeySettingsPath, "MakeEU", "1");
    KeyFetchForm form(setup(false), view);
    EXPECT_EQ(form.caption(), "OLTREX-KeyFetch [9.8.7.6]");
    EXPECT_TRUE(view.texts.empty()) << "nothing is shown before the dialog's controls exist";
    form.initDialog();
    EXPECT_FALSE(view.enabled[MainControl::Start]);
    EXPECT_TRUE(view.enabled[MainControl::SdCard]);
    EXPECT_FALSE(view.shown[MainControl::Activity]);
    EXPECT_EQ(view.positions[MainControl::Activity], 0);
    EXPECT_TRUE(view.checks[MainControl::MakeEu]);
    EXPECT_EQ(view.texts[MainControl::Firmware], "...");
    EXPECT_FALSE(form.workersRunning());
}

TEST_F(WindowForm, StartWithNothingToDownloadChangesNothing) {
    KeyFetchForm form(setup(false), view);
    form.initDialog();
    form.startClicked();
    EXPECT_FALSE(view.shown[MainControl::Activity]);
    EXPECT_TRUE(view.enabled[MainControl::SdCard]);
    EXPECT_NE(form.session().state(), SessionState::Write);
}

TEST_F(WindowForm, TheWorkersHandEveryUpdateToTheViewsThreadAndStopAtTheShutdown) {
    KeyFetchForm form(setup(true), view);
    form.initDialog();
    ASSERT_TRUE(form.workersRunning());
    ASSERT_TRUE(view.waitForPosts(20));
    EXPECT_FALSE(view.calledFromAnotherThread) << "a worker touched a control itself";
    view.runPosted();
    EXPECT_FALSE(view.calledFromAnotherThread);

    form.closeRequested();
    EXPECT_FALSE(form.workersRunning());
    EXPECT_EQ(view.closes, 1);
    const int posts = view.postCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(view.postCount(), posts) << "nothing is handed over after the shutdown";
    view.runPosted();  // what was still queued is harmless
    form.shutdown();   // a second shutdown does nothing
    EXPECT_EQ(view.closes, 1);
}

TEST_F(WindowForm, TheSdCardImportAsksForADriveWithBothButtonsOffAndAbbrechenEndsItSilently) {
    KeyFetchForm form(setup(false), view);
    form.initDialog();
    form.sdCardClicked();
    EXPECT_EQ(view.buttonsWhileAsked, std::make_pair(false, false));
    ASSERT_TRUE(form.lastImport().has_value());
    EXPECT_TRUE(form.lastImport()->cancelled);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.enabled[MainControl::SdCard]) << "the button is on again afterwards";
}

TEST(DriveChooserListTest, OnlyAnEntryOfTheListAsShownGivesItsRootText) {
    const DriveChooserList list(
        std::vector<DriveChoice>{{"CARD (/media/card)", "/media/card/"}, {"/mnt/usb", "/mnt/usb/"}});
    EXPECT_EQ(list.initialSelection(), 0);
    EXPECT_EQ(list.resultFor(1, "/mnt/usb"), "/mnt/usb/");
    EXPECT_EQ(list.resultFor(0, "/media/typed"), "") << "text typed over the selection selects nothing";
    EXPECT_EQ(list.resultFor(-1, "/mnt/usb"), "") << "no selection";
    EXPECT_EQ(list.resultFor(2, "/mnt/usb"), "");
    EXPECT_EQ(DriveChooserList(std::vector<DriveChoice>{}).initialSelection(), -1);
}
