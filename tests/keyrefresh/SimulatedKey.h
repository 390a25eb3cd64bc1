#pragma once
// A simulated key for whole-program tests: a key folder plugged through
// $OLTREX_KEY, the D2XX stand-in on a link in the scratch folder, and the
// boot-loader simulator that libkeylink.so starts when the key enters its
// boot loader. Waits are cut short; line time-outs are real.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex::test {

// Real ticks and local time; sleeps of at most 10 ms.
class QuickClock final : public Clock {
  public:
    std::uint32_t tickMs() override { return systemClock().tickMs(); }
    void sleepMs(std::uint32_t ms) override {
        systemClock().sleepMs(std::min<std::uint32_t>(ms, 10));
    }
    LocalTime localTime() override { return systemClock().localTime(); }
};

class SimulatedKey {
  public:
    // `firmware` as the key reports it, e.g. "0110"; `bootsimArgs` e.g. "--silent-from 3".
    explicit SimulatedKey(const ScratchFolder& scratch, const std::string& firmware = "0110",
                          const std::string& bootsimArgs = "")
        : folder_(scratch / "key"), port_(device_, {}) {
        fs::create_directories(folder_ / "files");
        fs::create_directories(scratch / "run");
        fs::create_directories(scratch / "tmp");
        writeKeyIni("0012345678", firmware);
        setenv("OLTREX_KEY", folder_.c_str(), 1);
        setenv("OLTREX_FTDI_PORT", (scratch / "run" / "ttyKEY").c_str(), 1);
        setenv("OLTREX_BOOTSIM_ARGS", ("--idle-timeout 3 " + bootsimArgs).c_str(), 1);
        setenv("OLTREX_DATA_DIR", (scratch / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (scratch / "run").c_str(), 1);
        unsetenv("OLTREX_BOOTSIM_AUTOSTART");
        transferLogFolder_ = scratch / "tmp";
    }
    ~SimulatedKey() {
        for (const char* name : {"OLTREX_KEY", "OLTREX_FTDI_PORT", "OLTREX_BOOTSIM_ARGS",
                                 "OLTREX_DATA_DIR", "XDG_RUNTIME_DIR"})
            unsetenv(name);
    }

    void writeKeyIni(const std::string& number, const std::string& firmware) {
        writeText(folder_ / "key.ini", "[key]\nseries=OX\nnumber=" + number +
                                           "\nfirmware=" + firmware + "\nbootloader=0\n");
    }

    // The worker's setup against this key, with short waits.
    UpdateWorkerSetup workerSetup(std::uint32_t answerTimeoutMs = 3000) {
        UpdateWorkerSetup setup;
        setup.keys = &keys_;
        setup.port = &port_;
        setup.clock = &clock_;
        setup.image = FirmwareImage{keyRefreshFirmwareImage(), keyRefreshFirmwareLength(),
                                    keyRefreshFirmwareDescription()};
        setup.logFolder = transferLogFolder_;
        setup.bootLoaderStartMs = 0;
        setup.limits.answerTimeoutMs = answerTimeoutMs;
        return setup;
    }

    // The key's information text once the simulator has finished with it.
    std::string infoTextWhenSettled(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::string text;
        while (std::chrono::steady_clock::now() < deadline) {
            keys_.keyInfoText(text, 500);
            if (!text.empty()) return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return text;
    }

    KeyLibrary& keys() { return keys_; }
    QuickClock& clock() { return clock_; }
    const fs::path& folder() const { return folder_; }
    const fs::path& transferLogFolder() const { return transferLogFolder_; }

  private:
    fs::path folder_;
    fs::path transferLogFolder_;
    LinkedKeyLibrary keys_;
    LinkedD2xxDevice device_;
    D2xxComPort port_;
    QuickClock clock_;
};

}  // namespace oltrex::test
