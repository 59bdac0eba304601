// Calendar arithmetic, date texts and the clock seam.
#include "platform/core/Clock.h"
#include "platform/core/Dates.h"

#include <gtest/gtest.h>
#include <array>
#include <atomic>
#include <cmath>
#include <ctime>
#include <thread>

using namespace plat;

namespace {

// A fixed "now" for everything that reads the clock, and the process's
// default format settings afterwards.
class DatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_.SetNow(EncodeDate(2026, 12, 10) + EncodeTime(9, 5, 7, 250));
        SetClock(&clock_);
    }
    void TearDown() override
    {
        SetClock(nullptr);
        FormatSettings() = TFormatSettings();
    }
    FakeClock clock_;
};

struct Ymd { int y, m, d; };

Ymd Decoded(TDateTime dt)
{
    Ymd r{};
    DecodeDate(dt, r.y, r.m, r.d);
    return r;
}

} // namespace

TEST_F(DatesTest, DayNumbersAndCalendarRules)
{
    struct Case { int y, m, d; double serial; };
    const Case cases[] = {
        {1899, 12, 30, 0}, {1899, 12, 31, 1}, {1900, 1, 1, 2}, {1900, 3, 1, 61},
        {1970, 1, 1, 25569}, {2000, 2, 29, 36585}, {2020, 2, 20, 43881},
        {1899, 12, 29, -1}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        const Ymd back = Decoded(c.serial);
        EXPECT_EQ(back.y, c.y);
        EXPECT_EQ(back.m, c.m);
        EXPECT_EQ(back.d, c.d);
    }
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2024, 4), 30);
    EXPECT_EQ(DaysInMonth(2024, 13), 0);

    struct Bad { int y, m, d; };
    for (const Bad &b : {Bad{2020, 2, 30}, Bad{2021, 2, 29}, Bad{2020, 0, 1}, Bad{2020, 13, 1},
                         Bad{2020, 4, 31}, Bad{2020, 1, 0}, Bad{0, 1, 1}, Bad{10000, 1, 1}}) {
        TDateTime out = -7;
        EXPECT_FALSE(TryEncodeDate(b.y, b.m, b.d, out)) << b.y << "-" << b.m << "-" << b.d;
        EXPECT_EQ(out, -7);
    }
    try {
        EncodeDate(2020, 2, 30);
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "Invalid argument to date encode");
    }
}

TEST_F(DatesTest, TimesOfDay)
{
    const TDateTime t = EncodeTime(13, 45, 30, 125);
    int h, mi, s, ms;
    DecodeTime(t, h, mi, s, ms);
    EXPECT_EQ((std::array<int, 4>{h, mi, s, ms}), (std::array<int, 4>{13, 45, 30, 125}));
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);

    // A time a hair before midnight rounds to the next day, not to 24:00.
    const TDateTime almost = EncodeDate(2020, 2, 28) + 0.99999999999;
    DecodeTime(almost, h, mi, s, ms);
    EXPECT_EQ(h * 3600000 + mi * 60000 + s * 1000 + ms, 0);
    EXPECT_EQ(Decoded(almost).d, 29);

    // Negative values: the integer part is the day, the fraction the time.
    DecodeTime(-1.25, h, mi, s, ms);
    EXPECT_EQ(h, 6);
    const Ymd neg = Decoded(-1.25);
    EXPECT_EQ(neg.y * 10000 + neg.m * 100 + neg.d, 18991229);
    EXPECT_DOUBLE_EQ(ComposeDateTime(-1, 0.25), -1.25);
    // Nonsense does not crash.
    EXPECT_EQ(Decoded(1e300).y, 0);
    EXPECT_EQ(Decoded(NAN).y, 0);
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5); // a Thursday
}

TEST_F(DatesTest, IncMonthClampsToTheMonthEndAndKeepsTheTime)
{
    struct Case { Ymd from; int months; Ymd to; };
    const Case cases[] = {
        {{2020, 1, 31}, 1, {2020, 2, 29}},
        {{2021, 1, 31}, 1, {2021, 2, 28}},
        {{2020, 3, 31}, -1, {2020, 2, 29}},
        {{2012, 2, 29}, -12, {2011, 2, 28}},
        {{2020, 12, 15}, 1, {2021, 1, 15}},
        {{2020, 1, 15}, -13, {2018, 12, 15}},
        {{2020, 5, 31}, -24, {2018, 5, 31}},
        {{2020, 5, 10}, 0, {2020, 5, 10}},
    };
    for (const Case &c : cases) {
        const TDateTime from = EncodeDate(c.from.y, c.from.m, c.from.d) + EncodeTime(18, 30, 0, 0);
        const TDateTime to = IncMonth(from, c.months);
        const Ymd got = Decoded(to);
        EXPECT_EQ(got.y * 10000 + got.m * 100 + got.d, c.to.y * 10000 + c.to.m * 100 + c.to.d)
            << c.from.y << "-" << c.from.m << "-" << c.from.d << " + " << c.months;
        EXPECT_EQ(FormatDateTime("hh:nn", to), "18:30");
    }
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);

    // Stepping from the previous result keeps a clamped day: the age count
    // steps back from the test date one month at a time.
    TDateTime d = EncodeDate(2012, 5, 31);
    d = IncMonth(d, -1);
    d = IncMonth(d, -1);
    EXPECT_EQ(DateToStr(d), "30-03-2012");
    // Birth 29-02-2004, test 28-02-2012: seven whole years, then 11 months.
    const TDateTime birth = EncodeDate(2004, 2, 29);
    TDateTime w = EncodeDate(2012, 2, 28);
    int years = 0, months = 0;
    while (IncMonth(w, -12) >= birth) {
        w = IncMonth(w, -12);
        ++years;
    }
    while (IncMonth(w, -1) >= birth) {
        w = IncMonth(w, -1);
        ++months;
    }
    EXPECT_EQ(years, 7);
    EXPECT_EQ(months, 11);
}

TEST_F(DatesTest, DateTextsFollowTheShortFormat)
{
    const TDateTime d = EncodeDate(2004, 2, 9);
    EXPECT_EQ(DateToStr(d), "09-02-2004");
    FormatSettings().DateSeparator = '/';
    EXPECT_EQ(DateToStr(d), "09-02-2004"); // "-" is a literal in the format
    FormatSettings().ShortDateFormat = "d/m/yy";
    EXPECT_EQ(DateToStr(d), "9/2/04");
}

TEST_F(DatesTest, StrToDateIsStrict)
{
    struct Case { const char *text; bool ok; int y, m, d; };
    const Case cases[] = {
        {"09-02-2004", true, 2004, 2, 9},
        {"9-2-2004", true, 2004, 2, 9},
        {" 29-02-2004 ", true, 2004, 2, 29},
        {"29 - 02 - 2004", true, 2004, 2, 29},
        {"31-12-1899", true, 1899, 12, 31},
        {"5-3-04", true, 2004, 3, 5},     // two-digit years: 50 years back from 2026
        {"5-3-76", true, 1976, 3, 5},
        {"5-3-75", true, 2075, 3, 5},
        {"5-3", true, 2026, 3, 5},        // current year
        {"31-02-2020", false, 0, 0, 0},
        {"29-02-2021", false, 0, 0, 0},
        {"00-05-2010", false, 0, 0, 0},
        {"15-13-2010", false, 0, 0, 0},
        {"15-05-", false, 0, 0, 0},
        {"15/05/2010", false, 0, 0, 0},   // not the date separator
        {"15-05-2010x", false, 0, 0, 0},
        {"015-05-2010", false, 0, 0, 0},
        {"15-05-20100", false, 0, 0, 0},
        {"", false, 0, 0, 0},
        {"--", false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        TDateTime out = 0;
        ASSERT_EQ(TryStrToDate(c.text, out), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            const Ymd got = Decoded(out);
            EXPECT_EQ(got.y * 10000 + got.m * 100 + got.d, c.y * 10000 + c.m * 100 + c.d) << c.text;
            EXPECT_EQ(out, std::trunc(out));
        }
    }
    try {
        StrToDate("31-02-2020");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'31-02-2020' is not a valid date");
    }
    // The order comes from the short date format.
    FormatSettings().ShortDateFormat = "yyyy/mm/dd";
    FormatSettings().DateSeparator = '/';
    EXPECT_EQ(DateToStr(StrToDate("2004/2/9")), "2004/02/09");

    // Every order counts the digits of its own day and month.
    struct OrderCase { const char *format, *text; bool ok; };
    const OrderCase orders[] = {
        {"yyyy/mm/dd", "2004/01/15", true},  {"yyyy/mm/dd", "2004/01/015", false},
        {"yyyy/mm/dd", "2004/001/15", false}, {"yyyy/mm/dd", "01/15", true},
        {"yyyy/mm/dd", "001/15", false},      {"yyyy/mm/dd", "01/015", false},
        {"mm/dd/yyyy", "01/15/2004", true},  {"mm/dd/yyyy", "01/015/2004", false},
        {"mm/dd/yyyy", "001/15/2004", false}, {"mm/dd/yyyy", "1/015", false},
        {"dd/mm/yyyy", "15/01/2004", true},  {"dd/mm/yyyy", "15/001/2004", false},
    };
    for (const OrderCase &c : orders) {
        FormatSettings().ShortDateFormat = c.format;
        TDateTime out = 0;
        EXPECT_EQ(TryStrToDate(c.text, out), c.ok) << c.format << " '" << c.text << "'";
    }
}

TEST_F(DatesTest, FormatDateTimeTokens)
{
    const TDateTime dt = EncodeDate(2026, 3, 4) + EncodeTime(7, 8, 9, 45);
    struct Case { const char *format; const char *text; };
    const Case cases[] = {
        {"d-m-yy", "4-3-26"},
        {"dd/mm/yyyy", "04-03-2026"},
        {"yyyymmddhhnnss", "20260304070809"},
        {"h:n:s.z", "7:8:9.45"},
        {"hh:mm:ss.zzz", "07:08:09.045"},   // m after h is minutes
        {"hh\"h\"nn 'dd' dd", "07h08 dd 04"},
        {"ddd dddd mmm mmmm", "wo woensdag mrt maart"},
        {"ddddd", "04-03-2026"},
        {"c", "04-03-2026 7:08:09"},
        {"t", "7:08"},
        {"h am/pm", "7 AM"},
        {"D-M-YYYY", "4-3-2026"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatDateTime(c.format, dt), c.text) << c.format;
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 4)), "04-03-2026");
    EXPECT_EQ(FormatDateTime("hh am/pm", EncodeTime(0, 0, 0, 0)), "12 AM");
    EXPECT_EQ(FormatDateTime("h a/p", EncodeTime(13, 0, 0, 0)), "1 p");
}

TEST_F(DatesTest, NowDateAndTimeComeFromTheClock)
{
    EXPECT_EQ(DateToStr(Now()), "10-12-2026");
    EXPECT_EQ(Date(), EncodeDate(2026, 12, 10));
    EXPECT_NEAR(Time(), EncodeTime(9, 5, 7, 250), 1e-9); // far below a millisecond
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", Now()), "09:05:07.250");

    // Advancing in small steps lands exactly, across midnight too.
    clock_.SetNow(EncodeDate(2026, 12, 10) + EncodeTime(23, 59, 59, 0));
    for (int i = 0; i < 1000; ++i)
        clock_.AdvanceNowMs(1);
    EXPECT_EQ(Now(), EncodeDate(2026, 12, 11));
    EXPECT_EQ(Time(), 0);

    // Wall and monotonic time move independently.
    const int64_t mono = MonotonicNanoseconds();
    clock_.AdvanceMonotonicNs(5);
    EXPECT_EQ(MonotonicNanoseconds(), mono + 5);
    EXPECT_EQ(Now(), EncodeDate(2026, 12, 11));
    clock_.AdvanceMs(1500);
    EXPECT_EQ(MonotonicNanoseconds(), mono + 5 + 1500000000);
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", Now()), "00:00:01.500");
    clock_.SetMonotonicNanoseconds(7);
    EXPECT_EQ(CurrentClock().MonotonicNanoseconds(), 7);
}

TEST_F(DatesTest, SystemClockIsRestoredAndMonotonic)
{
    SetClock(nullptr);
    EXPECT_NE(&CurrentClock(), &clock_);
    const int64_t a = MonotonicNanoseconds();
    const int64_t b = MonotonicNanoseconds();
    EXPECT_GE(b, a);
    // Local wall time agrees with the C library's idea of today.
    const time_t t = time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    const TDateTime today = Date();
    const Ymd d = Decoded(today);
    const bool sameDay = d.y == tm.tm_year + 1900 && d.m == tm.tm_mon + 1 && d.d == tm.tm_mday;
    const bool justPastMidnight = Time() < 1.0 / 86400;
    EXPECT_TRUE(sameDay || justPastMidnight);
}

TEST(Clock, AFakeClockThatGoesAwayUninstallsItself)
{
    Clock *before = &CurrentClock();
    {
        FakeClock fake(EncodeDate(2001, 2, 3), 42);
        SetClock(&fake);
        EXPECT_EQ(MonotonicNanoseconds(), 42);
        EXPECT_EQ(DateToStr(Date()), "03-02-2001");
    }
    EXPECT_EQ(&CurrentClock(), before);
    FakeClock installed;
    SetClock(&installed);
    { FakeClock passing; } // another one going leaves the installed clock alone
    EXPECT_EQ(&CurrentClock(), &installed);
    SetClock(nullptr);
}

TEST_F(DatesTest, MonotonicClockCanBeReadWhileAnotherThreadAdvancesIt)
{
    std::atomic<bool> stop{false};
    std::atomic<bool> wentBack{false};
    std::thread reader([&] {
        int64_t last = MonotonicNanoseconds();
        while (!stop.load()) {
            const int64_t now = MonotonicNanoseconds();
            if (now < last)
                wentBack = true;
            last = now;
        }
    });
    for (int i = 0; i < 10000; ++i)
        clock_.AdvanceMonotonicNs(1000);
    stop = true;
    reader.join();
    EXPECT_FALSE(wentBack.load());
}
