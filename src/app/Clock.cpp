#include "app/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace tv {

int64_t RealClock::MonotonicMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t RealClock::UnixNow() const {
    return static_cast<int64_t>(std::time(nullptr));
}

void RealClock::Sleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

VirtualClock::VirtualClock(int64_t startUnix, int64_t startMonotonicMs)
    : startUnix_(startUnix), startMonotonicMs_(startMonotonicMs), monotonicMs_(startMonotonicMs) {}

void VirtualClock::Advance(int64_t milliseconds) {
    if (milliseconds > 0) monotonicMs_ += milliseconds;
}

std::string LocalDateTimeText(int64_t unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

}  // namespace tv
