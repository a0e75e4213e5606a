#pragma once
// The injected clock: a monotonic millisecond count (only differences are used), the wall time
// for log lines and marker timestamps, and sleeping for aw_wait. VirtualClock makes time-outs,
// idle warnings and flood windows testable without sleeping.

#include <cstdint>
#include <string>

namespace tv {

class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t MonotonicMs() const = 0;
    virtual int64_t UnixNow() const = 0;  // wall time, Unix seconds
    virtual void Sleep(int milliseconds) = 0;
};

class RealClock final : public Clock {
public:
    int64_t MonotonicMs() const override;
    int64_t UnixNow() const override;
    void Sleep(int milliseconds) override;
};

class VirtualClock final : public Clock {
public:
    // The monotonic count starts well above zero so that 0 can keep meaning "never".
    explicit VirtualClock(int64_t startUnix = 1798761600, int64_t startMonotonicMs = 1'000'000'000);
    int64_t MonotonicMs() const override { return monotonicMs_; }
    int64_t UnixNow() const override {
        return startUnix_ + (monotonicMs_ - startMonotonicMs_) / 1000;
    }
    void Sleep(int milliseconds) override { Advance(milliseconds); }
    void Advance(int64_t milliseconds);
    int64_t ElapsedMs() const { return monotonicMs_ - startMonotonicMs_; }

private:
    int64_t startUnix_;
    int64_t startMonotonicMs_;
    int64_t monotonicMs_;
};

// "yyyy-mm-dd hh:nn:ss" in local time: the short date and long time of log lines.
std::string LocalDateTimeText(int64_t unixSeconds);

}  // namespace tv
