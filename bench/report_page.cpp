// Generates the test report page through the print preview many times over
// and prints how long each step takes: generating the page, saving the
// report file (into memory) and exporting the page as a PDF file with the
// preview's export; for comparison it also plays the same recorded page onto
// a QPdfWriter.
// Run by hand: bench_report_page [rounds]
#include "administration/ReportPage.h"
#include "bench/QtPdfPlay.h"
#include "tests/administration/RecordedPage.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

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
    clock::duration tGenerate{}, tSave{}, tExport{}, tQt{};
    size_t pageBytes = 0;
    int64_t reportBytes = 0;
    int64_t exportBytes = 0;
    qint64 qtBytes = 0;
    // One preview, generated anew each round, as the report window does.
    zibor::preview::TPrintPreview preview(nullptr);
    QTemporaryDir dir;
    const std::string pdfFile = dir.filePath("report.pdf").toStdString();
    for (int i = 0; i < rounds; ++i) {
        auto t0 = clock::now();
        report::TReportSource source = reporttest::SampleChild();
        report::GeneratePage(preview, [&](report::TReportTarget &target) {
            report::DrawReportPage(target, report::kAfterAdministration, source, tabs);
        });
        const plat::TMetafile &mf = *preview.Pages(1);
        auto t1 = clock::now();
        pageBytes = mf.Bytes().size();
        {
            plat::TMemoryStream report;
            preview.SaveToStream(report);
            reportBytes = report.Size();
        }
        auto tSaved = clock::now();

        {
            preview.SaveAsPDF(pdfFile);
            exportBytes = QFileInfo(QString::fromStdString(pdfFile)).size();
        }
        auto t2 = clock::now();
        qtBytes = PlayOntoQPdfWriter(mf, reporttest::TRecordedPage::kPixelsW, reporttest::TRecordedPage::kPixelsH);
        auto t3 = clock::now();
        tGenerate += t1 - t0;
        tSave += tSaved - t1;
        tExport += t2 - tSaved;
        tQt += t3 - t2;
    }
    std::printf("report page: %zu bytes recorded, %d rounds\n", pageBytes, rounds);
    std::printf("%-28s %8.2f ms/page\n", "generate the page", Ms(tGenerate) / rounds);
    std::printf("%-28s %8.2f ms/page (%lld bytes)\n", "save the report file", Ms(tSave) / rounds,
                static_cast<long long>(reportBytes));
    std::printf("%-28s %8.2f ms/page (%lld bytes)\n", "export the PDF", Ms(tExport) / rounds,
                static_cast<long long>(exportBytes));
    std::printf("%-28s %8.2f ms/page (%lld bytes)\n", "play onto a QPdfWriter", Ms(tQt) / rounds,
                static_cast<long long>(qtBytes));
    return 0;
}
