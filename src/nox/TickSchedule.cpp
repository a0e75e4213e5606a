#include "nox/TickSchedule.h"

#include "app/Clock.h"

namespace tv {

TickSchedule::TickSchedule(Clock& clock, int periodMs)
    : clock_(clock), periodMs_(periodMs), due_(clock.MonotonicMs()) {}

int64_t TickSchedule::WaitForNext() {
    due_ += periodMs_;
    const int64_t now = clock_.MonotonicMs();
    if (now >= due_ + periodMs_) due_ = now;  // a whole period late: start again from now
    if (due_ > now) clock_.Sleep(static_cast<int>(due_ - now));
    return due_;
}

}  // namespace tv
