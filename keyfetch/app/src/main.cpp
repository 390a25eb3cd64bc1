// KeyFetch: downloads the tachograph files of an OLTREX-Key into download
// containers. The window front end when the program has one and --headless
// is not given, else the console front end.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/console/ConsoleOptions.h"
#include "oltrex/keyfetch/console/HeadlessRun.h"
#include "oltrex/keyfetch/console/WindowFrontEnd.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Console.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/platform/Trace.h"
#include "oltrex/sdimport/ConsoleImport.h"

#ifndef OLTREX_VERSION
#define OLTREX_VERSION ""
#endif

namespace {

// The firmware number the import names card files with: that of a key that
// answers now, else 0 (as the dialog has it before a key was read).
int pluggedKeyFirmwareNumber(oltrex::KeyLibrary& key) {
    std::string info;
    if (key.keyInfoText(info, 128) != 0) return 0;
    const auto fw = info.find("FW-");
    if (fw == std::string::npos || info.size() < fw + 7) return 0;
    int number = 0;
    for (char c : info.substr(fw + 3, 4)) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

bool makeEuSetting() {
    const auto value = oltrex::machineSettings().read("Software\\OLTREX\\OLTREX-KEY", "MakeEU");
    return value.found() && !value.value.empty() && value.value.front() == '1';
}

// The SD-card import runs before Ctrl-C is redirected: it is one short,
// synchronous job whose only wait is the drive question.
int runSdImport(const oltrex::console::ConsoleOptions& options) {
    std::error_code ec;
    const std::filesystem::path workFolder = oltrex::createWorkFolder(ec);
    if (workFolder.empty()) {
        std::fprintf(stderr, "KeyFetch: no private work folder in %s: %s\n",
                     oltrex::utf8Of(oltrex::systemTempFolder()).c_str(), ec.message().c_str());
        return oltrex::console::kExitUsage;
    }
    oltrex::ConsoleSdImportOptions importOptions;
    importOptions.mountPoint = options.sdMountPoint;
    importOptions.makeEuFile = options.makeEuFile.value_or(makeEuSetting());
    importOptions.firmwareNumber = pluggedKeyFirmwareNumber(oltrex::keyLibrary());
    oltrex::ConsoleSdImportEnvironment env{oltrex::keyLibrary(), oltrex::machineSettings(),
                                           oltrex::systemClock(), workFolder, {}};
    const int status = oltrex::runConsoleSdImport(env, importOptions, std::cin, std::cout);
    std::filesystem::remove_all(workFolder, ec);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace oltrex::console;
    oltrex::prepareConsoleOutput();
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
    if (!options.headless && !options.sdImport && oltrex::keyFetchWindowAvailable())
        return oltrex::runKeyFetchWindow(argc, argv);
    if (options.sdImport) return runSdImport(options);

    // Ctrl-C (and termination) only ask the run to stop after the file under
    // way; set up before any worker thread starts.
    StopRequest stop;
    oltrex::ConsoleInterrupt interrupt([&stop] { stop.request(); });

    std::error_code ec;
    const std::filesystem::path workFolder = oltrex::createWorkFolder(ec);
    if (workFolder.empty()) {
        std::fprintf(stderr, "KeyFetch: no private work folder in %s: %s\n",
                     oltrex::utf8Of(oltrex::systemTempFolder()).c_str(), ec.message().c_str());
        return kExitUsage;
    }

    HeadlessEnvironment env{oltrex::keyLibrary(),
                            oltrex::machineSettings(),
                            oltrex::systemClock(),
                            workFolder,
                            stdout,
                            oltrex::isTerminal(stdout),
                            oltrex::terminalColumns(stdout),
                            &stop,
                            {}};
    const int status = runHeadless(options, env);

    // The work folder and everything in it are this run's own.
    std::filesystem::remove_all(workFolder, ec);
    return status;
}
