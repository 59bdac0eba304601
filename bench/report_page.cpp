// Generates the test report page many times over and prints how long each
// step takes; for comparison it also plays the same recorded page onto a
// QPdfWriter. Run by hand: bench_report_page [rounds]
#include "administration/ReportPage.h"
#include "tests/administration/RecordedPage.h"

#include "platform/Dates.h"
#include "platform/MetafilePlayer.h"
#include "bench/QtPdfPlay.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

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
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const report::TTabUnits tabs = report::MeasureTabUnits(report::ReportWindowFont());

    using clock = std::chrono::steady_clock;
    clock::duration tGenerate{}, tPdf{};
    size_t pageBytes = 0;
    qint64 pdfBytes = 0;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = clock::now();
        reporttest::TRecordedPage page;
        report::TReportSource source = reporttest::SampleChild();
        report::DrawReportPage(page, report::kAfterAdministration, source, tabs);
        const plat::TMetafile &mf = page.Close();
        auto t1 = clock::now();
        pageBytes = mf.Bytes().size();

        pdfBytes = PlayOntoQPdfWriter(mf, reporttest::TRecordedPage::kPixelsW, reporttest::TRecordedPage::kPixelsH);
        auto t2 = clock::now();
        tGenerate += t1 - t0;
        tPdf += t2 - t1;
    }
    std::printf("report page: %zu bytes recorded, %d rounds\n", pageBytes, rounds);
    std::printf("%-28s %8.2f ms/page\n", "generate (record the page)", Ms(tGenerate) / rounds);
    std::printf("%-28s %8.2f ms/page (%lld bytes)\n", "play onto a QPdfWriter", Ms(tPdf) / rounds,
                static_cast<long long>(pdfBytes));
    return 0;
}
