#include "platform/metafile/MetafileCanvas.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Fonts.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace plat {

namespace {

constexpr TRect kNoBounds{0, 0, -1, -1};

TColor Plain(TColor c) { return ColorToRGB(c) & 0x00FFFFFF; }

uint32_t HatchOf(TBrushStyle s)
{
    switch (s) {
    case bsHorizontal: return 0;
    case bsVertical: return 1;
    case bsFDiagonal: return 2;
    case bsBDiagonal: return 3;
    case bsCross: return 4;
    default: return 5; // bsDiagCross
    }
}

} // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile &metafile) : TCanvas(), metafile_(metafile) {}

TMetafileCanvas::~TMetafileCanvas()
{
    try {
        Close();
    } catch (...) {
        // A page that cannot be handed over is lost; a destructor must not throw.
    }
}

void TMetafileCanvas::Close()
{
    if (closed_)
        return;
    // Deselect every object, then delete all of them.
    if (dc_.pen)
        writer_.Record(emf::EMR_SELECTOBJECT, {int32_t(emf::ENHMETA_STOCK_OBJECT | emf::BLACK_PEN)});
    if (dc_.brush)
        writer_.Record(emf::EMR_SELECTOBJECT, {int32_t(emf::ENHMETA_STOCK_OBJECT | emf::WHITE_BRUSH)});
    if (dc_.font)
        writer_.Record(emf::EMR_SELECTOBJECT, {int32_t(emf::ENHMETA_STOCK_OBJECT | emf::DEVICE_DEFAULT_FONT)});
    dc_.pen = dc_.brush = dc_.font = 0;
    saved_.clear();
    for (uint32_t h = 1; h < used_.size(); ++h)
        if (used_[h])
            Delete(h);
    closed_ = true;

    const TRect bounds = anyBounds_ ? bounds_ : kNoBounds;
    if (metafile_.MMWidth() <= 0 || metafile_.MMHeight() <= 0) {
        metafile_.SetMMWidth(MulDiv(std::max(bounds.Right + 1, 0), 2540, emf::kRefPixelsPerInch));
        metafile_.SetMMHeight(MulDiv(std::max(bounds.Bottom + 1, 0), 2540, emf::kRefPixelsPerInch));
    }
    const TRect frame{0, 0, metafile_.MMWidth(), metafile_.MMHeight()};
    metafile_.SetBytes(writer_.Finish(bounds, frame, static_cast<uint16_t>(highest_ + 1)));
}

// ---------------------------------------------------------------- handles

uint32_t TMetafileCanvas::NewHandle()
{
    uint32_t h = 1;
    while (h < used_.size() && used_[h])
        ++h;
    if (h == used_.size())
        used_.push_back(true);
    else
        used_[h] = true;
    highest_ = std::max(highest_, h);
    return h;
}

void TMetafileCanvas::Select(uint32_t &slot, uint32_t handle)
{
    writer_.Record(emf::EMR_SELECTOBJECT, {int32_t(handle)});
    const uint32_t old = slot;
    slot = handle;
    if (old && !Pinned(old))
        Delete(old);
}

bool TMetafileCanvas::Pinned(uint32_t handle) const
{
    if (dc_.pen == handle || dc_.brush == handle || dc_.font == handle)
        return true;
    for (const Mirror &m : saved_)
        if (m.pen == handle || m.brush == handle || m.font == handle)
            return true;
    return false;
}

void TMetafileCanvas::Delete(uint32_t handle)
{
    writer_.Record(emf::EMR_DELETEOBJECT, {int32_t(handle)});
    used_[handle] = false;
}

void TMetafileCanvas::DropUnused()
{
    for (uint32_t h = 1; h < used_.size(); ++h)
        if (used_[h] && !Pinned(h))
            Delete(h);
}

void TMetafileCanvas::CreatePen()
{
    TCanvas::CreatePen();
    if (!Recording())
        return;
    // Width 0 means one device pixel; the written width says so explicitly.
    const PenKey key{static_cast<uint32_t>(Pen().Style()), std::max(1, Pen().Width()), Plain(Pen().Color())};
    if (dc_.pen && dc_.penKey == key)
        return;
    const uint32_t h = NewHandle();
    writer_.Record(emf::EMR_CREATEPEN, {int32_t(h), int32_t(key.style), key.width, 0, key.color});
    dc_.penKey = key;
    Select(dc_.pen, h);
}

void TMetafileCanvas::CreateBrush()
{
    if (Recording()) {
        BrushKey key{emf::BS_SOLID, 0, Plain(Brush().Color())};
        if (Brush().Style() == bsClear) {
            key.style = emf::BS_NULL;
        } else if (Brush().Style() != bsSolid) {
            key.style = emf::BS_HATCHED;
            key.hatch = HatchOf(Brush().Style());
        }
        if (!(dc_.brush && dc_.brushKey == key)) {
            const uint32_t h = NewHandle();
            writer_.Record(emf::EMR_CREATEBRUSHINDIRECT, {int32_t(h), int32_t(key.style), key.color, int32_t(key.hatch)});
            dc_.brushKey = key;
            Select(dc_.brush, h);
        }
    }
    TCanvas::CreateBrush();
}

void TMetafileCanvas::CreateFont()
{
    if (Recording()) {
        const TFont &f = Font();
        emf::TEmrLogFont key;
        key.Height = f.Height();
        key.Escapement = key.Orientation = f.Orientation();
        key.Weight = (f.Style() & fsBold) ? emf::FW_BOLD : emf::FW_NORMAL;
        key.Italic = (f.Style() & fsItalic) ? 1 : 0;
        key.Underline = (f.Style() & fsUnderline) ? 1 : 0;
        key.StrikeOut = (f.Style() & fsStrikeOut) ? 1 : 0;
        key.CharSet = f.Charset();
        key.PitchAndFamily = f.Pitch() == TFontPitch::fpFixed ? 1 : f.Pitch() == TFontPitch::fpVariable ? 2 : 0;
        key.FaceName = Utf8ToUtf16(f.Name()).substr(0, emf::kLfFaceSize - 1);
        auto same = [](const emf::TEmrLogFont &a, const emf::TEmrLogFont &b) {
            return a.Height == b.Height && a.Escapement == b.Escapement && a.Weight == b.Weight &&
                   a.Italic == b.Italic && a.Underline == b.Underline && a.StrikeOut == b.StrikeOut &&
                   a.CharSet == b.CharSet && a.PitchAndFamily == b.PitchAndFamily && a.FaceName == b.FaceName;
        };
        if (!(dc_.font && same(dc_.fontKey, key))) {
            const uint32_t h = NewHandle();
            key.Handle = h;
            writer_.CreateFont(h, key);
            dc_.fontKey = key;
            Select(dc_.font, h);
        }
    }
    TCanvas::CreateFont();
}

// ---------------------------------------------------------------- bounds

TRect TMetafileCanvas::Normalised(int x1, int y1, int x2, int y2) const
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

TRect TMetafileCanvas::DeviceBounds(const TRect &logical, bool withPen) const
{
    const TPoint a = LPtoDP({logical.Left, logical.Top}), b = LPtoDP({logical.Right, logical.Bottom});
    TRect d{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) - 1, std::max(a.Y, b.Y) - 1};
    if (withPen && Pen().Style() != psClear) {
        const TPoint o = LPtoDP({0, 0}), w = LPtoDP({std::max(1, Pen().Width()), 0});
        const int half = std::abs(w.X - o.X) / 2;
        d = {d.Left - half, d.Top - half, d.Right + half, d.Bottom + half};
    }
    return d;
}

void TMetafileCanvas::AddBounds(const TRect &d)
{
    if (d.Right < d.Left || d.Bottom < d.Top)
        return;
    if (!anyBounds_) {
        bounds_ = d;
        anyBounds_ = true;
        return;
    }
    bounds_ = {std::min(bounds_.Left, d.Left), std::min(bounds_.Top, d.Top), std::max(bounds_.Right, d.Right),
               std::max(bounds_.Bottom, d.Bottom)};
}

// ---------------------------------------------------------------- lines and shapes

void TMetafileCanvas::MoveTo(int x, int y) { TCanvas::MoveTo(x, y); }

void TMetafileCanvas::SyncPosition()
{
    // A line continues the previous one only when nothing was recorded in
    // between: readers that build paths close the path at any other record
    // and forget where it ended.
    if (dc_.posKnown && dc_.pos == PenPos() && writer_.Records() == pathEnd_)
        return;
    writer_.Record(emf::EMR_MOVETOEX, {PenPos().X, PenPos().Y});
    dc_.pos = PenPos();
    dc_.posKnown = true;
}

void TMetafileCanvas::LineTo(int x, int y)
{
    RequiredState(csPenValid | csBrushValid);
    if (Recording()) {
        SyncPosition();
        writer_.Record(emf::EMR_LINETO, {x, y});
        pathEnd_ = writer_.Records();
        AddBounds(DeviceBounds(Normalised(PenPos().X, PenPos().Y, x + 1, y + 1), true));
        dc_.pos = {x, y};
    }
    TCanvas::MoveTo(x, y);
}

void TMetafileCanvas::RecordBox(uint32_t type, const TRect &box, std::initializer_list<int32_t> extra)
{
    if (!Recording())
        return;
    std::vector<int32_t> params{box.Left, box.Top, box.Right, box.Bottom};
    params.insert(params.end(), extra.begin(), extra.end());
    if (params.size() == 4)
        writer_.Record(type, {params[0], params[1], params[2], params[3]});
    else
        writer_.Record(type, {params[0], params[1], params[2], params[3], params[4], params[5]});
    AddBounds(DeviceBounds(Normalised(box.Left, box.Top, box.Right, box.Bottom), true));
}

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    RequiredState(csPenValid | csBrushValid);
    RecordBox(emf::EMR_RECTANGLE, {x1, y1, x2, y2});
}

void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    RequiredState(csPenValid | csBrushValid);
    RecordBox(emf::EMR_ELLIPSE, {x1, y1, x2, y2});
}

void TMetafileCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH)
{
    RequiredState(csPenValid | csBrushValid);
    RecordBox(emf::EMR_ROUNDRECT, {x1, y1, x2, y2}, {cornerW, cornerH});
}

void TMetafileCanvas::FillRect(const TRect &r)
{
    RequiredState(csBrushValid);
    const TRect n = Normalised(r.Left, r.Top, r.Right, r.Bottom);
    // A clear brush paints nothing on a canvas; a pattern copy would be
    // filled with the brush colour by readers that do not look at its style.
    if (!Recording() || n.IsEmpty() || Brush().Style() == bsClear)
        return;
    const TRect d = DeviceBounds(n, false);
    writer_.PatBlt(d, n);
    AddBounds(d);
}

void TMetafileCanvas::FrameRect(const TRect &frame)
{
    RequiredState(csBrushValid);
    const TRect r = Normalised(frame.Left, frame.Top, frame.Right, frame.Bottom);
    if (!Recording() || r.IsEmpty() || Brush().Style() == bsClear)
        return;
    // One logical unit wide, at least one device pixel, as the canvas draws it.
    const TPoint o = LPtoDP({0, 0}), unit = DPtoLP({o.X + 1, o.Y + 1});
    const int w = std::max(1, std::abs(unit.X)), h = std::max(1, std::abs(unit.Y));
    if (r.Width() <= 2 * w || r.Height() <= 2 * h) {
        FillRect(r);
        return;
    }
    const TRect parts[4] = {{r.Left, r.Top, r.Right, r.Top + h},
                            {r.Left, r.Bottom - h, r.Right, r.Bottom},
                            {r.Left, r.Top + h, r.Left + w, r.Bottom - h},
                            {r.Right - w, r.Top + h, r.Right, r.Bottom - h}};
    for (const TRect &p : parts)
        FillRect(p);
}

void TMetafileCanvas::RecordPoly(uint32_t type16, const TPoint *points, int count)
{
    if (!Recording() || !points || count < 2)
        return;
    TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int i = 0; i < count; ++i) {
        box.Left = std::min(box.Left, points[i].X);
        box.Top = std::min(box.Top, points[i].Y);
        box.Right = std::max(box.Right, points[i].X);
        box.Bottom = std::max(box.Bottom, points[i].Y);
    }
    writer_.Poly(type16, points, count, box);
    AddBounds(DeviceBounds({box.Left, box.Top, box.Right + 1, box.Bottom + 1}, true));
}

void TMetafileCanvas::Polygon(const TPoint *points, int count)
{
    RequiredState(csPenValid | csBrushValid);
    RecordPoly(emf::EMR_POLYGON16, points, count);
}

void TMetafileCanvas::Polyline(const TPoint *points, int count)
{
    RequiredState(csPenValid | csBrushValid);
    RecordPoly(emf::EMR_POLYLINE16, points, count);
}

// ---------------------------------------------------------------- text

void TMetafileCanvas::ExtTextOut(int x, int y, unsigned options, const TRect *rect, const String &text,
                                 const int *dx)
{
    RequiredState(csFontValid | csBrushValid);
    if (!Recording())
        return;
    const bool boxed = rect && (options & (ETO_OPAQUE | ETO_CLIPPED));
    emf::TEmrExtTextOut t;
    t.Text = Utf8ToUtf16(text);
    if (t.Text.empty() && !(boxed && (options & ETO_OPAQUE)))
        return;
    if (dx)
        t.Dx.assign(dx, dx + t.Text.size());
    else
        t.Dx = Scaled().Advances(text);
    t.Dx.resize(t.Text.size(), 0);
    t.Reference = {x, y};
    t.Options = options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING);
    if (!boxed)
        t.Options &= ETO_RTLREADING;
    t.Clip = boxed ? *rect : kNoBounds;
    t.GraphicsMode = emf::GM_COMPATIBLE;
    // Page units to 0.01 mm.
    const TPoint o = LPtoDP({0, 0}), k = LPtoDP({10000, 10000});
    t.XScale = static_cast<float>(std::fabs((k.X - o.X) / 10000.0) * 2540.0 / emf::kRefPixelsPerInch);
    t.YScale = static_cast<float>(std::fabs((k.Y - o.Y) / 10000.0) * 2540.0 / emf::kRefPixelsPerInch);

    const int width = TotalAdvance(t.Dx);
    const TTextMetric &tm = Scaled().Metrics();
    const unsigned align = TextAlign();
    const unsigned h = align & TA_CENTER;
    const unsigned v = align & TA_BASELINE;
    const int left = h == TA_CENTER ? AdvancedBy(x, -(width / 2)) : h == TA_RIGHT ? AdvancedBy(x, -width) : x;
    const int top = v == TA_BASELINE ? y - tm.tmAscent : v == TA_BOTTOM ? y - tm.tmHeight : y;
    TRect box{left, top, AdvancedBy(left, width), top + tm.tmHeight};
    if (boxed) {
        const TRect c = Normalised(rect->Left, rect->Top, rect->Right, rect->Bottom);
        if (options & ETO_OPAQUE)
            box = {std::min(box.Left, c.Left), std::min(box.Top, c.Top), std::max(box.Right, c.Right),
                   std::max(box.Bottom, c.Bottom)};
        if (options & ETO_CLIPPED)
            box = {std::max(box.Left, c.Left), std::max(box.Top, c.Top), std::min(box.Right, c.Right),
                   std::min(box.Bottom, c.Bottom)};
    }
    t.Bounds = DeviceBounds(box, false);
    if (t.Bounds.Right < t.Bounds.Left || t.Bounds.Bottom < t.Bounds.Top)
        t.Bounds = kNoBounds;
    if (align & TA_UPDATECP)
        dc_.posKnown = false;
    writer_.ExtTextOut(t);
    AddBounds(t.Bounds);
}

void TMetafileCanvas::GradientFillRect(const TRect &r, TColor start, TColor stop, bool vertical)
{
    const TRect n = Normalised(r.Left, r.Top, r.Right, r.Bottom);
    if (!Recording() || n.IsEmpty())
        return;
    const TRect d = DeviceBounds(n, false);
    writer_.GradientFill(d, r, Plain(start), Plain(stop), vertical);
    AddBounds(d);
}

// ---------------------------------------------------------------- pictures and pixels

void TMetafileCanvas::RecordImage(const TRect &dest, const QImage &image)
{
    // The page's DIB has no alpha: such pixels are laid on white.
    QImage rgb;
    if (image.hasAlphaChannel()) {
        rgb = QImage(image.size(), QImage::Format_RGB32);
        rgb.fill(Qt::white);
        QPainter p(&rgb);
        p.drawImage(0, 0, image);
    } else {
        rgb = image.convertToFormat(QImage::Format_RGB32);
    }
    const TRect d = DeviceBounds(dest, false);
    writer_.Record(emf::EMR_SETSTRETCHBLTMODE, {StretchBltMode()});
    // The width is read once per row: the row writes could alias the image,
    // so a call in the loop condition would be made again for every pixel.
    const int width = rgb.width();
    writer_.StretchDIBits24(d, dest, width, rgb.height(), [&rgb, width](int y, uint8_t *row) {
        const auto *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x, row += 3) {
            row[0] = uint8_t(qBlue(src[x]));
            row[1] = uint8_t(qGreen(src[x]));
            row[2] = uint8_t(qRed(src[x]));
        }
    });
    AddBounds(d);
}

void TMetafileCanvas::StretchDrawImage(const TRect &dest, const QImage &image, const TRect &source, TColor)
{
    if (!Recording() || image.isNull() || dest.Width() == 0 || dest.Height() == 0)
        return;
    const QRect s = QRect(source.Left, source.Top, source.Width(), source.Height()).intersected(image.rect());
    if (s.isEmpty())
        return;
    RecordImage(Normalised(dest.Left, dest.Top, dest.Right, dest.Bottom), s == image.rect() ? image : image.copy(s));
}

TColor TMetafileCanvas::Pixel(int, int) { return CLR_INVALID; }

void TMetafileCanvas::SetPixel(int x, int y, TColor color)
{
    if (!Recording())
        return;
    writer_.Record(emf::EMR_SETPIXELV, {x, y, Plain(color)});
    AddBounds(DeviceBounds({x, y, x + 1, y + 1}, false));
}

void TMetafileCanvas::CopyRect(const TRect &dest, TCanvas &source, const TRect &srcRect)
{
    // Only a plain copy of pixels that exist can be recorded.
    if (!Recording() || CopyMode() != cmSrcCopy || !source.Target() || source.Target()->isNull())
        return;
    const TPoint a = source.LPtoDP({srcRect.Left, srcRect.Top}), b = source.LPtoDP({srcRect.Right, srcRect.Bottom});
    const QRect s = QRect(QPoint(std::min(a.X, b.X), std::min(a.Y, b.Y)), QPoint(std::max(a.X, b.X) - 1, std::max(a.Y, b.Y) - 1))
                        .intersected(source.Target()->rect());
    if (s.isEmpty() || dest.IsEmpty())
        return;
    RecordImage(dest, source.Target()->copy(s));
}

// ---------------------------------------------------------------- clipping and state

void TMetafileCanvas::IntersectClipRect(const TRect &r)
{
    TCanvas::IntersectClipRect(r);
    if (Recording())
        writer_.Record(emf::EMR_INTERSECTCLIPRECT, {r.Left, r.Top, r.Right, r.Bottom});
}

void TMetafileCanvas::ExcludeClipRect(const TRect &r)
{
    TCanvas::ExcludeClipRect(r);
    if (Recording())
        writer_.Record(emf::EMR_EXCLUDECLIPRECT, {r.Left, r.Top, r.Right, r.Bottom});
}

void TMetafileCanvas::SelectClipRect(const TRect *r)
{
    TCanvas::SelectClipRect(r);
    if (!Recording())
        return;
    writer_.Record(emf::EMR_EXTSELECTCLIPRGN, {0, emf::RGN_COPY});
    if (r)
        writer_.Record(emf::EMR_INTERSECTCLIPRECT, {r->Left, r->Top, r->Right, r->Bottom});
}

int TMetafileCanvas::SaveDC()
{
    const int level = TCanvas::SaveDC();
    if (Recording()) {
        writer_.Record(emf::EMR_SAVEDC, {});
        saved_.push_back(dc_);
    }
    return level;
}

bool TMetafileCanvas::RestoreDC(int level)
{
    const int depth = static_cast<int>(saved_.size());
    const int back = level < 0 ? -level : depth - level + 1;
    if (!TCanvas::RestoreDC(level))
        return false;
    if (Recording() && back >= 1 && back <= depth) {
        // One state at a time: readers that undo a single level per record stay in step.
        for (int i = 0; i < back; ++i)
            writer_.Record(emf::EMR_RESTOREDC, {-1});
        dc_ = saved_[size_t(depth - back)];
        saved_.resize(size_t(depth - back));
        DropUnused();
        // The restored context holds other objects than the canvas may want now.
        Refresh();
    }
    return true;
}

void TMetafileCanvas::SetMapMode(int mode)
{
    TCanvas::SetMapMode(mode);
    if (Recording())
        writer_.Record(emf::EMR_SETMAPMODE, {mode});
}

void TMetafileCanvas::SetWindowExtEx(int cx, int cy)
{
    TCanvas::SetWindowExtEx(cx, cy);
    if (Recording())
        writer_.Record(emf::EMR_SETWINDOWEXTEX, {cx, cy});
}

void TMetafileCanvas::SetWindowOrgEx(int x, int y)
{
    TCanvas::SetWindowOrgEx(x, y);
    if (Recording())
        writer_.Record(emf::EMR_SETWINDOWORGEX, {x, y});
}

void TMetafileCanvas::SetViewportExtEx(int cx, int cy)
{
    TCanvas::SetViewportExtEx(cx, cy);
    if (Recording())
        writer_.Record(emf::EMR_SETVIEWPORTEXTEX, {cx, cy});
}

void TMetafileCanvas::SetViewportOrgEx(int x, int y)
{
    TCanvas::SetViewportOrgEx(x, y);
    if (Recording())
        writer_.Record(emf::EMR_SETVIEWPORTORGEX, {x, y});
}

void TMetafileCanvas::SetBkMode(int mode)
{
    TCanvas::SetBkMode(mode);
    if (Recording() && BkMode() != dc_.bkMode) {
        dc_.bkMode = BkMode();
        writer_.Record(emf::EMR_SETBKMODE, {dc_.bkMode});
    }
}

void TMetafileCanvas::SetBkColor(TColor color)
{
    TCanvas::SetBkColor(color);
    if (Recording() && Plain(color) != dc_.bkColor) {
        dc_.bkColor = Plain(color);
        writer_.Record(emf::EMR_SETBKCOLOR, {dc_.bkColor});
    }
}

void TMetafileCanvas::SetTextAlign(unsigned align)
{
    TCanvas::SetTextAlign(align);
    if (Recording() && align != dc_.textAlign) {
        dc_.textAlign = align;
        writer_.Record(emf::EMR_SETTEXTALIGN, {int32_t(align)});
    }
}

void TMetafileCanvas::SetTextColor(TColor color)
{
    TCanvas::SetTextColor(color);
    if (Recording() && Plain(color) != dc_.textColor) {
        dc_.textColor = Plain(color);
        writer_.Record(emf::EMR_SETTEXTCOLOR, {dc_.textColor});
    }
}

TSize TMetafileCanvas::DeviceSize() const
{
    return {std::max(emf::kRefDeviceWidth, metafile_.Width()), std::max(emf::kRefDeviceHeight, metafile_.Height())};
}

void TMetafileCanvas::SetStretchBltMode(int mode)
{
    // Written with each picture, where the page needs it.
    TCanvas::SetStretchBltMode(mode);
}

} // namespace plat
