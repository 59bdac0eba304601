#pragma once
// Timers. In the program a timer runs on Qt's clock. Tests switch all timers
// to virtual time: nothing fires by itself, and a test advances the clock
// (every due timer fires in order) or fires one timer directly.
#include "platform/core/Component.h"

#include <cstdint>
#include <memory>

namespace plat {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent *owner = nullptr);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    // May be replaced at any time; a timer without a handler does not fire.
    TNotifyEvent OnTimer;

    // A precise timer keeps to its interval to the millisecond; an ordinary
    // one may be moved by a few percent so that wake-ups can be shared.
    bool Precise() const { return precise_; }
    void SetPrecise(bool v);

    // Enabled, with an interval and a handler, and not going with its owner:
    // a window being freed gets no tick, whoever runs the event loop then.
    // Nor once the program is ending.
    bool Running() const;
    // One tick: OnTimer, when the timer is running; true when it ran.
    bool Tick();

    // Virtual time.
    static void SetVirtualTime(bool on);
    static bool VirtualTime();
    static int64_t Now();              // milliseconds of virtual time
    static void Advance(int64_t ms);   // fires every timer that falls due
    static void Skip(int64_t ms);      // moves the clock without firing (a blocked thread)

protected:
    void Loaded() override { Restart(); }

private:
    void Restart();
    friend struct TimerRegistry;
    class ClockTimer;
    std::unique_ptr<ClockTimer> clock_;
    bool enabled_ = true;
    bool precise_ = false;
    unsigned interval_ = 1000;
    int64_t due_ = 0;
    uint64_t serial_ = 0;
};

} // namespace plat
