// The stopwatch against a clock moved by hand.
#include "administration/Chronometre.h"

#include "platform/core/Clock.h"
#include "platform/core/Dates.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

enum class Op {
    Reset,
    Start,
    Stop,
    Advance,     // wall and monotonic time together, by ms
    AdvanceNs,   // monotonic time alone, by ns (sub-millisecond steps)
    JumpWall,    // the wall clock alone, by ms: a clock adjustment
    Elapsed,     // expect ElapsedSeconds() == value
    Running,     // expect ChronoOn() == (value != 0)
    Accumulated, // expect AccumulatedSeconds() == value
};

struct Step {
    Op op;
    double value = 0;
};

struct Case {
    const char *name;
    std::vector<Step> steps;
};

const Case kCases[] = {
    {"across midnight",
     {{Op::Start}, {Op::Advance, 1200}, {Op::Stop}, {Op::Elapsed, 1.2}, {Op::Advance, 5000},
      {Op::Elapsed, 1.2}, {Op::Running, 0}}},
    {"grows while running",
     {{Op::Running, 0}, {Op::Start}, {Op::Running, 1}, {Op::Advance, 300}, {Op::Elapsed, 0.3},
      {Op::Advance, 700}, {Op::Elapsed, 1.0}, {Op::Stop}, {Op::Running, 0}, {Op::Elapsed, 1.0}}},
    {"a second start keeps the first",
     {{Op::Start}, {Op::Advance, 1000}, {Op::Start}, {Op::Advance, 500}, {Op::Stop},
      {Op::Elapsed, 1.5}}},
    {"reset before start",
     {{Op::Advance, 4000}, {Op::Reset}, {Op::Elapsed, 0}, {Op::Advance, 4000}, {Op::Elapsed, 0}}},
    {"reset while running",
     {{Op::Start}, {Op::Advance, 800}, {Op::Reset}, {Op::Running, 0}, {Op::Elapsed, 0},
      {Op::Advance, 800}, {Op::Elapsed, 0}, {Op::Stop}, {Op::Elapsed, 0}, {Op::Accumulated, 0}}},
    {"reset after stop",
     {{Op::Start}, {Op::Advance, 800}, {Op::Stop}, {Op::Reset}, {Op::Elapsed, 0},
      {Op::Accumulated, 0}}},
    {"stop without start",
     {{Op::Advance, 800}, {Op::Stop}, {Op::Running, 0}, {Op::Elapsed, 0}, {Op::Accumulated, 0}}},
    {"start after stop measures anew",
     {{Op::Start}, {Op::Advance, 1000}, {Op::Stop}, {Op::Advance, 2000}, {Op::Start},
      {Op::Elapsed, 0}, {Op::Advance, 300}, {Op::Elapsed, 0.3}, {Op::Stop}, {Op::Elapsed, 0.3},
      {Op::Accumulated, 1.3}}},
    {"wall clock put forward an hour",
     {{Op::Start}, {Op::Advance, 500}, {Op::JumpWall, 3'600'000}, {Op::Advance, 700},
      {Op::Elapsed, 1.2}, {Op::Stop}, {Op::Elapsed, 1.2}}},
    {"wall clock put back an hour",
     {{Op::Start}, {Op::Advance, 500}, {Op::JumpWall, -3'600'000}, {Op::Advance, 700},
      {Op::Stop}, {Op::Elapsed, 1.2}}},
    {"wall clock put back past midnight",
     {{Op::Advance, 800}, {Op::Start}, {Op::JumpWall, -2000}, {Op::Advance, 2500}, {Op::Stop},
      {Op::Elapsed, 2.5}}},
    // Readings are whole milliseconds, as the recorded response times expect.
    {"millisecond readings",
     {{Op::AdvanceNs, 999'999}, {Op::Start}, {Op::AdvanceNs, 2}, {Op::Elapsed, 0.001},
      {Op::AdvanceNs, 999'997}, {Op::Elapsed, 0.001}, {Op::AdvanceNs, 2}, {Op::Stop},
      {Op::Elapsed, 0.002}}},
};

class ChronometreTest : public ::testing::Test {
protected:
    // Half a second before midnight; the monotonic origin is arbitrary.
    plat::FakeClock clock{plat::EncodeDate(2024, 3, 30) + plat::EncodeTime(23, 59, 59, 500),
                          987'654'000'000};
    void SetUp() override { plat::SetClock(&clock); }
    void TearDown() override { plat::SetClock(nullptr); }
};

TEST_F(ChronometreTest, Table)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        clock.SetNow(plat::EncodeDate(2024, 3, 30) + plat::EncodeTime(23, 59, 59, 500));
        clock.SetMonotonicNanoseconds(987'654'000'000);
        TChronometre chrono;
        EXPECT_FALSE(chrono.ChronoOn());
        EXPECT_EQ(chrono.ElapsedSeconds(), 0);
        int i = 0;
        for (const Step &s : c.steps) {
            SCOPED_TRACE(i++);
            switch (s.op) {
            case Op::Reset: chrono.Reset(); break;
            case Op::Start: chrono.Start(); break;
            case Op::Stop: chrono.Stop(); break;
            case Op::Advance: clock.AdvanceMs(static_cast<int64_t>(s.value)); break;
            case Op::AdvanceNs: clock.AdvanceMonotonicNs(static_cast<int64_t>(s.value)); break;
            case Op::JumpWall: clock.AdvanceNowMs(static_cast<int64_t>(s.value)); break;
            case Op::Elapsed: EXPECT_DOUBLE_EQ(chrono.ElapsedSeconds(), s.value); break;
            case Op::Running: EXPECT_EQ(chrono.ChronoOn(), s.value != 0); break;
            case Op::Accumulated: EXPECT_DOUBLE_EQ(chrono.AccumulatedSeconds(), s.value); break;
            }
        }
    }
}

// The midnight case as the subtest windows see it: the clock shows the next
// day when the response ends.
TEST_F(ChronometreTest, MidnightWithTheDateChanging)
{
    TChronometre chrono;
    chrono.Start();
    clock.AdvanceMs(1200);
    int y = 0, m = 0, d = 0;
    plat::DecodeDate(plat::Now(), y, m, d);
    ASSERT_EQ(d, 31);
    chrono.Stop();
    EXPECT_DOUBLE_EQ(chrono.ElapsedSeconds(), 1.2);
}

} // namespace
