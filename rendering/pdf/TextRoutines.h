#pragma once
// Character tables, UTF-8 / UTF-16 / WinAnsi conversions, decimal formatting,
// font-name comparison, small lists and the growable memory stream that the
// PDF writer builds on.
#include "platform/core/Streams.h"
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Utf8Text = std::string;
using TUtf8TextDynArray = std::vector<Utf8Text>;
using TWordDynArray = std::vector<uint16_t>;

// Code page 1252 byte to UTF-16; the five codes that code page leaves open map
// to themselves.
extern const std::array<uint16_t, 256> WinAnsiToUnicode;
// Byte to its plain capital (accents dropped) and to its plain small letter.
extern const std::array<uint8_t, 256> NormToUpper;
extern const std::array<uint8_t, 256> NormToLower;
// "00" .. "99".
extern const std::array<std::array<char, 2>, 100> TwoDigits;

// Converts a zero-ended 1252 text; writes at most destChars - 1 characters and
// always a terminating zero (when destChars > 0). Returns the characters
// written without the zero.
int WinAnsiToUtf16(char16_t *dest, int destChars, const char *source);
std::u16string WinAnsiToUtf16(std::string_view source);
// The 1252 code of a character at or above U+0100, or -1.
int WinAnsiCode(char16_t c);
// Each character as its 1252 byte, or as a blank when code page 1252 lacks it.
std::string Utf16ToWinAnsi(std::u16string_view source);
// True when no byte is above 127 (and for a missing text).
bool IsAnsiCompatible(const char *text);
bool IsAnsiCompatible(std::string_view text);

// UTF-8 to UTF-16 from at most sourceBytes bytes, stopping at a zero byte.
// Malformed or truncated sequences become U+FFFD; four-byte sequences become
// surrogate pairs. Writes at most destChars - 1 characters and a terminating
// zero. Returns the output size in bytes, the zero not counted.
int Utf8ToUtf16(char16_t *dest, int destChars, const char *source, int sourceBytes);
std::u16string Utf8ToUtf16(std::string_view source);
// UTF-16 to UTF-8 from at most sourceChars characters, stopping at a zero;
// never writes a partial sequence, always ends with a zero byte (destBytes > 0).
// Returns the bytes written without the zero.
int Utf16ToUtf8(char *dest, int destBytes, const char16_t *source, int sourceChars);
Utf8Text Utf16ToUtf8(std::u16string_view source);
// UTF-8 to the 1252 bytes of the PDF text objects.
std::string Utf8ToWinAnsi(std::string_view source);

// Decimal text of value written backwards so that it ends just before end;
// returns its first character. Needs 11 bytes.
char *StrInt32(char *end, int32_t value);
std::string Int32ToText(int32_t value);
// Four digits of a year 0..9999 at dest.
void YearToChars(char *dest, unsigned year);
// Length of a zero-ended UTF-16 text.
int StrLenW(const char16_t *text);

// Font-name comparison: characters below U+0100 through NormToUpper, others by
// value. Negative, zero or positive, as for strcmp.
int Utf8ICompare(std::string_view a, std::string_view b);
int Utf16ICompare(std::u16string_view a, std::u16string_view b);
// Equal by Utf8ICompare and of equal byte length.
bool SameTextU(std::string_view a, std::string_view b);

int FindUtf8Text(const TUtf8TextDynArray &list, std::string_view text, bool caseInsensitive = false);
// Appends text; with noDuplicates an existing text is not added again (false).
bool AddUtf8Text(TUtf8TextDynArray &list, const Utf8Text &text, bool noDuplicates = false);

// Sorted 16-bit values.
class TSortedWordArray {
public:
    // Index of a new value, or -(index + 1) of one already present.
    int Add(uint16_t value);
    // Index of value, or -1.
    int IndexOf(uint16_t value) const;
    int Count() const { return count_; }
    uint16_t operator[](int i) const { return values_[i]; }
    const uint16_t *Values() const { return values_.data(); }

private:
    TWordDynArray values_;
    int count_ = 0;
};

inline bool GetBit(const uint32_t *bits, unsigned index) { return (bits[index >> 5] >> (index & 31)) & 1; }
inline void SetBit(uint32_t *bits, unsigned index) { bits[index >> 5] |= 1u << (index & 31); }

// Character-set number of a code page (0 for the ANSI set and any other).
int CodePageToCharSet(int codePage);

// A memory stream whose block is a multiple of 32768 bytes and never shrinks
// except when set to size 0. SetSize takes the next multiple; a write past
// the block grows it by half again at least, so that a stream written in
// small pieces is moved a number of times that grows only with the log of
// its size.
// Seam for the heap streams' block growth (std::realloc by default), so that
// a machine out of memory can be simulated; null restores std::realloc.
// Returns the previous one.
using THeapRealloc = void *(*)(void *block, size_t size);
THeapRealloc SetHeapRealloc(THeapRealloc call);

class THeapMemoryStream : public plat::TCustomMemoryStream {
public:
    static constexpr int64_t MemoryDelta = 32768;
    THeapMemoryStream() = default;
    ~THeapMemoryStream() override;
    THeapMemoryStream(const THeapMemoryStream &) = delete;
    THeapMemoryStream &operator=(const THeapMemoryStream &) = delete;

    int64_t Write(const void *buffer, int64_t count) override;
    void SetSize(int64_t newSize) override;
    void Clear() { SetSize(0); }
    int64_t Capacity() const { return capacity_; }
    uint8_t *Memory() { return block_; }

private:
    void SetCapacity(int64_t newCapacity);
    uint8_t *block_ = nullptr;
    int64_t capacity_ = 0;
};
