// A precise timer on the real clock, as it runs outside tests: it never ticks
// early, ticks missed while the thread was busy come as one, a tick never
// runs inside its own handler, and a timer switched off or freed stays quiet.
#include "platform/gui/Timers.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

using namespace plat;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

class PreciseTimers : public ::testing::Test {
protected:
    void SetUp() override { TTimer::SetVirtualTime(false); }
    void TearDown() override { TTimer::SetVirtualTime(true); }

    // Runs the loop until `done` holds; a give-up far beyond any tick here
    // only turns a hang into a failure.
    static bool PumpUntil(const std::function<bool()> &done)
    {
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        while (!done() && Clock::now() < giveUp)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        return done();
    }
    // A precise timer at `interval` that counts its ticks.
    static void Counting(TTimer &t, unsigned interval, int &ticks)
    {
        t.SetPrecise(true);
        t.SetInterval(interval);
        t.OnTimer = [&ticks](TObject *) { ++ticks; };
    }
    static void PumpFor(milliseconds span)
    {
        const auto end = Clock::now() + span;
        while (Clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
};

TEST_F(PreciseTimers, TicksComeNoEarlierThanTheirSchedule)
{
    struct Case {
        unsigned interval;
        int ticks;
    };
    for (const Case c : {Case{1, 40}, Case{7, 6}, Case{150, 2}}) {
        SCOPED_TRACE(c.interval);
        TTimer t;
        t.SetPrecise(true);
        std::vector<Clock::time_point> at;
        t.OnTimer = [&](TObject *) { at.push_back(Clock::now()); };
        const auto start = Clock::now();
        t.SetInterval(c.interval);
        ASSERT_TRUE(PumpUntil([&] { return static_cast<int>(at.size()) >= c.ticks; }));
        for (size_t k = 0; k < at.size(); ++k)
            EXPECT_GE(at[k] - start, milliseconds(c.interval) * static_cast<long>(k + 1)) << "tick " << k;
        t.SetEnabled(false);
    }
}

TEST_F(PreciseTimers, TicksMissedWhileTheThreadWasBusyComeAsOne)
{
    TTimer t;
    int ticks = 0;
    Counting(t, 200, ticks);
    std::this_thread::sleep_for(milliseconds(1100)); // five due
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
    EXPECT_EQ(ticks, 1);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 1; })) << "and the schedule goes on";
    t.SetEnabled(false);
}

TEST_F(PreciseTimers, ATickFallingDueInsideItsHandlerIsSkipped)
{
    TTimer t;
    t.SetPrecise(true);
    t.SetInterval(5);
    int depth = 0, deepest = 0, ticks = 0;
    t.OnTimer = [&](TObject *) {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        if (ticks == 1)
            PumpFor(milliseconds(60)); // a modal loop inside the handler
        --depth;
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    t.SetEnabled(false);
    EXPECT_EQ(deepest, 1);
}

TEST_F(PreciseTimers, ATimerSwitchedOffOrFreedInItsHandlerStaysQuiet)
{
    {
        TTimer t;
        int ticks = 0;
        Counting(t, 5, ticks);
        std::this_thread::sleep_for(milliseconds(30)); // ticks due, then switched off
        t.SetEnabled(false);
        PumpFor(milliseconds(40));
        EXPECT_EQ(ticks, 0);
        t.SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return ticks > 0; })) << "switched on again, it ticks";
        t.SetEnabled(false);
    }
    {
        auto *t = new TTimer;
        t->SetPrecise(true);
        t->SetInterval(2);
        int ticks = 0;
        t->OnTimer = [&](TObject *) {
            ++ticks;
            delete t;
        };
        ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
        PumpFor(milliseconds(20));
        EXPECT_EQ(ticks, 1);
    }
}

TEST_F(PreciseTimers, ATimerMadePreciseOrOrdinaryWhileRunningKeepsTicking)
{
    TTimer t;
    int ticks = 0;
    Counting(t, 3, ticks);
    t.SetPrecise(false);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    t.SetPrecise(true);
    const int ordinary = ticks;
    ASSERT_TRUE(PumpUntil([&] { return ticks >= ordinary + 2; }));
    t.SetPrecise(false);
    const int precise = ticks;
    ASSERT_TRUE(PumpUntil([&] { return ticks >= precise + 2; }));
    t.SetEnabled(false);
}

} // namespace
