#pragma once
// KeyRefresh in a terminal: the window's flow without the window. The
// conditions must be accepted explicitly; the key page's text and the result
// text are printed; the update log gets the window's entries.
#include <filesystem>
#include <iosfwd>
#include <string>

#include "oltrex/device/ComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex {

class CWLog;

// Exit statuses of the terminal mode.
enum HeadlessExit : int {
    kExitUpdated = 0,
    kExitUpdateFailed = 1,
    kExitUsage = 2,
    kExitConditionsNotAccepted = 3,
    kExitKeyRefused = 4,  // no key, not an updatable key, or the key was exchanged
    kExitAlreadyRunning = 5,
};

struct HeadlessSetup {
    bool conditionsAccepted = false;
    KeyLibrary* keys = nullptr;
    CWLog* log = nullptr;  // may be null: no entries then
    // What the update worker needs; its clock also paces the key identification.
    UpdateWorkerSetup worker;
    std::string newFirmware;  // "1.20"
};

// The conditions text as one block, in the order of its eleven parts.
std::string conditionsText();

int runHeadlessRefresh(const HeadlessSetup& setup, std::ostream& out, std::ostream& err);

}  // namespace oltrex
