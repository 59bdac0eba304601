#include "controls/UiButton.h"

#include "controls/UiDrawing.h"
#include "platform/graphics/Colors.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <QWidget>

using namespace plat;

namespace {

// A setter's body: nothing for the present value, else store and repaint.
template <class T>
void Store(TControl &c, T &field, const T &v)
{
    if (field == v)
        return;
    field = v;
    c.Invalidate();
}

bool Inside(const TControl &c, int x, int y) { return x >= 0 && x < c.ClientWidth() && y >= 0 && y < c.ClientHeight(); }

void Line(TCanvas &c, TColor color, int x1, int y1, int x2, int y2)
{
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetColor(color);
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

TRect Inflate(const TRect &r, int dx, int dy) { return Rect(r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy); }

} // namespace

// ---------------------------------------------------------------------------
// TUiCustomButton

TUiCustomButton::TUiCustomButton(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(Left(), Top(), 115, 17);
    SetTabStop(true);
}

void TUiCustomButton::SetAlignmentVertical(TAlignmentVertical v) { Store(*this, alignmentVertical_, v); }
void TUiCustomButton::SetHighlightColor(TColor v) { Store(*this, highlightColor_, v); }
void TUiCustomButton::SetLightTextStyle(bool v) { Store(*this, lightTextStyle_, v); }
void TUiCustomButton::SetTextStyle(TTextStyle v) { Store(*this, textStyle_, v); }
void TUiCustomButton::SetTextHighlightColor(TColor v) { Store(*this, textHighlightColor_, v); }
void TUiCustomButton::SetTextShadowColor(TColor v) { Store(*this, textShadowColor_, v); }
void TUiCustomButton::SetTextShadowDepth(int v) { Store(*this, textShadowDepth_, v); }
void TUiCustomButton::SetHotTrack(bool v) { Store(*this, hotTrack_, v); }
void TUiCustomButton::SetThemeAware(bool v) { Store(*this, themeAware_, v); }
void TUiCustomButton::SetTransparent(bool v) { Store(*this, transparent_, v); }

bool TUiCustomButton::UseThemes() const { return themeAware_ && ThemeServicesEnabled(); }

void TUiCustomButton::EraseBackground(TCanvas &canvas)
{
    if (transparent_)
        EraseTransparentBackground(canvas);
    else
        TCustomControl::EraseBackground(canvas);
}

TRect TUiCustomButton::DrawStyledCaption(TCanvas &canvas, TRect rect, unsigned flags)
{
    canvas.Brush().SetStyle(bsClear);
    canvas.SetFont(Font());
    TRect measure = rect;
    const int t = canvas.DrawText(Caption(), measure, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT);
    switch (alignmentVertical_) {
    case avTop: rect.Bottom = rect.Top + t; break;
    case avCenter:
        rect.Top = (rect.Top + rect.Bottom - t) / 2;
        rect.Bottom = rect.Top + t;
        break;
    case avBottom: rect.Top = rect.Bottom - t - 1; break;
    }
    auto drawAt = [&](TColor color, int dx, int dy) {
        canvas.Font().SetColor(color);
        TRect r = Rect(rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy);
        canvas.DrawText(Caption(), r, flags);
    };
    if (Enabled()) {
        switch (textStyle_) {
        case tsRaised:
            if (!lightTextStyle_)
                drawAt(textShadowColor_, 1, 1);
            drawAt(textHighlightColor_, -1, -1);
            break;
        case tsRecessed:
            drawAt(textHighlightColor_, 1, 1);
            if (!lightTextStyle_)
                drawAt(textShadowColor_, -1, -1);
            break;
        case tsShadow:
            drawAt(textShadowColor_, (flags & DT_RIGHT) ? 0 : textShadowDepth_, textShadowDepth_);
            break;
        case tsNormal: break;
        }
        canvas.Font().SetColor(Font().Color());
        if (flags & DT_RIGHT) {
            rect.Left -= textShadowDepth_;
            rect.Right -= textShadowDepth_;
        }
    } else {
        canvas.Font().SetColor(ColorsNear(Color(), clGrayText) ? cl3DDkShadow : clGrayText);
    }
    const TRect drawn = rect;
    canvas.DrawText(Caption(), rect, flags);
    canvas.Brush().SetStyle(bsSolid);
    return drawn;
}

void TUiCustomButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !Enabled())
        return;
    if (CanFocus())
        SetFocus();
    if (Focused()) {
        pressed_ = true;
        RefreshLook();
        tracking_ = true;
    }
}

void TUiCustomButton::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!tracking_)
        return;
    const bool inside = Inside(*this, x, y);
    if (inside != pressed_) {
        pressed_ = inside;
        RefreshLook();
    }
}

void TUiCustomButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (!tracking_)
        return;
    tracking_ = false;
    pressed_ = false;
    if (Inside(*this, x, y))
        ClickAction();
    if (!Dying())
        RefreshLook();
}

void TUiCustomButton::MouseEnter()
{
    if (ComponentState() & csDesigning)
        return;
    mouseOver_ = true;
    TCustomControl::MouseEnter();
    if (hotTrack_ || UseThemes())
        Invalidate();
}

void TUiCustomButton::MouseLeave()
{
    mouseOver_ = false;
    TCustomControl::MouseLeave();
    if (hotTrack_ || UseThemes())
        Invalidate();
}

void TUiCustomButton::DoEnter()
{
    TCustomControl::DoEnter();
    FocusRepaint();
}

void TUiCustomButton::DoExit()
{
    TCustomControl::DoExit();
    FocusRepaint();
}

void TUiCustomButton::EnabledChanged()
{
    TCustomControl::EnabledChanged();
    if (!Enabled() && Parent())
        if (TForm *f = ParentForm(); f && f->ActiveControl() == this)
            f->SetActiveControl(nullptr);
    Invalidate();
}

void TUiCustomButton::TextChanged()
{
    TCustomControl::TextChanged();
    Invalidate();
}

// ---------------------------------------------------------------------------
// TUiButton

TUiButton::TUiButton(TComponent *owner) : TUiCustomButton(owner)
{
    SetBounds(Left(), Top(), 75, 25);
    SetColor(clBtnFace);
}

void TUiButton::SetAlignment(TAlignment v) { Store(*this, alignment_, v); }
void TUiButton::SetShowDownPattern(bool v) { Store(*this, showDownPattern_, v); }
void TUiButton::SetShowFocusRect(bool v) { Store(*this, showFocusRect_, v); }
void TUiButton::SetFrameColor(TColor v) { Store(*this, frameColor_, v); }

void TUiButton::SetHotTrack(bool v)
{
    if (v == HotTrack())
        return;
    TUiCustomButton::SetHotTrack(v);
    // The rounded corners show the parent, so the erase step must too.
    SetTransparent(v);
    Invalidate();
}

void TUiButton::SetDefault(bool v)
{
    default_ = v;
    if (TForm *f = ParentForm())
        f->BroadcastFocusChanged(f->ActiveControl());
    else
        FocusChanged(nullptr);
}

void TUiButton::Loaded()
{
    TUiCustomButton::Loaded();
    const TForm *f = ParentForm();
    FocusChanged(f ? f->ActiveControl() : nullptr);
}

void TUiButton::FocusChanged(TWinControl *focused)
{
    const bool isButton = dynamic_cast<TUiButton *>(focused) || dynamic_cast<TButton *>(focused);
    const bool a = isButton ? focused == this : default_;
    if (a != active_) {
        active_ = a;
        Invalidate();
    }
}

void TUiButton::SetAllowAllUp(bool v)
{
    allowAllUp_ = v;
    GroupChanged();
}

void TUiButton::SetGroupIndex(int v)
{
    groupIndex_ = v;
    GroupChanged();
}

void TUiButton::SetDown(bool v)
{
    if (groupIndex_ == 0)
        v = false;
    if (v == down_)
        return;
    if (down_ && groupIndex_ != 0 && !allowAllUp_)
        return;
    down_ = v;
    Invalidate();
    if (v)
        GroupChanged();
}

void TUiButton::GroupChanged()
{
    if (groupIndex_ == 0 || !Parent())
        return;
    TWinControl *p = Parent();
    for (int i = 0; i < p->ControlCount(); ++i)
        if (auto *b = dynamic_cast<TUiButton *>(p->Controls(i)); b && b != this && b->groupIndex_ == groupIndex_)
            b->ReleaseForGroup(*this);
}

void TUiButton::ReleaseForGroup(const TUiButton &sender)
{
    if (down_ && sender.down_) {
        down_ = false;
        Invalidate();
    }
    allowAllUp_ = sender.allowAllUp_;
}

void TUiButton::Click()
{
    if (TForm *f = ParentForm())
        f->SetModalResult(modalResult_);
    TUiCustomButton::Click();
}

void TUiButton::ClickAction()
{
    if (groupIndex_ != 0)
        SetDown(!down_);
    else
        RefreshLook();
    struct InClick {
        bool &flag;
        explicit InClick(bool &f) : flag(f) { flag = true; }
        ~InClick() { flag = false; }
    } scope(inClick_);
    Click();
}

bool TUiButton::DialogKey(uint16_t key, TShiftState shift)
{
    if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) && !(shift & (ssShift | ssCtrl | ssAlt)) &&
        CanFocus()) {
        Click();
        return true;
    }
    return TUiCustomButton::DialogKey(key, shift);
}

bool TUiButton::DialogChar(char32_t key, TShiftState)
{
    if (IsAccel(key, Caption()) && CanFocus()) {
        Click();
        return true;
    }
    return false;
}

void TUiButton::KeyDown(uint16_t &key, TShiftState shift)
{
    if (key == VK_SPACE && !(shift & ssAlt)) {
        spaceDown_ = true;
        SetPressed(true);
        RefreshLook();
    }
    TUiCustomButton::KeyDown(key, shift);
}

void TUiButton::KeyUp(uint16_t &key, TShiftState shift)
{
    if (key == VK_SPACE) {
        SetPressed(false);
        if (spaceDown_)
            ClickAction();
        if (!Dying())
            RefreshLook();
    }
    TUiCustomButton::KeyUp(key, shift);
}

void TUiButton::DoExit()
{
    TUiCustomButton::DoExit();
    spaceDown_ = false;
    SetPressed(false);
    RefreshLook();
}

TRect TUiButton::CaptionRect() const
{
    TRect r = Inflate(ClientRect(), -5, -5);
    if (!HotTrack() && !UseThemes() && (Pressed() || (groupIndex_ != 0 && down_)))
        r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    return r;
}

void TUiButton::DrawButtonCaption(TCanvas &canvas)
{
    const unsigned align = alignment_ == TAlignment::taCenter        ? DT_CENTER
                           : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                                      : DT_LEFT;
    DrawStyledCaption(canvas, CaptionRect(), align | DT_WORDBREAK | DT_EXPANDTABS);
}

void TUiButton::MakeDownPattern(TBitmap &bitmap) const
{
    bitmap.SetSize(8, 8);
    TCanvas &c = *bitmap.Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(Rect(0, 0, 8, 8));
    const TColor dot = ColorToRGB(Color()) == clSilver ? RGB(128, 128, 128) : clSilver;
    for (int y = 0; y < 8; ++y)
        for (int x = y % 2; x < 8; x += 2)
            c.SetPixel(x, y, dot);
}

void TUiButton::EraseTransparentBackground(TCanvas &canvas)
{
    const TRect r = Inflate(ClientRect(), Enabled() ? -1 : -2, Enabled() ? -1 : -2);
    const TRect wide = Inflate(r, 1, -1);
    const TRect tall = Inflate(wide, -2, 2);
    const int level = canvas.SaveDC();
    canvas.ExcludeClipRect(r);
    canvas.ExcludeClipRect(wide);
    canvas.ExcludeClipRect(tall);
    DrawParentBackground(*this, canvas, true);
    canvas.RestoreDC(level);
}

void TUiButton::Paint()
{
    TCanvas &c = Canvas();
    const bool latchedOrPressed = down_ || Pressed();
    const bool focused = Focused();
    TRect f = Inflate(ClientRect(), (HotTrack() || UseThemes()) ? -3 : -4, (HotTrack() || UseThemes()) ? -3 : -4);
    if (groupIndex_ != 0 && latchedOrPressed)
        f = Rect(f.Left + 1, f.Top + 1, f.Right + 1, f.Bottom + 1);
    TRect r = ClientRect();
    c.Brush().SetStyle(bsSolid);
    auto fill = [&](const TRect &area, TColor color) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(color);
        c.FillRect(area);
    };

    if (HotTrack()) {
        const TColor p = Parent() ? Parent()->Color() : clBtnFace;
        const TColor a = Enabled() ? ShadeDown(p, 20) : p, b = Enabled() ? ShadeUp(p, 20) : p;
        Line(c, a, r.Left, r.Top + 2, r.Left, r.Bottom - 2);
        Line(c, a, r.Left + 2, r.Top, r.Right - 2, r.Top);
        Line(c, b, r.Right - 1, r.Top + 2, r.Right - 1, r.Bottom - 2);
        Line(c, b, r.Left + 2, r.Bottom - 1, r.Right - 2, r.Bottom - 1);
        c.SetPixel(r.Left + 1, r.Top + 1, ColorToRGB(a));
        c.SetPixel(r.Right - 2, r.Top + 1, ColorToRGB(a));
        c.SetPixel(r.Right - 2, r.Bottom - 2, ColorToRGB(b));
        c.SetPixel(r.Left + 1, r.Bottom - 2, ColorToRGB(a));
        r = Inflate(r, -1, -1);
        const TColor frame = Enabled() ? frameColor_
                             : Color() == clBtnFace ? ShadeUp(clBtnShadow, 30)
                                                    : ShadeDown(Color(), 80);
        Line(c, frame, r.Left, r.Top + 1, r.Left, r.Bottom - 1);
        Line(c, frame, r.Left + 1, r.Top, r.Right - 1, r.Top);
        Line(c, frame, r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        Line(c, frame, r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
        r = Inflate(r, -1, -1);
        if (!Enabled()) {
            fill(r, Color());
        } else if (latchedOrPressed) {
            fill(r, ShadeDown(Color(), 10));
        } else {
            Line(c, ShadeDown(Color(), 20), r.Left, r.Bottom - 2, r.Right, r.Bottom - 2);
            Line(c, ShadeDown(Color(), 30), r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
            const TRect face = Rect(r.Left, r.Top, r.Right, r.Bottom - 2);
            if (IsDeepColorScreen())
                DrawGradientBox(c, face, gdHorizontalEnd, ShadeUp(Color(), 30), ShadeDown(Color(), 10), 1);
            else
                fill(face, Color());
            if (MouseOver()) {
                if (HotTrackColorType() == htctComplement) {
                    const TColor s = OppositeHueColor(HotTrackColor(), 180);
                    PaintGradientRim(c, r, gdHorizontalEnd, s, ShadeDown(s, 30));
                } else {
                    PaintGradientRim(c, r, gdHorizontalEnd, MixColors(clWhite, HotTrackColor(), 190), HotTrackColor());
                }
            } else if (groupIndex_ == 0 && (active_ || focused) && !Pressed()) {
                const TColor h = ColorsNear(HighlightColor(), clBtnFace) ? ShadeDown(HighlightColor(), 30) : HighlightColor();
                const TColor l = ShadeUp(Color(), 30);
                PaintGradientRim(c, r, gdHorizontalEnd, MixColors(h, l, 60), MixColors(h, l, 160));
            }
        }
    } else {
        if (groupIndex_ == 0 && (((active_ || focused) && !Pressed()) || inClick_))
            r = PaintBoxOutline(c, r, clWindowFrame);
        if (Color() == clBtnFace) {
            if (groupIndex_ == 0)
                r = PaintPushFrame(c, r, Pressed());
            else
                r = PaintStyledFrame(c, r, latchedOrPressed ? fsLowered : fsButtonUp);
        } else if (groupIndex_ == 0) {
            r = PaintTintPushFrame(c, r, Color(), Pressed());
        } else {
            r = latchedOrPressed ? PaintTintStyledFrame(c, r, Color(), fsLowered) : PaintTintPushFrame(c, r, Color(), false);
        }
        fill(r, Color());
    }

    if (groupIndex_ != 0 && down_ && showDownPattern_) {
        TBitmap pattern;
        MakeDownPattern(pattern);
        c.Brush().SetBitmap(&pattern);
        c.FillRect(r);
        c.Brush().SetBitmap(nullptr);
        c.Brush().SetStyle(bsSolid);
    }
    c.SetFont(Font());
    c.Brush().SetColor(Color());
    DrawButtonCaption(c);
    if (focused && showFocusRect_)
        PaintDottedOutline(c, f);
    TUiCustomButton::Paint();
}
