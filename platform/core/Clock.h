#pragma once
// The one source of time. Wall time (Now, Date, Time) and the monotonic
// clock both go through the current Clock, so tests can replace it with a
// FakeClock and move time by hand instead of sleeping.
#include "platform/core/Types.h"

#include <atomic>
#include <cstdint>

namespace plat {

class Clock {
public:
    virtual ~Clock();
    // Local wall time with millisecond resolution.
    virtual TDateTime Now() = 0;
    // A clock that never goes back, for durations; any origin.
    virtual int64_t MonotonicNanoseconds() = 0;
};

// Installs c as the current clock; nullptr restores the system clock. The
// caller keeps c alive until it is replaced. The switch itself is atomic, so
// an audio thread may read the clock while a test installs one.
void SetClock(Clock *c);
Clock &CurrentClock();
int64_t MonotonicNanoseconds();

// A clock for tests. Wall time and monotonic time are set and advanced
// independently; both may be read from any thread.
class FakeClock : public Clock {
public:
    // Starts at 1-1-2020 00:00:00.000 and monotonic time 0.
    FakeClock();
    explicit FakeClock(TDateTime now, int64_t monotonicNs = 0);
    // A fake clock that is still installed when it goes restores the system
    // clock, so a forgotten SetClock(nullptr) cannot leave a dangling clock.
    ~FakeClock() override;
    TDateTime Now() override;
    int64_t MonotonicNanoseconds() override;

    void SetNow(TDateTime now);
    void AdvanceNowMs(int64_t ms);
    void SetMonotonicNanoseconds(int64_t ns);
    void AdvanceMonotonicNs(int64_t ns);
    // Moves both clocks by the same span.
    void AdvanceMs(int64_t ms);

private:
    // Wall time in whole milliseconds since 30-12-1899, so that advancing by
    // small steps never drifts.
    std::atomic<int64_t> wallMs_;
    std::atomic<int64_t> monoNs_;
};

} // namespace plat
