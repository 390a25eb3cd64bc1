#include "BootSimLauncher.h"

#include <dlfcn.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace oltrex::simkey {
namespace fs = std::filesystem;

namespace {

constexpr auto kLinkWait = std::chrono::milliseconds(3000);
constexpr int kPollStepMs = 10;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The simulator installed beside libkeylink.so.
fs::path besideThisLibrary() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&startBootSimulator), &info) == 0 || !info.dli_fname)
        return {};
    return fs::path(info.dli_fname).parent_path() / "oltrex-bootsim";
}

bool linkExists(const std::string& link) {
    struct stat st {};
    return ::lstat(link.c_str(), &st) == 0;
}

// The child is reaped in the background so that it never stays a zombie.
void reapLater(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

int startBootSimulator(const fs::path& keyFolder) {
    const std::string port = environment("OLTREX_FTDI_PORT");
    if (port.empty() || environment("OLTREX_BOOTSIM_AUTOSTART") == "0") return 0;
    std::string exe = environment("OLTREX_BOOTSIM");
    if (exe.empty()) exe = besideThisLibrary().string();
    if (exe.empty() || ::access(exe.c_str(), X_OK) != 0) return 0;

    std::vector<std::string> args = {exe, "--key", keyFolder.string(), "--link", port};
    std::istringstream extra(environment("OLTREX_BOOTSIM_ARGS"));
    for (std::string word; extra >> word;) args.push_back(word);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;

    const auto deadline = std::chrono::steady_clock::now() + kLinkWait;
    for (;;) {
        if (linkExists(port)) {
            reapLater(pid);
            return 0;
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return linkExists(port) ? 0 : -2;
        if (std::chrono::steady_clock::now() >= deadline) {
            reapLater(pid);
            return -3;
        }
        ::poll(nullptr, 0, kPollStepMs);
    }
}

}  // namespace oltrex::simkey
