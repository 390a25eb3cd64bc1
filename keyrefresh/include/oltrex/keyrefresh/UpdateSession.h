#pragma once
// What the update page, the finished page and the update worker share: the
// update page's texts and flags, the busy bar, and the finished page's outcome
// and result. The worker writes through UpdateHandOver on its own thread; the
// window reads on its thread. The worker clears `running` as its last act, so
// everything it wrote is complete once running() reads false.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex {

class CWLog;

class UpdateSession final : public UpdateHandOver {
  public:
    // `log` may be null: the pages then write no entries.
    explicit UpdateSession(CWLog* log = nullptr) : log_(log) {}
    void setLog(CWLog* log) { log_ = log; }

    // --- update page ----------------------------------------------------------
    // Copies the key page's serial, key firmware and new firmware.
    void takeOver(const std::string& keySerial, const std::string& fromVersion,
                  const std::string& toVersion);
    // "von Firmware 1.10 zu 1.20".
    std::string fromToText() const;
    // Clears the flags and the bar; with `flag` non-zero sets running, calls
    // `launchWorker` and sets active. True when the update was started.
    bool start(int flag, const std::function<void()>& launchWorker);
    // One busy-bar tick (every 10 ms while active): true when the worker has
    // ended, which clears active; the caller then shows the finished page.
    bool tick();
    int progress() const { return progress_; }
    bool active() const { return active_.load(); }
    void setActive(bool active) { active_.store(active); }
    bool running() const { return running_.load(); }

    // --- finished page ----------------------------------------------------------
    int outcome() const { return outcome_.load(); }
    std::string finishedKeySerial() const;
    std::string resultText() const;
    // Called on the worker's thread after the result text changed.
    void setResultListener(std::function<void()> listener) {
        resultListener_ = std::move(listener);
    }
    // "Fertig" and "Beenden": their entries ("" after a failed update).
    void logFertig();
    void logBeenden();

    // --- UpdateHandOver (worker thread) -------------------------------------
    std::string keySerial() const override;
    std::string newFirmwareVersion() const override;
    void setOutcome(int outcome) override { outcome_.store(outcome); }
    void setKeySerial(const std::string& serial) override;
    void showResult(const std::string& text) override;
    void clearRunning() override { running_.store(false); }

  private:
    void log(const std::string& text);

    CWLog* log_;
    mutable std::mutex mutex_;
    std::string keySerial_, fromVersion_, toVersion_;  // update page
    std::string finishedSerial_, resultText_;          // finished page
    std::atomic<int> outcome_{0};
    std::atomic<bool> active_{false};
    std::atomic<bool> running_{false};
    int progress_ = 0;
    std::function<void()> resultListener_;
};

}  // namespace oltrex
