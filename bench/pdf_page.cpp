// Converts the report-shaped page (with the report's own pictures) to PDF in
// memory many times, a new document each time, and has Qt draw the same page
// into QPdfWriter in memory for comparison (bench/QtPdfPeer.h: the same
// texts in the same installed fonts, lines and lossless pictures as plain
// QPainter calls). In one process, in turn, after warm rounds; medians.
// Prints the times, the file sizes, and where our bytes go.
// Run by hand: bench_pdf_page [rounds]
#include "bench/Figures.h"
#include "bench/QtPdfPeer.h"
#include "platform/core/System.h"
#include "tests/support/SampleReport.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/metafile/MetafilePlayer.h"
#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/PdfImage.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace plat;

namespace {

constexpr int kPageW = 21000, kPageH = 29700;  // 0.01 mm
constexpr int kPixW = 794, kPixH = 1123;        // at 96 pixels per inch

using clock_type = std::chrono::steady_clock;

using benchfig::Load;
using benchfig::Median;
using benchfig::Ms;

struct TOurs {
    size_t bytes = 0, imageBytes = 0;
};

TOurs ConvertOnce(const TMetafile &page)
{
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(page);
    THeapMemoryStream out;
    doc.SaveToStream(out);
    TOurs r;
    r.bytes = size_t(out.Size());
    // Each object runs from its offset to the next one's (the last to the table).
    TPdfXref &xref = doc.Xref();
    for (int i = 1; i < xref.ItemCount(); ++i) {
        if (!dynamic_cast<TPdfImage *>(xref.Items(i).Value()))
            continue;
        const int32_t end = i + 1 < xref.ItemCount() ? xref.Items(i + 1).ByteOffset() : doc.Trailer().XrefAddress();
        r.imageBytes += size_t(end - xref.Items(i).ByteOffset());
    }
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // As the program runs.
    plat::KeepFreedMemoryForReuse();
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

    const auto header = zibor::test::ReportPicture("TPPheader");
    const auto footer = zibor::test::ReportPicture("TPPfooter");
    TMetafile page;
    page.SetMMWidth(kPageW);
    page.SetMMHeight(kPageH);
    uint32_t records = 0;
    {
        TMetafileCanvas c(page);
        c.SetMapMode(MM_ANISOTROPIC);
        c.SetWindowExtEx(kPageW, kPageH);
        c.SetViewportExtEx(kPixW, kPixH);
        c.SetViewportOrgEx(0, 0);
        c.Font().SetPixelsPerInch(MulDiv(96, kPageH, kPixH));
        zibor::test::DrawSampleReport(c, *header, *footer, kPageW, kPageH);
        // Calibri up to 28 points beside the report's sizes, and Arial.
        c.Font().SetName("Calibri");
        c.Font().SetSize(28);
        c.TextOut(13000, 5800, "ZIBOR");
        c.Font().SetName("Arial");
        c.Font().SetSize(9);
        for (int line = 0; line < 3; ++line)
            c.TextOut(10500, 26500 + line * 400, "Uitgever, adres en website");
        c.Close();
        records = c.RecordCount();
    }

    // The peer's calls are taken from the page once, outside the timing.
    const std::vector<qtpeer::TCall> calls = qtpeer::TakeApart(page, kPixW, kPixH);
    constexpr int kWarm = 3;
    TOurs ours;
    qint64 qtBytes = 0;
    std::vector<double> tOurs, tQt;
    for (int i = 0; i < kWarm + rounds; ++i) {
        auto runOurs = [&] {
            const auto t0 = clock_type::now();
            ours = ConvertOnce(page);
            if (i >= kWarm)
                tOurs.push_back(Ms(clock_type::now() - t0));
        };
        auto runQt = [&] {
            const auto t0 = clock_type::now();
            qtBytes = qtpeer::DrawIntoPdf(calls).size();
            if (i >= kWarm)
                tQt.push_back(Ms(clock_type::now() - t0));
        };
        benchfig::InTurn(i, runOurs, runQt);
    }

    const double ourMs = Median(tOurs), qtMs = Median(tQt);
    std::printf("report-shaped page: %u records, %zu bytes recorded, 2 pictures (%dx%d, %dx%d); %d rounds after %d "
                "warm ones, medians; load %s\n",
                records, page.Bytes().size(), header->Width(), header->Height(), footer->Width(), footer->Height(),
                rounds, kWarm, Load().c_str());
    std::printf("%-44s %8.2f ms %9zu bytes\n", "ours (TPdfDocument, in memory)", ourMs, ours.bytes);
    std::printf("%-44s %8.2f ms %9lld bytes\n", "Qt (QPainter into QPdfWriter, in memory)", qtMs,
                static_cast<long long>(qtBytes));
    std::printf("ours / Qt: time %.2f, size %.2f\n", ourMs / qtMs, double(ours.bytes) / double(qtBytes));
    std::printf("our bytes: %zu in images, %zu in the rest\n", ours.imageBytes, ours.bytes - ours.imageBytes);
    return 0;
}
