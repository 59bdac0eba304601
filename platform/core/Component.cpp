#include "platform/core/Component.h"

#include <algorithm>
#include <cctype>

namespace plat {

TComponent::TComponent(TComponent *owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    state_ |= csDestroying;
    // Tell everyone who asked; a watcher may free others while it is told,
    // so the set is taken apart one at a time.
    while (!notify_.empty()) {
        TComponent *w = *notify_.begin();
        notify_.erase(notify_.begin());
        w->notify_.erase(this);
        w->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents()
{
    // Last created first; a child that is freed does not tell its siblings,
    // since they are going too.
    while (!components_.empty()) {
        TComponent *child = components_.back();
        components_.pop_back();
        child->owner_ = nullptr;
        child->state_ |= csDestroying;
        delete child;
    }
}

bool TComponent::Going() const
{
    for (const TComponent *c = this; c; c = c->owner_)
        if (c->Destroying())
            return true;
    return false;
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

void TComponent::SetLoadingTree()
{
    state_ |= csLoading;
    for (TComponent *c : components_)
        c->SetLoadingTree();
}

void TComponent::BeginLoading()
{
    SetLoadingTree();
}

void TComponent::EndLoading()
{
    // Copy: a Loaded handler may create or free components.
    const std::vector<TComponent *> children = components_;
    for (TComponent *c : children)
        if (std::find(components_.begin(), components_.end(), c) != components_.end())
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
    if (!child || child == this)
        return;
    if (child->owner_)
        child->owner_->RemoveComponent(child);
    child->owner_ = this;
    components_.push_back(child);
    // A component made while its owner is being built from its description
    // is itself being loaded.
    if (Loading())
        child->SetLoadingTree();
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

void TComponent::Notification(TComponent *component, TOperation operation)
{
    if (operation == TOperation::opRemove && component)
        RemoveFreeNotification(component);
    if (Destroying())
        return;
    // Owned components hear of it too, so a sibling that refers to a freed
    // component can let go of it. Indexing, since a handler may free some.
    for (size_t i = components_.size(); i-- > 0;) {
        if (i >= components_.size())
            continue;
        TComponent *c = components_[i];
        if (c != component)
            c->Notification(component, operation);
    }
}

} // namespace plat
