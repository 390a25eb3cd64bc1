#pragma once
// The main form's logic for every view of it (Qt, Win32): what the buttons
// and the key picture do, that the form is read once when it is first shown,
// that nothing interrupts a transfer (controls off, closing refused), and the
// hand-over of what the transfer shows from its worker thread to the view's
// thread. A view only builds its controls and carries out FlasherView.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "oltrex/device/ComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/fwflasher/BackgroundUpgrade.h"
#include "oltrex/fwflasher/FlasherFlow.h"
#include "oltrex/fwflasher/FlasherPrompts.h"
#include "oltrex/fwflasher/FlasherWindow.h"
#include "oltrex/fwflasher/Userdownloadunit.h"
#include "oltrex/platform/Clock.h"

namespace oltrex::fwflasher {

// What the form works with; the program passes the linked libraries, tests
// their own.
struct FlasherServices {
    KeyLibrary* keys = nullptr;
    ComPort* port = nullptr;  // sends one byte per write call
    Clock* clock = nullptr;
    FlasherPrompts* prompts = nullptr;
    FirmwareImage image;
    std::string imageLabel;  // " FW-0114"
    std::uint32_t bootLoaderStartMs = 1000;
    ComTaskLimits limits;
};

// A view of the main form. Every call comes on the view's thread except
// postToViewThread.
class FlasherView : public FlasherWindow {
public:
    // From the worker: runs `change` later on the view's thread, after what
    // was posted before. A view that is gone drops it.
    virtual void postToViewThread(std::function<void()> change) = 0;
    // The user chose to stop: the program ends.
    virtual void endProgram() = 0;
    // "Ende": closes the main form, which ends the program.
    virtual void closeForm() = 0;
    // A transfer ended (1 done, -1 failed); the controls are on again.
    virtual void onTransferEnded(int /*result*/) {}
};

class FlasherForm {
public:
    // On the view's thread, which it remembers.
    FlasherForm(const FlasherServices& services, FlasherView& view);
    // Waits for a transfer still running; what it shows after that is dropped.
    ~FlasherForm();
    FlasherForm(const FlasherForm&) = delete;
    FlasherForm& operator=(const FlasherForm&) = delete;

    // True the first time only: the view then calls formShow() once the
    // window is on the screen, so that the boxes stand in front of it.
    bool claimFirstShow();
    // Conditions box, key reading, labels, version check (FormShow).
    void formShow();
    // "Update": the switch of the key and its box here, then the transfer on
    // a worker with the controls off.
    void buttonUpgradeClick();
    // "Ende".
    void buttonCancelClick();
    // The key picture: reads the key again and shows the info form.
    void image1Click();
    // Closing the window is refused while a transfer runs.
    bool mayClose() const { return !transferRunning(); }
    // "Update", "Ende", the picture and the close box take input.
    bool controlsEnabled() const { return !transferRunning(); }

    bool transferRunning() const { return upgrade_->running(); }
    const FlasherFlow& flow() const { return *flow_; }

private:
    class ViewThreadWindow;
    void upgradeEnded();

    FlasherView& view_;
    std::unique_ptr<ViewThreadWindow> window_;
    std::unique_ptr<Userdownloadunit> transfer_;
    std::unique_ptr<FlasherFlow> flow_;
    // Last, so that it ends (waiting for a running transfer) before the others.
    std::unique_ptr<BackgroundUpgrade> upgrade_;
    bool firstShowClaimed_ = false;
};

}  // namespace oltrex::fwflasher
