#pragma once
// Stopwatch of the subtest windows: reset when an item prompt starts, started
// on the next timer tick, read while it runs and after it is stopped.
//
// It measures on the monotonic clock (plat::MonotonicNanoseconds), so that a
// change of the wall clock during a response (daylight saving, a clock
// adjustment) does not change the response time. Readings are taken in
// whole milliseconds, the resolution the response times have always had.
#include "platform/core/Component.h"

#include <cstdint>

class TChronometre : public plat::TComponent {
public:
    explicit TChronometre(plat::TComponent *owner = nullptr);

    // Clears the measurement and stops the stopwatch.
    void Reset();
    // Starts a new measurement; does nothing while running.
    void Start();
    // Freezes the measurement; does nothing while not running.
    void Stop();
    // Seconds from the start to now while running, to the stop after it;
    // 0 after Reset.
    double ElapsedSeconds() const;

    bool ChronoOn() const { return chronoOn_; }
    // Running total over all start/stop pairs since the last Reset.
    double AccumulatedSeconds() const { return accumulatedSeconds_; }

private:
    static int64_t NowMs();

    int64_t startMs_ = 0;
    int64_t stopMs_ = 0;
    double accumulatedSeconds_ = 0;
    bool chronoOn_ = false;
};
