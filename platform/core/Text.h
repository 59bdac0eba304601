#pragma once
// Text and number conversions with the framework's rules. Strings are UTF-8
// inside the program; files and some components speak Windows-1252.
//
// Number texts follow the process-wide FormatSettings(): the program runs
// with Dutch separators (decimal ",", thousands "."), so the response times
// shown on screen read "1,5". StrToFloat accepts only the current decimal
// separator and no thousands separators, as the framework does; the texts the
// program stores and parses back (item times, scores, counters) are whole
// numbers or come out of FloatToStr with the same settings, so they parse.
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"

#include <cstdint>

namespace plat {

// Process-wide format settings. Read and written from the user-interface
// thread only; windows change the date settings while they run.
struct TFormatSettings {
    char DateSeparator = '-';
    char TimeSeparator = ':';
    char DecimalSeparator = ',';
    char ThousandSeparator = '.';
    String ShortDateFormat = "dd-mm-yyyy";
    String LongDateFormat = "d mmmm yyyy";
    String ShortTimeFormat = "h:nn";
    String LongTimeFormat = "h:nn:ss";
    String TimeAMString = "AM";
    String TimePMString = "PM";
    String CurrencyString = "\xE2\x82\xAC"; // euro sign
    // 0 "€1", 1 "1€", 2 "€ 1", 3 "1 €"; negatives by the 16 platform layouts.
    int CurrencyFormat = 2;
    int NegCurrFormat = 12;
    // Two-digit years in StrToDate fall within this many years before now.
    int TwoDigitYearCenturyWindow = 50;
    String ShortMonthNames[12] = {"jan", "feb", "mrt", "apr", "mei", "jun",
                                  "jul", "aug", "sep", "okt", "nov", "dec"};
    String LongMonthNames[12] = {"januari", "februari", "maart", "april", "mei", "juni",
                                 "juli", "augustus", "september", "oktober", "november", "december"};
    // Sunday first, as the platform counts.
    String ShortDayNames[7] = {"zo", "ma", "di", "wo", "do", "vr", "za"};
    String LongDayNames[7] = {"zondag", "maandag", "dinsdag", "woensdag", "donderdag", "vrijdag", "zaterdag"};
};

TFormatSettings &FormatSettings();

// Windows-1252. Characters outside the code page become "?"; invalid UTF-8
// bytes too. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) decode to the control characters U+0081 etc. and encode back
// to the same byte, so any byte string survives a round trip.
std::string Utf8ToAnsi(const String &s);
String AnsiToUtf8(const std::string &bytes);

// Trim removes blanks and control characters (<= 0x20) at the ends.
String Trim(const String &s);
String TrimLeft(const String &s);
String TrimRight(const String &s);
// ASCII letters only, as the framework's UpperCase/LowerCase do.
String UpperCase(const String &s);
String LowerCase(const String &s);
bool SameText(const String &a, const String &b);
// Case-insensitive for all letters, not only ASCII.
bool AnsiSameText(const String &a, const String &b);

String IntToStr(int value);
String IntToStr(int64_t value);

// Integer texts: blanks before the number, an optional sign, decimal digits or
// a hexadecimal number after "$" or "0x". Anything else, and values outside
// the type, raise EConvertError "'x' is not a valid integer value".
int StrToInt(const String &s);
int StrToIntDef(const String &s, int def);
bool TryStrToInt(const String &s, int &out);
int64_t StrToInt64(const String &s);
int64_t StrToInt64Def(const String &s, int64_t def);
bool TryStrToInt64(const String &s, int64_t &out);

// Floating-point texts: optional blanks around, sign, digits with the current
// decimal separator, optional exponent ("E+05"). EConvertError
// "'x' is not a valid floating point value" otherwise.
double StrToFloat(const String &s);
double StrToFloatDef(const String &s, double def);
bool TryStrToFloat(const String &s, double &out);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// The framework's float formatting. The value is first rounded to
// `precision` significant digits (1..18), halves away from zero.
// ffGeneral: shortest text, no trailing zeros; scientific ("1,5E-10",
//   "1E20") when the value has more integer digits than precision or is below
//   0.00001; digits is the minimum exponent length (0..4).
// ffExponent: "d,dddE+xx" with precision digits and at least `digits`
//   exponent digits.
// ffFixed: `digits` decimals (0..18); ffNumber the same with thousands
//   separators; ffCurrency with the currency string and layouts. These three
//   fall back to the general format when the integer part has more digits
//   than precision.
// A value that rounds to zero never carries a minus sign ("0,0", not "-0,0").
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// General format with 15 digits.
String FloatToStr(double value);

} // namespace plat
