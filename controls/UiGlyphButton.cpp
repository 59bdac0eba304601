#include "controls/UiGlyphButton.h"

#include "controls/UiDrawing.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/FrameControl.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

using namespace plat;

namespace {

TColor PixelAt(TBitmap &b, int x, int y) { return b.Canvas()->Pixel(x, y); }

// Every other radio button on the same parent.
template <class F>
void ForSiblings(TUiRadioButton &self, F f)
{
    if (TWinControl *p = self.Parent())
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto *r = dynamic_cast<TUiRadioButton *>(p->Controls(i)); r && r != &self)
                f(*r);
}

} // namespace

// ---------------------------------------------------------------------------
// TUiCustomGlyphButton

TUiCustomGlyphButton::TUiCustomGlyphButton(TComponent *owner)
    : TUiCustomButton(owner), strip_(std::make_unique<TBitmap>()), imagesLink_(std::make_unique<TChangeLink>()),
      background_(std::make_unique<TBitmap>())
{
    strip_->OnChange = [this](TObject *) { GlyphSourceChanged(); };
    imagesLink_->OnChange = [this](TObject *) { GlyphSourceChanged(); };
}

TUiCustomGlyphButton::~TUiCustomGlyphButton()
{
    MarkDestroying();
    if (frameController_)
        frameController_->RemoveControl(this);
    if (images_)
        images_->UnRegisterChanges(imagesLink_.get());
}

#define UI_GLYPH_SETTER(Name, Type, field)                                                                          \
    void TUiCustomGlyphButton::Set##Name(Type v)                                                                   \
    {                                                                                                              \
        if (StoreChanged(field, v))                                                                                     \
            Invalidate();                                                                                          \
    }
UI_GLYPH_SETTER(FrameColor, TColor, frameColor_)
UI_GLYPH_SETTER(TransparentColor, TColor, transparentColor_)
UI_GLYPH_SETTER(WinMaskColor, TColor, winMaskColor_)
UI_GLYPH_SETTER(FillColor, TColor, fillColor_)
UI_GLYPH_SETTER(FocusColor, TColor, focusColor_)
UI_GLYPH_SETTER(DisabledColor, TColor, disabledColor_)
UI_GLYPH_SETTER(ReadOnlyColor, TColor, readOnlyColor_)
UI_GLYPH_SETTER(ReadOnlyColorOnFocus, bool, readOnlyColorOnFocus_)
UI_GLYPH_SETTER(HotTrackStyle, TUiButtonHotTrackStyle, hotTrackStyle_)
#undef UI_GLYPH_SETTER

void TUiCustomGlyphButton::SetReadOnly(bool v)
{
    if (StoreChanged(readOnly_, v))
        Repaint();
}

void TUiCustomGlyphButton::SetAlignment(TAlignment v)
{
    if (StoreChanged(alignment_, v)) {
        AdjustSize();
        Invalidate();
    }
}

void TUiCustomGlyphButton::SetAutoSize(bool v)
{
    if (StoreChanged(autoSize_, v))
        AdjustSize();
}

void TUiCustomGlyphButton::SetCustomGlyphs(const TBitmap &strip)
{
    strip_->Assign(strip);
    GlyphSourceChanged();
}

void RelinkImageList(TCustomImageList *&field, TCustomImageList *list, TChangeLink &link, TComponent &self)
{
    if (field) {
        field->UnRegisterChanges(&link);
        field->RemoveFreeNotification(&self);
    }
    field = list;
    if (field) {
        field->RegisterChanges(&link);
        field->FreeNotification(&self);
    }
}

void TUiCustomGlyphButton::SetCustomGlyphImages(TCustomImageList *list)
{
    if (images_ == list)
        return;
    RelinkImageList(images_, list, *imagesLink_, *this);
    GlyphSourceChanged();
}

void TUiCustomGlyphButton::GlyphSourceChanged()
{
    backgroundStale_ = true;
    const bool fromList = images_ && images_->Width() >= 1 && images_->Height() >= 1 && images_->Count() >= 1;
    SetUseCustomGlyphs(fromList || !strip_->Empty());
}

void TUiCustomGlyphButton::SetUseCustomGlyphs(bool v)
{
    useCustomGlyphs_ = v;
    const bool fromList = images_ && images_->Width() >= 1 && images_->Height() >= 1 && images_->Count() >= 1;
    if (v && fromList) {
        glyphWidth_ = images_->Width();
        glyphHeight_ = images_->Height();
    } else if (v) {
        glyphWidth_ = strip_->Width() / std::max(glyphCount_, 1);
        glyphHeight_ = strip_->Height();
    } else {
        glyphWidth_ = glyphHeight_ = 13;
    }
    AdjustSize();
    Invalidate();
}

void TUiCustomGlyphButton::SetFrameController(TUiFrameController *fc)
{
    RelinkFrameController(frameController_, fc, *this, *this);
}

void TUiCustomGlyphButton::Notification(TComponent *component, TOperation operation)
{
    TUiCustomButton::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == frameController_)
        frameController_ = nullptr;
    if (component == images_) {
        // The list is half gone; its destructor has let go of the link.
        images_ = nullptr;
        if (!Dying())
            GlyphSourceChanged();
    }
    if (actionLink_ && component == &actionLink_->Action()) {
        actionLink_->ActionGone();
        actionLink_.reset();
    }
}

void TUiCustomGlyphButton::SetAction(TAction *action)
{
    if (actionLink_)
        actionLink_->Action().RemoveFreeNotification(this);
    actionLink_.reset();
    if (!action)
        return;
    actionLink_ = std::make_unique<TUiCheckedActionLink>(*this, *action);
    action->FreeNotification(this);
    actionLink_->ActionChange(false);
}

void TUiCustomGlyphButton::UpdateFromController(TUiFrameController &fc, TUiFrameControllerProperty property)
{
    if (!fc.FrameVisible())
        return;
    SetHotTrack(true);
    auto wanted = [&](TUiFrameControllerProperty p) {
        return (property == fcpAll || property == p) && (notifications_ & FcpBit(p));
    };
    if (wanted(fcpColor))
        SetFillColor(fc.Color());
    if (wanted(fcpFrameColor))
        SetFrameColor(fc.FrameColor());
    if (wanted(fcpFocusColor))
        SetFocusColor(fc.FocusColor());
    if (wanted(fcpDisabledColor))
        SetDisabledColor(fc.DisabledColor());
    if (wanted(fcpReadOnlyColor))
        SetReadOnlyColor(fc.ReadOnlyColor());
    if (wanted(fcpReadOnlyColorOnFocus))
        SetReadOnlyColorOnFocus(fc.ReadOnlyColorOnFocus());
    if (wanted(fcpFrameHotTrack))
        SetHotTrackStyle(fc.FrameHotTrack() ? htsFrame : htsInterior);
    if (wanted(fcpFrameHotColor) && hotTrackStyle_ == htsFrame)
        SetHotTrackColor(fc.FrameHotColor());
    Invalidate();
}

bool TUiCustomGlyphButton::GlyphOnLeft() const
{
    // No right-to-left reading here.
    return alignment_ == TAlignment::taRightJustify;
}

TRect TUiCustomGlyphButton::GlyphRect() const
{
    const int x = GlyphOnLeft() ? 0 : Width() - glyphWidth_;
    int y = 2;
    if (AlignmentVertical() == avCenter)
        y = (Height() - glyphHeight_) / 2;
    else if (AlignmentVertical() == avBottom)
        y = Height() - glyphHeight_ - 2;
    return Bounds(x, y, glyphWidth_, glyphHeight_);
}

void TUiCustomGlyphButton::ExtractPicture(int index, TBitmap &dest, int height, int width, const TBitmap &strip)
{
    dest.SetSize(width, height);
    TBitmap &src = const_cast<TBitmap &>(strip);
    dest.Canvas()->CopyRect(Rect(0, 0, width, height), *src.Canvas(), Rect(index * width, 0, (index + 1) * width, height));
}

void TUiCustomGlyphButton::AdjustSize()
{
    if (!Widget() || Loading() || !autoSize_ || Dying())
        return;
    TRect r = Rect(1, 1, ClientWidth() - 1, ClientHeight() - 1);
    r.Right -= glyphWidth_ + 4;
    r.Right = std::max(r.Right, r.Left + 2);
    TBitmap scratch(1, 1);
    TCanvas &c = *scratch.Canvas();
    c.SetFont(Font());
    c.DrawText(Caption(), r, DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT);
    const int w = r.Width() + 2 + glyphWidth_ + 4;
    const int h = std::max(glyphHeight_ + 2, r.Height() + 2);
    const int left = GlyphOnLeft() ? Left() : Left() + Width() - w;
    if (w != Width() || h != Height() || left != Left())
        SetBounds(left, Top(), w, h);
}

void TUiCustomGlyphButton::Loaded()
{
    TUiCustomButton::Loaded();
    AdjustSize();
}

void TUiCustomGlyphButton::FontChanged()
{
    TUiCustomButton::FontChanged();
    AdjustSize();
    Invalidate();
}

void TUiCustomGlyphButton::TextChanged()
{
    TUiCustomButton::TextChanged();
    AdjustSize();
}

void TUiCustomGlyphButton::EnabledChanged()
{
    backgroundStale_ = true;
    TUiCustomButton::EnabledChanged();
}

void TUiCustomGlyphButton::ColorChanged()
{
    backgroundStale_ = true;
    TUiCustomButton::ColorChanged();
    Invalidate();
}

void TUiCustomGlyphButton::WidgetResized(int width, int height)
{
    backgroundStale_ = true;
    TUiCustomButton::WidgetResized(width, height);
}

void TUiCustomGlyphButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    // Set before the focus arrives, so that taking the focus by a click
    // does not check the button before the click does.
    mouseDown_ = true;
    TUiCustomButton::MouseDown(button, shift, x, y);
}

void TUiCustomGlyphButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    mouseDown_ = false;
    TUiCustomButton::MouseUp(button, shift, x, y);
}

void TUiCustomGlyphButton::KeyPress(char32_t &key)
{
    if (!TabOnEnterKey(*this, tabOnEnter_, key))
        TUiCustomButton::KeyPress(key);
}

void TUiCustomGlyphButton::EraseBackground(TCanvas &canvas)
{
    backgroundStale_ = true;
    if (Transparent())
        EraseTransparentBackground(canvas);
    else
        TCustomControl::EraseBackground(canvas);
}

void TUiCustomGlyphButton::EraseTransparentBackground(TCanvas &canvas)
{
    if (Transparent())
        DrawParentBackground(*this, canvas, true);
}

void TUiCustomGlyphButton::DrawGlyph(TCanvas &canvas)
{
    const TRect g = GlyphRect();
    const TRect cell = Rect(0, 0, glyphWidth_, glyphHeight_);
    TBitmap picture(glyphWidth_, glyphHeight_), composite(glyphWidth_, glyphHeight_);
    DrawGlyphPicture(picture);
    if (Transparent()) {
        composite.Canvas()->CopyRect(cell, canvas, g);
        StretchTransparentBitmap(*composite.Canvas(), picture, cell, cell, transparentColor_);
    } else {
        const TColor see = ColorToRGB(transparentColor_), face = ColorToRGB(FaceColor());
        for (int y = 0; y < glyphHeight_; ++y)
            for (int x = 0; x < glyphWidth_; ++x) {
                const TColor p = PixelAt(picture, x, y);
                composite.Canvas()->SetPixel(x, y, p == see ? face : p);
            }
    }
    if (useCustomGlyphs_) {
        const TColor mask = ColorToRGB(winMaskColor_), window = ColorToRGB(clWindow);
        for (int y = 0; y < glyphHeight_; ++y)
            for (int x = 0; x < glyphWidth_; ++x)
                if (PixelAt(composite, x, y) == mask)
                    composite.Canvas()->SetPixel(x, y, window);
    } else if (Transparent()) {
        BlendGlyphEdge(composite);
    }
    canvas.CopyRect(g, *composite.Canvas(), cell);
}

void TUiCustomGlyphButton::Paint()
{
    if (Destroying())
        return;
    TCanvas &c = Canvas();
    const int w = std::max(1, Width()), h = std::max(1, Height());
    if (backgroundStale_) {
        background_->SetSize(w, h);
        if (Transparent()) {
            background_->Canvas()->CopyRect(Rect(0, 0, w, h), c, Rect(0, 0, w, h));
        } else {
            background_->Canvas()->Brush().SetStyle(bsSolid);
            background_->Canvas()->Brush().SetColor(FaceColor());
            background_->Canvas()->FillRect(Rect(0, 0, w, h));
        }
        backgroundStale_ = false;
    }
    c.CopyRect(Rect(0, 0, w, h), *background_->Canvas(), Rect(0, 0, w, h));
    c.SetFont(Font());
    c.Brush().SetColor(FaceColor());
    DrawGlyph(c);
    TRect text = Rect(1, 1, ClientWidth() - 1, ClientHeight() - 1);
    if (GlyphOnLeft())
        text.Left += glyphWidth_ + 4;
    else
        text.Right -= glyphWidth_ + 4;
    const TRect drawn = DrawStyledCaption(c, text, DT_WORDBREAK | DT_EXPANDTABS);
    if (Focused() && !Caption().empty()) {
        TRect extent = drawn;
        c.SetFont(Font());
        c.DrawText(Caption(), extent, DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT);
        PaintDottedOutline(c, Rect(extent.Left - 1, extent.Top - 1, extent.Right + 1, extent.Bottom + 1));
    }
    TUiCustomButton::Paint();
}

// ---------------------------------------------------------------------------
// TUiRadioButton

TUiRadioButton::TUiRadioButton(TComponent *owner) : TUiCustomGlyphButton(owner)
{
    SetAlignmentVertical(avTop);
    SetGlyphCount(6);
    SetTabStop(false);
    SetColor(clWindow);
    SetParentColor(true);
}

void TUiRadioButton::SetChecked(bool v)
{
    if (v == checked_)
        return;
    checked_ = v;
    SetTabStop(v);
    Repaint();
    if (!v)
        return;
    ForSiblings(*this, [](TUiRadioButton &r) { r.SetChecked(false); });
    if (!ClicksSuppressed())
        Click();
}

void TUiRadioButton::SetReadOnly(bool v)
{
    // Unchanged: nothing, or the siblings would hand it round without end.
    if (v == ReadOnly())
        return;
    TUiCustomGlyphButton::SetReadOnly(v);
    ForSiblings(*this, [v](TUiRadioButton &r) { r.SetReadOnly(v); });
}

void TUiRadioButton::ClickAction()
{
    if (!checked_ && !ReadOnly())
        SetChecked(true);
}

void TUiRadioButton::DoEnter()
{
    TUiCustomGlyphButton::DoEnter();
    if (!MouseIsDown() && !ReadOnly())
        SetChecked(true);
}

bool TUiRadioButton::DialogChar(char32_t key, TShiftState)
{
    if (IsAccel(key, Caption()) && CanFocus()) {
        SetFocus();
        return true;
    }
    return false;
}

bool TUiRadioButton::DialogKey(uint16_t key, TShiftState shift)
{
    if (key == VK_DOWN && !(shift & (ssShift | ssCtrl | ssAlt)) && CanFocus()) {
        if (!ClicksSuppressed())
            Click();
        return true;
    }
    return TUiCustomGlyphButton::DialogKey(key, shift);
}

void TUiRadioButton::DrawGlyphPicture(TBitmap &bitmap)
{
    builtInPicture_ = false;
    bitmap.SetSize(GlyphWidth(), GlyphHeight());
    TCanvas &c = *bitmap.Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(TransparentColor());
    const TRect cell = Rect(0, 0, GlyphWidth(), GlyphHeight());
    const bool hotPictures = HotTrack() && MouseOver();
    if (UseCustomGlyphs() && CustomGlyphImages() && CustomGlyphImages()->Count() >= 1) {
        c.FillRect(cell);
        const bool many = CustomGlyphImages()->Count() > 6;
        int index;
        if (!Enabled())
            index = checked_ ? 5 : 4;
        else if (checked_)
            index = MouseIsDown() ? 3 : (hotPictures && many) ? 7 : 1;
        else
            index = MouseIsDown() ? 2 : (hotPictures && many) ? 6 : 0;
        CustomGlyphImages()->Draw(c, 0, 0, index);
        return;
    }
    if (UseCustomGlyphs()) {
        const int index = !Enabled() ? (checked_ ? 5 : 4) : MouseIsDown() ? (checked_ ? 3 : 2) : (checked_ ? 1 : 0);
        ExtractPicture(index, bitmap, GlyphHeight(), GlyphWidth(), CustomGlyphs());
        return;
    }
    if (HotTrack()) {
        builtInPicture_ = true;
        DrawBuiltInPicture(c);
        return;
    }
    c.FillRect(cell);
    unsigned state = DFCS_BUTTONRADIO | DFCS_TRANSPARENT;
    if (checked_)
        state |= DFCS_CHECKED;
    if (MouseIsDown())
        state |= DFCS_PUSHED;
    if (!Enabled())
        state |= DFCS_INACTIVE;
    DrawFrameControl(c, cell, DFC_BUTTON, state);
}

void TUiRadioButton::DrawBuiltInPicture(TCanvas &c)
{
    enum { Normal, Pressed, Hot, Disabled } state = !Enabled() ? Disabled : MouseIsDown() ? Pressed : MouseOver() ? Hot : Normal;
    const bool deep = IsDeepColorScreen();
    const bool focused = Focused();
    TColor interior;
    if (state == Disabled)
        interior = DisabledColor();
    else if (state == Pressed)
        interior = ShadeDown(FocusColor(), 20);
    else if (focused)
        interior = (ReadOnly() && ReadOnlyColorOnFocus()) ? ReadOnlyColor() : FocusColor();
    else
        interior = ReadOnly() ? ReadOnlyColor() : FillColor();
    TColor h1, h2;
    if (HotTrackColorType() == htctActual) {
        h1 = HotTrackColor();
        h2 = MixColors(clWhite, HotTrackColor(), 190);
    } else {
        h2 = OppositeHueColor(HotTrackColor(), 180);
        h1 = ShadeDown(h2, 30);
    }
    const bool hot = state == Hot;
    const bool hotFrame = hot && HotTrackStyle() == htsFrame;
    const TColor f = ColorToRGB(hotFrame ? h1 : FrameColor());
    const TColor l = deep ? ShadeUp(f, 10) : f;
    // The see-through corners take TransparentColor, so that the copy over
    // the background leaves them out whatever that colour is.
    const TColor m = ColorToRGB(Transparent() ? TransparentColor() : FaceColor());
    const TColor face = ColorToRGB(FaceColor());
    auto set = [&](std::initializer_list<TPoint> pts, TColor color) {
        for (TPoint p : pts)
            c.SetPixel(p.X, p.Y, ColorToRGB(color));
    };
    auto blend = [&](std::initializer_list<TPoint> pts, TColor with, int weight) {
        for (TPoint p : pts)
            c.SetPixel(p.X, p.Y, MixColors(with, c.Pixel(p.X, p.Y), static_cast<uint8_t>(weight)));
    };
    // Step 1: the interior.
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(interior);
    c.FillRect(Rect(0, 0, 13, 13));
    // Step 2: the hot look.
    if (hot && deep) {
        if (HotTrackStyle() == htsInterior) {
            const int level = c.SaveDC();
            c.ExcludeClipRect(Rect(4, 4, 9, 9));
            c.ExcludeClipRect(Rect(5, 3, 8, 10));
            c.ExcludeClipRect(Rect(3, 5, 10, 8));
            DrawGradientBox(c, Rect(0, 0, 13, 13), gdDiagonalDown, h2, h1, 1);
            c.RestoreDC(level);
        } else {
            set({{5, 1}, {6, 1}, {7, 1}, {1, 5}, {1, 6}, {1, 7}, {11, 5}, {11, 6}, {11, 7}, {5, 11}, {6, 11}, {7, 11}}, l);
            set({{4, 1}, {8, 1}, {1, 4}, {11, 4}, {1, 8}, {11, 8}, {4, 11}, {8, 11}}, f);
        }
    }
    // Step 3: the corners.
    set({{0, 0}, {1, 0}, {2, 0}, {10, 0}, {11, 0}, {12, 0}, {0, 1}, {1, 1}, {11, 1}, {12, 1}, {0, 2}, {12, 2},
         {0, 10}, {12, 10}, {0, 11}, {1, 11}, {11, 11}, {12, 11}, {0, 12}, {1, 12}, {2, 12}, {10, 12}, {11, 12}, {12, 12}},
        m);
    // Step 4: the outline.
    set({{4, 0}, {8, 0}, {2, 1}, {10, 1}, {1, 2}, {11, 2}, {0, 4}, {12, 4}, {0, 8}, {12, 8}, {1, 10}, {11, 10}, {2, 11},
         {10, 11}, {4, 12}, {8, 12}},
        Transparent() ? m : deep ? MixColors(f, face, 128) : f);
    set({{3, 0}, {9, 0}, {0, 3}, {12, 3}, {0, 9}, {12, 9}, {3, 12}, {9, 12}},
        Transparent() ? m : deep ? MixColors(f, face, 40) : face);
    set({{6, 0}, {3, 1}, {9, 1}, {1, 3}, {11, 3}, {0, 6}, {12, 6}, {1, 9}, {11, 9}, {3, 11}, {9, 11}, {6, 12}}, f);
    set({{5, 0}, {7, 0}, {2, 2}, {10, 2}, {0, 5}, {12, 5}, {0, 7}, {12, 7}, {2, 10}, {10, 10}, {5, 12}, {7, 12}}, l);
    // Step 5: the inner edge.
    if (deep && hotFrame) {
        blend({{3, 2}, {9, 2}, {2, 3}, {10, 3}, {2, 9}, {10, 9}, {3, 10}, {9, 10}}, f, 150);
        blend({{4, 2}, {8, 2}, {2, 4}, {10, 4}, {2, 8}, {10, 8}, {4, 10}, {8, 10}}, f, 80);
    } else if (deep) {
        blend({{4, 1}, {8, 1}, {1, 4}, {11, 4}, {1, 8}, {11, 8}, {4, 11}, {8, 11}}, f, 128);
        blend({{5, 1}, {7, 1}, {3, 2}, {9, 2}, {2, 3}, {10, 3}, {1, 5}, {11, 5}, {1, 7}, {11, 7}, {2, 9}, {10, 9}, {3, 10},
               {9, 10}, {5, 11}, {7, 11}},
              f, 80);
        blend({{6, 1}, {1, 6}, {11, 6}, {6, 11}}, f, 40);
    } else {
        set({{4, 1}, {8, 1}, {1, 4}, {11, 4}, {1, 8}, {11, 8}, {4, 11}, {8, 11}}, f);
        set({{5, 1}, {7, 1}, {3, 2}, {9, 2}, {2, 3}, {10, 3}, {1, 5}, {11, 5}, {1, 7}, {11, 7}, {2, 9}, {10, 9}, {3, 10},
             {9, 10}, {5, 11}, {7, 11}},
            clSilver);
    }
    // Step 6: the dot.
    if (checked_) {
        const TColor d = ColorToRGB(state == Disabled ? clBtnShadow : HighlightColor());
        c.Brush().SetColor(d);
        c.FillRect(Rect(5, 5, 8, 8));
        set({{6, 4}, {4, 6}, {8, 6}, {6, 8}}, d);
        const TColor edge = deep ? MixColors(d, c.Pixel(4, 4), 153) : d;
        set({{5, 4}, {7, 4}, {4, 5}, {8, 5}, {4, 7}, {8, 7}, {5, 8}, {7, 8}}, edge);
    }
}

void TUiRadioButton::BlendGlyphEdge(TBitmap &bitmap)
{
    if (!builtInPicture_)
        return;
    TCanvas &c = *bitmap.Canvas();
    auto blend = [&](std::initializer_list<TPoint> pts, int weight) {
        for (TPoint p : pts)
            c.SetPixel(p.X, p.Y, MixColors(FrameColor(), c.Pixel(p.X, p.Y), static_cast<uint8_t>(weight)));
    };
    blend({{4, 0}, {8, 0}, {2, 1}, {10, 1}, {1, 2}, {11, 2}, {0, 4}, {12, 4}, {0, 8}, {12, 8}, {1, 10}, {11, 10}, {2, 11},
           {10, 11}, {4, 12}, {8, 12}},
          128);
    blend({{3, 0}, {9, 0}, {0, 3}, {12, 3}, {0, 9}, {12, 9}, {3, 12}, {9, 12}}, 40);
}

// ---------------------------------------------------------------------------
// TUiCheckedActionLink

TUiCheckedActionLink::TUiCheckedActionLink(TUiCustomGlyphButton &client, TAction &action)
    : client_(client), action_(action), listener_([this](bool defaultsOnly) { ActionChange(defaultsOnly); })
{
    action_.AddLink(&listener_);
}

TUiCheckedActionLink::~TUiCheckedActionLink()
{
    if (!actionGone_)
        action_.RemoveLink(&listener_);
}

bool TUiCheckedActionLink::IsCheckedLinked() const
{
    // A link whose action is being freed links nothing, and must not read it.
    return !actionGone_ && client_.Checked() == action_.Checked();
}

void TUiCheckedActionLink::SetChecked(bool v)
{
    client_.SetClicksSuppressed(true);
    struct Lower {
        TUiCustomGlyphButton &c;
        ~Lower() { c.SetClicksSuppressed(false); }
    } lower{client_};
    client_.SetChecked(v);
}

void TUiCheckedActionLink::ActionChange(bool defaultsOnly)
{
    if (defaultsOnly && client_.Checked())
        return;
    SetChecked(action_.Checked());
}
