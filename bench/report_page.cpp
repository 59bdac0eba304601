// The report page as the report window makes it, step by step: generating
// the page through the print preview, saving the report file (into memory),
// playing the page onto a screen-sized picture, and exporting the PDF file
// with the preview's export. Generation plus export is compared with Qt
// drawing the same page straight into QPdfWriter (bench/QtPdfPeer.h: the
// same texts in the same installed fonts, lines, frames and lossless
// pictures, as plain QPainter calls). Both sides write their PDF to a file
// through the same atomic write, in one process, in turn, after warm rounds;
// the figures are medians. Later reports of a run reuse the compressed
// pictures of the first; the first report's export is timed apart.
// Run by hand: bench_report_page [rounds] [folder for both PDF files]
#include "administration/ReportPage.h"
#include "bench/Figures.h"
#include "bench/QtPdfPeer.h"
#include "platform/System.h"
#include "rendering/pdf/PdfZip.h"
#include "platform/Files.h"
#include "tests/administration/RecordedPage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

using benchfig::Load;
using benchfig::Median;
using benchfig::Ms;

long long FileSize(const std::string &file) { return QFileInfo(QString::fromStdString(file)).size(); }

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // As the program runs.
    plat::KeepFreedMemoryForReuse();
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    constexpr int kWarm = 3;
    const report::TTabUnits tabs = report::MeasureTabUnits(report::ReportWindowFont());

    // One preview, generated anew each round, as the report window does.
    zibor::preview::TPrintPreview preview(nullptr);
    auto generate = [&] {
        report::TReportSource source = reporttest::SampleChild();
        report::GeneratePage(preview, [&](report::TReportTarget &target) {
            report::DrawReportPage(target, report::kAfterAdministration, source, tabs);
        });
    };
    QTemporaryDir temp;
    const QDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path());
    const std::string ours = dir.filePath("report.pdf").toStdString();
    const std::string peer = dir.filePath("peer.pdf").toStdString();

    // The peer's calls are taken from the page once; only drawing them and
    // writing the PDF is timed.
    generate();
    const size_t pageBytes = preview.Pages(1)->Bytes().size();
    const std::vector<qtpeer::TCall> calls =
        qtpeer::TakeApart(*preview.Pages(1), reporttest::TRecordedPage::kPixelsW, reporttest::TRecordedPage::kPixelsH);

    std::vector<double> tGenerate, tSave, tPlay, tExport, tOurs, tPeer;
    int64_t reportBytes = 0;
    QImage screen(reporttest::TRecordedPage::kPixelsW, reporttest::TRecordedPage::kPixelsH, QImage::Format_RGB32);
    for (int i = 0; i < kWarm + rounds; ++i) {
        auto runOurs = [&] {
            const auto t0 = clock_type::now();
            generate();
            const auto t1 = clock_type::now();
            preview.SaveAsPDF(ours);
            const auto t2 = clock_type::now();
            {
                plat::TMemoryStream report;
                preview.SaveToStream(report);
                reportBytes = report.Size();
            }
            const auto t3 = clock_type::now();
            screen.fill(Qt::white);
            {
                plat::TCanvas canvas(&screen);
                plat::PlayMetafile(canvas, *preview.Pages(1), {0, 0, screen.width(), screen.height()});
            }
            const auto t4 = clock_type::now();
            if (i >= kWarm) {
                tGenerate.push_back(Ms(t1 - t0));
                tExport.push_back(Ms(t2 - t1));
                tOurs.push_back(Ms(t2 - t0));
                tSave.push_back(Ms(t3 - t2));
                tPlay.push_back(Ms(t4 - t3));
            }
        };
        auto runPeer = [&] {
            const auto t0 = clock_type::now();
            const QByteArray pdf = qtpeer::DrawIntoPdf(calls);
            if (!plat::AtomicWriteFile(peer, pdf.toStdString()))
                std::fprintf(stderr, "cannot write %s\n", peer.c_str());
            const auto t1 = clock_type::now();
            if (i >= kWarm)
                tPeer.push_back(Ms(t1 - t0));
        };
        benchfig::InTurn(i, runOurs, runPeer);
    }
    // The first report of a run deflates its pictures; the later ones reuse
    // that. The first one's figure, from rounds that forget what was kept.
    std::vector<double> tFirstExport;
    for (int i = 0; i < rounds; ++i) {
        ForgetReusedCompression();
        const auto t0 = clock_type::now();
        preview.SaveAsPDF(ours);
        tFirstExport.push_back(Ms(clock_type::now() - t0));
    }
    const double ourMs = Median(tOurs), peerMs = Median(tPeer);
    const double firstMs = Median(tGenerate) + Median(tFirstExport);
    const long long ourSize = FileSize(ours), peerSize = FileSize(peer);
    std::printf("report page: %zu bytes recorded; %d rounds after %d warm ones, medians; load %s\n", pageBytes, rounds,
                kWarm, Load().c_str());
    std::printf("%-40s %8.2f ms\n", "generate the page", Median(tGenerate));
    std::printf("%-40s %8.2f ms (%lld bytes)\n", "export the PDF file", Median(tExport), ourSize);
    std::printf("%-40s %8.2f ms (%lld bytes)\n", "save the report file (memory)", Median(tSave),
                static_cast<long long>(reportBytes));
    std::printf("%-40s %8.2f ms\n", "play the page (794 x 1123 pixels)", Median(tPlay));
    std::printf("%-40s %8.2f ms (%lld bytes)\n", "ours: generate + export to a file", ourMs, ourSize);
    std::printf("%-40s %8.2f ms (%lld bytes)\n", "Qt: QPainter into QPdfWriter, to a file", peerMs, peerSize);
    std::printf("ours / Qt: time %.2f (Qt takes %.2f x as long), size %.2f\n", ourMs / peerMs, peerMs / ourMs,
                double(ourSize) / double(peerSize));
    std::printf("%-40s %8.2f ms; with generation %.2f ms, Qt takes %.2f x as long\n",
                "first report of a run: export", Median(tFirstExport), firstMs, peerMs / firstMs);
    return 0;
}
