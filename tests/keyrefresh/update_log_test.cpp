// The update log: stamped lines, one open-append-close per entry, archiving
// above 1 MiB at start and end of a run, and entries that cannot overflow.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <thread>

#include "TestSupport.h"
#include "oltrex/keyrefresh/UpdateLog.h"

namespace oltrex {
namespace {

using test::FakeClock;
using test::readText;
using test::ScratchFolder;
using test::writeText;

class UpdateLogTest : public ::testing::Test {
  protected:
    fs::path logPath() const { return scratch / "OLTREXKeyRefresh.log"; }
    fs::path archiveAt0709() const { return scratch / "OLTREXKeyRefresh_Bis20240305140709.log"; }
    static std::string filled(std::size_t size) { return std::string(size, 'a'); }
    std::size_t filesInFolder() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch.path())) ++count;
        return count;
    }

    ScratchFolder scratch;
    FakeClock clock;
};

TEST_F(UpdateLogTest, AnEntryIsStampedWithDateTimeAndMilliseconds) {
    CWLog log(logPath(), clock);
    EXPECT_EQ(log.writeEntry("Programm Ende"), 1);
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] Programm Ende\r\n");
}

TEST_F(UpdateLogTest, StampFieldsArePaddedWithZeros) {
    clock.now = {987, 1, 2, 3, 4, 5, 6};
    CWLog log(logPath(), clock);
    log.writeEntry("x");
    EXPECT_EQ(readText(logPath()), "[0987.01.02_03.04.05.006] x\r\n");
}

TEST_F(UpdateLogTest, AnEmptyTextGivesOnlyTheStampAndOneBlank) {
    CWLog log(logPath(), clock);
    log.writeEntry("");
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] \r\n");
}

TEST_F(UpdateLogTest, TextWithItsOwnLineBreaksIsWrittenUnchanged) {
    CWLog log(logPath(), clock);
    log.writeEntry("eins\r\nzwei");
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] eins\r\nzwei\r\n");
}

TEST_F(UpdateLogTest, EntriesAreAppendedAcrossProgramRuns) {
    {
        CWLog first(logPath(), clock);
        first.writeEntry("Start Update Key: 0012345678 FW: 1.10 -> 1.20");
    }
    clock.now.second = 10;
    CWLog second(logPath(), clock);
    second.writeEntry("Programm Ende");
    EXPECT_EQ(readText(logPath()),
              "[2024.03.05_14.07.09.042] Start Update Key: 0012345678 FW: 1.10 -> 1.20\r\n"
              "[2024.03.05_14.07.10.042] Programm Ende\r\n");
}

TEST_F(UpdateLogTest, NoFileStaysOpenBetweenEntries) {
    CWLog log(logPath(), clock);
    log.writeEntry("first");
    // Moving the file away between entries must not swallow the next one.
    fs::rename(logPath(), scratch / "moved.log");
    log.writeEntry("second");
    EXPECT_EQ(readText(scratch / "moved.log"), "[2024.03.05_14.07.09.042] first\r\n");
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] second\r\n");
}

TEST_F(UpdateLogTest, UmlautsAreWrittenAsTheyAre) {
    CWLog log(logPath(), clock);
    log.writeEntry("Update konnten nicht erfolgen ( Key: 0012345678 ) – Prüfung");
    EXPECT_EQ(readText(logPath()),
              "[2024.03.05_14.07.09.042] Update konnten nicht erfolgen ( Key: 0012345678 ) – "
              "Prüfung\r\n");
}

TEST_F(UpdateLogTest, TheProgramsLogLivesInTheProgramDataFolder) {
    const char* before = getenv("OLTREX_DATA_DIR");
    const std::string saved = before ? before : "";
    setenv("OLTREX_DATA_DIR", (scratch / "data").c_str(), 1);
    {
        CWLog log;
        EXPECT_EQ(log.path(), scratch / "data" / "OLTREXKeyRefresh.log");
        EXPECT_TRUE(fs::is_directory(scratch / "data"));
    }
    if (before)
        setenv("OLTREX_DATA_DIR", saved.c_str(), 1);
    else
        unsetenv("OLTREX_DATA_DIR");
}

// --- folder ---------------------------------------------------------------

TEST_F(UpdateLogTest, TheConstructorCreatesAMissingFolder) {
    const fs::path nested = scratch / "ProgramData" / "OLTREX" / "OLTREXKeyRefresh.log";
    CWLog log(nested, clock);
    EXPECT_TRUE(fs::is_directory(nested.parent_path()));
    EXPECT_FALSE(fs::exists(nested)) << "no entry was written yet";
}

TEST_F(UpdateLogTest, AFolderThatVanishedIsCreatedAgainByTheNextEntry) {
    const fs::path folder = scratch / "OLTREX";
    CWLog log(folder / "OLTREXKeyRefresh.log", clock);
    fs::remove_all(folder);
    EXPECT_EQ(log.writeEntry("Programm Weiter"), 1);
    EXPECT_EQ(readText(folder / "OLTREXKeyRefresh.log"),
              "[2024.03.05_14.07.09.042] Programm Weiter\r\n");
}

TEST_F(UpdateLogTest, AnEntryThatCannotBeWrittenReportsZero) {
    // A folder where the file should be: opening for append fails.
    fs::create_directory(logPath());
    CWLog log(logPath(), clock);
    EXPECT_EQ(log.writeEntry("lost"), 0);
    EXPECT_TRUE(fs::is_directory(logPath())) << "the size check leaves a folder alone";
}

// --- long entries -----------------------------------------------------------

TEST_F(UpdateLogTest, AnEntryOf511CharactersIsKeptWhole) {
    CWLog log(logPath(), clock);
    const std::string text(511, 'x');
    log.writeEntry(text);
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] " + text + "\r\n");
}

TEST_F(UpdateLogTest, ALongerEntryIsCutTo511CharactersAndStillEndsTheLine) {
    CWLog log(logPath(), clock);
    log.writeEntry(std::string(5000, 'y'));
    log.writeEntry("next");
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] " + std::string(511, 'y') +
                                       "\r\n[2024.03.05_14.07.09.042] next\r\n");
}

TEST_F(UpdateLogTest, ACutNeverSplitsACharacter) {
    // "ü" takes bytes 510 and 511: keeping byte 510 alone would leave half a character.
    const std::string text = std::string(510, 'x') + "ü" + "tail";
    EXPECT_EQ(CWLog::cutEntryText(text), std::string(510, 'x'));
    EXPECT_EQ(CWLog::cutEntryText(std::string(509, 'x') + "ü"), std::string(509, 'x') + "ü");
}

// --- size check and archive -------------------------------------------------

TEST_F(UpdateLogTest, TheArchiveNameCarriesTheMomentBetweenNameAndExtension) {
    EXPECT_EQ(CWLog::archivePath("/data/OLTREXKeyRefresh.log", clock.now),
              fs::path("/data/OLTREXKeyRefresh_Bis20240305140709.log"));
    EXPECT_EQ(CWLog::archivePath("/data/log", clock.now), fs::path("/data/log_Bis20240305140709"));
}

TEST_F(UpdateLogTest, ALogOfExactlyOneMebibyteIsNotArchived) {
    writeText(logPath(), filled(1048576));
    { CWLog log(logPath(), clock); }
    EXPECT_EQ(fs::file_size(logPath()), 1048576u);
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(UpdateLogTest, ALogOneByteLargerIsArchivedAtProgramStart) {
    writeText(logPath(), filled(1048577));
    CWLog log(logPath(), clock);
    EXPECT_FALSE(fs::exists(logPath()));
    ASSERT_TRUE(fs::exists(archiveAt0709()));
    EXPECT_EQ(fs::file_size(archiveAt0709()), 1048577u);

    log.writeEntry("Programm Weiter");
    EXPECT_EQ(readText(logPath()), "[2024.03.05_14.07.09.042] Programm Weiter\r\n")
        << "the next entry starts a new log";
}

TEST_F(UpdateLogTest, GrowthDuringARunIsArchivedAtItsEndNotInTheMiddle) {
    writeText(logPath(), filled(1048576 - 10));
    {
        CWLog log(logPath(), clock);
        log.writeEntry("Start Update Key: 0012345678 FW: 1.10 -> 1.20");
        log.writeEntry("Programm Ende");
        EXPECT_TRUE(fs::exists(logPath()));
        EXPECT_FALSE(fs::exists(archiveAt0709()));
        clock.now.minute = 8;
    }
    EXPECT_FALSE(fs::exists(logPath()));
    const fs::path archive = scratch / "OLTREXKeyRefresh_Bis20240305140809.log";
    ASSERT_TRUE(fs::exists(archive));
    EXPECT_GT(fs::file_size(archive), 1048576u);
}

TEST_F(UpdateLogTest, TwoArchivingsInTheSameSecondKeepTheNewerArchive) {
    writeText(logPath(), filled(1048577));
    { CWLog first(logPath(), clock); }
    writeText(logPath(), std::string(1048600, 'b'));
    { CWLog second(logPath(), clock); }
    ASSERT_TRUE(fs::exists(archiveAt0709()));
    EXPECT_EQ(fs::file_size(archiveAt0709()), 1048600u);
    EXPECT_EQ(readText(archiveAt0709()).front(), 'b');
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(UpdateLogTest, WithoutALogFileTheSizeCheckDoesNothing) {
    { CWLog log(logPath(), clock); }
    EXPECT_EQ(filesInFolder(), 0u);
}

// --- threads ------------------------------------------------------------

TEST_F(UpdateLogTest, EntriesFromTwoThreadsStayWholeLines) {
    CWLog log(logPath(), clock);
    auto writer = [&log](char c) {
        for (int i = 0; i < 200; ++i) log.writeEntry(std::string(300, c));
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    const std::string text = readText(logPath());
    const std::string stamp = "[2024.03.05_14.07.09.042] ";
    const std::size_t lineSize = stamp.size() + 300 + 2;
    ASSERT_EQ(text.size(), 400 * lineSize);
    for (std::size_t at = 0; at < text.size(); at += lineSize) {
        const std::string line = text.substr(at, lineSize);
        const char c = line[stamp.size()];
        EXPECT_EQ(line, stamp + std::string(300, c) + "\r\n");
    }
}

}  // namespace
}  // namespace oltrex
