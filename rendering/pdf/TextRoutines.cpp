#include "rendering/pdf/TextRoutines.h"

#include "platform/core/Exceptions.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct TWideToAnsi {
    uint16_t wide;
    uint8_t code;
};

// The characters above U+00FF that code page 1252 places at 0x80..0x9F,
// sorted by character for bisection.
constexpr TWideToAnsi kWideToAnsi[27] = {
    {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0178, 0x9F},
    {0x017D, 0x8E}, {0x017E, 0x9E}, {0x0192, 0x83}, {0x02C6, 0x88}, {0x02DC, 0x98},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82},
    {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84}, {0x2020, 0x86}, {0x2021, 0x87},
    {0x2022, 0x95}, {0x2026, 0x85}, {0x2030, 0x89}, {0x2039, 0x8B}, {0x203A, 0x9B},
    {0x20AC, 0x80}, {0x2122, 0x99}};

constexpr std::array<uint16_t, 256> MakeWinAnsiToUnicode()
{
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<uint16_t>(i);
    for (int i = 0; i < 32; ++i)
        t[0x80 + i] = kCp1252High[i];
    return t;
}

constexpr std::array<uint8_t, 256> MakeNormToUpper()
{
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<uint8_t>(c - 32);
    auto range = [&t](int from, int to, char letter) {
        for (int c = from; c <= to; ++c)
            t[c] = static_cast<uint8_t>(letter);
    };
    range(0xC0, 0xC5, 'A'); range(0xE0, 0xE5, 'A');
    range(0xC7, 0xC7, 'C'); range(0xE7, 0xE7, 'C');
    range(0xC8, 0xCB, 'E'); range(0xE8, 0xEB, 'E');
    range(0xCC, 0xCF, 'I'); range(0xEC, 0xEF, 'I');
    range(0xD0, 0xD0, 'D'); range(0xF0, 0xF0, 'D');
    range(0xD1, 0xD1, 'N'); range(0xF1, 0xF1, 'N');
    range(0xD2, 0xD6, 'O'); range(0xD8, 0xD8, 'O'); range(0xF2, 0xF6, 'O'); range(0xF8, 0xF8, 'O');
    range(0xD9, 0xDC, 'U'); range(0xF9, 0xFC, 'U');
    range(0xDD, 0xDD, 'Y'); range(0xFD, 0xFD, 'Y'); range(0xFF, 0xFF, 'Y'); range(0x9F, 0x9F, 'Y');
    range(0x8A, 0x8A, 'S'); range(0x9A, 0x9A, 'S');
    range(0x8E, 0x8E, 'Z'); range(0x9E, 0x9E, 'Z');
    t[0xE6] = 0xC6;  // ae
    t[0x9C] = 0x8C;  // oe
    t[0xFE] = 0xDE;  // thorn
    return t;
}

constexpr std::array<uint8_t, 256> MakeNormToLower(const std::array<uint8_t, 256> &upper)
{
    std::array<uint8_t, 256> t = upper;
    for (auto &c : t)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<uint8_t>(c + 32);
    return t;
}

constexpr std::array<std::array<char, 2>, 100> MakeTwoDigits()
{
    std::array<std::array<char, 2>, 100> t{};
    for (int i = 0; i < 100; ++i)
        t[i] = {static_cast<char>('0' + i / 10), static_cast<char>('0' + i % 10)};
    return t;
}

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence from [p, end). Never looks past end; a
// malformed or cut-off sequence yields U+FFFD and consumes one byte.
char32_t DecodeUtf8(const uint8_t *&p, const uint8_t *end)
{
    const uint8_t c = *p++;
    if (c < 0x80)
        return c;
    int more;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) { more = 1; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { more = 2; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { more = 3; cp = c & 0x07; min = 0x10000; }
    else return kReplacement;
    if (end - p < more)
        return kReplacement;
    for (int i = 0; i < more; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return kReplacement;
    for (int i = 0; i < more; ++i)
        cp = (cp << 6) | (p[i] & 0x3F);
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kReplacement;
    p += more;
    return cp;
}

uint32_t NormUpper(uint32_t c) { return c < 0x100 ? NormToUpper[c] : c; }

template <typename Next>
int ICompare(Next nextA, Next nextB)
{
    for (;;) {
        const int32_t a = nextA(), b = nextB();  // -1 at the end
        if (a < 0 || b < 0)
            return (a < 0 ? 0 : 1) - (b < 0 ? 0 : 1);
        const uint32_t ua = NormUpper(static_cast<uint32_t>(a)), ub = NormUpper(static_cast<uint32_t>(b));
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
}

} // namespace

const std::array<uint16_t, 256> WinAnsiToUnicode = MakeWinAnsiToUnicode();
const std::array<uint8_t, 256> NormToUpper = MakeNormToUpper();
const std::array<uint8_t, 256> NormToLower = MakeNormToLower(MakeNormToUpper());
const std::array<std::array<char, 2>, 100> TwoDigits = MakeTwoDigits();

int WinAnsiToUtf16(char16_t *dest, int destChars, const char *source)
{
    if (!dest || destChars <= 0)
        return 0;
    int n = 0;
    if (source)
        for (; n < destChars - 1 && source[n]; ++n)
            dest[n] = WinAnsiToUnicode[static_cast<uint8_t>(source[n])];
    dest[n] = 0;
    return n;
}

std::u16string WinAnsiToUtf16(std::string_view source)
{
    std::u16string out;
    out.reserve(source.size());
    for (const char c : source)
        out.push_back(WinAnsiToUnicode[static_cast<uint8_t>(c)]);
    return out;
}

int WinAnsiCode(char16_t c)
{
    const auto *first = std::begin(kWideToAnsi), *last = std::end(kWideToAnsi);
    const auto *it = std::lower_bound(first, last, c, [](const TWideToAnsi &e, char16_t v) { return e.wide < v; });
    return it != last && it->wide == c ? it->code : -1;
}

std::string Utf16ToWinAnsi(std::u16string_view source)
{
    std::string out;
    out.reserve(source.size());
    for (const char16_t c : source) {
        if (c >= 0x100) {
            const int code = WinAnsiCode(c);
            out.push_back(code < 0 ? ' ' : static_cast<char>(code));
        } else {
            out.push_back(WinAnsiToUnicode[c] == c ? static_cast<char>(c) : ' ');
        }
    }
    return out;
}

bool IsAnsiCompatible(const char *text)
{
    return !text || IsAnsiCompatible(std::string_view(text));
}

bool IsAnsiCompatible(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) > 127; });
}

int Utf8ToUtf16(char16_t *dest, int destChars, const char *source, int sourceBytes)
{
    if (!dest || destChars <= 0)
        return 0;
    int n = 0;
    if (source && sourceBytes > 0) {
        const auto *p = reinterpret_cast<const uint8_t *>(source);
        const uint8_t *end = p + sourceBytes;
        while (p < end && *p && n < destChars - 1) {
            const uint8_t *start = p;
            const char32_t cp = DecodeUtf8(p, end);
            if (cp >= 0x10000) {
                if (n + 2 > destChars - 1) {
                    p = start;
                    break;
                }
                dest[n++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                dest[n++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                dest[n++] = static_cast<char16_t>(cp);
            }
        }
    }
    dest[n] = 0;
    return n * 2;
}

std::u16string Utf8ToUtf16(std::string_view source)
{
    std::u16string out(source.size() + 1, u'\0');
    const int bytes = Utf8ToUtf16(out.data(), static_cast<int>(out.size()), source.data(),
                                  static_cast<int>(source.size()));
    out.resize(static_cast<size_t>(bytes / 2));
    return out;
}

int Utf16ToUtf8(char *dest, int destBytes, const char16_t *source, int sourceChars)
{
    if (!dest || destBytes <= 0)
        return 0;
    int n = 0;
    const int room = destBytes - 1;
    for (int i = 0; source && i < sourceChars && source[i]; ++i) {
        char32_t cp = source[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < sourceChars && source[i + 1] >= 0xDC00 &&
            source[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (source[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        const int len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (n + len > room)
            break;
        auto *o = reinterpret_cast<uint8_t *>(dest + n);
        switch (len) {
        case 1: o[0] = static_cast<uint8_t>(cp); break;
        case 2:
            o[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
            o[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            break;
        case 3:
            o[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
            o[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            o[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            break;
        default:
            o[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
            o[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
            o[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            o[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        }
        n += len;
    }
    dest[n] = 0;
    return n;
}

Utf8Text Utf16ToUtf8(std::u16string_view source)
{
    if (source.empty())
        return Utf8Text();
    std::string out(source.size() * 3 + 1, '\0');
    const int n = Utf16ToUtf8(out.data(), static_cast<int>(out.size()), source.data(),
                              static_cast<int>(source.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string Utf8ToWinAnsi(std::string_view source)
{
    return Utf16ToWinAnsi(Utf8ToUtf16(source));
}

char *StrInt32(char *end, int32_t value)
{
    // Unsigned magnitude, so that the most negative value has one too.
    uint32_t v = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char *p = end;
    while (v >= 100) {
        const uint32_t q = v / 100;
        p -= 2;
        std::memcpy(p, TwoDigits[v - q * 100].data(), 2);
        v = q;
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, TwoDigits[v].data(), 2);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    if (value < 0)
        *--p = '-';
    return p;
}

std::string Int32ToText(int32_t value)
{
    char buf[12];
    char *end = buf + sizeof buf;
    return std::string(StrInt32(end, value), end);
}

void YearToChars(char *dest, unsigned year)
{
    year %= 10000;
    std::memcpy(dest, TwoDigits[year / 100].data(), 2);
    std::memcpy(dest + 2, TwoDigits[year % 100].data(), 2);
}

int StrLenW(const char16_t *text)
{
    int n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

int Utf8ICompare(std::string_view a, std::string_view b)
{
    auto reader = [](std::string_view s) {
        return [p = reinterpret_cast<const uint8_t *>(s.data()),
                end = reinterpret_cast<const uint8_t *>(s.data()) + s.size()]() mutable -> int32_t {
            return p < end ? static_cast<int32_t>(DecodeUtf8(p, end)) : -1;
        };
    };
    return ICompare(reader(a), reader(b));
}

int Utf16ICompare(std::u16string_view a, std::u16string_view b)
{
    auto reader = [](std::u16string_view s) {
        return [s, i = size_t(0)]() mutable -> int32_t { return i < s.size() ? s[i++] : -1; };
    };
    return ICompare(reader(a), reader(b));
}

bool SameTextU(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && Utf8ICompare(a, b) == 0;
}

int FindUtf8Text(const TUtf8TextDynArray &list, std::string_view text, bool caseInsensitive)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (caseInsensitive ? SameTextU(list[i], text) : list[i] == text)
            return static_cast<int>(i);
    return -1;
}

bool AddUtf8Text(TUtf8TextDynArray &list, const Utf8Text &text, bool noDuplicates)
{
    if (noDuplicates && FindUtf8Text(list, text) >= 0)
        return false;
    list.push_back(text);
    return true;
}

int TSortedWordArray::Add(uint16_t value)
{
    const auto first = values_.begin(), last = values_.begin() + count_;
    const auto it = std::lower_bound(first, last, value);
    const int index = static_cast<int>(it - first);
    if (it != last && *it == value)
        return -index - 1;
    if (count_ == static_cast<int>(values_.size()))
        values_.resize(values_.size() + 100);
    std::copy_backward(values_.begin() + index, values_.begin() + count_, values_.begin() + count_ + 1);
    values_[index] = value;
    ++count_;
    return index;
}

int TSortedWordArray::IndexOf(uint16_t value) const
{
    const auto first = values_.begin(), last = values_.begin() + count_;
    const auto it = std::lower_bound(first, last, value);
    return it != last && *it == value ? static_cast<int>(it - first) : -1;
}

int CodePageToCharSet(int codePage)
{
    switch (codePage) {
    case 874: return 222;
    case 932: return 128;
    case 936: return 134;
    case 949: return 129;
    case 1250: return 238;
    case 1251: return 204;
    case 1253: return 161;
    case 1254: return 162;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1258: return 163;
    default: return 0;
    }
}

namespace {

// Read by the compression helper too.
std::atomic<THeapRealloc> &HeapRealloc()
{
    static std::atomic<THeapRealloc> call{std::realloc};
    return call;
}

} // namespace

THeapRealloc SetHeapRealloc(THeapRealloc call) { return HeapRealloc().exchange(call ? call : std::realloc); }

THeapMemoryStream::~THeapMemoryStream() { std::free(block_); }

void THeapMemoryStream::SetCapacity(int64_t newCapacity)
{
    if (newCapacity > 0 && newCapacity == size_)
        return;
    if (newCapacity <= 0) {
        std::free(block_);
        block_ = nullptr;
        capacity_ = 0;
        return;
    }
    if (newCapacity > INT64_MAX - MemoryDelta)
        throw plat::EOutOfMemory("Out of memory");
    newCapacity = (newCapacity + MemoryDelta - 1) / MemoryDelta * MemoryDelta;
    if (newCapacity <= capacity_)
        return;
    auto *grown = static_cast<uint8_t *>(HeapRealloc().load()(block_, static_cast<size_t>(newCapacity)));
    if (!grown)
        throw plat::EOutOfMemory("Out of memory");
    block_ = grown;
    capacity_ = newCapacity;
}

void THeapMemoryStream::SetSize(int64_t newSize)
{
    newSize = std::max<int64_t>(0, newSize);
    if (newSize > capacity_ || newSize == 0)
        SetCapacity(newSize);
    if (newSize > size_)
        std::memset(block_ + size_, 0, static_cast<size_t>(newSize - size_));
    SetPointer(block_, newSize);
    if (pos_ > newSize)
        pos_ = newSize;
}

int64_t THeapMemoryStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0 || pos_ > INT64_MAX - count)
        return 0;
    const int64_t end = pos_ + count;
    // By half again at least: a stream written 512 bytes at a time would
    // otherwise be moved every 32 KB, which for a picture's content is
    // hundreds of moves of ever larger blocks.
    if (end > capacity_)
        SetCapacity(std::max(end, capacity_ <= INT64_MAX / 3 ? capacity_ + capacity_ / 2 : end));
    if (pos_ > size_)
        std::memset(block_ + size_, 0, static_cast<size_t>(pos_ - size_));
    std::memcpy(block_ + pos_, buffer, static_cast<size_t>(count));
    pos_ = end;
    if (end > size_)
        SetPointer(block_, end);
    return count;
}
