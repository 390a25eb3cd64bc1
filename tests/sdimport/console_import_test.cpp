// The SD-card import without a window: the drive question on the terminal,
// the named mount point and the printed closing message.
#include <gtest/gtest.h>

#include <sstream>

#include "SdImportKit.h"
#include "oltrex/sdimport/ConsoleImport.h"

using namespace sdtest;
using namespace oltrex;

namespace {

class ConsoleChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        first = drives.mount("/dev/sda1", "a-data", "ext4");
        second = drives.mount("/dev/sda2", "b-home", "ext4");
    }
    bool ask(const std::string& input, std::string& chosen) {
        std::istringstream in(input);
        ConsoleDriveChooser chooser(in, out, drives.sources());
        return chooser.chooseDrive(chosen);
    }
    oltrex::testing::FakeDrives drives;
    std::string first, second;
    std::ostringstream out;
};

}  // namespace

TEST_F(ConsoleChooserTest, ListsTheDrivesWithTheDialogsTexts) {
    std::string chosen;
    ask("\n", chosen);
    const std::string text = out.str();
    EXPECT_NE(text.find("Bitte wählen Sie ein Laufwerk aus:"), std::string::npos);
    EXPECT_NE(text.find("(Buchstabe aus Explorer ersichtlich)"), std::string::npos);
    EXPECT_NE(text.find("1  " + first + "\n"), std::string::npos);
    EXPECT_NE(text.find("2  " + second + "\n"), std::string::npos);
}

TEST_F(ConsoleChooserTest, AnEmptyAnswerTakesThePreselectedFirstDrive) {
    std::string chosen;
    EXPECT_TRUE(ask("\n", chosen));
    EXPECT_EQ(chosen, first + "/");
}

TEST_F(ConsoleChooserTest, ANumberPicksThatDriveAfterWrongAnswersAreAskedAgain) {
    std::string chosen;
    EXPECT_TRUE(ask("7\nxyz\n2\n", chosen));
    EXPECT_EQ(chosen, second + "/");
    EXPECT_NE(out.str().find("Keine gültige Auswahl."), std::string::npos);
}

TEST_F(ConsoleChooserTest, AOrTheEndOfInputCancels) {
    std::string chosen = "old";
    EXPECT_FALSE(ask("a\n", chosen));
    EXPECT_EQ(chosen, "");
    EXPECT_FALSE(ask("", chosen));
}

TEST(ConsoleChooserWithoutDrives, OkGivesAnEmptyChoice) {
    oltrex::testing::FakeDrives drives;
    std::istringstream in("\n");
    std::ostringstream out;
    ConsoleDriveChooser chooser(in, out, drives.sources());
    std::string chosen = "old";
    EXPECT_TRUE(chooser.chooseDrive(chosen));
    EXPECT_EQ(chosen, "");
}

class ConsoleImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cipherLibraryPath())) GTEST_SKIP() << "libhime.so not built at " << cipherLibraryPath();
        options.drives = bench.drives.sources();
    }
    int run(const std::string& input) {
        std::istringstream in(input);
        return runConsoleSdImport(*bench.store, bench.clock, bench.work, options, in, out);
    }
    ImportBench bench;
    ConsoleSdImportOptions options;
    std::ostringstream out;
};

TEST_F(ConsoleImportTest, PrintsTheClosingMessageOfARemovableCard) {
    const fs::path card = bench.card("funke", "sdb");
    writeBytes(card / "a.dlb", cardSecureForm("a.dlb", vehicleUnitFile({0x7602})));
    writeBytes(card / "b.2.dlb", cardSecureForm("b.2.dlb", vehicleUnitFile({0x7622})));
    EXPECT_EQ(run(""), kSdImportContainersMade);
    EXPECT_EQ(out.str(), "Es wurden 2 Container erfolgreich erstellt.\n");
}

TEST_F(ConsoleImportTest, ANamedMountPointIsUsedWithoutAQuestion) {
    const std::string point = bench.drives.mount("/dev/sda1", "data", "ext4");
    writeBytes(fs::path(point) / "a.dlb", cardSecureForm("a.dlb", vehicleUnitFile({0x7602})));
    options.mountPoint = point;
    EXPECT_EQ(run(""), kSdImportContainersMade);
    EXPECT_EQ(out.str(), "Es wurde 1 Container erfolgreich erstellt.\n");
}

TEST_F(ConsoleImportTest, AskedWithoutARemovableDriveAndCancelledPrintsNoMessage) {
    bench.drives.mount("/dev/sda1", "data", "ext4");
    EXPECT_EQ(run("a\n"), kSdImportCancelled);
    EXPECT_EQ(out.str().find("Container"), std::string::npos);
    EXPECT_EQ(out.str().find("Es wurden keine"), std::string::npos);
}

TEST_F(ConsoleImportTest, NothingFoundPrintsTheErrorText) {
    bench.card("funke", "sdb");
    EXPECT_EQ(run(""), kSdImportNothingFound);
    EXPECT_EQ(out.str(), "Es wurden keine verwertbaren Dateien gefunden.\n");
}

TEST_F(ConsoleImportTest, TheProgramsEntryBuildsItsOwnStoreAndNeverDeletesFromTheKey) {
    const fs::path card = bench.card("funke", "sdb");
    writeBytes(card / "V_AB_622B5715.dlb", cardSecureForm("V_AB_622B5715.dlb", vehicleUnitFile({0x7602})));
    ConsoleSdImportEnvironment env{bench.key, bench.settings, bench.clock, bench.work, cipherLibraryPath()};
    std::istringstream in;
    EXPECT_EQ(runConsoleSdImport(env, options, in, out), kSdImportContainersMade);
    EXPECT_EQ(out.str(), "Es wurde 1 Container erfolgreich erstellt.\n");
    EXPECT_TRUE(bench.key.deleted().empty());
}
