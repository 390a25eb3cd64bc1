#pragma once
// "Update" for a window that stays responsive: the transfer runs on a worker
// thread, exactly as it would on the window's thread (same steps, waits and
// time-outs), while the window keeps repainting itself and can be moved. Its
// controls are off meanwhile, as nothing may interrupt a transfer.
#include <atomic>
#include <functional>
#include <thread>

#include "oltrex/fwflasher/FlasherFlow.h"
#include "oltrex/fwflasher/FlasherWindow.h"

namespace oltrex::fwflasher {

class BackgroundUpgrade {
public:
    BackgroundUpgrade(FlasherFlow& flow, FlasherWindow& window);
    // Waits for a transfer still running.
    ~BackgroundUpgrade();
    BackgroundUpgrade(const BackgroundUpgrade&) = delete;
    BackgroundUpgrade& operator=(const BackgroundUpgrade&) = delete;

    // On the window's thread: the switch of the key and its box; then the
    // controls go off and the transfer starts on the worker. `ended` is called
    // on the worker when the transfer is over: the window hands it to its own
    // thread, where it calls finish(). EndProgram when the user chose to stop
    // (nothing was started); Continue also when a transfer already runs.
    FlowOutcome start(std::function<void()> ended);
    // On the window's thread, after `ended`: joins the worker and turns the
    // controls on again. The transfer's result (1 done, -1 failed), 0 when
    // none had been started.
    int finish();
    // A transfer was started and not yet finished.
    bool running() const { return worker_.joinable(); }

private:
    FlasherFlow& flow_;
    FlasherWindow& window_;
    std::thread worker_;
    std::atomic<int> result_{0};
};

}  // namespace oltrex::fwflasher
