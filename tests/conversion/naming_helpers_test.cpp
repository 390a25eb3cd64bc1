// Text, time and path helpers of the tachograph names.
#include <gtest/gtest.h>

#include "maker_support.h"

namespace oltrex::testing {
namespace {

TEST(NameCleaning, KeepsLettersDigitsUnderscoreAndHyphenOnly) {
    std::string text = "B AB-123.x/\xE4?";
    cleanNameText(text);
    EXPECT_EQ(text, "B_AB-123_x___");
}

TEST(FileNameSafety, ReplacesSeparatorsReservedAndControlCharactersButKeepsTheRest) {
    std::string text = "a/b\\c:d*e?f\"g<h>i|j\x01k\x7Fl m.n\xC4";
    makeFileNameSafe(text);
    EXPECT_EQ(text, "a_b_c_d_e_f_g_h_i_j_k_l m.n\xC4");
}

TEST(FileNameSafety, ANameOfDotsAloneBecomesUnderscores) {
    std::string dots = "..";
    makeFileNameSafe(dots);
    EXPECT_EQ(dots, "__");
    std::string dotted = "..x";
    makeFileNameSafe(dotted);
    EXPECT_EQ(dotted, "..x");
}

TEST(NationTable, GivesTheRowOfEachCode) {
    EXPECT_EQ(nationText(1), "A");
    EXPECT_EQ(nationText(13), "D");
    EXPECT_EQ(nationText(21), "UK");
    EXPECT_EQ(nationText(40), "PL");
    EXPECT_EQ(nationText(54), "EUR");
    EXPECT_EQ(nationText(55), "WLD");
}

TEST(NationTable, ZeroAndHighBytesGiveWorld) {
    EXPECT_EQ(nationText(0x00), "WLD");
    EXPECT_EQ(nationText(0xFF), "WLD");
    EXPECT_EQ(nationText(0x80), "WLD");
}

TEST(NationTable, CodesBeyondTheTableGiveUnknown) {
    EXPECT_EQ(nationText(56), "UNK");
    EXPECT_EQ(nationText(127), "UNK");
}

TEST(TimeFields, OnlyPositiveSignedValuesHoldATime) {
    const std::uint8_t zero[4] = {0, 0, 0, 0};
    const std::uint8_t none[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const std::uint8_t topBit[4] = {0x80, 0x00, 0x00, 0x01};
    const std::uint8_t one[4] = {0, 0, 0, 1};
    EXPECT_FALSE(isValidTimeField(zero));
    EXPECT_FALSE(isValidTimeField(none));
    EXPECT_FALSE(isValidTimeField(topBit));
    EXPECT_TRUE(isValidTimeField(one));
}

TEST(TimeFields, NoTimeBreaksDownToTheLocalTime) {
    FixedClock clock({2024, 1, 2, 3, 4, 5, 0});
    const std::uint8_t none[4] = {0, 0, 0, 0};
    EXPECT_TRUE(sameTime(timeFieldToTime(none, clock), {2024, 1, 2, 3, 4, 5, 0}));
    const std::uint8_t field[4] = {0x62, 0x2B, 0x57, 0x15};
    EXPECT_TRUE(sameTime(timeFieldToTime(field, clock), {2022, 3, 11, 14, 5, 9, 0}));
}

TEST(HexTimeText, ReadsEightUpperCaseDigitsAsATimeField) {
    FixedClock clock({2024, 1, 2, 3, 4, 5, 0});
    EXPECT_TRUE(sameTime(timeFromHexText("623B1A2C", clock), {2022, 3, 23, 13, 1, 32, 0}));
}

TEST(HexTimeText, FallsBackToTheLocalTimeForAnythingElse) {
    FixedClock clock({2024, 1, 2, 3, 4, 5, 0});
    const LocalTime local{2024, 1, 2, 3, 4, 5, 0};
    EXPECT_TRUE(sameTime(timeFromHexText("623b1a2c", clock), local));   // lower case
    EXPECT_TRUE(sameTime(timeFromHexText("623B1A2", clock), local));    // too short
    EXPECT_TRUE(sameTime(timeFromHexText("623B1A2C0", clock), local));  // too long
    EXPECT_TRUE(sameTime(timeFromHexText("623B1A2G", clock), local));
    EXPECT_TRUE(sameTime(timeFromHexText("FFFFFFFF", clock), local));   // no time
    EXPECT_TRUE(sameTime(timeFromHexText("00000000", clock), local));
    EXPECT_TRUE(sameTime(timeFromHexText("80000000", clock), local));
}

TEST(ChipSerialText, WritesEachByteInHexWithoutLeadingZeros) {
    const std::uint8_t chip[8] = {0x00, 0x05, 0x1A, 0x2B, 0x00, 0x00, 0x00, 0x0C};
    EXPECT_EQ(chipSerialText(chip), "051A2B000C");
    const std::uint8_t full[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(chipSerialText(full), "FFFFFFFFFFFFFFFF");
}

TEST(UniquePath, LeavesAFreeNameAlone) {
    RunFolders folders;
    std::string path = (folders.containers / "V_ABC.dlc").string();
    const std::string before = path;
    makeUniquePath(path);
    EXPECT_EQ(path, before);
}

TEST(UniquePath, NumbersATakenNameBeforeItsExtension) {
    RunFolders folders;
    writeFile(folders.containers / "V_ABC.dlc", "x");
    std::string path = (folders.containers / "V_ABC.dlc").string();
    makeUniquePath(path);
    EXPECT_EQ(fs::path(path).filename(), "V_ABC[1].dlc");
    writeFile(path, "x");
    path = (folders.containers / "V_ABC.dlc").string();
    makeUniquePath(path);
    EXPECT_EQ(fs::path(path).filename(), "V_ABC[2].dlc");
}

TEST(UniquePath, NumbersANameWithoutExtensionAtItsEnd) {
    RunFolders folders;
    writeFile(folders.containers / "C_123", "x");
    std::string path = (folders.containers / "C_123").string();
    makeUniquePath(path);
    EXPECT_EQ(fs::path(path).filename(), "C_123[1]");
}

class CardFileNumber : public ::testing::Test {
protected:
    void SetUp() override { settings.set(kTachographSettingsPath, "ContainerPath", folders.containerSetting()); }
    RunFolders folders;
    MemorySettings settings;
};

TEST_F(CardFileNumber, IsOneInAFolderWithoutCardContainers) {
    EXPECT_EQ(nextCardFileNumber(settings), 1);
}

TEST_F(CardFileNumber, FollowsTheHighestNumberInTheFolder) {
    writeFile(folders.containers / "cd000007.crd", "x");
    writeFile(folders.containers / "cd000012.crd", "x");
    writeFile(folders.containers / "cd000099.dlc", "x");
    writeFile(folders.containers / "cd0000123.crd", "x");
    EXPECT_EQ(nextCardFileNumber(settings), 13);
}

TEST_F(CardFileNumber, IgnoresFoldersWithTheNameOfACardContainer) {
    fs::create_directory(folders.containers / "cd000050.crd");
    writeFile(folders.containers / "cd000003.crd", "x");
    EXPECT_EQ(nextCardFileNumber(settings), 4);
}

TEST_F(CardFileNumber, ReadsTheContainerFolderWithOrWithoutItsSeparator) {
    writeFile(folders.containers / "cd000041.crd", "x");
    settings.set(kTachographSettingsPath, "ContainerPath", folders.containerSetting() + "/");
    EXPECT_EQ(nextCardFileNumber(settings), 42);
}

}  // namespace
}  // namespace oltrex::testing
