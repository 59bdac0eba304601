#pragma once
// Drives windows in tests: finds controls by name, clicks them, types keys,
// fires timers and moves virtual time, and answers dialogs through its
// dialog script. Work that must happen while a window is shown modally is
// queued with Then: each step runs when the innermost modal loop has no
// message left. A modal loop that waits with no step left fails the test
// and is cancelled, so that a test never hangs.
#include "platform/core/Clock.h"
#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Timers.h"
#include "tests/support/DialogScript.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace plat {
class TForm;
class TRadioGroup;
}

namespace zibor::test {

class TWindowDriver {
public:
    TWindowDriver();
    ~TWindowDriver();
    TWindowDriver(const TWindowDriver &) = delete;
    TWindowDriver &operator=(const TWindowDriver &) = delete;

    TDialogScript &Dialogs() { return dialogs_; }

    // The component of that name owned by owner; fails the test when there
    // is none or it has another class.
    template <class T = plat::TControl>
    T *Find(plat::TComponent &owner, const std::string &name)
    {
        auto *c = dynamic_cast<T *>(owner.FindComponent(name));
        if (!c)
            ADD_FAILURE() << "no component \"" << name << "\" of the expected class";
        return c;
    }

    // A left click in the middle of the control, through the widget's own
    // mouse handling. False (and nothing sent) when the control is hidden
    // or disabled, as a person could not click it either.
    bool Click(plat::TControl &control);
    bool Click(plat::TComponent &owner, const std::string &name);
    bool ClickItem(plat::TRadioGroup &group, int index);
    // A group whose items are its own child controls (the custom-drawn radio
    // group): a click in the middle of the index-th windowed child.
    bool ClickItem(plat::TWinControl &group, int index);
    // Types each character of the UTF-8 text into the control.
    void Type(plat::TWinControl &control, const std::string &text);
    // A key by virtual key code (Enter, Escape, Backspace carry their character;
    // VK_ADD and VK_SUBTRACT come from the numeric pad).
    void Key(plat::TWinControl &control, uint16_t vk, plat::TShiftState shift = 0);

    // The mouse at a point of the control (its own coordinates), through the
    // widget's own event handling. shift holds the keys and the buttons held
    // (ssLeft, ssMiddle, ssRight). Wheel's delta is in 1/120 of a notch,
    // forward positive; it returns whether a control took the wheel.
    bool Wheel(plat::TControl &control, plat::TPoint at, int delta, plat::TShiftState shift = 0);
    void Press(plat::TControl &control, plat::TPoint at, plat::TMouseButton button = plat::TMouseButton::mbLeft,
               plat::TShiftState shift = 0);
    void MoveTo(plat::TControl &control, plat::TPoint at, plat::TShiftState shift = plat::ssLeft);
    void Release(plat::TControl &control, plat::TPoint at, plat::TMouseButton button = plat::TMouseButton::mbLeft,
                 plat::TShiftState shift = 0);

    // One tick of the timer; false when the timer is not running.
    bool FireTimer(plat::TTimer &timer);
    // Moves virtual time (timers fire as they fall due, the clock follows).
    void Advance(int64_t ms);
    plat::FakeClock &Clock() { return clock_; }
    // The program's real waits, in milliseconds, in order.
    const std::vector<unsigned> &Sleeps() const { return sleeps_; }

    void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }
    size_t PendingSteps() const { return steps_.size(); }

private:
    void Idle();
    TDialogScript dialogs_;
    plat::FakeClock clock_;
    std::deque<std::function<void()>> steps_;
    std::vector<unsigned> sleeps_;
    plat::TApplication::TIdleHook oldIdle_;
    plat::TApplication::TSleepHook oldSleep_;
};

// Ends every modal loop after a failure: results set to cancel, and the
// program terminated when that is not enough.
void UnwindModalLoops(const std::string &why);

} // namespace zibor::test
