#include "rendering/pdf/PdfWrite.h"
#include "rendering/pdf/TextRoutines.h"

#include "platform/core/Dates.h"
#include "platform/graphics/Colors.h"

#include <QByteArray>
#include <QStringDecoder>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// Hundredths of value as an integral double. The rule at an exact tie (the
// binary value lies exactly half-way between two hundredths, as 0.125 and
// -0.125 do) is half away from zero: 0.13 and -0.13. Anything not exactly at
// the tie goes to the nearer hundredth, judged on the exact product, so that
// 0.285 (stored as 0.28499999...) gives 0.28.
double Hundredths(double value)
{
    const double p = value * 100.0;
    if (std::fabs(p) >= 4503599627370496.0)  // 2^52: p is already whole
        return p;
    const double e = std::fma(value, 100.0, -p);  // value * 100 == p + e exactly
    const double f = std::floor(p);
    const double d = (p - f - 0.5) + e;  // sign exact: see the comment above
    if (d > 0)
        return f + 1;
    if (d < 0)
        return f;
    return value > 0 ? f + 1 : f;
}

} // namespace

int FormatPdfReal(double value, char *out)
{
    char *p = out;
    double n = std::isfinite(value) ? Hundredths(value) : 0.0;
    if (n == 0) {
        *p++ = '0';
        return 1;
    }
    if (n < 0) {
        *p++ = '-';
        n = -n;
    }
    // Sign, point and the digits must fit in what the writer reserves;
    // a value with more digits lies beyond any page and is held at the
    // largest one that fits, so that a larger value never reads smaller.
    constexpr int kMaxDigits = kMaxRealChars - 2;
    char digits[32];
    int len;
    if (n < 9.0e18) {
        len = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(n));
    } else {
        len = std::isfinite(n) ? std::snprintf(digits, sizeof digits, "%.0f", n) : -1;  // 100 * DBL_MAX
        if (len < 0 || len > kMaxDigits) {
            std::memset(digits, '9', kMaxDigits);
            len = kMaxDigits;
        }
    }
    if (len < 3) {  // below 1: pad to "0.0d"
        std::memmove(digits + (3 - len), digits, static_cast<size_t>(len));
        std::memset(digits, '0', static_cast<size_t>(3 - len));
        len = 3;
    }
    std::memcpy(p, digits, static_cast<size_t>(len - 2));
    p += len - 2;
    const char d1 = digits[len - 2], d2 = digits[len - 1];
    if (d1 != '0' || d2 != '0') {
        *p++ = '.';
        *p++ = d1;
        if (d2 != '0')
            *p++ = d2;
    }
    return static_cast<int>(p - out);
}

std::string PdfRealText(double value)
{
    char buf[32];
    return std::string(buf, static_cast<size_t>(FormatPdfReal(value, buf)));
}

std::string PdfDateText(plat::TDateTime date)
{
    int year, month, day, hour, minute, second, msec;
    plat::DecodeDate(date, year, month, day);
    plat::DecodeTime(date, hour, minute, second, msec);
    char buf[17] = {'D', ':'};
    YearToChars(buf + 2, static_cast<unsigned>(std::max(0, year)));
    const int parts[5] = {month, day, hour, minute, second};
    for (int i = 0; i < 5; ++i)
        std::memcpy(buf + 6 + 2 * i, TwoDigits[parts[i]].data(), 2);
    return std::string(buf, 16);
}

TPdfWrite::TPdfWrite(plat::TStream &destination, int codePage)
    : dest_(destination), codePage_(codePage), start_(destination.Position())
{
}

TPdfWrite &TPdfWrite::Add(char c)
{
    Reserve(1);
    *cur_++ = c;
    return *this;
}

TPdfWrite &TPdfWrite::Add(int32_t value)
{
    if (value >= 0 && value < 10)
        return Add(static_cast<char>('0' + value));
    Reserve(11);
    if (value >= 10 && value < 100) {
        std::memcpy(cur_, TwoDigits[value].data(), 2);
        cur_ += 2;
        return *this;
    }
    char tmp[12];
    char *end = tmp + sizeof tmp;
    const char *first = StrInt32(end, value);
    std::memcpy(cur_, first, static_cast<size_t>(end - first));
    cur_ += end - first;
    return *this;
}

TPdfWrite &TPdfWrite::Add(std::string_view text)
{
    return Add(text.data(), static_cast<int64_t>(text.size()));
}

TPdfWrite &TPdfWrite::Add(const void *buffer, int64_t length)
{
    if (length <= 0)
        return *this;
    if (length > end_ - cur_) {
        Save();
        if (length >= BufferSize) {
            dest_.WriteBuffer(buffer, length);
            flushed_ += length;
            return *this;
        }
    }
    std::memcpy(cur_, buffer, static_cast<size_t>(length));
    cur_ += length;
    return *this;
}

TPdfWrite &TPdfWrite::AddReal(double value)
{
    Reserve(kMaxRealChars);
    cur_ += FormatPdfReal(value, cur_);
    return *this;
}

TPdfWrite &TPdfWrite::AddWithSpace(int32_t value)
{
    return Add(value).Add(' ');
}

TPdfWrite &TPdfWrite::AddWithSpace(double value)
{
    if (!(std::fabs(value) >= 0.01))  // NaN too
        return Add('0').Add(' ');
    return AddReal(value).Add(' ');
}

TPdfWrite &TPdfWrite::AddColor(plat::TColor color)
{
    if (color < 0)
        color = plat::GetSysColor(color & 0xFF);
    return AddWithSpace(plat::GetRValue(color) / 255.0)
        .AddWithSpace(plat::GetGValue(color) / 255.0)
        .AddWithSpace(plat::GetBValue(color) / 255.0);
}

TPdfWrite &TPdfWrite::AddZeroPadded(int32_t value, int digits)
{
    char tmp[12];
    char *end = tmp + sizeof tmp;
    const char *first = StrInt32(end, std::max(0, value));
    const int len = static_cast<int>(end - first);
    for (int i = len; i < digits; ++i)
        Add('0');
    return Add(first, len).Add(' ');
}

TPdfWrite &TPdfWrite::AddEscapeText(std::string_view text)
{
    for (const char c : text) {
        Reserve(2);
        switch (c) {
        case 0: return *this;
        case 13: break;
        case '(': case ')': case '\\':
            *cur_++ = '\\';
            *cur_++ = c;
            break;
        case 8: *cur_++ = '\\'; *cur_++ = 'b'; break;
        case 9: *cur_++ = '\\'; *cur_++ = 't'; break;
        case 10: *cur_++ = '\\'; *cur_++ = 'n'; break;
        case 12: *cur_++ = '\\'; *cur_++ = 'f'; break;
        default: *cur_++ = c;
        }
    }
    return *this;
}

TPdfWrite &TPdfWrite::AddEscapeName(std::string_view name)
{
    for (const char ch : name) {
        const auto c = static_cast<uint8_t>(ch);
        if (c == 0)  // a name cannot hold NUL; what follows it is not part of it
            break;
        Reserve(3);
        // Blanks, controls, "#", the delimiters and bytes above 126 would end
        // the name or be read as something else.
        if (c <= 32 || c >= 127 || std::strchr("#%()/<>[]{}", c)) {
            *cur_++ = '#';
            *cur_++ = kHex[c >> 4];
            *cur_++ = kHex[c & 15];
        } else {
            *cur_++ = static_cast<char>(c);
        }
    }
    return *this;
}

TPdfWrite &TPdfWrite::AddHex4(uint16_t value)
{
    Reserve(4);
    *cur_++ = kHex[value >> 12];
    *cur_++ = kHex[(value >> 8) & 15];
    *cur_++ = kHex[(value >> 4) & 15];
    *cur_++ = kHex[value & 15];
    return *this;
}

TPdfWrite &TPdfWrite::AddRGB(const uint8_t *bgr)
{
    Reserve(3);
    *cur_++ = static_cast<char>(bgr[2]);
    *cur_++ = static_cast<char>(bgr[1]);
    *cur_++ = static_cast<char>(bgr[0]);
    return *this;
}

TPdfWrite &TPdfWrite::AddToUnicodeHex(std::string_view text)
{
    if (codePage_ == kWinAnsiCodePage) {
        for (const char c : text)
            AddHex4(WinAnsiToUnicode[static_cast<uint8_t>(c)]);
        return *this;
    }
    QStringDecoder decode(("windows-" + std::to_string(codePage_)).c_str());
    if (!decode.isValid()) {
        for (const char c : text)
            AddHex4(WinAnsiToUnicode[static_cast<uint8_t>(c)]);
        return *this;
    }
    const QString wide = decode(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    for (const QChar c : wide)
        AddHex4(c.unicode());
    return *this;
}

TPdfWrite &TPdfWrite::AddDate(plat::TDateTime date)
{
    return Add(PdfDateText(date));
}

TPdfWrite &TPdfWrite::Save()
{
    if (cur_ != buf_) {
        const int64_t n = cur_ - buf_;
        dest_.WriteBuffer(buf_, n);
        flushed_ += n;
        cur_ = buf_;
    }
    return *this;
}

std::string TPdfWrite::ToString()
{
    if (flushed_ == 0)
        return std::string(buf_, cur_);
    Save();
    std::string out(static_cast<size_t>(flushed_), '\0');
    const int64_t pos = dest_.Position();
    dest_.SetPosition(start_);
    dest_.ReadBuffer(out.data(), flushed_);
    dest_.SetPosition(pos);
    return out;
}
