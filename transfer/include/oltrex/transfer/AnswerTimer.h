#pragma once
// The time-out for the key's answer, on the 32-bit millisecond tick counter.
// When the counter reads less than the start tick it has wrapped around; the
// timer then restarts from the current tick rather than expiring early.
#include <cstdint>

#include "oltrex/platform/Clock.h"

namespace oltrex {

class AnswerTimer {
public:
    explicit AnswerTimer(Clock& clock) : clock_(clock) {}

    // Stores the current tick and arms the timer.
    void start(std::uint32_t durationMs);
    // 1 when armed and at least the duration has passed, 0 when not yet,
    // -1 when not armed.
    int expired();
    // Current tick minus the start tick; -1 after a wrap-around.
    std::int64_t elapsed() const;
    // Clears every field.
    void reset();

    bool armed() const { return armed_; }

private:
    Clock& clock_;
    std::uint32_t startTick_ = 0;
    std::uint32_t durationMs_ = 0;
    bool armed_ = false;
};

}  // namespace oltrex
