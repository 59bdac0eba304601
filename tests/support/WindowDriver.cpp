#include "tests/support/WindowDriver.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>
#include <QWidget>

namespace zibor::test {

namespace {
// Stalls in a row; cancelling that many times without effect ends the program.
int stalls = 0;
} // namespace

void UnwindModalLoops(const std::string &why)
{
    auto *app = plat::Application();
    std::string names;
    for (plat::TForm *f : app->ModalStack())
        names += " " + (f->Name().empty() ? std::string("(unnamed)") : f->Name());
    ADD_FAILURE() << why << "; modal windows:" << names;
    if (++stalls > 3) {
        app->Terminate();
        stalls = 0;
        return;
    }
    for (plat::TForm *f : app->ModalStack())
        f->SetModalResult(plat::mrCancel);
}

TWindowDriver::TWindowDriver()
{
    plat::SetClock(&clock_);
    oldIdle_ = plat::Application()->SetIdleHook([this] { Idle(); });
    oldSleep_ = plat::Application()->SetSleepHook([this](unsigned ms) {
        sleeps_.push_back(ms);
        clock_.AdvanceMs(ms);
        plat::TTimer::Skip(ms);
    });
}

TWindowDriver::~TWindowDriver()
{
    plat::Application()->SetIdleHook(oldIdle_);
    plat::Application()->SetSleepHook(oldSleep_);
    plat::SetClock(nullptr);
    if (!steps_.empty())
        ADD_FAILURE() << steps_.size() << " scripted step(s) never ran";
}

void TWindowDriver::Idle()
{
    if (steps_.empty()) {
        UnwindModalLoops("a modal loop waits for a step the test did not script");
        return;
    }
    auto step = std::move(steps_.front());
    steps_.pop_front();
    stalls = 0;
    try {
        step();
    } catch (const std::exception &e) {
        ADD_FAILURE() << "a scripted step threw: " << e.what();
    }
}

namespace {
bool Clickable(const plat::TControl &c)
{
    for (const plat::TControl *p = &c; p; p = p->Parent())
        if (!p->Visible() || !p->Enabled())
            return false;
    return c.Widget() != nullptr;
}

void SendClick(QWidget *w)
{
    // Check boxes and radio buttons take clicks on their mark and text only.
    const bool marked = qobject_cast<QAbstractButton *>(w) && !qobject_cast<QPushButton *>(w);
    const QPointF local(marked ? std::min(8.0, w->width() / 2.0) : w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void SendKey(QWidget *w, int qtKey, Qt::KeyboardModifiers mods, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
    QApplication::sendEvent(w, &release);
}
} // namespace

bool TWindowDriver::Click(plat::TControl &control)
{
    if (!Clickable(control))
        return false;
    SendClick(control.Widget());
    return true;
}

bool TWindowDriver::Click(plat::TComponent &owner, const std::string &name)
{
    auto *c = Find<plat::TControl>(owner, name);
    return c && Click(*c);
}

bool TWindowDriver::ClickItem(plat::TRadioGroup &group, int index)
{
    if (!Clickable(group))
        return false;
    const auto buttons = group.Widget()->findChildren<QRadioButton *>();
    if (index < 0 || index >= buttons.size())
        return false;
    SendClick(buttons[index]);
    return true;
}

bool TWindowDriver::ClickItem(plat::TWinControl &group, int index)
{
    if (!Clickable(group))
        return false;
    int seen = 0;
    for (int i = 0; i < group.ControlCount(); ++i)
        if (auto *item = dynamic_cast<plat::TWinControl *>(group.Controls(i)); item && item->Widget()) {
            if (seen++ != index)
                continue;
            if (!Clickable(*item))
                return false;
            SendClick(item->Widget());
            return true;
        }
    return false;
}

void TWindowDriver::Type(plat::TWinControl &control, const std::string &text)
{
    for (const char32_t ch : QString::fromStdString(text).toUcs4()) {
        int key = 0;
        if (ch >= 'a' && ch <= 'z')
            key = Qt::Key_A + static_cast<int>(ch - 'a');
        else if (ch < 128 && ch >= 32)
            key = static_cast<int>(ch);
        Qt::KeyboardModifiers mods = (ch >= 'A' && ch <= 'Z') ? Qt::ShiftModifier : Qt::NoModifier;
        SendKey(control.Widget(), key, mods, QString::fromUcs4(&ch, 1));
    }
}

namespace {

Qt::KeyboardModifiers Modifiers(plat::TShiftState shift)
{
    Qt::KeyboardModifiers mods;
    if (shift & plat::ssShift)
        mods |= Qt::ShiftModifier;
    if (shift & plat::ssCtrl)
        mods |= Qt::ControlModifier;
    if (shift & plat::ssAlt)
        mods |= Qt::AltModifier;
    return mods;
}

Qt::MouseButtons Buttons(plat::TShiftState shift)
{
    Qt::MouseButtons b;
    if (shift & plat::ssLeft)
        b |= Qt::LeftButton;
    if (shift & plat::ssRight)
        b |= Qt::RightButton;
    if (shift & plat::ssMiddle)
        b |= Qt::MiddleButton;
    return b;
}

Qt::MouseButton Button(plat::TMouseButton b)
{
    return b == plat::TMouseButton::mbRight ? Qt::RightButton : b == plat::TMouseButton::mbMiddle ? Qt::MiddleButton
                                                                                                  : Qt::LeftButton;
}

} // namespace

void TWindowDriver::Key(plat::TWinControl &control, uint16_t vk, plat::TShiftState shift)
{
    QString text;
    if (vk == plat::VK_RETURN)
        text = "\r";
    else if (vk == plat::VK_ESCAPE)
        text = QString(QChar(27));
    else if (vk == plat::VK_BACK)
        text = "\b";
    else if (vk == plat::VK_SPACE)
        text = " ";
    Qt::KeyboardModifiers mods = Modifiers(shift);
    if (vk == plat::VK_ADD || vk == plat::VK_SUBTRACT) {
        mods |= Qt::KeypadModifier;
        text = vk == plat::VK_ADD ? "+" : "-";
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier))
        text.clear();
    SendKey(control.Widget(), plat::QtKeyFromVirtualKey(vk), mods, text);
}

namespace {

void SendMouse(QWidget *w, QEvent::Type type, plat::TPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               plat::TShiftState shift)
{
    const QPointF local(at.X, at.Y);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, held, Modifiers(shift));
    QApplication::sendEvent(w, &e);
}

} // namespace

bool TWindowDriver::Wheel(plat::TControl &control, plat::TPoint at, int delta, plat::TShiftState shift)
{
    // To the innermost widget at the point, then up to its parents while no
    // one takes it, as Qt does with the wheel of the window system.
    QWidget *w = control.Widget();
    QPoint local(at.X, at.Y);
    if (QWidget *child = w->childAt(local)) {
        local = child->mapFrom(w, local);
        w = child;
    }
    for (;;) {
        QWheelEvent e(QPointF(local), w->mapToGlobal(QPointF(local)), QPoint(), QPoint(0, delta), Buttons(shift),
                      Modifiers(shift), Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
        if (e.isAccepted())
            return true;
        if (w->isWindow() || w->testAttribute(Qt::WA_NoMousePropagation) || !w->parentWidget())
            return false;
        local = w->mapToParent(local);
        w = w->parentWidget();
    }
}

void TWindowDriver::Press(plat::TControl &control, plat::TPoint at, plat::TMouseButton button, plat::TShiftState shift)
{
    SendMouse(control.Widget(), QEvent::MouseButtonPress, at, Button(button), Buttons(shift) | Button(button), shift);
}

void TWindowDriver::MoveTo(plat::TControl &control, plat::TPoint at, plat::TShiftState shift)
{
    SendMouse(control.Widget(), QEvent::MouseMove, at, Qt::NoButton, Buttons(shift), shift);
}

void TWindowDriver::Release(plat::TControl &control, plat::TPoint at, plat::TMouseButton button,
                            plat::TShiftState shift)
{
    SendMouse(control.Widget(), QEvent::MouseButtonRelease, at, Button(button), Buttons(shift) & ~Button(button),
              shift);
}

bool TWindowDriver::FireTimer(plat::TTimer &timer) { return timer.Tick(); }

void TWindowDriver::Advance(int64_t ms)
{
    const int64_t target = plat::TTimer::Now() + ms;
    plat::TTimer::Advance(0); // what fell due while the thread was blocked
    while (plat::TTimer::Now() < target) {
        const int64_t step = std::min<int64_t>(target - plat::TTimer::Now(), 1);
        clock_.AdvanceMs(step);
        plat::TTimer::Advance(step);
    }
}

} // namespace zibor::test
