// The drive list from the drive letters, on the drives the test run gives
// the Wine prefix (wine-drives.sh): R: removable, N: network, Q: CD-ROM.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "oltrex/drives/DriveScanner.h"
#include "oltrex/platform/Process.h"

namespace oltrex {
namespace {

class DriveLetters : public ::testing::Test {
protected:
    void SetUp() override {
        if (!environmentValue("OLTREX_WINE_DRIVES")) GTEST_SKIP() << "no drives set up for the test";
        scanner.scanDrives();
    }
    const DriveRecord* drive(const std::string& name) const {
        const auto& list = scanner.drives();
        const auto it = std::find_if(list.begin(), list.end(), [&](const DriveRecord& d) { return d.name == name; });
        return it == list.end() ? nullptr : &*it;
    }
    DriveScanner scanner;
};

TEST_F(DriveLetters, ListsEveryLetterInOrderWithItsKind) {
    const auto& list = scanner.drives();
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const DriveRecord& a, const DriveRecord& b) { return a.name < b.name; }));
    ASSERT_NE(drive("C:"), nullptr);
    EXPECT_EQ(drive("C:")->kind, kDriveFixed);
    ASSERT_NE(drive("R:"), nullptr);
    EXPECT_EQ(drive("R:")->kind, kDriveRemovable);
    ASSERT_NE(drive("N:"), nullptr);
    EXPECT_EQ(drive("N:")->kind, kDriveRemote);
    ASSERT_NE(drive("Q:"), nullptr);
    EXPECT_EQ(drive("Q:")->kind, kDriveCdRom);
    EXPECT_EQ(drive("B:"), nullptr);  // no root folder, no record
    EXPECT_EQ(driveRootText(*drive("R:")), "R:\\");
}

TEST_F(DriveLetters, ARemovableDriveIsNotTouched) {
    const DriveRecord* card = drive("R:");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->label, "");
    EXPECT_EQ(card->freeText, kFloppySizeText);
    EXPECT_EQ(card->totalText, kFloppySizeText);
}

TEST_F(DriveLetters, OtherDrivesShowTheirLabelAndCapacities) {
    const DriveRecord* cd = drive("Q:");
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(cd->label, "OLTREX-CD");
    for (const char* name : {"C:", "N:", "Q:"}) {
        const DriveRecord* d = drive(name);
        ASSERT_NE(d, nullptr) << name;
        EXPECT_FALSE(d->totalText.empty()) << name;
        EXPECT_NE(d->totalText, kFloppySizeText) << name;
        EXPECT_FALSE(d->freeText.empty()) << name;
    }
}

TEST_F(DriveLetters, TheCardFilesInTheRootOfARemovableDriveAreFound) {
    for (const char* name : {"AB.dlb", "AB.1.DLB", "CD.2.dlb", "AB.DLB.BAK", "notes.txt"})
        std::ofstream(std::string("R:\\") + name) << "x";
    std::vector<std::string> found;
    for (const FileRecord& f : scanner.searchFolder("R:", cardFilePatterns())) {
        found.push_back(f.name);
        EXPECT_EQ(f.path, "R:\\" + f.name);
        EXPECT_EQ(f.sizeText, "1");
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"AB.1.DLB", "AB.dlb", "CD.2.dlb"}));
}

}  // namespace
}  // namespace oltrex
