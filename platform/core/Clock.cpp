#include "platform/core/Clock.h"
#include "platform/core/Dates.h"

#include <cmath>
#include <ctime>

namespace plat {

Clock::~Clock() = default;

namespace {

constexpr int64_t kMsPerDay = 86400000;

class SystemClock final : public Clock {
public:
    TDateTime Now() override
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        std::tm tm{};
        const time_t secs = ts.tv_sec;
        localtime_r(&secs, &tm);
        const int ms = static_cast<int>(ts.tv_nsec / 1000000);
        // A leap second shows as the last millisecond of its minute.
        const int sec = tm.tm_sec > 59 ? 59 : tm.tm_sec;
        return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
               EncodeTime(tm.tm_hour, tm.tm_min, sec, tm.tm_sec > 59 ? 999 : ms);
    }

    int64_t MonotonicNanoseconds() override
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
};

SystemClock &TheSystemClock()
{
    static SystemClock clock;
    return clock;
}

std::atomic<Clock *> g_clock{nullptr};

int64_t ToMs(TDateTime dt) { return std::llround(dt * static_cast<double>(kMsPerDay)); }

} // namespace

void SetClock(Clock *c) { g_clock.store(c, std::memory_order_release); }

Clock &CurrentClock()
{
    Clock *c = g_clock.load(std::memory_order_acquire);
    return c ? *c : TheSystemClock();
}

int64_t MonotonicNanoseconds() { return CurrentClock().MonotonicNanoseconds(); }

FakeClock::FakeClock() : FakeClock(EncodeDate(2020, 1, 1)) {}

FakeClock::FakeClock(TDateTime now, int64_t monotonicNs) : wallMs_(ToMs(now)), monoNs_(monotonicNs) {}

FakeClock::~FakeClock()
{
    Clock *self = this;
    g_clock.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

TDateTime FakeClock::Now() { return static_cast<double>(wallMs_.load()) / static_cast<double>(kMsPerDay); }

int64_t FakeClock::MonotonicNanoseconds() { return monoNs_.load(); }

void FakeClock::SetNow(TDateTime now) { wallMs_.store(ToMs(now)); }

void FakeClock::AdvanceNowMs(int64_t ms) { wallMs_.fetch_add(ms); }

void FakeClock::SetMonotonicNanoseconds(int64_t ns) { monoNs_.store(ns); }

void FakeClock::AdvanceMonotonicNs(int64_t ns) { monoNs_.fetch_add(ns); }

void FakeClock::AdvanceMs(int64_t ms)
{
    AdvanceNowMs(ms);
    AdvanceMonotonicNs(ms * 1000000);
}

} // namespace plat
