// Whole administrations through the real windows, headless: particulars,
// introduction, every entry played, stopped and scored by mouse and keys,
// the store after each, the after-subtest window and the end window; then
// the data files on disk, read back here by a reader of the test's own.
#include "administration/AfterDeletionWindow.h"
#include "administration/ChoiceWindow.h"
#include "administration/DeletionIntroWindow.h"
#include "administration/DeletionWindow.h"
#include "administration/EndWindow.h"
#include "administration/MainWindow.h"
#include "administration/ParticularsWindow.h"
#include "administration/ReportWindow.h"
#include "administration/Settings.h"
#include "administration/SavedNoticeWindow.h"
#include "administration/SubstitutionIntroWindow.h"
#include "administration/SubstitutionWindow.h"
#include "controls/UiRadioGroup.h"
#include "platform/Application.h"
#include "platform/AudioDeviceScripted.h"
#include "platform/Dates.h"
#include "tests/administration/ProgramWindows.h"
#include "tests/platform/core_test_files.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace plat;
using zibor::test::TWindowDriver;
namespace fs = std::filesystem;

namespace {

// The last record of a data file, split at ";", after checking that every
// line ends in CR LF.
std::vector<std::string> LastRecord(const std::string &bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    std::vector<std::string> fields;
    if (lines.empty())
        return fields;
    std::stringstream in(lines.back());
    std::string field;
    while (std::getline(in, field, ';'))
        fields.push_back(field);
    if (!lines.back().empty() && lines.back().back() == ';')
        fields.push_back("");
    return fields;
}

bool IsNumber(const std::string &s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

class AdministrationRun : public zibor::test::ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        dir_ = fs::temp_directory_path() / ("zibor-run-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "Data");
        fs::create_directories(dir_ / "Incomplete afnames");
        fs::create_directories(dir_ / "Rapporten" / "PDF");
        std::ofstream ini(dir_ / "ZIBOR.ini", std::ios::binary);
        ini << "[Settings]\r\ntrpath=" << (dir_ / "Rapporten").string() << "\r\n";
        ini.close();
        settings::Resolve(dir_.string());
        ZIBMAINForm->DataPath = dir_.string() + "\\";
        drv.Clock().SetNow(EncodeDate(2024, 3, 5) + 0.4);
        dev->SetAutoComplete(true);
    }
    void TearDown() override
    {
        settings::Resolve();
        ProgramWindows::TearDown();
        fs::remove_all(dir_);
    }

    // The particulars of a child of 116 months (age band 4) in form B, and
    // the start.
    void Particulars(int choice)
    {
        ZIBkeuze->Keuze = choice;
        ZIBinvoer->AdminState = choice;
        drv.Then([this] {
            TZIBinvoer &w = *ZIBinvoer;
            drv.Type(*w.Ecode, "Lotte");
            drv.ClickItem(*w.RGsekse, 0);
            drv.Type(*w.Egebdag, "12");
            drv.Type(*w.Egebmnd, "06");
            drv.Type(*w.Egebjaar, "2014");
            drv.ClickItem(*w.ZIBversion, 1);
            ASSERT_TRUE(drv.Click(w, "ButtonST"));
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

    std::vector<std::string> Record(const std::string &suffix)
    {
        return LastRecord(coretest::ReadBytes(dir_ / ("Data/Lotte_05-03-2024" + suffix)));
    }

    // The pairs of a complete record as this test scored them.
    static void ExpectPairs(const std::vector<std::string> &r, int entries)
    {
        for (int entry = 1; entry <= entries; ++entry) {
            SCOPED_TRACE(entry);
            const std::string &time = r[static_cast<size_t>(12 + 2 * entry)];
            EXPECT_TRUE(IsNumber(time)) << time;
            EXPECT_EQ(r[static_cast<size_t>(13 + 2 * entry)], entry % 3 != 0 ? "1" : "0");
        }
    }

    std::shared_ptr<TScriptedAudioDevice> dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope{dev};
    TWindowDriver drv;
    fs::path dir_;
};

TEST_F(AdministrationRun, DeletionAloneToTheEndWindow)
{
    Particulars(2);
    Introduction(FWin);
    Entries(FWtfase, 15);
    Finish(FWtfase);
    drv.Then([this] {
        ASSERT_TRUE(FWaft->Modal());
        ASSERT_TRUE(drv.Click(*FWaft, "BtnNo"));
    });
    Notice();
    EndWindowHome();
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);

    const auto fw = Record("_FW.wda");
    ASSERT_EQ(fw.size(), 45u);
    EXPECT_EQ(fw[0], "Lotte");
    EXPECT_EQ(fw[1], "FWR-B");
    EXPECT_EQ(fw[12], "15");
    EXPECT_EQ(fw[13], "4");
    ExpectPairs(fw, 15);
    EXPECT_TRUE(IsNumber(fw[44])) << "the T-score";
    // The other subtest's record: its first, empty pair only.
    const auto fv = Record("_FV.vda");
    EXPECT_EQ(fv.size(), 16u);
    EXPECT_EQ(fv[12], "");
}

TEST_F(AdministrationRun, DeletionThenSubstitutionWithTheReportBetween)
{
    Particulars(2);
    Introduction(FWin);
    Entries(FWtfase, 15);
    Finish(FWtfase);
    drv.Then([this] {
        ASSERT_TRUE(FWaft->Modal());
        ASSERT_TRUE(drv.Click(*FWaft, "BtnYes"));
    });
    drv.Then([] { EXPECT_EQ(ZIBinvoer->AdminState, 6) << "the report so far comes first"; });
    Report();
    Introduction(FVin);
    Entries(FVtfase, 12);
    Finish(FVtfase);
    EndWindowHome();
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);

    const auto fw = Record("_FW.wda");
    ASSERT_EQ(fw.size(), 45u);
    EXPECT_EQ(fw[13], "7");
    ExpectPairs(fw, 15);
    const auto fv = Record("_FV.vda");
    ASSERT_EQ(fv.size(), 39u);
    EXPECT_EQ(fv[1], "FVR-B");
    EXPECT_EQ(fv[12], "12");
    EXPECT_EQ(fv[13], "7");
    ExpectPairs(fv, 12);
    EXPECT_TRUE(IsNumber(fw[44]) && IsNumber(fv[38])) << "both T-scores";
    EXPECT_TRUE(fs::exists(dir_ / "Rapporten" / "Lotte - 05-03-2024.zrp"));
    EXPECT_FALSE(fs::exists(dir_ / "Incomplete afnames" / "Lotte_05-03-2024.zta")) << "finished";
    EXPECT_TRUE(Application()->ModalStack().empty());
}

} // namespace
