#pragma once
// Helpers of the FwFlasher window tests: one offscreen Qt application for the
// test program, a simulated key in a private folder, the boot-loader simulator
// started by hand, and a clock that does not sleep.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTest>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"

extern char** environ;

namespace flashertest {

namespace fs = std::filesystem;

inline QApplication& qtApplication() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fwflasher-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Real ticks for the answer time-outs, but the wait before a transfer is only
// recorded.
class NoSleepClock final : public oltrex::Clock {
public:
    std::uint32_t tickMs() override { return oltrex::systemClock().tickMs(); }
    void sleepMs(std::uint32_t ms) override { slept.push_back(ms); }
    oltrex::LocalTime localTime() override { return oltrex::systemClock().localTime(); }
    std::vector<std::uint32_t> slept;
};

// The linked key library, counting the flasher's two calls.
class CountingKeyLibrary final : public oltrex::KeyLibrary {
public:
    int keyInfo(char* text, int size) override { return linked_.keyInfo(text, size); }
    int readDirectory(oltrex::DirectoryBuffers& dir) override { return linked_.readDirectory(dir); }
    int readFile(const std::string& remote, const std::string& local) override {
        return linked_.readFile(remote, local);
    }
    int deleteFile(const std::string& name) override { return linked_.deleteFile(name); }
    int firmwareUpdateMode() override { return linked_.firmwareUpdateMode(); }
    int beginSecureMode() override { return linked_.beginSecureMode(); }
    int endSecureMode() override { return linked_.endSecureMode(); }
    int getSerialNumber(char* record) override {
        ++serialCalls;
        return linked_.getSerialNumber(record);
    }
    int initSwDownload() override {
        ++initCalls;
        return linked_.initSwDownload();
    }
    int serialCalls = 0;
    int initCalls = 0;

private:
    oltrex::LinkedKeyLibrary linked_;
};

// Waits, handling window events, until `done` holds or `ms` have passed.
inline bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QTest::qWait(10);
    }
    return true;
}

inline std::vector<std::string> memoLines(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    for (const QString& line : memo->toPlainText().split(QLatin1Char('\n'))) {
        lines.push_back(line.toStdString());
    }
    return lines;
}

inline QColor textColour(const QWidget* label) {
    return label->palette().color(QPalette::WindowText);
}

// A private folder holding a simulated key ("key") and the place of the
// adapter's serial link ("ftdi"); $OLTREX_KEY and $OLTREX_FTDI_PORT point there.
class SimulatedKeySetup {
public:
    SimulatedKeySetup() {
        std::string pattern = (fs::temp_directory_path() / "fwflasher-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        fs::create_directories(keyFolder() / "files");
        ::setenv("OLTREX_KEY", keyFolder().c_str(), 1);
        ::setenv("OLTREX_FTDI_PORT", portLink().c_str(), 1);
        ::unsetenv("OLTREX_BOOTSIM_AUTOSTART");
        ::unsetenv("OLTREX_BOOTSIM");
        // A simulator left behind by a failed test ends on its own.
        ::setenv("OLTREX_BOOTSIM_ARGS", "--idle-timeout 20", 1);
    }
    ~SimulatedKeySetup() {
        stopSimulator();
        ::unsetenv("OLTREX_KEY");
        ::unsetenv("OLTREX_FTDI_PORT");
        ::unsetenv("OLTREX_BOOTSIM_ARGS");
        ::unsetenv("OLTREX_BOOTSIM_AUTOSTART");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    SimulatedKeySetup(const SimulatedKeySetup&) = delete;
    SimulatedKeySetup& operator=(const SimulatedKeySetup&) = delete;

    fs::path keyFolder() const { return root_ / "key"; }
    fs::path portLink() const { return root_ / "ftdi"; }

    // key.ini of a key with these firmware digits; `inBootLoader` makes it a
    // key whose boot loader already runs (it does not answer then).
    void writeKey(const std::string& firmware, bool inBootLoader = false) const {
        std::ofstream ini(keyFolder() / "key.ini", std::ios::trunc);
        ini << "[key]\nseries=OX\nnumber=0012345678\nfirmware=" << firmware
            << "\nbootloader=" << (inBootLoader ? 1 : 0) << "\n";
    }

    std::string firmwareInKeyIni() const {
        std::ifstream ini(keyFolder() / "key.ini");
        for (std::string line; std::getline(ini, line);) {
            if (line.rfind("firmware=", 0) == 0) return line.substr(9);
        }
        return {};
    }

    // Starts oltrex-bootsim from $OLTREX_BIN by hand; true once its link exists.
    bool startSimulator() {
        const char* bin = std::getenv("OLTREX_BIN");
        if (!bin) return false;
        std::vector<std::string> args = {(fs::path(bin) / "oltrex-bootsim").string(),
                                         "--key", keyFolder().string(),
                                         "--link", portLink().string(),
                                         "--idle-timeout", "20"};
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&simulator_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            simulator_ = 0;
            return false;
        }
        return waitFor([this] {
            struct stat st {};
            return ::lstat(portLink().c_str(), &st) == 0;
        }, 3000);
    }

    // Ends the simulator this test started (when it has not ended by itself).
    void stopSimulator() {
        if (simulator_ <= 0) return;
        int status = 0;
        // After a reboot it stores the image and ends by itself.
        const bool ended = waitFor([&] { return ::waitpid(simulator_, &status, WNOHANG) != 0; }, 2000);
        if (!ended) {
            ::kill(simulator_, SIGTERM);
            ::waitpid(simulator_, &status, 0);
        }
        simulator_ = 0;
    }

private:
    fs::path root_;
    pid_t simulator_ = 0;
};

}  // namespace flashertest
