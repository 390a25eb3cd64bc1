#pragma once
// The activity animator: a worker thread that moves the activity bar one step
// per tick (500 ms in the program) and hands each percentage to the window.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "oltrex/keyfetch/ActivityBar.h"

namespace oltrex {

class ActivityAnimator {
public:
    // Called on the animator thread after every step.
    using Show = std::function<void(int percent)>;

    ActivityAnimator(ActivityAnimation& animation, Show show, std::uint32_t tickMs = ActivityAnimation::kIntervalMs);
    ~ActivityAnimator();  // stops the thread
    ActivityAnimator(const ActivityAnimator&) = delete;
    ActivityAnimator& operator=(const ActivityAnimator&) = delete;

    void start();
    // Asks the thread to end without waiting.
    void requestStop();
    // Asks the thread to end and waits for it.
    void stop();
    bool running() const;

private:
    void loop();

    ActivityAnimation& animation_;
    Show show_;
    std::uint32_t tickMs_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    std::thread thread_;
};

}  // namespace oltrex
