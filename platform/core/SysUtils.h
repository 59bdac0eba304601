#pragma once
// Small arithmetic helpers with the framework's rounding rules.
#include <cstdint>

namespace plat {

// a * b / c with a 64-bit product, rounded to the nearest integer with halves
// away from zero; -1 when c is 0 or the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

// To the nearest integer with halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4), as the framework's Round does.
int64_t Round(double value);
// Towards zero. Values that do not fit (and NaN) give 0 in both.
int64_t Trunc(double value);
// Integer part and fraction, both towards zero: Int(-2.7) = -2, Frac(-2.7) = -0.7.
double Int(double value);
double Frac(double value);

} // namespace plat
