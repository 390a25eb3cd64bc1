#include "oltrex/win32ui/DialogThreadQueue.h"

#include <utility>

namespace oltrex::win32ui {

void DialogThreadQueue::attach(HWND window) {
    std::lock_guard lock(mutex_);
    window_ = window;
    if (!window_) queue_.clear();
}

void DialogThreadQueue::post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    if (!window_) return;
    const bool wake = queue_.empty();
    queue_.push_back(std::move(work));
    // One wake-up message for a run of posts: the dialog's queue never fills.
    if (wake) PostMessageW(window_, kRunQueuedMessage, 0, 0);
}

void DialogThreadQueue::runQueued() {
    std::deque<std::function<void()>> work;
    {
        std::lock_guard lock(mutex_);
        work.swap(queue_);
    }
    // Without the lock: the work may post again, or show a modal box.
    for (auto& item : work) item();
}

}  // namespace oltrex::win32ui
