#pragma once
// Hands work from worker threads to a dialog's thread: post() queues it and
// wakes the dialog with a message of its own; the dialog runs what is queued,
// in order, when that message arrives. Widgets are thus touched on the
// dialog's thread only. Once the dialog is gone, posted work is dropped
// (never run, never leaked with a lost message).
#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace oltrex::win32ui {

// The message that wakes the dialog; its handler calls runQueued().
inline constexpr UINT kRunQueuedMessage = WM_APP + 0x3F0;

class DialogThreadQueue {
public:
    // From the dialog's thread: work goes to `window` from now on (nullptr: dropped).
    void attach(HWND window);
    // From any thread.
    void post(std::function<void()> work);
    // On the dialog's thread: runs what was queued.
    void runQueued();

private:
    std::mutex mutex_;
    HWND window_ = nullptr;
    std::deque<std::function<void()>> queue_;
};

}  // namespace oltrex::win32ui
