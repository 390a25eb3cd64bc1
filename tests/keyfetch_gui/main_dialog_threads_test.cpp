// The main dialog with its two worker threads running on short ticks against
// the simulated key: a whole download, and the shutdown by "Exit", Escape and
// the close box.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <set>

#include "GuiTestKit.h"

using namespace guitest;
using namespace oltrex;

namespace {

class MainDialogThreads : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built at " << cipherLibraryPath();
    }
    std::unique_ptr<CKeyFetchDlg> openWithDemoKey(const simkey::KeyFaults& faults = {}) {
        bench.plug(bench.makeDemoKey("demo", faults));
        auto dlg = std::make_unique<CKeyFetchDlg>(bench.setup(true, 20));
        dlg->show();
        return dlg;
    }
    static QPushButton* start(CKeyFetchDlg& d) { return d.findChild<QPushButton*>("IDC_1"); }
    Bench bench;
};

}  // namespace

TEST_F(MainDialogThreads, StartDownloadsEveryFileAndTheControlsFollow) {
    auto dlg = openWithDemoKey();
    ASSERT_TRUE(dlg->workersRunning());
    ASSERT_TRUE(waitUntil([&] { return start(*dlg)->isEnabled(); }));
    EXPECT_EQ(dlg->findChild<QLabel*>("IDC_1005")->text(), "12 / 12");

    std::set<QString> counters;
    start(*dlg)->click();
    ASSERT_TRUE(waitUntil([&] {
        counters.insert(dlg->findChild<QLabel*>("IDC_1005")->text());
        return dlg->findChild<QLabel*>("IDC_1005")->text() == "0 / 0";
    }, 60000));
    EXPECT_TRUE(dlg->session().lastRun().allFiled());
    EXPECT_GE(counters.size(), 3u) << "the counter moved while the files were downloaded";
    EXPECT_EQ(dlg->findChild<QProgressBar*>("IDC_1001")->value(), 0) << "the next directory read starts anew";
    EXPECT_EQ(filesIn(bench.containers).size(), 12u);
    EXPECT_FALSE(start(*dlg)->isEnabled());
    dlg->reject();
    EXPECT_FALSE(dlg->workersRunning());
}

TEST_F(MainDialogThreads, ExitDuringADownloadClosesAfterTheCurrentFileWithBothThreadsEnded) {
    simkey::KeyFaults slow;
    slow.readDelayMs = 150;
    auto dlg = openWithDemoKey(slow);
    ASSERT_TRUE(waitUntil([&] { return start(*dlg)->isEnabled(); }));
    start(*dlg)->click();
    // The second file's read is under way.
    ASSERT_TRUE(waitUntil([&] {
        const int step = dlg->activity().step();
        return dlg->session().lastRun().files.size() == 1 && step >= ActivityAnimation::kReadStarted &&
               step <= ActivityAnimation::kLastStep;
    }, 30000));

    dlg->findChild<QPushButton*>("IDC_2")->click();

    EXPECT_FALSE(dlg->workersRunning());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    const RunSummary run = dlg->session().lastRun();
    ASSERT_EQ(run.files.size(), 2u) << "the file being read was finished";
    EXPECT_TRUE(run.files[1].filed());
    EXPECT_FALSE(run.finished);
    // Nothing runs on after the dialog closed.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(dlg->session().lastRun().files.size(), 2u);
    EXPECT_EQ(simkey::listKeyFiles(bench.adapter).size(), 12u) << "12 left: 10 tachograph files and 2 own files";
}

TEST_F(MainDialogThreads, EscapeShutsDownLikeExit) {
    auto dlg = openWithDemoKey();
    ASSERT_TRUE(waitUntil([&] { return start(*dlg)->isEnabled(); }));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &escape);
    EXPECT_FALSE(dlg->workersRunning());
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(MainDialogThreads, TheCloseBoxShutsDownLikeExit) {
    auto dlg = openWithDemoKey();
    ASSERT_TRUE(waitUntil([&] { return start(*dlg)->isEnabled(); }));
    EXPECT_TRUE(dlg->close());
    EXPECT_FALSE(dlg->workersRunning());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(MainDialogThreads, DestroyingTheDialogEndsItsThreads) {
    auto dlg = openWithDemoKey();
    ASSERT_TRUE(dlg->workersRunning());
    dlg.reset();
    // The process would hang or crash at exit with a thread left running.
    SUCCEED();
}
