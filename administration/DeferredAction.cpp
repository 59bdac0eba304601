#include "administration/DeferredAction.h"

void TDeferredAction::Bind(plat::TTimer *timer, std::function<void()> action, unsigned interval)
{
    timer_ = timer;
    action_ = std::move(action);
    interval_ = interval;
    timer_->OnTimer = [this](plat::TObject *) { Latency(); };
}

void TDeferredAction::Latency()
{
    state_ = 1;
    if (interval_ != 0)
        timer_->SetInterval(interval_);
    timer_->SetEnabled(true);
    if (previous_ == 1) {
        state_ = 2;
    }
    previous_ = state_;
    if (state_ == 1) {
        if (OnArmed)
            OnArmed();
        return;
    }
    timer_->SetEnabled(false);
    if (action_)
        action_();
}

void TDeferredAction::Reset()
{
    state_ = 0;
    previous_ = 0;
}
