// The report page: its layout as recorded on an A4 page in 0.01 mm, the ten
// texts of the scores table, the personalia and the age behind the band.
// Expected scores and intervals come from norms_reference.py; positions are
// worked out by hand from U = 1000, V = 500, T = 7 and x0 = 76.
#include "administration/Administration.h"
#include "administration/ReportPage.h"
#include "tests/support/PdfTools.h"
#include "tests/administration/RecordedPage.h"
#include "tests/support/ScoreGrids.h"
#include "tests/rendering/pdf/PdfPageSupport.h"

#include "platform/core/Clock.h"
#include "platform/core/Dates.h"
#include "platform/core/SysUtils.h"
#include "platform/metafile/MetafilePlayer.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <ostream>
#include <sstream>
#include <vector>
#include <string>

using namespace report;
using namespace reporttest;
using scoretest::Grid;

// Failures show the texts side by side.
namespace report {
void PrintTo(const TReportCells &c, std::ostream *os)
{
    for (const std::string *t : {&c.rawDeletion, &c.rawSubstitution, &c.penaltiesDeletion, &c.penaltiesSubstitution,
                                 &c.scoreDeletion, &c.intervalDeletion, &c.scoreSubstitution,
                                 &c.intervalSubstitution, &c.index, &c.intervalIndex})
        *os << '"' << *t << "\" ";
}
void PrintTo(const TPersonalia &p, std::ostream *os)
{
    for (const std::string *t : {&p.code, &p.sex, &p.birthDate, &p.age, &p.testDate, &p.testLeader, &p.school,
                                 &p.group})
        *os << '"' << *t << "\" ";
}
} // namespace report
using plat::TPoint;
using plat::TRect;

namespace {

// The rectangle has the picture's shape, give or take a page unit on one side.
bool KeepsShape(const TRect &r, int pictureW, int pictureH)
{
    const int64_t w = r.Right - r.Left, h = r.Bottom - r.Top;
    return std::llabs(w * pictureH - h * pictureW) <= std::max(pictureW, pictureH);
}

class ReportPageTest : public ::testing::Test {
protected:
    void SetUp() override { plat::SetClock(&clock_); }
    void TearDown() override { plat::SetClock(nullptr); }

    TReportPage Draw(TRecordedPage &page, const TReportVariant &variant, TReportSource &source)
    {
        return DrawReportPage(page, variant, source, MeasureTabUnits(ReportWindowFont()));
    }

    plat::FakeClock clock_{plat::EncodeDate(2024, 3, 6) + plat::EncodeTime(14, 30, 0, 0)};
};

TEST_F(ReportPageTest, TabUnitsOfTheWindowFont)
{
    const TTabUnits tabs = MeasureTabUnits(ReportWindowFont());
    EXPECT_EQ(tabs.T, 7);
    EXPECT_EQ(tabs.x0, 76);
}

// Where everything lands, for both windows' pages.
TEST_F(ReportPageTest, LayoutOfBothVariants)
{
    const int pagePpi = plat::MulDiv(96, 29700, 1123);
    struct Case {
        const char *name;
        const TReportVariant &variant;
        int titlePoints;
        const char *date;
        const char *firstRowLabel;
        int headerW, headerH;  // picture pixels
        int footerW, footerH;
        TPoint footerAt;         // top-left of the footer picture (y -1: right below the validity lines)
        int publisherX;
    };
    const Case cases[] = {
        {"after an administration", kAfterAdministration, 26, "05-03-2024", "Ruwe vaardigheidscore (seconden)",
         778, 362, 1200, 543, {700, -1}, 21000 - 4500 - 10400},
        {"viewer", kViewer, 28, "06-03-2024", "Ruwe vaardigheidsscore (seconden)",
         600, 265, 1000, 44, {0, 29700 - 800}, 800},
    };
    for (const Case &cs : cases) {
        SCOPED_TRACE(cs.name);
        TRecordedPage page;
        TReportSource source = SampleChild();
        const TReportPage drawn = Draw(page, cs.variant, source);
        const TPageRead read = ReadPage(page.Close());
        EXPECT_EQ(drawn.dateText, cs.date);

        const TPageText *title = read.Find("Testrapport");
        ASSERT_TRUE(title);
        EXPECT_EQ(title->at, (TPoint{1000, 5800}));
        EXPECT_EQ(title->fontHeight, -plat::MulDiv(cs.titlePoints, pagePpi, 72));
        EXPECT_EQ(title->clip, (TRect{1000, 6000, 20500, 28200}));
        const TPageText *version =
            read.Find(std::string("ZIBOR Afnameprogramma Versie 2.2.1.3        Datum afdruk: ") + cs.date);
        ASSERT_TRUE(version);
        EXPECT_EQ(version->at, (TPoint{8000, 6200}));

        EXPECT_EQ(read.rectangles.at(0), (TRect{800, 7100, 20200, 14100}));
        EXPECT_EQ(read.rectangles.at(1), (TRect{800, 14600, 20200, 21600}));

        // Pictures keep their shape and both fit their box by its height.
        ASSERT_EQ(read.pictures.size(), 2u);
        const TRect header = read.pictures[0];
        EXPECT_EQ(header.Left, 200);
        EXPECT_EQ(header.Top, 300);
        EXPECT_EQ(header.Bottom, 5300);
        EXPECT_LE(header.Right, 14500);
        EXPECT_TRUE(KeepsShape(header, cs.headerW, cs.headerH));
        const TRect footer = read.pictures[1];
        EXPECT_EQ(footer.Left, cs.footerAt.X);
        if (cs.footerAt.Y >= 0) {
            EXPECT_EQ(footer.Top, cs.footerAt.Y);
        }
        EXPECT_TRUE(KeepsShape(footer, cs.footerW, cs.footerH));

        for (const char *heading : {"Personalia", "Afnamegegevens", "School/Instelling", "Scores"}) {
            const TPageText *t = read.Find(heading);
            ASSERT_TRUE(t) << heading;
            EXPECT_EQ(t->at.X, 951) << heading;
        }
        for (const std::string &label : std::vector<std::string>{"Code / Naam", "Geslacht", "Geboortedatum [dd-mm-jjjj]",
                                        "Leeftijd [jaar;maand]", "Afnamedatum [dd-mm-jjjj]", "Testleider",
                                        "Naam", "Groep", std::string(cs.firstRowLabel), "Aantal tijdpenalties",
                                        "Subtest T-score [95% BI]", "ZIBOR-Index"}) {
            const TPageText *t = read.Find(label);
            ASSERT_TRUE(t) << label;
            EXPECT_EQ(t->at.X, 1301) << label;
        }
        // Every personalia label ends before the colon of its row: the
        // colon's text cell would cut it on screen and run into it in the PDF.
        int colons = 0;
        for (const TPageText &t : read.texts) {
            if (t.text != ":   ")
                continue;
            ++colons;
            EXPECT_EQ(t.at.X, 6551);
            const TPageText *label = nullptr;
            for (const TPageText &l : read.texts)
                if (l.at.Y == t.at.Y && l.at.X == 1301)
                    label = &l;
            ASSERT_TRUE(label) << "a label on the row at " << t.at.Y;
            EXPECT_GT(label->width, 0) << label->text;
            EXPECT_LT(label->at.X + label->width, t.at.X - 100) << label->text << " reaches the colon";
        }
        EXPECT_EQ(colons, 8);
        // The index caption goes on where "ZIBOR-Index" ends, on its line.
        const TPageText *index = read.Find("ZIBOR-Index");
        const TPageText *indexRest = read.Find(" T-score [95% BI]");
        ASSERT_TRUE(indexRest);
        EXPECT_EQ(indexRest->at.Y, index->at.Y);
        EXPECT_GT(indexRest->at.X, 1301);

        // Header cells: filled, captions clipped to them.
        struct Cell { int left, width; const char *caption; int captionX; };
        const Cell cells[] = {{1251, 6600, " Variabele ", 1251},
                              {7951, 5400, "        FoneemWeglating ", 8051},
                              {13451, 6000, "              FoneemVerwisseling ", 13001}};
        ASSERT_GE(read.fills.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            const TRect fill = read.fills[i];
            EXPECT_EQ(fill.Left, cells[i].left);
            EXPECT_EQ(fill.Right - fill.Left, cells[i].width);
            EXPECT_EQ(fill.Bottom - fill.Top, 500);
            const TPageText *caption = read.Find(cells[i].caption);
            ASSERT_TRUE(caption) << cells[i].caption;
            EXPECT_EQ(caption->clip, fill);
            EXPECT_EQ(caption->at, (TPoint{cells[i].captionX, fill.Top - 40}));
        }
        // The rules run from the labels to the end of the last header cell.
        int rules = 0;
        for (const auto &[from, to] : read.lines)
            rules += from.X == 1301 && to.X == 19451 && from.Y == to.Y;
        EXPECT_EQ(rules, 2);
        // The arrow points down at the middle of the substitution cell's left edge.
        ASSERT_EQ(read.polygons.size(), 1u);
        const auto &arrow = read.polygons[0];
        ASSERT_EQ(arrow.size(), 3u);
        EXPECT_EQ(arrow[0].X, 13451);
        EXPECT_EQ(arrow[1], (TPoint{13451 - 250, arrow[0].Y - 300}));
        EXPECT_EQ(arrow[2], (TPoint{13451 + 250, arrow[0].Y - 300}));

        int publisher = 0;
        for (const TPageText &t : read.texts)
            publisher += t.at.X == cs.publisherX && t.fontHeight == -plat::MulDiv(9, pagePpi, 72);
        EXPECT_EQ(publisher, 3);
    }
}

// The score boxes and where their texts sit, from a page with every score.
TEST_F(ReportPageTest, ScoreBoxesAndTheirTexts)
{
    TRecordedPage page;
    TReportSource source = SampleChild();
    const TReportPage drawn = Draw(page, kViewer, source);
    const TPageRead read = ReadPage(page.Close());
    // Frames, then the boxes: deletion score and interval, substitution score
    // and interval, index score and interval.
    ASSERT_EQ(read.rectangles.size(), 8u);
    const int rowY = read.Find("Subtest T-score [95% BI]")->at.Y;
    const int indexY = read.Find("ZIBOR-Index")->at.Y;
    const struct { int left, right, y; } boxes[] = {
        {9951, 11151, rowY}, {11351, 13351, rowY}, {15651, 16851, rowY}, {17051, 19451, rowY},
        {12901, 14101, indexY}, {14301, 16501, indexY},
    };
    for (int i = 0; i < 6; ++i) {
        const TRect r = read.rectangles[2 + i];
        EXPECT_EQ(r, (TRect{boxes[i].left, boxes[i].y - 100, boxes[i].right, boxes[i].y + 600})) << i;
    }
    const struct { std::string text; TPoint at; } texts[] = {
        {drawn.cells.scoreDeletion, {9951 + 200, rowY - 50}},
        {drawn.cells.intervalDeletion, {11351 + 300, rowY}},
        {drawn.cells.scoreSubstitution, {15651 + 200, rowY - 50}},
        {drawn.cells.intervalSubstitution, {17051 + 400, rowY}},
        {drawn.cells.index, {12901 + 200, indexY - 20}},
        {drawn.cells.intervalIndex, {14301 + 400, indexY}},
        {drawn.cells.rawDeletion, {7951 + 2500, read.Find(kViewer.firstRowLabel)->at.Y}},
        {drawn.cells.rawSubstitution, {13451 + 2600, read.Find(kViewer.firstRowLabel)->at.Y}},
        {drawn.cells.penaltiesDeletion, {7951 + 2500, read.Find("Aantal tijdpenalties")->at.Y}},
        {drawn.cells.penaltiesSubstitution, {13451 + 2600, read.Find("Aantal tijdpenalties")->at.Y}},
    };
    for (const auto &t : texts) {
        bool found = false;
        for (const TPageText &pt : read.texts)
            found = found || (pt.text == t.text && pt.at == t.at);
        EXPECT_TRUE(found) << "'" << t.text << "' at " << t.at.X << "," << t.at.Y;
    }
    // "n.v.t." sits 50 further left in its box than a number.
    TRecordedPage early;
    TReportSource deletionOnly = SampleChild();
    deletionOnly.state = 6;
    Draw(early, kAfterAdministration, deletionOnly);
    const TPageRead earlyRead = ReadPage(early.Close());
    const int earlyIndexY = earlyRead.Find("ZIBOR-Index")->at.Y;
    bool indexNvt = false;
    for (const TPageText &pt : earlyRead.texts)
        indexNvt = indexNvt || (pt.text == "n.v.t." && pt.at == TPoint{12901 + 150, earlyIndexY - 20});
    EXPECT_TRUE(indexNvt);
}

// The ten cells; the rows are norms_reference.py's output.
TEST(ReportCells, TableOfCases)
{
    enum Window { TPP, TTRO };
    struct Case {
        const char *label;
        Window window;
        int state, months;
        bool ageKnown;
        const char *deletion, *substitution;
        int entry;
        std::array<const char *, 10> cells;
    };
    const Case cases[] = {
    {"finished, band 5", TPP, 7, 130, true, "25/1*10 40/0 60/0", "200/1*9 300/0*3", 15,
     {"31", "211", "2", "3", " 40", "[34 - 49]", " 26", "[23 - 35]", " 30", "[26 - 37]"}},
    {"finished, band 5", TTRO, 7, 130, true, "25/1*10 40/0 60/0", "200/1*9 300/0*3", 0,
     {"31", "211", "2", "3", " 40", "[34 - 49]", " 26", "[23 - 35]", " 30", "[26 - 37]"}},
    {"sums of 1235 and 1234 tenths", TPP, 7, 130, true, "100/1*11 135/1", "100/1*11 134/1", 15,
     {"124", "123", "0", "0", " 20", "[18 - 32]", " 43", "[38 - 50]", " 29", "[25 - 36]"}},
    {"sums of 1234 and 1235 tenths", TTRO, 7, 130, true, "100/1*11 134/1", "100/1*11 135/1", 0,
     {"123", "124", "0", "0", " 20", "[18 - 32]", " 43", "[38 - 50]", " 29", "[25 - 36]"}},
    {"age 77: band 0", TPP, 7, 77, true, "30/1*11 50/0", "20/1*11 30/0", 15,
     {"n.v.t.", "n.v.t.", "1", "1", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"age 174: band 0", TTRO, 7, 174, true, "30/1*11 50/0", "20/1*11 30/0", 0,
     {"n.v.t.", "n.v.t.", "1", "1", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"birth date that did not convert: band 0", TPP, 7, 130, false, "30/1*12", "20/1*12", 15,
     {"n.v.t.", "n.v.t.", "0", "0", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"band 1: index is the deletion score, interval at a = 7", TPP, 7, 80, true, "30/1*12", "20/1*12", 15,
     {"36", "n.v.t.", "0", "0", " 64", "[54 - 69]", "n.v.t.", "[ n.v.t. ]", " 64", "[54 - 69]"}},
    {"band 1: index is the deletion score, interval at a = 7", TTRO, 7, 85, true, "30/1*9 50/0*3", "-", 0,
     {"53", "n.v.t.", "3", "12", " 54", "[46 - 61]", "n.v.t.", "[ n.v.t. ]", " 54", "[46 - 61]"}},
    {"deletion only, band 3", TTRO, 4, 110, true, "30/1*12", "-", 0,
     {"36", "-", "0", "-", " 46", "[39 - 54]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"deletion only, band 3", TPP, 4, 110, true, "30/1*12", "-", 15,
     {"36", "-", "0", "-", " 46", "[39 - 54]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"between the subtests (state 6), band 4", TPP, 6, 120, true, "30/1*10 40/0*2", "-", 15,
     {"38", "-", "2", "-", " 38", "[33 - 48]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"between the subtests (state 6), band 1", TPP, 6, 80, true, "30/1*12", "-", 15,
     {"36", "-", "0", "-", " 64", "[54 - 69]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"state 6 in the viewer has no such rule", TTRO, 6, 120, true, "30/1*10 40/0*2", "-", 0,
     {"38", "n.v.t.", "2", "12", " 38", "[33 - 48]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"deletion stopped in the examples", TPP, 6, 120, true, "-", "-", 3,
     {"-", "-", "-", "-", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"deletion stopped at the first item", TPP, 6, 120, true, "-", "-", 4,
     {"n.v.t.", "-", "12", "-", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    {"one deletion time missing", TPP, 7, 140, true, "30/1*11 /1", "150/1*12", 15,
     {"n.v.t.", "180", "0", "0", "n.v.t.", "[ n.v.t. ]", " 22", "[19 - 30]", "n.v.t.", "[ n.v.t. ]"}},
    {"substitution only, untouched deletion", TTRO, 3, 110, true, "-", "150/1*10 200/0*2", 0,
     {"n.v.t.", "199", "12", "2", "n.v.t.", "[ n.v.t. ]", " 49", "[43 - 55]", "n.v.t.", "[ n.v.t. ]"}},
    {"nothing scored yet", TTRO, 7, 110, true, "-", "-", 0,
     {"n.v.t.", "n.v.t.", "12", "12", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"}},
    };
    for (const Case &cs : cases) {
        SCOPED_TRACE(testing::Message() << cs.label << (cs.window == TPP ? " (TPP)" : " (TTRO)"));
        TReportSource source;
        source.state = cs.state;
        source.ageInMonths = cs.months;
        source.deletion = Grid(cs.deletion);
        source.substitution = Grid(cs.substitution);
        source.deletionEntry = cs.entry;
        const TReportVariant &variant = cs.window == TPP ? kAfterAdministration : kViewer;
        const TReportCells got = MakeCells(variant, source, ComputeScores(source, cs.ageKnown));
        const TReportCells want{cs.cells[0], cs.cells[1], cs.cells[2], cs.cells[3], cs.cells[4],
                                cs.cells[5], cs.cells[6], cs.cells[7], cs.cells[8], cs.cells[9]};
        EXPECT_EQ(got, want);
    }
}

// Shown T-scores round half to even, and the interval is that of the shown score.
TEST(ReportCells, ScoreCellFormatter)
{
    struct Row {
        long double t;
        bool applicable;
        const char *score, *interval;
    };
    const Row rows[] = {
        {52.5L, true, " 52", "[44 - 59]"},
        {53.5L, true, " 54", "[46 - 61]"},
        {0, true, "n.v.t.", "[ n.v.t. ]"},
        {60, false, "n.v.t.", "[ n.v.t. ]"},
    };
    for (const Row &r : rows) {
        const TScoreCell cell = FormatScoreCell(r.t, r.applicable, 9, scoring::Interval95A);
        EXPECT_EQ(cell.score, r.score) << static_cast<double>(r.t);
        EXPECT_EQ(cell.interval, r.interval) << static_cast<double>(r.t);
    }
}

// The personalia texts and the age behind the band.
TEST_F(ReportPageTest, PersonaliaTable)
{
    const plat::TDateTime today = plat::EncodeDate(2024, 3, 6);
    struct Row {
        const char *name;
        void (*change)(TReportSource &);
        TPersonalia want;
        int band;
    };
    const Row rows[] = {
        {"all filled in", [](TReportSource &) {},
         {"AB 12", "jongen", "14-03-2015", "8;11", "05-03-2024", "J. Jansen", "De Linde", "5b"}, 3},
        {"a girl, texts with blanks around", [](TReportSource &s) {
             s.particulars.sex = 0;
             s.particulars.gebdag = " 14 ";
             s.particulars.afnjaar = "2024 ";
         },
         {"AB 12", "meisje", "14-03-2015", "8;11", "05-03-2024", "J. Jansen", "De Linde", "5b"}, 3},
        {"no sex chosen", [](TReportSource &s) { s.particulars.sex = -1; },
         {"AB 12", "-", "14-03-2015", "8;11", "05-03-2024", "J. Jansen", "De Linde", "5b"}, 3},
        {"empty year, school, group, leader and code", [](TReportSource &s) {
             s.particulars.gebjaar.clear();
             s.particulars.school.clear();
             s.particulars.groep.clear();
             s.particulars.tl.clear();
             s.particulars.code.clear();
         },
         {"", "jongen", "-", "-", "05-03-2024", "-", "-", "-"}, 0},
        {"empty birth day: the date is shown, no age", [](TReportSource &s) { s.particulars.gebdag.clear(); },
         {"AB 12", "jongen", "-03-2015", "-", "05-03-2024", "J. Jansen", "De Linde", "5b"}, 0},
        {"a birth date that does not convert", [](TReportSource &s) {
             s.particulars.gebdag = "31";
             s.particulars.gebmnd = "02";
         },
         {"AB 12", "jongen", "31-02-2015", "-", "05-03-2024", "J. Jansen", "De Linde", "5b"}, 0},
        {"a birth year that is no number", [](TReportSource &s) { s.particulars.gebjaar = "twee"; },
         {"AB 12", "jongen", "14-03-twee", "-", "05-03-2024", "J. Jansen", "De Linde", "5b"}, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TReportSource source = SampleChild();
        r.change(source);
        // An age left over from an earlier drawing must not decide the band.
        source.ageInMonths = 140;
        bool ageKnown = false;
        const TPersonalia got = MakePersonalia(source, today, ageKnown);
        EXPECT_EQ(got, r.want);
        EXPECT_EQ(ageKnown, r.want.age != "-");
        EXPECT_EQ(source.ageInMonths, ageKnown ? 107 : 140);
        EXPECT_EQ(ComputeScores(source, ageKnown).band, r.band);

        // The drawn page says the same.
        TRecordedPage page;
        const TReportPage drawn = Draw(page, kAfterAdministration, source);
        EXPECT_EQ(drawn.personalia, got);
        EXPECT_EQ(drawn.scores.band, r.band);
        const TPageRead read = ReadPage(page.Close());
        for (const std::string &value : {got.sex, got.birthDate, got.age, got.testLeader, got.school, got.group})
            EXPECT_TRUE(read.Has(value)) << value;
    }
}

// The age counts to today after an administration and to the test date in
// the viewer.
TEST_F(ReportPageTest, AgeReference)
{
    TReportSource source = SampleChild();
    source.testDate = plat::EncodeDate(2023, 3, 13);  // a day before the 8th birthday
    TRecordedPage after, viewer;
    EXPECT_EQ(Draw(after, kAfterAdministration, source).personalia.age, "8;11");
    EXPECT_EQ(source.ageInMonths, 107);
    EXPECT_EQ(Draw(viewer, kViewer, source).personalia.age, "7;11");
    EXPECT_EQ(source.ageInMonths, 95);
}

// The same window draws the next child's report: nothing of the first stays.
TEST_F(ReportPageTest, TwoPagesInARowShowTheSecondChild)
{
    TReportSource source = SampleChild();
    TRecordedPage first;
    const TReportPage one = Draw(first, kAfterAdministration, source);
    EXPECT_EQ(one.scores.band, 3);
    EXPECT_NE(one.cells.index, "n.v.t.");

    source.particulars.code = "CD 34";
    source.particulars.gebdag = "30";
    source.particulars.gebmnd = "02";  // no such date: no age, no band
    source.particulars.gebjaar = "2016";
    source.particulars.tl = "P. de Vries";
    source.particulars.sex = 0;
    source.deletion = Grid("30/1*12");
    source.substitution = Grid("100/1*12");
    TRecordedPage second;
    const TReportPage two = Draw(second, kAfterAdministration, source);
    const TPageRead read = ReadPage(second.Close());
    EXPECT_TRUE(read.Has("CD 34"));
    EXPECT_FALSE(read.Has("AB 12"));
    EXPECT_TRUE(read.Has("P. de Vries"));
    EXPECT_TRUE(read.Has("meisje"));
    EXPECT_FALSE(read.Has("jongen"));
    EXPECT_TRUE(read.Has("30-02-2016"));
    EXPECT_FALSE(read.Has("8;11"));
    EXPECT_EQ(two.scores.band, 0);
    EXPECT_EQ(two.cells.scoreDeletion, "n.v.t.");
    EXPECT_EQ(two.cells.index, "n.v.t.");
    EXPECT_EQ(two.cells.penaltiesDeletion, "0");
    EXPECT_EQ(two.cells.penaltiesSubstitution, "0");
}

// The page generation ends the document also when the drawing fails, so the
// preview is ready again and shows what was drawn.
TEST_F(ReportPageTest, GenerationEndsTheDocumentAfterAFailedDrawing)
{
    zibor::preview::TPrintPreview preview(nullptr);
    int begun = 0, ended = 0;
    preview.OnBeginDoc = [&](plat::TObject *) { ++begun; };
    preview.OnEndDoc = [&](plat::TObject *) { ++ended; };
    EXPECT_THROW(GeneratePage(preview,
                              [](TReportTarget &target) {
                                  target.Canvas().TextOut(1000, 1000, "half a page");
                                  throw plat::Exception("drawing failed");
                              }),
                 plat::Exception);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(preview.State(), zibor::preview::psReady);
    ASSERT_EQ(preview.TotalPages(), 1);
    EXPECT_TRUE(ReadPage(*preview.Pages(1)).Has("half a page"));

    // And a good drawing after it gives the one page of the report.
    TReportSource source = SampleChild();
    GeneratePage(preview, [&](TReportTarget &target) {
        DrawReportPage(target, kAfterAdministration, source, MeasureTabUnits(ReportWindowFont()));
    });
    ASSERT_EQ(preview.TotalPages(), 1);
    EXPECT_TRUE(ReadPage(*preview.Pages(1)).Has("Testrapport"));
}

// The report window's own source: the administration state as the
// particulars window and the subtest windows leave it.
class AdministrationReportTest : public ReportPageTest {
protected:
    // Items into grid rows from firstRow on (deletion: 3, after the examples).
    static void Fill(adm::TScoreGrid &grid, const std::string &items, int firstRow)
    {
        const scoring::ScoreGrid g = Grid(items);
        for (int i = 0; i < 12; ++i) {
            grid.SetCells(1, firstRow + i, g[i].time);
            grid.SetCells(2, firstRow + i, g[i].score);
        }
    }
    // A new administration with both grids, ended in the given state.
    static void Enter(adm::TAdministration &a, const std::string &code, const std::string &birthYear,
                      const std::string &deletion, const std::string &substitution, int state)
    {
        a.WisGegevens();
        a.SetTestDate(plat::Date());
        a.P.code = code;
        a.P.sex = 0;
        a.P.gebdag = "06";
        a.P.gebmnd = "03";
        a.P.gebjaar = birthYear;
        a.P.tl = "Piet";
        a.P.form = 0;
        // The examples are scored too; they never count.
        for (int r = 0; r < 3; ++r) {
            a.SGRscoreFW.SetCells(1, r, "5");
            a.SGRscoreFW.SetCells(2, r, "1");
        }
        if (deletion != "-")
            Fill(a.SGRscoreFW, deletion, 3);
        if (substitution != "-")
            Fill(a.SGRscoreFV, substitution, 0);
        a.State = state;
        a.EntryFW = 15;
    }
};

// Between the subtests (state 6) the report shows the deletion scores only.
TEST_F(AdministrationReportTest, StateSixRow)
{
    adm::TAdministration a;
    Enter(a, "Els", "2014", "30/1*10 40/0*2", "-", 6);  // 120 months today: band 4
    a.AgeInMonths = 0;
    TRecordedPage page;
    const TReportPage drawn = DrawAdministrationReport(page, a, MeasureTabUnits(ReportWindowFont()));
    EXPECT_EQ(a.AgeInMonths, 120);
    // norms_reference.py: "between the subtests (state 6), band 4".
    const TReportCells want{"38", "-", "2", "-", " 38", "[33 - 48]", "n.v.t.", "[ n.v.t. ]", "n.v.t.", "[ n.v.t. ]"};
    EXPECT_EQ(drawn.cells, want);
    EXPECT_EQ(drawn.dateText, "06-03-2024");
    const TPageRead read = ReadPage(page.Close());
    for (const std::string text : {"38", " 38", "[33 - 48]", "[ n.v.t. ]", "Els"})
        EXPECT_TRUE(read.Has(text)) << text;
}

// The same window state serves the next administration: the second report
// shows the second child and its own age.
TEST_F(AdministrationReportTest, TwoAdministrationsInARow)
{
    adm::TAdministration a;
    const TTabUnits tabs = MeasureTabUnits(ReportWindowFont());
    Enter(a, "Eerste", "2014", "30/1*12", "150/1*12", 7);
    TRecordedPage first;
    const TReportPage one = DrawAdministrationReport(first, a, tabs);
    EXPECT_EQ(one.personalia.age, "10;0");
    EXPECT_EQ(one.scores.band, 4);

    Enter(a, "Tweede", "2016", "40/1*11 60/0", "200/1*12", 7);  // 96 months: band 2
    a.P.tl.clear();
    TRecordedPage second;
    const TReportPage two = DrawAdministrationReport(second, a, tabs);
    EXPECT_EQ(two.personalia.code, "Tweede");
    EXPECT_EQ(two.personalia.age, "8;0");
    EXPECT_EQ(two.personalia.testLeader, "-");
    EXPECT_EQ(two.scores.band, 2);
    EXPECT_EQ(a.AgeInMonths, 96);
    EXPECT_EQ(two.cells.penaltiesDeletion, "1");
    const TPageRead read = ReadPage(second.Close());
    EXPECT_TRUE(read.Has("Tweede"));
    EXPECT_FALSE(read.Has("Eerste"));
    EXPECT_FALSE(read.Has("10;0"));
    EXPECT_TRUE(read.Has("8;0"));
}

// The page as a person sees it: played onto a 96-dpi image of A4. Ink lies
// where the layout puts it, the margins stay white.
TEST_F(ReportPageTest, PlayedPageLooksLikeTheReport)
{
    for (const TReportVariant *variant : {&kAfterAdministration, &kViewer}) {
        TRecordedPage page;
        TReportSource source = SampleChild();
        Draw(page, *variant, source);
        const plat::TMetafile &mf = page.Close();
        QImage image(TRecordedPage::kPixelsW, TRecordedPage::kPixelsH, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            plat::TCanvas canvas(&image);
            const plat::emf::TEmfEnumResult played =
                plat::PlayMetafile(canvas, mf, {0, 0, TRecordedPage::kPixelsW, TRecordedPage::kPixelsH});
            EXPECT_FALSE(played.Damaged);
            EXPECT_EQ(played.Skipped, 0u);
        }
        if (const char *dir = std::getenv("ZIBOR_REPORT_PNG"))
            image.save(QString::fromStdString(std::string(dir) + "/report_" + variant->headerPicture + ".png"));
        auto ink = [&](int x1, int y1, int x2, int y2) {
            int n = 0;
            for (int y = y1; y < y2; ++y)
                for (int x = x1; x < x2; ++x)
                    n += qGray(image.pixel(x, y)) < 200;
            return n;
        };
        // 0.01 mm to pixels: * 96 / 2540.
        auto px = [](int units) { return units * 96 / 2540; };
        EXPECT_GT(ink(px(1000), px(5800), px(5000), px(6800)), 50) << "title";
        EXPECT_GT(ink(px(8000), px(6200), px(20000), px(6700)), 50) << "version line";
        EXPECT_GT(ink(px(1251), px(14800), px(7851), px(15800)), 500) << "dark header cell";
        EXPECT_EQ(ink(px(20400), px(7200), px(20900), px(21500)), 0) << "right margin";
        EXPECT_GT(ink(px(200), px(300), px(5000), px(5300)), 100) << "header picture";
    }
}

// The page as a PDF: a sound file whose words stand where the layout puts
// them, read back by tools of their own, and which shows what the preview
// shows.
TEST_F(ReportPageTest, PdfOfThePage)
{
    for (const char *tool : {"qpdf", "pdftotext", "pdftoppm"}) {
        if (!HaveTool(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/setup installs it); the PDF checks were skipped";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const TReportVariant *variant : {&kAfterAdministration, &kViewer}) {
        SCOPED_TRACE(variant->headerPicture);
        TRecordedPage page;
        TReportSource source = SampleChild();
        Draw(page, *variant, source);
        const plat::TMetafile &mf = page.Close();
        const std::string file = dir.filePath(QString::fromStdString(variant->headerPicture + ".pdf")).toStdString();
        page.Preview().SaveAsPDF(file);
        if (const char *keep = std::getenv("ZIBOR_REPORT_PNG"))
            QFile::copy(QString::fromStdString(file), QString(keep) + "/report_" +
                                                          QString::fromStdString(variant->headerPicture) + ".pdf");

        EXPECT_TRUE(QpdfChecks(file));
        int code = -1;
        const std::string html = RunTool("pdftotext", {"-bbox", QString::fromStdString(file), "-"}, code);
        ASSERT_EQ(code, 0) << "pdftotext";

        // pdftotext boxes a word from its baseline up by the font's stated
        // ascent (0.75 em here) and down by its descent (0.25 em): one em.
        // The layout places the top of the text cell, the face's ascent
        // above the baseline (Calibri's metrics: 1950/2048 em). So the cell
        // top is the box top less the difference times the box height.
        const double mm = 72.0 / 25.4;
        const double lift = 1950.0 / 2048 - 0.75;
        struct Box { double x, top; };
        struct Word { std::string text; double left, right, top; };  // mm, as the tool boxes it
        std::map<std::string, Box> words;
        std::vector<Word> inOrder;
        std::istringstream lines(html);
        for (std::string line; std::getline(lines, line);) {
            const size_t xMin = line.find("xMin=\""), yMin = line.find("yMin=\""), xMax = line.find("xMax=\""),
                         yMax = line.find("yMax=\"");
            const size_t gt = line.find('>'), end = line.find("</word>");
            if (xMin == std::string::npos || yMin == std::string::npos || xMax == std::string::npos ||
                yMax == std::string::npos || end == std::string::npos)
                continue;
            const double top = std::stod(line.substr(yMin + 6)), bottom = std::stod(line.substr(yMax + 6));
            const std::string text = line.substr(gt + 1, end - gt - 1);
            words.emplace(text, Box{std::stod(line.substr(xMin + 6)) / mm, (top - lift * (bottom - top)) / mm});
            inOrder.push_back({text, std::stod(line.substr(xMin + 6)) / mm, std::stod(line.substr(xMax + 6)) / mm,
                               top / mm});
        }
        // Each personalia row reads as its whole label, then its colon, the
        // label's last word ending before the colon.
        const char *const labels[] = {"Code / Naam", "Geslacht", "Geboortedatum [dd-mm-jjjj]",
                                      "Leeftijd [jaar;maand]", "Afnamedatum [dd-mm-jjjj]", "Testleider", "Naam",
                                      "Groep"};
        std::vector<const Word *> colons;
        for (const Word &w : inOrder)
            if (w.text == ":" && w.top > 71 && w.top < 141)
                colons.push_back(&w);
        ASSERT_EQ(colons.size(), std::size(labels)) << "a colon run into its label";
        std::sort(colons.begin(), colons.end(), [](const Word *a, const Word *b) { return a->top < b->top; });
        for (size_t row = 0; row < colons.size(); ++row) {
            const Word &colon = *colons[row];
            std::vector<const Word *> before;
            for (const Word &w : inOrder)
                if (std::abs(w.top - colon.top) < 1.0 && w.left < colon.left)
                    before.push_back(&w);
            std::sort(before.begin(), before.end(), [](const Word *a, const Word *b) { return a->left < b->left; });
            std::string label;
            double end = 0;
            for (const Word *w : before) {
                label += (label.empty() ? "" : " ") + w->text;
                end = std::max(end, w->right);
            }
            EXPECT_EQ(label, labels[row]);
            EXPECT_LT(end, colon.left - 1.0) << labels[row] << " runs into its colon";
        }
        // In mm. A heading's line starts 1 mm above its frame and moves down
        // half the 16-point line (16 pt x 2500/2048 = 6.89 mm).
        const struct { const char *word; double x, top; } expected[] = {
            {"Testrapport", 10.00, 58.00},
            {"Personalia", 9.51, 71 - 1 + 3.44},
            {"Scores", 9.51, 146 - 1 + 3.44},
            {"ZIBOR-Index", 13.01, -1},
        };
        for (const auto &e : expected) {
            ASSERT_TRUE(words.count(e.word)) << e.word;
            EXPECT_NEAR(words[e.word].x, e.x, 1.0) << e.word;
            if (e.top >= 0) {
                EXPECT_NEAR(words[e.word].top, e.top, 1.0) << e.word;
            }
        }
        // The index row lies inside the scores frame, below the T-scores.
        EXPECT_GT(words["ZIBOR-Index"].top, words["Subtest"].top + 10);
        EXPECT_LT(words["ZIBOR-Index"].top, 216.0);

        // The same ink as in the preview, dark pixel against ink at 96 dpi,
        // also where a text's opaque cell lies: on screen the cell covers
        // what it overlaps, in the PDF it does not, so an overlap shows.
        // Within 3 pixels: the player and the PDF's reader put a line of
        // text up to 3 pixels apart vertically.
        const QImage pdf =
            pdftest::RenderPdf(file, dir.filePath("page").toStdString(), 96).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(pdf.size(), QSize(TRecordedPage::kPixelsW, TRecordedPage::kPixelsH));
        QImage screen(pdf.size(), QImage::Format_RGB32);
        screen.fill(Qt::white);
        {
            plat::TCanvas canvas(&screen);
            plat::PlayMetafile(canvas, mf, {0, 0, TRecordedPage::kPixelsW, TRecordedPage::kPixelsH});
        }
        const pdftest::TLookDifference d = pdftest::CompareLooks(mf, pdf, screen, false, 3);
        EXPECT_EQ(d.Pictures, 2);
        EXPECT_EQ(d.PictureBlock, "") << "a picture block differs in colour";
        EXPECT_EQ(d.PdfOnly, 0) << "dark in the PDF only, first at " << pdftest::Where(d.FirstPdfOnly);
        EXPECT_EQ(d.ScreenOnly, 0) << "dark in the preview only, first at " << pdftest::Where(d.FirstScreenOnly);
    }
}

} // namespace
