#pragma once
// What the KeyRefresh window works with: the key, the clock, the update log,
// the message boxes and the update worker's setup.
#include <filesystem>
#include <string>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/keyrefresh/window/RefreshForm.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex::gui {

class RefreshPrompts;

struct RefreshWindowParts {
    KeyLibrary* keys = nullptr;
    Clock* clock = nullptr;  // paces the key identification
    CWLog* log = nullptr;
    RefreshPrompts* prompts = nullptr;
    UpdateWorkerSetup worker;
    std::string newFirmware;  // version of the carried image, "1.20"
    // Command-line folder of the hidden firmware-header button.
    std::filesystem::path firmwareFolder;

    RefreshServices services() const {
        return RefreshServices{keys, clock, log, worker, newFirmware, firmwareFolder};
    }
};

}  // namespace oltrex::gui
