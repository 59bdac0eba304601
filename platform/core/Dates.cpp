#include "platform/core/Dates.h"
#include "platform/core/Clock.h"

#include <cmath>

namespace plat {

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Day numbers of 1-1-0001 and 31-12-9999, the range the framework covers.
constexpr int64_t kMinDay = -693593;
constexpr int64_t kMaxDay = 2958465;
// 1-1-1970 is day 25569.
constexpr int64_t kUnixDay = 25569;

// Days since 1-1-1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int &y, int &m, int &d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// The calendar day and the milliseconds into it. The time is rounded to the
// millisecond; a time that rounds up to midnight belongs to the next day.
// Returns false for values outside 1-1-0001 .. 31-12-9999 or not finite.
bool Split(TDateTime dt, int64_t &day, int64_t &ms)
{
    if (!std::isfinite(dt) || dt < double(kMinDay - 1) || dt > double(kMaxDay + 1))
        return false;
    const double whole = std::trunc(dt);
    day = static_cast<int64_t>(whole);
    ms = std::llround(std::fabs(dt - whole) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        day += 1;
    }
    return day >= kMinDay && day <= kMaxDay;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime &out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    out = static_cast<double>(DaysFromCivil(year, month, day) + kUnixDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r))
        throw EConvertError("Invalid argument to date encode");
    return r;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime &out)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    out = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / double(kMsPerDay);
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r))
        throw EConvertError("Invalid argument to time encode");
    return r;
}

void DecodeDate(TDateTime dt, int &year, int &month, int &day)
{
    int64_t d, ms;
    if (!Split(dt, d, ms)) {
        year = month = day = 0;
        return;
    }
    CivilFromDays(d - kUnixDay, year, month, day);
}

void DecodeTime(TDateTime dt, int &hour, int &min, int &sec, int &msec)
{
    int64_t d, ms;
    if (!Split(dt, d, ms))
        ms = 0;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime dt)
{
    int64_t d, ms;
    if (!Split(dt, d, ms))
        return 0;
    // 30-12-1899 was a Saturday.
    return static_cast<int>(((d + 6) % 7 + 7) % 7) + 1;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time)
{
    const double whole = std::trunc(date);
    const double t = std::fabs(time - std::trunc(time));
    return whole < 0 ? whole - t : whole + t;
}

TDateTime IncMonth(TDateTime dt, int months)
{
    int64_t d, ms;
    if (!Split(dt, d, ms))
        throw EConvertError("Invalid argument to date encode");
    int y, m, day;
    CivilFromDays(d - kUnixDay, y, m, day);
    int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
    const int64_t ny = total >= 0 ? total / 12 : (total - 11) / 12;
    const int nm = static_cast<int>(total - ny * 12) + 1;
    if (ny < 1 || ny > 9999)
        throw EConvertError("Invalid argument to date encode");
    const int nd = std::min(day, DaysInMonth(static_cast<int>(ny), nm));
    return ComposeDateTime(EncodeDate(static_cast<int>(ny), nm, nd), static_cast<double>(ms) / double(kMsPerDay));
}

// ------------------------------------------------------------------ texts

namespace {

String Pad(int value, int width)
{
    String s = std::to_string(value);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

bool StartsWithNoCase(const String &s, size_t pos, const char *word)
{
    for (size_t k = 0; word[k]; ++k)
        if (pos + k >= s.size() || LowerCase(String(1, s[pos + k])) != String(1, word[k]))
            return false;
    return true;
}

bool UsesAmPm(const String &f)
{
    for (size_t i = 0; i < f.size(); ++i)
        if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm"))
            return true;
    return false;
}

void Format(String &out, const String &f, TDateTime dt, int depth)
{
    if (depth > 2)
        return;
    const TFormatSettings &fs = FormatSettings();
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    const bool twelve = UsesAmPm(f);
    char last = 0;
    size_t i = 0;
    while (i < f.size()) {
        const char start = f[i];
        char token = start >= 'a' && start <= 'z' ? static_cast<char>(start - 32) : start;
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && last == 'H')
                token = 'N';
            last = token;
        }
        size_t count = 1;
        auto takeRun = [&] {
            while (i + count < f.size() && f[i + count] == start)
                ++count;
        };
        switch (token) {
        case 'Y':
            takeRun();
            out += count <= 2 ? Pad(y % 100, 2) : Pad(y, 4);
            break;
        case 'M':
            takeRun();
            if (count <= 2) out += Pad(mo, static_cast<int>(count));
            else if (mo >= 1) out += count == 3 ? fs.ShortMonthNames[mo - 1] : fs.LongMonthNames[mo - 1];
            break;
        case 'D':
            takeRun();
            if (count <= 2) out += Pad(d, static_cast<int>(count));
            else if (count <= 4) {
                const int w = DayOfWeek(dt);
                if (w >= 1) out += count == 3 ? fs.ShortDayNames[w - 1] : fs.LongDayNames[w - 1];
            } else Format(out, count == 5 ? fs.ShortDateFormat : fs.LongDateFormat, dt, depth + 1);
            break;
        case 'H': {
            takeRun();
            int hh = h;
            if (twelve) {
                hh = h % 12;
                if (hh == 0) hh = 12;
            }
            out += Pad(hh, count >= 2 ? 2 : 1);
            break;
        }
        case 'N':
            takeRun();
            out += Pad(mi, count >= 2 ? 2 : 1);
            break;
        case 'S':
            takeRun();
            out += Pad(s, count >= 2 ? 2 : 1);
            break;
        case 'Z':
            takeRun();
            out += Pad(ms, count >= 3 ? 3 : 1);
            break;
        case 'T':
            takeRun();
            Format(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, depth + 1);
            break;
        case 'C':
            takeRun();
            Format(out, fs.ShortDateFormat, dt, depth + 1);
            if (h != 0 || mi != 0 || s != 0) {
                out += ' ';
                Format(out, fs.LongTimeFormat, dt, depth + 1);
            }
            break;
        case 'A':
            if (StartsWithNoCase(f, i, "am/pm")) {
                out += h < 12 ? fs.TimeAMString : fs.TimePMString;
                count = 5;
            } else if (StartsWithNoCase(f, i, "a/p")) {
                const bool upper = start == 'A';
                out += h < 12 ? (upper ? 'A' : 'a') : (upper ? 'P' : 'p');
                count = 3;
            } else if (StartsWithNoCase(f, i, "ampm")) {
                out += h < 12 ? fs.TimeAMString : fs.TimePMString;
                count = 4;
            } else {
                out += start;
            }
            break;
        case '/':
            out += fs.DateSeparator;
            break;
        case ':':
            out += fs.TimeSeparator;
            break;
        case '\'':
        case '"': {
            size_t end = f.find(start, i + 1);
            if (end == String::npos)
                end = f.size();
            out += f.substr(i + 1, end - i - 1);
            count = end - i + (end < f.size() ? 1 : 0);
            break;
        }
        default:
            out += start;
            break;
        }
        i += count;
    }
}

bool ScanBlanks(const String &s, size_t &pos)
{
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    return true;
}

bool ScanNumber(const String &s, size_t &pos, int &value, int &digits)
{
    ScanBlanks(s, pos);
    value = 0;
    digits = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < 4) {
        value = value * 10 + (s[pos] - '0');
        ++digits;
        ++pos;
    }
    return digits > 0;
}

bool ScanChar(const String &s, size_t &pos, char c)
{
    ScanBlanks(s, pos);
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

String FormatDateTime(const String &format, TDateTime dt)
{
    String out;
    Format(out, format, dt, 0);
    return out;
}

String DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }
String TimeToStr(TDateTime dt) { return FormatDateTime("tt", dt); }
String DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

bool TryStrToDate(const String &s, TDateTime &out)
{
    const TFormatSettings &fs = FormatSettings();
    const char sep = fs.DateSeparator;
    enum { DMY, MDY, YMD } order = DMY;
    for (const char c : fs.ShortDateFormat) {
        const char l = LowerCase(String(1, c))[0];
        if (l == 'd') { order = DMY; break; }
        if (l == 'm') { order = MDY; break; }
        if (l == 'y') { order = YMD; break; }
    }
    size_t pos = 0;
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!ScanNumber(s, pos, n1, l1) || !ScanChar(s, pos, sep) || !ScanNumber(s, pos, n2, l2))
        return false;
    int y, m, d, yearDigits, dayDigits, monthDigits;
    if (ScanChar(s, pos, sep)) {
        if (!ScanNumber(s, pos, n3, l3))
            return false;
        switch (order) {
        case MDY: m = n1; d = n2; y = n3; monthDigits = l1; dayDigits = l2; yearDigits = l3; break;
        case YMD: y = n1; m = n2; d = n3; yearDigits = l1; monthDigits = l2; dayDigits = l3; break;
        default: d = n1; m = n2; y = n3; dayDigits = l1; monthDigits = l2; yearDigits = l3; break;
        }
        if (y <= 99 && yearDigits <= 2) {
            int ny, nm, nd;
            DecodeDate(Date(), ny, nm, nd);
            const int base = ny - fs.TwoDigitYearCenturyWindow;
            y += base / 100 * 100;
            if (fs.TwoDigitYearCenturyWindow > 0 && y < base)
                y += 100;
        }
    } else {
        int nm, nd;
        DecodeDate(Date(), y, nm, nd);
        if (order == DMY) { d = n1; m = n2; dayDigits = l1; monthDigits = l2; }
        else { m = n1; d = n2; monthDigits = l1; dayDigits = l2; }
    }
    ScanBlanks(s, pos);
    if (pos != s.size() || dayDigits > 2 || monthDigits > 2)
        return false;
    return TryEncodeDate(y, m, d, out);
}

TDateTime StrToDate(const String &s)
{
    TDateTime r;
    if (!TryStrToDate(s, r))
        throw EConvertError("'" + s + "' is not a valid date");
    return r;
}

TDateTime Now() { return CurrentClock().Now(); }
TDateTime Date() { return std::trunc(Now()); }
TDateTime Time()
{
    const TDateTime n = Now();
    return std::fabs(n - std::trunc(n));
}

} // namespace plat
