// The window system's close request (Alt+F4, a window manager's close) on the
// borderless windows of an administration: a window that closed itself this
// way left the window beneath with its buttons switched off.
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportWindow.h"
#include "administration/Settings.h"
#include "platform/core/Dates.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "windows/SubtestRoad.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QCloseEvent>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace plat;
using zibor::test::TWindowDriver;

namespace {

class WindowClose : public zibor::test::ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        dev->SetAutoComplete(true);
        subtestroad::Admin().WisGegevens();
    }
    static void WindowSystemClose(TForm &f)
    {
        QCloseEvent e;
        QApplication::sendEvent(f.Widget(), &e);
    }
    std::shared_ptr<TScriptedAudioDevice> dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope{dev};
    TWindowDriver drv;
};

// The end window takes the window system's close as its home button, only
// once that is offered (after the report); before, it refuses it, as the
// subtest window beneath has nothing left to offer.
TEST_F(WindowClose, TheEndWindowGoesHomeOnlyWhenHomeIsOffered)
{
    drv.Then([&] {
        ASSERT_TRUE(ZIBfinish->Modal());
        WindowSystemClose(*ZIBfinish);
        drv.Advance(500);
        EXPECT_EQ(ZIBfinish->ModalResult(), mrNone) << "closed before the report";
        ZIBfinish->ButtonHM->SetEnabled(true); // as the report window leaves it
        WindowSystemClose(*ZIBfinish);
        drv.Advance(500);
    });
    ZIBfinish->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    EXPECT_EQ(ZIBfinish->PendingAction, 1) << "the home button's action";
}

// The particulars window takes it as its back button: the particulars are
// stored on the way back, as there.
TEST_F(WindowClose, TheParticularsWindowGoesBackAndStores)
{
    const std::string dir = ::testing::TempDir() + "zibor-window-close-" + std::to_string(::getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/Data");
    std::filesystem::create_directories(dir + "/Incomplete afnames");
    ZIBMAINForm->DataPath = dir + "\\";
    drv.Then([&] {
        TZIBinvoer &w = *ZIBinvoer;
        w.Ecode->SetText("Jan");
        adm::TParticulars &p = w.Adm.P;
        p.sex = 1;
        p.gebdag = "10", p.gebmnd = "01", p.gebjaar = "2017";
        p.form = 0;
        ASSERT_TRUE(w.Adm.MayContinue().valid);
        WindowSystemClose(w);
    });
    drv.Then([&] { drv.Advance(1000); }); // the saved notice
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    bool stored = false;
    for (const auto &e : std::filesystem::directory_iterator(dir + "/Data"))
        stored |= e.path().filename().string().rfind("Jan_", 0) == 0;
    EXPECT_TRUE(stored) << "the particulars were not stored";
    std::filesystem::remove_all(dir);
}

// Closed by the window system, the subtest window is interrupted as by its
// own button, so the introduction offers continue and interrupt again; while
// the interrupt is not offered (a prompt plays) the request is refused.
TEST_F(WindowClose, ASubtestClosedByTheWindowSystemIsInterrupted)
{
    struct Case {
        const char *what;
        TIntroWindow *intro;
        TSubtestWindow *subtest;
    };
    for (const Case &k : {Case{"deletion", FWin, FWtfase}, Case{"substitution", FVin, FVtfase}}) {
        SCOPED_TRACE(k.what);
        k.intro->Initialiseer();
        auto enabled = [&](const char *name) {
            auto *c = dynamic_cast<TControl *>(k.intro->FindComponent(name));
            return c && c->Enabled() && c->Visible();
        };
        drv.Then([&] {
            ASSERT_TRUE(drv.Click(*k.intro, "ButtonIO"));
            drv.Advance(500);
        });
        drv.Then([&] {
            ASSERT_TRUE(k.subtest->Modal());
            WindowSystemClose(*k.subtest);
            drv.Advance(500);
        });
        drv.Then([&] {
            ASSERT_TRUE(k.intro->Modal()) << "back in the introduction";
            EXPECT_TRUE(enabled("ButtonIO")) << "continue offered";
            EXPECT_TRUE(enabled("ButtonOT")) << "interrupt offered";
            ASSERT_TRUE(drv.Click(*k.intro, "ButtonIO"));
            drv.Advance(500);
        });
        drv.Then([&] {
            ASSERT_TRUE(k.subtest->Modal());
            // A prompt plays: no interrupt is offered, nor a close.
            ASSERT_TRUE(drv.Click(*k.subtest->PromptA));
            WindowSystemClose(*k.subtest);
            drv.Advance(500);
            EXPECT_TRUE(k.subtest->Modal()) << "closed while its prompt played";
            EXPECT_EQ(k.subtest->ModalResult(), mrNone);
            k.subtest->SetModalResult(mrCancel);
        });
        drv.Then([&] { k.intro->SetModalResult(mrCancel); });
        k.intro->ShowModal();
        EXPECT_EQ(drv.PendingSteps(), 0u);
    }
}

// Closed by the window system, an introduction is interrupted as by its own
// button: the particulars window offers to continue, not a new start (which
// would ask to overwrite the administration under way).
TEST_F(WindowClose, AnIntroductionClosedByTheWindowSystemIsInterrupted)
{
    for (TIntroWindow *intro : {static_cast<TIntroWindow *>(FWin), static_cast<TIntroWindow *>(FVin)}) {
        SCOPED_TRACE(intro->Name());
        drv.Then([&] {
            ASSERT_TRUE(ZIBinvoer->Modal());
            intro->Initialiseer();
            intro->ShowModal();
            EXPECT_TRUE(ZIBinvoer->ButtonContin->Visible()) << "continue offered";
            EXPECT_FALSE(ZIBinvoer->ButtonST->Visible()) << "a new start offered";
            ZIBinvoer->SetModalResult(mrCancel);
        });
        drv.Then([&] {
            ASSERT_TRUE(intro->Modal());
            WindowSystemClose(*intro);
            drv.Advance(500);
        });
        ZIBinvoer->ShowModal();
        EXPECT_EQ(drv.PendingSteps(), 0u);
    }
}

// Closed by the window system, the report window closes as with its own
// button: the report file, its PDF copy and the store. It ended without any
// of them.
TEST_F(WindowClose, TheReportWindowClosedByTheWindowSystemSaves)
{
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("zibor-report-close-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    for (const char *sub : {"Data", "Incomplete afnames", "Rapporten/PDF"})
        std::filesystem::create_directories(dir / sub);
    {
        std::ofstream ini(dir / "ZIBOR.ini", std::ios::binary);
        ini << "[Settings]\r\ntrpath=" << (dir / "Rapporten").string() << "\r\n";
    }
    settings::Resolve(dir.string());
    ZIBMAINForm->DataPath = dir.string() + "\\";
    adm::TAdministration &a = ZIBinvoer->Adm;
    a.DataPath = ZIBMAINForm->DataPath;
    a.P = {.code = "Lotte", .sex = 0, .gebdag = "05", .gebmnd = "03", .gebjaar = "2016", .afndag = {},
           .afnmnd = {}, .afnjaar = {}, .school = {}, .groep = {}, .tl = {}, .form = 0};
    a.SetTestDate(Date());
    a.State = 2;
    ASSERT_EQ(a.Start(), adm::TAdministration::TStartResult::Started);
    a.State = 6;
    PP->FormCreate(PP);
    drv.Then([&] {
        ASSERT_TRUE(PP->Modal());
        WindowSystemClose(*PP);
    });
    drv.Then([&] { drv.Advance(1000); }); // the saved notice
    PP->ShowModal();
    settings::Resolve();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    bool report = false;
    for (const auto &e : std::filesystem::directory_iterator(dir / "Rapporten"))
        report |= e.path().extension() == ".zrp";
    EXPECT_TRUE(report) << "no report file";
    std::filesystem::remove_all(dir);
}

} // namespace
