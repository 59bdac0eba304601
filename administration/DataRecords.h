#pragma once
// Data records: one line per administration of one subtest, fields separated
// by ";" with no quoting:
//
//   1 code  2 tag  3 sex  4..6 birth day, month, year  7..9 test day, month,
//   year  10 school  11 group  12 test leader  13 last entry  14 state
//   15.. n pairs of item time and score, in grid order
//   then the subtest's T-score, when the state says its results exist
//
// A complete deletion record has 45 fields (three examples and twelve items),
// a complete substitution record 39.
//
// The particulars window and the correction window build and read records
// with these functions, each with its own fields, number of pairs and
// T-score variant; the subtest profile carries what differs between the two
// subtests.
#include "administration/Particulars.h"
#include "administration/Scoring.h"
#include "platform/core/StringList.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace adm {

constexpr int kScoreRows = 15;  // rows of both score grids
constexpr int kDataRows = 200;  // rows of the data grids; longer files are refused
constexpr int kMaxFields = 50;

struct TSubtestProfile {
    TSubtest subtest;
    const char *tagA;            // "FWR" / "FVR"
    const char *tagB;            // "FWR-B" / "FVR-B"
    std::array<const char *, 6> accepted;
    std::array<const char *, 2> formB; // accepted tags that mean form B
    int lastEntry;               // 15 / 12
    int pairs;                   // pairs of a complete record: 15 / 12
    int firstItemRow;            // grid row of item 1: 3 / 0
    bool examples;               // "vb1".."vb3" in the last-entry field
    const char *damaged;         // the message for a record that is not this subtest's
    // States in which this subtest's results exist (and the T-score ends
    // the record).
    bool HasResult(int state) const;
};

const TSubtestProfile &Profile(TSubtest s);

// The hidden score grid: column 0 the row label, 1 the item time, 2 the
// score; 15 rows. Cells outside read as empty and are not stored.
class TScoreGrid {
public:
    explicit TScoreGrid(TSubtest s);
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string &s);
    // Time and score cells emptied; labels kept.
    void Clear();
    // Items 1..12 as the scoring reads them.
    scoring::ScoreGrid Items() const;
    TSubtest Subtest() const { return subtest_; }

private:
    TSubtest subtest_;
    std::array<std::array<std::string, 3>, kScoreRows> cells_{};
};

// A record's own fields besides the particulars.
struct TRecordState {
    std::string lastEntry; // field 13 as it stands
    int state = 0;         // field 14
};

// Builds a record. pairs: the number of (time, score) pairs written, from
// grid row 0 (the particulars window writes the subtest window's current
// entry, the correction window one fewer). tscores: the caller's T-scores
// (the variant is the caller's); the subtest's is appended, rounded, when
// the state says its results exist. Text fields lose any ";" and control
// character on the way, so a record always splits into its own fields.
std::string MaakRegel(const TSubtestProfile &profile, const TParticulars &p, const TRecordState &rs,
                      const TScoreGrid &grid, int pairs, const scoring::TScores &tscores);

// The record written before the administration has a base name: 14 fields,
// the tag without the form, an empty last entry and state 1.
std::string PlaceholderRecord(const TSubtestProfile &profile, const TParticulars &p);

// A parsed record. Particulars, last entry and state are as stored (the
// deletion examples "vb1".."vb3" shown as "1".."3"); rows are the score
// grid's rows 0..14 (a complete substitution record's T-score lands in
// row 12's time, which nothing reads).
struct TParsedRecord {
    TParticulars particulars; // form from the tag; test-date fields as stored
    TRecordState record;
    std::array<std::array<std::string, 2>, kScoreRows> rows{};
    int fieldCount = 0;
};

// The T-scores of a window's grids in the given variant; the age band only
// counts when the three birth-date fields are filled in.
scoring::TScores BerekenTS(const TParticulars &p, int state, int ageInMonths, const TScoreGrid &fw,
                           const TScoreGrid &fv, scoring::TVariant variant);

// A parsed record's particulars, state, score rows and last entry into a
// window's state; the subtest window's current entry that follows, capped
// at the last entry or not (NextEntry), is the result.
int ApplyRecord(const TParsedRecord &r, bool capAtLast, TParticulars &p, int &state, TScoreGrid &grid,
                std::string &lastEntry);

// Parses a record; nothing when the tag is not this subtest's or the record
// is damaged: fewer than 14 or more than 50 fields, a state outside 1..7, a
// last entry that is no entry of this subtest, a birth or test date, a time,
// a score or a T-score that is no number, or a code with a control character.
// strictScores refuses any score but "0", "1" and empty as well (the
// correction window, whose item lists know only right and wrong).
std::optional<TParsedRecord> LeesRegel(const TSubtestProfile &profile, const std::string &line,
                                       bool strictScores = false);

// The subtest window's current entry after a parsed last entry: the next
// one, at most the last (the particulars window), or without that cap (the
// correction window); 1 when the last entry is no number.
int NextEntry(const TSubtestProfile &profile, const std::string &lastEntry, bool capAtLast);

// One data file in memory: its lines (MdataFW / MdataFV) and the copy in
// column 1 of the data grid (SGdataFW / SGdataFV, 200 rows).
class TDataList {
public:
    plat::TStringList Lines;
    // Column 1 of the grid; rows beyond the list are empty.
    const std::string &Row(int row) const { return grid_[row]; }
    // Copies the list into the grid (VulGridFW / VulGridFV); lines beyond
    // the grid's 200 rows are not copied.
    void VulGrid();
    // Appends a record and copies the list into the grid.
    void VoegRegelToe(const std::string &record);
    // Replaces line n (1-based) and copies the list into the grid.
    void VervangRegel(int n, const std::string &record);
    // The 1-based row of the last grid line (among as many rows as the list
    // has lines) whose text before its first ";" equals code; 0 when none or
    // the code is empty.
    int ZoekRegel(const std::string &code) const;
    // List and grid emptied.
    void Clear();
    // Grid column 1 emptied in every row (the list is kept).
    void ClearGrid();

private:
    std::array<std::string, kDataRows> grid_{};
};

} // namespace adm
