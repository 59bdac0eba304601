// Windows: two-phase construction, the order of the window events, the
// program's own modal loop and how a stack of modal windows unwinds.
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

using namespace plat;
using zibor::test::TWindowDriver;

namespace {

using Log = std::vector<std::string>;

// A window that writes each of its events into a shared log.
class LoggedForm : public TForm {
public:
    LoggedForm(TComponent *owner, Log &log, const std::string &name) : TForm(owner), log_(log)
    {
        TLoadingScope loading(*this);
        SetName(name);
        OnCreate = [this](TObject *) { Note("create"); };
        OnShow = [this](TObject *) { Note(std::string("show visible=") + (Widget()->isVisible() ? "1" : "0")); };
        OnActivate = [this](TObject *) { Note("activate"); };
        OnDeactivate = [this](TObject *) { Note("deactivate"); };
        OnHide = [this](TObject *) { Note(std::string("hide visible=") + (Widget()->isVisible() ? "1" : "0")); };
        OnClose = [this](TObject *, TCloseAction &a) {
            Note("close");
            a = closeAction;
        };
        OnDestroy = [this](TObject *) { Note("destroy"); };
        Button = new TButton(this);
        Button->SetName("Button");
        Button->SetParent(this);
        Note("described");
    }
    void Note(const std::string &what) { log_.push_back(Name() + " " + what); }
    TButton *Button;
    TCloseAction closeAction = TCloseAction::caHide;

private:
    Log &log_;
};

TEST(GuiForms, CreateRunsAfterTheDescriptionAndShowAndHideKeepTheFrameworkOrder)
{
    Log log;
    auto *f = MakeForm<LoggedForm>(nullptr, log, "A");
    f->Show();
    f->Hide();
    f->Close();
    f->Free();
    EXPECT_EQ(log, (Log{"A described", "A create", "A show visible=0", "A activate", "A hide visible=1",
                        "A deactivate", "A close", "A destroy"}));
}

TEST(GuiForms, ShowModalReturnsTheResultAndRaisesCloseBeforeHiding)
{
    Log log;
    TWindowDriver drv;
    auto *f = MakeForm<LoggedForm>(nullptr, log, "A");
    f->Button->SetModalResult(mrOk);
    drv.Then([&] { EXPECT_TRUE(drv.Click(*f->Button)); });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(f->Modal());
    EXPECT_EQ(log, (Log{"A described", "A create", "A show visible=0", "A activate", "A close", "A deactivate",
                        "A hide visible=1"}));
    f->Free();
}

TEST(GuiForms, CloseActionNoneKeepsTheModalWindowOpen)
{
    Log log;
    TWindowDriver drv;
    auto *f = MakeForm<LoggedForm>(nullptr, log, "A");
    f->closeAction = TCloseAction::caNone;
    drv.Then([&] { f->Close(); });
    drv.Then([&] {
        EXPECT_TRUE(f->Visible());
        EXPECT_EQ(f->ModalResult(), mrNone);
        f->closeAction = TCloseAction::caHide;
        f->SetModalResult(mrAbort);
    });
    EXPECT_EQ(f->ShowModal(), mrAbort);
    f->Free();
}

TEST(GuiForms, AResultSetOnAnOuterWindowTakesEffectWhenTheInnerOneReturns)
{
    Log log;
    TWindowDriver drv;
    auto *outer = MakeForm<LoggedForm>(nullptr, log, "Outer");
    auto *inner = MakeForm<LoggedForm>(nullptr, log, "Inner");
    int innerResult = -1;
    drv.Then([&] { innerResult = inner->ShowModal(); });
    drv.Then([&] {
        // Inside the inner loop: the outer result is set first, yet the
        // inner window stays until its own result comes.
        outer->SetModalResult(mrCancel);
        log.push_back("outer result set");
    });
    drv.Then([&] {
        EXPECT_TRUE(inner->Visible());
        EXPECT_TRUE(outer->Visible());
        inner->SetModalResult(mrYes);
    });
    log.clear();
    EXPECT_EQ(outer->ShowModal(), mrCancel);
    EXPECT_EQ(innerResult, mrYes);
    EXPECT_EQ(log, (Log{"Outer show visible=0", "Outer activate", "Inner show visible=0", "Outer deactivate",
                        "Inner activate", "outer result set", "Inner close", "Inner deactivate",
                        "Inner hide visible=1", "Outer activate", "Outer close", "Outer deactivate",
                        "Outer hide visible=1"}));
    inner->Free();
    outer->Free();
}

// The demo of a window test: a window opens a modal child, the child asks a
// question in a message box, the driver answers, and both windows unwind.
class DemoChild : public TForm {
public:
    DemoChild(TComponent *owner, Log &log) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetName("Child");
        Ask = new TButton(this);
        Ask->SetName("Ask");
        Ask->SetParent(this);
        Ask->OnClick = [this, &log](TObject *) {
            const int answer = MessageDlg("Doorgaan?", mtConfirmation, {mbOK, mbCancel});
            log.push_back("answer " + std::to_string(answer));
            SetModalResult(answer == mrOk ? mrOk : mrCancel);
        };
        OnHide = [&log](TObject *) { log.push_back("child hidden"); };
    }
    TButton *Ask;
};

class DemoMain : public TForm {
public:
    DemoMain(TComponent *owner, Log &log) : TForm(owner), log_(log)
    {
        TLoadingScope loading(*this);
        SetName("Main");
        Open = new TButton(this);
        Open->SetName("Open");
        Open->SetParent(this);
        Open->OnClick = [this](TObject *) {
            auto *child = MakeForm<DemoChild>(this, log_);
            log_.push_back("child returned " + std::to_string(child->ShowModal()));
            child->Free();
            SetModalResult(mrOk);
        };
        OnActivate = [this](TObject *) { log_.push_back("main active"); };
        OnHide = [this](TObject *) { log_.push_back("main hidden"); };
    }
    TButton *Open;

private:
    Log &log_;
};

TEST(GuiForms, DemoModalChildAsksAndBothUnwindInOrder)
{
    Log log;
    TWindowDriver drv;
    auto *main = MakeForm<DemoMain>(nullptr, log);
    drv.Dialogs().Answer(mrOk, "Doorgaan?");
    drv.Then([&] { EXPECT_TRUE(drv.Click(*main, "Open")); });
    drv.Then([&] {
        auto *child = dynamic_cast<DemoChild *>(main->FindComponent("Child"));
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->Modal());
        EXPECT_EQ(Application()->ModalStack().size(), 2u);
        EXPECT_TRUE(drv.Click(*child, "Ask"));
    });
    EXPECT_EQ(main->ShowModal(), mrOk);
    EXPECT_EQ(log, (Log{"main active", "answer 1", "child hidden", "main active", "child returned 1", "main hidden"}));
    EXPECT_EQ(drv.Dialogs().Texts(), (std::vector<std::string>{"Doorgaan?"}));
    EXPECT_EQ(drv.Dialogs().Shown().front().Caption, "Bevestigen");
    EXPECT_TRUE(Application()->ModalStack().empty());
    main->Free();
}

TEST(GuiForms, ShowModalOfAVisibleWindowIsRefused)
{
    Log log;
    auto *f = MakeForm<LoggedForm>(nullptr, log, "A");
    f->Show();
    EXPECT_THROW(f->ShowModal(), EInvalidOperation);
    f->Hide();
    f->Free();
}

TEST(GuiForms, ADescriptionThatMakesTheWindowVisibleShowsItAfterCreate)
{
    class Visible : public TForm {
    public:
        Visible(TComponent *owner, Log &log) : TForm(owner)
        {
            TLoadingScope loading(*this);
            OnCreate = [&log, this](TObject *) { log.push_back(Widget()->isVisible() ? "create shown" : "create hidden"); };
            OnShow = [&log](TObject *) { log.push_back("show"); };
            SetVisible(true);
        }
    };
    Log log;
    auto *f = MakeForm<Visible>(nullptr, log);
    EXPECT_TRUE(f->Widget()->isVisible());
    EXPECT_EQ(log, (Log{"create hidden", "show"}));
    f->Hide();
    f->Free();
}

Log *g_ownedLog = nullptr;
class OwnedForm : public LoggedForm {
public:
    explicit OwnedForm(TComponent *owner) : LoggedForm(owner, *g_ownedLog, "M") {}
};

TEST(GuiForms, ApplicationCreatesTheMainWindowFirstAndClosingItTerminates)
{
    Log log;
    g_ownedLog = &log;
    OwnedForm *first = nullptr, *second = nullptr;
    Application()->CreateForm(first);
    Application()->CreateForm(second);
    ASSERT_EQ(Application()->MainForm(), first);
    EXPECT_EQ(first->Owner(), Application());
    first->Show();
    first->Close();
    EXPECT_TRUE(Application()->Terminated());
    EXPECT_TRUE(first->Visible()) << "the main window closes by ending the program, not by hiding";
    Application()->CancelTerminate();
    second->Show();
    second->Close();
    EXPECT_FALSE(second->Visible());
    EXPECT_FALSE(Application()->Terminated());
    first->Hide();
    first->Free();
    second->Free();
    EXPECT_EQ(Application()->MainForm(), nullptr);
}

TEST(GuiForms, TerminatingEndsEveryModalLoopWithCancel)
{
    Log log;
    TWindowDriver drv;
    auto *outer = MakeForm<LoggedForm>(nullptr, log, "Outer");
    auto *inner = MakeForm<LoggedForm>(nullptr, log, "Inner");
    int innerResult = -1;
    drv.Then([&] { innerResult = inner->ShowModal(); });
    drv.Then([&] { Application()->Terminate(); });
    EXPECT_EQ(outer->ShowModal(), mrCancel);
    EXPECT_EQ(innerResult, mrCancel);
    Application()->CancelTerminate();
    inner->Free();
    outer->Free();
}

// The program's start-up shape: the main window is created first, and the
// last window's creation handler runs the main window modally, then closes
// it, which ends the program.
Log g_startLog;
class StartMain : public TForm {
public:
    explicit StartMain(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetName("Main");
        Exit = new TButton(this);
        Exit->SetName("ButtonExit");
        Exit->SetParent(this);
        Exit->OnClick = [this](TObject *) {
            Screen()->SetCursor(crHourGlass);
            Application()->Sleep(2000);
            SetModalResult(mrOk);
        };
        OnShow = [](TObject *) { g_startLog.push_back("main shown"); };
    }
    TButton *Exit;
};

StartMain *g_main = nullptr;

class StartBackdrop : public TForm {
public:
    explicit StartBackdrop(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        OnCreate = [](TObject *) {
            g_startLog.push_back("modal " + std::to_string(g_main->ShowModal()));
            g_main->Close();
            g_startLog.push_back(Application()->Terminated() ? "terminated" : "running");
        };
    }
};

TEST(GuiForms, StartUpRunsTheWholeProgramInsideTheLastWindowsCreation)
{
    g_startLog.clear();
    TWindowDriver drv;
    Application()->CreateForm(g_main);
    drv.Then([&] { EXPECT_TRUE(drv.Click(*g_main, "ButtonExit")); });
    StartBackdrop *backdrop = nullptr;
    Application()->CreateForm(backdrop);
    Application()->Run(); // returns at once: the program is ending
    EXPECT_EQ(g_startLog, (Log{"main shown", "modal 1", "terminated"}));
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{2000}));
    EXPECT_EQ(Screen()->Cursor(), crDefault) << "the cursor of before the modal loop is back";
    EXPECT_EQ(Application()->MainForm(), g_main);
    backdrop->Free();
    g_main->Free();
    Application()->CancelTerminate();
}

bool g_windowGone = false;
std::vector<std::string> g_lateEvents;

class FocusedForm : public TForm {
public:
    explicit FocusedForm(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        Edit = new TEdit(this);
        Edit->SetParent(this);
        auto late = [](const char *what) {
            return [what](TObject *) {
                if (g_windowGone)
                    g_lateEvents.push_back(what);
            };
        };
        Edit->OnExit = late("exit");
        Edit->OnChange = late("change");
        Edit->OnMouseLeave = late("leave");
    }
    ~FocusedForm() override { g_windowGone = true; }
    TEdit *Edit;
};

TEST(GuiForms, NoEventReachesTheHandlersOfAWindowThatIsBeingDestroyed)
{
    g_windowGone = false;
    auto *f = MakeForm<FocusedForm>(nullptr);
    f->Show();
    f->Edit->SetFocus();
    ASSERT_TRUE(f->Edit->Focused());
    f->Free();
    EXPECT_TRUE(g_windowGone);
    EXPECT_TRUE(g_lateEvents.empty()) << g_lateEvents.front();
}

TEST(GuiForms, AnExceptionInAHandlerIsShownByTheDefaultHandler)
{
    Log log;
    TWindowDriver drv;
    auto *f = MakeForm<LoggedForm>(nullptr, log, "A");
    f->Button->OnClick = [](TObject *) { throw Exception("Device not ready"); };
    Application()->SetTitle("Zibolka Test Revised");
    drv.Dialogs().Answer(mrOk, "Device not ready.");
    drv.Then([&] { drv.Click(*f->Button); });
    drv.Then([&] { f->SetModalResult(mrOk); });
    EXPECT_EQ(f->ShowModal(), mrOk);
    ASSERT_EQ(drv.Dialogs().Shown().size(), 1u);
    EXPECT_EQ(drv.Dialogs().Shown()[0].Caption, "Zibolka Test Revised");
    f->Free();
}

// A window that stays on top would cover every window shown from it; each
// modal window above it stays on top too, for as long as it runs.
TEST(GuiForms, AModalWindowAboveAStayOnTopWindowStaysOnTopWhileItRuns)
{
    TWindowDriver drv;
    auto *top = MakeForm<TForm>(nullptr);
    top->SetFormStyle(TFormStyle::fsStayOnTop);
    auto *middle = MakeForm<TForm>(nullptr);
    auto *inner = MakeForm<TForm>(nullptr);
    auto *plain = MakeForm<TForm>(nullptr);
    auto onTop = [](TForm *f) { return f->StaysOnTop() && (f->Widget()->windowFlags() & Qt::WindowStaysOnTopHint); };
    drv.Then([&] { middle->ShowModal(); });
    drv.Then([&] { inner->ShowModal(); });
    drv.Then([&] {
        EXPECT_TRUE(onTop(middle));
        EXPECT_TRUE(onTop(inner)) << "also two levels up";
        inner->SetModalResult(mrOk);
        middle->SetModalResult(mrOk);
    });
    drv.Then([&] { top->SetModalResult(mrOk); });
    top->ShowModal();
    EXPECT_FALSE(middle->StaysOnTop());
    EXPECT_FALSE(middle->Widget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(inner->StaysOnTop());
    EXPECT_TRUE(onTop(top)) << "its own style stays";
    drv.Then([&] {
        EXPECT_FALSE(plain->StaysOnTop()) << "not from a window of the usual kind";
        plain->SetModalResult(mrOk);
    });
    plain->ShowModal();
    for (TForm *f : {top, middle, inner, plain})
        f->Free();
}

TEST(GuiForms, BorderIconsChooseTheFramesButtons)
{
    struct Case {
        const char *name;
        TBorderIcons icons;
        bool close, minimize, maximize;
    };
    const Case cases[] = {
        {"all: the frame as the desktop makes it", biSystemMenu | biMinimize | biMaximize, false, false, false},
        {"the system menu only", biSystemMenu, true, false, false},
        {"no maximize", biSystemMenu | biMinimize, true, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto *f = MakeForm<TForm>(nullptr);
        f->SetBorderStyle(TFormBorderStyle::bsSingle);
        f->SetBorderIcons(c.icons);
        const Qt::WindowFlags flags = f->Widget()->windowFlags();
        const bool custom = flags & Qt::CustomizeWindowHint;
        EXPECT_EQ(custom, c.close || c.minimize || c.maximize);
        if (custom) {
            EXPECT_EQ(bool(flags & Qt::WindowCloseButtonHint), c.close);
            EXPECT_EQ(bool(flags & Qt::WindowMinimizeButtonHint), c.minimize);
            EXPECT_EQ(bool(flags & Qt::WindowMaximizeButtonHint), c.maximize);
        }
        f->Free();
    }
}

} // namespace
