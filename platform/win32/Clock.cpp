#include "oltrex/platform/Clock.h"

#include <windows.h>

namespace oltrex {

std::uint32_t SystemClock::tickMs() {
    // Milliseconds since the system started, in 32 bits that wrap after 49.7
    // days as the system tick count does; from the performance counter,
    // because GetTickCount moves in steps of 10 to 16 ms and the protocol
    // times answers in single milliseconds.
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    const auto seconds = static_cast<std::uint64_t>(now.QuadPart / frequency);
    const auto rest = static_cast<std::uint64_t>(now.QuadPart % frequency);
    return static_cast<std::uint32_t>(seconds * 1000u + rest * 1000u / static_cast<std::uint64_t>(frequency));
}

void SystemClock::sleepMs(std::uint32_t ms) { ::Sleep(ms); }

LocalTime SystemClock::localTime() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace oltrex
