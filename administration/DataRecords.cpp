#include "administration/DataRecords.h"

#include <algorithm>

namespace adm {

namespace {

const TSubtestProfile kFW{TSubtest::FW,
                          "FWR",
                          "FWR-B",
                          {"FW", "FWA", "FWB", "FWR", "FWR-A", "FWR-B"},
                          {"FWB", "FWR-B"},
                          15,
                          15,
                          3,
                          true,
                          "Data foutief of niet van FoneemWeglating!"};

const TSubtestProfile kFV{TSubtest::FV,
                          "FVR",
                          "FVR-B",
                          {"FV", "FVA", "FVB", "FVR", "FVR-A", "FVR-B"},
                          {"FVB", "FVR-B"},
                          12,
                          12,
                          0,
                          false,
                          "Data foutief of niet van FoneemVerwisseling!"};

bool AllDigits(const std::string &s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole number of at most nine digits, or -1.
int Number(const std::string &s)
{
    if (s.empty() || s.size() > 9 || !AllDigits(s))
        return -1;
    return std::stoi(s);
}

bool OptionalNumber(const std::string &s) { return s.empty() || (s.size() <= 9 && AllDigits(s)); }

// Scores: "1", "0", empty, and the correction window's "-1" for none.
bool ScoreText(const std::string &s)
{
    return OptionalNumber(s) || (s.size() > 1 && s[0] == '-' && OptionalNumber(s.substr(1)));
}

// A text field of a record never carries the separator or a line break.
std::string Field(const std::string &s)
{
    std::string out;
    for (char c : s)
        if (c != ';' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            out += c;
    return out;
}

std::vector<std::string> SplitFields(const std::string &line, size_t limit)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() <= limit) {
        const size_t semi = line.find(';', start);
        if (semi == std::string::npos) {
            fields.push_back(line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, semi - start));
        start = semi + 1;
    }
    return fields;
}

std::string SexWord(int sex) { return sex == 0 ? "meisje" : sex == 1 ? "jongen" : ""; }

std::string ParticularFields(const TParticulars &p)
{
    return ";" + SexWord(p.sex) + ";" + Field(p.gebdag) + ";" + Field(p.gebmnd) + ";" + Field(p.gebjaar) + ";" +
           Field(p.afndag) + ";" + Field(p.afnmnd) + ";" + Field(p.afnjaar) + ";" + Field(p.school) + ";" +
           Field(p.groep) + ";" + Field(p.tl);
}

} // namespace

bool TSubtestProfile::HasResult(int state) const
{
    if (subtest == TSubtest::FW)
        return state == 4 || state == 6 || state == 7;
    return state == 3 || state == 5 || state == 7;
}

const TSubtestProfile &Profile(TSubtest s) { return s == TSubtest::FW ? kFW : kFV; }

// ------------------------------------------------------------- score grid

TScoreGrid::TScoreGrid(TSubtest s) : subtest_(s)
{
    for (int r = 0; r < kScoreRows; ++r) {
        if (s == TSubtest::FW)
            cells_[r][0] = r < 3 ? " vb" + std::to_string(r + 1) : " " + std::to_string(r - 2);
        else if (r < 12)
            cells_[r][0] = " " + std::to_string(r + 1);
    }
}

std::string TScoreGrid::Cells(int col, int row) const
{
    if (col < 0 || col > 2 || row < 0 || row >= kScoreRows)
        return {};
    return cells_[row][col];
}

void TScoreGrid::SetCells(int col, int row, const std::string &s)
{
    if (col < 0 || col > 2 || row < 0 || row >= kScoreRows)
        return;
    cells_[row][col] = s;
}

void TScoreGrid::Clear()
{
    for (auto &row : cells_)
        row[1].clear(), row[2].clear();
}

scoring::ScoreGrid TScoreGrid::Items() const
{
    scoring::ScoreGrid items;
    const int first = Profile(subtest_).firstItemRow;
    for (int k = 0; k < 12; ++k)
        items[k] = {cells_[first + k][1], cells_[first + k][2]};
    return items;
}

// ---------------------------------------------------------------- records

std::string MaakRegel(const TSubtestProfile &profile, const TParticulars &p, const TRecordState &rs,
                      const TScoreGrid &grid, int pairs, const scoring::TScores &tscores)
{
    std::string line = Field(p.code);
    if (p.form == 0)
        line += std::string(";") + profile.tagA;
    else if (p.form == 1)
        line += std::string(";") + profile.tagB;
    line += ParticularFields(p) + ";" + Field(rs.lastEntry) + ";" + std::to_string(rs.state);
    pairs = std::clamp(pairs, 0, kScoreRows);
    for (int r = 0; r < pairs; ++r)
        line += ";" + Field(grid.Cells(1, r)) + ";" + Field(grid.Cells(2, r));
    if (profile.HasResult(rs.state)) {
        const long double t = profile.subtest == TSubtest::FW ? tscores.deletion : tscores.substitution;
        line += ";" + std::to_string(scoring::RoundTScore(t));
    }
    return line;
}

std::string PlaceholderRecord(const TSubtestProfile &profile, const TParticulars &p)
{
    return Field(p.code) + ";" + profile.tagA + ParticularFields(p) + ";" + ";1";
}

std::optional<TParsedRecord> LeesRegel(const TSubtestProfile &profile, const std::string &line,
                                       bool strictScores)
{
    const auto f = SplitFields(line, kMaxFields);
    if (f.size() < 14 || f.size() > static_cast<size_t>(kMaxFields))
        return std::nullopt;
    if (std::find_if(profile.accepted.begin(), profile.accepted.end(),
                     [&](const char *tag) { return f[1] == tag; }) == profile.accepted.end())
        return std::nullopt;

    TParsedRecord r;
    r.fieldCount = static_cast<int>(f.size());
    // Pairs and, when the count is odd past the fourteen, a T-score.
    const int rest = r.fieldCount - 14;
    if (rest > 2 * profile.pairs + 1)
        return std::nullopt;
    for (int i = 14; i < r.fieldCount; ++i) {
        const bool tscore = rest % 2 == 1 && i == r.fieldCount - 1;
        const bool score = !tscore && (i - 14) % 2 == 1;
        if (!(score ? ScoreText(f[i]) : OptionalNumber(f[i])))
            return std::nullopt;
        if (score && strictScores && !(f[i].empty() || f[i] == "0" || f[i] == "1"))
            return std::nullopt;
    }
    for (int i : {3, 4, 5, 6, 7, 8})
        if (!OptionalNumber(f[i]))
            return std::nullopt;
    // The code finds the record and names the files: a record whose code
    // holds a control character could be written but never found again.
    if (Field(f[0]) != f[0])
        return std::nullopt;
    const int state = Number(f[13]);
    if (state < 1 || state > 7)
        return std::nullopt;

    std::string last = f[12];
    if (profile.examples && (last == "vb1" || last == "vb2" || last == "vb3"))
        last = last.substr(2);
    if (!last.empty()) {
        const int m = Number(last);
        if (m < 0 || m > profile.lastEntry)
            return std::nullopt;
    }

    TParticulars &p = r.particulars;
    p.code = f[0];
    p.form = std::find(profile.formB.begin(), profile.formB.end(), f[1]) != profile.formB.end() ? 1 : 0;
    p.sex = f[2].empty() ? -1 : (f[2] == "vrouw" || f[2] == "meisje") ? 0 : 1;
    p.gebdag = f[3];
    p.gebmnd = f[4];
    p.gebjaar = f[5];
    p.afndag = f[6];
    p.afnmnd = f[7];
    p.afnjaar = f[8];
    p.school = f[9];
    p.groep = f[10];
    p.tl = f[11];
    r.record.lastEntry = last;
    r.record.state = state;
    for (int k = 1; k <= kScoreRows; ++k) {
        const size_t time = 13 + 2 * k - 1, score = 14 + 2 * k - 1; // 0-based
        if (time < f.size())
            r.rows[k - 1][0] = f[time];
        if (score < f.size())
            r.rows[k - 1][1] = f[score];
    }
    return r;
}

scoring::TScores BerekenTS(const TParticulars &p, int state, int ageInMonths, const TScoreGrid &fw,
                           const TScoreGrid &fv, scoring::TVariant variant)
{
    scoring::ScoringInput in;
    in.state = state;
    in.ageInMonths = ageInMonths;
    in.birthDateComplete = !p.gebdag.empty() && !p.gebmnd.empty() && !p.gebjaar.empty();
    in.deletion = fw.Items();
    in.substitution = fv.Items();
    return scoring::BerekenTS(in, variant);
}

int ApplyRecord(const TParsedRecord &r, bool capAtLast, TParticulars &p, int &state, TScoreGrid &grid,
                std::string &lastEntry)
{
    p = r.particulars;
    state = r.record.state;
    for (int k = 0; k < kScoreRows; ++k) {
        grid.SetCells(1, k, r.rows[k][0]);
        grid.SetCells(2, k, r.rows[k][1]);
    }
    lastEntry = r.record.lastEntry;
    return NextEntry(Profile(grid.Subtest()), lastEntry, capAtLast);
}

int NextEntry(const TSubtestProfile &profile, const std::string &lastEntry, bool capAtLast)
{
    const int m = Number(lastEntry);
    if (m < 0)
        return 1;
    if (capAtLast && m >= profile.lastEntry)
        return profile.lastEntry;
    return m + 1;
}

// ------------------------------------------------------------- data lists

void TDataList::VulGrid()
{
    const int n = std::min(Lines.Count(), kDataRows);
    for (int r = 0; r < kDataRows; ++r)
        grid_[r] = r < n ? Lines[r] : std::string();
}

void TDataList::VoegRegelToe(const std::string &record)
{
    Lines.Add(record);
    VulGrid();
}

void TDataList::VervangRegel(int n, const std::string &record)
{
    if (n < 1)
        return;
    Lines.SetStrings(n - 1, record);
    VulGrid();
}

int TDataList::ZoekRegel(const std::string &code) const
{
    if (code.empty())
        return 0;
    const int n = std::min(Lines.Count(), kDataRows);
    int found = 0;
    for (int r = 0; r < n; ++r) {
        const std::string &row = grid_[r];
        if (row.substr(0, row.find(';')) == code)
            found = r + 1;
    }
    return found;
}

void TDataList::Clear()
{
    Lines.Clear();
    ClearGrid();
}

void TDataList::ClearGrid()
{
    for (auto &row : grid_)
        row.clear();
}

} // namespace adm
