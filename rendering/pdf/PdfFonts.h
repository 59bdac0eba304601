#pragma once
// The fonts a page's text needs: WinAnsi TrueType fonts, their Unicode
// descendants for characters outside WinAnsi, and the standard Type 1 fonts.
// Every measure comes from plat::TFontProvider, the same faces and advances
// that the screen, the recorder and printing use.
#include "platform/graphics/Fonts.h"
#include "platform/metafile/EmfRecords.h"
#include "rendering/pdf/PdfDoc.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPdfCanvas;

// Style bits of a font request.
enum : int { pfsBold = 1, pfsItalic = 2, pfsUnderline = 4, pfsStrikeOut = 8 };

class TPdfFont : public TPdfDictionaryWrapper {
public:
    TPdfFont(TPdfDocument &document, std::string baseFont);
    TPdfDocument &Document() const { return doc_; }
    const std::string &BaseFont() const { return baseFont_; }
    const std::string &ResourceName() const { return resourceName_; }
    // Registers the font with the document, which names it ("F0", ...).
    static TPdfFont *Register(TPdfDocument &document, std::unique_ptr<TPdfFont> font);

    // Width of a WinAnsi code in thousandths of the font size.
    virtual int CodeWidth(uint8_t) const { return 0; }
    virtual bool IsTrueType() const { return false; }

    uint16_t DefaultWidth = 0;
    int32_t Ascent = 0, Descent = 0;
    uint8_t FirstChar = 32, LastChar = 32;
    // The WinAnsi codes written with this font.
    std::array<uint32_t, 8> Used{};

protected:
    TPdfDocument &doc_;
    std::string baseFont_;
    std::string resourceName_;
};

class TPdfFontWinAnsi : public TPdfFont {
public:
    using TPdfFont::TPdfFont;
    int CodeWidth(uint8_t code) const override { return code < 32 ? DefaultWidth : Widths[code - 32]; }
    std::array<uint16_t, 224> Widths{};
};

// One of the twelve standard faces; its widths are kept for measuring only.
class TPdfFontType1 : public TPdfFontWinAnsi {
public:
    // nullptr for a name that is not one of the twelve.
    static std::unique_ptr<TPdfFontType1> Create(TPdfDocument &document, const std::string &name);

private:
    using TPdfFontWinAnsi::TPdfFontWinAnsi;
};

struct TPdfType1Widths {
    const char *Name;
    uint16_t Widths[224];
};
// Generated once from metric-compatible AFM files (tools/make-type1-widths).
extern const TPdfType1Widths kPdfType1Widths[12];

// A character of the whole map of a face: its glyph and width (thousandths).
struct TUsedWide {
    char16_t Char = 0;
    uint16_t Glyph = 0;
    uint16_t Width = 0;
};

// The tables of a TrueType face that a Unicode descendant needs: every BMP
// character the cmap maps, with its glyph and advance in thousandths of the
// em (rounded down, for any units per em).
class TPdfTTF {
public:
    explicit TPdfTTF(const plat::TTrueTypeFace *face);
    // Sorted by character.
    const std::vector<TUsedWide> &Map() const { return map_; }
    // The entry of a character, or nullptr.
    const TUsedWide *Find(char16_t c) const;
    // The lowest character that maps to the glyph, or 0. Looked up in a
    // table by glyph, built on the first call: text given as glyph indices
    // asks once per glyph.
    char16_t CharOfGlyph(uint16_t glyph) const;
    // How many entries of the map were read to answer CharOfGlyph so far.
    size_t MapEntriesRead() const { return entriesRead_; }

private:
    std::vector<TUsedWide> map_;
    mutable std::vector<int32_t> charOfGlyph_;  // -1: no character
    mutable bool byGlyph_ = false;
    mutable size_t entriesRead_ = 0;
};

class TPdfFontTrueType : public TPdfFontWinAnsi {
public:
    // A WinAnsi font of the family, or nullptr when no face can be had.
    static std::unique_ptr<TPdfFontTrueType> Create(TPdfDocument &document, const plat::emf::TEmrLogFont &logFont,
                                                    int style, int charSet, int familyPos);
    ~TPdfFontTrueType() override;

    bool IsTrueType() const override { return true; }
    const plat::emf::TEmrLogFont &LogFont() const { return logFont_; }
    int Style() const { return style_; }
    int CharSet() const { return charSet_; }
    int FamilyPos() const { return familyPos_; }
    bool FixedPitch() const { return fixedPitch_; }
    bool IsUnicode() const { return unicode_; }
    const plat::TTrueTypeFace &Face() const { return *face_; }
    TPdfDictionary *FontDescriptor() const { return descriptor_; }
    // The Unicode descendant, made and registered on first need.
    TPdfFontTrueType *UnicodeFont();
    TPdfFontTrueType *WinAnsiFont() { return winAnsi_ ? winAnsi_ : this; }

    // The character's entry in the used list of the WinAnsi font (added on
    // first use); glyph 0 and width 0 for a character the face lacks.
    TUsedWide UseWide(char16_t c);
    const std::vector<TUsedWide> &UsedWide() const { return usedWide_; }
    // Glyph output: the character that each glyph stands for joins the used
    // list; unknown glyphs keep their number and width 0.
    void UseGlyph(uint16_t glyph);

    // Ranges, widths, the Unicode map and any embedding; once per font.
    void BeforeSave() override;

private:
    TPdfFontTrueType(TPdfDocument &document, std::string baseFont) : TPdfFontWinAnsi(document, std::move(baseFont)) {}
    void CompleteWinAnsi();
    void CompleteUnicode();
    void Embed();
    const TPdfTTF &Map();

    std::shared_ptr<const plat::TTrueTypeFace> face_;
    plat::emf::TEmrLogFont logFont_;
    int style_ = 0, charSet_ = 0, familyPos_ = 0;
    bool fixedPitch_ = false, unicode_ = false, completed_ = false;
    TPdfDictionary *descriptor_ = nullptr;
    TPdfFontTrueType *winAnsi_ = nullptr;   // set on a descendant
    TPdfFontTrueType *unicodeFont_ = nullptr;  // set on a WinAnsi font
    std::vector<TUsedWide> usedWide_;  // sorted by character
    std::unique_ptr<TPdfTTF> map_;
};

// Complex-script shaping. An item is a run of the text in visual order;
// with glyphs it is written as a glyph run, without as text.
struct TPdfShapedItem {
    std::u16string Text;
    std::vector<uint16_t> Glyphs;
};
using TPdfShaper = std::function<std::vector<TPdfShapedItem>(const std::u16string &text, bool rightToLeft,
                                                             const plat::TTrueTypeFace &face)>;
// The shaper in force; the default finds no complex items and hands the
// whole text back unshaped. Returns the previous one.
TPdfShaper SetPdfShaper(TPdfShaper shaper);
const TPdfShaper &PdfShaper();

// The WinAnsi code of a character, or -1 when it has none.
int PdfWinAnsiCode(char16_t c);
