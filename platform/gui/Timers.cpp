#include "platform/gui/Timers.h"

#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <vector>

#include <sys/timerfd.h>
#include <unistd.h>

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

// Outside virtual time a timer runs on the clock: on a Qt timer, and a
// precise one on a kernel timer of its own. Qt's timers wait in whole
// milliseconds rounded up, counted from when the loop went idle, so a tick
// of 1 ms whose handler and repaint take a few tenths comes every 1.1 to
// 1.3 ms; the kernel timer keeps its ticks on the schedule set at its start.
// Ticks missed while the thread was busy come as one, and a tick that falls
// due while the handler itself still runs (a modal loop inside it) is
// skipped, as Qt's own timers do.
class TTimer::ClockTimer {
public:
    ~ClockTimer()
    {
        notifier.reset();
        if (fd >= 0)
            ::close(fd);
    }

    QTimer timer;
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::shared_ptr<bool> ticking = std::make_shared<bool>(false);

    // The kernel timer set to `ms` (0 stops it); false when there is none.
    bool Arm(unsigned ms)
    {
        if (fd < 0)
            return false;
        itimerspec every{};
        every.it_value.tv_sec = ms / 1000;
        every.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
        every.it_interval = every.it_value;
        return timerfd_settime(fd, 0, &every, nullptr) == 0;
    }
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
        if (clock_) {
            clock_->timer.stop();
            clock_->Arm(0);
        }
        due_ = r.now + interval_;
        return;
    }
    if (!clock_) {
        clock_ = std::make_unique<ClockTimer>();
        QObject::connect(&clock_->timer, &QTimer::timeout, [this] { Guarded([this] { Tick(); }); });
    }
    if (precise_ && clock_->fd < 0) {
        clock_->fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (clock_->fd >= 0) {
            clock_->notifier = std::make_unique<QSocketNotifier>(clock_->fd, QSocketNotifier::Read);
            QObject::connect(clock_->notifier.get(), &QSocketNotifier::activated,
                             [this, fd = clock_->fd, ticking = clock_->ticking] {
                                 // The handler may free this timer and its notifier: the
                                 // flag is held here, not through them.
                                 const std::shared_ptr<bool> busy = ticking;
                                 uint64_t expired = 0;
                                 if (::read(fd, &expired, sizeof expired) != sizeof expired || *busy)
                                     return;
                                 *busy = true;
                                 Guarded([this] { Tick(); });
                                 *busy = false;
                             });
        }
    }
    if (precise_ && clock_->Arm(interval_)) {
        clock_->timer.stop();
        return;
    }
    clock_->Arm(0);
    clock_->timer.setTimerType(precise_ ? Qt::PreciseTimer : Qt::CoarseTimer);
    clock_->timer.start(static_cast<int>(interval_));
}

bool TTimer::Running() const
{
    return enabled_ && interval_ > 0 && OnTimer && !Going() && !Application()->Terminated();
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
