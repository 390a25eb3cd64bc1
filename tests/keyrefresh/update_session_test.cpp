// What the pages and the update worker share: flags, busy bar, result and
// the log entries of the finished page; and the main window's page order.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "oltrex/keyrefresh/PageSequencer.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/keyrefresh/UpdateSession.h"

namespace oltrex {
namespace {

using test::FakeClock;
using test::readText;
using test::ScratchFolder;

class UpdateSessionTest : public ::testing::Test {
  protected:
    std::string logText() const { return readText(scratch / "OLTREXKeyRefresh.log"); }

    ScratchFolder scratch;
    FakeClock clock;
    CWLog log{scratch / "OLTREXKeyRefresh.log", clock};
    UpdateSession session{&log};
};

TEST_F(UpdateSessionTest, StartingWithZeroPreparesThePageWithoutAWorker) {
    int launched = 0;
    EXPECT_FALSE(session.start(0, [&] { ++launched; }));
    EXPECT_EQ(launched, 0);
    EXPECT_FALSE(session.running());
    EXPECT_FALSE(session.active());
}

TEST_F(UpdateSessionTest, StartingWithOneRunsTheWorkerAndShowsTheVersions) {
    session.takeOver("OX00123456", "1.10", "1.20");
    EXPECT_EQ(session.fromToText(), "von Firmware 1.10 zu 1.20");
    bool runningWhenLaunched = false;
    EXPECT_TRUE(session.start(1, [&] { runningWhenLaunched = session.running(); }));
    EXPECT_TRUE(runningWhenLaunched) << "running is set before the worker starts";
    EXPECT_TRUE(session.active());
    EXPECT_EQ(session.keySerial(), "OX00123456");
    EXPECT_EQ(session.newFirmwareVersion(), "1.20");
}

TEST_F(UpdateSessionTest, TheBusyBarSweepsAndWrapsUntilTheWorkerEnds) {
    session.start(1, [] {});
    for (int i = 1; i < 100; ++i) {
        ASSERT_FALSE(session.tick());
        ASSERT_EQ(session.progress(), i);
    }
    EXPECT_FALSE(session.tick());
    EXPECT_EQ(session.progress(), 0) << "100 wraps to 0";
    for (int i = 0; i < 350; ++i) ASSERT_FALSE(session.tick()) << "however long the transfer takes";

    session.clearRunning();
    EXPECT_TRUE(session.tick());
    EXPECT_FALSE(session.active());
    EXPECT_FALSE(session.tick()) << "no further ticks once it ended";
}

TEST_F(UpdateSessionTest, ASuccessfulResultIsLoggedWithTheKeySerial) {
    session.setOutcome(1);
    session.setKeySerial("OX00123456");
    session.showResult("Datum:...");
    EXPECT_EQ(session.resultText(), "Datum:...");
    EXPECT_EQ(logText(), "[2024.03.05_14.07.09.042] Update erfolgreich. ( Key: OX00123456 ) \r\n");
    session.logFertig();
    session.logBeenden();
    EXPECT_NE(logText().find("] Programm Weiter\r\n"), std::string::npos);
    EXPECT_NE(logText().find("] Programm Ende\r\n"), std::string::npos);
}

TEST_F(UpdateSessionTest, AFailedResultNamesTheKeyAndLeavesEmptyEntriesAfterwards) {
    session.setOutcome(-1);
    session.setKeySerial("OX00123456");
    session.showResult("Update konnte nicht erfolgreich durchgeführt werden.");
    EXPECT_EQ(session.resultText(),
              "Update konnte nicht erfolgreich durchgeführt werden.\r\nSeriennummer: OX00123456");
    session.logFertig();
    session.logBeenden();
    EXPECT_EQ(logText(),
              "[2024.03.05_14.07.09.042] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"
              "[2024.03.05_14.07.09.042] \r\n"
              "[2024.03.05_14.07.09.042] \r\n");
}

TEST_F(UpdateSessionTest, AFailureTextThatNamesTheKeyAlreadyIsKept) {
    session.setOutcome(-1);
    session.setKeySerial("OX00123456");
    session.showResult("Key OX00123456 nicht aktualisiert.");
    EXPECT_EQ(session.resultText(), "Key OX00123456 nicht aktualisiert.");
}

TEST_F(UpdateSessionTest, TheResultListenerHearsOfEveryResult) {
    int heard = 0;
    session.setResultListener([&] { ++heard; });
    session.showResult("x");
    EXPECT_EQ(heard, 1);
}

TEST_F(UpdateSessionTest, WithoutALogThePagesWriteNothing) {
    UpdateSession unlogged;
    unlogged.showResult("x");
    unlogged.logBeenden();
    EXPECT_FALSE(fs::exists(scratch / "OLTREXKeyRefresh.log"));
}

TEST(PageSequencerTest, PagesFollowKeyUpdateFinishedAndBackToKey) {
    PageSequencer pages;
    EXPECT_EQ(pages.advance(false), kKeyPage);
    EXPECT_EQ(pages.advance(false), kUpdatePage);
    EXPECT_EQ(pages.advance(false), kFinishedPage);
    EXPECT_EQ(pages.advance(false), kKeyPage);
    EXPECT_EQ(pages.index(), kKeyPage);
}

TEST(PageSequencerTest, NothingMovesWhileTheUpdateIsActive) {
    PageSequencer pages;
    pages.advance(false);
    pages.advance(false);
    EXPECT_EQ(pages.advance(true), std::nullopt);
    EXPECT_EQ(pages.index(), kUpdatePage);
}

}  // namespace
}  // namespace oltrex
