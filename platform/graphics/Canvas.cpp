#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Geometry.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace plat {

namespace {

// Device coordinates are held well inside int, so that wild logical values
// (from a damaged page, say) cannot overflow the geometry below.
constexpr double kDeviceLimit = 1 << 28;

int RoundHalfUp(double v)
{
    if (!(v > -kDeviceLimit))  // also NaN
        return -static_cast<int>(kDeviceLimit);
    if (v > kDeviceLimit)
        return static_cast<int>(kDeviceLimit);
    return static_cast<int>(std::floor(v + 0.5));
}

QColor QtColor(TColor c) { return QColor::fromRgb(ToQRgb(c)); }

// The painter's device in the painter's own coordinates (the canvas's device
// pixels): what any drawing can reach. A caller's painter may be moved or
// scaled; one that cannot be inverted reaches nothing.
QRect Reachable(const QPainter &p)
{
    const QPaintDevice *d = p.device();
    if (!d)
        return {};
    bool invertible = false;
    const QTransform back = p.worldTransform().inverted(&invertible);
    if (!invertible)
        return {};
    const QRectF r = back.mapRect(QRectF(0, 0, d->width(), d->height()));
    const auto cut = [](double v) { return static_cast<int>(std::clamp(v, -kDeviceLimit, kDeviceLimit)); };
    const int l = cut(std::floor(r.left())), t = cut(std::floor(r.top()));
    return QRect(QPoint(l, t), QPoint(cut(std::ceil(r.right())) - 1, cut(std::ceil(r.bottom())) - 1));
}

// Raw fonts by face and pixel size. Changing a raw font's size throws its
// glyph cache away, and text is drawn in a handful of sizes over and over, so
// each size keeps its own font. A zooming preview brings ever new sizes: the
// least recently used go once the cache is full. The cache is never
// destroyed: its fonts must not outlive the GUI application in a static
// destructor.
QRawFont &RawFontFor(const std::shared_ptr<const TTrueTypeFace> &face, double pixelSize)
{
    struct Entry {
        std::shared_ptr<const TTrueTypeFace> face;
        double size;
        QRawFont font;
        uint64_t used;
    };
    constexpr size_t kMaxFonts = 48;
    static auto &bases = *new std::map<std::shared_ptr<const TTrueTypeFace>, QRawFont>;
    static auto &sized = *new std::vector<Entry>;
    static uint64_t clock = 0;
    if (sized.capacity() < kMaxFonts)
        sized.reserve(kMaxFonts);  // entries stay put while a caller holds one
    ++clock;
    for (Entry &e : sized)
        if (e.face == face && e.size == pixelSize) {
            e.used = clock;
            return e.font;
        }
    auto it = bases.find(face);
    if (it == bases.end()) {
        const auto &d = face->FileData();
        QByteArray bytes(reinterpret_cast<const char *>(d.data()), static_cast<qsizetype>(d.size()));
        it = bases.emplace(face, QRawFont(bytes, 12.0)).first;
    }
    QRawFont font = it->second;
    font.setPixelSize(pixelSize);
    if (sized.size() >= kMaxFonts) {
        auto oldest = std::min_element(sized.begin(), sized.end(),
                                       [](const Entry &a, const Entry &b) { return a.used < b.used; });
        *oldest = Entry{face, pixelSize, font, clock};
        return oldest->font;
    }
    sized.push_back(Entry{face, pixelSize, font, clock});
    return sized.back().font;
}

// On/off run lengths of the styled one-pixel pens.
std::vector<int> DashPattern(TPenStyle style)
{
    switch (style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

void ApplyPenMode(QPainter &p, TPenMode mode)
{
    switch (mode) {
    case pmXor: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case pmNotXor: p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
    case pmNot: p.setCompositionMode(QPainter::RasterOp_NotDestination); break;
    case pmMerge: p.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case pmMask: p.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case pmNotCopy: p.setCompositionMode(QPainter::RasterOp_NotSource); break;
    default: p.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
    }
}

QColor PenQColor(const TPen &pen)
{
    if (pen.Mode() == pmBlack)
        return Qt::black;
    if (pen.Mode() == pmWhite)
        return Qt::white;
    return QtColor(pen.Color());
}

} // namespace

// ---------------------------------------------------------------- life

TCanvas::TCanvas(QImage *target) : target_(target) { Init(); }

TCanvas::TCanvas(QPainter *painter) : painter_(painter) { Init(); }

TCanvas::TCanvas() { Init(); }

TCanvas::~TCanvas() = default;

void TCanvas::Init()
{
    pen_.OnChange = [this](TObject *) { ObjectChanged(csPenValid); };
    brush_.OnChange = [this](TObject *) { ObjectChanged(csBrushValid); };
    font_.OnChange = [this](TObject *) { ObjectChanged(csFontValid); };
    state_.textColor = ColorToRGB(font_.Color());
}

void TCanvas::ObjectChanged(unsigned flag)
{
    valid_ &= ~flag;
    if (flag == csFontValid)
        scaled_.reset();
}

void TCanvas::Refresh()
{
    valid_ = 0;
    scaled_.reset();
}

void TCanvas::RequiredState(unsigned flags)
{
    const unsigned need = flags & ~valid_;
    if (need & csFontValid) {
        CreateFont();
        valid_ |= csFontValid;
    }
    if (need & csPenValid) {
        CreatePen();
        valid_ |= csPenValid;
    }
    if (need & csBrushValid) {
        CreateBrush();
        valid_ |= csBrushValid;
    }
}

void TCanvas::CreatePen() {}

void TCanvas::CreateBrush()
{
    SetBkColor(ColorToRGB(brush_.Color()));
    SetBkMode(brush_.Style() == bsSolid ? OPAQUE : TRANSPARENT);
}

void TCanvas::CreateFont() { SetTextColor(ColorToRGB(font_.Color())); }

const TScaledFont &TCanvas::Scaled()
{
    if (!scaled_) {
        if (font_.Height() == 0) {
            TFont f(font_);
            f.SetHeight(-12);
            scaled_ = TFontProvider::Instance().Scaled(f);
        } else {
            scaled_ = TFontProvider::Instance().Scaled(font_);
        }
    }
    return *scaled_;
}

// ---------------------------------------------------------------- mapping

double TCanvas::ScaleX() const
{
    switch (state_.mapMode) {
    case MM_LOMETRIC: return 96.0 / 254.0;
    case MM_HIMETRIC: return 96.0 / 2540.0;
    case MM_LOENGLISH: return 0.96;
    case MM_HIENGLISH: return 0.096;
    case MM_TWIPS: return 96.0 / 1440.0;
    case MM_ANISOTROPIC:
        return static_cast<double>(state_.viewportExt.cx) / state_.windowExt.cx;
    case MM_ISOTROPIC: {
        const double sx = static_cast<double>(state_.viewportExt.cx) / state_.windowExt.cx;
        const double sy = static_cast<double>(state_.viewportExt.cy) / state_.windowExt.cy;
        return std::copysign(std::min(std::fabs(sx), std::fabs(sy)), sx);
    }
    default: return 1.0;
    }
}

double TCanvas::ScaleY() const
{
    switch (state_.mapMode) {
    case MM_LOMETRIC: case MM_HIMETRIC: case MM_LOENGLISH: case MM_HIENGLISH: case MM_TWIPS:
        return -ScaleX();
    case MM_ANISOTROPIC:
        return static_cast<double>(state_.viewportExt.cy) / state_.windowExt.cy;
    case MM_ISOTROPIC: {
        const double sx = static_cast<double>(state_.viewportExt.cx) / state_.windowExt.cx;
        const double sy = static_cast<double>(state_.viewportExt.cy) / state_.windowExt.cy;
        return std::copysign(std::min(std::fabs(sx), std::fabs(sy)), sy);
    }
    default: return 1.0;
    }
}

double TCanvas::MapX(double x) const { return (x - state_.windowOrg.X) * ScaleX() + state_.viewportOrg.X; }
double TCanvas::MapY(double y) const { return (y - state_.windowOrg.Y) * ScaleY() + state_.viewportOrg.Y; }

TPoint TCanvas::LPtoDP(TPoint p) const { return {RoundHalfUp(MapX(p.X)), RoundHalfUp(MapY(p.Y))}; }

TPoint TCanvas::DPtoLP(TPoint p) const
{
    return {RoundHalfUp((p.X - state_.viewportOrg.X) / ScaleX() + state_.windowOrg.X),
            RoundHalfUp((p.Y - state_.viewportOrg.Y) / ScaleY() + state_.windowOrg.Y)};
}

QRect TCanvas::DeviceRect(const TRect &r) const
{
    const TPoint a = LPtoDP({r.Left, r.Top}), b = LPtoDP({r.Right, r.Bottom});
    const int l = std::min(a.X, b.X), rr = std::max(a.X, b.X), t = std::min(a.Y, b.Y), bb = std::max(a.Y, b.Y);
    return QRect(l, t, rr - l, bb - t);
}

TSize TCanvas::DeviceSize() const
{
    if (painter_ && painter_->device())
        return {painter_->device()->width(), painter_->device()->height()};
    if (!target_ || target_->isNull())
        return {};
    return {target_->width(), target_->height()};
}

void TCanvas::SetMapMode(int mode)
{
    if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC)
        state_.mapMode = mode;
}

void TCanvas::SetWindowExtEx(int cx, int cy)
{
    if (cx != 0 && cy != 0)
        state_.windowExt = {cx, cy};
}

void TCanvas::SetWindowOrgEx(int x, int y) { state_.windowOrg = {x, y}; }

void TCanvas::SetViewportExtEx(int cx, int cy)
{
    if (cx != 0 && cy != 0)
        state_.viewportExt = {cx, cy};
}

void TCanvas::SetViewportOrgEx(int x, int y) { state_.viewportOrg = {x, y}; }

void TCanvas::SetBkMode(int mode)
{
    if (mode == TRANSPARENT || mode == OPAQUE)
        state_.bkMode = mode;
}

void TCanvas::SetBkColor(TColor color) { state_.bkColor = color; }
void TCanvas::SetTextAlign(unsigned align) { state_.textAlign = align; }
void TCanvas::SetTextColor(TColor color) { state_.textColor = color; }
void TCanvas::SetStretchBltMode(int mode) { state_.stretchMode = mode; }

// ---------------------------------------------------------------- clipping and state

void TCanvas::IntersectClipRect(const TRect &r)
{
    const QRegion dev(DeviceRect(r));
    state_.clip = state_.clip ? state_.clip->intersected(dev) : dev;
}

void TCanvas::ExcludeClipRect(const TRect &r)
{
    QRegion base;
    if (state_.clip) {
        base = *state_.clip;
    } else {
        const TSize s = DeviceSize();
        base = (s.cx > 0 && s.cy > 0) ? QRegion(0, 0, s.cx, s.cy)
                                      : QRegion(-(1 << 28), -(1 << 28), 1 << 29, 1 << 29);
    }
    state_.clip = base.subtracted(QRegion(DeviceRect(r)));
}

void TCanvas::SelectClipRect(const TRect *r)
{
    if (!r)
        state_.clip.reset();
    else
        state_.clip = QRegion(DeviceRect(*r));
}

TRect TCanvas::ClipRect() const
{
    QRect dev;
    if (state_.clip)
        dev = state_.clip->boundingRect();
    else
        dev = QRect(0, 0, DeviceSize().cx, DeviceSize().cy);
    const TPoint a = DPtoLP({dev.left(), dev.top()});
    const TPoint b = DPtoLP({dev.left() + dev.width(), dev.top() + dev.height()});
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

int TCanvas::SaveDC()
{
    saved_.push_back(state_);
    savedPen_.push_back(penPos_);
    return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int level)
{
    const int n = static_cast<int>(saved_.size());
    const int index = level < 0 ? n + level : level - 1;
    if (index < 0 || index >= n)
        return false;
    state_ = saved_[static_cast<size_t>(index)];
    penPos_ = savedPen_[static_cast<size_t>(index)];
    saved_.resize(static_cast<size_t>(index));
    savedPen_.resize(static_cast<size_t>(index));
    return true;
}

// ---------------------------------------------------------------- painting helpers

TCanvas::PaintScope::PaintScope(const TCanvas &canvas)
{
    if (canvas.painter_) {
        p_ = canvas.painter_;
        if (!p_->isActive())
            return;
        p_->save();
        external_ = true;
        if (canvas.state_.clip)
            p_->setClipRegion(*canvas.state_.clip, Qt::IntersectClip);
    } else {
        p_ = &own_;
        if (!canvas.target_ || canvas.target_->isNull() || !own_.begin(canvas.target_))
            return;
        if (canvas.state_.clip)
            own_.setClipRegion(*canvas.state_.clip);
    }
    p_->setRenderHint(QPainter::Antialiasing, false);
    active_ = true;
}

TCanvas::PaintScope::~PaintScope()
{
    if (external_)
        p_->restore();
}

int TCanvas::DevicePenWidth() const
{
    return std::clamp(RoundHalfUp(pen_.Width() * std::fabs(ScaleX())), 1, 1 << 14);
}

void TCanvas::StrokeLine(QPainter &p, int x1, int y1, int x2, int y2, bool lastPixel)
{
    if (pen_.Style() == psClear || pen_.Mode() == pmNop)
        return;
    ApplyPenMode(p, pen_.Mode());
    const QColor color = PenQColor(pen_);
    const int w = DevicePenWidth();
    if (w > 1) {
        p.setPen(QPen(color, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(x1, y1, x2, y2);
        return;
    }
    if (p.worldTransform().type() > QTransform::TxTranslate) {
        // A caller's painter that scales (a printer page, say) has no pixel
        // grid of ours to step along: let it stroke the line.
        Qt::PenStyle style = Qt::SolidLine;
        switch (pen_.Style()) {
        case psDash: style = Qt::DashLine; break;
        case psDot: style = Qt::DotLine; break;
        case psDashDot: style = Qt::DashDotLine; break;
        case psDashDotDot: style = Qt::DashDotDotLine; break;
        default: break;
        }
        p.setPen(QPen(color, 0, style, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawLine(x1, y1, x2, y2);
        return;
    }
    // Only the part on the surface is stepped through, so a line across a
    // wild coordinate costs no more than one across the image. The surface is
    // where the painter reaches, which a caller's moved painter shifts.
    const QRect surface = Reachable(p);
    if (surface.isEmpty())
        return;
    const int left = surface.left() - 1, top = surface.top() - 1;
    const int right = surface.right() + 1, bottom = surface.bottom() + 1;
    const auto outside = [&](int x, int y) { return x < left || y < top || x > right || y > bottom; };
    if (outside(x1, y1) || outside(x2, y2)) {
        double ax = x1, ay = y1, bx = x2, by = y2;
        if (!ClipSegment(ax, ay, bx, by, left, top, right, bottom))
            return;
        if (outside(x2, y2))
            lastPixel = true;  // the end lies off the surface anyway
        x1 = RoundHalfUp(ax);
        y1 = RoundHalfUp(ay);
        x2 = RoundHalfUp(bx);
        y2 = RoundHalfUp(by);
    }
    const std::vector<int> dash = DashPattern(pen_.Style());
    std::vector<QPoint> on, off;
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy, x = x1, y = y1;
    size_t seg = 0;
    int inSeg = 0;
    for (;;) {
        const bool end = x == x2 && y == y2;
        if (end && !lastPixel)
            break;
        if (dash.empty() || seg % 2 == 0)
            on.emplace_back(x, y);
        else
            off.emplace_back(x, y);
        if (!dash.empty() && ++inSeg >= dash[seg]) {
            inSeg = 0;
            seg = (seg + 1) % dash.size();
        }
        if (end)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 0));
    if (!on.empty())
        p.drawPoints(on.data(), static_cast<int>(on.size()));
    if (!off.empty() && state_.bkMode == OPAQUE) {
        p.setPen(QPen(QtColor(ColorToRGB(state_.bkColor)), 0));
        p.drawPoints(off.data(), static_cast<int>(off.size()));
    }
}

namespace {

// The painter brush for polygon and ellipse interiors.
QBrush ShapeBrush(const TBrush &brush)
{
    if (brush.Style() == bsClear)
        return Qt::NoBrush;
    if (brush.HasPattern())
        return QBrush(brush.Pattern());
    const QColor color = QColor::fromRgb(ToQRgb(ColorToRGB(brush.Color())));
    switch (brush.Style()) {
    case bsHorizontal: return QBrush(color, Qt::HorPattern);
    case bsVertical: return QBrush(color, Qt::VerPattern);
    case bsFDiagonal: return QBrush(color, Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(color, Qt::BDiagPattern);
    case bsCross: return QBrush(color, Qt::CrossPattern);
    case bsDiagCross: return QBrush(color, Qt::DiagCrossPattern);
    default: return QBrush(color);
    }
}

} // namespace

void TCanvas::FillShapeBrush(QPainter &p, const QRect &dev)
{
    if (dev.isEmpty() || brush_.Style() == bsClear)
        return;
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBrushOrigin(0, 0);
    // Hatch gaps show the background colour in opaque mode.
    if (!brush_.HasPattern() && brush_.Style() != bsSolid && state_.bkMode == OPAQUE)
        p.fillRect(dev, QtColor(ColorToRGB(state_.bkColor)));
    p.fillRect(dev, ShapeBrush(brush_));
}

// ---------------------------------------------------------------- lines and shapes

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y)
{
    RequiredState(csPenValid | csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (scope) {
        const TPoint a = LPtoDP(penPos_), b = LPtoDP({x, y});
        StrokeLine(p, a.X, a.Y, b.X, b.Y, false);
    }
    penPos_ = {x, y};
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    RequiredState(csPenValid | csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (!scope)
        return;
    const QRect dev = DeviceRect({x1, y1, x2, y2});
    if (pen_.Style() == psClear) {
        FillShapeBrush(p, dev.adjusted(0, 0, -1, -1));
        return;
    }
    const int w = DevicePenWidth();
    const int l = dev.left(), t = dev.top(), r = dev.left() + dev.width(), b = dev.top() + dev.height();
    // Outer and inner edges of the outline band.
    int ol, ot, orr, ob;
    if (pen_.Style() == psInsideFrame || w == 1) {
        ol = l; ot = t; orr = r; ob = b;
    } else {
        ol = l - w / 2; ot = t - w / 2; orr = r - 1 - w / 2 + w; ob = b - 1 - w / 2 + w;
    }
    const int il = ol + w, it = ot + w, ir = orr - w, ib = ob - w;
    FillShapeBrush(p, QRect(il, it, ir - il, ib - it));
    if (pen_.Mode() == pmNop)
        return;
    if (w == 1 && pen_.Style() != psSolid && pen_.Style() != psInsideFrame) {
        StrokeLine(p, l, t, r - 1, t, true);
        StrokeLine(p, r - 1, t, r - 1, b - 1, true);
        StrokeLine(p, r - 1, b - 1, l, b - 1, true);
        StrokeLine(p, l, b - 1, l, t, true);
        return;
    }
    ApplyPenMode(p, pen_.Mode());
    const QColor color = PenQColor(pen_);
    QRegion band(ol, ot, orr - ol, ob - ot);
    if (ir > il && ib > it)
        band -= QRegion(il, it, ir - il, ib - it);
    for (const QRect &part : band)
        p.fillRect(part, color);
}

void TCanvas::FillRect(const TRect &r)
{
    RequiredState(csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (scope)
        FillShapeBrush(p, DeviceRect(r));
}

void TCanvas::FrameRect(const TRect &r)
{
    RequiredState(csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (!scope || brush_.Style() == bsClear)
        return;
    const QRect dev = DeviceRect(r);
    if (dev.isEmpty())
        return;
    const int w = std::max(1, RoundHalfUp(std::fabs(ScaleX()))), h = std::max(1, RoundHalfUp(std::fabs(ScaleY())));
    QRegion band(dev);
    if (dev.width() > 2 * w && dev.height() > 2 * h)
        band -= QRegion(dev.adjusted(w, h, -w, -h));
    for (const QRect &part : band)
        FillShapeBrush(p, part);
}

void TCanvas::Polygon(const TPoint *points, int count)
{
    RequiredState(csPenValid | csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (count < 2 || !points || !scope)
        return;
    QPolygon poly;
    for (int i = 0; i < count; ++i) {
        const TPoint d = LPtoDP(points[i]);
        poly << QPoint(d.X, d.Y);
    }
    p.setBrushOrigin(0, 0);
    p.setBrush(ShapeBrush(brush_));
    if (brush_.Style() != bsClear) {
        p.setPen(Qt::NoPen);
        p.drawPolygon(poly, Qt::OddEvenFill);
    }
    if (pen_.Style() == psClear || pen_.Mode() == pmNop)
        return;
    for (int i = 0; i < count; ++i) {
        const QPoint a = poly[i], b = poly[(i + 1) % count];
        StrokeLine(p, a.x(), a.y(), b.x(), b.y(), false);
    }
}

void TCanvas::Polyline(const TPoint *points, int count)
{
    RequiredState(csPenValid | csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (count < 2 || !points || !scope)
        return;
    for (int i = 0; i + 1 < count; ++i) {
        const TPoint a = LPtoDP(points[i]), b = LPtoDP(points[i + 1]);
        StrokeLine(p, a.X, a.Y, b.X, b.Y, false);
    }
}

bool TCanvas::BeginCurvedShape(PaintScope &scope, const TRect &r, QRect &box)
{
    if (!scope)
        return false;
    QPainter &p = scope.Painter();
    const QRect dev = DeviceRect(r);
    if (dev.width() < 1 || dev.height() < 1)
        return false;
    p.setBrushOrigin(0, 0);
    p.setBrush(ShapeBrush(brush_));
    if (pen_.Style() == psClear || pen_.Mode() == pmNop) {
        p.setPen(Qt::NoPen);
    } else {
        ApplyPenMode(p, pen_.Mode());
        const int w = DevicePenWidth();
        p.setPen(QPen(PenQColor(pen_), w > 1 ? w : 0));
    }
    // Qt strokes a box of width w - 1 across w pixels, and fills it one pixel
    // short without a pen: the platform's extents both ways.
    box = QRect(dev.left(), dev.top(), dev.width() - 1, dev.height() - 1);
    return true;
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    RequiredState(csPenValid | csBrushValid);
    PaintScope scope(*this);
    QRect box;
    if (BeginCurvedShape(scope, {x1, y1, x2, y2}, box))
        scope.Painter().drawEllipse(box);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH)
{
    RequiredState(csPenValid | csBrushValid);
    PaintScope scope(*this);
    QRect box;
    if (BeginCurvedShape(scope, {x1, y1, x2, y2}, box))
        scope.Painter().drawRoundedRect(box, std::fabs(cornerW * ScaleX()) / 2, std::fabs(cornerH * ScaleY()) / 2);
}

// ---------------------------------------------------------------- text

const TTextMetric &TCanvas::TextMetrics()
{
    RequiredState(csFontValid);
    return Scaled().Metrics();
}

std::vector<int> TCanvas::TextAdvances(const String &text)
{
    RequiredState(csFontValid);
    return Scaled().Advances(text);
}

int TCanvas::TextWidth(const String &text) { return TextExtent(text).cx; }
int TCanvas::TextHeight(const String &text) { return TextExtent(text).cy; }

TSize TCanvas::TextExtent(const String &text)
{
    RequiredState(csFontValid);
    const TScaledFont &f = Scaled();
    return {f.TextWidth(text), f.Metrics().tmHeight};
}

void TCanvas::TextOut(int x, int y, const String &text)
{
    RequiredState(csFontValid | csBrushValid);
    const std::vector<int> dx = Scaled().Advances(text);
    ExtTextOut(x, y, 0, nullptr, text, dx.empty() ? nullptr : dx.data());
    MoveTo(AdvancedBy(x, TotalAdvance(dx)), y);
}

void TCanvas::TextRect(const TRect &r, int x, int y, const String &text)
{
    RequiredState(csFontValid | csBrushValid);
    unsigned options = ETO_CLIPPED;
    if (brush_.Style() != bsClear)
        options |= ETO_OPAQUE;
    const std::vector<int> dx = Scaled().Advances(text);
    ExtTextOut(x, y, options, &r, text, dx.empty() ? nullptr : dx.data());
}

void TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect *rect, const String &text, const int *dx)
{
    RequiredState(csFontValid | csBrushValid);
    const TScaledFont &font = Scaled();
    const TTextMetric &tm = font.Metrics();
    const std::u16string units = Utf8ToUtf16(text);
    std::vector<int> adv;
    if (dx)
        adv.assign(dx, dx + units.size());
    else
        adv = font.Advances(text);
    const int width = TotalAdvance(adv);

    const unsigned align = state_.textAlign;
    int px = x, py = y;
    if (align & TA_UPDATECP) {
        px = penPos_.X;
        py = penPos_.Y;
    }
    const unsigned h = align & TA_CENTER;
    const int startX = h == TA_CENTER ? AdvancedBy(px, -(width / 2)) : h == TA_RIGHT ? AdvancedBy(px, -width) : px;
    const unsigned v = align & TA_BASELINE;
    const int top = v == TA_BASELINE ? py - tm.tmAscent : v == TA_BOTTOM ? py - tm.tmHeight : py;
    if (align & TA_UPDATECP) {
        if (h == TA_RIGHT)
            penPos_.X = AdvancedBy(px, -width);
        else if (h != TA_CENTER)
            penPos_.X = AdvancedBy(px, width);
    }

    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (!scope)
        return;
    const QColor bk = QtColor(ColorToRGB(state_.bkColor));
    QRect devRect;
    if (rect)
        devRect = DeviceRect(*rect);
    if ((options & ETO_OPAQUE) && rect)
        p.fillRect(devRect, bk);
    if ((options & ETO_CLIPPED) && rect)
        p.setClipRect(devRect, Qt::IntersectClip);
    if (font_.Orientation() != 0) {
        // Escapement turns the whole line, cell and strokes about the
        // reference point, counter-clockwise on screen.
        const QPointF ref(MapX(px), MapY(py));
        p.translate(ref);
        p.rotate(-(font_.Orientation() / 10.0)); // negated as a double: INT_MIN has no int negation
        p.translate(-ref);
    }
    if (!(options & ETO_OPAQUE) && state_.bkMode == OPAQUE && width > 0)
        p.fillRect(DeviceRect({startX, top, AdvancedBy(startX, width), top + tm.tmHeight}), bk);

    const QColor fg = QtColor(ColorToRGB(state_.textColor));
    const double baseline = MapY(top + tm.tmAscent);
    if (!units.empty() && font.Valid()) {
        const double px_size = font.EmSize() * std::fabs(ScaleY());
        // Glyphs below a tenth of a pixel show nothing; above 8192 pixels they
        // only come from damaged data and would cost the rasteriser dearly.
        QRawFont *rawp = px_size > 0.1 && px_size < 8192 ? &RawFontFor(font.FacePtr(), px_size) : nullptr;
        if (rawp && rawp->isValid()) {
            QRawFont &raw = *rawp;
            QList<quint32> glyphs;
            QList<QPointF> positions;
            const std::u32string chars = Utf8ToUtf32(text);
            int64_t pen = startX;
            size_t unit = 0;
            for (char32_t c : chars) {
                if (c != U' ' && c != U'\t') {
                    glyphs.push_back(font.Face().GlyphIndex(c));
                    positions.push_back(QPointF(MapX(pen), baseline));
                }
                const size_t units_of_c = c >= 0x10000 ? 2 : 1;
                for (size_t k = 0; k < units_of_c && unit < adv.size(); ++k, ++unit)
                    pen += adv[unit];
            }
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            p.setPen(fg);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.drawGlyphRun(QPointF(0, 0), run);
        }
    }
    // Underline and strike-out strokes, one logical unit thick at least.
    auto stroke = [&](int offset, int size) {
        const int yTop = top + tm.tmAscent - offset;
        const QRect r = DeviceRect({startX, yTop, AdvancedBy(startX, width), yTop + size});
        p.fillRect(QRect(r.left(), r.top(), r.width(), std::max(1, r.height())), fg);
    };
    if (font_.Style() & fsUnderline)
        stroke(font.UnderlineOffset(), font.UnderlineSize());
    if (font_.Style() & fsStrikeOut)
        stroke(font.StrikeoutOffset(), font.StrikeoutSize());
}

namespace {

struct TextRun {
    int x;  // offset from the line's start
    std::u32string text;
};

struct TextLine {
    std::vector<TextRun> runs;
    int width = 0;
};

} // namespace

int TCanvas::DrawText(const String &text, TRect &r, unsigned flags)
{
    RequiredState(csPenValid | csBrushValid | csFontValid);
    const TScaledFont &font = Scaled();
    const TTextMetric &tm = font.Metrics();
    const int lineHeight = tm.tmHeight + ((flags & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int tabWidth = std::max(1, 8 * tm.tmAveCharWidth);

    // Mnemonic prefixes.
    std::u32string chars;
    {
        const std::u32string raw = Utf8ToUtf32(text);
        for (size_t i = 0; i < raw.size(); ++i) {
            if (!(flags & DT_NOPREFIX) && raw[i] == U'&' && i + 1 < raw.size()) {
                ++i;  // "&&" keeps one "&"; "&x" keeps x
            }
            chars.push_back(raw[i]);
        }
    }
    auto advance = [&](char32_t c) { return font.CharAdvance(c); };

    // Paragraphs.
    std::vector<std::u32string> paragraphs;
    if (flags & DT_SINGLELINE) {
        paragraphs.push_back(chars);
    } else {
        std::u32string cur;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] == U'\r' || chars[i] == U'\n') {
                paragraphs.push_back(cur);
                cur.clear();
                if (chars[i] == U'\r' && i + 1 < chars.size() && chars[i + 1] == U'\n')
                    ++i;
            } else {
                cur.push_back(chars[i]);
            }
        }
        paragraphs.push_back(cur);
    }

    // Lays out one line: runs split at tabs when tabs are expanded.
    auto layout = [&](const std::u32string &s) {
        TextLine line;
        TextRun run{0, {}};
        // Held inside int however huge the font and long the line.
        constexpr int64_t most = int64_t(1) << 30;
        int64_t x = 0;
        for (char32_t c : s) {
            if (c == U'\t' && (flags & DT_EXPANDTABS)) {
                if (!run.text.empty())
                    line.runs.push_back(run);
                x = std::min(most, (x / tabWidth + 1) * tabWidth);
                run = TextRun{static_cast<int>(x), {}};
                continue;
            }
            run.text.push_back(c);
            x = std::clamp(x + advance(c), -most, most);
        }
        if (!run.text.empty())
            line.runs.push_back(run);
        line.width = static_cast<int>(x);
        return line;
    };
    auto width = [&](const std::u32string &s) { return layout(s).width; };

    std::vector<TextLine> lines;
    const int maxWidth = r.Right - r.Left;
    for (const auto &para : paragraphs) {
        if (!(flags & DT_WORDBREAK) || (flags & DT_SINGLELINE) || width(para) <= maxWidth) {
            lines.push_back(layout(para));
            continue;
        }
        // Greedy breaking at blanks; a word wider than the rectangle stays whole.
        size_t pos = 0;
        while (pos < para.size()) {
            size_t end = pos, lastFit = std::u32string::npos;
            while (end < para.size()) {
                size_t wordEnd = end;
                while (wordEnd < para.size() && para[wordEnd] == U' ')
                    ++wordEnd;
                while (wordEnd < para.size() && para[wordEnd] != U' ')
                    ++wordEnd;
                if (width(para.substr(pos, wordEnd - pos)) > maxWidth && lastFit != std::u32string::npos)
                    break;
                lastFit = wordEnd;
                end = wordEnd;
            }
            std::u32string piece = para.substr(pos, lastFit - pos);
            while (!piece.empty() && piece.back() == U' ')
                piece.pop_back();
            lines.push_back(layout(piece));
            pos = lastFit;
            while (pos < para.size() && para[pos] == U' ')
                ++pos;
        }
    }

    int textWidth = 0;
    for (const auto &l : lines)
        textWidth = std::max(textWidth, l.width);
    const int textHeight = static_cast<int>(lines.size()) * lineHeight;
    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
            y = r.Top + (r.Bottom - r.Top - lineHeight) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lineHeight;
    }
    const int result = (y - r.Top) + textHeight;
    if (flags & DT_CALCRECT) {
        r.Right = r.Left + textWidth;
        r.Bottom = r.Top + textHeight;
        return textHeight;
    }

    const unsigned oldAlign = state_.textAlign;
    if (oldAlign != (TA_LEFT | TA_TOP))
        SetTextAlign(TA_LEFT | TA_TOP);
    unsigned options = (flags & DT_NOCLIP) ? 0u : static_cast<unsigned>(ETO_CLIPPED);
    if (flags & DT_RTLREADING)
        options |= ETO_RTLREADING;
    const TRect clip = r;
    for (const auto &line : lines) {
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (maxWidth - line.width) / 2;
        else if (flags & DT_RIGHT)
            x = AdvancedBy(r.Right, -line.width);
        for (const auto &run : line.runs) {
            std::u16string u16;
            std::vector<int> dx;
            for (char32_t c : run.text) {
                dx.push_back(advance(c));
                if (c >= 0x10000) {
                    dx.push_back(0);
                    u16.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                    u16.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
                } else {
                    u16.push_back(static_cast<char16_t>(c));
                }
            }
            ExtTextOut(AdvancedBy(x, run.x), y, options, (flags & DT_NOCLIP) ? nullptr : &clip, Utf16ToUtf8(u16), dx.data());
        }
        y += lineHeight;
    }
    if (oldAlign != (TA_LEFT | TA_TOP))
        SetTextAlign(oldAlign);
    return result;
}

// ---------------------------------------------------------------- pictures and pixels

void TCanvas::GradientFillRect(const TRect &r, TColor start, TColor stop, bool vertical)
{
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (!scope)
        return;
    const QRect dev = DeviceRect(r);
    const int n = vertical ? dev.height() : dev.width();
    if (dev.isEmpty() || n <= 0)
        return;
    // Only the bands the painter reaches are filled, so a huge rectangle
    // costs no more than the surface; their colours follow the whole one.
    const QRect part = dev.intersected(Reachable(p));
    if (part.isEmpty())
        return;
    const int first = vertical ? part.top() - dev.top() : part.left() - dev.left();
    const int last = first + (vertical ? part.height() : part.width());
    const TColor a = ColorToRGB(start), b = ColorToRGB(stop);
    for (int i = first; i < last; ++i) {
        auto mix = [&](int ca, int cb) { return static_cast<int>(ca + int64_t(cb - ca) * i / n); };
        const QColor c(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
        if (vertical)
            p.fillRect(QRect(part.left(), dev.top() + i, part.width(), 1), c);
        else
            p.fillRect(QRect(dev.left() + i, part.top(), 1, part.height()), c);
    }
}

void TCanvas::Draw(int x, int y, const TGraphic &graphic)
{
    if (graphic.Empty())
        return;
    StretchDraw(Bounds(x, y, graphic.Width(), graphic.Height()), graphic);
}

void TCanvas::StretchDraw(const TRect &r, const TGraphic &graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, r);
}

void TCanvas::StretchDrawImage(const TRect &dest, const QImage &image, const TRect &source, TColor transparentColor)
{
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (image.isNull() || !scope)
        return;
    const QRect d = DeviceRect(dest);
    const QRect s(source.Left, source.Top, source.Width(), source.Height());
    if (d.isEmpty() || s.isEmpty())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform, state_.stretchMode == HALFTONE);
    if (transparentColor != clNone && !image.hasAlphaChannel()) {
        QImage masked = image.copy(s).convertToFormat(QImage::Format_ARGB32);
        const QRgb key = ToQRgb(ColorToRGB(transparentColor)) & 0xFFFFFF;
        for (int y = 0; y < masked.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(masked.scanLine(y));
            for (int x = 0; x < masked.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
        }
        p.drawImage(d, masked);
        return;
    }
    p.drawImage(d, image, s);
}

TColor TCanvas::Pixel(int x, int y)
{
    if (!target_ || target_->isNull())
        return CLR_INVALID;
    const TPoint d = LPtoDP({x, y});
    if (!target_->valid(d.X, d.Y))
        return CLR_INVALID;
    return FromQRgb(target_->pixel(d.X, d.Y));
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    if (painter_) {
        PaintScope scope(*this);
        if (scope) {
            const TPoint d = LPtoDP({x, y});
            scope.Painter().setPen(QPen(QtColor(ColorToRGB(color)), 0));
            scope.Painter().drawPoint(d.X, d.Y);
        }
        return;
    }
    if (!target_ || target_->isNull())
        return;
    const TPoint d = LPtoDP({x, y});
    if (!target_->valid(d.X, d.Y) || (state_.clip && !state_.clip->contains(QPoint(d.X, d.Y))))
        return;
    target_->setPixel(d.X, d.Y, ToQRgb(ColorToRGB(color)));
}

void TCanvas::CopyRect(const TRect &dest, TCanvas &source, const TRect &srcRect)
{
    RequiredState(csBrushValid);
    PaintScope scope(*this);
    QPainter &p = scope.Painter();
    if (!scope)
        return;
    const QRect d = DeviceRect(dest);
    if (d.isEmpty())
        return;
    auto fill = [&](QColor c) { p.fillRect(d, c); };
    switch (copyMode_) {
    case cmBlackness: fill(Qt::black); return;
    case cmWhiteness: fill(Qt::white); return;
    case cmPatCopy: FillShapeBrush(p, d); return;
    case cmDstInvert:
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        fill(Qt::black);
        return;
    default: break;
    }
    if (!source.target_ || source.target_->isNull())
        return;
    const QRect s = source.DeviceRect(srcRect);
    if (s.isEmpty())
        return;
    // A rectangle given right-to-left or bottom-to-top mirrors the copy, as
    // a stretch copy with a negative extent does; flipped on both sides
    // cancels out.
    const bool flipX = (dest.Right < dest.Left) != (srcRect.Right < srcRect.Left);
    const bool flipY = (dest.Bottom < dest.Top) != (srcRect.Bottom < srcRect.Top);
    const QImage part = source.target_->copy(s).convertToFormat(QImage::Format_RGB32).mirrored(flipX, flipY);
    switch (copyMode_) {
    case cmSrcAnd: p.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case cmSrcPaint: p.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case cmSrcInvert: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case cmNotSrcCopy: p.setCompositionMode(QPainter::RasterOp_NotSource); break;
    case cmMergePaint: p.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination); break;
    case cmSrcErase: p.setCompositionMode(QPainter::RasterOp_SourceAndNotDestination); break;
    case cmNotSrcErase: p.setCompositionMode(QPainter::RasterOp_NotSourceAndNotDestination); break;
    default: p.setCompositionMode(QPainter::CompositionMode_Source); break;
    }
    p.drawImage(d, part);
}

} // namespace plat
