#pragma once
// Age of the test-taker in whole months, and the age band the norms use.
// One function serves the particulars window, the reports and the correction
// window, so that all of them agree on the band.
#include "platform/Types.h"

#include <string>

// Band 1 is 78-89 months, each further band twelve months more, up to band 8
// at 162-173 months; any other age has no norms (0).
int AgeBand(int ageInMonths);
