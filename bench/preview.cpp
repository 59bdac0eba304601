// The print preview: saving and loading a three-page report file with pages
// of the report's size, and switching pages and repainting the paper at fit
// and at 500 %. Run by hand: bench_preview [rounds]
#include "platform/core/Streams.h"
#include "platform/printing/Printers.h"
#include "rendering/preview/PrintPreview.h"
#include "tests/support/SampleReport.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace plat;
using namespace zibor::preview;

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const auto header = zibor::test::ReportPicture("TPPheader");
    const auto footer = zibor::test::ReportPicture("TPPfooter");

    TPrintPreview pp(nullptr);
    pp.SetAlign(TAlign::alNone);
    pp.SetBounds(0, 0, 900, 700);
    pp.HorzScrollBar().SetMargin(10);
    pp.VertScrollBar().SetMargin(10);
    pp.BeginDoc();
    for (int page = 0; page < 3; ++page) {
        if (page)
            pp.NewPage();
        pp.PaintGraphicEx(Rect(200, 300, 21000 - 6500, 5300), *header, false, false, true);
        zibor::test::DrawSampleReport(pp.Canvas(), TBitmap(), *footer);
    }
    pp.EndDoc();

    // Files: save and load through memory, as the file system would only add noise.
    Clock::duration tSave{}, tLoad{};
    int64_t bytes = 0;
    TPrintPreview other(nullptr);
    for (int i = 0; i < rounds; ++i) {
        TMemoryStream m;
        auto t0 = Clock::now();
        pp.SaveToStream(m);
        auto t1 = Clock::now();
        m.SetPosition(0);
        other.LoadFromStream(m);
        auto t2 = Clock::now();
        bytes = m.Size();
        tSave += t1 - t0;
        tLoad += t2 - t1;
    }
    const double mb = double(bytes) * rounds / (1024.0 * 1024.0);
    std::printf("report file: 3 pages, %lld bytes; %d rounds\n", (long long)bytes, rounds);
    std::printf("save %8.1f MB/s (%.2f ms a file)\n", mb / (Ms(tSave) / 1000), Ms(tSave) / rounds);
    std::printf("load %8.1f MB/s (%.2f ms a file)\n", mb / (Ms(tLoad) / 1000), Ms(tLoad) / rounds);

    // Paging and painting: each step shows the next page and brings the
    // paper's bitmap up to date, as a paint of the control does.
    auto paging = [&](const char *what) {
        auto t0 = Clock::now();
        for (int i = 0; i < rounds; ++i) {
            pp.SetCurrentPage(i % 3 + 1 == pp.CurrentPage() ? (i + 1) % 3 + 1 : i % 3 + 1);
            pp.PaperControl().UpdateBuffer();
        }
        const double ms = Ms(Clock::now() - t0) / rounds;
        std::printf("%-22s %8.2f ms a paint (bitmap %d x %d of a paper %d x %d)\n", what, ms,
                    pp.PaperControl().Buffer().width(), pp.PaperControl().Buffer().height(),
                    pp.PaperControl().PaperWidth(), pp.PaperControl().PaperHeight());
    };
    pp.SetZoomState(zsZoomToFit);
    paging("page switch at fit");
    pp.SetZoom(500);
    pp.HorzScrollBar().SetPosition(pp.HorzScrollBar().MaxPosition() / 2);
    pp.VertScrollBar().SetPosition(pp.VertScrollBar().MaxPosition() / 2);
    paging("page switch at 500 %");
    pp.SetGrayscale(gsPreview);
    paging("the same in grey");
    pp.SetGrayscale(0);

    // Scrolling at 500 %: each step shows another part of the same page.
    auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        pp.VertScrollBar().SetPosition((i * 97) % (pp.VertScrollBar().MaxPosition() + 1));
        pp.PaperControl().UpdateBuffer();
    }
    std::printf("%-22s %8.2f ms a paint\n", "scroll at 500 %", Ms(Clock::now() - t0) / rounds);

    // Zooming in ten steps from fit, each laid out and repainted.
    pp.SetZoomState(zsZoomToFit);
    t0 = Clock::now();
    int steps = 0;
    for (int i = 0; i < rounds / 10 + 1; ++i) {
        pp.SetZoom(50);
        for (int step = 1; step <= 10; ++step, ++steps) {
            pp.SetZoom(50 + step * 25);
            pp.PaperControl().UpdateBuffer();
        }
    }
    std::printf("%-22s %8.2f ms a step (50 %% to 300 %%)\n", "zoom in ten steps", Ms(Clock::now() - t0) / steps);

    // Printing a report page on a printer of 300 dpi, in colour and in grey.
    auto fake = std::make_shared<TFakePrinter>("bench", 300, TPoint{50, 60});
    TPrinterBackendScope scope(fake);
    for (TGrayscaleOptions grey : {TGrayscaleOptions(0), TGrayscaleOptions(gsPrint)}) {
        pp.SetGrayscale(grey);
        const int jobs = std::max(1, rounds / 10);
        t0 = Clock::now();
        for (int i = 0; i < jobs; ++i) {
            pp.PrintPages(1, 1);
            fake->Jobs.clear();
        }
        std::printf("%-22s %8.2f ms a page (sheet 2480 x 3508)\n", grey ? "print 300 dpi, grey" : "print 300 dpi, colour",
                    Ms(Clock::now() - t0) / jobs);
    }
    return 0;
}
