#include "rendering/pdf/PdfFonts.h"

#include "rendering/pdf/TextRoutines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

char HexDigit(unsigned v) { return "0123456789ABCDEF"[v & 15]; }

void AppendHex4(std::string &s, uint16_t v)
{
    for (int shift = 12; shift >= 0; shift -= 4)
        s.push_back(HexDigit(v >> shift));
}

// A length in font units at 1000 units per em, rounded.
int32_t PerMille(const plat::TTrueTypeFace &face, int fontUnits)
{
    return static_cast<int32_t>(std::lround(fontUnits * 1000.0 / face.UnitsPerEm()));
}

void SetFontKeys(TPdfDictionary &d, const std::string &base, const char *subtype, const char *encoding)
{
    d.AddNameItem("Type", "Font");
    d.AddNameItem("BaseFont", base);
    d.AddNameItem("Subtype", subtype);
    d.AddNameItem("Encoding", encoding);
}

TPdfShaper &ShaperSlot()
{
    static TPdfShaper shaper = [](const std::u16string &text, bool, const plat::TTrueTypeFace &) {
        return std::vector<TPdfShapedItem>{TPdfShapedItem{text, {}}};
    };
    return shaper;
}

} // namespace

int PdfWinAnsiCode(char16_t c)
{
    if (c < 256)
        return WinAnsiToUnicode[c] == c ? c : -1;
    return WinAnsiCode(c);
}

TPdfShaper SetPdfShaper(TPdfShaper shaper)
{
    TPdfShaper old = std::move(ShaperSlot());
    ShaperSlot() = std::move(shaper);
    return old;
}

const TPdfShaper &PdfShaper() { return ShaperSlot(); }

// ---- base font -------------------------------------------------------------------

TPdfFont::TPdfFont(TPdfDocument &document, std::string baseFont) : doc_(document), baseFont_(std::move(baseFont))
{
    auto *dict = new TPdfDictionary(&document.Xref());
    document.Xref().AddObject(dict);
    SetData(dict);
}

TPdfFont *TPdfFont::Register(TPdfDocument &document, std::unique_ptr<TPdfFont> font)
{
    TPdfFont *raw = font.get();
    raw->resourceName_ = document.RegisterFont(std::move(font));
    return raw;
}

// ---- Type 1 ------------------------------------------------------------------------

std::unique_ptr<TPdfFontType1> TPdfFontType1::Create(TPdfDocument &document, const std::string &name)
{
    const TPdfType1Widths *table = nullptr;
    for (const auto &t : kPdfType1Widths)
        if (name == t.Name)
            table = &t;
    if (!table)
        return nullptr;
    std::unique_ptr<TPdfFontType1> font(new TPdfFontType1(document, name));
    TPdfDictionary &d = *font->Data();
    d.AddNameItem("Type", "Font");
    d.AddNameItem("Subtype", "Type1");
    d.AddNameItem("Encoding", "WinAnsiEncoding");
    d.AddItem("FirstChar", 32);
    d.AddItem("LastChar", 255);
    d.AddNameItem("BaseFont", name);
    const bool courier = name.rfind("Courier", 0) == 0, times = name.rfind("Times", 0) == 0;
    if (courier) {
        font->Widths.fill(600);
        font->DefaultWidth = 600;
        font->Ascent = 833;
        font->Descent = -300;
    } else {
        std::copy(std::begin(table->Widths), std::end(table->Widths), font->Widths.begin());
        font->DefaultWidth = times ? 250 : 278;
        font->Ascent = times ? 891 : 905;
        font->Descent = times ? -216 : -212;
    }
    d.AddItem("Widths", TPdfArray::CreateWordArray(nullptr, TWordDynArray(font->Widths.begin(), font->Widths.end())),
              true);
    return font;
}

// ---- TrueType tables ------------------------------------------------------------------

TPdfTTF::TPdfTTF(const plat::TTrueTypeFace *face)
{
    if (!face || face->UnitsPerEm() <= 0)
        return;
    const int64_t upem = face->UnitsPerEm();
    for (const auto &[c, glyph] : face->MappedCharacters()) {
        if (c > 0xFFFF)
            break;
        const int64_t width = int64_t(face->GlyphAdvance(glyph)) * 1000 / upem;
        map_.push_back({static_cast<char16_t>(c), glyph, static_cast<uint16_t>(std::clamp<int64_t>(width, 0, 65535))});
    }
}

const TUsedWide *TPdfTTF::Find(char16_t c) const
{
    auto it = std::lower_bound(map_.begin(), map_.end(), c, [](const TUsedWide &e, char16_t v) { return e.Char < v; });
    return it != map_.end() && it->Char == c ? &*it : nullptr;
}

char16_t TPdfTTF::CharOfGlyph(uint16_t glyph) const
{
    if (!byGlyph_) {
        byGlyph_ = true;
        // The map is sorted by character, so the first one seen is the lowest.
        for (const TUsedWide &e : map_) {
            if (e.Glyph >= charOfGlyph_.size())
                charOfGlyph_.resize(size_t(e.Glyph) + 1, -1);
            if (charOfGlyph_[e.Glyph] < 0)
                charOfGlyph_[e.Glyph] = e.Char;
        }
        entriesRead_ += map_.size();
    }
    return glyph < charOfGlyph_.size() && charOfGlyph_[glyph] >= 0 ? char16_t(charOfGlyph_[glyph]) : 0;
}

// ---- TrueType fonts ----------------------------------------------------------------------

TPdfFontTrueType::~TPdfFontTrueType() = default;

std::unique_ptr<TPdfFontTrueType> TPdfFontTrueType::Create(TPdfDocument &document,
                                                           const plat::emf::TEmrLogFont &logFont, int style,
                                                           int charSet, int familyPos)
{
    const std::string family = Utf16ToUtf8(logFont.FaceName);
    const bool bold = style & pfsBold, italic = style & pfsItalic;
    auto face = plat::TFontProvider::Instance().Resolve(family, bold, italic);
    if (!face)
        return nullptr;

    std::string base;
    for (const char ch : family)
        if (ch >= 33 && ch <= 126)
            base.push_back(ch);
    static const char *const suffixes[4] = {"", ",Bold", ",Italic", ",BoldItalic"};
    base += suffixes[style & 3];
    if (!IsAnsiCompatible(family) && !face->PostScriptName().empty())
        base = Utf8ToWinAnsi(face->PostScriptName());

    std::unique_ptr<TPdfFontTrueType> font(new TPdfFontTrueType(document, base));
    font->face_ = face;
    font->logFont_ = logFont;
    font->style_ = style;
    font->charSet_ = charSet;
    font->familyPos_ = familyPos;

    TPdfDictionary &d = *font->Data();
    SetFontKeys(d, base, "TrueType", "WinAnsiEncoding");

    // Widths are the advances at an em of 1000, as the screen measures them.
    const plat::TScaledFont scaled(face, -1000, bold, italic);
    font->DefaultWidth = static_cast<uint16_t>(std::max(0, scaled.CharAdvance(U' ')));
    // The pitch bit set means variable pitch.
    font->fixedPitch_ = !(scaled.Metrics().tmPitchAndFamily & plat::TMPF_FIXED_PITCH);
    for (int code = 32; code < 256; ++code)
        font->Widths[code - 32] =
            font->fixedPitch_ ? font->DefaultWidth
                              : static_cast<uint16_t>(std::clamp(scaled.CharAdvance(WinAnsiToUnicode[code]), 0, 65535));
    font->Ascent = PerMille(*face, face->TypoAscender());
    font->Descent = PerMille(*face, face->TypoDescender());

    auto *desc = new TPdfDictionary(&document.Xref());
    document.Xref().AddObject(desc);
    desc->AddNameItem("Type", "FontDescriptor");
    desc->AddNameItem("FontName", base);
    desc->AddItem("Ascent", font->Ascent);
    desc->AddItem("Descent", font->Descent);
    desc->AddItem("CapHeight", 666);
    desc->AddItem("ItalicAngle", new TPdfReal(face->ItalicAngle()));
    desc->AddItem("StemV", 87);
    desc->AddItem("Flags", 32);
    desc->AddItem("FontBBox", TPdfArray::CreateNumArray(nullptr, {PerMille(*face, face->XMin()), PerMille(*face, face->YMin()),
                                                                 PerMille(*face, face->XMax()), PerMille(*face, face->YMax())}));
    d.AddItem("FontDescriptor", desc);
    font->descriptor_ = desc;
    return font;
}

const TPdfTTF &TPdfFontTrueType::Map()
{
    TPdfFontTrueType *owner = WinAnsiFont();
    if (!owner->map_)
        owner->map_ = std::make_unique<TPdfTTF>(owner->face_.get());
    return *owner->map_;
}

TPdfFontTrueType *TPdfFontTrueType::UnicodeFont()
{
    if (unicode_)
        return this;
    if (unicodeFont_)
        return unicodeFont_;
    std::unique_ptr<TPdfFontTrueType> u(new TPdfFontTrueType(doc_, baseFont_));
    // Shares the face, the metrics and the descriptor.
    u->face_ = face_;
    u->logFont_ = logFont_;
    u->style_ = style_;
    u->charSet_ = charSet_;
    u->familyPos_ = familyPos_;
    u->fixedPitch_ = fixedPitch_;
    u->descriptor_ = descriptor_;
    u->DefaultWidth = DefaultWidth;
    u->Ascent = Ascent;
    u->Descent = Descent;
    u->Widths = Widths;
    u->unicode_ = true;
    u->winAnsi_ = this;
    SetFontKeys(*u->Data(), baseFont_, "Type0", "Identity-H");
    unicodeFont_ = static_cast<TPdfFontTrueType *>(TPdfFont::Register(doc_, std::move(u)));
    Map();
    return unicodeFont_;
}

TUsedWide TPdfFontTrueType::UseWide(char16_t c)
{
    TPdfFontTrueType *owner = WinAnsiFont();
    auto &used = owner->usedWide_;
    auto it = std::lower_bound(used.begin(), used.end(), c, [](const TUsedWide &e, char16_t v) { return e.Char < v; });
    if (it != used.end() && it->Char == c)
        return *it;
    const TUsedWide *known = Map().Find(c);
    const TUsedWide entry = known ? *known : TUsedWide{c, 0, 0};
    const auto at = it - used.begin();
    if (used.size() == used.capacity())
        used.reserve(used.size() + 100);
    used.insert(used.begin() + at, entry);
    return entry;
}

void TPdfFontTrueType::UseGlyph(uint16_t glyph)
{
    const char16_t c = Map().CharOfGlyph(glyph);
    if (c)
        UseWide(c);
}

void TPdfFontTrueType::BeforeSave()
{
    if (completed_)
        return;
    completed_ = true;
    if (unicode_) {
        CompleteUnicode();
        return;
    }
    CompleteWinAnsi();
    Embed();
}

void TPdfFontTrueType::CompleteWinAnsi()
{
    int first = 32;
    while (first <= 255 && !GetBit(Used.data(), unsigned(first)))
        ++first;
    int last = 255;
    while (last >= 32 && !GetBit(Used.data(), unsigned(last)))
        --last;
    TPdfDictionary &d = *Data();
    if (first > 255) {
        // Nothing written: a viewer still wants a range and a width.
        FirstChar = LastChar = 32;
        d.AddItem("FirstChar", 32);
        d.AddItem("LastChar", 32);
        d.AddItem("Widths", new TPdfRawText("[" + Int32ToText(CodeWidth(32)) + " ]"));
        return;
    }
    FirstChar = static_cast<uint8_t>(first);
    LastChar = static_cast<uint8_t>(last);
    std::string widths = "[";
    for (int code = first; code <= last; ++code) {
        if (GetBit(Used.data(), unsigned(code)))
            widths += Int32ToText(CodeWidth(static_cast<uint8_t>(code))) + " ";
        else
            widths += "0 ";
    }
    widths += "]";
    d.AddItem("FirstChar", first);
    d.AddItem("LastChar", last);
    d.AddItem("Widths", new TPdfRawText(widths));
}

void TPdfFontTrueType::CompleteUnicode()
{
    const std::vector<TUsedWide> &used = winAnsi_->usedWide_;
    auto *descendant = new TPdfDictionary(&doc_.Xref());
    doc_.Xref().AddObject(descendant);
    descendant->AddNameItem("Type", "Font");
    descendant->AddNameItem("Subtype", "CIDFontType2");
    descendant->AddNameItem("BaseFont", baseFont_);
    descendant->AddItem("CIDSystemInfo", new TPdfRawText("<<\n/Ordering(Identity)/Registry(Adobe)/Supplement 0\n>>"));
    descendant->AddItem("DW", DefaultWidth);
    std::string w = "[";
    for (const TUsedWide &e : used)
        w += Int32ToText(e.Glyph) + "[" + Int32ToText(e.Width) + "]";
    w += "]";
    descendant->AddItem("W", new TPdfRawText(w));
    descendant->AddItem("FontDescriptor", descriptor_);
    auto *list = new TPdfArray(&doc_.Xref());
    list->AddItem(descendant);
    Data()->AddItem("DescendantFonts", list);

    auto *map = new TPdfStream(doc_);
    TPdfWrite &out = map->Writer();
    out.Add("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n/CIDSystemInfo\n<<\n/Registry (")
        .Add(resourceName_)
        .Add("+0)\n/Ordering (UCS)\n/Supplement 0\n>> def\n/CMapName /")
        .Add(resourceName_)
        .Add("+0 def\n/CMapType 2 def\n1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    for (size_t start = 0; start < used.size(); start += 100) {
        const size_t end = std::min(used.size(), start + 100);
        out.Add(static_cast<int32_t>(end - start)).Add(" beginbfchar\n");
        for (size_t i = start; i < end; ++i) {
            std::string line = "<";
            AppendHex4(line, used[i].Glyph);
            line += "> <";
            AppendHex4(line, used[i].Char);
            line += ">\n";
            out.Add(line);
        }
        out.Add("endbfchar\n");
    }
    out.Add("endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend");
    Data()->AddItem("ToUnicode", map);
}

void TPdfFontTrueType::Embed()
{
    if (!doc_.EmbeddedTTF || FindUtf8Text(doc_.EmbeddedTTFIgnore, Utf16ToUtf8(logFont_.FaceName), true) >= 0)
        return;
    // Outlines in a "glyf" table only: FontFile2 holds TrueType outlines.
    if (face_->Table("glyf").empty())
        return;
    // No subsetting library exists here, so the whole face goes in, which is
    // what a failed subsetting gives as well.
    const std::vector<uint8_t> &file = face_->FileData();
    auto *stream = new TPdfStream(doc_);
    stream->Writer().Add(file.data(), static_cast<int64_t>(file.size()));
    stream->Attributes().AddItem("Length1", static_cast<int32_t>(file.size()));
    descriptor_->AddItem("FontFile2", stream);
}
