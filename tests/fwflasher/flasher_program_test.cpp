// The FwFlasher program in its terminal mode against the simulated key and
// the boot-loader simulator it starts: its command line and exit statuses.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    std::string output;
};

class FlasherProgram : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("OLTREX_BIN");
        if (!bin) GTEST_SKIP() << "OLTREX_BIN is not set (run through CTest)";
        program_ = fs::path(bin) / "FwFlasher";
        if (!fs::exists(program_)) GTEST_SKIP() << "FwFlasher was not built";
        std::string pattern = (fs::temp_directory_path() / "fwflasher-program-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "key" / "files");
        std::ofstream(root_ / "key" / "key.ini")
            << "[key]\nseries=OX\nnumber=0012345678\nfirmware=0110\nbootloader=0\n";
    }
    void TearDown() override {
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }

    // `faults`: more arguments for the boot-loader simulator.
    ProgramRun run(const std::string& arguments, const std::string& faults = "") {
        const std::string command = "env OLTREX_KEY='" + (root_ / "key").string() +
                                    "' OLTREX_FTDI_PORT='" + (root_ / "ftdi").string() +
                                    "' OLTREX_BOOTSIM_ARGS='--idle-timeout 20 " + faults +
                                    "' QT_QPA_PLATFORM=offscreen '" + program_.string() + "' " +
                                    arguments + " 2>&1";
        ProgramRun result;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return result;
        std::array<char, 4096> chunk{};
        while (std::fgets(chunk.data(), chunk.size(), pipe)) result.output += chunk.data();
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    std::string keyIni() {
        std::ifstream in(root_ / "key" / "key.ini");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path program_;
    fs::path root_;
};

TEST_F(FlasherProgram, FlashesTheKeyInTheTerminalWhenTheConditionsAreAccepted) {
    const ProgramRun result = run("--headless --accept-conditions /d");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Status: Datentransfer abgeschlossen"), std::string::npos);
    EXPECT_NE(result.output.find("  send eSystemReboot"), std::string::npos) << "/d shows the memo";
    // The simulator stores the image after it has sent its last answer.
    for (int i = 0; i < 200 && keyIni().find("firmware=0114") == std::string::npos; ++i) {
        ::usleep(10000);
    }
    EXPECT_NE(keyIni().find("firmware=0114"), std::string::npos);
    EXPECT_EQ(fs::file_size(root_ / "key" / "firmware.bin"), 31364u);
}

// The boot loader answers one frame late (inside the answer time-out) and
// spoils the code of another answer: FwFlasher sends that frame again and
// flashes the key all the same.
TEST_F(FlasherProgram, FlashesThroughALateAndASpoiltAnswer) {
    const ProgramRun result =
        run("--headless --accept-conditions /d", "--delay 600@6 --corrupt 9:1");
    EXPECT_EQ(result.status, 0) << result.output;
    std::size_t unknown = 0;
    for (std::size_t at = 0; (at = result.output.find("  unknown cmd/answer", at)) != std::string::npos;
         ++at)
        ++unknown;
    EXPECT_EQ(unknown, 1u) << result.output;
    for (int i = 0; i < 200 && keyIni().find("firmware=0114") == std::string::npos; ++i) {
        ::usleep(10000);
    }
    EXPECT_NE(keyIni().find("firmware=0114"), std::string::npos);
}

TEST_F(FlasherProgram, EndsWithoutTouchingTheKeyWhenTheConditionsAreNotAccepted) {
    const ProgramRun result = run("--headless");
    EXPECT_EQ(result.status, 3) << result.output;
    EXPECT_NE(keyIni().find("bootloader=0"), std::string::npos);
}

TEST_F(FlasherProgram, RefusesAnUnknownOptionInTheTerminalMode) {
    const ProgramRun result = run("--headless --accept-conditions --fast");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("usage: FwFlasher"), std::string::npos);
}

}  // namespace
