#include "platform/Timers.h"

#include "platform/Controls.h"

#include <QTimer>
#include <algorithm>
#include <vector>

namespace plat {

struct TimerRegistry {
    std::vector<TTimer *> timers;
    bool virtualTime = false;
    int64_t now = 0;
    uint64_t serial = 0;
};

namespace {
TimerRegistry &Registry()
{
    static TimerRegistry r;
    return r;
}
} // namespace

class TTimer::Real {
public:
    QTimer timer;
};

TTimer::TTimer(TComponent *owner) : TComponent(owner)
{
    auto &r = Registry();
    serial_ = ++r.serial;
    r.timers.push_back(this);
    Restart();
}

TTimer::~TTimer()
{
    auto &r = Registry();
    r.timers.erase(std::remove(r.timers.begin(), r.timers.end(), this), r.timers.end());
}

void TTimer::SetEnabled(bool v)
{
    if (v == enabled_)
        return;
    enabled_ = v;
    Restart();
}

void TTimer::SetInterval(unsigned ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    Restart();
}

void TTimer::SetPrecise(bool v)
{
    if (v == precise_)
        return;
    precise_ = v;
    Restart();
}

void TTimer::Restart()
{
    const auto &r = Registry();
    if (r.virtualTime || Loading() || !enabled_ || interval_ == 0) {
        if (real_)
            real_->timer.stop();
        due_ = r.now + interval_;
        return;
    }
    if (!real_) {
        real_ = std::make_unique<Real>();
        QObject::connect(&real_->timer, &QTimer::timeout, [this] { Guarded([this] { Tick(); }); });
    }
    real_->timer.setTimerType(precise_ ? Qt::PreciseTimer : Qt::CoarseTimer);
    real_->timer.start(static_cast<int>(interval_));
}

bool TTimer::Tick()
{
    if (!Running())
        return false;
    due_ = Registry().now + interval_;
    OnTimer(this);
    return true;
}

void TTimer::SetVirtualTime(bool on)
{
    auto &r = Registry();
    r.virtualTime = on;
    for (TTimer *t : r.timers)
        t->Restart();
}

bool TTimer::VirtualTime() { return Registry().virtualTime; }
int64_t TTimer::Now() { return Registry().now; }

void TTimer::Skip(int64_t ms) { Registry().now += std::max<int64_t>(0, ms); }

void TTimer::Advance(int64_t ms)
{
    auto &r = Registry();
    const int64_t target = r.now + std::max<int64_t>(0, ms);
    for (;;) {
        TTimer *next = nullptr;
        for (TTimer *t : r.timers)
            if (t->Running() && t->due_ <= target &&
                (!next || t->due_ < next->due_ || (t->due_ == next->due_ && t->serial_ < next->serial_)))
                next = t;
        if (!next)
            break;
        r.now = std::max(r.now, next->due_);
        Guarded([next] { next->Tick(); });
    }
    // A handler that ran a modal loop of its own may have advanced time
    // past the target already; time never runs back.
    r.now = std::max(r.now, target);
}

} // namespace plat
