#include "oltrex/keyfetch/ActivityBar.h"

#include <algorithm>

namespace oltrex {

void ActivityAnimation::setStep(int step) {
    std::lock_guard lock(mutex_);
    step_ = step;
}

int ActivityAnimation::step() const {
    std::lock_guard lock(mutex_);
    return step_;
}

int ActivityAnimation::advance() {
    std::lock_guard lock(mutex_);
    constexpr int m = kLastStep;
    if (step_ < m && step_ != kBeforeFirstRead) ++step_;
    // A step that reaches the last step starts again in the same tick.
    if (step_ >= m && step_ != m + 1) step_ = 0;
    return percentOf(step_);
}

int ActivityAnimation::percent() const {
    std::lock_guard lock(mutex_);
    return percentOf(step_);
}

int ActivityAnimation::percentOf(int step) {
    constexpr int m = kLastStep;
    return mulDiv(std::min(m, std::max(step, 0)), 100, std::max(m, 1));
}

int mulDiv(long long a, long long b, long long c) {
    if (c == 0) return -1;
    long long product = a * b;
    bool negative = (product < 0) != (c < 0);
    long long num = product < 0 ? -product : product;
    long long den = c < 0 ? -c : c;
    long long q = (num + den / 2) / den;
    return static_cast<int>(negative ? -q : q);
}

}  // namespace oltrex
