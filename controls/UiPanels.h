#pragma once
// Containers with custom-drawn borders: TUiCustomPanel (outer and inner
// border on chosen sides, solid or gradient fill, caption, dot or line grid),
// TUiCustomGroupBox (a panel drawn as a group box in six styles) and
// TUiGridPanel (the window layer's grid panel with the same borders and
// fill). The framework's own bevels are off, so the borders come off the
// client area exactly once. No themes here: vsWinXP fills like vsClassic and
// the themed group box is never drawn. No panel is a dock site, so there is
// no dock manager.
#include "controls/UiCommon.h"
#include "controls/UiDrawing.h"
#include "platform/gui/CustomControls.h"

#include <algorithm>
#include <utility>
#include <vector>

// Width that a border style takes off a side.
int UiFrameStyleWidth(TFrameStyleEx style, int bevelWidth);

// The border, fill and frame-controller settings that the panel and the
// grid panel share, over either framework base.
template <class Base>
class TUiBordered : public Base, public IUiFrameControllerClient {
public:
    explicit TUiBordered(plat::TComponent *owner) : Base(owner)
    {
        Base::SetBevelOuter(plat::TBevelCut::bvNone);
        Base::SetBevelInner(plat::TBevelCut::bvNone);
    }
    ~TUiBordered() override
    {
        this->MarkDestroying();
        if (frameController_)
            frameController_->RemoveControl(this);
    }

    TFrameStyleEx BorderInner() const { return borderInner_; }
    void SetBorderInner(TFrameStyleEx v) { SetLayout(borderInner_, v); }
    TFrameStyleEx BorderOuter() const { return borderOuter_; }
    void SetBorderOuter(TFrameStyleEx v) { SetLayout(borderOuter_, v); }
    TSides BorderSides() const { return borderSides_; }
    void SetBorderSides(TSides v) { SetLayout(borderSides_, v); }
    plat::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(plat::TColor v) { SetLook(borderColor_, v); }
    plat::TColor BorderHighlight() const { return borderHighlight_; }
    void SetBorderHighlight(plat::TColor v) { SetLook(borderHighlight_, v); }
    plat::TColor BorderShadow() const { return borderShadow_; }
    void SetBorderShadow(plat::TColor v) { SetLook(borderShadow_, v); }
    plat::TColor FlatColor() const { return flatColor_; }
    void SetFlatColor(plat::TColor v) { SetLook(flatColor_, v); }
    int FlatColorAdjustment() const { return flatColorAdjustment_; }
    void SetFlatColorAdjustment(int v) { SetLook(flatColorAdjustment_, v); }
    TUiVisualStyle VisualStyle() const { return visualStyle_; }
    void SetVisualStyle(TUiVisualStyle v) { SetLook(visualStyle_, v); }
    TUiGradientColorStyle GradientColorStyle() const { return gradientColorStyle_; }
    void SetGradientColorStyle(TUiGradientColorStyle v) { SetLook(gradientColorStyle_, v); }
    plat::TColor GradientColorStart() const { return gradientColorStart_; }
    void SetGradientColorStart(plat::TColor v) { SetGradient(gradientColorStart_, v); }
    plat::TColor GradientColorStop() const { return gradientColorStop_; }
    void SetGradientColorStop(plat::TColor v) { SetGradient(gradientColorStop_, v); }
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection v) { SetGradient(gradientDirection_, v); }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool v)
    {
        if (v == transparent_)
            return;
        transparent_ = v;
        this->Invalidate();
        for (int i = 0; i < this->ControlCount(); ++i)
            this->Controls(i)->Invalidate();
    }
    bool SeeThrough() const override { return transparent_; }
    TUiFrameController *FrameController() const { return frameController_; }
    void SetFrameController(TUiFrameController *fc) { RelinkFrameController(frameController_, fc, *this, *this); }
    TUiFrameControllerNotifications FrameControllerNotifications() const { return notifications_; }
    void SetFrameControllerNotifications(TUiFrameControllerNotifications v) { notifications_ = v; }

    // Takes the borders (and with withBorderWidth BorderWidth) off r.
    void AdjustRectForBorders(plat::TRect &r, bool withBorderWidth) const
    {
        if (withBorderWidth)
            r = plat::Rect(r.Left + this->BorderWidth(), r.Top + this->BorderWidth(), r.Right - this->BorderWidth(),
                           r.Bottom - this->BorderWidth());
        for (TFrameStyleEx s : {borderOuter_, borderInner_}) {
            const int w = UiFrameStyleWidth(s, this->BevelWidth());
            if (HasSide(borderSides_, sdLeft))
                r.Left += w;
            if (HasSide(borderSides_, sdTop))
                r.Top += w;
            if (HasSide(borderSides_, sdRight))
                r.Right -= w;
            if (HasSide(borderSides_, sdBottom))
                r.Bottom -= w;
        }
    }
    void AdjustClientRect(plat::TRect &r) const override
    {
        AdjustRectForBorders(r, false);
        Base::AdjustClientRect(r);
    }
    // The area inside the borders, where the children and the caption go.
    plat::TRect DisplayRect() const
    {
        plat::TRect r = this->ClientRect();
        AdjustClientRect(r);
        return r;
    }
    void GradientColors(plat::TColor &start, plat::TColor &stop) const
    {
        if (gradientColorStyle_ == gcsCustom) {
            start = gradientColorStart_;
            stop = gradientColorStop_;
        } else {
            SchemeGradientPair(gradientColorStyle_, start, stop);
        }
    }
    virtual std::pair<plat::TColor, int> FlatColors() const { return {flatColor_, flatColorAdjustment_}; }

    // A bottom-aligned control grows upward, a right-aligned one leftward.
    void SetBounds(int left, int top, int width, int height) override
    {
        if (this->Align() == plat::TAlign::alBottom && height != this->Height())
            top += this->Height() - height;
        if (this->Align() == plat::TAlign::alRight && width != this->Width())
            left += this->Width() - width;
        Base::SetBounds(left, top, width, height);
    }

    void UpdateFromController(TUiFrameController &fc, TUiFrameControllerProperty property) override
    {
        if (!fc.FrameVisible())
            return;
        auto wanted = [&](TUiFrameControllerProperty p) {
            return (property == fcpAll || property == p) && (notifications_ & FcpBit(p));
        };
        if (wanted(fcpFrameStyle))
            borderOuter_ = fc.FrameStyle();
        if (wanted(fcpFrameSides))
            borderSides_ = fc.FrameSides();
        if (wanted(fcpFrameColor)) {
            flatColor_ = fc.FrameColor();
            flatColorAdjustment_ = 0;
        }
        if (wanted(fcpColor))
            this->SetColor(fc.Color());
        if (wanted(fcpParentColor))
            this->SetParentColor(fc.ParentColor());
        if (wanted(fcpColor)) {
            borderHighlight_ = ShadeUp(this->Color(), 100);
            borderShadow_ = ShadeDown(this->Color(), 50);
        }
        this->Invalidate();
    }

    void EnabledChanged() override
    {
        Base::EnabledChanged();
        this->Invalidate();
        if (this->Enabled()) {
            // Children recorded as disabled stay so; any other is enabled.
            for (int i = 0; i < this->ControlCount(); ++i) {
                plat::TControl *c = this->Controls(i);
                const auto it = std::find_if(childStates_.begin(), childStates_.end(),
                                             [c](const auto &e) { return e.first == c; });
                if (it == childStates_.end() || it->second)
                    c->SetEnabled(true);
            }
        } else {
            ForgetChildStates();
            for (int i = 0; i < this->ControlCount(); ++i) {
                plat::TControl *c = this->Controls(i);
                childStates_.emplace_back(c, c->Enabled());
                c->FreeNotification(this);
            }
            for (int i = 0; i < this->ControlCount(); ++i)
                this->Controls(i)->SetEnabled(false);
        }
    }

protected:
    void Notification(plat::TComponent *component, plat::TOperation operation) override
    {
        Base::Notification(component, operation);
        if (operation != plat::TOperation::opRemove)
            return;
        if (component == frameController_)
            frameController_ = nullptr;
        // A destroyed child's state must not pass to a newcomer at its address.
        childStates_.erase(std::remove_if(childStates_.begin(), childStates_.end(),
                                          [component](const auto &e) { return e.first == component; }),
                           childStates_.end());
    }
    void ForgetChildStates()
    {
        for (const auto &e : childStates_)
            if (!this->Dying())
                e.first->RemoveFreeNotification(this);
        childStates_.clear();
    }
    // Draws the borders and returns what is left inside them.
    plat::TRect PaintBorders(plat::TCanvas &canvas) const
    {
        TPanelFrameLook look;
        look.Outer = borderOuter_;
        look.Inner = borderInner_;
        look.BorderWidth = this->BorderWidth();
        look.Sides = borderSides_;
        look.BevelWidth = this->BevelWidth();
        look.BorderColor = borderColor_;
        look.Highlight = borderHighlight_;
        look.Shadow = borderShadow_;
        const auto [flat, adjustment] = FlatColors();
        look.FlatColor = flat;
        look.FlatColorAdjustment = adjustment;
        look.ControlColor = this->Color();
        look.ParentColor = this->Parent() ? this->Parent()->Color() : plat::clBtnFace;
        look.Transparent = transparent_;
        return PaintPanelFrames(canvas, plat::Rect(0, 0, this->Width(), this->Height()), look);
    }
    // Fills r with Color, or with the gradient in vsGradient.
    void FillInside(plat::TCanvas &canvas, const plat::TRect &r) const;

private:
    template <class T>
    void SetLayout(T &field, const T &v)
    {
        if (field == v)
            return;
        field = v;
        this->Realign();
        this->Invalidate();
    }
    template <class T>
    void SetLook(T &field, const T &v)
    {
        if (field == v)
            return;
        field = v;
        this->Invalidate();
    }
    template <class T>
    void SetGradient(T &field, const T &v)
    {
        if (field == v)
            return;
        field = v;
        this->Invalidate();
        InvalidateSeeThroughChildren(*this);
    }

    TFrameStyleEx borderInner_ = fsNone;
    TFrameStyleEx borderOuter_ = fsRaised;
    TSides borderSides_ = sdAllSides;
    plat::TColor borderColor_ = plat::clBtnFace;
    plat::TColor borderHighlight_ = plat::clBtnHighlight;
    plat::TColor borderShadow_ = plat::clBtnShadow;
    plat::TColor flatColor_ = plat::clBtnShadow;
    int flatColorAdjustment_ = 30;
    TUiVisualStyle visualStyle_ = vsWinXP;
    TUiGradientColorStyle gradientColorStyle_ = gcsSystem;
    plat::TColor gradientColorStart_ = plat::clWhite;
    plat::TColor gradientColorStop_ = plat::clBtnFace;
    TGradientDirection gradientDirection_ = gdHorizontalEnd;
    bool transparent_ = false;
    TUiFrameController *frameController_ = nullptr;
    TUiFrameControllerNotifications notifications_ = fcnAll;
    std::vector<std::pair<plat::TControl *, bool>> childStates_;
};

template <class Base>
void TUiBordered<Base>::FillInside(plat::TCanvas &canvas, const plat::TRect &r) const
{
    if (visualStyle_ == vsGradient) {
        plat::TColor start, stop;
        GradientColors(start, stop);
        DrawGradientBox(canvas, r, gradientDirection_, start, stop, 1);
        return;
    }
    canvas.Brush().SetStyle(plat::bsSolid);
    canvas.Brush().SetColor(this->Color());
    canvas.FillRect(r);
}

enum class TUiGridStyle { gsDots, gsDottedLines, gsSolidLines };

class TUiCustomPanel : public TUiBordered<plat::TCustomPanel> {
public:
    explicit TUiCustomPanel(plat::TComponent *owner);

    TAlignmentVertical CaptionVertical() const { return captionVertical_; }
    void SetCaptionVertical(TAlignmentVertical v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    void SetCaptionMargins(int x, int y);
    bool FillClientArea() const { return fillClientArea_; }
    void SetFillClientArea(bool v);
    bool GridVisible() const { return gridVisible_; }
    void SetGridVisible(bool v);
    plat::TColor GridColor() const { return gridColor_; }
    void SetGridColor(plat::TColor v);
    TUiGridStyle GridStyle() const { return gridStyle_; }
    void SetGridStyle(TUiGridStyle v);
    void SetGridSpacing(int x, int y);

    std::pair<plat::TColor, int> FlatColors() const override;
    virtual void DrawCaption(plat::TCanvas &canvas, plat::TRect r);
    virtual void DrawGrid(plat::TCanvas &canvas, const plat::TRect &r);

protected:
    void Paint() override;
    void EraseBackground(plat::TCanvas &canvas) override;
    void TextChanged() override { Invalidate(); }

private:
    TAlignmentVertical captionVertical_ = avCenter;
    bool wordWrap_ = true;
    int marginX_ = 0, marginY_ = 0;
    bool fillClientArea_ = true;
    bool gridVisible_ = false;
    plat::TColor gridColor_ = plat::clBtnShadow;
    TUiGridStyle gridStyle_ = TUiGridStyle::gsDots;
    int gridX_ = 8, gridY_ = 8;
};

enum class TUiGroupBoxStyle { gsStandard, gsCustom, gsTopLine, gsFlat, gsBanner, gsUnderline };
using enum TUiGroupBoxStyle;

class TUiCustomGroupBox : public TUiCustomPanel {
public:
    explicit TUiCustomGroupBox(plat::TComponent *owner);

    TUiGroupBoxStyle GroupStyle() const { return groupStyle_; }
    virtual void SetGroupStyle(TUiGroupBoxStyle v);
    int BannerHeight() const { return bannerHeight_; }
    virtual void SetBannerHeight(int v);

    void AdjustClientRect(plat::TRect &r) const override;
    void UpdateFromController(TUiFrameController &fc, TUiFrameControllerProperty property) override;
    bool DialogChar(char32_t key, plat::TShiftState shift) override;
    void FontChanged() override;

protected:
    void Paint() override;
    // The height of "Yy" (client area) or "Pp" (painting) in Font.
    int TextHeightOf(const char *text) const;
    // Moves the focus to the first child that is a tab stop.
    void SelectFirst();

private:
    TUiGroupBoxStyle groupStyle_ = gsFlat;
    int bannerHeight_ = 0;
};

class TUiGridPanel : public TUiBordered<plat::TCustomGridPanel> {
public:
    explicit TUiGridPanel(plat::TComponent *owner);

protected:
    void Paint() override;
    void EraseBackground(plat::TCanvas &canvas) override;
};
