#include "administration/Chronometre.h"

#include "platform/core/Clock.h"

TChronometre::TChronometre(plat::TComponent *owner) : plat::TComponent(owner) { Reset(); }

int64_t TChronometre::NowMs()
{
    // Floor division: the monotonic origin is arbitrary and may lie in the
    // future of a reading.
    const int64_t ns = plat::MonotonicNanoseconds();
    int64_t ms = ns / 1'000'000;
    if (ns % 1'000'000 < 0)
        --ms;
    return ms;
}

void TChronometre::Reset()
{
    startMs_ = 0;
    stopMs_ = 0;
    accumulatedSeconds_ = 0;
    chronoOn_ = false;
}

void TChronometre::Start()
{
    if (chronoOn_)
        return;
    startMs_ = NowMs();
    stopMs_ = 0;
    chronoOn_ = true;
}

void TChronometre::Stop()
{
    if (!chronoOn_)
        return;
    stopMs_ = NowMs();
    chronoOn_ = false;
    accumulatedSeconds_ += static_cast<double>(stopMs_ - startMs_) / 1000;
}

double TChronometre::ElapsedSeconds() const
{
    // After Reset both readings are 0, so the result is 0.
    const int64_t reference = chronoOn_ ? NowMs() : stopMs_;
    return static_cast<double>(reference - startMs_) / 1000;
}
