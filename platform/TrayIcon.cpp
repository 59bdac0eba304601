#include "platform/TrayIcon.h"

#include "platform/Menus.h"
#include "platform/Streams.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace plat {

TTrayIcon::TTrayIcon(TComponent *owner) : TComponent(owner) {}

TTrayIcon::~TTrayIcon() = default;

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
