#pragma once
// Whole administrations through the real windows, headless, in a folder of
// their own: the program's folders and settings set up there, and the steps
// that a test leader takes through the particulars, the introductions, every
// entry, the after-subtest windows, the reports and the end window. Shared
// by the window tests and by the program that hashes the files a road
// writes.
#include "windows/AfterDeletionWindow.h"
#include "windows/AfterSubstitutionWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "windows/ChoiceWindow.h"
#include "controls/UiRadioGroup.h"
#include "administration/Settings.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/core/Dates.h"
#include "tests/platform/core/test_files.h"
#include "tests/support/WindowDriver.h"
#include "tests/windows/ProgramWindows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace zibor::test {

class AdministrationRoad : public ProgramWindows {
protected:
    // The program's windows, its folders under dir (made afresh) and its
    // settings there, on 5 March 2024.
    void SetUpIn(const std::filesystem::path &dir)
    {
        namespace fs = std::filesystem;
        ProgramWindows::SetUp();
        dir_ = dir;
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "Data");
        fs::create_directories(dir_ / "Incomplete afnames");
        fs::create_directories(dir_ / "Rapporten" / "PDF");
        std::ofstream ini(dir_ / "ZIBOR.ini", std::ios::binary);
        // The data path too: an interrupt or going back reads it anew.
        ini << "[Settings]\r\ndatapath=" << dir_.string() << "\r\ntrpath=" << (dir_ / "Rapporten").string()
            << "\r\n";
        ini.close();
        settings::Resolve(dir_.string());
        ZIBMAINForm->DataPath = dir_.string() + "\\";
        drv.Clock().SetNow(plat::EncodeDate(2024, 3, 5) + 0.4);
        dev->SetAutoComplete(true);
    }
    void TearDown() override
    {
        settings::Resolve();
        ProgramWindows::TearDown();
    }

    // The particulars of a child of 116 months (age band 4) in form B, and
    // the start (or, once beforeStart has run, that button).
    void Particulars(int choice, const std::function<void()> &beforeStart = {}, const char *start = "ButtonST")
    {
        ZIBkeuze->Keuze = choice;
        ZIBinvoer->AdminState = choice;
        drv.Then([this, beforeStart, start] {
            TZIBinvoer &w = *ZIBinvoer;
            drv.Type(*w.Ecode, "Lotte");
            drv.ClickItem(*w.RGsekse, 0);
            drv.Type(*w.Egebdag, "12");
            drv.Type(*w.Egebmnd, "06");
            drv.Type(*w.Egebjaar, "2014");
            drv.ClickItem(*w.ZIBversion, 1);
            if (beforeStart)
                beforeStart();
            ASSERT_TRUE(drv.Click(w, start));
            drv.Advance(500);
        });
    }

    // The introduction's first part, then continue.
    template <class W>
    void Introduction(W *&intro)
    {
        drv.Then([this, &intro] {
            ASSERT_TRUE(intro->Modal());
            ASSERT_TRUE(drv.Click(*intro, "Int1"));
            drv.Advance(10);
            ASSERT_TRUE(drv.Click(*intro, "ButtonIO"));
            drv.Advance(500);
        });
    }

    // Every entry of the subtest: the prompt(s), the clock run past the
    // prompt's end, the stop and the score; odd entries by mouse, even ones
    // by keys; each store's notice closes after its second.
    template <class W>
    void Entries(W *&window, int count)
    {
        for (int entry = 1; entry <= count; ++entry) {
            const bool keys = entry % 2 == 0;
            const bool right = entry % 3 != 0;
            drv.Then([this, &window, entry, keys, right] {
                W &w = *window;
                ASSERT_TRUE(w.Modal());
                ASSERT_EQ(w.Loop.CurrentEntry(), entry);
                if (keys)
                    drv.Type(w, " ");
                else
                    ASSERT_TRUE(drv.Click(*w.PromptA));
                if (w.BtnB) {
                    for (int i = 0; i < 100 && !w.BtnB->Enabled(); ++i)
                        drv.Advance(100);
                    if (keys)
                        drv.Type(w, " ");
                    else
                        ASSERT_TRUE(drv.Click(*w.BtnB));
                }
                for (int i = 0; i < 100 && !w.ButtonStptime->Enabled(); ++i)
                    drv.Advance(100);
                drv.Advance(w.BtnB ? 2000 : 4000);
                if (keys) {
                    drv.Type(w, " ");
                    drv.Type(w, right ? "g" : "f");
                } else {
                    ASSERT_TRUE(drv.Click(w, "ButtonStptime"));
                    ASSERT_TRUE(drv.Click(*(right ? w.GoedBt : w.FoutBt)));
                }
            });
            Notice();
        }
    }

    void Notice()
    {
        drv.Then([this] {
            ASSERT_TRUE(message->Modal());
            drv.Advance(1000);
        });
    }

    template <class W>
    void Finish(W *&window)
    {
        drv.Then([this, &window] {
            ASSERT_TRUE(drv.Click(*window, "ButtonFinish"));
            drv.Advance(500);
        });
        Notice();
    }

    // The report window, closed with its exit button: it saves the report
    // file and stores the administration.
    void Report()
    {
        drv.Then([this] {
            ASSERT_TRUE(PP->Modal());
            ASSERT_TRUE(drv.Click(*PP, "ButtonExit"));
        });
        Notice();
    }

    // The end window's report button, the report, then home.
    void EndWindowHome()
    {
        drv.Then([this] {
            ASSERT_TRUE(ZIBfinish->Modal());
            ASSERT_TRUE(drv.Click(*ZIBfinish, "ButtonTR"));
        });
        Report();
        drv.Then([this] {
            ASSERT_TRUE(drv.Click(*ZIBfinish, "ButtonHM"));
            drv.Advance(500);
        });
    }

    // A click on a window's button and the half second of its deferred action.
    void ClickAndWait(plat::TForm &w, const char *button)
    {
        ASSERT_TRUE(drv.Click(w, button)) << button;
        drv.Advance(500);
    }

    // The deletion subtest to its end, then that button of the
    // after-deletion window.
    void DeletionThenAfterItsWindow(const char *button)
    {
        Particulars(2);
        Introduction(FWin);
        Entries(FWtfase, 15);
        Finish(FWtfase);
        drv.Then([this, button] {
            ASSERT_TRUE(FWaft->Modal());
            ASSERT_TRUE(drv.Click(*FWaft, button));
        });
    }

    // The deletion subtest alone, "Nee" after it, then the end window's
    // report and home.
    void DeletionAloneToTheEndWindow()
    {
        DeletionThenAfterItsWindow("BtnNo");
        Notice();
        EndWindowHome();
        ZIBinvoer->ShowModal();
        EXPECT_EQ(drv.PendingSteps(), 0u);
    }

    // The deletion subtest, "Ja" after it and the report so far, then the
    // substitution subtest, the end window's report and home.
    void DeletionThenSubstitutionWithTheReportBetween()
    {
        DeletionThenAfterItsWindow("BtnYes");
        drv.Then([] { EXPECT_EQ(ZIBinvoer->AdminState, 6) << "the report so far comes first"; });
        Report();
        Introduction(FVin);
        Entries(FVtfase, 12);
        Finish(FVtfase);
        EndWindowHome();
        ZIBinvoer->ShowModal();
        EXPECT_EQ(drv.PendingSteps(), 0u);
    }

    // Every file under the folder with its bytes.
    std::map<std::string, std::string> Snapshot()
    {
        namespace fs = std::filesystem;
        std::map<std::string, std::string> files;
        for (const auto &e : fs::recursive_directory_iterator(dir_))
            if (e.is_regular_file())
                files[fs::relative(e.path(), dir_).string()] = coretest::ReadBytes(e.path());
        return files;
    }

    std::shared_ptr<plat::TScriptedAudioDevice> dev = std::make_shared<plat::TScriptedAudioDevice>();
    plat::TAudioDeviceScope scope{dev};
    TWindowDriver drv;
    std::filesystem::path dir_;
};

} // namespace zibor::test
