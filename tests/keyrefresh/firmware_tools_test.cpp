// The header tool and the image synthesiser, run as programs.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "TestSupport.h"

namespace oltrex {
namespace {

using test::readText;
using test::ScratchFolder;
using test::writeText;

// The programs lie in $OLTREX_BIN, which is also where the tests themselves lie.
std::string program(const char* name) {
    const char* bin = std::getenv("OLTREX_BIN");
    std::error_code ec;
    const fs::path folder =
        bin && *bin ? fs::path(bin) : fs::read_symlink("/proc/self/exe", ec).parent_path();
    return fs::exists(folder / name) ? (folder / name).string() : std::string();
}

int run(const std::string& command) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

class FirmwareToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (program("oltrex-fwheader").empty() || program("oltrex-fwsynth").empty())
            GTEST_SKIP() << "oltrex-fwheader and oltrex-fwsynth are not built beside the tests";
        unsetenv("OLTREX_FW_DIR");
        setenv("OLTREX_DATA_DIR", (scratch / "data").c_str(), 1);
        fs::create_directories(folder);
        fs::copy_file(OLTREX_KEYREFRESH_FIRMWARE_DIR "/FW_Update.a79", folder / "FW_Update.a79");
        fs::copy_file(OLTREX_KEYREFRESH_FIRMWARE_DIR "/fw_version.h", folder / "fw_version.h");
    }
    void TearDown() override {
        unsetenv("OLTREX_FW_DIR");
        unsetenv("OLTREX_DATA_DIR");
    }

    ScratchFolder scratch;
    const fs::path folder = scratch / "KeyRefresh2" / "1.20";
};

TEST_F(FirmwareToolsTest, TheHeaderToolRunsTheWholePathAndLogsIt) {
    ASSERT_EQ(run(program("oltrex-fwheader") + " " + quoted(folder)), 0);
    EXPECT_NE(readText(folder / "fw.h").find("#define FW_LEN 45096\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(scratch / "KeyRefresh2" / "fw120.h"));
    const std::string log = readText(scratch / "data" / "OLTREXKeyRefresh.log");
    EXPECT_NE(log.find("] Make FW 120\r\n"), std::string::npos) << log;
}

TEST_F(FirmwareToolsTest, TheEnvironmentFolderWinsOverTheCommandLine) {
    setenv("OLTREX_FW_DIR", folder.c_str(), 1);
    ASSERT_EQ(run(program("oltrex-fwheader") + " --no-log " + quoted(scratch / "elsewhere")), 0);
    EXPECT_TRUE(fs::exists(folder / "fw120.h"));
    EXPECT_FALSE(fs::exists(scratch / "data")) << "--no-log leaves the update log alone";
}

TEST_F(FirmwareToolsTest, TheHeaderToolFailsOnACorruptImage) {
    std::string records = readText(folder / "FW_Update.a79");
    const auto line = records.find("\nS2") + 1;
    records[line + 12] = records[line + 12] == 'A' ? 'B' : 'A';
    writeText(folder / "FW_Update.a79", records);
    EXPECT_EQ(run(program("oltrex-fwheader") + " --no-log " + quoted(folder)), 1);
    EXPECT_FALSE(fs::exists(folder / "fw.h"));
}

TEST_F(FirmwareToolsTest, TheHeaderToolWithoutAFolderShowsItsUsage) {
    EXPECT_EQ(run(program("oltrex-fwheader") + " --no-log"), 2);
}

TEST_F(FirmwareToolsTest, TheHeaderToolTurnsOneFileIntoOneHeader) {
    const fs::path header = scratch / "one.h";
    ASSERT_EQ(run(program("oltrex-fwheader") + " --srec " + quoted(folder / "FW_Update.a79") +
                  " --version " + quoted(folder / "fw_version.h") + " --header " + quoted(header)),
              0);
    EXPECT_EQ(readText(header).rfind("#ifndef __FIRMWARE_H__\r\n", 0), 0u);
    EXPECT_FALSE(fs::exists(scratch / "data"));
}

TEST_F(FirmwareToolsTest, TheSynthesiserRegeneratesTheCommittedImagesByteForByte) {
    struct Image {
        const char* folder;
        const char* arguments;
    };
    const Image images[] = {
        {OLTREX_KEYREFRESH_FIRMWARE_DIR,
         "--length 45096 --version 1.20 --description 'ComP FW-0120' --seed 120"},
        {OLTREX_FWFLASHER_FIRMWARE_DIR,
         "--length 31364 --version 1.14 --description 'ComP FW-0114' --seed 114"},
    };
    for (const Image& image : images) {
        const fs::path out = scratch / "synth";
        fs::remove_all(out);
        fs::create_directories(out);
        ASSERT_EQ(run(program("oltrex-fwsynth") + " " + image.arguments + " --out " + quoted(out)),
                  0);
        EXPECT_EQ(readText(out / "FW_Update.a79"),
                  readText(fs::path(image.folder) / "FW_Update.a79"))
            << image.folder;
        EXPECT_EQ(readText(out / "fw_version.h"), readText(fs::path(image.folder) / "fw_version.h"))
            << image.folder;
    }
}

}  // namespace
}  // namespace oltrex
