#pragma once
// Score grids written the short way in test tables.
#include "administration/Scoring.h"

#include <gtest/gtest.h>

#include <string>

namespace scoretest {

// "30/1*11 /0": time/score cells, "*n" repeats a cell, "-" is an empty grid.
inline scoring::ScoreGrid Grid(const std::string &cells)
{
    scoring::ScoreGrid g{};
    if (cells == "-")
        return g;
    size_t n = 0, pos = 0;
    while (pos < cells.size()) {
        size_t end = cells.find(' ', pos);
        if (end == std::string::npos)
            end = cells.size();
        const std::string tok = cells.substr(pos, end - pos);
        pos = end + 1;
        const size_t star = tok.find('*');
        const std::string cell = tok.substr(0, star);
        const int repeat = star == std::string::npos ? 1 : std::stoi(tok.substr(star + 1));
        const size_t slash = cell.find('/');
        for (int i = 0; i < repeat && n < g.size(); ++i)
            g[n++] = scoring::ItemCell{cell.substr(0, slash), cell.substr(slash + 1)};
    }
    EXPECT_EQ(n, 12u) << cells;
    return g;
}

} // namespace scoretest
