#include "controls/UiCommon.h"

#include "controls/UiDrawing.h"
#include "platform/graphics/Colors.h"
#include "platform/gui/CustomControls.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

using namespace plat;

// ---------------------------------------------------------------------------
// Colour arithmetic

namespace {

// Round half to even, as the arithmetic of the colour scale does.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

} // namespace

THueLumSat ColorToHueLumSat(TColor color)
{
    const TColor c = ColorToRGB(color);
    const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    double h = 0, s = 0;
    if (mx != mn) {
        const double d = mx - mn;
        s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
        if (r == mx)
            h = (g - b) / d;
        else if (g == mx)
            h = 2 + (b - r) / d;
        else
            h = 4 + (r - g) / d;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    return {static_cast<uint8_t>(RoundEven(h * 240)), static_cast<uint8_t>(RoundEven(s * 240)),
            static_cast<uint8_t>(RoundEven(l * 240))};
}

uint8_t ColorHue(TColor color) { return ColorToHueLumSat(color).Hue; }

TColor HueLumSatToColor(int hue, int sat, int lum)
{
    // The hue divides by 239, the others by 240: pure blue does not come
    // back exactly, and the controls' colours depend on that.
    const double h = hue / 239.0, s = sat / 240.0, l = lum / 240.0;
    const double m2 = l < 0.5 ? l * (1 + s) : l + s - l * s;
    if (m2 <= 0)
        return clBlack;
    const double m1 = 2 * l - m2;
    const int sector = static_cast<int>(6 * h);
    const double f = 6 * h - sector;
    const double rise = m1 + (m2 - m1) * f, fall = m2 - (m2 - m1) * f;
    double r, g, b;
    switch (sector) {
    case 1: r = fall; g = m2; b = m1; break;
    case 2: r = m1; g = m2; b = rise; break;
    case 3: r = m1; g = fall; b = m2; break;
    case 4: r = rise; g = m1; b = m2; break;
    case 5: r = m2; g = m1; b = fall; break;
    default: r = m2; g = rise; b = m1; break;
    }
    auto channel = [](double v) { return RoundEven(std::min(v, 1.0) * 255); };
    return RGB(channel(r), channel(g), channel(b));
}

TColor ShadeDown(TColor color, int amount)
{
    const THueLumSat hls = ColorToHueLumSat(color);
    return HueLumSatToColor(hls.Hue, hls.Sat, std::max(hls.Lum - amount, 0));
}

TColor ShadeUp(TColor color, int amount)
{
    const THueLumSat hls = ColorToHueLumSat(color);
    return HueLumSatToColor(hls.Hue, hls.Sat, std::min(hls.Lum + amount, 255));
}

TColor ShadeBy(TColor color, int amount)
{
    if (amount < 0)
        return ShadeDown(color, -amount);
    if (amount > 0)
        return ShadeUp(color, amount);
    return color;
}

TColor MixColors(TColor c1, TColor c2, uint8_t weight)
{
    const TColor a = ColorToRGB(c1), b = ColorToRGB(c2);
    const double f = weight / 255.0;
    auto mix = [f](int x, int y) { return RoundEven(x * f + y * (1 - f)); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

bool ColorsNear(TColor c1, TColor c2)
{
    const THueLumSat a = ColorToHueLumSat(c1), b = ColorToHueLumSat(c2);
    return std::abs(a.Hue - b.Hue) < 20 && std::abs(a.Lum - b.Lum) < 60;
}

TColor OppositeHueColor(TColor color, uint8_t lum)
{
    const int h = ColorHue(color);
    return HueLumSatToColor(h < 120 ? h + 120 : h - 120, 240, lum);
}

// ---------------------------------------------------------------------------
// Screen and scheme

namespace {
std::optional<bool> deepOverride;
std::optional<bool> deepMeasured;
} // namespace

bool IsDeepColorScreen()
{
    if (deepOverride)
        return *deepOverride;
    if (!deepMeasured) {
        QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                              ? QGuiApplication::primaryScreen()
                              : nullptr;
        // Before the application exists there is no screen to ask; ask again later.
        if (!screen)
            return true;
        deepMeasured = screen->depth() > 8;
    }
    return *deepMeasured;
}

void SetDeepColorScreenForTesting(std::optional<bool> deep)
{
    deepOverride = deep;
    deepMeasured.reset();
}

int ReadDesktopColorScheme() { return 0; }

TSchemeColors SchemeColorsFor(TUiGradientColorStyle style, bool themesEnabled, int scheme)
{
    if (style == gcsMSOffice && themesEnabled) {
        static const TColor table[3][3] = {
            {RGB(227, 239, 255), RGB(153, 187, 234), RGB(87, 127, 191)},
            {RGB(255, 255, 237), RGB(184, 199, 146), RGB(127, 161, 119)},
            {RGB(249, 249, 255), RGB(189, 188, 208), RGB(159, 159, 177)},
        };
        const TColor *row = table[scheme >= 0 && scheme <= 2 ? scheme : 0];
        return {row[0], row[1], row[2], {row[1], row[0], row[1]}};
    }
    return {clWindow, ShadeDown(clBtnFace, 10), ShadeUp(clBtnShadow, 30),
            {ShadeDown(clBtnFace, 20), clWindow, ShadeDown(clBtnFace, 40)}};
}

namespace {
TSchemeColors Here(TUiGradientColorStyle style)
{
    return SchemeColorsFor(style, ThemeServicesEnabled(), ReadDesktopColorScheme());
}
} // namespace

void SchemeGradientPair(TUiGradientColorStyle style, TColor &start, TColor &stop)
{
    const TSchemeColors s = Here(style);
    start = s.GradientStart;
    stop = s.GradientStop;
}

TColor SchemeFrameColor(TUiGradientColorStyle style) { return Here(style).Frame; }

std::array<TColor, 3> SchemeSelectionColors(TUiGradientColorStyle style) { return Here(style).Selection; }

TColor ThemePartColor(int) { return clBtnFace; }

namespace {
struct TStyleColors {
    TColor upperLeft, lowerRight;
};
const TStyleColors kStyleColors[] = {
    {clWindow, clWindow},             // fsNone
    {cl3DDkShadow, cl3DDkShadow},     // fsFlat
    {clBtnShadow, clBtnHighlight},    // fsGroove
    {clBtnHighlight, clBtnShadow},    // fsBump
    {clBtnShadow, clBtnHighlight},    // fsLowered
    {clNone, clNone},                 // fsButtonDown
    {cl3DDkShadow, clBtnFace},        // fsRaised
    {clNone, clNone},                 // fsButtonUp
    {clBtnShadow, clBtnHighlight},    // fsStatus
    {clBtnHighlight, clBtnShadow},    // fsPopup
    {clBtnShadow, clBtnShadow},       // fsFlatBold
};
const TStyleColors &StyleColors(TFrameStyle style)
{
    const auto i = static_cast<size_t>(style);
    return kStyleColors[i < std::size(kStyleColors) ? i : 0];
}
} // namespace

TColor FrameStyleUpperLeft(TFrameStyle style) { return StyleColors(style).upperLeft; }
TColor FrameStyleLowerRight(TFrameStyle style) { return StyleColors(style).lowerRight; }

// ---------------------------------------------------------------------------
// Frame painters

namespace {

void Line(TCanvas &c, int x1, int y1, int x2, int y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

void SolidPen(TCanvas &c, TColor color)
{
    c.Pen().SetStyle(psSolid);
    c.Pen().SetMode(pmCopy);
    c.Pen().SetWidth(1);
    c.Pen().SetColor(color);
}

TRect Shrink(const TRect &r, TSides sides, int by)
{
    TRect o = r;
    if (HasSide(sides, sdLeft))
        o.Left += by;
    if (HasSide(sides, sdTop))
        o.Top += by;
    if (HasSide(sides, sdRight))
        o.Right -= by;
    if (HasSide(sides, sdBottom))
        o.Bottom -= by;
    return o;
}

void Dot(TCanvas &c, int x, int y, TColor color)
{
    if (color != clNone)
        c.SetPixel(x, y, ColorToRGB(color));
}

// Groove and bump: a pair of one-pixel frames offset by one, with the
// corner pixels where only one of two meeting sides is drawn.
TRect PaintEtched(TCanvas &canvas, const TRect &r, TColor u, TColor w, TSides sides)
{
    const bool left = HasSide(sides, sdLeft), top = HasSide(sides, sdTop), right = HasSide(sides, sdRight),
               bottom = HasSide(sides, sdBottom);
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    if (right)
        Dot(canvas, R - 1, T, w);
    else if (top)
        Dot(canvas, R - 1, T, u);
    if (bottom)
        Dot(canvas, L, B - 1, w);
    else if (left)
        Dot(canvas, L, B - 1, u);
    if (top && !left)
        Dot(canvas, L, T + 1, w);
    if (left && !top)
        Dot(canvas, L + 1, T, w);
    if (bottom && !right)
        Dot(canvas, R - 1, B - 2, u);
    if (right && !bottom)
        Dot(canvas, R - 2, B - 1, u);
    const TRect inner = Rect(L + 1, T + 1, R, B);
    PaintFrameSides(canvas, inner, w, w, sides);
    PaintFrameSides(canvas, Rect(inner.Left - 1, inner.Top - 1, inner.Right - 1, inner.Bottom - 1), u, u, sides);
    return Shrink(r, sides, 2);
}

} // namespace

TRect PaintFrameSides(TCanvas &canvas, const TRect &r, TColor upperLeft, TColor lowerRight, TSides sides)
{
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    if (upperLeft != clNone) {
        SolidPen(canvas, upperLeft);
        if (HasSide(sides, sdLeft))
            Line(canvas, L, T, L, B);
        if (HasSide(sides, sdTop))
            Line(canvas, L, T, R, T);
    }
    if (lowerRight != clNone) {
        SolidPen(canvas, lowerRight);
        if (HasSide(sides, sdRight))
            Line(canvas, R - 1, T, R - 1, B);
        if (HasSide(sides, sdBottom))
            Line(canvas, L, B - 1, R, B - 1);
    }
    return Shrink(r, sides, 1);
}

TRect PaintFrameBand(TCanvas &canvas, const TRect &r, TColor upperLeft, TColor lowerRight, int width, TSides sides)
{
    TRect o = r;
    for (int i = 0; i < width; ++i)
        o = PaintFrameSides(canvas, o, upperLeft, lowerRight, sides);
    return o;
}

TRect PaintSunkenRaised(TCanvas &canvas, const TRect &r, bool lowered, TSides sides)
{
    if (lowered)
        return PaintFrameBand(canvas, PaintFrameBand(canvas, r, clBtnShadow, clBtnHighlight, 1, sides), cl3DDkShadow,
                              cl3DLight, 1, sides);
    return PaintFrameBand(canvas, PaintFrameBand(canvas, r, cl3DLight, cl3DDkShadow, 1, sides), clBtnHighlight,
                          clBtnShadow, 1, sides);
}

TRect PaintPushFrame(TCanvas &canvas, const TRect &r, bool down, TSides sides)
{
    if (down)
        return PaintFrameSides(canvas, PaintFrameSides(canvas, r, clBtnText, clBtnText, sides), clBtnShadow,
                               clBtnShadow, sides);
    return PaintFrameSides(canvas, PaintFrameSides(canvas, r, clBtnHighlight, cl3DDkShadow, sides), cl3DLight,
                           clBtnShadow, sides);
}

TRect PaintTintPushFrame(TCanvas &canvas, const TRect &r, TColor base, bool down, TSides sides)
{
    if (down) {
        const TColor outer = ShadeDown(base, 100), inner = ShadeDown(base, 50);
        return PaintFrameSides(canvas, PaintFrameSides(canvas, r, outer, outer, sides), inner, inner, sides);
    }
    return PaintFrameSides(canvas, PaintFrameSides(canvas, r, ShadeUp(base, 100), ShadeDown(base, 100), sides),
                           ShadeUp(base, 40), ShadeDown(base, 50), sides);
}

TRect PaintStyledFrame(TCanvas &canvas, const TRect &r, TFrameStyle style, TSides sides)
{
    const TStyleColors &c = StyleColors(style);
    switch (style) {
    case fsFlat:
    case fsStatus:
    case fsPopup: return PaintFrameSides(canvas, r, c.upperLeft, c.lowerRight, sides);
    case fsFlatBold: return PaintFrameBand(canvas, r, c.upperLeft, c.lowerRight, 2, sides);
    case fsLowered:
    case fsRaised: return PaintSunkenRaised(canvas, r, style == fsLowered, sides);
    case fsButtonDown:
    case fsButtonUp: return PaintPushFrame(canvas, r, style == fsButtonDown, sides);
    case fsGroove:
    case fsBump: return PaintEtched(canvas, r, c.upperLeft, c.lowerRight, sides);
    default: return r;
    }
}

TRect PaintTintStyledFrame(TCanvas &canvas, const TRect &r, TColor base, TFrameStyle style, TSides sides)
{
    const TColor down50 = ShadeDown(base, 50), up100 = ShadeUp(base, 100);
    switch (style) {
    case fsFlat: return PaintFrameSides(canvas, r, down50, down50, sides);
    case fsStatus: return PaintFrameSides(canvas, r, down50, up100, sides);
    case fsPopup: return PaintFrameSides(canvas, r, up100, down50, sides);
    case fsFlatBold: return PaintFrameBand(canvas, r, down50, down50, 2, sides);
    case fsLowered:
        return PaintFrameSides(canvas, PaintFrameSides(canvas, r, down50, up100, sides), ShadeDown(base, 100),
                               ShadeUp(base, 50), sides);
    case fsRaised:
        return PaintFrameSides(canvas, PaintFrameSides(canvas, r, ShadeUp(base, 50), ShadeDown(base, 100), sides),
                               up100, down50, sides);
    case fsButtonDown:
    case fsButtonUp: return PaintTintPushFrame(canvas, r, base, style == fsButtonDown, sides);
    case fsGroove: return PaintEtched(canvas, r, down50, up100, sides);
    case fsBump: return PaintEtched(canvas, r, up100, down50, sides);
    default: return r;
    }
}

TRect PaintBoxOutline(TCanvas &canvas, const TRect &r, TColor color)
{
    return PaintFrameSides(canvas, r, color, color, sdAllSides);
}

TRect PaintDottedOutline(TCanvas &canvas, const TRect &r)
{
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    for (int x = L + 1; x < R - 1; x += 2) {
        canvas.SetPixel(x, T, clBlack);
        canvas.SetPixel(x, B - 1, clBlack);
    }
    for (int y = T + 1; y < B - 1; y += 2) {
        canvas.SetPixel(L, y, clBlack);
        canvas.SetPixel(R - 1, y, clBlack);
    }
    return Rect(L + 1, T + 1, R - 1, B - 1);
}

TRect PaintRoundedOutline(TCanvas &canvas, const TRect &r, TColor color, TSides sides)
{
    if (color == clNone)
        return Shrink(r, sides, 2);
    const bool left = HasSide(sides, sdLeft), top = HasSide(sides, sdTop), right = HasSide(sides, sdRight),
               bottom = HasSide(sides, sdBottom);
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    SolidPen(canvas, color);
    if (left)
        Line(canvas, L, T + (top ? 2 : 0), L, B - (bottom ? 2 : 0));
    if (top)
        Line(canvas, L + (left ? 2 : 0), T, R - (right ? 2 : 0), T);
    if (right)
        Line(canvas, R - 1, T + (top ? 2 : 0), R - 1, B - (bottom ? 2 : 0));
    if (bottom)
        Line(canvas, L + (left ? 2 : 0), B - 1, R - (right ? 2 : 0), B - 1);
    if (left && top)
        Dot(canvas, L + 1, T + 1, color);
    if (top && right)
        Dot(canvas, R - 2, T + 1, color);
    if (right && bottom)
        Dot(canvas, R - 2, B - 2, color);
    if (bottom && left)
        Dot(canvas, L + 1, B - 2, color);
    return Shrink(r, sides, 2);
}

TRect PaintPanelFrames(TCanvas &canvas, const TRect &r, const TPanelFrameLook &look)
{
    const TColor flat = ShadeBy(look.FlatColor, look.FlatColorAdjustment);
    auto style = [&](TFrameStyleEx s, const TRect &in, bool inner) -> TRect {
        switch (s) {
        case fsFlat:
            if (inner && look.Soft) {
                // All four sides, the corner pixels left out.
                SolidPen(canvas, flat);
                Line(canvas, in.Left, in.Top + 1, in.Left, in.Bottom - 1);
                Line(canvas, in.Left + 1, in.Top, in.Right - 1, in.Top);
                Line(canvas, in.Right - 1, in.Top + 1, in.Right - 1, in.Bottom - 1);
                Line(canvas, in.Left + 1, in.Bottom - 1, in.Right - 1, in.Bottom - 1);
                return Rect(in.Left + 1, in.Top + 1, in.Right - 1, in.Bottom - 1);
            }
            return PaintFrameBand(canvas, in, flat, flat, 1, look.Sides);
        case fsFlatBold: return PaintFrameBand(canvas, in, flat, flat, 2, look.Sides);
        case fsFlatRounded: {
            const bool bordered = look.BorderWidth > 0 || look.Inner != fsNone;
            if (!look.Transparent) {
                const TRect ring = PaintFrameBand(canvas, in, look.ParentColor, look.ParentColor, 1, look.Sides);
                const TColor c = bordered ? look.BorderColor : look.ControlColor;
                PaintFrameBand(canvas, ring, c, c, 1, look.Sides);
            } else if (bordered) {
                PaintFrameBand(canvas, Shrink(in, look.Sides, 1), look.BorderColor, look.BorderColor, 1, look.Sides);
            }
            return PaintRoundedOutline(canvas, in, flat, look.Sides);
        }
        case fsPopup: return PaintFrameBand(canvas, in, look.Highlight, look.Shadow, look.BevelWidth, look.Sides);
        case fsStatus: return PaintFrameBand(canvas, in, look.Shadow, look.Highlight, look.BevelWidth, look.Sides);
        default: return PaintStyledFrame(canvas, in, s, look.Sides);
        }
    };
    TRect o = style(look.Outer, r, false);
    if (look.BorderWidth > 0)
        o = PaintFrameBand(canvas, o, look.BorderColor, look.BorderColor, look.BorderWidth, look.Sides);
    return style(look.Inner, o, true);
}

void PaintGradientRim(TCanvas &canvas, const TRect &r, TGradientDirection direction, TColor start, TColor stop)
{
    if (!IsDeepColorScreen())
        return;
    const int level = canvas.SaveDC();
    canvas.ExcludeClipRect(Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2));
    DrawGradientBox(canvas, r, direction, start, stop, 1);
    canvas.RestoreDC(level);
}

// ---------------------------------------------------------------------------
// Text and fonts

void InvalidateSeeThroughChildren(TWinControl &control)
{
    for (int i = 0; i < control.ControlCount(); ++i)
        if (control.Controls(i)->SeeThrough())
            control.Controls(i)->Invalidate();
}

std::unique_ptr<TFont> MakeAngledFont(const TFont &font, int angle)
{
    auto f = std::make_unique<TFont>();
    f->SetName(font.Name());
    f->SetHeight(font.Height());
    f->SetColor(font.Color());
    f->SetStyle(font.Style() & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
    f->SetCharset(font.Charset());
    f->SetPitch(font.Pitch());
    f->SetOrientation(angle * 10);
    return f;
}

String StripMnemonics(const String &text)
{
    String out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            if (text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

int DrawTextInRect(TCanvas &canvas, const String &text, TRect &r, unsigned flags)
{
    return canvas.DrawText(text, r, flags);
}

// ---------------------------------------------------------------------------
// TUiFrameController

TUiFrameController::TUiFrameController(TComponent *owner) : TComponent(owner) {}

TUiFrameController::~TUiFrameController()
{
    // The linked controls hear of this through their free notices and let go.
    links_.clear();
}

#define UI_FC_SETTER(Name, Type, field, prop)                                                                       \
    void TUiFrameController::Set##Name(Type v)                                                                     \
    {                                                                                                              \
        if (field == v)                                                                                            \
            return;                                                                                                \
        field = v;                                                                                                 \
        NotifyControls(prop);                                                                                      \
    }
UI_FC_SETTER(FlatButtonColor, TColor, flatButtonColor_, fcpFlatButtonColor)
UI_FC_SETTER(FlatButtons, bool, flatButtons_, fcpFlatButtons)
UI_FC_SETTER(DisabledColor, TColor, disabledColor_, fcpDisabledColor)
UI_FC_SETTER(ReadOnlyColor, TColor, readOnlyColor_, fcpReadOnlyColor)
UI_FC_SETTER(ReadOnlyColorOnFocus, bool, readOnlyColorOnFocus_, fcpReadOnlyColorOnFocus)
UI_FC_SETTER(FocusColor, TColor, focusColor_, fcpFocusColor)
UI_FC_SETTER(FrameColor, TColor, frameColor_, fcpFrameColor)
UI_FC_SETTER(FrameHotColor, TColor, frameHotColor_, fcpFrameHotColor)
UI_FC_SETTER(FrameHotStyle, TFrameStyle, frameHotStyle_, fcpFrameHotStyle)
UI_FC_SETTER(FrameSides, TSides, frameSides_, fcpFrameSides)
UI_FC_SETTER(FrameStyle, TFrameStyle, frameStyle_, fcpFrameStyle)
UI_FC_SETTER(FrameVisible, bool, frameVisible_, fcpFrameVisible)
UI_FC_SETTER(FramingPreference, TFramingPreference, framingPreference_, fcpFramingPreference)
#undef UI_FC_SETTER

void TUiFrameController::SetColor(TColor v)
{
    if (color_ == v)
        return;
    const TColor old = color_;
    color_ = v;
    NotifyControls(fcpColor);
    if (focusColor_ == old)
        SetFocusColor(v);
    SetParentColor(false);
}

void TUiFrameController::SetParentColor(bool v)
{
    if (parentColor_ == v)
        return;
    parentColor_ = v;
    NotifyControls(fcpParentColor);
    if (!v)
        NotifyControls(fcpColor);
}

void TUiFrameController::SetFrameHotTrack(bool v)
{
    if (frameHotTrack_ == v)
        return;
    frameHotTrack_ = v;
    NotifyControls(fcpFrameHotTrack);
    if (v) {
        SetFrameVisible(true);
        if (!Loading())
            SetFrameSides(sdAllSides);
    }
}

void TUiFrameController::SetRegIniFile(TUiRegIniFile *v)
{
    if (regIniFile_ == v)
        return;
    if (regIniFile_)
        regIniFile_->RemoveFreeNotification(this);
    regIniFile_ = v;
    if (v)
        v->FreeNotification(this);
}

void TUiFrameController::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == regIniFile_)
        regIniFile_ = nullptr;
}

void TUiFrameController::AddControl(IUiFrameControllerClient *client)
{
    if (!client || std::find(links_.begin(), links_.end(), client) != links_.end())
        return;
    links_.push_back(client);
    UpdateControl(*client, fcpAll);
}

void TUiFrameController::RemoveControl(IUiFrameControllerClient *client)
{
    links_.erase(std::remove(links_.begin(), links_.end(), client), links_.end());
}

void TUiFrameController::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        NotifyControls(fcpAll);
}

void TUiFrameController::Assign(const TUiFrameController &o)
{
    BeginUpdate();
    SetColor(o.color_);
    SetParentColor(o.parentColor_);
    SetFlatButtonColor(o.flatButtonColor_);
    SetFlatButtons(o.flatButtons_);
    SetDisabledColor(o.disabledColor_);
    SetReadOnlyColor(o.readOnlyColor_);
    SetReadOnlyColorOnFocus(o.readOnlyColorOnFocus_);
    SetFocusColor(o.focusColor_);
    SetFrameColor(o.frameColor_);
    SetFrameHotColor(o.frameHotColor_);
    SetFrameHotTrack(o.frameHotTrack_);
    SetFrameHotStyle(o.frameHotStyle_);
    SetFrameSides(o.frameSides_);
    SetFrameStyle(o.frameStyle_);
    SetFrameVisible(o.frameVisible_);
    SetFramingPreference(o.framingPreference_);
    SetRegIniFile(o.regIniFile_);
    EndUpdate();
}

void TUiFrameController::Loaded()
{
    TComponent::Loaded();
    NotifyControls(fcpAll);
}

void TUiFrameController::UpdateControl(IUiFrameControllerClient &client, TUiFrameControllerProperty property)
{
    client.UpdateFromController(*this, property);
}

void TUiFrameController::NotifyControls(TUiFrameControllerProperty property)
{
    if (updateCount_ > 0)
        return;
    const std::vector<IUiFrameControllerClient *> copy = links_;
    for (IUiFrameControllerClient *c : copy)
        if (std::find(links_.begin(), links_.end(), c) != links_.end())
            UpdateControl(*c, property);
}

// ---------------------------------------------------------------------------
// TUiRegIniFile

#define UI_RIF_SETTER(Name, Type, field)                                                                            \
    void TUiRegIniFile::Set##Name(Type v)                                                                          \
    {                                                                                                              \
        if (field == v)                                                                                            \
            return;                                                                                                \
        field = v;                                                                                                 \
        refresh_ = true;                                                                                           \
    }
UI_RIF_SETTER(Path, const String &, path_)
UI_RIF_SETTER(PathType, TUiPathType, pathType_)
UI_RIF_SETTER(RegKey, TUiRegKey, regKey_)
UI_RIF_SETTER(RegAccess, TUiRegAccess, regAccess_)
UI_RIF_SETTER(SpecialFolder, TUiSpecialFolder, specialFolder_)
UI_RIF_SETTER(FileEncoding, TUiIniFileEncoding, fileEncoding_)
#undef UI_RIF_SETTER

// ---------------------------------------------------------------------------
// Helpers of the controls

void RelinkFrameController(TUiFrameController *&field, TUiFrameController *fc, TComponent &self,
                           IUiFrameControllerClient &client)
{
    if (field == fc)
        return;
    if (field) {
        field->RemoveControl(&client);
        field->RemoveFreeNotification(&self);
    }
    field = fc;
    if (fc) {
        fc->FreeNotification(&self);
        fc->AddControl(&client);
    }
}

bool TabOnEnterKey(TControl &control, bool tabOnEnter, char32_t &key)
{
    if (!tabOnEnter || key != U'\r')
        return false;
    key = 0;
    if (control.Widget())
        QCoreApplication::postEvent(control.Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    return true;
}

// ---------------------------------------------------------------------------
// Colour names

const std::vector<TUiColorRec> &UiSpecialColorNames()
{
    static const std::vector<TUiColorRec> names = {{"Default", 0}, {"Custom", 0}};
    return names;
}

const std::vector<TUiColorRec> &UiBasicColorNames()
{
    static const std::vector<TUiColorRec> names = {
        {"Black", clBlack}, {"Maroon", clMaroon}, {"Green", clGreen}, {"Olive", clOlive},
        {"Navy", clNavy},   {"Purple", clPurple}, {"Teal", clTeal},   {"Gray", clGray},
        {"Silver", clSilver}, {"Red", clRed},     {"Lime", clLime},   {"Yellow", clYellow},
        {"Blue", clBlue},   {"Fuchsia", clFuchsia}, {"Aqua", clAqua}, {"White", clWhite},
    };
    return names;
}

const std::vector<TUiColorRec> &UiSystemColorNames()
{
    static const std::vector<TUiColorRec> names = [] {
        static const char *const n[] = {"ScrollBar",     "Background",          "ActiveCaption", "InactiveCaption",
                                        "Menu",          "Window",              "WindowFrame",   "MenuText",
                                        "WindowText",    "CaptionText",         "ActiveBorder",  "InactiveBorder",
                                        "AppWorkSpace",  "Highlight",           "HighlightText", "BtnFace",
                                        "BtnShadow",     "GrayText",            "BtnText",       "InactiveCaptionText",
                                        "BtnHighlight",  "3DDkShadow",          "3DLight",       "InfoText",
                                        "InfoBk"};
        std::vector<TUiColorRec> v;
        for (int i = 0; i < 25; ++i)
            v.push_back({n[i], SystemColor(i)});
        return v;
    }();
    return names;
}
