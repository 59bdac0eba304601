// The printer object over the fake printer: jobs, pages, failures, settings
// records, and the spooler's forms kept per printer in memory.
#include "platform/gui/Dialogs.h"
#include "platform/printing/Printers.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace plat;

namespace {

struct Fake {
    std::shared_ptr<TFakePrinter> printer;
    TPrinterBackendScope scope;
    explicit Fake(int dpi = 100, TPoint offset = {10, 20})
        : printer(std::make_shared<TFakePrinter>("Kantoor", dpi, offset)), scope(printer)
    {
    }
};

} // namespace

TEST(Printers, JobsPagesAndCanvas)
{
    Fake fake;
    TPrinter *p = Printer();
    ASSERT_EQ(p->Printers(), std::vector<String>{"Kantoor"});
    EXPECT_EQ(p->PrinterIndex(), 0);
    const TPrinterMetrics m = p->Metrics();
    EXPECT_EQ(m.XDpi, 100);
    EXPECT_EQ(m.Physical, (TSize{827, 1169}));  // A4 at 100 dpi
    EXPECT_EQ(m.Offset, (TPoint{10, 20}));
    EXPECT_EQ(m.Printable, (TSize{807, 1129}));
    EXPECT_EQ(p->Canvas().Target(), nullptr);  // nothing to draw on between jobs

    p->SetTitle("Rapport");
    p->BeginDoc();
    EXPECT_TRUE(p->Printing());
    p->Canvas().Brush().SetColor(clBlack);
    p->Canvas().FillRect(Rect(0, 0, 5, 5));
    EXPECT_THROW(p->BeginDoc(), EPrinter);
    p->NewPage();
    EXPECT_EQ(p->PageNumber(), 2);
    p->EndDoc();
    EXPECT_FALSE(p->Printing());
    ASSERT_EQ(fake.printer->Jobs.size(), 1u);
    const TFakePrinter::Job &job = fake.printer->Jobs[0];
    EXPECT_EQ(job.Title, "Rapport");
    ASSERT_EQ(job.Pages.size(), 2u);
    EXPECT_TRUE(job.Ended);
    // The device origin is the printable area's corner on the sheet.
    EXPECT_EQ(job.Pages[0].pixel(10, 20), qRgb(0, 0, 0));
    EXPECT_EQ(job.Pages[0].pixel(9, 20), qRgb(255, 255, 255));
    EXPECT_EQ(job.Pages[1].pixel(10, 20), qRgb(255, 255, 255));
    EXPECT_THROW(p->NewPage(), EPrinter);
    EXPECT_THROW(p->EndDoc(), EPrinter);
}

TEST(Printers, FailuresAndAbort)
{
    Fake fake;
    TPrinter *p = Printer();
    fake.printer->FailAtStart = true;
    EXPECT_THROW(p->BeginDoc(), EPrinter);
    EXPECT_FALSE(p->Printing());
    fake.printer->FailAtStart = false;
    fake.printer->FailAtPage = 3;
    p->BeginDoc();
    p->NewPage();
    EXPECT_THROW(p->NewPage(), EPrinter);
    p->Abort();
    EXPECT_TRUE(p->Aborted());
    EXPECT_FALSE(p->Printing());
    EXPECT_TRUE(fake.printer->Jobs[0].Aborted);
    EXPECT_EQ(fake.printer->Jobs[0].Pages.size(), 2u);
    p->Abort();  // nothing running: nothing to do
}

TEST(Printers, SettingsRecordDecidesTheSheet)
{
    Fake fake(254, {0, 0});
    struct Case {
        TDeviceMode mode;
        TSize sheet;  // pixels at 254 dpi: 0.1 mm each
    };
    TDeviceMode letterLandscape;
    letterLandscape.PaperSize = 1;
    letterLandscape.Orientation = DMORIENT_LANDSCAPE;
    TDeviceMode custom;
    custom.Fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    custom.PaperSize = DMPAPER_USER;
    custom.PaperWidth = 1500;
    custom.PaperLength = 2000;
    TDeviceMode byName;
    byName.Fields |= DM_FORMNAME;
    byName.FormName = "A5";
    TDeviceMode unknownCode;
    unknownCode.PaperSize = 4711;
    const Case cases[] = {
        {TDeviceMode(), {2100, 2970}},
        {letterLandscape, {2794, 2159}},
        {custom, {1500, 2000}},
        {byName, {1480, 2100}},
        {unknownCode, {2159, 2794}},  // the printer's first form
    };
    for (const Case &k : cases) {
        Printer()->SetDeviceMode(k.mode);
        EXPECT_EQ(Printer()->Metrics().Physical, k.sheet) << k.mode.PaperSize;
    }
}

TEST(Printers, FormsPerPrinterInMemory)
{
    Fake fake;
    TPrinter *p = Printer();
    std::vector<TPrinterForm> forms;
    ASSERT_TRUE(p->GetForms(forms));
    EXPECT_EQ(forms.size(), TFakePrinter::StandardForms().size());
    EXPECT_TRUE(p->AddForm({"Eigen", 100000, 120000, 0, false}));
    EXPECT_FALSE(p->AddForm({"Eigen", 1, 1, 0, false}));
    EXPECT_FALSE(p->AddForm({"A4", 1, 1, 0, false}));
    TPrinterForm f;
    ASSERT_TRUE(p->GetForm("Eigen", f));
    EXPECT_TRUE(f.User);
    EXPECT_EQ(f.Width, 100000);
    // A user form goes to the job as a custom size.
    TDeviceMode m;
    m.Fields |= DM_FORMNAME;
    m.FormName = "Eigen";
    p->SetDeviceMode(m);
    EXPECT_EQ(p->Metrics().Physical, (TSize{394, 472}));
    p->BeginDoc();
    p->EndDoc();
    EXPECT_EQ(fake.printer->Jobs[0].Mode.PaperSize, DMPAPER_USER);
    EXPECT_EQ(fake.printer->Jobs[0].Mode.PaperWidth, 1000);
    EXPECT_EQ(fake.printer->Jobs[0].Mode.FormName, "Eigen");
    // The printer's own forms stay.
    EXPECT_FALSE(p->DeleteForm("A4"));
    EXPECT_TRUE(p->DeleteForm("Eigen"));
    EXPECT_FALSE(p->GetForm("Eigen", f));
    // Another backend starts with no user forms.
    p->AddForm({"Eigen", 100000, 120000, 0, false});
    Fake other;
    EXPECT_FALSE(Printer()->GetForm("Eigen", f));
}

TEST(Printers, NoPrintQueue)
{
    struct NoPrinters : TFakePrinter {
        NoPrinters() : TFakePrinter("", 300, {}) {}
        std::vector<String> PrinterNames() override { return {}; }
    };
    TPrinterBackendScope scope(std::make_shared<NoPrinters>());
    TPrinter *p = Printer();
    EXPECT_TRUE(p->Printers().empty());
    EXPECT_EQ(p->PrinterIndex(), -1);
    std::vector<TPrinterForm> forms{{}};
    EXPECT_FALSE(p->GetForms(forms));
    EXPECT_TRUE(forms.empty());
    EXPECT_FALSE(p->AddForm({"x", 1, 1, 0, true}));
    EXPECT_THROW(p->BeginDoc(), EPrinter);
    EXPECT_EQ(p->Metrics().XDpi, 0);
}

namespace {

// A print queue whose printers come and go while the program runs, with a
// system default of its own.
struct LiveQueue : TFakePrinter {
    LiveQueue() : TFakePrinter("", 100, {}) {}
    std::vector<String> names{"Kantoor", "Lokaal 3"};
    String defaultName = "Lokaal 3";
    std::vector<String> PrinterNames() override { return names; }
    String DefaultPrinterName() override { return defaultName; }
};

} // namespace

TEST(Printers, TheSystemsDefaultIsPreselectedAndKeptByName)
{
    auto queue = std::make_shared<LiveQueue>();
    TPrinterBackendScope scope(queue);
    TPrinter *p = Printer();
    EXPECT_EQ(p->PrinterIndex(), 1);
    EXPECT_EQ(p->PrinterName(), "Lokaal 3");
    TDeviceMode landscape;
    landscape.Orientation = DMORIENT_LANDSCAPE;
    p->SetDeviceMode(landscape);
    ASSERT_TRUE(p->AddForm({"Eigen", 100000, 120000, 0, false}));

    // A queue added in front does not move the choice onto another printer.
    queue->names.insert(queue->names.begin(), "Nieuw");
    EXPECT_EQ(p->PrinterIndex(), 2);
    EXPECT_EQ(p->PrinterName(), "Lokaal 3");
    EXPECT_EQ(p->DeviceMode(), landscape);
    TPrinterForm f;
    EXPECT_TRUE(p->GetForm("Eigen", f));

    // A default that is not in the list, or none, gives the first printer.
    for (const String name : {"Weg", ""}) {
        auto noDefault = std::make_shared<LiveQueue>();
        noDefault->defaultName = name;
        TPrinterBackendScope other(noDefault);
        EXPECT_EQ(Printer()->PrinterName(), "Kantoor") << name;
    }
}

TEST(Printers, AQueueThatGoesWhileTheProgramRuns)
{
    auto queue = std::make_shared<LiveQueue>();
    TPrinterBackendScope scope(queue);
    TPrinter *p = Printer();
    ASSERT_EQ(p->PrinterName(), "Lokaal 3");
    TDeviceMode landscape;
    landscape.Orientation = DMORIENT_LANDSCAPE;
    p->SetDeviceMode(landscape);
    ASSERT_TRUE(p->AddForm({"Eigen", 100000, 120000, 0, false}));

    // The whole queue stops: nothing indexes the empty list.
    queue->names.clear();
    EXPECT_EQ(p->PrinterIndex(), -1);
    EXPECT_EQ(p->PrinterName(), "");
    std::vector<TPrinterForm> forms{{}};
    EXPECT_FALSE(p->GetForms(forms));
    EXPECT_TRUE(forms.empty());
    EXPECT_FALSE(p->AddForm({"Ander", 1000, 1000, 0, false}));
    EXPECT_FALSE(p->DeleteForm("Eigen"));
    EXPECT_EQ(p->Metrics().XDpi, 0);
    EXPECT_THROW(p->BeginDoc(), EPrinter);
    {
        // The real dialogs: without a queue none is shown, which could only
        // offer a file.
        TDialogProvider *scripted = SetDialogProvider(nullptr);
        TDialogRequest setup;
        setup.Kind = TDialogKind::PrinterSetup;
        EXPECT_EQ(RunDialog(setup).Result, mrCancel) << "no dialog that could only offer a file";
        SetDialogProvider(scripted);
    }

    // It comes back: the same printer with its settings and forms.
    queue->names = {"Kantoor", "Lokaal 3"};
    EXPECT_EQ(p->PrinterName(), "Lokaal 3");
    EXPECT_EQ(p->DeviceMode(), landscape);
    TPrinterForm f;
    EXPECT_TRUE(p->GetForm("Eigen", f));

    // The chosen printer alone goes: the default takes over, with its own
    // settings.
    queue->names = {"Kantoor", "Gang"};
    queue->defaultName = "Gang";
    EXPECT_EQ(p->PrinterName(), "Gang");
    EXPECT_EQ(p->DeviceMode(), TDeviceMode());
    EXPECT_FALSE(p->GetForm("Eigen", f));
    p->BeginDoc();
    p->EndDoc();
    EXPECT_EQ(queue->Jobs.size(), 1u);
}
