// The canvas's operators byte for byte, and the conversion of recorded pages
// into them: each small page with the operators it must and must not give.
#include "PdfPageSupport.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Fonts.h"
#include "rendering/pdf/PdfEnum.h"
#include "rendering/pdf/PdfFonts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <regex>

using namespace pdftest;
using namespace plat;
namespace emf = plat::emf;

namespace {

// ---- operators ------------------------------------------------------------------

struct TOperatorCase {
    const char *name;
    std::function<void(TPdfCanvas &)> draw;
    const char *expected;
};

const TOperatorCase kOperators[] = {
    {"state", [](TPdfCanvas &c) { c.GSave(); c.GRestore(); }, "q\nQ\n"},
    {"matrix", [](TPdfCanvas &c) { c.ConcatToCTM(1, 0, 0, 1.5, 10.25, -3); }, "1 0 0 1.5 10.25 -3 cm\n"},
    {"solid dash", [](TPdfCanvas &c) { c.SetDash({}, 0); }, "[] 0 d\n"},
    {"dash array", [](TPdfCanvas &c) { c.SetDash({4, 1, 1, 1}, 2); }, "[4 1 1 1 ] 2 d\n"},
    {"line width", [](TPdfCanvas &c) { c.SetLineWidth(0.75); }, "0.75 w\n"},
    {"tiny numbers are 0", [](TPdfCanvas &c) { c.MoveTo(0.004, -0.001); }, "0 0 m\n"},
    {"path", [](TPdfCanvas &c) { c.MoveTo(1, 2); c.LineTo(3, 4); c.CurveToC(1, 2, 3, 4, 5, 6); c.Closepath(); c.NewPath(); },
     "1 2 m\n3 4 l\n1 2 3 4 5 6 c\nh\nn\n"},
    {"painting", [](TPdfCanvas &c) { c.Rectangle(1, 2, 3, 4); c.Stroke(); c.Fill(); c.FillStroke(); c.Clip(); },
     "1 2 3 4 re\nS\nf\nB\nW\n"},
    {"colours", [](TPdfCanvas &c) { c.SetRGBFillColor(RGB(255, 0, 51)); c.SetRGBStrokeColor(RGB(0, 128, 255)); },
     "1 0 0.2 rg\n0 0.5 1 RG\n"},
    {"text", [](TPdfCanvas &c) { c.BeginText(); c.MoveTextPoint(7.5, 800); c.SetTextMatrix(0, 1, -1, 0, 5, 6); c.MoveToNextLine(); c.EndText(); },
     "BT\n7.5 800 Td\n0 1 -1 0 5 6 Tm\nT*\nET\n"},
    {"image", [](TPdfCanvas &c) { c.ExecuteXObject("Syn1"); }, "/Syn1 Do\n"},
    // k = 0.5522847771644592; rx = 50, ry = 25: k*rx = 27.61, k*ry = 13.81.
    {"ellipse 100 x 50", [](TPdfCanvas &c) { c.Ellipse(10, 20, 100, 50); },
     "10 45 m\n"
     "10 31.19 32.39 20 60 20 c\n"
     "87.61 20 110 31.19 110 45 c\n"
     "110 58.81 87.61 70 60 70 c\n"
     "32.39 70 10 58.81 10 45 c\n"},
    // Corners 20 x 10: rx = 10, ry = 5, k*rx = 5.52, k*ry = 2.76.
    {"rounded rectangle", [](TPdfCanvas &c) { c.RoundRect(100, 50, 0, 0, 20, 10); },
     "10 50 m\n90 50 l\n95.52 50 100 47.76 100 45 c\n100 5 l\n100 2.24 95.52 0 90 0 c\n10 0 l\n"
     "4.48 0 0 2.24 0 5 c\n0 45 l\n0 47.76 4.48 50 10 50 c\nh\n"},
};

TEST(PdfCanvasOperators, WriteExactBytes)
{
    for (const TOperatorCase &tc : kOperators) {
        TPdfDocument doc;
        doc.AddPage();
        tc.draw(doc.Canvas());
        EXPECT_EQ(Content(doc), tc.expected) << tc.name;
    }
}

TEST(PdfCanvasOperators, WriteNothingWithoutAContentStream)
{
    TPdfDocument doc;
    ASSERT_EQ(doc.Canvas().Contents(), nullptr);
    for (const TOperatorCase &tc : kOperators)
        tc.draw(doc.Canvas());  // must neither write nor crash
    doc.Canvas().AddUnicodeHexText(u"text");
    SUCCEED();
}

TEST(PdfCanvasOperators, DrawXObjectChecksTheImageAndItsResources)
{
    TPdfDocument doc;
    doc.AddPage();
    try {
        doc.Canvas().DrawXObject("Nope", 0, 0, 1, 1);
        FAIL();
    } catch (const EPdfInvalidValue &e) {
        EXPECT_STREQ(e.what(), "DrawXObject: unknown Nope");
    }
    auto *image = new TPdfXObject(doc, true);
    image->Attributes().AddNameItem("Type", "XObject");
    image->Attributes().AddNameItem("Subtype", "Image");
    doc.AddXObject("Syn1", image);
    doc.Canvas().DrawXObject("Syn1", 1, 2, 30, 40);
    doc.Canvas().DrawXObject("Syn1", 1, 2, 30, 40);
    EXPECT_EQ(Content(doc), "q\n30 0 0 40 1 2 cm\n/Syn1 Do\nQ\nq\n30 0 0 40 1 2 cm\n/Syn1 Do\nQ\n");
    auto *resources = doc.Pages()[0]->ValueAs<TPdfDictionary>("Resources");
    EXPECT_EQ(resources->ValueAs<TPdfDictionary>("XObject")->ItemCount(), 1);
    resources->RemoveItem("XObject");
    EXPECT_THROW(doc.Canvas().DrawXObject("Syn1", 1, 2, 30, 40), EPdfInvalidValue);
}

// ---- conversion -----------------------------------------------------------------

TEST(PdfConversion, OneRectangleGivesTheGoldenOperators)
{
    const TMetafile mf = RecordPage([](TCanvas &c) { c.Rectangle(10, 20, 110, 70); });
    EXPECT_EQ(Converted(mf), "q\n0 0 0 RG\n[] 0 d\n0.75 w\n1 1 1 rg\n7.5 789.5 75 37.5 re\nB\nQ\n");
}

TEST(PdfConversion, AnEmptyPageGivesOnlyTheSaveAndRestore)
{
    EXPECT_EQ(Converted(RecordPage([](TCanvas &) {})), "q\nQ\n");
    EXPECT_EQ(Converted(TMetafile()), "q\nQ\n");
}

int32_t FloatBits(float f)
{
    int32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

uint32_t Stock(uint32_t index) { return emf::ENHMETA_STOCK_OBJECT | index; }

void PenRecord(emf::TEmfWriter &w, uint32_t handle, uint32_t style, int width, TColor color)
{
    w.Record(emf::EMR_CREATEPEN, {int32_t(handle), int32_t(style), width, 0, int32_t(color)});
    w.Record(emf::EMR_SELECTOBJECT, {int32_t(handle)});
}

void TextLine(TCanvas &c, int x, int y, const char *text, unsigned align = TA_LEFT | TA_TOP)
{
    c.Font().SetName("Calibri");
    c.Font().SetHeight(-20);
    c.SetTextAlign(align);
    c.SetBkMode(TRANSPARENT);
    c.TextOut(x, y, text);
}

struct TPageCase {
    const char *name;
    std::function<TMetafile()> page;
    std::vector<std::string> must;     // in this order
    std::vector<std::string> mustNot;
};

// Ascent and width of "Ab" in Calibri (Carlito) at an em of 20 units.
int AscentAt20() { return TScaledFont(TFontProvider::Instance().Resolve("Calibri", false, false), -20, false, false).Metrics().tmAscent; }
int WidthAt20(const char *text) { return TScaledFont(TFontProvider::Instance().Resolve("Calibri", false, false), -20, false, false).TextWidth(text); }

std::string Num(double v) { return PdfRealText(v); }

const std::vector<TPageCase> &PageCases()
{
    static const std::vector<TPageCase> cases = {
        {"two lines are one path, stroked once when the next record comes",
         [] { return RecordPage([](TCanvas &c) { c.MoveTo(10, 10); c.LineTo(20, 10); c.LineTo(20, 30); c.Rectangle(0, 0, 1, 1); }); },
         {"7.5 834.5 m\n15 834.5 l\n15 819.5 l\nS\n"}, {"15 834.5 m"}},
        {"a line that starts at (0, 0) has its start",
         [] { return RecordPage([](TCanvas &c) { c.MoveTo(0, 0); c.LineTo(100, 100); }); },
         {"0 842 m\n75 767 l\nS\nQ\n"}, {}},
        {"a line with no move first starts at (0, 0)",
         [] { return WrittenPage([](emf::TEmfWriter &w) { w.Record(emf::EMR_LINETO, {40, 0}); }); },
         {"0 842 m\n30 842 l\nS\n"}, {}},
        {"a null pen draws no line and no polyline",
         [] { return RecordPage([](TCanvas &c) {
              c.Pen().SetStyle(psClear);
              c.MoveTo(10, 10); c.LineTo(20, 10);
              c.Polyline(std::vector<TPoint>{{1, 1}, {5, 5}, {9, 1}});
          }); },
         {"q\n"}, {" l\n", " m\n", "S\n"}},
        {"a null brush strokes only",
         [] { return RecordPage([](TCanvas &c) { c.Brush().SetStyle(bsClear); c.Rectangle(0, 0, 10, 10); }); },
         {" re\nS\n"}, {"B\n", "rg\n"}},
        {"a null pen fills only",
         [] { return RecordPage([](TCanvas &c) { c.Pen().SetStyle(psClear); c.Rectangle(0, 0, 10, 10); c.Ellipse(0, 0, 10, 10); }); },
         {" re\nf\n", " c\nf\n"}, {"B\n", "RG\n", " w\n"}},
        {"a pen of width 0 counts as null",
         [] { return WrittenPage([](emf::TEmfWriter &w) { PenRecord(w, 1, emf::PS_SOLID, 0, 0); w.Record(emf::EMR_RECTANGLE, {0, 0, 10, 10}); }); },
         {" re\nf\n"}, {"RG\n"}},
        {"with pen and brush null nothing closed is drawn",
         [] { return RecordPage([](TCanvas &c) {
              c.Pen().SetStyle(psClear); c.Brush().SetStyle(bsClear);
              c.Rectangle(0, 0, 10, 10); c.Ellipse(0, 0, 10, 10); c.RoundRect(0, 0, 10, 10, 2, 2);
              c.Polygon(std::vector<TPoint>{{1, 1}, {5, 5}, {9, 1}});
          }); },
         {}, {" re\n", " c\n", " l\n"}},
        {"a pattern fill with a null brush paints nothing",
         [] { return WrittenPage([](emf::TEmfWriter &w) { w.Record(emf::EMR_SELECTOBJECT, {int32_t(Stock(emf::NULL_BRUSH))}); w.PatBlt({0, 0, 10, 10}, {0, 0, 10, 10}); }); },
         {}, {" re\n", "f\n"}},
        {"a pattern fill paints the brush colour",
         [] { return WrittenPage([](emf::TEmfWriter &w) { w.Record(emf::EMR_SELECTOBJECT, {int32_t(Stock(emf::LTGRAY_BRUSH))}); w.PatBlt({0, 0, 10, 10}, {0, 0, 10, 20}); }); },
         {"n\n0.67 0.67 0.67 rg\n0 827 7.5 15 re\nf\n"}, {}},
        {"rectangles and ellipses order their corners",
         [] { return WrittenPage([](emf::TEmfWriter &w) {
              w.Record(emf::EMR_RECTANGLE, {110, 70, 10, 20});
              w.Record(emf::EMR_ELLIPSE, {110, 70, 10, 20});
          }); },
         {"7.5 789.5 75 37.5 re\n", "7.5 808.25 m\n"}, {"-75"}},
        {"a polygon closes and paints; a polyline strokes",
         [] { return RecordPage([](TCanvas &c) {
              c.Polygon(std::vector<TPoint>{{0, 0}, {40, 0}, {40, 40}});
              c.Polyline(std::vector<TPoint>{{0, 0}, {40, 40}});
          }); },
         {"0 842 m\n30 842 l\n30 812 l\nh\nB\n", "0 842 m\n30 812 l\nS\n"}, {}},
        {"dashes by pen style",
         [] { return RecordPage([](TCanvas &c) {
              c.Brush().SetStyle(bsClear);
              for (TPenStyle s : {psDash, psDot, psDashDot, psDashDotDot, psSolid}) { c.Pen().SetStyle(s); c.Rectangle(0, 0, 10, 10); }
          }); },
         {"[4 4 ] 0 d\n", "[1 1 ] 0 d\n", "[4 1 1 1 ] 0 d\n", "[4 1 1 1 1 1 ] 0 d\n", "[] 0 d\n"}, {}},
        {"colours and widths are written only when they change",
         [] { return RecordPage([](TCanvas &c) { c.Rectangle(0, 0, 10, 10); c.Rectangle(20, 20, 30, 30); }); },
         {"0 0 0 RG\n[] 0 d\n0.75 w\n1 1 1 rg\n0 834.5 7.5 7.5 re\nB\n15 819.5 7.5 7.5 re\nB\n"}, {}},
        {"one fill colour serves text and brush: a white box after black text fills white",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 10, 10, "Ab"); c.Rectangle(0, 0, 10, 10); }); },
         {"0 0 0 rg\n", "ET\n", "1 1 1 rg\n", " re\nB\n"}, {}},
        {"stock objects",
         [] { return WrittenPage([](emf::TEmfWriter &w) {
              w.Record(emf::EMR_SELECTOBJECT, {int32_t(Stock(emf::DKGRAY_BRUSH))});
              w.Record(emf::EMR_SELECTOBJECT, {int32_t(Stock(emf::WHITE_PEN))});
              w.Record(emf::EMR_RECTANGLE, {0, 0, 10, 10});
              w.Record(emf::EMR_SELECTOBJECT, {int32_t(Stock(emf::NULL_PEN))});
              w.Record(emf::EMR_RECTANGLE, {0, 0, 10, 10});
          }); },
         {"1 1 1 RG\n", "0.4 0.4 0.4 rg\n", "re\nB\n", "re\nf\n"}, {}},
        {"the 0.01 mm mapping",
         [] { return RecordPage([](TCanvas &c) {
              c.SetMapMode(MM_ANISOTROPIC); c.SetWindowExtEx(21000, 29700); c.SetViewportExtEx(794, 1123);
              c.Rectangle(1000, 2000, 3000, 4000);
          }); },
         // x 1000 * 794 / 21000 * 0.75 = 28.36; y 842 - 4000 * 1123 / 29700 * 0.75 = 728.57
         {"28.36 728.57 56.71 56.72 re\n"}, {}},
        {"a window origin moves the picture",
         [] { return RecordPage([](TCanvas &c) { c.SetWindowOrgEx(100, 50); c.Rectangle(100, 50, 200, 150); }); },
         {"0 767 75 75 re\n"}, {}},
        {"a viewport origin moves it the other way",
         [] { return RecordPage([](TCanvas &c) { c.SetViewportOrgEx(40, 20); c.Rectangle(0, 0, 100, 100); }); },
         {"30 752 75 75 re\n"}, {}},
        {"an extent of 0 is ignored",
         [] { return WrittenPage([](emf::TEmfWriter &w) {
              w.Record(emf::EMR_SETWINDOWEXTEX, {0, 0}); w.Record(emf::EMR_SETVIEWPORTEXTEX, {0, 5});
              w.Record(emf::EMR_RECTANGLE, {0, 0, 100, 100});
          }); },
         {"0 767 75 75 re\n"}, {"nan", "inf"}},
        {"a world transform scales and moves",
         [] { return WrittenPage([](emf::TEmfWriter &w) {
              w.Record(emf::EMR_SETWORLDTRANSFORM, {FloatBits(2), 0, 0, FloatBits(2), FloatBits(10), FloatBits(20)});
              w.Record(emf::EMR_RECTANGLE, {0, 0, 100, 100});
          }); },
         {"7.5 677 150 150 re\n"}, {}},
        {"an eleventh nested save keeps the state its restore would drop",
         [] { return WrittenPage([](emf::TEmfWriter &w) {
              for (int i = 0; i < 11; ++i) w.Record(emf::EMR_SAVEDC, {});
              PenRecord(w, 1, emf::PS_SOLID, 1, RGB(255, 0, 0));
              w.Record(emf::EMR_RESTOREDC, {-1});
              w.Record(emf::EMR_RECTANGLE, {0, 0, 10, 10});
              for (int i = 0; i < 12; ++i) w.Record(emf::EMR_RESTOREDC, {-1});  // one with nothing saved
              w.Record(emf::EMR_RECTANGLE, {0, 0, 10, 10});
          }); },
         {"1 0 0 RG\n", " re\nB\n", "0 0 0 RG\n", " re\nB\nQ\n"}, {}},
        {"a free slot selected ends the page; what was drawn stays",
         [] { return WrittenPage([](emf::TEmfWriter &w) {
              w.Record(emf::EMR_MOVETOEX, {0, 0}); w.Record(emf::EMR_LINETO, {10, 10});
              w.Record(emf::EMR_SELECTOBJECT, {3});
              w.Record(emf::EMR_RECTANGLE, {0, 0, 10, 10});
          }); },
         {"0 842 m\n7.5 834.5 l\nS\nQ\n"}, {" re\n"}},
        {"top-aligned text starts its baseline at the ascent",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 10, 20, "Ab"); }); },
         {"/F0 15 Tf\n", "BT\n7.5 " + Num(842 - (20 + AscentAt20()) * 0.75) + " Td\n(Ab) Tj\nET\n"}, {"Tm\n"}},
        {"right-aligned text ends at its reference point",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 100, 20, "Ab", TA_RIGHT | TA_BASELINE); }); },
         {"BT\n" + Num((100 - WidthAt20("Ab")) * 0.75) + " 827 Td\n"}, {}},
        {"centred text at the bottom",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 100, 20, "Ab", TA_CENTER | TA_BOTTOM); }); },
         {"BT\n" + Num((100 - WidthAt20("Ab") / 2.0) * 0.75) + " " +
          Num(842 - (20 - TScaledFont(TFontProvider::Instance().Resolve("Calibri", false, false), -20, false, false).Metrics().tmDescent) * 0.75) + " Td\n"}, {}},
        {"rotated text gets a text matrix",
         [] { return RecordPage([](TCanvas &c) { c.Font().SetOrientation(900); TextLine(c, 100, 200, "Ab", TA_BASELINE); }); },
         {"BT\n0 1 -1 0 75 692 Tm\n(Ab) Tj\n"}, {"Td\n"}},
        {"underline and strike-out in the text colour",
         [] { return RecordPage([](TCanvas &c) {
              c.Font().SetColor(RGB(0, 0, 255)); c.Font().SetStyle(fsUnderline | fsStrikeOut);
              TextLine(c, 0, 100, "Ab", TA_BASELINE);
          }); },
         // size 15: width 1, 1.88 below the baseline at 767, 5 above it.
         {"ET\n0 0 1 RG\n[] 0 d\n1 w\n0 765.13 m\n", "S\n0 772 m\n", "S\n"}, {}},
        {"clipped text: Q forgets the colours and the font",
         [] { return RecordPage([](TCanvas &c) {
              c.Font().SetName("Calibri"); c.Font().SetHeight(-20); c.SetBkMode(TRANSPARENT);
              c.TextRect(Rect(0, 0, 100, 40), 2, 2, "Ab");
              c.TextRect(Rect(0, 0, 100, 40), 2, 2, "Ab");
              c.Rectangle(0, 0, 10, 10);
          }); },
         {"q\n0 842 m\n0 812.75 l\n74.25 812.75 l\n74.25 842 l\nh\nW\nn\nBT\n", "Q\n/F0 15 Tf\n", "1 1 1 rg\n",
          "0 0 0 rg\n", "Q\n0 0 0 RG\n"}, {}},
        {"the same font at the same size is set once",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 0, 0, "Ab"); TextLine(c, 0, 30, "Cd"); }); },
         {"/F0 15 Tf\n", "(Ab) Tj\n", "(Cd) Tj\n"}, {"(Ab) Tj\nET\n/F0"}},
        {"parentheses and backslashes are escaped; a no-break space is a blank",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 0, 0, "A(b)\\\xC2\xA0" "c"); }); },
         {"(A\\(b\\)\\\\ c) Tj\n"}, {}},
        {"the euro sign stays WinAnsi; Greek switches to the descendant and back",
         [] { return RecordPage([](TCanvas &c) { TextLine(c, 0, 0, "\xE2\x82\xAC" "a\xCE\xB1\xCE\xB2 b"); }); },
         {"(\x80" "a) Tj\n/F1 15 Tf\n<", "> Tj\n/F0 15 Tf\n( b) Tj\n"}, {}},
    };
    return cases;
}

TEST(PdfConversion, SmallPagesGiveTheirOperators)
{
    for (const TPageCase &tc : PageCases()) {
        const std::string out = Converted(tc.page());
        size_t at = 0;
        for (const std::string &m : tc.must) {
            const size_t found = out.find(m, at);
            EXPECT_NE(found, std::string::npos) << tc.name << ": no (more) \"" << m << "\" in\n" << out;
            if (found != std::string::npos)
                at = found + m.size();
        }
        for (const std::string &m : tc.mustNot)
            EXPECT_EQ(out.find(m), std::string::npos) << tc.name << ": \"" << m << "\" in\n" << out;
        EXPECT_EQ(out.substr(0, 2), "q\n") << tc.name;
        EXPECT_EQ(out.substr(out.size() - 2), "Q\n") << tc.name;
    }
}

TEST(PdfConversion, ARecordThatRaisesStillClosesThePictureAndReachesTheCaller)
{
    // A font of 400 points is more than a PDF font size may be.
    const TMetafile mf = RecordPage([](TCanvas &c) {
        c.MoveTo(0, 0);
        c.LineTo(10, 10);
        c.Font().SetHeight(-600);
        c.TextOut(0, 0, "x");
    });
    TPdfDocument doc;
    doc.AddPage();
    EXPECT_THROW(doc.Canvas().RenderMetaFile(mf), EPdfInvalidValue);
    const std::string out = Content(doc);
    EXPECT_NE(out.find("7.5 834.5 l\nS\n"), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - 2), "Q\n");
    EXPECT_NO_THROW(SaveToString(doc));
}

TEST(PdfConversion, AScaleAndAPlaceMoveThePicture)
{
    const TMetafile mf = RecordPage([](TCanvas &c) { c.Rectangle(0, 0, 100, 100); });
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(mf, 10, 20, 0.5);
    // The viewport is the page in whole pixels at half size: 397 x 562 of 794 x 1123.
    EXPECT_NE(Content(doc).find("10 824.47 37.5 37.53 re\n"), std::string::npos) << Content(doc);
}

} // namespace
