#pragma once
// Raw scores, penalised raw scores, T-scores, the combined index and the 95%
// intervals of one administration.
//
// Everything here is a pure function of the twelve (time, score) text pairs
// of each subtest, the administration state and the age in months, so that
// the particulars window, the correction window and both report windows share
// one implementation. Their operations map onto these functions as follows
// (the windows keep thin wrappers under their own names):
//
//   TZIBinvoer.TotaleTijdFW / FV      TotaleTijd(deletion / substitution items)
//   TZIBinvoer.AantalGoedFW / FV      AantalGoed(...)
//   Tcorrect.AantalGoedFW / FV        AantalGoed(...)
//   TZIBinvoer.StrafsomFW / FV        StrafsomFW / StrafsomFV(items, band)
//   Tcorrect.StrafsomFW / FV          StrafsomFW / StrafsomFV(items, band)
//   TZIBinvoer.BerekenTS              BerekenTS(input, TVariant::Particulars)
//   Tcorrect.BerekenTS                BerekenTS(input, TVariant::Report)
//   TPP.BerekenScores, TTRO.BerekenScores
//                                     BerekenTS(input, TVariant::Report)
//   TZIBinvoer.Interval95A / B / C    Interval95A / B / C(whole T, a)
//   RondAf                            RondAf
//   TPP.RoundD, TTRO.RoundD           RoundD
//   time penalties of the reports     TijdPenalties
//   rounding of stored and shown T-scores
//                                     RoundTScore
//
// The deletion grid of the windows has fifteen rows with the three examples
// first; its wrappers pass rows 3..14 as the twelve items. The substitution
// grid passes rows 0..11.
//
// Cell reading: a time is a decimal integer in tenths of a second; an empty
// time, or one whose text is not a number, is a missing time. A score is "1"
// (right) or "0" (wrong); any other score text is a wrong item whose time is
// missing. No cell content makes a computation fail.
#include <array>
#include <cstdint>
#include <string>

namespace scoring {

struct ItemCell {
    std::string time;  // tenths of a second as decimal text, may be empty
    std::string score; // "1" right, "0" wrong, may be empty
};

// Items 1..12 of one subtest.
using ScoreGrid = std::array<ItemCell, 12>;

// Sentinel of a missing raw value; sums of this size or more mean "no score".
constexpr int64_t kMissing = 9999;

// Penalty P (tenths of a second) per wrong item and the number N of wrong
// items that cost P each before every further one costs one P more.
struct Penalty {
    int P;
    int N;
};
Penalty PenaltyFW(int band);
Penalty PenaltyFV(int band);

// The age parameter of the norm formulas: band + 6 for bands 1..8, else 0.
int NormAge(int band);

// Total of the twelve times in whole seconds (half up); an empty or
// unreadable time counts as 999 tenths.
std::string TotaleTijd(const ScoreGrid &items);

// Sum of the twelve score cells; an empty cell counts as 999 so that an
// incomplete subtest never passes for a count of right items, and a cell
// that is neither "1" nor "0" counts as wrong.
std::string AantalGoed(const ScoreGrid &items);

// The reports' number of time penalties: 12 minus the items scored "1". An
// unscored item is not right, so an untouched subtest gives 12 and the count
// never goes below 0 (AantalGoed's 999 for an empty cell would).
int TijdPenalties(const ScoreGrid &items);

// Penalised raw score in tenths of a second; kMissing or more when an item
// has no usable time (or the band has no norms).
int64_t Strafsom(const ScoreGrid &items, Penalty penalty);
int64_t StrafsomFW(const ScoreGrid &items, int band);
int64_t StrafsomFV(const ScoreGrid &items, int band);

// The two T-score computations. The particulars window's results go into the
// data records; the report's are what the reports and the corrected records
// show. They differ in the rescaling of the polynomials, in the raw cut-offs
// and in the index of a deletion-only administration in band 1.
enum class TVariant { Particulars, Report };

struct ScoringInput {
    int state = 0;                  // administration state 1..7
    int ageInMonths = 0;
    bool birthDateComplete = false; // day, month and year fields all filled in
    ScoreGrid deletion{};
    ScoreGrid substitution{};
};

// 0 in any score means absent; otherwise 20..80.
struct TScores {
    int band = 0;
    long double deletion = 0;
    long double substitution = 0;
    long double index = 0;
};

TScores BerekenTS(const ScoringInput &input, TVariant variant);

// Norm polynomials in the raw input (x = sum / 100, y = sum / 1000) and a.
long double DeletionPolynomial(long double x, int a);
long double SubstitutionPolynomial(long double y, int a);

// "[low - high]" for a whole T-score and a = band + 6; "[ n.v.t. ]" when a
// lies outside 7..14.
std::string Interval95A(int t, int a); // phoneme deletion
std::string Interval95B(int t, int a); // phoneme substitution
std::string Interval95C(int t, int a); // index

// Floor plus one when the fraction is at least 0.5 (half up).
int64_t RondAf(long double value);

// Rounds to d decimals, halves up (2.5 -> 3, -2.5 -> -2), as RondAf does.
long double RoundD(long double value, int d);

// Nearest whole number, a half going to the even neighbour (52.5 -> 52,
// 53.5 -> 54): how T-scores are stored and shown.
int RoundTScore(long double t);

} // namespace scoring
