#pragma once
// Pop-up menus: items with "&" accelerators and shortcuts.
#include "platform/core/Component.h"
#include "platform/gui/Controls.h"

#include <memory>
#include <vector>

class QMenu;
class QAction;

namespace plat {

// A shortcut as the framework stores it: virtual key plus scShift, scCtrl, scAlt.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut ShortCut(uint16_t key, TShiftState shift);
// "Alt+F4", "Ctrl+S", "F1"; 0 when the text names no shortcut.
TShortCut TextToShortCut(const String &text);
String ShortCutToText(TShortCut s);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent *owner);
    ~TMenuItem() override;

    String Caption() const { return caption_; }
    void SetCaption(const String &c);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut s);

    void Add(TMenuItem *item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem *Items(int i) const { return items_.at(static_cast<size_t>(i)); }
    TMenuItem *Parent() const { return parent_; }

    // The item's action: OnClick, when the item is enabled.
    virtual void Click();
    TNotifyEvent OnClick;

    QAction *Action() const { return action_; }

private:
    void Sync();
    String caption_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    TShortCut shortCut_ = 0;
    std::vector<TMenuItem *> items_;
    TMenuItem *parent_ = nullptr;
    QAction *action_ = nullptr;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent *owner);
    ~TPopupMenu() override;

    TMenuItem *Items() const { return root_; }
    // Shows the menu at screen position (x, y) and returns at once.
    void Popup(int x, int y);
    TNotifyEvent OnPopup;
    QMenu *Menu() const { return menu_.get(); }
    // A shortcut of one of the items, typed in the window that uses the menu.
    bool IsShortCut(TShortCut s);

private:
    TMenuItem *root_;
    std::unique_ptr<QMenu> menu_;
};

} // namespace plat
