// The update worker: key identity, boot-loader switch, transfer and hand-over.
#include <gtest/gtest.h>

#include <cstring>

#include "TransferTestSupport.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex {
namespace {

using testing::FakeClock;
using testing::logLines;
using testing::LoopbackPort;
using testing::makeTestImage;
using testing::readText;
using testing::TempFolder;

class FakeKeys final : public KeyLibrary {
public:
    int keyInfo(char* text, int size) override {
        infoBufferSize = size;
        std::strncpy(text, info.c_str(), static_cast<std::size_t>(size));
        return info.empty() ? -1 : 0;
    }
    int firmwareUpdateMode() override {
        ++modeCalls;
        return modeResult;
    }
    int readDirectory(DirectoryBuffers&) override { return -1; }
    int readFile(const std::string&, const std::string&) override { return -1; }
    int deleteFile(const std::string&) override { return -1; }
    int beginSecureMode() override { return 0; }
    int endSecureMode() override { return 0; }
    int getSerialNumber(char*) override { return -1; }
    int initSwDownload() override { return -1; }

    std::string info = " StickID: OX0012345678 FW-0110";
    int modeResult = 0;
    int modeCalls = 0;
    int infoBufferSize = 0;
};

// Records the hand-over in the order it happens.
class RecordingPages final : public UpdateHandOver {
public:
    std::string keySerial() const override { return "0012345678"; }
    std::string newFirmwareVersion() const override { return "1.20"; }
    void setOutcome(int outcome) override { calls.push_back("outcome " + std::to_string(outcome)); }
    void setKeySerial(const std::string& serial) override { calls.push_back("serial " + serial); }
    void showResult(const std::string& text) override {
        result = text;
        calls.push_back("result");
    }
    void clearRunning() override { calls.push_back("running cleared"); }

    std::vector<std::string> calls;
    std::string result;
};

class UpdateWorkerTest : public ::testing::Test {
protected:
    UpdateWorkerSetup setup(LoopbackPort& port) {
        UpdateWorkerSetup s;
        s.keys = &keys;
        s.port = &port;
        s.clock = &clock;
        s.image = {image.data(), static_cast<std::uint32_t>(image.size()), "ComP FW-0120"};
        s.logFolder = folder.path();
        return s;
    }
    std::vector<std::string> logged() { return logLines(readText(folder.path() / "LogKeyRefresh.txt")); }

    TempFolder folder;
    FakeClock clock;
    FakeKeys keys;
    RecordingPages pages;
    std::vector<std::uint8_t> image = makeTestImage(2000);
};

TEST_F(UpdateWorkerTest, FlashesTheKeyAndHandsOverTheSuccessText) {
    LoopbackPort port(clock);
    EXPECT_EQ(runUpdateWorker(pages, setup(port)), 1);
    EXPECT_EQ(port.loader.image(), image);
    EXPECT_EQ(pages.calls, (std::vector<std::string>{"outcome 1", "serial 0012345678", "result",
                                                     "running cleared"}));
    EXPECT_EQ(pages.result,
              "Datum:07.03.2026, Zeit:09:05:04\r\n"
              "Das Update V:1.20 wurde für den OLTREX-Key mit der\r\n"
              "Seriennummer: 0012345678 \r\n"
              "erfolgreich durchgeführt.");
    EXPECT_EQ(keys.infoBufferSize, 32);
}

TEST_F(UpdateWorkerTest, GivesTheBootLoaderItsTimeBeforeOpeningThePort) {
    LoopbackPort port(clock);
    runUpdateWorker(pages, setup(port));
    ASSERT_FALSE(clock.slept.empty());
    EXPECT_EQ(clock.slept.front(), 2000u);
}

TEST_F(UpdateWorkerTest, FramesTheTransferInTheLogWithSerialAndStatusLines) {
    LoopbackPort port(clock);
    runUpdateWorker(pages, setup(port));
    const auto lines = logged();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Serial:  StickID: OX0012345678 FW-0110");
    EXPECT_EQ(lines[1], "displStatus(): initialiue DL ");
    EXPECT_EQ(lines[2], "displStatus(): execute DL ");
    EXPECT_EQ(lines[3], "ComTask() - eStart: FW-Length=2000");
    EXPECT_EQ(lines.back(), "displStatus(): DL done ");
    EXPECT_EQ(lines[lines.size() - 2], "displStatus(): Datentransfer abgeschlossen ");
}

TEST_F(UpdateWorkerTest, EndsWithoutTransferWhenNoKeyAnswers) {
    keys.info.clear();
    LoopbackPort port(clock);
    EXPECT_EQ(runUpdateWorker(pages, setup(port)), -1);
    EXPECT_EQ(keys.modeCalls, 0);
    EXPECT_EQ(port.opens, 0);
    EXPECT_EQ(pages.result,
              "Update konnte nicht erfolgreich durchgeführt werden,\r\nda kein OLTREX-Key gefunden wurde.");
    EXPECT_EQ(pages.calls.back(), "running cleared");
    EXPECT_TRUE(logged().empty());
}

TEST_F(UpdateWorkerTest, EndsWithoutTransferWhenTheKeyRefusesTheBootLoader) {
    keys.modeResult = 3;
    LoopbackPort port(clock);
    EXPECT_EQ(runUpdateWorker(pages, setup(port)), -1);
    EXPECT_EQ(port.opens, 0);
    EXPECT_EQ(pages.calls, (std::vector<std::string>{"outcome -1", "serial 0012345678", "result",
                                                     "running cleared"}));
    EXPECT_EQ(logged(), (std::vector<std::string>{"Serial:  StickID: OX0012345678 FW-0110"}));
}

TEST_F(UpdateWorkerTest, ReportsAFailedTransferAsFailure) {
    LoopbackPort port(clock, bootsim::Faults{.silentFrom = 1});
    UpdateWorkerSetup s = setup(port);
    s.limits.answerTimeoutMs = 50;
    EXPECT_EQ(runUpdateWorker(pages, s), -1);
    EXPECT_EQ(pages.calls.front(), "outcome -1");
    EXPECT_EQ(pages.result, kTransferFailedResultText);
    const auto lines = logged();
    EXPECT_EQ(lines[lines.size() - 2], "displStatus(): Fehler ");
    EXPECT_EQ(lines.back(), "displStatus(): DL done ");
}

TEST_F(UpdateWorkerTest, CutsAKeyInfoTextThatFillsTheWholeBuffer) {
    keys.info = std::string(40, 'X');
    LoopbackPort port(clock);
    runUpdateWorker(pages, setup(port));
    EXPECT_EQ(logged().front(), "Serial: " + std::string(31, 'X'));
}

}  // namespace
}  // namespace oltrex
