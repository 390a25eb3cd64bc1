// KeyRefresh's window logic without a toolkit: a view that records what it is
// told, the update worker against a boot loader that is not there, and the
// hand-over from the worker's thread run when the test pumps the view's queue.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AbsentPort.h"
#include "FakeKeys.h"
#include "TestSupport.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/keyrefresh/window/RefreshForm.h"

namespace oltrex {
namespace {

using test::AbsentPort;
using test::FakeClock;
using test::FakeKeys;
using test::readText;
using test::ScratchFolder;

class RecordingView final : public RefreshView {
  public:
    void postToViewThread(std::function<void()> change) override {
        std::lock_guard lock(mutex);
        posted.push_back(std::move(change));
        ++postedCount;
    }
    // Runs what the worker posted, on the test's (the view's) thread.
    void pump() {
        std::deque<std::function<void()>> work;
        {
            std::lock_guard lock(mutex);
            work.swap(posted);
        }
        for (auto& change : work) change();
    }
    bool askConditions(const std::string& caption, const std::string& text) override {
        boxes.push_back(caption + "|" + text.substr(0, 21));
        return acceptConditions;
    }
    void showExclamation(const std::string& caption, const std::string& text) override {
        boxes.push_back(caption + "|" + text);
    }
    void setTitle(const std::string& text) override { title = text; }
    void createPages() override { ++pagesCreated; }
    void showPage(RefreshPage next) override { page = next; }
    void closeWindow() override { ++closed; }
    void showKeyInfo(const std::string& text) override { keyInfo = text; }
    void showWeiter(bool shown) override { weiterShown = shown; }
    void showFirmwareButton(bool shown) override { firmwareShown = shown; }
    void enableUpdateButtons(bool enabled) override { updateButtonsEnabled = enabled; }
    void showFromTo(const std::string& text) override { fromTo = text; }
    void showProgress(int position) override { progress.push_back(position); }
    void startBusyTimer() override { timerRunning = true; }
    void stopBusyTimer() override { timerRunning = false; }
    void showResult(const std::string& text) override { result = text; }

    bool acceptConditions = true;
    std::vector<std::string> boxes;
    std::string title, keyInfo, fromTo, result;
    int pagesCreated = 0, closed = 0, page = kNoPage;
    bool weiterShown = true, firmwareShown = true, updateButtonsEnabled = true, timerRunning = false;
    std::vector<int> progress;
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
    int postedCount = 0;
};

class RefreshFormTest : public ::testing::Test {
  protected:
    RefreshServices services() {
        RefreshServices s;
        s.keys = &keys;
        s.clock = &clock;
        s.log = &log;
        s.worker.keys = &keys;
        s.worker.port = &port;
        s.worker.clock = &clock;
        s.worker.logFolder = scratch.path();
        s.newFirmware = "1.20";
        return s;
    }
    // Ticks the busy bar as the view's timer would, until the finished page.
    void tickUntilFinished(RefreshForm& form) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (view.page != kFinishedPage && std::chrono::steady_clock::now() < deadline) {
            ASSERT_TRUE(view.timerRunning);
            form.busyTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(view.page, kFinishedPage);
    }
    std::string logText() const { return readText(scratch / "OLTREXKeyRefresh.log"); }

    ScratchFolder scratch;
    FakeClock clock;
    CWLog log{scratch / "OLTREXKeyRefresh.log", clock};
    FakeKeys keys;
    AbsentPort port;
    RecordingView view;
};

TEST_F(RefreshFormTest, DeclinedConditionsCloseTheWindowBeforeAnyKeyAccess) {
    view.acceptConditions = false;
    RefreshForm form(services(), view);
    EXPECT_FALSE(form.initDialog());
    EXPECT_EQ(view.title, "BRENVA-KeyRefresh [1.20.1.0]");
    EXPECT_EQ(view.boxes, std::vector<std::string>{"BRENVA-KeyRefresh|Wichtige Bedingungen:"});
    EXPECT_EQ(view.closed, 1);
    EXPECT_EQ(view.pagesCreated, 0);
    EXPECT_EQ(keys.calls(), 0);
    form.ok();
    form.enter();
    EXPECT_EQ(view.page, kNoPage) << "no page without the conditions";
}

TEST_F(RefreshFormTest, AFailedUpdateRunsThroughAllPagesAndNothingBreaksItOff) {
    RefreshForm form(services(), view);
    ASSERT_TRUE(form.initDialog());
    EXPECT_EQ(view.page, kKeyPage);
    EXPECT_FALSE(view.firmwareShown);
    EXPECT_TRUE(view.weiterShown);
    EXPECT_FALSE(view.updateButtonsEnabled);
    EXPECT_EQ(view.keyInfo,
              "Firmware Key ist 1.10\r\n\nUpadte der FW zu 1.20\r\n\nAngeschlossener OLTREX-Key "
              "ist:\r\nOX00123456");

    form.enter();  // "Weiter"
    ASSERT_EQ(view.page, kUpdatePage);
    EXPECT_EQ(view.fromTo, "von Firmware 1.10 zu 1.20");
    EXPECT_TRUE(view.timerRunning);
    EXPECT_TRUE(form.updateActive());
    // Nothing ends the window or leaves the page while the update runs.
    form.close();
    form.cancel();
    form.escape();
    form.enter();
    form.ok();
    form.fertig();
    EXPECT_EQ(view.closed, 0);
    EXPECT_FALSE(form.mayClose());
    EXPECT_EQ(view.page, kUpdatePage);

    tickUntilFinished(form);
    EXPECT_FALSE(view.timerRunning);
    EXPECT_TRUE(form.mayClose());
    EXPECT_EQ(form.session().outcome(), -1);
    EXPECT_NE(view.result.find("Seriennummer: OX00123456"), std::string::npos) << view.result;
    // The worker's hand-over came through the view's queue; run late, it sets
    // the same text again.
    EXPECT_EQ(view.postedCount, 1);
    const std::string shown = view.result;
    view.result.clear();
    view.pump();
    EXPECT_EQ(view.result, shown);

    form.fertig();
    EXPECT_EQ(view.page, kKeyPage);
    form.escape();  // "Beenden" of the key page: no entry
    EXPECT_EQ(view.closed, 1);
    EXPECT_EQ(logText(),
              "[2024.03.05_14.07.09.042] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"
              "[2024.03.05_14.07.09.042] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"
              "[2024.03.05_14.07.09.042] \r\n");
}

TEST_F(RefreshFormTest, ARefusedKeyHasNoWeiterAndEnterDoesNothing) {
    keys.infoTexts = {" StickID: OX0012345678 FW-0250"};
    RefreshForm form(services(), view);
    ASSERT_TRUE(form.initDialog());
    EXPECT_FALSE(view.weiterShown);
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[1], "UPDATE|Ungültiger Key\r\nUpdate ist nicht möglich.");
    const int calls = keys.keyInfoCalls;
    form.enter();
    form.weiter();  // a click the hidden button should not have given
    EXPECT_EQ(view.page, kKeyPage);
    EXPECT_EQ(keys.keyInfoCalls, calls);
}

TEST_F(RefreshFormTest, AFormEndedDuringTheUpdateWaitsForItsWorkerAndDropsItsHandOver) {
    {
        RefreshForm form(services(), view);
        ASSERT_TRUE(form.initDialog());
        form.weiter();
        ASSERT_TRUE(form.updateActive());
    }  // the worker is joined here; its result is handed over, not yet shown
    EXPECT_EQ(view.postedCount, 1);
    view.result = "unchanged";
    view.pump();
    EXPECT_EQ(view.result, "unchanged");
    EXPECT_NE(logText().find("Update konnten nicht erfolgen ( Key: OX00123456 )"),
              std::string::npos)
        << "the log tells that the key was not updated";
}

}  // namespace
}  // namespace oltrex
