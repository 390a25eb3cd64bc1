// The answer time-out on the wrapping 32-bit tick counter.
#include <gtest/gtest.h>

#include "TransferTestSupport.h"
#include "oltrex/transfer/AnswerTimer.h"

namespace oltrex {
namespace {

using testing::FakeClock;

TEST(AnswerTimer, ReportsNotArmedBeforeItIsStarted) {
    FakeClock clock;
    AnswerTimer timer(clock);
    EXPECT_EQ(timer.expired(), -1);
}

TEST(AnswerTimer, ExpiresWhenTheWholeDurationHasPassed) {
    FakeClock clock;
    AnswerTimer timer(clock);
    timer.start(3000);
    clock.now += 2999;
    EXPECT_EQ(timer.expired(), 0);
    clock.now += 1;
    EXPECT_EQ(timer.expired(), 1);
    EXPECT_EQ(timer.elapsed(), 3000);
}

TEST(AnswerTimer, RestartsInsteadOfExpiringWhenTheTickCounterWrapsAround) {
    FakeClock clock;
    clock.now = 0xFFFFFF00u;
    AnswerTimer timer(clock);
    timer.start(3000);
    clock.now = 0x00000010u;  // wrapped: reads less than the start
    EXPECT_EQ(timer.elapsed(), -1);
    EXPECT_EQ(timer.expired(), 0);
    // The timer now counts from the tick it saw after the wrap.
    clock.now += 2999;
    EXPECT_EQ(timer.expired(), 0);
    clock.now += 1;
    EXPECT_EQ(timer.expired(), 1);
}

TEST(AnswerTimer, ForgetsEverythingOnReset) {
    FakeClock clock;
    AnswerTimer timer(clock);
    timer.start(10);
    timer.reset();
    clock.now += 100;
    EXPECT_EQ(timer.expired(), -1);
}

}  // namespace
}  // namespace oltrex
