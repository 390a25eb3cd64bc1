#include "oltrex/fwflasher/BackgroundUpgrade.h"

namespace oltrex::fwflasher {

BackgroundUpgrade::BackgroundUpgrade(FlasherFlow& flow, FlasherWindow& window)
    : flow_(flow), window_(window) {}

BackgroundUpgrade::~BackgroundUpgrade() {
    if (worker_.joinable()) worker_.join();
}

FlowOutcome BackgroundUpgrade::start(std::function<void()> ended) {
    if (running()) return FlowOutcome::Continue;
    if (flow_.beginUpgrade() == FlowOutcome::EndProgram) return FlowOutcome::EndProgram;
    window_.enableControls(false);
    result_ = 0;
    worker_ = std::thread([this, ended = std::move(ended)] {
        result_ = flow_.runTransfer();
        if (ended) ended();
    });
    return FlowOutcome::Continue;
}

int BackgroundUpgrade::finish() {
    if (!worker_.joinable()) return 0;
    worker_.join();
    window_.enableControls(true);
    return result_;
}

}  // namespace oltrex::fwflasher
