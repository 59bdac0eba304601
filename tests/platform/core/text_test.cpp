// Windows-1252 codec and the number conversions with the Dutch settings.
#include "platform/core/Text.h"

#include <gtest/gtest.h>
#include <cmath>
#include <memory>

using namespace plat;

namespace {

// Every test starts from the process defaults and leaves them so.
class TextTest : public ::testing::Test {
protected:
    void TearDown() override { FormatSettings() = TFormatSettings(); }
};

} // namespace

TEST_F(TextTest, AnsiCodecMapsEveryByteAndBack)
{
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC"), "\x80");          // euro
    EXPECT_EQ(Utf8ToAnsi("\xE2\x80\x9C" "a" "\xE2\x80\x9D"), "\x93" "a" "\x94");
    EXPECT_EQ(AnsiToUtf8("\x80\x9F\xE9\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xA9\xC3\xBF");
    // All 256 bytes survive the round trip, the five undefined ones included.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
    EXPECT_EQ(AnsiToUtf8("\x81"), "\xC2\x81");
}

TEST_F(TextTest, AnsiCodecReplacesWhatTheCodePageLacks)
{
    struct Case { const char *utf8; const char *ansi; };
    const Case cases[] = {
        {"\xCE\xB1", "?"},                 // Greek alpha
        {"\xE4\xB8\xAD" "x", "?x"},        // CJK, then ASCII
        {"\xF0\x9F\x98\x80", "?"},         // four-byte emoji is one character
        {"\xC2\x80", "?"},                 // U+0080 is not in the code page
        {"a\xFF" "b", "a?b"},              // invalid byte
        {"\xC3", "?"},                     // truncated sequence
        {"\xC0\xAF", "??"},                // overlong "/"
        {"\xED\xA0\x80", "???"},           // encoded surrogate
    };
    for (const Case &c : cases)
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi) << c.utf8;
}

TEST_F(TextTest, TrimAndCase)
{
    EXPECT_EQ(Trim(" \t\r\n ab c \x01"), "ab c");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x \t"), "  x");
    EXPECT_EQ(Trim("   "), "");
    // Non-ASCII bytes are neither trimmed nor case-mapped.
    EXPECT_EQ(Trim("\xC3\xA9 "), "\xC3\xA9");
    EXPECT_EQ(UpperCase("abz\xC3\xA9"), "ABZ\xC3\xA9");
    EXPECT_EQ(LowerCase("FWn01"), "fwn01");
    EXPECT_TRUE(SameText("Settings", "SETTINGS"));
    EXPECT_FALSE(SameText("Settings", "Setting"));
    EXPECT_TRUE(AnsiSameText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
}

TEST_F(TextTest, IntegerConversions)
{
    struct Case { const char *text; bool ok; int value; };
    const Case cases[] = {
        {"0", true, 0}, {"23", true, 23}, {"-1", true, -1}, {"+7", true, 7},
        {"  42", true, 42}, {"$1F", true, 31}, {"0x10", true, 16}, {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"42 ", false, 0}, {"", false, 0}, {"-", false, 0},
        {"1,5", false, 0}, {"abc", false, 0}, {"$", false, 0}, {"12a", false, 0},
    };
    for (const Case &c : cases) {
        int v = -999;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
        EXPECT_EQ(StrToIntDef(c.text, -999), c.ok ? c.value : -999) << c.text;
    }
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    int64_t big = 0;
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", big));
    EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToStr(int64_t{1} << 40), "1099511627776");
}

TEST_F(TextTest, ConversionErrorsCarryTheFrameworkMessages)
{
    try {
        StrToInt("abc");
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    try {
        StrToFloat("x");
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid floating point value");
    }
    EXPECT_THROW(StrToInt64(" "), EConvertError);
}

TEST_F(TextTest, FloatParsingUsesTheDecimalSeparator)
{
    struct Case { const char *text; bool ok; double value; };
    const Case cases[] = {
        {"23", true, 23}, {"9999", true, 9999}, {"-1", true, -1}, {" 1,5 ", true, 1.5},
        {",5", true, 0.5}, {"5,", true, 5}, {"1,5E+02", true, 150}, {"2e-3", true, 0.002},
        {"-0,25", true, -0.25},
        // The thousands separator and the other decimal point are not numbers.
        {"1.5", false, 0}, {"1.234,5", false, 0}, {"", false, 0}, {",", false, 0},
        {"1e", false, 0}, {"1e400", false, 0}, {"1,5x", false, 0}, {"INF", false, 0},
    };
    for (const Case &c : cases) {
        double v = -1;
        EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    FormatSettings().DecimalSeparator = '.';
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_FALSE(TryStrToFloat("1,5", *std::make_unique<double>()));
}

TEST_F(TextTest, FloatFormatting)
{
    struct Case { double value; TFloatFormat format; int precision, digits; const char *text; };
    const Case cases[] = {
        // Recorded item times: general, five digits, no decimals.
        {23.0, ffGeneral, 5, 0, "23"},
        {22.999999999999996, ffGeneral, 5, 0, "23"},
        {10, ffGeneral, 5, 0, "10"},
        {1, ffGeneral, 5, 0, "1"},
        {0, ffGeneral, 5, 0, "0"},
        {-0.0, ffGeneral, 5, 0, "0"},
        {23.5, ffGeneral, 5, 0, "23,5"},
        {123456, ffGeneral, 5, 0, "1,2346E5"},
        {0.0001, ffGeneral, 15, 0, "0,0001"},
        {0.000001, ffGeneral, 15, 0, "1E-6"},
        {1.5e-10, ffGeneral, 15, 2, "1,5E-10"},
        {1e20, ffGeneral, 15, 0, "1E20"},
        {2.5, ffGeneral, 1, 0, "3"},          // halves away from zero
        {-2.5, ffGeneral, 1, 0, "-3"},
        // Shown response times: one decimal, thousands separators, precision 5.
        {1.25, ffNumber, 5, 1, "1,3"},
        {-0.3, ffNumber, 5, 1, "-0,3"},
        {-0.04, ffNumber, 5, 1, "0,0"},       // never "-0,0"
        {-0.0, ffNumber, 5, 1, "0,0"},
        {12.34, ffNumber, 5, 1, "12,3"},
        {1234.56, ffNumber, 5, 1, "1.234,6"},
        {12345.67, ffNumber, 5, 1, "12.346,0"},
        {1234567.0, ffNumber, 15, 2, "1.234.567,00"},
        {123456.7, ffNumber, 5, 1, "1,2346E5"}, // more integer digits than precision
        {0.96, ffNumber, 5, 1, "1,0"},
        {9.96, ffFixed, 5, 1, "10,0"},
        {1234.5, ffFixed, 15, 2, "1234,50"},
        {0.5, ffFixed, 15, 0, "1"},
        {-0.4, ffFixed, 15, 0, "0"},
        {1234.5, ffExponent, 4, 2, "1,235E+03"},
        {0.00123, ffExponent, 3, 0, "1,23E-3"},
        {0, ffExponent, 4, 2, "0,000E+00"},
        {1234.5, ffCurrency, 15, 2, "\xE2\x82\xAC 1.234,50"},
        {-1234.5, ffCurrency, 15, 2, "\xE2\x82\xAC -1.234,50"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text)
            << c.value << " format " << c.format << " p" << c.precision << " d" << c.digits;
    EXPECT_EQ(FloatToStr(0.1), "0,1");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(FloatToStr(NAN), "NAN");
    EXPECT_EQ(FloatToStr(-INFINITY), "-INF");
}

TEST_F(TextTest, FormattedNumbersParseBack)
{
    // The program stores times and scores and reads them again.
    for (const double v : {0.0, 1.0, 10.0, 23.5, 9999.0, -7.25, 0.0001})
        EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(v)), v) << v;
}
