// The KeyRefresh program itself: single instance, terminal mode, exit statuses.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "SimulatedKey.h"
#include "oltrex/keyrefresh/HeadlessRefresh.h"
#include "oltrex/platform/InstanceLock.h"

namespace oltrex {
namespace {

using test::readText;
using test::ScratchFolder;
using test::SimulatedKey;

std::string keyRefresh() {
    const char* bin = std::getenv("OLTREX_BIN");
    std::error_code ec;
    const fs::path folder =
        bin && *bin ? fs::path(bin) : fs::read_symlink("/proc/self/exe", ec).parent_path();
    return fs::exists(folder / "KeyRefresh") ? (folder / "KeyRefresh").string() : std::string();
}

// Exit status of the command, or -1 when it had to be stopped after 20 s.
int run(const std::string& arguments, const fs::path& output) {
    const std::string command =
        "timeout 20 '" + keyRefresh() + "' " + arguments + " >'" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 124) return -1;
    return WEXITSTATUS(status);
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (keyRefresh().empty()) GTEST_SKIP() << "KeyRefresh is not built beside the tests";
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ScratchFolder scratch;
};

TEST_F(ProgramTest, TheTerminalModeUpdatesTheKeyAndEndsWithStatusZero) {
    SimulatedKey key(scratch, "0110");
    setenv("TMPDIR", (scratch / "tmp").c_str(), 1);
    const int status = run("--headless --accept-conditions", scratch / "out.txt");
    unsetenv("TMPDIR");
    const std::string output = readText(scratch / "out.txt");
    EXPECT_EQ(status, kExitUpdated) << output;
    EXPECT_NE(output.find("erfolgreich durchgeführt."), std::string::npos) << output;
    EXPECT_NE(key.infoTextWhenSettled().find("FW-0120"), std::string::npos);
    const std::string log = readText(scratch / "data" / "OLTREXKeyRefresh.log");
    EXPECT_NE(log.find("] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"), std::string::npos);
    EXPECT_NE(log.find("] Programm Ende\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(scratch / "tmp" / "LogKeyRefresh.txt"));
}

TEST_F(ProgramTest, TheTerminalModeNeedsTheConditionsAccepted) {
    SimulatedKey key(scratch, "0110");
    EXPECT_EQ(run("--headless", scratch / "out.txt"), kExitConditionsNotAccepted);
    EXPECT_FALSE(fs::exists(scratch / "data" / "OLTREXKeyRefresh.log"));
}

TEST_F(ProgramTest, ASecondInstanceEndsAtOnce) {
    SimulatedKey key(scratch, "0110");
    InstanceLock first("OLTREX-KeyRefresh", scratch / "run");
    ASSERT_TRUE(first.acquired());
    const auto begin = std::chrono::steady_clock::now();
#ifdef OLTREX_KEYREFRESH_GUI
    // The window would wait for its conditions box: ending at once shows there was none.
    EXPECT_EQ(run("", scratch / "window.txt"), 0);
    EXPECT_EQ(readText(scratch / "window.txt"), "");
#endif
    EXPECT_EQ(run("--headless --accept-conditions", scratch / "out.txt"), kExitAlreadyRunning);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    EXPECT_NE(key.infoTextWhenSettled().find("FW-0110"), std::string::npos) << "key untouched";
}

}  // namespace
}  // namespace oltrex
