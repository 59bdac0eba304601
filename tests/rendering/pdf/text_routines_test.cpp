#include "rendering/pdf/TextRoutines.h"

#include <climits>
#include <gtest/gtest.h>
#include <memory>

TEST(PdfWinAnsi, TablesFollowCodePage1252)
{
    EXPECT_EQ(WinAnsiToUnicode[0x41], 0x41);
    EXPECT_EQ(WinAnsiToUnicode[0x80], 0x20AC);
    EXPECT_EQ(WinAnsiToUnicode[0x82], 0x201A);
    EXPECT_EQ(WinAnsiToUnicode[0x9F], 0x0178);
    EXPECT_EQ(WinAnsiToUnicode[0xE9], 0xE9);
    for (const int open : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(WinAnsiToUnicode[open], open);
    // Both directions agree for every character above U+00FF.
    int wide = 0;
    for (int code = 0x80; code <= 0x9F; ++code)
        if (WinAnsiToUnicode[code] >= 0x100) {
            ++wide;
            EXPECT_EQ(WinAnsiCode(WinAnsiToUnicode[code]), code);
        }
    EXPECT_EQ(wide, 27);
    EXPECT_EQ(WinAnsiCode(0x20AC), 0x80);
    EXPECT_EQ(WinAnsiCode(0x0100), -1);
    EXPECT_EQ(WinAnsiCode(0xFFFF), -1);
}

TEST(PdfWinAnsi, Utf16ToWinAnsiKeepsWhatTheCodePageHasAndBlanksTheRest)
{
    // é, euro, U+0080 (a position the code page gives to the euro), Greek alpha, Z caron.
    EXPECT_EQ(Utf16ToWinAnsi(u"\u00E9\u20AC\u0080\u03B1\u017D"), std::string("\xE9\x80  \x8E"));
    EXPECT_EQ(Utf16ToWinAnsi(u"\u0081"), std::string("\x81"));
    EXPECT_EQ(Utf8ToWinAnsi("Caf\xC3\xA9 \xE2\x82\xAC"), std::string("Caf\xE9 \x80"));
}

TEST(PdfWinAnsi, ToUtf16StopsAtTheBufferEnd)
{
    char16_t out[4] = {1, 1, 1, 1};
    EXPECT_EQ(WinAnsiToUtf16(out, 4, "ab\x80z"), 3);
    EXPECT_EQ(out[0], u'a');
    EXPECT_EQ(out[2], 0x20AC);
    EXPECT_EQ(out[3], 0);
    EXPECT_TRUE(IsAnsiCompatible("plain"));
    EXPECT_TRUE(IsAnsiCompatible(static_cast<const char *>(nullptr)));
    EXPECT_FALSE(IsAnsiCompatible("caf\xE9"));
}

TEST(PdfUtf8, DecodesOneToFourByteSequences)
{
    EXPECT_EQ(Utf8ToUtf16("A\xC3\xA9\xE2\x82\xAC"), std::u16string(u"A\u00E9\u20AC"));
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600"));
    EXPECT_EQ(Utf16ToUtf8(u"A\u00E9\u20AC\U0001F600"), std::string("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_EQ(Utf16ToUtf8(u""), std::string());
}

// Each input sits in a heap block of exactly its size, so that a read past
// its end is caught by the sanitizer build.
TEST(PdfUtf8, NeverReadsPastTheInput)
{
    struct Case {
        std::string input;
        std::u16string expected;
    };
    const Case cases[] = {
        {"ab\xC3", u"ab\uFFFD"},                   // two-byte sequence cut off
        {"\xE2\x82", u"\uFFFD\uFFFD"},            // three-byte sequence cut off
        {"x\xF0\x9F\x98", u"x\uFFFD\uFFFD\uFFFD"},  // four-byte sequence cut off
        {"\xF0\x9F\x98\x80", u"\U0001F600"},       // four-byte sequence at the very end
        {"\xC3(", u"\uFFFD("},                     // lead byte without continuation
        {"\x80z", u"\uFFFDz"},                     // stray continuation byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {std::string("a\0b", 3), u"a"},            // stops at a zero byte
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        const auto block = std::make_unique<char[]>(c.input.size());
        std::copy(c.input.begin(), c.input.end(), block.get());
        char16_t out[16];
        const int bytes = Utf8ToUtf16(out, 16, block.get(), static_cast<int>(c.input.size()));
        EXPECT_EQ(std::u16string(out), c.expected);
        EXPECT_EQ(bytes, static_cast<int>(c.expected.size() * 2));
    }
}

TEST(PdfUtf8, OutputIsBoundedAndNeverSplitsACharacter)
{
    char16_t wide[3];
    EXPECT_EQ(Utf8ToUtf16(wide, 3, "a\xF0\x9F\x98\x80", 5), 2);  // the pair does not fit
    EXPECT_EQ(std::u16string(wide), u"a");
    char narrow[4];
    EXPECT_EQ(Utf16ToUtf8(narrow, 4, u"a\u20AC", 2), 1);  // three bytes do not fit after "a"
    EXPECT_STREQ(narrow, "a");
    EXPECT_EQ(Utf16ToUtf8(narrow, 4, u"\xD800x", 2), 3);  // a lone surrogate is not passed on
    EXPECT_STREQ(narrow, "\xEF\xBF\xBD");
}

TEST(PdfTextCompare, FontNamesIgnoreCaseAndAccentsButSameTextNeedsEqualLength)
{
    struct Case {
        const char *a, *b;
        bool equal, same;
    };
    const Case cases[] = {
        {"Arial", "ARIAL", true, true},
        {"\xC3\x84rger", "Arger", true, false},  // Ärger
        {"Stra\xC3\x9F" "e", "STRASSE", false, false},  // ß stays ß
        {"Times New Roman", "times new roman", true, true},
        {"Arial", "Arial Black", false, false},
        {"\xC5\x92uvre", "\xC5\x93UVRE", false, false},  // Œ and œ lie above U+00FF
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(Utf8ICompare(c.a, c.b) == 0, c.equal);
        EXPECT_EQ(SameTextU(c.a, c.b), c.same);
    }
    EXPECT_LT(Utf8ICompare("Arial", "Arial Black"), 0);
    EXPECT_GT(Utf8ICompare("b", "A"), 0);
    EXPECT_EQ(Utf16ICompare(u"\u00C4rger", u"ARGER"), 0);
    EXPECT_EQ(NormToLower[0xC9], 'e');
    EXPECT_EQ(NormToUpper[0xE6], 0xC6);
    EXPECT_EQ(NormToUpper[0xDF], 0xDF);
}

TEST(PdfDecimal, IntegerTextTable)
{
    const std::pair<int32_t, const char *> cases[] = {
        {0, "0"}, {7, "7"}, {10, "10"}, {99, "99"}, {100, "100"}, {-1, "-1"}, {-100, "-100"},
        {123456789, "123456789"}, {INT32_MAX, "2147483647"},
        {INT32_MIN + 1, "-2147483647"}, {INT32_MIN, "-2147483648"},
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(Int32ToText(value), text) << value;
    char year[5] = {};
    YearToChars(year, 2024);
    EXPECT_STREQ(year, "2024");
    YearToChars(year, 7);
    EXPECT_STREQ(year, "0007");
    EXPECT_EQ(StrLenW(u"abc"), 3);
    EXPECT_EQ(StrLenW(nullptr), 0);
}

TEST(PdfLists, SortedWordArrayAndTextLists)
{
    TSortedWordArray a;
    EXPECT_EQ(a.Add(50), 0);
    EXPECT_EQ(a.Add(10), 0);
    EXPECT_EQ(a.Add(30), 1);
    EXPECT_EQ(a.Add(50), -3);  // present at index 2
    EXPECT_EQ(a.Count(), 3);
    for (uint16_t v = 100; v < 350; ++v)  // past the first 100-entry growth step
        a.Add(v);
    EXPECT_EQ(a.Count(), 253);
    EXPECT_EQ(a.IndexOf(349), 252);
    EXPECT_EQ(a.IndexOf(11), -1);
    for (int i = 1; i < a.Count(); ++i)
        EXPECT_LT(a[i - 1], a[i]);

    TUtf8TextDynArray names;
    EXPECT_TRUE(AddUtf8Text(names, "Arial", true));
    EXPECT_FALSE(AddUtf8Text(names, "Arial", true));
    EXPECT_TRUE(AddUtf8Text(names, "Arial"));
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(FindUtf8Text(names, "ARIAL"), -1);
    EXPECT_EQ(FindUtf8Text(names, "ARIAL", true), 0);

    uint32_t bits[8] = {};
    SetBit(bits, 40);
    EXPECT_TRUE(GetBit(bits, 40));
    EXPECT_FALSE(GetBit(bits, 41));
    EXPECT_EQ(bits[1], 1u << 8);
}

TEST(PdfCharSet, CodePageTable)
{
    const std::pair<int, int> cases[] = {{874, 222}, {932, 128}, {936, 134}, {949, 129}, {1250, 238},
                                         {1251, 204}, {1252, 0}, {1253, 161}, {1254, 162}, {1255, 177},
                                         {1256, 178}, {1257, 186}, {1258, 163}, {950, 0}};
    for (const auto &[cp, set] : cases)
        EXPECT_EQ(CodePageToCharSet(cp), set) << cp;
}

TEST(PdfHeapMemoryStream, WrittenInSmallPiecesItsBlockGrowsByHalfAgain)
{
    // A picture's content arrives through the 512-byte writer buffer.
    THeapMemoryStream s;
    const std::string piece(512, 'p');
    std::vector<int64_t> blocks;
    for (int i = 0; i < 8192; ++i) {  // 4 MB
        s.WriteBuffer(piece.data(), 512);
        if (blocks.empty() || blocks.back() != s.Capacity())
            blocks.push_back(s.Capacity());
    }
    EXPECT_EQ(s.Size(), 4 << 20);
    for (int64_t b : blocks)
        EXPECT_EQ(b % THeapMemoryStream::MemoryDelta, 0) << b;
    for (size_t i = 1; i < blocks.size(); ++i)
        EXPECT_GE(blocks[i], blocks[i - 1] + blocks[i - 1] / 2) << i;
    EXPECT_LE(blocks.size(), 12u);  // 128 blocks in steps of 32 KB
    EXPECT_EQ(s.Memory()[(4 << 20) - 1], 'p');
}

TEST(PdfHeapMemoryStream, GrowsIn32KBStepsAndKeepsItsBlockWhenShrunk)
{
    THeapMemoryStream s;
    const std::string chunk(40000, 'x');
    s.WriteBuffer(chunk.data(), 40000);
    EXPECT_EQ(s.Size(), 40000);
    EXPECT_EQ(s.Capacity(), 65536);
    s.WriteBuffer("yz", 2);
    EXPECT_EQ(s.Capacity(), 65536);
    s.SetSize(100);
    EXPECT_EQ(s.Capacity(), 65536);
    EXPECT_EQ(s.Size(), 100);
    s.SetSize(70000);  // grows with zeros, not with stale bytes
    EXPECT_EQ(s.Capacity(), 98304);
    EXPECT_EQ(s.Memory()[100], 0);
    EXPECT_EQ(s.Memory()[69999], 0);
    s.SetSize(0);
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
    // Writing past the end fills the gap with zeros.
    s.SetPosition(5);
    s.WriteBuffer("a", 1);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(s.Memory()), 6), std::string("\0\0\0\0\0a", 6));
}
