#include "History.h"

#include <utility>

namespace oltrex::testdata {

int cleanMinute(int minute) {
    while ((minute & 0xFF) == kTagByte) ++minute;
    return minute;
}

namespace {

std::vector<ActivitySpan> inventDaySpans(Random& random) {
    // (activity, length in minutes) after a night's rest that ends between 05:00 and 08:00.
    std::vector<std::pair<int, int>> plan{{kWork, random.between(10, 30)},    {kDriving, random.between(100, 260)},
                                          {kRest, random.between(45, 50)},    {kDriving, random.between(60, 200)},
                                          {kWork, random.between(20, 60)}};
    if (random.chance(40)) plan.push_back({kAvailable, random.between(30, 90)});
    plan.push_back({kDriving, random.between(30, 120)});
    plan.push_back({kWork, random.between(10, 20)});

    std::vector<ActivitySpan> spans{{kRest, 0}};
    int minute = random.between(300, 480);
    for (const auto& [activity, length] : plan) {
        minute = cleanMinute(minute);
        if (minute >= 1400) break;
        spans.push_back({activity, minute});
        minute += length;
    }
    minute = cleanMinute(minute);
    if (minute < 1430) spans.push_back({kRest, minute});
    return spans;
}

}  // namespace

std::vector<WorkDay> inventWorkDays(Random& random, std::uint32_t until, int count, std::uint32_t odometerStart) {
    std::vector<WorkDay> days;
    std::uint32_t midnight = (until / 86400) * 86400;
    std::vector<std::uint32_t> midnights;
    while (static_cast<int>(midnights.size()) < count && midnight >= 86400 * 30) {
        midnight -= 86400;
        if (withoutTagByte(midnight) == midnight && random.below(7) != 0) midnights.push_back(midnight);
    }
    std::uint32_t odometer = odometerStart;
    for (auto it = midnights.rbegin(); it != midnights.rend(); ++it) {
        WorkDay day;
        day.midnight = *it;
        day.spans = inventDaySpans(random);
        int driving = 0;
        for (std::size_t i = 0; i < day.spans.size(); ++i) {
            const int end = i + 1 < day.spans.size() ? day.spans[i + 1].startMinute : 1440;
            if (day.spans[i].activity == kDriving) driving += end - day.spans[i].startMinute;
        }
        day.firstMinute = day.spans.size() > 1 ? static_cast<std::uint32_t>(day.spans[1].startMinute) : 0;
        day.lastMinute = static_cast<std::uint32_t>(day.spans.back().startMinute);
        day.odometerStart = withoutTagByte(odometer, 3);
        day.distance = withoutTagByte(static_cast<std::uint32_t>(driving * random.between(55, 75) / 60), 2);
        odometer = day.odometerStart + day.distance + static_cast<std::uint32_t>(random.between(0, 40));
        days.push_back(day);
    }
    return days;
}

}  // namespace oltrex::testdata
