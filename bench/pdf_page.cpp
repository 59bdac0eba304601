// Converts the report-shaped page (with the report's own pictures) to PDF in
// memory many times, a new document each time, and plays the same page onto
// Qt's QPdfWriter for comparison, as is and with lossless image rendering.
// Prints pages per second, the file sizes, and where our bytes go.
// Run by hand: bench_pdf_page [rounds]
#include "bench/QtPdfPlay.h"
#include "tests/support/SampleReport.h"
#include "platform/Metafile.h"
#include "platform/MetafileCanvas.h"
#include "platform/MetafilePlayer.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/PdfImage.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace plat;

namespace {

constexpr int kPageW = 21000, kPageH = 29700;  // 0.01 mm
constexpr int kPixW = 794, kPixH = 1123;        // at 96 pixels per inch

using clock_type = std::chrono::steady_clock;

double Seconds(clock_type::duration d) { return std::chrono::duration<double>(d).count(); }

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

qint64 QtOnce(const TMetafile &page, bool lossless)
{
    return PlayOntoQPdfWriter(page, kPixW, kPixH, lossless);
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
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

    TOurs ours;
    qint64 qtBytes = 0, qtLosslessBytes = 0;
    ConvertOnce(page);  // fonts and faces loaded once, outside the timing
    QtOnce(page, false);
    auto t0 = clock_type::now();
    for (int i = 0; i < rounds; ++i)
        ours = ConvertOnce(page);
    auto t1 = clock_type::now();
    for (int i = 0; i < rounds; ++i)
        qtBytes = QtOnce(page, false);
    auto t2 = clock_type::now();
    for (int i = 0; i < rounds; ++i)
        qtLosslessBytes = QtOnce(page, true);
    auto t3 = clock_type::now();

    const double ourRate = rounds / Seconds(t1 - t0), qtRate = rounds / Seconds(t2 - t1),
                 qtLosslessRate = rounds / Seconds(t3 - t2);
    std::printf("report-shaped page: %u records, %zu bytes recorded, 2 pictures (%dx%d, %dx%d); %d rounds\n", records,
                page.Bytes().size(), header->Width(), header->Height(), footer->Width(), footer->Height(), rounds);
    std::printf("%-34s %9.1f pages/s %9zu bytes\n", "ours (TPdfDocument)", ourRate, ours.bytes);
    std::printf("%-34s %9.1f pages/s %9lld bytes\n", "QPdfWriter", qtRate, static_cast<long long>(qtBytes));
    std::printf("%-34s %9.1f pages/s %9lld bytes\n", "QPdfWriter, lossless images", qtLosslessRate,
                static_cast<long long>(qtLosslessBytes));
    std::printf("ours / QPdfWriter: rate %.2f, size %.2f; against lossless: rate %.2f, size %.2f\n", ourRate / qtRate,
                double(ours.bytes) / double(qtBytes), ourRate / qtLosslessRate,
                double(ours.bytes) / double(qtLosslessBytes));
    std::printf("our bytes: %zu in images, %zu in the rest\n", ours.imageBytes, ours.bytes - ours.imageBytes);
    return 0;
}
