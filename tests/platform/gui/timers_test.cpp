// Timers on virtual time: nothing fires by itself; advancing the clock fires
// every running timer as it falls due, in order.
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timers.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plat;
using zibor::test::TWindowDriver;

namespace {

TEST(GuiTimers, AdvancingFiresRunningTimersInTheOrderTheyFallDue)
{
    std::vector<std::string> log;
    TTimer fast, slow;
    fast.SetInterval(100);
    slow.SetInterval(250);
    fast.OnTimer = [&](TObject *) { log.push_back("fast@" + std::to_string(TTimer::Now() % 100000)); };
    slow.OnTimer = [&](TObject *) { log.push_back("slow@" + std::to_string(TTimer::Now() % 100000)); };
    const int64_t t0 = TTimer::Now();
    auto at = [&](const char *n, int64_t ms) { return std::string(n) + "@" + std::to_string((t0 + ms) % 100000); };
    TTimer::Advance(99);
    EXPECT_TRUE(log.empty());
    TTimer::Advance(401);
    EXPECT_EQ(log, (std::vector<std::string>{at("fast", 100), at("fast", 200), at("slow", 250), at("fast", 300),
                                             at("fast", 400), at("fast", 500), at("slow", 500)}));
}

TEST(GuiTimers, OnlyAnEnabledTimerWithIntervalAndHandlerRuns)
{
    struct Case {
        const char *name;
        bool enabled;
        unsigned interval;
        bool handler;
        bool runs;
    };
    const Case cases[] = {
        {"running", true, 10, true, true},
        {"disabled", false, 10, true, false},
        {"interval 0", true, 0, true, false},
        {"no handler", true, 10, false, false},
    };
    for (const Case &c : cases) {
        int ticks = 0;
        TTimer t;
        t.SetInterval(c.interval);
        t.SetEnabled(c.enabled);
        if (c.handler)
            t.OnTimer = [&](TObject *) { ++ticks; };
        TTimer::Advance(25);
        EXPECT_EQ(ticks, c.runs ? 2 : 0) << c.name;
        EXPECT_EQ(t.Tick(), c.runs) << c.name;
    }
}

TEST(GuiTimers, AHandlerCanStopItsTimerOrBeReplacedWhileRunning)
{
    TTimer t;
    t.SetInterval(500);
    std::vector<int> log;
    t.OnTimer = [&](TObject *) {
        log.push_back(1);
        t.OnTimer = [&](TObject *) {
            log.push_back(2);
            t.SetEnabled(false);
        };
    };
    TTimer::Advance(5000);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST(GuiTimers, EnablingStartsTheIntervalAfreshAndSettingTheSameValueDoesNot)
{
    TTimer t;
    t.SetInterval(500);
    int ticks = 0;
    t.OnTimer = [&](TObject *) { ++ticks; };
    TTimer::Advance(400);
    t.SetEnabled(true); // unchanged: no restart
    t.SetInterval(500);
    TTimer::Advance(100);
    EXPECT_EQ(ticks, 1);
    t.SetEnabled(false);
    TTimer::Advance(300);
    t.SetEnabled(true);
    TTimer::Advance(499);
    EXPECT_EQ(ticks, 1);
    TTimer::Advance(1);
    EXPECT_EQ(ticks, 2);
}

TEST(GuiTimers, TheProgramsRealWaitsOnlyMoveVirtualTime)
{
    TWindowDriver drv;
    TTimer t;
    t.SetInterval(100);
    int ticks = 0;
    t.OnTimer = [&](TObject *) { ++ticks; };
    const double wallBefore = drv.Clock().Now();
    Application()->Sleep(1000);
    Application()->Sleep(2000);
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{1000, 2000}));
    EXPECT_EQ(ticks, 0) << "a blocked thread handles no timer";
    EXPECT_NEAR((drv.Clock().Now() - wallBefore) * 86400.0, 3.0, 1e-6);
    drv.Advance(0);
    EXPECT_EQ(ticks, 1) << "an overdue timer fires once afterwards";
}

TEST(GuiTimers, ANestedModalLoopInAHandlerNeverSendsTimeBack)
{
    // A handler that shows a window modally, while the test moves time on
    // inside that loop: when the outer advance ends, time stays where the
    // inner one left it, and the timer's next tick comes when it is due.
    TWindowDriver drv;
    std::unique_ptr<TForm> modal(MakeForm<TForm>(nullptr));
    TTimer t;
    t.SetInterval(300);
    const int64_t t0 = TTimer::Now();
    std::vector<int64_t> ticks;
    t.OnTimer = [&](TObject *) {
        ticks.push_back(TTimer::Now() - t0);
        if (ticks.size() == 1)
            modal->ShowModal();
    };
    drv.Then([&] {
        drv.Advance(1000);
        modal->SetModalResult(mrOk);
    });
    TTimer::Advance(300);
    EXPECT_EQ(TTimer::Now() - t0, 1300);
    EXPECT_EQ(ticks, (std::vector<int64_t>{300, 600, 900, 1200}));
    TTimer::Advance(200);
    EXPECT_EQ(ticks.back(), 1500) << "the tick after the nested loop";
}

} // namespace
