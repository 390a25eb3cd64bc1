#include <gtest/gtest.h>

#include <cstdio>

#include "KeyFetchFakes.h"
#include "oltrex/keyfetch/KeyDirectory.h"
#include "oltrex/keyfetch/KeyInfo.h"

using namespace kftest;
using oltrex::EntryKind;
using oltrex::parseDirectoryEntry;

namespace {
std::string entry(int size, const std::string& name) {
    char text[200];
    std::snprintf(text, sizeof text, "%8d Bytes - \"%s\"", size, name.c_str());
    return text;
}
}  // namespace

TEST(DirectoryEntries, giveNameAndSizeOfARightAlignedEntry) {
    const auto e = parseDirectoryEntry("     512 Bytes - \"C_1234.DDD\"");
    EXPECT_EQ(e.name, "C_1234.DDD");
    EXPECT_EQ(e.size, 512);
    EXPECT_EQ(e.kind, EntryKind::Usable);
    EXPECT_FALSE(e.secondGeneration);
}

TEST(DirectoryEntries, countAsSecondGenerationWhenTheTextHoldsDot2Anywhere) {
    EXPECT_TRUE(parseDirectoryEntry(entry(500, "V_AB_2024-01-02_03-04-05.2")).secondGeneration);
    EXPECT_TRUE(parseDirectoryEntry(entry(500, "C_X.2ND_623B1A2C")).secondGeneration);
}

TEST(DirectoryEntries, leaveTinyFilesAndTheKeysOwnFilesAlone) {
    EXPECT_EQ(parseDirectoryEntry(entry(10, "V_AB_623B1A2C")).kind, EntryKind::TooSmall);
    EXPECT_EQ(parseDirectoryEntry(entry(11, "V_AB_623B1A2C")).kind, EntryKind::Usable);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "TrEp_0001")).kind, EntryKind::KeysOwnFile);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "2024_OltrexLog.txt")).kind, EntryKind::KeysOwnFile);
    EXPECT_EQ(parseDirectoryEntry("garbage \"V_AB_623B1A2C\"").kind, EntryKind::TooSmall);
}

TEST(DirectoryEntries, acceptOnlyPlainFileNames) {
    EXPECT_EQ(parseDirectoryEntry(entry(900, "../V_AB_623B1A2C")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "sub/V_AB")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "sub\\V_AB")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "..")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry(entry(900, ".")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "V_A\x1b[2JB")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry(entry(900, "")).kind, EntryKind::UnusableName);
    EXPECT_EQ(parseDirectoryEntry("     900 Bytes - \"V_unterminated").kind,
              EntryKind::UnusableName);
}

TEST(DirectoryEntries, acceptNamesUpTo99Characters) {
    EXPECT_TRUE(oltrex::isPlainKeyFileName(std::string(99, 'V')));
    EXPECT_FALSE(oltrex::isPlainKeyFileName(std::string(100, 'V')));
}

TEST(DirectoryListings, countEntriesUnusableFilesAndGenerations) {
    TraceRecorder trace;
    oltrex::DirectoryBuffers buffers;
    const std::vector<std::string> texts = {
        entry(4000, "V_AB_623B1A2C"),   entry(3000, "V_CD_2024-01-02.2"),
        entry(10, "C_TINY_623B1A2C"),   entry(700, "TREP_1"),
        entry(800, "../../etc/passwd"), entry(2000, "C_DF01_623B1A2C")};
    // Entries may stand anywhere among the 128 buffers; empty ones are skipped.
    std::size_t slot = 3;
    for (const auto& t : texts) {
        std::snprintf(buffers.pointers[slot], KL_DIR_ENTRY_SIZE, "%s", t.c_str());
        slot += 11;
    }
    const auto listing = oltrex::readListing(buffers);
    EXPECT_EQ(listing.entries, 6);
    EXPECT_EQ(listing.unusable, 3);
    EXPECT_EQ(listing.usableCount(), 3);
    EXPECT_EQ(listing.gen1Files, 2);
    EXPECT_EQ(listing.gen2Files, 1);
    ASSERT_EQ(listing.files.size(), 3u);
    EXPECT_EQ(listing.files[0].name, "V_AB_623B1A2C");
    EXPECT_EQ(listing.files[1].name, "V_CD_2024-01-02.2");
    EXPECT_EQ(listing.files[2].name, "C_DF01_623B1A2C");
    EXPECT_EQ(listing.totalBytes(), 9000);
    EXPECT_TRUE(trace.contains(texts[0] + "\r\n"));
    EXPECT_TRUE(trace.contains("Unusable file name, left on the key: \"../../etc/passwd\"\r\n"));
}

TEST(DirectoryListings, handleAll128Buffers) {
    oltrex::DirectoryBuffers buffers;
    for (int i = 0; i < KL_DIR_ENTRIES; ++i)
        std::snprintf(buffers.pointers[i], KL_DIR_ENTRY_SIZE, "%s",
                      entry(100 + i, "V_N" + std::to_string(i)).c_str());
    const auto listing = oltrex::readListing(buffers);
    EXPECT_EQ(listing.entries, 128);
    EXPECT_EQ(listing.files.size(), 128u);
}

TEST(KeyInformation, givesFirmwareKeyNumberSeriesAndFirmwareNumber) {
    const std::string info = " StickID: OB0012345678 FW-0102";
    EXPECT_EQ(oltrex::displayFirmware(info), "0102");
    EXPECT_EQ(oltrex::displayKeyNumber(info), "0012345678");
    EXPECT_EQ(oltrex::keySeries(info), "OB");
    EXPECT_EQ(oltrex::keyFirmwareNumber(info), 102);
    EXPECT_EQ(oltrex::displayFirmware(" StickID: OB0012345678"), "");
}

TEST(SecureModeDecision, needsSecureModeForOtherSeriesAndOxFirmware800To999) {
    EXPECT_TRUE(oltrex::needsSecureMode("OX", 850));
    EXPECT_TRUE(oltrex::needsSecureMode("OX", 999));
    EXPECT_FALSE(oltrex::needsSecureMode("OX", 799));
    EXPECT_FALSE(oltrex::needsSecureMode("OX", 1000));
    EXPECT_TRUE(oltrex::needsSecureMode("OB", 102));
}
