#include "platform/gui/TrayIcon.h"

#include "platform/core/Streams.h"
#include "platform/gui/Menus.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstring>
#include <xcb/xcb.h>

namespace plat {

// While a window of the program runs modally, Qt drops the mouse on every
// other window of the program, the icon's own among them; but the icon's menu
// is the way out of any window, so a button on the icon is taken from the
// window system before Qt sees it.
class TTrayIcon::ButtonFilter : public QAbstractNativeEventFilter {
public:
    explicit ButtonFilter(TTrayIcon *icon) : icon_(icon) {}
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        uint32_t button = 0, window = 0;
        if (!ButtonPress(static_cast<const uint8_t *>(message), button, window) || (button != 1 && button != 3))
            return false;
        const WId icon = IconWindow();
        if (!icon || window != icon)
            return false;
        const QPoint at = QCursor::pos();
        Guarded([&] { icon_->MouseDown(button == 3 ? TMouseButton::mbRight : TMouseButton::mbLeft, at.x(), at.y()); });
        return true;
    }

private:
    // A button press as the core protocol sends it, or as the input
    // extension does (a generic event, read in its wire layout: button at
    // byte 16, window at byte 24).
    static bool ButtonPress(const uint8_t *event, uint32_t &button, uint32_t &window)
    {
        const uint8_t kind = event[0] & 0x7f;
        if (kind == XCB_BUTTON_PRESS) {
            const auto *press = reinterpret_cast<const xcb_button_press_event_t *>(event);
            button = press->detail;
            window = press->event;
            return true;
        }
        constexpr uint16_t kInputButtonPress = 4;
        if (kind != XCB_GE_GENERIC)
            return false;
        uint16_t evtype;
        std::memcpy(&evtype, event + 8, sizeof evtype);
        if (evtype != kInputButtonPress)
            return false;
        std::memcpy(&button, event + 16, sizeof button);
        std::memcpy(&window, event + 24, sizeof window);
        return true;
    }
    // The window that the notification area embeds (Qt's own widget for it).
    static WId IconWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0 && w->testAttribute(Qt::WA_WState_Created))
                return w->winId();
        return 0;
    }
    TTrayIcon *icon_;
};

TTrayIcon::TTrayIcon(TComponent *owner) : TComponent(owner) {}

TTrayIcon::~TTrayIcon()
{
    if (filter_)
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
}

bool TTrayIcon::Available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TTrayIcon::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == menu_)
        menu_ = nullptr;
}

void TTrayIcon::SetPopupMenu(TPopupMenu *m)
{
    menu_ = m;
    if (m)
        m->FreeNotification(this);
}

void TTrayIcon::SetVisible(bool v)
{
    visible_ = v;
    Apply();
}

void TTrayIcon::SetHint(const String &h)
{
    hint_ = h;
    Apply();
}

void TTrayIcon::SetIconResource(const String &name)
{
    iconName_ = name;
    Apply();
}

void TTrayIcon::Apply()
{
    if (!visible_) {
        if (icon_)
            icon_->hide();
        return;
    }
    if (!Available())
        return;
    if (!icon_) {
        filter_ = std::make_unique<ButtonFilter>(this);
        QCoreApplication::instance()->installNativeEventFilter(filter_.get());
        icon_ = std::make_unique<QSystemTrayIcon>();
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
            const QPoint p = QCursor::pos();
            Guarded([&] {
                MouseDown(r == QSystemTrayIcon::Context ? TMouseButton::mbRight : TMouseButton::mbLeft, p.x(), p.y());
            });
        });
    }
    QIcon icon = QApplication::windowIcon();
    std::vector<uint8_t> bytes;
    if (!iconName_.empty() && FindResourceBytes("icon", iconName_, bytes)) {
        QPixmap pm;
        if (pm.loadFromData(bytes.data(), static_cast<unsigned>(bytes.size())))
            icon = QIcon(pm);
    }
    if (icon.isNull()) {
        QPixmap pm(16, 16);
        pm.fill(Qt::black);
        icon = QIcon(pm);
    }
    icon_->setIcon(icon);
    icon_->setToolTip(QString::fromStdString(hint_));
    icon_->show();
}

void TTrayIcon::MouseDown(TMouseButton button, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, 0, x, y);
    if (button == TMouseButton::mbRight && menu_)
        menu_->Popup(x, y);
}

} // namespace plat
