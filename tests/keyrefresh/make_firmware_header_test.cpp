// The whole header path in its folder: parse, generate, wrap, copy up, log.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>

#include "TestSupport.h"
#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/UpdateLog.h"

namespace oltrex {
namespace {

using test::bytesFrom;
using test::FakeClock;
using test::readText;
using test::ScratchFolder;
using test::sRecord;
using test::writeText;

class MakeFirmwareHeaderTest : public ::testing::Test {
  protected:
    MakeFirmwareHeaderTest() { fs::create_directories(folder); }
    void writeInputs() {
        writeText(folder / "FW_Update.a79", sRecord('0', 0, {'C', 'o', 'm', 'P'}) +
                                                sRecord('1', 0x8000, bytesFrom(1, 20)) +
                                                sRecord('9', 0x8000, {}));
        writeText(folder / "fw_version.h", "#define FIRMWARE \"1.20\"\r\n");
    }
    MakeFirmwareHeaderResult make(CWLog* log = nullptr) {
        return makeFirmwareHeader(folder, log, image, diagnostics);
    }

    ScratchFolder scratch;
    const fs::path folder = scratch / "KeyRefresh2" / "1.20";
    const fs::path above = scratch / "KeyRefresh2";
    SRecordImage image;
    std::ostringstream diagnostics;
};

TEST_F(MakeFirmwareHeaderTest, WritesTheHeaderWrapsItAndCopiesItOneFolderUp) {
    writeInputs();
    const auto result = make();
    EXPECT_TRUE(result.ok());
    const std::string header = readText(folder / "fw.h");
    EXPECT_NE(header.find("#define FW_LEN 20\r\n"), std::string::npos);
    EXPECT_EQ(readText(folder / "fw120.h"), "#ifdef  __UPDATE_120__\r\n" + header + "#endif \r\n");
    EXPECT_EQ(readText(above / "fw120.h"), readText(folder / "fw120.h"));
}

TEST_F(MakeFirmwareHeaderTest, AFolderGivenWithATrailingSeparatorCopiesToTheSameFolderAbove) {
    writeInputs();
    EXPECT_TRUE(makeFirmwareHeader(folder.string() + "/", nullptr, image, diagnostics).ok());
    EXPECT_TRUE(fs::exists(above / "fw120.h"));
}

TEST_F(MakeFirmwareHeaderTest, TheRunIsLoggedFirst) {
    FakeClock clock;
    CWLog log(scratch / "OLTREXKeyRefresh.log", clock);
    make(&log);  // even without inputs
    EXPECT_EQ(readText(scratch / "OLTREXKeyRefresh.log"),
              "[2024.03.05_14.07.09.042] Make FW 120\r\n");
}

TEST_F(MakeFirmwareHeaderTest, ACorruptImageLeavesNoNewHeaderAndReportsFailure) {
    writeInputs();
    ASSERT_TRUE(make().ok());
    const std::string good = readText(folder / "fw.h");
    std::string corrupt = sRecord('1', 0x8000, bytesFrom(9, 20));
    corrupt[10] = corrupt[10] == '0' ? '1' : '0';
    writeText(folder / "FW_Update.a79", corrupt);

    const auto result = make();
    EXPECT_EQ(result.parse, kSRecordCorrupt);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readText(folder / "fw.h"), good) << "the corrupt image never reaches a header";
    EXPECT_NE(diagnostics.str().find("wrong checksum"), std::string::npos);
}

TEST_F(MakeFirmwareHeaderTest, WithoutAnImageAnEarlierHeaderIsStillWrappedAndCopied) {
    writeText(folder / "fw.h", "earlier\r\n");
    const auto result = make();
    EXPECT_EQ(result.parse, kSRecordCannotOpen);
    EXPECT_FALSE(result.ok()) << "the caller learns that nothing was regenerated";
    EXPECT_EQ(readText(folder / "fw120.h"), "#ifdef  __UPDATE_120__\r\nearlier\r\n#endif \r\n");
    EXPECT_EQ(readText(above / "fw120.h"), readText(folder / "fw120.h"));
}

TEST_F(MakeFirmwareHeaderTest, WithoutAVersionTheWrappedHeaderIsEmptyAndNotCopied) {
    writeInputs();
    writeText(folder / "fw_version.h", "#define FIRMWARE 1.20\r\n");
    writeText(above / "fw120.h", "previous copy");
    const auto result = make();
    EXPECT_EQ(result.generate, -4);
    EXPECT_TRUE(fs::exists(folder / "fw120.h"));
    EXPECT_EQ(readText(folder / "fw120.h"), "");
    EXPECT_FALSE(result.wrapped);
    EXPECT_EQ(readText(above / "fw120.h"), "previous copy");
}

TEST_F(MakeFirmwareHeaderTest, WithNothingInTheFolderNothingIsWritten) {
    const auto result = make();
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(fs::exists(folder / "fw.h"));
    EXPECT_FALSE(fs::exists(folder / "fw120.h"));
    EXPECT_FALSE(fs::exists(above / "fw120.h"));
}

TEST_F(MakeFirmwareHeaderTest, TheEnvironmentNamesTheFolderBeforeTheCommandLine) {
    unsetenv("OLTREX_FW_DIR");
    EXPECT_EQ(firmwareHeaderFolder("/given/1.20"), fs::path("/given/1.20"));
    setenv("OLTREX_FW_DIR", folder.c_str(), 1);
    EXPECT_EQ(firmwareHeaderFolder("/given/1.20"), folder);
    EXPECT_EQ(firmwareHeaderFolder(""), folder);
    unsetenv("OLTREX_FW_DIR");
    EXPECT_EQ(firmwareHeaderFolder(""), fs::path());
}

}  // namespace
}  // namespace oltrex
