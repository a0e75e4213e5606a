#pragma once
// The headless program's heartbeat schedule: tick k is due at start + k * period, however long
// each tick took, so the period does not drift by the cost of the ticks. A tick that ran past
// the next one's time does not bring a burst of ticks to catch up: the schedule starts again
// from then, as a window timer would.

#include <cstdint>

namespace tv {

class Clock;

class TickSchedule final {
public:
    TickSchedule(Clock& clock, int periodMs);
    // Sleeps until the next tick is due and returns its due time (monotonic milliseconds).
    int64_t WaitForNext();

private:
    Clock& clock_;
    int periodMs_;
    int64_t due_;
};

}  // namespace tv
