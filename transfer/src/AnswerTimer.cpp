#include "oltrex/transfer/AnswerTimer.h"

namespace oltrex {

void AnswerTimer::start(std::uint32_t durationMs) {
    startTick_ = clock_.tickMs();
    durationMs_ = durationMs;
    armed_ = true;
}

int AnswerTimer::expired() {
    if (!armed_) return -1;
    const std::uint32_t now = clock_.tickMs();
    if (now < startTick_) {
        startTick_ = now;
        return 0;
    }
    return now - startTick_ >= durationMs_ ? 1 : 0;
}

std::int64_t AnswerTimer::elapsed() const {
    const std::uint32_t now = clock_.tickMs();
    if (now < startTick_) return -1;
    return static_cast<std::int64_t>(now - startTick_);
}

void AnswerTimer::reset() {
    startTick_ = 0;
    durationMs_ = 0;
    armed_ = false;
}

}  // namespace oltrex
