// The navigation buttons' delay: the action runs on the next call after a
// click, whether that is the tick or a second click, once, and the pattern
// arms again after each action.
#include "administration/DeferredAction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace {

struct Fixture {
    TTimer timer;
    TDeferredAction deferred;
    int runs = 0;
    int armed = 0;
    explicit Fixture(unsigned interval)
    {
        timer.SetEnabled(false);
        timer.SetInterval(interval == 0 ? 500 : interval);
        deferred.Bind(&timer, [this] { ++runs; }, interval);
        deferred.OnArmed = [this] { ++armed; };
    }
    // "click", "reset", or a number of milliseconds to let pass.
    void Do(const std::string &step)
    {
        if (step == "click")
            deferred.Latency();
        else if (step == "reset")
            deferred.Reset();
        else
            TTimer::Advance(std::stoi(step));
    }
};

TEST(DeferredAction, ActionRunsOnTheNextCallAfterAClick)
{
    struct Case {
        const char *name;
        unsigned interval;
        std::vector<std::string> steps;
        int runs;
        int armed;
        bool timerOn;
    };
    const Case cases[] = {
        {"nothing before the tick", 500, {"click", "499"}, 0, 1, true},
        {"a click then the tick", 500, {"click", "500"}, 1, 1, false},
        {"no second tick after the action", 500, {"click", "500", "5000"}, 1, 1, false},
        {"two clicks act at once", 500, {"click", "click"}, 1, 1, false},
        {"and the pending tick never comes", 500, {"click", "click", "5000"}, 1, 1, false},
        {"a third click arms again", 500, {"click", "click", "click"}, 1, 2, true},
        {"re-arming after the action", 500, {"click", "500", "click", "500"}, 2, 2, false},
        {"re-arming after two clicks", 500, {"click", "click", "click", "500"}, 2, 2, false},
        {"a reset before the tick: the tick only arms", 500, {"click", "reset", "500"}, 0, 2, true},
        {"... and the tick after it acts", 500, {"click", "reset", "500", "500"}, 1, 2, false},
        {"the notices' second", 1000, {"click", "999"}, 0, 1, true},
        {"the notices' second, elapsed", 1000, {"click", "1000"}, 1, 1, false},
        {"the timer's own interval when none is set", 0, {"click", "500"}, 1, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.interval);
        for (const auto &s : c.steps)
            f.Do(s);
        EXPECT_EQ(f.runs, c.runs);
        EXPECT_EQ(f.armed, c.armed);
        EXPECT_EQ(f.timer.Enabled(), c.timerOn);
    }
}

TEST(DeferredAction, SetsItsIntervalOnEveryCall)
{
    Fixture f(500);
    f.timer.SetInterval(1000); // someone changed it since
    f.Do("click");
    EXPECT_EQ(f.timer.Interval(), 500u);
    f.Do("500");
    EXPECT_EQ(f.runs, 1);
}

TEST(DeferredAction, AnActionThatClicksAgainArmsAFreshRound)
{
    // The main window's action runs a nested window whose buttons use the
    // pattern of their own window; one that re-enters its own pattern from
    // the action must arm it, not run the action a second time.
    TTimer timer;
    timer.SetEnabled(false);
    TDeferredAction deferred;
    int runs = 0;
    deferred.Bind(&timer, [&] {
        if (++runs == 1)
            deferred.Latency();
    }, 500);
    deferred.Latency();
    TTimer::Advance(500);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(timer.Enabled());
    TTimer::Advance(500);
    EXPECT_EQ(runs, 2);
}

} // namespace
