#pragma once
// FwFlasher's program flow without the window system: what happens when the
// main form is shown (FormShow), when "Update" is pressed (ButtonUpgradeClick)
// and when the key picture is clicked (Image1Click).
#include <cstdint>
#include <string>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/fwflasher/FlasherPrompts.h"
#include "oltrex/fwflasher/FlasherWindow.h"
#include "oltrex/fwflasher/Userdownloadunit.h"
#include "oltrex/platform/Clock.h"

namespace oltrex::fwflasher {

enum class FlowOutcome { Continue, EndProgram };

struct FlasherFlowSetup {
    KeyLibrary* keys = nullptr;
    FlasherPrompts* prompts = nullptr;
    FlasherWindow* window = nullptr;
    Userdownloadunit* transfer = nullptr;
    // Sleeps the wait before the transfer (tests pass a clock that does not sleep).
    Clock* clock = nullptr;
    // The image's version label, e.g. " FW-0114".
    std::string imageLabel;
    // Time the key needs to start its boot loader after the switch.
    std::uint32_t bootLoaderStartMs = 1000;
    // The form is repainted after this many transfer steps.
    unsigned repaintEverySteps = 21;
};

class FlasherFlow {
public:
    explicit FlasherFlow(const FlasherFlowSetup& setup);

    // Conditions box, key reading, labels, version check. EndProgram when
    // the user declined the conditions or chose to stop for want of a key.
    FlowOutcome formShow();
    // Switches the key into its boot loader (when one was found), waits, and
    // runs the transfer to its end. EndProgram when the switch failed and the
    // user chose to stop.
    FlowOutcome buttonUpgradeClick();
    // The same in two halves, for a window that keeps handling its events
    // while the transfer runs on a worker thread (BackgroundUpgrade):
    // the switch and its box, on the window's thread ...
    FlowOutcome beginUpgrade();
    // ... then, on any thread, the wait for the boot loader and the transfer
    // to its end; 1 done, -1 failed.
    int runTransfer();
    // Reads the key again and shows the info form.
    void image1Click();

    bool keyFound() const { return keyFound_; }
    const std::string& keyRecord() const { return record_; }
    // 1 or -1 for the last transfer, 0 before any.
    int lastTransferResult() const { return lastResult_; }

    // Size of the buffer handed to _getSerialNumber.
    static constexpr std::size_t kRecordBufferSize = 128;

private:
    // _getSerialNumber and, on success, the labels and the info form's key ID.
    bool readKey();

    FlasherFlowSetup setup_;
    bool keyFound_ = false;
    std::string record_;
    int lastResult_ = 0;
};

}  // namespace oltrex::fwflasher
