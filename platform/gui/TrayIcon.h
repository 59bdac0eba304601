#pragma once
// The notification-area icon with its pop-up menu. On a desktop without a
// notification area the icon is silently absent.
#include "platform/core/Component.h"
#include "platform/gui/Controls.h"

#include <memory>

class QSystemTrayIcon;

namespace plat {

class TPopupMenu;

class TTrayIcon : public TComponent {
public:
    explicit TTrayIcon(TComponent *owner);
    ~TTrayIcon() override;

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    String Hint() const { return hint_; }
    void SetHint(const String &h);
    // The icon's picture: an image file among the program's resources
    // (type "icon"); the application's window icon when empty.
    void SetIconResource(const String &name);
    TPopupMenu *PopupMenu() const { return menu_; }
    void SetPopupMenu(TPopupMenu *m);
    // A mouse button went down on the icon: OnMouseDown, then for the right
    // button the pop-up menu at the mouse position.
    void MouseDown(TMouseButton button, int x, int y);
    TMouseEvent OnMouseDown;
    // Whether the desktop shows the icon at all.
    bool Available() const;

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    void Apply();
    class ButtonFilter;
    std::unique_ptr<ButtonFilter> filter_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    bool visible_ = false;
    String hint_;
    String iconName_;
    TPopupMenu *menu_ = nullptr;
};

} // namespace plat
