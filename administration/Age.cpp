#include "administration/Age.h"

#include "platform/core/Dates.h"

#include <tuple>

namespace {

std::tuple<int, int, int> Ymd(plat::TDateTime dt)
{
    int y = 0, m = 0, d = 0;
    plat::DecodeDate(dt, y, m, d);
    return {y, m, d};
}

} // namespace

int AgeInMonths(plat::TDateTime birth, plat::TDateTime reference)
{
    const auto born = Ymd(birth);
    const auto now = Ymd(reference);
    // Moving back this many months lands in the birth month; one more lands
    // before it, one fewer after it.
    int k = (std::get<0>(now) - std::get<0>(born)) * 12 + (std::get<1>(now) - std::get<1>(born));
    if (k < 0)
        return 0;
    if (Ymd(plat::IncMonth(reference, -k)) < born)
        --k;
    return k < 0 ? 0 : k;
}

std::string AgeText(int ageInMonths)
{
    return std::to_string(ageInMonths / 12) + ";" + std::to_string(ageInMonths % 12);
}

Leeftijd BerekenLeeftijd(plat::TDateTime birth, plat::TDateTime reference)
{
    Leeftijd l;
    l.months = AgeInMonths(birth, reference);
    l.text = AgeText(l.months);
    return l;
}

int AgeBand(int ageInMonths)
{
    if (ageInMonths < 78 || ageInMonths > 173)
        return 0;
    return (ageInMonths - 78) / 12 + 1;
}
