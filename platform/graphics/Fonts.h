#pragma once
// The one font provider. Every part of the program that measures text (the
// canvas, the metafile recorder, printing, the PDF writer) measures through
// it, from the same TrueType files and with the same rounding, so that a
// page measures alike on screen, on paper and in a PDF file.
//
// Face names are resolved through fontconfig, after a small table of
// metric-compatible stand-ins for the names the program asks for
// ("Calibri" -> Carlito, "Arial" -> Liberation Sans, ...). Only TrueType
// (glyf or CFF outlines in an sfnt file) is used.
//
// Metrics follow the platform's rules for TrueType fonts at an em size s
// (in whatever logical unit the caller uses; scale k = s / unitsPerEm):
//   tmHeight          = round((OS/2 usWinAscent + usWinDescent) * k)
//   tmDescent         = round(OS/2 usWinDescent * k)
//   tmAscent          = tmHeight - tmDescent
//   tmInternalLeading = tmHeight - round(s)
//   tmExternalLeading = max(0, round((hhea.lineGap - ((winAscent + winDescent)
//                        - (hhea.ascender - hhea.descender))) * k))
//   tmAveCharWidth    = round(OS/2 xAvgCharWidth * k)
//   tmMaxCharWidth    = round(hhea.advanceWidthMax * k)
//   advance of a glyph = round(hmtx advance * k)   (no kerning)
// where round is floor(x + 0.5). A negative font height -h asks for em size
// h; a positive height h asks for a cell height h, that is em size
// h * unitsPerEm / (usWinAscent + usWinDescent).
#include "platform/core/Types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace plat {

class TFont;

// The platform's TEXTMETRIC, in the caller's logical units.
struct TTextMetric {
    int tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
    int tmAveCharWidth = 0, tmMaxCharWidth = 0, tmWeight = 400, tmOverhang = 0;
    int tmDigitizedAspectX = 96, tmDigitizedAspectY = 96;
    char16_t tmFirstChar = 32, tmLastChar = 255, tmDefaultChar = 31, tmBreakChar = 32;
    uint8_t tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0, tmPitchAndFamily = 0, tmCharSet = 0;
};

// tmPitchAndFamily bits. Note the platform's inverted sense: TMPF_FIXED_PITCH
// set means the font is NOT fixed pitch.
enum : uint8_t { TMPF_FIXED_PITCH = 0x01, TMPF_VECTOR = 0x02, TMPF_TRUETYPE = 0x04, TMPF_DEVICE = 0x08 };
enum : uint8_t { FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30,
                 FF_SCRIPT = 0x40, FF_DECORATIVE = 0x50 };

// One parsed TrueType file. Immutable once loaded; shared between threads.
class TTrueTypeFace {
public:
    // Nullptr when the file is missing or not a usable sfnt font.
    static std::shared_ptr<const TTrueTypeFace> LoadFromFile(const std::string &fileName);
    static std::shared_ptr<const TTrueTypeFace> LoadFromData(std::vector<uint8_t> data,
                                                             const std::string &fileName = {});

    const std::string &FileName() const { return fileName_; }
    const std::vector<uint8_t> &FileData() const { return data_; }
    // Raw bytes of a table ("cmap", "head", "hhea", "hmtx", "name", "OS/2",
    // "post", "glyf", ...); empty when the font has no such table.
    std::string_view Table(std::string_view tag) const;
    std::vector<std::string> TableTags() const;

    // name table: family (ID 1), subfamily (2), full name (4), PostScript name (6).
    const std::string &FamilyName() const { return family_; }
    const std::string &SubfamilyName() const { return subfamily_; }
    const std::string &FullName() const { return fullName_; }
    const std::string &PostScriptName() const { return psName_; }

    int UnitsPerEm() const { return unitsPerEm_; }
    int NumGlyphs() const { return numGlyphs_; }
    int WinAscent() const { return winAscent_; }
    int WinDescent() const { return winDescent_; }
    int TypoAscender() const { return typoAscender_; }
    int TypoDescender() const { return typoDescender_; }
    int TypoLineGap() const { return typoLineGap_; }
    int HheaAscender() const { return hheaAscender_; }
    int HheaDescender() const { return hheaDescender_; }
    int HheaLineGap() const { return hheaLineGap_; }
    int AdvanceWidthMax() const { return advanceWidthMax_; }
    int AvgCharWidth() const { return avgCharWidth_; }
    int WeightClass() const { return weightClass_; }
    int CapHeight() const { return capHeight_; }
    int StrikeoutPosition() const { return strikeoutPosition_; }
    int StrikeoutSize() const { return strikeoutSize_; }
    int UnderlinePosition() const { return underlinePosition_; }
    int UnderlineThickness() const { return underlineThickness_; }
    double ItalicAngle() const { return italicAngle_; }
    bool FixedPitch() const { return fixedPitch_; }
    bool IsBold() const { return bold_; }
    bool IsItalic() const { return italic_; }
    // head bounding box, in font units.
    int XMin() const { return xMin_; }
    int YMin() const { return yMin_; }
    int XMax() const { return xMax_; }
    int YMax() const { return yMax_; }
    const uint8_t *Panose() const { return panose_; }
    // FF_* family from the PANOSE classification.
    uint8_t Family() const;
    int FirstCharIndex() const { return firstChar_; }
    int LastCharIndex() const { return lastChar_; }

    // Glyph of a Unicode code point (0, the missing glyph, when none).
    uint16_t GlyphIndex(char32_t c) const;
    bool HasGlyph(char32_t c) const { return GlyphIndex(c) != 0; }
    // Advance width of a glyph in font units.
    int GlyphAdvance(uint16_t glyph) const;
    // Every character the cmap maps to a glyph other than 0, with that glyph,
    // in character order.
    std::vector<std::pair<char32_t, uint16_t>> MappedCharacters() const;

private:
    TTrueTypeFace() = default;
    bool Parse();
    void ParseNames();
    bool ParseCmap();

    std::string fileName_;
    std::vector<uint8_t> data_;
    struct TableRef { uint32_t offset, length; };
    std::map<std::string, TableRef, std::less<>> tables_;
    std::string family_, subfamily_, fullName_, psName_;
    int unitsPerEm_ = 1000, numGlyphs_ = 0, numHMetrics_ = 0;
    int winAscent_ = 0, winDescent_ = 0, typoAscender_ = 0, typoDescender_ = 0, typoLineGap_ = 0;
    int hheaAscender_ = 0, hheaDescender_ = 0, hheaLineGap_ = 0, advanceWidthMax_ = 0;
    int avgCharWidth_ = 0, weightClass_ = 400, capHeight_ = 0;
    int strikeoutPosition_ = 0, strikeoutSize_ = 0, underlinePosition_ = 0, underlineThickness_ = 0;
    int xMin_ = 0, yMin_ = 0, xMax_ = 0, yMax_ = 0, firstChar_ = 32, lastChar_ = 255;
    double italicAngle_ = 0;
    bool fixedPitch_ = false, bold_ = false, italic_ = false;
    uint8_t panose_[10] = {};
    // cmap: sorted ranges of code points to glyphs.
    struct CmapRange { char32_t first, last; int32_t delta; uint32_t glyphOffset; bool mod16; };
    std::vector<CmapRange> ranges_;
    std::vector<uint16_t> glyphArray_;
    std::vector<uint16_t> advances_;
};

// A face at one size, in the caller's logical units: what text is measured
// with. Cheap to copy.
class TScaledFont {
public:
    TScaledFont() = default;
    // height: the font's signed height (negative = em height, positive = cell
    // height). The style flags go into the text metric.
    TScaledFont(std::shared_ptr<const TTrueTypeFace> face, int height, bool bold, bool italic,
                bool underline = false, bool strikeOut = false);

    bool Valid() const { return face_ != nullptr; }
    const TTrueTypeFace &Face() const { return *face_; }
    std::shared_ptr<const TTrueTypeFace> FacePtr() const { return face_; }
    // Em size in logical units (fractional for a cell height).
    double EmSize() const { return em_; }
    const TTextMetric &Metrics() const { return tm_; }

    int CharAdvance(char32_t c) const;
    // One advance per UTF-16 code unit of the text (the second unit of a
    // surrogate pair gets 0), as the platform's text records carry them.
    std::vector<int> Advances(std::string_view utf8) const;
    int TextWidth(std::string_view utf8) const;
    // Distance from the baseline (positive up) and thickness of the underline
    // and strike-out strokes, in logical units; thickness at least 1.
    int UnderlineOffset() const;
    int UnderlineSize() const;
    int StrikeoutOffset() const;
    int StrikeoutSize() const;
    // A length in font units scaled to logical units, rounded.
    int Scale(int fontUnits) const;

private:
    std::shared_ptr<const TTrueTypeFace> face_;
    double em_ = 0;
    TTextMetric tm_;
};

class TFontProvider {
public:
    static TFontProvider &Instance();

    // The face for a requested name and style; falls back to the default
    // sans-serif face, so the result is never null unless no TrueType font
    // is installed at all.
    std::shared_ptr<const TTrueTypeFace> Resolve(const String &faceName, bool bold, bool italic);
    // The family name that a requested name resolves to ("Calibri" -> "Carlito").
    String ResolvedFamily(const String &faceName);
    // Installed TrueType families, sorted, without duplicates.
    std::vector<String> Families();
    // The platform names that the stand-in table maps to an installed face
    // ("Calibri", "Arial", ...), in the table's order.
    std::vector<String> StandInNames();
    bool FamilyInstalled(const String &family);

    // The font's face at the font's own height and style.
    TScaledFont Scaled(const TFont &font);

private:
    TFontProvider() = default;
    std::shared_ptr<const TTrueTypeFace> Load(const std::string &file);

    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const TTrueTypeFace>> byRequest_;
    std::map<std::string, std::shared_ptr<const TTrueTypeFace>> byFile_;
    std::vector<String> families_;
};

// Building the toolkit's list of installed fonts (the first time any text
// is laid out) and finding and reading the faces the windows ask for costs
// tens of milliseconds. Where the interface thread has to wait anyway, a
// thread does that work meanwhile; the owner waits for it before the
// interface thread touches text again (at the latest when the preparation
// is destroyed), so the two never measure text at the same time.
class TFontPreparation {
public:
    explicit TFontPreparation(std::vector<String> faceNames);
    ~TFontPreparation();
    TFontPreparation(const TFontPreparation &) = delete;
    TFontPreparation &operator=(const TFontPreparation &) = delete;
    void Wait();

private:
    std::thread thread_;
};

// The sum of text advances, held within +-2^30 whatever the font height and
// the length of the text, so that positions built on it stay inside int.
int TotalAdvance(const int *advances, size_t count);
inline int TotalAdvance(const std::vector<int> &advances) { return TotalAdvance(advances.data(), advances.size()); }
// x moved on by a text's advance, held inside int.
int AdvancedBy(int x, int advance);

// UTF-8 helpers for text measuring and records. Invalid bytes decode as U+FFFD.
std::u32string Utf8ToUtf32(std::string_view utf8);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

} // namespace plat
