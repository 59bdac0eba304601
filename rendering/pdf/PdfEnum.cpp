#include "rendering/pdf/PdfEnum.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Fonts.h"
#include "platform/metafile/MetafilePlayer.h"
#include "rendering/pdf/GdiPlusLib.h"
#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/PdfFonts.h"
#include "rendering/pdf/PdfImage.h"

#include <algorithm>
#include <cmath>

using namespace plat::emf;
using plat::TColor;
using plat::TRect;

namespace {

constexpr double kDegree = 0.017453292519943295;

TColor ColorAt(const TEmfRecord &rec, uint64_t off) { return static_cast<TColor>(rec.U32(off) & 0xFFFFFF); }

} // namespace

void TPdfCanvas::RenderMetaFile(const plat::TMetafile &metafile, double x, double y, double scale)
{
    TPdfEnum(*this, metafile, x, y, scale).Run();
}

TPdfEnum::TPdfEnum(TPdfCanvas &canvas, const plat::TMetafile &metafile, double x, double y, double scale)
    : c_(canvas), mf_(metafile), x_(x), y_(y), scale_(scale)
{
    const int ppi = canvas.Document().ScreenLogPixels();
    TState &s = states_[0];
    s.WinCx = std::max(1, plat::MulDiv(metafile.MMWidth(), ppi, 2540));
    s.WinCy = std::max(1, plat::MulDiv(metafile.MMHeight(), ppi, 2540));
    s.VpCx = std::max(1, static_cast<int>(std::lround(s.WinCx * scale)));
    s.VpCy = std::max(1, static_cast<int>(std::lround(s.WinCy * scale)));
    c_.PictureX = static_cast<float>(x);
    c_.PictureY = static_cast<float>(y);
}

TEmfEnumResult TPdfEnum::Run()
{
    UpdateMapping();
    c_.GSave();
    TEmfEnumResult result;
    auto close = [this] {
        StrokePending();
        c_.GRestore();
        // Q brought back the state from before the picture: what the page's
        // stream has in force is no longer known.
        ForgetWritten();
    };
    try {
        result = mf_.Enumerate([this](const TEmfRecord &rec) { return Handle(rec); });
    } catch (...) {
        close();
        throw;
    }
    close();
    return result;
}

void TPdfEnum::ForgetWritten()
{
    stroke_ = fill_ = style_ = -1;
    width_ = -1;
    if (TPdfPage *page = c_.Page()) {
        page->SetFont(nullptr);
        page->SetFontSize(0);
    }
}

void TPdfEnum::UpdateMapping(const float *transform)
{
    StrokePending();
    const TState &s = S();
    const double d = c_.DevScale;
    double sx = double(s.VpCx) / s.WinCx * d, sy = double(s.VpCy) / s.WinCy * d;
    double ox = (double(plat::MulDiv(s.VpOrgX, s.WinCx, s.VpCx)) - s.WinOrgX) * sx;
    double oy = (double(plat::MulDiv(s.VpOrgY, s.WinCy, s.VpCy)) - s.WinOrgY) * sy;
    if (transform) {
        ox = ox * transform[0] + transform[4] * sx;
        oy = oy * transform[3] + transform[5] * sy;
        sx *= transform[0];
        sy *= transform[3];
    }
    c_.ScaleX = static_cast<float>(sx);
    c_.ScaleY = static_cast<float>(sy);
    c_.OffsetX = static_cast<float>(ox + x_);
    c_.OffsetY = static_cast<float>(y_ + c_.PageHeight() - oy);
}

void TPdfEnum::StrokePending()
{
    if (pending_) {
        c_.Stroke();
        pending_ = false;
    }
}

void TPdfEnum::ApplyPen()
{
    const TState &s = S();
    if (s.PenNull) {
        stroke_ = style_ = -1;
        width_ = -1;
        return;
    }
    if (stroke_ != s.PenColor) {
        c_.SetRGBStrokeColor(s.PenColor);
        stroke_ = s.PenColor;
    }
    if (style_ != s.PenStyle) {
        static const std::vector<uint8_t> dashes[5] = {{}, {4, 4}, {1, 1}, {4, 1, 1, 1}, {4, 1, 1, 1, 1, 1}};
        c_.SetDash(s.PenStyle >= 1 && s.PenStyle <= 4 ? dashes[s.PenStyle] : dashes[0], 0);
        style_ = s.PenStyle;
    }
    const float width = static_cast<float>(s.PenWidth * c_.ScaleX);
    if (width_ != width) {
        c_.SetLineWidth(width);
        width_ = width;
    }
}

void TPdfEnum::SetFill(TColor color)
{
    if (fill_ != color) {
        c_.SetRGBFillColor(color);
        fill_ = color;
    }
}

void TPdfEnum::PreparePenAndBrush()
{
    StrokePending();
    ApplyPen();
    if (!S().BrushNull)
        SetFill(S().BrushColor);
}

void TPdfEnum::PaintClosed()
{
    if (S().BrushNull)
        c_.Stroke();
    else if (S().PenNull)
        c_.Fill();
    else
        c_.FillStroke();
}

bool TPdfEnum::Select(uint32_t index)
{
    TState &s = S();
    if (index & ENHMETA_STOCK_OBJECT) {
        const uint32_t stock = index & ~ENHMETA_STOCK_OBJECT;
        static const int brushes[5][3] = {{255, 255, 255}, {170, 170, 170}, {128, 128, 128}, {102, 102, 102}, {0, 0, 0}};
        if (stock <= BLACK_BRUSH) {
            s.BrushNull = false;
            s.BrushColor = plat::RGB(brushes[stock][0], brushes[stock][1], brushes[stock][2]);
        } else if (stock == NULL_BRUSH) {
            s.BrushNull = true;
        } else if (stock == WHITE_PEN || stock == BLACK_PEN) {
            s.PenNull = false;
            s.PenColor = stock == WHITE_PEN ? plat::RGB(255, 255, 255) : plat::RGB(0, 0, 0);
        } else if (stock == NULL_PEN) {
            s.PenNull = true;
        }
        return true;
    }
    if (index >= slots_.size())
        return true;
    const TSlot &o = slots_[index];
    switch (o.Kind) {
    case TSlot::Free:
        // What the page selects is not there: the rest would draw with the
        // wrong objects, so the conversion ends here.
        return false;
    case TSlot::Pen:
        s.PenColor = o.Color;
        s.PenStyle = o.Style;
        s.PenWidth = o.Width;
        s.PenNull = o.Width == 0 || o.Style == int(PS_NULL);
        break;
    case TSlot::Brush:
        s.BrushColor = o.Color;
        s.BrushNull = o.Null;
        break;
    case TSlot::Font:
        s.FontAngle = o.Angle;
        s.FontAscent = o.Ascent;
        s.FontDescent = o.Descent;
        s.FontEm = o.Em;
        s.LogFont = o.LogFont;
        break;
    }
    return true;
}

TPdfEnum::TSlot *TPdfEnum::NewSlot(uint32_t handle, TSlot::TKind kind)
{
    if (handle >= slots_.size())
        return nullptr;
    TSlot &o = slots_[handle];
    o = TSlot{};
    o.Kind = kind;
    return &o;
}

void TPdfEnum::CreateFontSlot(const TEmrLogFont &lf)
{
    TSlot *o = NewSlot(lf.Handle, TSlot::Font);
    if (!o)
        return;
    const bool bold = lf.Weight >= 600, italic = lf.Italic != 0;
    const std::string face = lf.FaceName.empty() ? plat::TFont().Name() : plat::Utf16ToUtf8(lf.FaceName);
    const plat::TScaledFont font(plat::TFontProvider::Instance().Resolve(face, bold, italic), lf.Height, bold, italic);
    o->Angle = static_cast<int16_t>((lf.Orientation != 0 ? lf.Orientation : lf.Escapement) / 10);
    o->Ascent = font.Metrics().tmAscent;
    o->Descent = font.Metrics().tmDescent;
    o->Em = font.Metrics().tmHeight - font.Metrics().tmInternalLeading;
    o->LogFont = lf;
}

bool TPdfEnum::Handle(const TEmfRecord &rec)
{
    const uint32_t type = rec.Type();
    if (type != EMR_LINETO)
        StrokePending();
    TState &s = S();
    switch (type) {
    case EMR_HEADER:
        slots_.assign(mf_.Header().Handles, TSlot{});
        UpdateMapping();
        break;
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
        Poly(rec);
        break;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
        // An extent of 0 would divide by zero; the platform ignores it too.
        const plat::TSize e = rec.SizeAt(8);
        if (e.cx != 0 && e.cy != 0) {
            (type == EMR_SETWINDOWEXTEX ? s.WinCx : s.VpCx) = e.cx;
            (type == EMR_SETWINDOWEXTEX ? s.WinCy : s.VpCy) = e.cy;
        }
        UpdateMapping();
        break;
    }
    case EMR_SETWINDOWORGEX:
        s.WinOrgX = rec.I32(8);
        s.WinOrgY = rec.I32(12);
        UpdateMapping();
        break;
    case EMR_SETVIEWPORTORGEX:
        s.VpOrgX = rec.I32(8);
        s.VpOrgY = rec.I32(12);
        UpdateMapping();
        break;
    case EMR_SETTEXTALIGN: s.TextAlign = rec.U32(8); break;
    case EMR_SETTEXTCOLOR: s.TextColor = ColorAt(rec, 8); break;
    case EMR_MOVETOEX:
        s.CurX = rec.I32(8);
        s.CurY = rec.I32(12);
        s.PosKnown = true;
        break;
    case EMR_SAVEDC:
        if (current_ + 1 < kStates) {
            states_[size_t(current_ + 1)] = s;
            ++current_;
        } else {
            // Deeper than the states kept: counted, so that its restore
            // does not pop a level it did not push.
            ++excessSaves_;
        }
        break;
    case EMR_RESTOREDC:
        if (excessSaves_ > 0) {
            --excessSaves_;
        } else if (current_ > 0) {
            --current_;
            UpdateMapping();
        }
        break;
    case EMR_SETWORLDTRANSFORM: {
        const float m[6] = {rec.F32(8), rec.F32(12), rec.F32(16), rec.F32(20), rec.F32(24), rec.F32(28)};
        UpdateMapping(m);
        break;
    }
    case EMR_SELECTOBJECT: return Select(rec.U32(8));
    case EMR_CREATEPEN: {
        TEmrCreatePen p;
        if (!ParseCreatePen(rec, p))
            break;
        if (TSlot *o = NewSlot(p.Handle, TSlot::Pen)) {
            o->Color = p.Color;
            o->Style = static_cast<int>(p.Style & PS_STYLE_MASK);
            o->Width = static_cast<float>(p.Width);
        }
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        TEmrCreateBrush b;
        if (!ParseCreateBrush(rec, b))
            break;
        if (TSlot *o = NewSlot(b.Handle, TSlot::Brush)) {
            o->Color = b.Color;
            o->Null = b.Style == BS_NULL;
        }
        break;
    }
    case EMR_DELETEOBJECT:
        if (rec.U32(8) < slots_.size())
            slots_[rec.U32(8)] = TSlot{};
        break;
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
        if (s.PenNull && s.BrushNull)
            break;
        PreparePenAndBrush();
        if (type == EMR_RECTANGLE)
            c_.RectangleI(rec.RectAt(8));
        else
            c_.EllipseI(rec.RectAt(8));
        PaintClosed();
        break;
    case EMR_ROUNDRECT: {
        if (s.PenNull && s.BrushNull)
            break;
        const TRect r = rec.RectAt(8);
        PreparePenAndBrush();
        c_.RoundRectI({std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                       std::max(r.Top, r.Bottom)},
                      rec.I32(24), rec.I32(28));
        PaintClosed();
        break;
    }
    case EMR_LINETO: {
        const int x = rec.I32(8), y = rec.I32(12);
        if (!s.PenNull) {
            ApplyPen();
            if (!pending_) {
                // A path needs its start, wherever that is, (0, 0) included.
                if (s.PosKnown)
                    c_.MoveToI(s.CurX, s.CurY);
                else
                    c_.MoveToI(x, y);
            }
            c_.LineToI(x, y);
            pending_ = true;
        }
        s.CurX = x;
        s.CurY = y;
        s.PosKnown = true;
        break;
    }
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS:
        Blt(rec);
        break;
    case EMR_EXTCREATEFONTINDIRECTW: {
        TEmrLogFont lf;
        if (ParseLogFont(rec, lf))
            CreateFontSlot(lf);
        break;
    }
    case EMR_EXTTEXTOUTW: Text(rec); break;
    default: break;
    }
    return true;
}

void TPdfEnum::Poly(const TEmfRecord &rec)
{
    const TState &s = S();
    const bool polygon = rec.Type() == EMR_POLYGON || rec.Type() == EMR_POLYGON16;
    // A polyline is only a stroke: with no pen there is nothing to draw.
    if ((s.PenNull && s.BrushNull) || (!polygon && s.PenNull))
        return;
    TEmrPoly poly;
    if (!ParsePoly(rec, poly) || poly.Points.empty())
        return;
    PreparePenAndBrush();
    c_.MoveToI(poly.Points[0].X, poly.Points[0].Y);
    for (size_t i = 1; i < poly.Points.size(); ++i)
        c_.LineToI(poly.Points[i].X, poly.Points[i].Y);
    if (polygon) {
        c_.Closepath();
        PaintClosed();
    } else {
        c_.Stroke();
    }
}

void TPdfEnum::Blt(const TEmfRecord &rec)
{
    TEmrBlt b;
    if (!ParseBlt(rec, b))
        return;
    if (b.HasSource) {
        DrawBitmap(b, rec.Type() == EMR_STRETCHDIBITS);
        return;
    }
    if (b.Rop != PATCOPY || S().BrushNull)
        return;
    c_.NewPath();
    SetFill(S().BrushColor);
    c_.RectangleI({b.XDest, b.YDest, static_cast<int>(std::clamp<int64_t>(int64_t(b.XDest) + b.CxDest, INT32_MIN, INT32_MAX)),
                   static_cast<int>(std::clamp<int64_t>(int64_t(b.YDest) + b.CyDest, INT32_MIN, INT32_MAX))});
    c_.Fill();
}

void TPdfEnum::DrawBitmap(const TEmrBlt &b, bool fromBottom)
{
    TRect source;
    if (!BitmapSource(b, fromBottom, source))
        return;

    TPdfDocument &doc = c_.Document();
    const std::string name = "Syn" + Int32ToText(++doc.ImageCounter);
    if (doc.JPEGCompression != 0) {
        plat::TBitmap bitmap;
        bitmap.SetImage(plat::DibToImage(b.Dib, QRect(source.Left, source.Top, source.Width(), source.Height())));
        TJpegImage jpeg;
        jpeg.Assign(bitmap);
        auto *image = new TPdfImage(doc, false, jpeg);  // the table owns it from here
        doc.RegisterXObject(image, name);
    } else {
        auto image = std::make_unique<TPdfImage>(doc, true, b.Dib, source);
        doc.AddXObject(name, image.get());
        image.release();
    }
    const double w = b.CxDest * double(c_.ScaleX), h = b.CyDest * double(c_.ScaleY);
    c_.DrawXObject(name, c_.I2X(b.XDest), c_.I2Y(b.YDest) - h, w, h);
}

void TPdfEnum::Text(const TEmfRecord &rec)
{
    TEmrExtTextOut t;
    if (!ParseExtTextOut(rec, t))
        return;
    TState &s = S();
    const double sx = c_.ScaleX, sy = c_.ScaleY;
    const double size = (s.LogFont.Height < 0 ? -double(s.LogFont.Height) : double(s.FontEm)) * std::fabs(sy);
    c_.SetFont(s.LogFont, size);
    const bool glyphs = t.Options & ETO_GLYPH_INDEX;

    double w = 0;
    if (!t.Dx.empty())
        w = plat::TotalAdvance(t.Dx);
    else if (!glyphs && sx != 0)
        w = std::round(c_.TextWidth(t.Text) / sx);
    double dx = 0, dy = 0;
    if ((s.TextAlign & TA_CENTER) == TA_CENTER)
        dx = w / 2;
    else if (s.TextAlign & TA_RIGHT)
        dx = w;
    if ((s.TextAlign & TA_BASELINE) == TA_BASELINE)
        dy = 0;
    else if ((s.TextAlign & TA_BASELINE) == TA_BOTTOM)
        dy = s.FontDescent;
    else
        dy = -s.FontAscent;

    if ((t.Options & ETO_OPAQUE) && !s.BrushNull && s.FontAngle == 0) {
        c_.NewPath();
        SetFill(s.BrushColor);
        c_.RectangleI(t.Clip);
        c_.Fill();
    }
    SetFill(s.TextColor);
    c_.RightToLeft = t.Options & ETO_RTLREADING;
    const bool clipped = t.Clip.Right > t.Clip.Left && t.Clip.Bottom > t.Clip.Top;
    if (clipped) {
        c_.GSave();
        c_.MoveToI(t.Clip.Left, t.Clip.Top);
        c_.LineToI(t.Clip.Left, t.Clip.Bottom - 1);
        c_.LineToI(t.Clip.Right - 1, t.Clip.Bottom - 1);
        c_.LineToI(t.Clip.Right - 1, t.Clip.Top);
        c_.Closepath();
        c_.Clip();
        c_.NewPath();
    }

    // The start of the baseline in points, and the direction of the text.
    const double angle = s.FontAngle * kDegree, cosA = std::cos(angle), sinA = std::sin(angle);
    const double rx = c_.I2X(t.Reference.X), ry = c_.I2Y(t.Reference.Y);
    const double ux = -dx * sx, uy = dy * sy;
    const double startX = rx + ux * cosA - uy * sinA, startY = ry + ux * sinA + uy * cosA;
    c_.BeginText();
    if (s.FontAngle == 0)
        c_.MoveTextPoint(startX, startY);
    else
        c_.SetTextMatrix(cosA, sinA, -sinA, cosA, startX, startY);
    if (glyphs)
        c_.ShowGlyphs(std::vector<uint16_t>(t.Text.begin(), t.Text.end()));
    else
        c_.AddUnicodeHexText(t.Text);
    c_.EndText();

    const plat::emf::TEmrLogFont &lf = s.LogFont;
    if (lf.Underline || lf.StrikeOut) {
        const float lineWidth = static_cast<float>(size / 15);
        if (stroke_ != s.TextColor) {
            c_.SetRGBStrokeColor(s.TextColor);
            stroke_ = s.TextColor;
        }
        if (style_ != 0) {
            c_.SetDash({}, 0);
            style_ = 0;
        }
        if (width_ != lineWidth) {
            c_.SetLineWidth(lineWidth);
            width_ = lineWidth;
        }
        const double length = w * sx;
        auto line = [&](double offset) {
            const double ax = startX - offset * sinA, ay = startY + offset * cosA;
            c_.MoveTo(ax, ay);
            c_.LineTo(ax + length * cosA, ay + length * sinA);
            c_.Stroke();
        };
        if (lf.Underline)
            line(-size / 8);
        if (lf.StrikeOut)
            line(size / 3);
    }
    if (clipped) {
        c_.GRestore();
        ForgetWritten();
    }
    if (s.TextAlign & TA_UPDATECP)
        s.PosKnown = false;
}
