#include "platform/core/SysUtils.h"

#include <cmath>
#include <limits>

namespace plat {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    int64_t q = p / c;
    const int64_t r = p % c;
    // |r| >= |c| / 2 means the exact quotient is at least half-way further.
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<int64_t>(c) : c))
        q += ((p < 0) != (c < 0)) ? -1 : 1;
    if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(q);
}

int64_t Round(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
        return 0;
    double r = std::floor(value);
    const double diff = value - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0))
        r += 1;
    return static_cast<int64_t>(r);
}

int64_t Trunc(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
        return 0;
    return static_cast<int64_t>(std::trunc(value));
}

double Int(double value)
{
    return std::trunc(value);
}

double Frac(double value)
{
    return value - std::trunc(value);
}

} // namespace plat
