#pragma once
// oltrex-bootsim in a process of its own, for the tests of the line to the
// boot loader (the D2XX stand-ins, the whole stack). On Linux the test starts
// it and its line is a link in the test's folder. In the Windows build it is
// the Linux program ($OLTREX_BOOTSIM, else the one the build names), started
// through Wine, and its line the COM port whose link it publishes in the Wine
// prefix; Wine gives no handle to it, so it ends by itself (after the reboot,
// or idle).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"

#ifdef _WIN32
#include <windows.h>

#include "oltrex/winehost/WineHost.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace oltrex::testing {

#ifdef _WIN32

class BootSimulatorProcess {
public:
    // `folder` is unused here: the line is a COM port that no simulator
    // serves yet (one of an earlier test may still be waiting to end idle).
    explicit BootSimulatorProcess(const std::filesystem::path&) {
        const unsigned start = GetCurrentProcessId() * 7919u + GetTickCount();
        for (unsigned k = 0; k < kPorts && port_.empty(); ++k) {
            const std::string name = "COM" + std::to_string(10 + (start + k) % kPorts);
            if (!winehost::comPortOpens(name)) port_ = name;
        }
    }

    // The simulator's Linux path; empty when there is none (not under Wine).
    static std::string program() {
        if (!winehost::underWine()) return {};
        if (auto env = environmentValue("OLTREX_BOOTSIM"); env && !env->empty()) return *env;
#ifdef OLTREX_LINUX_BOOTSIM
        return OLTREX_LINUX_BOOTSIM;
#else
        return {};
#endif
    }
    bool available() const {
        const std::string exe = program();
        return !exe.empty() && winehost::linuxFileExists(exe);
    }
    // What the flasher opens as device 0 ($OLTREX_FTDI_PORT).
    const std::string& port() const { return port_; }

    bool start(const std::filesystem::path& key, const std::vector<std::string>& extra) {
        const auto link = winehost::comPortLinkPath(port_);
        if (!link) return false;
        std::vector<std::string> args = {program(), "--link", *link, "--idle-timeout", "10"};
        if (!key.empty()) {
            const auto linuxKey = winehost::linuxPathOf(key);
            if (!linuxKey) return false;
            args.insert(args.end(), {"--key", *linuxKey});
        }
        args.insert(args.end(), extra.begin(), extra.end());
        if (!winehost::startLinuxProgram(args)) return false;
        for (int i = 0; i < 300; ++i) {
            if (winehost::comPortOpens(port_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // The line is there. Windows sees no link of the prefix, only the port:
    // it opens while the simulator runs (and the flasher has closed it).
    bool published() const { return winehost::comPortOpens(port_); }
    // 0 once the simulator has ended (it removes its link last), -1 when it
    // still runs after `seconds`.
    int wait(int seconds = 5) {
        for (int i = 0; i < seconds * 100; ++i) {
            if (!published()) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    static constexpr unsigned kPorts = 240;  // COM10 to COM249
    std::string port_;
};

#else

class BootSimulatorProcess {
public:
    explicit BootSimulatorProcess(const std::filesystem::path& folder)
        : link_(folder / "ttyOltrexKey"), port_(link_.string()) {}
    ~BootSimulatorProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    static std::string program() {
        const char* bin = std::getenv("OLTREX_BIN");
        return bin ? (std::filesystem::path(bin) / "oltrex-bootsim").string() : std::string();
    }
    bool available() const { return !program().empty() && std::filesystem::exists(program()); }
    const std::string& port() const { return port_; }

    bool start(const std::filesystem::path& key, const std::vector<std::string>& extra) {
        const std::string exe = program();
        std::vector<std::string> args = {exe, "--link", link_.string()};
        if (!key.empty()) args.insert(args.end(), {"--key", key.string()});
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
        for (int i = 0; i < 300; ++i) {
            if (published()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    bool published() const {
        struct stat st {};
        return ::lstat(link_.c_str(), &st) == 0;
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
    std::filesystem::path link_;
    std::string port_;
    pid_t pid_ = 0;
};

#endif

}  // namespace oltrex::testing
