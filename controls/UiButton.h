#pragma once
// The custom-drawn button family. TUiCustomButton tracks the mouse (pressed,
// hot), the focus, the Space key and the enabled state and draws captions in
// four text styles; TUiButton is a push button on it with a flat
// hot-tracking look and a classic three-dimensional one, latching groups
// (GroupIndex), default and cancel roles and a ModalResult for its window.
// There are no visual themes here, so UseThemes is always false and the
// themed look is never drawn.
#include "controls/UiCommon.h"
#include "platform/gui/CustomControls.h"

class TUiCustomButton : public plat::TCustomControl {
public:
    explicit TUiCustomButton(plat::TComponent *owner);

    TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
    void SetAlignmentVertical(TAlignmentVertical v);
    // Plain fields: no repaint.
    plat::TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(plat::TColor v) { hotTrackColor_ = v; }
    TUiHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
    void SetHotTrackColorType(TUiHotTrackColorType v) { hotTrackColorType_ = v; }
    plat::TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(plat::TColor v);
    bool LightTextStyle() const { return lightTextStyle_; }
    void SetLightTextStyle(bool v);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle v);
    plat::TColor TextHighlightColor() const { return textHighlightColor_; }
    void SetTextHighlightColor(plat::TColor v);
    plat::TColor TextShadowColor() const { return textShadowColor_; }
    void SetTextShadowColor(plat::TColor v);
    int TextShadowDepth() const { return textShadowDepth_; }
    void SetTextShadowDepth(int v);
    bool HotTrack() const { return hotTrack_; }
    virtual void SetHotTrack(bool v);
    bool ThemeAware() const { return themeAware_; }
    void SetThemeAware(bool v);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool v);
    bool SeeThrough() const override { return transparent_; }

    bool MouseOver() const { return mouseOver_; }
    bool Pressed() const { return pressed_; }

    // The platform's visual styles are never on here.
    virtual bool UseThemes() const;
    virtual plat::TRect ButtonRect() const { return ClientRect(); }
    // The caption in rect with the text flags, in the button's text style;
    // returns the rectangle the caption went into.
    virtual plat::TRect DrawStyledCaption(plat::TCanvas &canvas, plat::TRect rect, unsigned flags);
    // What a click by mouse or Space does.
    virtual void ClickAction() = 0;

    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void MouseMove(plat::TShiftState shift, int x, int y) override;
    void MouseUp(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void DoEnter() override;
    void DoExit() override;
    void EnabledChanged() override;
    void TextChanged() override;

protected:
    virtual void EraseTransparentBackground(plat::TCanvas &canvas) { (void)canvas; }
    virtual void RefreshLook() {}
    virtual void FocusRepaint() { Invalidate(); }
    void EraseBackground(plat::TCanvas &canvas) override;
    // Sets pressed, for keys.
    void SetPressed(bool v) { pressed_ = v; }

private:
    TAlignmentVertical alignmentVertical_ = avCenter;
    plat::TColor hotTrackColor_ = plat::RGB(240, 155, 20);
    TUiHotTrackColorType hotTrackColorType_ = htctActual;
    plat::TColor highlightColor_ = plat::clHighlight;
    bool lightTextStyle_ = false;
    TTextStyle textStyle_ = tsNormal;
    plat::TColor textHighlightColor_ = plat::clBtnHighlight;
    plat::TColor textShadowColor_ = plat::clBtnShadow;
    int textShadowDepth_ = 2;
    bool tracking_ = false;
    bool hotTrack_ = false;
    bool mouseOver_ = false;
    bool pressed_ = false;
    bool transparent_ = false;
    bool themeAware_ = true;
};

class TUiButton : public TUiCustomButton {
public:
    explicit TUiButton(plat::TComponent *owner);

    plat::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(plat::TAlignment v);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v);
    bool Down() const { return down_; }
    void SetDown(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    bool ShowDownPattern() const { return showDownPattern_; }
    void SetShowDownPattern(bool v);
    bool ShowFocusRect() const { return showFocusRect_; }
    void SetShowFocusRect(bool v);
    bool DropDownOnEnter() const { return dropDownOnEnter_; }
    void SetDropDownOnEnter(bool v) { dropDownOnEnter_ = v; }
    plat::TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(plat::TColor v);
    void SetHotTrack(bool v) override;

    // Enter goes to this button.
    bool IsActive() const { return active_; }

    // The window's ModalResult := the button's, then OnClick.
    void Click() override;
    void ClickAction() override;
    bool DialogKey(uint16_t key, plat::TShiftState shift) override;
    bool DialogChar(char32_t key, plat::TShiftState shift) override;
    void FocusChanged(plat::TWinControl *focused) override;
    void KeyDown(uint16_t &key, plat::TShiftState shift) override;
    void KeyUp(uint16_t &key, plat::TShiftState shift) override;
    void DoExit() override;

    virtual plat::TRect CaptionRect() const;
    virtual void DrawButtonCaption(plat::TCanvas &canvas);
    // An 8 x 8 checker in Color and silver (grey on silver).
    virtual void MakeDownPattern(plat::TBitmap &bitmap) const;

protected:
    void Paint() override;
    void Loaded() override;
    void EraseTransparentBackground(plat::TCanvas &canvas) override;
    void RefreshLook() override { Repaint(); }

private:
    void GroupChanged();
    void ReleaseForGroup(const TUiButton &sender);
    plat::TAlignment alignment_ = plat::TAlignment::taCenter;
    bool inClick_ = false;
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    int modalResult_ = plat::mrNone;
    bool spaceDown_ = false;
    bool allowAllUp_ = false;
    bool down_ = false;
    int groupIndex_ = 0;
    bool showDownPattern_ = true;
    bool showFocusRect_ = true;
    bool dropDownOnEnter_ = true;
    plat::TColor frameColor_ = plat::cl3DDkShadow;
};
