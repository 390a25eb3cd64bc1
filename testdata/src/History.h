#pragma once
// A made-up working history (days, activities, vehicles, places) shared by the
// card and vehicle-unit generators, so that a file tells a consistent story.
#include <cstdint>
#include <string>
#include <vector>

#include "oltrex/testdata/Random.h"

namespace oltrex::testdata {

inline constexpr int kRest = 0, kAvailable = 1, kWork = 2, kDriving = 3;

struct ActivitySpan {
    int activity = kRest;
    int startMinute = 0;  // minutes since midnight, UTC
};

struct WorkDay {
    std::uint32_t midnight = 0;          // 00:00 UTC of the day
    std::vector<ActivitySpan> spans;     // first one starts at minute 0
    std::uint32_t odometerStart = 0;     // km at the start of the day
    std::uint32_t distance = 0;          // km driven
    std::uint32_t firstMinute = 0;       // start of the first work span
    std::uint32_t lastMinute = 0;        // start of the final rest
};

// `count` working days that end before `until`, oldest first. Days whose
// midnight value holds a 0x76 byte are left out (a day off).
std::vector<WorkDay> inventWorkDays(Random& random, std::uint32_t until, int count, std::uint32_t odometerStart);

// Minutes since midnight without a 0x76 low byte (as an ActivityChangeInfo stores them).
int cleanMinute(int minute);

}  // namespace oltrex::testdata
