// The gradient painter and its helpers. Expected samples come from
// tests/controls/ui_reference.py (the shapes worked out from their rules).
#include "controls/UiDrawing.h"
#include "platform/graphics/Colors.h"
#include "tests/support/PixelCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace plat;
using zibor::test::At;

namespace {

constexpr TColor kStart = RGB(10, 200, 40), kStop = RGB(250, 20, 130);

struct GradientCase {
    TGradientDirection direction;
    int size;
    std::vector<TColor> samples;
};

// Composed and End shapes: the pixels (0, 0), (w-1, 0), (0, h-1), (w-1, h-1)
// and (w/2, h/2). Diagonals: the colour of the corner where the bands start
// and of the band that closes the far corner.
const GradientCase kGradients[] = {
    {gdDiagonalUp,         1, {0x28C80A, 0xAF00FF}},
    {gdDiagonalDown,       1, {0x8214FA, 0x00FF00}},
    {gdHorizontalEnd,      1, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdHorizontalCenter,   1, {0x8214FA, 0x8214FA, 0x8214FA, 0x8214FA, 0x8214FA}},
    {gdHorizontalBox,      1, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdVerticalEnd,        1, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdVerticalCenter,     1, {0x8214FA, 0x8214FA, 0x8214FA, 0x8214FA, 0x8214FA}},
    {gdVerticalBox,        1, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdSquareBox,          1, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdBigSquareBox,       1, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdDiagonalUp,         2, {0x28C80A, 0x8214FA}},
    {gdDiagonalDown,       2, {0x8214FA, 0x28C80A}},
    {gdHorizontalEnd,      2, {0x28C80A, 0x28C80A, 0x556E82, 0x556E82, 0x556E82}},
    {gdHorizontalCenter,   2, {0x556E82, 0x556E82, 0x8214FA, 0x8214FA, 0x8214FA}},
    {gdHorizontalBox,      2, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdVerticalEnd,        2, {0x28C80A, 0x556E82, 0x28C80A, 0x556E82, 0x556E82}},
    {gdVerticalCenter,     2, {0x556E82, 0x8214FA, 0x556E82, 0x8214FA, 0x8214FA}},
    {gdVerticalBox,        2, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdSquareBox,          2, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdBigSquareBox,       2, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdDiagonalUp,         4, {0x28C80A, 0x9100FF}},
    {gdDiagonalDown,       4, {0x8214FA, 0x19E600}},
    {gdHorizontalEnd,      4, {0x28C80A, 0x28C80A, 0x6B41BE, 0x6B41BE, 0x556E82}},
    {gdHorizontalCenter,   4, {0x468C5A, 0x468C5A, 0x28C80A, 0x28C80A, 0x8214FA}},
    {gdHorizontalBox,      4, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdVerticalEnd,        4, {0x28C80A, 0x6B41BE, 0x28C80A, 0x6B41BE, 0x556E82}},
    {gdVerticalCenter,     4, {0x468C5A, 0x28C80A, 0x468C5A, 0x28C80A, 0x8214FA}},
    {gdVerticalBox,        4, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdSquareBox,          4, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdBigSquareBox,       4, {0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A, 0x28C80A}},
    {gdDiagonalUp,         5, {0x28C80A, 0x8D00FF}},
    {gdDiagonalDown,       5, {0x8214FA, 0x1CDE00}},
    {gdHorizontalEnd,      5, {0x28C80A, 0x28C80A, 0x7038CA, 0x7038CA, 0x4C806A}},
    {gdHorizontalCenter,   5, {0x468C5A, 0x468C5A, 0x28C80A, 0x28C80A, 0x8214FA}},
    {gdHorizontalBox,      5, {0x6450AA, 0x6450AA, 0x6450AA, 0x6450AA, 0x8214FA}},
    {gdVerticalEnd,        5, {0x28C80A, 0x7038CA, 0x28C80A, 0x7038CA, 0x4C806A}},
    {gdVerticalCenter,     5, {0x468C5A, 0x28C80A, 0x468C5A, 0x28C80A, 0x8214FA}},
    {gdVerticalBox,        5, {0x6450AA, 0x6450AA, 0x6450AA, 0x6450AA, 0x8214FA}},
    {gdSquareBox,          5, {0x6450AA, 0x6450AA, 0x6450AA, 0x6450AA, 0x8214FA}},
    {gdBigSquareBox,       5, {0x8214FA, 0x8214FA, 0x8214FA, 0x8214FA, 0x8214FA}},
    {gdDiagonalUp,        40, {0x28C80A, 0x8114F9}},
    {gdDiagonalDown,      40, {0x8214FA, 0x28C70A}},
    {gdHorizontalEnd,     40, {0x28C80A, 0x28C80A, 0x7F19F4, 0x7F19F4, 0x556E82}},
    {gdHorizontalCenter,  40, {0x2CBF15, 0x2CBF15, 0x28C80A, 0x28C80A, 0x8214FA}},
    {gdHorizontalBox,     40, {0x31B622, 0x31B622, 0x31B622, 0x31B622, 0x8214FA}},
    {gdVerticalEnd,       40, {0x28C80A, 0x7F19F4, 0x28C80A, 0x7F19F4, 0x556E82}},
    {gdVerticalCenter,    40, {0x2CBF15, 0x28C80A, 0x2CBF15, 0x28C80A, 0x8214FA}},
    {gdVerticalBox,       40, {0x31B622, 0x31B622, 0x31B622, 0x31B622, 0x8214FA}},
    {gdSquareBox,         40, {0x31B622, 0x31B622, 0x31B622, 0x31B622, 0x8214FA}},
    {gdBigSquareBox,      40, {0x3AA43A, 0x3AA43A, 0x3AA43A, 0x3AA43A, 0x8214FA}},
};

bool Near(TColor a, TColor b, int by)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= by && std::abs(GetGValue(a) - GetGValue(b)) <= by &&
           std::abs(GetBValue(a) - GetBValue(b)) <= by;
}

bool Within(TColor c, TColor a, TColor b)
{
    auto in = [](int v, int x, int y) { return v >= std::min(x, y) && v <= std::max(x, y); };
    return in(GetRValue(c), GetRValue(a), GetRValue(b)) && in(GetGValue(c), GetGValue(a), GetGValue(b)) &&
           in(GetBValue(c), GetBValue(a), GetBValue(b));
}

TBitmap Painted(TGradientDirection d, const TRect &r, int w, int h, TColor start = kStart, TColor stop = kStop)
{
    TBitmap b(w, h);
    b.Canvas()->Brush().SetColor(clFuchsia);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
    DrawGradientBox(*b.Canvas(), r, d, start, stop, 1);
    return b;
}

TEST(UiGradients, TenDirectionsAtEachSize)
{
    for (const GradientCase &c : kGradients) {
        const int s = c.size;
        TBitmap b = Painted(c.direction, Rect(0, 0, s, s), s, s);
        TCanvas &cv = *b.Canvas();
        const std::string name = "direction " + std::to_string(int(c.direction)) + " size " + std::to_string(s);
        if (c.direction == gdDiagonalUp || c.direction == gdDiagonalDown) {
            // The bands are polygons: which of two bands owns a corner pixel
            // is the rasteriser's choice, so the corners are checked near
            // their colours, and every pixel inside the two colours' range.
            const bool up = c.direction == gdDiagonalUp;
            const TPoint first = up ? TPoint{0, s - 1} : TPoint{s - 1, s - 1};
            const TPoint last = up ? TPoint{s - 1, 0} : TPoint{0, 0};
            if (s >= 5) {
                EXPECT_EQ(cv.Pixel(first.X, first.Y), c.samples[0]) << name << ": where the bands start";
                if (s >= 40) {
                    EXPECT_TRUE(Near(cv.Pixel(last.X, last.Y), c.samples[1], 6)) << name << ": where they end";
                }
            }
            for (int y = 0; y < s; ++y)
                for (int x = 0; x < s; ++x)
                    ASSERT_TRUE(Within(cv.Pixel(x, y), kStart, kStop)) << name << " at " << At(x, y);
            continue;
        }
        const TPoint at[] = {{0, 0}, {s - 1, 0}, {0, s - 1}, {s - 1, s - 1}, {s / 2, s / 2}};
        for (size_t i = 0; i < 5; ++i)
            EXPECT_EQ(cv.Pixel(at[i].X, at[i].Y), c.samples[i]) << name << " at " << At(at[i].X, at[i].Y);
    }
}

TEST(UiGradients, NothingForAnEmptyRectangle)
{
    for (int d = 0; d < 10; ++d) {
        TBitmap b = Painted(TGradientDirection(d), Rect(2, 2, 2, 6), 8, 8);
        TBitmap c = Painted(TGradientDirection(d), Rect(2, 2, 6, 2), 8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                ASSERT_EQ(b.Canvas()->Pixel(x, y), clFuchsia) << d;
                ASSERT_EQ(c.Canvas()->Pixel(x, y), clFuchsia) << d;
            }
    }
}

TEST(UiGradients, EqualColoursFillOneColour)
{
    for (TGradientDirection d : {gdDiagonalUp, gdDiagonalDown, gdSquareBox, gdBigSquareBox, gdHorizontalBox}) {
        TBitmap b = Painted(d, Rect(0, 0, 20, 12), 20, 12, clTeal, clTeal);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(b.Canvas()->Pixel(x, y), clTeal) << int(d) << " at " << At(x, y);
    }
}

TEST(UiGradients, AReversedRectangleTakesItsSizeFromItsLeftAndTop)
{
    // Given right-to-left and bottom-to-top, the shape is drawn from the
    // rectangle's left and top onward with the absolute size.
    TBitmap normal = Painted(gdSquareBox, Rect(0, 0, 20, 20), 40, 40);
    TBitmap reversed = Painted(gdSquareBox, Rect(10, 10, -10, -10), 40, 40);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(reversed.Canvas()->Pixel(x + 10, y + 10), normal.Canvas()->Pixel(x, y)) << At(x, y);
    EXPECT_EQ(reversed.Canvas()->Pixel(5, 5), clFuchsia);
}

// Four columns and three rows, every pixel its own colour.
TColor Cell(int x, int y) { return RGB(10 + 40 * x, 20 + 70 * y, 200); }

TBitmap CornerBlock(int w, int h, int fw, int fh)
{
    TBitmap b(w, h);
    b.Canvas()->Brush().SetColor(clBlack);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x)
            b.Canvas()->SetPixel(x, y, Cell(x, y));
    return b;
}

TEST(UiGradients, TilingRepeatsTheCornerBlock)
{
    TBitmap b = CornerBlock(11, 7, 4, 3);
    TileBitmapRect(*b.Canvas(), 0, 0, 11, 7, 4, 3);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(b.Canvas()->Pixel(x, y), Cell(x % 4, y % 3)) << At(x, y);
}

TEST(UiGradients, MirroringFlipsTheQuarterIntoTheOtherThree)
{
    // Width 8: the left half mirrors into the right without stretching.
    TBitmap b = CornerBlock(8, 6, 5, 3);
    MirrorStretchHalves(*b.Canvas(), 0, 0, 8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const int sx = x < 4 ? x : 7 - x, sy = y < 3 ? y : 5 - y;
            ASSERT_EQ(b.Canvas()->Pixel(x, y), Cell(sx, sy)) << At(x, y);
        }
    // Odd size: the middle row and column stay as painted.
    TBitmap odd = CornerBlock(9, 7, 5, 4);
    MirrorStretchHalves(*odd.Canvas(), 0, 0, 9, 7);
    EXPECT_EQ(odd.Canvas()->Pixel(4, 3), Cell(4, 3));
    EXPECT_EQ(odd.Canvas()->Pixel(8, 6), Cell(0, 0));
    EXPECT_EQ(odd.Canvas()->Pixel(0, 6), Cell(0, 0));
    EXPECT_EQ(odd.Canvas()->Pixel(8, 0), Cell(0, 0));
}

TEST(UiGradients, TransparentCopyLeavesTheTransparentColourOut)
{
    TBitmap src(3, 1);
    src.Canvas()->SetPixel(0, 0, clRed);
    src.Canvas()->SetPixel(1, 0, clOlive);
    src.Canvas()->SetPixel(2, 0, clBlue);
    TBitmap dst(3, 1);
    dst.Canvas()->Brush().SetColor(clLime);
    dst.Canvas()->FillRect(Rect(0, 0, 3, 1));
    StretchTransparentBitmap(*dst.Canvas(), src, Rect(0, 0, 3, 1), Rect(0, 0, 3, 1), clOlive);
    EXPECT_EQ(dst.Canvas()->Pixel(0, 0), clRed);
    EXPECT_EQ(dst.Canvas()->Pixel(1, 0), clLime);
    EXPECT_EQ(dst.Canvas()->Pixel(2, 0), clBlue);
}

} // namespace
