// The preview's PDF export: the one-page file byte for byte, the paper
// sizes, the targets it writes or refuses, its state, and a report-shaped
// page as a user would see it.
#include "PreviewKit.h"
#include "tests/rendering/pdf/PdfPageSupport.h"

#include "platform/core/Clock.h"
#include "platform/core/Files.h"
#include "platform/metafile/MetafilePlayer.h"
#include "rendering/pdf/PdfWrite.h"
#include "tests/support/SampleReport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace zibor::test;
using namespace zibor::preview;
using namespace plat;
using pdftest::HaveTool;
using pdftest::QpdfChecks;
using pdftest::RunTool;

namespace {

// 5 March 2024 14:07:09.
constexpr TDateTime kSaveTime = 45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0;

class TClockScope {
public:
    TClockScope() : clock_(kSaveTime) { SetClock(&clock_); }
    ~TClockScope() { SetClock(nullptr); }

private:
    FakeClock clock_;
};


std::string MediaBox(const std::string &pdf)
{
    std::smatch m;
    static const std::regex box(R"(/MediaBox \[([^\]]*)\])");
    return std::regex_search(pdf, m, box) ? m[1].str() : std::string("<none>");
}

class PdfExport : public ::testing::Test {
public:
    std::string Path(const std::string &name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QTemporaryDir dir_;
};

TEST_F(PdfExport, AnEmptyPageMatchesTheGoldenFile)
{
    TClockScope clock;
    auto pp = MakePreview();
    pp->BeginDoc();
    pp->EndDoc();
    ASSERT_EQ(pp->TotalPages(), 1);
    const std::string file = Path("empty.pdf");
    pp->SaveAsPDF(file);
    const std::string got = pdftest::ReadFile(file);
    const std::string golden = pdftest::ReadFile(ZIBOR_SOURCE_DIR "/tests/rendering/preview/golden/export-empty-page.pdf");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(got, golden);
    // What the golden file holds, as read once by hand.
    EXPECT_NE(got.find("/Producer (ZIB-afnameprogramma 1.0.2.1)\n/Author (ZIB-gebruiker)\n"
                       "/CreationDate (D:20240305000000)\n/Creator (ZIB-afnameprogramma 1.0.2.1)\n"
                       "/Subject (ZIB-testrapport)\n/Title (ZIB-testrapport)\n/ModDate (D:20240305140709)\n"),
              std::string::npos);
    EXPECT_NE(got.find("stream\nq\nQ\n\nendstream"), std::string::npos);
    EXPECT_EQ(got.find("/Filter"), std::string::npos);
    EXPECT_NE(got.find("xref\n0 6\n"), std::string::npos);
    if (HaveTool("qpdf")) {
        std::string out;
        EXPECT_TRUE(QpdfChecks(file, &out)) << out;
    }
}

TEST_F(PdfExport, ThePageHasThePapersSizeInPoints)
{
    struct Case {
        TPaperType type;
        int width, height;  // portrait, points
    } cases[] = {
        {pA4, 595, 842}, {pA5, 420, 595}, {pA3, 842, 1191}, {pLetter, 612, 792}, {pLegal, 612, 1008},
    };
    for (TUnits units : {mmHiMetric, mmLoEnglish}) {
        for (bool landscape : {false, true}) {
            std::vector<std::pair<std::string, std::string>> rows;
            for (const Case &c : cases)
                rows.push_back({"", landscape ? "0 0 " + std::to_string(c.height) + " " + std::to_string(c.width) + " "
                                              : "0 0 " + std::to_string(c.width) + " " + std::to_string(c.height) + " "});
            // 15000 x 20000 in the unit: 150 x 200 mm, or 150 x 200 inches.
            const int customW = units == mmHiMetric ? 425 : 10800, customH = units == mmHiMetric ? 567 : 14400;
            for (size_t i = 0; i <= std::size(cases); ++i) {
                const TPaperType type = i < std::size(cases) ? cases[i].type : pCustom;
                const std::string expected =
                    i < std::size(cases) ? rows[i].second
                                         : (landscape ? "0 0 " + std::to_string(customH) + " " + std::to_string(customW) + " "
                                                      : "0 0 " + std::to_string(customW) + " " + std::to_string(customH) + " ");
                auto pp = MakePreview();
                pp->SetUnits(units);
                SetPaper(*pp, type, landscape);
                const std::string file = Path("paper.pdf");
                pp->SaveAsPDF(file);
                EXPECT_EQ(MediaBox(pdftest::ReadFile(file)), expected)
                    << "paper " << int(type) << (landscape ? " landscape" : " portrait") << " units " << int(units);
            }
        }
    }
}

TEST_F(PdfExport, OfThreePagesOnlyTheFirstIsWritten)
{
    auto pp = MakePreview();
    Record(*pp, 3);
    ASSERT_EQ(pp->TotalPages(), 3);
    const std::string file = Path("three.pdf");
    pp->SaveAsPDF(file);
    const std::string pdf = pdftest::ReadFile(file);
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
    EXPECT_EQ(pdf.find("4 0 R 6 0 R"), std::string::npos);
    if (!HaveTool("pdftotext"))
        GTEST_SKIP() << "pdftotext is not installed";
    const std::string text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
    EXPECT_NE(text.find("Pagina 1"), std::string::npos) << text;
    EXPECT_EQ(text.find("Pagina 2"), std::string::npos) << text;
    EXPECT_EQ(text.find("Pagina 3"), std::string::npos) << text;
}

TEST_F(PdfExport, WithoutPagesTheFileHoldsOneEmptyPageOfThePaper)
{
    auto pp = MakePreview();
    pp->SetPaperType(pLetter);
    ASSERT_EQ(pp->TotalPages(), 0);
    const std::string file = Path("none.pdf");
    pp->SaveAsPDF(file);
    const std::string pdf = pdftest::ReadFile(file);
    EXPECT_EQ(MediaBox(pdf), "0 0 612 792 ");
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
    EXPECT_NE(pdf.find("stream\n\nendstream"), std::string::npos);
}

TEST_F(PdfExport, TargetsThatCanAndCannotBeWritten)
{
    const std::string message = "Unable to write to file %s. Is the file opened by another application?";
    auto expectedMessage = [&](const std::string &file) {
        std::string m = message;
        return m.replace(m.find("%s"), 2, file);
    };
    struct Case {
        const char *name;
        std::function<std::string(PdfExport &)> prepare;  // the target
        bool written;
        const char *raises;  // "message", "busy" or nullptr
    };
    const Case cases[] = {
        {"a new file is created", [](PdfExport &t) { return t.Path("new.pdf"); }, true, nullptr},
        {"an existing file is replaced",
         [](PdfExport &t) {
             std::ofstream(t.Path("old.pdf")) << "old content";
             return t.Path("old.pdf");
         },
         true, nullptr},
        {"a folder of that name",
         [](PdfExport &t) {
             QDir().mkpath(QString::fromStdString(t.Path("folder.pdf")));
             return t.Path("folder.pdf");
         },
         false, "message"},
        {"a missing folder", [](PdfExport &t) { return t.Path("missing/report.pdf"); }, false, "message"},
        {"a busy preview", [](PdfExport &t) { return t.Path("busy.pdf"); }, false, "busy"},
    };
    for (const Case &c : cases) {
        auto pp = MakePreview();
        Record(*pp, 1);
        const std::string file = c.prepare(*this);
        const std::string before = pdftest::ReadFile(file);
        const bool busy = c.raises && std::string(c.raises) == "busy";
        if (busy) {
            pp->BeginDoc();
            DrawNumberedPage(pp->Canvas(), 7);
        }
        try {
            pp->SaveAsPDF(file);
            EXPECT_EQ(c.raises, nullptr) << c.name << ": nothing was raised";
        } catch (const EPdfInvalidOperation &e) {
            EXPECT_TRUE(busy) << c.name;
            EXPECT_STREQ(e.what(), "SaveAsPDF") << c.name;
        } catch (const plat::Exception &e) {
            EXPECT_FALSE(busy) << c.name;
            EXPECT_EQ(e.Message, expectedMessage(file)) << c.name;
        }
        const std::string after = pdftest::ReadFile(file);
        if (c.written)
            EXPECT_EQ(after.substr(0, 9), "%PDF-1.3\n") << c.name;
        else
            EXPECT_EQ(after, before) << c.name;
        // Nothing left beside the target either.
        for (const QString &entry : QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden))
            EXPECT_FALSE(entry.contains(".tmp") || entry.startsWith(".")) << c.name << ": " << entry.toStdString();
        if (busy) {
            EXPECT_EQ(pp->State(), psCreating) << c.name;
            pp->EndDoc();
            EXPECT_EQ(pp->TotalPages(), 1) << c.name << ": the recording went on";
        }
        EXPECT_EQ(pp->State(), psReady) << c.name;
        // The preview still records and exports.
        Record(*pp, 2);
        const std::string again = Path("again.pdf");
        pp->SaveAsPDF(again);
        EXPECT_EQ(pdftest::ReadFile(again).substr(0, 9), "%PDF-1.3\n") << c.name;
        QFile::remove(QString::fromStdString(again));
    }
}

TEST_F(PdfExport, FileIsWritableOpensAndCreates)
{
    auto pp = MakePreview();
    EXPECT_TRUE(pp->CanSaveAsPDF());
    const std::string missing = Path("made.pdf");
    EXPECT_TRUE(pp->FileIsWritable(missing));
    EXPECT_TRUE(FileExists(missing));
    QDir().mkpath(QString::fromStdString(Path("dir.pdf")));
    EXPECT_FALSE(pp->FileIsWritable(Path("dir.pdf")));
    EXPECT_FALSE(pp->FileIsWritable(Path("no/such/folder.pdf")));
    const std::string readOnly = Path("readonly.pdf");
    std::ofstream(readOnly) << "x";
    ::chmod(readOnly.c_str(), 0444);
    if (::geteuid() != 0) {  // the system lets its administrator write anything
        EXPECT_FALSE(pp->FileIsWritable(readOnly));
    }
    ::chmod(readOnly.c_str(), 0644);
}

TEST_F(PdfExport, TheStateReadsZeroFourZero)
{
    auto pp = MakePreview();
    Record(*pp, 1);
    std::vector<int> states{pp->State()};
    pp->OnStateChange = [&](TObject *) { states.push_back(pp->State()); };
    pp->SaveAsPDF(Path("state.pdf"));
    EXPECT_EQ(states, (std::vector<int>{0, 4, 0}));
    // Also when it fails.
    states = {pp->State()};
    EXPECT_THROW(pp->SaveAsPDF(Path("missing/state.pdf")), plat::Exception);
    EXPECT_EQ(states, (std::vector<int>{0, 4, 0}));
}

TEST_F(PdfExport, APageThatFailsToDrawIsSavedAsFarAsDrawnAndTheErrorReachesTheCaller)
{
    auto pp = MakePreview();
    Record(*pp, 1, [](TCanvas &c, int) {
        c.Rectangle(1000, 1000, 5000, 5000);
        c.Font().SetSize(400);  // beyond the largest PDF font size
        c.TextOut(1000, 8000, "Te groot");
    });
    const std::string file = Path("failed.pdf");
    EXPECT_THROW(pp->SaveAsPDF(file), EPdfInvalidValue);
    EXPECT_EQ(pp->State(), psReady);
    const std::string pdf = pdftest::ReadFile(file);
    ASSERT_EQ(pdf.substr(0, 9), "%PDF-1.3\n");
    if (HaveTool("qpdf")) {
        std::string out;
        EXPECT_TRUE(QpdfChecks(file, &out)) << out;
    }
}

// ---- as a user sees it ------------------------------------------------------------

class TShownPreview : public TPrintPreview {
public:
    using TPrintPreview::TPrintPreview;
    using TPrintPreview::DrawPage;
};

TEST_F(PdfExport, AReportShapedPageLooksInThePdfAsInThePreview)
{
    if (!HaveTool("pdftoppm") || !HaveTool("pdftotext") || !HaveTool("qpdf"))
        GTEST_SKIP() << "poppler-utils or qpdf is not installed (scripts/setup installs them)";
    const auto header = ReportPicture("TPPheader");
    const auto footer = ReportPicture("TPPfooter");
    TShownPreview pp(nullptr);
    pp.SetBounds(0, 0, 600, 500);
    pp.BeginDoc();
    DrawSampleReport(pp.Canvas(), *header, *footer);
    pp.EndDoc();
    const std::string file = Path("report.pdf");
    pp.SaveAsPDF(file);

    std::string out;
    EXPECT_TRUE(QpdfChecks(file, &out)) << out;
    const std::string text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
    for (const char *expected : {"Testrapport", "Personalia", "Code / Naam", "waarde 6", "Subtest T-score [95% BI]",
                                 "[45 - 59]", "regel 4"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " not in\n" << text;

    RunTool("pdftoppm", {"-r", "96", "-png", "-singlefile", QString::fromStdString(file), QString::fromStdString(Path("report"))});
    const QImage pdf = QImage(QString::fromStdString(Path("report.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(pdf.size(), QSize(794, 1123));
    QImage shown(pdf.size(), QImage::Format_RGB32);
    shown.fill(Qt::white);
    {
        TCanvas canvas(&shown);
        pp.DrawPage(1, canvas, Rect(0, 0, 794, 1123));
    }
    const QString keep = QDir::current().absoluteFilePath("preview-look");
    QDir().mkpath(keep);
    pdf.save(keep + "/exported-report-pdf.png");
    shown.save(keep + "/exported-report-preview.png");

    const pdftest::TLookDifference d = pdftest::CompareLooks(*pp.Pages(1), pdf, shown);
    EXPECT_EQ(d.Pictures, 2);
    EXPECT_EQ(d.PictureBlock, "") << "a picture block differs in colour";
    EXPECT_EQ(d.PdfOnly, 0) << "dark in the PDF only, first at " << pdftest::Where(d.FirstPdfOnly);
    EXPECT_EQ(d.ScreenOnly, 0) << "dark in the preview only, first at " << pdftest::Where(d.FirstScreenOnly);
}

} // namespace

// The pictures of a recorded page are deflated on the compression helper
// while the page is looked at; the export reuses them, and the file is the
// one the export makes by deflating them itself. The helper works on its own
// copy, so a preview freed while it runs is no matter.
TEST_F(PdfExport, APagesPicturesAreCompressedAheadAndTheFileStaysTheSame)
{
    const TClockScope clock;
    const auto header = ReportPicture("TPPheader");
    const auto footer = ReportPicture("TPPfooter");
    auto record = [&] {
        auto pp = std::make_unique<TPrintPreview>(nullptr);
        pp->BeginDoc();
        DrawSampleReport(pp->Canvas(), *header, *footer);
        pp->EndDoc();
        return pp;
    };
    auto exported = [&](TPrintPreview &pp) {
        const std::string file = Path("report.pdf");
        pp.SaveAsPDF(file);
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto helperFails = [] { SetBeforeCompressionAhead([] { throw std::bad_alloc(); }); };

    // Deflated in the export: the helper fails.
    ForgetReusedCompression();
    helperFails();
    const std::string plain = exported(*record());
    SetBeforeCompressionAhead(nullptr);

    enum { kLookedAt, kFreedWhileHeld } const cases[] = {kLookedAt, kFreedWhileHeld};
    for (const auto c : cases) {
        SCOPED_TRACE(c == kLookedAt ? "looked at" : "freed while held");
        ForgetReusedCompression();
        std::unique_ptr<TPrintPreview> pp;
        if (c == kLookedAt) {
            pp = record();
            WaitForCompressionAhead();
        } else {
            {
                const pdftest::THelperGate gate;
                record().reset();
            }  // opened: the job runs on the freed preview's pictures
            helperFails();
            pp = record();
            WaitForCompressionAhead();
            SetBeforeCompressionAhead(nullptr);
        }
        const uint64_t before = ReusedCompressions();
        EXPECT_EQ(exported(*pp), plain);
        EXPECT_EQ(ReusedCompressions(), before + 2) << "both pictures deflated ahead";
    }
}
