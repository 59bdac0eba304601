// Writes the sample report page as the report window stores it, the report
// file (".zrp") and its PDF, on a fixed clock, and prints the SHA-256 of
// both (the PDF exported twice, as the second and later reports of a run
// are): a change that must keep both byte for byte the same is run before
// and after and the lines compared.
// Run by hand: bench_report_files [folder]   (default: the current folder)
#include "administration/ReportPage.h"
#include "platform/core/Clock.h"
#include "platform/core/Dates.h"
#include "tests/administration/RecordedPage.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

QByteArray Sha256(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    // The age is counted to today and the PDF carries today's date.
    plat::FakeClock clock(plat::EncodeDate(2024, 3, 6) + plat::EncodeTime(10, 30, 0, 0));
    plat::SetClock(&clock);
    {
        const report::TTabUnits tabs = report::MeasureTabUnits(report::ReportWindowFont());
        zibor::preview::TPrintPreview preview(nullptr);
        report::TReportSource source = reporttest::SampleChild();
        report::GeneratePage(preview, [&](report::TReportTarget &target) {
            report::DrawReportPage(target, report::kAfterAdministration, source, tabs);
        });
        const QString zrp = dir.filePath("report.zrp"), pdf = dir.filePath("report.pdf");
        const QString again = dir.filePath("report-again.pdf");
        preview.SaveToFile(zrp.toStdString());
        preview.SaveAsPDF(pdf.toStdString());
        // A second export in the same run, as after every later report.
        preview.SaveAsPDF(again.toStdString());
        for (const QString &f : {zrp, pdf, again})
            std::printf("%s  %s (%lld bytes)\n", Sha256(f).constData(), qPrintable(QFileInfo(f).fileName()),
                        static_cast<long long>(QFileInfo(f).size()));
    }
    plat::SetClock(nullptr);
    return 0;
}
