// oltrex-bootsim as a program: its link, its command line, its idle end.
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

class BootSimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("OLTREX_BIN");
        if (!bin || !fs::exists(fs::path(bin) / "oltrex-bootsim")) {
            GTEST_SKIP() << "OLTREX_BIN does not hold oltrex-bootsim";
        }
        exe = (fs::path(bin) / "oltrex-bootsim").string();
        std::string pattern = (fs::temp_directory_path() / "oltrex-bootsim-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        link = folder / "ttyKey";
    }
    void TearDown() override {
        std::error_code ec;
        if (!folder.empty()) fs::remove_all(folder, ec);
    }
    // Runs the simulator to its end (at most `seconds`); its exit status.
    int run(std::vector<std::string> args, int seconds = 5) {
        args.insert(args.begin(), exe);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
        for (int i = 0; i < seconds * 100; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            if (fs::is_symlink(fs::symlink_status(link))) sawLink = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -3;
    }
    std::string exe;
    fs::path folder, link;
    bool sawLink = false;
};

TEST_F(BootSimProgram, PublishesItsLineAndLeavesWhenIdleTakingTheLinkAlong) {
    EXPECT_EQ(run({"--link", link.string(), "--idle-timeout", "1"}), 2);
    EXPECT_TRUE(sawLink);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(BootSimProgram, TakesItsLinkFromTheEnvironmentWhenNotGiven) {
    ::setenv("OLTREX_FTDI_PORT", link.c_str(), 1);
    EXPECT_EQ(run({"--idle-timeout", "1"}), 2);
    ::unsetenv("OLTREX_FTDI_PORT");
    EXPECT_TRUE(sawLink);
}

TEST_F(BootSimProgram, LeavesAnOrdinaryFileAtTheLinkPathAlone) {
    { std::ofstream(link) << "not ours"; }
    EXPECT_EQ(run({"--link", link.string(), "--idle-timeout", "1"}), 1);
    std::ifstream in(link);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "not ours");
}

TEST_F(BootSimProgram, ReplacesTheStaleLinkOfAnEarlierSimulator) {
    fs::create_symlink("/dev/pts/9999", link);
    EXPECT_EQ(run({"--link", link.string(), "--idle-timeout", "1"}), 2);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(BootSimProgram, RefusesABadCommandLine) {
    ::unsetenv("OLTREX_FTDI_PORT");
    EXPECT_EQ(run({"--idle-timeout", "1"}), 64);
    EXPECT_EQ(run({"--link", link.string(), "--drop", "0"}), 64);
    EXPECT_EQ(run({"--link", link.string(), "--frobnicate"}), 64);
    EXPECT_FALSE(sawLink);
}

}  // namespace
