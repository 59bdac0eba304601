#include "platform/graphics/Fonts.h"
#include "platform/graphics/Graphics.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace plat {

// ---------------------------------------------------------------- UTF helpers

std::u32string Utf8ToUtf32(std::string_view s)
{
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<uint8_t>(s[i]);
        int len = 0;
        char32_t c = 0;
        if (b < 0x80) { c = b; len = 1; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; len = 4; }
        bool ok = len > 0 && i + static_cast<size_t>(len) <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<uint8_t>(s[i + static_cast<size_t>(k)]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (cb & 0x3F);
        }
        if (ok && ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000) ||
                   c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(c);
        i += static_cast<size_t>(len);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    for (char32_t c : Utf8ToUtf32(s)) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// ---------------------------------------------------------------- TrueType parsing

namespace {

struct Reader {
    const uint8_t *p;
    size_t n;
    bool has(size_t off, size_t len) const { return off <= n && len <= n - off; }
    uint16_t u16(size_t off) const { return has(off, 2) ? static_cast<uint16_t>(p[off] << 8 | p[off + 1]) : 0; }
    int16_t s16(size_t off) const { return static_cast<int16_t>(u16(off)); }
    uint32_t u32(size_t off) const
    {
        return has(off, 4) ? (uint32_t(p[off]) << 24 | uint32_t(p[off + 1]) << 16 | uint32_t(p[off + 2]) << 8 | p[off + 3]) : 0;
    }
};

// Held inside int, where a damaged face's metrics would go beyond it.
int RoundHalfUp(double v)
{
    const double r = std::floor(v + 0.5);
    if (!(r > INT_MIN))
        return INT_MIN;
    return r >= INT_MAX ? INT_MAX : static_cast<int>(r);
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::shared_ptr<const TTrueTypeFace> TTrueTypeFace::LoadFromFile(const std::string &fileName)
{
    // Read in one piece: a character at a time through the stream's
    // iterator cost more than parsing the face.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec))
        return nullptr;
    const auto size = std::filesystem::file_size(fileName, ec);
    std::ifstream in(fileName, std::ios::binary);
    if (ec || !in)
        return nullptr;
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char *>(data.data()), static_cast<std::streamsize>(size)))
        return nullptr;
    return LoadFromData(std::move(data), fileName);
}

std::shared_ptr<const TTrueTypeFace> TTrueTypeFace::LoadFromData(std::vector<uint8_t> data, const std::string &fileName)
{
    std::shared_ptr<TTrueTypeFace> face(new TTrueTypeFace);
    face->data_ = std::move(data);
    face->fileName_ = fileName;
    if (!face->Parse())
        return nullptr;
    return face;
}

std::string_view TTrueTypeFace::Table(std::string_view tag) const
{
    auto it = tables_.find(tag);
    if (it == tables_.end())
        return {};
    return std::string_view(reinterpret_cast<const char *>(data_.data()) + it->second.offset, it->second.length);
}

std::vector<std::string> TTrueTypeFace::TableTags() const
{
    std::vector<std::string> tags;
    for (const auto &t : tables_)
        tags.push_back(t.first);
    return tags;
}

bool TTrueTypeFace::Parse()
{
    const Reader f{data_.data(), data_.size()};
    const uint32_t version = f.u32(0);
    if (version != 0x00010000 && version != 0x4F54544F /*OTTO*/ && version != 0x74727565 /*true*/)
        return false;
    const int numTables = f.u16(4);
    if (!f.has(12, static_cast<size_t>(numTables) * 16))
        return false;
    for (int i = 0; i < numTables; ++i) {
        const size_t rec = 12 + static_cast<size_t>(i) * 16;
        std::string tag(reinterpret_cast<const char *>(data_.data() + rec), 4);
        const uint32_t off = f.u32(rec + 8), len = f.u32(rec + 12);
        if (!f.has(off, len))
            continue;  // a table past the end of the file is treated as missing
        tables_[tag] = TableRef{off, len};
    }
    auto tab = [&](const char *tag) {
        std::string_view t = Table(tag);
        return Reader{reinterpret_cast<const uint8_t *>(t.data()), t.size()};
    };
    const Reader head = tab("head"), hhea = tab("hhea"), hmtx = tab("hmtx"), maxp = tab("maxp");
    if (head.n < 54 || hhea.n < 36 || maxp.n < 6 || Table("cmap").empty())
        return false;
    unitsPerEm_ = head.u16(18);
    if (unitsPerEm_ < 16 || unitsPerEm_ > 16384)
        return false;
    xMin_ = head.s16(36); yMin_ = head.s16(38); xMax_ = head.s16(40); yMax_ = head.s16(42);
    const uint16_t macStyle = head.u16(44);
    hheaAscender_ = hhea.s16(4);
    hheaDescender_ = hhea.s16(6);
    hheaLineGap_ = hhea.s16(8);
    advanceWidthMax_ = hhea.u16(10);
    numHMetrics_ = hhea.u16(34);
    numGlyphs_ = maxp.u16(4);
    if (numHMetrics_ < 1 || static_cast<size_t>(numHMetrics_) * 4 > hmtx.n)
        return false;
    advances_.resize(static_cast<size_t>(numHMetrics_));
    for (int g = 0; g < numHMetrics_; ++g)
        advances_[static_cast<size_t>(g)] = hmtx.u16(static_cast<size_t>(g) * 4);

    const Reader os2 = tab("OS/2");
    bold_ = macStyle & 1;
    italic_ = macStyle & 2;
    winAscent_ = hheaAscender_;
    winDescent_ = -hheaDescender_;
    if (os2.n >= 78) {
        avgCharWidth_ = os2.s16(2);
        weightClass_ = os2.u16(4);
        strikeoutSize_ = os2.s16(26);
        strikeoutPosition_ = os2.s16(28);
        for (int i = 0; i < 10; ++i)
            panose_[i] = os2.p[32 + i];
        const uint16_t fsSelection = os2.u16(62);
        firstChar_ = os2.u16(64);
        lastChar_ = os2.u16(66);
        typoAscender_ = os2.s16(68);
        typoDescender_ = os2.s16(70);
        typoLineGap_ = os2.s16(72);
        winAscent_ = os2.u16(74);
        winDescent_ = os2.u16(76);
        if (os2.n >= 90 && os2.u16(0) >= 2)
            capHeight_ = os2.s16(88);
        bold_ = fsSelection & 0x20;
        italic_ = fsSelection & 0x01;
    } else {
        weightClass_ = bold_ ? 700 : 400;
        strikeoutSize_ = unitsPerEm_ / 20;
        strikeoutPosition_ = unitsPerEm_ / 4;
    }
    const Reader post = tab("post");
    if (post.n >= 32) {
        italicAngle_ = static_cast<int32_t>(post.u32(4)) / 65536.0;
        underlinePosition_ = post.s16(8);
        underlineThickness_ = post.s16(10);
        fixedPitch_ = post.u32(12) != 0;
    }
    if (avgCharWidth_ == 0) {
        // Old fonts without OS/2: average over the advances that are not 0.
        long sum = 0, count = 0;
        for (uint16_t a : advances_)
            if (a) { sum += a; ++count; }
        avgCharWidth_ = count ? static_cast<int>(sum / count) : unitsPerEm_ / 2;
    }
    ParseNames();
    return ParseCmap();
}

void TTrueTypeFace::ParseNames()
{
    std::string_view t = Table("name");
    const Reader r{reinterpret_cast<const uint8_t *>(t.data()), t.size()};
    const int count = r.u16(2);
    const size_t strings = r.u16(4);
    // Best score per name ID: Windows Unicode English first, then any
    // Windows Unicode, then Macintosh Roman.
    std::map<int, std::pair<int, std::string>> best;
    for (int i = 0; i < count; ++i) {
        const size_t rec = 6 + static_cast<size_t>(i) * 12;
        if (!r.has(rec, 12))
            break;
        const int platform = r.u16(rec), encoding = r.u16(rec + 2), language = r.u16(rec + 4);
        const int id = r.u16(rec + 6), len = r.u16(rec + 8), off = r.u16(rec + 10);
        if (id != 1 && id != 2 && id != 4 && id != 6)
            continue;
        if (!r.has(strings + static_cast<size_t>(off), static_cast<size_t>(len)))
            continue;
        const uint8_t *s = r.p + strings + off;
        int score = 0;
        std::string text;
        if ((platform == 3 && (encoding == 1 || encoding == 0 || encoding == 10)) || platform == 0) {
            score = (platform == 3 && language == 0x409) ? 3 : 2;
            std::u16string u;
            for (int k = 0; k + 1 < len; k += 2)
                u.push_back(static_cast<char16_t>(s[k] << 8 | s[k + 1]));
            text = Utf16ToUtf8(u);
        } else if (platform == 1 && encoding == 0) {
            score = 1;
            std::u16string u;
            for (int k = 0; k < len; ++k)
                u.push_back(s[k]);
            text = Utf16ToUtf8(u);
        } else {
            continue;
        }
        auto &slot = best[id];
        if (score > slot.first)
            slot = {score, text};
    }
    family_ = best[1].second;
    subfamily_ = best[2].second;
    fullName_ = best[4].second;
    psName_ = best[6].second;
}

bool TTrueTypeFace::ParseCmap()
{
    std::string_view t = Table("cmap");
    const Reader r{reinterpret_cast<const uint8_t *>(t.data()), t.size()};
    const int count = r.u16(2);
    size_t chosen = 0;
    int chosenScore = 0;
    bool symbol = false;
    for (int i = 0; i < count; ++i) {
        const size_t rec = 4 + static_cast<size_t>(i) * 8;
        if (!r.has(rec, 8))
            break;
        const int platform = r.u16(rec), encoding = r.u16(rec + 2);
        const uint32_t off = r.u32(rec + 4);
        if (!r.has(off, 4))
            continue;
        const int format = r.u16(off);
        int score = 0;
        if (format == 12 && ((platform == 3 && encoding == 10) || platform == 0))
            score = 5;
        else if (format == 4 && platform == 3 && encoding == 1)
            score = 4;
        else if (format == 4 && platform == 0)
            score = 3;
        else if (format == 4 && platform == 3 && encoding == 0)
            score = 2;
        else if ((format == 0 || format == 6) && platform == 1 && encoding == 0)
            score = 1;
        if (score > chosenScore) {
            chosenScore = score;
            chosen = off;
            symbol = platform == 3 && encoding == 0;
        }
    }
    if (!chosenScore)
        return false;
    const int format = r.u16(chosen);
    if (format == 4) {
        const size_t len = std::min<size_t>(r.u16(chosen + 2), r.n - chosen);
        const Reader s{r.p + chosen, len};
        const int segX2 = s.u16(6);
        const size_t ends = 14, starts = 16 + static_cast<size_t>(segX2), deltas = starts + segX2,
                     rangeOffs = deltas + segX2;
        if (!s.has(rangeOffs, static_cast<size_t>(segX2)))
            return false;
        // Glyph id array: everything after the range offsets, as 16-bit values.
        for (size_t o = rangeOffs + segX2; o + 1 < s.n; o += 2)
            glyphArray_.push_back(s.u16(o));
        for (int seg = 0; seg < segX2 / 2; ++seg) {
            const size_t k = static_cast<size_t>(seg) * 2;
            const char32_t end = s.u16(ends + k), start = s.u16(starts + k);
            const int16_t delta = s.s16(deltas + k);
            const uint16_t ro = s.u16(rangeOffs + k);
            if (start > end || start == 0xFFFF)
                continue;
            CmapRange range{start, end, delta, 0xFFFFFFFFu, true};
            if (ro) {
                // Index into glyphArray_ of the range's first code point.
                const size_t abs = rangeOffs + k + ro;
                if (abs < rangeOffs + segX2)
                    continue;
                range.glyphOffset = static_cast<uint32_t>((abs - (rangeOffs + segX2)) / 2);
            }
            ranges_.push_back(range);
        }
    } else if (format == 12) {
        const uint32_t groups = r.u32(chosen + 12);
        for (uint32_t g = 0; g < groups; ++g) {
            const size_t o = chosen + 16 + static_cast<size_t>(g) * 12;
            if (!r.has(o, 12))
                break;
            const char32_t start = r.u32(o), end = r.u32(o + 4);
            const uint32_t glyph = r.u32(o + 8);
            if (start > end)
                continue;
            ranges_.push_back(CmapRange{start, end, static_cast<int32_t>(glyph - start), 0xFFFFFFFFu, false});
        }
    } else if (format == 0 || format == 6) {
        const char32_t first = format == 0 ? 0 : r.u16(chosen + 6);
        const int n = format == 0 ? 256 : r.u16(chosen + 8);
        const size_t arr = chosen + (format == 0 ? 6 : 10);
        const uint32_t base = static_cast<uint32_t>(glyphArray_.size());
        for (int i = 0; i < n; ++i) {
            const size_t o = arr + static_cast<size_t>(i) * (format == 0 ? 1 : 2);
            if (!r.has(o, format == 0 ? 1 : 2))
                break;
            glyphArray_.push_back(format == 0 ? r.p[o] : r.u16(o));
        }
        const int got = static_cast<int>(glyphArray_.size() - base);
        if (got > 0)
            ranges_.push_back(CmapRange{first, first + static_cast<char32_t>(got) - 1, 0, base, false});
        // Mac encodings are not Unicode above ASCII: keep the ASCII part only.
        for (auto &rg : ranges_)
            rg.last = std::min<char32_t>(rg.last, 0x7E);
    }
    if (symbol) {
        // Symbol fonts map their characters into U+F000..U+F0FF; the platform
        // lets the low byte reach them.
        std::vector<CmapRange> extra;
        for (const auto &rg : ranges_)
            if (rg.first >= 0xF000 && rg.last <= 0xF0FF) {
                CmapRange low = rg;
                low.first -= 0xF000;
                low.last -= 0xF000;
                if (rg.glyphOffset == 0xFFFFFFFFu)
                    low.delta += 0xF000;
                extra.push_back(low);
            }
        ranges_.insert(ranges_.end(), extra.begin(), extra.end());
    }
    std::sort(ranges_.begin(), ranges_.end(), [](const CmapRange &a, const CmapRange &b) { return a.first < b.first; });
    return !ranges_.empty();
}

uint16_t TTrueTypeFace::GlyphIndex(char32_t c) const
{
    auto it = std::upper_bound(ranges_.begin(), ranges_.end(), c,
                               [](char32_t v, const CmapRange &r) { return v < r.first; });
    while (it != ranges_.begin()) {
        --it;
        if (c > it->last)
            return 0;
        uint32_t glyph;
        if (it->glyphOffset == 0xFFFFFFFFu) {
            glyph = c + static_cast<uint32_t>(it->delta);
            if (it->mod16)
                glyph &= 0xFFFFu;
        } else {
            const size_t idx = it->glyphOffset + (c - it->first);
            if (idx >= glyphArray_.size())
                return 0;
            glyph = glyphArray_[idx];
            if (glyph && it->delta)
                glyph = (glyph + static_cast<uint32_t>(it->delta)) & 0xFFFFu;
        }
        if (glyph >= static_cast<uint32_t>(numGlyphs_) && numGlyphs_ > 0)
            return 0;
        return static_cast<uint16_t>(glyph);
    }
    return 0;
}

int TTrueTypeFace::GlyphAdvance(uint16_t glyph) const
{
    if (advances_.empty())
        return 0;
    return glyph < advances_.size() ? advances_[glyph] : advances_.back();
}

std::vector<std::pair<char32_t, uint16_t>> TTrueTypeFace::MappedCharacters() const
{
    std::vector<std::pair<char32_t, uint16_t>> out;
    for (const CmapRange &r : ranges_) {
        // Bounded by the glyph count: a damaged range cannot make the list huge.
        const char32_t last = std::min<char32_t>(r.last, r.first + static_cast<char32_t>(std::max(numGlyphs_, 1) + 0xFFFF));
        for (char32_t c = r.first; c <= last && c <= 0x10FFFF; ++c)
            if (const uint16_t g = GlyphIndex(c))
                out.emplace_back(c, g);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.first == b.first; }),
              out.end());
    return out;
}

uint8_t TTrueTypeFace::Family() const
{
    if (fixedPitch_ || (panose_[0] == 2 && panose_[3] == 9))
        return FF_MODERN;
    switch (panose_[0]) {
    case 2:
        return (panose_[1] >= 11 && panose_[1] <= 13) ? FF_SWISS : FF_ROMAN;
    case 3:
        return FF_SCRIPT;
    case 4:
    case 5:
        return FF_DECORATIVE;
    default:
        return FF_SWISS;
    }
}

// ---------------------------------------------------------------- scaled font

TScaledFont::TScaledFont(std::shared_ptr<const TTrueTypeFace> face, int height, bool bold, bool italic,
                         bool underline, bool strikeOut)
    : face_(std::move(face))
{
    if (!face_)
        return;
    const TTrueTypeFace &f = *face_;
    const int upem = f.UnitsPerEm();
    const int winSum = std::max(1, f.WinAscent() + f.WinDescent());
    // Heights beyond a million units only come from damaged data; clamping
    // keeps every width sum inside int.
    height = std::clamp(height, -(1 << 20), 1 << 20);
    if (height < 0)
        em_ = -static_cast<double>(height);
    else if (height > 0)
        em_ = static_cast<double>(height) * upem / winSum;
    else
        em_ = 0;
    // A damaged face (win ascent plus descent near 0) would scale each font
    // unit by nearly the height. At most 2^12 logical units a font unit keeps
    // every scaled metric (font units and their sums and differences stay
    // below 2^18) below 2^30.
    em_ = std::min(em_, 4096.0 * upem);
    const double k = em_ / upem;
    // The cell is rounded as a whole and the descent on its own, so that a
    // cell height asked for is the cell height got.
    tm_.tmHeight = RoundHalfUp(winSum * k);
    tm_.tmDescent = RoundHalfUp(f.WinDescent() * k);
    tm_.tmAscent = tm_.tmHeight - tm_.tmDescent;
    tm_.tmInternalLeading = tm_.tmHeight - RoundHalfUp(em_);
    const int extra = f.HheaLineGap() - (winSum - (f.HheaAscender() - f.HheaDescender()));
    tm_.tmExternalLeading = std::max(0, RoundHalfUp(extra * k));
    tm_.tmAveCharWidth = RoundHalfUp(f.AvgCharWidth() * k);
    tm_.tmMaxCharWidth = RoundHalfUp(f.AdvanceWidthMax() * k);
    tm_.tmWeight = (bold && f.WeightClass() < 600) ? 700 : f.WeightClass();
    tm_.tmItalic = italic ? 1 : 0;
    tm_.tmUnderlined = underline ? 1 : 0;
    tm_.tmStruckOut = strikeOut ? 1 : 0;
    tm_.tmFirstChar = static_cast<char16_t>(std::min(f.FirstCharIndex(), 0xFFFF));
    tm_.tmLastChar = static_cast<char16_t>(std::min(f.LastCharIndex(), 0xFFFF));
    tm_.tmDefaultChar = f.HasGlyph(0x1F) ? 0x1F : 0x20;
    tm_.tmBreakChar = 0x20;
    tm_.tmPitchAndFamily = static_cast<uint8_t>((f.FixedPitch() ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                                TMPF_TRUETYPE | f.Family());
    tm_.tmCharSet = 0;
}

int TScaledFont::CharAdvance(char32_t c) const
{
    return face_ ? Scale(face_->GlyphAdvance(face_->GlyphIndex(c))) : 0;
}

std::vector<int> TScaledFont::Advances(std::string_view utf8) const
{
    std::vector<int> out;
    for (char32_t c : Utf8ToUtf32(utf8)) {
        out.push_back(CharAdvance(c));
        if (c >= 0x10000)
            out.push_back(0);
    }
    return out;
}

int TScaledFont::TextWidth(std::string_view utf8) const
{
    std::vector<int> advances;
    for (char32_t c : Utf8ToUtf32(utf8))
        advances.push_back(CharAdvance(c));
    return TotalAdvance(advances);
}

int TotalAdvance(const int *advances, size_t count)
{
    constexpr int64_t most = int64_t(1) << 30;
    int64_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = std::clamp(sum + advances[i], -most, most);
    return static_cast<int>(sum);
}

int AdvancedBy(int x, int advance)
{
    return static_cast<int>(std::clamp<int64_t>(int64_t(x) + advance, INT_MIN, INT_MAX));
}

int TScaledFont::Scale(int fontUnits) const
{
    return face_ ? RoundHalfUp(fontUnits * em_ / face_->UnitsPerEm()) : 0;
}

int TScaledFont::UnderlineOffset() const { return face_ ? Scale(face_->UnderlinePosition()) : 0; }
int TScaledFont::UnderlineSize() const { return std::max(1, face_ ? Scale(face_->UnderlineThickness()) : 1); }
int TScaledFont::StrikeoutOffset() const { return face_ ? Scale(face_->StrikeoutPosition()) : 0; }
int TScaledFont::StrikeoutSize() const { return std::max(1, face_ ? Scale(face_->StrikeoutSize()) : 1); }

// ---------------------------------------------------------------- provider

namespace {

// The platform's face names mapped to installed fonts with the same (or the
// nearest available) advance widths, so that layouts keep their line breaks.
struct Alias {
    const char *name;
    const char *family;
    bool forceBold;
};
constexpr Alias kAliases[] = {
    {"Calibri", "Carlito", false},
    {"Arial", "Liberation Sans", false},
    {"Helvetica", "Liberation Sans", false},
    {"Arial Rounded MT Bold", "Liberation Sans", true},
    {"Tahoma", "Liberation Sans", false},
    {"MS Sans Serif", "Liberation Sans", false},
    {"Microsoft Sans Serif", "Liberation Sans", false},
    {"Segoe UI", "Liberation Sans", false},
    {"MS Shell Dlg", "Liberation Sans", false},
    {"MS Shell Dlg 2", "Liberation Sans", false},
    {"Verdana", "DejaVu Sans", false},
    {"Times New Roman", "Liberation Serif", false},
    {"Times", "Liberation Serif", false},
    {"Courier New", "Liberation Mono", false},
    {"Courier", "Liberation Mono", false},
};

const Alias *FindAlias(const std::string &lower)
{
    for (const auto &a : kAliases)
        if (lower == Lower(a.name))
            return &a;
    return nullptr;
}

bool IsSfntFile(const std::string &file)
{
    const std::string ext = Lower(file.size() > 4 ? file.substr(file.size() - 4) : file);
    return ext == ".ttf" || ext == ".otf";
}

// fontconfig's best TrueType file for a family and style; empty when none.
std::string MatchFile(const std::string &family, bool bold, bool italic)
{
    std::string result;
    FcPattern *pat = FcPatternCreate();
    if (!pat)
        return result;
    if (!family.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcFontSet *set = FcFontSort(nullptr, pat, FcFalse, nullptr, &res);
    if (set) {
        for (int i = 0; i < set->nfont && result.empty(); ++i) {
            FcChar8 *file = nullptr;
            int index = 0;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file &&
                FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index) == FcResultMatch && index == 0) {
                std::string f(reinterpret_cast<const char *>(file));
                if (IsSfntFile(f))
                    result = f;
            }
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(pat);
    return result;
}

} // namespace

TFontProvider &TFontProvider::Instance()
{
    static TFontProvider provider;
    return provider;
}

std::shared_ptr<const TTrueTypeFace> TFontProvider::Load(const std::string &file)
{
    auto it = byFile_.find(file);
    if (it != byFile_.end())
        return it->second;
    auto face = TTrueTypeFace::LoadFromFile(file);
    byFile_[file] = face;
    return face;
}

std::shared_ptr<const TTrueTypeFace> TFontProvider::Resolve(const String &faceName, bool bold, bool italic)
{
    const std::string lower = Lower(faceName);
    const std::string key = lower + (bold ? "|b" : "|") + (italic ? "i" : "");
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = byRequest_.find(key);
    if (it != byRequest_.end())
        return it->second;
    std::string family = faceName;
    if (const Alias *a = FindAlias(lower)) {
        family = a->family;
        bold = bold || a->forceBold;
    }
    std::shared_ptr<const TTrueTypeFace> face;
    std::string file = MatchFile(family, bold, italic);
    if (!file.empty())
        face = Load(file);
    if (!face) {
        file = MatchFile("Liberation Sans", bold, italic);
        if (!file.empty())
            face = Load(file);
    }
    byRequest_[key] = face;
    return face;
}

TFontPreparation::TFontPreparation(std::vector<String> faceNames)
    : thread_([names = std::move(faceNames)] {
          // Only a head start: whatever fails here fails again, and is
          // reported, where the interface thread asks for the same.
          try {
              QFontDatabase::families();
              for (const String &name : names)
                  for (const bool bold : {false, true})
                      TFontProvider::Instance().Resolve(name, bold, false);
          } catch (...) {
          }
      })
{
}

TFontPreparation::~TFontPreparation() { Wait(); }

void TFontPreparation::Wait()
{
    if (thread_.joinable())
        thread_.join();
}

String TFontProvider::ResolvedFamily(const String &faceName)
{
    auto face = Resolve(faceName, false, false);
    return face ? face->FamilyName() : String();
}

std::vector<String> TFontProvider::Families()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!families_.empty())
        return families_;
    std::set<String> names;
    FcPattern *pat = FcPatternCreate();
    FcObjectSet *os = FcObjectSetBuild(FC_FAMILY, FC_FILE, nullptr);
    FcFontSet *set = (pat && os) ? FcFontList(nullptr, pat, os) : nullptr;
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8 *fam = nullptr, *file = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &fam) == FcResultMatch &&
                FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch &&
                IsSfntFile(reinterpret_cast<const char *>(file)))
                names.insert(reinterpret_cast<const char *>(fam));
        }
        FcFontSetDestroy(set);
    }
    if (os)
        FcObjectSetDestroy(os);
    if (pat)
        FcPatternDestroy(pat);
    families_.assign(names.begin(), names.end());
    return families_;
}

std::vector<String> TFontProvider::StandInNames()
{
    std::vector<String> names;
    for (const auto &a : kAliases)
        if (FamilyInstalled(a.family))
            names.push_back(a.name);
    return names;
}

bool TFontProvider::FamilyInstalled(const String &family)
{
    const std::string lower = Lower(family);
    for (const auto &f : Families())
        if (Lower(f) == lower)
            return true;
    return false;
}

TScaledFont TFontProvider::Scaled(const TFont &font)
{
    const TFontStyles st = font.Style();
    return TScaledFont(Resolve(font.Name(), st & fsBold, st & fsItalic), font.Height(), st & fsBold,
                       st & fsItalic, st & fsUnderline, st & fsStrikeOut);
}

} // namespace plat
