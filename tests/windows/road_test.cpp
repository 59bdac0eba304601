// The road of an administration as nested modal windows (main, choice,
// particulars, introduction, subtest, end), and the two ways the end window
// leaves it: back to the main window, or out of the program.
#include "windows/BackdropWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ProgramStart.h"
#include "windows/ReportWindow.h"
#include "platform/gui/Application.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

using namespace plat;
using zibor::test::ProgramWindows;
using zibor::test::TWindowDriver;

namespace {

const char *const kClosingQuestion = "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?";

class Road : public ProgramWindows {
protected:
    // Queues the steps that walk from the main window to the end window of a
    // phoneme-deletion administration; the later windows' own buttons are
    // not built yet, so their part of the road is taken by showing the next
    // window as they would.
    void WalkToTheEndWindow(int stateAtTheEnd)
    {
        drv.Then([this] {
            EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT"));
            drv.Advance(500);
        });
        drv.Then([this] {
            EXPECT_TRUE(drv.Click(*ZIBkeuze, "ButtonFW"));
            drv.Advance(500);
        });
        drv.Then([] { FWin->ShowModal(); });
        drv.Then([] { FWtfase->ShowModal(); });
        drv.Then([stateAtTheEnd] {
            ZIBinvoer->AdminState = stateAtTheEnd;
            ZIBfinish->ShowModal();
        });
    }
    void ExpectOnlyTheMainWindowRuns()
    {
        EXPECT_EQ(Application()->ModalStack(), std::vector<TForm *>{ZIBMAINForm});
        for (TForm *f : std::initializer_list<TForm *>{ZIBkeuze, ZIBinvoer, FWin, FWtfase, ZIBfinish})
            EXPECT_FALSE(f->Visible()) << f->Name();
    }
    TWindowDriver drv;
};

TEST_F(Road, EndWindowReportThenBackToTheMainWindow)
{
    WalkToTheEndWindow(6);
    drv.Then([this] {
        ASSERT_TRUE(ZIBfinish->Modal());
        EXPECT_EQ(ZIBfinish->Label1->Caption(), "TESTFASE COMPLEET");
        EXPECT_EQ(ZIBfinish->Label2->Caption(), "Klik op 'TESTRAPPORT' voor een resultatenoverzicht.");
        EXPECT_FALSE(ZIBfinish->Label4->Visible());
        EXPECT_FALSE(ZIBfinish->ButtonExit->Visible());
        EXPECT_FALSE(drv.Click(*ZIBfinish, "ButtonHM")) << "home waits for the report";
        EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonTR"));
    });
    drv.Then([] {
        ASSERT_TRUE(PP->Modal());
        EXPECT_EQ(ZIBinvoer->AdminState, 7) << "a state above 4 becomes finished";
        EXPECT_FALSE(FWtfase->Visible());
        EXPECT_EQ(ZIBfinish->Label1->Caption(), "KLAAR!");
        EXPECT_EQ(ZIBfinish->Label2->Caption(), "Kies 'TESTRAPPORT' om een rapport te printen.");
        EXPECT_TRUE(ZIBfinish->Label4->Visible());
        EXPECT_FALSE(ZIBfinish->ButtonHM->Enabled());
        PP->SetModalResult(mrCancel);
    });
    drv.Then([this] {
        EXPECT_TRUE(ZIBfinish->ButtonHM->Enabled());
        EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonHM"));
        EXPECT_FALSE(ZIBfinish->ButtonTR->Enabled());
        drv.Advance(500);
    });
    drv.Then([this] {
        ExpectOnlyTheMainWindowRuns();
        EXPECT_EQ(ZIBMAINForm->EFase->Text(), "Startfase");
        EXPECT_TRUE(ZIBMAINForm->ButtonNT->Enabled());
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit"));
    });
    EXPECT_EQ(ZIBMAINForm->ShowModal(), mrOk);
}

TEST_F(Road, StateBelowFiveStaysWhenTheReportIsShown)
{
    WalkToTheEndWindow(4);
    drv.Then([this] { EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonTR")); });
    drv.Then([] {
        EXPECT_EQ(ZIBinvoer->AdminState, 4);
        PP->SetModalResult(mrCancel);
    });
    drv.Then([this] {
        EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonHM"));
        EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonHM")) << "a second click goes home at once";
    });
    drv.Then([this] {
        ExpectOnlyTheMainWindowRuns();
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit"));
    });
    EXPECT_EQ(ZIBMAINForm->ShowModal(), mrOk);
}

// From the end window out of the program: Cancel leaves the administration's
// windows hidden and the end window shown; OK ends every modal loop, and the
// program, as the start-up runs it.
TEST(RoadOut, ClosingFromTheEndWindowEndsTheProgram)
{
    TWindowDriver drv;
    drv.Then([&] { drv.Advance(200); }); // the progress window
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT"));
        drv.Advance(500);
    });
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBkeuze, "ButtonFV"));
        drv.Advance(500);
    });
    drv.Then([] { FWin->ShowModal(); });
    drv.Then([] {
        ZIBinvoer->AdminState = 5;
        ZIBfinish->ShowModal();
    });
    drv.Then([&] {
        // The report window's closing shows the exit button.
        ZIBfinish->ButtonExit->Show();
        drv.Dialogs().Answer(mrCancel, kClosingQuestion);
        EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonExit"));
        EXPECT_EQ(ZIBinvoer->AdminState, 7);
        for (TForm *f : std::initializer_list<TForm *>{FWin, ZIBinvoer, ZIBkeuze})
            EXPECT_FALSE(f->Visible()) << f->Name();
        EXPECT_TRUE(ZIBfinish->Visible());
        EXPECT_TRUE(ZIBfinish->Modal());
        EXPECT_EQ(ZIBfinish->ModalResult(), mrNone);
        EXPECT_TRUE(drv.Sleeps().size() == 1) << "only the start-up's wait so far";
    });
    drv.Then([&] {
        drv.Dialogs().Answer(mrOk, kClosingQuestion);
        EXPECT_TRUE(drv.Click(*ZIBfinish, "ButtonExit"));
    });
    InitializeModules();
    RunProgram();
    EXPECT_TRUE(Application()->Terminated());
    EXPECT_TRUE(Application()->ModalStack().empty());
    EXPECT_EQ(Backblack->MainResult(), mrOk);
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{1000, 2000}));
    EXPECT_EQ(drv.Dialogs().Texts(), (std::vector<std::string>{kClosingQuestion, kClosingQuestion}));
    zibor::test::FreeProgramWindows();
    Application()->CancelTerminate();
}

} // namespace
