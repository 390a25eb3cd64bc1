// The main dialog's poller and animator steps, taken one at a time on the
// test's thread, against the simulated key with a demo key: what each tick
// shows, when "Start" is enabled and how a download moves the controls.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "GuiTestKit.h"

using namespace guitest;
using namespace oltrex;

namespace {

class MainDialogTicks : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built at " << cipherLibraryPath();
        dlg = std::make_unique<CKeyFetchDlg>(bench.setup(false));
    }
    void TearDown() override { dlg.reset(); }

    // One poller tick, with its queued control update delivered.
    void tick() {
        dlg->pollOnce();
        QCoreApplication::sendPostedEvents();
    }
    QString label(const char* name) { return dlg->findChild<QLabel*>(name)->text(); }
    QPushButton* button(const char* name) { return dlg->findChild<QPushButton*>(name); }
    QProgressBar* bar(const char* name) { return dlg->findChild<QProgressBar*>(name); }

    // Ticks until the session leaves idle for look; returns the ticks taken.
    int ticksUntilNoticed(int limit = 10) {
        for (int n = 1; n <= limit; ++n) {
            tick();
            if (dlg->session().state() == SessionState::Look) return n;
        }
        return -1;
    }

    Bench bench;
    std::unique_ptr<CKeyFetchDlg> dlg;
};

}  // namespace

TEST_F(MainDialogTicks, APluggedDemoKeyIsShownAndStartEnabledWithinThreeTicksOfBeingNoticed) {
    bench.plug(bench.makeDemoKey("demo"));
    const int noticed = ticksUntilNoticed();
    ASSERT_GE(noticed, 1);
    EXPECT_LE(noticed, 3) << "the idle state asks the key every third tick";
    EXPECT_FALSE(button("IDC_1")->isEnabled());
    tick();  // look: key information
    EXPECT_EQ(label("IDC_1003"), "0110");
    EXPECT_EQ(label("IDC_1004"), "0012345678");
    EXPECT_EQ(label("IDC_1002"), "OLTREX-Key Initialisierung. Bitte einen Moment warten!");
    tick();  // read: directory
    EXPECT_EQ(label("IDC_1005"), "12 / 12");
    EXPECT_EQ(label("IDC_1006"), "( Gen1: 6, Gen2: 6 )");
    EXPECT_EQ(label("IDC_1002"), "");
    EXPECT_TRUE(button("IDC_1")->isEnabled()) << "enabled on the third tick after the key was noticed";
}

TEST_F(MainDialogTicks, WithoutAKeyStartStaysDisabledAndTheFieldsShowDots) {
    for (int i = 0; i < 8; ++i) tick();
    EXPECT_FALSE(button("IDC_1")->isEnabled());
    EXPECT_EQ(label("IDC_1003"), "...");
    EXPECT_EQ(label("IDC_1004"), "...");
    EXPECT_EQ(label("IDC_1005"), "...");
    EXPECT_EQ(dlg->session().state(), SessionState::Look) << "look retries every tick";
}

TEST_F(MainDialogTicks, UnpluggingShowsDotsOnceTheIdleCheckNoticesIt) {
    bench.plug(bench.makeDemoKey("demo"));
    ticksUntilNoticed();
    tick();
    tick();
    ASSERT_TRUE(button("IDC_1")->isEnabled());

    bench.unplug(bench.root / "away");
    const int noticed = ticksUntilNoticed();
    ASSERT_GE(noticed, 1);
    EXPECT_LE(noticed, 3);
    tick();  // look clears the fields and asks again
    EXPECT_EQ(label("IDC_1003"), "...");
    EXPECT_EQ(label("IDC_1004"), "...");
    EXPECT_EQ(label("IDC_1005"), "...");
    EXPECT_EQ(label("IDC_1006"), "");
    EXPECT_FALSE(button("IDC_1")->isEnabled());
}

TEST_F(MainDialogTicks, AKeyWithOnlyItsOwnFilesLeavesStartDisabled) {
    const fs::path key = bench.root / "own-files";
    simkey::KeyIdentity id;
    ASSERT_TRUE(simkey::createKey(key, id));
    ASSERT_TRUE(simkey::writeKeyFile(key, "oltrexlog_2022.txt", std::vector<std::uint8_t>(200, 0x78)));
    ASSERT_TRUE(simkey::writeKeyFile(key, "TREP_00_622B5715", std::vector<std::uint8_t>(32, 1)));
    bench.plug(key);
    ticksUntilNoticed();
    tick();
    tick();
    EXPECT_EQ(label("IDC_1005"), "0 / 0");
    EXPECT_FALSE(button("IDC_1")->isEnabled());
    button("IDC_1")->click();
    EXPECT_NE(dlg->session().state(), SessionState::Write);
}

TEST_F(MainDialogTicks, StartDownloadsOneFilePerTickAndTheCountersAndBarFollow) {
    bench.plug(bench.makeDemoKey("demo"));
    ticksUntilNoticed();
    tick();
    tick();
    ASSERT_TRUE(button("IDC_1")->isEnabled());

    button("IDC_1")->click();
    EXPECT_FALSE(button("IDC_1")->isEnabled());
    EXPECT_FALSE(button("IDC_4")->isEnabled()) << "no SD-card import while a download runs";
    EXPECT_TRUE(bar("IDC_1007")->isVisibleTo(dlg.get()));

    int lastPercent = 0;
    for (int done = 1; done <= 12; ++done) {
        tick();
        EXPECT_EQ(label("IDC_1005"), QString("%1 / 12").arg(12 - done));
        EXPECT_GE(bar("IDC_1001")->value(), lastPercent);
        lastPercent = bar("IDC_1001")->value();
        if (done < 12) {
            EXPECT_FALSE(button("IDC_1")->isEnabled());
            EXPECT_FALSE(button("IDC_4")->isEnabled());
        }
    }
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(label("IDC_1006"), "( Gen1: 0, Gen2: 0 )");
    EXPECT_TRUE(dlg->session().lastRun().allFiled());

    tick();  // look
    tick();  // read: the directory again
    EXPECT_EQ(label("IDC_1005"), "0 / 0");
    EXPECT_FALSE(button("IDC_1")->isEnabled());
    EXPECT_TRUE(button("IDC_4")->isEnabled());
    EXPECT_FALSE(bar("IDC_1007")->isVisibleTo(dlg.get()));
    // Only the key's own files are left on it.
    EXPECT_EQ(simkey::listKeyFiles(bench.adapter).size(), 2u);
    EXPECT_EQ(filesIn(bench.containers).size(), 12u);
}

TEST_F(MainDialogTicks, TheCheckBoxAtStartDecidesOnEuFiles) {
    bench.plug(bench.makeDemoKey("demo"));
    ticksUntilNoticed();
    tick();
    tick();
    dlg->findChild<QCheckBox*>("IDC_1000")->setChecked(true);
    button("IDC_1")->click();
    tick();
    EXPECT_EQ(filesIn(bench.containers / "EU").size(), 1u);
}

TEST_F(MainDialogTicks, TheActivityBarCyclesInTenPercentStepsWhileAFileIsRead) {
    auto* activity = bar("IDC_1007");
    auto step = [&] {
        dlg->animateOnce();
        QCoreApplication::sendPostedEvents();
        return activity->value();
    };
    EXPECT_EQ(step(), 0) << "before the first read";
    EXPECT_EQ(step(), 0);
    dlg->activity().setStep(ActivityAnimation::kReadStarted);
    std::vector<int> seen;
    for (int i = 0; i < 12; ++i) seen.push_back(step());
    EXPECT_EQ(seen, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 10, 20}));
    dlg->activity().setStep(ActivityAnimation::kReadDone);
    EXPECT_EQ(step(), 100);
    EXPECT_EQ(step(), 100) << "stands at 100 % after the read";
}
