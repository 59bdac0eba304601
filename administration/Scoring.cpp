#include "administration/Scoring.h"

#include "administration/Age.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace scoring {

namespace {

// Times beyond this are no response times; treating them as missing keeps
// every sum far from overflow.
constexpr int64_t kLargestTime = 1'000'000'000'000;

// Value of a cell that is empty in the total-time and number-right sums.
constexpr int64_t kEmptyCell = 999;

std::optional<int64_t> ReadTime(const std::string &text)
{
    std::string_view s(text);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    int64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    if (value > kLargestTime || value < -kLargestTime)
        return std::nullopt;
    return value;
}

bool Right(const ItemCell &c) { return c.score == "1"; }
bool Wrong(const ItemCell &c) { return c.score == "0"; }

bool DeletionDone(int state) { return state == 4 || state == 6 || state == 7; }
bool SubstitutionDone(int state) { return state == 3 || state == 5 || state == 7; }

// Penalty tables by band 0..8; band 0 has no norms.
constexpr Penalty kPenaltyFW[9] = {{9999, 9999}, {85, 8}, {60, 6}, {46, 4}, {41, 3},
                                   {29, 3},      {25, 2}, {19, 2}, {16, 2}};
constexpr Penalty kPenaltyFV[9] = {{9999, 9999}, {9999, 9999}, {328, 9}, {245, 8}, {185, 7},
                                   {103, 6},     {81, 5},      {72, 4},  {66, 3}};

Penalty PenaltyFor(const Penalty (&table)[9], int band)
{
    return band >= 1 && band <= 8 ? table[band] : table[0];
}

// Reliabilities by a = 7..14. The substitution entry for a = 7 has no norms
// behind it; it is the value the system has always used there.
constexpr double kReliabilityFW[8] = {0.82, 0.80, 0.82, 0.82, 0.84, 0.75, 0.80, 0.87};
constexpr double kReliabilityFV[8] = {0.87, 0.89, 0.90, 0.91, 0.89, 0.91, 0.91, 0.94};
constexpr double kReliabilityIndex[8] = {0.82, 0.90, 0.92, 0.92, 0.91, 0.90, 0.91, 0.95};

std::string Interval(const double (&table)[8], int t, int a)
{
    if (a < 7 || a > 14)
        return "[ n.v.t. ]";
    const double r = table[a - 7];
    const double centre = t * r + (1 - r) * 50;
    const double se = 10 * std::sqrt(r) * std::sqrt(1 - r);
    return "[" + std::to_string(RondAf(centre - 1.96 * se)) + " - " +
           std::to_string(RondAf(1.96 * se + centre)) + "]";
}

// The one half-up rule: the floor, plus one when the fraction is a half or more.
long double HalfUp(long double value)
{
    const long double whole = std::floor(value);
    return value - whole >= 0.5L ? whole + 1 : whole;
}

long long IntPow(int base, int exponent)
{
    long long p = 1;
    for (int i = 0; i < exponent; ++i)
        p *= base;
    return p;
}

// How a polynomial value becomes a T-score: the particulars window pulls it
// towards 50 by `factor`; a raw input below `low` gives `lowScore`, above
// `high` gives 20.
struct Norm {
    long double factor;
    long double low;
    long double lowScore;
    long double high;
};

constexpr Norm kDeletionParticulars{5.0L / 6.0L, 0.5L, 80, 10.15L};
constexpr Norm kDeletionReport{1, 0.5L, 80, 10.04L};
constexpr Norm kSubstitutionParticulars{20.0L / 21.0L, 0.04L, 75, 6.81L};
constexpr Norm kSubstitutionReport{1, 0.04L, 80, 7.08L};

// Clamps a computed T-score; 0 stays 0 (absent).
long double Clamp(long double t)
{
    if (t != 0) {
        if (t > 80)
            t = 80;
        if (t < 20)
            t = 20;
    }
    return t;
}

long double TScore(long double poly, long double input, const Norm &norm, bool rescale)
{
    long double t = rescale ? (poly - 50) * norm.factor + 50 : poly;
    if (t != 0) {
        t = Clamp(t);
        if (input < norm.low)
            t = norm.lowScore;
        if (input > norm.high)
            t = 20;
    }
    return t;
}

} // namespace

Penalty PenaltyFW(int band) { return PenaltyFor(kPenaltyFW, band); }
Penalty PenaltyFV(int band) { return PenaltyFor(kPenaltyFV, band); }

int NormAge(int band) { return band >= 1 && band <= 8 ? band + 6 : 0; }

std::string TotaleTijd(const ScoreGrid &items)
{
    int64_t sum = 0;
    for (const ItemCell &c : items)
        sum += ReadTime(c.time).value_or(kEmptyCell);
    return std::to_string(RondAf(static_cast<long double>(sum) / 10));
}

std::string AantalGoed(const ScoreGrid &items)
{
    int64_t sum = 0;
    for (const ItemCell &c : items)
        sum += c.score.empty() ? kEmptyCell : Right(c) ? 1 : 0;
    return std::to_string(sum);
}

int TijdPenalties(const ScoreGrid &items)
{
    int right = 0;
    for (const ItemCell &c : items)
        right += Right(c) ? 1 : 0;
    return static_cast<int>(items.size()) - right;
}

int64_t Strafsom(const ScoreGrid &items, Penalty penalty)
{
    int64_t sum = 0;
    int64_t errors = 0;
    for (const ItemCell &c : items) {
        const std::optional<int64_t> t = ReadTime(c.time);
        if (!t || !(Right(c) || Wrong(c))) {
            sum += kMissing;
        } else if (Right(c)) {
            sum += *t;
        } else {
            ++errors;
            sum += errors < penalty.N ? penalty.P : (errors - penalty.N + 1) * penalty.P;
        }
    }
    return sum;
}

int64_t StrafsomFW(const ScoreGrid &items, int band) { return Strafsom(items, PenaltyFW(band)); }
int64_t StrafsomFV(const ScoreGrid &items, int band) { return Strafsom(items, PenaltyFV(band)); }

long double DeletionPolynomial(long double x, int a)
{
    const long double a2 = IntPow(a, 2), a3 = IntPow(a, 3), a4 = IntPow(a, 4), a5 = IntPow(a, 5);
    const long double x2 = x * x, x3 = x2 * x, x4 = x3 * x;
    long double t = 1.022744L * x;
    t += 135.36163L;
    t += -0.001947L * x4;
    t += -5.490531L * a;
    t += 0.005063L * a4;
    t += -0.000259L * a5;
    t += -0.359218L * x * a2;
    t += -0.003353L * x2 * a;
    t += 0.002598L * x2 * a3;
    t += 0.000393L * x2 * a4;
    t += -0.000005L * x3 * a5;
    return t;
}

long double SubstitutionPolynomial(long double y, int a)
{
    const long double a3 = IntPow(a, 3), a4 = IntPow(a, 4), a5 = IntPow(a, 5);
    long double t = -0.009052L * a3;
    t += 76.939896L;
    t += 0.000043L * a5;
    t += -0.004982L * y;
    t += 0.007269L * y * a3;
    t += -0.004888L * y * a4;
    t += 0.000225L * y * a5;
    t += 0.000011L * y * y * a5;
    return t;
}

TScores BerekenTS(const ScoringInput &in, TVariant variant)
{
    const bool report = variant == TVariant::Report;
    TScores out;
    out.band = in.birthDateComplete ? AgeBand(in.ageInMonths) : 0;
    const int a = NormAge(out.band);

    int64_t r1 = kMissing, r2 = kMissing;
    if (a > 0) {
        if (DeletionDone(in.state))
            r1 = StrafsomFW(in.deletion, out.band);
        if (SubstitutionDone(in.state) && a >= 8)
            r2 = StrafsomFV(in.substitution, out.band);
    }

    if (r1 < kMissing) {
        const long double x = static_cast<long double>(r1) / 100;
        out.deletion = TScore(DeletionPolynomial(x, a), x,
                              report ? kDeletionReport : kDeletionParticulars, !report);
    }

    // The particulars window computes no index for a deletion-only
    // administration; the report does, in band 1 where the index is the
    // deletion score itself.
    if (!report && !SubstitutionDone(in.state))
        return out;

    if (r2 < kMissing) {
        const long double y = static_cast<long double>(r2) / 1000;
        out.substitution = TScore(SubstitutionPolynomial(y, a), y,
                                  report ? kSubstitutionReport : kSubstitutionParticulars, !report);
    }

    if (out.band == 1 && out.deletion != 0)
        out.index = out.deletion;
    else if (out.band > 1 && out.deletion != 0 && out.substitution != 0)
        out.index = (out.deletion + out.substitution) * 0.5611L - 6.318445L;
    out.index = Clamp(out.index);
    return out;
}

std::string Interval95A(int t, int a) { return Interval(kReliabilityFW, t, a); }
std::string Interval95B(int t, int a) { return Interval(kReliabilityFV, t, a); }
std::string Interval95C(int t, int a) { return Interval(kReliabilityIndex, t, a); }

int64_t RondAf(long double value)
{
    if (!std::isfinite(value))
        return 0;
    const long double rounded = HalfUp(value);
    if (rounded >= 9.2e18L)
        return INT64_MAX;
    if (rounded <= -9.2e18L)
        return INT64_MIN;
    return static_cast<int64_t>(rounded);
}

long double RoundD(long double value, int d)
{
    const long double scale = std::pow(10.0L, static_cast<long double>(d));
    return HalfUp(value * scale) / scale;
}

int RoundTScore(long double t)
{
    const long double lower = std::floor(t);
    const long double frac = t - lower;
    long double r = lower;
    if (frac > 0.5L || (frac == 0.5L && std::fmod(lower, 2.0L) != 0))
        r = lower + 1;
    return static_cast<int>(r);
}

} // namespace scoring
