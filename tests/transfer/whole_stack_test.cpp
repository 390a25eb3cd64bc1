// The whole stack: ComTask and the update worker, the D2XX binding and its
// stand-in (libftd2xx.so on a pseudo-terminal; FTD2XX.dll on a COM port in
// the Windows build), and the boot-loader simulator in its own process.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/BootSimulatorProcess.h"
#include "TransferTestSupport.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/transfer/ComTask.h"
#include "oltrex/transfer/LogTransferEvents.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex {
namespace {

namespace fs = std::filesystem;
using testing::BootSimulatorProcess;
using testing::logLines;
using testing::makeTestImage;
using testing::readText;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

class WholeStack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!simulator.available()) GTEST_SKIP() << "no oltrex-bootsim to run";
        key = folder.path() / "key";
        simkey::KeyIdentity identity;
        identity.firmware = "0110";
        std::string error;
        ASSERT_TRUE(simkey::createKey(key, identity, &error)) << error;
        setEnvironmentValue("OLTREX_FTDI_PORT", simulator.port());
        ASSERT_TRUE(log.openFresh(folder.path()));
    }
    void TearDown() override { setEnvironmentValue("OLTREX_FTDI_PORT", std::nullopt); }

    int transfer(ComTaskLimits limits = {}) {
        LinkedD2xxDevice device;
        D2xxComPort port(device);
        LogTransferEvents events(log);
        ComTask task(port, systemClock(), events, limits);
        task.setImage({image.data(), static_cast<std::uint32_t>(image.size()), "ComP FW-0120"});
        task.setState(eStart);
        int result = 0;
        while (result == 0) result = task.step();
        log.close();
        return result;
    }
    std::vector<std::string> lines() { return logLines(readText(folder.path() / kTransferLogName)); }
    std::size_t count(const std::string& line) {
        const auto all = lines();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), line));
    }

    TempFolder folder;
    fs::path key;
    TransferLog log;
    BootSimulatorProcess simulator{folder.path()};
    Bytes image = makeTestImage(45096, " FW-0120", 0x1234);
    // Short answer time-outs keep the fault cases fast; the program uses 3000 ms.
    ComTaskLimits quick{1000, 3, 10, 2048};
};

TEST_F(WholeStack, FlashesTheImageIntactAndTheKeyThenReportsItsFirmware) {
    ASSERT_TRUE(simulator.start(key, {}));
    ASSERT_EQ(transfer(), 1);
    EXPECT_EQ(simulator.wait(), 0);

    std::error_code ec;
    Bytes stored;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
    const auto ini = simkey::readKeyIni(key);
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->identity.firmware, "0120");
    EXPECT_FALSE(ini->bootloader);
    EXPECT_FALSE(simulator.published()) << "the simulator removes its link";

    const auto all = lines();
    ASSERT_GE(all.size(), 7u);
    EXPECT_EQ(all[0], "ComTask() - eStart: FW-Length=45096");
    EXPECT_EQ(all[2], "displMsg(): USB-Mode 115200 Baud ");
    EXPECT_EQ(all[5], testing::progressLine(0));
    EXPECT_EQ(count("FW-Description: ComP"), 1u);
    EXPECT_EQ(all.back(), "displStatus(): Datentransfer abgeschlossen ");
    EXPECT_EQ(count("displMsg(): Ackn received "), 177u + 2u + 1u);
}

TEST_F(WholeStack, AbsorbsThreeDroppedAnswers) {
    ASSERT_TRUE(simulator.start(key, {"--drop", "7,90,178"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    Bytes stored;
    std::error_code ec;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
}

TEST_F(WholeStack, FailsOnTheFourthDroppedAnswer) {
    ASSERT_TRUE(simulator.start(key, {"--drop", "7,30,31,100"}));
    ASSERT_EQ(transfer(quick), -1);
    const auto all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "displLed(): LED=Error");
    EXPECT_EQ(all.back(), "displStatus(): Fehler ");
    EXPECT_FALSE(fs::exists(key / "firmware.bin"));
}

TEST_F(WholeStack, ResendsTheSameFrameAfterANack) {
    ASSERT_TRUE(simulator.start(key, {"--nack", "5,178"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    EXPECT_EQ(count("displMsg(): Nack received "), 2u);
    EXPECT_EQ(count("displMsg(): block sent "), 179u + 2u);
    Bytes stored;
    std::error_code ec;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
}

TEST_F(WholeStack, TakesALateAnswerInsideTheTimeOutAndResendsForOneOutsideIt) {
    ASSERT_TRUE(simulator.start(key, {"--delay", "300@5,40"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    EXPECT_EQ(count("displMsg(): block sent "), 179u);

    std::error_code ec;
    fs::remove(key / "firmware.bin", ec);
    ASSERT_TRUE(log.openFresh(folder.path()));
    // The same line (the port the flasher opens) for a simulator that answers later.
    ASSERT_TRUE(simulator.start(key, {"--delay", "1400@5"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    EXPECT_EQ(count("displMsg(): block sent "), 180u);
    Bytes stored;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
}

TEST_F(WholeStack, RecoversFromAnswersWithASpoiltStartCodeOrEndByte) {
    // Frame 5's answer loses its opening byte, the resent frame's answer its
    // code, the next resend's answer its closing byte.
    ASSERT_TRUE(simulator.start(key, {"--corrupt", "5:0", "--corrupt", "6:1", "--corrupt", "7:2"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    EXPECT_EQ(count("displMsg(): unknown cmd/answer "), 1u);
    EXPECT_EQ(count("displMsg(): block sent "), 179u + 3u);
    Bytes stored;
    std::error_code ec;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
}

TEST_F(WholeStack, EndsInErrorWhenTheKeyFallsSilent) {
    ASSERT_TRUE(simulator.start({}, {"--silent-from", "3"}));
    ASSERT_EQ(transfer(quick), -1);
    EXPECT_EQ(count("displMsg(): block sent "), 2u + 4u);
    EXPECT_EQ(lines().back(), "displStatus(): Fehler ");
}

TEST_F(WholeStack, ReportsAMissingDevice) {
    ASSERT_EQ(transfer(quick), -1);
    const auto all = lines();
    EXPECT_NE(std::find(all.begin(), all.end(), "displStatus(): Fehler beim Oeffnen von COMx "), all.end());
    EXPECT_EQ(all.back(), "displStatus(): Fehler ");
}

// The update as KeyRefresh runs it: the simulated key's boot-loader switch
// starts the simulator, the worker flashes and hands over.
class Pages final : public UpdateHandOver {
public:
    std::string keySerial() const override { return "0012345678"; }
    std::string newFirmwareVersion() const override { return "1.20"; }
    void setOutcome(int o) override { outcome = o; }
    void setKeySerial(const std::string&) override {}
    void showResult(const std::string& text) override { result = text; }
    void clearRunning() override { running = false; }
    int outcome = 0;
    std::string result;
    bool running = true;
};

TEST_F(WholeStack, UpdatesTheSimulatedKeyThroughTheUpdateWorker) {
    log.close();
    setEnvironmentValue("OLTREX_KEY", utf8Of(key));
    setEnvironmentValue("OLTREX_BOOTSIM", BootSimulatorProcess::program());
    setEnvironmentValue("OLTREX_BOOTSIM_ARGS", "--idle-timeout 20");
    setEnvironmentValue("OLTREX_BOOTSIM_AUTOSTART", std::nullopt);
    LinkedD2xxDevice device;
    D2xxComPort port(device);
    Pages pages;
    UpdateWorkerSetup setup;
    setup.keys = &keyLibrary();
    setup.port = &port;
    setup.clock = &systemClock();
    setup.image = {image.data(), static_cast<std::uint32_t>(image.size()), "ComP FW-0120"};
    setup.logFolder = folder.path();
    setup.bootLoaderStartMs = 100;
    EXPECT_EQ(runUpdateWorker(pages, setup), 1);
    EXPECT_EQ(pages.outcome, 1);
    EXPECT_FALSE(pages.running);
    EXPECT_NE(pages.result.find("erfolgreich durchgeführt."), std::string::npos);
    // The simulator leaves the boot loader right after its answer to the reboot.
    std::optional<simkey::KeyIni> ini;
    for (int i = 0; i < 300; ++i) {
        ini = simkey::readKeyIni(key);
        if (ini && !ini->bootloader) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(ini);
    EXPECT_FALSE(ini->bootloader);
    EXPECT_EQ(ini->identity.firmware, "0120");
    // Its last act is removing its link.
    for (int i = 0; i < 300 && simulator.published(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(simulator.published());
    char info[64] = {};
    EXPECT_EQ(keyLibrary().keyInfo(info, sizeof info), 0);
    EXPECT_NE(std::string(info).find("FW-0120"), std::string::npos);
    for (const char* name : {"OLTREX_KEY", "OLTREX_BOOTSIM", "OLTREX_BOOTSIM_ARGS"}) {
        setEnvironmentValue(name, std::nullopt);
    }
}

}  // namespace
}  // namespace oltrex
