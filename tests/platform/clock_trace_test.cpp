#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Trace.h"

using namespace oltrex;

namespace {

TEST(CalendarTime, ConvertsWithoutATimeZoneBothWays) {
    LocalTime t{2022, 3, 11, 14, 5, 9, 0};
    EXPECT_EQ(epochFromCalendar(t), 0x622B5715);
    LocalTime back = utcFromEpoch(0x622B5715);
    EXPECT_EQ(back.year, 2022);
    EXPECT_EQ(back.month, 3);
    EXPECT_EQ(back.day, 11);
    EXPECT_EQ(back.hour, 14);
    EXPECT_EQ(back.minute, 5);
    EXPECT_EQ(back.second, 9);
    EXPECT_EQ(epochFromCalendar({1970, 1, 1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(epochFromCalendar({2000, 2, 29, 0, 0, 0, 0}), 951782400);
}

TEST(SystemClock, TicksMoveForwardWhileSleeping) {
    Clock& clock = systemClock();
    std::uint32_t start = clock.tickMs();
    clock.sleepMs(5);
    EXPECT_GE(static_cast<std::uint32_t>(clock.tickMs() - start), 4u);
}

TEST(Trace, DropsLinesWhileDisabledAndKeepsWholeLinesFromSeveralThreads) {
    std::vector<std::string> lines;
    setTraceSink([&](std::string_view s) { lines.emplace_back(s); });
    setTraceEnabled(false);
    trace("dropped\r\n");
    EXPECT_TRUE(lines.empty());

    setTraceEnabled(true);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 100; ++i) tracef("thread %d line %d\r\n", t, i);
        });
    for (auto& th : threads) th.join();
    setTraceEnabled(false);
    setTraceSink({});
    ASSERT_EQ(lines.size(), 400u);
    for (const auto& line : lines) EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
}

}  // namespace
