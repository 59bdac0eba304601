// The window system's close request (Alt+F4, a window manager's close) on the
// borderless windows of an administration: a window that closed itself this
// way left the window beneath with its buttons switched off.
#include "administration/DeletionIntroWindow.h"
#include "administration/DeletionWindow.h"
#include "administration/EndWindow.h"
#include "administration/MainWindow.h"
#include "administration/ParticularsWindow.h"
#include "administration/SubstitutionIntroWindow.h"
#include "administration/SubstitutionWindow.h"
#include "administration/SubtestRoad.h"
#include "platform/AudioDeviceScripted.h"
#include "tests/administration/ProgramWindows.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QCloseEvent>
#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
