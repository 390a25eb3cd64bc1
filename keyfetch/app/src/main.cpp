// KeyFetch: downloads the tachograph files of an OLTREX-Key into download
// containers. The window front end when the program has one and --headless
// is not given, else the console front end.
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/console/ConsoleOptions.h"
#include "oltrex/keyfetch/console/HeadlessRun.h"
#include "oltrex/keyfetch/console/WindowFrontEnd.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/platform/Trace.h"

#ifndef OLTREX_VERSION
#define OLTREX_VERSION ""
#endif

namespace {

int terminalWidth() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 100;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace oltrex::console;
    ConsoleOptions options;
    std::string error;
    if (!parseConsoleOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "KeyFetch: %s (see --help)\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(consoleHelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("OLTREX-KeyFetch [%s]\n", OLTREX_VERSION);
        return 0;
    }
    if (options.trace) {
        oltrex::setTraceEnabled(true);
    } else {
        oltrex::enableTraceFromEnvironment();
    }
    if (!options.headless && oltrex::keyFetchWindowAvailable())
        return oltrex::runKeyFetchWindow(argc, argv);

    // Ctrl-C and termination reach the main loop as a readable descriptor;
    // the worker threads started later inherit the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);

    std::error_code ec;
    const std::filesystem::path workFolder = oltrex::createWorkFolder(ec);
    if (workFolder.empty()) {
        std::fprintf(stderr, "KeyFetch: no private work folder in %s: %s\n",
                     oltrex::systemTempFolder().c_str(), ec.message().c_str());
        return kExitUsage;
    }

    HeadlessEnvironment env{oltrex::keyLibrary(),
                            oltrex::machineSettings(),
                            oltrex::systemClock(),
                            workFolder,
                            stdout,
                            ::isatty(STDOUT_FILENO) == 1,
                            terminalWidth(),
                            stopFd,
                            {}};
    const int status = runHeadless(options, env);

    // The work folder and everything in it are this run's own.
    std::filesystem::remove_all(workFolder, ec);
    if (stopFd >= 0) ::close(stopFd);
    return status;
}
