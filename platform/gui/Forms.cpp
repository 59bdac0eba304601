#include "platform/gui/Forms.h"

#include "platform/core/Exceptions.h"
#include "platform/gui/Application.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/GuiColor.h"

#include <QApplication>
#include <QBackingStore>
#include <QBitmap>
#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QWindow>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include <sys/mman.h>
#include <unistd.h>

namespace plat {

namespace {

// The top-level widget of a window: the window system's close request and
// activation go to the layer, which decides what they mean.
class FormWidget : public QWidget {
public:
    explicit FormWidget(TForm *f) : form(f) {}
    TForm *form;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        e->ignore();
        if (form && !form->Dying())
            Guarded([&] { form->WindowCloseRequested(); });
    }
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::WindowActivate && form && !form->Dying())
            Guarded([&] { form->WindowActivated(); });
        return QWidget::event(e);
    }
};

// A window's surface is fresh memory that its first paint would write page
// by page, each first write of a page a fault of its own (on this kind of
// machine dearer than the paint); so it is sized now, as the first paint
// would, and its pages are made present in one call.
void PrepareSurface(QWidget &w)
{
    QBackingStore *store = w.backingStore();
    if (!store)
        return;
    if (store->size() != w.size())
        store->resize(w.size());
#ifdef MADV_POPULATE_WRITE
    auto *image = dynamic_cast<QImage *>(store->paintDevice());
    if (!image || image->isNull())
        return;
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<uintptr_t>(image->bits());
    const auto start = begin & ~(page - 1);
    const auto end = begin + static_cast<uintptr_t>(image->sizeInBytes());
    // Only a hint: a kernel without it leaves the pages to the paint.
    madvise(reinterpret_cast<void *>(start), end - start, MADV_POPULATE_WRITE);
#else
    // Headers without the call: the first paint makes the pages present
    // itself, a little later; the pixels are the same.
#endif
}

} // namespace

void KeepAboveActiveWindow(QWidget *dialog)
{
    // The window manager keeps a transient dialog above the window it
    // belongs to, also when that window stays on top of others.
    TForm *active = Screen()->ActiveForm();
    if (!dialog || !active)
        return;
    dialog->winId();
    active->Widget()->winId();
    if (QWindow *handle = dialog->windowHandle())
        handle->setTransientParent(active->Widget()->windowHandle());
}

// ---------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent *owner) : TWinControl(owner)
{
    auto *w = new FormWidget(this);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    AttachWidget(w);
    TControl::SetVisible(false);
    SetColor(clBtnFace);
    w->setAutoFillBackground(true);
    SetBounds(0, 0, 320, 240);
    // Told when the owner goes, so that OnDestroy runs while all is whole.
    if (owner)
        owner->FreeNotification(this);
    Screen()->AddForm(this);
}

TForm::~TForm()
{
    MarkDestroying();
    Application()->PopModal(this);
    Screen()->RemoveForm(this);
    if (auto *w = static_cast<FormWidget *>(Widget()))
        w->form = nullptr;
}

void TForm::AfterConstruction()
{
    if (created_)
        return;
    created_ = true;
    if (OnCreate)
        OnCreate(this);
    if (Visible() && !Widget()->isVisible()) {
        // The description asked for a visible window: show it now.
        TControl::SetVisible(false);
        SetVisible(true);
    }
}

void TForm::BeforeDestruction()
{
    if (destroyRaised_)
        return;
    destroyRaised_ = true;
    // From here the window takes no input and its timers do not tick, also
    // while its own destructor or its components' wait for something.
    MarkDestroying();
    Guarded([&] {
        if (OnDestroy)
            OnDestroy(this);
    });
}

void TForm::Notification(TComponent *component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == Owner() && component->Destroying())
        BeforeDestruction();
    if (operation == TOperation::opRemove && component == activeControl_)
        activeControl_ = nullptr;
}

void TForm::Free()
{
    BeforeDestruction();
    delete this;
}

void TForm::Release()
{
    QPointer<QWidget> w = Widget();
    QTimer::singleShot(0, w, [this, w] {
        if (w)
            Free();
    });
}

void TForm::SetTextValue(const String &s)
{
    caption_ = s;
    Widget()->setWindowTitle(QString::fromStdString(s));
}

void TForm::ColorChanged()
{
    TWinControl::ColorChanged();
    if (transparentColor_)
        UpdateShape();
}

bool TForm::Active() const { return Screen()->ActiveForm() == this; }

void TForm::SetBorderStyle(TFormBorderStyle s)
{
    borderStyle_ = s;
    ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    borderIcons_ = icons;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle s)
{
    formStyle_ = s;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags()
{
    QWidget *w = Widget();
    Qt::WindowFlags f = Qt::Window;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone:
        f |= Qt::FramelessWindowHint;
        break;
    case TFormBorderStyle::bsDialog:
        f |= Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
        f |= Qt::Tool;
        break;
    default:
        // A frame without some of its buttons names the ones it keeps.
        if (borderIcons_ != (biSystemMenu | biMinimize | biMaximize)) {
            f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            if (borderIcons_ & biSystemMenu)
                f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (borderIcons_ & biMinimize)
                f |= Qt::WindowMinimizeButtonHint;
            if (borderIcons_ & biMaximize)
                f |= Qt::WindowMaximizeButtonHint;
        }
        break;
    }
    if (StaysOnTop())
        f |= Qt::WindowStaysOnTopHint;
    const bool shown = w->isVisible();
    w->setWindowFlags(f);
    ApplyBounds();
    if (shown)
        w->show();
}

void TForm::SetAlphaBlend(bool v)
{
    alphaBlend_ = v;
    ApplyOpacity();
}

void TForm::SetAlphaBlendValue(uint8_t v)
{
    alphaValue_ = v;
    ApplyOpacity();
}

void TForm::ApplyOpacity()
{
    // Without a compositor the window system ignores the opacity: the window
    // is simply opaque.
    // The headless platform has no window system to tell.
    if (QGuiApplication::platformName() != "offscreen")
        Widget()->setWindowOpacity(alphaBlend_ ? alphaValue_ / 255.0 : 1.0);
}

void TForm::SetTransparentColor(bool v)
{
    transparentColor_ = v;
    UpdateShape();
}

void TForm::SetTransparentColorValue(TColor c)
{
    transparentColorValue_ = c;
    if (transparentColor_)
        UpdateShape();
}

void TForm::UpdateShape()
{
    QWidget *w = Widget();
    if (!transparentColor_) {
        w->clearMask();
        return;
    }
    // A window being built has nothing to cut yet; showing it cuts the shape.
    if (Width() <= 0 || Height() <= 0 || Loading())
        return;
    w->clearMask();
    // Where the window shows the key colour, there is no window.
    const QPixmap look = w->grab();
    w->setMask(look.createMaskFromColor(ToQColor(transparentColorValue_), Qt::MaskInColor));
}

void TForm::Place()
{
    if (position_ == TPosition::poScreenCenter || position_ == TPosition::poDesktopCenter ||
        (position_ == TPosition::poMainFormCenter && !Application()->MainForm())) {
        SetBounds((Screen()->Width() - Width()) / 2, (Screen()->Height() - Height()) / 2, Width(), Height());
    } else if (position_ == TPosition::poMainFormCenter) {
        const TForm *m = Application()->MainForm();
        SetBounds(m->Left() + (m->Width() - Width()) / 2, m->Top() + (m->Height() - Height()) / 2, Width(), Height());
    }
}

void TForm::WidgetMoved(int left, int top)
{
    // Qt reports the frame's position for windows with a frame.
    TWinControl::WidgetMoved(left, top);
}

void TForm::SetVisible(bool v)
{
    if (Loading()) {
        // A description that makes the window visible: shown once it is built.
        TControl::SetVisible(v);
        return;
    }
    if (v == Visible() && v == Widget()->isVisible())
        return;
    if (v) {
        // Visible already while OnShow runs, so that it can move the focus.
        TControl::SetVisible(true);
        const unsigned entersBefore = enters_;
        DoShow();
        Place();
        ApplyOpacity();
        if (transparentColor_)
            UpdateShape();
        Widget()->show();
        PrepareSurface(*Widget());
        if (QGuiApplication::platformName() != "offscreen")
            Widget()->raise();
        if (Application()->ModalStack().empty() || Application()->ModalStack().back() == this || modal_)
            Screen()->SetActiveForm(this);
        // The focus goes where it was, or to the first control in tab order.
        TWinControl *focus = activeControl_ && activeControl_->CanFocus() ? activeControl_ : nullptr;
        if (!focus)
            for (TWinControl *c : TabOrderList())
                if (c->CanFocus() && c->TabStop()) {
                    focus = c;
                    break;
                }
        if (focus && enters_ == entersBefore)
            activeControl_ = nullptr; // entered anew on every show
        if (focus)
            SetActiveControl(focus);
    } else {
        DoHide();
        TControl::SetVisible(false);
        Widget()->hide();
        if (Screen()->ActiveForm() == this)
            Screen()->SetActiveForm(Screen()->NextActive(this));
    }
}

void TForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

void TForm::Repaint()
{
    // A window shown a moment ago may not be on the screen yet, and a repaint
    // then paints nothing: a picture shown before one of the program's real
    // waits would stay blank. So wait (briefly) until the window system has
    // put the window up.
    QWidget *w = Widget();
    const auto exposed = [w] { return w->windowHandle() && w->windowHandle()->isExposed(); };
    if (w->isVisible() && !exposed()) {
        QElapsedTimer waited;
        waited.start();
        while (w->isVisible() && !exposed() && waited.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        if (exposed()) {
            // Coming up, the window was painted whole; only what has changed
            // since is painted now. A second whole paint would first have to
            // wait until the window system has taken in the first.
            QCoreApplication::sendPostedEvents(w, QEvent::UpdateRequest);
            return;
        }
    }
    TWinControl::Repaint();
}

bool TForm::CloseQuery()
{
    bool can = true;
    if (OnCloseQuery)
        OnCloseQuery(this, can);
    return can;
}

void TForm::DoClose(TCloseAction &action)
{
    if (OnClose)
        OnClose(this, action);
}

void TForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone)
        return;
    if (Application()->MainForm() == this)
        Application()->Terminate();
    else if (action == TCloseAction::caHide || action == TCloseAction::caMinimize)
        Hide();
    else
        Release();
}

void TForm::WindowCloseRequested() { Close(); }

void TForm::WindowActivated()
{
    // The window system's word counts only when it agrees with the modal
    // stack; the layer's own activation has usually come first.
    const auto &stack = Application()->ModalStack();
    if (!Visible() || (!stack.empty() && stack.back() != this))
        return;
    if (QApplication::activeWindow() == Widget())
        Screen()->SetActiveForm(this);
}

void TForm::CloseModal()
{
    try {
        TCloseAction action = TCloseAction::caNone;
        if (CloseQuery()) {
            action = TCloseAction::caHide;
            DoClose(action);
        }
        if (action == TCloseAction::caNone)
            modalResult_ = mrNone;
        else if (action == TCloseAction::caFree)
            Release();
    } catch (...) {
        modalResult_ = mrNone;
        Application()->HandleException(this);
    }
}

int TForm::ShowModal()
{
    if (Visible() || !Enabled() || modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    TApplication &app = *Application();
    // The program is ending: the handlers that unwind the modal stack open
    // no window any more.
    if (app.Terminated())
        return mrCancel;
    TScreen &screen = *Screen();
    returnTo_ = screen.ActiveForm();
    const TCursor savedCursor = screen.Cursor();
    screen.SetCursor(crDefault);
    modal_ = true;
    app.PushModal(this);
    Widget()->setWindowModality(Qt::ApplicationModal);
    // Shown from a window that stays on top, it must too while it runs, or
    // it would open beneath the window it came from.
    const bool onTop = returnTo_ && returnTo_ != this && returnTo_->StaysOnTop();
    if (onTop != onTopWhileModal_) {
        onTopWhileModal_ = onTop;
        ApplyWindowFlags();
    }
    auto finish = [&] {
        if (onTopWhileModal_) {
            onTopWhileModal_ = false;
            ApplyWindowFlags();
        }
        Widget()->setWindowModality(Qt::NonModal);
        modal_ = false;
        app.PopModal(this);
        screen.SetCursor(savedCursor);
        TForm *back = returnTo_;
        returnTo_ = nullptr;
        if (back && back != this && back->Visible())
            screen.SetActiveForm(back);
    };
    int result = mrNone;
    try {
        Show();
        modalResult_ = mrNone;
        do {
            app.HandleMessage();
            if (app.Terminated()) {
                if (modalResult_ == mrNone)
                    modalResult_ = mrCancel;
            } else if (modalResult_ != mrNone)
                CloseModal();
        } while (modalResult_ == mrNone);
        result = modalResult_;
        if (screen.ActiveForm() == this)
            screen.SetActiveForm(nullptr);
        Hide();
    } catch (...) {
        if (Visible())
            Guarded([&] { Hide(); });
        finish();
        throw;
    }
    finish();
    return result;
}

void TForm::SetActiveControl(TWinControl *c)
{
    if (c && c->Widget() && c->CanFocus() && !c->Widget()->hasFocus() &&
        !(QApplication::focusWidget() && c->Widget()->isAncestorOf(QApplication::focusWidget())))
        c->Widget()->setFocus(Qt::OtherFocusReason);
    if (c == activeControl_)
        return;
    TWinControl *old = activeControl_;
    activeControl_ = c;
    // As the focus moves at once on the platform, so do exit and enter.
    if (!Visible())
        return;
    if (old)
        old->DoExit();
    if (c && activeControl_ == c) {
        ++enters_;
        c->DoEnter();
    }
    BroadcastFocusChanged(activeControl_);
}

void TForm::BroadcastFocusChanged(TWinControl *focused)
{
    std::vector<TWinControl *> stack{this};
    while (!stack.empty()) {
        TWinControl *w = stack.back();
        stack.pop_back();
        for (int i = 0; i < w->ControlCount(); ++i) {
            TControl *c = w->Controls(i);
            c->FocusChanged(focused);
            if (auto *cw = dynamic_cast<TWinControl *>(c))
                stack.push_back(cw);
        }
    }
}

bool TForm::DialogKey(uint16_t key, TShiftState shift)
{
    std::vector<TWinControl *> stack{this};
    while (!stack.empty()) {
        TWinControl *w = stack.back();
        stack.erase(stack.end() - 1);
        for (int i = 0; i < w->ControlCount(); ++i) {
            TControl *c = w->Controls(i);
            if (c->DialogKey(key, shift))
                return true;
            if (auto *cw = dynamic_cast<TWinControl *>(c))
                stack.insert(stack.begin(), cw);
        }
    }
    return false;
}

std::vector<TWinControl *> TForm::TabOrderList() const
{
    std::vector<TWinControl *> out;
    std::function<void(const TWinControl *)> walk = [&](const TWinControl *w) {
        std::vector<TWinControl *> kids;
        for (int i = 0; i < w->ControlCount(); ++i)
            if (auto *cw = dynamic_cast<TWinControl *>(w->Controls(i)))
                kids.push_back(cw);
        std::stable_sort(kids.begin(), kids.end(),
                         [](const TWinControl *a, const TWinControl *b) { return a->TabOrder() < b->TabOrder(); });
        for (TWinControl *k : kids) {
            out.push_back(k);
            walk(k);
        }
    };
    walk(this);
    return out;
}

void TForm::SelectNext(TWinControl *current, bool forward, bool checkTabStop)
{
    std::vector<TWinControl *> list = TabOrderList();
    if (list.empty())
        return;
    if (!forward)
        std::reverse(list.begin(), list.end());
    auto it = std::find(list.begin(), list.end(), current);
    const size_t start = it == list.end() ? list.size() - 1 : static_cast<size_t>(it - list.begin());
    for (size_t n = 1; n <= list.size(); ++n) {
        TWinControl *c = list[(start + n) % list.size()];
        if (c == current)
            break;
        if (c->CanFocus() && (!checkTabStop || c->TabStop()) && c->Widget() &&
            c->Widget()->focusPolicy() != Qt::NoFocus) {
            SetActiveControl(c);
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// TScreen

class TScreen::Animator {
public:
    QTimer timer;
    std::shared_ptr<TCursorImage> image;
    size_t step = 0;
};

namespace {
TScreen *g_screen = nullptr;
}

TScreen *Screen()
{
    if (!g_screen)
        g_screen = new TScreen;
    return g_screen;
}

TScreen::TScreen() = default;
TScreen::~TScreen() = default;

int TScreen::Width() const
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

void TScreen::SetCursors(TCursor index, std::shared_ptr<TCursorImage> image)
{
    for (auto &entry : cursors_)
        if (entry.first == index) {
            entry.second = std::move(image);
            if (index == cursor_)
                ApplyCursor();
            return;
        }
    cursors_.emplace_back(index, std::move(image));
    if (index == cursor_)
        ApplyCursor();
}

std::shared_ptr<TCursorImage> TScreen::Cursors(TCursor index) const
{
    for (const auto &entry : cursors_)
        if (entry.first == index)
            return entry.second;
    return nullptr;
}

QCursor TScreen::QtCursor(TCursor c) const
{
    if (auto img = Cursors(c); img && !img->Frames.empty())
        return img->QtCursor(0);
    switch (c) {
    case crNone:
        return QCursor(Qt::BlankCursor);
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crSizeNESW:
        return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS:
    case crVSplit:
        return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE:
    case crHSplit:
        return QCursor(Qt::SizeHorCursor);
    case crUpArrow:
        return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait:
        return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag:
        return QCursor(Qt::DragMoveCursor);
    case crNoDrop:
    case crNo:
        return QCursor(Qt::ForbiddenCursor);
    case crAppStart:
        return QCursor(Qt::BusyCursor);
    case crHelp:
        return QCursor(Qt::WhatsThisCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    case crSizeAll:
        return QCursor(Qt::SizeAllCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void TScreen::SetCursor(TCursor c)
{
    if (c == cursor_)
        return;
    cursor_ = c;
    ApplyCursor();
}

void TScreen::ApplyCursor()
{
    if (animator_)
        animator_->timer.stop();
    if (cursor_ == crDefault) {
        if (overridden_)
            QApplication::restoreOverrideCursor();
        overridden_ = false;
        return;
    }
    const QCursor q = QtCursor(cursor_);
    if (overridden_)
        QApplication::changeOverrideCursor(q);
    else
        QApplication::setOverrideCursor(q);
    overridden_ = true;
    auto img = Cursors(cursor_);
    if (img && img->Animated()) {
        if (!animator_)
            animator_ = std::make_unique<Animator>();
        Animator *a = animator_.get();
        a->image = img;
        a->step = 0;
        a->timer.disconnect();
        QObject::connect(&a->timer, &QTimer::timeout, [a] {
            a->step = (a->step + 1) % a->image->StepCount();
            QApplication::changeOverrideCursor(a->image->QtCursor(a->step));
            a->timer.setInterval(a->image->StepMilliseconds(a->step));
        });
        a->timer.start(img->StepMilliseconds(0));
    }
}

void TScreen::AddForm(TForm *f) { forms_.push_back(f); }

void TScreen::RemoveForm(TForm *f)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
    history_.erase(std::remove(history_.begin(), history_.end(), f), history_.end());
    if (active_ == f)
        active_ = nullptr;
}

void TScreen::SetActiveForm(TForm *f)
{
    if (f == active_)
        return;
    TForm *old = active_;
    active_ = f;
    if (old)
        old->Deactivate();
    if (f && active_ == f) {
        history_.erase(std::remove(history_.begin(), history_.end(), f), history_.end());
        history_.push_back(f);
        // Without a window manager (the headless platform) nobody answers
        // the request, so the window is made active directly.
        if (QGuiApplication::platformName() == "offscreen")
            QApplication::setActiveWindow(f->Widget());
        else
            f->Widget()->activateWindow();
        if (active_ == f)
            f->Activate();
    }
}

TForm *TScreen::NextActive(TForm *leaving) const
{
    const auto &stack = Application()->ModalStack();
    if (!stack.empty() && stack.back() == leaving && leaving->returnTo_ && leaving->returnTo_->Visible())
        return leaving->returnTo_;
    if (!stack.empty() && stack.back() != leaving)
        return stack.back()->Visible() ? stack.back() : nullptr;
    for (auto it = history_.rbegin(); it != history_.rend(); ++it)
        if (*it != leaving && (*it)->Visible())
            return *it;
    return nullptr;
}

} // namespace plat
