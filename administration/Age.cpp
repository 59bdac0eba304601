#include "administration/Age.h"

int AgeBand(int ageInMonths)
{
    if (ageInMonths < 78 || ageInMonths > 173)
        return 0;
    return (ageInMonths - 78) / 12 + 1;
}
