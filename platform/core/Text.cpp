#include "platform/core/Text.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace plat {

TFormatSettings &FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

// ---------------------------------------------------------------- 1252 codec

namespace {

// Code points of bytes 0x80..0x9F; the undefined five map to themselves.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int UnicodeTo1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] == cp)
            return 0x80 + i;
    return -1;
}

void AppendUtf8(String &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns -1 for a byte that
// does not start a well-formed sequence (then i moves by one byte).
long DecodeUtf8(const String &s, size_t &i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t cp = 0, min = 0;
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else { ++i; return -1; }
    if (i + static_cast<size_t>(len) > s.size()) { ++i; return -1; }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
        if ((b & 0xC0) != 0x80) { ++i; return -1; }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return -1; }
    i += static_cast<size_t>(len);
    return static_cast<long>(cp);
}

} // namespace

std::string Utf8ToAnsi(const String &s)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const long cp = DecodeUtf8(s, i);
        const int b = cp < 0 ? -1 : UnicodeTo1252(static_cast<char32_t>(cp));
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

String AnsiToUtf8(const std::string &bytes)
{
    String out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0)
            AppendUtf8(out, kHigh1252[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

// --------------------------------------------------------------- plain text

static bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

String Trim(const String &s)
{
    return TrimRight(TrimLeft(s));
}

String TrimLeft(const String &s)
{
    size_t i = 0;
    while (i < s.size() && IsTrimmed(s[i]))
        ++i;
    return s.substr(i);
}

String TrimRight(const String &s)
{
    size_t n = s.size();
    while (n > 0 && IsTrimmed(s[n - 1]))
        --n;
    return s.substr(0, n);
}

String UpperCase(const String &s)
{
    String r = s;
    for (char &c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

String LowerCase(const String &s)
{
    String r = s;
    for (char &c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool SameText(const String &a, const String &b)
{
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

bool AnsiSameText(const String &a, const String &b)
{
    if (SameText(a, b))
        return true;
    const auto ascii = [](const String &s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    if (ascii(a) && ascii(b))
        return false;
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// ----------------------------------------------------------------- integers

String IntToStr(int value) { return std::to_string(value); }
String IntToStr(int64_t value) { return std::to_string(value); }

namespace {

// The framework's integer scan. hex reports a "$"/"0x" number, whose bits
// may fill the whole unsigned width.
bool ScanInteger(const String &s, uint64_t &magnitude, bool &negative, bool &hex)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;
    uint64_t v = 0;
    const unsigned base = hex ? 16 : 10;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        else return false;
        if (v > (std::numeric_limits<uint64_t>::max() - d) / base)
            return false;
        v = v * base + d;
    }
    magnitude = v;
    return true;
}

[[noreturn]] void ThrowInvalidInteger(const String &s)
{
    throw EConvertError("'" + s + "' is not a valid integer value");
}

} // namespace

bool TryStrToInt64(const String &s, int64_t &out)
{
    uint64_t m;
    bool neg, hex;
    if (!ScanInteger(s, m, neg, hex))
        return false;
    if (!hex && m > uint64_t(std::numeric_limits<int64_t>::max()) + (neg ? 1 : 0))
        return false;
    // Two's complement wrap: "-$1" is -1, "$FFFFFFFFFFFFFFFF" too.
    out = static_cast<int64_t>(neg ? 0 - m : m);
    return true;
}

bool TryStrToInt(const String &s, int &out)
{
    uint64_t m;
    bool neg, hex;
    if (!ScanInteger(s, m, neg, hex))
        return false;
    int64_t v;
    if (hex) {
        // "$FFFFFFFF" is -1, as the 32-bit bits say.
        if (m > 0xFFFFFFFFull)
            return false;
        v = static_cast<int32_t>(static_cast<uint32_t>(m));
        if (neg)
            v = static_cast<int32_t>(0u - static_cast<uint32_t>(m));
    } else {
        if (m > 0x80000000ull || (!neg && m == 0x80000000ull))
            return false;
        v = neg ? -static_cast<int64_t>(m) : static_cast<int64_t>(m);
    }
    out = static_cast<int>(v);
    return true;
}

namespace {

template <typename T>
T IntOrThrow(bool (*tryParse)(const String &, T &), const String &s)
{
    T v;
    if (!tryParse(s, v))
        ThrowInvalidInteger(s);
    return v;
}

template <typename T>
T IntOrDefault(bool (*tryParse)(const String &, T &), const String &s, T def)
{
    T v;
    return tryParse(s, v) ? v : def;
}

} // namespace

int StrToInt(const String &s) { return IntOrThrow<int>(TryStrToInt, s); }
int StrToIntDef(const String &s, int def) { return IntOrDefault<int>(TryStrToInt, s, def); }
int64_t StrToInt64(const String &s) { return IntOrThrow<int64_t>(TryStrToInt64, s); }
int64_t StrToInt64Def(const String &s, int64_t def) { return IntOrDefault<int64_t>(TryStrToInt64, s, def); }

// ------------------------------------------------------------ float parsing

bool TryStrToFloat(const String &s, double &out)
{
    const char dec = FormatSettings().DecimalSeparator;
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    while (n > i && s[n - 1] == ' ')
        --n;
    bool neg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    // Rebuilt in the neutral form that from_chars reads.
    std::string buf;
    int digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        buf += s[i++];
        ++digits;
    }
    if (i < n && s[i] == dec) {
        buf += '.';
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            buf += s[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        buf += 'e';
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            buf += s[i++];
        int expDigits = 0;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            buf += s[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    if (buf[0] == '.')
        buf.insert(buf.begin(), '0');
    double v = 0;
    const auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    if (r.ec != std::errc() || r.ptr != buf.data() + buf.size() || !std::isfinite(v))
        return false;
    out = neg ? -v : v;
    return true;
}

double StrToFloat(const String &s)
{
    double v;
    if (!TryStrToFloat(s, v))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(const String &s, double def)
{
    double v;
    return TryStrToFloat(s, v) ? v : def;
}

// --------------------------------------------------------- float formatting

namespace {

// value = 0.d1d2d3... x 10^exponent; no digits means zero.
struct TDecimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

TDecimal ToDecimal(double v)
{
    TDecimal d;
    d.negative = std::signbit(v);
    v = std::fabs(v);
    if (v == 0)
        return d;
    // 18 significant digits of the binary value, correctly rounded.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 17);
    const std::string t(buf, r.ptr);
    const size_t e = t.find('e');
    d.digits = t.substr(0, 1) + t.substr(2, e - 2);
    d.exponent = std::stoi(t.substr(e + 1)) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps n significant digits, halves away from zero.
void RoundTo(TDecimal &d, int n)
{
    if (n >= static_cast<int>(d.digits.size()))
        return;
    if (n < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const bool up = d.digits[static_cast<size_t>(n)] >= '5';
    d.digits.resize(static_cast<size_t>(n));
    if (up) {
        int k = n - 1;
        while (k >= 0 && d.digits[static_cast<size_t>(k)] == '9')
            d.digits[static_cast<size_t>(k--)] = '0';
        if (k < 0) {
            d.digits.insert(d.digits.begin(), '1');
            d.exponent += 1;
        } else {
            d.digits[static_cast<size_t>(k)]++;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

char DigitAt(const TDecimal &d, int index)
{
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(index)] : '0';
}

std::string IntegerPart(const TDecimal &d, bool thousands)
{
    std::string s;
    if (d.exponent <= 0)
        s = "0";
    for (int k = 0; k < d.exponent; ++k)
        s += DigitAt(d, k);
    if (thousands) {
        const char sep = FormatSettings().ThousandSeparator;
        for (int pos = static_cast<int>(s.size()) - 3; pos > 0; pos -= 3)
            s.insert(s.begin() + pos, sep);
    }
    return s;
}

std::string ExponentText(int e, int minDigits, bool plusSign)
{
    std::string s = e < 0 ? "-" : (plusSign ? "+" : "");
    std::string num = std::to_string(e < 0 ? -e : e);
    while (static_cast<int>(num.size()) < minDigits)
        num.insert(num.begin(), '0');
    return s + num;
}

std::string FormatGeneral(TDecimal d, int precision, int expDigits)
{
    RoundTo(d, precision);
    if (d.digits.empty())
        return "0";
    const char dec = FormatSettings().DecimalSeparator;
    std::string s = d.negative ? "-" : "";
    if (d.exponent > precision || d.exponent < -4) {
        s += d.digits[0];
        if (d.digits.size() > 1)
            s += dec + d.digits.substr(1);
        return s + "E" + ExponentText(d.exponent - 1, expDigits, false);
    }
    s += IntegerPart(d, false);
    if (static_cast<int>(d.digits.size()) > d.exponent) {
        s += dec;
        for (int k = d.exponent; k < 0; ++k)
            s += '0';
        s += d.digits.substr(static_cast<size_t>(std::max(d.exponent, 0)));
    }
    return s;
}

std::string FormatExponent(TDecimal d, int precision, int expDigits)
{
    RoundTo(d, precision);
    std::string s = d.negative && !d.digits.empty() ? "-" : "";
    s += DigitAt(d, 0);
    if (precision > 1) {
        s += FormatSettings().DecimalSeparator;
        for (int k = 1; k < precision; ++k)
            s += DigitAt(d, k);
    }
    const int e = d.digits.empty() ? 0 : d.exponent - 1;
    return s + "E" + ExponentText(e, expDigits, true);
}

// Digits of a fixed-point number without its sign; empty when the value has
// more integer digits than precision.
bool FixedDigits(TDecimal &d, int precision, int decimals, bool thousands, std::string &out)
{
    if (d.exponent > precision)
        return false;
    RoundTo(d, std::min(precision, d.exponent + decimals));
    if (d.exponent > precision)
        return false;
    out = IntegerPart(d, thousands);
    if (decimals > 0) {
        out += FormatSettings().DecimalSeparator;
        for (int k = 0; k < decimals; ++k)
            out += DigitAt(d, d.exponent + k);
    }
    return true;
}

std::string CurrencyLayout(const std::string &number, bool negative)
{
    static const char *const kPositive[4] = {"$1", "1$", "$ 1", "1 $"};
    static const char *const kNegative[16] = {"($1)", "-$1", "$-1", "$1-", "(1$)", "-1$", "1-$", "1$-",
                                              "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    const TFormatSettings &fs = FormatSettings();
    const char *layout = negative ? kNegative[std::clamp(fs.NegCurrFormat, 0, 15)]
                                  : kPositive[std::clamp(fs.CurrencyFormat, 0, 3)];
    std::string s;
    for (const char *p = layout; *p; ++p) {
        if (*p == '$') s += fs.CurrencyString;
        else if (*p == '1') s += number;
        else s += *p;
    }
    return s;
}

} // namespace

String FloatToStrF(double value, TFloatFormat format, int precision, int digits)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    TDecimal d = ToDecimal(value);
    switch (format) {
    case ffGeneral:
        return FormatGeneral(d, precision, std::clamp(digits, 0, 4));
    case ffExponent:
        return FormatExponent(d, precision, std::clamp(digits, 0, 4));
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        const TDecimal original = d;
        std::string num;
        if (!FixedDigits(d, precision, std::clamp(digits, 0, 18), format != ffFixed, num))
            return FormatGeneral(original, precision, 0);
        const bool negative = d.negative && !d.digits.empty();
        if (format == ffCurrency)
            return CurrencyLayout(num, negative);
        return negative ? "-" + num : num;
    }
    }
    return FormatGeneral(d, precision, 0);
}

String FloatToStr(double value)
{
    return FloatToStrF(value, ffGeneral, 15, 0);
}

} // namespace plat
