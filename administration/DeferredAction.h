#pragma once
// The half-second delay of the navigation buttons: a click plays its sound and
// shows the pressed picture, and the window's pending action runs on the next
// call of Latency, normally the timer's tick. A second click before the tick
// is that next call, so the action runs at once and the tick never comes.
//
// One object per window. Latency is both the timer's tick handler and what a
// button handler calls last; the window's own action runs when the pattern
// fires, and the window decides there what its pending action means.
#include "platform/gui/Timers.h"

#include <functional>

class TDeferredAction {
public:
    // Binds the window's timer and action, in its description. interval 0:
    // the timer keeps the interval it has; otherwise every call of Latency
    // sets it (the windows that do so use 500 ms, the notices 1000 ms). The
    // timer's tick handler becomes Latency.
    void Bind(plat::TTimer *timer, std::function<void()> action, unsigned interval = 0);

    void Latency();
    // Both state words back to 0, as after the window is reset.
    void Reset();
    // Called when a click has armed the pattern (the main window notes it).
    std::function<void()> OnArmed;

    int State() const { return state_; }
    int PreviousState() const { return previous_; }
    plat::TTimer *Timer() const { return timer_; }

private:
    plat::TTimer *timer_ = nullptr;
    std::function<void()> action_;
    unsigned interval_ = 0;
    int state_ = 0;
    int previous_ = 0;
};
