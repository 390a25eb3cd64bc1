#include <gtest/gtest.h>

#include "SessionRig.h"
#include "oltrex/keyfetch/TransportScrambling.h"

using namespace kftest;
using oltrex::SessionState;

namespace {

const char* const kGen1 = "V_AB123_623B1A2C";
const char* const kGen2 = "V_CD456_2024-01-02_03-04-05.2";
const char* const kCard = "C_DF00000123456700_623B1A2C";

void putDemoFiles(FakeKey& key) {
    key.files[kGen1] = vehicleFile({0x7601, 0x7602}, 300);  // 2 * 306 = 612 bytes
    key.files[kGen2] = vehicleFile({0x7621, 0x7622}, 194);  // 400 bytes
}

}  // namespace

TEST(KeySessionStates, noticeANewKeyOnTheThirdIdleStepThenLookAndReadIt) {
    SessionRig rig;
    putDemoFiles(rig.key);
    auto& s = *rig.session;
    EXPECT_EQ(s.display(), oltrex::SessionDisplay{});
    s.step();
    s.step();
    EXPECT_EQ(s.state(), SessionState::Idle);
    EXPECT_TRUE(rig.key.callsNamed("keyInfo").empty());
    s.step();
    EXPECT_EQ(s.state(), SessionState::Look);
    s.step();
    EXPECT_EQ(s.state(), SessionState::Read);
    EXPECT_EQ(s.display().status, "OLTREX-Key Initialisierung. Bitte einen Moment warten!");
    s.step();
    EXPECT_EQ(s.state(), SessionState::Idle);
    const auto d = s.display();
    EXPECT_EQ(d.status, "");
    EXPECT_EQ(d.firmware, "0120");
    EXPECT_EQ(d.keyNumber, "0012345678");
    EXPECT_EQ(d.downloadCounter, "2 / 2");
    EXPECT_EQ(d.generationCounts, "( Gen1: 1, Gen2: 1 )");
    EXPECT_EQ(d.percent, 0);
    EXPECT_TRUE(s.view().startEnabled);
}

TEST(KeySessionStates, stayIdleWhileTheSameKeyAnswers) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.readKey();
    for (int i = 0; i < 9; ++i) rig.session->step();
    EXPECT_EQ(rig.session->state(), SessionState::Idle);
    EXPECT_EQ(rig.key.callsNamed("readDirectory").size(), 1u);
}

TEST(KeySessionStates, fallBackToLookWithinThreeStepsWhenTheKeyIsPulled) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.readKey();
    rig.key.plugged = false;
    EXPECT_LE(rig.stepUntil(SessionState::Look, 3), 3);
    rig.session->step();  // look: no key answers
    EXPECT_EQ(rig.session->state(), SessionState::Look);
    const auto d = rig.session->display();
    EXPECT_EQ(d.firmware, "...");
    EXPECT_EQ(d.keyNumber, "...");
    EXPECT_EQ(d.downloadCounter, "...");
    EXPECT_EQ(d.generationCounts, "");
    EXPECT_FALSE(rig.session->view().startEnabled);
    EXPECT_FALSE(rig.session->start(false));
}

TEST(KeySessionStates, noticeAnExchangedKeyByItsNumber) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.readKey();
    rig.key.info = " StickID: OX0099999999 FW-0120";
    EXPECT_EQ(rig.stepUntil(SessionState::Look, 3), 3);
}

TEST(KeySessionStates, keepStartDisabledWithoutUsableFiles) {
    SessionRig rig;
    rig.key.rawEntries = {"      10 Bytes - \"V_TINY\"", "     500 Bytes - \"OLTREXLOG_1\""};
    rig.readKey();
    EXPECT_EQ(rig.session->display().downloadCounter, "0 / 0");
    EXPECT_FALSE(rig.session->view().startEnabled);
    EXPECT_FALSE(rig.session->start(true));
    EXPECT_EQ(rig.session->state(), SessionState::Idle);
}

TEST(KeySessionStates, listNothingAfterAFailedDirectoryRead) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.key.failDirectory = true;
    rig.readKey();
    EXPECT_EQ(rig.session->state(), SessionState::Idle);
    EXPECT_EQ(rig.session->usableCount(), 0);
    EXPECT_FALSE(rig.session->view().startEnabled);
}

TEST(KeySessionTrace, writesTheStateLineEveryStepAndTheDirectoryLines) {
    TraceRecorder trace;
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.readKey();
    const auto lines = trace.lines();
    EXPECT_EQ(lines.front(), "State: idle (2024/05/06 07:08:09)\r\n");
    EXPECT_TRUE(trace.contains("State: look (2024/05/06 07:08:09)\r\n"));
    EXPECT_TRUE(trace.contains("State: read (2024/05/06 07:08:09)\r\n"));
    EXPECT_TRUE(trace.contains("     612 Bytes - \"V_AB123_623B1A2C\"\r\n"));
    EXPECT_TRUE(
        trace.contains("getDirFromFlash and getFileSize for valid values:         0 ms\r\n"));
}

TEST(SecureModeOfTheSession, opensSecureModeBeforeTheDirectoryReadForSecureKeys) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0850";
    putDemoFiles(rig.key);
    rig.readKey();
    EXPECT_TRUE(rig.session->secure());
    EXPECT_EQ(rig.session->display().status, "DLC-Secure Download");
    const auto calls = rig.key.callsNamed("");
    const auto begin = std::find(calls.begin(), calls.end(), "beginSecureMode");
    ASSERT_NE(begin, calls.end());
    EXPECT_EQ(*(begin + 1), "readDirectory");
}

TEST(SecureModeOfTheSession, leavesOxKeysBelowFirmware800InPlainMode) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0799";
    rig.readKey();
    EXPECT_FALSE(rig.session->secure());
    EXPECT_TRUE(rig.key.callsNamed("beginSecureMode").empty());
}

TEST(SecureModeOfTheSession, closesSecureModeAfterTheLastFile) {
    SessionRig rig;
    rig.key.info = " StickID: OB0012345678 FW-0101";
    putDemoFiles(rig.key);
    rig.readKey();
    rig.download();
    EXPECT_EQ(rig.key.callsNamed("endSecureMode").size(), 1u);
    EXPECT_FALSE(rig.session->secure());
}

TEST(DownloadRuns, fileEveryFileDeleteItFromTheKeyAndCountDown) {
    SessionRig rig;
    putDemoFiles(rig.key);
    const auto originals = rig.key.files;
    rig.readKey();
    ASSERT_TRUE(rig.session->start(false));
    rig.session->step();
    auto d = rig.session->display();
    EXPECT_EQ(d.downloadCounter, "1 / 2");
    EXPECT_EQ(d.generationCounts, "( Gen1: 0, Gen2: 1 )");  // still to do
    EXPECT_EQ(d.percent, 60);                               // 612 of 1012 bytes, rounded
    EXPECT_EQ(rig.session->state(), SessionState::Write);
    rig.session->step();
    d = rig.session->display();
    EXPECT_EQ(d.downloadCounter, "0 / 2");
    EXPECT_EQ(d.generationCounts, "( Gen1: 0, Gen2: 0 )");
    EXPECT_EQ(d.percent, 100);
    EXPECT_EQ(rig.session->state(), SessionState::Look);

    for (const auto& [name, bytes] : originals)
        EXPECT_EQ(readBytes(rig.containerOf(name)), bytes) << name;
    EXPECT_TRUE(rig.key.files.empty());
    const auto run = rig.session->lastRun();
    EXPECT_TRUE(run.allFiled());
    EXPECT_EQ(rig.kindNames, (std::vector<std::string>{kGen1, kGen2}));
    EXPECT_EQ(rig.firmwareNumbers, (std::vector<int>{120, 120}));

    rig.stepUntil(SessionState::Idle);  // look, read
    EXPECT_EQ(rig.session->display().downloadCounter, "0 / 0");
}

TEST(DownloadRuns, keepEveryFileOnTheKeyWithNoDelete) {
    SessionRig rig({{"NoDelete", "1"}});
    putDemoFiles(rig.key);
    rig.readKey();
    rig.download();
    EXPECT_TRUE(rig.session->lastRun().allFiled());
    EXPECT_EQ(rig.key.files.size(), 2u);
    EXPECT_TRUE(rig.key.callsNamed("deleteFile").empty());
    rig.stepUntil(SessionState::Idle);
    EXPECT_EQ(rig.session->display().downloadCounter, "2 / 2");
}

TEST(DownloadRuns, readTheMakeEuDefaultFromItsFirstCharacter) {
    EXPECT_TRUE(SessionRig({{"MakeEU", "1yes"}}).session->makeEuDefault());
    EXPECT_FALSE(SessionRig({{"MakeEU", "0"}}).session->makeEuDefault());
    EXPECT_FALSE(SessionRig().session->noDelete());
    EXPECT_TRUE(SessionRig({{"NoDelete", "1"}}).session->noDelete());
}

TEST(DownloadRuns, leaveAFileWhoseReadFailsOnTheKeyAndGoOnWithTheNext) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.key.failRead = {kGen1};
    rig.readKey();
    rig.download();
    const auto run = rig.session->lastRun();
    ASSERT_EQ(run.files.size(), 2u);
    EXPECT_EQ(run.files[0].outcome, oltrex::FileOutcome::ReadFailed);
    EXPECT_TRUE(run.files[1].filed());
    EXPECT_FALSE(run.allFiled());
    EXPECT_TRUE(rig.key.files.count(kGen1));
    EXPECT_FALSE(fs::exists(rig.work / kGen1));
    rig.key.failRead.clear();
    rig.stepUntil(SessionState::Idle);
    EXPECT_EQ(rig.session->fileList().size(), 1u);
    rig.download();
    EXPECT_TRUE(rig.key.files.empty());
}

TEST(DownloadRuns, stopWhenTheKeyIsPulledAndKeepWhatWasFiled) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.key.files[kCard] = bytesOf({0x76, 0x06, 0, 2, 0, 0, 1, 9, 0x76, 0xFF, 0x76, 0xFF});
    rig.readKey();
    ASSERT_TRUE(rig.session->start(false));
    rig.session->step();  // the card (first by name) is filed
    rig.key.plugged = false;
    rig.session->step();
    EXPECT_EQ(rig.session->state(), SessionState::Look);
    const auto run = rig.session->lastRun();
    EXPECT_TRUE(run.keyLost);
    EXPECT_EQ(run.files.size(), 2u);
    EXPECT_EQ(run.filedCount(), 1);
    EXPECT_TRUE(fs::exists(rig.containerOf(kCard)));
    EXPECT_EQ(rig.key.files.size(), 2u);
    rig.session->step();
    EXPECT_EQ(rig.session->state(), SessionState::Look);
}

TEST(DownloadRuns, leaveTheFileOnTheKeyWhenNoContainerIsMade) {
    SessionRig rig;
    putDemoFiles(rig.key);
    rig.failMaker = true;
    rig.readKey();
    rig.download();
    EXPECT_EQ(rig.key.files.size(), 2u);
    EXPECT_EQ(rig.session->lastRun().filedCount(), 0);
    EXPECT_TRUE(fs::is_empty(rig.work.path()));
}

TEST(ProtectedReads, askForTheProtectedFormAndFileItDescrambled) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0518";
    putDemoFiles(rig.key);
    const auto originals = rig.key.files;
    rig.readKey();
    rig.download();
    EXPECT_EQ(rig.key.callsNamed("readFile").front(),
              std::string("readFile ") + kGen1 + "\\5E07C9A2");
    for (const auto& [name, bytes] : originals)
        EXPECT_EQ(readBytes(rig.containerOf(name)), bytes) << name;
}

TEST(ProtectedReads, takeTheSeriesFromTheKeyIdentityNotFromTheDisplayedNumber) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0150";  // the displayed number starts "00"
    putDemoFiles(rig.key);
    rig.readKey();
    rig.download();
    EXPECT_EQ(rig.key.callsNamed("readFile").front(),
              std::string("readFile ") + kGen1 + "\\5E07C9A2");
    EXPECT_EQ(readBytes(rig.containerOf(kGen1)), vehicleFile({0x7601, 0x7602}, 300));
}

TEST(ProtectedReads, useThePlainReadForFirmware0830) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0830";
    putDemoFiles(rig.key);
    rig.readKey();
    rig.download();
    EXPECT_EQ(rig.key.callsNamed("readFile").front(), std::string("readFile ") + kGen1);
}

TEST(SecureDownloads, fileTheReencodedFormAndSkipFilesThatCannotBeReencoded) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0830";
    const Bytes data = filler(50);
    Bytes body = secureRecord(0x7600, bytesOf({'V'}));
    append(body, secureRecord(0x7601, data));
    rig.key.files[kGen1] = vehicleFile({0x7601}, 50);
    rig.key.secureForms[kGen1] = secureFile(body);
    rig.readKey();
    ASSERT_TRUE(rig.session->secure());
    rig.download();
    Bytes expected = {0x76, 0x00, 0x76, 0x01};
    append(expected, pcEncode(data));
    append(expected, kEndMarker);
    EXPECT_EQ(readBytes(rig.containerOf(kGen1)), expected);
}

// A key library that reports success but leaves no local file behind.
class SilentKey : public FakeKey {
  public:
    int readFile(const std::string& remoteName, const std::string&) override {
        log("readFile " + remoteName);
        return 0;
    }
};

TEST(ScrambledData, isNeverFiledWhenAProtectedFileCannotBeReopened) {
    SessionRig rig;
    rig.key.info = " StickID: OX0012345678 FW-0150";
    putDemoFiles(rig.key);
    SilentKey silent;
    silent.info = rig.key.info;
    silent.files = rig.key.files;
    oltrex::FileDownloader downloader(silent, *rig.store, rig.clock, rig.work.path());
    oltrex::FileDownloadRequest request;
    request.file = {kGen1, 612};
    request.series = "OX";
    request.firmwareNumber = 150;
    oltrex::NoActivityBar bar;
    const auto report = downloader.download(request, bar);
    EXPECT_EQ(report.outcome, oltrex::FileOutcome::NotDescrambled);
    EXPECT_TRUE(silent.callsNamed("deleteFile").empty());
    EXPECT_TRUE(rig.kindNames.empty());  // the container maker never saw it
}

TEST(ScrambledData, isNeverFiledWhenTheSecureReencodingFails) {
    SessionRig rig;
    SilentKey silent;
    silent.files[kGen1] = vehicleFile({0x7601});
    oltrex::FileDownloader downloader(silent, *rig.store, rig.clock, rig.work.path());
    oltrex::FileDownloadRequest request;
    request.file = {kGen1, 46};
    request.series = "OX";
    request.firmwareNumber = 830;
    request.secure = true;
    oltrex::NoActivityBar bar;
    EXPECT_EQ(downloader.download(request, bar).outcome, oltrex::FileOutcome::NotReencoded);
    EXPECT_TRUE(silent.callsNamed("deleteFile").empty());
    EXPECT_TRUE(rig.kindNames.empty());
}

TEST(SessionShutdown, closesAKeyLeftInSecureMode) {
    SessionRig rig;
    rig.key.info = " StickID: OE0012345678 FW-0120";
    rig.readKey();
    rig.session->close();
    EXPECT_EQ(rig.key.callsNamed("endSecureMode").size(), 1u);
    EXPECT_FALSE(rig.session->secure());
}
