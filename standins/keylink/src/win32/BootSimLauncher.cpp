// The boot loader of the tests' keylink.dll: the Linux simulator oltrex-bootsim,
// whose line appears as the COM port $OLTREX_FTDI_PORT (e.g. "COM5") through
// a link in the Wine prefix. With $OLTREX_BOOTSIM (the simulator's Linux
// path) the key starts it itself, as on Linux; without, the test harness has
// started it beforehand. Either way the call returns once the port opens.
#include "BootSimLauncher.h"

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "oltrex/platform/Process.h"
#include "oltrex/winehost/WineHost.h"

namespace oltrex::simkey {

namespace {

constexpr auto kPortWait = std::chrono::milliseconds(3000);
constexpr auto kPollStep = std::chrono::milliseconds(10);

std::string environment(const char* name) {
    return environmentValue(name).value_or("");
}

// The simulator, started through Wine; false when it cannot be.
bool startThroughWine(const std::string& exe, const std::string& port,
                      const std::filesystem::path& keyFolder) {
    const auto key = winehost::linuxPathOf(keyFolder);
    const auto link = winehost::comPortLinkPath(port);
    if (!key || !link) return false;
    std::vector<std::string> args = {exe, "--key", *key, "--link", *link};
    std::istringstream extra(environment("OLTREX_BOOTSIM_ARGS"));
    for (std::string word; extra >> word;) args.push_back(word);
    return winehost::startLinuxProgram(args);
}

}  // namespace

int startBootSimulator(const std::filesystem::path& keyFolder) {
    const std::string port = environment("OLTREX_FTDI_PORT");
    if (port.empty() || environment("OLTREX_BOOTSIM_AUTOSTART") == "0") return 0;
    const std::string exe = environment("OLTREX_BOOTSIM");
    if (!exe.empty() && !startThroughWine(exe, port, keyFolder)) return -1;
    const auto deadline = std::chrono::steady_clock::now() + kPortWait;
    while (!winehost::comPortOpens(port)) {
        if (std::chrono::steady_clock::now() >= deadline) return -3;
        std::this_thread::sleep_for(kPollStep);
    }
    return 0;
}

}  // namespace oltrex::simkey
