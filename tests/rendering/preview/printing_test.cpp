// Printing from the preview on the fake printer: progress, abort, page
// ranges, failures that must not leave the preview busy, grey, the printing
// offset and direct printing; the settings record and the printer's forms;
// and once through Qt's print support into a PDF file.
#include "platform/core/Files.h"
#include "platform/printing/Printers.h"
#include "tests/rendering/preview/PreviewKit.h"
#include "tests/support/SampleReport.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace plat;
using namespace zibor::preview;
using namespace zibor::test;

namespace {

struct FakePrinterScope {
    std::shared_ptr<TFakePrinter> fake;
    TPrinterBackendScope scope;
    explicit FakePrinterScope(int dpi = 300, TPoint offset = {0, 0},
                              std::vector<TPrinterForm> forms = TFakePrinter::StandardForms())
        : fake(std::make_shared<TFakePrinter>("Kantoor", dpi, offset, std::move(forms))), scope(fake)
    {
    }
};

// A black vertical line at x = 1000 and a horizontal one at y = 2000 (0.01 mm).
void Marks(TCanvas &c, int)
{
    c.Pen().SetWidth(30);
    c.MoveTo(1000, 0);
    c.LineTo(1000, 29700);
    c.MoveTo(0, 2000);
    c.LineTo(21000, 2000);
}

// The first dark column of a sheet's row, and the first dark row of a column.
int DarkColumn(const QImage &sheet, int y)
{
    for (int x = 0; x < sheet.width(); ++x)
        if (qGray(sheet.pixel(x, y)) < 100)
            return x;
    return -1;
}

int DarkRow(const QImage &sheet, int x)
{
    for (int y = 0; y < sheet.height(); ++y)
        if (qGray(sheet.pixel(x, y)) < 100)
            return y;
    return -1;
}

// A machine without a print queue.
struct NoPrinters : TFakePrinter {
    NoPrinters() : TFakePrinter("", 300, {}) {}
    std::vector<String> PrinterNames() override { return {}; }
};

// The sample report as page 1, numbered pages after it.
void RecordSample(TPrintPreview &pp, int pages)
{
    static const auto header = ReportPicture("TPPheader");
    static const auto footer = ReportPicture("TPPfooter");
    Record(pp, pages, [&](TCanvas &c, int n) {
        if (n == 1)
            DrawSampleReport(c, *header, *footer);
        else
            DrawNumberedPage(c, n);
    });
}

struct PrintLog {
    std::vector<std::string> list;
    void Watch(TPrintPreview &pp)
    {
        pp.OnBeforePrint = [this](TObject *) { list.push_back("before"); };
        pp.OnAfterPrint = [this, &pp](TObject *) { list.push_back("after " + std::to_string(pp.State())); };
        pp.OnAbort = [this](TObject *) { list.push_back("abort"); };
    }
};

} // namespace

TEST(Printing, ProgressOfTwoPages)
{
    FakePrinterScope printer;
    auto pp = MakePreview();
    Record(*pp, 2);
    pp->SetPrintJobTitle("Afdrukken ZIB-rapport");
    std::vector<std::pair<int, int>> progress;
    pp->OnPrintProgress = [&](TObject *, int page, int percent, bool &) { progress.push_back({page, percent}); };
    ASSERT_TRUE(pp->PrinterInstalled());
    pp->Print();
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 0}, {1, 50}, {2, 50}, {2, 100}}));
    ASSERT_EQ(printer.fake->Jobs.size(), 1u);
    const TFakePrinter::Job &job = printer.fake->Jobs[0];
    EXPECT_EQ(job.Title, "Afdrukken ZIB-rapport");
    EXPECT_EQ(job.Pages.size(), 2u);
    EXPECT_TRUE(job.Ended);
    EXPECT_FALSE(job.Aborted);
    EXPECT_EQ(Printer()->Title(), "");
    EXPECT_EQ(pp->State(), psReady);
    EXPECT_FALSE(pp->Aborted());
}

TEST(Printing, AbortFromTheHandlerAtPageTwo)
{
    FakePrinterScope printer;
    auto pp = MakePreview();
    Record(*pp, 3, Marks);
    PrintLog log;
    log.Watch(*pp);
    pp->OnPrintProgress = [&](TObject *, int page, int, bool &abort) {
        log.list.push_back("progress " + std::to_string(page));
        abort = page == 2;
    };
    pp->Print();
    EXPECT_EQ(log.list, (std::vector<std::string>{"before", "progress 1", "progress 1", "progress 2", "abort",
                                                  "after 0"}));
    ASSERT_EQ(printer.fake->Jobs.size(), 1u);
    EXPECT_TRUE(printer.fake->Jobs[0].Aborted);
    EXPECT_FALSE(printer.fake->Jobs[0].Ended);
    EXPECT_EQ(printer.fake->Jobs[0].Pages.size(), 1u);  // page 2 was never drawn
    EXPECT_EQ(pp->State(), psReady);
    EXPECT_TRUE(pp->Aborted());
    EXPECT_FALSE(Printer()->Printing());
}

TEST(Printing, PageRanges)
{
    struct Case {
        int first, last;
        int jobs, pages;
    };
    for (const Case &k : {Case{3, 2, 0, 0}, Case{0, 99, 1, 3}, Case{2, 2, 1, 1}, Case{-5, 1, 1, 1}, Case{4, 9, 1, 1}}) {
        FakePrinterScope printer;
        auto pp = MakePreview();
        Record(*pp, 3);
        pp->PrintPages(k.first, k.last);
        ASSERT_EQ(printer.fake->Jobs.size(), size_t(k.jobs)) << k.first << ".." << k.last;
        if (k.jobs) {
            EXPECT_EQ(printer.fake->Jobs[0].Pages.size(), size_t(k.pages)) << k.first << ".." << k.last;
        }
    }
    // Nothing without pages, while busy, or without a printer.
    FakePrinterScope printer;
    auto pp = MakePreview();
    pp->Print();
    Record(*pp, 1);
    pp->BeginDoc();
    pp->Print();
    pp->EndDoc();
    EXPECT_TRUE(printer.fake->Jobs.empty());
    TPrinterBackendScope empty(std::make_shared<NoPrinters>());
    EXPECT_FALSE(pp->PrinterInstalled());
    pp->Print();
    EXPECT_EQ(pp->State(), psReady);
    std::vector<String> names{"stale"};
    EXPECT_FALSE(pp->GetFormNames(names));
    EXPECT_TRUE(names.empty());
}

TEST(Printing, FailuresNeverLeaveThePreviewBusy)
{
    struct Case {
        const char *name;
        int failAtPage;
        bool failAtStart, throwInDraw, throwBefore;
    };
    const Case cases[] = {
        {"printer fails at page 2", 2, false, false, false},
        {"printer fails at the start", 0, true, false, false},
        {"a handler raises while printing", 0, false, true, false},
        {"OnBeforePrint raises", 0, false, false, true},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        FakePrinterScope printer;
        printer.fake->FailAtPage = k.failAtPage;
        printer.fake->FailAtStart = k.failAtStart;
        auto pp = MakePreview();
        Record(*pp, 3);
        PrintLog log;
        log.Watch(*pp);
        if (k.throwInDraw)
            pp->OnPrintProgress = [](TObject *, int page, int percent, bool &) {
                if (page == 2 && percent > 50)
                    throw Exception("handler failed");
            };
        if (k.throwBefore)
            pp->OnBeforePrint = [&](TObject *) { throw Exception("handler failed"); };
        EXPECT_ANY_THROW(pp->Print());
        EXPECT_EQ(pp->State(), psReady);
        EXPECT_TRUE(pp->Aborted());
        EXPECT_FALSE(Printer()->Printing());
        EXPECT_EQ(Printer()->Title(), "");
        // OnAfterPrint came, while the preview was still printing.
        EXPECT_EQ(log.list.back(), "after 2");
        if (!printer.fake->Jobs.empty()) {
            EXPECT_TRUE(printer.fake->Jobs[0].Aborted);
            EXPECT_FALSE(printer.fake->Jobs[0].Ended);
        }
        // And it prints again.
        printer.fake->FailAtPage = 0;
        printer.fake->FailAtStart = false;
        pp->OnPrintProgress = nullptr;
        pp->OnBeforePrint = nullptr;
        pp->Print();
        EXPECT_TRUE(printer.fake->Jobs.back().Ended);
    }
}

TEST(Printing, GreyOnPaperOnly)
{
    FakePrinterScope printer(100);
    auto pp = MakePreview();
    Record(*pp, 1, [](TCanvas &c, int) {
        c.Brush().SetColor(clRed);
        c.FillRect(Rect(0, 0, 21000, 29700));
    });
    pp->SetGrayscale(gsPrint);
    pp->Print();
    const QImage &sheet = printer.fake->Jobs.at(0).Pages.at(0);
    EXPECT_EQ(sheet.pixel(400, 500), qRgb(76, 76, 76));
    pp->SetGrayscale(gsPreview);
    pp->Print();
    EXPECT_EQ(printer.fake->Jobs.at(1).Pages.at(0).pixel(400, 500), qRgb(255, 0, 0));
}

TEST(Printing, PaperCornerLiesAtTheSheetCorner)
{
    for (TPoint offset : {TPoint{0, 0}, TPoint{50, 60}}) {
        FakePrinterScope printer(300, offset);
        auto pp = MakePreview();
        Record(*pp, 1, Marks);
        pp->Print();
        const QImage &sheet = printer.fake->Jobs.at(0).Pages.at(0);
        EXPECT_EQ(sheet.width(), 2480);
        EXPECT_EQ(sheet.height(), 3508);
        // 1000 units at 300 dpi: 118 pixels from the sheet's edge; the line is
        // 30 units (4 pixels) wide around it.
        EXPECT_NEAR(DarkColumn(sheet, 1000), 116, 1) << offset.X;
        EXPECT_NEAR(DarkRow(sheet, 1000), 234, 1) << offset.Y;
        EXPECT_EQ(pp->GetPrinterPageBounds(),
                  Bounds(ConvertUnits(offset.X, 300, mmPixel, mmHiMetric), ConvertUnits(offset.Y, 300, mmPixel, mmHiMetric),
                         ConvertUnits(2480 - 2 * offset.X, 300, mmPixel, mmHiMetric),
                         ConvertUnits(3508 - 2 * offset.Y, 300, mmPixel, mmHiMetric)));
    }
}

TEST(Printing, DirectPrintingOfTwoPages)
{
    FakePrinterScope printer(300, {50, 60});
    auto pp = MakePreview();
    pp->SetDirectPrint(true);
    pp->SetPrintJobTitle("ZIBOR-testrapport - 1234");
    std::vector<std::string> log;
    pp->OnNewPage = [&](TObject *) { log.push_back("new " + std::to_string(pp->TotalPages())); };
    pp->OnEndPage = [&](TObject *) { log.push_back("end"); };
    pp->BeginDoc();
    EXPECT_EQ(pp->State(), psPrinting);
    Marks(pp->Canvas(), 1);
    pp->Canvas().Font().SetSize(12);
    EXPECT_EQ(pp->Canvas().Font().Height(), -423);
    pp->NewPage();
    Marks(pp->Canvas(), 2);
    pp->EndDoc();
    EXPECT_EQ(log, (std::vector<std::string>{"new 0", "end", "new 1", "end"}));
    EXPECT_EQ(pp->State(), psReady);
    EXPECT_EQ(pp->TotalPages(), 0);  // nothing was recorded
    ASSERT_EQ(printer.fake->Jobs.size(), 1u);
    const TFakePrinter::Job &job = printer.fake->Jobs[0];
    EXPECT_EQ(job.Title, "ZIBOR-testrapport - 1234");
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 2u);
    for (const QImage &sheet : job.Pages) {
        EXPECT_NEAR(DarkColumn(sheet, 1000), 116, 1);
        EXPECT_NEAR(DarkRow(sheet, 1000), 234, 1);
    }
    // A job that cannot start leaves the preview ready; no printer, nothing at all.
    printer.fake->FailAtStart = true;
    EXPECT_THROW(pp->BeginDoc(), EPrinter);
    EXPECT_EQ(pp->State(), psReady);
    TPrinterBackendScope empty(std::make_shared<NoPrinters>());
    pp->BeginDoc();
    EXPECT_EQ(pp->State(), psReady);
}

TEST(Printing, AbortWhilePrintingDirectly)
{
    FakePrinterScope printer;
    auto pp = MakePreview();
    pp->SetDirectPrint(true);
    pp->BeginDoc();
    pp->NewPage();
    pp->Abort();
    EXPECT_EQ(pp->State(), psReady);
    EXPECT_TRUE(printer.fake->Jobs.at(0).Aborted);
    EXPECT_FALSE(Printer()->Printing());
}

// ---------------------------------------------------------------- settings record

TEST(PrinterOptions, SettingsRecord)
{
    struct Case {
        const char *name;
        TPaperType type;
        bool landscape;
        int code, width, length, orientation;
        const char *form;
    };
    const Case cases[] = {
        {"A4 portrait", pA4, false, 9, 0, 0, DMORIENT_PORTRAIT, "A4"},
        {"Letter landscape", pLetter, true, 1, 0, 0, DMORIENT_LANDSCAPE, "Letter"},
        {"custom portrait", pCustom, false, DMPAPER_USER, 1500, 2000, DMORIENT_PORTRAIT, "150mm x 200mm"},
        {"custom landscape", pCustom, true, DMPAPER_USER, 1500, 2000, DMORIENT_LANDSCAPE, "150mm x 200mm"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        FakePrinterScope printer;
        auto pp = MakePreview();
        SetPaper(*pp, k.type, k.landscape);
        pp->SetPrinterOptions();
        const TDeviceMode &dm = Printer()->DeviceMode();
        EXPECT_EQ(dm.Fields & DM_ORIENTATION, DM_ORIENTATION);
        EXPECT_EQ(dm.Orientation, k.orientation);
        EXPECT_TRUE(dm.Fields & DM_PAPERSIZE);
        EXPECT_EQ(dm.PaperSize, k.code);
        EXPECT_EQ(bool(dm.Fields & DM_PAPERWIDTH), k.width != 0);
        EXPECT_EQ(bool(dm.Fields & DM_PAPERLENGTH), k.length != 0);
        if (k.width) {
            EXPECT_EQ(dm.PaperWidth, k.width);
            EXPECT_EQ(dm.PaperLength, k.length);
        }
        EXPECT_TRUE(dm.Fields & DM_FORMNAME);
        EXPECT_EQ(dm.FormName, k.form);
        // The job takes them: the sheet lies as the paper does.
        Record(*pp, 1);
        pp->Print();
        const QImage &sheet = printer.fake->Jobs.at(0).Pages.at(0);
        EXPECT_EQ(sheet.width() > sheet.height(), k.landscape);
        EXPECT_EQ(printer.fake->Jobs[0].Mode.Orientation, k.orientation);

        // And back: a fresh preview takes the printer's paper.
        auto back = MakePreview();
        back->GetPrinterOptions();
        EXPECT_EQ(back->Orientation(), k.landscape ? poLandscape : poPortrait);
        EXPECT_EQ(back->PaperType(), k.type);
        // A custom paper comes back through the sheet's size in printer pixels.
        EXPECT_NEAR(back->PaperWidth(), pp->PaperWidth(), k.type == pCustom ? 5 : 0);
        EXPECT_NEAR(back->PaperHeight(), pp->PaperHeight(), k.type == pCustom ? 5 : 0);
        EXPECT_EQ(back->GetFormName(), k.form);
    }
}

// ---------------------------------------------------------------- forms

TEST(PrinterForms, FoundMadeChosenAndRemoved)
{
    std::vector<TPrinterForm> forms = TFakePrinter::StandardForms();
    forms[3].Name = "ISO A4 Blad";
    forms.push_back({"Tiny", 10, 10, 0, false});
    forms.push_back({"Edge", 11, 11, 0, false});
    FakePrinterScope printer(300, {0, 0}, forms);
    std::vector<std::string> events;
    auto watch = [&](TPrintPreview &pp) {
        pp.OnAutoCustomForm = [&](TObject *, const String &name, TOperation op) {
            events.push_back((op == TOperation::opInsert ? "insert " : "remove ") + name);
        };
    };
    {
        auto pp = MakePreview();
        watch(*pp);
        // A4 by its size, whatever its name.
        EXPECT_EQ(pp->GetFormName(), "ISO A4 Blad");
        EXPECT_TRUE(events.empty());
        // Forms below 11 x 11 thousandths of a millimetre are not listed.
        std::vector<String> names;
        EXPECT_TRUE(pp->GetFormNames(names));
        EXPECT_EQ(names, (std::vector<String>{"Letter", "Legal", "A3", "ISO A4 Blad", "A5", "Edge"}));

        pp->SetPaperSize(15000, 20000);
        EXPECT_EQ(pp->GetFormName(), "150mm x 200mm");
        EXPECT_EQ(events, (std::vector<std::string>{"insert 150mm x 200mm"}));
        TPrinterForm made;
        ASSERT_TRUE(Printer()->GetForm("150mm x 200mm", made));
        EXPECT_EQ(made.Width, 150000);
        EXPECT_EQ(made.Height, 200000);
        // Asked again: the same form, no new one.
        EXPECT_EQ(pp->GetFormName(), "150mm x 200mm");
        EXPECT_EQ(events.size(), 1u);

        // The next custom size takes the place of the first.
        pp->SetPaperSize(10050, 12399);
        EXPECT_EQ(pp->GetFormName(), "100mm x 123mm");
        EXPECT_EQ(events, (std::vector<std::string>{"insert 150mm x 200mm", "remove 150mm x 200mm",
                                                    "insert 100mm x 123mm"}));
        EXPECT_FALSE(Printer()->GetForm("150mm x 200mm", made));
        EXPECT_EQ(pp->AutoCustomFormName(), "100mm x 123mm");

        // Choosing a form: the paper takes its size and keeps the name.
        pp->SetFormName("A5");
        EXPECT_EQ(pp->PaperType(), pA5);
        EXPECT_EQ(pp->PaperWidth(), 14800);
        EXPECT_EQ(pp->PaperHeight(), 21000);
        EXPECT_EQ(pp->GetFormName(), "A5");
        pp->SetOrientation(poLandscape);
        pp->SetFormName("Letter");
        EXPECT_EQ(pp->PaperWidth(), 27940);
        EXPECT_EQ(pp->PaperHeight(), 21590);
        EXPECT_EQ(pp->PaperType(), pLetter);
        EXPECT_EQ(pp->GetFormName(), "Letter");
        pp->SetFormName("No such form");
        EXPECT_EQ(pp->GetFormName(), "Letter");
        EXPECT_EQ(pp->PaperType(), pLetter);
        events.clear();
    }
    // Destroying the preview took its form away without a word.
    TPrinterForm gone;
    EXPECT_FALSE(Printer()->GetForm("100mm x 123mm", gone));
    EXPECT_TRUE(events.empty());
}

// ---------------------------------------------------------------- Qt print support

TEST(QtPrinting, TwoPagesIntoAPdfFile)
{
    const std::string dir = QDir::current().absoluteFilePath("preview-look").toStdString();
    ForceDirectories(dir);
    const std::string pdf = dir + "/qt-print.pdf";
    DeleteFile(pdf);
    TPrinterBackendScope qt(MakeQtPrinterBackend(pdf));
    auto pp = MakePreview();
    RecordSample(*pp, 2);
    ASSERT_TRUE(pp->PrinterInstalled());
    pp->Print();
    EXPECT_EQ(pp->State(), psReady);
    ASSERT_TRUE(FileExists(pdf));
    if (std::system("command -v qpdf > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "qpdf is not installed";
    EXPECT_EQ(std::system(("qpdf --check '" + pdf + "' > /dev/null").c_str()), 0);
    const std::string pages = dir + "/qt-print-pages.txt";
    ASSERT_EQ(std::system(("qpdf --show-npages '" + pdf + "' > '" + pages + "'").c_str()), 0);
    std::ifstream in(pages);
    int n = 0;
    in >> n;
    EXPECT_EQ(n, 2);
    // Both pages are A4: 595 x 842 points.
    std::stringstream text;
    text << std::ifstream(pdf, std::ios::binary).rdbuf();
    const std::string body = text.str();
    size_t boxes = 0;
    for (size_t at = body.find("/MediaBox"); at != std::string::npos; at = body.find("/MediaBox", at + 1)) {
        ++boxes;
        const std::string box = body.substr(at, 40);
        EXPECT_NE(box.find("595"), std::string::npos) << box;
        EXPECT_TRUE(box.find("841.") != std::string::npos || box.find("842") != std::string::npos) << box;
    }
    EXPECT_GE(boxes, 2u);
    // For people to look at: the PDF's pages as PNG files.
    if (std::system("command -v pdftoppm > /dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("pdftoppm -r 60 -png '" + pdf + "' '" + dir + "/qt-print'").c_str()), 0);
    }
}

TEST(PrintLook, FakePrinterSheetsOfASampleReport)
{
    FakePrinterScope printer(100, {20, 25});
    auto pp = MakePreview();
    RecordSample(*pp, 3);
    pp->SetGrayscale(gsPrint);
    pp->PrintPages(3, 3);
    pp->SetGrayscale(0);
    pp->Print();
    const std::string dir = QDir::current().absoluteFilePath("preview-look").toStdString();
    ForceDirectories(dir);
    ASSERT_EQ(printer.fake->Jobs.size(), 2u);
    const auto &sheets = printer.fake->Jobs[1].Pages;
    ASSERT_EQ(sheets.size(), 3u);
    for (size_t i = 0; i < sheets.size(); ++i)
        EXPECT_TRUE(sheets[i].save(QString::fromStdString(dir + "/fake-sheet-" + std::to_string(i + 1) + ".png")));
    EXPECT_TRUE(printer.fake->Jobs[0].Pages.at(0).save(QString::fromStdString(dir + "/fake-sheet-3-grey.png")));
}
