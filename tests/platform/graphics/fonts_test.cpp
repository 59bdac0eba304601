// The font provider against numbers computed from the font files by an
// independent reader (fixtures/canvas/font_metrics.py).
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Fonts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace plat;

namespace {

const std::string kFixtures = std::string(ZIBOR_SOURCE_DIR) + "/tests/platform/fixtures/canvas/";

std::string BaseName(const std::string &path) { return path.substr(path.rfind('/') + 1); }

struct MetricRow {
    std::string face, file;
    int bold, height, em1000, ascent, descent, cell, internal, external, avg, max, pitchBit;
};

struct WidthRow {
    std::string face, text;
    int bold, height, width;
};

void ReadTable(std::vector<MetricRow> &metrics, std::vector<WidthRow> &widths)
{
    std::ifstream in(kFixtures + "font_metrics.txt");
    ASSERT_TRUE(in) << "missing font_metrics.txt";
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ss(line);
        std::string kind;
        ss >> kind;
        if (kind == "metric") {
            MetricRow r;
            ss >> r.face >> r.bold >> r.file >> r.height >> r.em1000 >> r.ascent >> r.descent >> r.cell >>
                r.internal >> r.external >> r.avg >> r.max >> r.pitchBit;
            metrics.push_back(r);
        } else if (kind == "width") {
            WidthRow r;
            ss >> r.face >> r.bold >> r.height >> r.width;
            std::getline(ss >> std::ws, r.text);
            widths.push_back(r);
        }
    }
}

} // namespace

TEST(FontProvider, MetricsMatchTheFontTables)
{
    std::vector<MetricRow> metrics;
    std::vector<WidthRow> widths;
    ReadTable(metrics, widths);
    ASSERT_GT(metrics.size(), 20u);
    auto &fp = TFontProvider::Instance();
    for (const auto &r : metrics) {
        SCOPED_TRACE(r.face + (r.bold ? " bold " : " ") + std::to_string(r.height));
        auto face = fp.Resolve(r.face, r.bold, false);
        ASSERT_TRUE(face);
        EXPECT_EQ(BaseName(face->FileName()), r.file);
        const TScaledFont f(face, r.height, r.bold, false);
        const TTextMetric &tm = f.Metrics();
        EXPECT_EQ(static_cast<int>(std::floor(f.EmSize() * 1000 + 0.5)), r.em1000);
        EXPECT_EQ(tm.tmAscent, r.ascent);
        EXPECT_EQ(tm.tmDescent, r.descent);
        EXPECT_EQ(tm.tmHeight, r.cell);
        EXPECT_EQ(tm.tmInternalLeading, r.internal);
        EXPECT_EQ(tm.tmExternalLeading, r.external);
        EXPECT_EQ(tm.tmAveCharWidth, r.avg);
        EXPECT_EQ(tm.tmMaxCharWidth, r.max);
        EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, r.pitchBit);
        EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    }
    for (const auto &w : widths) {
        SCOPED_TRACE(w.face + " " + std::to_string(w.height) + " '" + w.text + "'");
        const TScaledFont f(fp.Resolve(w.face, w.bold, false), w.height, w.bold, false);
        EXPECT_EQ(f.TextWidth(w.text), w.width);
    }
}

TEST(FontProvider, CanvasMeasuresThroughTheProvider)
{
    TFont font;
    font.SetName("Calibri");
    font.SetSize(12);  // 96 dpi: height -16
    EXPECT_EQ(font.Height(), -16);
    const TScaledFont f = TFontProvider::Instance().Scaled(font);
    QImage img(4, 4, QImage::Format_RGB32);
    TCanvas c(&img);
    c.SetFont(font);
    EXPECT_EQ(c.TextWidth("Testrapport"), f.TextWidth("Testrapport"));
    EXPECT_EQ(c.TextHeight("A"), f.Metrics().tmHeight);
    EXPECT_EQ(c.TextExtent("Scores"), (TSize{f.TextWidth("Scores"), f.Metrics().tmHeight}));
    // One advance per UTF-16 unit; a character outside the BMP takes two.
    const auto adv = c.TextAdvances("a\xF0\x9F\x98\x80" "b");
    ASSERT_EQ(adv.size(), 4u);
    EXPECT_EQ(adv[2], 0);
}

TEST(FontProvider, FontSizeFollowsPixelsPerInch)
{
    TFont font;
    font.SetPixelsPerInch(2540);  // 0.01 mm units
    font.SetSize(12);
    EXPECT_EQ(font.Height(), -423);
    EXPECT_EQ(font.Size(), 12);
    font.SetPixelsPerInch(96);  // keeps the height
    EXPECT_EQ(font.Height(), -423);
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
}

TEST(FontProvider, NamesResolveToMetricStandIns)
{
    auto &fp = TFontProvider::Instance();
    struct Case { const char *request; const char *family; };
    for (const Case c : {Case{"Calibri", "Carlito"}, Case{"Arial", "Liberation Sans"}, Case{"arial", "Liberation Sans"},
                         Case{"Tahoma", "Liberation Sans"}, Case{"MS Sans Serif", "Liberation Sans"},
                         Case{"Segoe UI", "Liberation Sans"}, Case{"Times New Roman", "Liberation Serif"},
                         Case{"Courier New", "Liberation Mono"}, Case{"No Such Face 123", nullptr}}) {
        SCOPED_TRACE(c.request);
        auto face = fp.Resolve(c.request, false, false);
        ASSERT_TRUE(face);  // never null: unknown names fall back
        if (c.family) {
            EXPECT_EQ(face->FamilyName(), c.family);
        }
    }
    EXPECT_TRUE(fp.Resolve("Calibri", true, false)->IsBold());
    EXPECT_TRUE(fp.Resolve("Calibri", false, true)->IsItalic());
    // The rounded face is a bold face.
    EXPECT_TRUE(fp.Resolve("Arial Rounded MT Bold", false, false)->IsBold());
    const auto families = fp.Families();
    EXPECT_NE(std::find(families.begin(), families.end(), "Carlito"), families.end());
    EXPECT_NE(std::find(families.begin(), families.end(), "Liberation Sans"), families.end());
    EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
}

TEST(FontProvider, RawTablesAreTheFileBytes)
{
    auto face = TFontProvider::Instance().Resolve("Calibri", false, false);
    ASSERT_TRUE(face);
    for (const char *tag : {"cmap", "head", "hhea", "hmtx", "name", "OS/2", "post"}) {
        SCOPED_TRACE(tag);
        const std::string_view t = face->Table(tag);
        ASSERT_FALSE(t.empty());
        // The view points into the file data.
        const auto *base = reinterpret_cast<const char *>(face->FileData().data());
        EXPECT_GE(t.data(), base);
        EXPECT_LE(t.data() + t.size(), base + face->FileData().size());
    }
    const std::string_view head = face->Table("head");
    EXPECT_EQ(static_cast<uint8_t>(head[12]) << 24 | static_cast<uint8_t>(head[13]) << 16 |
                  static_cast<uint8_t>(head[14]) << 8 | static_cast<uint8_t>(head[15]),
              0x5F0F3CF5);  // magic number
    EXPECT_TRUE(face->Table("nope").empty());
}

// A face read from its file holds the file's bytes, all of them; what is
// not a readable font file gives no face.
TEST(FontProvider, FacesReadTheirWholeFile)
{
    auto installed = TFontProvider::Instance().Resolve("Arial", true, false);
    ASSERT_TRUE(installed);
    auto face = TTrueTypeFace::LoadFromFile(installed->FileName());
    ASSERT_TRUE(face);
    std::ifstream in(installed->FileName(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string file = bytes.str();
    ASSERT_EQ(face->FileData().size(), file.size());
    EXPECT_EQ(std::memcmp(face->FileData().data(), file.data(), file.size()), 0);

    const std::string folder = ::testing::TempDir() + "faces_folder";
    std::filesystem::create_directories(folder);
    const std::string empty = ::testing::TempDir() + "faces_empty.ttf";
    std::ofstream(empty, std::ios::binary).close();
    for (const std::string &name : {folder, empty, ::testing::TempDir() + "faces_missing.ttf"}) {
        EXPECT_EQ(TTrueTypeFace::LoadFromFile(name), nullptr) << name;
    }
}

TEST(FontProvider, DamagedFontDataIsRefused)
{
    auto good = TFontProvider::Instance().Resolve("Arial", false, false);
    ASSERT_TRUE(good);
    const auto &bytes = good->FileData();
    struct Case { const char *what; std::vector<uint8_t> data; };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"header only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12)});
    cases.push_back({"cut in the directory", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40)});
    cases.push_back({"garbage", std::vector<uint8_t>(5000, 0xA5)});
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TTrueTypeFace::LoadFromData(c.data), nullptr);
    }
    // Tables pointing past the end are treated as missing: a font cut in half
    // either loads without them or is refused, but never reads past the end.
    std::vector<uint8_t> half(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
    auto cut = TTrueTypeFace::LoadFromData(half);
    if (cut) {
        for (const auto &tag : cut->TableTags()) {
            const auto t = cut->Table(tag);
            EXPECT_LE(t.data() + t.size(), reinterpret_cast<const char *>(cut->FileData().data()) + half.size());
        }
    }
}

TEST(FontProvider, MutatedFontsNeverReadOutOfBounds)
{
    // Under the sanitizers this catches any read past the data; without them
    // it still checks that lookups on a damaged face stay sane.
    auto good = TFontProvider::Instance().Resolve("Calibri", false, false);
    ASSERT_TRUE(good);
    const auto &bytes = good->FileData();
    // Damage the table directory and the starts of the tables the metrics use.
    std::vector<size_t> spots;
    for (size_t i = 0; i < 12 + 16 * 20 && i < bytes.size(); ++i)
        spots.push_back(i);
    for (const char *tag : {"cmap", "hhea", "hmtx", "name", "OS/2", "head", "maxp"}) {
        const auto t = good->Table(tag);
        const size_t off = static_cast<size_t>(t.data() - reinterpret_cast<const char *>(bytes.data()));
        for (size_t k = 0; k < 64 && k < t.size(); ++k)
            spots.push_back(off + k);
    }
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 150; ++round) {
        std::vector<uint8_t> copy = bytes;
        for (int k = 0; k < 4; ++k)
            copy[spots[next() % spots.size()]] = static_cast<uint8_t>(next() >> 16);
        auto face = TTrueTypeFace::LoadFromData(std::move(copy));
        if (!face)
            continue;
        const TScaledFont f(face, -16, false, false);
        for (char32_t c : {U'A', U'z', U' ', U'\u20AC', U'\U0001F600', char32_t(0xFFFF)})
            EXPECT_GE(f.CharAdvance(c), 0);
        EXPECT_LE(face->GlyphIndex(U'A'), std::max(face->NumGlyphs(), 0xFFFF));
    }
}

// A damaged face would scale its font units by nearly the height: one whose
// win ascent plus descent is 1 or less, one with the largest win metrics on a
// tiny em. Their metrics are held inside int instead (the sanitizer build
// also catches any conversion beyond it).
TEST(FontProvider, DamagedFacesKeepTheirMetricsInRange)
{
    auto good = TFontProvider::Instance().Resolve("Arial", false, false);
    ASSERT_TRUE(good);
    const auto *base = reinterpret_cast<const char *>(good->FileData().data());
    const size_t os2 = static_cast<size_t>(good->Table("OS/2").data() - base);
    const size_t head = static_cast<size_t>(good->Table("head").data() - base);
    const size_t hhea = static_cast<size_t>(good->Table("hhea").data() - base);
    ASSERT_LE(os2 + 78, good->FileData().size());
    struct Case { const char *what; uint16_t ascent, descent, unitsPerEm, lineGap; };
    const Case cases[] = {{"flat", 1, 0, 2048, 67},
                          {"no height", 0, 0, 2048, 67},
                          {"tall on a tiny em, gap below nothing", 65535, 65535, 64, 0x8000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good->FileData();
        const auto put16 = [&](size_t at, uint16_t v) {
            bytes[at] = static_cast<uint8_t>(v >> 8);
            bytes[at + 1] = static_cast<uint8_t>(v);
        };
        put16(os2 + 74, c.ascent); // usWinAscent, big-endian
        put16(os2 + 76, c.descent);
        put16(head + 18, c.unitsPerEm);
        put16(hhea + 8, c.lineGap);
        auto face = TTrueTypeFace::LoadFromData(bytes);
        ASSERT_TRUE(face);
        for (const int height : {1 << 20, 65536, -(1 << 20)}) {
            SCOPED_TRACE(height);
            const TScaledFont f(face, height, false, false, true, true);
            const TTextMetric &tm = f.Metrics();
            for (const int v : {tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmExternalLeading, tm.tmAveCharWidth,
                                tm.tmMaxCharWidth, f.CharAdvance(U'W'), f.UnderlineSize(), f.StrikeoutSize()}) {
                EXPECT_GE(v, 0);
                EXPECT_LE(v, 1 << 30);
            }
            EXPECT_GT(f.CharAdvance(U'W'), 0);
        }
    }
}

// Widths of long texts in fonts of any height stay positive, grow with the
// text and keep the pen position ahead of the text's start: the sums are
// held inside int rather than wrapping.
TEST(FontProvider, HugeFontsAndLongTextsKeepTheirWidthsInRange)
{
    struct Case { int height, length, x; };
    const Case cases[] = {{-(1 << 30), 5000, 0}, {1 << 30, 5000, 0}, {-(1 << 20), 3000, 1 << 30},
                          {-2000000000, 100000, -(1 << 30)}, {-16, 100000, 0}};
    for (const Case &cs : cases) {
        SCOPED_TRACE(testing::Message() << cs.height << " x " << cs.length);
        QImage img(10, 10, QImage::Format_RGB32);
        img.fill(Qt::white);
        TCanvas c(&img);
        c.Font().SetName("Arial");
        c.Font().SetHeight(cs.height);
        const std::string text(static_cast<size_t>(cs.length), 'W');
        const int shortWidth = c.TextWidth("WWWWWWWW");
        const int longWidth = c.TextWidth(text);
        EXPECT_GT(shortWidth, 0);
        EXPECT_GE(longWidth, shortWidth);
        c.TextOut(cs.x, 5, text);
        EXPECT_GT(c.PenPos().X, cs.x);
        c.SetTextAlign(TA_RIGHT | TA_UPDATECP);
        c.MoveTo(cs.x, 5);
        c.TextOut(cs.x, 5, text);
        TRect r = Rect(0, 0, 100, 100);
        c.SetTextAlign(TA_LEFT | TA_TOP);
        c.DrawText(text + "\t" + text, r, DT_EXPANDTABS | DT_SINGLELINE | DT_RIGHT);
        EXPECT_GE(c.DrawText(text, r, DT_CALCRECT | DT_SINGLELINE), 0);
        EXPECT_GE(r.Right, 0);
    }
}
