#include "controls/UiDrawing.h"

#include "platform/graphics/Colors.h"
#include "platform/gui/CustomControls.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

using namespace plat;

namespace {

// A colour in 16.16 fixed point per channel.
struct TFixColor {
    int64_t r = 0, g = 0, b = 0;
    static TFixColor Of(TColor c)
    {
        c = ColorToRGB(c);
        return {int64_t(GetRValue(c)) << 16, int64_t(GetGValue(c)) << 16, int64_t(GetBValue(c)) << 16};
    }
    // (target - this) / n per channel, truncated toward zero.
    TFixColor StepTo(const TFixColor &target, int64_t n) const
    {
        return {(target.r - r) / n, (target.g - g) / n, (target.b - b) / n};
    }
    void Add(const TFixColor &s)
    {
        r += s.r;
        g += s.g;
        b += s.b;
    }
    TColor Color() const
    {
        auto ch = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v >> 16, 0, 255)); };
        return RGB(ch(r), ch(g), ch(b));
    }
};

// The minimum run of a band from the granularity byte.
int MinimumRun(int g, bool box)
{
    if (g > 8)
        g = (box ? 256 : 255) / g + 1;
    return std::max(g - 1, 0);
}

void Fill(TCanvas &c, const TRect &r, TColor color)
{
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(color);
    c.FillRect(r);
}

// One pass of linear bands from position `from` (colour first) down to
// position `to` (toward colour target). A band takes the colour it started
// with and covers [where it ended, where it started).
void LinearPass(TCanvas &c, bool columns, int from, int to, TColor first, TColor target, int minRun)
{
    const int n = from - to;
    if (n <= 0)
        return;
    TFixColor cur = TFixColor::Of(first);
    const TFixColor step = cur.StepTo(TFixColor::Of(target), n);
    auto band = [&](int lo, int hi, TColor color) {
        Fill(c, columns ? Rect(lo, 0, hi, 8) : Rect(0, lo, 8, hi), color);
    };
    int bandStart = from, pos = from, stepped = 0;
    TColor bandColor = cur.Color();
    while (pos > to) {
        --pos;
        cur.Add(step);
        ++stepped;
        if (cur.Color() != bandColor && stepped >= minRun) {
            band(pos, bandStart, bandColor);
            bandStart = pos;
            bandColor = cur.Color();
            stepped = 0;
        }
    }
    if (bandStart > to)
        band(to, bandStart, bandColor);
}

void Polygon(TCanvas &c, std::initializer_list<TPoint> pts, TColor color)
{
    c.Pen().SetStyle(psClear);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(color);
    const std::vector<TPoint> v(pts);
    c.Polygon(v);
}

int Whole(int64_t fixed) { return static_cast<int>(fixed >> 16); }

} // namespace

void GradientBandsLinear(TCanvas &canvas, int horizontalSplit, int verticalSplit, int extent, TColor a, TColor b,
                         uint8_t granularity)
{
    const int minRun = MinimumRun(granularity, false);
    const bool columns = horizontalSplit != 0;
    const int split = columns ? horizontalSplit : verticalSplit;
    const int p = split < 0 ? extent : split + 1;
    LinearPass(canvas, columns, p, 0, b, a, minRun);
    if (split > 0)
        LinearPass(canvas, columns, extent, split + 1, a, b, minRun);
}

void GradientBandsRect(TCanvas &canvas, int width, int height, int horizontalInset, int verticalInset, TColor start,
                       TColor stop, uint8_t granularity)
{
    if (ColorToRGB(start) == ColorToRGB(stop) || width <= 4 || height <= 4) {
        Fill(canvas, Rect(0, 0, width + 1, height + 1), ColorToRGB(start));
        return;
    }
    const int minRun = MinimumRun(granularity, true);
    const int hw = (width - 1) >> 1, hh = (height - 1) >> 1;
    const int anchorX = hw + 1, anchorY = hh + 1;
    const int x0 = hw - horizontalInset, y0 = hh - verticalInset;
    const int steps = std::max(x0, y0) + 1;
    int64_t x = int64_t(x0) << 16, y = int64_t(y0) << 16;
    const int64_t dx = x / steps, dy = y / steps;
    TFixColor cur = TFixColor::Of(stop);
    const TFixColor cstep = cur.StepTo(TFixColor::Of(start), steps);
    // The first band reaches to the anchor, so the centre carries the stop
    // colour.
    int px = anchorX, py = anchorY, stepped = 0;
    TColor bandColor = cur.Color();
    // Both coordinates fall below zero after about `steps` steps; the bound
    // only guards against a shape that never gets there.
    for (int guard = 0; guard <= 2 * steps + 4; ++guard) {
        x -= dx;
        y -= dy;
        cur.Add(cstep);
        ++stepped;
        if (x < 0 && y < 0)
            break;  // the last partial band stays unpainted
        if (cur.Color() != bandColor && stepped >= minRun) {
            const int ix = Whole(x), iy = Whole(y);
            if (iy != py)
                Fill(canvas, Rect(ix, iy, anchorX, py), bandColor);
            if (ix != px)
                Fill(canvas, Rect(ix, py, px, anchorY), bandColor);
            px = ix;
            py = iy;
            bandColor = cur.Color();
            stepped = 0;
        }
    }
}

void GradientBandsDiagonal(TCanvas &canvas, int width, int height, TColor start, TColor stop, uint8_t granularity)
{
    const int minRun = MinimumRun(granularity, false);
    const int aw = std::abs(width), h = height;
    const bool up = width > 0;
    // Up: start at the bottom-left, stop at the top-right. Down: the bands
    // run from the right, stop colour first.
    const int xStart = up ? 0 : aw, xFar = up ? aw : 0;
    TFixColor cur = TFixColor::Of(up ? start : stop);
    const int64_t d = static_cast<int64_t>(std::sqrt(double(width) * width + double(h) * h)) + 1;
    const int64_t half = std::max<int64_t>(d >> 1, 1);
    const TFixColor cstep = cur.StepTo(TFixColor::Of(up ? stop : start), d);
    const int64_t dx = (int64_t(width) << 16) / half, dy = (int64_t(h) << 16) / half;

    // Each half starts again at xStart and the bottom while the colour runs
    // on; band(px, py, x, y, colour) paints one band, and the band that is
    // open when y falls below 0 closes the half.
    auto half_ = [&](const std::function<void(int, int, int, int, TColor)> &band,
                     const std::function<void(int, int, TColor)> &close) {
        int64_t x = int64_t(xStart) << 16, y = int64_t(h) << 16;
        int px = xStart, py = h, stepped = 0;
        TColor bandColor = cur.Color();
        for (int64_t i = 0; i <= 2 * half + 2; ++i) {
            x += dx;
            y -= dy;
            cur.Add(cstep);
            ++stepped;
            if (y < 0)
                break;
            if (cur.Color() != bandColor && stepped >= minRun) {
                const int ix = Whole(x), iy = Whole(y);
                band(px, py, ix, iy, bandColor);
                px = ix;
                py = iy;
                bandColor = cur.Color();
                stepped = 0;
            }
        }
        close(px, py, bandColor);
    };
    // First half: between the side edge at xStart and the bottom edge, up
    // to the diagonal from (xStart, 0) to (xFar, h).
    half_([&](int px, int py, int x, int y, TColor c) {
              Polygon(canvas, {Point(xStart, py), Point(xStart, y), Point(x, h), Point(px, h)}, c);
          },
          [&](int px, int py, TColor c) {
              Polygon(canvas, {Point(xStart, py), Point(xStart, 0), Point(xFar, h), Point(px, h)}, c);
          });
    // Second half: between the top edge and the far side edge, up to the
    // far top corner.
    half_([&](int px, int py, int x, int y, TColor c) {
              Polygon(canvas, {Point(px, 0), Point(x, 0), Point(xFar, y), Point(xFar, py)}, c);
          },
          [&](int px, int py, TColor c) { Polygon(canvas, {Point(px, 0), Point(xFar, 0), Point(xFar, py)}, c); });
}

void TileBitmapRect(TCanvas &canvas, int left, int top, int totalWidth, int totalHeight, int filledWidth,
                    int filledHeight, unsigned rop)
{
    if (filledWidth <= 0 || filledHeight <= 0)
        return;
    const unsigned oldMode = canvas.CopyMode();
    canvas.SetCopyMode(rop);
    int cw = filledWidth, ch = filledHeight;
    bool down = ch < totalHeight;
    while (cw < totalWidth || ch < totalHeight) {
        if (down && ch < totalHeight) {
            const int add = std::min(ch, totalHeight - ch);
            canvas.CopyRect(Rect(left, top + ch, left + cw, top + ch + add), canvas, Rect(left, top, left + cw, top + add));
            ch += add;
            down = cw >= totalWidth;
        } else {
            const int add = std::min(cw, totalWidth - cw);
            canvas.CopyRect(Rect(left + cw, top, left + cw + add, top + ch), canvas, Rect(left, top, left + add, top + ch));
            cw += add;
            down = ch < totalHeight;
        }
    }
    canvas.SetCopyMode(oldMode);
}

void MirrorStretchHalves(TCanvas &canvas, int left, int top, int width, int height, unsigned rop)
{
    const int hw = width >> 1, hh = height >> 1, o = hw % 2;
    const unsigned oldMode = canvas.CopyMode();
    canvas.SetCopyMode(rop);
    if (hh > 0)
        canvas.CopyRect(Rect(left, top + height, left + hw + 1, top + height - hh), canvas,
                        Rect(left, top, left + hw + 1, top + hh));
    if (hw - o > 0)
        canvas.CopyRect(Rect(left + width, top, left + width - (hw + o), top + height), canvas,
                        Rect(left, top, left + hw - o, top + height));
    canvas.SetCopyMode(oldMode);
}

void PaintGradientStyled(TCanvas &canvas, const TRect &r, TGradientDirection direction, TColor start, TColor stop,
                         uint8_t granularity)
{
    start = ColorToRGB(start);
    stop = ColorToRGB(stop);
    const int w = std::abs(r.Right - r.Left), h = std::abs(r.Bottom - r.Top);
    if (w == 0 || h == 0)
        return;
    // Starts in the start colour: the edge band that the box shapes leave
    // unpainted shows it.
    TBitmap bitmap(w, h);
    TCanvas &d = *bitmap.Canvas();
    Fill(d, Rect(0, 0, w, h), start);
    d.Pen().SetWidth(1);
    d.Pen().SetStyle(psClear);
    d.Pen().SetMode(pmCopy);
    d.Brush().SetStyle(bsSolid);
    switch (direction) {
    case gdDiagonalUp:
    case gdDiagonalDown:
        if (start == stop)
            Fill(d, Rect(0, 0, w, h), start);
        else
            GradientBandsDiagonal(d, direction == gdDiagonalUp ? w : -w, h, start, stop, granularity);
        break;
    case gdHorizontalCenter:
        GradientBandsLinear(d, 0, h / 2, h, start, stop, granularity);
        TileBitmapRect(d, 0, 0, w, h, 8, h);
        break;
    case gdVerticalCenter:
        GradientBandsLinear(d, w / 2, 0, w, start, stop, granularity);
        TileBitmapRect(d, 0, 0, w, h, w, 8);
        break;
    case gdHorizontalBox:
        GradientBandsRect(d, w, h, w >> 2, 0, start, stop, granularity);
        MirrorStretchHalves(d, 0, 0, w, h);
        break;
    case gdVerticalBox:
        GradientBandsRect(d, w, h, 0, h >> 2, start, stop, granularity);
        MirrorStretchHalves(d, 0, 0, w, h);
        break;
    case gdSquareBox:
        GradientBandsRect(d, w, h, 0, 0, start, stop, granularity);
        MirrorStretchHalves(d, 0, 0, w, h);
        break;
    case gdBigSquareBox:
        GradientBandsRect(d, w, h, w >> 2, h >> 2, start, stop, granularity);
        MirrorStretchHalves(d, 0, 0, w, h);
        break;
    default: break;
    }
    canvas.Draw(r.Left, r.Top, bitmap);
}

void DrawGradientBox(TCanvas &canvas, const TRect &r, TGradientDirection direction, TColor start, TColor stop,
                     uint8_t granularity)
{
    if (direction == gdHorizontalEnd || direction == gdVerticalEnd) {
        canvas.GradientFillRect(r, ColorToRGB(start), ColorToRGB(stop), direction == gdHorizontalEnd);
        return;
    }
    PaintGradientStyled(canvas, r, direction, start, stop, granularity);
}

void StretchTransparentBitmap(TCanvas &canvas, const TBitmap &bitmap, const TRect &dest, const TRect &source,
                              TColor transparentColor)
{
    canvas.StretchDrawImage(dest, bitmap.Image(), source, ColorToRGB(transparentColor));
}

void DrawParentBackground(TControl &control, TCanvas &canvas, bool invalidateParent)
{
    (void)invalidateParent;  // Qt paints the parent beneath its children by itself: nothing to ask
    if (!control.Parent())
        return;
    const QImage behind = ParentBackground(control);
    canvas.StretchDrawImage(Rect(0, 0, behind.width(), behind.height()), behind,
                            Rect(0, 0, behind.width(), behind.height()));
}
