#pragma once
// Controls that show a small state glyph beside a word-wrapped caption, and
// the radio button among them. The glyph comes from an image list, from a
// strip of pictures side by side, from the built-in hot-tracking picture
// (drawn pixel by pixel) or from the platform's classic radio glyph; the
// themed glyph does not exist here.
#include "controls/UiButton.h"
#include "controls/UiCommon.h"
#include "platform/gui/ImgList.h"

#include <memory>

class TUiCheckedActionLink;
class TUiRadioButton;

// Moves self's change link and free notice from the list in field to list.
void RelinkImageList(plat::TCustomImageList *&field, plat::TCustomImageList *list, plat::TChangeLink &link,
                     plat::TComponent &self);

class TUiCustomGlyphButton : public TUiCustomButton, public IUiFrameControllerClient {
public:
    explicit TUiCustomGlyphButton(plat::TComponent *owner);
    ~TUiCustomGlyphButton() override;

    // taRightJustify: the caption to the right of the glyph; taLeftJustify:
    // the glyph on the right.
    plat::TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(plat::TAlignment v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    plat::TColor FrameColor() const { return frameColor_; }
    virtual void SetFrameColor(plat::TColor v);
    // The strip is owned; assigning copies it.
    plat::TBitmap &CustomGlyphs() { return *strip_; }
    virtual void SetCustomGlyphs(const plat::TBitmap &strip);
    plat::TCustomImageList *CustomGlyphImages() const { return images_; }
    virtual void SetCustomGlyphImages(plat::TCustomImageList *list);
    bool UseCustomGlyphs() const { return useCustomGlyphs_; }
    virtual void SetUseCustomGlyphs(bool v);
    plat::TColor TransparentColor() const { return transparentColor_; }
    virtual void SetTransparentColor(plat::TColor v);
    plat::TColor WinMaskColor() const { return winMaskColor_; }
    virtual void SetWinMaskColor(plat::TColor v);
    plat::TColor FillColor() const { return fillColor_; }
    virtual void SetFillColor(plat::TColor v);
    plat::TColor FocusColor() const { return focusColor_; }
    virtual void SetFocusColor(plat::TColor v);
    plat::TColor DisabledColor() const { return disabledColor_; }
    virtual void SetDisabledColor(plat::TColor v);
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool v);
    plat::TColor ReadOnlyColor() const { return readOnlyColor_; }
    virtual void SetReadOnlyColor(plat::TColor v);
    bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
    void SetReadOnlyColorOnFocus(bool v);
    bool TabOnEnter() const { return tabOnEnter_; }
    void SetTabOnEnter(bool v) { tabOnEnter_ = v; }
    TUiButtonHotTrackStyle HotTrackStyle() const { return hotTrackStyle_; }
    void SetHotTrackStyle(TUiButtonHotTrackStyle v);
    TUiFrameController *FrameController() const { return frameController_; }
    virtual void SetFrameController(TUiFrameController *fc);
    TUiFrameControllerNotifications FrameControllerNotifications() const { return notifications_; }
    void SetFrameControllerNotifications(TUiFrameControllerNotifications v) { notifications_ = v; }
    int GlyphWidth() const { return glyphWidth_; }
    int GlyphHeight() const { return glyphHeight_; }
    int GlyphCount() const { return glyphCount_; }

    // The base is never checked.
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool v) { (void)v; }
    bool ClicksSuppressed() const { return clicksSuppressed_; }
    void SetClicksSuppressed(bool v) { clicksSuppressed_ = v; }

    // Ties Checked to an action (nullptr unties).
    void SetAction(plat::TAction *action);
    TUiCheckedActionLink *ActionLink() const { return actionLink_.get(); }

    plat::TRect GlyphRect() const;
    // Whether the glyph stands on the left of the caption.
    bool GlyphOnLeft() const;

    void UpdateFromController(TUiFrameController &controller, TUiFrameControllerProperty property) override;
    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void MouseUp(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void KeyPress(char32_t &key) override;
    void EnabledChanged() override;
    void ColorChanged() override;
    void FontChanged() override;
    void TextChanged() override;
    void WidgetResized(int width, int height) override;

protected:
    // The state picture into bitmap (glyph size).
    virtual void DrawGlyphPicture(plat::TBitmap &bitmap) = 0;
    // Blends the outline of a transparent built-in glyph into what it stands on.
    virtual void BlendGlyphEdge(plat::TBitmap &bitmap) { (void)bitmap; }
    virtual void DrawGlyph(plat::TCanvas &canvas);
    // Picture index of the strip into dest (width x height).
    virtual void ExtractPicture(int index, plat::TBitmap &dest, int height, int width, const plat::TBitmap &strip);
    // Whether the last picture was the built-in one.
    bool builtInPicture_ = false;
    bool MouseIsDown() const { return mouseDown_; }
    plat::TColor FaceColor() const { return EffectiveColor(); }
    void SetGlyphCount(int n) { glyphCount_ = n; }

    void Paint() override;
    void Loaded() override;
    void Notification(plat::TComponent *component, plat::TOperation operation) override;
    void EraseTransparentBackground(plat::TCanvas &canvas) override;
    void EraseBackground(plat::TCanvas &canvas) override;
    void RefreshLook() override { Repaint(); }
    void FocusRepaint() override { Repaint(); }
    void AdjustSize();
    void GlyphSourceChanged();

private:
    plat::TAlignment alignment_ = plat::TAlignment::taRightJustify;
    bool autoSize_ = true;
    plat::TColor frameColor_ = plat::clBtnShadow;
    std::unique_ptr<plat::TBitmap> strip_;
    plat::TCustomImageList *images_ = nullptr;
    std::unique_ptr<plat::TChangeLink> imagesLink_;
    int glyphCount_ = 2;
    bool useCustomGlyphs_ = false;
    plat::TColor transparentColor_ = plat::clOlive;
    plat::TColor winMaskColor_ = plat::clLime;
    plat::TColor fillColor_ = plat::clWindow;
    plat::TColor focusColor_ = plat::clWindow;
    plat::TColor disabledColor_ = plat::clBtnFace;
    bool readOnly_ = false;
    plat::TColor readOnlyColor_ = plat::clInfoBk;
    bool readOnlyColorOnFocus_ = false;
    int glyphWidth_ = 13, glyphHeight_ = 13;
    bool tabOnEnter_ = false;
    TUiButtonHotTrackStyle hotTrackStyle_ = htsInterior;
    TUiFrameController *frameController_ = nullptr;
    TUiFrameControllerNotifications notifications_ = fcnAll;
    std::unique_ptr<plat::TBitmap> background_;
    bool backgroundStale_ = true;
    bool mouseDown_ = false;
    bool clicksSuppressed_ = false;
    std::unique_ptr<TUiCheckedActionLink> actionLink_;
};

class TUiRadioButton : public TUiCustomGlyphButton {
public:
    explicit TUiRadioButton(plat::TComponent *owner);

    bool Checked() const override { return checked_; }
    void SetChecked(bool v) override;
    void SetReadOnly(bool v) override;
    void ClickAction() override;
    // The platform's button-check query: 1 when checked, else 0.
    int GetCheck() const { return checked_ ? 1 : 0; }

    bool DialogKey(uint16_t key, plat::TShiftState shift) override;
    bool DialogChar(char32_t key, plat::TShiftState shift) override;
    void DoEnter() override;

protected:
    void DrawGlyphPicture(plat::TBitmap &bitmap) override;
    void BlendGlyphEdge(plat::TBitmap &bitmap) override;

private:
    void DrawBuiltInPicture(plat::TCanvas &c);
    bool checked_ = false;
};

// Keeps a glyph button's Checked and an action's in step.
class TUiCheckedActionLink {
public:
    TUiCheckedActionLink(TUiCustomGlyphButton &client, plat::TAction &action);
    ~TUiCheckedActionLink();
    TUiCheckedActionLink(const TUiCheckedActionLink &) = delete;
    TUiCheckedActionLink &operator=(const TUiCheckedActionLink &) = delete;
    plat::TAction &Action() const { return action_; }
    // Linked and both agree.
    bool IsCheckedLinked() const;
    // Sets the client's Checked without a click.
    void SetChecked(bool v);
    // The action changed; defaultsOnly leaves a checked button alone.
    void ActionChange(bool defaultsOnly);
    // The action is being freed: the link must not reach it any more.
    void ActionGone() { actionGone_ = true; }

private:
    bool actionGone_ = false;
    TUiCustomGlyphButton &client_;
    plat::TAction &action_;
    std::function<void(bool)> listener_;
};
