// The KeyFetch program's --sd-import option: the import runs in the program,
// prints its closing message and leaves a plugged key alone.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include <sstream>

#include "KeyTool.h"
#include "PlainKeyNames.h"
#include "SdImportKit.h"
#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/simkey/KeyFolder.h"

using namespace sdtest;

namespace {

struct ProgramRun {
    int status = -1;
    std::string output;
};

ProgramRun runProgram(const std::string& command) {
    ProgramRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class ProgramSdImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("OLTREX_BIN");
        if (bin == nullptr || !fs::exists(fs::path(bin) / "KeyFetch"))
            GTEST_SKIP() << "the KeyFetch program is not built beside the tests";
        program = fs::path(bin) / "KeyFetch";
        std::error_code ec;
        root = oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-sd-program-", ec);
        ASSERT_FALSE(ec) << ec.message();
        fs::create_directories(root / "card");
        fs::create_directories(root / "containers");
        std::ofstream(root / "registry.ini") << "[Software\\OLTREX\\Tachograph]\nContainerPath="
                                             << (root / "containers").string() << "\n";
    }
    void TearDown() override {
        if (!root.empty()) fs::remove_all(root);
    }
    ProgramRun import(const std::string& extra = {}) {
        return runProgram("OLTREX_REGISTRY='" + (root / "registry.ini").string() + "' OLTREX_KEY='" +
                          (root / "key").string() + "' '" + program.string() + "' --sd-import='" +
                          (root / "card").string() + "' " + extra + " </dev/null 2>&1");
    }
    fs::path program;
    fs::path root;
};

}  // namespace

TEST_F(ProgramSdImportTest, FilesTheCardsFilesAndPrintsTheClosingMessage) {
    writeBytes(root / "card" / "a.dlb", cardSecureForm("a.dlb", vehicleUnitFile({0x7602})));
    writeBytes(root / "card" / "b.2.dlb", cardSecureForm("b.2.dlb", vehicleUnitFile({0x7622})));
    writeBytes(root / "card" / "AB.DLB.BAK", vehicleUnitFile({0x7602}));
    const ProgramRun run = import("--make-eu");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "Es wurden 2 Container erfolgreich erstellt.\n");
    EXPECT_EQ(filesIn(root / "containers", ".dlc").size(), 2u);
    EXPECT_EQ(filesIn(root / "containers" / "EU").size(), 2u);
}

TEST_F(ProgramSdImportTest, LeavesAKeyFileOfTheSameNameOnThePluggedKey) {
    ASSERT_TRUE(oltrex::simkey::createKey(root / "key", {}));
    const Bytes keyFile = vehicleUnitFile({0x7602});
    ASSERT_TRUE(oltrex::simkey::writeKeyFile(root / "key", "a.dlb", keyFile));
    writeBytes(root / "card" / "a.dlb", cardSecureForm("a.dlb", keyFile));
    const ProgramRun run = import();
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(oltrex::simkey::readKeyFile(root / "key", "a.dlb").has_value());
}

TEST_F(ProgramSdImportTest, AnEmptyCardEndsWithTheErrorText) {
    const ProgramRun run = import();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "Es wurden keine verwertbaren Dateien gefunden.\n");
}

TEST_F(ProgramSdImportTest, TheKeyToolsCardFilesGiveTheNamesOfAPlainKeysDownload) {
    if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built";
    std::ostringstream out, err;
    ASSERT_EQ(oltrex::keytool::runKeyTool({"sdcard", (root / "card").string()}, out, err), 0) << err.str();
    const ProgramRun run = import("--make-eu");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "Es wurden 12 Container erfolgreich erstellt.\n");
    EXPECT_EQ(namesWithoutTime(root / "containers"), plainKeyNamesWithoutTime());
    for (const auto& name : filesIn(root / "containers", ".dlc")) {
        const auto read = oltrex::dlc::readContainerFile(root / "containers" / name);
        EXPECT_TRUE(read.ok()) << name << ": " << read.message;
    }
    EXPECT_EQ(filesIn(root / "containers" / "EU").size(), 12u);
}

TEST_F(ProgramSdImportTest, ACardFileThatCannotBeFiledWholeIsKeptAndNamed) {
    Bytes cut = vehicleUnitFile({0x7602, 0x7603});
    cut.resize(cut.size() - 3);
    writeBytes(root / "card" / "a.dlb", cardSecureForm("a.dlb", cut));
    const ProgramRun run = import();
    EXPECT_EQ(run.status, 4) << run.output;
    const fs::path kept = root / "containers" / "Unvollstaendig" / "a.dlb";
    EXPECT_NE(run.output.find("a.dlb: not all of it could be filed (the block 0x7603 at offset"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("the card file is kept as " + kept.string()), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Es wurden keine verwertbaren Dateien gefunden."), std::string::npos) << run.output;
    EXPECT_EQ(readBytes(kept), readBytes(root / "card" / "a.dlb"));
    EXPECT_EQ(filesIn(root / "containers", ".dlc").size(), 1u);  // the whole first block
}
