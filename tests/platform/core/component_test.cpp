// Ownership, free notification and the loading state of components.
#include "platform/core/Component.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace plat;

namespace {

// Records what happens to it in a shared log.
class Probe : public TComponent {
public:
    Probe(TComponent *owner, std::string name, std::vector<std::string> &log)
        : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~Probe() override { log_.push_back("~" + Name()); }

    // A published setter: restored values do not count as user changes.
    void SetCaption(const std::string &c)
    {
        caption = c;
        log_.push_back(Name() + (Loading() ? ".caption(loading)" : ".caption"));
    }
    void Watch(TComponent *other)
    {
        watched = other;
        other->FreeNotification(this);
    }

    std::string caption;
    TComponent *watched = nullptr;
    int loadedCalls = 0;

protected:
    void Loaded() override
    {
        ++loadedCalls;
        log_.push_back(Name() + ".Loaded" + (Loading() ? "(still loading)" : ""));
    }
    void Notification(TComponent *c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == TOperation::opRemove && c == watched) {
            watched = nullptr;
            log_.push_back(Name() + " let go of " + c->Name());
        }
    }

private:
    std::vector<std::string> &log_;
};

} // namespace

TEST(Component, OwnedComponentsAreFreedWithTheOwner)
{
    std::vector<std::string> log;
    auto *form = new Probe(nullptr, "Form", log);
    auto *a = new Probe(form, "A", log);
    auto *b = new Probe(form, "B", log);
    new Probe(a, "A1", log);
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(form->FindComponent("b"), b);
    EXPECT_EQ(form->FindComponent(""), nullptr);
    EXPECT_EQ(a->Owner(), form);

    delete b; // freeing one child takes it out of its owner
    EXPECT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(form->FindComponent("B"), nullptr);
    log.clear();
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"~Form", "~A", "~A1"}));
}

TEST(Component, ChangingTheOwnerMovesTheComponent)
{
    std::vector<std::string> log;
    Probe one(nullptr, "One", log), two(nullptr, "Two", log);
    auto *c = new Probe(&one, "C", log);
    two.InsertComponent(c);
    EXPECT_EQ(one.ComponentCount(), 0);
    EXPECT_EQ(two.Components(0), c);
    EXPECT_EQ(c->Owner(), &two);
    two.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;
    EXPECT_EQ(two.ComponentCount(), 0);
}

TEST(Component, FreedComponentTellsThoseWhoAsked)
{
    std::vector<std::string> log;
    auto *images = new Probe(nullptr, "Images", log);
    Probe button(nullptr, "Button", log);
    Probe other(nullptr, "Other", log);
    button.Watch(images);
    other.Watch(images);
    delete images;
    EXPECT_EQ(button.watched, nullptr);
    EXPECT_EQ(other.watched, nullptr);
    EXPECT_NE(std::find(log.begin(), log.end(), "Button let go of Images"), log.end());

    // Removed watches stay silent; a watcher that goes first is forgotten.
    auto *pic = new Probe(nullptr, "Pic", log);
    auto *gone = new Probe(nullptr, "Gone", log);
    button.Watch(pic);
    gone->Watch(pic);
    pic->RemoveFreeNotification(&button);
    delete gone;
    log.clear();
    delete pic; // would touch freed memory if "Gone" were still listed
    EXPECT_EQ(log, (std::vector<std::string>{"~Pic"}));
    EXPECT_NE(button.watched, nullptr); // it no longer hears of it
}

TEST(Component, SiblingsHearThatAComponentOfTheirOwnerWasFreed)
{
    std::vector<std::string> log;
    Probe form(nullptr, "Form", log);
    auto *images = new Probe(&form, "Images", log);
    auto *button = new Probe(&form, "Button", log);
    button->watched = images; // a reference set from the description, no watch
    delete images;
    EXPECT_EQ(button->watched, nullptr);
}

TEST(Component, LoadingStateDuringADescription)
{
    std::vector<std::string> log;
    Probe form(nullptr, "Form", log);
    auto *early = new Probe(&form, "Early", log);
    {
        TLoadingScope loading(form);
        // Components made while the description is read load too.
        auto *group = new Probe(&form, "Group", log);
        auto *item = new Probe(group, "Item", log);
        group->SetCaption("Vorm");
        item->SetCaption("A");
        early->SetCaption("x");
        EXPECT_TRUE(form.Loading());
        EXPECT_TRUE(item->Loading());
        EXPECT_EQ(item->loadedCalls, 0);
    }
    EXPECT_FALSE(form.Loading());
    early->SetCaption("y");
    const std::vector<std::string> expected = {
        "Group.caption(loading)", "Item.caption(loading)", "Early.caption(loading)",
        "Early.Loaded", "Item.Loaded", "Group.Loaded", "Form.Loaded", "Early.caption"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(form.loadedCalls, 1);
    EXPECT_EQ(early->loadedCalls, 1);

    // Components made afterwards are not loading and get no Loaded.
    auto *later = new Probe(&form, "Later", log);
    EXPECT_FALSE(later->Loading());
}

TEST(Component, EventsTakeTheSenderFirst)
{
    std::vector<std::string> log;
    Probe button(nullptr, "Button", log);
    TObject *seen = nullptr;
    TNotifyEvent onClick = [&](TObject *sender) { seen = sender; };
    onClick(&button);
    EXPECT_EQ(seen, &button);
    EXPECT_EQ(static_cast<Probe *>(seen)->Name(), "Button");
}
