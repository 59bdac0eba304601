#include "controls/UiRadioGroup.h"

#include "platform/core/Text.h"
#include "platform/graphics/Canvas.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

using namespace plat;

// ---------------------------------------------------------------------------
// TUiCustomRadioGroup

TUiCustomRadioGroup::TUiCustomRadioGroup(TComponent *owner)
    : TUiCustomGroupBox(owner), itemFont_(std::make_unique<TFont>()),
      items_(std::make_unique<TControlStrings>([this] { ItemsChanged(); })), glyphs_(std::make_unique<TBitmap>()),
      imagesLink_(std::make_unique<TChangeLink>())
{
    itemFont_->SetName("Tahoma");
    itemFont_->SetSize(8);
    itemFont_->OnChange = [this](TObject *) {
        itemFontSet_ = true;
        LayoutItems();
        Invalidate();
    };
    glyphs_->OnChange = [this](TObject *) {
        SetUseCustomGlyphs(!glyphs_->Empty());
        Invalidate();
    };
    imagesLink_->OnChange = [this](TObject *) {
        useCustomGlyphs_ = ImagesUsable();
        SetUseCustomGlyphs(useCustomGlyphs_);
    };
}

TUiCustomRadioGroup::~TUiCustomRadioGroup()
{
    // The items go first, while they can still leave the group's list of
    // children; then the rest.
    itemFont_->OnChange = nullptr;
    SetItemCount(0);
    if (images_)
        images_->UnRegisterChanges(imagesLink_.get());
}

void TUiCustomRadioGroup::SetItems(const TStrings &lines) { items_->Assign(lines); }

void TUiCustomRadioGroup::SetItemCount(int count)
{
    while (ItemCount() < count)
        new TUiGroupButton(*this);
    while (ItemCount() > std::max(count, 0)) {
        TUiGroupButton *b = buttons_.back();
        // Also while the group itself is going, when a child no longer
        // leaves its parent by itself.
        RemoveControl(b);
        delete b;  // leaves the item list in its destructor
    }
}

void TUiCustomRadioGroup::RebuildItems()
{
    SetItemCount(items_->Count());
    for (int i = 0; i < ItemCount(); ++i)
        ItemAt(i)->SetCaption(items_->Strings(i));
    if (itemIndex_ >= 0 && itemIndex_ < ItemCount()) {
        TFlagScope scope(updating_);
        ItemAt(itemIndex_)->SetChecked(true);
    }
    LayoutItems();
    Invalidate();
}

void TUiCustomRadioGroup::ItemsChanged()
{
    if (Loading())
        return;
    if (itemIndex_ >= items_->Count())
        itemIndex_ = items_->Count() - 1;
    RebuildItems();
}

void TUiCustomRadioGroup::Loaded()
{
    TUiCustomGroupBox::Loaded();
    // A description may name an item it does not hold.
    itemIndex_ = std::clamp(itemIndex_, -1, items_->Count() - 1);
    RebuildItems();
}

void TUiCustomRadioGroup::SetItemIndex(int v)
{
    if (Loading()) {
        itemIndex_ = v;
        return;
    }
    v = std::clamp(v, -1, ItemCount() - 1);
    if (v == itemIndex_)
        return;
    if (itemIndex_ >= 0 && itemIndex_ < ItemCount())
        ItemAt(itemIndex_)->SetChecked(false);
    itemIndex_ = v;
    // Checking the item clicks it: ItemClicked, OnChanging and OnClick run.
    if (v >= 0)
        ItemAt(v)->SetChecked(true);
}

void TUiCustomRadioGroup::SetColumns(int v)
{
    v = std::clamp(v, 1, 16);
    if (v == columns_)
        return;
    columns_ = v;
    LayoutItems();
    Invalidate();
}

void TUiCustomRadioGroup::SetItemFont(const TFont &f)
{
    if (&f == itemFont_.get())
        return;
    itemFont_->Assign(f);
    LayoutItems();
}

void TUiCustomRadioGroup::SetStartPos(int x, int y)
{
    if (x == startX_ && y == startY_)
        return;
    startX_ = x;
    startY_ = y;
    LayoutItems();
}

void TUiCustomRadioGroup::SetCustomGlyphs(const TBitmap &b)
{
    glyphs_->Assign(b);
    SetUseCustomGlyphs(!glyphs_->Empty() || ImagesUsable());
}

void TUiCustomRadioGroup::SetCustomGlyphImages(TCustomImageList *list)
{
    RelinkImageList(images_, list, *imagesLink_, *this);
    if (images_)
        useCustomGlyphs_ = ImagesUsable();
    SetUseCustomGlyphs(useCustomGlyphs_);
}

void TUiCustomRadioGroup::SetUseCustomGlyphs(bool v)
{
    useCustomGlyphs_ = v;
    if (v && images_) {
        glyphWidth_ = images_->Width();
        glyphHeight_ = images_->Height();
    } else if (v) {
        glyphWidth_ = glyphs_->Width() / glyphCount_;
        glyphHeight_ = glyphs_->Height();
    } else {
        glyphWidth_ = glyphHeight_ = 13;
    }
    LayoutItems();
}

void TUiCustomRadioGroup::Notification(TComponent *component, TOperation operation)
{
    TUiCustomGroupBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        // The list is half gone; its destructor has let go of the link.
        images_ = nullptr;
        if (!Dying())
            SetUseCustomGlyphs(!glyphs_->Empty());
    }
}

bool TUiCustomRadioGroup::AllowIndexChange(int newIndex)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, newIndex, allow);
    return allow;
}

void TUiCustomRadioGroup::ItemClicked(TObject *sender)
{
    if (updating_)
        return;
    const auto it = std::find(buttons_.begin(), buttons_.end(), sender);
    const int idx = it == buttons_.end() ? -1 : static_cast<int>(it - buttons_.begin());
    if (AllowIndexChange(idx)) {
        itemIndex_ = idx;
        Click();
        return;
    }
    TFlagScope scope(updating_);
    if (itemIndex_ < 0 || itemIndex_ >= ItemCount()) {
        if (auto *b = dynamic_cast<TUiGroupButton *>(sender))
            b->SetChecked(false);
        return;
    }
    // The check goes back on the chosen item by the group itself; the focus
    // follows only where it can go (a hidden or disabled item refuses it).
    TUiGroupButton *chosen = ItemAt(itemIndex_);
    chosen->SetChecked(true);
    if (chosen->CanFocus())
        chosen->SetFocus();
}

void TUiCustomRadioGroup::LayoutItems()
{
    if (buttons_.empty() || Loading() || Dying())
        return;
    const int count = ItemCount();
    const int perColumn = (count + columns_ - 1) / columns_;
    const int columnWidth = spaceEvenly_ ? (Width() - startX_ - 2 * BorderWidth() - 10) / columns_ : 0;
    const TRect area = DisplayRect();
    const int top0 = area.Top + startY_;
    std::vector<int> widths(16, 0);
    if (!spaceEvenly_) {
        TBitmap scratch(1, 1);
        TCanvas &c = *scratch.Canvas();
        c.SetFont(*itemFont_);
        for (int i = 0; i < count; ++i) {
            const int column = std::min(i / perColumn, 15);
            TRect r = ClientRect();
            c.DrawText(StripMnemonics(Trim(items_->Strings(i))), r, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_CALCRECT);
            widths[column] = std::max(widths[column], r.Width() + glyphWidth_ + 4 + 8);
        }
    }
    for (int i = 0; i < count; ++i) {
        TUiGroupButton *b = ItemAt(i);
        const int column = std::min(i / perColumn, 15), row = i % perColumn;
        int x = 0;
        if (spaceEvenly_)
            x = column * columnWidth;
        else
            for (int k = 0; k < column; ++k)
                x += widths[k];
        x += startX_;
        const int w = spaceEvenly_ ? columnWidth : widths[column] - 4;
        const int y = row * (itemHeight_ + verticalSpacing_) + top0;
        b->SetBounds(x, y, w, itemHeight_);
        b->SetVisible(true);
        b->Font().Assign(*itemFont_);
        b->SetTextHighlightColor(textHighlightColor_);
        b->SetTextShadowColor(textShadowColor_);
        b->SetTextShadowDepth(textShadowDepth_);
        b->SetLightTextStyle(lightTextStyle_);
        b->SetTextStyle(textStyle_);
        b->SetTransparent(Transparent());
        b->SetWinMaskColor(winMaskColor_);
        b->SetTransparentColor(transparentColor_);
        b->SetCustomGlyphs(*glyphs_);
        b->SetCustomGlyphImages(images_);
        b->SetUseCustomGlyphs(useCustomGlyphs_);
        b->SetFrameColor(itemFrameColor_);
        b->SetHotTrack(itemHotTrack_);
        b->SetHighlightColor(itemHighlightColor_);
        b->SetHotTrackColor(itemHotTrackColor_);
        b->SetHotTrackColorType(itemHotTrackColorType_);
    }
}

void TUiCustomRadioGroup::SetGroupStyle(TUiGroupBoxStyle v)
{
    TUiCustomGroupBox::SetGroupStyle(v);
    LayoutItems();
    Invalidate();
}

void TUiCustomRadioGroup::SetBannerHeight(int v)
{
    TUiCustomGroupBox::SetBannerHeight(v);
    LayoutItems();
    Invalidate();
}

void TUiCustomRadioGroup::SetTransparent(bool v)
{
    TUiCustomGroupBox::SetTransparent(v);
    LayoutItems();
}

void TUiCustomRadioGroup::UpdateFromController(TUiFrameController &fc, TUiFrameControllerProperty property)
{
    if (!fc.FrameVisible())
        return;
    TUiCustomGroupBox::UpdateFromController(fc, property);
    SetItemFrameColor(fc.FrameColor());
    for (TUiGroupButton *b : buttons_)
        b->SetDisabledColor(fc.DisabledColor());
}

void TUiCustomRadioGroup::EnabledChanged()
{
    TUiCustomGroupBox::EnabledChanged();
    Invalidate();
    for (TUiGroupButton *b : buttons_)
        b->SetEnabled(Enabled());
}

void TUiCustomRadioGroup::FontChanged()
{
    TUiCustomGroupBox::FontChanged();
    if (!itemFontSet_) {
        itemFont_->Assign(Font());
        itemFontSet_ = false;
    }
    Invalidate();
}

void TUiCustomRadioGroup::TextChanged()
{
    TUiCustomGroupBox::TextChanged();
    LayoutItems();
}

void TUiCustomRadioGroup::WidgetResized(int width, int height)
{
    TUiCustomGroupBox::WidgetResized(width, height);
    LayoutItems();
}

void TUiCustomRadioGroup::KeyPress(char32_t &key)
{
    if (!TabOnEnterKey(*this, tabOnEnter_, key))
        TUiCustomGroupBox::KeyPress(key);
}

// ---------------------------------------------------------------------------
// TUiGroupButton

TUiGroupButton::TUiGroupButton(TUiCustomRadioGroup &group) : TUiRadioButton(&group), group_(group)
{
    group_.buttons_.push_back(this);
    SetAutoSize(false);
    SetVisible(false);
    SetEnabled(group.Enabled());
    SetParentShowHint(false);
    OnClick = [&group](TObject *sender) { group.ItemClicked(sender); };
    SetParent(&group);
    SetParentFont(false);
}

TUiGroupButton::~TUiGroupButton()
{
    auto &list = group_.buttons_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TUiGroupButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (group_.ItemsEditable())
        TUiRadioButton::MouseDown(button, shift, x, y);
}

void TUiGroupButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (inMouseUp_)
        return;
    TFlagScope scope(inMouseUp_);
    if (group_.ItemsEditable())
        TUiRadioButton::MouseUp(button, shift, x, y);
}

void TUiGroupButton::KeyDown(uint16_t &key, TShiftState shift)
{
    TUiRadioButton::KeyDown(key, shift);
    group_.KeyDown(key, shift);
}

void TUiGroupButton::KeyPress(char32_t &key)
{
    TUiRadioButton::KeyPress(key);
    group_.KeyPress(key);
    if ((key == 8 || key == 32) && !group_.ItemsEditable())
        key = 0;
}
