#pragma once
// The console front end: the same session, poller and activity bar as the
// window, driven from the main thread, which waits on the poller's updates,
// the user's stop request and the activity bar's 500 ms tick.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/keyfetch/console/ConsoleOptions.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"

namespace oltrex::console {

// The user's request to stop (Ctrl-C), made from any thread; a console run
// waiting for it wakes at once.
class StopRequest {
  public:
    void request();
    bool requested() const;
    // The run's wake-up call while it waits (empty: none).
    void onRequest(std::function<void()> wake);

  private:
    mutable std::mutex mutex_;
    bool requested_ = false;
    std::function<void()> wake_;
};

struct HeadlessEnvironment {
    KeyLibrary& key;
    const SettingsStore& settings;
    Clock& clock;
    std::filesystem::path workFolder;  // KeyFetch's fresh private folder
    std::FILE* out = stdout;
    bool terminal = false;  // out is a terminal
    int terminalWidth = 100;
    StopRequest* stop = nullptr;  // the user's stop request (Ctrl-C); nullptr: none
    std::string cipherLibrary;  // empty: the default "HIME" library name
};

// Runs until the download is done (--start), the user stops, or the wait
// ends; prints a summary. Returns the exit status (ConsoleOptions.h).
int runHeadless(const ConsoleOptions& options, HeadlessEnvironment& env);

// What was filed where and what stays on the key.
std::string summaryText(const RunSummary& run, bool noDelete);

// 0 only when the run finished and filed every listed file whole; 4 when
// every file was filed or, where that was not possible whole, kept.
int exitStatusOf(const RunSummary& run);

}  // namespace oltrex::console
