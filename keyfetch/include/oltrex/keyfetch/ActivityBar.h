#pragma once
// The thin activity bar that moves while a file is being read from the key.
// The download sets its step to 0 just before a read and to kLastStep + 1 when
// the read returns; a front end's animator moves it every 500 ms in between.
#include <cstdint>
#include <mutex>

namespace oltrex {

class ActivityBar {
  public:
    static constexpr int kLastStep = 10;
    static constexpr int kBeforeFirstRead = -1;
    static constexpr int kReadStarted = 0;
    static constexpr int kReadDone = kLastStep + 1;

    virtual ~ActivityBar() = default;
    virtual void setStep(int step) = 0;
};

// For callers that show no activity bar.
class NoActivityBar final : public ActivityBar {
  public:
    void setStep(int) override {}
};

// The bar's state as the front ends' animators move it; thread-safe. While a
// read is under way advance() cycles 10 %, 20 % ... 90 %, 0 %; after the read
// the bar stands at 100 %, and at 0 % before the first read.
class ActivityAnimation final : public ActivityBar {
  public:
    static constexpr std::uint32_t kIntervalMs = 500;

    void setStep(int step) override;
    int step() const;
    // One animator tick; returns the percentage to show.
    int advance();
    int percent() const;

  private:
    static int percentOf(int step);
    mutable std::mutex mutex_;
    int step_ = kBeforeFirstRead;
};

// Windows' MulDiv: a * b / c rounded to the nearest integer (halves away from
// zero), computed in 64 bits; -1 when c is 0.
int mulDiv(long long a, long long b, long long c);

}  // namespace oltrex
