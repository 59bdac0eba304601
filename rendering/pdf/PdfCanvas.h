#pragma once
// The canvas that writes the content stream of the document's current page:
// graphics-state, path, colour, text and image operators with coordinates in
// PDF points, and the choice of the fonts that text needs. The metafile
// conversion sets its mapping fields and draws through its integer variants.
#include "platform/core/Types.h"
#include "platform/metafile/EmfRecords.h"
#include "rendering/pdf/PdfObjects.h"

#include <cstdint>
#include <string>
#include <vector>

class TPdfPage;
class TPdfFont;
class TPdfFontTrueType;

namespace plat {
class TMetafile;
}

class TPdfCanvas {
public:
    explicit TPdfCanvas(TPdfDocument &document);
    virtual ~TPdfCanvas() = default;
    TPdfCanvas(const TPdfCanvas &) = delete;
    TPdfCanvas &operator=(const TPdfCanvas &) = delete;

    // Points the canvas at a page (nullptr: none, as after a new document).
    virtual void SetPage(TPdfPage *page);
    TPdfPage *Page() const { return page_; }
    // The page's "Contents" stream, nullptr without a page.
    TPdfStream *Contents() const { return contents_; }
    TPdfDocument &Document() const { return doc_; }
    // The fourth number of the page's "MediaBox"; 0 without a page.
    int32_t PageHeight() const;

    // ---- operators; each writes nothing without a content stream
    void GSave();
    void GRestore();
    void ConcatToCTM(double a, double b, double c, double d, double e, double f);
    // Dash lengths and phase; an empty list is a solid line.
    void SetDash(const std::vector<uint8_t> &lengths, int phase);
    void SetLineWidth(double width);
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void CurveToC(double x1, double y1, double x2, double y2, double x3, double y3);
    void Rectangle(double x, double y, double width, double height);
    void Closepath();
    void NewPath();
    void Stroke();
    void Fill();
    void FillStroke();
    void Clip();
    void BeginText();
    void EndText();
    void MoveTextPoint(double x, double y);
    void SetTextMatrix(double a, double b, double c, double d, double e, double f);
    void MoveToNextLine();
    void ExecuteXObject(const std::string &name);
    void SetRGBFillColor(plat::TColor color);
    void SetRGBStrokeColor(plat::TColor color);

    // ---- compound drawing
    // The ellipse in the box whose lower-left corner is (x, y).
    void Ellipse(double x, double y, double width, double height);
    // A rectangle given by two corners with corners rounded by cx x cy.
    void RoundRect(double x1, double y1, double x2, double y2, double cx, double cy);
    // A known image drawn into the box whose lower-left corner is (x, y).
    void DrawXObject(const std::string &name, double x, double y, double width, double height);

    // ---- metafile units, mapped through the fields below
    double I2X(double x) const { return x * ScaleX + OffsetX; }
    double I2Y(double y) const { return OffsetY - y * ScaleY; }
    void MoveToI(int x, int y) { MoveTo(I2X(x), I2Y(y)); }
    void LineToI(int x, int y) { LineTo(I2X(x), I2Y(y)); }
    // The box of (left, top, right, bottom), corners in any order.
    void RectangleI(const plat::TRect &r);
    void EllipseI(const plat::TRect &r);
    void RoundRectI(const plat::TRect &r, int cx, int cy);

    // ---- fonts and text
    // By family name and pfs* style bits; a negative character set means the
    // document's. Raises EPdfInvalidValue "SetFont %s" when neither the name
    // nor "Arial" is installed.
    TPdfFont *SetFont(const std::string &name, int style, int charSet, double size);
    // By a logical-font record, reusing a WinAnsi TrueType font of the same
    // weight, italic flag and face name.
    TPdfFont *SetFont(const plat::emf::TEmrLogFont &logFont, double size);
    // Writes "Tf" when the font or the size changes.
    void SetPDFFont(TPdfFont *font, double size);
    TPdfFont *CurrentFont() const;
    double CurrentFontSize() const;
    // Width of the text in points in the current font (0 without one).
    double TextWidth(const std::u16string &text);
    // Writes the text in the current font as WinAnsi runs and Unicode runs.
    void AddUnicodeHexText(const std::u16string &text, bool nextLine = false);
    // Writes glyph numbers through the current font's Unicode descendant.
    void ShowGlyphs(const std::vector<uint16_t> &glyphs);

    // Draws the page onto the current page at (x, y) points from the top
    // left, scaled. What was drawn stays when a record raises; the error
    // then goes on to the caller.
    void RenderMetaFile(const plat::TMetafile &metafile, double x = 0, double y = 0, double scale = 1.0);

    // 72 / the document's pixels per inch.
    float DevScale;
    // Metafile point (x, y) -> (x * ScaleX + OffsetX, OffsetY - y * ScaleY).
    float ScaleX, ScaleY, OffsetX = 0, OffsetY = 0;
    // Where the rendered picture lies on the page.
    float PictureX = 0, PictureY = 0;
    bool RightToLeft = false;

private:
    TPdfWrite *W() const;
    void Op(const char *op);
    void TextRun(TPdfFontTrueType *ttf, TPdfFont *font, const std::u16string &text, bool nextLine);

    TPdfDocument &doc_;
    TPdfPage *page_ = nullptr;
    TPdfStream *contents_ = nullptr;
};
