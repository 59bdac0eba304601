#pragma once
// Component model: objects owned by a component are destroyed with it; a
// component can ask to be told when another one goes away; while a window
// builds its controls from its description, every component is "loading".
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace plat {

class TObject {
public:
    virtual ~TObject() = default;
};

// Event delegates take the sender first, as the framework's method pointers do.
using TNotifyEvent = std::function<void(TObject *Sender)>;

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csDestroying = 1u << 1,
    csDesigning = 1u << 2,
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent *owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent &) = delete;
    TComponent &operator=(const TComponent &) = delete;

    TComponent *Owner() const { return owner_; }
    const std::string &Name() const { return name_; }
    void SetName(const std::string &name) { name_ = name; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent *Components(int i) const { return components_.at(static_cast<size_t>(i)); }
    TComponent *FindComponent(const std::string &name) const;

    unsigned ComponentState() const { return state_; }
    bool Loading() const { return state_ & csLoading; }
    bool Destroying() const { return state_ & csDestroying; }
    // This component or one of its owners is being destroyed: nothing of it
    // may run any more (a timer's tick, a handler).
    bool Going() const;

    // Marks this component and everything it owns as loading, and every
    // component inserted while it loads; EndLoading clears the mark and calls
    // Loaded on each, owned components first.
    void BeginLoading();
    void EndLoading();

    // Both are told (Notification with opRemove) when the other is freed.
    void FreeNotification(TComponent *other);
    void RemoveFreeNotification(TComponent *other);
    void InsertComponent(TComponent *child);
    void RemoveComponent(TComponent *child);

protected:
    // Called once loading ends, owned components before their owner; the
    // loading mark is already cleared.
    virtual void Loaded() {}
    // Told when a component is inserted into or removed from this one, and
    // when a component this one watches (FreeNotification) is freed. The
    // base forwards it to the owned components, so overrides call it too.
    virtual void Notification(TComponent *component, TOperation operation);
    // Called by derived destructors that must know the owner chain is going.
    void MarkDestroying() { state_ |= csDestroying; }
    // Frees the owned components now. A derived class whose owned components
    // still need it while they go calls this from its own destructor.
    void DestroyComponents();

private:
    void SetLoadingTree();
    TComponent *owner_ = nullptr;
    std::string name_;
    std::vector<TComponent *> components_;
    std::set<TComponent *> notify_;
    unsigned state_ = 0;
};

// Runs a window description inside the loading state, so that setters can
// tell they are being restored rather than changed by the program.
class TLoadingScope {
public:
    explicit TLoadingScope(TComponent &c) : c_(c) { c_.BeginLoading(); }
    ~TLoadingScope() { c_.EndLoading(); }
    TLoadingScope(const TLoadingScope &) = delete;
    TLoadingScope &operator=(const TLoadingScope &) = delete;

private:
    TComponent &c_;
};

} // namespace plat
