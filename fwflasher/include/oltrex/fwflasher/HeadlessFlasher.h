#pragma once
// FwFlasher in a terminal: the window's flow without the window. The boxes
// are answered from the command line (the conditions must be accepted
// explicitly), their texts and the window's labels and status lines are
// printed, and with "/d" the memo lines too.
#include <iosfwd>
#include <string>

#include "oltrex/device/ComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/ComTask.h"

namespace oltrex::fwflasher {

// Exit statuses of the terminal mode (the window always ends with 0).
enum HeadlessExit : int {
    kExitFlashed = 0,
    kExitTransferFailed = 1,
    kExitUsage = 2,
    kExitConditionsNotAccepted = 3,
    kExitStopped = 4,  // no key, or the key could not be switched to its boot loader
};

struct HeadlessFlasherSetup {
    bool conditionsAccepted = false;
    // Go on when no key answers (a key whose boot loader already runs).
    bool withoutKey = false;
    bool debugView = false;
    KeyLibrary* keys = nullptr;
    ComPort* port = nullptr;
    Clock* clock = nullptr;
    FirmwareImage image;
    std::string imageLabel;
    std::uint32_t bootLoaderStartMs = 1000;
    ComTaskLimits limits;
};

int runHeadlessFlasher(const HeadlessFlasherSetup& setup, std::ostream& out);

}  // namespace oltrex::fwflasher
