// Fonts: choice by name, widths against the faces' own tables, completion at
// save, the Unicode descendant and its map, embedding, the standard Type 1
// widths, the shaper seam; and a round trip through poppler's text tools.
#include "PdfPageSupport.h"

#include "platform/graphics/Fonts.h"
#include "rendering/pdf/PdfFonts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

using namespace pdftest;

namespace {

TPdfFontTrueType *TrueType(TPdfFont *font) { return dynamic_cast<TPdfFontTrueType *>(font); }

std::string NameOf(TPdfFont *font, const char *key)
{
    auto *n = font->Data()->ValueAs<TPdfName>(key);
    return n ? n->Value() : std::string("<none>");
}

std::string RawOf(TPdfDictionary *d, const char *key)
{
    auto *t = d->ValueAs<TPdfText>(key);
    return t ? t->Value() : std::string("<none>");
}

int NumberOf(TPdfDictionary *d, const char *key)
{
    auto *n = d->ValueAs<TPdfNumber>(key);
    return n ? n->Value() : -99999;
}

// Advance of a character in the face's own hmtx, read from the table bytes.
int HmtxAdvance(const plat::TTrueTypeFace &face, char32_t c)
{
    const std::string_view hhea = face.Table("hhea"), hmtx = face.Table("hmtx");
    auto u16 = [](std::string_view t, size_t off) {
        return int(uint8_t(t[off])) << 8 | int(uint8_t(t[off + 1]));
    };
    const int longMetrics = u16(hhea, 34);
    const int glyph = face.GlyphIndex(c);
    return u16(hmtx, size_t(std::min(glyph, longMetrics - 1)) * 4);
}

TEST(PdfFonts, NamesResolveToInstalledFamiliesOrStandIns)
{
    struct Case {
        const char *asked;
        int style;
        const char *baseFont;
    } cases[] = {
        {"Calibri", 0, "Calibri"},
        {"calibri", pfsBold, "Calibri,Bold"},
        {"Arial", pfsItalic, "Arial,Italic"},
        {"Times New Roman", pfsBold | pfsItalic, "TimesNewRoman,BoldItalic"},
        {"Helvetica", 0, "Arial"},
        {"No Such Family", 0, "Arial"},
        {"Liberation Sans", 0, "LiberationSans"},
    };
    for (const Case &c : cases) {
        TPdfDocument doc;
        doc.AddPage();
        TPdfFont *font = doc.Canvas().SetFont(c.asked, c.style, -1, 12);
        EXPECT_EQ(font->BaseFont(), c.baseFont) << c.asked;
        EXPECT_EQ(NameOf(font, "BaseFont"), c.baseFont) << c.asked;
        EXPECT_EQ(NameOf(font, "Subtype"), "TrueType");
        EXPECT_EQ(NameOf(font, "Encoding"), "WinAnsiEncoding");
        auto *desc = TrueType(font)->FontDescriptor();
        EXPECT_EQ(desc->ValueAs<TPdfName>("FontName")->Value(), c.baseFont);
        EXPECT_EQ(NumberOf(desc, "CapHeight"), 666);
        EXPECT_EQ(NumberOf(desc, "StemV"), 87);
        EXPECT_EQ(NumberOf(desc, "Flags"), 32);
    }
}

TEST(PdfFonts, SelectingTheSameFontAndSizeTwiceWritesTfOnce)
{
    TPdfDocument doc;
    doc.AddPage();
    TPdfFont *a = doc.Canvas().SetFont("Arial", 0, -1, 12);
    TPdfFont *b = doc.Canvas().SetFont("arial", 0, -1, 12);
    EXPECT_EQ(a, b);
    doc.Canvas().SetFont("Arial", 0, -1, 14);
    EXPECT_EQ(Content(doc), "/F0 12 Tf\n/F0 14 Tf\n");
    EXPECT_EQ(doc.FontList().size(), 1u);
    auto *fonts = doc.Pages()[0]->ValueAs<TPdfDictionary>("Resources")->ValueAs<TPdfDictionary>("Font");
    EXPECT_EQ(fonts->ItemCount(), 1);
}

TEST(PdfFonts, FontSizesOutsideZeroTo300AreRefused)
{
    TPdfDocument doc;
    doc.AddPage();
    for (double size : {-0.5, 300.01, 1e9}) {
        try {
            doc.Canvas().SetFont("Arial", 0, -1, size);
            ADD_FAILURE() << size;
        } catch (const EPdfInvalidValue &e) {
            EXPECT_STREQ(e.what(), "SetFontSize");
        }
    }
    EXPECT_NO_THROW(doc.Canvas().SetFont("Arial", 0, -1, 300));
    EXPECT_NO_THROW(doc.Canvas().SetFont("Arial", 0, -1, 0));
}

// Widths of the WinAnsi font are each face's advances at an em of 1000;
// codes 128..159 measure as code page 1252's characters.
TEST(PdfFonts, WidthsComeFromEachFacesOwnHmtx)
{
    for (const char *family : {"Calibri", "Arial", "Times New Roman"}) {
        for (int style : {0, int(pfsBold)}) {
            TPdfDocument doc;
            doc.AddPage();
            auto *font = TrueType(doc.Canvas().SetFont(family, style, -1, 10));
            const plat::TTrueTypeFace &face = font->Face();
            for (int code = 32; code < 256; ++code) {
                const char32_t c = WinAnsiToUnicode[size_t(code)];
                const int expected = int(std::floor(HmtxAdvance(face, c) * 1000.0 / face.UnitsPerEm() + 0.5));
                EXPECT_EQ(font->Widths[size_t(code - 32)], expected) << family << " " << code;
            }
            EXPECT_EQ(font->DefaultWidth, font->Widths[0]);
            EXPECT_FALSE(font->FixedPitch());
        }
    }
}

TEST(PdfFonts, AFixedPitchFontHasEveryWidthOfItsBlank)
{
    TPdfDocument doc;
    doc.AddPage();
    auto *font = TrueType(doc.Canvas().SetFont("Courier New", 0, -1, 10));
    ASSERT_TRUE(font->FixedPitch());
    for (uint16_t w : font->Widths)
        EXPECT_EQ(w, font->DefaultWidth);
}

TEST(PdfFonts, DescriptorMetricsComeFromTheFaceAtOneThousandUnits)
{
    TPdfDocument doc;
    doc.AddPage();
    auto *font = TrueType(doc.Canvas().SetFont("Calibri", pfsItalic, -1, 10));
    const plat::TTrueTypeFace &face = font->Face();
    auto at1000 = [&](int v) { return int(std::lround(v * 1000.0 / face.UnitsPerEm())); };
    TPdfDictionary *desc = font->FontDescriptor();
    EXPECT_EQ(NumberOf(desc, "Ascent"), at1000(face.TypoAscender()));
    EXPECT_EQ(NumberOf(desc, "Descent"), at1000(face.TypoDescender()));
    EXPECT_LT(NumberOf(desc, "Descent"), 0);
    auto *box = desc->ValueAs<TPdfArray>("FontBBox");
    ASSERT_EQ(box->ItemCount(), 4);
    EXPECT_EQ(static_cast<TPdfNumber *>(box->Items(0))->Value(), at1000(face.XMin()));
    EXPECT_EQ(static_cast<TPdfNumber *>(box->Items(3))->Value(), at1000(face.YMax()));
    auto *angle = desc->ValueAs<TPdfReal>("ItalicAngle");
    ASSERT_NE(angle, nullptr);
    EXPECT_DOUBLE_EQ(angle->Value(), face.ItalicAngle());
    EXPECT_LT(angle->Value(), 0);
}

TEST(PdfFonts, RangeAndWidthsCoverTheCodesUsed)
{
    struct Case {
        const char16_t *text;
        int first, last;
        const char *escaped;
    } cases[] = {
        {u"Ab(c)", 40, 99, "(Ab\\(c\\)) Tj\n"},
        // A no-break space is written as the blank and marks the blank.
        {u"a\u00A0b", 32, 98, "(a b) Tj\n"},
        {u"\u20AC", 128, 128, "(\x80) Tj\n"},
    };
    for (const Case &c : cases) {
        TPdfDocument doc;
        doc.AddPage();
        auto *font = TrueType(doc.Canvas().SetFont("Arial", 0, -1, 10));
        doc.Canvas().AddUnicodeHexText(c.text);
        EXPECT_NE(Content(doc).find(c.escaped), std::string::npos) << Content(doc);
        SaveToString(doc);
        EXPECT_EQ(NumberOf(font->Data(), "FirstChar"), c.first);
        EXPECT_EQ(NumberOf(font->Data(), "LastChar"), c.last);
        const std::string widths = RawOf(font->Data(), "Widths");
        // One entry per code of the range; unused codes inside it are 0.
        std::vector<int> values;
        std::regex number("-?[0-9]+");
        for (auto it = std::sregex_iterator(widths.begin(), widths.end(), number); it != std::sregex_iterator(); ++it)
            values.push_back(std::stoi(it->str()));
        ASSERT_EQ(int(values.size()), c.last - c.first + 1) << widths;
        for (int code = c.first; code <= c.last; ++code) {
            const bool used = GetBit(font->Used.data(), unsigned(code));
            EXPECT_EQ(values[size_t(code - c.first)], used ? font->Widths[size_t(code - 32)] : 0) << code;
        }
    }
}

TEST(PdfFonts, AFontWithNoCodeWrittenStillHasARangeAndTheBlank)
{
    TPdfDocument doc;
    doc.AddPage();
    auto *font = TrueType(doc.Canvas().SetFont("Arial", 0, -1, 10));
    doc.Canvas().AddUnicodeHexText(u"\u03B1");  // Greek only: the WinAnsi font writes nothing
    SaveToString(doc);
    EXPECT_EQ(NumberOf(font->Data(), "FirstChar"), 32);
    EXPECT_EQ(NumberOf(font->Data(), "LastChar"), 32);
    EXPECT_EQ(RawOf(font->Data(), "Widths"), "[" + std::to_string(font->Widths[0]) + " ]");
}

TEST(PdfFonts, TheUnicodeDescendantMapsAndMeasuresItsCharacters)
{
    TPdfDocument doc;
    doc.AddPage();
    auto *font = TrueType(doc.Canvas().SetFont("Calibri", 0, -1, 10));
    doc.Canvas().AddUnicodeHexText(u"x\u03B3\u03B1 \u015E");
    TPdfFontTrueType *u = font->UnicodeFont();
    ASSERT_NE(u, font);
    EXPECT_EQ(NameOf(u, "Subtype"), "Type0");
    EXPECT_EQ(NameOf(u, "Encoding"), "Identity-H");
    EXPECT_EQ(NameOf(u, "BaseFont"), "Calibri");
    EXPECT_EQ(u->ResourceName(), "F1");
    const plat::TTrueTypeFace &face = font->Face();
    // Sorted; the blank between two Greek letters went with them.
    ASSERT_EQ(font->UsedWide().size(), 4u);
    EXPECT_EQ(font->UsedWide()[0].Char, u' ');
    EXPECT_EQ(font->UsedWide()[1].Char, u'\u015E');
    EXPECT_EQ(font->UsedWide()[2].Char, u'\u03B1');
    for (const TUsedWide &e : font->UsedWide()) {
        EXPECT_EQ(e.Glyph, face.GlyphIndex(e.Char));
        // Rounded down, whatever the units per em.
        EXPECT_EQ(e.Width, face.GlyphAdvance(e.Glyph) * 1000 / face.UnitsPerEm());
    }
    const std::string pdf = SaveToString(doc);
    EXPECT_NE(pdf.find("/Subtype /CIDFontType2"), std::string::npos);
    EXPECT_NE(pdf.find("/CIDSystemInfo <<\n/Ordering(Identity)/Registry(Adobe)/Supplement 0\n>>"), std::string::npos);
    std::string w = "/W [";
    for (const TUsedWide &e : font->UsedWide())
        w += std::to_string(e.Glyph) + "[" + std::to_string(e.Width) + "]";
    EXPECT_NE(pdf.find(w + "]"), std::string::npos) << w;
    auto *map = u->Data()->ValueAs<TPdfStream>("ToUnicode");
    ASSERT_NE(map, nullptr);
    const std::string cmap = map->Writer().ToString();
    EXPECT_NE(cmap.find("1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n4 beginbfchar\n"), std::string::npos) << cmap;
    char line[32];
    std::snprintf(line, sizeof line, "<%04X> <03B3>\n", face.GlyphIndex(U'\u03B3'));
    EXPECT_NE(cmap.find(line), std::string::npos) << cmap;
    EXPECT_NE(cmap.find("/Registry (F1+0)"), std::string::npos);
}

TEST(PdfFonts, TheMapComesInBlocksOfAtMostOneHundred)
{
    TPdfDocument doc;
    doc.AddPage();
    auto *font = TrueType(doc.Canvas().SetFont("Calibri", 0, -1, 10));
    std::u16string text;
    for (char16_t c = 0x0400; c < 0x0400 + 150; ++c)  // Cyrillic: outside WinAnsi
        if (font->Face().HasGlyph(c))
            text.push_back(c);
    ASSERT_GT(text.size(), 100u);
    doc.Canvas().AddUnicodeHexText(text);
    SaveToString(doc);
    const std::string cmap = font->UnicodeFont()->Data()->ValueAs<TPdfStream>("ToUnicode")->Writer().ToString();
    EXPECT_NE(cmap.find("100 beginbfchar\n"), std::string::npos);
    EXPECT_NE(cmap.find(std::to_string(text.size() - 100) + " beginbfchar\n"), std::string::npos);
}

TEST(PdfFonts, SavingTwiceWritesTheSameBytes)
{
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().SetFont("Calibri", pfsBold, -1, 10);
    doc.Canvas().AddUnicodeHexText(u"\u00C4rger \u20AC (x) \u03B1\u03B2\u03B3 \u015Eule");
    const std::string first = SaveToString(doc, kMarch5th2024);
    const std::string second = SaveToString(doc, kMarch5th2024);
    EXPECT_EQ(first, second);
    EXPECT_EQ(doc.Xref().ItemCount(), 11);  // 5 + font, descriptor, descendant font, its dictionary, map
}

TEST(PdfFonts, EmbeddingPutsTheWholeFaceInAsFontFile2)
{
    for (bool ignored : {false, true}) {
        TPdfDocument doc;
        doc.EmbeddedTTF = true;
        if (ignored)
            doc.EmbeddedTTFIgnore.push_back("calibri");
        doc.AddPage();
        auto *font = TrueType(doc.Canvas().SetFont("Calibri", 0, -1, 10));
        doc.Canvas().AddUnicodeHexText(u"Hi");
        SaveToString(doc);
        auto *file = font->FontDescriptor()->ValueAs<TPdfStream>("FontFile2");
        if (ignored) {
            EXPECT_EQ(file, nullptr);
            continue;
        }
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(NumberOf(&file->Attributes(), "Length1"), int(font->Face().FileData().size()));
        EXPECT_EQ(file->Data().Size(), int64_t(font->Face().FileData().size()));
    }
}

TEST(PdfFonts, StandardType1FontsReplaceTheirNamesWhenAsked)
{
    TPdfDocument doc;
    doc.StandardFontsReplace = true;
    doc.AddPage();
    struct Case {
        const char *asked;
        int style;
        const char *name;
    } cases[] = {
        {"Arial", 0, "Helvetica"},
        {"helvetica", pfsBold | pfsItalic, "Helvetica-BoldOblique"},
        {"Times New Roman", 0, "Times-Roman"},
        {"Times", pfsItalic, "Times-Italic"},
        {"Courier New", pfsBold, "Courier-Bold"},
    };
    for (const Case &c : cases) {
        TPdfFont *font = doc.Canvas().SetFont(c.asked, c.style, -1, 10);
        EXPECT_EQ(font->BaseFont(), c.name);
        EXPECT_EQ(NameOf(font, "Subtype"), "Type1");
        EXPECT_FALSE(font->IsTrueType());
    }
    // Widths in thousandths of the size: at 1 point "Hello" is 2.278 points.
    TPdfFont *helvetica = doc.Canvas().SetFont("Arial", 0, -1, 1);
    EXPECT_DOUBLE_EQ(doc.Canvas().TextWidth(u"Hello") * 1000, 2278);
    EXPECT_EQ(helvetica->Ascent, 905);
    EXPECT_EQ(helvetica->Descent, -212);
    EXPECT_EQ(helvetica->DefaultWidth, 278);
    TPdfFont *times = doc.Canvas().SetFont("Times", 0, -1, 1);
    EXPECT_EQ(times->Ascent, 891);
    EXPECT_EQ(times->DefaultWidth, 250);
    EXPECT_DOUBLE_EQ(doc.Canvas().TextWidth(u"Hello") * 1000, 722 + 444 + 278 + 278 + 500);
    TPdfFont *courier = doc.Canvas().SetFont("Courier New", 0, -1, 1);
    EXPECT_EQ(courier->Descent, -300);
    EXPECT_DOUBLE_EQ(doc.Canvas().TextWidth(u"Hello") * 1000, 3000);
    // A character without a WinAnsi code is a question mark in a Type 1 font.
    doc.Canvas().AddUnicodeHexText(u"a\u03B1");
    EXPECT_NE(Content(doc).find("(a?) Tj\n"), std::string::npos);
    const std::string pdf = SaveToString(doc);
    EXPECT_NE(pdf.find("/BaseFont /Helvetica\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/Widths"), std::string::npos);  // kept for measuring only
}

TEST(PdfFonts, AShaperThatShapesWritesGlyphRunsThatTheMapCovers)
{
    TPdfDocument doc;
    doc.UseComplexScripts = true;
    doc.AddPage();
    auto *font = TrueType(doc.Canvas().SetFont("Calibri", 0, -1, 10));
    const uint16_t glyph = font->Face().GlyphIndex(U'\u05D0');  // Hebrew alef, if the face has it
    const uint16_t g = glyph ? glyph : font->Face().GlyphIndex(U'\u03B1');
    const TPdfShaper old = SetPdfShaper([g](const std::u16string &text, bool rtl, const plat::TTrueTypeFace &) {
        EXPECT_TRUE(rtl);
        return std::vector<TPdfShapedItem>{{u"ab", {}}, {text, {g, g}}};
    });
    doc.Canvas().RightToLeft = true;
    doc.Canvas().AddUnicodeHexText(u"zz");
    SetPdfShaper(old);
    char hex[16];
    std::snprintf(hex, sizeof hex, "<%04X%04X> Tj\n", g, g);
    EXPECT_EQ(Content(doc), std::string("/F0 10 Tf\n(ab) Tj\n/F1 10 Tf\n") + hex);
    ASSERT_EQ(font->UsedWide().size(), 1u);
    EXPECT_EQ(font->UsedWide()[0].Glyph, g);

    // The default shaper finds nothing complex: plain text runs.
    TPdfDocument plain;
    plain.UseComplexScripts = true;
    plain.AddPage();
    plain.Canvas().SetFont("Calibri", 0, -1, 10);
    plain.Canvas().AddUnicodeHexText(u"ab");
    EXPECT_EQ(Content(plain), "/F0 10 Tf\n(ab) Tj\n");
}

// ---- through poppler -------------------------------------------------------------

class PdfTextRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool("pdftotext") || !HaveTool("pdffonts"))
            GTEST_SKIP() << "poppler-utils is not installed (scripts/setup installs it)";
        ASSERT_TRUE(dir_.isValid());
    }
    std::string Path(const char *name) const { return dir_.filePath(name).toStdString(); }
    QTemporaryDir dir_;
};

const char kSentence[] = "\xC3\x84rger \xE2\x82\xAC (x) \xCE\xB1\xCE\xB2\xCE\xB3 \xC5\x9Eule";

plat::TMetafile SentencePage()
{
    return RecordPage([](plat::TCanvas &c) {
        c.SetBkMode(plat::TRANSPARENT);
        c.Font().SetName("Calibri");
        c.Font().SetSize(12);
        c.TextOut(100, 100, kSentence);
        c.Font().SetStyle(plat::fsBold);
        c.TextOut(100, 200, kSentence);
    });
}

TEST_F(PdfTextRoundTrip, TheSentenceComesBackExactlyWithTheFacesWidths)
{
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(SentencePage());
    const std::string file = Path("sentence.pdf");
    ASSERT_TRUE(doc.SaveToFile(file));
    const std::string text = RunTool("pdftotext", {"-layout", QString::fromStdString(file), "-"});
    std::istringstream lines(text);
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) {
        const size_t a = line.find_first_not_of(" \f"), b = line.find_last_not_of(' ');
        if (a != std::string::npos)
            got.push_back(line.substr(a, b - a + 1));
    }
    ASSERT_EQ(got.size(), 2u) << text;
    EXPECT_EQ(got[0], kSentence);
    EXPECT_EQ(got[1], kSentence);

    // Word boxes: each word is as wide as the face's advances say.
    const std::string html = RunTool("pdftotext", {"-bbox", QString::fromStdString(file), "-"});
    std::regex word(R"re(<word xMin="([0-9.]+)" yMin="[0-9.]+" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
    int checked = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it, ++checked) {
        const bool bold = checked >= 5;
        auto face = plat::TFontProvider::Instance().Resolve("Calibri", bold, false);
        std::string w = (*it)[3].str();
        // pdftotext writes &amp; and the like for markup characters only.
        double advance = 0;
        for (char32_t c : plat::Utf8ToUtf32(w))
            advance += face->GlyphAdvance(face->GlyphIndex(c));
        const double expected = advance / face->UnitsPerEm() * 12;
        const double width = std::stod((*it)[2].str()) - std::stod((*it)[1].str());
        EXPECT_NEAR(width, expected, 0.05) << w << (bold ? " bold" : "");
    }
    EXPECT_EQ(checked, 10) << html;

    const std::string fonts = RunTool("pdffonts", {QString::fromStdString(file)});
    EXPECT_NE(fonts.find("Calibri,Bold"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("CID TrueType"), std::string::npos) << fonts;
}

TEST_F(PdfTextRoundTrip, EmbeddedFontsAreSaidToBeEmbedded)
{
    TPdfDocument doc;
    doc.EmbeddedTTF = true;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(SentencePage());
    const std::string file = Path("embedded.pdf");
    ASSERT_TRUE(doc.SaveToFile(file));
    const std::string fonts = RunTool("pdffonts", {QString::fromStdString(file)});
    std::istringstream lines(fonts);
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Calibri", 0) != 0)
            continue;
        ++rows;
        EXPECT_NE(line.find(" yes "), std::string::npos) << line;
    }
    EXPECT_EQ(rows, 4) << fonts;  // regular and bold, each WinAnsi and Unicode
    const std::string text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
    EXPECT_NE(text.find(kSentence), std::string::npos) << text;
    std::string check;
    EXPECT_TRUE(QpdfChecks(file, &check)) << check;
}

} // namespace

TEST(PdfFonts, GlyphsFindTheirCharacterWithoutReadingTheMapPerGlyph)
{
    auto face = plat::TFontProvider::Instance().Resolve("Calibri", false, false);
    ASSERT_TRUE(face);
    const TPdfTTF map(face.get());
    ASSERT_GT(map.Map().size(), 100u);
    // The lowest character of each glyph, the way a reader of the whole map
    // finds it; glyphs that no character maps to give 0.
    std::vector<char16_t> lowest(65536, 0);
    std::vector<bool> seen(65536, false);
    for (const TUsedWide &e : map.Map())
        if (!seen[e.Glyph]) {
            seen[e.Glyph] = true;
            lowest[e.Glyph] = e.Char;
        }
    // A long text of glyph indices asks for every glyph many times over.
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round)
        for (uint32_t g = 0; g < 65536; g += 7)
            ASSERT_EQ(map.CharOfGlyph(uint16_t(g)), lowest[g]) << g;
    EXPECT_EQ(map.MapEntriesRead(), map.Map().size());
}
