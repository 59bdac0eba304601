// The window fade: the alpha values it writes (never screen pixels), how it
// stands in for the window's events, and what happens when it or its window
// goes away.
#include "controls/AlphaShowHide.h"
#include "platform/gui/Forms.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

using namespace plat;

namespace {

using Log = std::vector<std::string>;

// A window that records every alpha write and repaint, and its own events.
class FadeForm : public TForm {
public:
    FadeForm(TComponent *owner, Log &log, bool active, int delta = 25, int max = 255) : TForm(owner), log_(log)
    {
        TLoadingScope loading(*this);
        OnCreate = [this](TObject *) { log_.push_back("own create"); };
        OnActivate = [this](TObject *) { log_.push_back("own activate"); };
        OnHide = [this](TObject *) { log_.push_back("own hide"); };
        OnClose = [this](TObject *, TCloseAction &a) {
            log_.push_back("own close");
            a = closeAction;
        };
        Fade = new TAlphaShowHide(this);
        Fade->SetDeltaAlpha(delta);
        Fade->SetMaxAlpha(max);
        Fade->SetActive(active);
    }
    void SetAlphaBlend(bool v) override
    {
        log_.push_back(std::string("blend ") + (v ? "on" : "off"));
        TForm::SetAlphaBlend(v);
    }
    void SetAlphaBlendValue(uint8_t v) override
    {
        if (recording)
            log_.push_back(std::to_string(v));
        TForm::SetAlphaBlendValue(v);
    }
    void Repaint() override
    {
        ++repaints;
        TForm::Repaint();
    }
    TAlphaShowHide *Fade;
    bool recording = true;
    int repaints = 0;
    TCloseAction closeAction = TCloseAction::caHide;

private:
    Log &log_;
};

Log Alphas(const Log &log)
{
    Log out;
    for (const auto &e : log)
        if (!e.empty() && std::isdigit(static_cast<unsigned char>(e[0])))
            out.push_back(e);
    return out;
}

Log Seq(std::initializer_list<int> v)
{
    Log out;
    for (int i : v)
        out.push_back(std::to_string(i));
    return out;
}

TEST(AlphaShowHide, FadeSequencesForTheEdgeCases)
{
    struct Case {
        const char *name;
        int delta, max;
        Log in, out;
    };
    const Case cases[] = {
        {"defaults", 25, 255, Seq({0, 25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 255}),
         Seq({230, 205, 180, 155, 130, 105, 80, 55, 30, 5, 0})},
        {"step 250", 250, 255, Seq({0, 250, 255}), Seq({5, 0})},
        {"step above the maximum", 300, 200, Seq({0, 200}), Seq({0})},
        {"maximum 0", 25, 0, Seq({0}), {}},
        {"negative maximum", 25, -5, Seq({0}), {}},
        {"step 0 counts as 1", 0, 3, Seq({0, 1, 2, 3}), Seq({2, 1, 0})},
        {"negative step counts as 1", -4, 2, Seq({0, 1, 2}), Seq({1, 0})},
        {"maximum above a byte wraps when written", 100, 300, Seq({0, 100, 200, 44}), Seq({200, 100, 0})},
    };
    for (const Case &c : cases) {
        Log log;
        auto *f = MakeForm<FadeForm>(nullptr, log, true, c.delta, c.max);
        log.clear();
        f->repaints = 0;
        f->Show();
        EXPECT_EQ(Alphas(log), c.in) << c.name << ": fade-in";
        EXPECT_EQ(f->repaints, static_cast<int>(c.in.size())) << c.name << ": a repaint after every write";
        log.clear();
        f->Hide();
        EXPECT_EQ(Alphas(log), c.out) << c.name << ": fade-out";
        f->Free();
    }
}

TEST(AlphaShowHide, TheWindowsOwnHandlersRunAroundTheFades)
{
    Log log;
    auto *f = MakeForm<FadeForm>(nullptr, log, true, 250, 255);
    EXPECT_EQ(log, (Log{"0", "blend on", "own create"})) << "layered and transparent before it is first shown";
    EXPECT_TRUE(f->AlphaBlend());
    log.clear();
    f->Show();
    EXPECT_EQ(log, (Log{"0", "250", "255", "own activate"}));
    log.clear();
    f->Close();
    EXPECT_EQ(log, (Log{"own hide", "5", "0", "own close"}));
    EXPECT_FALSE(f->Visible());
    f->Free();
}

TEST(AlphaShowHide, TheCloseActionIsPassedThrough)
{
    Log log;
    auto *f = MakeForm<FadeForm>(nullptr, log, true, 250, 255);
    f->closeAction = TCloseAction::caNone;
    f->Show();
    TCloseAction a = TCloseAction::caHide;
    f->DoClose(a);
    EXPECT_EQ(a, TCloseAction::caNone);
    f->Free();
}

TEST(AlphaShowHide, EveryActivationFadesInAgainAlsoWhenAModalChildReturns)
{
    Log log, childLog;
    zibor::test::TWindowDriver drv;
    auto *parent = MakeForm<FadeForm>(nullptr, log, true, 250, 255);
    auto *child = MakeForm<FadeForm>(nullptr, childLog, true, 250, 255);
    childLog.clear();
    drv.Then([&] {
        log.clear();
        child->ShowModal();
    });
    drv.Then([&] {
        EXPECT_TRUE(Alphas(log).empty()) << "a window under a modal child does not fade";
        child->SetModalResult(mrOk);
    });
    drv.Then([&] {
        EXPECT_EQ(log, (Log{"0", "250", "255", "own activate"}));
        parent->SetModalResult(mrOk);
    });
    parent->ShowModal();
    EXPECT_EQ(Alphas(childLog), Seq({0, 250, 255, 5, 0})) << "the child faded in, then out as it closed";
    child->Free();
    parent->Free();
}

TEST(AlphaShowHide, InactiveFromTheDescriptionLeavesTheWindowAlone)
{
    Log log;
    auto *f = MakeForm<FadeForm>(nullptr, log, false, 70, 255);
    EXPECT_EQ(log, (Log{"own create"}));
    EXPECT_FALSE(f->AlphaBlend());
    // Switched on later, the fade writes alpha values that show only once
    // the window's AlphaBlend is on.
    f->Fade->SetActive(true);
    log.clear();
    f->Show();
    EXPECT_EQ(log, (Log{"0", "70", "140", "210", "255", "own activate"}));
    EXPECT_FALSE(f->AlphaBlend());
    f->Hide();
    f->Free();
}

TEST(AlphaShowHide, ActiveKeepsTheHandlersOfConstructionTime)
{
    Log log;
    auto *f = MakeForm<FadeForm>(nullptr, log, false);
    TNotifyEvent late = [&](TObject *) { log.push_back("late activate"); };
    f->OnActivate = late;
    f->Fade->SetActive(false); // unchanged: nothing is read or written
    log.clear();
    f->Show();
    EXPECT_EQ(log, (Log{"late activate"}));
    f->Hide();
    f->Fade->SetActive(true);
    f->Fade->SetActive(false);
    log.clear();
    f->Show();
    EXPECT_EQ(log, (Log{"own activate"})) << "switching back restores the construction-time handler";
    f->Hide();
    f->Free();
}

TEST(AlphaShowHide, SwitchedOffTheWindowKeepsItsAlpha)
{
    Log log;
    auto *f = MakeForm<FadeForm>(nullptr, log, true, 250, 200);
    f->Show();
    f->Fade->SetActive(false);
    log.clear();
    f->Hide();
    EXPECT_EQ(log, (Log{"own hide"}));
    EXPECT_EQ(f->AlphaBlendValue(), 200);
    EXPECT_TRUE(f->AlphaBlend());
    f->Free();
}

TEST(AlphaShowHide, FreeingTheComponentAloneGivesTheHandlersBack)
{
    Log log;
    auto *f = MakeForm<FadeForm>(nullptr, log, true, 250, 255);
    delete f->Fade;
    log.clear();
    f->Show();
    f->Hide();
    EXPECT_EQ(log, (Log{"own activate", "own hide"}));
    f->Free();
}

TEST(AlphaShowHide, DestroyingTheWindowWritesNothingBackIntoIt)
{
    // Under the sanitizer build a write into the half-destroyed window
    // shows as a use after free.
    for (bool shown : {false, true}) {
        Log log;
        auto *f = MakeForm<FadeForm>(nullptr, log, true);
        f->recording = false;
        if (shown)
            f->Show();
        f->Free();
    }
    Log log;
    auto *owner = new TComponent(nullptr);
    MakeForm<FadeForm>(owner, log, true);
    delete owner;
}

TEST(AlphaShowHide, AnOwnerThatIsNoWindowMakesItInert)
{
    TComponent owner;
    auto *fade = new TAlphaShowHide(&owner);
    fade->SetActive(true);
    EXPECT_TRUE(fade->Active());
    fade->SetActive(false);
}

} // namespace
