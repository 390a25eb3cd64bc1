// The console front end on the simulated key, as the KeyFetch program runs it.
#include <gtest/gtest.h>

#include <thread>

#include "ConsoleRun.h"
#include "oltrex/testdata/DemoKey.h"

using namespace kftest;
using namespace oltrex::console;

using Outcome = ConsoleOutcome;

TEST(HeadlessRun, downloadsTheDemoKeyAndEndsWithStatusZero) {
    SimulatedRig rig;
    rig.makeKey(oltrex::testdata::demoKeyFiles());
    const Outcome o = runConsole(rig, downloadOptions());
    EXPECT_EQ(o.status, kExitAllFiled) << o.output;
    EXPECT_NE(o.output.find("Start: 12 file(s) to download."), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("Download: 12 / 12 ( Gen1: 6, Gen2: 6 ) | 0 %"), std::string::npos);
    EXPECT_NE(o.output.find("Download: 0 / 12 ( Gen1: 0, Gen2: 0 ) | 100 %"), std::string::npos);
    EXPECT_NE(o.output.find("Summary: 12 of 12 listed files filed."), std::string::npos);
    EXPECT_NE(o.output.find("The key now lists 0 usable files."), std::string::npos);
    EXPECT_EQ(rig.filesIn(rig.containers / "EU").size(), 12u);
    EXPECT_EQ(rig.keyFileNames().size(), 2u);
}

TEST(HeadlessRun, endsWithStatusOneWhenFilesStayOnTheKey) {
    SimulatedRig rig;
    rig.makeKey(oltrex::testdata::demoKeyFiles());
    oltrex::simkey::KeyFaults faults;
    faults.failRead = {"V_C37719C_62289EFD"};
    ASSERT_TRUE(oltrex::simkey::setFaults(rig.keyFolder, faults));
    const Outcome o = runConsole(rig, downloadOptions());
    EXPECT_EQ(o.status, kExitFilesLeft);
    EXPECT_NE(o.output.find("left on the key: V_C37719C_62289EFD (key read failed)"),
              std::string::npos)
        << o.output;
    EXPECT_NE(o.output.find("Summary: 11 of 12 listed files filed."), std::string::npos);
}

TEST(HeadlessRun, endsAtOnceForAKeyWithoutUsableFiles) {
    SimulatedRig rig;
    rig.makeKey({});
    const Outcome o = runConsole(rig, downloadOptions());
    EXPECT_EQ(o.status, kExitAllFiled);
    EXPECT_NE(o.output.find("nothing to download"), std::string::npos) << o.output;
}

TEST(HeadlessRun, givesUpWaitingForAKey) {
    SimulatedRig rig;  // no key folder
    ConsoleOptions options = downloadOptions();
    options.waitSeconds = 0;
    const Outcome o = runConsole(rig, options);
    EXPECT_EQ(o.status, kExitNoDownload);
    EXPECT_NE(o.output.find("giving up"), std::string::npos) << o.output;
}

TEST(HeadlessRun, stopsAfterTheCurrentFileWhenAskedAndKeepsTheRestOnTheKey) {
    SimulatedRig rig;
    rig.makeKey(oltrex::testdata::demoKeyFiles());
    oltrex::simkey::KeyFaults faults;
    faults.readDelayMs = 50;
    ASSERT_TRUE(oltrex::simkey::setFaults(rig.keyFolder, faults));
    StopRequest stop;
    std::thread user([&] {
        // Ctrl-C once the first container is there.
        for (int i = 0; i < 2000 && rig.filesIn(rig.containers).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stop.request();
    });
    const Outcome o = runConsole(rig, downloadOptions(), &stop);
    user.join();
    EXPECT_EQ(o.status, kExitFilesLeft) << o.output;
    EXPECT_NE(o.output.find("(not handled: the download was stopped)"), std::string::npos)
        << o.output;
    const std::size_t filedCount = rig.filesIn(rig.containers).size();
    EXPECT_GE(filedCount, 1u);
    EXPECT_LT(filedCount, 12u);
    EXPECT_EQ(rig.keyFileNames().size(), 14u - filedCount);
    EXPECT_TRUE(rig.filesIn(rig.work).empty());
}
