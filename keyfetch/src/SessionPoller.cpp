#include "oltrex/keyfetch/SessionPoller.h"

#include <chrono>

namespace oltrex {

SessionPoller::SessionPoller(KeySession& session, ActivityBar& bar, AfterStep afterStep,
                             std::uint32_t tickMs)
    : session_(session), bar_(bar), afterStep_(std::move(afterStep)), tickMs_(tickMs) {}

SessionPoller::~SessionPoller() {
    stop();
}

void SessionPoller::start() {
    std::lock_guard lock(mutex_);
    if (running_ || thread_.joinable()) return;
    running_ = true;
    thread_ = std::thread([this] { loop(); });
}

void SessionPoller::requestStop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
}

void SessionPoller::stop() {
    requestStop();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool SessionPoller::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void SessionPoller::stepOnce() {
    session_.setActivityBar(&bar_);
    session_.step();
    if (afterStep_) afterStep_(session_.view());
}

void SessionPoller::loop() {
    for (;;) {
        session_.setActivityBar(&bar_);
        session_.step();
        if (!running()) break;  // Exit during the step: no more updates
        if (afterStep_) afterStep_(session_.view());
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(tickMs_), [this] { return !running_; });
        if (!running_) break;
    }
}

}  // namespace oltrex
