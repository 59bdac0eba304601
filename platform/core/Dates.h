#pragma once
// Date-time values: days since 30-12-1899 with the time of day as fraction
// (TDateTime in Types.h). A negative value names the day by its integer part
// and the time by the fraction's distance from that day's midnight, so -1.25
// is 29-12-1899 06:00.
//
// Texts use FormatSettings() (Text.h): date separator "-", short date format
// "dd-mm-yyyy". StrToDate reads the day, month and year in the order of the
// short date format, separated by the date separator, with blanks allowed
// around the numbers. Day and month may have one or two digits ("1-2-2004"),
// the year one to four; a year of one or two digits falls in the century
// window of the settings (50 years before now). Two numbers alone take the
// current year. Any date that does not exist (31-02, 00-05) is an error.
#include "platform/core/Text.h"
#include "platform/core/Types.h"

namespace plat {

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime &out);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime &out);

void DecodeDate(TDateTime dt, int &year, int &month, int &day);
void DecodeTime(TDateTime dt, int &hour, int &min, int &sec, int &msec);
// 1 Sunday .. 7 Saturday.
int DayOfWeek(TDateTime dt);

// Whole days of dt with the time of dt kept, also for negative values.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// Months added with the day clamped to the target month's end (31-03 minus
// one month is 29-02 or 28-02); the time of day is kept.
TDateTime IncMonth(TDateTime dt, int months = 1);

String DateToStr(TDateTime dt);
String TimeToStr(TDateTime dt);
String DateTimeToStr(TDateTime dt);
// Raises EConvertError "'31-02-2020' is not a valid date".
TDateTime StrToDate(const String &s);
bool TryStrToDate(const String &s, TDateTime &out);

// Tokens (any case): d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes right
// after h/hh), yy yyyy, h hh, n nn, s ss, z zzz, t tt, c, am/pm, a/p, "/"
// (date separator), ":" (time separator), '...' and "..." literals.
String FormatDateTime(const String &format, TDateTime dt);

// From the current clock (Clock.h).
TDateTime Now();
TDateTime Date();
TDateTime Time();

} // namespace plat
