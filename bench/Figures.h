#pragma once
// What every benchmark states with its figures: medians of the timed rounds
// and the machine's load while they ran.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

namespace benchfig {

inline double Ms(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs both sides of a comparison in turn, each first every other round, so
// that neither always finds the caches as the other left them.
template <class A, class B> void InTurn(int round, A &&first, B &&second)
{
    if (round % 2) {
        second();
        first();
    } else {
        first();
        second();
    }
}

// The load averages of the last 1, 5 and 15 minutes.
inline std::string Load()
{
    std::ifstream f("/proc/loadavg");
    std::string a, b, c;
    f >> a >> b >> c;
    return a + " " + b + " " + c;
}

} // namespace benchfig
