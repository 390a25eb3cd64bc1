#pragma once
// The poller: a worker thread that steps the key session once per tick
// (1000 ms in the program) and hands the front end a view of the session
// after every step. stop() lets a step under way (a file being downloaded)
// finish, then ends the thread.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "oltrex/keyfetch/ActivityBar.h"
#include "oltrex/keyfetch/KeySession.h"

namespace oltrex {

class SessionPoller {
  public:
    static constexpr std::uint32_t kTickMs = 1000;
    // Called on the poller thread after each step (the front end updates its
    // controls from it under its own lock).
    using AfterStep = std::function<void(const SessionView&)>;

    SessionPoller(KeySession& session, ActivityBar& bar, AfterStep afterStep,
                  std::uint32_t tickMs = kTickMs);
    ~SessionPoller();  // stops the thread
    SessionPoller(const SessionPoller&) = delete;
    SessionPoller& operator=(const SessionPoller&) = delete;

    void start();
    // Asks the thread to end and waits for it; a step under way is finished first.
    void stop();
    // Asks the thread to end without waiting (safe from any thread).
    void requestStop();
    bool running() const;

    // One pass of the loop on the caller's thread, for tests and scripted runs.
    void stepOnce();

  private:
    void loop();

    KeySession& session_;
    ActivityBar& bar_;
    AfterStep afterStep_;
    std::uint32_t tickMs_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    std::thread thread_;
};

}  // namespace oltrex
