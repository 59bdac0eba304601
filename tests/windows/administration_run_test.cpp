// Whole administrations through the real windows, headless: particulars,
// introduction, every entry played, stopped and scored by mouse and keys,
// the store after each, the after-subtest window and the end window; then
// the data files on disk, read back here by a reader of the test's own.
#include "windows/AfterDeletionWindow.h"
#include "windows/AfterSubstitutionWindow.h"
#include "windows/CorrectionWindow.h"
#include "windows/ReportViewerWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportWindow.h"
#include "administration/Settings.h"
#include "windows/SavedNoticeWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "controls/UiRadioGroup.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/core/Dates.h"
#include "platform/core/Streams.h"
#include "platform/gui/Application.h"
#include "tests/windows/AdministrationRoad.h"
#include "tests/platform/core/test_files.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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

// The GIF picture that the image shows, by its resource name among names;
// empty when it is none of them.
std::string ShownPicture(TImage &image, std::initializer_list<const char *> names)
{
    TMemoryStream shown;
    if (TGraphic *g = image.Picture().Graphic())
        g->SaveToStream(shown);
    const std::vector<uint8_t> bytes(shown.Memory(), shown.Memory() + shown.Size());
    for (const char *name : names) {
        std::vector<uint8_t> picture;
        if (FindResourceBytes("gif", name, picture) && picture == bytes)
            return name;
    }
    return {};
}

class AdministrationRun : public zibor::test::AdministrationRoad {
protected:
    void SetUp() override { SetUpIn(fs::temp_directory_path() / ("zibor-run-" + std::to_string(::getpid()))); }
    void TearDown() override
    {
        AdministrationRoad::TearDown();
        fs::remove_all(dir_);
    }

    std::vector<std::string> Record(const std::string &suffix, const std::string &base = "Lotte_05-03-2024")
    {
        return LastRecord(coretest::ReadBytes(dir_ / ("Data/" + base + suffix)));
    }

    // Out of the deletion window by both interrupts, then back to the main
    // window from the particulars, with the store of the back button.
    void InterruptAndGoBack()
    {
        drv.Then([this] { ClickAndWait(*FWtfase, "ButtonOT"); });
        drv.Then([this] { ClickAndWait(*FWin, "ButtonOT"); });
        drv.Then([this] { ClickAndWait(*ZIBinvoer, "ButtonNP"); });
        Notice();
    }

    // "verder" on the particulars window, then the introduction's continue:
    // the deletion window shows the entry it goes on with.
    void ContinueToTheDeletionWindow(int entry, const char *caption)
    {
        drv.Then([this] { ClickAndWait(*ZIBinvoer, "ButtonContin"); });
        drv.Then([this] { ClickAndWait(*FWin, "ButtonIO"); });
        drv.Then([this, entry, caption] {
            ASSERT_TRUE(FWtfase->Modal());
            EXPECT_EQ(FWtfase->Loop.CurrentEntry(), entry);
            EXPECT_EQ(FWtfase->Label1->Caption(), caption);
        });
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
};

TEST_F(AdministrationRun, DeletionAloneToTheEndWindow)
{
    DeletionAloneToTheEndWindow();

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
    DeletionThenSubstitutionWithTheReportBetween();

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

// A child of band 4: item 2 (entry 5) runs past its maximum of 6.3 s and is
// scored wrong at 64 tenths. Once its message is answered it is on disk (a
// store with its silent notice, as for a scored item), so the closing
// question answered at once loses nothing: after a restart the resume goes
// on at item 3, and the next day's resume as well.
TEST_F(AdministrationRun, AnAutomaticallyStoppedItemIsStoredAtOnceAndNeverOfferedAgain)
{
    Particulars(2);
    Introduction(FWin);
    Entries(FWtfase, 4);
    drv.Dialogs().Answer(mrOk, "Maximaal toegestane responstijd bereikt.");
    drv.Then([this] {
        TFWtfase &w = *FWtfase;
        ASSERT_EQ(w.Loop.CurrentEntry(), 5);
        ASSERT_TRUE(drv.Click(*w.PromptA));
        for (int i = 0; i < 100 && !w.BtnB->Enabled(); ++i)
            drv.Advance(100);
        ASSERT_TRUE(drv.Click(*w.BtnB));
        for (int i = 0; i < 200 && w.Loop.CurrentEntry() == 5; ++i)
            drv.Advance(100);
        ASSERT_EQ(w.Loop.CurrentEntry(), 6);
    });
    // Inside the automatic stop, once the message is answered.
    drv.Then([this] {
        ASSERT_TRUE(message->Modal()) << "the store's notice";
        EXPECT_EQ(ZIBinvoer->Adm.Autosave, 1) << "silent, as for a scored item";
        const auto fw = Record("_FW.wda");
        ASSERT_EQ(fw.size(), 26u) << "six pairs: the entry under way is the sixth";
        EXPECT_EQ(fw[12], "5");
        EXPECT_EQ(fw[22] + ";" + fw[23], "64;0");
        drv.Advance(1000);
    });
    // The closing question from the tray, answered OK: nothing stores.
    drv.Then([this] {
        ASSERT_TRUE(FWtfase->Modal());
        drv.Dialogs().Answer(mrOk, "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?");
        ZIBMAINForm->Exit1->Click();
    });
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    const std::string zta = (dir_ / "Incomplete afnames/Lotte_05-03-2024.zta").string();
    ASSERT_TRUE(fs::exists(zta));

    // The program started again (a new run, which the quit's end does not
    // reach), and the administration resumed.
    zibor::test::FreeProgramWindows();
    Application()->CancelTerminate();
    InitializeModules();
    settings::Resolve(dir_.string());
    CreateProgramWindows({});
    ZIBMAINForm->DataPath = dir_.string() + "\\";
    ZIBMAINForm->ResumeFlag = 1;
    ZIBinvoer->OpenDialog1->FileName = zta;
    ContinueToTheDeletionWindow(6, "Zeg item 3a");
    InterruptAndGoBack();
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    auto fw = Record("_FW.wda");
    ASSERT_GE(fw.size(), 24u);
    EXPECT_EQ(fw[22] + ";" + fw[23], "64;0");

    // The next day, resumed again.
    drv.Clock().SetNow(EncodeDate(2024, 3, 6) + 0.4);
    ZIBMAINForm->ResumeFlag = 1;
    ContinueToTheDeletionWindow(6, "Zeg item 3a");
    InterruptAndGoBack();
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    fw = Record("_FW.wda", "Lotte_06-03-2024");
    ASSERT_GE(fw.size(), 24u);
    EXPECT_EQ(fw[22] + ";" + fw[23], "64;0");
    drv.Dialogs().VerifyAllUsed();
}

// A subtest whose entries are all scored, left before its finish (a quit or
// a crash): the resume goes on to the finish, never to its last entry, whose
// score a second administration would replace. Under way first (state 2 or
// 1), the subtest window offers the finish button only, which leads on as
// after the last entry; under way second (5 or 6), the administration is
// finished (7) and the end window follows at once.
TEST_F(AdministrationRun, AResumeWithEveryEntryScoredGoesOnToTheFinish)
{
    const std::string particulars = "Lotte;%s;meisje;12;06;2014;05;03;2024;;;;";
    auto record = [&](const char *tag, const std::string &rest) {
        std::string line = particulars;
        line.replace(line.find("%s"), 2, tag);
        return line + rest + "\r\n";
    };
    auto pairs = [](int n) {
        std::string s;
        for (int k = 1; k <= n; ++k)
            s += ";" + std::to_string(20 + k) + ";" + (k % 3 ? "1" : "0");
        return s;
    };
    struct Case {
        const char *what;
        std::string fw, fv;
        bool finishButton;          // else the end window at once
        bool deletion;              // the subtest left at its finish
        int stateAfter;
    };
    const Case cases[] = {
        {"deletion alone (2)", "15;2" + pairs(15), ";2;", true, true, 4},
        {"substitution alone (1)", ";1;", "12;1" + pairs(12), true, false, 3},
        {"deletion after substitution (5)", "15;5" + pairs(15), "12;5" + pairs(12) + ";55", false, true, 7},
        {"substitution after deletion (6)", "15;6" + pairs(15) + ";55", "12;6" + pairs(12), false, false, 7},
    };
    const std::string zta = (dir_ / "Incomplete afnames/Lotte_05-03-2024.zta").string();
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        fs::remove_all(dir_ / "Data");
        fs::remove_all(dir_ / "Incomplete afnames");
        fs::create_directories(dir_ / "Data");
        fs::create_directories(dir_ / "Incomplete afnames");
        coretest::WriteBytes(zta, "Lotte_05-03-2024\r\n0\r\n");
        coretest::WriteBytes(dir_ / "Data/Lotte_05-03-2024_FW.wda", record("FWR-B", k.fw));
        coretest::WriteBytes(dir_ / "Data/Lotte_05-03-2024_FV.vda", record("FVR-B", k.fv));
        const int entries = k.deletion ? 15 : 12;
        const std::string suffix = k.deletion ? "_FW.wda" : "_FV.vda";
        const auto before = Record(suffix);

        ZIBMAINForm->ResumeFlag = 1;
        ZIBinvoer->OpenDialog1->FileName = zta;
        TSubtestWindow *subtest = k.deletion ? static_cast<TSubtestWindow *>(FWtfase) : FVtfase;
        TIntroWindow *intro = k.deletion ? static_cast<TIntroWindow *>(FWin) : FVin;
        TForm *after = k.deletion ? static_cast<TForm *>(FWaft) : FVaft;
        std::vector<TForm *> stack = {ZIBinvoer};
        drv.Then([&] { ClickAndWait(*ZIBinvoer, "ButtonContin"); });
        if (k.finishButton) {
            drv.Then([&] { ClickAndWait(*intro, "ButtonIO"); });
            drv.Then([&] {
                TSubtestWindow &w = *subtest;
                ASSERT_TRUE(w.Modal());
                EXPECT_TRUE(w.ButtonFinish->Visible() && w.ButtonFinish->Enabled()) << "the finish";
                EXPECT_FALSE(w.PromptA->Visible()) << "the last entry offered again";
                EXPECT_FALSE(w.ButtonOT->Visible());
                const auto opens = dev->Calls().size();
                EXPECT_FALSE(drv.Click(*w.PromptA));
                drv.Type(w, " ");
                drv.Advance(1000);
                EXPECT_EQ(dev->Calls().size(), opens) << "a prompt played";
                ClickAndWait(w, "ButtonFinish");
            });
            Notice();
            drv.Then([&] {
                EXPECT_TRUE(after->Modal()) << "the after-subtest window, as after the last entry";
                stack.insert(stack.end(), {intro, subtest, after});
            });
        } else {
            Notice();
            drv.Then([&] {
                EXPECT_TRUE(ZIBfinish->Modal()) << "the end window";
                stack.push_back(ZIBfinish);
            });
        }
        drv.Then([&] {
            const auto r = Record(suffix);
            ASSERT_EQ(r.size(), static_cast<size_t>(14 + 2 * entries + 1)) << "complete, with its T-score";
            EXPECT_EQ(r[12], before[12]);
            EXPECT_EQ(r[13], std::to_string(k.stateAfter));
            for (int f = 14; f < 14 + 2 * entries; ++f)
                EXPECT_EQ(r[static_cast<size_t>(f)], before[static_cast<size_t>(f)]) << "field " << f + 1;
            for (TForm *f : stack)
                f->SetModalResult(mrCancel);
        });
        ZIBinvoer->ShowModal();
        EXPECT_EQ(drv.PendingSteps(), 0u);
        EXPECT_TRUE(Application()->ModalStack().empty());
    }
    ZIBMAINForm->ResumeFlag = 0;
    drv.Dialogs().VerifyAllUsed();
}

// "Jan" was interrupted at example 1 on 1 March; on 5 March the name
// "Jan_05-03-2024" belongs to another administration. Resuming asks: "Ja"
// goes on as "Jan #2", "Nee" leaves both alone; neither ever writes over
// the other's files.
TEST_F(AdministrationRun, AResumeNeverWritesOverAnotherAdministrationsFiles)
{
    const std::string zta = "Incomplete afnames/Jan_01-03-2024.zta";
    const std::map<std::string, std::string> resumed = {
        {zta, "Jan_01-03-2024\r\n0\r\n"},
        {"Data/Jan_01-03-2024_FW.wda", "Jan;FWR-B;meisje;10;01;2017;01;03;2024;De Eik;5;Piet;vb1;2;30;1;;\r\n"},
        {"Data/Jan_01-03-2024_FV.vda", "Jan;FVR-B;meisje;10;01;2017;01;03;2024;De Eik;5;Piet;;2;;\r\n"},
    };
    const std::string other = "Jan;FWR;jongen;02;02;2016;05;03;2024;;;;15;7;25;1\r\n";
    struct Case {
        const char *what;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"finished: its data files", {"Data/Jan_05-03-2024_FW.wda", "Data/Jan_05-03-2024_FV.vda"}},
        {"unfinished: its incomplete file", {"Incomplete afnames/Jan_05-03-2024.zta"}},
        {"its report", {"Rapporten/Jan - 05-03-2024.zrp"}},
        {"its report's PDF copy", {"Rapporten/PDF/ZIBOR - Jan_05-03-2024.pdf"}},
    };
    for (const Case &k : cases) {
        for (const bool renumber : {true, false}) {
            SCOPED_TRACE(std::string(k.what) + (renumber ? ", Ja" : ", Nee"));
            fs::remove_all(dir_ / "Data");
            fs::remove_all(dir_ / "Incomplete afnames");
            fs::remove_all(dir_ / "Rapporten");
            for (const char *d : {"Data", "Incomplete afnames", "Rapporten/PDF"})
                fs::create_directories(dir_ / d);
            for (const auto &[name, bytes] : resumed)
                coretest::WriteBytes(dir_ / name, bytes);
            for (const std::string &f : k.files)
                coretest::WriteBytes(dir_ / f, f.find("afnames") != std::string::npos ? "Jan_05-03-2024\r\n0\r\n" : other);
            const auto before = Snapshot();

            ZIBMAINForm->ResumeFlag = 1;
            ZIBinvoer->OpenDialog1->FileName = (dir_ / zta).string();
            drv.Dialogs().Answer(renumber ? mrYes : mrNo, "Er bestaat al een testafname van vandaag");
            if (renumber) {
                drv.Then([this] {
                    EXPECT_EQ(ZIBinvoer->Ecode->Text(), "Jan #2");
                    ClickAndWait(*ZIBinvoer, "ButtonContin");
                });
                drv.Then([] { FWin->SetModalResult(mrCancel); });
                drv.Then([this] { ClickAndWait(*ZIBinvoer, "ButtonNP"); });
                Notice();
            } else {
                drv.Dialogs().Answer(mrOk, "De afname is niet hervat.");
                drv.Then([this] {
                    EXPECT_EQ(ZIBinvoer->Ecode->Text(), "");
                    EXPECT_FALSE(drv.Click(*ZIBinvoer, "ButtonContin"));
                    ClickAndWait(*ZIBinvoer, "ButtonNP");
                });
            }
            ZIBinvoer->ShowModal();
            EXPECT_EQ(drv.PendingSteps(), 0u);
            drv.Dialogs().VerifyAllUsed();

            const auto after = Snapshot();
            for (const std::string &f : k.files)
                EXPECT_EQ(after.count(f) ? after.at(f) : "(gone)", before.at(f)) << f;
            if (!renumber) {
                EXPECT_EQ(after, before) << "nothing on disk changed";
                continue;
            }
            const auto fw = Record("_FW.wda", "Jan#2_5-3-2024");
            ASSERT_GE(fw.size(), 16u);
            EXPECT_EQ(fw[0], "Jan #2");
            EXPECT_EQ(fw[6] + fw[7] + fw[8], "05032024");
            EXPECT_EQ(fw[12], "1") << "example 1, as a resume reads it";
            EXPECT_EQ(fw[14] + ";" + fw[15], "30;1");
            EXPECT_EQ(Record("_FV.vda", "Jan#2_5-3-2024")[0], "Jan #2");
            EXPECT_EQ(coretest::ReadBytes(dir_ / "Incomplete afnames/Jan#2_5-3-2024.zta"), "Jan#2_5-3-2024\r\n2\r\n");
            EXPECT_FALSE(after.count(zta)) << "the resumed file goes once its administration is stored anew";
            EXPECT_EQ(after.at("Data/Jan_01-03-2024_FW.wda"), resumed.at("Data/Jan_01-03-2024_FW.wda"));
        }
    }
    ZIBMAINForm->ResumeFlag = 0;
}

// Two finished administrations of "Lotte" on the day (the second one
// renumbered " #2"): a third start answered "Nee" twice is " #3".
TEST_F(AdministrationRun, RenumberingCountsTheFinishedAdministrationsOfTheDay)
{
    const std::string record = "Lotte;FWR-B;meisje;12;06;2014;05;03;2024;;;;15;7;25;1\r\n";
    for (const char *f : {"Data/Lotte_05-03-2024_FW.wda", "Data/Lotte_05-03-2024_FV.vda",
                          "Data/Lotte#2_5-3-2024_FW.wda", "Data/Lotte#2_5-3-2024_FV.vda"})
        coretest::WriteBytes(dir_ / f, record);
    drv.Dialogs()
        .Answer(mrNo, "Er bestaat al een testafname van vandaag")
        .Answer(mrNo, "Er bestaat al een testafname van vandaag");
    Particulars(2);
    drv.Then([this] {
        ASSERT_TRUE(FWin->Modal());
        EXPECT_EQ(ZIBinvoer->Ecode->Text(), "Lotte #3");
        EXPECT_EQ(ZIBinvoer->Adm.BaseName(), "Lotte#3_5-3-2024");
        EXPECT_EQ(ZIBinvoer->Adm.MemoCom[1], "3");
        FWin->SetModalResult(mrCancel);
    });
    drv.Then([] { ZIBinvoer->SetModalResult(mrCancel); });
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    drv.Dialogs().VerifyAllUsed();
}

// The substitution introduction's own interrupt leaves it a fresh start:
// after "verder" on the particulars window its continue button is the
// start's ("BtnSTon"), not the resumption's ("BtnTHon").
TEST_F(AdministrationRun, ContinueKeepsTheIntroductionsFreshStart)
{
    const std::initializer_list<const char *> pictures = {"BtnIOoff", "BtnIOon", "BtnSTred",
                                                          "BtnSTon",  "BtnTHred", "BtnTHon"};
    Particulars(1);
    drv.Then([this, pictures] {
        ASSERT_TRUE(FVin->Modal());
        ASSERT_TRUE(drv.Click(*FVin, "int5"));
        drv.Advance(10);
        EXPECT_EQ(ShownPicture(*FVin->ButtonIO, pictures), "BtnSTred");
        ClickAndWait(*FVin, "ButtonOT");
    });
    drv.Then([this] { ClickAndWait(*ZIBinvoer, "ButtonContin"); });
    drv.Then([this, pictures] {
        ASSERT_TRUE(FVin->Modal());
        EXPECT_EQ(ShownPicture(*FVin->ButtonIO, pictures), "BtnTHred");
        ASSERT_TRUE(drv.Click(*FVin, "ButtonIO"));
        EXPECT_EQ(ShownPicture(*FVin->ButtonIO, pictures), "BtnSTon");
        drv.Advance(500);
    });
    drv.Then([] { FVtfase->SetModalResult(mrCancel); });
    drv.Then([] { FVin->SetModalResult(mrCancel); });
    drv.Then([] { ZIBinvoer->SetModalResult(mrCancel); });
    ZIBinvoer->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
}

// The closing question answered OK from each window of both roads (and the
// end window's own exit button): the program ends with result OK through
// the goodbye picture, no window opens after the OK whatever handler the
// modal stack unwinds into, and nothing is written on the way out: what is
// on disk is what the windows stored before. The after-deletion window went
// on to the substitution introduction after its report, and the saved
// notices of the finish, of "Nee" and of "verder" in state 7 to the window
// after them.
enum class Stop {
    Choice,
    Particulars,
    Introduction,
    PartPlaying,     // the introduction's first part still playing
    DuringItem,      // entry 3, the response clock running
    PromptPlaying,   // entry 3, its (first) prompt still playing
    FinishNotice,    // the saved notice of the finish
    After,           // the after-subtest window
    AfterYes,        // deletion: the report window; substitution: the deletion introduction
    AfterNo,         // deletion: the saved notice of its store; substitution: the end window
    EndWindow,       // before the report
    ReportFromEnd,   // the report window shown by the end window
    EndAfterReport,  // the end window with its exit button shown
    Continue7,       // the saved notice of "verder" in state 7
    Viewer,
    Correction,
};

struct QuitCase {
    const char *name;
    int choice; // 1 substitution, 2 deletion, 0 neither
    Stop stop;
    const char *quitFrom;
    bool endWindowsExitButton = false;
};

void PrintTo(const QuitCase &c, std::ostream *os)
{
    *os << c.name;
}

class QuitFrom : public AdministrationRun, public ::testing::WithParamInterface<QuitCase> {
protected:
    template <class W>
    void PlayInto(W *&window, bool hold)
    {
        drv.Then([this, &window, hold] {
            W &w = *window;
            ASSERT_TRUE(w.Modal());
            ASSERT_EQ(w.Loop.CurrentEntry(), 3);
            dev->SetAutoComplete(!hold);
            ASSERT_TRUE(drv.Click(*w.PromptA));
            if (hold)
                return;
            if (w.BtnB) {
                for (int i = 0; i < 100 && !w.BtnB->Enabled(); ++i)
                    drv.Advance(100);
                ASSERT_TRUE(drv.Click(*w.BtnB));
            }
            for (int i = 0; i < 100 && !w.ButtonStptime->Enabled(); ++i)
                drv.Advance(100);
            ASSERT_TRUE(w.ButtonStptime->Enabled()) << "the clock runs";
        });
    }

    template <class W, class I>
    void SubtestTo(Stop stop, W *&window, I *&intro, int entries)
    {
        if (stop == Stop::PartPlaying) {
            drv.Then([this, &intro] {
                ASSERT_TRUE(intro->Modal());
                dev->SetAutoComplete(false);
                ASSERT_TRUE(drv.Click(*intro, "Int1"));
            });
            return;
        }
        Introduction(intro);
        if (stop == Stop::DuringItem || stop == Stop::PromptPlaying) {
            Entries(window, 2);
            PlayInto(window, stop == Stop::PromptPlaying);
            return;
        }
        Entries(window, entries);
        drv.Then([this, &window] { ClickAndWait(*window, "ButtonFinish"); });
    }

    void WalkTo(const QuitCase &c)
    {
        if (c.choice == 0) {
            drv.Dialogs().Cancel(TDialogKind::OpenFile);
            drv.Then([this] { ClickAndWait(*ZIBMAINForm, "ButtonTRO"); });
            if (c.stop == Stop::Correction)
                drv.Then([this] {
                    // The administration behind a report: substitution only.
                    const std::string head = "Kees;FVR;jongen;05;03;2016;05;03;2024;De Eik;3;Piet;";
                    std::string pairs;
                    for (int i = 0; i < 12; ++i)
                        pairs += ";200;1";
                    coretest::WriteBytes(dir_ / "Data/Kees_05-03-2024_FV.vda", head + "12;3" + pairs + ";54\r\n");
                    coretest::WriteBytes(dir_ / "Data/Kees_05-03-2024_FW.wda", "Kees;FWR;jongen;05;03;2016;05;03;2024;De Eik;3;Piet;;3;;\r\n");
                    correct->ViewerKey = "Kees_05-03-2024";
                    correct->ShowModal();
                });
            return;
        }
        drv.Then([this] { ClickAndWait(*ZIBMAINForm, "ButtonNT"); });
        if (c.stop == Stop::Choice)
            return;
        drv.Then([this, c] { ClickAndWait(*ZIBkeuze, c.choice == 2 ? "ButtonFW" : "ButtonFV"); });
        if (c.stop == Stop::Particulars)
            return;
        if (c.stop == Stop::Continue7) {
            Particulars(
                2,
                [] {
                    ZIBinvoer->AdminState = 7;
                    ZIBinvoer->ReadyToContinue();
                },
                "ButtonContin");
            return;
        }
        Particulars(c.choice);
        if (c.stop == Stop::Introduction)
            return;
        const bool deletion = c.choice == 2;
        if (deletion)
            SubtestTo(c.stop, FWtfase, FWin, 15);
        else
            SubtestTo(c.stop, FVtfase, FVin, 12);
        if (c.stop <= Stop::FinishNotice)
            return;
        Notice();
        if (c.stop == Stop::After)
            return;
        drv.Then([this, c, deletion] {
            TForm &after = deletion ? static_cast<TForm &>(*FWaft) : *FVaft;
            ASSERT_TRUE(after.Modal());
            ASSERT_TRUE(drv.Click(after, c.stop == Stop::AfterYes ? "BtnYes" : "BtnNo"));
        });
        if (c.stop <= Stop::AfterNo)
            return;
        if (deletion)
            Notice();
        if (c.stop == Stop::EndWindow)
            return;
        drv.Then([this] { ASSERT_TRUE(drv.Click(*ZIBfinish, "ButtonTR")); });
        if (c.stop == Stop::ReportFromEnd)
            return;
        Report();
    }
};

TEST_P(QuitFrom, TheClosingQuestionsOkEndsTheProgramAndOpensNothing)
{
    const QuitCase &c = GetParam();
    const char *const question = "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?";
    // Every window of the program, each show after the OK counted.
    std::vector<std::pair<TForm *, TNotifyEvent>> hooks;
    std::vector<std::string> shownAfterOk;
    bool answered = false;
    std::map<std::string, std::string> before;
    WalkTo(c);
    drv.Then([&] {
        TForm *f = Screen()->ActiveForm();
        ASSERT_TRUE(f && f->Name() == c.quitFrom) << (f ? f->Name() : "none");
        before = Snapshot();
        for (int i = 0; i < Application()->ComponentCount(); ++i)
            if (auto *w = dynamic_cast<TForm *>(Application()->Components(i))) {
                hooks.emplace_back(w, w->OnShow);
                w->OnShow = [&, w, next = w->OnShow](TObject *s) {
                    if (answered)
                        shownAfterOk.push_back(w->Name());
                    if (next)
                        next(s);
                };
            }
        drv.Dialogs().Answer(mrOk, question);
        answered = true;
        if (c.endWindowsExitButton)
            ASSERT_TRUE(drv.Click(*ZIBfinish, "ButtonExit"));
        else
            ZIBMAINForm->Exit1->Click();
    });
    EXPECT_EQ(ZIBMAINForm->ShowModal(), mrOk);
    for (auto &[w, handler] : hooks)
        w->OnShow = handler;
    EXPECT_TRUE(answered) << "the walk reached the window";
    EXPECT_EQ(drv.PendingSteps(), 0u);
    EXPECT_TRUE(Application()->ModalStack().empty());
    EXPECT_EQ(shownAfterOk, std::vector<std::string>{}) << "a window opened after the closing question";
    const std::vector<std::string> texts = drv.Dialogs().Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), question) << "nothing was asked after it";
    ASSERT_FALSE(drv.Sleeps().empty());
    EXPECT_EQ(drv.Sleeps().back(), 2000u) << "the goodbye picture";
    EXPECT_EQ(Snapshot(), before) << "a file was written on the way out";
    dev->SetAutoComplete(true);
}

const QuitCase kQuitCases[] = {
    {"Choice", 2, Stop::Choice, "ZIBkeuze"},
    {"DeletionParticulars", 2, Stop::Particulars, "ZIBinvoer"},
    {"DeletionIntroduction", 2, Stop::Introduction, "FWin"},
    {"DeletionIntroductionPlaying", 2, Stop::PartPlaying, "FWin"},
    {"DeletionDuringAnItem", 2, Stop::DuringItem, "FWtfase"},
    {"DeletionPromptPlaying", 2, Stop::PromptPlaying, "FWtfase"},
    {"DeletionFinishNotice", 2, Stop::FinishNotice, "message"},
    {"AfterDeletion", 2, Stop::After, "FWaft"},
    {"AfterDeletionYesReport", 2, Stop::AfterYes, "PP"},
    {"AfterDeletionNoNotice", 2, Stop::AfterNo, "message"},
    {"DeletionEndWindowBeforeTheReport", 2, Stop::EndWindow, "ZIBfinish"},
    {"DeletionReportFromTheEndWindow", 2, Stop::ReportFromEnd, "PP"},
    {"DeletionEndWindowAfterTheReport", 2, Stop::EndAfterReport, "ZIBfinish"},
    {"DeletionEndWindowsExitButton", 2, Stop::EndAfterReport, "ZIBfinish", true},
    {"SubstitutionParticulars", 1, Stop::Particulars, "ZIBinvoer"},
    {"SubstitutionIntroduction", 1, Stop::Introduction, "FVin"},
    {"SubstitutionIntroductionPlaying", 1, Stop::PartPlaying, "FVin"},
    {"SubstitutionDuringAnItem", 1, Stop::DuringItem, "FVtfase"},
    {"SubstitutionPromptPlaying", 1, Stop::PromptPlaying, "FVtfase"},
    {"SubstitutionFinishNotice", 1, Stop::FinishNotice, "message"},
    {"AfterSubstitution", 1, Stop::After, "FVaft"},
    {"AfterSubstitutionYesIntroduction", 1, Stop::AfterYes, "FWin"},
    {"AfterSubstitutionNoEndWindow", 1, Stop::AfterNo, "ZIBfinish"},
    {"SubstitutionEndWindowAfterTheReport", 1, Stop::EndAfterReport, "ZIBfinish"},
    {"SubstitutionEndWindowsExitButton", 1, Stop::EndAfterReport, "ZIBfinish", true},
    {"ContinueInStateSeven", 2, Stop::Continue7, "message"},
    {"ReportViewer", 0, Stop::Viewer, "TRO"},
    {"CorrectionWindow", 0, Stop::Correction, "correct"},
};

INSTANTIATE_TEST_SUITE_P(EveryWindow, QuitFrom, ::testing::ValuesIn(kQuitCases),
                         [](const ::testing::TestParamInfo<QuitCase> &i) { return std::string(i.param.name); });

} // namespace
