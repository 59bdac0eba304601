// The introduction and subtest windows on the window layer: parts played
// and unlocked, the item loop driven by mouse and keys through the widgets,
// with virtual time and the scripted audio device.
#include "windows/DeletionIntroWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/DeletionWindow.h"
#include "administration/PromptStreams.h"
#include "audio/StockAudioPlayer.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "windows/SubtestRoad.h"
#include "windows/AfterDeletionWindow.h"
#include "windows/AfterSubstitutionWindow.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/core/Clock.h"
#include "platform/core/Dates.h"
#include "platform/gui/Application.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/WindowDriver.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

using namespace plat;
using zibor::test::ProgramWindows;
using zibor::test::TWindowDriver;
using Lines = std::vector<std::string>;

namespace {

class SubtestWindows : public ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        dev->SetAutoComplete(true);
        subtestroad::Admin().WisGegevens();
    }
    // Outputs opened on the device so far (the failed ones too).
    static long Opens(const Lines &calls)
    {
        return std::count_if(calls.begin(), calls.end(), [](const std::string &l) { return l.rfind("open", 0) == 0; });
    }
    long Opens() const { return Opens(dev->Calls()); }
    std::shared_ptr<TScriptedAudioDevice> dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope{dev};
    TWindowDriver drv;
};

TEST_F(SubtestWindows, IntroductionUnlocksPartsAndAFailedPartStaysLocked)
{
    TFWin &w = *FWin;
    w.Initialiseer();
    drv.Then([&] {
        EXPECT_FALSE(w.Int[1]->Visible());
        EXPECT_TRUE(w.Int[4]->Visible());
        ASSERT_TRUE(drv.Click(w, "Int1"));
        EXPECT_FALSE(w.Enabled()) << "the deletion introduction is disabled while a part starts";
        EXPECT_FALSE(drv.Click(w, "int5"));
        drv.Advance(10);
        EXPECT_TRUE(w.Enabled());
        EXPECT_TRUE(w.Int[1]->Visible() && w.Int[1]->Enabled());
        EXPECT_FALSE(w.Int[2]->Visible());

        // Part 2's sound cannot be played: no retry, part 3 stays locked,
        // and everything that was available is available again.
        ASSERT_TRUE(drv.Click(w, "Int2"));
        ASSERT_TRUE(dev->WaitUntil([](const Lines &l) { return Opens(l) >= 2; }));
        dev->FailNext(TWaveOutCall::Open, MMSYSERR_ALLOCATED);
        drv.Advance(10);
        EXPECT_FALSE(w.Timer->Enabled());
        const long opens = Opens();
        drv.Advance(200);
        EXPECT_EQ(Opens(), opens) << "the part is not tried again";
        EXPECT_FALSE(w.Int[2]->Visible());
        EXPECT_FALSE(w.Clicked[1]);
        for (int k : {0, 1, 4})
            EXPECT_TRUE(w.Int[k]->Enabled()) << k;
        EXPECT_TRUE(w.ButtonIO->Enabled());
        EXPECT_TRUE(w.ButtonOT->Enabled());

        // The instruction first in a fresh start opens all five parts.
        ASSERT_TRUE(drv.Click(w, "int5"));
        drv.Advance(10);
        for (int k = 0; k < 5; ++k)
            EXPECT_TRUE(w.Int[k]->Visible() && w.Int[k]->Enabled()) << k;
        EXPECT_EQ(w.Ready, 1);

        ASSERT_TRUE(drv.Click(w, "ButtonOT"));
        EXPECT_EQ(w.FreshStart, 0);
        drv.Advance(500);
    });
    EXPECT_EQ(w.ShowModal(), mrCancel);
}

// A second click that comes while the part plays (the user-interface thread
// is inside the synchronous playback, so it waits in the queue) is not a new
// click: the part plays once.
TEST_F(SubtestWindows, ADoubleClickPlaysAnIntroductionPartOnce)
{
    for (TIntroWindow *w : {static_cast<TIntroWindow *>(FWin), static_cast<TIntroWindow *>(FVin)}) {
        SCOPED_TRACE(w->Name());
        std::vector<uint8_t> sound;
        ASSERT_TRUE(FindResourceBytes("WAV", std::string(w == FWin ? "FWn01" : "FVn01"), sound));
        // The part's own writes: its data chunk whole (no other sound has its size).
        const std::string write = " " + std::to_string(sound.size() - 44);
        auto partPlays = [&] {
            const Lines calls = dev->Calls();
            return std::count_if(calls.begin(), calls.end(), [&](const std::string &l) {
                return l.rfind("write ", 0) == 0 && l.size() > write.size() &&
                       l.compare(l.size() - write.size(), write.size(), write) == 0;
            });
        };
        w->Initialiseer();
        bool posted = false;
        dev->SetBeforeCall([&](TWaveOutCall call) {
            if (call != TWaveOutCall::Write || posted)
                return;
            posted = true;
            QWidget *target = w->Int[0]->Widget();
            const QPointF local(target->width() / 2.0, target->height() / 2.0);
            const QPointF global = target->mapToGlobal(local);
            QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        });
        drv.Then([&] {
            const long before = partPlays();
            ASSERT_TRUE(drv.Click(*w, "Int1"));
            drv.Advance(10);
            EXPECT_TRUE(posted);
            drv.Advance(200);
            EXPECT_EQ(partPlays(), before + 1) << "one click, one play";
            EXPECT_FALSE(w->Timer->Enabled());
            EXPECT_TRUE(w->Int[1]->Visible() && w->Int[1]->Enabled()) << "the part was played and unlocked the next";
            ASSERT_TRUE(drv.Click(*w, "ButtonOT"));
            drv.Advance(500);
        });
        EXPECT_EQ(w->ShowModal(), mrCancel);
        dev->SetBeforeCall(nullptr);
    }
}

// Plays the current entry of the deletion window and runs its clock until
// the stop button shows.
void RunToStop(TWindowDriver &drv, TFWtfase &w, bool byKeys)
{
    if (byKeys)
        drv.Type(w, " ");
    else
        ASSERT_TRUE(drv.Click(w, "BtnA"));
    for (int i = 0; i < 100 && !w.BtnB->Enabled(); ++i)
        drv.Advance(100);
    if (byKeys)
        drv.Type(w, " ");
    else
        ASSERT_TRUE(drv.Click(w, "BtnB"));
    for (int i = 0; i < 100 && !w.ButtonStptime->Enabled(); ++i)
        drv.Advance(100);
    ASSERT_TRUE(w.ButtonStptime->Enabled());
}

TEST_F(SubtestWindows, DeletionEntriesByMouseAndKeys)
{
    TFWtfase &w = *FWtfase;
    adm::TAdministration &a = subtestroad::Admin();
    a.P.form = 1;
    w.StartAt(4, 0);
    drv.Then([&] {
        EXPECT_EQ(w.Label1->Caption(), "Zeg item 1a");
        RunToStop(drv, w, false);
        drv.Advance(1000);
        ASSERT_TRUE(drv.Click(w, "ButtonStptime"));
        EXPECT_TRUE(w.GoedBt->Visible());
        EXPECT_EQ(a.ElaatsteFW, "") << "claimed only when scored";
        ASSERT_TRUE(drv.Click(w, "GoedBt"));
        EXPECT_EQ(a.SGRscoreFW.Cells(2, 3), "1");
        EXPECT_EQ(a.ElaatsteFW, "4");
        EXPECT_EQ(a.EntryFW, 5);
        EXPECT_EQ(w.Label1->Caption(), "Zeg item 2a");

        RunToStop(drv, w, true);
        drv.Type(w, " ");
        EXPECT_FALSE(w.ButtonStptime->Enabled());
        drv.Type(w, "f");
        EXPECT_EQ(a.SGRscoreFW.Cells(2, 4), "0");
        EXPECT_EQ(a.ElaatsteFW, "5");
        EXPECT_EQ(w.Prompts().Name(0), "FWBi03a");

        ASSERT_TRUE(drv.Click(w, "ButtonOT"));
        EXPECT_EQ(FWin->FreshStart, 0);
        drv.Advance(500);
    });
    EXPECT_EQ(w.ShowModal(), mrCancel);
    EXPECT_TRUE(w.ButtonOT->Enabled()) << "ready for the return";
    EXPECT_EQ(w.Loop.CurrentEntry(), 6);
}

TEST_F(SubtestWindows, SubstitutionItemButtonStartsThePromptOnce)
{
    TFVtfase &w = *FVtfase;
    w.StartAt(1, 0);
    drv.Then([&] {
        ASSERT_TRUE(drv.Click(w, "ButtonItem"));
        EXPECT_FALSE(drv.Click(w, "ButtonItem"));
        drv.Type(w, " ");
        EXPECT_EQ(Opens(), 2) << "the click sound and one prompt";
        ASSERT_TRUE(drv.Click(w, "ButtonOT") == false);
        for (int i = 0; i < 100 && !w.ButtonStptime->Enabled(); ++i)
            drv.Advance(100);
        drv.Type(w, " ");
        drv.Type(w, "g");
        EXPECT_EQ(subtestroad::Admin().SGRscoreFV.Cells(2, 0), "1");
        EXPECT_EQ(subtestroad::Admin().ELaatsteFV, "1");
        ASSERT_TRUE(drv.Click(w, "ButtonOT"));
        drv.Advance(500);
    });
    EXPECT_EQ(w.ShowModal(), mrCancel);
}

} // namespace

namespace {

// Valid particulars of a child of today's administration, its data folders
// in a fresh folder of that prefix (returned).
std::filesystem::path ReadyAdministration(adm::TAdministration &a, const std::string &prefix)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    for (const char *sub : {"Data", "Incomplete afnames"})
        std::filesystem::create_directories(dir / sub);
    ZIBMAINForm->DataPath = a.DataPath = dir.string() + "\\";
    a.SetTestDate(plat::Date());
    a.WisGegevens();
    a.P.code = "Roos";
    a.P.sex = 0;
    a.P.gebdag = "03";
    a.P.gebmnd = "04";
    a.P.gebjaar = "2015";
    a.P.form = 0;
    a.MayContinue();
    return dir;
}

struct RoadCase {
    const char *name;
    bool afterDeletion;
    bool yes;
    int state;
    int stores;
    std::vector<std::string> windows; // shown modally from the answer, in order
};

const RoadCase kRoads[] = {
    {"deletion, then substitution after the report", true, true, 6, 0, {"PP", "FVin"}},
    {"deletion only", true, false, 4, 1, {"ZIBfinish"}},
    {"substitution, then deletion", false, true, 5, 0, {"FWin"}},
    {"substitution only", false, false, 3, 0, {"ZIBfinish"}},
};

TEST_F(SubtestWindows, AfterSubtestRoads)
{
    for (const RoadCase &c : kRoads) {
        SCOPED_TRACE(c.name);
        adm::TAdministration &a = subtestroad::Admin();
        const std::filesystem::path dir = ReadyAdministration(a, "zibor-roads-");
        ASSERT_TRUE(a.Valid);
        a.State = c.afterDeletion ? 2 : 1;
        int stores = 0;
        a.OnSavedNotice = [&] { ++stores; };
        FWtfase->StartAt(9, 0);
        FVtfase->StartAt(7, 0);
        TForm &after = c.afterDeletion ? static_cast<TForm &>(*FWaft) : *FVaft;
        std::vector<std::string> shown;
        drv.Then([&] { ASSERT_TRUE(drv.Click(after, c.yes ? "BtnYes" : "BtnNo")); });
        for (size_t i = 0; i < c.windows.size(); ++i)
            drv.Then([&] {
                TForm *f = Screen()->ActiveForm();
                shown.push_back(f ? f->Name() : "");
                if (f)
                    f->SetModalResult(mrCancel);
                // The end window's way home closes the windows beneath it.
                if (f == ZIBfinish)
                    after.SetModalResult(mrCancel);
            });
        after.ShowModal();
        EXPECT_EQ(shown, c.windows);
        EXPECT_EQ(a.State, c.state);
        EXPECT_EQ(stores, c.stores);
        if (c.yes) {
            TSubtestWindow &next = c.afterDeletion ? static_cast<TSubtestWindow &>(*FVtfase) : *FWtfase;
            EXPECT_EQ(next.Loop.CurrentEntry(), 1);
            EXPECT_EQ(next.Loop.otherSubtestDone, 1);
        }
        EXPECT_FALSE(after.Visible());
        std::filesystem::remove_all(dir);
    }
}

} // namespace

namespace {

// Whether the thread is blocked in a wait, as the kernel sees it.
bool Asleep(pid_t thread)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t name = line.rfind(')');
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'S';
}

// A subtest window freed while its prompt plays (as at the end of the
// program, when the prompt outlasts the goodbye picture). Waiting for the
// player to close ran the event loop inside the destructor, and the dying
// window's 100 ms tick reached controls already freed. Here a moment of
// the loop is due while the player closes: it must come after the window
// is gone, and find nothing of it. The device ends the playback only once
// the interface thread waits (or that moment has come), so the wait in the
// destructor is always reached.
TEST_F(SubtestWindows, FreedWhileItsPromptPlaysRunsNothingOfItself)
{
    for (const bool deletion : {false, true}) {
        SCOPED_TRACE(deletion ? "deletion" : "substitution");
        dev->SetAutoComplete(false);
        TSubtestWindow *w = deletion ? static_cast<TSubtestWindow *>(FWtfase) : FVtfase;
        w->StartAt(deletion ? 4 : 1, 0);
        w->Show();
        ASSERT_TRUE(drv.Click(*w->PromptA));
        if (deletion) {
            for (int i = 0; i < 100 && !w->BtnB->Enabled(); ++i)
                drv.Advance(100);
            ASSERT_TRUE(drv.Click(*w->BtnB));
        }
        for (int i = 0; i < 100 && w->EFase->Text().rfind("Timer loopt", 0) != 0; ++i)
            drv.Advance(100); // the clock runs
        ASSERT_EQ(w->EFase->Text().rfind("Timer loopt", 0), 0u) << w->EFase->Text();
        ASSERT_TRUE(w->ItemPlayer->Active());
        const size_t prompt = Opens();

        const pid_t ui = static_cast<pid_t>(::gettid());
        std::atomic<bool> freeing{false}, ranWhileFreeing{false}, ran{false};
        dev->SetBeforeCall([&](TWaveOutCall call) {
            if (call == TWaveOutCall::Reset && freeing && static_cast<pid_t>(::gettid()) == ui)
                QMetaObject::invokeMethod(
                    qApp,
                    [&] {
                        ranWhileFreeing = freeing.load();
                        drv.Advance(100); // the window's tick falls due
                        ran = true;
                    },
                    Qt::QueuedConnection);
            if (call == TWaveOutCall::Close && freeing && static_cast<pid_t>(::gettid()) != ui)
                while (!ran && !Asleep(ui))
                    std::this_thread::yield();
        });
        freeing = true;
        w->Free();
        freeing = false;
        if (deletion)
            FWtfase = nullptr;
        else
            FVtfase = nullptr;
        Application()->ProcessMessages();
        dev->SetBeforeCall(nullptr);
        EXPECT_TRUE(ran) << "the moment of the loop came";
        EXPECT_FALSE(ranWhileFreeing) << "the event loop ran while the window was freed";
        const std::string output = "#" + std::to_string(prompt);
        const Lines calls = dev->Calls();
        EXPECT_NE(std::find(calls.begin(), calls.end(), "close " + output), calls.end())
            << "the prompt was closed before its window went";
    }
}

} // namespace
