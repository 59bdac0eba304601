#include "PdfTestSupport.h"

#include "platform/graphics/Colors.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

using pdftest::Written;

TEST(PdfWriteNumbers, IntegerTable)
{
    const std::pair<int32_t, const char *> cases[] = {
        {0, "0"}, {9, "9"}, {10, "10"}, {42, "42"}, {99, "99"}, {100, "100"}, {-3, "-3"},
        {-10, "-10"}, {65535, "65535"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"},
    };
    for (const auto &[value, text] : cases) {
        EXPECT_EQ(Written([v = value](TPdfWrite &w) { w.Add(v); }), text);
        EXPECT_EQ(Written([v = value](TPdfWrite &w) { w.AddWithSpace(v); }), std::string(text) + " ");
    }
}

TEST(PdfWriteNumbers, RealTable)
{
    struct Case {
        double value;
        const char *real;       // AddReal
        const char *withSpace;  // AddWithSpace, without its blank
    };
    const Case cases[] = {
        {2.0, "2", "2"},
        {12.0, "12", "12"},
        {0.5, "0.5", "0.5"},
        {12.3, "12.3", "12.3"},
        {-3, "-3", "-3"},
        {-0.25, "-0.25", "-0.25"},
        {595, "595", "595"},
        {1.5, "1.5", "1.5"},
        {0.01, "0.01", "0.01"},
        {0.004, "0", "0"},
        {-0.004, "0", "0"},       // no "-0"
        {0.05, "0.05", "0.05"},
        {1.999, "2", "2"},
        {-1.999, "-2", "-2"},
        {100.996, "101", "101"},
        {0.285, "0.28", "0.28"},  // stored below the tie: 0.28499999...
        {1.005, "1", "1"},        // stored below the tie too
        {841.89, "841.89", "841.89"},
        {123456789.12, "123456789.12", "123456789.12"},
        {1e20, "100000000000000000000", "100000000000000000000"},
        {NAN, "0", "0"},
        {INFINITY, "0", "0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Written([&c](TPdfWrite &w) { w.AddReal(c.value); }), c.real);
        EXPECT_EQ(Written([&c](TPdfWrite &w) { w.AddWithSpace(c.value); }), std::string(c.withSpace) + " ");
    }
}

// The rule at an exact tie: half away from zero. The first values lie
// exactly half-way between two hundredths in binary; the others only look
// like ties in decimal (their product by 100 even rounds to x.5 in double)
// and go to the hundredth that their stored value is nearer to.
TEST(PdfWriteNumbers, ExactTiesRoundHalfAwayFromZero)
{
    const std::pair<double, const char *> cases[] = {
        {0.125, "0.13"}, {-0.125, "-0.13"}, {0.375, "0.38"}, {-0.375, "-0.38"}, {0.625, "0.63"},
        {0.875, "0.88"}, {2.125, "2.13"}, {10.125, "10.13"}, {-1000.625, "-1000.63"},
        {0.015, "0.01"}, {-0.015, "-0.01"}, {0.045, "0.04"}, {0.075, "0.07"}, {0.025, "0.03"},
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(PdfRealText(value), text) << value;
}

// Reals far beyond any page still fit in the room the writer reserves for
// one, and a larger value never comes out smaller than a lesser one.
TEST(PdfWriteNumbers, HugeRealsKeepToTheirRoomAndTheirOrder)
{
    const double ascending[] = {9e15, 1e18, 1e20, 1e24, 1e25, 9.87e25, 1e26, 1e27, 1e28,
                                9.87e28, 1e29, 1e30, 1e100, DBL_MAX};
    for (const double sign : {1.0, -1.0}) {
        double previous = 0;
        for (const double magnitude : ascending) {
            const double value = sign * magnitude;
            SCOPED_TRACE(value);
            char out[64];
            std::memset(out, '#', sizeof out);
            const int n = FormatPdfReal(value, out);
            EXPECT_LE(n, kMaxRealChars);
            EXPECT_EQ(std::string(out + n, sizeof out - n), std::string(sizeof out - n, '#'));
            const double read = std::fabs(std::strtod(std::string(out, n).c_str(), nullptr));
            EXPECT_GE(read, previous);
            previous = read;
            // Written when just that much room is left in the buffer.
            const std::string filler(TPdfWrite::BufferSize - kMaxRealChars, 'x');
            EXPECT_EQ(Written([&](TPdfWrite &w) { w.Add(filler).AddReal(value).Add('|'); }),
                      filler + std::string(out, n) + "|");
        }
    }
}

TEST(PdfWriteText, EscapeTextTable)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a(b)\\c", "a\\(b\\)\\\\c"},
        {"line\r\nnext", "line\\nnext"},
        {"\b\t\f", "\\b\\t\\f"},
        {"caf\xE9", "caf\xE9"},
        {std::string("ab\0cd", 5), "ab"},
        {"", ""},
    };
    for (const auto &[text, escaped] : cases)
        EXPECT_EQ(Written([t = text](TPdfWrite &w) { w.AddEscapeText(t); }), escaped) << text;
}

TEST(PdfWriteText, EscapeNameKeepsANameOneToken)
{
    const std::pair<std::string, std::string> cases[] = {
        {"A B#", "A#20B#23"},
        {"F0", "F0"},
        {"Times New Roman,Bold", "Times#20New#20Roman,Bold"},
        {"a%b(c)d/e<f>g[h]i{j}k", "a#25b#28c#29d#2Fe#3Cf#3Eg#5Bh#5Di#7Bj#7Dk"},
        {"\x01\x1F\x7F\x80\xFF", "#01#1F#7F#80#FF"},
        {"tab\there", "tab#09here"},
        {std::string("cut\0off", 7), "cut"},
        {"A-Z_a.z~!", "A-Z_a.z~!"},
    };
    for (const auto &[name, escaped] : cases)
        EXPECT_EQ(Written([n = name](TPdfWrite &w) { w.AddEscapeName(n); }), escaped) << name;
}

TEST(PdfWriteText, UnicodeHexAndSmallEncodings)
{
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddToUnicodeHex("A\x80\xE9"); }), "004120AC00E9");
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddHex4(0xBEEF).AddHex4(0x0a); }), "BEEF000A");
    const uint8_t bgr[3] = {1, 2, 3};
    EXPECT_EQ(Written([&bgr](TPdfWrite &w) { w.AddRGB(bgr); }), std::string("\x03\x02\x01"));
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddZeroPadded(17, 10).AddZeroPadded(65535, 5).AddZeroPadded(-4, 3); }),
              "0000000017 65535 000 ");
}

TEST(PdfWriteText, UnicodeHexFollowsTheWritersCodePage)
{
    THeapMemoryStream out;
    TPdfWrite central(out, 1250);
    central.AddToUnicodeHex("\xA5\x8A");  // A ogonek and S caron in code page 1250
    EXPECT_EQ(central.ToString(), "01040160");
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddToUnicodeHex("\xA5\x8A"); }), "00A50160");  // yen in 1252
}

TEST(PdfWriteText, Colours)
{
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddColor(plat::RGB(255, 0, 128)); }), "1 0 0.5 ");
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddColor(plat::clBlack); }), "0 0 0 ");
    // A system colour is taken from the desktop scheme by its index.
    const plat::TColor window = plat::GetSysColor(5);
    const std::string expected = PdfRealText(plat::GetRValue(window) / 255.0) + " " +
                                 PdfRealText(plat::GetGValue(window) / 255.0) + " " +
                                 PdfRealText(plat::GetBValue(window) / 255.0) + " ";
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddColor(plat::clWindow); }), expected);
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddColor(plat::clBtnFace); }),
              Written([](TPdfWrite &w) { w.AddColor(plat::GetSysColor(15)); }));
}

TEST(PdfWriteText, DateHasNoTimeZone)
{
    EXPECT_EQ(Written([](TPdfWrite &w) { w.AddDate(pdftest::kMarch5th2024); }), "D:20240305140709");
    EXPECT_EQ(PdfDateText(0), "D:18991230000000");
    EXPECT_EQ(PdfDateText(45356.0 + 86399.9999 / 86400.0), "D:20240306000000");  // rounds into the next day
    EXPECT_EQ(PdfDateText(36526.5), "D:20000101120000");
}

TEST(PdfWriteBuffer, LongAndShortWritesKeepTheirOrderAndPositions)
{
    THeapMemoryStream out;
    TPdfWrite w(out);
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        const std::string piece(static_cast<size_t>(i * 7 % 1100), static_cast<char>('a' + i % 26));
        w.Add(piece).Add(i).Add(' ');
        expected += piece + std::to_string(i) + " ";
        ASSERT_EQ(w.Position(), static_cast<int64_t>(expected.size()));
    }
    EXPECT_EQ(w.ToString(), expected);
    w.Save();
    EXPECT_EQ(pdftest::Bytes(out), expected);
}

TEST(PdfWriteBuffer, ToStringReadsOnlyThisWritersOutput)
{
    THeapMemoryStream out;
    out.WriteBuffer("prefix", 6);
    TPdfWrite w(out);
    const std::string big(2000, 'x');
    w.Add(big).Add("tail");
    EXPECT_EQ(w.ToString(), big + "tail");
    EXPECT_EQ(out.Size(), 6 + 2004);
}
