// Scores and norms against values worked out independently by
// norms_reference.py (exact rational arithmetic); the rows of the tables
// below are that script's output.
#include "administration/Scoring.h"
#include "tests/support/ScoreGrids.h"

#include <gtest/gtest.h>

#include <string>

using namespace scoring;
using scoretest::Grid;

namespace {

constexpr TVariant Report = TVariant::Report;
constexpr TVariant Particulars = TVariant::Particulars;

struct NormCase {
    const char *label;
    TVariant variant;
    int state;
    int ageInMonths;
    bool birthDateComplete;
    const char *deletion;
    const char *substitution;
    int band;
    long long strafsomFW; // for the band, whatever the state
    long long strafsomFV;
    long double tDeletion, tSubstitution, index;
    int shownDeletion, shownSubstitution, shownIndex;
    const char *intervalDeletion; // "" where the score is absent
    const char *intervalSubstitution;
    const char *intervalIndex;
};

const NormCase kNormCases[] = {
    {"band 1, all right, 360 tenths", Report, 4, 80, true, "30/1*12", "-",
     1, 360, 119988, 64.272846564800L, 0, 64.272846564800L, 64, 0, 64, "[54 - 69]", "", "[54 - 69]"},
    {"band 1, all right, 360 tenths", Particulars, 4, 80, true, "30/1*12", "-",
     1, 360, 119988, 61.894038804000L, 0, 0, 62, 0, 0, "[52 - 67]", "", ""},
    {"band 1, finished: index is the deletion score", Particulars, 7, 80, true, "30/1*12", "20/1*12",
     1, 360, 240, 61.894038804000L, 0, 61.894038804000L, 62, 0, 62, "[52 - 67]", "", "[52 - 67]"},
    {"band 1, finished: index is the deletion score", Report, 7, 80, true, "30/1*12", "20/1*12",
     1, 360, 240, 64.272846564800L, 0, 64.272846564800L, 64, 0, 64, "[54 - 69]", "", "[54 - 69]"},
    {"band 1, substitution only: nothing", Report, 3, 85, true, "-", "20/1*12",
     1, 119988, 240, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"band 1, three wrong cost P each", Report, 4, 89, true, "30/1*9 50/0*3", "-",
     1, 525, 119988, 53.974684472656L, 0, 53.974684472656L, 54, 0, 54, "[46 - 61]", "", "[46 - 61]"},
    {"band 1, N wrong cost P each", Report, 4, 78, true, "30/1*4 50/0*8", "-",
     1, 800, 119988, 37.017931000000L, 0, 37.017931000000L, 37, 0, 37, "[32 - 47]", "", "[32 - 47]"},
    {"band 1, the ninth wrong costs 2P", Report, 4, 78, true, "30/1*3 50/0*9", "-",
     1, 940, 119988, 23.930650068800L, 0, 23.930650068800L, 24, 0, 24, "[21 - 36]", "", "[21 - 36]"},
    {"band 8, N = 2: P, P, 2P, 3P", Particulars, 4, 173, true, "0/0 20/1*4 0/0 20/1*4 7/0*2", "-",
     8, 272, 119988, 37.370481381180L, 0, 0, 37, 0, 0, "[32 - 45]", "", ""},
    {"age 77: band 0", Report, 7, 77, true, "30/1*11 50/0", "20/1*11 30/0",
     0, 10329, 10219, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"age 174: band 0", Particulars, 7, 174, true, "30/1*11 50/0", "20/1*11 30/0",
     0, 10329, 10219, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"birth date incomplete: band 0", Report, 7, 100, false, "30/1*12", "20/1*12",
     0, 360, 240, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"one time missing", Report, 4, 110, true, "30/1*11 /1", "-",
     3, 10329, 119988, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"unreadable time", Particulars, 4, 110, true, "30/1*11 3,5/1", "-",
     3, 10329, 119988, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"unreadable score", Report, 4, 110, true, "30/1*11 30/x", "-",
     3, 10329, 119988, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"empty score", Report, 4, 110, true, "30/1*11 30/", "-",
     3, 10329, 119988, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"correction window's unscored item", Report, 4, 110, true, "30/1*11 /-1", "-",
     3, 10329, 119988, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"deletion x = 0.49: cut-off", Particulars, 4, 170, true, "4/1*11 5/1", "-",
     8, 49, 119988, 80.000000000000L, 0, 0, 80, 0, 0, "[70 - 83]", "", ""},
    {"deletion x = 0.50: rescaled", Particulars, 4, 170, true, "4/1*10 5/1*2", "-",
     8, 50, 119988, 78.512165677083L, 0, 0, 79, 0, 0, "[69 - 82]", "", ""},
    {"deletion x = 0.49: cut-off", Report, 4, 170, true, "4/1*11 5/1", "-",
     8, 49, 119988, 80.000000000000L, 0, 0, 80, 0, 0, "[70 - 83]", "", ""},
    {"deletion x = 0.50: clamp", Report, 4, 170, true, "4/1*10 5/1*2", "-",
     8, 50, 119988, 80.000000000000L, 0, 0, 80, 0, 0, "[70 - 83]", "", ""},
    {"deletion x = 10.15", Particulars, 4, 80, true, "85/1*11 80/1", "-",
     1, 1015, 119988, 20.428893780172L, 0, 0, 20, 0, 0, "[18 - 33]", "", ""},
    {"deletion x = 10.16: cut-off", Particulars, 4, 80, true, "85/1*11 81/1", "-",
     1, 1016, 119988, 20.000000000000L, 0, 0, 20, 0, 0, "[18 - 33]", "", ""},
    {"deletion x = 10.04", Report, 4, 80, true, "84/1*11 80/1", "-",
     1, 1004, 119988, 20.000000000000L, 0, 20.000000000000L, 20, 0, 20, "[18 - 33]", "", "[18 - 33]"},
    {"deletion x = 10.05: cut-off", Report, 4, 80, true, "84/1*11 81/1", "-",
     1, 1005, 119988, 20.000000000000L, 0, 20.000000000000L, 20, 0, 20, "[18 - 33]", "", "[18 - 33]"},
    {"deletion just above 80: clamp", Report, 4, 80, true, "15/1*11 17/1", "-",
     1, 182, 119988, 80.000000000000L, 0, 80.000000000000L, 80, 0, 80, "[67 - 82]", "", "[67 - 82]"},
    {"deletion just below 80", Report, 4, 80, true, "15/1*11 18/1", "-",
     1, 183, 119988, 79.920511434889L, 0, 79.920511434889L, 80, 0, 80, "[67 - 82]", "", "[67 - 82]"},
    {"deletion just above 80: clamp", Particulars, 4, 80, true, "10/1*11 20/1", "-",
     1, 130, 119988, 80.000000000000L, 0, 0, 80, 0, 0, "[67 - 82]", "", ""},
    {"deletion just below 80", Particulars, 4, 80, true, "10/1*11 21/1", "-",
     1, 131, 119988, 79.938636732461L, 0, 0, 80, 0, 0, "[67 - 82]", "", ""},
    {"deletion just above 20", Report, 4, 80, true, "81/1*11 82/1", "-",
     1, 973, 119988, 20.031886265189L, 0, 20.031886265189L, 20, 0, 20, "[18 - 33]", "", "[18 - 33]"},
    {"deletion just below 20: clamp", Report, 4, 80, true, "81/1*11 83/1", "-",
     1, 974, 119988, 20.000000000000L, 0, 20.000000000000L, 20, 0, 20, "[18 - 33]", "", "[18 - 33]"},
    {"deletion just above 20", Particulars, 4, 92, true, "73/1*11 67/1", "-",
     2, 870, 119988, 20.017821344417L, 0, 0, 20, 0, 0, "[18 - 34]", "", ""},
    {"deletion just below 20: clamp", Particulars, 4, 92, true, "73/1*11 68/1", "-",
     2, 871, 119988, 20.000000000000L, 0, 0, 20, 0, 0, "[18 - 34]", "", ""},
    {"substitution y = 0.039: 75", Particulars, 3, 95, true, "-", "3/1*11 6/1",
     2, 119988, 39, 0, 75.000000000000L, 0, 0, 75, 0, "", "[66 - 78]", ""},
    {"substitution y = 0.040", Particulars, 3, 95, true, "-", "3/1*11 7/1",
     2, 119988, 40, 0, 72.245337749333L, 0, 0, 72, 0, "", "[63 - 76]", ""},
    {"substitution y = 0.039: 80", Report, 3, 95, true, "-", "3/1*11 6/1",
     2, 119988, 39, 0, 80.000000000000L, 0, 0, 80, 0, "", "[71 - 83]", ""},
    {"substitution y = 0.040", Report, 3, 95, true, "-", "3/1*11 7/1",
     2, 119988, 40, 0, 73.357604636800L, 0, 0, 73, 0, "", "[64 - 77]", ""},
    {"substitution y = 6.810", Particulars, 3, 170, true, "-", "570/1*11 540/1",
     8, 119988, 6810, 0, 31.626238028952L, 0, 0, 32, 0, "", "[28 - 38]", ""},
    {"substitution y = 6.811: cut-off", Particulars, 3, 170, true, "-", "570/1*11 541/1",
     8, 119988, 6811, 0, 20.000000000000L, 0, 0, 20, 0, "", "[17 - 26]", ""},
    {"substitution y = 7.080", Report, 3, 170, true, "-", "590/1*12",
     8, 119988, 7080, 0, 40.251584169600L, 0, 0, 40, 0, "", "[36 - 45]", ""},
    {"substitution y = 7.081: cut-off", Report, 3, 170, true, "-", "590/1*11 591/1",
     8, 119988, 7081, 0, 20.000000000000L, 0, 0, 20, 0, "", "[17 - 26]", ""},
    {"substitution just above 20", Report, 3, 120, true, "-", "300/1*11 92/1",
     4, 119988, 3392, 0, 20.002715456000L, 0, 0, 20, 0, "", "[17 - 28]", ""},
    {"substitution just below 20: clamp", Report, 3, 120, true, "-", "300/1*11 93/1",
     4, 119988, 3393, 0, 20.000000000000L, 0, 0, 20, 0, "", "[17 - 28]", ""},
    {"substitution with penalties, past N", Report, 5, 130, true, "-", "100/1*4 0/0*8",
     5, 119988, 1533, 0, 36.645452710929L, 0, 0, 37, 0, "", "[32 - 45]", ""},
    {"index above 80: clamp", Report, 7, 100, true, "4/1*12", "3/1*12",
     2, 48, 36, 80.000000000000L, 80.000000000000L, 80.000000000000L, 80, 80, 80, "[66 - 82]", "[71 - 83]", "[71 - 83]"},
    {"index below 20: clamp", Report, 7, 100, true, "90/1*12", "700/1*12",
     2, 1080, 8400, 20.000000000000L, 20.000000000000L, 20.000000000000L, 20, 20, 20, "[18 - 34]", "[17 - 29]", "[17 - 29]"},
    {"finished, band 5", Particulars, 7, 130, true, "25/1*10 40/0 60/0", "200/1*9 300/0*3",
     5, 308, 2109, 41.659851609436L, 26.745163645944L, 32.063609059793L, 42, 27, 32, "[36 - 50]", "[23 - 36]", "[28 - 39]"},
    {"finished, band 5", Report, 7, 130, true, "25/1*10 40/0 60/0", "200/1*9 300/0*3",
     5, 308, 2109, 39.991821931323L, 25.582421828241L, 30.475263173491L, 40, 26, 30, "[34 - 49]", "[23 - 35]", "[26 - 37]"},
    {"deletion only, band 4: no index", Particulars, 6, 120, true, "30/1*12", "20/1*12",
     4, 360, 240, 41.719190304000L, 0, 0, 42, 0, 0, "[36 - 51]", "", ""},
    {"deletion only, band 4: no index", Report, 6, 120, true, "30/1*12", "20/1*12",
     4, 360, 240, 40.063028364800L, 0, 0, 40, 0, 0, "[34 - 49]", "", ""},
    {"deletion only, band 1", Particulars, 6, 80, true, "30/1*12", "-",
     1, 360, 119988, 61.894038804000L, 0, 0, 62, 0, 0, "[52 - 67]", "", ""},
    {"deletion only, band 1: the index", Report, 6, 80, true, "30/1*12", "-",
     1, 360, 119988, 64.272846564800L, 0, 64.272846564800L, 64, 0, 64, "[54 - 69]", "", "[54 - 69]"},
    {"substitution done, deletion under way", Particulars, 5, 140, true, "30/1*12", "150/1*12",
     6, 360, 1800, 0, 23.142910552381L, 0, 0, 23, 0, "", "[20 - 31]", ""},
    {"nothing done yet", Report, 2, 140, true, "30/1*12", "150/1*12",
     6, 360, 1800, 0, 0, 0, 0, 0, 0, "", "", ""},
    {"nothing done yet", Particulars, 1, 140, true, "30/1*12", "150/1*12",
     6, 360, 1800, 0, 0, 0, 0, 0, 0, "", "", ""},
};

TEST(Scoring, NormTable)
{
    for (const NormCase &c : kNormCases) {
        SCOPED_TRACE(std::string(c.label) + (c.variant == Report ? " (report)" : " (particulars)"));
        ScoringInput in;
        in.state = c.state;
        in.ageInMonths = c.ageInMonths;
        in.birthDateComplete = c.birthDateComplete;
        in.deletion = Grid(c.deletion);
        in.substitution = Grid(c.substitution);

        const TScores s = BerekenTS(in, c.variant);
        EXPECT_EQ(s.band, c.band);
        EXPECT_EQ(StrafsomFW(in.deletion, s.band), c.strafsomFW);
        EXPECT_EQ(StrafsomFV(in.substitution, s.band), c.strafsomFV);
        EXPECT_NEAR(static_cast<double>(s.deletion), static_cast<double>(c.tDeletion), 1e-9);
        EXPECT_NEAR(static_cast<double>(s.substitution), static_cast<double>(c.tSubstitution), 1e-9);
        EXPECT_NEAR(static_cast<double>(s.index), static_cast<double>(c.index), 1e-9);
        // Absent stays exactly 0, so that "n.v.t." is shown.
        EXPECT_EQ(s.deletion == 0, c.tDeletion == 0);
        EXPECT_EQ(s.substitution == 0, c.tSubstitution == 0);
        EXPECT_EQ(s.index == 0, c.index == 0);

        EXPECT_EQ(RoundTScore(s.deletion), c.shownDeletion);
        EXPECT_EQ(RoundTScore(s.substitution), c.shownSubstitution);
        EXPECT_EQ(RoundTScore(s.index), c.shownIndex);
        const int a = NormAge(s.band);
        if (s.deletion != 0) {
            EXPECT_EQ(Interval95A(RoundTScore(s.deletion), a), c.intervalDeletion);
        }
        if (s.substitution != 0) {
            EXPECT_EQ(Interval95B(RoundTScore(s.substitution), a), c.intervalSubstitution);
        }
        if (s.index != 0) {
            EXPECT_EQ(Interval95C(RoundTScore(s.index), a), c.intervalIndex);
        }
    }
}

// Twelve wrong items with their times show both P and N of every band.
TEST(Scoring, PenaltyTables)
{
    struct Row {
        int band;
        long long deletion, substitution;
    };
    const Row rows[] = {
    {0, 119988, 119988},
    {1, 1870, 119988},
    {2, 1980, 5904},
    {3, 2208, 5390},
    {4, 2337, 4995},
    {5, 1653, 3399},
    {6, 1675, 3240},
    {7, 1273, 3456},
    {8, 1072, 3762},
    };
    const ScoreGrid allWrong = Grid("10/0*12");
    for (const Row &r : rows) {
        SCOPED_TRACE(r.band);
        EXPECT_EQ(StrafsomFW(allWrong, r.band), r.deletion);
        EXPECT_EQ(StrafsomFV(allWrong, r.band), r.substitution);
    }
    // Outside the bands there are no norms, as in band 0.
    EXPECT_EQ(StrafsomFW(allWrong, 9), 119988);
    EXPECT_EQ(StrafsomFV(allWrong, -1), 119988);
}

TEST(Scoring, IntervalTexts)
{
    struct Row {
        std::string (*interval)(int, int);
        int t, a;
        const char *text;
    };
    const Row rows[] = {
    {Interval95A, 50, 7, "[42 - 58]"},
    {Interval95C, 60, 8, "[53 - 65]"},
    {Interval95B, 64, 7, "[56 - 69]"},
    {Interval95A, 64, 14, "[56 - 69]"},
    {Interval95B, 20, 8, "[17 - 29]"},
    {Interval95C, 80, 14, "[74 - 83]"},
    {Interval95A, 35, 12, "[30 - 47]"},
    {Interval95B, 47, 11, "[41 - 53]"},
    {Interval95C, 52, 9, "[47 - 57]"},
    // One row for every reliability of the three tables, each at a score
    // where a reliability 0.01 higher or lower moves a bound, so that no
    // entry can be mistyped unnoticed.
    {Interval95A, 44, 7, "[38 - 53]"},
    {Interval95A, 23, 8, "[21 - 36]"},
    {Interval95A, 44, 9, "[38 - 53]"},
    {Interval95A, 44, 10, "[38 - 53]"},
    {Interval95A, 21, 11, "[18 - 33]"},
    {Interval95A, 22, 12, "[21 - 37]"},
    {Interval95A, 23, 13, "[21 - 36]"},
    {Interval95A, 41, 14, "[36 - 49]"},
    {Interval95B, 41, 7, "[36 - 49]"},
    {Interval95B, 35, 8, "[31 - 43]"},
    {Interval95B, 37, 9, "[32 - 44]"},
    {Interval95B, 23, 10, "[20 - 31]"},
    {Interval95B, 35, 11, "[31 - 43]"},
    {Interval95B, 23, 12, "[20 - 31]"},
    {Interval95B, 23, 13, "[20 - 31]"},
    {Interval95B, 26, 14, "[23 - 32]"},
    {Interval95C, 44, 7, "[38 - 53]"},
    {Interval95C, 37, 8, "[32 - 44]"},
    {Interval95C, 28, 9, "[24 - 35]"},
    {Interval95C, 28, 10, "[24 - 35]"},
    {Interval95C, 23, 11, "[20 - 31]"},
    {Interval95C, 37, 12, "[32 - 44]"},
    {Interval95C, 23, 13, "[20 - 31]"},
    {Interval95C, 34, 14, "[31 - 39]"},
    {Interval95A, 52, 9, "[44 - 59]"},
    {Interval95A, 54, 9, "[46 - 61]"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(r.interval(r.t, r.a), r.text) << r.t << " at " << r.a;
    // Without norms there is no table entry to read.
    for (int a : {0, 6, 15, -1}) {
        EXPECT_EQ(Interval95A(50, a), "[ n.v.t. ]");
        EXPECT_EQ(Interval95B(50, a), "[ n.v.t. ]");
        EXPECT_EQ(Interval95C(50, a), "[ n.v.t. ]");
    }
}

TEST(Scoring, TotalTimeAndNumberRight)
{
    struct Row {
        const char *grid;
        const char *totalSeconds;
        const char *numberRight;
    };
    const Row rows[] = {
        {"30/1*12", "36", "12"},
        {"100/1*11 135/0", "124", "11"}, // 1235 tenths
        {"100/1*11 134/1", "123", "12"}, // 1234 tenths
        {"30/1*11 /1", "133", "12"},     // the empty time counts 999
        {"30/1*11 abc/1", "133", "12"},  // so does an unreadable one
        {"30/1*11 30/", "36", "1010"},   // the empty score counts 999
        {"30/1*11 30/x", "36", "11"},    // an unreadable score is wrong
        {"30/1*11 30/-1", "36", "11"},
        {"-", "1199", "11988"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.grid);
        const ScoreGrid g = Grid(r.grid);
        EXPECT_EQ(TotaleTijd(g), r.totalSeconds);
        EXPECT_EQ(AantalGoed(g), r.numberRight);
    }
}

// The reports' time penalties count only the items scored "1", so an
// untouched or half-scored subtest never gives a negative or huge count.
TEST(Scoring, TimePenaltiesCountItemsNotRight)
{
    struct Row {
        const char *grid;
        int penalties;
    };
    const Row rows[] = {
        {"30/1*12", 0},
        {"30/1*9 50/0*3", 3},
        {"-", 12},            // untouched: AantalGoed would say 11988
        {"30/1*11 30/", 1},   // an empty score is not right
        {"30/1*11 /1", 0},    // a missing time does not undo a right score
        {"30/1*10 30/x 30/-1", 2},
        {"30/0*12", 12},
    };
    for (const Row &r : rows)
        EXPECT_EQ(TijdPenalties(Grid(r.grid)), r.penalties) << r.grid;
}

// Hostile cell texts count as missing times and never throw.
TEST(Scoring, UnreadableCellsAreMissing)
{
    ScoreGrid g = Grid("30/1*12");
    for (const char *text : {"1e3", "0x10", "12.5", "99999999999999999999", "--1", "3 0", "\xff"}) {
        SCOPED_TRACE(text);
        g[4].time = text;
        EXPECT_EQ(StrafsomFW(g, 3), 11 * 30 + 9999);
        EXPECT_EQ(TotaleTijd(g), "133");
    }
    // Blanks around a number do not make it unreadable.
    g[4].time = " 30 ";
    EXPECT_EQ(StrafsomFW(g, 3), 12 * 30);
}

TEST(Scoring, Rounding)
{
    EXPECT_EQ(RondAf(2.5L), 3);
    EXPECT_EQ(RondAf(2.4999L), 2);
    EXPECT_EQ(RondAf(-0.5L), 0);
    EXPECT_EQ(RondAf(-1.7L), -2);
    EXPECT_EQ(RondAf(123.5L), 124);

    // The report's rounding is half up on both sides of zero, like RondAf.
    struct Half { long double value; int d; long double rounded; };
    const Half halves[] = {
        {2.5L, 0, 3}, {-2.5L, 0, -2}, {-2.51L, 0, -3}, {-0.5L, 0, 0}, {-1.7L, 0, -2},
        {123.5L, 0, 124}, {123.4L, 0, 123}, {1.25L, 1, 1.3L}, {-1.25L, 1, -1.2L},
    };
    for (const Half &h : halves)
        EXPECT_EQ(RoundD(h.value, h.d), h.rounded) << static_cast<double>(h.value) << " to " << h.d;

    // Stored and shown T-scores: halves go to the even neighbour.
    EXPECT_EQ(RoundTScore(52.5L), 52);
    EXPECT_EQ(RoundTScore(53.5L), 54);
    EXPECT_EQ(RoundTScore(52.5001L), 53);
    EXPECT_EQ(RoundTScore(0), 0);
}

} // namespace
