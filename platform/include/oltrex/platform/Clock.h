#pragma once
// Monotonic millisecond ticks, sleeping and the local wall-clock time, behind
// one interface so that tests can run state machines in milliseconds.
#include <chrono>
#include <cstdint>
#include <ctime>

namespace oltrex {

struct LocalTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // 32-bit millisecond tick counter; wraps around like the system tick count.
    virtual std::uint32_t tickMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
    virtual LocalTime localTime() = 0;
};

class SystemClock final : public Clock {
public:
    std::uint32_t tickMs() override;
    void sleepMs(std::uint32_t ms) override;
    LocalTime localTime() override;
};

// The process-wide real clock.
Clock& systemClock();

// Converts seconds since the epoch to UTC calendar values (no time zone).
LocalTime utcFromEpoch(std::int64_t seconds);
// Seconds since the epoch for calendar values taken as they are (no time zone).
std::int64_t epochFromCalendar(const LocalTime& t);

}  // namespace oltrex
