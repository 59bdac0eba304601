// Age in months and age band.
#include "administration/Age.h"

#include "platform/core/Dates.h"

#include <gtest/gtest.h>

namespace {

struct Ymd {
    int d, m, y;
    plat::TDateTime Date() const { return plat::EncodeDate(y, m, d); }
};

TEST(Age, MonthsTextAndBand)
{
    struct Row {
        Ymd birth, reference;
        int months;
        const char *text;
        int band;
    };
    const Row rows[] = {
        // Birthdays and the day before.
        {{15, 6, 2015}, {15, 6, 2023}, 96, "8;0", 2},
        {{15, 6, 2015}, {14, 6, 2023}, 95, "7;11", 2},
        {{15, 6, 2015}, {16, 7, 2023}, 97, "8;1", 2},
        // Month ends: counted from the reference date each time, so the
        // clamping of a short month does not cost a month later on.
        {{31, 1, 2016}, {31, 3, 2024}, 98, "8;2", 2},
        {{31, 5, 2015}, {31, 7, 2023}, 98, "8;2", 2},
        {{31, 8, 2016}, {30, 9, 2016}, 0, "0;0", 0},
        {{31, 8, 2016}, {1, 10, 2016}, 1, "0;1", 0},
        {{31, 1, 2017}, {28, 2, 2017}, 0, "0;0", 0},
        {{30, 11, 2015}, {31, 12, 2022}, 85, "7;1", 1},
        // 29-02.
        {{29, 2, 2016}, {29, 2, 2024}, 96, "8;0", 2},
        {{29, 2, 2016}, {28, 2, 2024}, 95, "7;11", 2},
        {{29, 2, 2016}, {1, 3, 2024}, 96, "8;0", 2},
        {{29, 2, 2016}, {28, 2, 2023}, 83, "6;11", 1},
        {{29, 2, 2016}, {1, 3, 2023}, 84, "7;0", 1},
        // Band edges by date.
        {{10, 3, 2016}, {9, 9, 2022}, 77, "6;5", 0},
        {{10, 3, 2016}, {10, 9, 2022}, 78, "6;6", 1},
        {{10, 3, 2010}, {9, 9, 2024}, 173, "14;5", 8},
        {{10, 3, 2010}, {10, 9, 2024}, 174, "14;6", 0},
        // No age before birth.
        {{10, 3, 2016}, {10, 3, 2016}, 0, "0;0", 0},
        {{10, 3, 2016}, {9, 3, 2016}, 0, "0;0", 0},
        {{10, 3, 2016}, {1, 1, 2015}, 0, "0;0", 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.birth.d << "-" << r.birth.m << "-" << r.birth.y << " to "
                                        << r.reference.d << "-" << r.reference.m << "-" << r.reference.y);
        const Leeftijd l = BerekenLeeftijd(r.birth.Date(), r.reference.Date());
        EXPECT_EQ(l.months, r.months);
        EXPECT_EQ(l.text, r.text);
        EXPECT_EQ(AgeInMonths(r.birth.Date(), r.reference.Date()), r.months);
        EXPECT_EQ(AgeBand(l.months), r.band);
    }
}

// The reference is often "now"; its time of day must not matter.
TEST(Age, TimeOfDayIgnored)
{
    const plat::TDateTime birth = plat::EncodeDate(2015, 6, 15) + 0.9;
    EXPECT_EQ(AgeInMonths(birth, plat::EncodeDate(2023, 6, 15) + 0.1), 96);
    EXPECT_EQ(AgeInMonths(birth, plat::EncodeDate(2023, 6, 14) + 0.99), 95);
}

TEST(Age, BandEdges)
{
    const struct {
        int months, band;
    } rows[] = {{-5, 0}, {0, 0},   {77, 0},  {78, 1},  {89, 1},  {90, 2},  {101, 2},
                {102, 3}, {113, 3}, {114, 4}, {125, 4}, {126, 5}, {137, 5}, {138, 6},
                {149, 6}, {150, 7}, {161, 7}, {162, 8}, {173, 8}, {174, 0}, {500, 0}};
    for (const auto &r : rows)
        EXPECT_EQ(AgeBand(r.months), r.band) << r.months;
}

} // namespace
