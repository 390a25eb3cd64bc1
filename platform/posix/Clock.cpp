#include "oltrex/platform/Clock.h"

#include <time.h>

#include <thread>

namespace oltrex {

std::uint32_t SystemClock::tickMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // Truncated to 32 bits on purpose: callers rely on the tick count wrapping.
    auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void SystemClock::sleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

LocalTime SystemClock::localTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts{};
    localtime_r(&ts.tv_sec, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
            parts.tm_min,         parts.tm_sec,     static_cast<int>(ts.tv_nsec / 1000000)};
}

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace oltrex
