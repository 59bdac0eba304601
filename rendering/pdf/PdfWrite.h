#pragma once
// The one buffered text writer through which every byte of a PDF file goes.
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Types.h"
#include <cstdint>
#include <string>
#include <string_view>

class EPdfInvalidValue : public plat::Exception { using plat::Exception::Exception; };
class EPdfInvalidOperation : public plat::Exception { using plat::Exception::Exception; };

// Code page of the program's 8-bit texts.
constexpr int kWinAnsiCodePage = 1252;

class TPdfWrite {
public:
    static constexpr int BufferSize = 512;

    explicit TPdfWrite(plat::TStream &destination, int codePage = kWinAnsiCodePage);
    TPdfWrite(const TPdfWrite &) = delete;
    TPdfWrite &operator=(const TPdfWrite &) = delete;

    TPdfWrite &Add(char c);
    TPdfWrite &Add(int32_t value);
    TPdfWrite &Add(std::string_view text);
    TPdfWrite &Add(const void *buffer, int64_t length);
    // Two decimals, trailing zeros dropped.
    TPdfWrite &AddReal(double value);
    TPdfWrite &AddWithSpace(int32_t value);
    // As AddReal, but anything below 0.01 in magnitude is 0; then a blank.
    TPdfWrite &AddWithSpace(double value);
    // Red, green and blue as reals 0..1, each followed by a blank; a system
    // colour by its value in the desktop scheme.
    TPdfWrite &AddColor(plat::TColor color);
    // Right-aligned in digits places with leading zeros, then a blank.
    TPdfWrite &AddZeroPadded(int32_t value, int digits);
    // Literal-string body: up to the end or a NUL byte.
    TPdfWrite &AddEscapeText(std::string_view text);
    // Name body: never splits into two tokens.
    TPdfWrite &AddEscapeName(std::string_view name);
    TPdfWrite &AddHex4(uint16_t value);
    // The three bytes of a blue-green-red pixel as red, green, blue.
    TPdfWrite &AddRGB(const uint8_t *bgr);
    // 8-bit text in the writer's code page as UTF-16 hexadecimal.
    TPdfWrite &AddToUnicodeHex(std::string_view text);
    // "D:" and the fourteen digits of the date and time.
    TPdfWrite &AddDate(plat::TDateTime date);

    // Flushes the buffer to the destination.
    TPdfWrite &Save();
    // Offset of the next byte in the output.
    int64_t Position() const { return flushed_ + (cur_ - buf_); }
    // The whole output of this writer.
    std::string ToString();
    int CodePage() const { return codePage_; }

private:
    void Reserve(int64_t count)
    {
        if (count > end_ - cur_)
            Save();
    }

    plat::TStream &dest_;
    int codePage_;
    int64_t start_;
    int64_t flushed_ = 0;
    char buf_[BufferSize];
    char *cur_ = buf_;
    char *const end_ = buf_ + BufferSize;
};

// Writes value with two decimals, rounded half away from zero at an exact
// binary tie, with trailing zeros and a bare point dropped, and no "-0".
// Returns the characters written, at most kMaxRealChars.
constexpr int kMaxRealChars = 28;
int FormatPdfReal(double value, char *out);
std::string PdfRealText(double value);
// "D:" year month day hour minute second.
std::string PdfDateText(plat::TDateTime date);
