// The report viewer: its activations (intro page and open dialog, opening, a
// correction cancelled, re-armed by the open dialog), and the whole round
// trip from an administration through its report to the corrected files,
// read back by the test's own readers and by qpdf and pdftotext.
#include "windows/CorrectionWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportViewerWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "administration/Settings.h"
#include "platform/core/Clock.h"
#include "platform/core/Dates.h"
#include "platform/printing/Printers.h"
#include "tests/support/PdfTools.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/ScoreGrids.h"
#include "tests/platform/core/test_files.h"
#include "tests/support/WindowDriver.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace plat;
using zibor::test::TWindowDriver;
namespace fs = std::filesystem;

namespace {

// The page count of a report file as laid down for it: magic, orientation,
// paper type, width and height, "K-PP" at byte 20, then the page count; -1
// for anything else.
int ReportPages(const fs::path &p)
{
    const std::string b = coretest::ReadBytes(p);
    if (b.size() < 28 || b.compare(20, 4, "K-PP") != 0)
        return -1;
    int32_t n = 0;
    std::memcpy(&n, b.data() + 24, 4);
    return n;
}

std::vector<std::string> Split(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t semi; (semi = line.find(';', start)) != std::string::npos; start = semi + 1)
        f.push_back(line.substr(start, semi - start));
    f.push_back(line.substr(start));
    return f;
}

class ReportViewerTest : public zibor::test::ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        ASSERT_TRUE(tmp_.isValid());
        root_ = fs::path(tmp_.path().toStdString());
        for (const char *d : {"Data", "Incomplete afnames", "Rapporten/PDF"})
            fs::create_directories(root_ / d);
        std::ofstream ini(root_ / "ZIBOR.ini", std::ios::binary);
        ini << "[Settings]\r\ntrpath=" << (root_ / "Rapporten").string() << "\r\ndatapath=" << root_.string()
            << "\r\n";
        ini.close();
        settings::Resolve(root_.string());
        drv.Clock().SetNow(EncodeDate(2024, 3, 5) + 0.4);
        ZIBMAINForm->DataPath = root_.string() + "\\";
    }
    void TearDown() override
    {
        settings::Resolve();
        ProgramWindows::TearDown();
    }
    fs::path Reports() const { return root_ / "Rapporten"; }
    fs::path Data() const { return root_ / "Data"; }
    void Pick(TComboBox &list, int index) { emit static_cast<QComboBox *>(list.Widget())->activated(index); }

    // Kees's finished administration: deletion 40 tenths and substitution
    // 200 tenths per item, all right.
    void StoreKees()
    {
        std::string fw = "Kees;FWR;jongen;05;03;2016;05;03;2024;De Eik;3;Piet;15;7;;;;;;",
                    fv = "Kees;FVR;jongen;05;03;2016;05;03;2024;De Eik;3;Piet;12;7";
        for (int i = 0; i < 12; ++i)
            fw += ";40;1", fv += ";200;1";
        fs::create_directories(Data());
        coretest::WriteBytes(Data() / "Kees_05-03-2024_FW.wda", fw + ";50\r\n");
        coretest::WriteBytes(Data() / "Kees_05-03-2024_FV.vda", fv + ";54\r\n");
    }
    // A report file of Kees's name outside the report folder, made of the
    // viewer's intro pages (its open dialog cancelled).
    fs::path KeesReport()
    {
        const fs::path report = root_ / "Kees - 05-03-2024.zrp";
        drv.Dialogs().Cancel(TDialogKind::OpenFile);
        drv.Then([&] {
            TRO->PrintPreview->SaveToFile(report.string());
            EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
        });
        TRO->ShowModal();
        return report;
    }

    QTemporaryDir tmp_;
    fs::path root_;
    TWindowDriver drv;
};

TEST_F(ReportViewerTest, ActivationsIntroOpeningCancellingAndReArming)
{
    // Substitution only: the deletion was never started.
    const std::string head = "Kees;%;jongen;05;03;2016;05;03;2024;De Eik;3;Piet;";
    auto rec = [&](const std::string &tag, const std::string &rest) {
        std::string h = head;
        return h.replace(h.find('%'), 1, tag) + rest + "\r\n";
    };
    coretest::WriteBytes(Data() / "Kees_05-03-2024_FW.wda", rec("FWR", ";3;;"));
    std::string fvPairs;
    for (int i = 0; i < 12; ++i)
        fvPairs += ";200;1";
    coretest::WriteBytes(Data() / "Kees_05-03-2024_FV.vda", rec("FVR", "12;3" + fvPairs + ";54"));
    const fs::path report = Reports() / "Kees - 05-03-2024.zrp";
    const fs::path copy = Reports() / "PDF" / "ZIBOR - Kees_05-03-2024.pdf";

    // First show: the intro page and the open dialog; cancelled, the intro
    // stays. Its three pages make the report file of this test.
    auto &d = drv.Dialogs();
    d.Cancel(TDialogKind::OpenFile);
    drv.Then([&] {
        EXPECT_EQ(TRO->PrintPreview->TotalPages(), 3);
        EXPECT_FALSE(TRO->CORRbtn->Visible());
        EXPECT_EQ(d.Shown().back().Title, "ZIBOR-testrapport openen en afdrukken");
        TRO->PrintPreview->SaveToFile(report.string());
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    EXPECT_TRUE(TRO->FirstActivation);

    // Reopened: the intro and the dialog again; a report chosen.
    d.Choose(TDialogKind::OpenFile, report.string());
    drv.Then([&] {
        EXPECT_TRUE(TRO->CORRbtn->Visible());
        EXPECT_EQ(TRO->Key, "Kees_05-03-2024");
        EXPECT_EQ(TRO->PrintPreview->PrintJobTitle(), "ZIBOR-testrapport - " + report.string());
        ASSERT_TRUE(fs::exists(copy)) << "the missing PDF copy is written on opening";

        // A correction cancelled: the page is drawn from the data as loaded.
        drv.Then([&] {
            ASSERT_TRUE(correct->Modal());
            EXPECT_EQ(correct->Ecode->Text(), "Kees");
            EXPECT_FALSE(correct->FWitemAcc[0]->Enabled());
            Pick(*correct->FVitemAcc[0], 0); // dropped with the cancel
            EXPECT_TRUE(drv.Click(*correct, "ButtonExit"));
        });
        EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
        EXPECT_FALSE(correct->Modal());
        EXPECT_EQ(TRO->LastPage.cells.scoreDeletion, "n.v.t.");
        EXPECT_EQ(TRO->LastPage.cells.penaltiesDeletion, "12");
        EXPECT_EQ(TRO->LastPage.cells.scoreSubstitution, " 54") << "the substitution item 1 stays right";
        EXPECT_EQ(TRO->PrintPreview->TotalPages(), 3);
        EXPECT_TRUE(TRO->CORRbtn->Visible());
        EXPECT_FALSE(fs::exists(Data() / "Kees_05-03-2024_gecorrigeerd_FW.wda")) << "nothing saved";

        // Opened again through LOADbtn with the copy there: it is left alone.
        coretest::WriteBytes(copy, "mine");
        d.Choose(TDialogKind::OpenFile, report.string());
        EXPECT_TRUE(drv.Click(*TRO, "LOADbtn"));
        EXPECT_EQ(coretest::ReadBytes(copy), "mine");
        EXPECT_TRUE(TRO->FirstActivation) << "the open dialog's closing re-armed the window";

        // The next return shows the intro page and the dialog anew.
        d.Cancel(TDialogKind::OpenFile);
        drv.Then([&] { EXPECT_TRUE(drv.Click(*correct, "ButtonExit")); });
        EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
        EXPECT_FALSE(TRO->FirstActivation);
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    EXPECT_FALSE(TRO->CORRbtn->Visible());

    // Reopened after the correction of that report: a later activation
    // leaves the report just opened on show, however often it comes.
    d.Choose(TDialogKind::OpenFile, report.string());
    drv.Then([&] {
        int generations = 0;
        TRO->PrintPreview->OnEndDoc = [&](TObject *) { ++generations; };
        TRO->FormActivate(TRO);
        TRO->FormActivate(TRO);
        EXPECT_EQ(generations, 0);
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    d.VerifyAllUsed();
    EXPECT_EQ(drv.PendingSteps(), 0u);
}

TEST_F(ReportViewerTest, FailedStepsAreSaidAndTheDataFilesStillWritten)
{
    // The report folder is gone.
    fs::remove_all(Reports());
    const fs::path report = KeesReport();
    auto &d = drv.Dialogs();

    struct Row {
        const char *name;
        bool dataFolder;
        std::vector<const char *> boxes; // after the question
        bool saveDialog;
    };
    const Row rows[] = {
        {"no report folder", true, {"Foutmelding E001"}, true},
        {"no data folder either", false,
         {"Foutmelding E001", "Gecorrigeerde data niet opgeslagen: "}, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        StoreKees();
        d.Choose(TDialogKind::OpenFile, report.string());
        d.Answer(mrOk, "PDF-kopie niet opgeslagen: ");
        drv.Then([&] {
            drv.Then([&] {
                if (!row.dataFolder)
                    fs::remove_all(Data());
                d.Answer(mrOk, "Doorgaan?");
                d.Answer(mrOk, row.boxes[0]);
                d.Cancel(TDialogKind::SaveFile);
                for (size_t i = 1; i < row.boxes.size(); ++i)
                    d.Answer(mrOk, row.boxes[i]);
                EXPECT_TRUE(drv.Click(*correct, "CORRbtn"));
            });
            EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
            EXPECT_FALSE(TRO->CORRbtn->Visible());
            EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
        });
        TRO->ShowModal();
        d.VerifyAllUsed();
        const std::string saveName = "Kees - 05-03-2024_gecorrigeerd.zrp";
        EXPECT_EQ(d.Shown()[d.Shown().size() - row.boxes.size()].FileName, saveName);
        EXPECT_EQ(fs::exists(Data() / "Kees_05-03-2024_gecorrigeerd_FW.wda"), row.dataFolder);
        EXPECT_EQ(fs::exists(Data() / "Kees_05-03-2024_gecorrigeerd_FV.vda"), row.dataFolder);
        if (!row.dataFolder) {
            EXPECT_NE(d.LastText().find("Kees_05-03-2024_gecorrigeerd_FW.wda"), std::string::npos) << d.LastText();
        }
    }
}

// A redrawn report prints as three sheets, the last two blank, under the
// report's job title; the printer dialog's closing re-arms the window, so the
// next return shows the intro page and the open dialog.
TEST_F(ReportViewerTest, PrintingGivesThreeSheetsAndReArms)
{
    auto printer = std::make_shared<TFakePrinter>("Testprinter", 150, TPoint{30, 30});
    TPrinterBackendScope scope(printer);
    StoreKees();
    const fs::path report = KeesReport();
    auto &d = drv.Dialogs();
    d.Choose(TDialogKind::OpenFile, report.string());
    drv.Then([&] {
        // Redrawn from the data when the correction closes.
        drv.Then([&] { EXPECT_TRUE(drv.Click(*correct, "ButtonExit")); });
        EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
        EXPECT_EQ(TRO->LastPage.cells.scoreSubstitution, " 54");
        ASSERT_TRUE(TRO->PRbtn->Enabled());
        d.Confirm(TDialogKind::PrinterSetup);
        ASSERT_TRUE(drv.Click(*TRO, "PRbtn"));
        ASSERT_EQ(printer->Jobs.size(), 1u);
        const TFakePrinter::Job &job = printer->Jobs[0];
        EXPECT_EQ(job.Title, "ZIBOR-testrapport - " + report.string());
        ASSERT_EQ(job.Pages.size(), 3u);
        auto ink = [](const QImage &page) {
            int n = 0;
            for (int y = 0; y < page.height(); y += 2)
                for (int x = 0; x < page.width(); x += 2)
                    n += qGray(page.pixel(x, y)) < 128;
            return n;
        };
        EXPECT_GT(ink(job.Pages[0]), 1000);
        EXPECT_EQ(ink(job.Pages[1]), 0);
        EXPECT_EQ(ink(job.Pages[2]), 0);
        EXPECT_TRUE(TRO->FirstActivation);

        d.Cancel(TDialogKind::OpenFile);
        drv.Then([&] { EXPECT_TRUE(drv.Click(*correct, "ButtonExit")); });
        EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
        EXPECT_FALSE(TRO->FirstActivation) << "the intro page and the open dialog came";
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    d.VerifyAllUsed();
    EXPECT_EQ(drv.PendingSteps(), 0u);
}

TEST_F(ReportViewerTest, PdfFolderButtonSaysThePathThenOpensIt)
{
    auto &d = drv.Dialogs();
    d.Cancel(TDialogKind::OpenFile);
    const std::string folder = (Reports() / "PDF").string();
    d.Answer(mrOk, "Uw PDF-locatie: [" + folder + "].");
    d.Confirm(TDialogKind::ShellOpen);
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*TRO, "UiButton1"));
        EXPECT_EQ(d.Shown().back().FileName, folder);
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    d.VerifyAllUsed();
}

TEST_F(ReportViewerTest, RoundTripFromAnAdministrationToTheCorrectedFiles)
{
    // 1. An administration in state 7; the report window closes and writes
    //    the report, its PDF copy and the data files.
    adm::TAdministration &a = ZIBinvoer->Adm;
    a.DataPath = ZIBMAINForm->DataPath;
    a.WisGegevens();
    a.P = {.code = "Jan", .sex = 0, .gebdag = "05", .gebmnd = "03", .gebjaar = "2016", .afndag = {}, .afnmnd = {}, .afnjaar = {}, .school = "De Eik",
           .groep = "3", .tl = "Piet", .form = 0};
    a.SetTestDate(Date());
    a.State = 2;
    ASSERT_EQ(a.Start(), adm::TAdministration::TStartResult::Started);
    const scoring::ScoreGrid deletion = scoretest::Grid("40/1*11 60/0");
    for (int i = 0; i < 12; ++i) {
        a.SGRscoreFW.SetCells(1, 3 + i, deletion[i].time);
        a.SGRscoreFW.SetCells(2, 3 + i, deletion[i].score);
        a.SGRscoreFV.SetCells(1, i, "200");
        a.SGRscoreFV.SetCells(2, i, "1");
    }
    a.ElaatsteFW = "15";
    a.ELaatsteFV = "12";
    a.EntryFW = 15;
    a.EntryFV = 12;
    a.State = 7;
    drv.Then([&] { ASSERT_TRUE(drv.Click(*PP, "ButtonExit")); });
    drv.Then([&] {
        ASSERT_TRUE(message->Modal());
        drv.Advance(1000);
    });
    PP->ShowModal();
    const fs::path report = Reports() / "Jan - 05-03-2024.zrp";
    const fs::path originals[] = {report, Reports() / "PDF" / "ZIBOR - Jan_05-03-2024.pdf",
                                  Data() / "Jan_05-03-2024_FW.wda", Data() / "Jan_05-03-2024_FV.vda"};
    std::vector<std::string> before;
    for (const fs::path &f : originals) {
        ASSERT_TRUE(fs::exists(f)) << f;
        before.push_back(coretest::ReadBytes(f));
    }

    // 2. The viewer opens the report; 3. the correction turns deletion item 1
    //    wrong and changes the school, and is confirmed.
    auto &d = drv.Dialogs();
    d.Choose(TDialogKind::OpenFile, report.string());
    const fs::path zrp = Reports() / "Jan - 05-03-2024_gecorrigeerd.zrp";
    int generations = 0;
    drv.Then([&] {
        auto endDoc = TRO->PrintPreview->OnEndDoc;
        TRO->PrintPreview->OnEndDoc = [&, endDoc](TObject *sender) {
            ++generations;
            endDoc(sender);
        };
        drv.Then([&] {
            ASSERT_TRUE(correct->Modal());
            Pick(*correct->FWitemAcc[0], 0);
            correct->Eschool->SetText("De Linde");
            d.Answer(mrOk, "Doorgaan?");
            EXPECT_TRUE(drv.Click(*correct, "CORRbtn"));
            EXPECT_EQ(generations, 1) << "drawn and saved at the correction's call";
            // Moved aside: the drawing when the correction closes saves nothing.
            fs::rename(zrp, zrp.string() + ".first");
        });
        EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
        EXPECT_EQ(generations, 2);
        EXPECT_FALSE(fs::exists(zrp));
        fs::rename(zrp.string() + ".first", zrp);
        EXPECT_FALSE(TRO->CORRbtn->Visible());
        EXPECT_EQ(TRO->LastPage.cells.scoreDeletion, " 44");
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    d.VerifyAllUsed();

    // 4. The corrected files.
    const fs::path pdf = Reports() / "PDF" / "ZIBOR - Jan_05-03-2024_gecorrigeerd.pdf";
    EXPECT_EQ(ReportPages(zrp), 3);
    ASSERT_TRUE(fs::exists(pdf));
    if (reporttest::HaveTool("qpdf")) {
        EXPECT_TRUE(reporttest::QpdfChecks(pdf.string()));
    }
    if (reporttest::HaveTool("pdftotext")) {
        const std::string text = reporttest::PdfText(pdf.string());
        EXPECT_NE(text.find("44"), std::string::npos) << text;
        EXPECT_NE(text.find("De Linde"), std::string::npos);
    }

    // Worked out by hand: 96 months is band 2; deletion item 1 wrong costs
    // 60 tenths more than its 40 (report T 45 -> 44), substitution 54.
    const std::string fw = coretest::ReadBytes(Data() / "Jan_05-03-2024_gecorrigeerd_FW.wda");
    const std::string fv = coretest::ReadBytes(Data() / "Jan_05-03-2024_gecorrigeerd_FV.vda");
    EXPECT_EQ(std::count(fw.begin(), fw.end(), '\n'), 1) << "one record";
    EXPECT_EQ(std::count(fv.begin(), fv.end(), '\n'), 1);
    std::vector<std::string> want = {"Jan", "FWR", "meisje", "05", "03", "2016", "05", "03", "2024", "De Linde",
                                     "3",   "Piet", "15",    "7",  "",   "",     "",   "",   "",     "",
                                     "40",  "0"};
    for (int i = 0; i < 10; ++i)
        want.insert(want.end(), {"40", "1"});
    want.insert(want.end(), {"60", "0", "44"});
    EXPECT_EQ(Split(fw), want);
    std::vector<std::string> wantFV = {"Jan", "FVR", "meisje", "05", "03", "2016", "05", "03", "2024",
                                       "De Linde", "3", "Piet", "12", "7"};
    for (int i = 0; i < 12; ++i)
        wantFV.insert(wantFV.end(), {"200", "1"});
    wantFV.push_back("54");
    EXPECT_EQ(Split(fv), wantFV);

    for (size_t i = 0; i < std::size(originals); ++i)
        EXPECT_EQ(coretest::ReadBytes(originals[i]), before[i]) << originals[i] << " stays as it was";
}

} // namespace
