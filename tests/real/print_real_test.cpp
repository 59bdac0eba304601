// The report printed through the system's print queue: scripts/real-print
// starts a private CUPS whose default queue is a PDF printer, and tells this
// program where that printer writes (ZIBOR_PRINT_OUT) and which process is
// the print server (ZIBOR_CUPSD_PID). The viewer opens a one-page report,
// which writes its PDF copy, prints it with the real Qt print support, and
// the printed sheet is compared with that copy, pixel by pixel. Then the
// print server is stopped and the print button pressed again.
#include "windows/ReportViewerWindow.h"
#include "administration/Settings.h"
#include "platform/printing/Printers.h"
#include "rendering/preview/PrintPreview.h"
#include "tests/support/SampleReport.h"
#include "tests/support/WindowDriver.h"
#include "tests/windows/ProgramWindows.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

using namespace plat;
using namespace zibor::preview;
namespace fs = std::filesystem;

namespace {

constexpr int kDpi = 100;

std::string Env(const char *name)
{
    const char *v = std::getenv(name);
    return v ? v : "";
}

int Run(const std::string &cmd) { return std::system(cmd.c_str()); }

std::string Output(const std::string &cmd)
{
    std::string out;
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (size_t n = fread(buf, 1, sizeof buf, p))
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

// Waits for a condition that another process brings about (the print
// server's job, its end); the deadline only stops a test that would hang.
template <class F> bool WaitFor(F done, std::chrono::seconds deadline = std::chrono::seconds(90))
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

std::vector<fs::path> Pdfs(const fs::path &dir)
{
    std::vector<fs::path> out;
    if (fs::exists(dir))
        for (const auto &e : fs::recursive_directory_iterator(dir))
            if (e.path().extension() == ".pdf")
                out.push_back(e.path());
    return out;
}

QImage Page(const fs::path &pdf, const fs::path &stem)
{
    EXPECT_EQ(Run("pdftoppm -r " + std::to_string(kDpi) + " -gray -png -singlefile '" + pdf.string() + "' '" +
                  stem.string() + "'"),
              0);
    return QImage(QString::fromStdString(stem.string() + ".png")).convertToFormat(QImage::Format_Grayscale8);
}

// The smallest rectangle holding every dark pixel.
QRect Ink(const QImage &img)
{
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y) {
        const uchar *row = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x)
            if (row[x] < 128) {
                l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
            }
    }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

// Pixels whose grey differs by more than a half, with the printed sheet
// shifted by (dx, dy).
long Differing(const QImage &a, const QImage &b, int dx, int dy)
{
    long n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const int bx = x + dx, by = y + dy;
            const int g = bx >= 0 && by >= 0 && bx < b.width() && by < b.height() ? b.constScanLine(by)[bx] : 255;
            n += std::abs(int(a.constScanLine(y)[x]) - g) > 128;
        }
    return n;
}

class RealPrint : public zibor::test::ProgramWindows {
protected:
    void SetUp() override
    {
        out_ = Env("ZIBOR_PRINT_OUT");
        ASSERT_FALSE(out_.empty()) << "run by scripts/real-print, which starts the print server";
        ASSERT_FALSE(Env("CUPS_SERVER").empty());
        ProgramWindows::SetUp();
        ASSERT_TRUE(tmp_.isValid());
        root_ = fs::path(tmp_.path().toStdString());
        fs::create_directories(root_ / "Rapporten/PDF");
        std::ofstream(root_ / "ZIBOR.ini", std::ios::binary)
            << "[Settings]\r\ntrpath=" << (root_ / "Rapporten").string() << "\r\n";
        settings::Resolve(root_.string());
    }
    void TearDown() override
    {
        settings::Resolve();
        ProgramWindows::TearDown();
    }

    // A one-page report file, recorded in the viewer's own preview.
    fs::path OnePageReport()
    {
        const fs::path report = root_ / "Kees - 05-03-2024.zrp";
        drv.Dialogs().Cancel(TDialogKind::OpenFile);
        drv.Then([&] {
            TPrintPreview &pp = *TRO->PrintPreview;
            const auto header = zibor::test::ReportPicture("TPPheader");
            const auto footer = zibor::test::ReportPicture("TPPfooter");
            pp.BeginDoc();
            zibor::test::DrawSampleReport(pp.Canvas(), *header, *footer);
            pp.EndDoc();
            pp.SaveToFile(report.string());
            EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
        });
        TRO->ShowModal();
        return report;
    }

    fs::path out_;
    QTemporaryDir tmp_;
    fs::path root_;
    zibor::test::TWindowDriver drv;
};

} // namespace

TEST_F(RealPrint, TheSheetIsTheExportedPageAndAVanishedQueueIsSaid)
{
    // The system's default is preselected, not the first of the list (the
    // script adds a queue that sorts before it).
    const std::string queue = Env("ZIBOR_PRINT_QUEUE");
    const std::vector<String> names = Printer()->Printers();
    ASSERT_GE(names.size(), 2u);
    ASSERT_NE(names.front(), queue);
    const int chosen = Printer()->PrinterIndex();
    ASSERT_TRUE(chosen >= 0 && size_t(chosen) < names.size());
    ASSERT_EQ(names[size_t(chosen)], queue) << "the printer of the system's default";

    const fs::path report = OnePageReport();
    auto &d = drv.Dialogs();
    d.Choose(TDialogKind::OpenFile, report.string());
    drv.Then([&] {
        ASSERT_EQ(TRO->PrintPreview->TotalPages(), 1);
        ASSERT_TRUE(TRO->PRbtn->Enabled());
        d.Confirm(TDialogKind::PrinterSetup);
        ASSERT_TRUE(drv.Click(*TRO, "PRbtn"));
        ASSERT_TRUE(WaitFor([&] { return !Pdfs(out_).empty() && Output("lpstat -o").empty(); }))
            << "the PDF printer wrote nothing";

        // The print server goes; the button is pressed again.
        const int pid = std::atoi(Env("ZIBOR_CUPSD_PID").c_str());
        ASSERT_GT(pid, 0);
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        ASSERT_TRUE(WaitFor([&] { return ::kill(pid, 0) != 0 && Printer()->Printers().empty(); }));
        d.Answer(mrOk, "geen printer");
        EXPECT_TRUE(drv.Click(*TRO, "PRbtn"));
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    d.VerifyAllUsed();

    const std::vector<fs::path> printed = Pdfs(out_);
    ASSERT_EQ(printed.size(), 1u);
    const fs::path exported = root_ / "Rapporten/PDF/ZIBOR - Kees_05-03-2024.pdf";
    ASSERT_TRUE(fs::exists(exported));
    const std::string info = Output("pdfinfo '" + printed[0].string() + "'");
    // One sheet of A4.
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +1\n"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex("Page size: +595(\\.[0-9]+)? x 84[12]"))) << info;

    const fs::path look = fs::path(Env("ZIBOR_PRINT_LOOK").empty() ? root_.string() : Env("ZIBOR_PRINT_LOOK"));
    fs::create_directories(look);
    const QImage a = Page(exported, look / "exported");
    const QImage b = Page(printed[0], look / "printed");
    ASSERT_FALSE(a.isNull());
    ASSERT_FALSE(b.isNull());
    EXPECT_LE(std::abs(a.width() - b.width()), 1);
    EXPECT_LE(std::abs(a.height() - b.height()), 1);
    const QRect ia = Ink(a), ib = Ink(b);
    ASSERT_FALSE(ia.isNull());
    const int dx = ib.left() - ia.left(), dy = ib.top() - ia.top();
    const long same = Differing(a, b, 0, 0), aligned = Differing(a, b, dx, dy);
    long ink = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            ink += a.constScanLine(y)[x] < 128;
    std::printf("printed vs exported at %d dpi: %dx%d vs %dx%d px; ink %d,%d %dx%d vs %d,%d %dx%d; "
                "offset %+d,%+d px; differing pixels %ld in place, %ld aligned, of %ld dark\n",
                kDpi, a.width(), a.height(), b.width(), b.height(), ia.left(), ia.top(), ia.width(), ia.height(),
                ib.left(), ib.top(), ib.width(), ib.height(), dx, dy, same, aligned, ink);
    EXPECT_LE(std::abs(dx), 2);
    EXPECT_LE(std::abs(dy), 2);
    EXPECT_LE(std::abs(ia.width() - ib.width()), 2);
    EXPECT_LE(std::abs(ia.height() - ib.height()), 2);
    // Two renderers of the same page: edges may fall a pixel apart, text
    // and lines may not be missing or moved.
    EXPECT_LT(same, ink / 10) << "in place";
}
