#pragma once
// A group box holding one radio item per line of Items, at most one checked;
// ItemIndex tells which (-1 none). The group creates, owns, lays out and
// feeds its items (TUiGroupButton). A change of ItemIndex by program checks
// the item, and checking an item clicks it: OnChanging and OnClick run as
// for a click of the user. While the group is loading nothing is laid out;
// when loading ends ItemIndex is brought into range and the items are built.
#include "controls/UiGlyphButton.h"
#include "controls/UiPanels.h"
#include "platform/core/StringList.h"
#include "platform/gui/StdCtrls.h"

#include <functional>
#include <memory>
#include <vector>

class TUiGroupButton;

using TUiIndexChangingEvent = std::function<void(plat::TObject *Sender, int NewIndex, bool &AllowChange)>;

class TUiCustomRadioGroup : public TUiCustomGroupBox {
public:
    explicit TUiCustomRadioGroup(plat::TComponent *owner);
    ~TUiCustomRadioGroup() override;

    plat::TStrings &Items() { return *items_; }
    void SetItems(const plat::TStrings &lines);
    int ItemIndex() const { return itemIndex_; }
    virtual void SetItemIndex(int v);
    int Columns() const { return columns_; }
    virtual void SetColumns(int v);
    plat::TFont &ItemFont() { return *itemFont_; }
    virtual void SetItemFont(const plat::TFont &f);
    bool SpaceEvenly() const { return spaceEvenly_; }
    void SetSpaceEvenly(bool v) { Set(spaceEvenly_, v); }
    int StartXPos() const { return startX_; }
    int StartYPos() const { return startY_; }
    void SetStartPos(int x, int y);
    int VerticalSpacing() const { return verticalSpacing_; }
    void SetVerticalSpacing(int v) { Set(verticalSpacing_, v); }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int v) { Set(itemHeight_, v); }
    plat::TBitmap &CustomGlyphs() { return *glyphs_; }
    void SetCustomGlyphs(const plat::TBitmap &b);
    plat::TCustomImageList *CustomGlyphImages() const { return images_; }
    void SetCustomGlyphImages(plat::TCustomImageList *list);
    bool UseCustomGlyphs() const { return useCustomGlyphs_; }
    void SetUseCustomGlyphs(bool v);
    plat::TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(plat::TColor v) { Set(transparentColor_, v); }
    plat::TColor WinMaskColor() const { return winMaskColor_; }
    void SetWinMaskColor(plat::TColor v) { Set(winMaskColor_, v); }
    bool LightTextStyle() const { return lightTextStyle_; }
    void SetLightTextStyle(bool v) { Set(lightTextStyle_, v); }
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle v) { Set(textStyle_, v); }
    plat::TColor TextHighlightColor() const { return textHighlightColor_; }
    void SetTextHighlightColor(plat::TColor v) { Set(textHighlightColor_, v); }
    plat::TColor TextShadowColor() const { return textShadowColor_; }
    void SetTextShadowColor(plat::TColor v) { Set(textShadowColor_, v); }
    int TextShadowDepth() const { return textShadowDepth_; }
    void SetTextShadowDepth(int v) { Set(textShadowDepth_, v); }
    bool TabOnEnter() const { return tabOnEnter_; }
    void SetTabOnEnter(bool v) { tabOnEnter_ = v; }
    plat::TColor ItemFrameColor() const { return itemFrameColor_; }
    void SetItemFrameColor(plat::TColor v) { Set(itemFrameColor_, v); }
    bool ItemHotTrack() const { return itemHotTrack_; }
    void SetItemHotTrack(bool v) { Set(itemHotTrack_, v); }
    plat::TColor ItemHotTrackColor() const { return itemHotTrackColor_; }
    void SetItemHotTrackColor(plat::TColor v) { Set(itemHotTrackColor_, v); }
    TUiHotTrackColorType ItemHotTrackColorType() const { return itemHotTrackColorType_; }
    void SetItemHotTrackColorType(TUiHotTrackColorType v) { Set(itemHotTrackColorType_, v); }
    plat::TColor ItemHighlightColor() const { return itemHighlightColor_; }
    void SetItemHighlightColor(plat::TColor v) { Set(itemHighlightColor_, v); }
    TUiIndexChangingEvent OnChanging;

    int ItemCount() const { return static_cast<int>(buttons_.size()); }
    TUiGroupButton *ItemAt(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    virtual void SetItemCount(int count);
    virtual void LayoutItems();
    virtual void RebuildItems();
    // A descendant may refuse changes by the user.
    virtual bool ItemsEditable() const { return true; }
    virtual bool AllowIndexChange(int newIndex);
    void ItemClicked(plat::TObject *sender);

    void SetGroupStyle(TUiGroupBoxStyle v) override;
    void SetBannerHeight(int v) override;
    void SetTransparent(bool v) override;
    void UpdateFromController(TUiFrameController &fc, TUiFrameControllerProperty property) override;
    void EnabledChanged() override;
    void FontChanged() override;
    void TextChanged() override;
    void WidgetResized(int width, int height) override;
    void KeyPress(char32_t &key) override;

protected:
    void Loaded() override;
    void Notification(plat::TComponent *component, plat::TOperation operation) override;

private:
    friend class TUiGroupButton;
    template <class T>
    void Set(T &field, const T &v)
    {
        if (field == v)
            return;
        field = v;
        LayoutItems();
    }
    void ItemsChanged();
    bool ImagesUsable() const { return images_ && images_->Count() >= 1; }

    std::vector<TUiGroupButton *> buttons_;
    std::unique_ptr<plat::TFont> itemFont_;
    bool itemFontSet_ = false;
    std::unique_ptr<plat::TControlStrings> items_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
    bool spaceEvenly_ = false;
    int startX_ = 8, startY_ = 2;
    int verticalSpacing_ = 3;
    int itemHeight_ = 17;
    int glyphWidth_ = 13, glyphHeight_ = 13;
    int glyphCount_ = 6;
    std::unique_ptr<plat::TBitmap> glyphs_;
    plat::TCustomImageList *images_ = nullptr;
    std::unique_ptr<plat::TChangeLink> imagesLink_;
    bool useCustomGlyphs_ = false;
    plat::TColor transparentColor_ = plat::clOlive;
    plat::TColor winMaskColor_ = plat::clLime;
    bool lightTextStyle_ = false;
    TTextStyle textStyle_ = tsNormal;
    plat::TColor textHighlightColor_ = plat::clBtnHighlight;
    plat::TColor textShadowColor_ = plat::clBtnShadow;
    int textShadowDepth_ = 2;
    bool tabOnEnter_ = false;
    plat::TColor itemFrameColor_ = plat::clBtnShadow;
    bool itemHotTrack_ = false;
    plat::TColor itemHotTrackColor_ = plat::RGB(240, 155, 20);
    TUiHotTrackColorType itemHotTrackColorType_ = htctActual;
    plat::TColor itemHighlightColor_ = plat::clHighlight;
};

class TUiRadioGroup : public TUiCustomRadioGroup {
public:
    using TUiCustomRadioGroup::TUiCustomRadioGroup;
};

// One item of a radio group; made, owned and placed by the group.
class TUiGroupButton : public TUiRadioButton {
public:
    explicit TUiGroupButton(TUiCustomRadioGroup &group);
    ~TUiGroupButton() override;

    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void MouseUp(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void KeyDown(uint16_t &key, plat::TShiftState shift) override;
    void KeyPress(char32_t &key) override;

private:
    TUiCustomRadioGroup &group_;
    bool inMouseUp_ = false;
};
