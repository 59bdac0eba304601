#include "platform/metafile/MetafilePlayer.h"

#include "platform/graphics/Fonts.h"
#include "platform/graphics/Geometry.h"

#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>

namespace plat {

namespace {

std::atomic<uint64_t> dibPixelsDecoded{0};

} // namespace

uint64_t DibPixelsDecoded() { return dibPixelsDecoded.load(std::memory_order_relaxed); }

QImage DibToImage(const emf::TDibView &dib) { return DibToImage(dib, QRect(0, 0, dib.Width, dib.Height)); }

QImage DibToImage(const emf::TDibView &dib, const QRect &part)
{
    const QRect r = part.intersected(QRect(0, 0, dib.Width, dib.Height));
    if (r.isEmpty())
        return {};
    QImage img(r.width(), r.height(), QImage::Format_RGB32);
    if (img.isNull())
        return img;
    dibPixelsDecoded.fetch_add(uint64_t(r.width()) * uint64_t(r.height()), std::memory_order_relaxed);
    // Indexed pixels through the whole table once: entries past the
    // bitmap's own are black.
    QRgb palette[256];
    std::fill(std::begin(palette), std::end(palette), qRgb(0, 0, 0));
    if (dib.BitCount <= 8)
        for (uint32_t i = 0; i < 256 && i < dib.Colors; ++i) {
            const uint8_t *q = dib.Info + emf::kBitmapInfoHeaderSize + 4 * i;  // blue, green, red
            palette[i] = qRgb(q[2], q[1], q[0]);
        }
    const int left = r.left(), width = r.width();
    for (int y = 0; y < r.height(); ++y) {
        const int row = r.top() + y;
        auto *dst = reinterpret_cast<QRgb *>(img.scanLine(y));
        const uint8_t *src = dib.Bits + uint64_t(dib.TopDown ? row : dib.Height - 1 - row) * dib.Stride;
        switch (dib.BitCount) {
        case 1:
            for (int x = 0; x < width; ++x) {
                const int at = left + x;
                dst[x] = palette[(src[at >> 3] >> (7 - (at & 7))) & 1];
            }
            break;
        case 4:
            for (int x = 0; x < width; ++x) {
                const int at = left + x;
                dst[x] = palette[(src[at >> 1] >> ((at & 1) ? 0 : 4)) & 0x0F];
            }
            break;
        case 8:
            for (int x = 0; x < width; ++x)
                dst[x] = palette[src[left + x]];
            break;
        case 24: {
            // Blue, green, red and the next pixel's blue, read as one word
            // whose top byte becomes the opaque alpha; the last pixel of a
            // row on its own, since its fourth byte may lie past the bits.
            src += 3 * size_t(left);
            int x = 0;
            for (; x + 1 < width; ++x, src += 3) {
                uint32_t v;
                std::memcpy(&v, src, 4);
                dst[x] = qFromLittleEndian(v) | 0xFF000000u;
            }
            dst[x] = qRgb(src[2], src[1], src[0]);
            break;
        }
        default:
            src += 4 * size_t(left);
            for (int x = 0; x < width; ++x, src += 4)
                dst[x] = qRgb(src[2], src[1], src[0]);
            break;
        }
    }
    return img;
}

} // namespace plat

// Inside the format's namespace, its constants are the ones meant.
namespace plat::emf {
namespace {

// Coordinates that reach the canvas stay well inside int.
constexpr double kLimit = 1 << 28;

int Round(double v)
{
    if (!(v > -kLimit))
        return -int(kLimit);
    if (!(v < kLimit))
        return int(kLimit);
    return static_cast<int>(std::floor(v + 0.5));
}

struct PenDesc {
    uint32_t style = PS_SOLID;
    int width = 0;
    TColor color = clBlack;
};

struct BrushDesc {
    uint32_t style = BS_SOLID, hatch = 0;
    TColor color = clWhite;
};

struct Object {
    enum Kind { Free, Pen, Brush, Font } kind = Free;
    PenDesc pen;
    BrushDesc brush;
    TEmrLogFont font;
};

struct State {
    double curX = 0, curY = 0; // current position, target units, not clamped
    int mapMode = 1; // MM_TEXT
    TSize windowExt{1, 1}, viewportExt{1, 1};
    TPoint windowOrg, viewportOrg;
    PenDesc pen;
    BrushDesc brush;
    TEmrLogFont font;
    TColor textColor = clBlack;
};

class Player {
public:
    Player(TCanvas &canvas, const TMetafile &mf, const TRect &dest) : c_(canvas), mf_(mf), dest_(dest) {}
    TEmfEnumResult Run();

private:
    bool Handle(const TEmfRecord &rec);
    void Remap();
    double XD(double x) const { return ax_ * x + bx_; }
    double YD(double y) const { return ay_ * y + by_; }
    // Everything that reaches the canvas lies inside the guard, a box around
    // what can be seen; this bounds the canvas's work for wild coordinates.
    int GX(double x) const { return std::clamp(Round(x), guard_.Left, guard_.Right); }
    int GY(double y) const { return std::clamp(Round(y), guard_.Top, guard_.Bottom); }
    int X(double x) const { return GX(XD(x)); }
    int Y(double y) const { return GY(YD(y)); }
    TPoint P(TPoint p) const { return {X(p.X), Y(p.Y)}; }
    std::vector<TPoint> ClipPolygon(const std::vector<TPoint> &points) const;
    void Line(double x0, double y0, double x1, double y1);
    TRect R(const TRect &r) const
    {
        const int l = X(r.Left), t = Y(r.Top), rr = X(r.Right), b = Y(r.Bottom);
        return {std::min(l, rr), std::min(t, b), std::max(l, rr), std::max(t, b)};
    }
    int Length(double v, double scale) const { return Round(std::min(std::fabs(v * scale), double(1 << 16))); }
    void ApplyPen();
    void ApplyBrush(bool realise);
    void ApplyFont(bool realise);
    void Select(uint32_t index);
    void Text(const TEmfRecord &rec);
    void Blt(const TEmfRecord &rec);

    TCanvas &c_;
    const TMetafile &mf_;
    TRect dest_;
    double ppmmX_ = 96 / 25.4, ppmmY_ = 96 / 25.4;
    double pageScaleX_ = 1, pageScaleY_ = 1;
    double ax_ = 1, bx_ = 0, ay_ = 1, by_ = 0;
    std::vector<Object> objects_;
    State s_;
    std::vector<State> stack_;
    std::optional<TRect> initialClip_;
    TRect guard_;
};

TEmfEnumResult Player::Run()
{
    const TEmfHeader h = mf_.Header();
    if (h.Device.cx > 0 && h.Millimeters.cx > 0)
        ppmmX_ = double(h.Device.cx) / h.Millimeters.cx;
    if (h.Device.cy > 0 && h.Millimeters.cy > 0)
        ppmmY_ = double(h.Device.cy) / h.Millimeters.cy;
    // The page's extent in reference pixels, as whole pixels like its size.
    const double pageW = std::floor(mf_.MMWidth() * ppmmX_ / 100 + 0.5);
    const double pageH = std::floor(mf_.MMHeight() * ppmmY_ / 100 + 0.5);
    if (!(pageW >= 1 && pageH >= 1) || dest_.Width() == 0 || dest_.Height() == 0)
        return {};
    pageScaleX_ = dest_.Width() / pageW;
    pageScaleY_ = dest_.Height() / pageH;
    objects_.resize(h.Handles);
    Remap();
    TRect seen{std::min(dest_.Left, dest_.Right), std::min(dest_.Top, dest_.Bottom), std::max(dest_.Left, dest_.Right),
               std::max(dest_.Top, dest_.Bottom)};
    const TRect clip = c_.ClipRect();
    if (!clip.IsEmpty())
        seen = {std::min(seen.Left, clip.Left), std::min(seen.Top, clip.Top), std::max(seen.Right, clip.Right),
                std::max(seen.Bottom, clip.Bottom)};
    const int64_t margin = std::max<int64_t>(seen.Width(), seen.Height()) + 64;
    auto limit = [](int64_t v) { return int(std::clamp<int64_t>(v, -int64_t(kLimit), int64_t(kLimit))); };
    guard_ = {limit(seen.Left - margin), limit(seen.Top - margin), limit(seen.Right + margin),
              limit(seen.Bottom + margin)};
    s_.curX = XD(0);
    s_.curY = YD(0);

    const TPen pen0(c_.Pen());
    const TBrush brush0(c_.Brush());
    const TFont font0(c_.Font());
    if (c_.HasClip())
        initialClip_ = c_.ClipRect();
    const int level = c_.SaveDC();
    // The page was recorded from a fresh context.
    c_.SetTextAlign(TA_LEFT | TA_TOP);
    c_.SetBkMode(plat::OPAQUE);
    c_.SetBkColor(clWhite);
    c_.SetTextColor(clBlack);
    c_.SetStretchBltMode(BLACKONWHITE);
    ApplyPen();
    ApplyBrush(false);

    const TEmfEnumResult result = mf_.Enumerate([this](const TEmfRecord &rec) { return Handle(rec); });

    c_.RestoreDC(level);
    c_.SetPen(pen0);
    c_.SetBrush(brush0);
    c_.SetFont(font0);
    return result;
}

void Player::Remap()
{
    double sx = 1, sy = 1;
    const TSize we = s_.windowExt, ve = s_.viewportExt;
    switch (s_.mapMode) {
    case MM_ANISOTROPIC:
        sx = double(ve.cx) / we.cx;
        sy = double(ve.cy) / we.cy;
        break;
    case MM_ISOTROPIC: {
        const double x = double(ve.cx) / we.cx, y = double(ve.cy) / we.cy;
        const double m = std::min(std::fabs(x), std::fabs(y));
        sx = std::copysign(m, x);
        sy = std::copysign(m, y);
        break;
    }
    case MM_LOMETRIC: sx = ppmmX_ / 10; sy = -ppmmY_ / 10; break;
    case MM_HIMETRIC: sx = ppmmX_ / 100; sy = -ppmmY_ / 100; break;
    case MM_LOENGLISH: sx = ppmmX_ * 0.254; sy = -ppmmY_ * 0.254; break;
    case MM_HIENGLISH: sx = ppmmX_ * 0.0254; sy = -ppmmY_ * 0.0254; break;
    case MM_TWIPS: sx = ppmmX_ * 25.4 / 1440; sy = -ppmmY_ * 25.4 / 1440; break;
    default: break;
    }
    // logical -> reference pixels -> target
    ax_ = sx * pageScaleX_;
    bx_ = (s_.viewportOrg.X - s_.windowOrg.X * sx) * pageScaleX_ + dest_.Left;
    ay_ = sy * pageScaleY_;
    by_ = (s_.viewportOrg.Y - s_.windowOrg.Y * sy) * pageScaleY_ + dest_.Top;
}

// Sutherland-Hodgman against the guard; the fill inside stays as it was.
std::vector<TPoint> Player::ClipPolygon(const std::vector<TPoint> &points) const
{
    struct Pt { double x, y; };
    std::vector<Pt> poly;
    poly.reserve(points.size());
    bool inside = true;
    for (const TPoint &p : points) {
        poly.push_back({XD(p.X), YD(p.Y)});
        inside = inside && poly.back().x >= guard_.Left && poly.back().x <= guard_.Right &&
                 poly.back().y >= guard_.Top && poly.back().y <= guard_.Bottom;
    }
    if (!inside) {
        for (int edge = 0; edge < 4 && !poly.empty(); ++edge) {
            auto in = [&](const Pt &p) {
                switch (edge) {
                case 0: return p.x >= guard_.Left;
                case 1: return p.x <= guard_.Right;
                case 2: return p.y >= guard_.Top;
                default: return p.y <= guard_.Bottom;
                }
            };
            auto cut = [&](const Pt &a, const Pt &b) {
                const double bound = edge == 0 ? guard_.Left : edge == 1 ? guard_.Right : edge == 2 ? guard_.Top : guard_.Bottom;
                const double t = edge < 2 ? (bound - a.x) / (b.x - a.x) : (bound - a.y) / (b.y - a.y);
                return Pt{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
            };
            std::vector<Pt> out;
            for (size_t i = 0; i < poly.size(); ++i) {
                const Pt &a = poly[i], &b = poly[(i + 1) % poly.size()];
                if (in(b)) {
                    if (!in(a))
                        out.push_back(cut(a, b));
                    out.push_back(b);
                } else if (in(a)) {
                    out.push_back(cut(a, b));
                }
            }
            poly.swap(out);
        }
    }
    std::vector<TPoint> result;
    result.reserve(poly.size());
    for (const Pt &p : poly)
        result.push_back({GX(p.x), GY(p.y)});
    return result;
}

// A line from the current position; the canvas gets only the part inside the guard.
void Player::Line(double x0, double y0, double x1, double y1)
{
    double ax = x0, ay = y0, bx = x1, by = y1;
    if (ClipSegment(ax, ay, bx, by, guard_.Left, guard_.Top, guard_.Right, guard_.Bottom)) {
        c_.MoveTo(GX(ax), GY(ay));
        c_.LineTo(GX(bx), GY(by));
    }
    c_.MoveTo(GX(x1), GY(y1));
}

void Player::ApplyPen()
{
    TPen p;
    p.SetStyle((s_.pen.style & PS_STYLE_MASK) <= PS_INSIDEFRAME ? TPenStyle(s_.pen.style & PS_STYLE_MASK) : psSolid);
    p.SetWidth(s_.pen.width <= 0 ? 0 : std::max(1, Length(s_.pen.width, ax_)));
    p.SetColor(s_.pen.color);
    c_.SetPen(p);
}

// Realising an object at once, where the page selected it, makes its side
// effects on the background and text colours fall where they fell while the
// page was recorded.
void Player::ApplyBrush(bool realise)
{
    TBrush b;
    b.SetColor(s_.brush.color);
    if (s_.brush.style == BS_NULL)
        b.SetStyle(bsClear);
    else if (s_.brush.style == BS_HATCHED)
        b.SetStyle(s_.brush.hatch <= 5 ? TBrushStyle(int(bsHorizontal) + int(s_.brush.hatch)) : bsSolid);
    c_.SetBrush(b);
    if (realise)
        c_.FillRect(Rect(0, 0, 0, 0));
}

void Player::ApplyFont(bool realise)
{
    const TEmrLogFont &lf = s_.font;
    TFont f(c_.Font());
    f.SetName(lf.FaceName.empty() ? TFont().Name() : Utf16ToUtf8(lf.FaceName));
    int height = 0;
    if (lf.Height != 0) {
        const int most = std::max(guard_.Width(), guard_.Height());
        height = std::clamp(Length(lf.Height, ay_), 1, std::max(1, most));
        if (lf.Height < 0)
            height = -height;
    }
    f.SetHeight(height);
    TFontStyles style = 0;
    if (lf.Weight >= 600)
        style |= fsBold;
    if (lf.Italic)
        style |= fsItalic;
    if (lf.Underline)
        style |= fsUnderline;
    if (lf.StrikeOut)
        style |= fsStrikeOut;
    f.SetStyle(style);
    f.SetCharset(lf.CharSet);
    f.SetOrientation(lf.Escapement % 3600); // the page's angle, in one turn
    const int pitch = lf.PitchAndFamily & 3;
    f.SetPitch(pitch == 1 ? TFontPitch::fpFixed : pitch == 2 ? TFontPitch::fpVariable : TFontPitch::fpDefault);
    f.SetColor(s_.textColor);
    c_.SetFont(f);
    if (realise)
        c_.TextMetrics();
}

void Player::Select(uint32_t index)
{
    if (index & ENHMETA_STOCK_OBJECT) {
        const uint32_t stock = index & ~ENHMETA_STOCK_OBJECT;
        static const int greys[5] = {255, 192, 128, 64, 0};
        if (stock <= BLACK_BRUSH) {
            s_.brush = {BS_SOLID, 0, RGB(greys[stock], greys[stock], greys[stock])};
        } else if (stock == NULL_BRUSH) {
            s_.brush = {BS_NULL, 0, clBlack};
        } else if (stock == WHITE_PEN || stock == BLACK_PEN) {
            s_.pen = {PS_SOLID, 0, stock == WHITE_PEN ? clWhite : clBlack};
        } else if (stock == NULL_PEN) {
            s_.pen = {PS_NULL, 0, clBlack};
        } else if (stock >= 10 && stock <= 17 && stock != 15) {
            s_.font = TEmrLogFont{};
            ApplyFont(true);
            return;
        } else {
            return;
        }
        if (stock <= NULL_BRUSH)
            ApplyBrush(true);
        return;
    }
    const Object &o = objects_[index];
    switch (o.kind) {
    case Object::Pen: s_.pen = o.pen; break;
    case Object::Brush: s_.brush = o.brush; ApplyBrush(true); break;
    case Object::Font: s_.font = o.font; ApplyFont(true); break;
    default: break; // nothing there: the selection fails, as it would on the platform
    }
}

bool Player::Handle(const TEmfRecord &rec)
{
    const uint32_t type = rec.Type();
    switch (type) {
    case EMR_SETMAPMODE:
        if (rec.I32(8) >= MM_TEXT && rec.I32(8) <= MM_ANISOTROPIC)
            s_.mapMode = rec.I32(8);
        Remap();
        break;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
        const TSize e = rec.SizeAt(8);
        if (e.cx != 0 && e.cy != 0)
            (type == EMR_SETWINDOWEXTEX ? s_.windowExt : s_.viewportExt) = e;
        Remap();
        break;
    }
    case EMR_SETWINDOWORGEX: s_.windowOrg = rec.PointAt(8); Remap(); break;
    case EMR_SETVIEWPORTORGEX: s_.viewportOrg = rec.PointAt(8); Remap(); break;
    case EMR_SETBKMODE: c_.SetBkMode(rec.I32(8)); break;
    case EMR_SETBKCOLOR: c_.SetBkColor(TColor(rec.U32(8) & 0xFFFFFF)); break;
    case EMR_SETTEXTCOLOR:
        s_.textColor = TColor(rec.U32(8) & 0xFFFFFF);
        c_.SetTextColor(s_.textColor);
        ApplyFont(false);
        break;
    case EMR_SETTEXTALIGN: c_.SetTextAlign(rec.U32(8)); break;
    case EMR_SETSTRETCHBLTMODE: c_.SetStretchBltMode(rec.I32(8)); break;
    case EMR_MOVETOEX:
        s_.curX = XD(rec.I32(8));
        s_.curY = YD(rec.I32(12));
        c_.MoveTo(GX(s_.curX), GY(s_.curY));
        break;
    case EMR_LINETO: {
        ApplyPen();
        ApplyBrush(false);
        const double x = XD(rec.I32(8)), y = YD(rec.I32(12));
        Line(s_.curX, s_.curY, x, y);
        s_.curX = x;
        s_.curY = y;
        break;
    }
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
    case EMR_ROUNDRECT: {
        ApplyPen();
        ApplyBrush(false);
        const TRect b = rec.RectAt(8);
        const int l = X(b.Left), t = Y(b.Top), r = X(b.Right), bt = Y(b.Bottom);
        if (type == EMR_RECTANGLE)
            c_.Rectangle(l, t, r, bt);
        else if (type == EMR_ELLIPSE)
            c_.Ellipse(l, t, r, bt);
        else
            c_.RoundRect(l, t, r, bt, Length(rec.I32(24), ax_), Length(rec.I32(28), ay_));
        break;
    }
    case EMR_POLYGON:
    case EMR_POLYGON16:
    case EMR_POLYLINE:
    case EMR_POLYLINE16: {
        TEmrPoly poly;
        if (!ParsePoly(rec, poly))
            break;
        ApplyPen();
        ApplyBrush(false);
        if (type == EMR_POLYGON || type == EMR_POLYGON16) {
            c_.Polygon(ClipPolygon(poly.Points));
        } else if (std::all_of(poly.Points.begin(), poly.Points.end(), [this](const TPoint &p) {
                       const double x = XD(p.X), y = YD(p.Y);
                       return x >= guard_.Left && x <= guard_.Right && y >= guard_.Top && y <= guard_.Bottom;
                   })) {
            for (TPoint &p : poly.Points)
                p = P(p);
            c_.Polyline(poly.Points);
        } else {
            const TPoint keep = c_.PenPos();
            for (size_t i = 0; i + 1 < poly.Points.size(); ++i)
                Line(XD(poly.Points[i].X), YD(poly.Points[i].Y), XD(poly.Points[i + 1].X), YD(poly.Points[i + 1].Y));
            c_.MoveTo(keep.X, keep.Y);
        }
        break;
    }
    case EMR_SETPIXELV: c_.SetPixel(X(rec.I32(8)), Y(rec.I32(12)), TColor(rec.U32(16) & 0xFFFFFF)); break;
    case EMR_INTERSECTCLIPRECT: c_.IntersectClipRect(R(rec.RectAt(8))); break;
    case EMR_EXCLUDECLIPRECT: c_.ExcludeClipRect(R(rec.RectAt(8))); break;
    case EMR_EXTSELECTCLIPRGN:
        // Only the reset to the initial clip; region data is not drawn.
        if (rec.U32(8) == 0 && rec.I32(12) == RGN_COPY)
            c_.SelectClipRect(initialClip_ ? &*initialClip_ : nullptr);
        break;
    case EMR_SAVEDC:
        if (int(stack_.size()) < kMaxSavedStates) {
            c_.SaveDC();
            stack_.push_back(s_);
        }
        break;
    case EMR_RESTOREDC: {
        const int rel = rec.I32(8), depth = int(stack_.size());
        const int back = rel < 0 ? (rel < -depth ? 0 : -rel) : depth - rel + 1;
        if (back < 1 || back > depth)
            break;
        c_.RestoreDC(-back);
        s_ = stack_[size_t(depth - back)];
        stack_.resize(size_t(depth - back));
        Remap();
        c_.Refresh();
        ApplyPen();
        ApplyBrush(false);
        ApplyFont(false);
        break;
    }
    case EMR_SELECTOBJECT: Select(rec.U32(8)); break;
    case EMR_CREATEPEN: {
        TEmrCreatePen p;
        if (ParseCreatePen(rec, p)) {
            Object &o = objects_[p.Handle];
            o.kind = Object::Pen;
            o.pen = {p.Style, p.Width, p.Color};
        }
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        TEmrCreateBrush b;
        if (ParseCreateBrush(rec, b)) {
            Object &o = objects_[b.Handle];
            o.kind = Object::Brush;
            o.brush = {b.Style, b.Hatch, b.Color};
        }
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        TEmrLogFont f;
        if (ParseLogFont(rec, f)) {
            Object &o = objects_[f.Handle];
            o.kind = Object::Font;
            o.font = std::move(f);
        }
        break;
    }
    case EMR_DELETEOBJECT: objects_[rec.U32(8)].kind = Object::Free; break;
    case EMR_EXTTEXTOUTW: Text(rec); break;
    case EMR_GRADIENTFILL: {
        TEmrGradientFill g;
        if (ParseGradientFill(rec, g))
            for (const TEmrGradientRect &r : g.Rects)
                c_.GradientFillRect({X(r.Box.Left), Y(r.Box.Top), X(r.Box.Right), Y(r.Box.Bottom)}, r.Start, r.Stop,
                                    g.Vertical);
        break;
    }
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS: Blt(rec); break;
    default: break;
    }
    return true;
}

void Player::Text(const TEmfRecord &rec)
{
    TEmrExtTextOut t;
    if (!ParseExtTextOut(rec, t) || (t.Options & ETO_GLYPH_INDEX))
        return;
    ApplyFont(false);
    ApplyBrush(false);
    const String text = Utf16ToUtf8(t.Text);
    const size_t units = Utf8ToUtf16(text).size();
    std::vector<int> dx;
    if (!t.Dx.empty()) {
        // Placed on the rounded running sum, so that rounding does not add up.
        dx.resize(units, 0);
        double pos = t.Reference.X;
        int at = X(pos);
        for (size_t i = 0; i < units && i < t.Dx.size(); ++i) {
            pos += t.Dx[i];
            const int next = X(pos);
            dx[i] = next - at;
            at = next;
        }
    }
    const unsigned options = t.Options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING);
    const TRect clip = R(t.Clip);
    const bool boxed = options & (ETO_OPAQUE | ETO_CLIPPED);
    c_.ExtTextOut(X(t.Reference.X), Y(t.Reference.Y), options, boxed ? &clip : nullptr, text,
                  dx.empty() ? nullptr : dx.data());
}

void Player::Blt(const TEmfRecord &rec)
{
    TEmrBlt b;
    if (!ParseBlt(rec, b))
        return;
    const int64_t x2 = int64_t(b.XDest) + b.CxDest, y2 = int64_t(b.YDest) + b.CyDest;
    const int l = X(b.XDest), t = Y(b.YDest), r = X(double(x2)), bt = Y(double(y2));
    const TRect dest{std::min(l, r), std::min(t, bt), std::max(l, r), std::max(t, bt)};
    if (!b.HasSource) {
        if (b.Rop == PATCOPY) {
            ApplyBrush(false);
            c_.FillRect(dest);
        }
        return;
    }
    // The source rectangle counts rows from the bottom of a bottom-up DIB.
    int64_t sx = b.XSrc, sy = b.YSrc, sw = b.CxSrc, sh = b.CySrc;
    if (rec.Type() == EMR_STRETCHDIBITS && !b.Dib.TopDown)
        sy = int64_t(b.Dib.Height) - sy - sh;
    const int64_t cl = std::max<int64_t>(sx, 0), ct = std::max<int64_t>(sy, 0);
    const int64_t cr = std::min<int64_t>(sx + sw, b.Dib.Width), cb = std::min<int64_t>(sy + sh, b.Dib.Height);
    if (cr <= cl || cb <= ct || dest.IsEmpty())
        return;
    // Only the part that is drawn is decoded.
    QImage part = DibToImage(b.Dib, QRect(int(cl), int(ct), int(cr - cl), int(cb - ct)));
    if (part.isNull())
        return;
    const bool flipX = r < l, flipY = bt < t;
    if (flipX || flipY)
        part = part.mirrored(flipX, flipY);
    c_.StretchDrawImage(dest, part, Rect(0, 0, part.width(), part.height()));
}

} // namespace

TEmfEnumResult Play(TCanvas &canvas, const TMetafile &metafile, const TRect &dest)
{
    return Player(canvas, metafile, dest).Run();
}

} // namespace plat::emf

namespace plat {

emf::TEmfEnumResult PlayMetafile(TCanvas &canvas, const TMetafile &metafile, const TRect &dest)
{
    return emf::Play(canvas, metafile, dest);
}

} // namespace plat
