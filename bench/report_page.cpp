// Generates the test report page many times over and prints how long each
// step takes: recording the page and exporting it as a PDF; for comparison
// it also plays the same recorded page onto a QPdfWriter. Saving the report
// file joins when the print preview holds the page.
// Run by hand: bench_report_page [rounds]
#include "administration/ReportPage.h"
#include "bench/QtPdfPlay.h"
#include "rendering/pdf/PdfCanvas.h"
#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/TextRoutines.h"
#include "tests/administration/RecordedPage.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const report::TTabUnits tabs = report::MeasureTabUnits(report::ReportWindowFont());

    using clock = std::chrono::steady_clock;
    clock::duration tGenerate{}, tExport{}, tQt{};
    size_t pageBytes = 0;
    int64_t exportBytes = 0;
    qint64 qtBytes = 0;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = clock::now();
        reporttest::TRecordedPage page;
        report::TReportSource source = reporttest::SampleChild();
        report::DrawReportPage(page, report::kAfterAdministration, source, tabs);
        const plat::TMetafile &mf = page.Close();
        auto t1 = clock::now();
        pageBytes = mf.Bytes().size();

        {
            TPdfDocument doc;
            doc.AddPage();
            doc.Canvas().RenderMetaFile(mf);
            THeapMemoryStream out;
            doc.SaveToStream(out);
            exportBytes = out.Size();
        }
        auto t2 = clock::now();
        qtBytes = PlayOntoQPdfWriter(mf, reporttest::TRecordedPage::kPixelsW, reporttest::TRecordedPage::kPixelsH);
        auto t3 = clock::now();
        tGenerate += t1 - t0;
        tExport += t2 - t1;
        tQt += t3 - t2;
    }
    std::printf("report page: %zu bytes recorded, %d rounds\n", pageBytes, rounds);
    std::printf("%-28s %8.2f ms/page\n", "generate (record the page)", Ms(tGenerate) / rounds);
    std::printf("%-28s %8.2f ms/page (%lld bytes)\n", "export the PDF", Ms(tExport) / rounds,
                static_cast<long long>(exportBytes));
    std::printf("%-28s %8.2f ms/page (%lld bytes)\n", "play onto a QPdfWriter", Ms(tQt) / rounds,
                static_cast<long long>(qtBytes));
    return 0;
}
