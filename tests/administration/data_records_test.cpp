// Data records built and read back, checked by a reader of the test's own.
#include "administration/DataRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace adm;

// The test's own reading of a record: every ";" separates two fields.
std::vector<std::string> Fields(const std::string &line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ';')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// The field with the 1-based number n.
std::string F(const std::vector<std::string> &f, size_t n) { return n <= f.size() ? f[n - 1] : "<none>"; }

TParticulars Child()
{
    TParticulars p;
    p.code = "Jan #2";
    p.sex = 0;
    p.gebdag = "10";
    p.gebmnd = "01";
    p.gebjaar = "2017";
    p.afndag = "10";
    p.afnmnd = "03";
    p.afnjaar = "2024";
    p.school = "De Eik";
    p.groep = "5";
    p.tl = "Piet";
    p.form = 0;
    return p;
}

// Band 1 (86 months): twelve right deletion items of 30 tenths each give a
// particulars-window T-score of 61.89, stored as 62.
scoring::TScores Scores(const TScoreGrid &fw, const TScoreGrid &fv, int state)
{
    scoring::ScoringInput in;
    in.state = state;
    in.ageInMonths = 86;
    in.birthDateComplete = true;
    in.deletion = fw.Items();
    in.substitution = fv.Items();
    return scoring::BerekenTS(in, scoring::TVariant::Particulars);
}

void FillAllRight(TScoreGrid &g, int rows)
{
    for (int r = 0; r < rows; ++r) {
        g.SetCells(1, r, "30");
        g.SetCells(2, r, "1");
    }
}

TEST(DataRecords, GoldenLines)
{
    TScoreGrid fw(TSubtest::FW), fv(TSubtest::FV);
    const TParticulars p = Child();
    const auto &FW = Profile(TSubtest::FW);
    const auto &FV = Profile(TSubtest::FV);

    // Just started: one empty pair, no T-score.
    EXPECT_EQ(MaakRegel(FW, p, {"", 2}, fw, 1, Scores(fw, fv, 2)),
              "Jan #2;FWR;meisje;10;01;2017;10;03;2024;De Eik;5;Piet;;2;;");
    EXPECT_EQ(PlaceholderRecord(FW, p), "Jan #2;FWR;meisje;10;01;2017;10;03;2024;De Eik;5;Piet;;1");
    EXPECT_EQ(PlaceholderRecord(FV, p), "Jan #2;FVR;meisje;10;01;2017;10;03;2024;De Eik;5;Piet;;1");

    FillAllRight(fw, 15);
    FillAllRight(fv, 12);
    struct Row {
        const char *name;
        const TSubtestProfile &profile;
        TScoreGrid &grid;
        int form;
        std::string last;
        int state;
        int pairs;
        size_t fields;
        const char *tag;
        const char *tscore; // nullptr: none
    };
    const Row rows[] = {
        {"deletion done", FW, fw, 0, "15", 4, 15, 45, "FWR", "62"},
        {"deletion done, form B", FW, fw, 1, "15", 4, 15, 45, "FWR-B", "62"},
        {"deletion under way", FW, fw, 0, "15", 2, 15, 44, "FWR", nullptr},
        {"deletion in an example", FW, fw, 0, "vb2", 2, 2, 18, "FWR", nullptr},
        {"finished, deletion", FW, fw, 0, "15", 7, 15, 45, "FWR", "62"},
        // No substitution norms in band 1: the T-score is 0.
        {"substitution done", FV, fv, 0, "12", 3, 12, 39, "FVR", "0"},
        {"substitution done, form B", FV, fv, 1, "12", 5, 12, 39, "FVR-B", "0"},
        {"substitution under way", FV, fv, 0, "7", 6, 7, 28, "FVR", nullptr},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TParticulars q = p;
        q.form = r.form;
        const std::string line = MaakRegel(r.profile, q, {r.last, r.state}, r.grid, r.pairs, Scores(fw, fv, r.state));
        const auto f = Fields(line);
        EXPECT_EQ(f.size(), r.fields);
        EXPECT_EQ(F(f, 1), "Jan #2");
        EXPECT_EQ(F(f, 2), r.tag);
        EXPECT_EQ(F(f, 3), "meisje");
        EXPECT_EQ(F(f, 6), "2017");
        EXPECT_EQ(F(f, 10), "De Eik");
        EXPECT_EQ(F(f, 12), "Piet");
        EXPECT_EQ(F(f, 13), r.last);
        EXPECT_EQ(F(f, 14), std::to_string(r.state));
        // Item k: deletion time in field 19 + 2k, substitution in 13 + 2k.
        const size_t first = r.profile.subtest == TSubtest::FW ? 21 : 15;
        const int items = r.profile.subtest == TSubtest::FW ? std::max(0, r.pairs - 3) : r.pairs;
        for (int k = 1; k <= items; ++k) {
            EXPECT_EQ(F(f, first + 2 * (k - 1)), "30") << k;
            EXPECT_EQ(F(f, first + 2 * (k - 1) + 1), "1") << k;
        }
        if (r.tscore) {
            EXPECT_EQ(f.back(), r.tscore);
        }
    }
}

TEST(DataRecords, TextFieldsNeverSplitARecord)
{
    TParticulars p = Child();
    p.school = "A;B\r\nC";
    TScoreGrid g(TSubtest::FW);
    const auto f = Fields(MaakRegel(Profile(TSubtest::FW), p, {"", 2}, g, 1, {}));
    EXPECT_EQ(f.size(), 16u);
    EXPECT_EQ(F(f, 10), "ABC");
}

TEST(DataRecords, ReadingTagsFormsAndEntries)
{
    const auto &FW = Profile(TSubtest::FW);
    const auto &FV = Profile(TSubtest::FV);
    const std::string rest = ";meisje;10;01;2017;10;03;2024;De Eik;5;Piet;";
    struct Row {
        const TSubtestProfile &profile;
        std::string tag, last;
        bool ok;
        int form;
        std::string shownLast;
        int entry;
    };
    const Row rows[] = {
        {FW, "FW", "vb1", true, 0, "1", 2},    {FW, "FWA", "vb3", true, 0, "3", 4},
        {FW, "FWB", "4", true, 1, "4", 5},     {FW, "FWR", "", true, 0, "", 1},
        {FW, "FWR-A", "14", true, 0, "14", 15}, {FW, "FWR-B", "15", true, 1, "15", 15},
        {FV, "FV", "1", true, 0, "1", 2},      {FV, "FVB", "11", true, 1, "11", 12},
        {FV, "FVR-B", "12", true, 1, "12", 12}, {FV, "FVR", "", true, 0, "", 1},
        {FW, "FVR", "1", false, 0, "", 0},     {FV, "FWR", "1", false, 0, "", 0},
        {FW, "fwr", "1", false, 0, "", 0},     {FW, "FWR", "16", false, 0, "", 0},
        {FV, "FVR", "13", false, 0, "", 0},    {FV, "FVR", "vb1", false, 0, "", 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.tag + " " + r.last);
        const auto parsed = LeesRegel(r.profile, "Jan;" + r.tag + rest + r.last + ";2;12;1");
        ASSERT_EQ(parsed.has_value(), r.ok);
        if (!r.ok)
            continue;
        EXPECT_EQ(parsed->particulars.form, r.form);
        EXPECT_EQ(parsed->record.lastEntry, r.shownLast);
        EXPECT_EQ(NextEntry(r.profile, parsed->record.lastEntry, true), r.entry);
        EXPECT_EQ(parsed->particulars.school, "De Eik");
        EXPECT_EQ(parsed->rows[0][0], "12");
        EXPECT_EQ(parsed->rows[0][1], "1");
        EXPECT_EQ(parsed->rows[1][0], "");
    }
    // The correction window's count goes on past the last entry.
    EXPECT_EQ(NextEntry(FW, "15", false), 16);
    EXPECT_EQ(NextEntry(FW, "x", true), 1);
}

TEST(DataRecords, RoundTripAndTheSubstitutionTScoreInRow12)
{
    TScoreGrid fv(TSubtest::FV);
    FillAllRight(fv, 12);
    TParticulars p = Child();
    p.sex = 1;
    const std::string line = MaakRegel(Profile(TSubtest::FV), p, {"12", 7}, fv, 12, {1, 70, 55.5L, 60});
    const auto r = LeesRegel(Profile(TSubtest::FV), line);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->fieldCount, 39);
    EXPECT_EQ(r->particulars.sex, 1);
    EXPECT_EQ(r->particulars.code, "Jan #2");
    EXPECT_EQ(r->record.state, 7);
    EXPECT_EQ(r->rows[11][0], "30");
    EXPECT_EQ(r->rows[12][0], "56"); // 55.5 to the even neighbour
    EXPECT_EQ(r->rows[12][1], "");

    const auto s = LeesRegel(Profile(TSubtest::FV), "Jan;FVR;vrouw;;;;;;;;;;;3");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->particulars.sex, 0);
    EXPECT_EQ(LeesRegel(Profile(TSubtest::FV), "Jan;FVR;;;;;;;;;;;;3")->particulars.sex, -1);
}

TEST(DataRecords, DamagedRecordsAreRefused)
{
    const auto &FW = Profile(TSubtest::FW);
    const std::string head = "Jan;FWR;meisje;10;01;2017;10;03;2024;De Eik;5;Piet;4;";
    const std::string damaged[] = {
        "",
        "Jan;FWR;meisje;10;01;2017;10;03;2024;De Eik;5;Piet;4", // 13 fields
        head + "x",                                             // state no number
        head + "0",
        head + "8",
        head + "2;1,5;1",                  // time no number
        head + "2;15;ja",                  // score no number
        head + "2;15;1;x",                 // T-score no number
        "Jan;FWR;meisje;1a;01;2017;10;03;2024;De Eik;5;Piet;4;2", // birth day
        head + "4" + std::string(36 * 2, ';'), // more fields than a record holds
        "Jan\x1b" "2;FWR;meisje;10;01;2017;10;03;2024;;;;4;2",  // a code no store could find again
    };
    for (const std::string &line : damaged) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(LeesRegel(FW, line));
    }
    EXPECT_TRUE(LeesRegel(FW, head + "2;15;1;62"));
    // The correction window's "-1" for an unscored item reads back.
    EXPECT_TRUE(LeesRegel(FW, head + "2;15;-1"));
}

TEST(DataRecords, ListGridAndSearch)
{
    TDataList d;
    d.VoegRegelToe("Jan;FWR;x");
    d.VoegRegelToe("Piet;FWR;y");
    d.VoegRegelToe("Jan;FWR;z");
    EXPECT_EQ(d.ZoekRegel("Jan"), 3);
    EXPECT_EQ(d.ZoekRegel("Piet"), 2);
    EXPECT_EQ(d.ZoekRegel("jan"), 0);
    EXPECT_EQ(d.ZoekRegel("Ja"), 0);
    EXPECT_EQ(d.ZoekRegel(""), 0);
    d.VervangRegel(2, "Kees;FWR");
    EXPECT_EQ(d.Row(1), "Kees;FWR");
    EXPECT_EQ(d.Lines[1], "Kees;FWR");
    EXPECT_EQ(d.Row(3), "");
    // Rows beyond the list are not searched, even when the grid holds text.
    d.Lines.Delete(2);
    EXPECT_EQ(d.ZoekRegel("Jan"), 1);

    TDataList big;
    for (int i = 0; i < kDataRows + 5; ++i)
        big.Lines.Add("L" + std::to_string(i));
    big.VulGrid();
    EXPECT_EQ(big.Row(kDataRows - 1), "L199");
}

} // namespace
