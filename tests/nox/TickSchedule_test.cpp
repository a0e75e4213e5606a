// The headless heartbeat keeps a fixed schedule whatever its ticks cost.
#include "nox/TickSchedule.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/Clock.h"

namespace tv::test {
namespace {

TEST(TickSchedule, TicksAreDueEveryPeriodFromTheStartNotAfterEachTick) {
    VirtualClock clock;
    const int64_t start = clock.MonotonicMs();
    TickSchedule schedule(clock, 250);
    // Each tick's cost in milliseconds; 600 makes the next tick late by more than a period.
    const std::vector<int> costs = {0, 100, 249, 600, 30, 0};
    std::vector<int64_t> woke;
    for (int cost : costs) {
        schedule.WaitForNext();
        woke.push_back(clock.MonotonicMs() - start);
        clock.Advance(cost);
    }
    // 250, 500, 750, 1000 on time; 1600 at once after the long tick (no burst to catch up);
    // then on the new schedule.
    EXPECT_EQ(woke, (std::vector<int64_t>{250, 500, 750, 1000, 1600, 1850}));
}

}  // namespace
}  // namespace tv::test
