#pragma once
// The machine's one-minute load average, for the benches' figures; -1 when
// it cannot be read.
#include <cstdio>

inline double LoadAverage()
{
    double l = -1;
    if (FILE *f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &l) != 1)
            l = -1;
        std::fclose(f);
    }
    return l;
}
