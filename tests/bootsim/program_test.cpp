// oltrex-bootsim as a program: its link, its command line, its idle end, and
// its refusal of a line that the PC has not set up as the key needs it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <termios.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/Framing.h"

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
    EXPECT_EQ(run({"--link", link.string(), "--delay", "0"}), 64);
    EXPECT_EQ(run({"--link", link.string(), "--delay", "100@"}), 64);
    EXPECT_EQ(run({"--link", link.string(), "--corrupt", "3"}), 64);
    EXPECT_EQ(run({"--link", link.string(), "--corrupt", "0:1"}), 64);
    EXPECT_FALSE(sawLink);
}

// The simulator running beside the test, its standard error in a file.
class RunningSimulator {
public:
    RunningSimulator(const std::string& exe, const fs::path& link, const fs::path& errors) {
        std::vector<std::string> args = {exe, "--link", link.string(), "--idle-timeout", "10"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        ::posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; pid_ > 0 && i < 300 && !fs::is_symlink(fs::symlink_status(link)); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~RunningSimulator() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = 0;
};

// The first block of a transfer as line bytes.
std::vector<std::uint8_t> firstBlockLine() {
    std::array<std::uint8_t, oltrex::kFrameBufferSize> frame{};
    const std::uint8_t data[] = {0x11, 0x22, 0x00};
    const std::size_t n = oltrex::buildDataBlock(frame.data(), oltrex::kFirstBlockAddress, data, sizeof data);
    return oltrex::stuffedFrame(frame.data(), n);
}

// Writes `line` and collects what comes back within `ms`.
std::vector<std::uint8_t> exchange(int fd, const std::vector<std::uint8_t>& line, int ms) {
    EXPECT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    std::vector<std::uint8_t> answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (answer.size() < 3) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        std::uint8_t buffer[16];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) answer.insert(answer.end(), buffer, buffer + n);
    }
    return answer;
}

void setKeyLine(int fd) {
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B115200);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
}

TEST_F(BootSimProgram, AnswersOnlyOnALineSetTo115200Baud8N1RawAndSaysWhyNot) {
    const fs::path errors = folder / "errors.txt";
    RunningSimulator simulator(exe, link, errors);
    ASSERT_TRUE(simulator.started());
    const std::vector<std::uint8_t> ack = {0x00, 0x06, 0x01};
    {
        const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        // A cooked terminal line at its own speed: the key makes nothing of it.
        EXPECT_TRUE(exchange(fd, firstBlockLine(), 300).empty());
        setKeyLine(fd);
        EXPECT_EQ(exchange(fd, firstBlockLine(), 3000), ack);
        ::close(fd);
    }
    std::string text;
    std::getline(std::ifstream(errors), text);
    EXPECT_NE(text.find("not set to 115200 baud 8N1 raw without flow control (38400 baud"), std::string::npos)
        << text;
    EXPECT_NE(text.find("not raw (ICRNL OPOST ICANON"), std::string::npos) << text;
    // The next user finds the line as a fresh terminal again and must set it up.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(exchange(fd, firstBlockLine(), 300).empty());
    ::close(fd);
}

}  // namespace
