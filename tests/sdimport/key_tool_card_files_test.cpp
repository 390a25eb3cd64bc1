// The key tool's "sdcard" command: the files an Oltrex-Funke leaves on its
// card, which the import then files.
#include <gtest/gtest.h>

#include <sstream>

#include "KeyTool.h"
#include "SdCardFiles.h"
#include "PlainKeyNames.h"
#include "SdImportKit.h"
#include "oltrex/dlcreader/ContainerReader.h"

using namespace sdtest;
using namespace oltrex;

namespace {

int keyTool(std::vector<std::string> args, std::string* output = nullptr) {
    std::ostringstream out, err;
    const int code = keytool::runKeyTool(args, out, err);
    if (output) *output = out.str() + err.str();
    return code;
}

class KeyToolCardFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built at " << cipherLibraryPath();
    }
    ImportBench bench;
    ScriptedChooser chooser;
};

}  // namespace

TEST(KeyToolCardFileNames, SecondGenerationNamesGetDlbAndFirstGenerationOnesDot1Dlb) {
    EXPECT_EQ(keytool::sdCardFileName("V_AB_2022-03-09_09-18-09.2"), "oltrex_AB_2022-03-09_09-18-09.2.dlb");
    EXPECT_EQ(keytool::sdCardFileName("V_AB_622B5715"), "oltrex_AB_622B5715.1.dlb");
    EXPECT_EQ(keytool::sdCardFileName("C_D123_622B5715.2"), "C_D123_622B5715.2.dlb");
}

TEST_F(KeyToolCardFiles, WritesTheNamedFilesInTheSecureFormAndTheImportFilesThem) {
    const fs::path card = bench.card("funke", "sdb");
    std::string output;
    ASSERT_EQ(keyTool({"sdcard", card.string(), "a.dlb", "b.1.dlb", "c.2.dlb", "C_card.dlb"}, &output), 0) << output;
    EXPECT_EQ(filesIn(card), (std::vector<std::string>{"C_card.dlb", "a.dlb", "b.1.dlb", "c.2.dlb"}));
    for (const auto& name : filesIn(card)) {
        const Bytes bytes = readBytes(card / name);
        ASSERT_GT(bytes.size(), 8u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "OXSF") << name;
    }

    SdImportResult result = bench.import().run({}, chooser);
    EXPECT_EQ(result.found, 4);
    EXPECT_EQ(result.containers(), 4);
    EXPECT_EQ(result.message->text, "Es wurden 4 Container erfolgreich erstellt.");
}

TEST_F(KeyToolCardFiles, WithoutNamesTheWholeDemoSetIsWrittenAndImported) {
    const fs::path card = bench.card("funke", "sdb");
    ASSERT_EQ(keyTool({"sdcard", card.string()}), 0);
    EXPECT_EQ(filesIn(card).size(), 12u);
    SdImportRequest request;
    request.makeEuFile = true;
    SdImportResult result = bench.import().run(request, chooser);
    EXPECT_EQ(result.containers(), 12);
    // Every file became a container of its own, named as a plain key's
    // download names it, which the container reader opens.
    EXPECT_EQ(filesIn(bench.containers).size(), 12u);
    EXPECT_EQ(filesIn(bench.containers / "EU").size(), 12u);
    EXPECT_EQ(namesWithoutTime(bench.containers), plainKeyNamesWithoutTime());
    for (const auto& name : filesIn(bench.containers)) {
        EXPECT_TRUE(name.rfind("V_", 0) == 0 || name.rfind("S_", 0) == 0 || name.rfind("C_", 0) == 0) << name;
        const auto read = oltrex::dlc::readContainerFile(bench.containers / name);
        EXPECT_TRUE(read.ok()) << name << ": " << read.message;
        EXPECT_TRUE(read.value.warnings.empty()) << name;
    }
    EXPECT_FALSE(fs::exists(bench.containers / kKeptFilesFolder));
}

TEST_F(KeyToolCardFiles, NeverReplacesAFileOnTheCard) {
    const fs::path card = bench.card("funke", "sdb");
    writeBytes(card / "a.dlb", Bytes{1, 2, 3});
    std::string output;
    EXPECT_EQ(keyTool({"sdcard", card.string(), "a.dlb", "b.dlb"}, &output), 1);
    EXPECT_EQ(readBytes(card / "a.dlb"), (Bytes{1, 2, 3}));
    EXPECT_TRUE(fs::exists(card / "b.dlb"));
}

TEST(KeyToolCardFileUsage, AWrongCommandLineIsRefused) {
    EXPECT_EQ(keyTool({"sdcard"}), 2);
    EXPECT_EQ(keyTool({"sdcard", "/tmp/x", "--seed", "abc"}), 2);
}
