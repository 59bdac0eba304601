#include "platform/Component.h"

#include <algorithm>

namespace plat {

TComponent::TComponent(TComponent *owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    state_ |= csDestroying;
    // Tell everyone who asked, then free what we own (last created first).
    const auto watchers = notify_;
    for (TComponent *w : watchers) {
        w->notify_.erase(this);
        w->Notification(this, TOperation::opRemove);
    }
    while (!components_.empty()) {
        TComponent *child = components_.back();
        child->state_ |= csDestroying;
        RemoveComponent(child);
        delete child;
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

TComponent *TComponent::FindComponent(const std::string &name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent *c : components_) {
        const std::string &n = c->name_;
        if (n.size() == name.size() &&
            std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return c;
    }
    return nullptr;
}

void TComponent::BeginLoading()
{
    state_ |= csLoading;
    for (TComponent *c : components_)
        c->BeginLoading();
}

void TComponent::EndLoading()
{
    for (TComponent *c : components_)
        c->EndLoading();
    if (state_ & csLoading) {
        state_ &= ~csLoading;
        Loaded();
    }
}

void TComponent::FreeNotification(TComponent *other)
{
    if (!other || other == this)
        return;
    notify_.insert(other);
    other->notify_.insert(this);
}

void TComponent::RemoveFreeNotification(TComponent *other)
{
    if (!other)
        return;
    notify_.erase(other);
    other->notify_.erase(this);
}

void TComponent::InsertComponent(TComponent *child)
{
    if (child->owner_)
        child->owner_->RemoveComponent(child);
    child->owner_ = this;
    components_.push_back(child);
    Notification(child, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent *child)
{
    const auto it = std::find(components_.begin(), components_.end(), child);
    if (it == components_.end())
        return;
    components_.erase(it);
    child->owner_ = nullptr;
    Notification(child, TOperation::opRemove);
}

void TComponent::Notification(TComponent *, TOperation) {}

} // namespace plat
