#pragma once
// Age of the test-taker in whole months, and the age band the norms use.
// One function serves the particulars window, the reports and the correction
// window (their BerekenLeeftijd), so that all of them agree on the age.
#include "platform/core/Types.h"

#include <string>

// Whole months from the birth date to the reference date: the largest k for
// which the reference date moved back k months (the day clamped to the end
// of a shorter month) is not before the birth date. Each k is counted from
// the reference date itself, never from an already clamped earlier step, so
// a birthday at a month's end is not lost (31-01-2016 to 31-03-2024 is 98
// months, 29-02-2016 to 29-02-2024 is 96). Times of day are ignored; a
// reference date before the birth date gives 0.
int AgeInMonths(plat::TDateTime birth, plat::TDateTime reference);

// "8;2": the years, ";" and the remaining months.
std::string AgeText(int ageInMonths);

struct Leeftijd {
    int months = 0;
    std::string text;
};

// Both at once, as the windows store the months and show the text.
Leeftijd BerekenLeeftijd(plat::TDateTime birth, plat::TDateTime reference);

// Band 1 is 78-89 months, each further band twelve months more, up to band 8
// at 162-173 months; any other age has no norms (0).
int AgeBand(int ageInMonths);
