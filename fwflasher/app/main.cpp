// FwFlasher: writes the firmware image it carries into the Oltrex-Key.
//
//   FwFlasher [/d]     the window; "/d" or "/D" anywhere in the arguments shows
//                      the protocol memo. The exit code is 0 in every case.
//   FwFlasher --headless --accept-conditions [--without-key] [/d]
//                      the same flow in a terminal; exit status 0 only after a
//                      successful transfer. --without-key goes on when no key
//                      answers (a key whose boot loader already runs).
#include <iostream>
#include <string>
#include <vector>

#include "ProgramParts.h"
#include "oltrex/fwflasher/CommandLine.h"
#include "oltrex/fwflasher/HeadlessFlasher.h"
#include "oltrex/platform/Console.h"

#ifdef OLTREX_FWFLASHER_GUI
#include "GuiMain.h"
#endif

using namespace oltrex;
using namespace oltrex::fwflasher;

namespace {

struct Arguments {
    bool headless = false;
    bool acceptConditions = false;
    bool withoutKey = false;
    bool debugView = false;
    bool help = false;
    bool bad = false;
};

Arguments parseArguments(const std::vector<std::string>& arguments) {
    Arguments args;
    args.debugView = debugViewRequested(arguments);
    for (const std::string& arg : arguments) {
        if (arg == "--headless") args.headless = true;
        else if (arg == "--accept-conditions") args.acceptConditions = true;
        else if (arg == "--without-key") args.withoutKey = true;
        else if (arg == "--help") args.help = true;
        else if (debugViewRequested({arg})) continue;
        else args.bad = true;
    }
    // The window leaves the rest of its command line alone.
    if (!args.headless) args.bad = false;
    return args;
}

int runHeadless(const Arguments& args) {
    ProgramParts parts;
    HeadlessFlasherSetup setup;
    setup.conditionsAccepted = args.acceptConditions;
    setup.withoutKey = args.withoutKey;
    setup.debugView = args.debugView;
    setup.keys = &keyLibrary();
    setup.port = &parts.port;
    setup.clock = &systemClock();
    setup.image = ProgramParts::image();
    setup.imageLabel = ProgramParts::imageLabel();
    return runHeadlessFlasher(setup, std::cout);
}

}  // namespace

int main(int argc, char** argv) {
    prepareConsoleOutput();
    // Arguments after the program path, read before Qt takes its own options.
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const Arguments args = parseArguments(arguments);
    if (args.help || args.bad) {
        (args.bad ? std::cerr : std::cout)
            << "usage: FwFlasher [/d]\n"
               "       FwFlasher --headless --accept-conditions [--without-key] [/d]\n";
        return args.bad ? kExitUsage : 0;
    }
    if (args.headless) return runHeadless(args);
#ifdef OLTREX_FWFLASHER_GUI
    return runFlasherWindow(argc, argv, args.debugView);
#else
    std::cerr << "FwFlasher: built without its window; use --headless --accept-conditions\n";
    return kExitUsage;
#endif
}
