// The texts of the transfer log, character for character.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TransferTestSupport.h"
#include "oltrex/transfer/TransferLog.h"

namespace oltrex {
namespace {

using testing::readText;
using testing::TempFolder;

class TransferLogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(log.openFresh(folder.path())); }
    std::string written() {
        log.close();
        return readText(folder.path() / kTransferLogName);
    }
    TempFolder folder;
    TransferLog log;
};

TEST_F(TransferLogTest, WritesMessagesAndStatusWithABlankBeforeTheLineEnd) {
    log.displMsg("block sent");
    log.displStatus("Fehler");
    EXPECT_EQ(written(), "displMsg(): block sent \r\ndisplStatus(): Fehler \r\n");
}

TEST_F(TransferLogTest, NamesTheThreeLedStates) {
    log.displLed(0);
    log.displLed(1);
    log.displLed(2);
    log.displLed(-5);
    EXPECT_EQ(written(),
              "displLed(): LED=Idle\r\ndisplLed(): LED=OK\r\ndisplLed(): LED=Error\r\n"
              "displLed(): LED=Error\r\n");
}

TEST_F(TransferLogTest, DrawsTheProgressBarOf102CharactersAndCapsItAt100) {
    log.showProgress(3);
    log.showProgress(250);
    EXPECT_EQ(written(), "showProgress(): [***" + std::string(97, ' ') + "]\r\nshowProgress(): [" +
                             std::string(100, '*') + "]\r\n");
}

TEST_F(TransferLogTest, DumpsBytesSixteenToALineWithTheirOffsets) {
    std::vector<std::uint8_t> bytes(17);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 15);
    log.hexDump("ComTask - ePutOuterData", bytes.data(), bytes.size());
    EXPECT_EQ(written(),
              "ComTask - ePutOuterData (length=17):\r\n000000: 00 0F 1E 2D 3C 4B 5A 69 78 87 96 A5 "
              "B4 C3 D2 E1 \r\n000010: F0 \r\n");
}

TEST_F(TransferLogTest, DumpsAnEmptyAnswerAsItsTitleAlone) {
    log.hexDump("ComTask - eGetOuterData", nullptr, 0);
    EXPECT_EQ(written(), "ComTask - eGetOuterData (length=0):\r\n");
}

TEST_F(TransferLogTest, PrintsFormattedTextWithoutAddingALineEndAndCutsItAt1024) {
    log.print("Serial: %s", "x");
    log.print("%s", std::string(3000, 'a').c_str());
    EXPECT_EQ(written(), "Serial: x" + std::string(1024, 'a'));
}

TEST(TransferLog, ReplacesTheLogOfAnEarlierRun) {
    TempFolder folder;
    {
        std::ofstream old(folder.path() / kTransferLogName);
        old << "earlier run";
    }
    TransferLog log;
    ASSERT_TRUE(log.openFresh(folder.path()));
    log.displMsg("new");
    log.close();
    EXPECT_EQ(testing::readText(folder.path() / kTransferLogName), "displMsg(): new \r\n");
}

TEST(TransferLog, LeavesALinkUnderItsNameAloneAndRunsWithoutLog) {
    TempFolder folder;
    const auto target = folder.path() / "precious.txt";
    { std::ofstream(target) << "keep"; }
#ifdef _WIN32
    GTEST_SKIP() << "links need rights a Windows user seldom has";
#else
    ASSERT_EQ(::symlink(target.c_str(), (folder.path() / kTransferLogName).c_str()), 0);
#endif
    TransferLog log;
    EXPECT_FALSE(log.openFresh(folder.path()));
    log.displMsg("nothing");
    EXPECT_EQ(testing::readText(target), "keep");
}

TEST(TransferLog, CreatesItsFileReadableByTheUserOnly) {
    TempFolder folder;
    TransferLog log;
    ASSERT_TRUE(log.openFresh(folder.path()));
#ifdef _WIN32
    GTEST_SKIP() << "Windows files take the access list of their folder";
#else
    struct stat st {};
    ASSERT_EQ(::stat((folder.path() / kTransferLogName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
}

}  // namespace
}  // namespace oltrex
