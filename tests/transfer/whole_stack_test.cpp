// The whole stack: ComTask and the update worker, the D2XX binding and its
// stand-in, a pseudo-terminal, and the boot-loader simulator in its own process.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "TransferTestSupport.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/transfer/ComTask.h"
#include "oltrex/transfer/LogTransferEvents.h"
#include "oltrex/transfer/UpdateWorker.h"

extern char** environ;

namespace oltrex {
namespace {

namespace fs = std::filesystem;
using testing::logLines;
using testing::makeTestImage;
using testing::readText;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

fs::path binFolder() {
    const char* bin = std::getenv("OLTREX_BIN");
    return bin ? fs::path(bin) : fs::path();
}

// oltrex-bootsim as a child process.
class Simulator {
public:
    ~Simulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool start(const fs::path& link, std::vector<std::string> extra) {
        const std::string exe = (binFolder() / "oltrex-bootsim").string();
        std::vector<std::string> args = {exe, "--link", link.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
        for (int i = 0; i < 300; ++i) {
            struct stat st {};
            if (::lstat(link.c_str(), &st) == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Exit status, or -1 when it is still running after `seconds`.
    int wait(int seconds = 5) {
        for (int i = 0; i < seconds * 100; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid_ = 0;
};

class WholeStack : public ::testing::Test {
protected:
    void SetUp() override {
        if (binFolder().empty() || !fs::exists(binFolder() / "oltrex-bootsim")) {
            GTEST_SKIP() << "OLTREX_BIN does not hold oltrex-bootsim";
        }
        link = folder.path() / "ttyOltrexKey";
        key = folder.path() / "key";
        simkey::KeyIdentity identity;
        identity.firmware = "0110";
        std::string error;
        ASSERT_TRUE(simkey::createKey(key, identity, &error)) << error;
        ::setenv("OLTREX_FTDI_PORT", link.c_str(), 1);
        ASSERT_TRUE(log.openFresh(folder.path()));
    }
    void TearDown() override { ::unsetenv("OLTREX_FTDI_PORT"); }

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
    fs::path link, key;
    TransferLog log;
    Simulator simulator;
    Bytes image = makeTestImage(45096, " FW-0120", 0x1234);
    // Short answer time-outs keep the fault cases fast; the program uses 3000 ms.
    ComTaskLimits quick{1000, 3, 10, 2048};
};

TEST_F(WholeStack, FlashesTheImageIntactAndTheKeyThenReportsItsFirmware) {
    ASSERT_TRUE(simulator.start(link, {"--key", key.string()}));
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
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the simulator removes its link";

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
    ASSERT_TRUE(simulator.start(link, {"--key", key.string(), "--drop", "7,90,178"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    Bytes stored;
    std::error_code ec;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
}

TEST_F(WholeStack, FailsOnTheFourthDroppedAnswer) {
    ASSERT_TRUE(simulator.start(link, {"--key", key.string(), "--drop", "7,30,31,100"}));
    ASSERT_EQ(transfer(quick), -1);
    const auto all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "displLed(): LED=Error");
    EXPECT_EQ(all.back(), "displStatus(): Fehler ");
    EXPECT_FALSE(fs::exists(key / "firmware.bin"));
}

TEST_F(WholeStack, ResendsTheSameFrameAfterANack) {
    ASSERT_TRUE(simulator.start(link, {"--key", key.string(), "--nack", "5,178"}));
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
    ASSERT_TRUE(simulator.start(link, {"--key", key.string(), "--delay", "300@5,40"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(simulator.wait(), 0);
    EXPECT_EQ(count("displMsg(): block sent "), 179u);

    std::error_code ec;
    fs::remove(key / "firmware.bin", ec);
    ASSERT_TRUE(log.openFresh(folder.path()));
    Simulator late;
    ASSERT_TRUE(late.start(link, {"--key", key.string(), "--delay", "1400@5"}));
    ASSERT_EQ(transfer(quick), 1);
    EXPECT_EQ(late.wait(), 0);
    EXPECT_EQ(count("displMsg(): block sent "), 180u);
    Bytes stored;
    ASSERT_TRUE(readWholeFile(key / "firmware.bin", stored, ec));
    EXPECT_EQ(stored, image);
}

TEST_F(WholeStack, RecoversFromAnswersWithASpoiltStartCodeOrEndByte) {
    // Frame 5's answer loses its opening byte, the resent frame's answer its
    // code, the next resend's answer its closing byte.
    ASSERT_TRUE(simulator.start(link, {"--key", key.string(), "--corrupt", "5:0", "--corrupt", "6:1",
                                       "--corrupt", "7:2"}));
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
    ASSERT_TRUE(simulator.start(link, {"--silent-from", "3"}));
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
    ::setenv("OLTREX_KEY", key.c_str(), 1);
    ::setenv("OLTREX_BOOTSIM", (binFolder() / "oltrex-bootsim").c_str(), 1);
    ::setenv("OLTREX_BOOTSIM_ARGS", "--idle-timeout 20", 1);
    ::unsetenv("OLTREX_BOOTSIM_AUTOSTART");
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
    for (int i = 0; i < 300 && fs::exists(fs::symlink_status(link)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    char info[64] = {};
    EXPECT_EQ(keyLibrary().keyInfo(info, sizeof info), 0);
    EXPECT_NE(std::string(info).find("FW-0120"), std::string::npos);
    ::unsetenv("OLTREX_KEY");
    ::unsetenv("OLTREX_BOOTSIM");
    ::unsetenv("OLTREX_BOOTSIM_ARGS");
}

}  // namespace
}  // namespace oltrex
