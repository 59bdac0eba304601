// The report window after an administration: the page generated on
// activation, the zoom list both ways, and closing with the report file, the
// store and the incomplete-administration file, against a temporary folder
// with its own ZIBOR.ini. Written files are read back by the test's own
// readers.
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "administration/Settings.h"
#include "platform/core/Clock.h"
#include "platform/core/Dates.h"
#include "platform/gui/Application.h"
#include "platform/printing/Printers.h"
#include "tests/support/PdfTools.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/ScoreGrids.h"
#include "tests/support/DialogScript.h"
#include "tests/support/WindowDriver.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace plat;
using zibor::test::TDialogScript;
using zibor::test::TWindowDriver;
namespace fs = std::filesystem;
using namespace zibor::preview;

namespace {

std::string ReadAll(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The report file as laid down for it: magic, orientation, paper type,
// paper width and height in 0.01 mm, then "K-PP", the page count, the
// offsets and the pages, each an enhanced metafile (record type 1, " EMF"
// at byte 40).
struct ReportFile {
    bool ok = false;
    uint32_t magic = 0;
    int32_t orientation = -1, paperType = -1, width = 0, height = 0, pages = 0;
    bool firstPageIsEmf = false;
};

ReportFile ReadReportFile(const fs::path &p)
{
    const std::string b = ReadAll(p);
    auto i32 = [&b](size_t at) {
        int32_t v = 0;
        if (at + 4 <= b.size())
            std::memcpy(&v, b.data() + at, 4);
        return v;
    };
    ReportFile r;
    if (b.size() < 28 || b.compare(20, 4, "K-PP") != 0)
        return r;
    r.magic = static_cast<uint32_t>(i32(0));
    r.orientation = i32(4);
    r.paperType = i32(8);
    r.width = i32(12);
    r.height = i32(16);
    r.pages = i32(24);
    const size_t data = 28 + 4 * size_t(std::max(r.pages, 0));
    r.firstPageIsEmf = r.pages > 0 && i32(28) == 0 && i32(data) == 1 && b.compare(data + 40, 4, " EMF") == 0;
    r.ok = true;
    return r;
}

// The last line of a data file, split on ";".
std::vector<std::string> LastRecord(const fs::path &p)
{
    std::string text = ReadAll(p);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::vector<std::string> fields;
    std::string field;
    for (char c : text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1)) {
        if (c == ';') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

void ZoomTable();

// A print queue without printers.
class TNoPrinters : public TPrinterBackend {
public:
    std::vector<String> PrinterNames() override { return {}; }
    std::vector<TPrinterForm> PaperForms(int) override { return {}; }
    TDeviceMode DefaultMode(int) override { return {}; }
    TPrinterMetrics Metrics(int, const TDeviceMode &) override { return {}; }
    std::unique_ptr<TPrintJob> StartJob(int, const String &, const TDeviceMode &) override
    {
        throw EPrinter("no printer");
    }
};

class ReportWindowTest : public zibor::test::ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        ASSERT_TRUE(tmp_.isValid());
        root_ = fs::path(tmp_.path().toStdString());
        fs::create_directories(root_ / "Data");
        fs::create_directories(root_ / "Incomplete afnames");
        fs::create_directories(root_ / "Rapporten" / "PDF");
        SetReportFolder((root_ / "Rapporten").string());
        clock_.SetNow(EncodeDate(2024, 3, 5) + 0.4);
        SetClock(&clock_);
        ZIBMAINForm->DataPath = root_.string() + "\\";
    }
    void TearDown() override
    {
        SetClock(nullptr);
        settings::Resolve();
        ProgramWindows::TearDown();
    }

    void SetReportFolder(const std::string &folder)
    {
        std::ofstream ini(root_ / "ZIBOR.ini", std::ios::binary);
        ini << "[Settings]\r\ntrpath=" << folder << "\r\n";
        ini.close();
        settings::Resolve(root_.string());
    }

    // An administration started under code and taken to state, with both
    // grids filled; the child is 8;0 on the test date (band 2).
    void Administer(const std::string &code, int state)
    {
        adm::TAdministration &a = ZIBinvoer->Adm;
        a.DataPath = ZIBMAINForm->DataPath;
        a.WisGegevens();
        a.P = {.code = code, .sex = 0, .gebdag = "05", .gebmnd = "03", .gebjaar = "2016", .afndag = {}, .afnmnd = {}, .afnjaar = {}, .school = "De Eik",
               .groep = "3", .tl = "Piet", .form = 0};
        a.SetTestDate(Date());
        a.State = 2;
        ASSERT_EQ(a.Start(), adm::TAdministration::TStartResult::Started);
        const scoring::ScoreGrid deletion = scoretest::Grid("40/1*11 60/0");
        const scoring::ScoreGrid substitution = scoretest::Grid("200/1*12");
        for (int i = 0; i < 12; ++i) {
            a.SGRscoreFW.SetCells(1, 3 + i, deletion[i].time);
            a.SGRscoreFW.SetCells(2, 3 + i, deletion[i].score);
            a.SGRscoreFV.SetCells(1, i, substitution[i].time);
            a.SGRscoreFV.SetCells(2, i, substitution[i].score);
        }
        a.ElaatsteFW = "15";
        a.ELaatsteFV = "12";
        a.EntryFW = 15;
        a.EntryFV = 12;
        a.State = state;
    }

    // Shows the window, runs checks on it, then closes it with its exit
    // button; the saved notice that follows a store that wrote is let go.
    void ShowAndClose(const std::function<void()> &checks = {}, bool notice = true)
    {
        drv.Then([this, checks] {
            ASSERT_TRUE(PP->Modal());
            if (checks)
                checks();
            ASSERT_TRUE(drv.Click(*PP, "ButtonExit"));
        });
        if (notice) {
            drv.Then([this] {
                ASSERT_TRUE(message->Modal());
                drv.Advance(1000);
            });
        }
        PP->ShowModal();
    }

    QTemporaryDir tmp_;
    fs::path root_;
    FakeClock clock_;
    TPrinterBackendScope printers_{std::make_shared<TNoPrinters>()};
    TWindowDriver drv;
};

TEST_F(ReportWindowTest, ActivationGeneratesThePageOfTheAdministration)
{
    TDialogScript dialogs;
    Administer("Lotte", 6);
    PP->FormCreate(PP);
    drv.Then([] {
        ASSERT_TRUE(PP->Modal());
        ASSERT_EQ(PP->PrintPreview->TotalPages(), 1);
        EXPECT_EQ(PP->LastPage.personalia.code, "Lotte");
        EXPECT_EQ(PP->LastPage.personalia.age, "8;0");
        EXPECT_EQ(PP->LastPage.cells.rawSubstitution, "-") << "between the subtests";
        EXPECT_EQ(PP->LastPage.cells.index, "n.v.t.");
        EXPECT_EQ(PP->Edit1->Text(), "05-03-2024");
        EXPECT_EQ(PP->Caption(), Application()->Title());
        EXPECT_FALSE(PP->PRbtn->Enabled()) << "no printer";
        EXPECT_EQ(PP->ZoomComboBox->ItemIndex(), -1) << "the page fits: no zoom item";
        EXPECT_TRUE(PP->FirstActivation) << "state 6: the full report is generated anew next time";
        // On a real display, a screenshot on request (ZIBOR_SCREENSHOT=file.png).
        if (const char *shot = std::getenv("ZIBOR_SCREENSHOT")) {
            for (int i = 0; i < 20; ++i)
                QCoreApplication::processEvents();
            QProcess::execute("import", {"-window", "root", shot});
        }
        PP->SetModalResult(mrCancel);
    });
    PP->ShowModal();

    // Shown again from the end window, finished: generated anew, once.
    ZIBinvoer->AdminState = 7;
    drv.Then([] {
        EXPECT_EQ(PP->LastPage.cells.rawSubstitution, "240");
        EXPECT_NE(PP->LastPage.cells.index, "n.v.t.");
        EXPECT_FALSE(PP->FirstActivation);
        PP->SetModalResult(mrCancel);
    });
    PP->ShowModal();
}

TEST_F(ReportWindowTest, ZoomListBothWays)
{
    TDialogScript dialogs;
    Administer("Lotte", 7);
    PP->FormCreate(PP);
    drv.Then([] {
        ZoomTable();
        PP->SetModalResult(mrCancel);
    });
    PP->ShowModal();
}

// On the shown page: each item sets its zoom, and each zoom selects its item.
void ZoomTable()
{
    struct Row {
        int item;
        TZoomState state;
        int zoom;  // when the state is zsZoomOther
    };
    const Row rows[] = {
        {0, zsZoomOther, 50},  {1, zsZoomOther, 100},  {2, zsZoomOther, 150},
        {3, zsZoomOther, 200}, {4, zsZoomToWidth, 0}, {5, zsZoomToHeight, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.item);
        PP->PrintPreview->SetZoomState(zsZoomToFit);
        PP->ZoomComboBox->SetItemIndex(r.item);
        PP->ZoomComboBoxChange(PP->ZoomComboBox);
        EXPECT_EQ(PP->PrintPreview->ZoomState(), r.state);
        if (r.state == zsZoomOther) {
            EXPECT_EQ(PP->PrintPreview->Zoom(), r.zoom);
        }
        // And back: the component's zoom selects the item.
        PP->ZoomComboBox->SetItemIndex(-1);
        if (r.state == zsZoomOther)
            PP->PrintPreview->SetZoom(r.zoom);
        else
            PP->PrintPreview->SetZoomState(r.state);
        PP->PrintPreviewZoomChange(PP->PrintPreview);
        EXPECT_EQ(PP->ZoomComboBox->ItemIndex(), r.item);
    }
    // Any other zoom, and the fit, show no item.
    PP->PrintPreview->SetZoom(75);
    PP->PrintPreviewZoomChange(PP->PrintPreview);
    EXPECT_EQ(PP->ZoomComboBox->ItemIndex(), -1);
    PP->PrintPreview->SetZoomState(zsZoomToFit);
    PP->PrintPreviewZoomChange(PP->PrintPreview);
    EXPECT_EQ(PP->ZoomComboBox->ItemIndex(), -1);
}

// Closing saves the report file, stores the administration and, once it is
// finished, removes the incomplete-administration file.
TEST_F(ReportWindowTest, ClosingSavesAndStores)
{
    struct Case {
        const char *name;
        const char *code;
        int state;
        const char *reportFile;  // under Rapporten
        const char *pdfFile;     // under Rapporten/PDF
        bool ztaStays;
    };
    const Case cases[] = {
        {"between the subtests", "Lotte", 6, "Lotte - 05-03-2024.zrp", "ZIBOR - Lotte_05-03-2024.pdf", true},
        {"finished", "Lotte", 7, "Lotte - 05-03-2024.zrp", "ZIBOR - Lotte_05-03-2024.pdf", false},
        {"a code with a blank", "Lotte B", 7, "LotteB - 05-03-2024.zrp", "ZIBOR - Lotte B_05-03-2024.pdf", false},
    };
    for (const Case &cs : cases) {
        SCOPED_TRACE(cs.name);
        TDialogScript dialogs;
        Administer(cs.code, cs.state);
        PP->FormCreate(PP);
        ShowAndClose();
        const fs::path zrp = root_ / "Rapporten" / cs.reportFile;
        ASSERT_TRUE(fs::exists(zrp));
        const ReportFile r = ReadReportFile(zrp);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.magic, 0x13490208u);
        EXPECT_EQ(r.orientation, 0);
        EXPECT_EQ(r.paperType, 8) << "A4";
        EXPECT_EQ(r.width, 21000);
        EXPECT_EQ(r.height, 29700);
        EXPECT_EQ(r.pages, 1);
        EXPECT_TRUE(r.firstPageIsEmf);
        const fs::path pdf = root_ / "Rapporten" / "PDF" / cs.pdfFile;
        ASSERT_TRUE(fs::exists(pdf));
        if (reporttest::HaveTool("qpdf") && reporttest::HaveTool("pdftotext")) {
            EXPECT_TRUE(reporttest::QpdfChecks(pdf.string()));
            const std::string text = reporttest::PdfText(pdf.string());
            EXPECT_NE(text.find("Testrapport"), std::string::npos);
            EXPECT_NE(text.find(cs.code), std::string::npos);
            EXPECT_NE(text.find(cs.state == 6 ? "n.v.t." : "ZIBOR-Index"), std::string::npos);
        }
        if (const char *keep = std::getenv("ZIBOR_REPORT_PNG"))
            fs::copy_file(pdf, fs::path(keep) / (std::string("closing_") + std::to_string(cs.state) + ".pdf"),
                          fs::copy_options::overwrite_existing);

        const std::string base = adm::SchoonNaam(cs.code) + "_05-03-2024";
        const std::vector<std::string> fw = LastRecord(root_ / "Data" / (base + "_FW.wda"));
        ASSERT_GE(fw.size(), 14u);
        EXPECT_EQ(fw[0], cs.code);
        EXPECT_EQ(fw[13], std::to_string(cs.state));
        EXPECT_EQ(fs::exists(root_ / "Incomplete afnames" / (base + ".zta")), cs.ztaStays);
        EXPECT_TRUE(ZIBfinish->ButtonHM->Enabled());
        EXPECT_TRUE(ZIBfinish->ButtonExit->Visible());
        EXPECT_EQ(dialogs.Shown().size(), 0u);
        fs::remove_all(root_ / "Rapporten");
        fs::create_directories(root_ / "Rapporten" / "PDF");
        for (const char *folder : {"Data", "Incomplete afnames"}) {
            fs::remove_all(root_ / folder);
            fs::create_directories(root_ / folder);
        }
    }
}

// No report folder: E001, a save dialog that keeps the current folder, the
// chosen file written; the administration is stored all the same. Closing
// the message box and the dialog activates no window: by the time the saved
// notice (a window of the program's own) shows, the report between the
// subtests has been generated once.
TEST_F(ReportWindowTest, NoReportFolderAsksForAnotherPlace)
{
    SetReportFolder((root_ / "bestaat-niet").string());
    TDialogScript dialogs;
    const std::string chosen = (root_ / "elders.zrp").string();
    dialogs.Answer(mrOk, "Foutmelding E001: incorrect ingesteld datapad.").Choose(TDialogKind::SaveFile, chosen);
    Administer("Lotte", 6);
    PP->FormCreate(PP);
    int generated = 0;
    const TNotifyEvent generate = PP->PrintPreview->OnBeginDoc;
    PP->PrintPreview->OnBeginDoc = [&](TObject *sender) {
        ++generated;
        generate(sender);
    };
    drv.Then([this] {
        ASSERT_TRUE(PP->Modal());
        ASSERT_TRUE(drv.Click(*PP, "ButtonExit"));
    });
    drv.Then([this, &generated] {
        ASSERT_TRUE(message->Modal());
        EXPECT_EQ(generated, 1);
        drv.Advance(1000);
    });
    PP->ShowModal();
    EXPECT_TRUE(ReadReportFile(chosen).ok);
    EXPECT_EQ(ReadReportFile(chosen).pages, 1);
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    const TDialogRequest &save = dialogs.Shown()[1];
    EXPECT_EQ(save.Title, "Naar bestand opslaan");
    EXPECT_EQ(save.Filter, "ZIB-rapport (*.zrp)|*.*");
    EXPECT_EQ(save.DefaultExt, "zrp");
    EXPECT_EQ(save.FileName, "Lotte - 05-03-2024.zrp");
    EXPECT_TRUE(save.Options & ofNoChangeDir);
    EXPECT_EQ(LastRecord(root_ / "Data" / "Lotte_05-03-2024_FW.wda").at(13), "6");
    EXPECT_TRUE(fs::exists(root_ / "Incomplete afnames" / "Lotte_05-03-2024.zta"));
}

// A print queue that stops after the window was readied: the print button
// says so in Dutch instead of opening a dialog that could only offer a file,
// and prints once the queue is back.
TEST_F(ReportWindowTest, APrintQueueThatGoesIsToldAndNeverPrintedTo)
{
    struct Vanishing : TFakePrinter {
        Vanishing() : TFakePrinter("Testprinter", 150, TPoint{30, 30}) {}
        bool there = true;
        std::vector<String> PrinterNames() override
        {
            return there ? TFakePrinter::PrinterNames() : std::vector<String>{};
        }
    };
    auto printer = std::make_shared<Vanishing>();
    TPrinterBackendScope scope(printer);
    TDialogScript dialogs;
    Administer("Lotte", 7);
    PP->FormCreate(PP);
    drv.Then([&] {
        ASSERT_TRUE(PP->PRbtn->Enabled());
        printer->there = false;
        dialogs.Answer(mrOk, "Er is geen printer beschikbaar.");
        ASSERT_TRUE(drv.Click(*PP, "PRbtn"));
        EXPECT_EQ(dialogs.Pending(), 0u);
        EXPECT_TRUE(printer->Jobs.empty());

        printer->there = true;
        dialogs.Confirm(TDialogKind::PrinterSetup);
        ASSERT_TRUE(drv.Click(*PP, "PRbtn"));
        EXPECT_EQ(printer->Jobs.size(), 1u);
        PP->SetModalResult(mrCancel);
    });
    PP->ShowModal();
}

// The print button: the printer setup dialog, whose closing readies the
// window again, then the page to the printer under the job title.
TEST_F(ReportWindowTest, PrintsThroughThePrinterSetupDialog)
{
    auto printer = std::make_shared<TFakePrinter>("Testprinter", 150, TPoint{30, 30});
    TPrinterBackendScope scope(printer);
    TDialogScript dialogs;
    dialogs.Cancel(TDialogKind::PrinterSetup).Confirm(TDialogKind::PrinterSetup);
    Administer("Lotte", 7);
    PP->FormCreate(PP);
    std::vector<String> captions;
    PP->PrintPreview->OnPrintProgress = [&captions](TObject *, int, int, bool &) {
        captions.push_back(PP->Caption());
    };
    drv.Then([&] {
        ASSERT_TRUE(PP->PRbtn->Enabled());
        EXPECT_FALSE(PP->FirstActivation);
        ASSERT_TRUE(drv.Click(*PP, "PRbtn"));
        EXPECT_TRUE(printer->Jobs.empty()) << "cancelled";
        EXPECT_TRUE(PP->FirstActivation) << "the dialog's closing ran the creation handler";

        ASSERT_TRUE(drv.Click(*PP, "PRbtn"));
        ASSERT_EQ(printer->Jobs.size(), 1u);
        const TFakePrinter::Job &job = printer->Jobs[0];
        EXPECT_EQ(job.Title, "Afdrukken ZIB-rapport");
        ASSERT_EQ(job.Pages.size(), 1u);
        EXPECT_TRUE(job.Ended);
        int ink = 0;
        for (int y = 0; y < job.Pages[0].height(); y += 2)
            for (int x = 0; x < job.Pages[0].width(); x += 2)
                ink += qGray(job.Pages[0].pixel(x, y)) < 128;
        EXPECT_GT(ink, 1000) << "the report on the sheet";
        ASSERT_FALSE(captions.empty());
        EXPECT_EQ(captions.front(), Application()->Title() + " - Preparing to print...");
        EXPECT_EQ(PP->Caption(), Application()->Title());
        EXPECT_TRUE(PP->PRbtn->Enabled());
        PP->SetModalResult(mrCancel);
    });
    PP->ShowModal();
}

// A report folder without a "PDF" folder: the report file is written, then
// the missing copy is said (E001) and another place is asked for the report.
TEST_F(ReportWindowTest, NoPdfFolderIsAFailedStep)
{
    fs::remove_all(root_ / "Rapporten" / "PDF");
    TDialogScript dialogs;
    const std::string chosen = (root_ / "elders.zrp").string();
    dialogs.Answer(mrOk, "Foutmelding E001").Choose(TDialogKind::SaveFile, chosen);
    Administer("Lotte", 7);
    PP->FormCreate(PP);
    ShowAndClose();
    EXPECT_EQ(ReadReportFile(root_ / "Rapporten" / "Lotte - 05-03-2024.zrp").pages, 1);
    EXPECT_EQ(ReadReportFile(chosen).pages, 1);
    EXPECT_FALSE(fs::exists(root_ / "Rapporten" / "PDF"));
    EXPECT_EQ(LastRecord(root_ / "Data" / "Lotte_05-03-2024_FW.wda").at(13), "7");
    EXPECT_FALSE(fs::exists(root_ / "Incomplete afnames" / "Lotte_05-03-2024.zta"));
}

// The place chosen after E001 fails as well: that is said too, and the
// administration is still stored and finished.
TEST_F(ReportWindowTest, AFailingAlternativePlaceStillStores)
{
    SetReportFolder((root_ / "bestaat-niet").string());
    TDialogScript dialogs;
    dialogs.Answer(mrOk, "Foutmelding E001")
        .Choose(TDialogKind::SaveFile, (root_ / "ook-niet" / "elders.zrp").string())
        .Answer(mrOk);
    Administer("Lotte", 7);
    PP->FormCreate(PP);
    ShowAndClose();
    EXPECT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_EQ(LastRecord(root_ / "Data" / "Lotte_05-03-2024_FW.wda").at(13), "7");
    EXPECT_FALSE(fs::exists(root_ / "Incomplete afnames" / "Lotte_05-03-2024.zta"));
    EXPECT_TRUE(ZIBfinish->ButtonHM->Enabled());
}

// The end window readies the window for the next administration: the next
// report shows the next child, in a report file of its own.
TEST_F(ReportWindowTest, TwoAdministrationsInARow)
{
    TDialogScript dialogs;
    Administer("Lotte", 7);
    PP->FormCreate(PP);
    ShowAndClose([] { EXPECT_EQ(PP->LastPage.personalia.code, "Lotte"); });
    Administer("Sven", 7);
    ZIBinvoer->Adm.P.gebjaar = "2014";
    PP->FormCreate(PP);
    ShowAndClose([] {
        EXPECT_EQ(PP->LastPage.personalia.code, "Sven");
        EXPECT_EQ(PP->LastPage.personalia.age, "10;0");
    });
    EXPECT_EQ(ReadReportFile(root_ / "Rapporten" / "Lotte - 05-03-2024.zrp").pages, 1);
    EXPECT_EQ(ReadReportFile(root_ / "Rapporten" / "Sven - 05-03-2024.zrp").pages, 1);
    EXPECT_EQ(LastRecord(root_ / "Data" / "Sven_05-03-2024_FW.wda").at(5), "2014");
}

// A store that did not write the data files (its backup cancelled) keeps the
// incomplete-administration file, so the administration can be resumed.
TEST_F(ReportWindowTest, AStoreThatDidNotWriteKeepsTheIncompleteFile)
{
    TDialogScript dialogs;
    Administer("Lotte", 6);
    drv.Then([this] {
        ASSERT_TRUE(message->Modal());
        drv.Advance(1000);
    });
    ZIBinvoer->Adm.Opslaan();  // the incomplete-administration file exists
    const fs::path zta = root_ / "Incomplete afnames" / "Lotte_05-03-2024.zta";
    ASSERT_TRUE(fs::exists(zta));
    ZIBinvoer->Adm.State = 7;
    fs::remove_all(root_ / "Data");
    dialogs.Answer(mrOk).Cancel(TDialogKind::SaveFile);
    PP->FormCreate(PP);
    ShowAndClose({}, false);
    EXPECT_EQ(ZIBinvoer->LastStore, adm::TAdministration::TStoreResult::BackupCancelled);
    EXPECT_TRUE(fs::exists(zta));
}

} // namespace
