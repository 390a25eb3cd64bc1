#pragma once
// The console front end run on a simulated rig, its output caught in memory.
#include <string>

#include "SimulatedRig.h"
#include "oltrex/keyfetch/console/HeadlessRun.h"
#include "support/CapturedOutput.h"

namespace kftest {

struct ConsoleOutcome {
    int status;
    std::string output;
};

inline ConsoleOutcome runConsole(SimulatedRig& rig, const oltrex::console::ConsoleOptions& options,
                                 oltrex::console::StopRequest* stop = nullptr) {
    int status = -1;
    const std::string text = oltrex::testing::capturedOutput([&](std::FILE* out) {
        oltrex::console::HeadlessEnvironment env{rig.key, rig.settings, rig.clock, rig.work, out,
                                                 false,   100,          stop,      {}};
        status = oltrex::console::runHeadless(options, env);
    });
    return ConsoleOutcome{status, text};
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
