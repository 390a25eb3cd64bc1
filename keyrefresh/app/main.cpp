// KeyRefresh: writes the firmware it carries into the OLTREX key.
//
//   KeyRefresh                 the window
//   KeyRefresh --headless --accept-conditions
//                              the same flow in a terminal; exit status 0 only
//                              after a successful update
// --trace writes trace lines to standard error.
#include <cstring>
#include <iostream>
#include <string>

#include "ProgramSetup.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/HeadlessRefresh.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/platform/Console.h"
#include "oltrex/platform/InstanceLock.h"
#include "oltrex/platform/Trace.h"

#ifdef OLTREX_KEYREFRESH_GUI
#include "GuiMain.h"
#endif

namespace {

struct Arguments {
    bool headless = false;
    bool acceptConditions = false;
    bool help = false;
    bool version = false;
    bool bad = false;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--headless")
            args.headless = true;
        else if (arg == "--accept-conditions")
            args.acceptConditions = true;
        else if (arg == "--trace")
            oltrex::setTraceEnabled(true);
        else if (arg == "--help" || arg == "-h")
            args.help = true;
        else if (arg == "--version")
            args.version = true;
        else if (!args.headless)
            continue;  // the window leaves its command line alone
        else
            args.bad = true;
    }
    return args;
}

int runHeadless(const Arguments& args) {
    oltrex::InstanceLock lock(oltrex::refresh::kInstanceName);
    if (!lock.acquired()) {
        std::cerr << "KeyRefresh: another KeyRefresh is running\n";
        return oltrex::kExitAlreadyRunning;
    }
    oltrex::ProgramParts program;
    oltrex::HeadlessSetup setup;
    setup.conditionsAccepted = args.acceptConditions;
    setup.keys = &program.keys();
    setup.log = &program.log();
    setup.worker = program.workerSetup();
    setup.newFirmware = oltrex::keyRefreshFirmwareVersion();
    return oltrex::runHeadlessRefresh(setup, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    oltrex::prepareConsoleOutput();
    oltrex::enableTraceFromEnvironment();
    const Arguments args = parseArguments(argc, argv);
    if (args.help || args.bad) {
        (args.bad ? std::cerr : std::cout)
            << "usage: KeyRefresh [--trace]\n"
               "       KeyRefresh --headless --accept-conditions [--trace]\n";
        return args.bad ? oltrex::kExitUsage : 0;
    }
    if (args.version) {
        std::cout << OLTREX_FILE_DESCRIPTION << " " << OLTREX_FILE_VERSION << " (firmware "
                  << oltrex::keyRefreshFirmwareVersion() << ")\n";
        return 0;
    }
    if (args.headless) return runHeadless(args);
#ifdef OLTREX_KEYREFRESH_GUI
    {
        // A second instance ends at once, without a window and without a word.
        oltrex::InstanceLock lock(oltrex::refresh::kInstanceName);
        if (!lock.acquired()) return 0;
        return oltrex::runKeyRefreshWindow(argc, argv);
    }
#else
    std::cerr << "KeyRefresh: built without its window; use --headless --accept-conditions\n";
    return oltrex::kExitUsage;
#endif
}
