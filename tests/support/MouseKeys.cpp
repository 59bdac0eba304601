#include "tests/support/MouseKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace zibor::test {

namespace {
void Send(plat::TControl &c, QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held)
{
    QWidget *w = c.Widget();
    const QPointF local(x, y);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

void MousePress(plat::TControl &c, int x, int y)
{
    Send(c, QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
}

void MouseMoveTo(plat::TControl &c, int x, int y) { Send(c, QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton); }

void MouseRelease(plat::TControl &c, int x, int y)
{
    Send(c, QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
}

void MouseDoubleClick(plat::TControl &c, int x, int y)
{
    MousePress(c, x, y);
    MouseRelease(c, x, y);
    Send(c, QEvent::MouseButtonDblClick, x, y, Qt::LeftButton, Qt::LeftButton);
    MouseRelease(c, x, y);
}

void MouseEnterLeave(plat::TControl &c, bool enter)
{
    QEvent e(enter ? QEvent::Enter : QEvent::Leave);
    QApplication::sendEvent(c.Widget(), &e);
}

void HoldKey(plat::TWinControl &c, uint16_t vk, int repeats)
{
    const int key = plat::QtKeyFromVirtualKey(vk);
    const QString text = vk == plat::VK_SPACE ? QStringLiteral(" ") : QString();
    auto send = [&](QEvent::Type t, bool repeat) {
        QKeyEvent e(t, key, Qt::NoModifier, text, repeat);
        QApplication::sendEvent(c.Widget(), &e);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < repeats; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
}

} // namespace zibor::test
