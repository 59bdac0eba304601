// Canvas semantics checked pixel by pixel on tiny images.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"

#include <gtest/gtest.h>

using namespace plat;

namespace {

struct Surface {
    QImage image;
    TCanvas canvas;
    explicit Surface(int w = 12, int h = 10) : image(w, h, QImage::Format_RGB32), canvas(&image)
    {
        image.fill(Qt::white);
    }
    TColor At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
    // Rows of the image as text: '.' white, '#' black, '?' anything else.
    std::string Map() const
    {
        std::string s;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const TColor c = At(x, y);
                s += c == clWhite ? '.' : c == clBlack ? '#' : '?';
            }
            s += '\n';
        }
        return s;
    }
};

} // namespace

TEST(CanvasLines, LineToLeavesOutTheEndPixel)
{
    struct Case { int x1, y1, x2, y2; };
    for (const Case c : {Case{1, 1, 8, 1}, Case{2, 0, 2, 7}, Case{0, 0, 6, 6}, Case{9, 8, 3, 2}, Case{10, 1, 1, 4}}) {
        Surface s;
        s.canvas.MoveTo(c.x1, c.y1);
        s.canvas.LineTo(c.x2, c.y2);
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2);
        EXPECT_EQ(s.At(c.x1, c.y1), clBlack);
        EXPECT_EQ(s.At(c.x2, c.y2), clWhite);
        // Every pixel of the line but the last is set: a count of max(|dx|, |dy|).
        int black = 0;
        for (int y = 0; y < s.image.height(); ++y)
            for (int x = 0; x < s.image.width(); ++x)
                black += s.At(x, y) == clBlack;
        EXPECT_EQ(black, std::max(std::abs(c.x2 - c.x1), std::abs(c.y2 - c.y1)));
        EXPECT_EQ(s.canvas.PenPos(), Point(c.x2, c.y2));
    }
}

TEST(CanvasLines, ConsecutiveLinesCloseAFrameWithoutGaps)
{
    Surface s(6, 5);
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(5, 0);
    s.canvas.LineTo(5, 4);
    s.canvas.LineTo(0, 4);
    s.canvas.LineTo(0, 0);
    EXPECT_EQ(s.Map(), "######\n"
                       "#....#\n"
                       "#....#\n"
                       "#....#\n"
                       "######\n");
}

TEST(CanvasLines, DottedPenAlternatesAndPaintsGapsOnlyWhenOpaque)
{
    Surface s(14, 2);
    s.canvas.Pen().SetStyle(psDot);
    s.canvas.Brush().SetStyle(bsClear);  // background mode becomes transparent
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(13, 0);
    EXPECT_EQ(s.Map(), "###...###...#.\n"
                       "..............\n");

    Surface o(8, 1);
    o.canvas.Pen().SetStyle(psDot);
    o.canvas.Brush().SetColor(clRed);  // solid brush: opaque background in red
    o.canvas.MoveTo(0, 0);
    o.canvas.LineTo(7, 0);
    EXPECT_EQ(o.At(3, 0), clRed);
    EXPECT_EQ(o.At(2, 0), clBlack);
    EXPECT_EQ(o.At(7, 0), clWhite);
}

TEST(CanvasShapes, RectangleOutlineAndFillExcludeRightAndBottom)
{
    Surface s(8, 6);
    s.canvas.Brush().SetColor(clRed);
    s.canvas.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(s.Map(), "........\n"
                       ".#####..\n"
                       ".#???#..\n"
                       ".#???#..\n"
                       ".#####..\n"
                       "........\n");
    EXPECT_EQ(s.At(2, 2), clRed);
}

TEST(CanvasShapes, RectangleWithClearPenFillsOneLessEachWay)
{
    Surface s(6, 5);
    s.canvas.Pen().SetStyle(psClear);
    s.canvas.Brush().SetColor(clBlack);
    s.canvas.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(s.Map(), "......\n"
                       ".###..\n"
                       ".###..\n"
                       "......\n"
                       "......\n");
}

TEST(CanvasShapes, WidePenIsCentredOnTheOutline)
{
    Surface s(11, 11);
    s.canvas.Pen().SetWidth(3);
    s.canvas.Brush().SetStyle(bsClear);
    s.canvas.Rectangle(2, 2, 9, 9);
    // Outline path on columns and rows 2 and 8; a 3-pixel pen covers 1..3
    // and 7..9, leaving 4..6 inside.
    for (int i : {1, 2, 3, 7, 8, 9})
        EXPECT_EQ(s.At(i, 5), clBlack) << i;
    for (int i : {0, 4, 5, 6, 10})
        EXPECT_EQ(s.At(i, 5), clWhite) << i;
    EXPECT_EQ(s.At(9, 9), clBlack);
}

TEST(CanvasShapes, FillRectAndFrameRectUseTheBrushNotThePen)
{
    Surface s(7, 6);
    s.canvas.Pen().SetColor(clRed);
    s.canvas.Brush().SetColor(clBlack);
    s.canvas.FillRect(Rect(1, 1, 3, 3));
    s.canvas.FrameRect(Rect(3, 1, 7, 6));
    EXPECT_EQ(s.Map(), ".......\n"
                       ".######\n"
                       ".###..#\n"
                       "...#..#\n"
                       "...#..#\n"
                       "...####\n");
    // A clear brush fills nothing.
    s.canvas.Brush().SetStyle(bsClear);
    s.canvas.FillRect(Rect(0, 0, 7, 6));
    EXPECT_EQ(s.At(0, 0), clWhite);
}

TEST(CanvasShapes, PolygonFillsAndOutlines)
{
    Surface s(9, 9);
    s.canvas.Brush().SetColor(clRed);
    s.canvas.Polygon({Point(1, 1), Point(7, 1), Point(7, 7), Point(1, 7)});
    EXPECT_EQ(s.At(1, 1), clBlack);
    EXPECT_EQ(s.At(7, 7), clBlack);
    EXPECT_EQ(s.At(4, 4), clRed);
    EXPECT_EQ(s.At(8, 8), clWhite);
}

TEST(CanvasState, ClipRectanglesIntersectExcludeAndReset)
{
    Surface s(10, 4);
    s.canvas.Brush().SetColor(clBlack);
    s.canvas.IntersectClipRect(Rect(2, 0, 8, 4));
    s.canvas.ExcludeClipRect(Rect(4, 0, 6, 4));
    s.canvas.FillRect(Rect(0, 0, 10, 1));
    s.canvas.SetPixel(5, 2, clBlack);  // excluded
    s.canvas.SelectClipRect(nullptr);
    s.canvas.FillRect(Rect(0, 3, 10, 4));
    EXPECT_EQ(s.Map(), "..##..##..\n"
                       "..........\n"
                       "..........\n"
                       "##########\n");
}

TEST(CanvasState, SaveAndRestoreBringBackClipAndOrigin)
{
    Surface s(6, 3);
    s.canvas.Brush().SetColor(clBlack);
    const int level = s.canvas.SaveDC();
    EXPECT_EQ(level, 1);
    s.canvas.SetViewportOrgEx(1, 0);
    s.canvas.OffsetViewportOrgEx(1, 1);
    s.canvas.IntersectClipRect(Rect(0, 0, 1, 1));  // device (2,1)-(3,2)
    s.canvas.FillRect(Rect(0, 0, 6, 3));
    EXPECT_TRUE(s.canvas.RestoreDC(-1));
    EXPECT_FALSE(s.canvas.RestoreDC(-1));
    s.canvas.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(s.Map(), "#.....\n"
                       "..#...\n"
                       "......\n");
}

TEST(CanvasState, AnisotropicMappingScalesLogicalUnits)
{
    Surface s(10, 10);
    s.canvas.SetMapMode(MM_ANISOTROPIC);
    s.canvas.SetWindowExtEx(1000, 1000);
    s.canvas.SetViewportExtEx(10, 10);
    s.canvas.Brush().SetColor(clBlack);
    s.canvas.FillRect(Rect(200, 300, 500, 400));
    EXPECT_EQ(s.At(2, 3), clBlack);
    EXPECT_EQ(s.At(4, 3), clBlack);
    EXPECT_EQ(s.At(5, 3), clWhite);
    EXPECT_EQ(s.At(2, 4), clWhite);
    EXPECT_EQ(s.canvas.LPtoDP(Point(450, 50)), Point(5, 1));
}

TEST(CanvasText, TextRectFillsTheRectangleAndClipsTheText)
{
    Surface s(60, 30);
    s.canvas.Font().SetName("Arial");
    s.canvas.Font().SetHeight(-40);  // glyphs far larger than the rectangle
    s.canvas.Brush().SetColor(clRed);
    const TRect r = Rect(10, 5, 30, 15);
    s.canvas.TextRect(r, 8, 0, "WW");
    int red = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool in = r.Contains(Point(x, y));
            if (in && s.At(x, y) == clRed)
                ++red;
            if (!in && s.At(x, y) != clWhite)
                ++outside;
        }
    EXPECT_GT(red, 0);               // background filled
    EXPECT_LT(red, r.Width() * r.Height());  // and text drawn over it
    EXPECT_EQ(outside, 0);           // nothing leaks out of the rectangle

    // A clear brush leaves the background alone.
    Surface t(40, 20);
    t.canvas.Font().SetHeight(-8);
    t.canvas.Brush().SetColor(clRed);
    t.canvas.Brush().SetStyle(bsClear);
    t.canvas.TextRect(Rect(0, 0, 40, 20), 0, 0, " ");
    EXPECT_EQ(t.At(5, 5), clWhite);
}

TEST(CanvasText, TextOutMovesThePenByTheTextWidth)
{
    Surface s;
    s.canvas.Font().SetName("Calibri");
    s.canvas.Font().SetHeight(-16);
    const int w = s.canvas.TextWidth("Personalia");
    s.canvas.TextOut(3, 4, "Personalia");
    EXPECT_EQ(s.canvas.PenPos(), Point(3 + w, 4));
    EXPECT_GT(w, 0);
}

TEST(CanvasText, OpaqueBackgroundFillsTheTextCell)
{
    Surface s(80, 30);
    s.canvas.Font().SetHeight(-16);
    s.canvas.Brush().SetColor(clRed);  // opaque, background red
    s.canvas.TextOut(5, 5, "..");
    EXPECT_EQ(s.At(5, 5), clRed);
    s.canvas.SetBkMode(TRANSPARENT);
    s.canvas.TextOut(5, 25, "..");
    EXPECT_EQ(s.At(5, 25), clWhite);
}

TEST(CanvasPixels, PixelsReadBackAndOutsideIsInvalid)
{
    Surface s(4, 4);
    s.canvas.SetPixel(1, 2, clBlue);
    EXPECT_EQ(s.canvas.Pixel(1, 2), clBlue);
    EXPECT_EQ(s.canvas.Pixel(2, 2), clWhite);
    EXPECT_EQ(s.canvas.Pixel(4, 0), CLR_INVALID);
    EXPECT_EQ(s.canvas.Pixel(-1, 0), CLR_INVALID);
    s.canvas.SetPixel(9, 9, clBlue);  // ignored, no crash
    s.canvas.SetPixel(0, 0, clBtnFace);
    EXPECT_EQ(s.canvas.Pixel(0, 0), ColorToRGB(clBtnFace));
}

TEST(CanvasPixels, CopyRectCopiesAndStretches)
{
    Surface src(4, 4), dst(8, 8);
    src.canvas.SetPixel(0, 0, clBlack);
    src.canvas.SetPixel(1, 1, clRed);
    dst.canvas.CopyRect(Rect(2, 2, 4, 4), src.canvas, Rect(0, 0, 2, 2));
    EXPECT_EQ(dst.At(2, 2), clBlack);
    EXPECT_EQ(dst.At(3, 3), clRed);
    EXPECT_EQ(dst.At(4, 4), clWhite);
    dst.canvas.CopyRect(Rect(0, 4, 4, 8), src.canvas, Rect(0, 0, 2, 2));  // 2x
    EXPECT_EQ(dst.At(1, 5), clBlack);
    EXPECT_EQ(dst.At(2, 6), clRed);
}

TEST(CanvasPixels, TargetlessCanvasKeepsStateAndDrawsNothing)
{
    struct Blind : TCanvas {
        Blind() = default;
    } blind;
    blind.MoveTo(3, 4);
    blind.LineTo(9, 9);
    blind.Rectangle(0, 0, 5, 5);
    blind.TextOut(1, 1, "abc");
    EXPECT_GT(blind.PenPos().X, 1);
    EXPECT_EQ(blind.Pixel(0, 0), CLR_INVALID);
    EXPECT_EQ(blind.TextHeight("A"), blind.TextMetrics().tmHeight);
}

TEST(Colors, SystemColoursComeFromTheFixedTable)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(240, 240, 240));
    EXPECT_EQ(ColorToRGB(clAppWorkSpace), RGB(171, 171, 171));
    EXPECT_EQ(ColorToRGB(clBtnShadow), RGB(160, 160, 160));
    EXPECT_EQ(ColorToRGB(clBtnHighlight), RGB(255, 255, 255));
    EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 120, 215));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), clBlack);
    for (int i = 0; i < SystemColorCount; ++i)
        EXPECT_EQ(ColorToRGB(SystemColor(i)) & 0xFF000000, 0) << i;
}

TEST(CanvasShapes, GradientFillRunsFromStartToStop)
{
    Surface s(3, 5);
    s.canvas.GradientFillRect(Rect(0, 0, 3, 4), clBlack, clWhite, true);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(s.At(1, y), RGB(255 * y / 4, 255 * y / 4, 255 * y / 4)) << y;
    EXPECT_EQ(s.At(1, 4), clWhite);  // below the rectangle
    Surface h(4, 1);
    h.canvas.GradientFillRect(Rect(0, 0, 4, 1), clRed, clBlue, false);
    EXPECT_EQ(h.At(0, 0), clRed);
    EXPECT_EQ(h.At(2, 0), RGB(128, 0, 127));
}

TEST(CanvasText, EscapementTurnsTheLineAboutItsReferencePoint)
{
    Surface s(60, 80);
    s.canvas.SetBkMode(TRANSPARENT);
    s.canvas.Font().SetHeight(-20);
    s.canvas.Font().SetOrientation(900);  // reads bottom to top
    s.canvas.Brush().SetStyle(bsClear);
    s.canvas.TextOut(20, 70, "WWW");
    const int h = s.canvas.TextHeight("W");
    int above = 0, elsewhere = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 60; ++x)
            if (s.At(x, y) != clWhite) {
                if (y <= 70 && x >= 19 && x <= 20 + h)
                    ++above;
                else
                    ++elsewhere;
            }
    EXPECT_GT(above, 20);
    EXPECT_EQ(elsewhere, 0);
}

TEST(CanvasLines, WildCoordinatesAreClippedNotStepped)
{
    Surface s(10, 10);
    s.canvas.MoveTo(-2000000000, 5);
    s.canvas.LineTo(2000000000, 5);  // would be 4e9 steps if not clipped
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(s.At(x, 5), clBlack) << x;
    s.canvas.MoveTo(5, -1000000000);
    s.canvas.LineTo(5, 3);
    EXPECT_EQ(s.At(5, 0), clBlack);
    EXPECT_EQ(s.At(5, 2), clBlack);  // up to the end, which is left out
    EXPECT_EQ(s.At(5, 3), clWhite);
    s.canvas.Pen().SetStyle(psDot);
    s.canvas.MoveTo(1, 1000000000);
    s.canvas.LineTo(1, -1000000000);
    s.canvas.Pen().SetStyle(psSolid);
    s.canvas.SetMapMode(MM_ANISOTROPIC);
    s.canvas.SetWindowExtEx(1, 1);
    s.canvas.SetViewportExtEx(1000000, 1000000);
    s.canvas.Rectangle(-5000, -5000, 5000, 5000);  // far past the int range on the device
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(3000, 1);
    s.canvas.Font().SetHeight(-2000000000);
    s.canvas.TextOut(0, 0, "WWWWWWWW");
    EXPECT_GT(s.canvas.TextWidth("WWWWWWWW"), 0);  // no overflow into negatives
}

TEST(CanvasPainter, DrawsThroughACallersPainterWithItsTransformAndClip)
{
    QImage img(20, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    painter.scale(2, 2);                   // the caller's own mapping
    painter.setClipRect(0, 0, 8, 5);       // and clip, in its coordinates
    TCanvas c(&painter);
    EXPECT_EQ(c.DeviceSize(), (TSize{20, 10}));
    c.Brush().SetColor(clBlack);
    c.FillRect(Rect(1, 1, 3, 2));          // -> pixels 2..5, 2..3
    c.MoveTo(0, 4);
    c.LineTo(10, 4);                       // cut by the caller's clip at 16
    c.IntersectClipRect(Rect(0, 0, 1, 1));
    c.FillRect(Rect(0, 0, 10, 5));         // only the canvas clip's square
    c.SelectClipRect(nullptr);
    c.SetPixel(9, 0, clRed);
    EXPECT_EQ(c.Pixel(0, 0), CLR_INVALID);  // nothing to read back
    painter.end();
    auto at = [&](int x, int y) { return FromQRgb(img.pixel(x, y)); };
    EXPECT_EQ(at(2, 2), clBlack);
    EXPECT_EQ(at(5, 3), clBlack);
    EXPECT_EQ(at(6, 3), clWhite);
    EXPECT_EQ(at(1, 2), clWhite);
    EXPECT_EQ(at(15, 8), clBlack);
    EXPECT_EQ(at(16, 8), clWhite);
    EXPECT_EQ(at(1, 1), clBlack);
    EXPECT_EQ(at(2, 0), clWhite);
    EXPECT_EQ(at(18, 0), clWhite);         // the red pixel lies outside the caller's clip
}

// A caller's painter moved by its own transform: the part of a thin line
// that is clipped away before stepping must be what lies off the painter's
// surface, not off an unmoved one.
TEST(CanvasPainter, ThinLinesReachAMovedPaintersWholeSurface)
{
    struct Case { const char *name; int dx, dy; };
    const Case cases[] = {{"unmoved", 0, 0}, {"moved left", -30, 0}, {"moved up", 0, -40}, {"moved right and down", 7, 3}};
    for (const Case &cs : cases) {
        SCOPED_TRACE(cs.name);
        QImage img(20, 10, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter painter(&img);
            painter.translate(cs.dx, cs.dy);
            TCanvas c(&painter);
            for (TPenStyle style : {psSolid, psDot}) {
                c.Pen().SetStyle(style);
                const int y = (style == psSolid ? 4 : 7) - cs.dy;
                c.MoveTo(-1000, y);
                c.LineTo(1000, y);
            }
        }
        // The solid line runs across the whole image; the dotted one, three
        // on and three off, has ink in every six pixels.
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(FromQRgb(img.pixel(x, 4)), clBlack) << x;
        for (int from = 0; from + 6 <= 20; from += 6) {
            int ink = 0;
            for (int x = from; x < from + 6; ++x)
                ink += FromQRgb(img.pixel(x, 7)) == clBlack;
            EXPECT_EQ(ink, 3) << "from " << from;
        }
    }
}

// A gradient across a rectangle far larger than the surface: only the bands
// on the surface are filled, in the colours of their place in the whole.
TEST(CanvasGradient, HugeRectangleIsFilledWhereItIsSeen)
{
    for (bool vertical : {true, false}) {
        Surface s(10, 10);
        const int g = 1 << 30;
        const TRect huge = vertical ? Rect(0, -g, 10, g) : Rect(-g, 0, g, 10);
        s.canvas.GradientFillRect(huge, clBlack, clWhite, vertical);
        // The surface lies in the middle of the gradient.
        for (int i = 0; i < 10; ++i) {
            const TColor c = vertical ? s.At(5, i) : s.At(i, 5);
            EXPECT_NEAR(GetRValue(c), 127, 1) << (vertical ? "row " : "column ") << i;
            EXPECT_EQ(GetRValue(c), GetBValue(c));
        }
    }
}
