#include "oltrex/keyfetch/window/ActivityAnimator.h"

#include <chrono>

namespace oltrex {

ActivityAnimator::ActivityAnimator(ActivityAnimation& animation, Show show, std::uint32_t tickMs)
    : animation_(animation), show_(std::move(show)), tickMs_(tickMs) {}

ActivityAnimator::~ActivityAnimator() { stop(); }

void ActivityAnimator::start() {
    std::lock_guard lock(mutex_);
    if (running_ || thread_.joinable()) return;
    running_ = true;
    thread_ = std::thread([this] { loop(); });
}

void ActivityAnimator::requestStop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
}

void ActivityAnimator::stop() {
    requestStop();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool ActivityAnimator::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void ActivityAnimator::loop() {
    std::unique_lock lock(mutex_);
    while (running_) {
        lock.unlock();
        const int percent = animation_.advance();
        if (show_) show_(percent);
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(tickMs_), [this] { return !running_; });
    }
}

}  // namespace oltrex
