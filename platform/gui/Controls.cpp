#include "platform/gui/Controls.h"

#include "platform/core/Exceptions.h"

#include "platform/gui/Application.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiColor.h"
#include "platform/gui/Menus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

namespace plat {

void Guarded(const std::function<void()> &f)
{
    try {
        f();
    } catch (...) {
        Application()->HandleException(nullptr);
    }
}

// ---------------------------------------------------------------------------
// Key codes

namespace {
struct KeyPair {
    int qt;
    uint16_t vk;
};
const KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END}, {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE},
};
} // namespace

uint16_t VirtualKeyFromQt(int k)
{
    for (const KeyPair &p : kKeys)
        if (p.qt == k)
            return p.vk;
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return static_cast<uint16_t>('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return static_cast<uint16_t>('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return static_cast<uint16_t>(VK_F1 + (k - Qt::Key_F1));
    return 0;
}

uint16_t VirtualKeyFromQt(int k, unsigned modifiers)
{
    // The numeric pad's plus and minus are keys of their own.
    if (modifiers & Qt::KeypadModifier) {
        if (k == Qt::Key_Plus)
            return VK_ADD;
        if (k == Qt::Key_Minus)
            return VK_SUBTRACT;
    }
    return VirtualKeyFromQt(k);
}

int QtKeyFromVirtualKey(uint16_t vk)
{
    if (vk == VK_ADD)
        return Qt::Key_Plus;
    if (vk == VK_SUBTRACT)
        return Qt::Key_Minus;
    for (const KeyPair &p : kKeys)
        if (p.vk == vk)
            return p.qt;
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= VK_F1 && vk < VK_F1 + 24)
        return Qt::Key_F1 + (vk - VK_F1);
    return 0;
}

TShiftState ShiftFromQt(unsigned m)
{
    TShiftState s = 0;
    if (m & Qt::ShiftModifier)
        s |= ssShift;
    if (m & Qt::AltModifier)
        s |= ssAlt;
    if (m & Qt::ControlModifier)
        s |= ssCtrl;
    return s;
}

namespace {
template <class Event>
TShiftState ShiftFromMouse(const Event *e)
{
    TShiftState s = ShiftFromQt(e->modifiers());
    if (e->buttons() & Qt::LeftButton)
        s |= ssLeft;
    if (e->buttons() & Qt::RightButton)
        s |= ssRight;
    if (e->buttons() & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

TMouseButton ButtonFromQt(Qt::MouseButton b)
{
    if (b == Qt::RightButton)
        return TMouseButton::mbRight;
    if (b == Qt::MiddleButton)
        return TMouseButton::mbMiddle;
    return TMouseButton::mbLeft;
}

char32_t CharOf(const QKeyEvent *e)
{
    const QString t = e->text();
    if (t.isEmpty())
        return 0;
    const auto ucs = t.toUcs4();
    return ucs.size() == 1 ? static_cast<char32_t>(ucs[0]) : 0;
}

bool OfferDialogChar(TWinControl *root, char32_t ch, TShiftState shift)
{
    for (int i = 0; i < root->ControlCount(); ++i) {
        TControl *c = root->Controls(i);
        if (c->DialogChar(ch, shift))
            return true;
        if (auto *w = dynamic_cast<TWinControl *>(c); w && OfferDialogChar(w, ch, shift))
            return true;
    }
    return false;
}

// The framework's order for one key: the window's preview of the key, the
// control's key down, dialog keys (Enter, Escape) to the buttons, then the
// character to the preview and the control. Any stage may consume the key.
bool DispatchKey(TWinControl *target, QKeyEvent *e)
{
    TForm *form = dynamic_cast<TForm *>(target);
    if (!form)
        form = target->ParentForm();
    const bool preview = form && form != target && form->KeyPreview();
    const TShiftState shift = ShiftFromQt(e->modifiers());
    uint16_t vk = VirtualKeyFromQt(e->key(), e->modifiers());
    if (vk) {
        if (preview) {
            form->KeyDown(vk, shift);
            if (!vk)
                return true;
        }
        target->KeyDown(vk, shift);
        if (!vk)
            return true;
        if ((vk == VK_RETURN || vk == VK_ESCAPE) && form && !target->WantsDialogKey(vk) &&
            form->DialogKey(vk, shift))
            return true;
        // Arrow keys are dialog keys of the focused control alone: offered
        // to every control they would reach the window's first radio button.
        if (vk >= VK_LEFT && vk <= VK_DOWN && !target->WantsDialogKey(vk) && target->DialogKey(vk, shift))
            return true;
        // Alt and a letter or digit: the window's controls are asked in turn
        // until one takes it as its accelerator.
        // Taken or not, the key ends here: it would come again through the
        // parent widgets otherwise.
        if ((shift & ssAlt) && form && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
            OfferDialogChar(form, static_cast<char32_t>(vk >= 'A' ? vk - 'A' + 'a' : vk), shift);
            return true;
        }
    }
    const char32_t original = CharOf(e);
    if (original) {
        char32_t ch = original;
        if (preview) {
            form->KeyPress(ch);
            if (!ch)
                return true;
        }
        target->KeyPress(ch);
        if (!ch)
            return true;
        if (ch != original) {
            target->InsertChar(ch);
            return true;
        }
    }
    return target->FilterKey(e);
}
} // namespace

// ---------------------------------------------------------------------------
// Bridge

namespace {
bool IsMouseInput(QEvent::Type t)
{
    return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseMove ||
           t == QEvent::MouseButtonDblClick || t == QEvent::Wheel;
}
} // namespace

class TControlBridge::Impl : public QObject {
public:
    explicit Impl(TControl *c) : control(c) {}
    TControl *control;

    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (control->Dying())
            return false;
        bool consumed = false;
        Guarded([&] { consumed = Handle(obj, ev); });
        return consumed;
    }

    bool Handle(QObject *obj, QEvent *ev)
    {
        auto *win = dynamic_cast<TWinControl *>(control);
        if (IsMouseInput(ev->type()))
            if (auto *w = qobject_cast<QWidget *>(obj); w && !w->isEnabled())
                return false; // a disabled control (or one in a disabled parent) takes no mouse input
        switch (ev->type()) {
        case QEvent::KeyPress:
            return win && DispatchKey(win, static_cast<QKeyEvent *>(ev));
        case QEvent::KeyRelease:
            if (win) {
                auto *ke = static_cast<QKeyEvent *>(ev);
                // A held key comes as repeated press and release pairs; the
                // controls expect repeated presses and one release at the end.
                if (ke->isAutoRepeat())
                    return false;
                uint16_t vk = VirtualKeyFromQt(ke->key(), ke->modifiers());
                if (vk) {
                    win->KeyUp(vk, ShiftFromQt(ke->modifiers()));
                    return vk == 0;
                }
            }
            return false;
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(ev);
            const QPoint p = LocalPoint(obj, me);
            control->MouseDown(ButtonFromQt(me->button()), ShiftFromMouse(me), p.x(), p.y());
            if (me->button() == Qt::RightButton && control->PopupMenu()) {
                const QPoint g = me->globalPosition().toPoint();
                control->PopupMenu()->Popup(g.x(), g.y());
            }
            return KeepFromParent(obj, ev);
        }
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(ev);
            const QPoint p = LocalPoint(obj, me);
            control->MouseMove(ShiftFromMouse(me), p.x(), p.y());
            return KeepFromParent(obj, ev);
        }
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(ev);
            const QPoint p = LocalPoint(obj, me);
            const TMouseButton b = ButtonFromQt(me->button());
            control->MouseUp(b, ShiftFromMouse(me), p.x(), p.y());
            if (control->ClickOnRelease() && b == TMouseButton::mbLeft && !control->Dying() &&
                control->ClientRect().Contains(Point(p.x(), p.y())))
                control->Click();
            return KeepFromParent(obj, ev);
        }
        case QEvent::Wheel: {
            // Not taken: Qt hands the wheel on to the parent's widget.
            auto *we = static_cast<QWheelEvent *>(ev);
            QPoint p = we->position().toPoint();
            if (auto *w = qobject_cast<QWidget *>(obj); w && w != control->Widget() && control->Widget())
                p = w->mapTo(control->Widget(), p);
            const bool taken = control->DoMouseWheel(ShiftFromMouse(we), we->angleDelta().y(), Point(p.x(), p.y()));
            if (taken)
                we->accept();
            return taken;
        }
        case QEvent::MouseButtonDblClick: {
            // Qt delivers the second press of a double click as this event
            // alone: it is a press as well, so that a button pressed twice
            // clicks twice.
            auto *me = static_cast<QMouseEvent *>(ev);
            const QPoint p = LocalPoint(obj, me);
            control->DblClick();
            if (!control->Dying())
                control->MouseDown(ButtonFromQt(me->button()), ShiftFromMouse(me) | ssDouble, p.x(), p.y());
            return KeepFromParent(obj, ev);
        }
        case QEvent::Enter:
            control->MouseEnter();
            return false;
        case QEvent::Leave:
            control->MouseLeave();
            return false;
        case QEvent::FocusIn:
            // The user moved the focus (a click, Tab): the window keeps
            // account of it. Losing the focus to another program is no exit.
            if (win && !dynamic_cast<TForm *>(win))
                if (TForm *f = win->ParentForm())
                    f->SetActiveControl(win);
            return false;
        case QEvent::Resize:
            if (obj == control->Widget()) {
                const QSize s = control->Widget()->size();
                control->WidgetResized(s.width(), s.height());
            }
            return false;
        case QEvent::Move:
            if (obj == control->Widget()) {
                const QPoint p = control->Widget()->pos();
                control->WidgetMoved(p.x(), p.y());
            }
            return false;
        default:
            return false;
        }
    }

    // A press, move or release that a widget leaves unaccepted (a
    // custom-drawn control accepts none) Qt hands on to the parent, which
    // would take it as its own. The window system gives a control's mouse
    // input to that control alone (only a disabled one lets it through to
    // what lies beneath): so the widget's own handling runs here and the
    // event ends with it.
    bool KeepFromParent(QObject *obj, QEvent *ev)
    {
        if (!control->Dying())
            obj->event(ev);
        ev->accept();
        return true;
    }

    QPoint LocalPoint(QObject *obj, QMouseEvent *me) const
    {
        QPoint p = me->position().toPoint();
        auto *w = qobject_cast<QWidget *>(obj);
        if (w && w != control->Widget() && control->Widget())
            p = w->mapTo(control->Widget(), p);
        return p;
    }
};

TControlBridge::TControlBridge(TControl *c) : impl_(std::make_unique<Impl>(c)) {}
TControlBridge::~TControlBridge() = default;

void TControlBridge::Watch(QWidget *w)
{
    if (w)
        w->installEventFilter(impl_.get());
}

QObject *TControlBridge::Filter() const { return impl_.get(); }

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent *owner) : TComponent(owner), font_(std::make_unique<TFont>())
{
    font_->OnChange = [this](TObject *) {
        if (!followingParent_)
            parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    MarkDestroying();
    if (parent_ && !parent_->Destroying())
        parent_->RemoveControl(this);
    parent_ = nullptr;
    bridge_.reset();
    delete widget_.data();
}

bool TControl::Dying() const
{
    for (const TControl *c = this; c; c = c->parent_)
        if (c->Destroying())
            return true;
    return false;
}

void TControl::AttachWidget(QWidget *w)
{
    widget_ = w;
    bridge_ = std::make_unique<TControlBridge>(this);
    bridge_->Watch(w);
    w->setMouseTracking(true);
    ApplyBounds();
    ApplyColor();
    ApplyFont();
}

void TControl::SetParentFont(bool v)
{
    parentFont_ = v;
    if (v && parent_) {
        followingParent_ = true;
        font_->Assign(parent_->Font());
        followingParent_ = false;
    }
}

void TControl::FontChanged()
{
    ApplyFont();
    if (auto *w = dynamic_cast<TWinControl *>(this))
        for (int i = 0; i < w->ControlCount(); ++i)
            if (w->Controls(i)->ParentFont())
                w->Controls(i)->SetParentFont(true);
}

namespace {
// Qt tells the widget and everything beneath it of every font or palette
// set, changed or not: only a real change is written.
void SetFontIfChanged(QWidget &w, const QFont &f)
{
    const QFont &now = w.font();
    if (w.testAttribute(Qt::WA_SetFont) && now.resolveMask() == f.resolveMask() && now == f)
        return;
    w.setFont(f);
}

void SetPaletteIfChanged(QWidget &w, const QPalette &p)
{
    const QPalette &now = w.palette();
    if (w.testAttribute(Qt::WA_SetPalette) && now.resolveMask() == p.resolveMask() && now == p)
        return;
    w.setPalette(p);
}
} // namespace

void TControl::ApplyFont()
{
    if (!widget_)
        return;
    if (Loading()) {
        fontHeld_ = true;
        return;
    }
    WriteLook(true, false);
}

void TControl::WriteHeld()
{
    if (widget_ && (fontHeld_ || colorHeld_))
        WriteLook(fontHeld_, colorHeld_);
}

void TControl::WriteLook(bool font, bool color)
{
    QPalette pal = widget_->palette();
    if (font) {
        fontHeld_ = false;
        QFont f(QString::fromStdString(font_->Name()));
        // The font's height is in pixels at 96 dpi: negative the em, positive the cell.
        const int h = font_->Height();
        f.setPixelSize(std::max(1, h < 0 ? -h : h * 4 / 5));
        const TFontStyles st = font_->Style();
        f.setBold(st & fsBold);
        f.setItalic(st & fsItalic);
        f.setUnderline(st & fsUnderline);
        f.setStrikeOut(st & fsStrikeOut);
        SetFontIfChanged(*widget_, f);
        const QColor c = ToQColor(TextColor());
        pal.setColor(QPalette::WindowText, c);
        // The marks of check boxes and radio buttons (also those of a radio
        // group's box) are drawn in the text colour; the system draws them in
        // its own, whatever the caption's font.
        const bool marks = qobject_cast<QAbstractButton *>(widget_) || qobject_cast<QGroupBox *>(widget_);
        pal.setColor(QPalette::Text, marks ? QApplication::palette().color(QPalette::Text) : c);
        pal.setColor(QPalette::ButtonText, c);
    }
    if (color) {
        colorHeld_ = false;
        const QColor c = ToQColor(EffectiveColor());
        pal.setColor(QPalette::Window, c);
        pal.setColor(QPalette::Button, c);
        if (baseFace_)
            pal.setColor(QPalette::Base, c);
    }
    SetPaletteIfChanged(*widget_, pal);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    WriteHeldBeneath();
}

void TControl::WriteHeldBeneath()
{
    if (auto *w = dynamic_cast<TWinControl *>(this))
        for (int i = 0; i < w->ControlCount(); ++i)
            w->Controls(i)->WriteHeldBeneath();
    WriteHeld();
}

void TControl::SetParent(TWinControl *p)
{
    if (p == parent_)
        return;
    if (parent_)
        parent_->RemoveControl(this);
    if (p)
        p->InsertControl(this);
    else if (widget_ && !dynamic_cast<TForm *>(this))
        widget_->setParent(nullptr);
}

TForm *TControl::ParentForm() const
{
    for (TWinControl *p = parent_; p; p = p->parent_)
        if (auto *f = dynamic_cast<TForm *>(p))
            return f;
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    const TRect r = Bounds(left, top, std::max(0, width), std::max(0, height));
    if (r == bounds_)
        return;
    const bool resized = r.Width() != bounds_.Width() || r.Height() != bounds_.Height();
    bounds_ = r;
    ApplyBounds();
    if (parent_ && align_ != TAlign::alNone)
        parent_->Realign();
    if (resized)
        if (auto *w = dynamic_cast<TWinControl *>(this))
            w->Realign();
}

void TControl::ApplyBounds()
{
    if (widget_)
        widget_->setGeometry(bounds_.Left, bounds_.Top, bounds_.Width(), bounds_.Height());
}

void TControl::WidgetResized(int width, int height)
{
    bounds_.Right = bounds_.Left + width;
    bounds_.Bottom = bounds_.Top + height;
}

void TControl::WidgetMoved(int left, int top)
{
    const int w = bounds_.Width(), h = bounds_.Height();
    bounds_ = Bounds(left, top, w, h);
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    if (!widget_)
        return p;
    const QPoint g = widget_->mapToGlobal(QPoint(p.X, p.Y));
    return Point(g.x(), g.y());
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    if (!widget_)
        return p;
    const QPoint l = widget_->mapFromGlobal(QPoint(p.X, p.Y));
    return Point(l.x(), l.y());
}

void TControl::SetAlign(TAlign a)
{
    if (a == align_)
        return;
    align_ = a;
    if (parent_)
        parent_->Realign();
}

bool TControl::Showing() const
{
    for (const TControl *c = this; c; c = c->parent_)
        if (!c->visible_)
            return false;
    return true;
}

void TControl::SetVisible(bool v)
{
    if (v == visible_)
        return;
    visible_ = v;
    ApplyVisible();
    if (parent_ && align_ != TAlign::alNone)
        parent_->Realign();
    VisibleChanged();
}

void TControl::ApplyVisible()
{
    // A widget without a parent would become a window of its own.
    if (widget_ && widget_->parentWidget())
        widget_->setVisible(visible_);
}

void TControl::SetEnabled(bool v)
{
    if (v == enabled_)
        return;
    enabled_ = v;
    EnabledChanged();
}

void TControl::EnabledChanged()
{
    if (widget_)
        widget_->setEnabled(enabled_);
}

void TControl::SetColor(TColor c)
{
    parentColor_ = false;
    if (c == color_)
        return;
    color_ = c;
    ColorChanged();
}

void TControl::SetParentColor(bool v)
{
    if (v == parentColor_)
        return;
    parentColor_ = v;
    if (v && parent_)
        color_ = parent_->Color();
    ColorChanged();
}

TColor TControl::EffectiveColor() const
{
    return parentColor_ && parent_ ? parent_->Color() : color_;
}

void TControl::ColorChanged()
{
    ApplyColor();
    if (auto *w = dynamic_cast<TWinControl *>(this))
        for (int i = 0; i < w->ControlCount(); ++i)
            if (w->Controls(i)->ParentColor())
                w->Controls(i)->ColorChanged();
}

void TControl::ApplyColor()
{
    if (!widget_)
        return;
    if (Loading()) {
        colorHeld_ = true;
        return;
    }
    WriteLook(false, true);
}

void TControl::SetTextValue(const String &s)
{
    if (s == text_)
        return;
    text_ = s;
    TextChanged();
}

void TControl::SetHint(const String &h)
{
    hint_ = h;
    ApplyHint();
}

bool TControl::ShowHint() const
{
    if (parentShowHint_ && parent_)
        return parent_->ShowHint();
    return showHint_;
}

void TControl::SetShowHint(bool v)
{
    showHint_ = v;
    parentShowHint_ = false;
    ApplyHint();
}

void TControl::SetParentShowHint(bool v)
{
    parentShowHint_ = v;
    ApplyHint();
}

void TControl::ApplyHint()
{
    if (widget_)
        widget_->setToolTip(ShowHint() && Application()->ShowHint() ? QString::fromStdString(hint_) : QString());
    if (auto *w = dynamic_cast<TWinControl *>(this))
        for (int i = 0; i < w->ControlCount(); ++i)
            w->Controls(i)->ApplyHint();
}

void TControl::SetCursor(TCursor c)
{
    cursor_ = c;
    if (widget_) {
        if (c == crDefault)
            widget_->unsetCursor();
        else
            widget_->setCursor(Screen()->QtCursor(c));
    }
}

void TControl::SetPopupMenu(TPopupMenu *m)
{
    popupMenu_ = m;
    if (m)
        m->FreeNotification(this);
}

void TControl::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

void TControl::Invalidate()
{
    if (widget_)
        widget_->update();
}

void TControl::Repaint()
{
    if (widget_)
        widget_->repaint();
}

void TControl::Update()
{
    if (widget_)
        widget_->repaint();
}

void TControl::BringToFront()
{
    if (widget_)
        widget_->raise();
}

void TControl::SendToBack()
{
    if (widget_)
        widget_->lower();
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

bool TControl::DialogKey(uint16_t, TShiftState) { return false; }

bool TControl::DialogChar(char32_t, TShiftState) { return false; }

bool IsAccel(char32_t key, const String &caption)
{
    auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return lower(static_cast<unsigned char>(caption[i + 1])) == lower(key);
    }
    return false;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, int delta, TPoint pos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, delta, pos, handled);
    return handled;
}

void TControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

// ---------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent *owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    MarkDestroying();
    // The widget tree goes with this control's widget; the events Qt sends
    // while it does must not reach controls whose window is half gone.
    std::vector<TControl *> stack(controls_.begin(), controls_.end());
    while (!stack.empty()) {
        TControl *c = stack.back();
        stack.pop_back();
        c->bridge_.reset();
        if (auto *w = dynamic_cast<TWinControl *>(c))
            stack.insert(stack.end(), w->controls_.begin(), w->controls_.end());
    }
    for (TControl *c : controls_)
        c->parent_ = nullptr;
    controls_.clear();
}

void TWinControl::InsertControl(TControl *c)
{
    c->parent_ = this;
    controls_.push_back(c);
    if (auto *w = dynamic_cast<TWinControl *>(c); w && w->tabOrder_ < 0) {
        int n = 0;
        for (TControl *o : controls_)
            if (dynamic_cast<TWinControl *>(o))
                ++n;
        w->tabOrder_ = n - 1;
    }
    if (c->widget_ && Widget()) {
        c->widget_->setParent(Widget());
        c->ApplyBounds();
        c->ApplyVisible();
    }
    if (c->parentColor_)
        c->ColorChanged();
    if (c->parentFont_)
        c->SetParentFont(true);
    c->ApplyHint();
    if (c->align_ != TAlign::alNone)
        Realign();
}

void TWinControl::RemoveControl(TControl *c)
{
    const auto it = std::find(controls_.begin(), controls_.end(), c);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    c->parent_ = nullptr;
    if (c->align_ != TAlign::alNone)
        Realign();
}

void TWinControl::SetTabStop(bool v)
{
    tabStop_ = v;
    ApplyFocusPolicy();
}

void TWinControl::SetTabOrder(int v) { tabOrder_ = v; }

void TWinControl::ApplyFocusPolicy()
{
    if (!Widget())
        return;
    if (!Focusable())
        Widget()->setFocusPolicy(Qt::NoFocus);
    else
        Widget()->setFocusPolicy(tabStop_ ? Qt::StrongFocus : clickFocus_ ? Qt::ClickFocus : Qt::NoFocus);
}

bool TWinControl::CanFocus() const
{
    if (!Widget())
        return false;
    for (const TControl *c = this; c; c = c->parent_)
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    // The layer's own account, as the window system's answer comes late on
    // some platforms: the window's active control in the active window.
    const TForm *f = ParentForm();
    return f && f->Active() && f->ActiveControl() == this;
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (TForm *f = ParentForm())
        f->SetActiveControl(this);
    else if (Widget())
        Widget()->setFocus(Qt::OtherFocusReason);
}

void TWinControl::WidgetResized(int width, int height)
{
    const bool changed = width != Width() || height != Height();
    TControl::WidgetResized(width, height);
    if (changed)
        Realign();
}

void TWinControl::Realign()
{
    if (aligning_)
        return;
    aligning_ = true;
    TRect r = ClientRect();
    AdjustClientRect(r);
    auto place = [](TControl *c, const TRect &b) {
        if (c->bounds_ == b)
            return;
        c->bounds_ = b;
        c->ApplyBounds();
        if (auto *w = dynamic_cast<TWinControl *>(c))
            w->Realign();
    };
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (TControl *c : controls_) {
            if (c->align_ != a || !c->Visible())
                continue;
            switch (a) {
            case TAlign::alTop:
                place(c, Rect(r.Left, r.Top, r.Right, r.Top + c->Height()));
                r.Top += c->Height();
                break;
            case TAlign::alBottom:
                place(c, Rect(r.Left, r.Bottom - c->Height(), r.Right, r.Bottom));
                r.Bottom -= c->Height();
                break;
            case TAlign::alLeft:
                place(c, Rect(r.Left, r.Top, r.Left + c->Width(), r.Bottom));
                r.Left += c->Width();
                break;
            case TAlign::alRight:
                place(c, Rect(r.Right - c->Width(), r.Top, r.Right, r.Bottom));
                r.Right -= c->Width();
                break;
            case TAlign::alClient:
                place(c, r);
                break;
            case TAlign::alNone:
                break;
            }
        }
    }
    aligning_ = false;
}

void TWinControl::KeyDown(uint16_t &key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t &key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char32_t &key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

} // namespace plat
