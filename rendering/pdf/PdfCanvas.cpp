#include "rendering/pdf/PdfCanvas.h"

#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/PdfFonts.h"

#include <algorithm>
#include <cmath>

namespace {

// Distance of a cubic's control points from the ends of a quarter arc, per
// unit of radius.
constexpr float kArc = 0.5522847771644592f;

std::string WithName(const char *pattern, const std::string &name)
{
    std::string s = pattern;
    s.replace(s.find("%s"), 2, name);
    return s;
}

bool IsBlank(char16_t c) { return c == 32 || c == 160; }

} // namespace

TPdfCanvas::TPdfCanvas(TPdfDocument &document)
    : DevScale(72.0f / static_cast<float>(document.ScreenLogPixels())), ScaleX(DevScale), ScaleY(DevScale),
      doc_(document)
{
}

void TPdfCanvas::SetPage(TPdfPage *page)
{
    page_ = page;
    contents_ = page ? page->ValueAs<TPdfStream>("Contents") : nullptr;
}

int32_t TPdfCanvas::PageHeight() const { return page_ ? page_->PageHeight() : 0; }

TPdfWrite *TPdfCanvas::W() const { return contents_ ? &contents_->Writer() : nullptr; }

void TPdfCanvas::Op(const char *op)
{
    if (TPdfWrite *w = W())
        w->Add(op).Add('\n');
}

// ---- operators -------------------------------------------------------------------

void TPdfCanvas::GSave() { Op("q"); }
void TPdfCanvas::GRestore() { Op("Q"); }
void TPdfCanvas::Closepath() { Op("h"); }
void TPdfCanvas::NewPath() { Op("n"); }
void TPdfCanvas::Stroke() { Op("S"); }
void TPdfCanvas::Fill() { Op("f"); }
void TPdfCanvas::FillStroke() { Op("B"); }
void TPdfCanvas::Clip() { Op("W"); }
void TPdfCanvas::BeginText() { Op("BT"); }
void TPdfCanvas::EndText() { Op("ET"); }
void TPdfCanvas::MoveToNextLine() { Op("T*"); }

void TPdfCanvas::ConcatToCTM(double a, double b, double c, double d, double e, double f)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(a).AddWithSpace(b).AddWithSpace(c).AddWithSpace(d).AddWithSpace(e).AddWithSpace(f).Add("cm\n");
}

void TPdfCanvas::SetTextMatrix(double a, double b, double c, double d, double e, double f)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(a).AddWithSpace(b).AddWithSpace(c).AddWithSpace(d).AddWithSpace(e).AddWithSpace(f).Add("Tm\n");
}

void TPdfCanvas::SetDash(const std::vector<uint8_t> &lengths, int phase)
{
    TPdfWrite *w = W();
    if (!w)
        return;
    w->Add('[');
    for (const uint8_t len : lengths)
        w->AddWithSpace(static_cast<int32_t>(len));
    w->Add("] ").Add(static_cast<int32_t>(phase)).Add(" d\n");
}

void TPdfCanvas::SetLineWidth(double width)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(width).Add("w\n");
}

void TPdfCanvas::MoveTo(double x, double y)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(x).AddWithSpace(y).Add("m\n");
}

void TPdfCanvas::LineTo(double x, double y)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(x).AddWithSpace(y).Add("l\n");
}

void TPdfCanvas::CurveToC(double x1, double y1, double x2, double y2, double x3, double y3)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(x1).AddWithSpace(y1).AddWithSpace(x2).AddWithSpace(y2).AddWithSpace(x3).AddWithSpace(y3).Add(
            "c\n");
}

void TPdfCanvas::Rectangle(double x, double y, double width, double height)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(x).AddWithSpace(y).AddWithSpace(width).AddWithSpace(height).Add("re\n");
}

void TPdfCanvas::MoveTextPoint(double x, double y)
{
    if (TPdfWrite *w = W())
        w->AddWithSpace(x).AddWithSpace(y).Add("Td\n");
}

void TPdfCanvas::ExecuteXObject(const std::string &name)
{
    if (TPdfWrite *w = W())
        w->Add('/').AddEscapeName(name).Add(" Do\n");
}

void TPdfCanvas::SetRGBFillColor(plat::TColor color)
{
    if (TPdfWrite *w = W())
        w->AddColor(color).Add("rg\n");
}

void TPdfCanvas::SetRGBStrokeColor(plat::TColor color)
{
    if (TPdfWrite *w = W())
        w->AddColor(color).Add("RG\n");
}

// ---- compound drawing ---------------------------------------------------------------

void TPdfCanvas::Ellipse(double x, double y, double width, double height)
{
    if (!contents_)
        return;
    const double rx = width / 2, ry = height / 2, kx = kArc * rx, ky = kArc * ry;
    const double cx = x + rx, cy = y + ry;
    MoveTo(x, cy);
    CurveToC(x, cy - ky, cx - kx, y, cx, y);
    CurveToC(cx + kx, y, x + width, cy - ky, x + width, cy);
    CurveToC(x + width, cy + ky, cx + kx, y + height, cx, y + height);
    CurveToC(cx - kx, y + height, x, cy + ky, x, cy);
}

void TPdfCanvas::RoundRect(double x1, double y1, double x2, double y2, double cx, double cy)
{
    if (!contents_)
        return;
    const double left = std::min(x1, x2), right = std::max(x1, x2);
    const double bottom = std::min(y1, y2), top = std::max(y1, y2);
    const double rx = cx / 2, ry = cy / 2, kx = kArc * rx, ky = kArc * ry;
    MoveTo(left + rx, top);
    LineTo(right - rx, top);
    CurveToC(right - rx + kx, top, right, top - ry + ky, right, top - ry);
    LineTo(right, bottom + ry);
    CurveToC(right, bottom + ry - ky, right - rx + kx, bottom, right - rx, bottom);
    LineTo(left + rx, bottom);
    CurveToC(left + rx - kx, bottom, left, bottom + ry - ky, left, bottom + ry);
    LineTo(left, top - ry);
    CurveToC(left, top - ry + ky, left + rx - kx, top, left + rx, top);
    Closepath();
}

void TPdfCanvas::DrawXObject(const std::string &name, double x, double y, double width, double height)
{
    if (!doc_.GetXObject(name))
        throw EPdfInvalidValue(WithName("DrawXObject: unknown %s", name));
    auto *resources = page_ ? page_->ValueAs<TPdfDictionary>("Resources") : nullptr;
    auto *xobjects = resources ? resources->ValueAs<TPdfDictionary>("XObject") : nullptr;
    if (!xobjects)
        throw EPdfInvalidValue("DrawXObject: no XObject");
    if (!xobjects->ValueByName(name))
        xobjects->AddItem(name, doc_.GetXObject(name));
    GSave();
    ConcatToCTM(width, 0, 0, height, x, y);
    ExecuteXObject(name);
    GRestore();
}

void TPdfCanvas::RectangleI(const plat::TRect &r)
{
    const int left = std::min(r.Left, r.Right), top = std::min(r.Top, r.Bottom);
    const double w = (double(std::max(r.Left, r.Right)) - left) * ScaleX;
    const double h = (double(std::max(r.Top, r.Bottom)) - top) * ScaleY;
    Rectangle(I2X(left), I2Y(top) - h, w, h);
}

void TPdfCanvas::EllipseI(const plat::TRect &r)
{
    const int left = std::min(r.Left, r.Right), top = std::min(r.Top, r.Bottom);
    const double w = (double(std::max(r.Left, r.Right)) - left) * ScaleX;
    const double h = (double(std::max(r.Top, r.Bottom)) - top) * ScaleY;
    Ellipse(I2X(left), I2Y(top) - h, w, h);
}

void TPdfCanvas::RoundRectI(const plat::TRect &r, int cx, int cy)
{
    RoundRect(I2X(r.Left), I2Y(r.Top), I2X(r.Right), I2Y(r.Bottom), std::fabs(cx * ScaleX), std::fabs(cy * ScaleY));
}

// ---- fonts ------------------------------------------------------------------------------

TPdfFont *TPdfCanvas::CurrentFont() const { return page_ ? page_->Font() : nullptr; }

double TPdfCanvas::CurrentFontSize() const { return page_ ? page_->FontSize() : 0; }

TPdfFont *TPdfCanvas::SetFont(const std::string &name, int style, int charSet, double size)
{
    static const char *const pairs[3][2] = {{"Helvetica", "Arial"}, {"Courier", "Courier New"},
                                            {"Times", "Times New Roman"}};
    if (doc_.StandardFontsReplace && doc_.CharSet() == 0) {
        for (const auto &pair : pairs) {
            if (!SameTextU(name, pair[0]) && !SameTextU(name, pair[1]))
                continue;
            const bool times = std::string(pair[0]) == "Times";
            static const char *const plain[4] = {"", "-Bold", "-Oblique", "-BoldOblique"};
            static const char *const serif[4] = {"-Roman", "-Bold", "-Italic", "-BoldItalic"};
            const std::string full = std::string(pair[0]) + (times ? serif : plain)[style & 3];
            TPdfFont *found = nullptr;
            for (const auto &f : doc_.FontList()) {
                auto *font = dynamic_cast<TPdfFont *>(f.get());
                if (font && !font->IsTrueType() && font->BaseFont() == full)
                    found = font;
            }
            if (!found)
                found = TPdfFont::Register(doc_, TPdfFontType1::Create(doc_, full));
            SetPDFFont(found, size);
            return found;
        }
    }

    const TUtf8TextDynArray &families = doc_.TrueTypeFonts();
    int pos = FindUtf8Text(families, name, true);
    if (pos < 0) {
        for (const auto &pair : pairs)
            if (SameTextU(name, pair[0]))
                pos = FindUtf8Text(families, pair[1], true);
    }
    if (pos < 0)
        pos = FindUtf8Text(families, "Arial");
    if (pos < 0)
        throw EPdfInvalidValue(WithName("SetFont %s", name));
    if (charSet < 0)
        charSet = doc_.CharSet();

    TPdfFontTrueType *font = nullptr;
    for (const auto &f : doc_.FontList()) {
        auto *t = dynamic_cast<TPdfFontTrueType *>(f.get());
        if (t && !t->IsUnicode() && t->FamilyPos() == pos + 1 && t->Style() == style && t->CharSet() == charSet)
            font = t;
    }
    if (!font) {
        plat::emf::TEmrLogFont lf;
        lf.Height = -1000;
        lf.Weight = (style & pfsBold) ? 700 : 400;
        lf.Italic = (style & pfsItalic) ? 1 : 0;
        lf.Underline = (style & pfsUnderline) ? 1 : 0;
        lf.StrikeOut = (style & pfsStrikeOut) ? 1 : 0;
        lf.CharSet = static_cast<uint8_t>(charSet);
        lf.FaceName = Utf8ToUtf16(families[size_t(pos)]);
        auto created = TPdfFontTrueType::Create(doc_, lf, style, charSet, pos + 1);
        if (!created)
            throw EPdfInvalidValue(WithName("SetFont %s", name));
        font = static_cast<TPdfFontTrueType *>(TPdfFont::Register(doc_, std::move(created)));
    }
    SetPDFFont(font, size);
    return font;
}

TPdfFont *TPdfCanvas::SetFont(const plat::emf::TEmrLogFont &logFont, double size)
{
    for (const auto &f : doc_.FontList()) {
        auto *t = dynamic_cast<TPdfFontTrueType *>(f.get());
        if (t && !t->IsUnicode() && t->LogFont().Weight == logFont.Weight &&
            (t->LogFont().Italic != 0) == (logFont.Italic != 0) &&
            Utf16ICompare(t->LogFont().FaceName, logFont.FaceName) == 0) {
            SetPDFFont(t, size);
            return t;
        }
    }
    int style = 0;
    if (logFont.Italic)
        style |= pfsItalic;
    if (logFont.Underline)
        style |= pfsUnderline;
    if (logFont.StrikeOut)
        style |= pfsStrikeOut;
    if (logFont.Weight >= 600)
        style |= pfsBold;
    return SetFont(Utf16ToUtf8(logFont.FaceName), style, logFont.CharSet, size);
}

void TPdfCanvas::SetPDFFont(TPdfFont *font, double size)
{
    if (!page_ || !font || (font == page_->Font() && size == page_->FontSize()))
        return;
    page_->SetFontSize(size);
    auto *resources = page_->ValueAs<TPdfDictionary>("Resources");
    auto *fonts = resources ? resources->ValueAs<TPdfDictionary>("Font") : nullptr;
    if (fonts && !fonts->ValueByName(font->ResourceName()))
        fonts->AddItem(font->ResourceName(), font->Data());
    if (TPdfWrite *w = W())
        w->Add('/').AddEscapeName(font->ResourceName()).Add(' ').AddWithSpace(size).Add("Tf\n");
    page_->SetFont(font);
}

double TPdfCanvas::TextWidth(const std::u16string &text)
{
    TPdfFont *font = CurrentFont();
    if (!font)
        return 0;
    int64_t sum = 0;
    if (auto *ttf = dynamic_cast<TPdfFontTrueType *>(font)) {
        TPdfFontTrueType *ansi = ttf->WinAnsiFont();
        for (const char16_t c : text) {
            const int code = PdfWinAnsiCode(c);
            sum += code >= 0 ? ansi->CodeWidth(static_cast<uint8_t>(code)) : ansi->UseWide(c).Width;
        }
    } else {
        for (const char16_t c : text) {
            const int code = PdfWinAnsiCode(c);
            sum += font->CodeWidth(static_cast<uint8_t>(code >= 0 ? code : '?'));
        }
    }
    return static_cast<double>(sum) * CurrentFontSize() / 1000.0;
}

void TPdfCanvas::TextRun(TPdfFontTrueType *ttf, TPdfFont *font, const std::u16string &text, bool nextLine)
{
    TPdfWrite *w = W();
    if (!w)
        return;
    const double size = CurrentFontSize();
    const char *firstEnd = nextLine ? " '\n" : " Tj\n";
    size_t i = 0;
    while (i < text.size()) {
        const bool coded = !ttf || PdfWinAnsiCode(text[i]) >= 0;
        size_t j = i;
        if (coded) {
            while (j < text.size() && (!ttf || PdfWinAnsiCode(text[j]) >= 0))
                ++j;
            TPdfFont *target = ttf ? ttf->WinAnsiFont() : font;
            if (CurrentFont() != target)
                SetPDFFont(target, size);
            w->Add('(');
            for (size_t k = i; k < j; ++k) {
                int code = PdfWinAnsiCode(text[k]);
                if (code < 0)
                    code = '?';
                if (code == 160)
                    code = 32;
                if (code == '(' || code == ')' || code == '\\')
                    w->Add('\\');
                w->Add(static_cast<char>(code));
                SetBit(target->Used.data(), unsigned(code));
            }
            w->Add(')');
        } else {
            while (j < text.size() && (PdfWinAnsiCode(text[j]) < 0 || IsBlank(text[j])))
                ++j;
            // Blanks belong to a Unicode run only between its characters.
            while (j > i + 1 && IsBlank(text[j - 1]))
                --j;
            TPdfFontTrueType *u = ttf->UnicodeFont();
            if (CurrentFont() != u)
                SetPDFFont(u, size);
            w->Add('<');
            for (size_t k = i; k < j; ++k)
                w->AddHex4(u->UseWide(text[k]).Glyph);
            w->Add('>');
        }
        w->Add(firstEnd);
        firstEnd = " Tj\n";
        i = j;
    }
}

void TPdfCanvas::AddUnicodeHexText(const std::u16string &text, bool nextLine)
{
    TPdfFont *font = CurrentFont();
    if (!font || !contents_)
        return;
    auto *ttf = dynamic_cast<TPdfFontTrueType *>(font);
    if (ttf && doc_.UseComplexScripts) {
        for (const TPdfShapedItem &item : PdfShaper()(text, RightToLeft, ttf->Face())) {
            if (item.Glyphs.empty())
                TextRun(ttf, font, item.Text, nextLine);
            else
                ShowGlyphs(item.Glyphs);
            nextLine = false;
        }
        return;
    }
    TextRun(ttf, font, text, nextLine);
}

void TPdfCanvas::ShowGlyphs(const std::vector<uint16_t> &glyphs)
{
    auto *ttf = dynamic_cast<TPdfFontTrueType *>(CurrentFont());
    TPdfWrite *w = W();
    if (!ttf || !w)
        return;
    TPdfFontTrueType *u = ttf->UnicodeFont();
    if (CurrentFont() != u)
        SetPDFFont(u, CurrentFontSize());
    w->Add('<');
    for (const uint16_t g : glyphs) {
        w->AddHex4(g);
        u->UseGlyph(g);
    }
    w->Add("> Tj\n");
}
