#pragma once
// The console front end run on a simulated rig, its output caught in memory.
#include <stdio.h>

#include <cstdlib>
#include <string>

#include "SimulatedRig.h"
#include "oltrex/keyfetch/console/HeadlessRun.h"

namespace kftest {

struct ConsoleOutcome {
    int status;
    std::string output;
};

inline ConsoleOutcome runConsole(SimulatedRig& rig, const oltrex::console::ConsoleOptions& options,
                                 int stopFd = -1) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&text, &size);
    oltrex::console::HeadlessEnvironment env{rig.key, rig.settings, rig.clock, rig.work, out,
                                             false,   100,          stopFd,    {}};
    const int status = oltrex::console::runHeadless(options, env);
    std::fclose(out);
    ConsoleOutcome o{status, std::string(text, size)};
    std::free(text);
    return o;
}

// KeyFetch --headless --start --make-eu with plain lines and a 1 ms tick.
inline oltrex::console::ConsoleOptions downloadOptions() {
    oltrex::console::ConsoleOptions o;
    o.headless = true;
    o.start = true;
    o.makeEuFile = true;
    o.tickMs = 1;
    o.display = oltrex::console::DisplayStyle::Lines;
    return o;
}

}  // namespace kftest
