// The report page as the report window makes it, step by step: generating
// the page through the print preview, saving the report file (into memory),
// playing the page onto a screen-sized picture, and exporting the PDF file
// with the preview's export. Generation plus export is compared with Qt
// drawing the same page straight into QPdfWriter (bench/QtPdfPeer.h: the
// same texts in the same installed fonts, lines, frames and lossless
// pictures, as plain QPainter calls), in one process, in turn.
//
// The headline is the first report of a run, the one a test leader waits for:
// each sample is a fresh child process of this program that makes one report
// (ours: the page generated, shown until its pictures are compressed ahead,
// then exported; also exported straight after generation) or the peer's one
// PDF. Then warm rounds in this process, medians, twice: both sides' files
// in memory (a tmpfs folder) and on the disk; the disk's fsync, which moves
// with the disk and not with the work, is timed on its own.
// Run by hand: bench_report_page [rounds] [first-report samples] [disk folder]
#include "administration/ReportPage.h"
#include "bench/Figures.h"
#include "bench/QtPdfPeer.h"
#include "platform/core/System.h"
#include "rendering/pdf/PdfZip.h"
#include "platform/core/Files.h"
#include "tests/administration/RecordedPage.h"

#include <QApplication>
#include <QProcess>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

using benchfig::Load;
using benchfig::Median;
using benchfig::Ms;

long long FileSize(const std::string &file) { return QFileInfo(QString::fromStdString(file)).size(); }

// One preview, generated anew each time, as the report window does.
struct TReport {
    report::TTabUnits tabs = report::MeasureTabUnits(report::ReportWindowFont());
    zibor::preview::TPrintPreview preview{nullptr};
    void Generate()
    {
        report::TReportSource source = reporttest::SampleChild();
        report::GeneratePage(preview, [&](report::TReportTarget &target) {
            report::DrawReportPage(target, report::kAfterAdministration, source, tabs);
        });
    }
    std::vector<qtpeer::TCall> Calls()
    {
        return qtpeer::TakeApart(*preview.Pages(1), reporttest::TRecordedPage::kPixelsW,
                                 reporttest::TRecordedPage::kPixelsH);
    }
};

// What an fsync of a file of this size costs on the folder's disk: writing
// it with and without one, the difference.
double FsyncMs(const std::string &folder, size_t bytes, int rounds)
{
    const std::string data(bytes, 'x'), file = folder + "/fsync.bin";
    std::vector<double> with, without;
    for (int i = 0; i < rounds; ++i) {
        for (const bool sync : {false, true}) {
            const auto t0 = clock_type::now();
            const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (fd < 0 || ::write(fd, data.data(), data.size()) != ssize_t(data.size()) || (sync && ::fsync(fd) != 0))
                std::fprintf(stderr, "cannot write %s\n", file.c_str());
            if (fd >= 0)
                ::close(fd);
            (sync ? with : without).push_back(Ms(clock_type::now() - t0));
        }
    }
    ::unlink(file.c_str());
    return Median(with) - Median(without);
}

// The child: one report in a fresh process, its times on one line.
int FirstReport(const std::string &side, const std::string &folder)
{
    TReport r;
    const std::string file = folder + "/first-" + side + ".pdf";
    if (side == "peer") {
        r.Generate();
        const std::vector<qtpeer::TCall> calls = r.Calls();
        const auto t0 = clock_type::now();
        const QByteArray pdf = qtpeer::DrawIntoPdf(calls);
        if (!plat::AtomicWriteFile(file, pdf.toStdString()))
            return 1;
        std::printf("%.3f\n", Ms(clock_type::now() - t0));
        return 0;
    }
    const auto t0 = clock_type::now();
    r.Generate();
    const auto t1 = clock_type::now();
    // Shown: the test leader reads the page before asking for the file.
    if (side == "ours")
        WaitForCompressionAhead();
    const auto t2 = clock_type::now();
    r.preview.SaveAsPDF(file);
    const auto t3 = clock_type::now();
    std::printf("%.3f %.3f %.3f\n", Ms(t1 - t0), Ms(t3 - t2), Ms(t2 - t1));
    return 0;
}

struct TWarm {
    std::vector<double> generate, save, play, exportPdf, ours, peer;
    int64_t reportBytes = 0;
    long long ourSize = 0, peerSize = 0;
};

// Warm rounds in this process, both sides writing into folder in turn.
TWarm WarmRounds(TReport &r, const std::vector<qtpeer::TCall> &calls, const std::string &folder, int rounds, int warm)
{
    TWarm w;
    const std::string ours = folder + "/report.pdf", peer = folder + "/peer.pdf";
    QImage screen(reporttest::TRecordedPage::kPixelsW, reporttest::TRecordedPage::kPixelsH, QImage::Format_RGB32);
    for (int i = 0; i < warm + rounds; ++i) {
        auto runOurs = [&] {
            const auto t0 = clock_type::now();
            r.Generate();
            const auto t1 = clock_type::now();
            r.preview.SaveAsPDF(ours);
            const auto t2 = clock_type::now();
            {
                plat::TMemoryStream report;
                r.preview.SaveToStream(report);
                w.reportBytes = report.Size();
            }
            const auto t3 = clock_type::now();
            screen.fill(Qt::white);
            {
                plat::TCanvas canvas(&screen);
                plat::PlayMetafile(canvas, *r.preview.Pages(1), {0, 0, screen.width(), screen.height()});
            }
            const auto t4 = clock_type::now();
            if (i >= warm) {
                w.generate.push_back(Ms(t1 - t0));
                w.exportPdf.push_back(Ms(t2 - t1));
                w.ours.push_back(Ms(t2 - t0));
                w.save.push_back(Ms(t3 - t2));
                w.play.push_back(Ms(t4 - t3));
            }
        };
        auto runPeer = [&] {
            const auto t0 = clock_type::now();
            const QByteArray pdf = qtpeer::DrawIntoPdf(calls);
            if (!plat::AtomicWriteFile(peer, pdf.toStdString()))
                std::fprintf(stderr, "cannot write %s\n", peer.c_str());
            const auto t1 = clock_type::now();
            if (i >= warm)
                w.peer.push_back(Ms(t1 - t0));
        };
        benchfig::InTurn(i, runOurs, runPeer);
    }
    w.ourSize = FileSize(ours);
    w.peerSize = FileSize(peer);
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // As the program runs.
    plat::KeepFreedMemoryForReuse();
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--first") == 0)
        return FirstReport(argv[2], argv[3]);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int samples = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    constexpr int kWarm = 3;
    QTemporaryDir memTemp(QDir::tempPath() == "/tmp" && QFileInfo::exists("/dev/shm") ? "/dev/shm/bench-report"
                                                                                      : QDir::tempPath() + "/bench");
    QTemporaryDir diskTemp(QDir::currentPath() + "/bench-report");
    const std::string memDir = memTemp.path().toStdString();
    const std::string diskDir = argc > 3 ? std::string(argv[3]) : diskTemp.path().toStdString();

    // The first report of a run: fresh child processes, the three kinds in
    // turn, the files in memory.
    std::vector<double> fGenerate, fExportShown, fExportNow, fShown, fPeer;
    for (int i = 0; i < samples; ++i) {
        for (int k = 0; k < 3; ++k) {
            const char *side = (const char *[]){"ours", "ours-now", "peer"}[(i + k) % 3];
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {"--first", side, QString::fromStdString(memDir)});
            if (!child.waitForFinished(120000) || child.exitCode() != 0) {
                std::fprintf(stderr, "the %s child failed\n", side);
                return 1;
            }
            double a = 0, b = 0, c = 0;
            const int n = std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf", &a, &b, &c);
            if (std::strcmp(side, "peer") == 0 && n == 1) {
                fPeer.push_back(a);
            } else if (n == 3) {
                fGenerate.push_back(a);
                (std::strcmp(side, "ours") == 0 ? fExportShown : fExportNow).push_back(b);
                if (std::strcmp(side, "ours") == 0)
                    fShown.push_back(c);
            }
        }
    }

    TReport r;
    r.Generate();
    const size_t pageBytes = r.preview.Pages(1)->Bytes().size();
    const std::vector<qtpeer::TCall> calls = r.Calls();
    const TWarm mem = WarmRounds(r, calls, memDir, rounds, kWarm);
    const TWarm disk = WarmRounds(r, calls, diskDir, rounds, kWarm);
    const double fsyncOurs = FsyncMs(diskDir, size_t(disk.ourSize), rounds);
    const double fsyncPeer = FsyncMs(diskDir, size_t(disk.peerSize), rounds);

    std::printf("report page: %zu bytes recorded; load %s\n", pageBytes, Load().c_str());
    const double firstOurs = Median(fGenerate) + Median(fExportShown), firstPeer = Median(fPeer);
    std::printf("FIRST REPORT OF A RUN (%d fresh processes a kind, medians, files in memory)\n", samples);
    std::printf("  %-52s %8.2f ms\n", "generate the page", Median(fGenerate));
    std::printf("  %-52s %8.2f ms (helper done after %.2f ms shown)\n", "export after the page was shown",
                Median(fExportShown), Median(fShown));
    std::printf("  %-52s %8.2f ms\n", "export straight after generation", Median(fExportNow));
    std::printf("  %-52s %8.2f ms\n", "ours: generate + export (shown)", firstOurs);
    std::printf("  %-52s %8.2f ms\n", "Qt: QPainter into QPdfWriter, first in its process", firstPeer);
    std::printf("  Qt takes %.2f x as long (straight after generation: %.2f x)\n", firstPeer / firstOurs,
                firstPeer / (Median(fGenerate) + Median(fExportNow)));
    for (const auto &[what, w, folder] : {std::tuple{"IN MEMORY (tmpfs)", &mem, memDir}, {"ON THE DISK", &disk, diskDir}}) {
        std::printf("LATER REPORTS, %s: %d rounds after %d warm ones, medians (%s)\n", what, rounds, kWarm,
                    folder.c_str());
        std::printf("  %-52s %8.2f ms\n", "generate the page", Median(w->generate));
        std::printf("  %-52s %8.2f ms (%lld bytes)\n", "export the PDF file", Median(w->exportPdf), w->ourSize);
        std::printf("  %-52s %8.2f ms (%lld bytes)\n", "save the report file (memory)", Median(w->save),
                    static_cast<long long>(w->reportBytes));
        std::printf("  %-52s %8.2f ms\n", "play the page (794 x 1123 pixels)", Median(w->play));
        std::printf("  %-52s %8.2f ms (%lld bytes)\n", "ours: generate + export", Median(w->ours), w->ourSize);
        std::printf("  %-52s %8.2f ms (%lld bytes)\n", "Qt: QPainter into QPdfWriter", Median(w->peer), w->peerSize);
        std::printf("  Qt takes %.2f x as long; size ours / Qt %.2f\n", Median(w->peer) / Median(w->ours),
                    double(w->ourSize) / double(w->peerSize));
    }
    std::printf("FSYNC on the disk, in the figures above: ours %.2f ms, Qt %.2f ms; without it Qt takes %.2f x as "
                "long\n",
                fsyncOurs, fsyncPeer, (Median(disk.peer) - fsyncPeer) / (Median(disk.ours) - fsyncOurs));
    return 0;
}
