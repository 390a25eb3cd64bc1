// KeyRefresh in a terminal, end to end against the simulated key and boot loader.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeKeys.h"
#include "SimulatedKey.h"
#include "oltrex/keyrefresh/HeadlessRefresh.h"
#include "oltrex/keyrefresh/UpdateLog.h"

namespace oltrex {
namespace {

using test::FakeKeys;
using test::readText;
using test::ScratchFolder;
using test::SimulatedKey;

class HeadlessRefreshTest : public ::testing::Test {
  protected:
    int run(SimulatedKey& key, bool accepted = true, std::uint32_t answerTimeoutMs = 3000) {
        HeadlessSetup setup;
        setup.conditionsAccepted = accepted;
        setup.keys = &key.keys();
        setup.log = &log;
        setup.worker = key.workerSetup(answerTimeoutMs);
        setup.newFirmware = "1.20";
        return runHeadlessRefresh(setup, out, err);
    }
    std::string logText() const { return readText(scratch / "OLTREXKeyRefresh.log"); }

    ScratchFolder scratch;
    test::FakeClock logClock;
    CWLog log{scratch / "OLTREXKeyRefresh.log", logClock};
    std::ostringstream out, err;
};

TEST_F(HeadlessRefreshTest, AKeyOnFirmware110IsUpdatedTo120) {
    SimulatedKey key(scratch, "0110");
    ASSERT_EQ(run(key), kExitUpdated) << err.str();

    EXPECT_NE(out.str().find("Firmware Key ist 1.10\nUpadte der FW zu 1.20\n"
                             "Angeschlossener OLTREX-Key ist:\nOX00123456\n"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("von Firmware 1.10 zu 1.20\n"), std::string::npos);
    EXPECT_NE(out.str().find("Das Update V:1.20 wurde für den OLTREX-Key mit der\n"
                             "Seriennummer: OX00123456 \nerfolgreich durchgeführt.\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(logText(),
              "[2024.03.05_14.07.09.042] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"
              "[2024.03.05_14.07.09.042] Update erfolgreich. ( Key: OX00123456 ) \r\n"
              "[2024.03.05_14.07.09.042] Programm Ende\r\n");
    const std::string info = key.infoTextWhenSettled();
    EXPECT_NE(info.find("FW-0120"), std::string::npos) << info;
    EXPECT_TRUE(fs::exists(key.transferLogFolder() / "LogKeyRefresh.txt"));
}

TEST_F(HeadlessRefreshTest, DeclinedConditionsEndBeforeAnyKeyAccess) {
    FakeKeys keys;
    HeadlessSetup setup;
    setup.keys = &keys;
    setup.log = &log;
    EXPECT_EQ(runHeadlessRefresh(setup, out, err), kExitConditionsNotAccepted);
    EXPECT_EQ(keys.calls(), 0);
    EXPECT_NE(out.str().find("Wichtige Bedingungen:\n\nSehr geehrter Kunde,"), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch / "OLTREXKeyRefresh.log"));
}

TEST_F(HeadlessRefreshTest, AKeyReportingFirmware250IsRefused) {
    SimulatedKey key(scratch, "0250");
    EXPECT_EQ(run(key), kExitKeyRefused);
    EXPECT_NE(err.str().find("Ungültiger Key\nUpdate ist nicht möglich."), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch / "OLTREXKeyRefresh.log"));
    EXPECT_NE(key.infoTextWhenSettled().find("FW-0250"), std::string::npos);
}

TEST_F(HeadlessRefreshTest, WithoutAKeyNothingIsUpdated) {
    SimulatedKey key(scratch, "0110");
    fs::remove(key.folder() / "key.ini");
    EXPECT_EQ(run(key), kExitKeyRefused);
    EXPECT_NE(out.str().find("Kein Key gelesen"), std::string::npos);
}

TEST_F(HeadlessRefreshTest, ABootLoaderThatFallsSilentFailsTheUpdate) {
    SimulatedKey key(scratch, "0110", "--silent-from 3");
    EXPECT_EQ(run(key, true, 100), kExitUpdateFailed);
    EXPECT_NE(out.str().find("Seriennummer: OX00123456"), std::string::npos) << out.str();
    EXPECT_EQ(logText(),
              "[2024.03.05_14.07.09.042] Start Update Key: OX00123456 FW: 1.10 -> 1.20\r\n"
              "[2024.03.05_14.07.09.042] Update konnten nicht erfolgen ( Key: OX00123456 )\r\n"
              "[2024.03.05_14.07.09.042] \r\n");
}

}  // namespace
}  // namespace oltrex
